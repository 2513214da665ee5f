#include "ui/grid/title_tip.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

namespace {

bool InClassicRect(const QRect& r, QPoint p) {
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

}  // namespace

CTitleTip::CTitleTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    dblClickTime_ = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    clock_.start();
    // A tip never outlasts the application's focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now) Hide();
    });
}

CTitleTip::~CTitleTip() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
}

bool CTitleTip::Create(QWidget* parent) {
    parent_ = parent;
    created_ = true;
    return true;
}

void CTitleTip::Show(const QRect& titleRect, const QString& text, int xOffset,
                     const QRect* hoverRect, const QFont* font, const QColor& textClr,
                     const QColor& backClr) {
    if (!created_ && !Create(parent_)) return;
    if (titleRect.right() <= titleRect.left() || titleRect.bottom() <= titleRect.top()) return;
    if (isVisible() || !parent_) return;
    if (!QApplication::focusWidget()) return;

    // Kept in global coordinates, so that moving the tip cannot shift it.
    QRect hover = hoverRect ? *hoverRect : titleRect;
    hover.setRight(hover.right() + 1);
    hover.setBottom(hover.bottom() + 1);
    hoverRect_ =
        QRect(parent_->mapToGlobal(hover.topLeft()), parent_->mapToGlobal(hover.bottomRight()));
    titleRect_ =
        QRect(QPoint(-xOffset - 1, -1), QPoint(titleRect.right() - titleRect.left() - xOffset,
                                               titleRect.bottom() - titleRect.top() + 1));

    const QPoint topLeft = parent_->mapToGlobal(titleRect.topLeft());
    const QPoint bottomRight = parent_->mapToGlobal(titleRect.bottomRight());
    font_ = font ? *font : parent_->font();
    const QString shown = QLatin1Char(' ') + text + QLatin1Char(' ');
    const int textWidth = QFontMetrics(font_).horizontalAdvance(shown);
    const int left = topLeft.x() + xOffset;
    const int right = left + textWidth + xOffset;
    if (right <= bottomRight.x() - xOffset) return;  // the text fits

    shown_ = shown;
    textClr_ = textClr;
    backClr_ = backClr;
    setGeometry(left, topLeft.y(), right - left, bottomRight.y() - topLeft.y());
    show();
    raise();
    grabMouse();
}

void CTitleTip::Hide() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
    hide();
}

void CTitleTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    painter.fillRect(client,
                     backClr_.isValid() ? backClr_ : palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawRect(client.adjusted(0, 0, -1, -1));
    painter.setFont(font_);
    painter.setPen(textClr_.isValid() ? textClr_ : palette().color(QPalette::ToolTipText));
    painter.drawText(client.adjusted(1, 1, -1, -1),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown_);
}

QWidget* CTitleTip::TargetAt(QPoint global) const {
    QWidget* target = QApplication::widgetAt(global);
    if (target && target != this) return target;
    // A scroll area takes its mouse input through its viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(parent_.data())) return area->viewport();
    return parent_;
}

void CTitleTip::mouseMoveEvent(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    if (InClassicRect(hoverRect_, global)) return;
    Hide();
    if (QWidget* target = TargetAt(global)) {
        QCoreApplication::postEvent(
            target,
            new QMouseEvent(QEvent::MouseMove, target->mapFromGlobal(e->globalPosition()),
                            e->globalPosition(), Qt::NoButton, e->buttons(), e->modifiers()));
    }
}

void CTitleTip::ForwardPress(QMouseEvent* e) {
    bool doubleClick = false;
    if (e->button() == Qt::LeftButton) {
        const qint64 now = clock_.elapsed();
        doubleClick = lastLButtonDown_ >= 0 && now - lastLButtonDown_ <= dblClickTime_;
        lastLButtonDown_ = now;
    }
    Hide();
    const QPointF global = e->globalPosition();
    QWidget* target = TargetAt(global.toPoint());
    if (!target) return;
    pressTarget_ = target;
    QCoreApplication::postEvent(target, new QMouseEvent(doubleClick ? QEvent::MouseButtonDblClick
                                                                    : QEvent::MouseButtonPress,
                                                        target->mapFromGlobal(global), global,
                                                        e->button(), e->buttons(), e->modifiers()));
    e->accept();
}

void CTitleTip::mousePressEvent(QMouseEvent* e) {
    ForwardPress(e);
}

void CTitleTip::mouseDoubleClickEvent(QMouseEvent* e) {
    ForwardPress(e);
}

void CTitleTip::mouseReleaseEvent(QMouseEvent* e) {
    // The press went to another window, which takes the release as well.
    QWidget* target = pressTarget_;
    pressTarget_ = nullptr;
    if (!target) return;
    const QPointF global = e->globalPosition();
    QCoreApplication::postEvent(
        target, new QMouseEvent(QEvent::MouseButtonRelease, target->mapFromGlobal(global), global,
                                e->button(), e->buttons(), e->modifiers()));
    e->accept();
}

void CTitleTip::keyPressEvent(QKeyEvent* e) {
    Hide();
    if (parent_)
        QCoreApplication::postEvent(
            parent_, new QKeyEvent(e->type(), e->key(), e->modifiers(), e->text(),
                                   e->isAutoRepeat(), static_cast<ushort>(e->count())));
    e->accept();
}
