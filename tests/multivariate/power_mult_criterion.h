#pragma once

#include <string>

// A multivariate test criterion: one statistic of the multivariate general
// linear hypothesis (Wilks U, the Hotelling-Lawley trace T with the
// denominator-df rules T1 and T2, Pillai V) and one algorithm that turns
// effect size, criterion value, sample size and the design's dimensions
// into the degrees of freedom and noncentrality of the F approximation.
// Muller-Peterson (MP) takes the noncentrality as df2 f², O'Brien-Shieh
// (OS) from the total sample size N.
//
// The owning test does the input, checking, solving and output itself and
// calls its criterion for every conversion. Throughout, N is the total
// sample size, k the number of groups, pd the hypothesis df and qd the
// number of responses (or transformed measurements); s = min(pd, qd). The
// members p and q hold the design that the repeated-measures owners write.
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
    virtual double SetFromEffect(double f, double n, int k, int pd, int qd) = 0;
    // The criterion value of one dimension for effect f.
    virtual double EffectToCriterion(double f) const = 0;
    // Store the criterion value, f², f, the noncentrality and the proportion;
    // return the noncentrality.
    virtual double SetFromCriterion(double value, double n, int k, int pd, int qd) = 0;
    // The effect f of one dimension for a criterion value.
    virtual double CriterionToEffect(double value) const = 0;
    // f from a criterion value with the design's dimensions; stores f², f.
    virtual double EffectFromCriterion(double value, double n, int k, int pd, int qd) = 0;
    // Stores df1 = p q and df2; returns the dimension factor.
    virtual double ComputeDf(double n, int k, int pd, int qd) = 0;
    virtual double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) = 0;
    // N (not rounded) at which effect f gives the noncentrality lambda.
    virtual double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) = 0;
    virtual double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) = 0;
    // The smallest admissible N of the design.
    virtual double MinimumSampleSize(int k, int pd, int qd) const = 0;
    virtual double GetCriterionLimit() const = 0;
    virtual int GetCriterionId() const = 0;
    virtual std::string GetLongName() const = 0;
    virtual std::string GetShortName() const = 0;

    // Conversions of a repeated-measures effect f with m measurements and
    // correlation rho among them; w weighs f² and the factor is
    // (m - 1) rho + 1 with useCompoundFactor, else 1 - rho. z is unused.
    // The O'Brien-Shieh criteria convert; the Muller-Peterson ones return
    // their first argument. They read the design members sampleSize,
    // groups, p and q, which the owner writes first.
    virtual double ToRepeatedMeasuresEffect(double f, double rho, double w, double z, double m,
                                            bool useCompoundFactor);
    virtual double FromRepeatedMeasuresEffect(double f, double rho, double w, double z, double m,
                                              bool useCompoundFactor);
    virtual double CriterionFromRepeatedEffect(double f, double rho, double w, double z, double m,
                                               bool useCompoundFactor);
    virtual double RepeatedEffectFromCriterion(double value, double rho, double w, double z,
                                               double m, bool useCompoundFactor);

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
    // The criterion's scale c of a repeated-measures conversion (s, g or
    // kappa), for the design members; 0 in the Muller-Peterson classes.
    virtual double RepeatedScale() { return 0.0; }
    // Whether the weight w enters both conversions, not only the one
    // without the compound factor.
    virtual bool WeightsAlways() const { return false; }
    // The criterion value of f² with the design members.
    virtual double CriterionOfSquare(double) { return 0.0; }
    // f² of a criterion value with the design members.
    virtual double SquareOfCriterion(double) { return 0.0; }
    bool IsOBrienShieh() const { return GetCriterionId() % 2 == 1; }
};

// sqrt of a squared effect computed from the inputs; a negative one is a
// design the criterion cannot take.
double RootOfSquaredEffect(double square);

// Wilks U. Rao's exponent g = sqrt((p²q² - 4)/(p² + q² - 5)) for pq >= 4,
// else 1; df2 = g (N - raoCenter) - raoOffset.
class WilksCriterion : public PowerMultCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double EffectToCriterion(double f) const override;
    double MinimumSampleSize(int k, int pd, int qd) const override;
    double GetCriterionLimit() const override { return 0.9999999; }
    std::string GetShortName() const override { return "Wilks U"; }
    double EffectFromCriterion(double value, double n, int k, int pd, int qd) override;

    static double RaoExponent(int pd, int qd);

    double raoCenter = 0.0;
    double raoOffset = 0.0;

  protected:
    double RepeatedScale() override { return RaoExponent(p, q); }
    double CriterionOfSquare(double square) override;
    double SquareOfCriterion(double value) override;
};

