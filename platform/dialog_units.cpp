#include "platform/dialog_units.h"

#include <QFontMetrics>
#include <cstdlib>

namespace platform {

int ScaleRounded(int a, int b, int c) {
    if (c == 0) return 0;
    long long num = static_cast<long long>(a) * b;
    long long den = c;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    long long half = den / 2;
    return static_cast<int>(num >= 0 ? (num + half) / den : -((-num + half) / den));
}

DialogBaseUnits MeasureDialogBaseUnits(const QFont& font) {
    QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits units;
    units.charWidth = (letters / 26 + 1) / 2;
    units.charHeight = metrics.height();
    return units;
}

DialogUnitConverter::DialogUnitConverter(DialogBaseUnits units) : units_(units) {}

DialogUnitConverter::DialogUnitConverter(const QFont& dialogFont)
    : units_(MeasureDialogBaseUnits(dialogFont)) {}

int DialogUnitConverter::ToPixelsX(int dialogUnits) const {
    return ScaleRounded(dialogUnits, units_.charWidth, 4);
}

int DialogUnitConverter::ToPixelsY(int dialogUnits) const {
    return ScaleRounded(dialogUnits, units_.charHeight, 8);
}

QRect DialogUnitConverter::ToPixels(const DialogRect& rect) const {
    // Edges are converted, not sizes, so that adjacent controls stay adjacent.
    const int left = ToPixelsX(rect.x);
    const int top = ToPixelsY(rect.y);
    const int right = ToPixelsX(rect.x + rect.width);
    const int bottom = ToPixelsY(rect.y + rect.height);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnitConverter::ToPixels(int width, int height) const {
    return QSize(ToPixelsX(width), ToPixelsY(height));
}

}  // namespace platform
