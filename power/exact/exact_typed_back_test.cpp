// Every exact test: the alpha a Criterion or Compromise answer shows, typed
// back into Post hoc with the same inputs, gives what the answer shows.
// A Criterion alpha is also the smallest value the row can show whose power
// reaches the target: one unit lower in its last digit misses it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/calculation_test_support.h"
#include "analysis/power_analysis.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_reference_fixture.h"
#include "power/exact/power_exact_binomial.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_proportion.h"
#include "power/exact/power_exact_uncond.h"
#include "power/exact/power_exact_uncond_null.h"
#include "power/exact/power_exact_uncond_offset.h"

namespace {

using calc_test::Texts;
using exact_test::Run;

const exact_test::Form<PowerAnalysis> kForm(
    {
        {"p0", "Constant proportion"},
        {"g", "Effect size g"},
        {"pd", "Prop discordant pairs"},
        {"rho1", "Correlation $\\rho$ H1"},
        {"rho0", "Correlation $\\rho$ H0"},
        {"rho1sq", "H1 $\\rho$$^2$"},
        {"rho0sq", "H0 $\\rho$$^2$"},
        {"p1h1", "Prop. p1|H1"},
        {"p1h0", "Prop. p1|H0"},
    },
    {
        {"bal", &PowerExactBinomial::alphaBalancing},
        {"approx", &PowerExactMcNemar::useApproximation},
        {"fbal", &PowerExactFisherTwoProp::alphaBalancing},
        {"stat", &PowerExactFisherTwoProp::statistic},
        {"measure", &PowerExactUncondTwoProp::SetEffectIndex},
        {"ustat", &PowerExactUncondTwoProp::SetStatistic},
    });

// Draws of one case; the fixed seed makes every run the same.
class Draw {
  public:
    explicit Draw(uint32_t seed) : rng_(seed) {}
    double Uniform(double lo, double hi) { return lo + (hi - lo) * (rng_() / 4294967296.0); }
    double LogUniform(double lo, double hi) {
        return std::exp(Uniform(std::log(lo), std::log(hi)));
    }
    int Whole(int lo, int hi) { return static_cast<int>(std::floor(Uniform(lo, hi + 1.0))); }
    // Four significant digits, as a user would type them.
    static std::string Text(double x) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.4g", x);
        return buffer;
    }
    std::string Tails() { return Whole(0, 1) == 0 ? "One" : "Two"; }

  private:
    std::mt19937 rng_;
};

// The design and effect of one case, without alpha, power or q.
struct ExactTest {
    int id;
    std::function<std::unique_ptr<PowerAnalysis>()> make;
    std::function<Texts(Draw&)> design;
};

std::string ProportionPair(Draw& d, double* p1) {
    *p1 = d.Uniform(0.03, 0.97);
    double p2 = *p1;
    while (std::fabs(p2 - *p1) < 0.02) p2 = d.Uniform(0.02, 0.98);
    return Draw::Text(p2);
}

