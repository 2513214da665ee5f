#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include "platform/scripted_dialogs.h"

namespace platform {
namespace {

TEST(ScriptedDialogs, AnswersFromTheQueueAndRecordsTheQuestions) {
    MessageBoxService* real = &MessageBoxes();
    {
        ScriptedDialogs dialogs;
        EXPECT_NE(&MessageBoxes(), real);
        dialogs.QueueMessageAnswer(MessageAnswer::No);
        EXPECT_EQ(
            ShowMessage(nullptr, "Save?", "Quorix", MessageIcon::Question, MessageButtons::YesNo),
            MessageAnswer::No);
        EXPECT_EQ(
            ShowMessage(nullptr, "Calculation interrupted!", "Interruption", MessageIcon::Error),
            MessageAnswer::Ok);  // queue empty
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages[1].text, "Calculation interrupted!");
        EXPECT_EQ(dialogs.messages[1].caption, "Interruption");
        EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::Error);

        dialogs.QueueFileAnswer(QString("/tmp/protocol.rtf"));
        FileDialogRequest request{"Name of protocol file", "/tmp", "Rich text (*.rtf)", "rtf"};
        EXPECT_EQ(FileDialogs().SaveFileName(nullptr, request), QString("/tmp/protocol.rtf"));
        EXPECT_EQ(FileDialogs().OpenFileName(nullptr, request), std::nullopt);  // cancelled
        ASSERT_EQ(dialogs.fileQuestions.size(), 2u);
        EXPECT_TRUE(dialogs.fileQuestions[0].save);
        EXPECT_EQ(dialogs.fileQuestions[0].request.title, "Name of protocol file");

        dialogs.QueuePrintAnswer(true);
        EXPECT_TRUE(PrintDialogs().ChoosePrinter(nullptr, nullptr));
        EXPECT_FALSE(PrintDialogs().ChoosePrinter(nullptr, nullptr));
        EXPECT_EQ(dialogs.printQuestions, 2);
    }
    EXPECT_EQ(&MessageBoxes(), real);  // the real dialogs are back
}

}  // namespace
}  // namespace platform
