// Delimiters: plain delimiter glyphs, angle brackets, and \left ... \right
// pairs sized to their content, drawn as scaled glyphs around small content
// and as stroked outlines around tall content.

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "platform/painting.h"
#include "ui/graphics/mathtext/math_label.h"

namespace mathtext {

namespace {

bool IsOneOf(const QString& text, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (text == QLatin1String(n)) return true;
    return false;
}

}  // namespace

MathBox MathLabel::LayoutDelimiter(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                                   int level) {
    const int L = Clamp(level);
    if (IsOneOf(t.text, {"(", "[", ")", "]"}))
        return LayoutText(textFont_, t.text, levelScale_[L], x, y, paint, g);
    // "{", "}", "|" from the symbol map; "||" has no glyph and takes no room.
    return LayoutNamedGlyph(t.text, levelScale_[L] * textScale_, x, y, paint, g);
}

MathBox MathLabel::LayoutAngleBracket(const MarkupToken& t, float x, float y, bool paint,
                                      QPainter* g, int level) {
    const int L = Clamp(level);
    const float e = letterWidth_[L];
    MathBox out;
    out.inkAscent = out.ascent = letterInkAscent_[L];
    out.inkDescent = out.descent = letterInkDescent_[L];
    out.width = out.inkWidth = 0.3f * e;
    out.inkHeight = out.height = out.ascent + out.descent;
    if (paint && g) {
        const float top = y - letterInkAscent_[L] - 1.0f;
        const float bottom = y + letterInkDescent_[L] + 1.0f;
        const float middle = (top + bottom) / 2.0f;
        const float right = x + 0.3f * e;
        QPainterPath path;
        if (t.text == QLatin1String("<")) {
            path.moveTo(right, top);
            path.lineTo(x, middle);
            path.lineTo(right, bottom);
        } else {
            path.moveTo(x, top);
            path.lineTo(right, middle);
            path.lineTo(x, bottom);
        }
        g->setPen(platform::MakePen(textColor_, 0.05f * e, platform::LineCap::Flat,
                                    platform::LineJoin::Round));
        g->setBrush(Qt::NoBrush);
        g->drawPath(path);
    }
    return out;
}

void MathLabel::DrawDelimiter(QPainter* g, const QString& text, float x, float w, float bottom,
                              float top) {
    if (!g) return;
    const float h = w / 2.0f;
    const float p = w / 12.0f;
    const float hp = p / 2.0f;
    const float middle = (top + bottom) / 2.0f;
    QPainterPath path;
    auto polyline = [&](std::initializer_list<QPointF> points) {
        bool first = true;
        for (const QPointF& pt : points) {
            if (first)
                path.moveTo(pt);
            else
                path.lineTo(pt);
            first = false;
        }
    };
    // Angles clockwise from the positive x axis, measured geometrically on
    // each ellipse; AddArc turns them into the painter's own.
    auto arc = [&](float left, float upper, float width, float height, float start, float sweep) {
        platform::AddArc(path, QRectF(left, upper, width, height), start, sweep);
    };
    constexpr float kEllipseInset = 0.5669873f;  // 1 - sqrt(3) / 4
    const float k = h - 0.8660254f * h;
    if (text == QLatin1String("[")) {
        polyline({{x + 0.75f * w, top + hp},
                  {x + 0.25f * w, top + hp},
                  {x + 0.25f * w, bottom - hp},
                  {x + 0.75f * w, bottom - hp}});
    } else if (text == QLatin1String("]")) {
        polyline({{x + 0.25f * w, top + hp},
                  {x + 0.75f * w, top + hp},
                  {x + 0.75f * w, bottom - hp},
                  {x + 0.25f * w, bottom - hp}});
    } else if (text == QLatin1String("|")) {
        polyline({{x + 0.5f * w, bottom}, {x + 0.5f * w, top}});
    } else if (text == QLatin1String("||")) {
        polyline({{x + 0.5f * w - h / 2.5f, bottom}, {x + 0.5f * w - h / 2.5f, top}});
        polyline({{x + 0.5f * w + h / 2.5f, bottom}, {x + 0.5f * w + h / 2.5f, top}});
    } else if (text == QLatin1String("(")) {
        arc(x + 0.25f * w, bottom - 3.0f * w + kEllipseInset * h, 2.0f * w, 3.0f * w, 120, 60);
        arc(x + 0.25f * w, top - kEllipseInset * h, 2.0f * w, 3.0f * w, 180, 60);
    } else if (text == QLatin1String(")")) {
        arc(x - 1.25f * w, bottom - 3.0f * w + kEllipseInset * h, 2.0f * w, 3.0f * w, -300, -60);
        arc(x - 1.25f * w, top - kEllipseInset * h, 2.0f * w, 3.0f * w, 0, -60);
    } else if (text == QLatin1String("<")) {
        polyline(
            {{x + 0.75f * w, top + hp}, {x + 0.25f * w, middle}, {x + 0.75f * w, bottom - hp}});
    } else if (text == QLatin1String(">")) {
        polyline(
            {{x + 0.25f * w, top + hp}, {x + 0.75f * w, middle}, {x + 0.25f * w, bottom - hp}});
    } else if (text == QLatin1String("{")) {
        arc(x + 0.5f * w, bottom - w + k, w, w, 120, 60);
        arc(x - 0.5f * w, middle - k, w, w, 0, -60);
        arc(x - 0.5f * w, middle - w + k, w, w, -300, -60);
        arc(x + 0.5f * w, top - k, w, w, 180, 60);
    } else if (text == QLatin1String("}")) {
        arc(x - 0.5f * w, bottom - w + k, w, w, -300, -60);
        arc(x + 0.5f * w, middle - k, w, w, 180, 60);
        arc(x + 0.5f * w, middle - w + k, w, w, 120, 60);
        arc(x - 0.5f * w, top - k, w, w, 0, -60);
    } else {
        return;
    }
    g->setPen(
        platform::MakePen(textColor_, p, platform::LineCap::Round, platform::LineJoin::Round));
    g->setBrush(Qt::NoBrush);
    g->drawPath(path);
}

MathBox MathLabel::LayoutLeftRight(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const float m = letterInkAscent_[L] + letterInkDescent_[L];
    const float e = letterWidth_[L];
    const int entry = scanner_.TokenIndex();

    // The delimiter is the very next token, whatever it is; the content runs
    // to \right (or to whatever else ends a sequence).
    const MarkupToken dL = scanner_.NextToken();
    atStart_ = true;
    MathBox C;
    LayoutSequence(C, x, y, false, g, level, true);
    const MarkupToken dR = scanner_.NextToken();

    const float H = C.inkAscent + C.inkDescent;
    const float top = y - C.inkAscent;
    const float bottom = y + C.inkDescent;
    const bool small = H < 1.5f * m;

    struct Delimiter {
        float w = 0.0f;
        CSymbol* glyph = nullptr;
        float size = 0.0f;
        float dv = 0.0f;
    };
    auto plan = [&](const QString& d) {
        Delimiter r;
        if (d == QLatin1String("<") || d == QLatin1String(">") || d == QLatin1String("||")) {
            // Stroked at any size; a double bar has no glyph to scale, and
            // without room its two strokes would fall together on one line.
            r.w = 0.7f * m;
        } else if (d == QLatin1String(".")) {
            r.w = 0.0f;
        } else if (small) {
            const auto it = symbols_ ? symbols_->find(d) : SymbolMap::iterator{};
            if (symbols_ && it != symbols_->end()) {
                // The glyph scaled so that its ink spans the content's ink;
                // one without ink cannot be scaled and is left out.
                const float unitInk = it->second->Measure(1.0f, false, false).inkHeight;
                if (unitInk > 0.0f && H > 0.0f) {
                    r.glyph = it->second;
                    r.size = H / unitInk;
                    const SymbolBox b = r.glyph->Measure(r.size, false, false);
                    r.w = b.advance;
                    r.dv = b.inkAscent - C.inkAscent;
                }
            }
        } else {
            r.w = 0.7f * m;
        }
        return r;
    };
    const Delimiter left = plan(dL.text);
    const Delimiter right = plan(dR.text);

    // Scripts after the right delimiter, at most one of each kind, so that
    // measuring and painting read the same tokens.
    MathBox B, S;
    int subMark = 0, supMark = 0;
    for (int n = 1; n <= 2; ++n) {
        const int before = scanner_.TokenIndex();
        const MarkupToken t = scanner_.NextToken();
        if (t.kind == tok::kSubscript && subMark == 0) {
            B = LayoutItem(x, y, false, g, level + 1);
            subMark = n;
        } else if (t.kind == tok::kSuperscript && supMark == 0) {
            S = LayoutItem(x, y, false, g, level + 1);
            supMark = n;
        } else {
            scanner_.SetTokenIndex(before);
        }
    }
    const int after = scanner_.TokenIndex();

    const float xs = left.w + C.width + right.w;
    float up = 0.5f * S.inkAscent - C.inkAscent;
    if (up + S.descent > -0.55f * C.inkAscent) up = -0.55f * C.inkAscent - S.descent;
    float dn = C.inkDescent + 0.1f * e;
    if (dn - B.ascent < -0.4f * C.inkAscent) dn = B.ascent - 0.4f * C.inkAscent;

    if (paint && g) {
        scanner_.SetTokenIndex(entry);
        const MarkupToken l = scanner_.NextToken();
        SymbolBox drawnGlyph;
        if (left.glyph) {
            left.glyph->Draw(g, x, y + left.dv, &textBrush_, &drawnGlyph, left.size, false, false,
                             true);
        } else if (left.w != 0.0f) {
            DrawDelimiter(g, l.text, x, left.w, bottom, top);
        }
        atStart_ = true;
        MathBox drawn;
        LayoutSequence(drawn, x + left.w, y, true, g, level, true);
        const MarkupToken r = scanner_.NextToken();
        const float rx = x + left.w + C.width;
        if (right.glyph) {
            right.glyph->Draw(g, rx, y + right.dv, &textBrush_, &drawnGlyph, right.size, false,
                              false, true);
        } else {
            DrawDelimiter(g, r.text, rx, right.w, bottom, top);
        }
        for (int n = 1; n <= 2; ++n) {
            if (subMark == n || supMark == n) {
                scanner_.NextToken();  // the "_" or "^"
                LayoutItem(x + xs, y + (subMark == n ? dn : up), true, g, level + 1);
            }
        }
        scanner_.SetTokenIndex(after);
    }

    // The delimiters count with the content's ink extent; their glyphs' own
    // extents do not enter.
    auto delimiterBox = [&](float w) {
        MathBox d;
        d.inkAscent = d.ascent = C.inkAscent;
        d.inkDescent = d.descent = C.inkDescent;
        d.width = d.inkWidth = w;
        d.inkHeight = d.height = d.ascent + d.descent;
        return d;
    };
    MathBox out = delimiterBox(left.w);
    MergeAt(out, delimiterBox(right.w), left.w + C.width, 0.0f);
    MergeAt(out, C, left.w, 0.0f);
    if (subMark) MergeAt(out, B, xs, dn);
    if (supMark) MergeAt(out, S, xs, up);
    return out;
}

}  // namespace mathtext
