#include "analysis/standard_inputs.h"

#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "numerics/rounding.h"

namespace {

constexpr int kDigits = -7;

std::string Remembered(PowerAnalysis& analysis, const std::string& label) {
    std::string text;
    GetNamedString(&analysis.inputTexts, label.c_str(), &text);
    return text;
}

// A real input from the remembered text, else from the value with seven
// significant digits.
void AddReal(PowerAnalysis& analysis, PropertyList* inputs, const std::string& label,
             double value) {
    const std::string text = Remembered(analysis, label);
    if (!text.empty()) {
        inputs->push_back(new PropertyDouble(label, text, false));
    } else {
        inputs->push_back(new PropertyDouble(label, value, kDigits, false));
    }
}

void AddDf(PowerAnalysis& analysis, PropertyList* inputs, ParameterId id, double value,
           bool integral) {
    const std::string label = ParameterNames[id];
    const std::string text = Remembered(analysis, label);
    if (!text.empty()) {
        inputs->push_back(new PropertyDouble(label, text, integral));
    } else {
        inputs->push_back(new PropertyDouble(label, value, integral));
    }
}

void AddInteger(PowerAnalysis& analysis, PropertyList* inputs, ParameterId id, long value) {
    const std::string label = ParameterNames[id];
    const std::string text = Remembered(analysis, label);
    if (!text.empty()) {
        inputs->push_back(new PropertyLong(label, text));
    } else {
        inputs->push_back(new PropertyLong(label, value));
    }
}

// |v| limited to `limit`, truncated; NaN shows 0.
long SampleSizeShown(double v, double limit) {
    const double a = std::fabs(v);
    if (std::isnan(a)) return 0;
    return static_cast<long>(a < limit ? a : limit);
}

double ClampProbability(double v) {
    if (1e-7 > v) v = 1e-7;
    if (v > 0.9999999) v = 0.9999999;
    return v;
}

void AddSelection(PowerAnalysis& analysis, PropertyList* inputs, ParameterId id,
                  std::initializer_list<std::string> options, int defaultIndex) {
    const std::string label = ParameterNames[id];
    auto* selection = new PropertySelection(label);
    for (const std::string& option : options) selection->AddOption(option);
    const std::string text = Remembered(analysis, label);
    if (!text.empty()) selection->SelectText(text);
    if (selection->index < 0) {
        selection->SetIndex(defaultIndex);
        selection->SetText(selection->GetSelectedText());
    }
    inputs->push_back(selection);
}

}  // namespace

long TruncateToLong(double v) {
    const double t = std::trunc(v);
    if (std::isnan(t)) return 0;
    if (t < -2147483648.0) return -2147483648L;
    if (t > 2147483647.0) return 2147483647L;
    return static_cast<long>(t);
}

// ------------------------------------------------------------------- reals

void PowerAnalysis::AddAlphaInput(PropertyList* inputs) {
    AddReal(*this, inputs, ParameterNames[0], ClampProbability(alpha));
}

void PowerAnalysis::AddPowerInput(PropertyList* inputs) {
    AddReal(*this, inputs, ParameterNames[1], ClampProbability(power));
}

void PowerAnalysis::AddRatioInput(PropertyList* inputs) {
    // The ratio the current alpha and power imply, not a stored one.
    double q = 1.0;
    if (alpha > 1e-7) q = (1.0 - power) / alpha;
    AddReal(*this, inputs, ParameterNames[6], RoundTo(q, 7));
}

void PowerAnalysis::AddAllocationRatioInput(PropertyList* inputs, ParameterId id) {
    AddReal(*this, inputs, ParameterNames[id], allocationRatio);
}

void PowerAnalysis::AddNoncentralityInput(PropertyList* inputs, ParameterId id) {
    AddReal(*this, inputs, ParameterNames[id], effectSize);
}

void PowerAnalysis::AddDoubleInputByLabel(PropertyList* inputs, std::string label, double value) {
    AddReal(*this, inputs, label, value);
}

void PowerAnalysis::AddDoubleInput(PropertyList* inputs, ParameterId id, double value) {
    AddReal(*this, inputs, ParameterNames[id], value);
}

void PowerAnalysis::AddProportionP2Input(PropertyList* inputs, double value) {
    AddReal(*this, inputs, ParameterNames[46], value);
}

void PowerAnalysis::AddMomentP2Input(PropertyList* inputs, double value) {
    AddReal(*this, inputs, ParameterNames[101], value);
}

void PowerAnalysis::AddMomentP3Input(PropertyList* inputs, double value) {
    AddReal(*this, inputs, ParameterNames[102], value);
}

void PowerAnalysis::AddDiscordantProportionInput(PropertyList* inputs, double value) {
    AddReal(*this, inputs, ParameterNames[48], value);
}

void PowerAnalysis::AddAREInput(PropertyList* inputs, double value) {
    AddReal(*this, inputs, ParameterNames[103], value);
}

void PowerAnalysis::AddRelativeSDInput(PropertyList* inputs) {
    AddReal(*this, inputs, ParameterNames[104], relativeSD);
}

