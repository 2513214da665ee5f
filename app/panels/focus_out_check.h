#pragma once

#include <QObject>
#include <functional>

class QLineEdit;

// Runs a check when an edit loses the focus to another control of its
// window. A check that fails shows its message and puts the focus back; the
// focus moves it makes (and the message box taking the focus from the
// window) start no further check, so a message shows once and two bad edits
// cannot hand the focus back and forth.
class FocusOutCheck : public QObject {
  public:
    // `check` returns false after it has reported the error and refocused.
    FocusOutCheck(QObject* parent, std::function<bool(QLineEdit*)> check);
    void Watch(QLineEdit* edit);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<bool(QLineEdit*)> check_;
    bool checking_ = false;
};
