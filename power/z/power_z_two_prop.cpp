#include "power/z/power_z_two_prop.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"

namespace {

const char kEffectConventions[] =
    "Effect size conventions\nh = .20 - small\nh = .50 - medium\nh = .80 - large";

double Square(double x) {
    return x * x;
}

// Cohen's h of p2 against p1, and p2 back from h.
double HOf(double p1, double p2) {
    return 2.0 * (std::asin(std::sqrt(p2)) - std::asin(std::sqrt(p1)));
}
double P2Of(double p1, double h) {
    return Square(std::sin(std::asin(std::sqrt(p1)) + h / 2.0));
}

}  // namespace

PowerZTwoProp::PowerZTwoProp() {
    exactFlag = true;
    PowerZTwoProp::SetStandardValues();
}

void PowerZTwoProp::CopyStateTo(PowerAnalysis& target) const {
    PowerZ::CopyStateTo(target);
    auto& copy = static_cast<PowerZTwoProp&>(target);
    copy.proportion1 = proportion1;
    copy.proportion2 = proportion2;
}

PowerAnalysis* PowerZTwoProp::Clone() {
    auto* copy = CloneAs<PowerZTwoProp>();
    copy->arcsinTransform = arcsinTransform;
    copy->continuityCorrection = continuityCorrection;
    copy->plotNormal = plotNormal;
    copy->inputProportions = inputProportions;
    copy->difference = difference;
    copy->pooledProportion = pooledProportion;
    copy->nullSE = nullSE;
    copy->alternativeSE = alternativeSE;
    copy->effectiveN1 = effectiveN1;
    copy->effectiveN2 = effectiveN2;
    return copy;
}

std::string PowerZTwoProp::GetTestName() {
    return "Proportions: Difference between two independent proportions";
}

std::string PowerZTwoProp::GetMethodText() {
    std::string text = arcsinTransform ? "arcsin transform" : "";
    if (continuityCorrection) {
        if (!text.empty()) text += ", ";
        text += "continuity correction";
    }
    return text;
}

ParameterId PowerZTwoProp::GetEffectSizeId() {
    return EffectInputId();
}

void PowerZTwoProp::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
    sampleSize = 100.0;
    effectSize = 0.6;
    proportion1 = 0.5;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
    nullSD = 1.0;
    noncentralSD = 1.0;
    SetNormal(0.0, 1.0);
}

void PowerZTwoProp::SetInputProportions(bool proportions) {
    if (proportions == inputProportions) return;
    const double p1 = proportion1;
    if (proportions) {
        effectSize = P2Of(p1, effectSize);
    } else {
        effectSize = HOf(p1, std::clamp(effectSize, 0.0, 1.0));
    }
    inputProportions = proportions;
    // A text typed into the other input earlier would stand for other
    // proportions; the converted effect is shown instead.
    int row = -1;
    if (Property* old = inputTexts.FindWithIndex(ParameterNames[EffectInputId()], &row)) {
        delete old;
        inputTexts.erase(inputTexts.begin() + row);
    }
}

// ----------------------------------------------------------------- model

double PowerZTwoProp::MaxEffectSizeH() const {
    return std::numbers::pi - 2.0 * std::asin(std::sqrt(proportion1));
}

void PowerZTwoProp::UpdateProportion2() {
    proportion2 = P2Of(proportion1, effectSize);
}

