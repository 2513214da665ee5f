#include "app/widgets/spin_buttons.h"

#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "glm/labeled_matrix.h"

SpinButtons::SpinButtons(QLineEdit* buddy, int low, int high, QWidget* parent)
    : QWidget(parent),
      buddy_(buddy),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)),
      low_(low),
      high_(high) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void SpinButtons::StepBy(int steps) {
    if (!buddy_) return;
    const long long now = ReadLeadingInteger(buddy_->text().toStdWString());
    const long long next = std::clamp<long long>(now + steps, low_, high_);
    if (next == now && buddy_->text().trimmed() == QString::number(now)) return;
    buddy_->setText(QString::number(next));
    if (onStep_) onStep_();
}

void SpinButtons::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}
