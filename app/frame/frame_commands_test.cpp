// The menus and the tool bar as a user meets them: which commands are
// offered, and that their states follow the result pane's tabs at once.

#include <gtest/gtest.h>

#include <QDir>
#include <QMenuBar>
#include <QTabBar>
#include <QToolBar>

#include "app/calculator/calculator.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_plot_form.h"
#include "platform/commands.h"
#include "platform/environment.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

using namespace command_ids;

class FrameCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame_test::UseScriptedCatalogue(frame);
        frame_test::ActiveScript() = &script;
        script.plot = [this](PlotData* plot) {
            ++plots;
            plot->centralCurve.push_back({0.0, 0.5});
        };
    }
    void TearDown() override {
        frame_test::ActiveScript() = nullptr;
        frame_test::ForgetScriptedFamilies();
    }
    // The menu item of command `id` as the menu bar holds it.
    QAction* MenuAction(int id) {
        for (QAction* top : frame->menuBar()->actions()) {
            if (!top->menu()) continue;
            for (QAction* item : top->menu()->actions()) {
                if (platform::CommandRouter::CommandId(item) == id) return item;
            }
        }
        return nullptr;
    }
    QWidget* ToolButton(int id) {
        auto* bar = frame->findChild<QToolBar*>();
        QAction* action = MenuAction(id);
        return bar && action ? bar->widgetForAction(action) : nullptr;
    }
    void ShowTab(int index) {
        qobject_cast<QTabBar*>(frame->ResultTabs()->Control(CDistPlotCompForm::kTabs))
            ->setCurrentIndex(index);
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    frame_test::Script script;
    int plots = 0;
};

TEST_F(FrameCommands, TheCalculatorOpensFromTheViewMenuAndTheToolBar) {
    QAction* item = MenuAction(kCalculator);
    ASSERT_NE(item, nullptr);
    QWidget* button = ToolButton(kCalculator);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(button->isEnabled());
    item->trigger();
    ASSERT_NE(frame->Calculator(), nullptr);
    EXPECT_TRUE(frame->Calculator()->isVisible());
    // Again: the same window comes forward.
    CCalculator* first = frame->Calculator();
    first->hide();
    item->trigger();
    EXPECT_EQ(frame->Calculator(), first);
    EXPECT_TRUE(first->isVisible());
}

// The View menu's pane switches say which key toggles them, spelt right.
TEST_F(FrameCommands, TheViewMenuNamesTheKeysThatTogglePlotAndSelection) {
    ASSERT_NE(MenuAction(kTogglePlot), nullptr);
    ASSERT_NE(MenuAction(kToggleTestSelection), nullptr);
    EXPECT_EQ(MenuAction(kTogglePlot)->text(), "Hide &plot (toggle F4)");
    EXPECT_EQ(MenuAction(kToggleTestSelection)->text(), "Hide test selection (toggle F5)");
}

// No menu needs to be opened for the tool bar to show the right states.
TEST_F(FrameCommands, StatesFollowTheShownTabWithoutOpeningAMenu) {
    const int protocolCommands[] = {kSaveProtocol, kPrintProtocol, kClearProtocol};
    const int plotCommands[] = {kCopyDistributionsPlot, kSaveDistributionsPlot,
                                kPrintDistributionsPlot};
    frame->OnCalculate();
    for (int tab : {1, 0, 1, 0}) {
        ShowTab(tab);
        for (int id : protocolCommands) {
            ASSERT_NE(MenuAction(id), nullptr) << id;
            EXPECT_EQ(MenuAction(id)->isEnabled(), tab == 1) << "tab " << tab << " command " << id;
        }
        for (int id : plotCommands)
            EXPECT_EQ(MenuAction(id)->isEnabled(), tab == 0) << "tab " << tab << " command " << id;
        EXPECT_EQ(ToolButton(kSaveProtocol)->isEnabled(), tab == 1) << tab;
        EXPECT_EQ(ToolButton(kCopyDistributionsPlot)->isEnabled(), tab == 0) << tab;
    }
}

