#pragma once

// Test support for the statistical test families: runs a calculation the way
// the main window does (input list of the analysis type, texts typed into
// the inputs, Calculate, output list, GetOutputs), names inputs and outputs
// by short keys, and checks a shown output against a reference value to the
// seven digits it displays. Header only; for tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/catalogue.h"
#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "analysis/power_analysis.h"
#include "numerics/quorix_error.h"

namespace calc_test {

// The labels that several families share.
namespace label {
inline constexpr const char* kAlpha = "$\\alpha$ err prob";
inline constexpr const char* kPower = "Power (1-$\\beta$ err prob)";
inline constexpr const char* kRatio = "$\\beta$/$\\alpha$ ratio";
inline constexpr const char* kBeta = "$\\beta$ err prob";
inline constexpr const char* kActualPower = "Actual power";
inline constexpr const char* kLambda = "Noncentrality parameter $\\lambda$";
inline constexpr const char* kDf = "Df";
inline constexpr const char* kNumeratorDf = "Numerator df";
inline constexpr const char* kDenominatorDf = "Denominator df";
inline constexpr const char* kTotal = "Total sample size";
inline constexpr const char* kGroups = "Number of groups";
}  // namespace label

// Short keys of the labels of the inputs and outputs. The reference tables
// of the t tests spell the total "n", those of the F and chi-square tests
// "N"; both name the same row. "crit" is the critical value of the test's
// own statistic and so depends on the test.
inline const std::map<std::string, std::string>& KeyLabels() {
    static const std::map<std::string, std::string> labels = {
        {"tails", "Tail(s)"},
        {"alpha", label::kAlpha},
        {"power", label::kPower},
        {"q", label::kRatio},
        {"df", label::kDf},
        {"df1", label::kNumeratorDf},
        {"df2", label::kDenominatorDf},
        {"delta", "Noncentrality parameter $\\delta$"},
        {"ncp", "Noncentrality parameter $\\delta$"},
        {"lambda", label::kLambda},
        {"d", "Effect size d"},
        {"dz", "Effect size dz"},
        {"f", "Effect size f"},
        {"w", "Effect size w"},
        {"f2v", "Effect size f$^2$(V)"},
        {"p", "Response variables"},
        {"m", "Number of measurements"},
        {"predictors", "Number of predictors"},
        {"rho", "Corr among rep measures"},
        {"n", label::kTotal},
        {"N", label::kTotal},
        {"n1", "Sample size group 1"},
        {"n2", "Sample size group 2"},
        {"r", "Allocation ratio N2/N1"},
        {"k", label::kGroups},
        {"f2", "Effect size f$^2$"},
        {"ptotal", "Total number of predictors"},
        {"ptested", "Number of tested predictors"},
        {"cov", "Number of covariates"},
        {"D", "Effect size $\\Delta$"},
        {"resp", "Response variables"},
        {"v", "Ratio var1/var0"},
        {"dir", "Effect direction"},
        {"lowF", "Lower critical F"},
        {"upF", "Upper critical F"},
        {"lowchi", "Lower critical $\\chi^2$"},
        {"upchi", "Upper critical $\\chi^2$"},
        {"eps", "Nonsphericity correction $\\epsilon$"},
        {"fU", "Effect size f(U)"},
        {"fV", "Effect size f(V)"},
        {"actual", label::kActualPower},
        {"beta", label::kBeta},
        // z tests; "qr" is Cohen's q of two correlations ("q" is the ratio).
        {"mu", "Noncentrality parameter $\\mu$"},
        {"sigma", "Noncentral dist. SD $\\sigma$"},
        {"p1", "Proportion p1"},
        {"p2", "Proportion p2"},
        {"h", "Effect size h"},
        {"qr", "Effect size q"},
        {"rab", "H0 corr $\\rho$_ab"},
        {"rac", "Corr $\\rho$_ac"},
        {"rad", "Corr $\\rho$_ad"},
        {"rbc", "Corr $\\rho$_bc"},
        {"rbd", "Corr $\\rho$_bd"},
        {"rcd1", "H1 corr $\\rho$_cd"},
        {"rac1", "H1 corr $\\rho$_ac"},
        {"size", "Sample size"},
        {"direction", "Effect direction"},
        // t tests of correlation and regression, Wilcoxon tests.
        {"absrho", "Effect size |$\\rho$|"},
        {"preds", "Number of predictors"},
        {"b0", "Slope H0"},
        {"b1", "Slope H1"},
        {"sx", "Std dev $\\sigma$_x"},
        {"sy", "Std dev $\\sigma$_y"},
        {"dslope", "|$\\Delta$ slope|"},
        {"dint", "|$\\Delta$ intercept|"},
        {"sd", "Std dev residual $\\sigma$"},
        {"sx1", "Std dev $\\sigma$_x1"},
        {"sx2", "Std dev $\\sigma$_x2"},
        {"mx1", "Mean $\\mu$_x1"},
        {"mx2", "Mean $\\mu$_x2"},
        {"parent", "Parent distribution"},
        {"are", "A.R.E."},
        {"rsd", "Relative SD"},
        {"mp1", "Moment p1"},
        {"mp2", "Moment p2"},
        {"mp3", "Moment p3"},
        {"tlow", "Lower critical T"},
        {"tup", "Upper critical T"},
        // Regression tests with a covariate X (logistic, Poisson).
        {"OR", "Odds ratio"},
        {"pH0", "Pr(Y=1|X=1) H0"},
        {"pH1", "Pr(Y=1|X=1) H1"},
        {"R2x", "R$^2$ other X"},
        {"xdist", "X distribution"},
        {"xmu", "X parm $\\mu$"},
        {"xsigma", "X parm $\\sigma$"},
        {"xpi", "X parm $\\pi$"},
        {"xlambda", "X parm $\\lambda$"},
        {"xleft", "X left border"},
        {"xright", "X right border"},
        {"xvar0", "X Var($\\beta$|H0)"},
        {"xvar1", "X Var($\\beta$|H1)"},
        {"expb1", "Exp($\\beta$1)"},
        {"baserate", "Base rate exp($\\beta$0)"},
        {"exposure", "Mean exposure"},
    };
    return labels;
}

inline std::string Label(PowerAnalysis& test, const std::string& key) {
    if (key == "crit") return ParameterNames[test.GetCriticalValueId()];
    const auto it = KeyLabels().find(key);
    if (it == KeyLabels().end()) {
        ADD_FAILURE() << "no label for key " << key;
        return key;
    }
    return it->second;
}

inline std::vector<std::string> LabelsOf(PowerAnalysis& test,
                                         const std::vector<std::string>& keys) {
    std::vector<std::string> labels;
    for (const std::string& key : keys) labels.push_back(Label(test, key));
    return labels;
}

// The labels of a list, in order.
inline std::vector<std::string> Names(const PropertyList& list) {
    std::vector<std::string> names;
    for (const Property* p : list) names.push_back(p->name);
    return names;
}

// The input and output lists that `type` builds carry these labels, in
// this order.
inline void ExpectListLabels(PowerAnalysis& test, AnalysisType type,
                             const std::vector<std::string>& inputLabels,
                             const std::vector<std::string>& outputLabels) {
    PropertyList inputs, outputs;
    test.BuildInputList(type, &inputs);
    test.BuildOutputList(type, &outputs);
    EXPECT_EQ(Names(inputs), inputLabels) << "type " << type;
    EXPECT_EQ(Names(outputs), outputLabels) << "type " << type;
}

// The same, with the rows named by their keys.
inline void ExpectListKeys(PowerAnalysis& test, AnalysisType type,
                           const std::vector<std::string>& inputKeys,
                           const std::vector<std::string>& outputKeys) {
    ExpectListLabels(test, type, LabelsOf(test, inputKeys), LabelsOf(test, outputKeys));
}

// `head` followed by `tail`: the rows every analysis type of a test shows
// first, then those of one type.
inline std::vector<std::string> Joined(std::vector<std::string> head,
                                       const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The effect input of `type` is the one that opens the effect-size panel of
// the test `testId`, with these conventions (nullptr: not checked).
inline void ExpectEffectInput(PowerAnalysis& test, AnalysisType type, const std::string& label,
                              TestId testId, const char* helpText = nullptr) {
    PropertyList inputs;
    test.BuildInputList(type, &inputs);
    const auto* effect = dynamic_cast<const PropertyExDouble*>(inputs.Find(label));
    ASSERT_NE(effect, nullptr) << label;
    EXPECT_EQ(effect->testId, testId) << label;
    if (helpText != nullptr) {
        EXPECT_EQ(effect->helpText, helpText) << label;
    }
}

// The codes of the analysis types a test offers, in the order it lists them.
inline std::vector<long> AnalysisTypeCodes(PowerAnalysis& test) {
    PropertyList types;
    test.GetAnalysisTypes(&types);
    std::vector<long> codes;
    for (const Property* p : types)
        codes.push_back(static_cast<const PropertyLong*>(p)->GetValue());
    return codes;
}

// The ids of the tests of a catalogue list, in order.
inline std::vector<int> TestIds(const TestList& list) {
    std::vector<int> ids;
    for (PowerAnalysis* test : list) ids.push_back(test->GetTestId());
    return ids;
}

// Texts to type, by key.
using Texts = std::map<std::string, std::string>;

// `texts` with the entries of `changes` put in or replaced.
inline Texts With(Texts texts, const Texts& changes) {
    for (const auto& [key, text] : changes) texts[key] = text;
    return texts;
}

// The type and texts of a case, for failure messages.
inline std::string Describe(AnalysisType type, const Texts& texts) {
    std::string text = "type " + std::to_string(type);
    for (const auto& [key, value] : texts) text += " " + key + "=" + value;
    return text;
}

// What one calculation left: its status, message and both lists.
struct Calculation {
    CalculateStatus status = kCalculateDone;
    std::string message;
    PropertyList inputs;
    PropertyList outputs;
    std::string criticalLabel;  // what "crit" names for the test that ran

    std::string LabelOf(const std::string& key) const {
        if (key == "crit") return criticalLabel;
        const auto it = KeyLabels().find(key);
        if (it == KeyLabels().end()) {
            ADD_FAILURE() << "no label for key " << key;
            return key;
        }
        return it->second;
    }
    // The row of the input with this key, or -1.
    int Row(const std::string& key) const { return RowLabelled(LabelOf(key)); }
    int RowLabelled(const std::string& label) const {
        int row = -1;
        inputs.FindWithIndex(label, &row);
        return row;
    }
    const Property* Output(const std::string& key) const { return outputs.Find(LabelOf(key)); }
    std::string Text(const std::string& key) const {
        const Property* p = Output(key);
        return p ? p->text : "<no output " + key + ">";
    }
    double Value(const std::string& key) const {
        const auto* p = dynamic_cast<const PropertyDouble*>(Output(key));
        return p ? p->GetValue() : NAN;
    }
};

// Builds the inputs of `type`, types `texts` into them (every key must name
// an input of the list; one not named keeps what the test shows) and
// calculates. The outputs are built, and filled only when the calculation
// succeeded.
inline std::unique_ptr<Calculation> Calculate(PowerAnalysis& test, AnalysisType type,
                                              const Texts& texts) {
    auto run = std::make_unique<Calculation>();
    run->criticalLabel = ParameterNames[test.GetCriticalValueId()];
    test.BuildInputList(type, &run->inputs);
    for (const auto& [key, text] : texts) {
        Property* input = run->inputs.Find(Label(test, key));
        if (input == nullptr) {
            ADD_FAILURE() << "type " << type << " has no input " << key;
            continue;
        }
        input->SetText(text);
    }
    run->status = CalculateWithInputErrors(&test, type, &run->inputs);
    run->message = test.GetMessage();
    test.BuildOutputList(type, &run->outputs);
    if (run->status < 0) test.GetOutputs(type, &run->outputs);
    return run;
}

// Half a unit in the last of the seven digits an output shows (seven
// decimals between 0.01 and 100, else seven significant digits), and a
// little for the error of the computation itself: relative, so an alpha or
// beta far below 1e-12 is held to its own seven digits.
inline double DisplayTolerance(double expected) {
    const double a = std::fabs(expected);
    double half;
    if (0.01 < a && a < 100.0) {
        half = 0.5e-7;
    } else if (a == 0.0) {
        half = 1e-12;
    } else {
        half = 0.5 * std::pow(10.0, std::floor(std::log10(a)) - 6.0);
    }
    return half + 1e-9 * a;
}

// The output with this label was written and shows `expected`: exactly for
// a whole-number output, else to the digits it displays.
inline void ExpectOutput(const PropertyList& outputs, const std::string& label, double expected,
                         const std::string& context) {
    const Property* output = outputs.Find(label);
    ASSERT_NE(output, nullptr) << context << ": no output " << label;
    const auto* value = dynamic_cast<const PropertyDouble*>(output);
    ASSERT_NE(value, nullptr) << context << ": " << label;
    EXPECT_NE(value->text, "?") << context << ": " << label << " not written";
    if (value->integral) {
        EXPECT_EQ(value->GetValue(), expected) << context << ": " << label;
    } else {
        EXPECT_NEAR(value->GetValue(), expected, DisplayTolerance(expected))
            << context << ": " << label << " shows \"" << value->text << "\"";
    }
}

inline double OutputValue(const PropertyList& outputs, const std::string& label) {
    const auto* value = dynamic_cast<const PropertyDouble*>(outputs.Find(label));
    return value != nullptr ? value->GetValue() : NAN;
}

// A refused calculation names the row of the input at fault and says why.
inline void ExpectRefused(const Calculation& run, const std::string& rowLabel,
                          const std::string& message, const std::string& context) {
    EXPECT_GE(run.status, 0) << context;
    EXPECT_EQ(run.status, run.RowLabelled(rowLabel)) << context;
    EXPECT_EQ(run.message, message) << context;
}

// A refused calculation: the type, the texts typed, the label of the row
// at fault and the message.
struct Refusal {
    AnalysisType type;
    Texts values;
    std::string row;
    std::string message;
};

// Calculates `refusal` on `test` and expects it refused so; returns the
// context for what the test checks further.
inline std::string ExpectRefusal(PowerAnalysis& test, const Refusal& refusal) {
    const auto run = Calculate(test, refusal.type, refusal.values);
    const std::string context = Describe(refusal.type, refusal.values);
    ExpectRefused(*run, refusal.row, refusal.message, context);
    return context;
}

// What one analysis type lists: its inputs, and the outputs it shows after
// those that every type of the test shows first.
struct TypeRows {
    AnalysisType type;
    std::vector<std::string> inputs, outputs;
};

// Each type of `rows` builds these lists on a fresh Test.
template <class Test>
void ExpectTypeRows(const std::vector<std::string>& head, const std::vector<TypeRows>& rows) {
    for (const TypeRows& r : rows) {
        Test test;
        ExpectListLabels(test, r.type, r.inputs, Joined(head, r.outputs));
    }
}

// A clone draws the distribution graph of its source: both curves agree at
// every `step`-th point.
inline void ExpectSameDistributionPlot(PowerAnalysis& source, PowerAnalysis& clone, size_t step) {
    PlotData original, copied;
    source.MakeDistributionPlot(&original);
    clone.MakeDistributionPlot(&copied);
    ASSERT_EQ(copied.centralCurve.size(), original.centralCurve.size());
    ASSERT_EQ(copied.noncentralCurve.size(), original.noncentralCurve.size());
    EXPECT_EQ(copied.criticalValue, original.criticalValue);
    const size_t points = std::min(original.centralCurve.size(), original.noncentralCurve.size());
    for (size_t i = 0; i < points; i += step) {
        EXPECT_EQ(copied.centralCurve[i].y, original.centralCurve[i].y) << i;
        EXPECT_EQ(copied.noncentralCurve[i].y, original.noncentralCurve[i].y) << i;
    }
}

// Every test a family registers, calculated in each analysis type with its
// standard inputs and again with each number a little off them, has clones
// that show the outputs it shows and draw the graph it draws: whatever the
// outputs and the graph read, a clone carries (a clone built with the
// standard values alone would pass the first run).
inline void ExpectClonesShowWhatTheirSourceShows(void (*registerFamily)(), const TestList& family) {
    registerFamily();
    for (PowerAnalysis* prototype : family) {
        PropertyList types;
        prototype->GetAnalysisTypes(&types);
        for (const Property* t : types) {
            const auto type =
                static_cast<AnalysisType>(static_cast<const PropertyLong*>(t)->GetValue());
            for (const bool shifted : {false, true}) {
                const std::string context = "test " + std::to_string(prototype->GetTestId()) +
                                            " type " + std::to_string(type) +
                                            (shifted ? " shifted inputs" : "");
                std::unique_ptr<PowerAnalysis> source(prototype->Clone());
                PropertyList inputs, shown, cloneShown;
                source->BuildInputList(type, &inputs);
                for (Property* input : inputs) {
                    if (!shifted) break;
                    std::ostringstream text;
                    text.precision(17);
                    if (auto* d = dynamic_cast<PropertyDouble*>(input)) {
                        text << (d->integral ? d->GetValue() + 1.0 : d->GetValue() * 1.03);
                    } else if (auto* l = dynamic_cast<PropertyLong*>(input)) {
                        text << l->GetValue() + 1;
                    } else {
                        continue;
                    }
                    input->SetText(text.str());
                }
                const CalculateStatus status =
                    CalculateWithInputErrors(source.get(), type, &inputs);
                if (shifted && status >= 0) continue;  // a shift may leave the admitted range
                ASSERT_LT(status, 0) << context << ": " << source->GetMessage();
                std::unique_ptr<PowerAnalysis> clone(source->Clone());
                source->BuildOutputList(type, &shown);
                source->GetOutputs(type, &shown);
                clone->BuildOutputList(type, &cloneShown);
                clone->GetOutputs(type, &cloneShown);
                std::vector<std::string> texts, cloneTexts;
                for (const Property* p : shown) texts.push_back(p->name + "=" + p->text);
                for (const Property* p : cloneShown) cloneTexts.push_back(p->name + "=" + p->text);
                EXPECT_EQ(cloneTexts, texts) << context;
                if (status == kCalculateDoneWithNoteNoPlot || !source->HasDistributionPlot())
                    continue;
                // To the last digits only: after a search the source's
                // distribution can hold the last trial's parameters, which
                // differ from the answer's in the last bits.
                PlotData original, copied;
                source->MakeDistributionPlot(&original);
                clone->MakeDistributionPlot(&copied);
                ASSERT_EQ(copied.noncentralCurve.size(), original.noncentralCurve.size())
                    << context;
                EXPECT_NEAR(copied.criticalValue, original.criticalValue,
                            1e-9 * std::fabs(original.criticalValue))
                    << context;
                for (size_t i = 0; i < original.noncentralCurve.size(); ++i) {
                    const double y = original.noncentralCurve[i].y;
                    EXPECT_NEAR(copied.noncentralCurve[i].y, y, 1e-9 * std::fabs(y) + 1e-300)
                        << context << " point " << i;
                }
            }
        }
    }
    ClearTestCatalogue();
}

// One row of a reference table whose tab-separated columns are the test id,
// the analysis type by name, the status, and the inputs and outputs as
// space-separated key=value pairs; '#' opens a comment line. A status of
// "none" says no answer exists: the calculation must fail.
struct ReferenceCase {
    AnalysisType type = kAPriori;
    int status = 0;
    bool noSolution = false;
    Texts inputs;
    std::vector<std::pair<std::string, double>> outputs;
    std::string line;
};

inline std::vector<std::pair<std::string, std::string>> SplitPairs(const std::string& field) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::istringstream in(field);
    std::string item;
    while (in >> item) {
        const size_t eq = item.find('=');
        pairs.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    }
    return pairs;
}

inline AnalysisType TypeNamed(const std::string& name) {
    static const std::map<std::string, AnalysisType> types = {{"apriori", kAPriori},
                                                              {"sensitivity", kSensitivity},
                                                              {"posthoc", kPostHoc},
                                                              {"criterion", kCriterion},
                                                              {"compromise", kCompromise}};
    return types.at(name);
}

// The rows for one test id of the table at `path` below the source root.
inline std::vector<ReferenceCase> ReadReferenceCases(const std::string& path, int testId) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/" + path);
    std::vector<ReferenceCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        std::string id, type, status, inputs, outputs;
        std::getline(row, id, '\t');
        std::getline(row, type, '\t');
        std::getline(row, status, '\t');
        std::getline(row, inputs, '\t');
        std::getline(row, outputs, '\t');
        if (std::stoi(id) != testId) continue;
        ReferenceCase c;
        c.type = TypeNamed(type);
        c.noSolution = status == "none";
        if (!c.noSolution) c.status = std::stoi(status);
        for (const auto& [key, text] : SplitPairs(inputs)) c.inputs[key] = text;
        for (const auto& [key, text] : SplitPairs(outputs))
            c.outputs.emplace_back(key, std::stod(text));
        c.line = line;
        cases.push_back(std::move(c));
    }
    return cases;
}

// Runs every row of the test's id on a fresh object from `make`: the status
// and every output listed must come out, or the failure of a row without
// an answer.
template <class Make>
void ExpectReferenceCases(const std::string& path, int testId, Make make, size_t minimumRows) {
    const std::vector<ReferenceCase> cases = ReadReferenceCases(path, testId);
    ASSERT_GE(cases.size(), minimumRows) << path << " missing or short";
    for (const ReferenceCase& c : cases) {
        auto test = make();
        if (c.noSolution) {
            EXPECT_THROW(Calculate(*test, c.type, c.inputs), QuorixError) << c.line;
            continue;
        }
        const auto run = Calculate(*test, c.type, c.inputs);
        EXPECT_EQ(run->status, c.status) << c.line << "\n" << run->message;
        for (const auto& [key, expected] : c.outputs) {
            ExpectOutput(run->outputs, Label(*test, key), expected, c.line);
        }
    }
}

// The same on a fresh Test for every row.
template <class Test>
void ExpectReferenceCasesOf(const std::string& path, int testId, size_t minimumRows) {
    ExpectReferenceCases(
        path, testId, [] { return std::make_unique<Test>(); }, minimumRows);
}

}  // namespace calc_test
