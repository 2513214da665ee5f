// The protocol in the main window: the driver's entries, and the File menu's
// protocol commands, which act only while the protocol tab is shown.

#include <QAbstractButton>
#include <QTabBar>

#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_plot_form.h"
#include "app/results/protocol_view.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

using namespace command_ids;

class ProtocolTab : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame_test::UseScriptedCatalogue(frame);
        frame_test::ActiveScript() = &script;
        ASSERT_NE(frame->ResultTabs(), nullptr);
        view = frame->ProtocolView();
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        frame_test::ActiveScript() = nullptr;
        frame_test::ForgetScriptedFamilies();
    }
    void ShowTab(int index) {
        qobject_cast<QTabBar*>(frame->ResultTabs()->Control(CDistPlotCompForm::kTabs))
            ->setCurrentIndex(index);
    }
    bool Enabled(int id) { return frame->Commands().Query(id).enabled; }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    CProtocolView* view = nullptr;
    frame_test::Script script;
};

TEST_F(ProtocolTab, CalculationsAppendNumberedEntries) {
    EXPECT_TRUE(view->IsEmpty());
    for (const char* result : {"0.25", "0.5", "0.75"}) {
        script.result = result;
        frame->OnCalculate();
    }
    const std::string text = frame->ProtocolText();
    EXPECT_EQ(text.rfind("[1] -- ", 0), 0u) << text;
    const size_t second = text.find("\n\n[2] -- ");
    const size_t third = text.find("\n\n[3] -- ");
    ASSERT_NE(second, std::string::npos) << text;
    ASSERT_NE(third, std::string::npos) << text;
    EXPECT_NE(text.find("Output:\tResult\t=\t0.5\n", second), std::string::npos) << text;
    EXPECT_NE(text.find("Output:\tResult\t=\t0.75\n", third), std::string::npos) << text;
    EXPECT_EQ(view->EntryCount(), 3);
}

TEST_F(ProtocolTab, CommandsActOnlyWhileTheProtocolTabIsShown) {
    frame->OnCalculate();
    const int commands[] = {kSaveProtocol, kPrintProtocol, kClearProtocol};
    for (int id : commands) EXPECT_FALSE(Enabled(id)) << id;
    // Dispatched anyway (a stale menu), they do nothing on the graph tab.
    for (int id : commands) frame->Commands().Dispatch(id);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.fileQuestions.empty());
    EXPECT_EQ(dialogs.printQuestions, 0);

    ShowTab(1);
    for (int id : commands) EXPECT_TRUE(Enabled(id)) << id;
    frame->Commands().Dispatch(kSaveProtocol);
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_EQ(dialogs.fileQuestions[0].request.title, "Name of protocol file");
    frame->Commands().Dispatch(kPrintProtocol);
    EXPECT_EQ(dialogs.printQuestions, 1);
    dialogs.QueueMessageAnswer(platform::MessageAnswer::Yes);
    frame->Commands().Dispatch(kClearProtocol);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(view->IsEmpty());
    frame->OnCalculate();
    EXPECT_EQ(frame->ProtocolText().rfind("[1] -- ", 0), 0u);

    // A hidden result pane hides its tabs' commands too.
    frame->Commands().Dispatch(kTogglePlot);
    for (int id : commands) EXPECT_FALSE(Enabled(id)) << id;
}

// The view's buttons do what the commands do.
TEST_F(ProtocolTab, TheViewsButtonsClearPrintAndSave) {
    frame->OnCalculate();
    ShowTab(1);
    view->Button(CProtocolView::kSaveButton)->click();
    EXPECT_EQ(dialogs.fileQuestions.size(), 1u);
    view->Button(CProtocolView::kPrintButton)->click();
    EXPECT_EQ(dialogs.printQuestions, 1);
    dialogs.QueueMessageAnswer(platform::MessageAnswer::No);
    view->Button(CProtocolView::kClearButton)->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(view->IsEmpty());
}

}  // namespace