// Copy, Save and Print of the distributions plot are offered only while a
// plot is shown: not before a calculation, not after an input changed, not
// for a test without distributions; in the menu and on the tool bar alike.
TEST_F(FrameCommands, ThePlotCommandsAreOfferedOnlyWhileAPlotIsShown) {
    auto offered = [this] {
        const bool menu = MenuAction(kCopyDistributionsPlot)->isEnabled();
        EXPECT_EQ(MenuAction(kSaveDistributionsPlot)->isEnabled(), menu);
        EXPECT_EQ(MenuAction(kPrintDistributionsPlot)->isEnabled(), menu);
        EXPECT_EQ(ToolButton(kCopyDistributionsPlot)->isEnabled(), menu);
        return menu;
    };
    EXPECT_FALSE(offered());
    MenuAction(kCopyDistributionsPlot)->trigger();  // as a shortcut would
    EXPECT_TRUE(dialogs.fileQuestions.empty());
    frame->OnCalculate();
    EXPECT_TRUE(offered());
    frame->OnInputsChanged();
    EXPECT_FALSE(offered());
    frame->OnCalculate();
    EXPECT_TRUE(offered());
    // A test that draws no distributions shows its outputs but no picture.
    script.plot = [](PlotData*) {};
    frame->OnCalculate();
    EXPECT_TRUE(frame->OutputsValid());
    EXPECT_FALSE(offered());
    MenuAction(kSaveDistributionsPlot)->trigger();
    EXPECT_TRUE(dialogs.fileQuestions.empty());
}

TEST_F(FrameCommands, ACalculationOnTheProtocolTabIsPlottedOnTheWayBack) {
    ShowTab(1);
    frame->OnCalculate();
    EXPECT_TRUE(frame->OutputsValid());
    EXPECT_EQ(plots, 0);
    EXPECT_FALSE(frame->PlotValid());
    ShowTab(0);
    EXPECT_EQ(plots, 1);
    EXPECT_TRUE(frame->PlotValid());
    // Once drawn it stays: going back and forth computes nothing more.
    ShowTab(1);
    ShowTab(0);
    EXPECT_EQ(plots, 1);
}

TEST_F(FrameCommands, EditedInputsOweNoPlot) {
    ShowTab(1);
    frame->OnCalculate();
    frame->OnInputsChanged();
    ShowTab(0);
    EXPECT_EQ(plots, 0);
    EXPECT_FALSE(frame->PlotValid());
}

// Pressing Save as offered must never write a file named after the folder.
TEST_F(FrameCommands, SaveDialogsOfferANameOfTheirKindInTheDocumentsFolder) {
    frame->OnCalculate();
    MenuAction(kSaveDistributionsPlot)->trigger();
    ShowTab(1);
    MenuAction(kSaveProtocol)->trigger();
    ASSERT_EQ(dialogs.fileQuestions.size(), 2u);
    const struct {
        const char* name;
        const char* suffix;
    } expected[] = {{"*.emf", "emf"}, {"*.rtf", "rtf"}};
    for (int i = 0; i < 2; ++i) {
        const platform::FileDialogRequest& request = dialogs.fileQuestions[i].request;
        EXPECT_TRUE(dialogs.fileQuestions[i].save);
        EXPECT_EQ(request.fileName, expected[i].name);
        EXPECT_EQ(request.defaultSuffix, expected[i].suffix);
        EXPECT_EQ(QDir(request.folder).absolutePath(),
                  QDir(platform::DocumentsFolder()).absolutePath());
    }
}

// The window cannot be sized, so it offers no maximise box either.
TEST_F(FrameCommands, TheMainWindowHasNoMaximiseBoxAndAFixedSize) {
    frame->show();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
}

}  // namespace
