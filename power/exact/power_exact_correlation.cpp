#include "power/exact/power_exact_correlation.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "analysis/property.h"
#include "analysis/read_check_solve.h"
#include "distributions/correlation.h"
#include "distributions/mrc.h"
#include "distributions/normal.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_search.h"

namespace {

// The searches for alpha stay within [kSmallestAlpha, kLargestAlpha]; a
// Criterion alpha whose power misses the target by more than
// kPowerMismatch means that no alpha gives the power asked for.
constexpr double kSmallestAlpha = 1e-99;
constexpr double kLargestAlpha = 0.9999999999;
constexpr double kPowerMismatch = 0.5;
constexpr double kNearOne = 0.9999999999;
// The largest alpha an answer may show: the largest alpha input.
constexpr double kLargestShownAlpha = 0.9999999;

[[noreturn]] void Underflow() {
    throw QuorixError("Underflow", 0, 0.0);
}

[[noreturn]] void NoCompromise() {
    throw QuorixError("Solver-Compromise: no solution", QuorixError::kNoConvergence, 0.0);
}

// The root in t = log(alpha) of an objective g that grows with t, between
// lo with g < 0 and hi with g > 0: regula falsi with the Illinois halving,
// and a halving of the interval wherever a value is infinite or a step
// gains too little. On the log scale an alpha of 1e-40 is found to the
// same relative precision as one of 0.05, where an absolute tolerance in
// alpha would stop at once. Ends at 1e-12 in t (alpha to 1e-12 of
// itself), or where g is 0.
double RootInLogAlpha(PowerAnalysis& test, const char* where,
                      const std::function<double(double)>& g, double lo, double gLo, double hi,
                      double gHi) {
    constexpr int kMaxSteps = 300;
    constexpr double kTolerance = 1e-12;
    int side = 0;
    for (int i = 0; i < kMaxSteps && hi - lo > kTolerance * std::max(1.0, std::fabs(lo)); ++i) {
        if (test.IsCancelled()) throw CancelledError();
        const double width = hi - lo;
        double t = (lo + hi) / 2.0;
        if (std::isfinite(gLo) && std::isfinite(gHi) && i % 4 != 3)
            t = lo + width * (gLo / (gLo - gHi));
        if (!(lo < t && t < hi)) t = (lo + hi) / 2.0;
        const double v = g(t);
        if (std::isnan(v)) {
            throw QuorixError(std::string(where) + ": function value is not a number",
                              QuorixError::kUnknown, std::exp(t));
        }
        if (v == 0.0) return t;
        if (v < 0.0) {
            lo = t;
            gLo = v;
            if (side == -1 && std::isfinite(gHi)) gHi /= 2.0;
            side = -1;
        } else {
            hi = t;
            gHi = v;
            if (side == 1 && std::isfinite(gLo)) gLo /= 2.0;
            side = 1;
        }
    }
    return std::fabs(gLo) <= std::fabs(gHi) ? lo : hi;
}

// The alpha an answer shows, as its output row shows it, within the range
// that Post hoc accepts: the outputs beside it are those of this alpha, so
// that Post hoc at the alpha shown gives them back.
double ShownAlpha(double a) {
    return std::clamp(ShownOutputValue(a), kSmallestAlpha, kLargestShownAlpha);
}

// The smallest alpha the row can show at or above a, within the same range.
double ShownAlphaAtLeast(double a) {
    return std::clamp(ShownOutputAtLeast(a), kSmallestAlpha, kLargestShownAlpha);
}

// The end of a walk for an objective g that rises with t = log(alpha): from
// alpha 0.05 in steps of logit(alpha) that double, down to the floor of
// 1e-99 while g > 0 and up to the top of 0.9999999999 while g < 0, so that
// an answer near 0.05 is bracketed by a few evaluations next to it and one
// far below 1e-16 by some ten, where evaluations at both ends of the range
// would cost tail sums at 1e-99 and at 1e-10 wherever the answer lies.
// Leaves [lo, hi] with g(lo) < 0 <= g(hi); false where g keeps its sign
// (or is not a number) up to the end it walks to.
bool BracketLogAlpha(PowerAnalysis& test, const std::function<double(double)>& g, double* lo,
                     double* gLo, double* hi, double* gHi) {
    const double floor = std::log(kSmallestAlpha), top = std::log(kLargestAlpha);
    auto logit = [](double t) { return t - std::log1p(-std::exp(t)); };
    auto logAlpha = [](double s) { return -std::log1p(std::exp(-s)); };
    const double sFloor = logit(floor), sTop = logit(top);
    double s = logit(std::log(0.05));
    double t = logAlpha(s), v = g(t);
    for (double step = 1.0;; step *= 2.0) {
        if (test.IsCancelled()) throw CancelledError();
        if (std::isnan(v)) return false;
        if (v >= 0.0) {
            *hi = t, *gHi = v;
            if (s <= sFloor) return false;
            s = std::max(s - step, sFloor);
            t = s == sFloor ? floor : logAlpha(s);
            v = g(t);
            if (v < 0.0) {
                *lo = t, *gLo = v;
                return true;
            }
        } else {
            *lo = t, *gLo = v;
            if (s >= sTop) return false;
            s = std::min(s + step, sTop);
            t = s == sTop ? top : logAlpha(s);
            v = g(t);
            if (v >= 0.0) {
                *hi = t, *gHi = v;
                return true;
            }
        }
    }
}

// Criterion: the alpha whose power is the target, searched on the log
// scale down to the floor of 1e-99, shown as the smallest alpha the row can
// show whose power reaches the target. A target that no alpha in the range
// reaches is reported as an underflow, never as a bracket end; where the
// power at the floor already reaches it and `belowFloor` names the search,
// the answer lies below every alpha the row shows, and the failure says so
// as the other exact tests do.
template <class Test>
double CriterionAlpha(Test& test, double effect, double target, double n,
                      const char* belowFloor = nullptr) {
    test.effectSize = effect;
    test.power = target;
    test.sampleSize = n;
    test.analysisType = kCriterion;
    auto g = [&](double t) { return test.ComputePower(effect, std::exp(t), n) - target; };
    double lo = 0.0, gLo = 0.0, hi = 0.0, gHi = 0.0;
    double a = 0.0;
    bool floorReaches = false;
    try {
        if (!BracketLogAlpha(test, g, &lo, &gLo, &hi, &gHi)) {
            floorReaches = belowFloor != nullptr && g(std::log(kSmallestAlpha)) >= 0.0;
            Underflow();
        }
        const double root = std::exp(RootInLogAlpha(test, "Solver-Alpha", g, lo, gLo, hi, gHi));
        a = ShownAlphaAtLeast(root);
        // The power rises with alpha: the root's own tolerance may have
        // stopped it a shown unit or two above the smallest shown alpha
        // whose power reaches the target.
        for (int i = 0; i < 3 && a > kSmallestAlpha; ++i) {
            const double below = std::max(exact_search::ShownBelow(a), kSmallestAlpha);
            if (!(below < a) || test.ComputePower(effect, below, n) < target) break;
            a = below;
        }
    } catch (const QuorixError&) {
        if (floorReaches) exact_search::NoAlphaAboveFloor(belowFloor);
        Underflow();
    }
    test.distribution->SetNoncentrality(0.0);
    if (std::fabs(target - test.ComputePower(effect, a, n)) > kPowerMismatch) Underflow();
    test.alpha = a;
    return a;
}

// Compromise: the alpha at which beta, summed over the acceptance region,
// is q alpha, searched on the log scale as log(q alpha) - log(beta), which
// grows with alpha. Where even the floor of 1e-99 leaves beta below
// q alpha (or the top leaves it above) no alpha solves it.
template <class Test>
double CompromiseAlpha(Test& test, double effect, double q, double n) {
    test.effectSize = effect;
    test.ratio = q;
    test.sampleSize = n;
    test.analysisType = kCompromise;
    auto g = [&](double t) {
        const double beta = test.ComputeBeta(effect, std::exp(t), n);
        if (std::isnan(beta)) return beta;
        return std::log(q) + t - std::log(beta);
    };
    double lo = 0.0, gLo = 0.0, hi = 0.0, gHi = 0.0;
    if (!BracketLogAlpha(test, g, &lo, &gLo, &hi, &gHi)) NoCompromise();
    const double a =
        ShownAlpha(std::exp(RootInLogAlpha(test, "Solver-Compromise", g, lo, gLo, hi, gHi)));
    test.alpha = a;
    return a;
}

// The solve of each analysis type, shared by both tests: the searches put
// back the shown value when they fail, Criterion reports an unreachable
// target as an underflow.
template <class Test>
void SolveAnalysis(Test& test, AnalysisType type, double rho1, double a, double pw, double q,
                   double n, int direction) {
    switch (type) {
        case kAPriori:
            test.sampleSize = RestoringOnFailure(
                test.sampleSize, [&] { return test.SolveSampleSize(rho1, a, pw, true); });
            break;
        case kSensitivity:
            test.effectDirection = direction == 0 ? -1.0 : 1.0;
            test.effectSize =
                RestoringOnFailure(test.effectSize, [&] { return test.SolveEffectSize(a, pw, n); });
            break;
        case kPostHoc:
            test.power = test.ComputePower(rho1, a, n);
            break;
        case kCriterion:
            test.alpha = test.SolveAlpha(rho1, pw, n);
            test.power = pw;
            break;
        case kCompromise:
            test.alpha = test.SolveCompromise(rho1, q, n);
            test.power = test.ComputePower(rho1, test.alpha, n);
            break;
    }
}

// What both tests start from: an effect of 0.3 against 0 with N = 100.
void SetCorrelationStandardValues(PowerAnalysis& test) {
    test.df = 1.0;
    test.distribution->SetNoncentrality(0.0);
    test.alpha = 0.05;
    test.power = 0.95;
    test.effectSize = 0.3;
    test.sampleSize = 100.0;
    test.effectDirection = 1.0;
    test.ratio = kStandardRatio;
}

// The path of both tests: the tails, the test's H0 design (readNull) and,
// in Sensitivity, the direction of the search ahead of the given inputs;
// the effect rows, alpha and power, N and the ratio in this order; once
// they pass, the tails and the design (takeNull) are taken and the type
// solved by SolveAnalysis.
template <class Test>
CalculateStatus RunCorrelationPath(Test& test, AnalysisType type, PropertyList* inputs,
                                   ParameterId effectId, const std::function<int()>& readNull,
                                   InputTable effect, InputCheck n,
                                   const std::function<void()>& takeNull) {
    int tails = 0, direction = 1;
    ReadCheckSolve path;
    path.effectId = effectId;
    path.readDesign = [&] {
        int tailsRow = -1;
        tails = test.ReadTails(inputs, &tailsRow);
        if (const int row = readNull(); row >= 0) return row;
        if (type == kSensitivity) {
            int directionRow = -1;
            direction = test.ReadEffectDirection(inputs, &directionRow);
        }
        return -1;
    };
    path.checks = JoinChecks({std::move(effect),
                              AlphaPowerChecks(test),
                              {std::move(n), RatioInRange(test, 0.01, 100.0)}});
    path.takeDesign = [&](GivenValues&) {
        // Any other type reads the design and takes nothing.
        if (!(kAPriori <= type && type <= kCompromise)) return;
        test.oneTailed = tails == 0;
        takeNull();
    };
    path.solve = [&](const GivenValues& v) {
        SolveAnalysis(test, type, v.effect, v.alpha, v.power, v.ratio,
                      static_cast<double>(v.sampleSize), direction);
    };
    return RunReadCheckSolve(test, type, inputs, path);
}

// The Sensitivity objective of a search on one side of the H0 value: it
// grows with x on the searched side and stays positive beyond the H0 value,
// so that a bracket never settles on the wrong side.
double SignedObjective(double v, double x, double nullValue, double direction) {
    if (direction > 0.0) return x >= nullValue ? v : v + 1.0;
    return x <= nullValue ? -v : v + 1.0;
}

// Fisher's z of a correlation.
double FisherZ(double r) {
    return 0.5 * (std::log1p(r) - std::log1p(-r));
}

}  // namespace

