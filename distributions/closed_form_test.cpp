#include "distributions/closed_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "distributions/table_rows_test_support.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

TEST(ClosedFormTest, InvalidParametersThrowTheirTexts) {
    ExponentialDistribution exponential(0.0);
    UniformDistribution uniform(2.0, 2.0);
    LogNormalDistribution lognormal(0.0, 0.0);
    LaplaceDistribution laplace(1.0, 1e-20);
    ExponentialDistribution exponential2(2.0);
    UniformDistribution uniform2(0.0, 4.0);
    LogNormalDistribution lognormal2(0.0, 1.0);
    struct Case {
        std::function<void()> call;
        const char* message;
        double value;
    };
    const Case cases[] = {
        {[&] { exponential.Pdf(1.0); }, "Exponential-Pdf: illegal parameter lambda", 0.0},
        {[&] { exponential.Cdf(1.0); }, "Exponential-Cdf: illegal parameter lambda", 0.0},
        {[&] { exponential.Quantile(0.5); }, "Exponential-Quantile: illegal parameter lambda", 0.0},
        {[&] { exponential2.Quantile(1.5); }, "Exponential-Quantile: parameter out of bounds", 0.0},
        {[&] { exponential2.Quantile(-0.1); }, "Exponential-Quantile: parameter out of bounds",
         0.0},
        {[&] { uniform.Pdf(2.0); }, "Uniform-Pdf: illegal bounds", 0.0},
        {[&] { uniform.Cdf(2.0); }, "Uniform-Cdf: illegal bounds", 0.0},
        {[&] { uniform.Quantile(0.5); }, "Uniform-Quantile: illegal bounds", 0.0},
        {[&] { uniform2.Quantile(1.01); }, "Uniform-Quantile: input parameter out of range", 0.0},
        {[&] { lognormal.Pdf(1.0); }, "LogNormalDist-Pdf: input parameter out of range", -1.0},
        {[&] { lognormal.Cdf(1.0); }, "LogNormalDist-Cdf: input parameter out of range", 0.0},
        {[&] { lognormal.Quantile(0.5); }, "NormalDist-Quantile: input parameter out of range",
         0.0},
        {[&] { lognormal2.Quantile(1.5); }, "NormalDist-Quantile: input parameter out of range",
         0.0},
        {[&] { laplace.Pdf(1.0); }, "LaplaceDist-Pdf: input parameter out of range", 0.0},
        {[&] { laplace.Cdf(1.0); }, "LaplaceDist-Cdf: input parameter out of range", 0.0},
        {[&] { laplace.Quantile(0.5); }, "LaplaceDist-Quantile: input parameter out of range", 0.0},
    };
    for (const Case& c : cases)
        ExpectQuorixError(c.call, c.message, QuorixError::kOutOfRange, c.value, c.message);
}

TEST(ClosedFormTest, ValuesAtAndBeyondTheEndsOfTheSupport) {
    ExponentialDistribution exponential(2.0);
    EXPECT_EQ(exponential.Pdf(0.0), 2.0);
    EXPECT_EQ(exponential.Pdf(-1.0), 0.0);
    EXPECT_EQ(exponential.Cdf(-1.0), 0.0);
    EXPECT_EQ(exponential.Quantile(0.0), 0.0);
    EXPECT_EQ(exponential.Quantile(1.0), kInf);

    UniformDistribution uniform(0.0, 4.0);
    EXPECT_EQ(uniform.Pdf(4.0), 0.25);
    EXPECT_EQ(uniform.Pdf(4.0001), 0.0);
    EXPECT_EQ(uniform.Cdf(-1.0), 0.0);
    EXPECT_EQ(uniform.Cdf(5.0), 1.0);
    EXPECT_EQ(uniform.Quantile(0.25), 1.0);

    // The support of the log-normal law is x > 0, whatever the sign of mu.
    LogNormalDistribution lognormal(-1.0, 0.5);
    EXPECT_EQ(lognormal.Pdf(0.0), 0.0);
    EXPECT_EQ(lognormal.Pdf(-3.0), 0.0);
    EXPECT_EQ(lognormal.Cdf(0.0), 0.0);
    EXPECT_EQ(lognormal.Cdf(-3.0), 0.0);
    EXPECT_EQ(lognormal.Cdf(1e-31), 0.0);
    EXPECT_EQ(lognormal.Quantile(0.0), 0.0);
    EXPECT_EQ(lognormal.Quantile(1.0), kInf);
    EXPECT_DOUBLE_EQ(lognormal.Quantile(0.5), std::exp(-1.0));
    EXPECT_DOUBLE_EQ(lognormal.Cdf(std::exp(-1.0)), 0.5);

    LaplaceDistribution laplace(1.5, 2.0);
    EXPECT_EQ(laplace.Cdf(1.5), 0.5);
    EXPECT_EQ(laplace.Quantile(0.5), 1.5);
    EXPECT_EQ(laplace.Quantile(0.0), -kInf);
    EXPECT_EQ(laplace.Quantile(1.0), kInf);
    EXPECT_TRUE(std::isnan(laplace.Quantile(-0.5)));
}