// Hotelling-Lawley trace with df2 = s (N - k - q - 1) + 2.
class HotellingLawley1Criterion : public PowerMultCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double EffectToCriterion(double effect) const override { return effect * effect; }
    double CriterionToEffect(double value) const override;
    double MinimumSampleSize(int k, int, int qd) const override {
        return static_cast<double>(k) + qd + 1.0;
    }
    double GetCriterionLimit() const override { return 100.0; }
    std::string GetShortName() const override { return "Hotelling-Lawley T1"; }
    double EffectFromCriterion(double value, double n, int k, int pd, int qd) override;

  protected:
    double RepeatedScale() override;
    double CriterionOfSquare(double square) override;
    double SquareOfCriterion(double value) override;
};

// Hotelling-Lawley trace with df2 = (pq + 2) h + 4 and the scale
// kappa = (df2 - 2)/(N - k - q - 1).
class HotellingLawley2Criterion : public PowerMultCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double EffectToCriterion(double effect) const override { return effect * effect; }
    double CriterionToEffect(double value) const override;
    double MinimumSampleSize(int k, int, int qd) const override {
        return static_cast<double>(k) + qd + 2.0;
    }
    double GetCriterionLimit() const override { return 100.0; }
    std::string GetShortName() const override { return "Hotelling-Lawley T2"; }
    double EffectFromCriterion(double value, double n, int k, int pd, int qd) override;

    // kappa after ComputeDf(n, k, p, q).
    double Kappa(double n, int k, int pd, int qd);

  protected:
    double RepeatedScale() override;
    double CriterionOfSquare(double square) override;
    double SquareOfCriterion(double value) override;
};

// Pillai V with df2 = s (N - k - q + s).
class PillaiCriterion : public PowerMultCriterion {
  public:
    double ComputeDf(double n, int k, int pd, int qd) override;
    double EffectToCriterion(double effect) const override {
        return effect * effect / (effect * effect + 1.0);
    }
    double CriterionToEffect(double value) const override;
    double MinimumSampleSize(int k, int pd, int qd) const override;
    double GetCriterionLimit() const override { return 0.9999999; }
    std::string GetShortName() const override { return "Pillai V"; }
    double EffectFromCriterion(double value, double n, int k, int pd, int qd) override;

  protected:
    double RepeatedScale() override;
    bool WeightsAlways() const override { return true; }
    double CriterionOfSquare(double square) override;
    double SquareOfCriterion(double value) override;
};

class PowerMultWilksMP : public WilksCriterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultWilksMP; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double CriterionToEffect(double value) const override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 100; }
    std::string GetLongName() const override { return "Wilks U, Muller-Peterson Algorithm"; }
};

class PowerMultWilksOS : public WilksCriterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultWilksOS; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double CriterionToEffect(double value) const override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 101; }
    std::string GetLongName() const override { return "Wilks U, O'Brien-Shieh Algorithm"; }
};

class PowerMultHL1MP : public HotellingLawley1Criterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultHL1MP; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 102; }
    std::string GetLongName() const override {
        return "Hotelling-Lawley T1, Muller-Peterson Algorithm";
    }
};

class PowerMultHL1OS : public HotellingLawley1Criterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultHL1OS; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 103; }
    std::string GetLongName() const override {
        return "Hotelling-Lawley T1, O'Brien-Shieh Algorithm";
    }
};

class PowerMultHL2MP : public HotellingLawley2Criterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultHL2MP; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 104; }
    std::string GetLongName() const override {
        return "Hotelling-Lawley T2, Muller-Peterson Algorithm";
    }
};

class PowerMultHL2OS : public HotellingLawley2Criterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultHL2OS; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 105; }
    std::string GetLongName() const override {
        return "Hotelling-Lawley T2, O'Brien-Shieh Algorithm";
    }
};

class PowerMultPillaiMP : public PillaiCriterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultPillaiMP; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 106; }
    std::string GetLongName() const override { return "Pillai V, Muller-Peterson Algorithm"; }
};

class PowerMultPillaiOS : public PillaiCriterion {
  public:
    PowerMultCriterion* NewInstance() const override { return new PowerMultPillaiOS; }
    double SetFromEffect(double f, double n, int k, int pd, int qd) override;
    double SetFromCriterion(double value, double n, int k, int pd, int qd) override;
    double NoncentralityFromEffect(double f, double n, int k, int pd, int qd) override;
    double SampleSizeFromNoncentrality(double f, double lambda, int k, int pd, int qd) override;
    double EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) override;
    int GetCriterionId() const override { return 107; }
    std::string GetLongName() const override { return "Pillai V, O'Brien-Shieh Algorithm"; }
};

// A new criterion of the given id (100 to 107); null for any other id.
PowerMultCriterion* NewCriterion(int id);

// The parameter ids that label a criterion's effect: f² "Effect size
// f$^2$(U)" and so on (84 to 87) and f "Effect size f(U)" (88 to 91); an id
// outside 100-105 counts as Pillai V.
int CriterionF2ParamId(const PowerMultCriterion& criterion);
int CriterionFParamId(const PowerMultCriterion& criterion);
