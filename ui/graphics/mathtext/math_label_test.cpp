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
        QImage image(800, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        label.Draw(&p, 5, 40, kAlignBaseline, kAlignLeft, 0, true);
        return image;
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
    const char* texts[] = {"x_a_b",          "x^2_i",          "\\sqrt[3]{x+1}",
                           "{n \\choose k}", "\\frac{a+b}{c}", "\\int\\limits_0^1 f"};
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

}  // namespace
}  // namespace mathtext
