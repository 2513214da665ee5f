// Pictures of what start-up work touches, for comparing two builds pixel by
// pixel: the main window as it first shows, the Tests menu with its first
// submenu open, the analysis type's dropped list, the effect-size drawer and
// the About dialog. Each picture is the whole screen.
// Usage (on an X display, e.g. xvfb-run -s "-screen 0 1280x800x24"):
//   startup_shots out/prefix   -> out/prefix-window.png, -menu.png, -list.png,
//                                 -drawer.png, -dialog.png

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "analysis/ids.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/selection_form.h"
#include "app/frame/font_configuration.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QString prefix;

bool Save(const char* what) {
    const QString path = prefix + QLatin1Char('-') + QLatin1String(what) + QStringLiteral(".png");
    const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out/prefix\n", argv[0]);
        return 2;
    }
    prefix = QString::fromLocal8Bit(argv[1]);
    // The font configuration as the program reads it, and the application
    // font as the program names it, at start-up.
    InitFontConfiguration();
    auto application = platform::CreateApplication(argc, argv);
    AdoptApplicationFamily(GenericSansFamily());
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    Settle(800);
    bool ok = Save("window");

    // Tests, then its first submenu, as the mouse would open them.
    QMenu* tests = nullptr;
    for (QAction* top : frame->menuBar()->actions()) {
        if (top->menu() && top->text() == QStringLiteral("&Tests")) tests = top->menu();
    }
    if (!tests) return 1;
    frame->menuBar()->setActiveAction(tests->menuAction());
    Settle(300);
    for (QAction* item : tests->actions()) {
        if (!item->menu()) continue;
        tests->setActiveAction(item);
        item->menu()->popup(tests->mapToGlobal(tests->actionGeometry(item).topRight()));
        break;
    }
    Settle(500);
    ok = Save("menu") && ok;
    tests->close();
    frame->menuBar()->setActiveAction(nullptr);
    Settle(300);

    // The analysis type's list, dropped.
    CTestSelectCompForm* selection = frame->TestSelectionForm();
    QComboBox* types = selection ? selection->List(CTestSelectCompForm::kTypeList) : nullptr;
    if (!types) return 1;
    types->showPopup();
    Settle(500);
    ok = Save("list") && ok;
    types->hidePopup();
    Settle(300);

    // The drawer of the two-means test's effect size.
    if (!frame->SelectTest(kTwoMeansTestId)) return 1;
    CQuorixMainCompForm* form = frame->EditFieldForm();
    if (!form || form->EffectSizeRow() < 0) return 1;
    form->Button(form_tables::DetermineButtonId(form->EffectSizeRow()))->click();
    Settle(1000);
    ok = Save("drawer") && ok;
    frame->CloseEffectSizeDrawer();
    Settle(500);

    // Help -> About, a modal dialog: pictured and closed from a timer.
    QTimer::singleShot(700, [&ok] {
        ok = Save("dialog") && ok;
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    frame->HandleCommand(command_ids::kAbout);
    return ok ? 0 : 1;
}
