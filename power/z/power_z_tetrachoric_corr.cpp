#include "power/z/power_z_tetrachoric_corr.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "distributions/bivariate_normal.h"
#include "distributions/normal.h"
#include "numerics/quorix_error.h"
#include "power/z/tetrachoric.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRhoLimit = 0.999999;

double PhiInverse(double p) {
    NormalDistribution n(0.0, 1.0);
    return n.Quantile(p);
}

// The Bonett-Price terms of a table of proportions with cells a = p00,
// b = p10, c = p01, d = p11.
struct BonettPrice {
    double omega, c;
};

BonettPrice Terms(const double* p) {
    const double a = p[0], b = p[1], c = p[2], d = p[3];
    const double m = std::min({a + b, c + d, a + c, b + d});
    return {a * d / (b * c),
            (1.0 - std::fabs((a + b) - (a + c)) / 5.0 - std::pow(0.5 - m, 2)) / 2.0};
}

double SeLogOmega(const double* p, double n) {
    return std::sqrt((1.0 / p[0] + 1.0 / p[1] + 1.0 / p[2] + 1.0 / p[3]) / n);
}

}  // namespace

PowerZTetrachoricCorr::PowerZTetrachoricCorr() {
    PowerZTetrachoricCorr::SetStandardValues();
}

PowerAnalysis* PowerZTetrachoricCorr::Clone() {
    auto* copy = CloneAs<PowerZTetrachoricCorr>();
    copy->useApproximation = useApproximation;
    copy->rawScale = rawScale;
    return copy;
}

void PowerZTetrachoricCorr::CopyStateTo(PowerAnalysis& target) const {
    PowerZ::CopyStateTo(target);
    auto& copy = static_cast<PowerZTetrachoricCorr&>(target);
    copy.h0Rho = h0Rho;
    copy.marginalX = marginalX;
    copy.marginalY = marginalY;
    std::copy(std::begin(cells), std::end(cells), std::begin(copy.cells));
    copy.cachedRho = cachedRho;
    copy.cachedX = cachedX;
    copy.cachedY = cachedY;
    copy.standardError0 = standardError0;
    copy.standardError1 = standardError1;
    copy.mean0 = mean0;
    copy.mean1 = mean1;
    copy.expectedR0 = expectedR0;
    copy.expectedR1 = expectedR1;
    copy.criticalRLower = criticalRLower;
    copy.criticalRUpper = criticalRUpper;
    copy.reportedLower = reportedLower;
    copy.reportedUpper = reportedUpper;
}

void PowerZTetrachoricCorr::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    h0Rho = -0.1;
    marginalX = 0.6;
    marginalY = 0.3;
    cachedRho = cachedX = cachedY = 10.0;
    effectSize = 0.1;
    sampleSize = 100.0;
    groupSize1 = groupSize2 = 50.0;
    effectDirection = 1.0;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
}

// ----------------------------------------------------------------- model

void PowerZTetrachoricCorr::ComputeCellProbabilities(double rho, double px, double py) {
    if (rho == cachedRho && px == cachedX && py == cachedY) return;
    const double zx = PhiInverse(1.0 - px), zy = PhiInverse(1.0 - py);
    const double p = BivariateNormalCdf(zx, zy, 0.0, 0.0, 1.0, 1.0, rho, 1e-7);
    cells[0] = p;
    cells[1] = (1.0 - py) - p;
    cells[2] = (1.0 - px) - p;
    cells[3] = px + py - 1.0 + p;
    cachedRho = rho;
    cachedX = px;
    cachedY = py;
}

double PowerZTetrachoricCorr::StandardErrorOfR(double rho, double px, double py, double n) {
    ComputeCellProbabilities(rho, px, py);
    const double* p = cells;
    if (!useApproximation) return TetrachoricStandardError(p[0], p[1], p[2], p[3], rho, n);
    const BonettPrice t = Terms(p);
    const double wc = std::pow(t.omega, t.c);
    return SeLogOmega(p, n) * t.c * kPi * wc * std::sin(kPi / (1.0 + wc)) / std::pow(1.0 + wc, 2);
}

double PowerZTetrachoricCorr::ExpectedR(double rho, double px, double py) {
    ComputeCellProbabilities(rho, px, py);
    const double* p = cells;
    if (useApproximation) {
        const BonettPrice t = Terms(p);
        return std::cos(kPi / (1.0 + std::pow(t.omega, t.c)));
    }
    return EstimateTetrachoricR(100.0 * p[0], 100.0 * p[1], 100.0 * p[2], 100.0 * p[3]).r;
}

double PowerZTetrachoricCorr::GetNoncentralSD() {
    const double rho0 = h0Rho, rho1 = effectSize;
    const double px = marginalX, py = marginalY, n = sampleSize;
    standardError0 = StandardErrorOfR(rho0, px, py, n);
    standardError1 = StandardErrorOfR(rho1, px, py, n);
    mean0 = ExpectedR(rho0, px, py);
    mean1 = ExpectedR(rho1, px, py);
    if (!useApproximation) {
        expectedR0 = mean0;
        expectedR1 = mean1;
        mean0 = rho0;
        mean1 = rho1;
    }
    if (rawScale) {
        nullSD = standardError0;
        noncentralSD = standardError1;
    } else {
        nullSD = 1.0;
        noncentralSD = standardError1 / standardError0;
    }
    return noncentralSD;
}

