// The tetrachoric panel's plain parts: both modes against 40-digit values
// (verification/panels/tetrachoric_reference.py: bivariate normal cell
// probabilities by numerical integration, the exact r as a root of the same
// integral, r* of Bonett and Price), the interval and its position, the
// completed cell, the checks, the store and the transfer plan.

#include "effectsize/tetrachoric_panel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/property.h"

namespace {

using namespace effectsize;
using namespace effectsize::tetrachoric;

std::vector<std::vector<std::string>> ReferenceRows(const std::string& kind) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/tetrachoric_reference.csv");
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        std::string part;
        while (std::getline(parts, part, ',')) fields.push_back(part);
        if (!fields.empty() && fields[0] == kind) rows.push_back(fields);
    }
    return rows;
}

Inputs Frequencies(std::array<std::string, 4> f, std::string position = "0",
                   std::string level = "0.95", bool approximation = false) {
    Inputs inputs;
    inputs.mode = kFromFrequencies;
    inputs.approximation = approximation;
    for (int i = 0; i < 4; ++i) inputs.text[kF11 + i] = f[i];
    inputs.text[kRelativePosition] = position;
    inputs.text[kConfidenceLevel] = level;
    return inputs;
}

Inputs Probabilities(std::array<std::string, 4> p) {
    Inputs inputs;
    for (int i = 0; i < 4; ++i) inputs.text[kP11 + i] = p[i];
    return inputs;
}

TEST(Tetrachoric, DefaultsGiveZeroAndTheIntervalAroundIt) {
    const Inputs defaults;
    EXPECT_EQ(defaults.mode, kFromProbabilities);
    ASSERT_FALSE(Check(defaults).has_value());
    const Result p = Compute(defaults);
    EXPECT_EQ(p.probabilities.r, 0.0);
    EXPECT_EQ(p.probabilities.rStar, 0.0);
    EXPECT_EQ(p.probabilities.marginalX, 0.5);
    EXPECT_EQ(p.probabilities.marginalY, 0.5);
    EXPECT_EQ(p.effectSize, 0.0);

    // 25 in every cell: r = 0 with se = pi / (2 sqrt(N)) at N = 100 (the
    // standard error at rho = 0 for even margins), limits -+ 1.959964 se;
    // the position walks the interval.
    const double se = M_PI / 20.0;
    const double half = 1.959963984540054 * se;
    struct Case {
        const char* position;
        double effect;
    };
    for (const Case& c :
         {Case{"0", -half}, Case{"1", half}, Case{"0.5", 0.0}, Case{"0.25", -half / 2}}) {
        Inputs inputs = defaults;
        inputs.mode = kFromFrequencies;
        inputs.text[kRelativePosition] = c.position;
        ASSERT_FALSE(Check(inputs).has_value());
        const Result f = Compute(inputs);
        EXPECT_EQ(f.frequencies.n, 100.0);
        EXPECT_EQ(f.frequencies.estimate, 0.0);
        EXPECT_NEAR(f.frequencies.standardError, se, 1e-12);
        EXPECT_NEAR(f.frequencies.lower, -half, 1e-12);
        EXPECT_NEAR(f.frequencies.upper, half, 1e-12);
        EXPECT_NEAR(f.effectSize, c.effect, 1e-12) << c.position;
        EXPECT_EQ(f.frequencies.marginalX, 0.5);
    }
}

TEST(Tetrachoric, CellProbabilitiesOfABivariateNormalGiveItsRhoBack) {
    const auto rows = ReferenceRows("prob");
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        SCOPED_TRACE("rho " + row[1]);
        const Inputs inputs = Probabilities({row[2], row[3], row[4], row[5]});
        ASSERT_FALSE(Check(inputs).has_value());
        const Result result = Compute(inputs);
        // r is shown to 7 decimals.
        EXPECT_NEAR(result.probabilities.r, std::stod(row[1]), 6e-8);
        EXPECT_EQ(result.effectSize, result.probabilities.r);
        EXPECT_NEAR(result.probabilities.marginalX, std::stod(row[3]) + std::stod(row[5]), 1e-15);
        EXPECT_NEAR(result.probabilities.marginalY, std::stod(row[4]) + std::stod(row[5]), 1e-15);
    }
}

