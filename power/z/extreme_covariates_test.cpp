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
        // Its standard values: the power is 1 at every alpha there is, so
        // the searches for alpha cannot meet their target.
        {true, kXLognormal, kCriterion, {}, "", kSearchFailed},
        {true, kXLognormal, kCompromise, {}, "", kSearchFailed},
        // Covariates of extreme scale.
        {true, kXExponential, kPostHoc, {{"xlambda", "1e300"}}, "xlambda", kRefusedOnCovariateRow},
        {false, kXExponential, kPostHoc, {{"xlambda", "1e300"}}, "xlambda", kRefusedOnCovariateRow},
        {true, kXNormal, kPostHoc, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {false, kXNormal, kPostHoc, {{"xsigma", "1e-300"}}, "xsigma", kRefusedOnCovariateRow},
        {true, kXNormal, kPostHoc, {{"xsigma", "1e9"}}, "xsigma", kRefusedOnCovariateRow},
        // A Poisson X whose counts would be summed for minutes.
        {true, kXPoisson, kPostHoc, {{"xlambda", "1e15"}}, "xlambda", kRefusedOnCovariateRow},
        // Logistic regression sums only the counts where the predictor is
        // not yet saturated: few, and without information on the slope.
        {false, kXPoisson, kPostHoc, {{"xlambda", "1e15"}}, "", kAnswered},
        // Compromise where beta / alpha = q cannot be met: a failure, not
        // alpha 0.5 with beta 0.
        {false, kXNormal, kCompromise, {{"xsigma", "1e15"}}, "", kSearchFailed},
        {false,
         kXManual,
         kCompromise,
         {{"xvar0", "1e-300"}, {"xvar1", "1e-300"}},
         "",
         kSearchFailed},
        {true,
         kXManual,
         kCompromise,
         {{"xvar0", "1e-300"}, {"xvar1", "1e-300"}},
         "",
         kSearchFailed},
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
