#include "ui/graphics/mathtext/math_label.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cstdio>

namespace mathtext {

namespace {

constexpr float kLevelFactors[4] = {1.0f, 0.76f, 0.64f, 0.56f};

// Merges child box c, placed at horizontal offset w, into out.
void Merge(MathBox& out, const MathBox& c, float w) {
    MathBox r;
    r.ascent = std::max(out.ascent, c.ascent);
    r.descent = std::max(out.descent, c.descent);
    r.inkAscent = std::max({out.inkAscent, c.inkAscent, r.ascent});
    r.inkDescent = std::max(out.inkDescent, c.inkDescent);
    r.width = std::max(w, w + c.width);
    r.inkLeft = std::min(out.inkLeft, w + c.inkLeft);
    r.inkWidth = std::max(out.inkLeft + out.inkWidth, w + c.inkLeft + c.inkWidth) - r.inkLeft;
    r.lowShift = r.descent > 0.0f ? 0.0f : std::min(out.lowShift, c.lowShift);
    r.inkHeight = r.inkAscent + r.inkDescent;
    r.height = r.ascent + r.descent;
    out = r;
}

// A box moved by (dx, dy) within its parent, as seen from the parent's origin.
MathBox Shifted(const MathBox& c, float dx, float dy) {
    MathBox s = c;
    s.ascent = c.ascent - dy;
    s.descent = c.descent + dy;
    s.inkAscent = c.inkAscent - dy;
    s.inkDescent = c.inkDescent + dy;
    s.inkLeft = c.inkLeft + dx;
    s.lowShift = c.lowShift + dy;
    s.width = c.width + dx;
    return s;
}

// The union of boxes already placed in one parent (see Shifted), with the
// given advance.
MathBox Union(std::initializer_list<MathBox> parts, float width) {
    MathBox out;
    for (const MathBox& p : parts) Merge(out, p, 0.0f);
    out.width = width;
    return out;
}

QPen TextPen(const QColor& color, float width) {
    QPen pen(color);
    pen.setWidthF(width);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

}  // namespace

void MergeAt(MathBox& into, const MathBox& c, float dx, float dy) {
    MathBox r;
    r.ascent = std::max(into.ascent, c.ascent - dy);
    r.descent = std::max(into.descent, c.descent + dy);
    r.inkAscent = std::max({into.inkAscent, c.inkAscent - dy, r.ascent});
    r.inkDescent = std::max(into.inkDescent, c.inkDescent + dy);
    r.width = std::max(into.width, dx + c.width);
    r.inkLeft = std::min(into.inkLeft, dx + c.inkLeft);
    r.inkWidth = std::max(into.inkLeft + into.inkWidth, dx + c.inkLeft + c.inkWidth) - r.inkLeft;
    r.lowShift = r.descent > 0.0f ? 0.0f : std::min(into.lowShift, c.lowShift - dy);
    r.inkHeight = r.inkAscent + r.inkDescent;
    r.height = r.ascent + r.descent;
    into = r;
}

MathBox ToMathBox(const SymbolBox& b) {
    MathBox m;
    m.inkAscent = b.ascent;
    m.inkDescent = b.descent;
    m.ascent = b.inkAscent;
    m.descent = b.inkDescent;
    m.width = b.advance;
    m.inkHeight = b.height;
    m.inkLeft = b.inkLeft;
    m.lowShift = b.inkRaise;
    m.inkWidth = b.inkWidth;
    m.height = b.inkHeight;
    return m;
}

MathLabel::MathLabel(const QString& name, float pointSize, bool textStyle, GlyphCache* textFont,
                     GlyphCache* wordFont, SymbolMap* symbols)
    : name_(name),
      textBrush_(textColor_),
      textStyle_(textStyle),
      textFont_(textFont),
      wordFont_(wordFont),
      symbols_(symbols) {
    for (int i = 0; i < 4; ++i) levelScale_[i] = pointSize / 100.0f * kLevelFactors[i];
}

void MathLabel::SetText(const QString& text, bool resetExtent) {
    text_ = text;
    scanner_.Tokenize(text);
    if (resetExtent) cachedWidth_ = cachedHeight_ = 0.0f;
}

void MathLabel::SetFontSize(float points) {
    const float factor = points / (levelScale_[0] * 100.0f);
    for (float& s : levelScale_) s *= factor;
    // The letter metrics and the extent belong to the old size.
    metricsStale_ = true;
    cachedWidth_ = cachedHeight_ = 0.0f;
}

void MathLabel::SetTextFont(GlyphCache* font) {
    textFont_ = font;
    textScale_ = -1.0f;
    metricsStale_ = true;
    cachedWidth_ = cachedHeight_ = 0.0f;
}

void MathLabel::SetWordFont(GlyphCache* font) {
    wordFont_ = font;
    textScale_ = -1.0f;
    metricsStale_ = true;
    cachedWidth_ = cachedHeight_ = 0.0f;
}

void MathLabel::SetTextSpacing(bool on) {
    textSpacing_ = on;
    cachedWidth_ = cachedHeight_ = 0.0f;
}

void MathLabel::SetTextColor(QColor color) {
    textColor_ = color;
    textBrush_ = QBrush(color);
}

void MathLabel::RefreshMetrics() {
    if (textScale_ < 0.0f) {
        SymbolFontRef* text = textFont_ ? textFont_->FontRef() : nullptr;
        SymbolFontRef* word = wordFont_ ? wordFont_->FontRef() : nullptr;
        textScale_ = text ? text->MatchGlyphExtent(TextFontRef(), u'm', u'm') : 1.0f;
        wordScale_ = word && text ? word->MatchGlyphExtent(text, u'm', u'm') : 1.0f;
        metricsStale_ = true;
    }
    if (metricsStale_) {
        CSymbol* a = wordFont_ ? wordFont_->GetSymbol(u'A') : nullptr;
        for (int L = 0; L < 4; ++L) {
            const float size = wordScale_ * textScale_ * levelScale_[L];
            const SymbolBox b = a ? a->Measure(size, false, false) : SymbolBox{};
            // As a blank advances inside a run of text, without the extra
            // room that a lone glyph's box carries.
            SymbolBox blank;
            if (wordFont_) {
                wordFont_->DrawText(nullptr, QStringLiteral(" "), 0.0f, 0.0f, &textBrush_, &blank,
                                    size, false, false, false);
            }
            blankWidth_[L] = blank.advance;
            letterWidth_[L] = b.advance;
            letterInkAscent_[L] = b.inkAscent;
            letterInkDescent_[L] = b.inkDescent;
            wordSpace_[L] = b.advance / 4.0f;
        }
        metricsStale_ = false;
    }
}

void MathLabel::Measure() {
    if (cachedWidth_ == 0.0f && cachedHeight_ == 0.0f) {
        fractionDepth_ = textStyle_ ? 0 : -1;
        scanner_.Rewind();
        atStart_ = true;
        MathBox box;
        LayoutSequence(box, 0.0f, 500.0f, false, nullptr, 0, true);
        content_ = box;
        ascent_ = box.ascent + margin_;
        descent_ = box.descent + margin_;
        height_ = box.ascent + box.descent + 2.0f * margin_;
        width_ = box.width + 2.0f * margin_;
    }
    cachedWidth_ = width_;
    cachedHeight_ = height_;
}

void MathLabel::Draw(QPainter* painter, float x, float y, int vAlign, int hAlign, float angle,
                     bool paint) {
    RefreshMetrics();
    QTransform local;
    local.translate(x, y);
    local.rotate(angle);
    const QTransform world = painter ? local * painter->worldTransform() : local;
    atStart_ = true;
    Measure();

    float dy = ascent_;
    if (vAlign == kAlignCentre) dy = (descent_ + ascent_) / 2.0f - descent_;
    if (vAlign == kAlignBottom) dy = -descent_;
    if (vAlign == kAlignBaseline) dy = 0.0f;
    float dx = 0.0f;
    if (hAlign == kAlignCentre) dx = -width_ / 2.0f;
    if (hAlign == kAlignRight) dx = -width_;

    const QPointF corners[6] = {
        {dx, dy - ascent_},          {dx, dy + descent_}, {dx + width_, dy + descent_},
        {dx + width_, dy - ascent_}, {dx, 0.0},           {dx + width_, 0.0}};
    for (int i = 0; i < 6; ++i) corners_[i] = world.map(corners[i]);

    if (paint && painter) {
        painter->save();
        painter->setWorldTransform(world);
        fractionDepth_ = textStyle_ ? 0 : -1;
        scanner_.Rewind();
        // The painting pass starts like the measuring pass, without a
        // leading word space.
        atStart_ = true;
        MathBox box;
        LayoutSequence(box, dx + margin_, dy, true, painter, 0, true);
        painted_ = box;
        painter->restore();
    }
}

MarkupToken MathLabel::NextNonBlank() {
    MarkupToken t = scanner_.NextToken();
    while (t.kind == tok::kBlank) t = scanner_.NextToken();
    return t;
}

MathBox MathLabel::LayoutItem(float x, float y, bool paint, QPainter* g, int level) {
    atStart_ = true;
    MathBox b;
    LayoutSequence(b, x, y, paint, g, level, false);
    return b;
}

MathBox MathLabel::LayoutText(GlyphCache* font, const QString& text, float size, float x, float y,
                              bool paint, QPainter* g) {
    if (!font) return {};
    SymbolBox b;
    font->DrawText(g, text, x, y, &textBrush_, &b, size, false, false, paint);
    return ToMathBox(b);
}

MathBox MathLabel::LayoutNamedGlyph(const QString& name, float size, float x, float y, bool paint,
                                    QPainter* g) {
    if (!symbols_) return {};
    const auto it = symbols_->find(name);
    if (it == symbols_->end()) return {};
    SymbolBox b;
    it->second->Draw(g, x, y, &textBrush_, &b, size, false, false, paint);
    return ToMathBox(b);
}

MathBox MathLabel::LayoutSymbol(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                                int level) {
    return LayoutNamedGlyph(t.text, levelScale_[Clamp(level)] * textScale_, x, y, paint, g);
}

MathBox MathLabel::LayoutOperatorGlyph(const MarkupToken& t, float x, float y, bool paint,
                                       QPainter* g, int level) {
    const float size = levelScale_[Clamp(level)];
    if (symbols_ && symbols_->count(t.text))
        return LayoutNamedGlyph(t.text, size * textScale_, x, y, paint, g);
    return LayoutText(textFont_, t.text, size, x, y, paint, g);
}

MathBox MathLabel::LayoutSpace(const MarkupToken& t) {
    MathBox b;
    b.width = t.text.toFloat() * letterWidth_[0] / 18.0f;
    return b;
}

MathBox& MathLabel::LayoutSequence(MathBox& out, float x, float y, bool paint, QPainter* g,
                                   int level, bool many) {
    out = MathBox{};
    bool needSpace = !atStart_;
    const int L = Clamp(level);
    const float wordSize = wordScale_ * textScale_ * levelScale_[L];
    const float textSize = textScale_ * levelScale_[L];
    auto spaceBefore = [&] {
        if (needSpace && !textSpacing_) out.width += wordSpace_[L];
    };
    // The markup's own spacing comes first: the extra spaces of the cases
    // below apply only where no text spacing is asked for.
    const float extra = textSpacing_ ? 0.0f : 1.0f;
    int blanks = 0;  // text spacing: blanks read since the last item

    while (!scanner_.IsAtLastToken()) {
        token_ = scanner_.NextToken();
        const MarkupToken t = token_;
        if (textSpacing_ && blanks > 0 && t.kind != tok::kBlank && t.kind != tok::kIgnored) {
            // Blanks before the first item of a sequence and at its end set
            // nothing.
            const bool ends = t.kind == tok::kClose || t.kind == tok::kColumn ||
                              t.kind == tok::kRowBreak || t.kind == tok::kRight ||
                              t.kind == tok::kEnd || t.kind == tok::kEndOfInput;
            if (!atStart_ && !ends) out.width += static_cast<float>(blanks) * blankWidth_[L];
            blanks = 0;
        }
        MathBox c;
        bool blank = false;
        bool placed = true;
        bool spaceAfter = true;
        switch (t.kind) {
            case tok::kWord:
                spaceBefore();
                c = LayoutText(wordFont_, t.text, wordSize, x + out.width, y, paint, g);
                break;
            case tok::kNumber:
            case tok::kFunction:
            case tok::kMbox:
                spaceBefore();
                c = LayoutText(textFont_, t.text, textSize, x + out.width, y, paint, g);
                break;
            case tok::kOpen:
                // The space before a group is set here, once; the group's
                // own first item then starts without one.
                spaceBefore();
                atStart_ = true;
                LayoutSequence(c, x + out.width, y, paint, g, level, true);
                spaceAfter = false;
                break;
            case tok::kClose:
            case tok::kColumn:
            case tok::kRowBreak:
            case tok::kRight:
            case tok::kEnd:
                return out;
            case tok::kSuperscript:
            case tok::kSubscript:
                scanner_.SetTokenIndex(scanner_.TokenIndex() - 1);
                LayoutScripts(c, x + out.width, y, paint, g, level, letterInkAscent_[L],
                              letterInkDescent_[L]);
                break;
            case tok::kFrac:
            case tok::kAtop:
                spaceBefore();
                c = LayoutFraction(t.kind == tok::kFrac, x + out.width, y, paint, g, level);
                break;
            case tok::kSqrt:
                spaceBefore();
                c = LayoutRadical(x + out.width, y, paint, g, level);
                break;
            case tok::kLeft:
                spaceBefore();
                c = LayoutLeftRight(x + out.width, y, paint, g, level);
                break;
            case tok::kGlyph:
            case tok::kGlyphDescender:
            case tok::kDifferential:
                spaceBefore();
                c = LayoutSymbol(t, x + out.width, y, paint, g, level);
                break;
            case tok::kBigOperator:
                spaceBefore();
                c = LayoutBigOperator(t, x + out.width, y, paint, g, level);
                break;
            case tok::kPunctuation:
                out.width += extra * 0.2f * wordSpace_[L];
                c = LayoutOperatorGlyph(t, x + out.width, y, paint, g, level);
                break;
            case tok::kOperator:
                out.width += extra * wordSpace_[L];
                c = LayoutOperatorGlyph(t, x + out.width, y, paint, g, level);
                spaceAfter = false;
                break;
            case tok::kDelimiter:
                c = LayoutDelimiter(t, x + out.width, y, paint, g, level);
                spaceAfter = false;
                break;
            case tok::kAngle:
                c = LayoutAngleBracket(t, x + out.width, y, paint, g, level);
                spaceAfter = false;
                break;
            case tok::kWideAccent:
                spaceBefore();
                c = LayoutWideAccent(t, x + out.width, y, paint, g, level);
                spaceAfter = false;
                break;
            case tok::kAccent:
                c = LayoutAccent(t, x + out.width, y, paint, g, level);
                spaceAfter = false;
                break;
            case tok::kLimitFunction:
                spaceBefore();
                c = LayoutLimitName(t, x + out.width, y, paint, g, level);
                break;
            case tok::kStackrel:
                spaceBefore();
                c = LayoutStackrel(x + out.width, y, paint, g, level);
                break;
            case tok::kUnderbrace:
                spaceBefore();
                c = LayoutUnderbrace(x + out.width, y, paint, g, level);
                break;
            case tok::kOverbrace:
                spaceBefore();
                c = LayoutOverbrace(x + out.width, y, paint, g, level);
                break;
            case tok::kArray:
                spaceBefore();
                c = LayoutArray(x + out.width, y, paint, g, level);
                break;
            case tok::kBegin:
                spaceBefore();
                c = LayoutEnvironment(x + out.width, y, paint, g, level);
                break;
            case tok::kNot:
                c = LayoutNot(x + out.width, y, paint, g, level);
                spaceAfter = needSpace;
                break;
            case tok::kSpace:
                // Added directly, so that a negative space pulls the next
                // item closer.
                out.width += LayoutSpace(t).width;
                placed = false;
                spaceAfter = false;
                break;
            case tok::kOverline:
            case tok::kUnderline:
                spaceBefore();
                c = LayoutLine(t.kind == tok::kOverline, x + out.width, y, paint, g, level);
                break;
            case tok::kFgColor:
            case tok::kBgColor:
                c = LayoutColor(t.kind == tok::kFgColor, x + out.width, y, paint, g, level);
                break;
            case tok::kFbox:
                c = LayoutFbox(x + out.width, y, paint, g, level);
                spaceAfter = false;
                break;
            case tok::kBlank:
                ++blanks;
                blank = true;
                placed = false;
                spaceAfter = !atStart_;
                break;
            default:
                // End of input, ignored characters, and constructs without a
                // handler here take no room.
                placed = false;
                spaceAfter = needSpace;
                break;
        }
        if (placed) {
            Merge(out, c, out.width);
            atStart_ = false;
        } else if (t.kind == tok::kSpace) {
            atStart_ = false;
        }
        needSpace = spaceAfter;
        if (!many && !blank) break;
    }
    return out;
}

MathBox& MathLabel::LayoutScripts(MathBox& out, float x, float y, bool paint, QPainter* g,
                                  int level, float iA, float iD) {
    out = MathBox{};
    const int entry = scanner_.TokenIndex();
    const float h = 0.1f * wordSpace_[Clamp(level + 1)];
    MathBox S, P;
    int subMark = 0, supMark = 0;
    for (int n = 1; n <= 2; ++n) {
        const int before = scanner_.TokenIndex();
        const MarkupToken t = scanner_.NextToken();
        // A second script of a kind already read starts a group of its own,
        // so that measuring and painting read the same tokens.
        if (t.kind == tok::kSubscript && subMark == 0) {
            S = LayoutItem(x, y, false, g, level + 1);
            subMark = n;
        } else if (t.kind == tok::kSuperscript && supMark == 0) {
            P = LayoutItem(x, y, false, g, level + 1);
            supMark = n;
        } else {
            scanner_.SetTokenIndex(before);
        }
    }
    const bool both = subMark != 0 && supMark != 0;
    const float fSup = both ? 0.44f : 0.2f;
    const float fSub = both ? 0.32f : 0.7f;
    float u = 0.5f * P.inkAscent - 0.8f * iA;
    if (P.descent + u > -fSup * iA) u = -fSup * iA - P.descent;
    float d = 0.8f * iD;
    if (d - S.ascent < -fSub * iA) d = S.ascent - fSub * iA;

    if (paint) {
        scanner_.SetTokenIndex(entry);
        for (int n = 1; n <= 2; ++n) {
            if (subMark == n || supMark == n) {
                scanner_.NextToken();  // the "_" or "^"
                LayoutItem(x + h, y + (subMark == n ? d : u), true, g, level + 1);
            }
        }
    }

    MathBox& r = out;
    r.ascent = std::max(S.ascent - d, P.ascent - u);
    r.descent = std::max(S.descent + d, P.descent + u);
    r.inkAscent = std::max({S.inkAscent - d, P.inkAscent - u, r.ascent});
    r.inkDescent = std::max(S.inkDescent + d, P.inkDescent + u);
    r.width = std::max(S.width, P.width) + h;
    r.inkLeft = std::min(S.inkLeft, P.inkLeft) + h;
    r.inkWidth = std::max(S.inkLeft + S.inkWidth, P.inkLeft + P.inkWidth) + h - r.inkLeft;
    r.lowShift = r.descent > 0.0f ? 0.0f : std::min(S.lowShift - d, P.lowShift - u);
    r.inkHeight = r.inkAscent + r.inkDescent;
    r.height = r.ascent + r.descent;
    return out;
}

MathBox MathLabel::LayoutBigOperator(const MarkupToken& t, float x, float y, bool paint,
                                     QPainter* g, int level) {
    const int L = Clamp(level);
    const float s = levelScale_[L] * textScale_;
    const float e = letterWidth_[L];
    const float a = letterInkAscent_[L];
    const float b = letterInkDescent_[L];
    const bool integral = t.text == QLatin1String("int") || t.text == QLatin1String("oint");
    const bool display = fractionDepth_ < 0 && level == 0;
    const QString symbol = display ? t.text : QStringLiteral("_") + t.text;
    const float size = display ? s : 1.5f * s;
    const float slantFactor = display ? 0.6f : 0.5f;
    bool limitsAround = display && !integral;

    const MathBox op = LayoutNamedGlyph(symbol, size, x, y, false, g);
    const float raise = op.descent / 2.0f + a / 2.0f;
    const MathBox opPlaced = Shifted(op, 0.0f, -raise);
    const float W = op.width;

    int before = scanner_.TokenIndex();
    MarkupToken next = scanner_.NextToken();
    if (next.kind == tok::kLimits) {
        limitsAround = next.text == QLatin1String("limits");
    } else {
        scanner_.SetTokenIndex(before);
    }
    int lowerIndex = -1, upperIndex = -1;
    MathBox lower, upper;
    for (int n = 0; n < 2; ++n) {
        before = scanner_.TokenIndex();
        next = scanner_.NextToken();
        if (next.kind == tok::kSubscript && lowerIndex < 0) {
            lowerIndex = scanner_.TokenIndex();
            lower = LayoutItem(x, y, false, g, level + 1);
        } else if (next.kind == tok::kSuperscript && upperIndex < 0) {
            upperIndex = scanner_.TokenIndex();
            upper = LayoutItem(x, y, false, g, level + 1);
        } else {
            scanner_.SetTokenIndex(before);
        }
    }
    const int after = scanner_.TokenIndex();

    const float opTop = -opPlaced.ascent;
    const float opBottom = opPlaced.descent;
    const float H = opTop < opBottom ? opBottom - opTop : 0.0f;
    float opX = 0.0f, ux = 0.0f, uy = 0.0f, lx = 0.0f, ly = 0.0f;
    if (!limitsAround) {
        const float slant = integral ? slantFactor * W : 0.0f;
        lx = W - slant + 0.15f * e;
        ux = W + 0.1f * e;
        // The upper limit near the top, not rising above the operator by
        // more than 0.55 of its own ascent; the lower limit below the bottom
        // by 0.1 e, and clear of the lower 0.4 of the operator.
        uy = std::max(opBottom - 0.9f * H, opTop + 0.45f * upper.ascent);
        ly = std::max(opBottom + 0.1f * e, opBottom - 0.4f * H + lower.ascent);
    } else {
        const float gap = 0.15f * (a + b) + 1.0f;
        ux = W / 2.0f - upper.width / 2.0f + (integral ? 0.25f * W : 0.0f);
        lx = W / 2.0f - lower.width / 2.0f - (integral ? 0.25f * W : 0.0f);
        const float leftmost =
            std::min({0.0f, upperIndex >= 0 ? ux : 0.0f, lowerIndex >= 0 ? lx : 0.0f});
        opX = -leftmost;
        ux += opX;
        lx += opX;
        uy = opTop - gap - upper.descent;
        ly = opBottom + gap + lower.ascent;
    }

    if (paint) {
        LayoutNamedGlyph(symbol, size, x + opX, y - raise, true, g);
        if (lowerIndex >= 0) {
            scanner_.SetTokenIndex(lowerIndex);
            LayoutItem(x + lx, y + ly, true, g, level + 1);
        }
        if (upperIndex >= 0) {
            scanner_.SetTokenIndex(upperIndex);
            LayoutItem(x + ux, y + uy, true, g, level + 1);
        }
        scanner_.SetTokenIndex(after);
    }

    float right = opX + W;
    MathBox result = Shifted(op, opX, -raise);
    result.width = 0.0f;
    MathBox merged;
    Merge(merged, result, 0.0f);
    if (upperIndex >= 0) {
        Merge(merged, Shifted(upper, ux, uy), 0.0f);
        right = std::max(right, ux + upper.width);
    }
    if (lowerIndex >= 0) {
        Merge(merged, Shifted(lower, lx, ly), 0.0f);
        right = std::max(right, lx + lower.width);
    }
    merged.width = right;
    return merged;
}

MathBox MathLabel::LayoutFraction(bool rule, float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const float a = letterInkAscent_[L] / 3.0f;
    const bool shrunk = fractionDepth_ >= 0 || level > 0;
    const int child = shrunk ? level + 1 : level;
    const int C = Clamp(child);
    const int start = scanner_.TokenIndex();
    ++fractionDepth_;
    const MathBox num = LayoutItem(x, y, false, g, child);
    const MathBox den = LayoutItem(x, y, false, g, child);
    --fractionDepth_;
    const int end = scanner_.TokenIndex();

    const float pad = letterWidth_[L] * 0.08f;
    const float W = 2.0f * pad + std::max(num.width, den.width);
    const float t = (letterWidth_[C] + letterInkAscent_[C]) * 0.03f;
    const float gap = (letterInkAscent_[C] + letterInkDescent_[C]) * 0.15f;
    const float nx = (W - num.width) / 2.0f;
    const float dx = (W - den.width) / 2.0f;
    float ny, dy;
    if (shrunk) {
        ny = -num.descent - gap - t / 2.0f - a - 2.0f * pad;
        dy = den.ascent + gap + t / 2.0f - a + 2.0f * pad;
    } else {
        ny = -num.inkDescent - gap - t / 2.0f - a;
        dy = (den.inkAscent > 1.02f * den.ascent ? den.inkAscent + 0.2f * gap
                                                 : den.inkAscent + gap) +
             t / 2.0f - a;
    }
    if (paint) {
        scanner_.SetTokenIndex(start);
        if (rule) {
            g->setPen(TextPen(textColor_, t));
            g->drawLine(QPointF(x, y - a), QPointF(x + W, y - a));
        }
        ++fractionDepth_;
        LayoutItem(x + nx, y + ny, true, g, child);
        LayoutItem(x + dx, y + dy, true, g, child);
        --fractionDepth_;
        scanner_.SetTokenIndex(end);
    }
    MathBox ruleBox;  // the rule's ink spans the whole width
    if (rule) {
        ruleBox.ascent = ruleBox.inkAscent = a + t / 2.0f;
        ruleBox.lowShift = -(a - t / 2.0f);
        ruleBox.inkWidth = W;
    }
    return Union({ruleBox, Shifted(num, nx, ny), Shifted(den, dx, dy)}, W);
}

MathBox MathLabel::LayoutNot(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const MathBox c = LayoutItem(x, y, paint, g, level);
    if (paint) {
        const float h = 0.15f * (letterInkAscent_[L] + letterInkDescent_[L]);
        const float top = std::max(y - c.ascent - h, y - c.inkAscent);
        const float bottom = std::min(y + c.descent + c.lowShift + h, y + c.inkDescent);
        g->setPen(TextPen(textColor_, letterWidth_[L] * 0.05f));
        g->drawLine(QPointF(x + c.width / 4.0f, bottom), QPointF(x + 3.0f * c.width / 4.0f, top));
    }
    return c;
}

MathBox MathLabel::LayoutColor(bool foreground, float x, float y, bool paint, QPainter* g,
                               int level) {
    if (NextNonBlank().kind != tok::kOpen) return {};
    QString text;
    for (int n = 0; n < 8 && text.size() != 8; ++n) text += scanner_.NextToken().text;
    unsigned fields[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const QByteArray field = text.mid(2 * i, 2).toLatin1();
        unsigned v = 0;
        if (!field.isEmpty() && std::sscanf(field.constData(), "%x", &v) == 1) fields[i] = v;
    }
    if (NextNonBlank().kind != tok::kClose) return {};
    const QColor color(fields[1], fields[2], fields[3], fields[0]);

    const int start = scanner_.TokenIndex();
    const QColor keptColor = textColor_;
    const QBrush keptBrush = textBrush_;
    if (foreground) SetTextColor(color);
    MathBox c = LayoutItem(x, y, false, g, level);
    if (paint) {
        scanner_.SetTokenIndex(start);
        if (!foreground)
            g->fillRect(QRectF(x, y - c.inkAscent, c.width, c.inkAscent + c.inkDescent), color);
        c = LayoutItem(x, y, true, g, level);
    }
    if (foreground) {
        textColor_ = keptColor;
        textBrush_ = keptBrush;
    }
    return c;
}

MathBox MathLabel::LayoutFbox(float x, float y, bool paint, QPainter* g, int level) {
    const float p = letterWidth_[Clamp(level)] * 0.5f;
    const MathBox c = LayoutItem(x + p, y, paint, g, level);
    if (paint) {
        g->setPen(TextPen(textColor_, 1.0f));
        g->setBrush(Qt::NoBrush);
        g->drawRect(QRectF(x + p / 2.0f, y - c.inkAscent - p / 2.0f, c.width + p,
                           c.inkAscent + c.inkDescent + p));
    }
    MathBox b;
    b.inkAscent = b.ascent = c.inkAscent + p;
    b.inkDescent = b.descent = c.inkDescent + p;
    b.width = b.inkWidth = c.width + 2.0f * p;
    b.inkHeight = b.height = b.inkAscent + b.inkDescent;
    return b;
}

MathBox MathLabel::LayoutLine(bool over, float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const int start = scanner_.TokenIndex();
    const MathBox c = LayoutItem(x, y, false, g, level);
    const float h = (letterInkAscent_[L] + letterInkDescent_[L]) * 0.1f;
    const float lineY = over ? y - c.ascent - h : y + c.descent + h;
    if (paint) {
        scanner_.SetTokenIndex(start);
        g->setPen(TextPen(textColor_, h * 0.25f));
        g->drawLine(QPointF(x, lineY), QPointF(x + c.width, lineY));
        LayoutItem(x, y, true, g, level);
    }
    MathBox b;
    b.ascent = over ? std::max(c.ascent, c.ascent + 1.9f * h) : c.ascent;
    b.descent = over ? c.descent : std::max(c.descent, c.descent + 1.9f * h);
    b.inkAscent = std::max(c.inkAscent, b.ascent);
    b.inkDescent = std::max(c.inkDescent, b.descent);
    b.width = c.width;
    b.inkLeft = std::min(0.0f, c.inkLeft);
    b.inkWidth = std::max(c.width, c.inkLeft + c.inkWidth) - b.inkLeft;
    b.lowShift = b.descent > 0.0f ? 0.0f : std::min(0.0f, c.lowShift);
    b.inkHeight = b.inkAscent + b.inkDescent;
    b.height = b.ascent + b.descent;
    return b;
}

MathBox MathLabel::LayoutRadical(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const float e = letterWidth_[L];
    const float s = levelScale_[L] * textScale_;
    const int start = scanner_.TokenIndex();
    MathBox index;
    bool hasIndex = false;
    const MarkupToken t = scanner_.NextToken();
    if (t.text == QLatin1String("[")) {
        hasIndex = true;
        // The index runs to the "]" that the scanner turned into a group close.
        atStart_ = true;
        LayoutSequence(index, x, y, false, g, level + 2, true);
    } else {
        scanner_.SetTokenIndex(start);
    }
    const int radicandStart = scanner_.TokenIndex();
    const MathBox radicand = LayoutItem(x, y, false, g, level);
    const int end = scanner_.TokenIndex();

    const float W = radicand.width, H = radicand.ascent, D = radicand.descent;
    const float Wi = hasIndex ? index.width : 0.0f;
    const float Di = hasIndex ? index.descent : 0.0f;
    const float signOffset = std::max(Wi - 0.6f * e, 0.0f);
    const float indexX = std::max(0.6f * e - Wi, 0.0f);
    const float signLeft = signOffset;
    const float corner = signOffset + e;
    const float radicandX = signOffset + e + 0.1f * e;
    const float total = signOffset + e + W + 0.1f * e;
    const float overY = -H - 0.35f * e;
    const float tickY = -(H + 0.35f * e) / 2.9f;
    const float bottomY = 1.1f * D;
    const float penWidth = 6.0f * s;
    const float indexY = tickY - Di - 6.0f * s - 0.2f * e;

    if (paint) {
        QPainterPath sign;
        sign.moveTo(x + radicandX + W + 0.1f * e, y + overY);
        sign.lineTo(x + corner, y + overY);
        sign.lineTo(x + signLeft + 0.425f * e, y + bottomY);
        sign.lineTo(x + signLeft + 0.15f * e, y + tickY);
        sign.lineTo(x + signLeft, y + tickY);
        if (hasIndex) sign.lineTo(x, y + tickY);
        QPen pen = TextPen(textColor_, penWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        g->setPen(pen);
        g->setBrush(Qt::NoBrush);
        g->drawPath(sign);
        if (hasIndex) {
            scanner_.SetTokenIndex(start + 1);
            atStart_ = true;
            MathBox drawn;
            LayoutSequence(drawn, x + indexX, y + indexY, true, g, level + 2, true);
        }
        scanner_.SetTokenIndex(radicandStart);
        LayoutItem(x + radicandX, y, true, g, level);
        scanner_.SetTokenIndex(end);
    }

    MathBox sign;
    sign.ascent = sign.inkAscent = H + 0.35f * e + penWidth / 2.0f;
    sign.descent = sign.inkDescent = std::max(bottomY, 0.0f);
    sign.inkWidth = radicandX + W + 0.1f * e;  // the overline reaches past the advance
    MathBox r = Union({sign, Shifted(radicand, radicandX, 0.0f)}, total);
    if (hasIndex) {
        Merge(r, Shifted(index, indexX, indexY), 0.0f);
        r.width = total;
    }
    return r;
}

}  // namespace mathtext