const std::vector<ExactTest>& Tests() {
    static const std::vector<ExactTest> tests = {
        {601, [] { return std::make_unique<PowerExactBinomial>(); },
         [](Draw& d) {
             double p1;
             const std::string p2 = ProportionPair(d, &p1);
             return Texts{{"tails", d.Tails()},
                          {"bal", std::to_string(d.Whole(0, 2))},
                          {"p1", Draw::Text(p1)},
                          {"p2", p2},
                          {"n", std::to_string(d.Whole(3, 400))}};
         }},
        {602, [] { return std::make_unique<PowerExactBinomialOneProp>(); },
         [](Draw& d) {
             double p0;
             const double p2 = std::stod(ProportionPair(d, &p0));
             return Texts{{"tails", d.Tails()},
                          {"bal", std::to_string(d.Whole(0, 2))},
                          {"p0", Draw::Text(p0)},
                          {"g", Draw::Text(p2 - std::stod(Draw::Text(p0)))},
                          {"n", std::to_string(d.Whole(3, 400))}};
         }},
        {603, [] { return std::make_unique<PowerExactBinomialSign>(); },
         [](Draw& d) {
             double g = 0.0;
             while (std::fabs(g) < 0.01) g = d.Uniform(-0.45, 0.45);
             return Texts{{"tails", d.Tails()},
                          {"bal", std::to_string(d.Whole(0, 2))},
                          {"g", Draw::Text(g)},
                          {"n", std::to_string(d.Whole(3, 400))}};
         }},
        {604, [] { return std::make_unique<PowerExactMcNemar>(); },
         [](Draw& d) {
             return Texts{{"tails", d.Tails()},
                          {"approx", std::to_string(d.Whole(0, 1))},
                          {"bal", std::to_string(d.Whole(0, 2))},
                          {"or", Draw::Text(d.LogUniform(0.1, 20.0))},
                          {"pd", Draw::Text(d.Uniform(0.05, 0.95))},
                          {"n", std::to_string(d.Whole(2, 200))}};
         }},
        {605, [] { return std::make_unique<PowerExactOneCorr>(); },
         [](Draw& d) {
             const double rho0 = d.Uniform(-0.5, 0.5);
             double rho1 = rho0;
             while (std::fabs(rho1 - rho0) < 0.05) rho1 = d.Uniform(-0.9, 0.9);
             return Texts{{"tails", d.Tails()},
                          {"rho1", Draw::Text(rho1)},
                          {"rho0", Draw::Text(rho0)},
                          {"n", std::to_string(d.Whole(5, 300))}};
         }},
        {606, [] { return std::make_unique<PowerExactFisherTwoProp>(); },
         [](Draw& d) {
             double p1;
             const std::string p2 = ProportionPair(d, &p1);
             return Texts{{"tails", d.Tails()},
                          {"stat", std::to_string(d.Whole(0, 2))},
                          {"fbal", std::to_string(d.Whole(0, 1))},
                          {"p1", Draw::Text(p1)},
                          {"p2", p2},
                          {"n1", std::to_string(d.Whole(2, 60))},
                          {"n2", std::to_string(d.Whole(2, 60))}};
         }},
        {607, [] { return std::make_unique<PowerExactUncTwoPropNull>(); },
         [](Draw& d) {
             double p1;
             const std::string p2 = ProportionPair(d, &p1);
             return Texts{{"tails", d.Tails()},
                          {"measure", "0"},
                          {"ustat", std::to_string(d.Whole(0, 6))},
                          {"p1", Draw::Text(p1)},
                          {"p2", p2},
                          {"n1", std::to_string(d.Whole(2, 25))},
                          {"n2", std::to_string(d.Whole(2, 25))}};
         }},
        {608, [] { return std::make_unique<PowerExactUncTwoPropOffset>(); },
         [](Draw& d) {
             const double p2 = d.Uniform(0.1, 0.6);
             const double p1h0 = p2 + d.Uniform(0.02, 0.15);
             const double p1h1 = std::min(0.97, p1h0 + d.Uniform(0.05, 0.35));
             // The statistics the measure p1 offers.
             static const int kCodes[] = {0, 1, 2, 3, 6, 7, 8, 9};
             return Texts{{"tails", d.Tails()},
                          {"ustat", std::to_string(kCodes[d.Whole(0, 7)])},
                          {"p1h1", Draw::Text(p1h1)},
                          {"p1h0", Draw::Text(p1h0)},
                          {"p2", Draw::Text(p2)},
                          {"n1", std::to_string(d.Whole(2, 25))},
                          {"n2", std::to_string(d.Whole(2, 25))}};
         }},
        {611, [] { return std::make_unique<PowerExactMRC>(); },
         [](Draw& d) {
             const int predictors = d.Whole(1, 6);
             const double rho0 = d.Whole(0, 1) == 0 ? 0.0 : d.Uniform(0.01, 0.4);
             return Texts{{"tails", d.Tails()},
                          {"rho1sq", Draw::Text(std::min(0.95, rho0 + d.Uniform(0.03, 0.5)))},
                          {"rho0sq", Draw::Text(rho0)},
                          {"predictors", std::to_string(predictors)},
                          {"n", std::to_string(d.Whole(predictors + 2, 300))}};
         }},
    };
    return tests;
}

std::string TextOf(const Run& run, const std::string& label) {
    const auto* value = dynamic_cast<const PropertyDouble*>(run.outputs.Find(label));
    return value != nullptr ? value->text : std::string();
}

// The value the row shows one unit below `shown` in its last digit: seven
// decimals between 0.01 and 100, else seven significant digits.
double OneUnitBelow(double shown) {
    const double x = shown * (1.0 - 1e-12);
    const double unit = x > 0.01 ? 1e-7 : std::pow(10.0, std::floor(std::log10(x)) - 6.0);
    return shown - unit;
}

std::string Typed(double alpha) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", alpha);
    return buffer;
}

// The calculation, or nullptr where a search reports a failure; *power,
// where given, receives the power Post hoc computed, to all its digits.
std::unique_ptr<Run> TryCalculate(const ExactTest& test, AnalysisType type, const Texts& texts,
                                  double* power = nullptr) {
    auto object = test.make();
    try {
        auto run = kForm.Calculate(*object, type, texts);
        if (power != nullptr) *power = object->power;
        return run;
    } catch (const QuorixError&) {
        return nullptr;
    }
}

