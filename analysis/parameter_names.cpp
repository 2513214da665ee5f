#include "analysis/parameter_names.h"

#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "analysis/ids.h"
#include "analysis/property_input.h"
#include "numerics/rounding.h"

const char* const ParameterNames[kParameterNameCount] = {
    // 0
    "$\\alpha$ err prob",
    "Power (1-$\\beta$ err prob)",
    "Total sample size",
    "Sample size group 1",
    "Sample size group 2",
    // 5
    "Effect size",
    "$\\beta$/$\\alpha$ ratio",
    "Noncentrality parameter",
    "Central value",
    "Df",
    // 10
    "Numerator df",
    "Denominator df",
    "Number of groups",
    "Denominator df",
    "Numerator df",
    // 15
    "Mean",
    "Effect size w",
    "Effect size d",
    "Effect size f$^2$",
    "Effect size f",
    // 20
    "Effect size r",
    "Noncentrality parameter $\\lambda$",
    "Critical $\\chi^2$",
    "Critical t",
    "Critical F",
    // 25
    "Critical z",
    "Actual power",
    "$\\beta$ err prob",
    "Noncentrality parameter $\\delta$",
    "Tail(s)",
    // 30
    "Number of predictors",
    "Noncentrality parameter $\\mu$",
    "Standard error $\\sigma$",
    "Critical x",
    "Mean $\\mu$1",
    // 35
    "Mean $\\mu$2",
    "SD $\\sigma$1",
    "SD $\\sigma$2",
    "Proportion p1",
    "Effect size g",
    // 40
    "Constant proportion",
    "Actual $\\alpha$",
    "Critical N",
    "Actual $\\beta$/$\\alpha$ ratio",
    "Upper critical N",
    // 45
    "Lower critical N",
    "Proportion p2",
    "Proportion p12",
    "Prop discordant pairs",
    "Odds ratio",
    // 50
    "Correlation $\\rho$ H1",
    "Correlation $\\rho$ H0",
    "Population correlation $\\rho$",
    "Lower critical r",
    "Upper critical r",
    // 55
    "Effect direction",
    "Effect size h",
    "Proportion p21",
    "Allocation ratio N2/N1",
    "Effect size q",
    // 60
    "Ratio var1/var0",
    "Lower critical $\\chi^2$",
    "Upper critical $\\chi^2$",
    "Lower critical F",
    "Upper critical F",
    // 65
    "Effect size $\\Delta$",
    "Response variables",
    "Groups",
    "Number of measurements",
    "Corr among rep measures",
    // 70
    "Nonsphericity correction $\\epsilon$",
    "Effect size |$\\rho$|",
    "Noncentral dist. SD $\\sigma$",
    "p difference under H0",
    "Upper critical z",
    // 75
    "Lower critical z",
    "Prop. p1|H1",
    "Prop. p1|H0",
    "(p1-p2)|H1",
    "(p1-p2)|H0",
    // 80
    "(p1/p2)|H1",
    "(p1/p2)|H0",
    "Odds ratio|H1",
    "Odds ratio|H0",
    "Effect size f$^2$(U)",
    // 85
    "Effect size f$^2$(T1)",
    "Effect size f$^2$(T2)",
    "Effect size f$^2$(V)",
    "Effect size f(U)",
    "Effect size f(T1)",
    // 90
    "Effect size f(T2)",
    "Effect size f(V)",
    "Ratio (p1/p2)",
    "Odds ratio",
    "Diff (p1-p2)",
    // 95
    "Parent distribution",
    "Effect size dz",
    "Proportion of N with X=1",
    "R$^2$ other X",
    "Covariate X distribution",
    // 100
    "Moment p1",
    "Moment p2",
    "Moment p3",
    "A.R.E.",
    "Relative SD",
    // 105
    "Lower critical T",
    "Upper critical T",
    "Number of covariates",
    "Corr $\\rho$_ab",
    "Corr $\\rho$_ac",
    // 110
    "Corr $\\rho$_ad",
    "Corr $\\rho$_bc",
    "Corr $\\rho$_bd",
    "Corr $\\rho$_cd",
    "H1 corr $\\rho$_cd",
    // 115
    "H1 corr $\\rho$_ac",
    "H0 corr $\\rho$_ab",
    "H1 corr $\\rho$_cd < $\\rho$_ab",
    "H1 corr $\\rho$_cd > $\\rho$_ab",
    "H1 corr $\\rho$_ac < $\\rho$_ab",
    // 120
    "H1 corr $\\rho$_ac > $\\rho$_ab",
    "Sample size",
    "Base rate exp($\\beta$0)",
    "Exp($\\beta$1)",
    "X distribution",
    // 125
    "Mean exposure",
    "Over-dispersion",
    "X parm $\\mu$",
    "X parm $\\sigma$",
    "X parm $\\pi$",
    // 130
    "X parm $\\lambda$",
    "X left border",
    "X right border",
    "X Var($\\beta$|H0)",
    "X Var($\\beta$|H1)",
    // 135
    "Slope H0",
    "Slope H1",
    "Std dev $\\sigma$_x",
    "Std dev $\\sigma$_y",
    "|$\\Delta$ slope|",
    // 140
    "Std dev residual $\\sigma$",
    "Std dev $\\sigma$_x1",
    "Std dev $\\sigma$_x2",
    "Mean $\\mu$_x1",
    "Mean $\\mu$_x2",
    // 145
    "|$\\Delta$ intercept|",
    "H1 corr $\\rho$",
    "H0 corr $\\rho$",
    "Marginal prop x",
    "Marginal prop y",
    // 150
    "H1 corr $\\rho$*",
    "H0 corr $\\rho$*",
    "Critical r* lwr",
    "Critical r* upr",
    "Critical r lwr",
    // 155
    "Critical r upr",
    "Std err r*",
    "Std err r",
    "H1 $\\rho$$^2$",
    "H0 $\\rho$$^2$",
    // 160
    "Upper critical R$^2$",
    "Lower critical R$^2$",
    "Pr(Y=1|X=1) H0",
    "Pr(Y=1|X=1) H1",
    "Total number of predictors",
    // 165
    "Number of tested predictors",
};

