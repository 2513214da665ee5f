// Starts the program's main window, presses "Determine =>" of the effect
// size of the two-group t test, presses the panel's "Calculate" and saves a
// picture of the screen part that holds the main window and the drawer
// beside it, to look at the drawer's place and the panel's labels.
// Usage (on an X display with a window manager, e.g. under xvfb-run):
//   drawer_shot out.png

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "analysis/ids.h"
#include "app/drawer/drawer_wnd.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/panels/effect_size_panel.h"
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
    frame->move(40, 30);
    settle(800);
    if (!frame->SelectTest(kTwoMeansTestId)) return 1;
    CQuorixMainCompForm* form = frame->EditFieldForm();
    if (!form || form->EffectSizeRow() < 0) return 1;
    form->Button(form_tables::DetermineButtonId(form->EffectSizeRow()))->click();
    settle(1000);
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    if (!drawer) return 1;
    if (auto* panel = dynamic_cast<CEffectSizePanel*>(drawer->Panel(0))) {
        if (QAbstractButton* calculate = panel->Button(CEffectSizePanel::kCalculateButtonId))
            calculate->click();
        settle(300);
    }
    const QRect area =
        frame->frameGeometry().united(drawer->frameGeometry()).adjusted(-8, -8, 8, 8);
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    return screen.copy(area).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