// Each output row Post hoc shares with the answer shows the same value;
// the answer's actual power is Post hoc's power.
void ExpectPostHocShows(const Run& answer, const Run& postHoc, const std::string& context) {
    for (const Property* row : answer.outputs) {
        const auto* shown = dynamic_cast<const PropertyDouble*>(row);
        if (shown == nullptr || shown->text == "?") continue;
        std::string label = row->name;
        if (label == calc_test::label::kAlpha || label == calc_test::label::kBeta) continue;
        if (label == calc_test::label::kActualPower) label = calc_test::label::kPower;
        const auto* again = dynamic_cast<const PropertyDouble*>(postHoc.outputs.Find(label));
        if (again == nullptr) continue;
        EXPECT_NEAR(again->GetValue(), shown->GetValue(),
                    calc_test::DisplayTolerance(shown->GetValue()))
            << context << ": " << label << " shows " << shown->text << ", Post hoc " << again->text;
    }
}

// One Criterion or Compromise case: the alpha shown lies in the range Post
// hoc takes, Post hoc at it shows what the answer shows, and a Criterion
// alpha reaches the target where one unit lower misses it. False where the
// case is refused or has no answer.
bool ExpectTypedBackCase(const ExactTest& test, AnalysisType type, const Texts& texts) {
    const std::string context = std::to_string(test.id) + " " + calc_test::Describe(type, texts);
    const auto answer = TryCalculate(test, type, texts);
    if (answer == nullptr || answer->status != kCalculateDone) return false;
    const std::string alphaText = TextOf(*answer, calc_test::label::kAlpha);
    const double alpha = std::stod(alphaText);
    EXPECT_TRUE(1e-99 <= alpha && alpha <= 0.9999999) << context << ": " << alphaText;
    // Post hoc takes no alpha below 1e-7.
    if (alpha < 1e-7) return true;

    Texts back = texts;
    back.erase(type == kCriterion ? "power" : "q");
    back["alpha"] = alphaText;
    double reached = 0.0;
    const auto postHoc = TryCalculate(test, kPostHoc, back, &reached);
    if (postHoc == nullptr || postHoc->status != kCalculateDone) {
        ADD_FAILURE() << context << ": Post hoc refuses " << alphaText;
        return true;
    }
    ExpectPostHocShows(*answer, *postHoc, context + " alpha " + alphaText);
    if (type != kCriterion) return true;

    const double target = std::stod(texts.at("power"));
    EXPECT_GE(reached, target) << context << ": alpha " << alphaText;
    const double below = OneUnitBelow(alpha);
    if (!(below >= 1e-7)) return true;
    back["alpha"] = Typed(below);
    double missed = 0.0;
    const auto lower = TryCalculate(test, kPostHoc, back, &missed);
    if (lower == nullptr || lower->status != kCalculateDone) {
        ADD_FAILURE() << context << ": Post hoc refuses " << back["alpha"];
        return true;
    }
    EXPECT_LT(missed, target) << context << ": alpha " << alphaText << " is not the smallest; "
                              << back["alpha"] << " gives "
                              << TextOf(*lower, calc_test::label::kPower);
    return true;
}

const ExactTest& TestWithId(int id) {
    for (const ExactTest& test : Tests()) {
        if (test.id == id) return test;
    }
    throw std::out_of_range("no exact test " + std::to_string(id));
}

// Random cases of the tests `ids`, each drawn from its own seed.
void ExpectTypedBack(std::initializer_list<int> ids) {
    constexpr int kCasesPerTest = 40;
    for (const int id : ids) {
        const ExactTest& test = TestWithId(id);
        Draw draw(20261211u + static_cast<uint32_t>(id));
        int answered = 0;
        for (int i = 0; i < kCasesPerTest; ++i) {
            const Texts design = test.design(draw);
            const std::string power = Draw::Text(draw.Uniform(0.05, 0.99));
            const std::string q = Draw::Text(draw.LogUniform(0.05, 5.0));
            Texts criterion = design, compromise = design;
            criterion["power"] = power;
            compromise["q"] = q;
            answered += ExpectTypedBackCase(test, kCriterion, criterion);
            answered += ExpectTypedBackCase(test, kCompromise, compromise);
        }
        // The draws are meant to be answered; a test that refuses most of
        // them checks nothing here.
        EXPECT_GE(answered, kCasesPerTest / 2) << id;
    }
}

TEST(ExactAnswersTypedBack, PostHocAtTheShownAlphaGivesTheAnswer) {
    ExpectTypedBack({601, 602, 603, 604, 605, 606});
}

// The unconditional tests of two proportions, every statistic each offers.
TEST(ExactAnswersTypedBack, PostHocAtTheShownAlphaGivesTheAnswerOfTheUnconditionalTests) {
    ExpectTypedBack({607, 608});
}

