#include "effectsize/rm_mean_cov.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mc = effectsize::rm_mean_cov;

namespace {

// Two groups, two measurements, means (1, 1) and (0, 0), identity
// covariance, equal weights: the between-groups hypothesis matrix has the
// single eigenvalue 0.5 (Q = 1/4 * 2 for the unit row 1/sqrt 2), s = 1, so
// V = 0.5/1.5, U = 1/1.5, T = 0.5 and f = sqrt(0.5) for every criterion.
mc::Inputs TwoGroups() {
    mc::Inputs in;
    in.means = {{1, 1}, {0, 0}};
    in.covariance = {{1, 0}, {0, 1}};
    in.weights = {1, 1};
    in.inputMethod = mc::kCovariance;
    in.variant = 0;
    return in;
}

TEST(RmMeanCov, TwoGroupWorkedExampleForTheOBrienShiehCriteria) {
    struct Case {
        int id;
        double statistic;
    };
    for (const Case& c : {Case{107, 1.0 / 3.0}, Case{101, 2.0 / 3.0}, Case{103, 0.5}}) {
        mc::Inputs in = TwoGroups();
        in.criterionId = c.id;
        const mc::Result r = mc::Compute(in);
        ASSERT_FALSE(r.error) << c.id << " " << *r.error;
        EXPECT_NEAR(r.criterionValue, c.statistic, 1e-12) << c.id;
        EXPECT_NEAR(r.f, std::sqrt(0.5), 1e-12) << c.id;
    }
}

TEST(RmMeanCov, InteractionWithUnequalWeightsMatchesNumpy) {
    // verification/panels/rm_mean_cov_reference.py
    mc::Inputs in;
    in.means = {{1.0, 2.0, 4.0}, {0.5, 1.0, 1.5}, {0.0, 0.5, 0.0}};
    in.covariance = {{2.0, 0.6, 0.3}, {0.6, 1.5, 0.4}, {0.3, 0.4, 1.0}};
    in.weights = {1, 2, 3};
    in.inputMethod = mc::kCovariance;
    in.variant = 2;
    in.criterionId = 107;
    const mc::Result r = mc::Compute(in);
    ASSERT_FALSE(r.error);
    EXPECT_NEAR(r.criterionValue, 0.39995913572048836, 1e-12);
    EXPECT_NEAR(r.f, 0.4999680745777538, 1e-12);
}

TEST(RmMeanCov, EqualMeansGiveNoEffectAndSdInputGivesTheSameAsCovariances) {
    mc::Inputs in = TwoGroups();
    in.means = {{2, 3}, {2, 3}};
    for (int id : {100, 101, 103, 106, 107}) {
        in.criterionId = id;
        const mc::Result r = mc::Compute(in);
        ASSERT_FALSE(r.error) << id;
        EXPECT_NEAR(r.f, 0.0, 1e-12) << id;
    }
    // Variances 4 and 9 with covariance 3 are SDs 2 and 3 with correlation 0.5.
    mc::Inputs cov = TwoGroups();
    cov.covariance = {{4, 3}, {3, 9}};
    mc::Inputs sd = cov;
    sd.inputMethod = mc::kSdCorrelation;
    sd.covariance = {{2, 0.5}, {0.5, 3}};
    EXPECT_NEAR(mc::Compute(cov).f, mc::Compute(sd).f, 1e-12);
    EXPECT_GT(mc::Compute(cov).f, 0.0);
}

TEST(RmMeanCov, AWeightOfZeroOrAFailingModelIsRefused) {
    mc::Inputs in = TwoGroups();
    in.weights = {1, 0};
    EXPECT_EQ(mc::Compute(in).error, std::string(mc::kWeightMessage));
    in = TwoGroups();
    in.covariance = {{1, 0}, {0, 1}, {0, 0}};  // shapes that do not fit
    EXPECT_EQ(mc::Compute(in).error, std::string(mc::kModelMessage));
}

TEST(RmMeanCov, CorrelationPatterns) {
    mc::Table sd = {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}};
    mc::BuildCorrelationPattern(&sd, 0.6, false);
    EXPECT_EQ(sd[2][0], 0.6);
    EXPECT_EQ(sd[0][2], 0.6);
    EXPECT_EQ(sd[1][1], 2.0);
    mc::BuildCorrelationPattern(&sd, 0.6, true);
    EXPECT_EQ(sd[1][0], 0.6);
    EXPECT_NEAR(sd[0][2], 0.36, 1e-15);
}

}  // namespace
