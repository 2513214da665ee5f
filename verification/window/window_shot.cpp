// The main window as a new user meets it at 1280x800: the window in the
// middle of the screen, the effect-size drawer opened by "Determine =>", and
// the calculator opened from the View menu. Saves two pictures of the whole
// screen and prints the windows' places.
// Usage (on an X display with a window manager, e.g. xvfb-run with openbox):
//   window_shot drawer.png calculator.png

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "analysis/ids.h"
#include "app/drawer/drawer_wnd.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/commands.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Print(const char* what, const QRect& r) {
    std::printf("%-10s x %d-%d, y %d-%d\n", what, r.left(), r.right(), r.top(), r.bottom());
}

bool SaveScreen(const char* path) {
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(path));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s drawer.png calculator.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    Settle(800);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    frame->move(screen.center().x() - frame->frameGeometry().width() / 2, 20);
    Settle(500);
    if (!frame->SelectTest(kTwoMeansTestId)) return 1;
    CQuorixMainCompForm* form = frame->EditFieldForm();
    if (!form || form->EffectSizeRow() < 0) return 1;
    form->Button(form_tables::DetermineButtonId(form->EffectSizeRow()))->click();
    Settle(1000);
    Print("screen", screen);
    Print("frame", frame->frameGeometry());
    if (CDrawerWnd* drawer = frame->EffectSizeDrawer()) Print("drawer", drawer->frameGeometry());
    if (!SaveScreen(argv[1])) return 1;
    frame->CloseEffectSizeDrawer();

    // View -> Calculator, as the user reaches it.
    for (QAction* top : frame->menuBar()->actions()) {
        if (!top->menu()) continue;
        for (QAction* item : top->menu()->actions()) {
            if (platform::CommandRouter::CommandId(item) != command_ids::kCalculator) continue;
            std::printf("View -> Calculator %s\n", item->isEnabled() ? "enabled" : "disabled");
            item->trigger();
        }
    }
    Settle(1000);
    return SaveScreen(argv[2]) ? 0 : 1;
}
