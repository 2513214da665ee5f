#include "ui/graphics/mathtext/math_label.h"

#include <QImage>
#include <QPainter>

#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/label_fonts.h"

namespace mathtext {
namespace {

class MathLabelTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitSymbolFonts();
        UpdateSymbolFontScales();
        fonts_ = new LabelFontSets;
    }
    static void TearDownTestSuite() {
        delete fonts_;
        FreeSymbolFonts();
        ClearSymbolMap();
    }

    // A label of the given style at 10 points, measured.
    static std::unique_ptr<MathLabel> Label(const QString& text, bool textStyle = true) {
        auto label = std::make_unique<MathLabel>(QStringLiteral("test"), 10.0f, textStyle,
                                                 &fonts_->romanFonts, &fonts_->romanItalicFonts,
                                                 SymbolMapPointer());
        label->SetText(text, true);
        label->Draw(nullptr, 0, 0, kAlignBaseline, kAlignLeft, 0, false);
        return label;
    }
    static float Width(const QString& text, bool textStyle = true) {
        return Label(text, textStyle)->Width();
    }
    // Paints the label and returns the picture.
    static QImage Painted(MathLabel& label, float scale = 4.0f) {
        QImage image(800, 420, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        label.Draw(&p, 5, 40, kAlignBaseline, kAlignLeft, 0, true);
        return image;
    }

    // The bounding rectangle of the dark pixels (or of those that `is`
    // picks); empty when there are none.
    template <typename Pick>
    static QRect Ink(const QImage& image, Pick is) {
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (is(image.pixel(x, y))) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    }
    static QRect Ink(const QImage& image) {
        return Ink(image, [](QRgb p) { return qGray(p) < 160; });
    }
    // The ink of `image` where `without` has none (what one construct adds).
    static QRect AddedInk(const QImage& image, const QImage& without) {
        QImage diff = image;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(without.pixel(x, y)) < 250) diff.setPixel(x, y, qRgb(255, 255, 255));
        return Ink(diff);
    }

    static LabelFontSets* fonts_;
};
LabelFontSets* MathLabelTest::fonts_ = nullptr;

TEST_F(MathLabelTest, OneWordSpaceBetweenItemsWhateverTheBlanks) {
    auto ab = Label(QStringLiteral("a b"));
    const float space = ab->WordSpace(0);
    ASSERT_GT(space, 0.0f);
    const float a = Width(QStringLiteral("a")), b = Width(QStringLiteral("b"));
    EXPECT_NEAR(ab->Width(), a + space + b, 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("a    b")), ab->Width(), 1e-4);
    // Ignored characters and unknown commands take no room.
    EXPECT_NEAR(Width(QStringLiteral("$a$ $b$")), ab->Width(), 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("a \\foo b")), ab->Width(), 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("  a b")), ab->Width(), 1e-4);  // no leading space
    // Two groups in a row: no space; a word then a group: one.
    EXPECT_NEAR(Width(QStringLiteral("{a}{b}")), a + b, 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("a{b}")), a + space + b, 1e-4);
    // An operator gets a space before it only (also at the start); a blank
    // after it adds one.
    const float plus = Width(QStringLiteral("+"));
    EXPECT_NEAR(Width(QStringLiteral("a+b")), a + plus + b, 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("a+ b")), a + plus + space + b, 1e-4);
    // Explicit spaces count in units of the main text's letter width, also
    // inside a script, and a negative one pulls the next item closer.
    const float quad = Width(QStringLiteral("\\quad"));
    EXPECT_NEAR(quad, ab->LetterWidth(0), 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("x_{\\quad}")) - Width(QStringLiteral("x_{}")), quad, 1e-4);
    EXPECT_NEAR(Width(QStringLiteral("a\\!b")), a + b - quad * 3 / 18, 1e-4);
}

