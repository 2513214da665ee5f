// Labels of controls keep the spaces of their text and add none: each label
// is as wide as its pieces set one after the other, where a run of plain
// text is measured as one piece of text (\mbox), the way the plots set
// their axis titles.

#include <gtest/gtest.h>

#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace mathtext {
namespace {

class TextSpacing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitSymbolFonts();
        UpdateSymbolFontScales();
        fonts_ = new LabelFontSets;
        fonts_->MatchLabelFonts();
    }
    static void TearDownTestSuite() {
        delete fonts_;
        FreeSymbolFonts();
        ClearSymbolMap();
    }
    // The advance of `markup` set as a control sets its label, at 40 px.
    static float Width(const QString& markup, bool textSpacing = true) {
        MathLabel label(QStringLiteral("test"), 40.0f, true, &fonts_->labelFonts,
                        &fonts_->labelFonts, SymbolMapPointer());
        label.SetText(markup, true);
        label.SetTextSpacing(textSpacing);
        label.Draw(nullptr, 0, 0, kAlignBaseline, kAlignLeft, 0, false);
        return label.Width();
    }

    static LabelFontSets* fonts_;
};
LabelFontSets* TextSpacing::fonts_ = nullptr;

struct SpacingCase {
    const char* markup;
    std::vector<const char*> pieces;
};

TEST_F(TextSpacing, ALabelIsAsWideAsItsPiecesWithTheirOwnBlanks) {
    const SpacingCase cases[] = {
        {"H1", {"\\mbox{H1}"}},
        {"Total sample size", {"\\mbox{Total sample size}"}},
        {"Prop. p1", {"\\mbox{Prop. p1}"}},
        {"Slope H1", {"\\mbox{Slope H1}"}},
        {"Allocation ratio N2/N1", {"\\mbox{Allocation ratio N2}", "/", "\\mbox{N1}"}},
        {"Prop. p1|H1", {"\\mbox{Prop. p1}", "|", "\\mbox{H1}"}},
        {"Exp($\\beta$1)", {"\\mbox{Exp}", "(", "$\\beta$", "\\mbox{1}", ")"}},
        {"Power (1-$\\beta$ err prob)",
         {"\\mbox{Power }", "(", "\\mbox{1}", "-", "$\\beta$", "\\mbox{ err prob}", ")"}},
        {"Correlation $\\rho$ H1", {"\\mbox{Correlation }", "$\\rho$", "\\mbox{ H1}"}},
        // Blanks at either end set nothing; two blanks set two.
        {" H1 ", {"\\mbox{H1}"}},
        {"a  b", {"\\mbox{a  b}"}},
    };
    for (const SpacingCase& c : cases) {
        float sum = 0.0f;
        for (const char* piece : c.pieces) sum += Width(QString::fromUtf8(piece));
        EXPECT_NEAR(Width(QString::fromUtf8(c.markup)), sum, 0.01f) << c.markup;
    }
}

// Formulas of the plots keep the spacing of mathematics.
TEST_F(TextSpacing, IsOnlyForLabelsThatAskForIt) {
    EXPECT_GT(Width(QStringLiteral("H1"), false), Width(QStringLiteral("\\mbox{H1}")) + 1.0f);
    EXPECT_GT(Width(QStringLiteral("a+b"), false), Width(QStringLiteral("a+b")) + 1.0f);
}

}  // namespace
}  // namespace mathtext