// ============================================== one correlation (605)

PowerExactOneCorr::PowerExactOneCorr() {
    distribution = new CorrDistribution(0.0, 20.0);
    PowerExactOneCorr::SetStandardValues();
}

void PowerExactOneCorr::SetStandardValues() {
    SetCorrelationStandardValues(*this);
    rhoH0 = 0.0;
}

PowerAnalysis* PowerExactOneCorr::Clone() {
    auto* copy = CloneAs<PowerExactOneCorr>();
    copy->rhoH0 = rhoH0;
    copy->useApproximation = useApproximation;
    copy->exactLimit = exactLimit;
    copy->unreachableCheckN = unreachableCheckN;
    return copy;
}

bool PowerExactOneCorr::Approximates(double n) const {
    const double whole = std::trunc(n);
    return (useApproximation && whole > 3.0) || whole > exactLimit;
}

std::string PowerExactOneCorr::GetMethodText() {
    return Approximates(sampleSize) ? "large sample approximation (Fisher Z)"
                                    : "exact distribution";
}

void PowerExactOneCorr::SetCentralDistribution() {
    if (distribution->GetName() == "Normal") {
        distribution->SetParam(0, 0.0);
        distribution->SetParam(1, 1.0);
    } else {
        distribution->SetNoncentrality(NullValue());
    }
}