namespace {

constexpr char kIllegalCharacter[] = "Input error (illegal character?)";
constexpr char kEmptyInput[] = "Input error (no value given)";
constexpr char kOutOfRange[] = "Input error (number out of range)";
constexpr char kNoOption[] = "Input error (no option selected)";

// Whether `text` is one number and nothing else but blanks, read in the C
// locale whatever locale the user interface set.
bool IsCompleteNumber(const std::string& text, double* value) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const char* begin = text.c_str();
    char* end = nullptr;
    *value = strtod_l(begin, &end, cLocale);
    if (end == begin) return false;
    for (const char* p = end; *p; ++p) {
        if (*p != ' ' && *p != '\t') return false;
    }
    return true;
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// The number a plain (formula-free) text stands for, or the reason it
// stands for none.
double PlainNumber(const Property& input) {
    double v = 0.0;
    if (IsBlank(input.text)) throw InputFormulaError(input.name, kEmptyInput);
    if (!IsCompleteNumber(input.text, &v)) throw InputFormulaError(input.name, kIllegalCharacter);
    return v;
}

double FormulaValue(const Property& input) {
    const std::string expression = FormulaPart(input.text);
    // An empty formula would read as 0 without any error.
    if (IsBlank(expression)) throw InputFormulaError(input.name, kEmptyInput);
    const FormulaInputResult r = EvaluateFormulaText(expression);
    if (!r.ok) throw InputFormulaError(input.name, r.error);
    return r.value;
}

bool IsFormula(const std::string& text) {
    return text.find('=') != std::string::npos;
}

template <class T>
T& Typed(Property* input, const char* what) {
    auto* typed = dynamic_cast<T*>(input);
    if (!typed) throw std::logic_error("input \"" + input->name + "\" is not " + what);
    return *typed;
}

// Finds the input by its label, writes its row and reads it with `read`; a
// reading error learns the row. The labels are compared as they stand: a
// read builds no string for them.
template <class Read>
auto ReadAt(PropertyList* inputs, const char* label, int* row, Read read) {
    int found = -1;
    Property* input = inputs->FindWithIndex(label, &found);
    if (!input) throw std::logic_error("input \"" + std::string(label) + "\" is not in the list");
    if (row) *row = found;
    try {
        return read(input);
    } catch (InputFormulaError& e) {
        e.row = found;
        throw;
    }
}

// The value readers below, with the label as it stands.
double DoubleValue(PropertyList* store, Property* input, const char* label) {
    const PropertyDouble& typed = Typed<PropertyDouble>(input, "a real input");
    if (*label != '\0') SetNamedString(store, label, input->text);
    double value = 0.0;
    if (!IsFormula(input->text)) {
        PlainNumber(*input);
        value = typed.GetValue();
    } else {
        value = FormulaValue(*input);
    }
    // An infinite or undefined value ("inf", "nan", =1/0, a number beyond
    // the doubles) is no input any check or distribution could take.
    if (!std::isfinite(value)) throw InputFormulaError(input->name, kOutOfRange);
    return value;
}

long IntegerValue(PropertyList* store, Property* input, const char* label) {
    const PropertyLong& typed = Typed<PropertyLong>(input, "an integer input");
    if (*label != '\0') SetNamedString(store, label, input->text);
    long whole = 0;
    if (!IsFormula(input->text)) {
        if (!RoundToWhole(PlainNumber(*input), &whole))
            throw InputFormulaError(input->name, kOutOfRange);
        return typed.GetValue();
    }
    if (!RoundToWhole(FormulaValue(*input), &whole))
        throw InputFormulaError(input->name, kOutOfRange);
    return whole;
}

int SelectionValue(PropertyList* store, Property* input, const char* label) {
    const PropertySelection& typed = Typed<PropertySelection>(input, "a selection");
    if (!(0 <= typed.index && typed.index < typed.GetOptionCount()))
        throw InputFormulaError(input->name, kNoOption);
    SetNamedString(store, label, typed.GetOption(typed.index));
    return typed.index;
}

}  // namespace