TEST(Tetrachoric, FrequenciesGiveTheExactOrTheApproximateEstimate) {
    const auto rows = ReferenceRows("freq");
    ASSERT_EQ(rows.size(), 4u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[1] + " " + row[2] + " " + row[3] + " " + row[4]);
        const Result exact = Compute(Frequencies({row[1], row[2], row[3], row[4]}));
        ASSERT_FALSE(Check(Frequencies({row[1], row[2], row[3], row[4]})).has_value());
        EXPECT_NEAR(exact.frequencies.estimate, std::stod(row[5]), 6e-8);
        EXPECT_LT(exact.frequencies.lower, exact.frequencies.estimate);
        EXPECT_GT(exact.frequencies.upper, exact.frequencies.estimate);
        const Inputs option = Frequencies({row[1], row[2], row[3], row[4]}, "1", "0.95", true);
        const Result approximate = Compute(option);
        EXPECT_NEAR(approximate.frequencies.estimate, std::stod(row[6]), 6e-8);
        EXPECT_NEAR(approximate.frequencies.lower, std::stod(row[7]), 1e-13);
        EXPECT_NEAR(approximate.frequencies.upper, std::stod(row[8]), 1e-13);
        EXPECT_NEAR(approximate.effectSize, approximate.frequencies.upper, 1e-15);
    }
}

TEST(Tetrachoric, TheIntervalStaysWithinMinusOneAndOne) {
    // A strong association in a small table: r + 1.96 se passes 1 and the
    // lower limit of a strongly negative one passes -1.
    struct Case {
        std::array<std::string, 4> f;
        const char* position;
        double effect;
    };
    const Case cases[] = {{{"9", "0", "0", "9"}, "1", 1.0}, {{"0", "9", "9", "0"}, "0", -1.0}};
    for (const Case& c : cases) {
        const Inputs inputs = Frequencies(c.f, c.position, "0.999");
        ASSERT_FALSE(Check(inputs).has_value());
        const Result result = Compute(inputs);
        EXPECT_GE(result.frequencies.lower, -1.0);
        EXPECT_LE(result.frequencies.upper, 1.0);
        EXPECT_EQ(result.effectSize, c.effect);
    }
}

TEST(Tetrachoric, OneEmptyCellIsCompletedAndZeroCellsFollowTheEstimator) {
    const Inputs completed = Probabilities({"0.4", "0.1", "0.1", ""});
    ASSERT_FALSE(Check(completed).has_value());
    const Result result = Compute(completed);
    EXPECT_EQ(Compute(Probabilities({"0.4", "0.1", "0.1", "0.4"})).effectSize, result.effectSize);
    EXPECT_NEAR(result.probabilities.marginalX, 0.5, 1e-15);  // 0.1 + the completed 0.4

    // An empty off-diagonal: the table of a correlation of 1; an empty cell
    // on both diagonals (a whole row empty): no correlation at all.
    const Result diagonal = Compute(Probabilities({"0.5", "0", "0", "0.5"}));
    EXPECT_EQ(diagonal.probabilities.r, 1.0);
    EXPECT_EQ(diagonal.probabilities.rStar, 1.0);
    const auto none = Check(Probabilities({"0", "0", "0.5", "0.5"}));
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->message, kNoEstimateMessage);
    const auto noCounts = Check(Frequencies({"0", "0", "0", "0"}));
    ASSERT_TRUE(noCounts.has_value());
    EXPECT_EQ(noCounts->message, kNoEstimateMessage);
}