void PowerExactOneCorr::SetNoncentralDistribution() {
    if (distribution->GetName() == "Normal") {
        const double s = std::sqrt(1.0 / (sampleSize - 3.0));
        distribution->SetParam(0, (FisherZ(effectSize) - FisherZ(NullValue())) / s);
        distribution->SetParam(1, 1.0);
    } else {
        distribution->SetNoncentrality(effectSize);
    }
}

double PowerExactOneCorr::ComputePower(double effect, double alphaValue, double n) {
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    const double rho0 = NullValue();
    const bool lowerTail = effect < rho0;

    NormalDistribution normal(0.0, 1.0);
    Distribution* d = distribution;
    if (Approximates(n)) {
        d = &normal;
    } else {
        distribution->SetParam(1, n);
        distribution->SetNoncentrality(rho0);
    }
    // Critical values under H0; an upper one as the mirror image of the
    // lower one (r under -rho0, z about 0), since 1 - alpha rounds to 1
    // below 1.1e-16.
    auto upperQuantile = [&](double a) {
        if (d == &normal) return -normal.Quantile(a);
        distribution->SetNoncentrality(-rho0);
        const double x = -distribution->Quantile(a);
        distribution->SetNoncentrality(rho0);
        return x;
    };
    const CriticalValues& c = critical_;
    const bool known = d == distribution && c.n == n && c.alpha == alpha && c.rho0 == rho0 &&
                       c.oneTailed == oneTailed && c.lowerTail == lowerTail;
    if (known) {
        criticalValue = c.upper;
        criticalValue2 = c.lower;
    } else if (d == distribution && rho0 == 0.0) {
        // r is symmetric about 0 under rho = 0: one quantile serves both
        // tails, from the lower one, where alpha keeps all its digits.
        const double lower = d->Quantile(oneTailed ? alpha : alpha / 2.0);
        criticalValue = oneTailed && lowerTail ? lower : -lower;
        criticalValue2 = oneTailed ? criticalValue : lower;
    } else if (oneTailed) {
        criticalValue = lowerTail ? d->Quantile(alpha) : upperQuantile(alpha);
        criticalValue2 = criticalValue;
    } else {
        criticalValue = upperQuantile(alpha / 2.0);
        criticalValue2 = d->Quantile(alpha / 2.0);
    }
    if (d == distribution && !known)
        critical_ = {n, alpha, rho0, oneTailed, lowerTail, criticalValue, criticalValue2};
    // Their probabilities under H1.
    if (d == &normal) {
        normal.SetParam(0, (FisherZ(effect) - FisherZ(rho0)) / std::sqrt(1.0 / (n - 3.0)));
    } else {
        distribution->SetNoncentrality(effect);
    }
    // P(X > x) under H1 from the lower tail of the mirror image (r under
    // -rho, z under -mean), so that a small upper tail keeps its digits.
    auto above = [&](double x) {
        if (d == &normal) {
            NormalDistribution mirror(-normal.GetParam(0), 1.0);
            return mirror.Cdf(-x);
        }
        distribution->SetNoncentrality(-effect);
        const double p = distribution->Cdf(-x);
        distribution->SetNoncentrality(effect);
        return p;
    };
    double result;
    if (oneTailed) {
        const double below = d->Cdf(criticalValue);
        result = lowerTail ? below : 1.0 - below;
        beta_ = std::max(lowerTail ? (wantBeta_ ? above(criticalValue) : 1.0 - below) : below, 0.0);
    } else {
        double upper = 0.0, lower = 0.0;
        if (auto* r = dynamic_cast<CorrDistribution*>(d)) {
            r->CdfPair(criticalValue, criticalValue2, &upper, &lower);
        } else {
            upper = d->Cdf(criticalValue);
            lower = d->Cdf(criticalValue2);
        }
        result = 1.0 - (upper - lower);
        // criticalValue is the upper count here, criticalValue2 the lower;
        // the acceptance region from the side away from the bulk of H1.
        beta_ =
            lowerTail && wantBeta_ ? above(criticalValue2) - above(criticalValue) : upper - lower;
        beta_ = std::max(beta_, 0.0);
        if (GetEffectSize() < 0.0) std::swap(criticalValue, criticalValue2);
    }
    return result;
}