// -------------------------------------------------------------- label readers

double PowerAnalysis::ReadDoubleByLabel(PropertyList* inputs, std::string label, int* row) {
    return ReadAt(inputs, label.c_str(), row,
                  [&](Property* p) { return DoubleValue(&inputTexts, p, label.c_str()); });
}

double PowerAnalysis::ReadDouble(PropertyList* inputs, ParameterId id, int* row) {
    const char* label = ParameterNames[id];
    return ReadAt(inputs, label, row,
                  [&](Property* p) { return DoubleValue(&inputTexts, p, label); });
}

double PowerAnalysis::ReadEffectSize(PropertyList* inputs, int* row, ParameterId id) {
    return ReadDouble(inputs, id, row);
}

double PowerAnalysis::ReadAlpha(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kAlphaId, row);
}
double PowerAnalysis::ReadPower(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kPowerId, row);
}
double PowerAnalysis::ReadRatio(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kRatioId, row);
}
double PowerAnalysis::ReadAllocationRatio(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kAllocationRatioId, row);
}
double PowerAnalysis::ReadDiscordantProportion(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kDiscordantProportionId, row);
}
double PowerAnalysis::ReadProportionP2(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kProportionP2Id, row);
}
double PowerAnalysis::ReadARE(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kAREId, row);
}
double PowerAnalysis::ReadRelativeSD(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kRelativeSDId, row);
}
double PowerAnalysis::ReadMomentP2(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kMomentP2Id, row);
}
double PowerAnalysis::ReadMomentP3(PropertyList* inputs, int* row) {
    return ReadDouble(inputs, kMomentP3Id, row);
}

namespace {

// The df readers: whole numbers when the test flagged the input integral.
double ReadSnappedDf(PowerAnalysis& analysis, PropertyList* inputs, ParameterId id, int* row) {
    const char* label = ParameterNames[id];
    return ReadAt(inputs, label, row, [&](Property* p) {
        const double v = DoubleValue(&analysis.inputTexts, p, label);
        return SnapToInteger(v, -7, Typed<PropertyDouble>(p, "a real input").integral);
    });
}

}  // namespace

double PowerAnalysis::ReadNumeratorDf(PropertyList* inputs, int* row) {
    return ReadSnappedDf(*this, inputs, kNumeratorDfId, row);
}
double PowerAnalysis::ReadDenominatorDf(PropertyList* inputs, int* row) {
    return ReadSnappedDf(*this, inputs, kDenominatorDfId, row);
}
double PowerAnalysis::ReadDf(PropertyList* inputs, int* row) {
    return ReadSnappedDf(*this, inputs, kDfId, row);
}

long PowerAnalysis::ReadCountById(PropertyList* inputs, ParameterId id, int* row) {
    const char* label = ParameterNames[id];
    return ReadAt(inputs, label, row,
                  [&](Property* p) { return IntegerValue(&inputTexts, p, label); });
}

long PowerAnalysis::ReadCount(PropertyList* inputs, int* row, ParameterId id) {
    return ReadCountById(inputs, id, row);
}
long PowerAnalysis::ReadNumberOfCovariates(PropertyList* inputs, int* row) {
    return ReadCountById(inputs, kNumberOfCovariatesId, row);
}
long PowerAnalysis::ReadResponseVariables(PropertyList* inputs, int* row) {
    return ReadCountById(inputs, kResponseVariablesId, row);
}
long PowerAnalysis::ReadSampleSize1(PropertyList* inputs, int* row) {
    return ReadCountById(inputs, kSampleSizeGroup1Id, row);
}
long PowerAnalysis::ReadSampleSize2(PropertyList* inputs, int* row) {
    return ReadCountById(inputs, kSampleSizeGroup2Id, row);
}