void PowerZTetrachoricCorr::SetCentralDistribution() {
    GetNoncentralSD();
    if (rawScale) {
        SetNormal(mean0, standardError0);
    } else {
        SetNormal(0.0, 1.0);
    }
}

void PowerZTetrachoricCorr::SetNoncentralDistribution() {
    GetNoncentralSD();
    const double se0 = standardError0;
    if (rawScale) {
        SetNormal(mean1, standardError1);
    } else {
        SetNormal((mean1 - mean0) / se0, standardError1 / se0);
    }
}

double PowerZTetrachoricCorr::ComputePower(double effect, double alphaValue, double n) {
    sampleSize = n;
    effectSize = effect;
    alpha = alphaValue;
    GetNoncentralSD();
    const double se0 = standardError0, se1 = standardError1;
    return PowerOfShift(effect - h0Rho, alphaValue, 1.0, (mean1 - mean0) / se0, se1 / se0);
}

void PowerZTetrachoricCorr::ComputeCriticalR() {
    const double z = PhiInverse(alpha / 2.0);
    const double rho0 = h0Rho, px = marginalX, py = marginalY;
    if (!useApproximation) {
        const double se0 = StandardErrorOfR(rho0, px, py, sampleSize);
        criticalRLower = rho0 + z * se0;
        criticalRUpper = rho0 - z * se0;
        return;
    }
    ComputeCellProbabilities(rho0, px, py);
    const double* p = cells;
    const BonettPrice t = Terms(p);
    const double se = SeLogOmega(p, sampleSize);
    criticalRLower = std::cos(kPi / (1.0 + std::pow(t.omega * std::exp(z * se), t.c)));
    criticalRUpper = std::cos(kPi / (1.0 + std::pow(t.omega * std::exp(-z * se), t.c)));
}

void PowerZTetrachoricCorr::ReportCriticalR() {
    // A critical r is a correlation: at a small N or an extreme margin the
    // standard error is large enough to carry rho0 +- z se0 beyond either
    // end, which is held at the end it passed.
    auto correlation = [](double r) { return std::clamp(r, -1.0, 1.0); };
    double lower = correlation(criticalRLower);
    double upper = correlation(criticalRUpper);
    if (oneTailed) {
        const double rho0 = h0Rho, se0 = standardError0;
        const double cv = std::fabs(criticalValue);
        lower = upper = correlation(effectSize - rho0 > 0.0 ? rho0 + cv * se0 : rho0 - cv * se0);
    }
    reportedLower = lower;
    reportedUpper = upper;
}

void PowerZTetrachoricCorr::BracketSampleSize() {
    BracketSampleSizeFrom(2.0, 100.0);
}

void PowerZTetrachoricCorr::BracketEffectSize() {
    BracketCorrelationSide(h0Rho, 1.0);
}

double PowerZTetrachoricCorr::SensitivityObjective(double x) {
    const double p = ComputePower(x, alpha, sampleSize) - power;
    const double rho0 = h0Rho;
    if (effectDirection > 0.0) return x >= rho0 ? p : p + 1.0;
    return x <= rho0 ? -p : p + 1.0;
}

// --------------------------------------------------------------- checks

bool PowerZTetrachoricCorr::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 2, kLargestTotalSampleSize);
}

// A margin within 1e-15 of 0 or 1 leaves the other side of its threshold
// with less than one digit of the doubles the table is computed in (at 1e-300,
// 1 - p rounds to 1 and the threshold is infinite, as at a margin of 0).
bool PowerZTetrachoricCorr::MarginComputable(double p, const char* variable) {
    if (1e-15 <= p && p <= 1.0 - 1e-15) return true;
    messages << "Margin proportion of variable " << variable
             << " is too close to 0 or 1:\nits threshold cannot be computed.";
    return false;
}

// As |rho| nears 1 the standard error of r vanishes and its variance, a
// difference of nearly equal terms, may come out negative: the test has no
// distribution of r there.
bool PowerZTetrachoricCorr::StandardErrorComputable(double rho, double px, double py,
                                                    const char* hypothesis) {
    try {
        const double se = StandardErrorOfR(rho, px, py, 100.0);
        if (std::isfinite(se) && se > 0.0) return true;
    } catch (const QuorixError&) {
    }
    messages << "The standard error of r under " << hypothesis
             << " cannot be computed at this correlation\nwith these margins.";
    return false;
}

bool PowerZTetrachoricCorr::CheckEffectSize(int type, double rho1) {
    if (type != kAPriori || std::fabs(rho1 - h0Rho) >= 1e-6) return true;
    messages << "Effect size to small (|H0 rho - H1 rho| < 1e-6)";
    return false;
}

// --------------------------------------------------------- lists and run

