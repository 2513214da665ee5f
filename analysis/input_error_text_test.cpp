// Every input error names the row it marks.

#include <gtest/gtest.h>

#include "analysis/parameter_names.h"

namespace {

TEST(InputErrorText, NamesTheMarkedRowUnlessTheMessageBeginsWithIt) {
    const struct {
        const char* message;
        const char* label;
        const char* shown;
    } cases[] = {
        {"Input error (illegal character?)", "H1 $\\rho$$^2$",
         "H1 $\\rho$$^2$: Input error (illegal character?)"},
        {"Syntax error: Unknown Variable x\n", "$\\alpha$ err prob",
         "$\\alpha$ err prob: Syntax error: Unknown Variable x\n"},
        {"H1 $\\rho$$^2$ is outside the admissible range (1e-06, 0.999999).", "H1 $\\rho$$^2$",
         "H1 $\\rho$$^2$ is outside the admissible range (1e-06, 0.999999)."},
        // Beginning with the label is what counts, not containing it.
        {"Effect size f must be greater 0.", "Effect size", "Effect size f must be greater 0."},
        {"Too large for Df", "Df", "Df: Too large for Df"},
        // No row label known: the message as it is.
        {"Input error (no value given)", "", "Input error (no value given)"},
    };
    for (const auto& c : cases) EXPECT_EQ(InputErrorText(c.message, c.label), c.shown) << c.message;
}

}  // namespace
