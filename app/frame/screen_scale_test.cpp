// The program on a small screen at 200 % (1280 x 800 pixels, 640 x 400 of the
// program's): every window fits the screen's free area, and the controls
// that lie beyond it are scrolled to and used.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analysis/ids.h"
#include "app/drawer/drawer_wnd.h"
#include "app/explorer/glmm_explorer.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/options/options_dialogs.h"
#include "app/panels/effect_size_panel.h"
#include "app/xyplot/xy_plot_window.h"
#include "platform/environment.h"
#include "platform/scripted_dialogs.h"

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;
constexpr double kScale = 2.0;

void RunEventsFor(int ms) {
    QTest::qWait(ms);
}

QRect Area(const QWidget* window) {
    return window->screen()->availableGeometry();
}

QRect GlobalRect(const QWidget* widget) {
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

// Scrolls every scroll area around `control` to it, as a user would, and
// expects it then to lie in the visible part of its window and on the screen.
void ExpectReachable(QWidget* control, const char* what) {
    ASSERT_NE(control, nullptr) << what;
    for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        if (auto* scroller = qobject_cast<QScrollArea*>(w)) {
            scroller->ensureWidgetVisible(control, 0, 0);
            const QRect shown = GlobalRect(scroller->viewport());
            EXPECT_TRUE(shown.contains(GlobalRect(control)))
                << what << " lies outside the scrolled view";
        }
    }
    EXPECT_TRUE(control->isVisible()) << what;
    EXPECT_TRUE(Area(control->window()).contains(GlobalRect(control)))
        << what << " is off the screen";
}

void ExpectOnTheScreen(QWidget* window, const char* what) {
    ASSERT_NE(window, nullptr) << what;
    EXPECT_TRUE(Area(window).contains(window->frameGeometry()))
        << what << " at " << window->frameGeometry().x() << "," << window->frameGeometry().y()
        << " size " << window->frameGeometry().width() << "x" << window->frameGeometry().height();
}

class SmallScaledScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
        RunEventsFor(50);
        // The configured screen in the program's pixels.
        ASSERT_EQ(frame->screen()->geometry(),
                  QRect(0, 0, kScreenWidth / kScale, kScreenHeight / kScale));
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

TEST_F(SmallScaledScreen, TheMainWindowFitsAndCalculateIsClickedOnTheScreen) {
    ExpectOnTheScreen(frame, "the main window");
    // The panes are taller than the screen: the window scrolls them.
    ASSERT_GT(frame->MainForm()->parentWidget()->height(), Area(frame).height());
    QAbstractButton* calculate = frame->CommandForm()->Button(form_tables::kCalculateButton);
    // In view from the start, and still after the plot was scrolled to.
    auto* scroller = qobject_cast<QScrollArea*>(frame->centralWidget());
    ASSERT_NE(scroller, nullptr);
    EXPECT_TRUE(GlobalRect(scroller->viewport()).contains(GlobalRect(calculate)));
    scroller->ensureWidgetVisible(frame->PlotPane(), 0, 0);
    ExpectReachable(calculate, "Calculate");
    ASSERT_FALSE(frame->OutputsValid());
    QTest::mouseClick(calculate, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !frame->IsCalculationRunning(); }, 20000));
    RunEventsFor(20);
    EXPECT_TRUE(frame->OutputsValid()) << "the click did not calculate";
    EXPECT_TRUE(dialogs.messages.empty());
    ExpectOnTheScreen(frame, "the main window after calculating");
}

TEST_F(SmallScaledScreen, TheDrawerAndTheXYPlotWindowFitTheScreen) {
    frame->CreateEffectSizePanels(frame->EffectSizePanelId());
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    RunEventsFor(20);
    ExpectOnTheScreen(drawer, "the drawer");
    ExpectOnTheScreen(frame, "the main window beside the drawer");
    ExpectReachable(
        drawer->Panel(drawer->PanelCount() - 1)->Button(CEffectSizePanel::kCloseButtonId),
        "the drawer's Close");
    frame->CloseEffectSizeDrawer();

    frame->OnCalculate();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !frame->IsCalculationRunning(); }, 20000));
    ASSERT_TRUE(frame->OutputsValid());
    frame->OnXYPlot();
    CPlotAndTable* plot = frame->XYPlotWindow();
    ASSERT_NE(plot, nullptr);
    RunEventsFor(20);
    ExpectOnTheScreen(plot, "the X-Y plot window");
    ExpectReachable(plot->Form()->Button(xy_plot_ids::kDrawPlot), "Draw plot");
    plot->SetResizable(true);
    ExpectOnTheScreen(plot, "the sizable X-Y plot window");
    plot->close();
}

// The options dialog, shown and looked at instead of waiting for a user.
class LookingOptionsDialogs : public FormOptionsDialogs {
  public:
    QRect shownAt;
    QRect area;
    bool okReachable = false;

  protected:
    void Run(COptionsDialog* dialog) override {
        dialog->show();
        RunEventsFor(20);
        shownAt = dialog->frameGeometry();
        area = Area(dialog);
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() != QStringLiteral("OK")) continue;
            ExpectReachable(button, "the options' OK");
            okReachable = true;
        }
        dialog->reject();
    }
};

TEST_F(SmallScaledScreen, TheDialogsFitTheScreen) {
    ASSERT_TRUE(frame->SelectTest(kWilcoxonOneSampleTestId));
    auto* looking = new LookingOptionsDialogs;
    auto old = SetOptionsDialogService(std::unique_ptr<OptionsDialogService>(looking));
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_TRUE(looking->area.contains(looking->shownAt));
    EXPECT_TRUE(looking->okReachable);
    SetOptionsDialogService(std::move(old));

    QRect explorerAt;
    QTimer::singleShot(0, frame, [&explorerAt] {
        QWidget* explorer = QApplication::activeModalWidget();
        if (!explorer) return;
        RunEventsFor(20);
        explorerAt = explorer->frameGeometry();
        explorer->close();
    });
    frame->OnExplorer();
    EXPECT_TRUE(Area(frame).contains(explorerAt))
        << explorerAt.width() << "x" << explorerAt.height();
}

}  // namespace

int main(int argc, char** argv) {
    // The offscreen platform with one screen of the configured size.
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() /
        ("quorix-small-screen-" + std::to_string(::getpid()) + ".json");
    QFile file(QString::fromStdString(config.string()));
    if (!file.open(QIODevice::WriteOnly)) return 2;
    file.write(QStringLiteral("{\"screens\": [{\"name\": \"small\", \"x\": 0, \"y\": 0, "
                              "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, "
                              "\"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                   .arg(kScreenWidth)
                   .arg(kScreenHeight)
                   .toUtf8());
    file.close();
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
    setenv("QT_SCALE_FACTOR", std::to_string(kScale).c_str(), 1);
    int result = 0;
    {
        auto application = platform::CreateApplication(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::filesystem::remove(config);
    return result;
}
