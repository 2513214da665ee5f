#include "distributions/distribution.h"

#include <gtest/gtest.h>

namespace {

// A minimal family with a noncentrality, to test the shared bodies.
class ThreeParameters final : public NoncentralDistribution {
  public:
    ThreeParameters(double a, double b, double c) { p[0] = a, p[1] = b, p[2] = c; }
    double Pdf(double) override { return 0.0; }
    double Cdf(double) override { return 0.0; }
    double Quantile(double) override { return 0.0; }
    double GetMean() override { return p[0]; }
    double GetVariance() override { return 1.0; }
    std::string GetName() override { return "three"; }
    int GetParamCount() override { return 3; }
    std::string GetParamName(int) override { return ""; }
};

class TwoParameters final : public Distribution {
  public:
    TwoParameters(double a, double b) { p[0] = a, p[1] = b; }
    double Pdf(double) override { return 0.0; }
    double Cdf(double) override { return 0.0; }
    double Quantile(double) override { return 0.0; }
    double GetMean() override { return 0.0; }
    double GetVariance() override { return 1.0; }
    std::string GetName() override { return "two"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int) override { return ""; }
};

}  // namespace

TEST(Distribution, ParameterIndexWrapsAroundTheCount) {
    ThreeParameters three(1.0, 2.0, 3.0);
    TwoParameters two(4.0, 5.0);
    EXPECT_EQ(three.GetParam(5), 3.0);
    EXPECT_EQ(two.GetParam(5), 5.0);
    two.SetParam(0, 7.0);
    EXPECT_EQ(two.GetParam(2), 7.0);
}

TEST(Distribution, NoncentralityOnlyWhereTheFamilyHasOne) {
    TwoParameters central(4.0, 5.0);
    central.SetNoncentrality(3.0);
    EXPECT_EQ(central.GetNoncentrality(), 0.0);
    EXPECT_EQ(central.GetParam(0), 4.0);

    ThreeParameters noncentral(1.0, 2.0, 3.0);
    noncentral.SetNoncentrality(3.0);
    EXPECT_EQ(noncentral.GetNoncentrality(), 3.0);
}

TEST(Distribution, CopiesDoNotShareParameters) {
    ThreeParameters source(1.0, 2.0, 3.0);
    ThreeParameters copy = source;
    copy.SetParam(1, 9.0);
    EXPECT_EQ(source.GetParam(1), 2.0);
    source = copy;
    source.SetParam(2, 8.0);
    EXPECT_EQ(copy.GetParam(2), 3.0);
}

TEST(QuorixError, CarriesMessageCodeAndValue) {
    QuorixError e("Math overflow", QuorixError::kMathOverflow, 1.5);
    EXPECT_STREQ(e.what(), "Math overflow");
    EXPECT_EQ(e.GetCode(), 0);
    EXPECT_EQ(e.GetValue(), 1.5);
}

TEST(ThrowDriverStatus, TranslatesEveryStatus) {
    struct Case {
        int status;
        const char* message;
        int code;
        double value;
    };
    // bound 7.0, answer 0.25
    const Case cases[] = {
        {-3, "NormalDist-Quantile: input parameter out of range", 4, 7.0},
        {1, "NormalDist-Quantile: answer below lower search bound", 2, 7.0},
        {2, "NormalDist-Quantile: answer above upper search bound", 3, 7.0},
        {3, "NormalDist-Quantile: p + q != 1.0", 5, 0.25},
        {4, "NormalDist-Quantile: unknown error", 1, 0.25},
        {10, "NormalDist-Quantile: unknown error", 1, 0.25},
    };
    for (const Case& c : cases) {
        try {
            ThrowDriverStatus("NormalDist-Quantile", c.status, 7.0, 0.25);
            ADD_FAILURE() << "status " << c.status << " did not throw";
        } catch (const QuorixError& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(e.GetCode(), c.code);
            EXPECT_EQ(e.GetValue(), c.value);
        }
    }
    EXPECT_NO_THROW(ThrowDriverStatus("NormalDist-Quantile", 0, 7.0, 0.25));
}

TEST(ThrowDriverStatus, FamiliesMayCarryTheirOwnValues) {
    try {
        ThrowDriverStatus("ChiDist-Cdf", -1, 7.0, 0.25, {0.0, 7.0, 7.0});
        FAIL();
    } catch (const QuorixError& e) {
        EXPECT_EQ(e.GetValue(), 0.0);
        EXPECT_EQ(e.GetCode(), 4);
    }
}
