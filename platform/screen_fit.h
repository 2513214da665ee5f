#pragma once

#include <QRect>
#include <QScrollArea>
#include <QSize>

namespace platform {

// Windows are laid out in pixels of their forms' dialog units, which grow
// with the display's scale; on a small or strongly scaled screen a window can
// be larger than the screen. These helpers keep every window inside the part
// of its screen that windows may take, scrolling its contents where it had
// to shrink, so that no control ends up off the screen.

// The area that windows may take (the screen less its panels) on the screen
// that shows `window`, else on the primary screen; empty without a screen.
QRect AvailableArea(const QWidget* window);

// `outer` no larger than `area` and moved the shortest way into it; as it is
// where it lies inside already.
QRect FitInside(const QRect& outer, const QRect& area);

// The size of a scroll area showing `contents` within `room`: the contents'
// own size where it fits; else `room` across the dimension that overflows,
// and across the other the contents plus the scroll bar (`scrollBar`) that
// the overflow brings, as far as `room` allows.
QSize ScrolledSize(const QSize& contents, const QSize& room, int scrollBar);

// Holds a window's contents. While the window has room it takes exactly the
// contents' size, with no frame and no scroll bars, so the window looks as
// if the contents lay in it directly; limited by FitToScreen, it scrolls.
// The contents keep at least their minimum size and take any room beyond it.
class ScreenScroller : public QScrollArea {
  public:
    explicit ScreenScroller(QWidget* contents, QWidget* parent = nullptr);
    // The contents' size, not capped as a plain scroll area's hint is;
    // within the maximum size, with the scroll bars that it brings.
    QSize sizeHint() const override;
};

// Keeps the top-level `window` inside AvailableArea: `scroller` (if any) is
// limited so that the window, with the frame the window manager gave it,
// fits the area; a window without one that is too large is sized down. A
// window that is shown or was placed is then moved the shortest way into the
// area; one not yet shown is left to the window system (or its dialog's
// centring), which keeps it on the screen.
void FitToScreen(QWidget* window, ScreenScroller* scroller = nullptr);

}  // namespace platform
