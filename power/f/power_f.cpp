#include "power/f/power_f.h"

#include <cmath>
#include <utility>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "distributions/f.h"
#include "numerics/quorix_error.h"

PowerF::PowerF() {
    distribution = new FDistribution(10.0, 20.0, 0.0, 1.0);
    SetDf(10.0, 20.0);
}

void PowerF::SetDf(double numerator, double denominator) {
    numeratorDf = numerator;
    denominatorDf = denominator;
    distribution->SetParam(1, numerator);
    distribution->SetParam(2, denominator);
}

void PowerF::CopyStateTo(PowerAnalysis& target) const {
    PowerAnalysis::CopyStateTo(target);
    auto& copy = static_cast<PowerF&>(target);
    copy.extraCount = extraCount;
}

double PowerF::ComputePower(double effect, double alphaValue, double n) {
    // The distribution may have been drawn with other df since; a design
    // derives its df from the N being tried.
    distribution->SetParam(1, numeratorDf);
    distribution->SetParam(2, denominatorDf);
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    UpdateDf();
    return PowerAnalysis::ComputePower(effect, alphaValue, n);
}

double PowerF::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    return ComputePower(effect, alphaValue, n1 + n2);
}

namespace {

// The objective on the critical value c, rising with c: target - P1(F > c)
// for Criterion, P1(F <= c) - q P0(F > c) for Compromise, P0 central and
// P1 with the noncentrality of the effect.
class CriticalValueObjective : public Root {
  public:
    CriticalValueObjective(PowerAnalysis& test, double lambda, double given, bool compromise)
        : test_(test), lambda_(lambda), given_(given), compromise_(compromise) {}

    bool IsCancelled() override { return test_.IsCancelled(); }
    double Evaluate(double c) override {
        Distribution& d = *test_.distribution;
        d.SetNoncentrality(lambda_);
        if (!compromise_) return given_ - d.Survival(c);
        const double beta = d.Cdf(c);
        d.SetNoncentrality(0.0);
        return beta - given_ * d.Survival(c);
    }

  private:
    PowerAnalysis& test_;
    double lambda_, given_;
    bool compromise_;
};

}  // namespace

bool PowerF::SolveOnCriticalValue(double effect, double given, double n, bool compromise,
                                  double* result) {
    constexpr int kMaxWalk = 200;
    distribution->SetParam(1, numeratorDf);
    distribution->SetParam(2, denominatorDf);
    effectSize = effect;
    sampleSize = n;
    UpdateDf();
    const double lambda = NoncentralityFromEffect(effect);
    if (!(0.0 <= lambda && lambda <= kLargestLambda)) return false;
    CriticalValueObjective objective(*this, lambda, given, compromise);
    // The objective is negative at c = 0 and positive far out: walk from the
    // mean of the noncentral numerator over its df, doubling or halving.
    double lo = (numeratorDf + lambda) / numeratorDf, hi = lo;
    if (!(lo > 0.0 && std::isfinite(lo))) return false;
    double value = objective.Evaluate(lo);
    for (int i = 0; value < 0.0; ++i) {
        if (i == kMaxWalk) return false;
        lo = hi;
        hi *= 2.0;
        value = objective.Evaluate(hi);
    }
    for (int i = 0; value > 0.0; ++i) {
        if (i == kMaxWalk) return false;
        hi = lo;
        lo /= 2.0;
        value = objective.Evaluate(lo);
    }
    if (std::isnan(value)) return false;
    const double c = lo == hi ? lo : objective.Solve(lo, hi, 1e-10, 100);
    if (objective.status != Root::kConverged) return false;
    distribution->SetNoncentrality(0.0);
    const double a = distribution->Survival(c);
    if (!(1e-99 <= a && a <= 1.0)) return false;
    *result = a;
    return true;
}

bool PowerF::CheckEffectSize(int, double lambda) {
    return CheckLambda(lambda);
}

bool PowerF::CheckLambda(double lambda) {
    return CheckNoncentralityNonNegative("$\\lambda$", lambda) &&
           CheckValueRange(ParameterNames[kNoncentralityLambdaId], lambda, 0.0, kLargestLambda);
}

bool PowerF::CheckNoncentralityComputable(double lambda) {
    if (lambda <= kLargestLambda) return true;
    messages << "The noncentrality parameter of this design (" << lambda << ") is beyond "
             << kLargestLambda << ",\nthe largest the F distribution computes.";
    return false;
}

bool PowerF::CheckCompoundCorrelation(double rho, int m) {
    const double lowest = -1.0 / (m - 1.0);
    if (rho > lowest) return true;
    messages << "Correlation between repeated measures\nmust be greater than " << lowest << " with "
             << m << " measurements.";
    return false;
}

CalculateStatus PowerF::RunSearchingDesign(AnalysisType type, PropertyList* inputs,
                                           const ReadCheckSolve& path, const int& designRow,
                                           const std::function<bool()>& explain) {
    try {
        return RunReadCheckSolve(*this, type, inputs, path);
    } catch (const QuorixError& e) {
        if ((type != kAPriori && type != kSensitivity) || e.GetCode() != QuorixError::kOutOfRange ||
            designRow < 0) {
            throw;
        }
        ClearMessage();
        if (!explain()) throw;
        return designRow;
    }
}

// ------------------------------------------------------ read, check, solve

ReadCheckSolve PowerF::DesignPath(AnalysisType type, Hook<int()> readDesign,
                                  SmallFunction<void(const GivenValues&), 64> takeDesign) {
    ReadCheckSolve path;
    path.effectId = GetEffectSizeId();
    path.readDesign = std::move(readDesign);
    path.takeDesign = [this, type, takeDesign = std::move(takeDesign)](GivenValues& v) {
        takeDesign(v);
        if (type == kSensitivity) sampleSize = static_cast<double>(v.sampleSize);
    };
    // The last evaluation of the search need not be at the answer.
    path.afterCriterion = [this](const GivenValues&) { SetCentralCriticalValue(alpha); };
    return path;
}

InputTable PowerF::EffectAlphaPowerChecks(SmallFunction<bool(double), 32> effectPasses) {
    InputTable checks;
    checks.reserve(4);
    checks.push_back(EffectPasses(std::move(effectPasses)));
    checks.push_back(AlphaInRange(*this));
    checks.push_back(PowerInRange(*this));
    checks.push_back(PowerAboveAlpha(*this));
    return checks;
}

InputTable PowerF::GroupChecks(int smallest, SmallFunction<bool(int total), 32> totalPasses) {
    // The inputs hold 32-bit values, so each size fits an int; their sum
    // need not.
    return {
        {Given::kSampleSize1,
         [this, smallest](const GivenValues& v) {
             return CheckSampleSizeMinimum(static_cast<int>(v.sampleSize1), smallest);
         }},
        {Given::kSampleSize2,
         [this, smallest](const GivenValues& v) {
             return CheckSampleSizeMinimum(static_cast<int>(v.sampleSize2), smallest);
         }},
        {Given::kSampleSize1,
         [totalPasses = std::move(totalPasses)](const GivenValues& v) {
             return totalPasses(GroupSizeSum(v.sampleSize1, v.sampleSize2));
         },
         Given::kSampleSize2},
    };
}
