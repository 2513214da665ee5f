// Logistic and Poisson regression at covariates far from what the
// integrals, sums and searches of their variances were made for: each input
// answers or is refused on its row within a second, never shows a value that
// is no answer, and stops when cancelled.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "analysis/calculation_test_support.h"
#include "distributions/work_time_test_support.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "power/z/poisson_integrands.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"

namespace {

using calc_test::Texts;

std::unique_ptr<PowerZCovariateRegress> Make(bool poisson, int covariate) {
    std::unique_ptr<PowerZCovariateRegress> test;
    if (poisson) {
        test = std::make_unique<PowerZPoissonRegress>();
    } else {
        test = std::make_unique<PowerZLogisticRegress>();
    }
    test->xDistribution = covariate;
    return test;
}

// What a calculation may end in: refused on the covariate's row, a failure
// of a search (never of Post hoc, which searches nothing), or results.
enum Outcome { kRefusedOnCovariateRow, kSearchFailed, kAnswered };

struct Case {
    bool poisson;
    int covariate;
    AnalysisType type;
    Texts texts;
    std::string refusedRow;  // key of the row, for kRefusedOnCovariateRow
    Outcome outcome;
};

const char kCannotCompute[] =
    "The variance of the slope cannot be computed for this X distribution:\n"
    "its moments overflow or vanish over the range of X.\n"
    "Please try less extreme X parameters or a smaller effect.";

TEST(ExtremeCovariates, AnswerOrRefuseOnTheRowWithinASecond) {
    const Texts lognormal11 = {{"xmu", "1"}, {"xsigma", "1"}};
    const Case cases[] = {
        // A log-normal X with Exp(beta1) > 1: e^(beta1 X) overflows over
        // the range of X (these ran for minutes).
        {true, kXLognormal, kPostHoc, lognormal11, "xsigma", kRefusedOnCovariateRow},
        {true, kXLognormal, kAPriori, lognormal11, "xsigma", kRefusedOnCovariateRow},
        {true, kXLognormal, kCriterion, lognormal11, "xsigma", kRefusedOnCovariateRow},
        {true, kXLognormal, kCompromise, lognormal11, "xsigma", kRefusedOnCovariateRow},
        // Covariates of extreme scale.
        {true, kXExponential, kPostHoc, {{"xlambda", "1e300"}}, "xlambda", kRefusedOnCovariateRow},
        {false, kXExponential, kPostHoc, {{"xlambda", "1e300"}}, "xlambda", kRefusedOnCovariateRow},
        {true, kXNormal, kPostHoc, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {false, kXNormal, kPostHoc, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {true, kXNormal, kPostHoc, {{"xsigma", "1e9"}}, "xsigma", kRefusedOnCovariateRow},
        // A covariate without spread carries no information on the slope,
        // whatever its mean: every type refuses it before it searches (the
        // logistic test away from mean 0 showed power = alpha, and A priori
        // ended in a failure of its search for N).
        {true, kXNormal, kAPriori, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {false, kXNormal, kAPriori, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {true, kXNormal, kCriterion, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {false, kXNormal, kCompromise, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {false,
         kXNormal,
         kAPriori,
         {{"xmu", "1.68"}, {"xsigma", "1e-300"}},
         "xsigma",
         kRefusedOnCovariateRow},
        {false,
         kXNormal,
         kPostHoc,
         {{"xmu", "-0.3"}, {"xsigma", "1e-170"}},
         "xsigma",
         kRefusedOnCovariateRow},
        {false,
         kXNormal,
         kSensitivity,
         {{"xmu", "1.68"}, {"xsigma", "1e-300"}},
         "xsigma",
         kRefusedOnCovariateRow},
        {false,
         kXUniform,
         kAPriori,
         {{"xleft", "0"}, {"xright", "1e-300"}},
         "xright",
         kRefusedOnCovariateRow},
        {true, kXNormal, kAPriori, {{"xsigma", "1e9"}}, "xsigma", kRefusedOnCovariateRow},
        {true, kXExponential, kAPriori, {{"xlambda", "1e300"}}, "xlambda", kRefusedOnCovariateRow},
        {false, kXExponential, kAPriori, {{"xlambda", "1e300"}}, "xlambda", kRefusedOnCovariateRow},
        {true, kXPoisson, kAPriori, {{"xlambda", "1e15"}}, "xlambda", kRefusedOnCovariateRow},
        // Sensitivity refuses them as the other types do, at the effects its
        // search tries.
        {true, kXNormal, kSensitivity, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {true, kXNormal, kSensitivity, {{"xsigma", "1e30"}}, "xsigma", kRefusedOnCovariateRow},
        {true,
         kXNormal,
         kSensitivity,
         {{"xsigma", "2147483648"}},
         "xsigma",
         kRefusedOnCovariateRow},
        {true,
         kXExponential,
         kSensitivity,
         {{"xlambda", "1e300"}},
         "xlambda",
         kRefusedOnCovariateRow},
        {false,
         kXExponential,
         kSensitivity,
         {{"xlambda", "1e300"}},
         "xlambda",
         kRefusedOnCovariateRow},
        {false, kXNormal, kSensitivity, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        // A Poisson X whose counts would be summed for minutes.
        {true, kXPoisson, kPostHoc, {{"xlambda", "1e15"}}, "xlambda", kRefusedOnCovariateRow},
        // Logistic regression sums only the counts where the predictor is
        // not yet saturated: few, and without information on the slope.
        {false, kXPoisson, kPostHoc, {{"xlambda", "1e15"}}, "", kAnswered},
        // Compromise where beta / alpha = q cannot be met: a failure, not
        // alpha 0.5 with beta 0.
        {false, kXNormal, kCompromise, {{"xsigma", "1e15"}}, "", kSearchFailed},
        // Where it can be met, it is: no information at all gives power =
        // alpha, and beta = alpha at q = 1.
        {false, kXManual, kCompromise, {{"xvar0", "1e300"}, {"xvar1", "1e300"}}, "", kAnswered},
        {true, kXManual, kCompromise, {{"xvar0", "1e300"}, {"xvar1", "1e300"}}, "", kAnswered},
    };
    for (const Case& c : cases) {
        const auto test = Make(c.poisson, c.covariate);
        SCOPED_TRACE(std::string(c.poisson ? "308 " : "310 ") + "X " + std::to_string(c.covariate) +
                     " " + calc_test::Describe(c.type, c.texts));
        const auto start = ThreadCpuClock::now();
        std::unique_ptr<calc_test::Calculation> run;
        std::string failure;
        try {
            run = calc_test::Calculate(*test, c.type, c.texts);
        } catch (const QuorixError& e) {
            failure = e.what();
        }
        const double seconds = std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
        EXPECT_LT(seconds, 1.0);
        switch (c.outcome) {
            case kRefusedOnCovariateRow:
                ASSERT_TRUE(run) << failure;
                EXPECT_EQ(run->status, run->Row(c.refusedRow));
                EXPECT_EQ(run->message, kCannotCompute);
                break;
            case kSearchFailed:
                EXPECT_FALSE(run) << "shows " << run->Text("alpha") << " " << run->Text("beta");
                break;
            case kAnswered: {
                ASSERT_TRUE(run) << failure;
                ASSERT_EQ(run->status, kCalculateDone) << run->message;
                if (c.type == kCompromise) {
                    const double alpha = run->Value("alpha"), beta = run->Value("beta");
                    EXPECT_NEAR(beta / alpha, 1.0, 1e-6) << alpha << " " << beta;
                } else {
                    const double power = run->Value("power");
                    EXPECT_TRUE(0.0 <= power && power <= 1.0) << power;
                }
                break;
            }
        }
    }
}

// Criterion and Compromise where the power at alpha 1e-99 already exceeds
// what they are asked for: no alpha meets the target, and the user is told
// so on the row of the input that puts it out of reach (the effect's, where
// no single input's standard value would bring it back).
TEST(ExtremeCovariates, NoAlphaDownToTheFloorIsRefusedWithTheReason) {
    const std::string advice =
        "\nPlease try a smaller effect or sample size, or less extreme X parameters.";
    const std::string one = "The power is 1 at every $\\alpha$ down to 1e-99:\n";
    const std::string criterion = "no $\\alpha$ gives the power asked for." + advice;
    const std::string compromise =
        "no $\\alpha$ meets the $\\beta$/$\\alpha$ ratio asked for." + advice;
    struct Refusal {
        bool poisson;
        int covariate;
        bool enumeration;
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;  // its beginning, for a power below 1
    };
    const Refusal cases[] = {
        // A log-normal X at its standard values.
        {true, kXLognormal, false, kCriterion, {}, "expb1", one + criterion},
        {true, kXLognormal, false, kCompromise, {}, "expb1", one + compromise},
        // One input far beyond its standard value.
        {true, kXNormal, false, kCriterion, {{"baserate", "1e30"}}, "baserate", one + criterion},
        {true, kXNormal, false, kCompromise, {{"exposure", "1e30"}}, "exposure", one + compromise},
        {true, kXNormal, false, kCriterion, {{"xmu", "2147483648"}}, "xmu", one + criterion},
        {false, kXNormal, false, kCompromise, {{"n", "2147483647"}}, "n", one + compromise},
        // The enumeration method, likelihood-ratio statistic, N 3720.
        {true,
         kXPoisson,
         true,
         kCompromise,
         {{"expb1", "2"}, {"n", "3720"}},
         "expb1",
         one + compromise},
        // Variances of the slope that leave no doubt about it.
        {false,
         kXManual,
         false,
         kCompromise,
         {{"xvar0", "1e-300"}, {"xvar1", "1e-300"}},
         "xvar0",
         one + compromise},
        {true,
         kXManual,
         false,
         kCompromise,
         {{"xvar0", "1e-300"}, {"xvar1", "1e-300"}},
         "xvar0",
         one + compromise},
        // A power above the target but below 1 at alpha 1e-99.
        {true,
         kXManual,
         false,
         kCriterion,
         {{"n", "10547"}, {"power", "0.5"}},
         "n",
         "The power is at least 0."},
    };
    for (const Refusal& c : cases) {
        const auto test = Make(c.poisson, c.covariate);
        test->useEnumeration = c.enumeration;
        test->enumerationWald = false;
        SCOPED_TRACE(std::string(c.poisson ? "308 " : "310 ") + "X " + std::to_string(c.covariate) +
                     " " + calc_test::Describe(c.type, c.texts));
        const auto start = ThreadCpuClock::now();
        const auto run = calc_test::Calculate(*test, c.type, c.texts);
        EXPECT_LT(std::chrono::duration<double>(ThreadCpuClock::now() - start).count(), 1.0);
        EXPECT_EQ(run->status, run->Row(c.row)) << run->message;
        EXPECT_EQ(run->message.substr(0, c.message.size()), c.message);
        EXPECT_EQ(run->message.substr(run->message.size() - criterion.size()),
                  c.type == kCriterion ? criterion
                                       : compromise.substr(compromise.size() - criterion.size()));
    }
}

// The enumeration method's data set and fit do not depend on alpha: the
// searches for alpha enumerate once and answer within a second (they took
// minutes), and they stop when cancelled.
TEST(ExtremeCovariates, EnumerationSearchesForAlphaInBoundedTime) {
    struct Search {
        AnalysisType type;
        Texts texts;
    };
    const Search searches[] = {
        {kCompromise, {{"expb1", "1.3"}, {"n", "3720"}}},
        {kCompromise, {{"expb1", "1.3"}, {"n", "3720"}, {"q", "4"}}},
        {kCriterion, {{"expb1", "1.1"}, {"n", "3720"}, {"power", "0.9"}}},
    };
    for (const bool wald : {false, true}) {
        for (const Search& search : searches) {
            SCOPED_TRACE(calc_test::Describe(search.type, search.texts) + (wald ? " Wald" : " LR"));
            PowerZPoissonRegress test;
            test.xDistribution = kXPoisson;
            test.useEnumeration = true;
            test.enumerationWald = wald;
            const auto start = ThreadCpuClock::now();
            const auto run = calc_test::Calculate(test, search.type, search.texts);
            EXPECT_LT(std::chrono::duration<double>(ThreadCpuClock::now() - start).count(), 1.0);
            ASSERT_EQ(run->status, kCalculateDone) << run->message;
            const double alpha = run->Value("alpha");
            if (search.type == kCompromise) {
                const double q = search.texts.count("q") ? 4.0 : 1.0;
                EXPECT_NEAR(run->Value("beta") / alpha, q, 1e-6 * q);
            } else {
                // The power at the alpha found is the one asked for.
                EXPECT_NEAR(test.ComputePower(1.1, test.alpha, 3720.0), 0.9, 1e-9);
            }

            PowerZPoissonRegress cancelled;
            cancelled.useEnumeration = true;
            cancelled.enumerationWald = wald;
            cancelled.cancelled = true;
            EXPECT_THROW(calc_test::Calculate(cancelled, search.type, search.texts),
                         CancelledError);
        }
    }
}

// The same covariates with sound values still answer, as in the reference
// tables: the refusal is for moments that cannot be computed, not for
// covariates that are merely large.
TEST(ExtremeCovariates, LargeButComputableCovariatesStillAnswer) {
    const Case cases[] = {
        {true,
         kXLognormal,
         kPostHoc,
         {{"expb1", "0.8"}, {"xmu", "1"}, {"xsigma", "1"}},
         "",
         kAnswered},
        {true, kXPoisson, kPostHoc, {{"expb1", "1.0001"}, {"xlambda", "1e5"}}, "", kAnswered},
        {false, kXUniform, kPostHoc, {{"xleft", "-20"}, {"xright", "30"}}, "", kAnswered},
    };
    for (const Case& c : cases) {
        const auto test = Make(c.poisson, c.covariate);
        SCOPED_TRACE(calc_test::Describe(c.type, c.texts));
        const auto run = calc_test::Calculate(*test, c.type, c.texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double power = run->Value("power");
        EXPECT_TRUE(0.0 < power && power <= 1.0) << power;
    }
}

// The sums and integrals poll the calculation's cancel flag: a cancelled
// calculation leaves by CancelledError, not after its integrals.
TEST(ExtremeCovariates, TheIntegralsStopWhenCancelled) {
    for (const bool poisson : {true, false}) {
        for (const int covariate : {kXNormal, kXLognormal, kXExponential, kXUniform}) {
            const auto test = Make(poisson, covariate);
            test->cancelled = true;
            EXPECT_THROW(calc_test::Calculate(*test, kPostHoc, {}), CancelledError)
                << poisson << " " << covariate;
        }
    }
}

// A sum over more counts than can be done at once is refused before it
// starts, and an integral that overflows on part of its range fails instead
// of leaving the overflowed points out.
TEST(ExtremeCovariates, BoundedSumsAndOverflowingIntegralsFail) {
    varBppoiss counts(0.0, 1e-12, 1e12);
    const auto start = ThreadCpuClock::now();
    EXPECT_THROW(counts.SumOverSupport(0), QuorixError);
    EXPECT_LT(std::chrono::duration<double>(ThreadCpuClock::now() - start).count(), 0.1);

    varBpnormal wide(0.0, 1.0, 0.0, 200.0);  // e^x up to e^1400
    EXPECT_THROW(wide.Integrate(0), QuorixError);
}

}  // namespace