void PowerAnalysis::AddNumeratorDfInput(PropertyList* inputs, bool integral) {
    AddDf(*this, inputs, kNumeratorDfId, numeratorDf, integral);
}

void PowerAnalysis::AddDenominatorDfInput(PropertyList* inputs, bool integral) {
    AddDf(*this, inputs, kDenominatorDfId, denominatorDf, integral);
}

void PowerAnalysis::AddDfInput(PropertyList* inputs, bool integral) {
    AddDf(*this, inputs, kDfId, df, integral);
}

void PowerAnalysis::AddEffectSizeInput(PropertyList* inputs, ParameterId id, TestId testId,
                                       std::string helpText, bool panel) {
    const std::string label = ParameterNames[id];
    const std::string text = Remembered(*this, label);
    PropertyDouble* input = nullptr;
    if (panel) {
        auto* ex = text.empty() ? new PropertyExDouble(label, effectSize, kDigits, false)
                                : new PropertyExDouble(label, text, false);
        ex->testId = testId;
        input = ex;
    } else {
        input = text.empty() ? new PropertyDouble(label, effectSize, kDigits, false)
                             : new PropertyDouble(label, text, false);
    }
    input->SetHelpText(std::move(helpText));
    inputs->push_back(input);
}

// ---------------------------------------------------------------- integers

void PowerAnalysis::AddSampleSizeInput(PropertyList* inputs, ParameterId id) {
    AddInteger(*this, inputs, id, SampleSizeShown(sampleSize, 2147483647.0));
}

void PowerAnalysis::AddSampleSize1Input(PropertyList* inputs) {
    AddInteger(*this, inputs, kSampleSizeGroup1Id, SampleSizeShown(groupSize1, 1073741823.5));
}

void PowerAnalysis::AddSampleSize2Input(PropertyList* inputs) {
    AddInteger(*this, inputs, kSampleSizeGroup2Id, SampleSizeShown(groupSize2, 1073741823.5));
}

void PowerAnalysis::AddCountInput(PropertyList* inputs, ParameterId id) {
    AddInteger(*this, inputs, id, TruncateToLong(groupCount));
}

void PowerAnalysis::AddLongInput(PropertyList* inputs, int offset, ParameterId id) {
    AddInteger(*this, inputs, id,
               TruncateToLong(TruncateToLong(predictorCount) + static_cast<double>(offset)));
}

void PowerAnalysis::AddNumberOfCovariatesInput(PropertyList* inputs, double count) {
    AddInteger(*this, inputs, kNumberOfCovariatesId, TruncateToLong(count));
}

void PowerAnalysis::AddResponseVariablesInput(PropertyList* inputs, double count) {
    AddInteger(*this, inputs, kResponseVariablesId, TruncateToLong(count));
}

void PowerAnalysis::AddMeasurementsInput(PropertyList* inputs, ParameterId id, double count) {
    AddInteger(*this, inputs, id, TruncateToLong(count));
}

// -------------------------------------------------------------- selections

void PowerAnalysis::AddTailsInput(PropertyList* inputs) {
    AddSelection(*this, inputs, kTailsId, {"One", "Two"}, oneTailed ? 0 : 1);
}

void PowerAnalysis::AddEffectDirectionInput(PropertyList* inputs, std::string option0,
                                            std::string option1) {
    // Not negative, or not a number, is the greater-than side.
    AddSelection(*this, inputs, kEffectDirectionId, {option0, option1},
                 GetEffectSize() < 0 ? 0 : 1);
}

void PowerAnalysis::AddParentDistributionInput(PropertyList* inputs, int defaultIndex,
                                               bool withMinARE) {
    if (withMinARE) {
        AddSelection(*this, inputs, kParentDistributionId,
                     {"Normal", "Laplace", "Logistic", "min ARE"}, defaultIndex);
    } else {
        AddSelection(*this, inputs, kParentDistributionId, {"Normal", "Laplace", "Logistic"},
                     defaultIndex);
    }
}

void PowerAnalysis::AddXDistributionInput(PropertyList* inputs, int defaultIndex,
                                          bool withoutManual) {
    if (withoutManual) {
        AddSelection(*this, inputs, kXDistributionId,
                     {"Binomial", "Exponential", "Lognormal", "Normal", "Poisson", "Uniform"},
                     defaultIndex);
    } else {
        AddSelection(
            *this, inputs, kXDistributionId,
            {"Binomial", "Exponential", "Lognormal", "Normal", "Poisson", "Uniform", "Manual"},
            defaultIndex);
    }
}

void PowerAnalysis::RememberInputs(PropertyList* inputs) {
    for (const Property* input : *inputs) {
        if (const auto* selection = dynamic_cast<const PropertySelection*>(input)) {
            // A selection is remembered by the text of its option.
            SetNamedString(&inputTexts, input->name.c_str(), selection->GetSelectedText());
        } else {
            SetNamedString(&inputTexts, input->name.c_str(), input->text);
        }
    }
}