// The alpha shown is the smallest value the row can show whose power
// reaches the target (CriterionAlpha), and the critical values are those
// at it.
double PowerExactOneCorr::SolveAlpha(double effect, double target, double n) {
    const double shown = CriterionAlpha(*this, effect, target, n, "Exact-Correlation");
    ComputePower(effect, shown, n);
    distribution->SetNoncentrality(0.0);
    alpha = shown;
    return shown;
}

// The root rounded to the digits shown, where the power, beta and critical
// values are evaluated after it, so that Post hoc at the alpha shown gives
// them again. Below the smallest alpha Post hoc takes (1e-7) the root
// stands: there beta keeps the seven digits of q alpha at the root.
double PowerExactOneCorr::SolveCompromise(double effect, double q, double n) {
    const double root = CompromiseAlpha(*this, effect, q, n);
    if (root < 1e-7) return root;
    alpha = std::min(ShownOutputValue(root), exact_search::kLargestAlpha);
    return alpha;
}

double PowerExactOneCorr::ComputeBeta(double effect, double alphaValue, double n) {
    wantBeta_ = true;
    try {
        ComputePower(effect, alphaValue, n);
    } catch (...) {
        wantBeta_ = false;
        throw;
    }
    wantBeta_ = false;
    return beta_;
}