TEST_F(MathLabelTest, EmptyTextAndCachedExtent) {
    auto label = Label(QString());
    EXPECT_EQ(label->Width(), 0.0f);
    label->SetMargin(2);
    label->SetText(QString(), true);
    label->Draw(nullptr, 0, 0, kAlignTop, kAlignLeft, 0, false);
    EXPECT_EQ(label->Width(), 4.0f);
    EXPECT_EQ(label->Height(), 4.0f);

    label->SetText(QStringLiteral("abc"), true);
    label->Draw(nullptr, 0, 0, kAlignTop, kAlignLeft, 0, false);
    const float wide = label->Width();
    label->SetText(QStringLiteral("a"), false);  // keeps the old extent
    label->Draw(nullptr, 0, 0, kAlignTop, kAlignLeft, 0, false);
    EXPECT_EQ(label->Width(), wide);
    label->SetText(QStringLiteral("a"), true);
    label->Draw(nullptr, 0, 0, kAlignTop, kAlignLeft, 0, false);
    EXPECT_LT(label->Width(), wide);
}

TEST_F(MathLabelTest, AlignmentPutsTheAnchorOnTheBox) {
    auto label = Label(QStringLiteral("Ag"));
    const float w = label->Width(), asc = label->Ascent(), desc = label->Descent();
    struct Case {
        int v, h;
        QPointF topLeft;
    };
    const Case cases[] = {
        {kAlignTop, kAlignLeft, {10, 20}},
        {kAlignBaseline, kAlignLeft, {10, 20 - asc}},
        {kAlignBottom, kAlignRight, {10 - w, 20 - asc - desc}},
        {kAlignCentre, kAlignCentre, {10 - w / 2, 20 - (asc + desc) / 2}},
    };
    for (const Case& c : cases) {
        label->Draw(nullptr, 10, 20, c.v, c.h, 0, false);
        EXPECT_NEAR(label->Corners()[0].x(), c.topLeft.x(), 1e-4) << c.v << c.h;
        EXPECT_NEAR(label->Corners()[0].y(), c.topLeft.y(), 1e-4) << c.v << c.h;
    }
    // Rotated by -90 degrees about the anchor: the baseline runs upwards.
    label->Draw(nullptr, 10, 20, kAlignBaseline, kAlignLeft, -90, false);
    EXPECT_NEAR(label->Corners()[4].x(), 10, 1e-4);
    EXPECT_NEAR(label->Corners()[5].x(), 10, 1e-4);
    EXPECT_NEAR(label->Corners()[5].y(), 20 - w, 1e-4);
}

TEST_F(MathLabelTest, ScriptOrderDoesNotMatter) {
    auto a = Label(QStringLiteral("x^2_i"));
    auto b = Label(QStringLiteral("x_i^2"));
    EXPECT_EQ(a->Width(), b->Width());
    EXPECT_EQ(a->Ascent(), b->Ascent());
    EXPECT_EQ(a->Descent(), b->Descent());
    EXPECT_EQ(Painted(*a), Painted(*b));
    // The pair sits wider apart than either script alone would.
    auto sup = Label(QStringLiteral("x^2")), sub = Label(QStringLiteral("x_i"));
    EXPECT_GT(a->Ascent(), sup->Ascent() - 1e-4);
    EXPECT_GT(a->Descent(), sub->Descent() - 1e-4);
    // An absent superscript still holds its place above the baseline.
    EXPECT_GE(sub->Ascent() + 1e-4, 0.8f * sub->LetterInkAscent(0));
    // A blank ends the pair: the subscript follows the superscript.
    EXPECT_GT(Width(QStringLiteral("x^2 _i")), a->Width());
}