void PowerZTwoProp::UpdateTerms() {
    const double p1 = proportion1;
    effectiveN1 = groupSize1;
    effectiveN2 = groupSize2;
    if (inputProportions) {
        proportion2 = effectSize;
    } else {
        UpdateProportion2();
    }
    const double p2 = proportion2;
    if (continuityCorrection) {
        // Fleiss's corrected size N1 = (n/4)(1 + sqrt(1 + 2(r + 1)/(n r |D|)))^2
        // solved for the uncorrected n. Corrected sizes at or below
        // (r + 1)/(2 r |D|) stand for no uncorrected size at all (the
        // correction takes up the whole difference); they, and any n below
        // one, count as a first group of one, so the power never grows
        // as the groups shrink.
        const double n1 = groupSize1;
        const double r = groupSize2 / groupSize1;
        const double delta = p1 - p2;
        double x = 0.0;
        if (2.0 * n1 * r * std::fabs(delta) > r + 1.0) {
            x = Square(r + 1.0 - 2.0 * n1 * r * std::fabs(delta)) / (4.0 * n1 * Square(r * delta));
        }
        // The corrected formula counts subjects: both sizes are rounded up
        // to whole ones.
        x = std::max(x, 1.0);
        effectiveN1 = std::ceil(x);
        effectiveN2 = std::ceil(r * x);
    }
    const double e1 = effectiveN1, e2 = effectiveN2;
    if (arcsinTransform) {
        difference = HOf(p1, p2);
        nullSE = alternativeSE = std::sqrt(1.0 / e1 + 1.0 / e2);
    } else {
        difference = p2 - p1;
        pooledProportion = (p1 * e1 + p2 * e2) / (e1 + e2);
        const double pbar = pooledProportion;
        nullSE = std::sqrt(pbar * (1.0 - pbar) * (1.0 / e1 + 1.0 / e2));
        alternativeSE = std::sqrt(p1 * (1.0 - p1) / e1 + p2 * (1.0 - p2) / e2);
    }
}

double PowerZTwoProp::GetEffectSize() {
    if (!inputProportions) UpdateProportion2();
    return (inputProportions ? effectSize : proportion2) - proportion1;
}

void PowerZTwoProp::SetCentralDistribution() {
    UpdateTerms();
    SetNormal(0.0, plotNormal ? nullSE : 1.0);
}

void PowerZTwoProp::SetNoncentralDistribution() {
    UpdateTerms();
    if (plotNormal) {
        SetNormal(difference, alternativeSE);
    } else {
        SetNormal(difference / nullSE, 1.0);
    }
}

// ----------------------------------------------------------------- power

double PowerZTwoProp::ComputePower(double effect, double alphaValue, double n) {
    return ComputePower2(effect, alphaValue, n / 2.0, n / 2.0);
}

double PowerZTwoProp::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    effectSize = effect;
    alpha = alphaValue;
    groupSize1 = n1;
    groupSize2 = n2;
    UpdateTerms();
    const double side = proportion2 - proportion1;
    const double sd0 = plotNormal ? nullSE : 1.0;
    if (std::fabs(difference) < 1e-12) {
        // No difference: the power is alpha. The critical values are still
        // those of this alpha, not the ones an earlier run left.
        SetCriticalValues(side, alphaValue, sd0);
        shiftBeta = 1.0 - alphaValue;
        return alphaValue;
    }
    // On the d scale the statistic is N(0, nullSE) under H0 and
    // N(d, alternativeSE) under H1; on the z scale both are divided by
    // nullSE. Either way the power is the same.
    if (plotNormal) return PowerOfShift(side, alphaValue, sd0, difference, alternativeSE);
    return PowerOfShift(side, alphaValue, sd0, difference / nullSE, alternativeSE / nullSE);
}

void PowerZTwoProp::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerZTwoProp::BracketEffectSize() {
    const double p1 = proportion1;
    if (inputProportions) {
        BracketFromStart(p1 + 1e-10, 0.9999999999, (p1 + 1.0) / 2.0);
        return;
    }
    // h beyond the one of p2 = 1 turns p2 back down; the search stays on
    // the rising side.
    const double hMax = MaxEffectSizeH();
    BracketFromStart(1e-6, hMax, std::min(0.3, hMax / 2.0));
}

// --------------------------------------------------------------- checks

bool PowerZTwoProp::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 2, kLargestTotalSampleSize);
}

