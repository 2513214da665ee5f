#include "app/panels/focus_out_check.h"

#include <QFocusEvent>
#include <QLineEdit>

FocusOutCheck::FocusOutCheck(QObject* parent, std::function<bool(QLineEdit*)> check)
    : QObject(parent), check_(std::move(check)) {}

void FocusOutCheck::Watch(QLineEdit* edit) {
    if (edit) edit->installEventFilter(this);
}

bool FocusOutCheck::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusOut || checking_) return false;
    // The window losing the focus (a message box, another program, a menu)
    // is no leaving of the edit: the focus comes back to it.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    checking_ = true;
    const bool passed = check_(edit);
    checking_ = false;
    // A failed check has given the focus back; the edit must not go on to
    // handle its loss, which would drop the selection of the bad text.
    return !passed;
}