void PowerZTetrachoricCorr::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    if (type == kSensitivity) {
        AddEffectDirectionInput(inputs, "$\\rho$ H1 $\\le$ $\\rho$ H0",
                                "$\\rho$ H1 $\\ge$ $\\rho$ H0");
    }
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, kH1CorrRhoId, kTetrachoricTestId, "", true); });
    if (type != kAPriori) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDoubleInputByLabel(inputs, ParameterNames[kH0CorrRhoId], h0Rho);
    AddDoubleInputByLabel(inputs, ParameterNames[kMarginalPropXId], marginalX);
    AddDoubleInputByLabel(inputs, ParameterNames[kMarginalPropYId], marginalY);
}

int PowerZTetrachoricCorr::ReadModel(PropertyList* inputs) {
    int row0 = -1, rowX = -1, rowY = -1;
    const double rho0 = ReadDouble(inputs, kH0CorrRhoId, &row0);
    if (!(-kRhoLimit <= rho0 && rho0 <= kRhoLimit)) {
        messages << "The H0 correlation must lie in the interval [-0.999999, 0.999999].";
        return row0;
    }
    // A margin of 0 or 1 puts a threshold at infinity: no table at all.
    const double px = ReadDouble(inputs, kMarginalPropXId, &rowX);
    if (!(0.0 < px && px < 1.0)) {
        messages << "Margin proportion of variable x must lie in the interval (0,1).";
        return rowX;
    }
    const double py = ReadDouble(inputs, kMarginalPropYId, &rowY);
    if (!(0.0 < py && py < 1.0)) {
        messages << "Margin proportion of variable y must lie in the interval (0,1).";
        return rowY;
    }
    if (!MarginComputable(px, "x")) return rowX;
    if (!MarginComputable(py, "y")) return rowY;
    if (!StandardErrorComputable(rho0, px, py, "H0")) return row0;
    // Taken at once, and kept when a later input is refused: the check of
    // the effect reads rho0.
    h0Rho = rho0;
    marginalX = px;
    marginalY = py;
    return -1;
}

CalculateStatus PowerZTetrachoricCorr::Calculate(AnalysisType type, PropertyList* inputs) {
    OwnInputs own;
    own.afterTails = [this, inputs] { return ReadModel(inputs); };
    own.take = [this, type](GivenValues& v) {
        if (type == kAPriori) return;
        // Every search and power runs over the two halves of N.
        sampleSize = static_cast<double>(v.sampleSize);
        groupSize1 = groupSize2 = sampleSize / 2.0;
    };
    own.sensitivityDirection = true;
    int tails = 0;
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kTotal, tails, &own);
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        return FamilyChecks(
            {{Given::kEffect,
              [this, type](const GivenValues& v) {
                  return CheckEffectSizeRange("H1 corr $\\rho$", v.effect, -kRhoLimit, kRhoLimit) &&
                         CheckEffectSize(type, v.effect) &&
                         StandardErrorComputable(v.effect, marginalX, marginalY, "H1");
              }}},
            {SampleSizeAtLeast(*this, 2)});
    });
    path.afterSampleSize = [this](double n, const GivenValues& v) {
        sampleSize = n;
        groupSize1 = groupSize2 = n / 2.0;
        actualPower = ComputePower2(v.effect, v.alpha, n / 2.0, n / 2.0);
    };
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower(v.effect, alpha, static_cast<double>(v.sampleSize));
    };
    const CalculateStatus outcome = RunReadCheckSolve(*this, type, inputs, path);
    if (outcome != kCalculateDone) return outcome;
    // The model at the effect found, and the critical r of the answer.
    if (type == kSensitivity) ComputePower(effectSize, alpha, sampleSize);
    ComputeCriticalR();
    ReportCriticalR();
    return outcome;
}

OutputTable PowerZTetrachoricCorr::Outputs(AnalysisType type) {
    // The solved rho1 is shown with either method: the exact one lists it
    // below.
    OutputTable table = TestOutputs(type, useApproximation ? kH1CorrRhoId : -1);
    if (useApproximation) {
        AppendRows(table, {Row(kH1CorrRhoStarId, [this] { return mean1; }),
                           Row(kH0CorrRhoStarId, [this] { return mean0; }),
                           Row(kCriticalRStarLwrId, [this] { return reportedLower; }),
                           Row(kCriticalRStarUprId, [this] { return reportedUpper; }),
                           Row(kStdErrRStarId, [this] { return standardError0; })});
    } else {
        // The exact r of the expected H1 table; in Sensitivity the solved
        // rho1 itself, which it reproduces.
        AppendRows(table,
                   {Row(kH1CorrRhoId,
                        [this, type] { return type == kSensitivity ? effectSize : expectedR1; }),
                    Row(kH0CorrRhoId, [this] { return expectedR0; }),
                    Row(kCriticalRLwrId, [this] { return reportedLower; }),
                    Row(kCriticalRUprId, [this] { return reportedUpper; }),
                    Row(kStdErrRId, [this] { return standardError0; })});
    }
    return table;
}
