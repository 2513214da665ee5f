// The eight multivariate criteria: their df rules and noncentralities at
// hand-worked points, and the identities that tie each class's conversions
// together (a conversion and its inverse give the start back).

#include "power/multivariate/power_mult_criterion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "numerics/quorix_error.h"

namespace {

std::unique_ptr<PowerMultCriterion> Make(int id) {
    return std::unique_ptr<PowerMultCriterion>(NewCriterion(id));
}

TEST(MultCriterion, RaoExponent) {
    EXPECT_DOUBLE_EQ(WilksCriterion::RaoExponent(2, 3), 2.0);
    EXPECT_DOUBLE_EQ(WilksCriterion::RaoExponent(1, 3), 1.0);
    EXPECT_DOUBLE_EQ(WilksCriterion::RaoExponent(1, 1), 1.0);
    EXPECT_DOUBLE_EQ(WilksCriterion::RaoExponent(2, 2), 2.0);
}

TEST(MultCriterion, DegreesOfFreedomAtWorkedPoints) {
    PowerMultWilksMP wilks;
    EXPECT_DOUBLE_EQ(wilks.ComputeDf(40, 3, 2, 2), 2.0);
    EXPECT_DOUBLE_EQ(wilks.raoCenter, 3.5);
    EXPECT_DOUBLE_EQ(wilks.raoOffset, 1.0);
    EXPECT_DOUBLE_EQ(wilks.df2, 72.0);
    EXPECT_DOUBLE_EQ(wilks.df1, 4.0);

    PowerMultHL1MP hl1;
    EXPECT_DOUBLE_EQ(hl1.ComputeDf(50, 3, 2, 4), 2.0);
    EXPECT_DOUBLE_EQ(hl1.df2, 2.0 * (50 - 3 - 4 - 1) + 2.0);

    // n = N - k = 47: h = (47² - 11·47 + 28)/(7·47 - 25) = 1720/304.
    PowerMultHL2MP hl2;
    EXPECT_DOUBLE_EQ(hl2.ComputeDf(50, 3, 2, 4), 1720.0 / 304.0);
    EXPECT_DOUBLE_EQ(hl2.df2, 10.0 * 1720.0 / 304.0 + 4.0);

    PowerMultPillaiOS pillai;
    EXPECT_DOUBLE_EQ(pillai.ComputeDf(60, 3, 2, 4), 2.0);
    EXPECT_DOUBLE_EQ(pillai.df2, 2.0 * (60 - 3 - 4 + 2));

    EXPECT_DOUBLE_EQ(pillai.MinimumSampleSize(3, 2, 4), 10.0);
    EXPECT_DOUBLE_EQ(wilks.MinimumSampleSize(7, 2, 4), 15.0);
    EXPECT_DOUBLE_EQ(hl1.MinimumSampleSize(3, 2, 4), 8.0);
    EXPECT_DOUBLE_EQ(hl2.MinimumSampleSize(3, 2, 4), 9.0);
}

TEST(MultCriterion, PillaiOBrienShiehNoncentrality) {
    PowerMultPillaiOS pillai;
    EXPECT_DOUBLE_EQ(pillai.SetFromEffect(0.25, 60, 3, 2, 4), 7.5);
    EXPECT_DOUBLE_EQ(pillai.criterionValue, 0.125 / 1.0625);
    EXPECT_DOUBLE_EQ(pillai.proportion, 0.0625 / 1.0625);
}

// For every class and a few designs: the noncentrality of an effect gives
// the effect and the sample size back, and the criterion value of an effect
// gives the same noncentrality back.
TEST(MultCriterion, ConversionsInvertEachOther) {
    struct Design {
        double n;
        int k, p, q;
    };
    const Design designs[] = {{60, 3, 2, 2}, {100, 3, 2, 4}, {45, 2, 1, 3}, {200, 5, 4, 3}};
    for (int id = 100; id <= 107; ++id) {
        for (const Design& d : designs) {
            SCOPED_TRACE(testing::Message() << "criterion " << id << " N " << d.n << " k " << d.k
                                            << " p " << d.p << " q " << d.q);
            auto c = Make(id);
            const double f = 0.3;
            const double lambda = c->NoncentralityFromEffect(f, d.n, d.k, d.p, d.q);
            EXPECT_GT(lambda, 0.0);
            EXPECT_NEAR(c->EffectFromNoncentrality(lambda, d.n, d.k, d.p, d.q), f, 1e-12);
            EXPECT_NEAR(c->SampleSizeFromNoncentrality(f, lambda, d.k, d.p, d.q), d.n, 1e-9 * d.n);

            const double viaEffect = c->SetFromEffect(f, d.n, d.k, d.p, d.q);
            EXPECT_NEAR(viaEffect, lambda, 1e-12 * lambda);
            const double value = c->criterionValue;
            EXPECT_NEAR(c->proportion, f * f / (1.0 + f * f), 1e-12);
            auto fresh = Make(id);
            EXPECT_NEAR(fresh->SetFromCriterion(value, d.n, d.k, d.p, d.q), lambda, 1e-10 * lambda);
            EXPECT_NEAR(fresh->f, f, 1e-12);
            EXPECT_NEAR(Make(id)->EffectFromCriterion(value, d.n, d.k, d.p, d.q), f, 1e-12);
            // One dimension: criterion and effect convert into each other.
            EXPECT_NEAR(c->CriterionToEffect(c->EffectToCriterion(f)), f, 1e-14);
        }
    }
}

TEST(MultCriterion, RepeatedMeasuresConversions) {
    for (int id = 100; id <= 107; ++id) {
        SCOPED_TRACE(id);
        auto c = Make(id);
        c->sampleSize = 60;
        c->groups = 3;
        c->p = 2;
        c->q = 3;
        for (bool compound : {true, false}) {
            const double to = c->ToRepeatedMeasuresEffect(0.25, 0.5, 0.7, 0.0, 4.0, compound);
            EXPECT_NEAR(c->FromRepeatedMeasuresEffect(to, 0.5, 0.7, 0.0, 4.0, compound), 0.25,
                        1e-14);
            const double value = c->CriterionFromRepeatedEffect(0.25, 0.5, 0.7, 0.0, 4.0, compound);
            EXPECT_NEAR(c->RepeatedEffectFromCriterion(value, 0.5, 0.7, 0.0, 4.0, compound), 0.25,
                        1e-13);
            if (id % 2 == 0) {
                EXPECT_EQ(to, 0.25);  // Muller-Peterson converts nothing
                EXPECT_EQ(value, 0.25);
            }
        }
    }
    // Pillai, O'Brien-Shieh: f'² = f² m w/(F s) with F = (m - 1) rho + 1.
    PowerMultPillaiOS pillai;
    pillai.p = 2;
    pillai.q = 3;
    EXPECT_NEAR(pillai.ToRepeatedMeasuresEffect(0.25, 0.5, 1.0, 0.0, 4.0, true),
                std::sqrt(0.0625 * 4.0 / (2.5 * 2.0)), 1e-15);
    EXPECT_NEAR(pillai.ToRepeatedMeasuresEffect(0.25, 0.5, 1.0, 0.0, 4.0, false),
                std::sqrt(0.0625 * 4.0 / (0.5 * 2.0)), 1e-15);
}

// The proportion x = f²/(1 + f²) stands for f = sqrt(x/(1 - x)).
TEST(MultCriterion, ProportionGivesTheEffectItStandsFor) {
    PowerMultPillaiOS a, b;
    EXPECT_DOUBLE_EQ(a.SetFromProportion(0.5, 60, 3, 2, 4), b.SetFromEffect(1.0, 60, 3, 2, 4));
    EXPECT_DOUBLE_EQ(a.f, 1.0);
    a.SetFromProportion(0.2, 60, 3, 2, 4);
    EXPECT_DOUBLE_EQ(a.f2, 0.25);
    a.SetFromProportion(1.0, 60, 3, 2, 4);
    EXPECT_DOUBLE_EQ(a.f2, 1e30);
}

TEST(MultCriterion, NamesIdsAndFreshInstances) {
    const struct {
        int id;
        const char* longName;
        const char* shortName;
        double limit;
        int f2Id, fId;
    } rows[] = {
        {100, "Wilks U, Muller-Peterson Algorithm", "Wilks U", 0.9999999, 84, 88},
        {101, "Wilks U, O'Brien-Shieh Algorithm", "Wilks U", 0.9999999, 84, 88},
        {102, "Hotelling-Lawley T1, Muller-Peterson Algorithm", "Hotelling-Lawley T1", 100.0, 85,
         89},
        {103, "Hotelling-Lawley T1, O'Brien-Shieh Algorithm", "Hotelling-Lawley T1", 100.0, 85, 89},
        {104, "Hotelling-Lawley T2, Muller-Peterson Algorithm", "Hotelling-Lawley T2", 100.0, 86,
         90},
        {105, "Hotelling-Lawley T2, O'Brien-Shieh Algorithm", "Hotelling-Lawley T2", 100.0, 86, 90},
        {106, "Pillai V, Muller-Peterson Algorithm", "Pillai V", 0.9999999, 87, 91},
        {107, "Pillai V, O'Brien-Shieh Algorithm", "Pillai V", 0.9999999, 87, 91},
    };
    for (const auto& r : rows) {
        auto c = Make(r.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->GetCriterionId(), r.id);
        EXPECT_EQ(c->GetLongName(), r.longName);
        EXPECT_EQ(c->GetShortName(), r.shortName);
        EXPECT_EQ(c->GetCriterionLimit(), r.limit);
        EXPECT_EQ(CriterionF2ParamId(*c), r.f2Id);
        EXPECT_EQ(CriterionFParamId(*c), r.fId);
        c->SetFromEffect(0.3, 60, 3, 2, 2);
        std::unique_ptr<PowerMultCriterion> fresh(c->NewInstance());
        EXPECT_EQ(fresh->GetCriterionId(), r.id);
        EXPECT_EQ(fresh->noncentrality, 0.0);
        EXPECT_EQ(fresh->criterionValue, 0.0);
        EXPECT_EQ(fresh->df2, 0.0);
    }
    EXPECT_EQ(NewCriterion(99), nullptr);
}

// Too small an N makes df2 negative: the square root of a negative squared
// effect is reported, never carried on as NaN.
TEST(MultCriterion, NegativeSquaredEffectIsAFailure) {
    PowerMultPillaiMP pillai;
    EXPECT_THROW(pillai.EffectFromNoncentrality(5.0, 4, 3, 2, 4), QuorixError);
    PowerMultPillaiOS os;
    EXPECT_THROW(os.SetFromCriterion(2.5, 60, 3, 2, 4), QuorixError);  // V beyond s
}

}  // namespace
