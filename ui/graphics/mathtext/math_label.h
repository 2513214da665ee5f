#pragma once

// One piece of typeset math text: a markup string, a size, two text fonts, a
// colour, a margin and an anchor alignment. Measuring and drawing both run
// the same layout over the scanner's tokens, once without painting (the
// extent) and once painting.

#include <QBrush>
#include <QColor>
#include <QPointF>
#include <QString>
#include <array>

#include "ui/graphics/mathtext/eq_scanner.h"
#include "ui/graphics/mathtext/symbol_font.h"
#include "ui/graphics/mathtext/symbol_table.h"

class QPainter;

namespace mathtext {

// The layout box of an item, relative to its origin on the baseline; y grows
// downwards, all extents are positive distances.
struct MathBox {
    float inkAscent = 0;
    float inkDescent = 0;
    float ascent = 0;
    float descent = 0;
    float width = 0;  // advance: where the next item starts
    float inkHeight = 0;
    float inkLeft = 0;
    float lowShift = 0;  // most negative baseline offset of a part without depth
    float inkWidth = 0;
    float height = 0;
};

// A glyph's box fills an item's box position by position: the glyph's line
// ascent becomes the item's ink ascent, its ink ascent the item's ascent, and
// so on, so that the layout sets glyphs tight by their ink.
MathBox ToMathBox(const SymbolBox& b);

// Merges `part`, placed at (dx, dy) from `into`'s origin (dy downwards), into
// `into`: the extents and the ink grow to cover it, the advance reaches at
// least the part's.
void MergeAt(MathBox& into, const MathBox& part, float dx, float dy);

// Anchor codes for Draw.
enum LabelAlign {
    kAlignCentre = 0,
    kAlignTop = 1,
    kAlignBottom = 2,
    kAlignBaseline = 3,
    kAlignLeft = 4,
    kAlignRight = 5,
};

class MathLabel {
  public:
    MathLabel(const QString& name, float pointSize, bool textStyle, GlyphCache* textFont,
              GlyphCache* wordFont, SymbolMap* symbols);
    ~MathLabel() = default;
    MathLabel(const MathLabel&) = delete;
    MathLabel& operator=(const MathLabel&) = delete;

    void SetText(const QString& text, bool resetExtent);
    void SetMargin(float margin) { margin_ = margin; }
    // Text spacing: the blanks of the markup set a space of the word font
    // each, leading and trailing ones none, and no space is added between
    // items (words, numbers, symbols, operators). Labels of controls read as
    // the text they were written as ("H1", "N2/N1", "Power (1-β err prob)").
    void SetTextSpacing(bool on);
    void SetFontSize(float points);
    void SetTextFont(GlyphCache* font);
    void SetWordFont(GlyphCache* font);
    void SetTextColor(QColor color);

    // Places the label with its anchor at (x, y), rotated by `angle` degrees
    // about it; with `paint` false it only measures and records the corners.
    void Draw(QPainter* painter, float x, float y, int vAlign, int hAlign, float angle, bool paint);

    const QString& Text() const { return text_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    float Ascent() const { return ascent_; }
    float Descent() const { return descent_; }
    float Margin() const { return margin_; }
    // Box corners after the last Draw, in page coordinates: top-left,
    // bottom-left, bottom-right, top-right, then the ends of the baseline.
    const std::array<QPointF, 6>& Corners() const { return corners_; }
    float WordSpace(int level) const { return wordSpace_[Clamp(level)]; }
    float LetterInkAscent(int level) const { return letterInkAscent_[Clamp(level)]; }
    float LetterInkDescent(int level) const { return letterInkDescent_[Clamp(level)]; }
    float LetterWidth(int level) const { return letterWidth_[Clamp(level)]; }
    // The box of the whole text as the last measurement laid it out.
    const MathBox& ContentBox() const { return content_; }
    // The box that the last painting pass laid out; the same as ContentBox
    // when both passes read the tokens alike.
    const MathBox& PaintedBox() const { return painted_; }

  private:
    static int Clamp(int level) { return level < 0 ? 0 : level > 3 ? 3 : level; }

    void RefreshMetrics();
    void Measure();

    MathBox& LayoutSequence(MathBox& out, float x, float y, bool paint, QPainter* g, int level,
                            bool many);
    // Lays out one item (a group or a token, blanks before it skipped) with
    // atStart set, so that it starts without a word space.
    MathBox LayoutItem(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutText(GlyphCache* font, const QString& text, float size, float x, float y,
                       bool paint, QPainter* g);
    MathBox LayoutNamedGlyph(const QString& name, float size, float x, float y, bool paint,
                             QPainter* g);
    MathBox LayoutSymbol(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                         int level);
    MathBox LayoutOperatorGlyph(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                                int level);
    MathBox LayoutSpace(const MarkupToken& t);
    MathBox& LayoutScripts(MathBox& out, float x, float y, bool paint, QPainter* g, int level,
                           float inkAscent, float inkDescent);
    MathBox LayoutBigOperator(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                              int level);
    MathBox LayoutFraction(bool rule, float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutNot(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutColor(bool foreground, float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutFbox(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutLine(bool over, float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutRadical(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutLeftRight(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutDelimiter(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                            int level);
    MathBox LayoutAngleBracket(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                               int level);
    // Strokes the outline of a large delimiter into the box from x to x + w
    // and from top to bottom (page y, bottom > top); nothing for other texts.
    void DrawDelimiter(QPainter* g, const QString& text, float x, float w, float bottom, float top);
    MathBox LayoutWideAccent(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                             int level);
    MathBox LayoutAccent(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                         int level);
    MathBox LayoutLimitName(const MarkupToken& t, float x, float y, bool paint, QPainter* g,
                            int level);
    MathBox LayoutStackrel(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutUnderbrace(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutOverbrace(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutArray(float x, float y, bool paint, QPainter* g, int level);
    MathBox LayoutEnvironment(float x, float y, bool paint, QPainter* g, int level);
    // Lays out one cell: a sequence up to the token that ends it, which is
    // left in token_ (the end token when the text ran out).
    MathBox LayoutCell(float x, float y, bool paint, QPainter* g, int level);
    // True when the next non-blank token has the given kind; the token index
    // stands after that token either way.
    bool PeekKind(int kind) { return NextNonBlank().kind == kind; }

    // Reads past blanks; the first other token.
    MarkupToken NextNonBlank();

    std::array<float, 4> levelScale_{};
    std::array<float, 4> letterWidth_{};
    std::array<float, 4> letterInkAscent_{};
    std::array<float, 4> letterInkDescent_{};
    std::array<float, 4> wordSpace_{};
    std::array<float, 4> blankWidth_{};  // the word font's blank
    bool textSpacing_ = false;
    bool metricsStale_ = true;
    bool atStart_ = true;
    std::array<QPointF, 6> corners_{};
    QString name_;
    QString text_;
    EqScanner scanner_;
    MarkupToken token_;
    float cachedWidth_ = 0;
    float cachedHeight_ = 0;
    float width_ = 0;
    float height_ = 0;
    float descent_ = 0;
    float ascent_ = 0;
    float margin_ = 0;
    QColor textColor_ = QColor(0, 0, 0);
    QBrush textBrush_;
    int fractionDepth_ = 0;
    bool textStyle_ = true;
    GlyphCache* textFont_ = nullptr;
    GlyphCache* wordFont_ = nullptr;
    SymbolMap* symbols_ = nullptr;
    float textScale_ = -1.0f;
    float wordScale_ = 1.0f;
    MathBox content_;
    MathBox painted_;
};

}  // namespace mathtext