TEST(Tetrachoric, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        const char* what;
        Inputs inputs;
        int field;
        const char* message;
    };
    Inputs badFormula = Frequencies({"25", "25", "=1/", "25"});
    const Case cases[] = {
        {"a blank frequency", Frequencies({"25", "  ", "25", "25"}), kF11, kAllFrequenciesMessage},
        {"a negative frequency", Frequencies({"25", "25", "-1", "25"}), kF21,
         kNegativeFrequencyMessage},
        {"a total beyond an int", Frequencies({"25", "2147483600", "25", "25"}), kF21,
         effectsize::tetrachoric::kTotalMessage},
        {"a word", Frequencies({"25", "many", "25", "25"}), kF12, kNotANumberMessage},
        {"position above 1", Frequencies({"1", "1", "1", "1"}, "1.01"), kRelativePosition,
         kRelativePositionMessage},
        {"position below 0", Frequencies({"1", "1", "1", "1"}, "-0.1"), kRelativePosition,
         kRelativePositionMessage},
        {"level below 0.5", Frequencies({"1", "1", "1", "1"}, "0", "0.4999"), kConfidenceLevel,
         kConfidenceLevelMessage},
        {"level above 0.999", Frequencies({"1", "1", "1", "1"}, "0", "0.9991"), kConfidenceLevel,
         kConfidenceLevelMessage},
        {"level emptied reads 0", Frequencies({"1", "1", "1", "1"}, "0", ""), kConfidenceLevel,
         kConfidenceLevelMessage},
        {"two empty cells", Probabilities({"0.5", "", "", "0.5"}), kP11, kEmptyCellsMessage},
        {"the completed cell is negative", Probabilities({"0.6", "0.3", "0.3", ""}), kP22,
         kProbabilityRangeMessage},
        {"a probability above 1", Probabilities({"1.5", "0", "0", "-0.5"}), kP11,
         kProbabilityRangeMessage},
        {"a sum of 1.1", Probabilities({"0.3", "0.3", "0.3", "0.2"}), kP11, kProbabilitySumMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
    // A formula that does not evaluate reports the formula's own reason.
    const auto formula = Check(badFormula);
    ASSERT_TRUE(formula.has_value());
    EXPECT_EQ(formula->field, kF21);
    EXPECT_NE(formula->message, kNotANumberMessage);
    // The ends of the ranges pass; the other mode's fields are not read.
    for (const char* level : {"0.5", "0.999"}) {
        Inputs edge = Frequencies({"1", "1", "1", "1"}, "1", level);
        edge.text[kP11] = "garbage";
        EXPECT_FALSE(Check(edge).has_value()) << level;
    }
    Inputs formulas = Probabilities({"=1/4", "=0.5/2", "0.25", "=1-0.75"});
    formulas.text[kF11] = "";
    EXPECT_FALSE(Check(formulas).has_value());
}

TEST(Tetrachoric, StoreKeepsModeAndTextsAsTyped) {
    PropertyList store;
    Inputs typed = Frequencies({"=5*5", "25", "", "25"}, "0.5", "0.9");
    typed.text[kP22] = "";
    Save(typed, &store);
    long mode = -1;
    EXPECT_TRUE(GetNamedLong(&store, "tetc_sel", &mode));
    EXPECT_EQ(mode, kFromFrequencies);
    for (int field = 0; field < kFieldCount; ++field)
        EXPECT_NE(store.Find(StoreKey(field)), nullptr) << StoreKey(field);

    Inputs back;
    Restore(&store, &back);
    EXPECT_EQ(back.mode, kFromFrequencies);
    EXPECT_EQ(back.text, typed.text);  // the formula and both emptied fields
    PropertyList empty;
    Inputs untouched;
    Restore(&empty, &untouched);
    EXPECT_EQ(untouched.text, Inputs{}.text);
    EXPECT_EQ(untouched.mode, kFromProbabilities);
}

TEST(Tetrachoric, TransferWritesTheShownMarginalsAndTheFrequenciesTotal) {
    Result frequencies = Compute(Frequencies({"40", "10", "15", "35"}, "0.5"));
    const TestContext all{true, true, true};
    TransferPlan plan = PlanTransfer(frequencies, all);
    ASSERT_EQ(plan.writes.size(), 3u);
    EXPECT_EQ(plan.writes[0].label, "Marginal prop x");
    // (10.5 + 35.5) / 102, rounded to 7 decimals.
    EXPECT_EQ(plan.writes[0].value, 0.4509804);
    EXPECT_EQ(plan.writes[1].label, "Marginal prop y");
    EXPECT_EQ(plan.writes[1].value, 0.5);  // (15.5 + 35.5) / 102
    EXPECT_EQ(plan.writes[2].label, "Total sample size");
    EXPECT_EQ(plan.writes[2].value, 100.0);
    EXPECT_EQ(plan.effectSize, frequencies.effectSize);
    for (const auto& write : plan.writes) EXPECT_TRUE(write.question.empty());

    const Result probabilities = Compute(Probabilities({"0.4", "0.1", "0.1", "0.4"}));
    plan = PlanTransfer(probabilities, all);
    ASSERT_EQ(plan.writes.size(), 2u);  // no total from probabilities
    plan = PlanTransfer(probabilities, {false, true, true});
    ASSERT_EQ(plan.writes.size(), 1u);
    EXPECT_EQ(plan.writes[0].label, "Marginal prop y");
}

}  // namespace
