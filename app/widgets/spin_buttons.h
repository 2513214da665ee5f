#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

// The up and down arrows beside a count field: a click steps the field's
// integer by one within [low, high] and reports the step, as a user's
// change of the count.
class SpinButtons : public QWidget {
  public:
    SpinButtons(QLineEdit* buddy, int low, int high, QWidget* parent);

    // Called after every step that changed the field.
    void SetOnStep(std::function<void()> onStep) { onStep_ = std::move(onStep); }
    void StepBy(int steps);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPointer<QLineEdit> buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int low_;
    int high_;
    std::function<void()> onStep_;
};
