// Material set over or under other material: line accents as wide as their
// argument, glyph accents, names with a limit underneath, and stacked
// relations.

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/painting.h"
#include "ui/graphics/mathtext/math_label.h"

namespace mathtext {

MathBox MathLabel::LayoutWideAccent(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                                    int level) {
    const int L = Clamp(level);
    // The argument is painted in the same pass; the accent goes over it.
    const MathBox C = LayoutItem(x, y, paint, g, level);
    const float W = C.width;
    const float T = C.ascent;
    const float m = letterInkAscent_[L] + letterInkDescent_[L];
    const float yc = y - T - m / 3.5f;
    const float h = m / 7.0f;

    if (paint && g) {
        QPainterPath path;
        if (t.text.isEmpty()) {  // \vec
            path.moveTo(x, yc);
            path.lineTo(x + W, yc);
            path.moveTo(x + 0.8f * W, yc - h);
            path.lineTo(x + W, yc);
            path.moveTo(x + 0.8f * W, yc + h);
            path.lineTo(x + W, yc);
        } else if (t.text == QLatin1String("bar")) {
            path.moveTo(x, yc);
            path.lineTo(x + W, yc);
        } else if (t.text == QLatin1String("widehat")) {
            path.moveTo(x, yc + h);
            path.lineTo(x + W / 2.0f, yc - h);
            path.lineTo(x + W, yc + h);
        } else if (t.text == QLatin1String("widetilde")) {
            // 1.3 half-periods of a sine on each side of the middle, antisymmetric,
            // in unit steps; one stroke from the right end to the left end.
            const float half = W / 2.0f;
            const float xm = x + half;
            std::vector<float> v{0.0f};
            for (int i = 1; static_cast<float>(i) < half; ++i)
                v.push_back(std::sin(static_cast<float>(i) * 4.0840707f / half) * h / 2.0f);
            if (v.size() > 1) {
                const int n = static_cast<int>(v.size()) - 1;
                path.moveTo(xm + static_cast<float>(n), yc + v[n]);
                for (int i = n - 1; i >= 0; --i) path.lineTo(xm + static_cast<float>(i), yc + v[i]);
                for (int i = 1; i <= n; ++i) path.lineTo(xm - static_cast<float>(i), yc - v[i]);
            }
        }
        g->setPen(platform::MakePen(textColor_, h / 6.0f));
        g->setBrush(Qt::NoBrush);
        g->drawPath(path);
    }

    MathBox out = C;
    out.ascent = T + m / 3.5f + h;
    out.inkAscent = std::max(C.inkAscent, out.ascent);
    out.inkHeight = out.inkAscent + out.inkDescent;
    out.height = out.ascent + out.descent;
    out.lowShift = out.descent > 0.0f ? 0.0f : out.lowShift;
    return out;
}

MathBox MathLabel::LayoutAccent(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                                int level) {
    const int L = Clamp(level);
    const float s = levelScale_[L] * textScale_;
    const float m = letterInkAscent_[L] + letterInkDescent_[L];
    CSymbol* glyph = nullptr;
    if (symbols_) {
        const auto it = symbols_->find(t.text);
        if (it != symbols_->end()) glyph = it->second;
    }
    const SymbolBox G = glyph ? glyph->Measure(s, true, true) : SymbolBox{};

    const int entry = scanner_.TokenIndex();
    const MathBox C = LayoutItem(x, y, false, g, level);
    // The accent's lower ink edge 0.2 m above the argument; its ink middle
    // at three quarters of the argument's advance, which suits the slant of
    // italic letters. A wide accent starts at the item's left edge and
    // pushes the argument right.
    const float R = C.ascent + 0.2f * m + G.inkRaise;
    const float q = 0.75f * C.width - 0.5f * G.inkWidth;
    const float a = std::max(q, 0.0f);
    const float P = q < 0.0f ? -q : 0.0f;

    if (paint && g) {
        const int after = scanner_.TokenIndex();
        scanner_.SetTokenIndex(entry);
        LayoutItem(x + P, y, true, g, level);
        scanner_.SetTokenIndex(after);
        if (glyph) {
            SymbolBox drawn;
            glyph->Draw(g, x + a, y - R, &textBrush_, &drawn, s, true, true, true);
        }
    }

    MathBox out;
    out.ascent = std::max(C.ascent, G.inkAscent + R);
    out.descent = std::max(C.descent, G.inkDescent - R);
    out.inkAscent = std::max(C.inkAscent, G.ascent + R);
    if (out.ascent > C.inkAscent) out.inkAscent = out.ascent + 0.1f * m;
    out.inkDescent = std::max(C.inkDescent, G.descent - R);
    out.width = std::max(C.width + P, a + G.inkLeft + G.inkWidth);
    out.inkLeft = std::min(C.inkLeft + P, a + G.inkLeft);
    out.inkWidth = std::max(C.inkLeft + C.inkWidth + P, a + G.inkLeft + G.inkWidth) - out.inkLeft;
    out.lowShift = out.descent > 0.0f ? 0.0f : std::min(C.lowShift, G.inkRaise + R);
    out.inkHeight = out.inkAscent + out.inkDescent;
    out.height = out.ascent + out.descent;
    return out;
}

MathBox MathLabel::LayoutLimitName(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                                   int level) {
    const int L = Clamp(level);
    std::unique_ptr<CSymbolContainer> name;
    if (textFont_)
        name.reset(textFont_->MakeContainer(t.text, &textBrush_, levelScale_[L], true, true));
    SymbolBox nb;
    if (name) name->Measure(&nb);
    const MathBox N = ToMathBox(nb);

    // Only a subscript is taken; blanks before the "_" are passed over.
    const int before = scanner_.TokenIndex();
    MathBox S;
    const bool hasLimit = PeekKind(tok::kSubscript);
    if (hasLimit)
        S = LayoutItem(x, y, false, g, level + 1);
    else
        scanner_.SetTokenIndex(before);
    const int after = scanner_.TokenIndex();

    const float Wm = std::max(S.width, N.width);
    const float nx = (Wm - N.width) / 2.0f;
    const float sx = (Wm - S.width) / 2.0f;
    // The limit's ink top touches the name's descent line.
    const float dy = S.inkAscent + N.descent;

    if (paint && g) {
        if (name) name->Draw(g, x + nx, y, &nb, true);
        if (hasLimit) {
            scanner_.SetTokenIndex(before);
            PeekKind(tok::kSubscript);
            LayoutItem(x + sx, y + dy, true, g, level + 1);
        }
        scanner_.SetTokenIndex(after);
    }

    MathBox out;
    out.ascent = std::max(N.ascent, S.ascent - dy);
    out.descent = std::max(N.descent, S.descent + dy);
    out.inkAscent = std::max({N.inkAscent, S.inkAscent - dy, out.ascent});
    out.inkDescent = std::max(N.inkDescent, S.inkDescent + dy);
    out.width = std::max(nx + N.width, sx + S.width);
    out.inkLeft = std::min(nx + N.inkLeft, sx + S.inkLeft);
    out.inkWidth = std::max(nx + N.inkLeft + N.inkWidth, sx + S.inkLeft + S.inkWidth) - out.inkLeft;
    out.lowShift = out.descent > 0.0f ? 0.0f : std::min(N.lowShift, S.lowShift - dy);
    out.inkHeight = out.inkAscent + out.inkDescent;
    out.height = out.ascent + out.descent;
    return out;
}

MathBox MathLabel::LayoutStackrel(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const float m = 0.1f * (letterInkAscent_[L] + letterInkDescent_[L]);
    const int entry = scanner_.TokenIndex();
    const MathBox A = LayoutItem(x, y, false, g, level + 1);
    const MathBox B = LayoutItem(x, y, false, g, level);
    const int after = scanner_.TokenIndex();

    // The top is centred by its ink, the base by its advance.
    const float W = std::max(A.inkWidth, B.width);
    const float tx = (W - A.inkWidth) / 2.0f - A.inkLeft;
    const float bx = (W - B.width) / 2.0f;
    const float gUp = B.ascent + m + A.lowShift;

    if (paint && g) {
        scanner_.SetTokenIndex(entry);
        LayoutItem(x + tx, y - gUp, true, g, level + 1);
        LayoutItem(x + bx, y, true, g, level);
        scanner_.SetTokenIndex(after);
    }

    MathBox R;
    R.ascent = std::max(B.ascent, A.ascent + gUp);
    R.descent = std::max(B.descent, A.descent - gUp);
    R.inkAscent = std::max({B.inkAscent, A.inkAscent + gUp, R.ascent});
    R.inkDescent = std::max(B.inkDescent, A.inkDescent - gUp);
    R.width = std::max(bx + B.width, tx + A.width);
    R.inkLeft = std::min(bx + B.inkLeft, tx + A.inkLeft);
    R.inkWidth = std::max(bx + B.inkLeft + B.inkWidth, tx + A.inkLeft + A.inkWidth) - R.inkLeft;
    R.lowShift = R.descent > 0.0f ? 0.0f : std::min(B.lowShift, A.lowShift + gUp);
    R.inkHeight = R.inkAscent + R.inkDescent;
    R.height = R.ascent + R.descent;
    // A top rising above the base's ink keeps a little room above it.
    if (R.ascent > B.inkAscent) R.inkAscent = R.ascent + m;
    return R;
}

}  // namespace mathtext
