#pragma once

#include <optional>
#include <string>

// A multivariate test criterion: one statistic of the multivariate general
// linear hypothesis (Wilks U, the Hotelling-Lawley trace T with the
// denominator-df rules T1 and T2, Pillai V) and one algorithm that turns
// effect size, criterion value, sample size and the design's dimensions
// into the degrees of freedom and noncentrality of the F approximation.
// Muller-Peterson (MP) takes the noncentrality as df2 f², O'Brien-Shieh
// (OS) as N c f² with the statistic's scale c.
//
// The owning test does the input, checking, solving and output itself and
// calls its criterion for every conversion. Throughout, N is the total
// sample size, k the number of groups, pd the hypothesis df and qd the
// number of responses (or transformed measurements); s = min(pd, qd). The
// members p and q hold the design that the repeated-measures owners write.
//
// A statistic class holds the formulas of its statistic; the algorithm is
// told by the criterion id (even MP, odd OS), so that each of the eight
// criteria is the statistic with its id (see the list at the end).
//
// A new criterion is all zeros; every member is recomputed by the
// operation that needs it. A squared effect that comes out negative (too
// small an N for the design, a criterion value beyond its limit) is
// reported as a QuorixError, never carried on as a not-a-number.
class PowerMultCriterion {
  public:
    virtual ~PowerMultCriterion() = default;

    // A fresh criterion of the same class in its initial state.
    virtual PowerMultCriterion* NewInstance() const = 0;

    // Store f, f², the noncentrality, the criterion value and the
    // proportion; return the noncentrality.
    double SetFromEffect(double f, double n, int k, int pd, int qd);
    // The criterion value of one dimension for effect f.
    virtual double EffectToCriterion(double f) const = 0;
    // Store the criterion value, f², f, the noncentrality and the proportion;
    // return the noncentrality.
    double SetFromCriterion(double value, double n, int k, int pd, int qd);
    // The effect f of one dimension for a criterion value.
    virtual double CriterionToEffect(double value) const = 0;
    // f from a criterion value with the design's dimensions; stores the
    // value, f², f.
    virtual double EffectFromCriterion(double value, double n, int k, int pd, int qd);
    // Stores df1 = p q and df2; returns the dimension factor.
    virtual double ComputeDf(double n, int k, int pd, int qd) = 0;
    virtual double NoncentralityFromEffect(double f, double n, int k, int pd, int qd);
    // N (not rounded) at which effect f gives the noncentrality lambda.
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd);
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd);
    // The smallest admissible N of the design.
    virtual double MinimumSampleSize(int k, int pd, int qd) const = 0;
    virtual double GetCriterionLimit() const = 0;
    virtual int GetCriterionId() const = 0;
    std::string GetLongName() const;
    virtual std::string GetShortName() const = 0;

    // Conversions of a repeated-measures effect f with m measurements and
    // correlation rho among them; w weighs f² and the factor is
    // (m - 1) rho + 1 with useCompoundFactor, else 1 - rho. z is unused.
    // The O'Brien-Shieh criteria convert; the Muller-Peterson ones return
    // their first argument. They read the design members sampleSize,
    // groups, p and q, which the owner writes first.
    double ToRepeatedMeasuresEffect(double f, double rho, double w, double z, double m,
                                    bool useCompoundFactor);
    double FromRepeatedMeasuresEffect(double f, double rho, double w, double z, double m,
                                      bool useCompoundFactor);
    double CriterionFromRepeatedEffect(double f, double rho, double w, double z, double m,
                                       bool useCompoundFactor);
    double RepeatedEffectFromCriterion(double value, double rho, double w, double z, double m,
                                       bool useCompoundFactor);

    // The noncentrality of the proportion x = f²/(1 + f²) of explained
    // variation: f = sqrt(x/(1 - x)), with x = 1 standing for f² = 1e30.
    double SetFromProportion(double x, double n, int k, int pd, int qd);

    double df1 = 0.0;
    double df2 = 0.0;
    double noncentrality = 0.0;
    double proportion = 0.0;
    double f2 = 0.0;
    double f = 0.0;
    double sampleSize = 0.0;
    double criterionValue = 0.0;
    int groups = 0;
    int p = 0;
    int q = 0;
    double s = 0.0;

  protected:
    bool IsOBrienShieh() const { return GetCriterionId() % 2 == 1; }

    // The statistic's scale c of the design: Rao's exponent g for Wilks U,
    // s for T1 and V, kappa for T2.
    virtual double Scale(double n, int k, int pd, int qd) = 0;
    // The scale with the df computed and stored, as the operations that
    // store the effect leave them.
    virtual double ScaleWithDf(double n, int k, int pd, int qd) { return ComputeDf(n, k, pd, qd); }
    // The criterion value of f² at scale c, and f² of a criterion value.
    virtual double CriterionOfSquare(double square, double c) const = 0;
    virtual double SquareOfCriterion(double value, double c) const = 0;
    // The N at which df2 reaches x (the MP noncentrality is df2 f²) and at
    // which N c reaches x (OS).
    virtual double SampleSizeForDf2(double x, int k, int pd, int qd) = 0;
    virtual double SampleSizeForScaledN(double x, int k, int pd, int qd) = 0;
    // The OS noncentrality and proportion of a criterion value with its f²
    // at scale c.
    virtual double OBrienShiehNoncentrality(double, double square, double c, double n) const {
        return c * square * n;
    }
    virtual double OBrienShiehProportion(double, double square, double) const {
        return square / (1.0 + square);
    }
    // Whether the weight w enters both repeated-measures conversions, not
    // only the one without the compound factor.
    virtual bool WeightsAlways() const { return false; }

  private:
    // Stores and returns the noncentrality and the proportion of the stored
    // f² and criterion value.
    double StoreNoncentrality(double c, double n);
};

