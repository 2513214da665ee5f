#include "platform/screen_fit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace platform {

namespace {

// The window manager's frame around `window`: known once it is shown and
// framed; until then taken to be that of a window already shown (its
// parent's first), as a window manager frames its windows alike.
QSize Decoration(const QWidget* window) {
    auto frameOf = [](const QWidget* shown) {
        return (shown->frameGeometry().size() - shown->size()).expandedTo(QSize(0, 0));
    };
    if (window->isVisible() && !frameOf(window).isNull()) return frameOf(window);
    if (const QWidget* parent = window->parentWidget(); parent && parent->window()->isVisible())
        return frameOf(parent->window());
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->windowType() != Qt::Popup &&
            other->windowType() != Qt::ToolTip)
            return frameOf(other);
    }
    return {0, 0};
}

}  // namespace

QRect AvailableArea(const QWidget* window) {
    const QScreen* screen = nullptr;
    if (window) {
        // A dialog not shown yet opens over its parent, on the parent's screen.
        const QWidget* parent = window->parentWidget();
        screen = !window->isVisible() && parent ? parent->screen() : window->screen();
    }
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect FitInside(const QRect& outer, const QRect& area) {
    const QSize size = outer.size().boundedTo(area.size());
    const int x =
        std::max(area.left(), std::min(outer.left(), area.left() + area.width() - size.width()));
    const int y =
        std::max(area.top(), std::min(outer.top(), area.top() + area.height() - size.height()));
    return QRect(QPoint(x, y), size);
}

QSize ScrolledSize(const QSize& contents, const QSize& room, int scrollBar) {
    bool tall = contents.height() > room.height();
    bool wide = contents.width() > room.width();
    // A scroll bar across one dimension takes room from the other, which may
    // then overflow as well.
    if (tall && !wide) wide = contents.width() + scrollBar > room.width();
    if (wide && !tall) tall = contents.height() + scrollBar > room.height();
    return {std::min(room.width(), contents.width() + (tall ? scrollBar : 0)),
            std::min(room.height(), contents.height() + (wide ? scrollBar : 0))};
}

ScreenScroller::ScreenScroller(QWidget* contents, QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // Not a control: the focus goes to the contents, and a control that
    // takes it from the keyboard is scrolled into view.
    setFocusPolicy(Qt::NoFocus);
    // The window's own background shows around the contents, as without
    // the scroller.
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    setWidget(contents);
}

QSize ScreenScroller::sizeHint() const {
    const QWidget* contents = widget();
    if (!contents) return {0, 0};
    const QSize size = contents->sizeHint()
                           .expandedTo(contents->minimumSize())
                           .boundedTo(contents->maximumSize())
                           .expandedTo(QSize(0, 0));
    // Limited, the scroller asks for the room of the scroll bar it shows.
    return ScrolledSize(size, maximumSize(),
                        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
}

void FitToScreen(QWidget* window, ScreenScroller* scroller) {
    if (!window) return;
    const QRect area = AvailableArea(window);
    if (area.isEmpty()) return;
    const QSize decoration = Decoration(window);
    const QSize room = (area.size() - decoration).expandedTo(QSize(1, 1));
    // A window sized to its contents is limited through its scroller; one
    // that the user may size only needs to be no larger than the room.
    const QLayout* layout = window->layout();
    const bool fixed = (layout && layout->sizeConstraint() == QLayout::SetFixedSize) ||
                       window->minimumSize() == window->maximumSize();
    if (scroller && fixed) {
        scroller->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        scroller->updateGeometry();
        if (window->layout()) window->layout()->activate();
        const QSize contents = scroller->sizeHint();
        // Menus, tool and status bars and the like beside the contents.
        const QSize beside = (window->sizeHint() - contents).expandedTo(QSize(0, 0));
        const int bar =
            scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
        scroller->setMaximumSize(
            ScrolledSize(contents, room - beside, bar).expandedTo(QSize(1, 1)));
        scroller->updateGeometry();
        if (window->layout()) window->layout()->activate();
        window->setFixedSize(window->sizeHint());
    } else if (fixed) {
        window->setFixedSize(window->size().boundedTo(room));
    } else {
        window->setMinimumSize(window->minimumSize().boundedTo(room));
        window->resize(window->size().boundedTo(room));
    }
    if (window->isVisible() || window->testAttribute(Qt::WA_Moved)) {
        const QRect outer(window->pos(), window->size() + decoration);
        const QPoint at = FitInside(outer, area).topLeft();
        if (at != outer.topLeft()) window->move(at);
    }
}

}  // namespace platform