void PowerExactOneCorr::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

// The exact power depends on N only through the nearest whole number, so
// the general search, which narrows a step of that function to 1e-10,
// evaluates it some 50 times. Fisher's z gives N to within a pair or two;
// from there a few whole N decide. The general search answers wherever
// this one would leave the exact range or come near its lower end.
double PowerExactOneCorr::SolveSampleSize(double effect, double alphaValue, double target,
                                          bool round) {
    if (round && !Approximates(5.0)) {
        const double rho0 = NullValue();
        const double shift = std::fabs(FisherZ(effect) - FisherZ(rho0));
        double start = 0.0;
        try {
            NormalDistribution normal(0.0, 1.0);
            const double za = normal.Quantile(1.0 - (oneTailed ? alphaValue : alphaValue / 2.0));
            const double zb = normal.Quantile(target);
            start = std::pow((za + zb) / shift, 2.0) + 3.0;
        } catch (const QuorixError&) {
            start = 0.0;
        }
        if (std::isfinite(start) && start < exactLimit) {
            effectSize = effect;
            alpha = alphaValue;
            power = target;
            analysisType = kAPriori;
            const double n = WholeSampleSizeFrom(start, effect, alphaValue, target);
            if (n > 0.0) {
                sampleSize = n;
                actualPower = ComputePower(effect, alphaValue, n);
                return n;
            }
        }
    }
    return PowerExact::SolveSampleSize(effect, alphaValue, target, round);
}

double PowerExactOneCorr::WholeSampleSizeFrom(double start, double effect, double alphaValue,
                                              double target) {
    // Below this N the general search's own lower end may decide.
    constexpr double kLowest = 5.0;
    auto reaches = [&](double n) {
        if (IsCancelled()) throw CancelledError();
        return ComputePower(effect, alphaValue, n) >= target;
    };
    double fails = 0.0, holds = 0.0;  // power(fails) < target <= power(holds)
    double n = std::max(kLowest, std::ceil(start));
    double step = 1.0;
    if (reaches(n)) {
        holds = n;
        for (;;) {
            n = holds - step;
            if (n < kLowest) return 0.0;
            if (!reaches(n)) break;
            holds = n;
            step *= 2.0;
        }
        fails = n;
    } else {
        fails = n;
        for (;;) {
            n = fails + step;
            if (Approximates(n)) return 0.0;
            if (reaches(n)) break;
            fails = n;
            step *= 2.0;
        }
        holds = n;
    }
    while (holds - fails > 1.0) {
        const double mid = std::floor((fails + holds) / 2.0);
        if (reaches(mid)) {
            holds = mid;
        } else {
            fails = mid;
        }
    }
    return holds;
}