// sqrt of a squared effect computed from the inputs; a negative one is a
// design the criterion cannot take.
double RootOfSquaredEffect(double square);

// Wilks U. Rao's exponent g = sqrt((p²q² - 4)/(p² + q² - 5)) for pq >= 4,
// else 1; df2 = g (N - raoCenter) - raoOffset.
class WilksCriterion : public PowerMultCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double EffectToCriterion(double effect) const override { return 1.0 / (1.0 + effect * effect); }
    double CriterionToEffect(double value) const override;
    double EffectFromCriterion(double value, double n, int k, int pd, int qd) override;
    double MinimumSampleSize(int, int pd, int qd) const override { return (pd + 1.0) * (qd + 1.0); }
    double GetCriterionLimit() const override { return 0.9999999; }
    std::string GetShortName() const override { return "Wilks U"; }

    static double RaoExponent(int pd, int qd);

    double raoCenter = 0.0;
    double raoOffset = 0.0;

  protected:
    double Scale(double, int, int pd, int qd) override { return RaoExponent(pd, qd); }
    double CriterionOfSquare(double square, double g) const override;
    double SquareOfCriterion(double value, double g) const override;
    double SampleSizeForDf2(double x, int k, int pd, int qd) override;
    double SampleSizeForScaledN(double x, int, int pd, int qd) override {
        return x / RaoExponent(pd, qd);
    }
};

// The Hotelling-Lawley trace T = c f², with the scale of T1 or T2.
class HotellingLawleyCriterion : public PowerMultCriterion {
  public:
    double EffectToCriterion(double effect) const override { return effect * effect; }
    double CriterionToEffect(double value) const override { return RootOfSquaredEffect(value); }
    double GetCriterionLimit() const override { return 100.0; }

  protected:
    double CriterionOfSquare(double square, double c) const override { return c * square; }
    double SquareOfCriterion(double value, double c) const override { return value / c; }
    double OBrienShiehNoncentrality(double value, double, double, double n) const override {
        return value * n;
    }
    double OBrienShiehProportion(double value, double, double c) const override {
        return value / (value + c);
    }
};

// Hotelling-Lawley trace with df2 = s (N - k - q - 1) + 2.
class HotellingLawley1Criterion : public HotellingLawleyCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double MinimumSampleSize(int k, int, int qd) const override {
        return static_cast<double>(k) + qd + 1.0;
    }
    std::string GetShortName() const override { return "Hotelling-Lawley T1"; }

  protected:
    double Scale(double n, int k, int pd, int qd) override;
    double SampleSizeForDf2(double x, int k, int pd, int qd) override;
    double SampleSizeForScaledN(double x, int k, int pd, int qd) override;
};