TEST_F(MathLabelTest, MeasuringAndPaintingReadTheSameTokens) {
    const char* texts[] = {
        "x_a_b",
        "x^a^b",
        "x^{a^b}_c",
        "\\sum_{i=1}^{n} i",
        "\\int\\limits_0^1 f",
        "\\sum _i",
        "\\frac{a}{\\frac{b}{c}}",
        "{n \\choose k}",
        "\\sqrt[3]{x}",
        "{\\fgcolor{FFFF0000}\\mbox{a}} b",
        "\\fbox{x} y",
        "\\not= a",
        "\\overline{ab} c",
        "}a",
        "x^",
        "\\fgcolor{FF}",
        "\\left( x \\right)^2_i y",
        "\\left( x \\right)_a_{bbbb}",
        "\\left. \\frac{a}{b} \\right|_0^1 c",
        "{\\left( x}y",
        "\\left",
        "\\hat{x} y \\tilde{} \\bar{\\bar{x}} \\widetilde{ab}",
        "\\stackrel{def}{=} b",
        "\\underbrace{a+b}_{n} c \\overbrace{a}^{wide} c",
        "\\lim_{x \\to 0} f \\max _i",
        "\\array{a & b \\\\ c & d} e",
        "\\begin{eqnarray} x & = & y \\\\ z & = & 2 \\end{eqnarray} w",
        "\\begin{array}{*{3}{c}} 1 & 2 & 3 \\end{array} x",
        "\\begin{array}{c@{:}c} a & b \\end{array} x",
        "\\begin{eqnarray*} x \\end{eqnarray*} y",
        "\\begin{matrix} a & b",
    };
    for (const char* text : texts) {
        for (bool textStyle : {true, false}) {
            auto label = Label(QString::fromUtf8(text), textStyle);
            Painted(*label);
            const MathBox& m = label->ContentBox();
            const MathBox& p = label->PaintedBox();
            EXPECT_FLOAT_EQ(m.width, p.width) << text;
            EXPECT_FLOAT_EQ(m.ascent, p.ascent) << text;
            EXPECT_FLOAT_EQ(m.descent, p.descent) << text;
            EXPECT_FLOAT_EQ(m.inkWidth, p.inkWidth) << text;
        }
    }
}

TEST_F(MathLabelTest, PaintedInkStaysInsideTheMeasuredBox) {
    const char* texts[] = {"x_a_b", "x^2_i", "\\sqrt[3]{x+1}", "{n \\choose k}", "\\frac{a+b}{c}",
                           "\\int\\limits_0^1 f",
                           // Cells beyond the column specification stand apart
                           // by the same gaps as the others, inside the box.
                           "\\begin{matrix} aaa & bbb & ccc \\end{matrix}",
                           "\\begin{array}{l} aaa & bbb & ccc \\end{array}",
                           "\\left( \\frac{a}{b} \\right)^2", "\\lim_{x \\to 0} f",
                           "\\stackrel{def}{=}", "\\overbrace{a+b}^{n}"};
    for (const char* text : texts) {
        auto label = Label(QString::fromUtf8(text), false);
        const float scale = 4.0f;
        const QImage image = Painted(*label, scale);
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 160) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, 0) << text;
        const float slack = 2.0f;  // antialiasing and pen ends, in pixels
        EXPECT_GE(left, 5 * scale - slack) << text;
        const MathBox& ink = label->ContentBox();
        EXPECT_LE(right, (5 + ink.inkLeft + ink.inkWidth) * scale + slack) << text;
        EXPECT_GE(top, (40 - label->Ascent()) * scale - slack) << text;
        EXPECT_LE(bottom, (40 + label->Descent()) * scale + slack) << text;
    }
}

TEST_F(MathLabelTest, FractionLevels) {
    auto text = Label(QStringLiteral("\\frac{x}{x}"), true);
    auto display = Label(QStringLiteral("\\frac{x}{x}"), false);
    auto nested = Label(QStringLiteral("\\frac{\\frac{x}{x}}{}"), false);
    const float pad = text->LetterWidth(0) * 0.08f;
    // Text style shrinks both parts to level 1, display style keeps level 0.
    auto x0 = Label(QStringLiteral("x"));
    const float xWidth = x0->Width();
    EXPECT_NEAR(display->Width(), 2 * pad + xWidth, 1e-4);
    EXPECT_NEAR(text->Width(), 2 * pad + xWidth * 0.76f, 1e-3);
    // Inside a fraction the inner one drops a level even in display style.
    EXPECT_NEAR(nested->Width(), 2 * pad + 2 * pad * 1.0f + xWidth * 0.76f, 1e-3);
    EXPECT_GT(display->Ascent() + display->Descent(), text->Ascent() + text->Descent());
}

