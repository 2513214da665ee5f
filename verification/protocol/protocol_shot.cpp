// Starts the program's main window, runs three analyses of different tests,
// shows the protocol tab and saves a picture of the window.
// Usage (on a display, e.g. under xvfb-run): protocol_shot out.png

#include <QApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <cstdio>

#include "app/form_view_ex.h"
#include "app/main_frame.h"
#include "app/quorix_app.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    Settle(300);
    // Two independent means (t), the sign test (exact, with an options line)
    // and multiple regression (F), each with its default inputs.
    for (int testId : {201, 603, 103}) {
        if (!frame->SelectTest(testId)) {
            std::fprintf(stderr, "test %d is not in this build\n", testId);
            return 1;
        }
        Settle(100);
        frame->OnCalculate();
        QElapsedTimer clock;
        clock.start();
        while ((frame->IsBusy() || frame->IsCalculationRunning()) && clock.elapsed() < 20000)
            Settle(50);
        Settle(200);
    }
    if (auto* tabs = qobject_cast<QTabBar*>(frame->PlotPane()->Control(1041))) {
        if (tabs->count() > 1) tabs->setCurrentIndex(1);
    }
    Settle(500);
    return frame->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
