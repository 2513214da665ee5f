// Starts the program's main window where the window manager puts it, chooses
// a test from the Tests menu (by default Means -> "Two independent groups"),
// presses "Determine =>" beside its effect size and the panel's "Calculate",
// and saves a picture of the whole screen, to look at the drawer's place
// beside the window and at the panel's labels. Prints the windows' places.
// Usage (on an X display with a window manager, e.g. under xvfb-run):
//   drawer_shot out.png [popup item]

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "app/drawer/drawer_wnd.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/panels/effect_size_panel.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Print(const char* what, const QRect& r) {
    std::printf("%-8s x %d-%d, y %d-%d\n", what, r.left(), r.right(), r.top(), r.bottom());
}

// Tests -> `popup` -> `item`, as the user chooses it; false when missing.
bool ChooseTest(CMainFrame* frame, const QString& popup, const QString& item) {
    QMenu* tests = frame_test::OpenTestsMenu(frame->menuBar());
    if (!tests) return false;
    for (QAction* sub : tests->actions()) {
        if (!sub->menu() || sub->text().remove(QLatin1Char('&')) != popup) continue;
        for (QAction* test : sub->menu()->actions()) {
            if (test->text().remove(QLatin1Char('&')) != item) continue;
            test->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s out.png [popup item]\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    Settle(800);
    const QString popup = argc == 4 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Means");
    const QString item =
        argc == 4 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("Two independent groups");
    if (!ChooseTest(frame, popup, item)) {
        std::fprintf(stderr, "no test %s -> %s\n", argv[argc == 4 ? 2 : 0], argv[argc - 1]);
        return 1;
    }
    Settle(300);
    CQuorixMainCompForm* form = frame->EditFieldForm();
    if (!form || form->EffectSizeRow() < 0) return 1;
    Print("frame", frame->frameGeometry());
    form->Button(form_tables::DetermineButtonId(form->EffectSizeRow()))->click();
    Settle(1000);
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    if (!drawer) return 1;
    if (auto* panel = dynamic_cast<CEffectSizePanel*>(drawer->Panel(0))) {
        if (QAbstractButton* calculate = panel->Button(CEffectSizePanel::kCalculateButtonId))
            calculate->click();
        Settle(300);
    }
    Print("screen", QGuiApplication::primaryScreen()->availableGeometry());
    Print("frame", frame->frameGeometry());
    Print("drawer", drawer->frameGeometry());
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    return screen.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
