#include "analysis/property_input.h"

#include <gtest/gtest.h>

#include <string>

TEST(FormulaInput, DoubleEntries) {
    struct Case {
        const char* text;
        bool formulas;
        double expected;
        const char* error;
    };
    const Case cases[] = {
        {"=2*0.3", true, 0.6, ""},
        {"0.25", true, 0.25, ""},  // with formulas on a plain number goes through the evaluator too
        {"abc=1/4", true, 0.25, ""},
        {"", true, 0.0, ""},
        {"=", true, 0.0, ""},
        {"0,5", true, 0.0, "Input error (illegal character?)"},
        {"=2+", true, 0.0, "Syntax error: Missing operand at: \n"},
        {"=q*2", true, 0.0, "Syntax error: Unknown Variable q\n"},
        {"=Sqrt(4)", true, 0.0, "Syntax Error: Unknown function Sqrt\n"},
        {"=1/4", false, 0.0, ""},  // not evaluated: the input's own value (0 for a formula text)
        {"0.75", false, 0.75, ""},
    };
    for (const Case& c : cases) {
        PropertyList store;
        PropertyDouble input("x", c.text, false);
        std::string error = "stale";
        EXPECT_DOUBLE_EQ(EvaluateDoubleInput(&store, &input, "key", c.formulas, &error), c.expected)
            << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        std::string remembered;
        const bool stored = GetNamedString(&store, "key", &remembered);
        EXPECT_EQ(stored, c.text[0] != '\0') << c.text;
        if (stored) {
            EXPECT_EQ(remembered, c.text);
        }
    }
}

TEST(FormulaInput, LongEntriesRoundHalvesUpward) {
    struct Case {
        const char* text;
        bool formulas;
        long expected;
        const char* error;
    };
    const Case cases[] = {
        {"=2.5", true, 3, ""},
        {"=-2.5", true, -2, ""},
        {"=7/2", true, 4, ""},
        {"=1e10", true, 0, "Input error (number out of range)"},
        {"=sqrt(-1)", true, 0, "Input error (number out of range)"},
        {"=(", true, 0, "Syntax error: Unbalanced parentheses\n"},
        {"3.6", false, 4, ""},
    };
    for (const Case& c : cases) {
        PropertyList store;
        PropertyLong input("n", c.text);
        std::string error;
        EXPECT_EQ(EvaluateLongInput(&store, &input, "", c.formulas, &error), c.expected) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_TRUE(store.empty());  // an empty key remembers nothing
    }
}