// The random regression model showed a Criterion's root rounded to its
// digits, so that Post hoc at it missed the target by that rounding in half
// of the answers.
TEST(ExactAnswersTypedBack, PostHocAtTheShownAlphaGivesTheAnswerOfTheRegressionModel) {
    ExpectTypedBack({611});
}

// The rows of a reference table of the tests `ids`: each shows the
// reference's outputs and passes the typed-back checks.
void ExpectReferenceRowsTypedBack(const std::string& table, std::initializer_list<int> ids) {
    for (const int id : ids) {
        const ExactTest& test = TestWithId(id);
        const size_t rows = kForm.ExpectReferenceRows(table, id, test.make);
        EXPECT_GT(rows, 0u) << table << " has no row of " << id;
        for (const calc_test::ReferenceCase& c : calc_test::ReadReferenceCases(table, id)) {
            EXPECT_TRUE(ExpectTypedBackCase(test, c.type, c.inputs)) << c.line;
        }
    }
}

// Criterion answers that were not the smallest alpha shown
// (verification/exact_edges/typed_back_reference.py, exact enumeration):
// two tails of the binomial test took the regions of equal tails, which
// Post hoc does not use (it showed 0.1435568 with power 0.1619828 where
// Post hoc gives 0.1506294); Fisher's and McNemar's exact searches stopped
// at a bracket of 1e-7 whatever alpha's size (1.957002e-07 shown, 1.734875e-07
// right); McNemar's exact search looked no higher than the power asked for,
// and an alpha of 0.75 reaches power 0.74 with 2 pairs.
TEST(ExactAnswersTypedBack, CriterionShowsTheSmallestAlphaReaching) {
    ExpectReferenceRowsTypedBack("verification/exact_edges/criterion_smallest.tsv",
                                 {601, 604, 606});
}

// Two tails of the binomial tests under balancing 1 and 2, whose power can
// fall where alpha rises (verification/exact_edges/balanced_steps_reference.py,
// every step of the power enumerated in fractions). Criterion refused
// ("no alpha found") where alpha 0.6632871 reaches power 0.9859803 and
// 0.9999999 does not reach 0.955, and showed 0.0334522 where 0.0254455
// reaches power 0.6 already.
TEST(ExactAnswersTypedBack, BalancedTailsTakeTheFirstStepReaching) {
    ExpectReferenceRowsTypedBack("verification/exact_edges/balanced_criterion.tsv",
                                 {601, 602, 603});
}

// Compromise under balancing 1 and 2 (same script): the step whose ratio is
// nearest to q of all steps; it stopped at ratio 2.971 where the regions
// X <= 2 and X >= 8 give 3.486 against q 3.82.
TEST(ExactAnswersTypedBack, BalancedTailsTakeTheNearestStep) {
    ExpectReferenceRowsTypedBack("verification/exact_edges/balanced_compromise.tsv",
                                 {601, 602, 603});
}

// Compromise answers on the step whose ratio is nearest to q, at an alpha
// Post hoc takes (same table script): two tails of the binomial test showed
// the power of another region than Post hoc's; McNemar's exact test
// answered alpha 1. Fisher's test comes at least as near to q as a ratio
// that an alpha reaches (it stopped at 0.314 where alpha 0.9999999 gives
// 0.182). The unconditional tests showed an alpha a unit beyond the jump of
// their step, or stopped a bracket of 1e-7 short of a nearer step
// (verification/unconditional/compromise_nearest.py, exact enumeration).
TEST(ExactAnswersTypedBack, CompromiseShowsTheNearestStep) {
    ExpectReferenceRowsTypedBack("verification/exact_edges/compromise_nearest.tsv", {601, 604});
    ExpectReferenceRowsTypedBack("verification/unconditional/compromise_nearest.tsv", {607, 608});

    const auto reached =
        calc_test::ReadReferenceCases("verification/exact_edges/compromise_reached.tsv", 606);
    EXPECT_EQ(reached.size(), 2u);
    for (const calc_test::ReferenceCase& c : reached) {
        const auto answer = TryCalculate(TestWithId(606), kCompromise, c.inputs);
        ASSERT_NE(answer, nullptr) << c.line;
        ASSERT_EQ(answer->status, kCalculateDone) << c.line << "\n" << answer->message;
        const double q = std::stod(c.inputs.at("q"));
        double nearer = NAN;
        for (const auto& [key, value] : c.outputs) {
            if (key == "actualratio") nearer = value;
        }
        EXPECT_LE(std::fabs(answer->Value("actualratio") - q), std::fabs(nearer - q) + 1e-7)
            << c.line;
        EXPECT_TRUE(ExpectTypedBackCase(TestWithId(606), kCompromise, c.inputs)) << c.line;
    }
}

}  // namespace