TEST(ClosedFormTest, AgreesWithR) {
    const auto lognormalRows = ReadTableRows("r_reference.csv", "lnorm");
    const auto exponentialRows = ReadTableRows("r_reference.csv", "exp");
    ASSERT_EQ(lognormalRows.size(), 14u);
    ASSERT_EQ(exponentialRows.size(), 9u);
    for (const ReferenceRow& r : lognormalRows) {
        LogNormalDistribution d(r.p[0], r.p[1]);
        if (r.function == "cdf") ExpectRelative(d.Cdf(r.arg), r, 1e-13);
        if (r.function == "pdf") ExpectRelative(d.Pdf(r.arg), r, 1e-13);
        if (r.function == "quantile") ExpectRelative(d.Quantile(r.arg), r, 1e-12);
    }
    for (const ReferenceRow& r : exponentialRows) {
        ExponentialDistribution d(r.p[0]);
        if (r.function == "cdf") ExpectRelative(d.Cdf(r.arg), r, 1e-14);
        if (r.function == "pdf") ExpectRelative(d.Pdf(r.arg), r, 1e-14);
        if (r.function == "quantile") ExpectRelative(d.Quantile(r.arg), r, 1e-14);
    }
}

// Laplace and uniform laws are closed forms; the round trip and the
// symmetry about the location catch a wrong branch or sign.
TEST(ClosedFormTest, QuantileInvertsCdf) {
    LaplaceDistribution laplace(-0.7, 1.3);
    UniformDistribution uniform(-2.0, 3.0);
    LogNormalDistribution lognormal(0.4, 0.8);
    for (double prob : {1e-9, 0.1, 0.5, 0.75, 0.999999}) {
        EXPECT_NEAR(laplace.Cdf(laplace.Quantile(prob)), prob, 1e-14 + 1e-7 * prob) << prob;
        EXPECT_NEAR(uniform.Cdf(uniform.Quantile(prob)), prob, 1e-15) << prob;
        EXPECT_NEAR(lognormal.Cdf(lognormal.Quantile(prob)), prob, 1e-13 * prob) << prob;
    }
    for (double d : {0.2, 1.0, 4.0}) {
        EXPECT_NEAR(laplace.Cdf(-0.7 - d) + laplace.Cdf(-0.7 + d), 1.0, 1e-15) << d;
        EXPECT_DOUBLE_EQ(laplace.Pdf(-0.7 - d), laplace.Pdf(-0.7 + d)) << d;
    }
    EXPECT_DOUBLE_EQ(laplace.Pdf(-0.7), 1.0 / 2.6);
}

TEST(ClosedFormTest, MomentsAndNames) {
    ExponentialDistribution exponential(4.0);
    UniformDistribution uniform(1.0, 7.0);
    LogNormalDistribution lognormal(-0.5, 0.6);
    LaplaceDistribution laplace(2.0, 3.0);
    EXPECT_DOUBLE_EQ(exponential.GetMean(), 0.25);
    EXPECT_DOUBLE_EQ(exponential.GetVariance(), 1.0 / 16.0);
    EXPECT_DOUBLE_EQ(uniform.GetMean(), 4.0);
    EXPECT_DOUBLE_EQ(uniform.GetVariance(), 3.0);
    EXPECT_DOUBLE_EQ(lognormal.GetMean(), std::exp(0.18 - 0.5));
    EXPECT_DOUBLE_EQ(lognormal.GetVariance(), (std::exp(0.36) - 1.0) * std::exp(0.36 - 1.0));
    EXPECT_DOUBLE_EQ(laplace.GetVariance(), 18.0);

    EXPECT_EQ(exponential.GetName(), "Exponential");
    EXPECT_EQ(exponential.GetParamName(3), "lambda");
    EXPECT_EQ(uniform.GetName(), "Uniform");
    EXPECT_EQ(uniform.GetParamName(0), "left");
    EXPECT_EQ(uniform.GetParamName(1), "right");
    EXPECT_EQ(lognormal.GetName(), "LogNormal");
    EXPECT_EQ(lognormal.GetParamName(1), "sigma");
    EXPECT_EQ(laplace.GetName(), "Laplace");
    EXPECT_EQ(laplace.GetParamName(1), "scale");

    // Only the log-normal and Laplace laws carry their location as the
    // noncentrality.
    uniform.SetNoncentrality(9.0);
    exponential.SetNoncentrality(9.0);
    laplace.SetNoncentrality(9.0);
    EXPECT_EQ(uniform.GetNoncentrality(), 0.0);
    EXPECT_EQ(uniform.GetParam(0), 1.0);
    EXPECT_EQ(exponential.GetParam(0), 4.0);
    EXPECT_EQ(laplace.GetMean(), 9.0);
    EXPECT_EQ(lognormal.GetNoncentrality(), -0.5);
}

}  // namespace
