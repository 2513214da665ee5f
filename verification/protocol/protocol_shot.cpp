// Starts the program's main window, runs three analyses of different tests,
// shows the protocol tab and saves a picture of the window. With a second
// file name it also saves the protocol tab made tall enough to show every
// entry at once (the window shows the newest entry at the top).
// Usage (on a display, e.g. under xvfb-run): protocol_shot window.png [tab.png]

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTabBar>
#include <cstdio>

#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_plot_form.h"
#include "app/results/protocol_view.h"
#include "app/widgets/form_view_ex.h"
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
        std::fprintf(stderr, "usage: %s window.png [tab.png]\n", argv[0]);
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
    if (!frame->grab().save(QString::fromLocal8Bit(argv[1]))) return 1;
    if (argc < 3) return 0;

    // The tab grown by the height of the text that lies out of sight.
    CDistPlotCompForm* tabs = frame->ResultTabs();
    CProtocolView* view = frame->ProtocolView();
    QWidget* area = view->Control(CProtocolView::kTextArea);
    const int hidden = view->Edit()->verticalScrollBar()->maximum() + 4;
    for (QWidget* w : {static_cast<QWidget*>(view->Edit()), area, static_cast<QWidget*>(view),
                       view->parentWidget(), static_cast<QWidget*>(tabs)})
        w->resize(w->width(), w->height() + hidden);
    for (int id :
         {CProtocolView::kClearButton, CProtocolView::kPrintButton, CProtocolView::kSaveButton})
        view->Control(id)->move(view->Control(id)->x(), view->Control(id)->y() + hidden);
    view->Edit()->verticalScrollBar()->setValue(0);
    Settle(300);
    return tabs->grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