namespace {

int ReadSelectionById(PowerAnalysis& analysis, PropertyList* inputs, ParameterId id, int* row) {
    const char* label = ParameterNames[id];
    return ReadAt(inputs, label, row,
                  [&](Property* p) { return SelectionValue(&analysis.inputTexts, p, label); });
}

}  // namespace

int PowerAnalysis::ReadTails(PropertyList* inputs, int* row) {
    return ReadSelectionById(*this, inputs, kTailsId, row);
}
int PowerAnalysis::ReadEffectDirection(PropertyList* inputs, int* row) {
    return ReadSelectionById(*this, inputs, kEffectDirectionId, row);
}
int PowerAnalysis::ReadParentDistribution(PropertyList* inputs, int* row) {
    return ReadSelectionById(*this, inputs, kParentDistributionId, row);
}
int PowerAnalysis::ReadXDistribution(PropertyList* inputs, int* row) {
    return ReadSelectionById(*this, inputs, kXDistributionId, row);
}

// ------------------------------------------------------------------- helpers

CalculateStatus CalculateWithInputErrors(PowerAnalysis* analysis, AnalysisType type,
                                         PropertyList* inputs) {
    try {
        return analysis->Calculate(type, inputs);
    } catch (const InputFormulaError& e) {
        int row = e.row;
        if (row < 0 && !inputs->FindWithIndex(e.name, &row)) throw;
        analysis->ClearMessage();
        analysis->messages << e.text;
        return row;
    }
}

std::string InputErrorText(const std::string& message, const std::string& rowLabel) {
    if (rowLabel.empty() || message.rfind(rowLabel, 0) == 0) return message;
    return rowLabel + ": " + message;
}

double RoundForDisplay(double x, int, bool integral) {
    return integral ? RoundTo(x, 0) : x;
}

double SnapToInteger(double x, int digits, bool integral) {
    if (integral && std::fabs(x - std::trunc(x)) > 2.220446049250313e-16) {
        return RoundForDisplay(RoundTo(x, 0), digits, integral);
    }
    return x;
}

// ------------------------------------------------- inputs of the options dialogs

namespace {

template <class T, class Convert>
T GetAnalysisInput(T fallback, const std::string& fallbackText, ParameterSource* frame,
                   PowerAnalysis* analysis, int parameterId, int aliasId, Convert convert) {
    if (aliasId == -10) aliasId = parameterId;
    if (!(0 <= parameterId && parameterId < kParameterNameCount)) return fallback;
    const bool hasAlias = 0 <= aliasId && aliasId < kParameterNameCount;
    PropertyList* store = &analysis->inputTexts;
    auto remember = [&](const std::string& text) {
        if (hasAlias) SetNamedString(store, ParameterNames[aliasId], text);
    };
    try {
        const std::string label = ParameterNames[parameterId];
        std::string source;
        bool found = false;
        if (frame) {
            if (const Property* shown = frame->FindParameter(label)) {
                source = shown->text;
                found = true;
            }
        }
        if (!found) found = GetNamedString(store, label.c_str(), &source);
        // Nothing to read: the fallback, also for the callers without an alias.
        if (!found) {
            remember(fallbackText);
            return fallback;
        }
        const FormulaInputResult r = EvaluateFormulaText(FormulaPart(source));
        T value = fallback;
        if (!r.ok || !convert(r.value, &value)) {
            remember(fallbackText);
            return fallback;
        }
        remember(source);
        return value;
    } catch (...) {
        remember(fallbackText);
        return fallback;
    }
}

}  // namespace

long GetAnalysisInputLong(long fallback, ParameterSource* frame, PowerAnalysis* analysis,
                          int parameterId, int aliasId) {
    return GetAnalysisInput<long>(fallback, std::to_string(fallback), frame, analysis, parameterId,
                                  aliasId, [](double v, long* out) {
                                      const double t = std::trunc(v);
                                      if (!(-2147483648.0 <= t && t <= 2147483647.0)) return false;
                                      *out = static_cast<long>(t);
                                      return true;
                                  });
}

double GetAnalysisInputDouble(double fallback, ParameterSource* frame, PowerAnalysis* analysis,
                              int parameterId, int aliasId) {
    char text[64];
    std::snprintf(text, sizeof text, "%.16g", fallback);
    return GetAnalysisInput<double>(fallback, text, frame, analysis, parameterId, aliasId,
                                    [](double v, double* out) {
                                        *out = v;
                                        return true;
                                    });
}
