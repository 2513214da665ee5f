#include "app/widgets/ui_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(ToDisplayLabel, TurnsLabelMarkupIntoPlainText) {
    struct Case {
        const char* label;
        const char16_t* shown;
    } cases[] = {
        {"$\\alpha$ err prob", u"α err prob"},
        {"Power (1-$\\beta$ err prob)", u"Power (1-β err prob)"},
        {"$\\beta$/$\\alpha$ ratio", u"β/α ratio"},
        {"Critical $\\chi^2$", u"Critical χ²"},
        {"$\\chi$$^2$", u"χ²"},
        {"Effect size f$^2$", u"Effect size f²"},
        {"H1 $\\rho$$^2$", u"H1 ρ²"},
        {"Noncentrality parameter $\\lambda$", u"Noncentrality parameter λ"},
        {"Noncentrality parameter $\\delta$", u"Noncentrality parameter δ"},
        {"Effect size $\\Delta$", u"Effect size Δ"},
        // A subscript after its segment joins the letter, as one inside does.
        {"Corr $\\rho$_ab", u"Corr ρab"},
        {"$\\sigma$_x, $\\sigma$_y2 => slope", u"σx, σy2 => slope"},
        {"group_1 and $\\rho$ _a", u"group_1 and ρ _a"},
        {"$\\bullet$ Generic t test", u"• Generic t test"},
        {"p1$\\ge$p2 $\\rightarrow$ r $\\le$ $\\rho$", u"p1≥p2 → r ≤ ρ"},
        {"$\\varsigma$ $\\sigma$ $\\omega$ $\\Sigma$ $\\Omega$", u"ς σ ω Σ Ω"},
        {"$\\upsilon$ and $\\Upsilon$", u"υ and Υ"},  // no stray "$" left behind
        // Markup the table has no entry for is written plainly.
        {"$\\sigma_1$ and $x^{2}$ and $\\sigma_{x1}$", u"σ1 and x² and σx1"},
        {"Total sample size", u"Total sample size"},
        {"Costs $5", u"Costs $5"},
        {"", u""},
        // Model strings are UTF-8.
        {"Linear multiple regression: Fixed model, R\xc2\xb2 increase",
         u"Linear multiple regression: Fixed model, R² increase"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToDisplayLabel(c.label), QString::fromUtf16(c.shown)) << c.label;
    }
}

TEST(ToMathTextLabel, WrapsThePlainLabel) {
    EXPECT_EQ(ToMathTextLabel("$\\alpha$ err prob"), QString::fromUtf16(u"\\mbox{α err prob}"));
}

TEST(StringConversion, RoundTripsModelText) {
    for (const std::string text : {"", "0.05", "=1/20", "R\xc2\xb2 increase", "p \xe2\x89\xa5 0"}) {
        EXPECT_EQ(ToNarrowString(ToWideString(text)), text);
    }
}

}  // namespace
