// The reading rule of typed proportions and grid cells: the number at the
// start, 0 when there is none.

#include "effectsize/leading_number.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using effectsize::ReadLeadingInt;
using effectsize::ReadLeadingNumber;

TEST(LeadingNumber, ReadsTheDecimalAtTheStart) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"0.55", 0.55}, {"  -3e2 cells", -300.0},
        {"+.5", 0.5},   {"7.", 7.0},
        {"2e", 2.0},    {"2e+", 2.0},
        {"1,5", 1.0},   {"0.3abc", 0.3},
        {"", 0.0},      {"abc", 0.0},
        {"-", 0.0},     {".", 0.0},
        {"inf", 0.0},   {"nan", 0.0},
        {"0x1p3", 0.0}, {"1e-400", 0.0},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadLeadingNumber(c.text), c.value) << c.text;
    // A decimal beyond the doubles overflows; the checks refuse it.
    EXPECT_TRUE(std::isinf(ReadLeadingNumber("1e999")));
}

TEST(LeadingNumber, ReadsTheWholeNumberAtTheStart) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"6", 6}, {" 12 cells", 12},          {"3.9", 3}, {"-1", -1}, {"x", 0},
                          {"", 0},  {"99999999999", 2147483647}};
    for (const Case& c : cases) EXPECT_EQ(ReadLeadingInt(c.text), c.value) << c.text;
}

}  // namespace
