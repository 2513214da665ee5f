// Starts the program's main window, presses "Calculate" and saves a picture
// of the window once the results are shown, to look at the typeset labels.
// Usage (on a display, e.g. under xvfb-run): mathtext_main_window_shot out.png

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/environment.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    auto settle = [](int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    settle(500);
    frame->OnCalculate();
    QElapsedTimer clock;
    clock.start();
    while ((frame->IsBusy() || frame->IsCalculationRunning()) && clock.elapsed() < 20000)
        settle(50);
    settle(500);
    return frame->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
