#include "power/z/power_z_two_dep_corr.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "analysis/family_support.h"
#include "numerics/quorix_error.h"

namespace {

enum Entry { kAb = 0, kSecond = 1, kAc = 2, kAd = 3, kBc = 4, kBd = 5 };

constexpr double kCorrelationMargin = 1e-6;

}  // namespace

PowerZTwoDepCorrNCI::PowerZTwoDepCorrNCI() {
    PowerZTwoDepCorrNCI::SetStandardValues();
}

void PowerZTwoDepCorrNCI::CopyStateTo(PowerAnalysis& target) const {
    PowerZ::CopyStateTo(target);
    auto& copy = static_cast<PowerZTwoDepCorrNCI&>(target);
    std::copy(std::begin(correlations), std::end(correlations), std::begin(copy.correlations));
}

PowerAnalysis* PowerZTwoDepCorrNCI::Clone() {
    auto* copy = CloneAs<PowerZTwoDepCorrNCI>();
    copy->checkMatrix = checkMatrix;
    copy->standardError0 = standardError0;
    return copy;
}

std::string PowerZTwoDepCorrNCI::GetTestName() {
    return "Correlations: Two dependent Pearson r's (no common index)";
}

void PowerZTwoDepCorrNCI::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    groupSize1 = 100.0;
    groupSize2 = 0.0;
    sampleSize = 100.0;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
    correlations[kAb] = 0.1;
    effectSize = correlations[kSecond] = 0.15;
    correlations[kAc] = 0.7;
    correlations[kAd] = 0.6;
    correlations[kBc] = 0.4;
    correlations[kBd] = 0.41;
    effectDirection = 1.0;
    distribution->SetParam(1, nullSD);
}

// ----------------------------------------------------------------- model

double PowerZTwoDepCorrNCI::Covariance(double cd) {
    const double ab = correlations[kAb], ac = correlations[kAc], ad = correlations[kAd];
    const double bc = correlations[kBc], bd = correlations[kBd];
    const double sum = (ac - ab * bc) * (bd - bc * cd) + (ad - ac * cd) * (bc - ab * ac) +
                       (ac - ad * cd) * (bd - ab * ad) + (ad - ab * bd) * (bc - bd * cd);
    return 0.5 * sum / ((1.0 - ab * ab) * (1.0 - cd * cd));
}

double PowerZTwoDepCorrNCI::GetNoncentralSD() {
    const double c0 = Covariance(correlations[kAb]);
    const double c1 = Covariance(correlations[kSecond]);
    const double n = sampleSize;
    standardError0 = std::sqrt((2.0 - 2.0 * c0) / (n - 3.0));
    const double se1 = std::sqrt((2.0 - 2.0 * c1) / (n - 3.0));
    noncentralSD = se1 / standardError0;
    return noncentralSD;
}

double PowerZTwoDepCorrNCI::Shift() {
    return (std::atanh(correlations[kSecond]) - std::atanh(correlations[kAb])) / standardError0;
}

void PowerZTwoDepCorrNCI::SetCentralDistribution() {
    correlations[kSecond] = effectSize;
    GetNoncentralSD();
    SetNormal(0.0, 1.0);
}

void PowerZTwoDepCorrNCI::SetNoncentralDistribution() {
    correlations[kSecond] = effectSize;
    const double sd = GetNoncentralSD();
    SetNormal(Shift(), sd);
}

double PowerZTwoDepCorrNCI::ComputePower(double effect, double alphaValue, double n) {
    effectSize = correlations[kSecond] = effect;
    alpha = alphaValue;
    sampleSize = n;
    const double sd = GetNoncentralSD();
    return PowerOfShift(effect - correlations[kAb], alphaValue, 1.0, Shift(), sd);
}

double PowerZTwoDepCorrNCI::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    return ComputePower(effect, alphaValue, n1 + n2);
}

void PowerZTwoDepCorrNCI::BracketSampleSize() {
    BracketSampleSizeFrom(4.0, 100.0);
}

void PowerZTwoDepCorrNCI::BracketEffectSize() {
    BracketCorrelationSide(correlations[kAb], 0.9999999999);
}

double PowerZTwoDepCorrNCI::SensitivityObjective(double x) {
    const double p = ComputePower(x, alpha, sampleSize) - power;
    return effectDirection > 0.0 ? p : -p;
}

// --------------------------------------------------------------- matrix

Matrix PowerZTwoDepCorrNCI::CorrelationMatrix(double cd) {
    const double ab = correlations[kAb], ac = correlations[kAc], ad = correlations[kAd];
    const double bc = correlations[kBc], bd = correlations[kBd];
    Matrix r(4, 4);
    r = 1.0, ab, ac, ad,  //
        ab, 1.0, bc, bd,  //
        ac, bc, 1.0, cd,  //
        ad, bd, cd, 1.0;
    return r;
}

