#include "app/widgets/xinfo_tip.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

CXInfoTip::CXInfoTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
      font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont)),
      cursorPos_([] { return QCursor::pos(); }) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    showTimer_.setSingleShot(true);
    showTimer_.setInterval(kShowDelayMs);
    watchTimer_.setInterval(kWatchIntervalMs);
    QObject::connect(&showTimer_, &QTimer::timeout, this, [this] { ShowTip(); });
    QObject::connect(&watchTimer_, &QTimer::timeout, this, [this] { WatchCursor(); });
}

CXInfoTip::~CXInfoTip() {
    showTimer_.stop();
    watchTimer_.stop();
}

void CXInfoTip::Create(QWidget* parent) {
    // A pop-up owned by the parent's window: it stays above it and goes with it.
    setParent(parent ? parent->window() : nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    hide();
}

void CXInfoTip::SetTipFont(const QFont& font) {
    font_ = font;
    if (isVisible()) update();
}

void CXInfoTip::AddTool(QWidget* control, const QString& text, const QIcon& icon) {
    if (control) tools_.insert(control, Tool{text, icon});
}

void CXInfoTip::RemoveTool(QWidget* control) {
    tools_.remove(control);
}

bool CXInfoTip::HasTool(QWidget* control) const {
    return tools_.contains(control);
}

void CXInfoTip::RelayEvent(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove: {
            const QPoint pos = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (pos != lastPos_) {
                // The registered control under the cursor, or the one that holds
                // the widget under it (a list's inner parts).
                QWidget* under = QApplication::widgetAt(pos);
                while (under && !tools_.contains(under)) under = under->parentWidget();
                if (under) {
                    const Tool& tool = tools_[under];
                    text_ = tool.text;
                    icon_ = tool.icon;
                    iconSize_ = icon_.isNull() ? QSize() : icon_.actualSize(QSize(32, 32));
                    lastPos_ = pos;
                    update();
                    showTimer_.start();
                }
            }
            if (pos != lastPos_) HideTip();
            break;
        }
        case QEvent::MouseButtonPress:
            HideTip();
            break;
        default:
            break;
    }
}

QPainterPath CXInfoTip::BalloonPath(QSize* size) const {
    const QFontMetrics metrics(font_);
    QRect text = metrics.boundingRect(QRect(), Qt::AlignLeft, text_);
    text.setSize(QSize(std::max(0, text.width()), std::max(0, text.height())));
    int w = text.width() + 2 * kMarginX;
    int h = text.height() + 2 * kMarginY;
    if (!iconSize_.isEmpty()) {
        w += iconSize_.width() + 5;
        h = std::max(h, iconSize_.height());
    }
    QPainterPath body;
    body.addRoundedRect(QRectF(0, 0, w, h), 6, 5);
    QPainterPath tail;
    tail.addPolygon(
        QPolygonF({QPointF(w - 12, h - 10), QPointF(w - 12, h + 15), QPointF(w - 37, h - 10)}));
    tail.closeSubpath();
    if (size) *size = QSize(w, h + kTailHeight);
    return body.united(tail);
}

void CXInfoTip::ShowTip() {
    showTimer_.stop();
    QSize size;
    const QPainterPath outline = BalloonPath(&size);
    // Only the balloon belongs to the window; the rest shows what lies behind.
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
    // The tail's tip lies on the cursor.
    const int bodyHeight = size.height() - kTailHeight;
    setGeometry(lastPos_.x() - size.width() + 12, lastPos_.y() - bodyHeight - 15, size.width(),
                size.height());
    show();
    raise();
    update();
    watchTimer_.start();
}

void CXInfoTip::WatchCursor() {
    if (cursorPos_() == lastPos_) return;
    HideTip();
}

void CXInfoTip::HideTip() {
    showTimer_.stop();
    watchTimer_.stop();
    hide();
}

void CXInfoTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = BalloonPath(nullptr).translated(0.5, 0.5);
    const QPalette& colours = palette();
    painter.fillPath(path, colours.color(QPalette::Base));
    painter.strokePath(path, QPen(colours.color(QPalette::Midlight), 3));
    painter.strokePath(path, QPen(colours.color(QPalette::Text), 1));
    int left = kMarginX;
    if (!iconSize_.isEmpty()) {
        icon_.paint(&painter, QRect(QPoint(kMarginX, kMarginY), iconSize_));
        left += iconSize_.width() + 5;
    }
    painter.setFont(font_);
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(rect().adjusted(left, kMarginY, 0, 0), Qt::AlignLeft | Qt::AlignTop, text_);
}