void PowerExactOneCorr::BracketEffectSize() {
    const double rho0 = NullValue();
    if (effectDirection > 0.0) {
        BracketFromStart(rho0, kNearOne, (rho0 + 1.0) / 2.0);
    } else {
        BracketFromStart(-kNearOne, rho0, (rho0 - 1.0) / 2.0);
    }
}

double PowerExactOneCorr::SensitivityObjective(double x) {
    const double v = ComputePower(x, alpha, sampleSize) - power;
    return SignedObjective(v, x, NullValue(), effectDirection);
}

bool PowerExactOneCorr::IsTargetPowerUnreachable(const double* effect, double alphaValue,
                                                 double target) {
    const bool chosen = useApproximation;
    useApproximation = true;
    double reached = 0.0;
    try {
        reached = ComputePower(*effect, alphaValue, unreachableCheckN);
    } catch (...) {
        useApproximation = chosen;
        throw;
    }
    useApproximation = chosen;
    return target > reached;
}

bool PowerExactOneCorr::CheckSampleSize(int, double n) {
    return CheckTotalSampleSize(static_cast<int>(std::trunc(n)), 3, kLargestTotalSampleSize);
}

// In A priori the two correlations must differ; the answer of that check
// counts, not only its message.
bool PowerExactOneCorr::CheckEffectSize(int type, double rho1) {
    if (!CheckEffectSizeRange("r", rho1, -0.999999, 0.999999)) return false;
    if (type == kAPriori &&
        !CheckAprioriEffectNonZero("different values for the population and test correlation", rho1,
                                   NullValue()))
        return false;
    return true;
}

void PowerExactOneCorr::BuildInputList(AnalysisType type, PropertyList* inputs) {
    AddTailsInput(inputs);
    if (type == kSensitivity)
        AddEffectDirectionInput(inputs, "r $\\le$ $\\rho$", "r $\\ge$ $\\rho$");
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, kCorrelationRhoH1Id, GetTestId(), std::string(), true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDoubleInput(inputs, kCorrelationRhoH0Id, rhoH0);
}

CalculateStatus PowerExactOneCorr::Calculate(AnalysisType type, PropertyList* inputs) {
    double rho0 = 0.0;
    auto readNull = [&] {
        int rho0Row = -1;
        rho0 = ReadDouble(inputs, kCorrelationRhoH0Id, &rho0Row);
        if (!CheckNamedRange("Correlation $\\rho$ H0", rho0, 0.0)) return rho0Row;
        // At rho0 = +-1 the sample correlation has no distribution under H0
        // to take a critical value from: the open interval the message names.
        if (!(std::fabs(rho0) < 1.0)) {
            messages << "Correlation $\\rho$ H0 is outside the admissible range (-1, 1).";
            return rho0Row;
        }
        return -1;
    };
    // The H0 value enters the check of rho1; the shown one stays until the
    // checks have passed.
    InputCheck rho1{Given::kEffect, [&](const GivenValues& v) {
                        const double shownNull = rhoH0;
                        rhoH0 = rho0;
                        const bool admissible = CheckEffectSize(type, v.effect);
                        rhoH0 = shownNull;
                        return admissible;
                    }};
    InputCheck n{Given::kSampleSize, [this](const GivenValues& v) {
                     return CheckSampleSize(v.Row(Given::kSampleSize),
                                            static_cast<double>(v.sampleSize));
                 }};
    return RunCorrelationPath(*this, type, inputs, kCorrelationRhoH1Id, readNull, {rho1}, n,
                              [&] { rhoH0 = rho0; });
}

OutputTable PowerExactOneCorr::Outputs(AnalysisType type) {
    // Large samples take the normal approximation: its critical z in place
    // of the critical r.
    const bool approximate = Approximates(sampleSize);
    OutputTable table = {LowerCriticalRow(approximate ? kLowerCriticalZId : kLowerCriticalRId),
                         UpperCriticalRow(approximate ? kUpperCriticalZId : kUpperCriticalRId)};
    AppendRows(table, TypeOutputs(type));
    return table;
}

// The list was built with the method of the N held before the calculation;
// the critical values are labelled with the method of the final N.
void PowerExactOneCorr::GetOutputs(AnalysisType type, PropertyList* outputs) {
    // N decides the method, so the rows follow the last result.
    BuildOutputList(type, outputs);
    PowerAnalysis::GetOutputs(type, outputs);
}