bool PowerZTwoDepCorrNCI::CheckMatrix(double second, const std::string& label) {
    if (!checkMatrix) return true;
    const Matrix r = CorrelationMatrix(second);
    ComplexVector w;
    Matrix unusedLeft, unusedRight;
    EigenValues('N', 'N', r, w, unusedLeft, unusedRight);
    for (int i = 0; i < w.extent(0); ++i) {
        if (w(i).real() < 0.0) {
            ClearMessage();
            messages << label << "The correlation matrix is not valid,\nthat is, not positive "
                     << "semi-definite.";
            return false;
        }
    }
    return true;
}

bool PowerZTwoDepCorrNCI::CheckBothMatrices(double effect) {
    return CheckMatrix(correlations[kAb], "Under H0:\n") && CheckMatrix(effect, "Under H1:\n");
}

bool PowerZTwoDepCorrNCI::CheckEffectSize(int, double effect) {
    return CheckMatrix(effect, "");
}

bool PowerZTwoDepCorrNCI::AdjustSensitivityEffect(double* effect) {
    if (!CheckMatrix(*effect, "")) *effect = 2.0;
    return *effect < 2.0;
}

bool PowerZTwoDepCorrNCI::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 4, kLargestTotalSampleSize);
}

bool PowerZTwoDepCorrNCI::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n1 + n2), 4, kLargestTotalSampleSize);
}

// --------------------------------------------------------- lists and run

std::vector<PowerZTwoDepCorrNCI::GivenCorrelation> PowerZTwoDepCorrNCI::GivenCorrelations() {
    return {{kH0CorrRhoAbId, "Corr $\\rho$_ab", kAb},
            {kCorrRhoAcId, "Corr $\\rho$_ac", kAc},
            {kCorrRhoAdId, "Corr $\\rho$_ad", kAd},
            {kCorrRhoBcId, "Corr $\\rho$_bc", kBc},
            {kCorrRhoBdId, "Corr $\\rho$_bd", kBd}};
}

std::string PowerZTwoDepCorrNCI::DirectionOption(bool above) {
    return above ? "$\\rho$_cd $\\ge$ $\\rho$_ab" : "$\\rho$_cd $\\le$ $\\rho$_ab";
}

void PowerZTwoDepCorrNCI::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    if (type == kSensitivity) {
        AddEffectDirectionInput(inputs, DirectionOption(false), DirectionOption(true));
    }
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (type != kAPriori) AddSampleSizeInput(inputs, kSampleSizeId);
    for (const GivenCorrelation& given : GivenCorrelations()) {
        AddDoubleInput(inputs, given.id, correlations[given.index]);
    }
}

int PowerZTwoDepCorrNCI::ReadCorrelations(PropertyList* inputs, int* matrixRow) {
    // The given correlations, checked in their input order; the second one
    // read names the row of a matrix that is not valid.
    double given[6];
    std::copy(std::begin(correlations), std::end(correlations), std::begin(given));
    int count = 0;
    for (const GivenCorrelation& g : GivenCorrelations()) {
        int row = -1;
        const double r = ReadDouble(inputs, g.id, &row);
        if (!CheckNamedRange(g.name, r, kCorrelationMargin)) return row;
        given[g.index] = r;
        if (++count == 2) *matrixRow = row;
    }
    // The matrix checks read the correlations as given.
    std::copy(std::begin(given), std::end(given), std::begin(correlations));
    return -1;
}