TEST_F(MathLabelTest, DisplayAndTextBigOperators) {
    auto display = Label(QStringLiteral("\\sum_{i=1}^{n}"), false);
    auto text = Label(QStringLiteral("\\sum_{i=1}^{n}"), true);
    auto bare = Label(QStringLiteral("\\sum"), false);
    auto limitsOnly = Label(QStringLiteral("{i=1}"), true);
    // Display: limits above and below, so the item is as wide as the wider
    // of operator and limit; text: limits beside, so wider than the operator.
    EXPECT_NEAR(display->Width(), std::max(bare->Width(), limitsOnly->Width() * 0.76f), 1e-3);
    auto textBare = Label(QStringLiteral("\\sum"), true);
    EXPECT_GT(text->Width(), textBare->Width() + 0.5f * limitsOnly->Width() * 0.76f);
    EXPECT_GT(display->Ascent(), bare->Ascent());
    EXPECT_GT(display->Descent(), bare->Descent());
    // Both script orders, and \nolimits / \limits.
    EXPECT_EQ(Width(QStringLiteral("\\sum^{n}_{i}"), false),
              Width(QStringLiteral("\\sum_{i}^{n}"), false));
    EXPECT_GT(Width(QStringLiteral("\\sum\\nolimits_{i=1}"), false),
              Width(QStringLiteral("\\sum\\limits_{i=1}"), false));
    // A blank before the script: the operator takes no limit.
    EXPECT_EQ(Label(QStringLiteral("\\sum _i"), false)->Descent(),
              Label(QStringLiteral("\\sum{}_i"), false)->Descent());
}

TEST_F(MathLabelTest, ColourFrameAndLines) {
    const float plain = Width(QStringLiteral("{\\mbox{a}} b"));
    EXPECT_EQ(Width(QStringLiteral("{\\fgcolor{FFFF0000}\\mbox{a}} b")), plain);
    EXPECT_EQ(Width(QStringLiteral("{\\fgcolor{00FF0000}\\mbox{a}} b")), plain);
    EXPECT_EQ(Width(QStringLiteral("{\\bgcolor{FFFFFF00}\\mbox{a}} b")), plain);
    // Without its braced argument the command takes no room and no colour.
    EXPECT_EQ(Width(QStringLiteral("\\fgcolor a")), 0.0f);

    auto red = Label(QStringLiteral("{\\fgcolor{FFFF0000}\\mbox{I}}\\mbox{I}"));
    const QImage image = Painted(*red);
    bool sawRed = false, sawBlack = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            sawRed |= qRed(c) > 200 && qGreen(c) < 60;
            sawBlack |= qRed(c) < 60 && qGreen(c) < 60;
        }
    EXPECT_TRUE(sawRed);
    EXPECT_TRUE(sawBlack);  // the colour ends with its group

    auto x = Label(QStringLiteral("x"));
    auto boxed = Label(QStringLiteral("\\fbox{x}"));
    const float p = x->LetterWidth(0) * 0.5f;
    EXPECT_NEAR(boxed->Width(), x->Width() + 2 * p, 1e-4);
    auto over = Label(QStringLiteral("\\overline{x}"));
    const float h = (x->LetterInkAscent(0) + x->LetterInkDescent(0)) * 0.1f;
    EXPECT_NEAR(over->Width(), x->Width(), 1e-4);
    EXPECT_NEAR(over->Ascent(), x->Ascent() + 1.9f * h, 1e-4);
    EXPECT_NEAR(Label(QStringLiteral("\\underline{x}"))->Descent(), x->Descent() + 1.9f * h, 1e-4);
}

TEST_F(MathLabelTest, RadicalIndexPushesTheSignRight) {
    auto x = Label(QStringLiteral("x"));
    const float e = x->LetterWidth(0);
    auto root = Label(QStringLiteral("\\sqrt{x}"));
    EXPECT_NEAR(root->Width(), e + x->Width() + 0.1f * e, 1e-4);
    // A narrow index fits in the sign's crook; a wide one moves the sign.
    EXPECT_NEAR(Width(QStringLiteral("\\sqrt[3]{x}")), root->Width(), 1e-4);
    auto index = Label(QStringLiteral("x_{x_{123456}}"));
    const float wide = Width(QStringLiteral("\\sqrt[123456]{x}"));
    EXPECT_GT(wide, root->Width() + 1.0f);
    EXPECT_GT(Label(QStringLiteral("\\sqrt[3]{x}"))->Ascent(), root->Ascent());
    (void)index;
}

