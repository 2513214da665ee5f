// The real message box, driven by key presses while it waits for an answer.

#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include "platform/dialogs.h"
#include "platform/widget_test_main.h"

namespace platform {
namespace {

// Presses Enter in the message box once it is shown.
void PressEnterInMessageBox() {
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            PressEnterInMessageBox();  // not shown yet
            return;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    });
}

TEST(MessageBox, EnterAnswersNoWhereNoIsTheDefault) {
    PressEnterInMessageBox();
    EXPECT_EQ(ShowMessage(nullptr, "Clear?", "Quorix", MessageIcon::Question,
                          MessageButtons::YesNoDefaultNo),
              MessageAnswer::No);
}

}  // namespace
}  // namespace platform