CalculateStatus PowerZTwoDepCorrNCI::Calculate(AnalysisType type, PropertyList* inputs) {
    double before[6];
    std::copy(std::begin(correlations), std::end(correlations), std::begin(before));
    int tails = 0, matrixRow = -1;
    GivenValues given;
    bool solving = false;
    OwnInputs own;
    own.afterTails = [this, inputs, &matrixRow] { return ReadCorrelations(inputs, &matrixRow); };
    own.take = [&](GivenValues& v) {
        allocationRatio = 1.0;
        given = v;
        solving = true;
    };
    own.sensitivityDirection = true;
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kTotal, tails, &own);
    path.sampleSizeId = kSampleSizeId;
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this, type] {
        InputTable effect = {
            EffectInRange("r_cd", kCorrelationMargin - 1.0, 1.0 - kCorrelationMargin)};
        if (type == kAPriori) {
            effect.push_back({Given::kEffect, [this](const GivenValues& v) {
                                  if (std::fabs(v.effect - correlations[kAb]) > 1e-6) return true;
                                  messages << "Effect size must not be zero, i.e. check that "
                                              "|r_cd - r_ab| > 1e-6.";
                                  return false;
                              }});
        }
        return FamilyChecks(std::move(effect),
                            {TotalSampleSizeIn(*this, 4, kLargestTotalSampleSize)});
    });
    // Sensitivity knows only rho_ab; the effect found is checked after.
    path.checkDesign = [this, type, &matrixRow](const GivenValues& v) {
        const bool valid = type == kSensitivity ? CheckMatrix(correlations[kAb], "Under H0:\n")
                                                : CheckBothMatrices(v.effect);
        return valid ? -1 : matrixRow;
    };
    path.afterSampleSize = [this](double n, const GivenValues& v) {
        sampleSize = n;
        actualPower = ComputePower(v.effect, v.alpha, n);
    };
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower(v.effect, alpha, static_cast<double>(v.sampleSize));
    };
    CalculateStatus outcome = kCalculateDone;
    try {
        outcome = RunReadCheckSolve(*this, type, inputs, path);
    } catch (const QuorixError&) {
        // The power asked for is not reached on this side with a valid
        // matrix: no solution, reported below.
        if (!solving || type != kSensitivity) throw;
        effectSize = 2.0;
    }
    if (outcome != kCalculateDone) {
        std::copy(std::begin(before), std::end(before), std::begin(correlations));
        return outcome;
    }
    return type == kSensitivity ? CheckEffectFound(given) : outcome;
}

CalculateStatus PowerZTwoDepCorrNCI::CheckEffectFound(const GivenValues& given) {
    const double n = static_cast<double>(given.sampleSize);
    if (effectSize < 2.0 &&
        (!CheckMatrix(effectSize, "") ||
         std::fabs(ComputePower(effectSize, given.alpha, n) - given.power) > 1e-7)) {
        effectSize = 2.0;
    }
    if (effectSize < 2.0) return kCalculateDone;
    ClearMessage();
    messages << "No solution found for the requested effect size!\n\n"
             << "This is indicated by a (nonsensical) correlation value of 2.\n"
             << "The most probable cause is that there is no value leading to a\n"
             << "valid (i.e. positive semi-definite) correlation matrix.";
    return kCalculateDoneWithNoteNoPlot;
}

OutputTable PowerZTwoDepCorrNCI::Outputs(AnalysisType type) {
    return TestOutputs(type, GetEffectSizeId(), kSampleSizeId);
}

// ========================================================= common index

PowerZTwoDepCorrCI::PowerZTwoDepCorrCI() {
    PowerZTwoDepCorrCI::SetStandardValues();
}

PowerAnalysis* PowerZTwoDepCorrCI::Clone() {
    auto* copy = CloneAs<PowerZTwoDepCorrCI>();
    copy->checkMatrix = checkMatrix;
    copy->standardError0 = standardError0;
    return copy;
}

std::string PowerZTwoDepCorrCI::GetTestName() {
    return "Correlations: Two dependent Pearson r's (common index)";
}

void PowerZTwoDepCorrCI::SetStandardValues() {
    PowerZTwoDepCorrNCI::SetStandardValues();
    effectSize = correlations[kSecond] = -0.1;
    correlations[kAc] = -0.1;  // here rho_bc
}

double PowerZTwoDepCorrCI::Covariance(double ac) {
    const double ab = correlations[kAb], bc = correlations[kAc];
    const double s = 1.0 - ab * ab - ac * ac;
    return (bc * s - 0.5 * ab * ac * (s - bc * bc)) / ((1.0 - ab * ab) * (1.0 - ac * ac));
}

Matrix PowerZTwoDepCorrCI::CorrelationMatrix(double ac) {
    const double ab = correlations[kAb], bc = correlations[kAc];
    Matrix r(3, 3);
    r = 1.0, ab, ac,  //
        ab, 1.0, bc,  //
        ac, bc, 1.0;
    return r;
}

std::vector<PowerZTwoDepCorrNCI::GivenCorrelation> PowerZTwoDepCorrCI::GivenCorrelations() {
    return {{kH0CorrRhoAbId, "Corr $\\rho$_ab", kAb}, {kCorrRhoBcId, "Corr $\\rho$_bc", kAc}};
}

std::string PowerZTwoDepCorrCI::DirectionOption(bool above) {
    return above ? "$\\rho$_ac $\\ge$ $\\rho$_ab" : "$\\rho$_ac $\\le$ $\\rho$_ab";
}

bool PowerZTwoDepCorrCI::CheckBothMatrices(double effect) {
    return CheckMatrix(effect, "Under H1:\n") && CheckMatrix(correlations[kAb], "Under H0:\n");
}
