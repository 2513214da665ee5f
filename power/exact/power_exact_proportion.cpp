#include "power/exact/power_exact_proportion.h"

#include <cmath>

namespace {

constexpr double kProportionMargin = 1e-6;
// An A priori effect no larger than this counts as none.
constexpr double kSmallestEffect = 1e-6;

}  // namespace

// ------------------------------------------------- one proportion (602)

PowerExactBinomialOneProp::PowerExactBinomialOneProp() {
    PowerExactBinomialOneProp::SetStandardValues();
}

void PowerExactBinomialOneProp::SetStandardValues() {
    PowerExactBinomial::SetStandardValues();
    effectSize = 0.8 - 0.5;  // g = p2 - p1
}

PowerAnalysis* PowerExactBinomialOneProp::Clone() {
    auto* copy = CloneAs<PowerExactBinomialOneProp>();
    CopyOptionsTo(*copy);
    return copy;
}

bool PowerExactBinomialOneProp::CheckEffectSize(int, double g) {
    return CheckEffectGivesProportion(g, proportion1, kProportionMargin);
}

void PowerExactBinomialOneProp::AddEffectInput(PropertyList* inputs) {
    AddEffectSizeInput(inputs, kEffectSizeGId, GetTestId(), std::string(), true);
}

void PowerExactBinomialOneProp::AddNullProportionInput(PropertyList* inputs) {
    AddDoubleInput(inputs, kConstantProportionId, proportion1);
}

// The constant may be 0 or 1 itself.
bool PowerExactBinomialOneProp::ReadNullProportion(PropertyList* inputs, double* p1, int* row) {
    *p1 = ReadDouble(inputs, kConstantProportionId, row);
    return CheckNamedRangeInclusive("Constant proportion", *p1, 0.0);
}

// At 0 or 1 every count has probability 0 or 1 under H0, so alpha is 0 at
// every critical value: A priori and Post hoc answer with it, but there is
// no alpha for Criterion and Compromise to find (they ended in alpha 0 or
// the generic message). Sensitivity searches p2 above the constant, and at
// 1 (or within a rounding of it) there is none left to search.
bool PowerExactBinomialOneProp::NullProportionServes(AnalysisType type, double p1) {
    const bool refused = type == kCriterion || type == kCompromise
                             ? !(0.0 < p1 && p1 < 1.0)
                             : type == kSensitivity && !(p1 < kHighestProportionH1);
    if (!refused) return true;
    messages << "A constant proportion of 0 or 1 leaves no error probability to choose:\n"
             << "$\\alpha$ is 0 at every critical value. Please use a proportion in (0, 1).";
    return false;
}

bool PowerExactBinomialOneProp::CheckEffectInput(AnalysisType type, double g, double p1) {
    if (type == kAPriori && !CheckEffectSizeAbove("g", std::fabs(g), kSmallestEffect)) return false;
    return CheckEffectGivesProportion(g, p1, kProportionMargin);
}

// ------------------------------------------------------ sign test (603)

PowerExactBinomialSign::PowerExactBinomialSign() {
    PowerExactBinomialSign::SetStandardValues();
}

void PowerExactBinomialSign::SetStandardValues() {
    PowerExactBinomial::SetStandardValues();
    effectSize = 0.8 - 0.5;  // g = p2 - p1
}

PowerAnalysis* PowerExactBinomialSign::Clone() {
    auto* copy = CloneAs<PowerExactBinomialSign>();
    CopyOptionsTo(*copy);
    return copy;
}

bool PowerExactBinomialSign::CheckEffectSize(int, double g) {
    return CheckEffectGivesProportion(g, 0.5, kProportionMargin);
}

void PowerExactBinomialSign::AddEffectInput(PropertyList* inputs) {
    AddEffectSizeInput(inputs, kEffectSizeGId, GetTestId(), std::string(), true);
}

bool PowerExactBinomialSign::ReadNullProportion(PropertyList*, double* p1, int*) {
    *p1 = 0.5;
    return true;
}

bool PowerExactBinomialSign::CheckEffectInput(AnalysisType type, double g, double) {
    if (type == kAPriori && !CheckEffectSizeAbove("g", std::fabs(g), kSmallestEffect)) return false;
    return CheckEffectSizeRange("g", g, -0.499999, 0.499999);
}