TEST_F(MathLabelTest, DelimitersAroundSmallAndTallContent) {
    auto x = Label(QStringLiteral("x"), false);
    const MathBox X = x->ContentBox();
    const float m = x->LetterInkAscent(0) + x->LetterInkDescent(0);
    // Small content (lower than 1.5 m from line top to line bottom; a
    // symbol measured by its ink): glyphs whose ink spans the content's
    // extent exactly, each as wide as its scaled advance.
    const MathBox I = Label(QStringLiteral("\\infty"), false)->ContentBox();
    ASSERT_LT(I.inkAscent + I.inkDescent, 1.5f * m);
    auto small = Label(QStringLiteral("\\left( \\infty \\right)"), false);
    EXPECT_NEAR(small->Ascent(), I.inkAscent, 1e-4);
    EXPECT_NEAR(small->Descent(), I.inkDescent, 1e-4);
    EXPECT_GT(small->Width(), I.width + 0.2f * m);
    EXPECT_LT(small->Width(), I.width + 1.4f * m - 0.2f * m);
    {
        const QRect ink = Ink(Painted(*small, 8.0f));
        EXPECT_NEAR(ink.top(), (40 - I.inkAscent) * 8, 2.0);
        EXPECT_NEAR(ink.bottom(), (40 + I.inkDescent) * 8, 2.0);
    }
    // A double bar has no glyph: stroked on both sides at any size.
    EXPECT_NEAR(Width(QStringLiteral("\\left\\| \\infty \\right\\|"), false), I.width + 1.4f * m,
                1e-3);
    // A line of text is not small: its line extent is over 1.5 m.
    EXPECT_NEAR(Width(QStringLiteral("\\left( x \\right)"), false), X.width + 1.4f * m, 1e-3);

    // Tall content: stroked outlines 0.7 m wide whatever the delimiter; an
    // empty delimiter takes no room; scripts follow the right one.
    auto frac = Label(QStringLiteral("\\frac{a}{b}"), false);
    const MathBox F = frac->ContentBox();
    ASSERT_GE(F.inkAscent + F.inkDescent, 1.5f * m);
    for (const char* pair : {"( \\right)", "[ \\right]", "\\{ \\right\\}", "| \\right|",
                             "\\| \\right\\|", "\\langle \\right\\rangle"}) {
        const QString text = QStringLiteral("\\left") + QString::fromUtf8(pair);
        const QString around = text.left(text.indexOf(u' ') + 1) + QStringLiteral("\\frac{a}{b} ") +
                               text.mid(text.indexOf(u' ') + 1);
        auto tall = Label(around, false);
        EXPECT_NEAR(tall->Width(), F.width + 1.4f * m, 1e-3) << pair;
        EXPECT_NEAR(tall->Ascent(), F.inkAscent, 1e-3) << pair;
        // The strokes stay within the content's ink height (round caps
        // and joins aside).
        const QRect ink = Ink(Painted(*tall));
        EXPECT_GE(ink.top(), (40 - F.inkAscent) * 4 - 2.5) << pair;
        EXPECT_LE(ink.bottom(), (40 + F.inkDescent) * 4 + 2.5) << pair;
    }
    auto bar = Label(QStringLiteral("\\left. \\frac{a}{b} \\right|_{0}^{1}"), false);
    const float limit = Width(QStringLiteral("{}_{1}")) - Width(QStringLiteral("{}_{}"));
    EXPECT_NEAR(bar->Width(), F.width + 0.7f * m + limit, 1e-3);
    EXPECT_GT(bar->Descent(), F.inkDescent);
    // The stroked parenthesis: its arcs are pieces of a 2w x 3w ellipse,
    // cut at the given angles on the ellipse itself, so that both ends lie
    // a little inside the content's extent rather than beyond it.
    auto paren = Label(QStringLiteral("\\left( \\frac{a}{b} \\right."), false);
    const float w = 0.7f * m;
    const QImage image = Painted(*paren, 8.0f);
    const QRect ink = Ink(image.copy(0, 0, static_cast<int>((5 + w) * 8) - 2, image.height()));
    EXPECT_LE(ink.bottom(), (40 + F.inkDescent) * 8 + 1.0f);
    EXPECT_GE(ink.bottom(), (40 + F.inkDescent - 0.12f * w) * 8 - 1.0f);
    EXPECT_GE(ink.top(), (40 - F.inkAscent) * 8 - 1.0f);
    EXPECT_LE(ink.top(), (40 - F.inkAscent + 0.12f * w) * 8 + 1.0f);
    EXPECT_NEAR(ink.left(), (5 + 0.25f * w - w / 24) * 8, 1.5f);

    // Plain delimiters and angle brackets.
    EXPECT_NEAR(Width(QStringLiteral("\\langle")), 0.3f * x->LetterWidth(0), 1e-4);
    EXPECT_EQ(Width(QStringLiteral("\\|")), 0.0f);
    EXPECT_GT(Width(QStringLiteral("(")), 0.0f);
    EXPECT_GT(Width(QStringLiteral("\\{")), 0.0f);
    // "\left" at the end of the text: nothing.
    EXPECT_EQ(Width(QStringLiteral("\\left")), 0.0f);
}

