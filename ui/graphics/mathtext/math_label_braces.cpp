// Horizontal curly braces under and over their argument, each with an
// optional brace text one level smaller. A brace is one stroked path of four
// arcs of a circle and two straight pieces.
//
// A brace text wider than the argument: the argument and its brace are
// centred over (or under) the text, so that the brace always spans the
// argument and its middle cusp lies under (over) the argument's middle.

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "platform/painting.h"
#include "ui/graphics/mathtext/math_label.h"

namespace mathtext {

namespace {

constexpr float kHalfRoot3 = 0.8660254f;

void Arc(QPainterPath& path, float left, float top, float size, float start, float sweep) {
    platform::AddArc(path, QRectF(left, top, size, size), start, sweep);
}

// Round joins: the arcs meet the straight pieces tangentially, and rounding
// keeps the tiny joining segments between them from sticking out as miters.
QPen BracePen(const QColor& colour, float width) {
    return platform::MakePen(colour, width, platform::LineCap::Flat, platform::LineJoin::Round);
}

}  // namespace

MathBox MathLabel::LayoutUnderbrace(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const int entry = scanner_.TokenIndex();
    const MathBox B = LayoutItem(x, y, false, g, level);
    int mark = scanner_.TokenIndex();
    MathBox T;
    const bool hasText = PeekKind(tok::kSubscript);
    if (hasText)
        T = LayoutItem(x, y, false, g, level + 1);
    else
        scanner_.SetTokenIndex(mark);
    const int after = scanner_.TokenIndex();

    const float bh = 0.7f * (letterInkAscent_[L] + letterInkDescent_[L]);
    const float pw = bh / 7.0f;
    const float k = bh * kHalfRoot3;
    const float W = std::max(B.width, T.width);
    const float ax = (W - B.width) / 2.0f;  // the argument's offset
    const float xl = x + ax + pw;
    const float xr = xl + B.width - 2.0f * pw;
    const float xm = xl + B.width / 2.0f;
    const float by = bh / 2.0f + B.inkDescent;
    const float yc = y + by;
    const float lx = (W - T.width) / 2.0f;
    const float ly = B.descent + bh + T.inkAscent;

    if (paint && g) {
        scanner_.SetTokenIndex(entry);
        LayoutItem(x + ax, y, true, g, level);
        mark = scanner_.TokenIndex();
        QPainterPath path;
        Arc(path, xl - bh + k, yc - bh, bh, -210, -60);  // left tip
        path.lineTo(xl + k, yc);
        path.lineTo(xm - bh, yc);
        Arc(path, xm - bh, yc, bh, -90, 60);      // down into the cusp
        Arc(path, xm + k - bh, yc, bh, 210, 60);  // and up out of it
        path.lineTo(xm + k, yc);
        path.lineTo(xr - k / 2.0f, yc);
        Arc(path, xr - (k + bh) / 2.0f, yc - bh, bh, -270, -60);  // right tip
        g->setPen(BracePen(textColor_, pw));
        g->setBrush(Qt::NoBrush);
        g->drawPath(path);
        if (PeekKind(tok::kSubscript)) LayoutItem(x + lx, y + ly, true, g, level + 1);
        scanner_.SetTokenIndex(after);
    }

    // The brace covers the band from bh above to bh below its centre line.
    MathBox out = B;
    out.inkLeft += ax;
    out.width += ax;
    MathBox brace;
    brace.ascent = brace.inkAscent = bh - by;
    brace.descent = brace.inkDescent = by + bh;
    brace.inkLeft = xl - x;
    brace.inkWidth = xr - xl;
    brace.width = xr - x;
    brace.lowShift = -by;
    MergeAt(out, brace, 0.0f, 0.0f);
    if (hasText) MergeAt(out, T, lx, ly);
    return out;
}

MathBox MathLabel::LayoutOverbrace(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const int entry = scanner_.TokenIndex();
    const MathBox A = LayoutItem(x, y, false, g, level);
    int mark = scanner_.TokenIndex();
    MathBox U;
    const bool hasText = PeekKind(tok::kSuperscript);
    if (hasText)
        U = LayoutItem(x, y, false, g, level + 1);
    else
        scanner_.SetTokenIndex(mark);
    const int after = scanner_.TokenIndex();

    const float bh = 0.7f * (letterInkAscent_[L] + letterInkDescent_[L]);
    const float pw = bh / 7.0f;
    const float k = bh * kHalfRoot3;
    const float W = std::max(A.width, U.width);
    const float ax = (W - A.width) / 2.0f;  // the argument's offset
    const float xl = x + ax + pw;
    const float xr = xl + A.width - 2.0f * pw;
    const float xm = xl + A.width / 2.0f;
    const float yc = y - A.ascent - bh / 2.0f;
    const float sx = (W - U.width) / 2.0f;
    const float sy = A.ascent + bh + U.inkDescent;

    if (paint && g) {
        scanner_.SetTokenIndex(entry);
        LayoutItem(x + ax, y, true, g, level);
        mark = scanner_.TokenIndex();
        QPainterPath path;
        Arc(path, xl - bh + k, yc, bh, -150, 60);  // left tip
        path.lineTo(xl + k, yc);
        path.lineTo(xm - bh, yc);
        Arc(path, xm - bh, yc - bh, bh, 90, -60);        // up into the cusp
        Arc(path, xm + k - bh, yc - bh, bh, -210, -60);  // and down out of it
        path.lineTo(xm + bh, yc);
        path.lineTo(xr - k, yc);
        Arc(path, xr - k, yc, bh, -90, 60);  // right tip
        g->setPen(BracePen(textColor_, pw));
        g->setBrush(Qt::NoBrush);
        g->drawPath(path);
        if (PeekKind(tok::kSuperscript)) LayoutItem(x + sx, y - sy, true, g, level + 1);
        scanner_.SetTokenIndex(after);
    }

    MathBox out = A;
    out.inkLeft += ax;
    out.width += ax;
    MathBox brace;
    brace.ascent = brace.inkAscent = A.ascent + 1.5f * bh;
    brace.descent = brace.inkDescent = bh / 2.0f - A.ascent;
    brace.inkLeft = xl - x;
    brace.inkWidth = xr - xl;
    brace.width = xr - x;
    brace.lowShift = A.ascent + bh / 2.0f;
    MergeAt(out, brace, 0.0f, 0.0f);
    if (hasText) MergeAt(out, U, sx, -sy);
    return out;
}

}  // namespace mathtext