// With Fisher's z the curves are drawn on the z scale: a standard normal
// distribution stands in for the distribution of r while they are sampled.
void PowerExactOneCorr::MakeDistributionPlot(PlotData* plot) {
    if (!Approximates(sampleSize)) {
        PowerAnalysis::MakeDistributionPlot(plot);
        return;
    }
    std::unique_ptr<Distribution> exact(distribution);
    NormalDistribution normal(0.0, 1.0);
    distribution = &normal;
    try {
        PowerAnalysis::MakeDistributionPlot(plot);
    } catch (...) {
        distribution = exact.release();
        throw;
    }
    distribution = exact.release();
}

// ==================================== multiple correlation, random model (611)

PowerExactMRC::PowerExactMRC() {
    auto* mrc = new MRCDistribution(0.0, 3.0);
    mrc->SetMethod(0);
    distribution = mrc;
    PowerExactMRC::SetStandardValues();
}

void PowerExactMRC::SetStandardValues() {
    SetCorrelationStandardValues(*this);
    rho2H0 = 0.0;
    predictorCount = 3.0;
}

PowerAnalysis* PowerExactMRC::Clone() {
    auto* copy = CloneAs<PowerExactMRC>();
    copy->rho2H0 = rho2H0;
    copy->SetMethod(method);
    return copy;
}

void PowerExactMRC::SetMethod(int value) {
    method = value;
    static_cast<MRCDistribution*>(distribution)->SetMethod(value);
}

std::string PowerExactMRC::GetMethodText() {
    return method == 0 ? "Exact distribution" : "3-moment F approximation";
}

void PowerExactMRC::SetCentralDistribution() {
    distribution->SetNoncentrality(NullValue());
}

void PowerExactMRC::SetNoncentralDistribution() {
    distribution->SetNoncentrality(effectSize);
}

double PowerExactMRC::ComputePower(double effect, double alphaValue, double n) {
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    Distribution* d = distribution;
    d->SetNoncentrality(NullValue());
    d->SetParam(1, predictorCount + 1.0);
    d->SetParam(2, n);
    // beta is the acceptance region under H1, from the side away from the
    // bulk of H1: the lower tails at the critical values where H1 lies
    // above, the upper tails (Survival) where it lies below.
    if (!oneTailed) {
        criticalValue2 = d->Quantile(alpha / 2.0);
        criticalValue = d->UpperQuantile(alpha / 2.0);
        d->SetNoncentrality(effect);
        if (effect < NullValue()) {
            beta_ = d->Survival(criticalValue2) - d->Survival(criticalValue);
        } else {
            beta_ = d->Cdf(criticalValue) - d->Cdf(criticalValue2);
        }
        beta_ = std::max(beta_, 0.0);
        const double result = 1.0 - beta_;
        if (GetEffectSize() < 0.0) std::swap(criticalValue, criticalValue2);
        return result;
    }
    if (effect < NullValue()) {
        criticalValue = criticalValue2 = d->Quantile(alpha);
        d->SetNoncentrality(effect);
        const double result = d->Cdf(criticalValue);
        // Where the power is near 1 its complement has no digits left.
        beta_ = 1.0 - result;
        if (beta_ < 1e-3) beta_ = std::max(d->Survival(criticalValue), 0.0);
        return result;
    }
    criticalValue = criticalValue2 = d->UpperQuantile(alpha);
    d->SetNoncentrality(effect);
    beta_ = d->Cdf(criticalValue);
    return 1.0 - beta_;
}

// As for one correlation: the smallest alpha the row can show whose power
// reaches the target, with the critical values at it.
double PowerExactMRC::SolveAlpha(double effect, double target, double n) {
    const double shown = CriterionAlpha(*this, effect, target, n);
    ComputePower(effect, shown, n);
    distribution->SetNoncentrality(0.0);
    alpha = shown;
    return shown;
}

double PowerExactMRC::SolveCompromise(double effect, double q, double n) {
    return CompromiseAlpha(*this, effect, q, n);
}

double PowerExactMRC::ComputeBeta(double effect, double alphaValue, double n) {
    ComputePower(effect, alphaValue, n);
    return beta_;
}