// Hotelling-Lawley trace with df2 = (pq + 2) h + 4 and the scale
// kappa = (df2 - 2)/(N - k - q - 1).
class HotellingLawley2Criterion : public HotellingLawleyCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double MinimumSampleSize(int k, int, int qd) const override {
        return static_cast<double>(k) + qd + 2.0;
    }
    std::string GetShortName() const override { return "Hotelling-Lawley T2"; }

    // kappa after ComputeDf(n, k, p, q).
    double Kappa(double n, int k, int pd, int qd);

  protected:
    double Scale(double n, int k, int pd, int qd) override { return Kappa(n, k, pd, qd); }
    double ScaleWithDf(double n, int k, int pd, int qd) override { return Kappa(n, k, pd, qd); }
    double SampleSizeForDf2(double x, int k, int pd, int qd) override;
    double SampleSizeForScaledN(double x, int k, int pd, int qd) override;
};

// Pillai V = s f²/(1 + f²) with df2 = s (N - k - q + s).
class PillaiCriterion : public PowerMultCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double EffectToCriterion(double effect) const override {
        return effect * effect / (effect * effect + 1.0);
    }
    double CriterionToEffect(double value) const override {
        return RootOfSquaredEffect(value / (1.0 - value));
    }
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double MinimumSampleSize(int k, int pd, int qd) const override;
    double GetCriterionLimit() const override { return 0.9999999; }
    std::string GetShortName() const override { return "Pillai V"; }

  protected:
    double Scale(double n, int k, int pd, int qd) override;
    double CriterionOfSquare(double square, double c) const override {
        return c * square / (square + 1.0);
    }
    double SquareOfCriterion(double value, double c) const override { return value / (c - value); }
    double SampleSizeForDf2(double x, int k, int pd, int qd) override;
    double SampleSizeForScaledN(double x, int k, int pd, int qd) override;
    double OBrienShiehProportion(double value, double, double c) const override {
        return value / c;
    }
    bool WeightsAlways() const override { return true; }
};

// One criterion: a statistic with the id that names its algorithm.
template <class Statistic, int kId>
class PowerMultCriterionOf final : public Statistic {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultCriterionOf; }
    int GetCriterionId() const override { return kId; }
};

using PowerMultWilksMP = PowerMultCriterionOf<WilksCriterion, 100>;
using PowerMultWilksOS = PowerMultCriterionOf<WilksCriterion, 101>;
using PowerMultHL1MP = PowerMultCriterionOf<HotellingLawley1Criterion, 102>;
using PowerMultHL1OS = PowerMultCriterionOf<HotellingLawley1Criterion, 103>;
using PowerMultHL2MP = PowerMultCriterionOf<HotellingLawley2Criterion, 104>;
using PowerMultHL2OS = PowerMultCriterionOf<HotellingLawley2Criterion, 105>;
using PowerMultPillaiMP = PowerMultCriterionOf<PillaiCriterion, 106>;
using PowerMultPillaiOS = PowerMultCriterionOf<PillaiCriterion, 107>;

// A new criterion of the given id (100 to 107); null for any other id.
PowerMultCriterion* NewCriterion(int id);

// A criterion as the options offer it: the statistic (0 Wilks U, 1
// Hotelling-Lawley T1, 2 Hotelling-Lawley T2, 3 Pillai V) and the algorithm
// (0 O'Brien and Shieh, 1 Muller and Peterson).
struct CriterionChoice {
    int statistic;
    int algorithm;
};
// The choice of criterion `id` (100 to 107); nothing for any other id.
std::optional<CriterionChoice> ChoiceOfCriterion(int id);
// The criterion id of a choice, or -1 when it names none.
int CriterionOfChoice(int statistic, int algorithm);

// The parameter ids that label a criterion's effect: f² "Effect size
// f$^2$(U)" and so on (84 to 87) and f "Effect size f(U)" (88 to 91); an id
// outside 100-105 counts as Pillai V.
int CriterionF2ParamId(const PowerMultCriterion& criterion);
int CriterionFParamId(const PowerMultCriterion& criterion);