bool PowerZTwoProp::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n1 + n2), 2, kLargestTotalSampleSize) &&
           CheckSampleSizeMinimum(AsCount(n1), 1) && CheckSampleSizeMinimum(AsCount(n2), 1);
}

// The effect must describe a proportion p2 within [0, 1]: the standard
// errors of any other are undefined, and an h beyond its range turns back
// to a p2 it does not describe.
bool PowerZTwoProp::CheckEffectDescribesP2(double effect) {
    if (inputProportions) {
        if (0.0 <= effect && effect <= 1.0) return true;
        messages << "Proportion p2 must lie in the interval [0,1].";
        return false;
    }
    const double lo = -2.0 * std::asin(std::sqrt(proportion1));
    const double hi = MaxEffectSizeH();
    if (lo <= effect && effect <= hi) return true;
    messages << "Effect size h must lie in the interval [" << lo << ", " << hi << "] for this p1.";
    return false;
}

// --------------------------------------------------------- lists and run

void PowerZTwoProp::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    const GivenInputs given = GivenInputsOf(type);
    if (given.effect) {
        if (inputProportions) {
            AddEffectSizeInput(inputs, kProportionP2Id, kTwoProportionsTestId, "", true);
        } else {
            AddEffectSizeInput(inputs, kEffectSizeHId, kTwoProportionsTestId, kEffectConventions,
                               true);
        }
    }
    AddDoubleInput(inputs, kProportionP1Id, proportion1);
    AddGivenInputs(*this, type, inputs, [] {});
    if (given.sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
}

CalculateStatus PowerZTwoProp::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    double p1 = 0.0;
    const double previousP1 = proportion1;
    OwnInputs own;
    own.beforeTails = [&] {
        int row = -1;
        p1 = ReadEffectSize(inputs, &row, kProportionP1Id);
        return CheckNamedRangeInclusive("Proportion p1", p1, 1e-6) ? -1 : row;
    };
    // The range of h depends on p1; the checks of the effect read it. A
    // refused calculation puts the one before back.
    own.afterTails = [&] {
        proportion1 = p1;
        return -1;
    };
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kGroups, tails, &own);
    // The table depends on the type and on the effect input.
    path.typeChecks = &checkTables.Of(type, path.sample, inputProportions ? 1 : 0, [this, type] {
        InputTable effect = {
            EffectInRange("d", type == kAPriori ? 1e-6 : -100.0, 100.0),
            {Given::kEffect,
             [this](const GivenValues& v) { return CheckEffectDescribesP2(v.effect); }},
        };
        // With p2 = p1 the power is alpha at every N: refused here, as the
        // other tests do, not left to the search.
        if (type == kAPriori && inputProportions) {
            effect.push_back({Given::kEffect, [this](const GivenValues& v) {
                                  if (std::fabs(v.effect - proportion1) > 1e-5) return true;
                                  messages << "In an a priori analysis, the proportions p1 and p2\n"
                                           << "must differ by more than 0.00001.";
                                  return false;
                              }});
        }
        return FamilyChecks(std::move(effect), GroupSizeChecks(*this, 3));
    });
    // The terms and critical values of the alpha found.
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower2(v.effect, alpha, static_cast<double>(v.sampleSize1),
                      static_cast<double>(v.sampleSize2));
    };
    const CalculateStatus outcome = RunReadCheckSolve(*this, type, inputs, path);
    if (outcome != kCalculateDone) {
        proportion1 = previousP1;
        return outcome;
    }
    // The terms and critical values of the effect found.
    if (type == kSensitivity) ComputePower2(effectSize, alpha, groupSize1, groupSize2);
    return outcome;
}

OutputTable PowerZTwoProp::Outputs(AnalysisType type) {
    OutputTable table = TestOutputs(type, EffectInputId());
    if (!inputProportions) table.push_back(Row(kProportionP2Id, [this] { return proportion2; }));
    return table;
}