TEST_F(MathLabelTest, AccentsSitOverTheirArgument) {
    auto x = Label(QStringLiteral("x"));
    const MathBox X = x->ContentBox();
    const float m = x->LetterInkAscent(0) + x->LetterInkDescent(0);
    // Line accents: as wide as the argument, raised by m / 3.5 + m / 7 per
    // accent, nested ones stacking.
    for (const char* accent : {"bar", "vec", "widehat", "widetilde"}) {
        auto one = Label(QStringLiteral("\\%1{x}").arg(QLatin1String(accent)));
        EXPECT_NEAR(one->Width(), X.width, 1e-4) << accent;
        EXPECT_NEAR(one->Ascent(), X.ascent + m / 3.5f + m / 7.0f, 1e-4) << accent;
    }
    EXPECT_NEAR(Label(QStringLiteral("\\bar{\\bar{x}}"))->Ascent(),
                X.ascent + 2 * (m / 3.5f + m / 7.0f), 1e-4);
    auto empty = Label(QStringLiteral("\\widetilde{}"));
    EXPECT_EQ(empty->Width(), 0.0f);
    EXPECT_NEAR(empty->Ascent(), m / 3.5f + m / 7.0f, 1e-4);
    // The rule spans its argument, also after other material.
    {
        auto plain = Label(QStringLiteral("a+x"));
        auto barred = Label(QStringLiteral("a+\\bar{x}"));
        const QRect rule = AddedInk(Painted(*barred, 8.0f), Painted(*plain, 8.0f));
        const float right = plain->Width(), left = right - X.width;
        EXPECT_NEAR(rule.left(), (5 + left) * 8, 2.0);
        EXPECT_NEAR(rule.right(), (5 + right) * 8, 2.0);
        EXPECT_NEAR(rule.center().y(), (40 - X.ascent - m / 3.5f) * 8, 2.0);
    }

    // Glyph accents: the ink's middle at three quarters of the argument's
    // advance, 0.2 m above its top; the item no wider than the argument
    // unless the accent's ink reaches further.
    auto hat = Label(QStringLiteral("\\hat{x}"));
    EXPECT_GT(hat->Ascent(), X.ascent + 0.2f * m);
    const QRect caret = AddedInk(Painted(*hat), Painted(*x));
    ASSERT_FALSE(caret.isEmpty());
    EXPECT_NEAR(hat->Width(), std::max(X.width, caret.right() / 4.0f - 5), 0.5);
    EXPECT_NEAR((caret.left() + caret.right()) / 2.0, (5 + 0.75 * X.width) * 4, 2.0);
    EXPECT_NEAR(caret.bottom(), (40 - X.ascent - 0.2f * m) * 4, 2.0);
    EXPECT_GT(Label(QStringLiteral("\\hat{\\hat{x}}"))->Ascent(), hat->Ascent() + 0.2f * m);
    // Without an argument the accent starts at the item's origin and the
    // item ends at its ink.
    auto tilde = Label(QStringLiteral("\\tilde{}"));
    EXPECT_GT(tilde->Width(), 0.0f);
    EXPECT_NEAR(tilde->ContentBox().inkLeft + tilde->ContentBox().inkWidth, tilde->Width(), 1e-4);
    // No word space before an accent.
    EXPECT_NEAR(Width(QStringLiteral("a\\hat{x}")), Width(QStringLiteral("a")) + hat->Width(),
                1e-4);
}

