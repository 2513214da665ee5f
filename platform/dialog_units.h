#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace platform {

// A rectangle in dialog units, as the form tables give it.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The dialog font's base units in pixels: the average width of the Latin
// letters and the character height. Horizontal dialog units are quarters of
// the width, vertical ones eighths of the height.
struct DialogBaseUnits {
    int charWidth = 0;
    int charHeight = 0;
};

DialogBaseUnits MeasureDialogBaseUnits(const QFont& font);

// The one conversion from dialog units to pixels used by every form.
class DialogUnitConverter {
  public:
    explicit DialogUnitConverter(DialogBaseUnits units);
    explicit DialogUnitConverter(const QFont& dialogFont);

    int ToPixelsX(int dialogUnits) const;
    int ToPixelsY(int dialogUnits) const;
    QRect ToPixels(const DialogRect& rect) const;
    QSize ToPixels(int width, int height) const;
    const DialogBaseUnits& BaseUnits() const { return units_; }

  private:
    DialogBaseUnits units_;
};

// a * b / c rounded to the nearest integer, halves away from zero.
int ScaleRounded(int a, int b, int c);

}  // namespace platform