void PowerExactMRC::BracketSampleSize() {
    BracketSampleSizeFrom(predictorCount + 2.0, 3.0 * predictorCount + 10.0);
}

void PowerExactMRC::BracketEffectSize() {
    const double rho0 = NullValue();
    if (effectDirection > 0.0) {
        BracketFromStart(rho0, kNearOne, (rho0 + 1.0) / 2.0);
    } else {
        BracketFromStart(1e-10, rho0, rho0 / 2.0);
    }
}

double PowerExactMRC::SensitivityObjective(double x) {
    const double v = ComputePower(x, alpha, sampleSize) - power;
    return SignedObjective(v, x, NullValue(), effectDirection);
}

bool PowerExactMRC::IsTargetPowerUnreachable(const double* effect, double alphaValue,
                                             double target) {
    return target > ComputePower(*effect, alphaValue, 100000.0);
}

// The smallest N is that of the calculation: with N = p + 1 the fit is
// perfect and R^2 has no distribution to test with.
bool PowerExactMRC::CheckSampleSize(int, double n) {
    return CheckTotalSampleSize(static_cast<int>(std::trunc(n)),
                                static_cast<int>(std::trunc(predictorCount)) + 2,
                                kLargestTotalSampleSize);
}

// The message names the row it marks, "H1 rho^2": there is no "Effect size
// r" among this test's inputs.
bool PowerExactMRC::CheckEffectSize(int, double rho2) {
    return CheckValueRange(ParameterNames[kH1Rho2Id], rho2, 1e-6, 0.999999);
}

void PowerExactMRC::BuildInputList(AnalysisType type, PropertyList* inputs) {
    AddTailsInput(inputs);
    const GivenInputs given = GivenInputsOf(type);
    if (type == kSensitivity)
        AddEffectDirectionInput(inputs, "$\\rho$$^2$ H1$\\le$H0", "$\\rho$$^2$ H1$\\ge$H0");
    if (given.effect) AddEffectSizeInput(inputs, kH1Rho2Id, GetTestId(), std::string(), true);
    AddDoubleInput(inputs, kH0Rho2Id, rho2H0);
    if (given.alpha) AddAlphaInput(inputs);
    if (given.power) AddPowerInput(inputs);
    if (given.ratio) AddRatioInput(inputs);
    if (given.sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddLongInput(inputs, 0, kNumberOfPredictorsId);
}

CalculateStatus PowerExactMRC::Calculate(AnalysisType type, PropertyList* inputs) {
    double rho0 = 0.0;
    long p = 0;
    auto readNull = [&] {
        int rho0Row = -1, predictorsRow = -1;
        rho0 = ReadDouble(inputs, kH0Rho2Id, &rho0Row);
        if (!CheckProportion("H0 $\\rho$$^2$", rho0)) return rho0Row;
        p = ReadCountById(inputs, kNumberOfPredictorsId, &predictorsRow);
        if (!CheckAtLeastOnePredictor(static_cast<int>(p))) return predictorsRow;
        return -1;
    };
    InputTable rho1{{Given::kEffect, [this, type](const GivenValues& v) {
                         return CheckEffectSize(type, v.effect);
                     }}};
    if (type == kAPriori) {
        rho1.push_back({Given::kEffect, [&](const GivenValues& v) {
                            return CheckAprioriEffectNonZero(
                                "different values for the population and test correlation",
                                v.effect, rho0);
                        }});
    }
    // N in [p + 2, largest]; p + 2 computed wide, p may be near the long's
    // end.
    InputCheck n{Given::kSampleSize, [&](const GivenValues& v) {
                     if (static_cast<double>(p) + 2.0 <= static_cast<double>(v.sampleSize) &&
                         v.sampleSize <= kLargestTotalSampleSize)
                         return true;
                     messages << "Total sample size is outside the admissible range (" << p + 2
                              << ", " << kLargestTotalSampleSize << ")";
                     return false;
                 }};
    return RunCorrelationPath(*this, type, inputs, kH1Rho2Id, readNull, std::move(rho1), n, [&] {
        rho2H0 = rho0;
        predictorCount = static_cast<double>(p);
    });
}

OutputTable PowerExactMRC::Outputs(AnalysisType type) {
    OutputTable table = {LowerCriticalRow(kLowerCriticalR2Id),
                         UpperCriticalRow(kUpperCriticalR2Id)};
    AppendRows(table, TypeOutputs(type));
    return table;
}