TEST_F(MathLabelTest, StackedRelationsAndLimitNames) {
    auto eq = Label(QStringLiteral("="));
    const float m = 0.1f * (eq->LetterInkAscent(0) + eq->LetterInkDescent(0));
    // The top one level smaller, its ink centred over the base's advance,
    // wider or narrower than the base.
    for (const char* top : {"def", "abcdef", "f"}) {
        auto stack =
            Label(QStringLiteral("\\stackrel{\\fgcolor{FFFF0000}{%1}}{=}").arg(QLatin1String(top)));
        EXPECT_GT(stack->Ascent(), eq->Ascent() + m) << top;
        const QImage image = Painted(*stack, 8.0f);
        const QRect upper = Ink(image, [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 100; });
        const QRect lower = Ink(image, [](QRgb p) { return qRed(p) < 100; });
        // The base's ink lies within its advance, which is centred.
        EXPECT_NEAR(upper.center().x(), lower.center().x(), 8.0) << top;
        EXPECT_LT(upper.bottom(), lower.top() + 0.5f * eq->Ascent() * 8) << top;
    }
    auto alone = Label(QStringLiteral("\\stackrel"));
    EXPECT_EQ(alone->Width(), 0.0f);
    EXPECT_NEAR(alone->Ascent(), m, 1e-4);
    EXPECT_NEAR(alone->ContentBox().inkAscent, 2 * m, 1e-4);
    auto narrow = Label(QStringLiteral("\\stackrel{!}{=}"));
    EXPECT_NEAR(narrow->Width(), eq->Width(), 1e-4);

    // Names with a limit underneath, centred on each other.
    auto lim = Label(QStringLiteral("\\lim"));
    auto limit = Label(QStringLiteral("\\lim_{x \\to 0}"));
    const float under = Width(QStringLiteral("{}_{x \\to 0}")) - Width(QStringLiteral("{}_{}"));
    EXPECT_GT(limit->Descent(), lim->Descent());
    EXPECT_NEAR(limit->Width(), std::max(lim->Width(), under), 1e-3);
    EXPECT_NEAR(Label(QStringLiteral("\\max _{i}"))->Descent(),
                Label(QStringLiteral("\\max_{i}"))->Descent(), 1e-4);
    // Only a subscript: a superscript follows as a script of its own.
    EXPECT_GT(Width(QStringLiteral("\\max^{i}")), Width(QStringLiteral("\\max")));
    EXPECT_GT(Width(QStringLiteral("\\limsup")),
              Width(QStringLiteral("\\lim")) + Width(QStringLiteral("\\sup")));
}

TEST_F(MathLabelTest, BracesUnderAndOver) {
    auto arg = Label(QStringLiteral("a+b+c"));
    const MathBox A = arg->ContentBox();
    const float bh = 0.7f * (arg->LetterInkAscent(0) + arg->LetterInkDescent(0));
    auto under = Label(QStringLiteral("\\underbrace{a+b+c}"));
    EXPECT_NEAR(under->Width(), A.width, 1e-4);
    EXPECT_NEAR(under->Descent(), bh / 2 + A.inkDescent + bh, 1e-4);
    auto over = Label(QStringLiteral("\\overbrace{a+b+c}"));
    EXPECT_NEAR(over->Ascent(), A.ascent + 1.5f * bh, 1e-4);
    // The brace's ink: under the argument, tips 0.25 bh above its centre
    // line and the cusp 0.25 bh below it.
    const QRect brace = AddedInk(Painted(*under), Painted(*arg));
    const float yc = 40 + bh / 2 + A.inkDescent;
    EXPECT_NEAR(brace.top(), (yc - 0.25f * bh) * 4, 2.5);
    EXPECT_NEAR(brace.bottom(), (yc + 0.25f * bh) * 4, 2.5);
    EXPECT_GE(brace.left(), 5 * 4 - 2);
    EXPECT_LE(brace.right(), (5 + A.width) * 4 + 2);
    // Brace texts one level smaller, under and over.
    EXPECT_GT(Label(QStringLiteral("\\underbrace{a+b+c}_{n}"))->Descent(), under->Descent());
    EXPECT_GT(Label(QStringLiteral("\\overbrace{a+b+c}^{n}"))->Ascent(), over->Ascent());
    EXPECT_GT(Label(QStringLiteral("\\underbrace{a+b+c} _{n}"))->Descent(), under->Descent());
    // A brace text wider than the argument: the argument and its brace are
    // centred over it, so the brace stays under the argument.
    auto wide = Label(QStringLiteral("\\underbrace{x}_{wide wide}"));
    const float text = Width(QStringLiteral("{}_{wide wide}")) - Width(QStringLiteral("{}_{}"));
    EXPECT_NEAR(wide->Width(), text, 1e-3);
    const MathBox X = Label(QStringLiteral("x"))->ContentBox();
    const QImage wideImage = Painted(*wide, 8.0f);
    const int split = static_cast<int>((40 + X.descent) * 8) + 1;
    const QRect argInk = Ink(wideImage.copy(0, 0, wideImage.width(), split));
    EXPECT_NEAR(argInk.left(), (5 + (text - X.width) / 2 + X.inkLeft) * 8, 2.0);
}

TEST_F(MathLabelTest, TablesOfCells) {
    auto probe = Label(QStringLiteral("a"));
    const float e = probe->LetterWidth(0);
    auto w = [&](const char* t) { return Width(QString::fromUtf8(t)); };
    // \array: a letter width after every column but the row's last.
    EXPECT_NEAR(w("\\array{a & b \\\\ ccc & d}"), w("ccc") + e + w("b"), 1e-3);
    // Rows touch, ink to ink.
    auto two = Label(QStringLiteral("\\array{x \\\\ x}"));
    const MathBox X = Label(QStringLiteral("x"))->ContentBox();
    EXPECT_NEAR(two->ContentBox().inkAscent + two->ContentBox().inkDescent,
                2 * (X.inkAscent + X.inkDescent), 1e-3);
    // Environments: 0.75 e between columns, none next to an inserted text.
    const float g = 0.75f * e;
    EXPECT_NEAR(w("\\begin{eqnarray} x & = & y+1 \\\\ z & = & 2 \\end{eqnarray}"),
                w("x") + w("=") + w("y+1") + 2 * g, 1e-3);
    EXPECT_NEAR(w("\\begin{array}{*{3}{c}} a & b & c \\end{array}"),
                w("\\begin{array}{ccc} a & b & c \\end{array}"), 1e-4);
    EXPECT_NEAR(w("\\begin{array}{ccc} a & b & c \\end{array}"), w("a") + w("b") + w("c") + 2 * g,
                1e-3);
    EXPECT_NEAR(w("\\begin{array}{c@{:}c} a & b \\end{array}"), w("a") + w(":") + w("b"), 1e-3);
    // Without a specification the cells still stand 0.75 e apart, and the
    // box is as wide as what is drawn.
    EXPECT_NEAR(w("\\begin{matrix} a & b \\end{matrix}"), w("a") + w("b") + g, 1e-3);
    EXPECT_EQ(w("\\begin{eqnarray*} x \\end{eqnarray*}"), 0.0f);
    EXPECT_EQ(w("\\begin{matrix} a & b"), 0.0f);  // no \end
    // Inside an environment a fraction takes the text style; inside \array
    // it keeps its surroundings'.
    EXPECT_LT(Width(QStringLiteral("\\begin{matrix} \\frac{x}{x} \\end{matrix}"), false),
              Width(QStringLiteral("\\array{\\frac{x}{x}}"), false));

    // Left, centred and right-aligned cells: a narrow cell's ink starts at
    // its column's left edge, centred in it, or at its right edge less its
    // width.
    const float col = w("xxx");
    for (int c = 0; c < 3; ++c) {
        const QString cells = c == 0   ? QStringLiteral("a & & ")
                              : c == 1 ? QStringLiteral("& a & ")
                                       : QStringLiteral("& & a");
        auto t = Label(QStringLiteral("\\begin{array}{lcr} ") + cells +
                       QStringLiteral(" \\\\ xxx & xxx & xxx \\end{array}"));
        // The first row: above the table's middle.
        const MathBox& box = t->ContentBox();
        const float middle = 40 - box.inkAscent + (box.inkAscent + box.inkDescent) / 2;
        const QImage image = Painted(*t, 8.0f);
        const QRect a = Ink(image.copy(0, 0, image.width(), static_cast<int>(middle * 8) - 1));
        const float left = c * (col + g) + (col - w("a")) * c / 2.0f;
        EXPECT_NEAR(a.left(), (5 + left + probe->ContentBox().inkLeft) * 8, 3.0) << c;
    }
}

}  // namespace
}  // namespace mathtext
