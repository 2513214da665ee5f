// Every test of the catalogue, in every analysis type it offers, with each
// of its inputs in turn given a text a user may type by mistake or to see
// what happens: undefined, infinite and huge numbers, negative and zero
// values, words, a decimal comma, formulas whose value is not a number,
// a number of ten thousand digits, and selections without an option. Each
// calculation either refuses on that input's row with a message, or shows
// results that can be results (finite, probabilities in [0, 1], whole
// sample sizes), or, in a type that searches, reports that its search could
// not meet the target (the calculation's failure, never a result). Never a
// wrong answer shown as a result, and nothing left behind: the same object
// then calculates the standard inputs as a fresh one does. And the same
// input set gets the same answer in every analysis type: refused on a row
// in one type, it is refused on that row, or answered soundly, in each
// other type that shows the row.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/catalogue.h"
#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "app/frame/installed_families.h"
#include "numerics/quorix_error.h"

namespace {

// The tests swept: a test joins the sweep with one line here.
constexpr TestId kSweptTests[] = {
    // Exact tests.
    kCorrelationExactTestId,
    kRegressionRandomTestId,
    kProportionTestId,
    kMcNemarTestId,
    kFisherTestId,
    kUnconditionalTwoProportionsTestId,
    kUnconditionalOffsetTestId,
    kSignTestId,
    kGenericBinomialTestId,
    // F tests.
    kAncovaTestId,
    kAnovaGlobalTestId,
    kAnovaSpecialTestId,
    kRepeatedBetweenTestId,
    kRepeatedWithinTestId,
    kRepeatedInteractionTestId,
    kHotellingOneGroupTestId,
    kHotellingTwoGroupsTestId,
    kManovaGlobalTestId,
    kManovaSpecialTestId,
    kManovaRepeatedBetweenTestId,
    kManovaRepeatedWithinTestId,
    kManovaRepeatedInteractionTestId,
    kRegressionR2TestId,
    kRegressionR2IncreaseTestId,
    kVarianceRatioTestId,
    kGenericFTestId,
    // t tests.
    kPointBiserialTestId,
    kOneSlopeTestId,
    kTwoInterceptsTestId,
    kTwoSlopesTestId,
    kRegressionCoefficientTestId,
    kMatchedPairsTestId,
    kTwoMeansTestId,
    kOneMeanTestId,
    kWilcoxonMatchedPairsTestId,
    kWilcoxonOneSampleTestId,
    kWilcoxonTwoGroupsTestId,
    kGenericTTestId,
    // Chi-square tests.
    kGoodnessOfFitTestId,
    kVarianceTestId,
    kGenericChiSquareTestId,
    // z tests.
    kTetrachoricTestId,
    kLogisticRegressionTestId,
    kPoissonRegressionTestId,
    kDependentCorrelationsCommonIndexTestId,
    kDependentCorrelationsTestId,
    kTwoCorrelationsTestId,
    kTwoProportionsTestId,
    kGenericZTestId,
};

// Inputs checked together with another one, whose message stands on the
// other's row: the correlations of the dependent-correlations test (the
// matrix of all must be positive semi-definite), the slope test's
// standard deviation of x (|slope| below sy/sx, on the slope's row).
bool IsRelational(TestId id, const std::string& label) {
    if (id == kDependentCorrelationsTestId || id == kDependentCorrelationsCommonIndexTestId) {
        return label.find("corr") != std::string::npos;
    }
    // The total number of predictors of test 104 (not below the tested
    // ones, on theirs) and the constant proportion of 602 (p1 = p0 + g in
    // (0, 1), on g's row).
    if (id == kRegressionR2IncreaseTestId) return label == "Total number of predictors";
    if (id == kProportionTestId) return label == "Constant proportion";
    return id == kOneSlopeTestId && label == "Std dev $\\sigma$_x";
}

// Texts for the number inputs that no input takes as they stand: each is
// refused on its own row. "=ln(-1)" does not parse (there is no ln);
// "=sqrt(-1)" and "=log(-1)" parse and have no value. "2147483647", the
// largest int, overflows a count that is added to or multiplied with another
// in int arithmetic. "-0" is a zero: it shows what "0" shows. "1" is the
// end of a proportion's or a correlation's range.
std::vector<std::string> BadTexts() {
    return {"nan",        "NaN",
            "inf",        "-inf",
            "1e308",      "-1",
            "0",          "-0",
            "1",          "1e30",
            "2147483648", "2147483647",
            "abc",        "",
            "0,05",       "=1/0",
            "=-1/0",      "=ln(-1)",
            "=log(-1)",   "=sqrt(-1)",
            "=1e308*10",  std::string(10000, '9')};
}

// Values an input may take on its own that meet the edge of a model with
// the other inputs: tiny, subnormal and huge magnitudes, a large count of
// measurements, -0.5 (a correlation that makes a compound-symmetric
// covariance of three measurements singular), the first value a
// correlation check refuses and the last double below 1. Such a value may
// be refused on the row of the input it meets (alpha 0.999999 above the
// power).
std::vector<std::string> EdgeTexts() {
    return {"1e-300", "1e300", "1e-320", "-1e308", "1e7", "-0.5", "0.999999", "0.9999999999999999"};
}

// Selections: no option, and one past the last.
constexpr const char* kNoOption = "<no option>";
constexpr const char* kPastLast = "<past the last option>";

bool IsSelection(const Property& p) {
    return p.GetType() == Property::kSelection;
}

void TypeInto(Property* input, const std::string& text) {
    if (!IsSelection(*input)) {
        input->SetText(text);
        return;
    }
    auto* selection = static_cast<PropertySelection*>(input);
    selection->index = text == kNoOption ? -1 : selection->GetOptionCount();
}

bool IsProbability(const std::string& label) {
    for (ParameterId id : {kAlphaId, kPowerId, kBetaId, kActualPowerId, kActualAlphaId}) {
        if (label == ParameterNames[id]) return true;
    }
    return false;
}

bool IsDf(const std::string& label) {
    for (ParameterId id : {kDfId, kNumeratorDfId, kDenominatorDfId}) {
        if (label == ParameterNames[id]) return true;
    }
    return false;
}

// What one calculation showed: refused (with its row), results (the output
// texts), or a failure (its text).
struct Shown {
    enum Kind { kRefused, kResults, kFailed } kind = kResults;
    int row = -1;
    std::string text;   // the message, the failure or the output texts
    std::string fault;  // empty when what was shown is sound
};

Shown CalculateShown(PowerAnalysis& test, AnalysisType type, PropertyList* inputs) {
    Shown shown;
    CalculateStatus status = kCalculateDone;
    try {
        status = CalculateWithInputErrors(&test, type, inputs);
    } catch (const QuorixError& e) {
        shown.kind = Shown::kFailed;
        shown.text = e.what();
        // A search may find its target beyond what the doubles or its range
        // reach (the alpha for power 0.95 at lambda 2e9 lies far below 1e-16,
        // the only critical values 1 - alpha can still tell apart). Post hoc
        // searches nothing and takes every input the searches take but power
        // and the ratio, which have fixed ranges: a failure there means an
        // input that should have been refused.
        if (type == kPostHoc) shown.fault = "failed: " + shown.text;
        return shown;
    } catch (const std::exception& e) {
        shown.kind = Shown::kFailed;
        shown.text = e.what();
        shown.fault = std::string("unexpected exception: ") + e.what();
        return shown;
    }
    if (status >= 0) {
        shown.kind = Shown::kRefused;
        shown.row = status;
        shown.text = test.GetMessage();
        if (shown.text.empty()) shown.fault = "refused without a message";
        return shown;
    }
    PropertyList outputs;
    test.BuildOutputList(type, &outputs);
    test.GetOutputs(type, &outputs);
    for (const Property* output : outputs) {
        shown.text += output->name + "=" + output->text + " ";
        const auto* number = dynamic_cast<const PropertyDouble*>(output);
        if (number == nullptr) continue;
        const double v = number->GetValue();
        const bool sound = std::isfinite(v) &&
                           (!IsProbability(output->name) || (0 <= v && v <= 1)) &&
                           (!number->integral || v == std::floor(v));
        if (!sound) shown.fault += "shows " + output->name + " = " + output->text + "; ";
    }
    return shown;
}

class ExtremeInputs : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InstallTestFamilies();
        BuildTestCatalogue();
    }
    static void TearDownTestSuite() { ClearTestCatalogue(); }
};

TEST_F(ExtremeInputs, EveryTestOfTheCatalogueIsSwept) {
    for (TestId id : kSweptTests) EXPECT_NE(FindTest(id), nullptr) << "no test " << id;
    for (const TestList& family : TestCatalogue) {
        for (PowerAnalysis* test : family) {
            EXPECT_NE(std::find(std::begin(kSweptTests), std::end(kSweptTests), test->GetTestId()),
                      std::end(kSweptTests))
                << "test " << test->GetTestId() << " (" << test->GetTestName()
                << ") is not swept: add its line to kSweptTests";
        }
    }
}

// An A priori analysis without an effect has no sample size to find: it is
// refused on the effect's row with a sentence, as the other tests do, not
// left to the search, which ended in the generic message.
TEST_F(ExtremeInputs, NoEffectInAPrioriIsRefusedOnTheEffectRow) {
    struct Case {
        TestId id;
        std::map<std::string, std::string> texts;
        std::string effectLabel;
        std::string message;
    };
    const std::string effectSize =
        "In an a priori analysis, the absolute value of the\neffect size must be greater than "
        "0.00001.";
    const Case cases[] = {
        {kTwoCorrelationsTestId, {{"Effect size q", "0"}}, "Effect size q", effectSize},
        {kTwoCorrelationsTestId, {{"Effect size q", "-0.000001"}}, "Effect size q", effectSize},
        {kTwoProportionsTestId,
         {{"Proportion p1", "0.6"}, {"Proportion p2", "0.6"}},
         "Proportion p2",
         "In an a priori analysis, the proportions p1 and p2\nmust differ by more than 0.00001."},
        {kGenericBinomialTestId,
         {{"Proportion p1", "0.3"}, {"Proportion p2", "0.3"}},
         "Proportion p2",
         "In an a priori analysis, the proportions p1 and p2\nmust differ by more than 1e-06."},
        {kUnconditionalTwoProportionsTestId,
         {{ParameterNames[kDifferenceId], "0"}},
         ParameterNames[kDifferenceId],
         "In an a priori analysis, the proportions p1 and p2\nmust differ by more than 1e-06."},
        {kMcNemarTestId,
         {{"Odds ratio", "1"}},
         "Odds ratio",
         "In an a priori analysis, the odds ratio\nmust differ from 1 by more than 1e-06."},
        {kOneSlopeTestId,
         {{"Slope H0", "0.2"}, {"Slope H1", "0.2"}},
         "Slope H1",
         "In an a priori analysis, the slopes under H1 and H0\nmust differ by more than 0.00001."},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PowerAnalysis> test(FindTest(c.id)->Clone());
        PropertyList inputs;
        test->BuildInputList(kAPriori, &inputs);
        for (const auto& [label, text] : c.texts) {
            Property* input = inputs.Find(label);
            ASSERT_NE(input, nullptr) << c.id << " has no input " << label;
            input->SetText(text);
        }
        int effectRow = -1;
        inputs.FindWithIndex(c.effectLabel, &effectRow);
        const Shown shown = CalculateShown(*test, kAPriori, &inputs);
        EXPECT_EQ(shown.kind, Shown::kRefused) << c.id << ": " << shown.text;
        EXPECT_EQ(shown.row, effectRow) << c.id;
        EXPECT_EQ(shown.text, c.message) << c.id;
    }
}

// One input set of the sweep: the inputs typed, by label, and their texts.
// Most sets change one input; a selection may be set to each of its
// options (the inputs of a new layout at their standard values); two inputs
// that name one quantity under H0 and under H1 get the same text; and a
// design may be degenerate in two inputs together.
struct InputSet {
    std::vector<std::pair<std::string, std::string>> texts;

    std::string Key() const {
        std::string key;
        for (const auto& [label, text] : texts)
            key += "\"" + label + "\" = \"" + text.substr(0, 24) + "\" ";
        return key;
    }
    bool Single() const { return texts.size() == 1; }
};

constexpr const char* kOptionPrefix = "<option ";

// Texts typed into both inputs of a quantity under H0 and H1: no effect at
// all, and no effect at the end of a correlation's range.
const std::vector<std::string> kTwinTexts = {"0", "0.999999"};

// Designs degenerate in two inputs together: three measurements whose
// correlation -0.5 makes the compound-symmetric covariance singular.
const std::vector<std::vector<std::pair<std::string, std::string>>> kJointSets = {
    {{"Number of measurements", "3"}, {"Corr among rep measures", "-0.5"}},
};

std::string TwinOf(const std::string& label) {
    std::string twin = label;
    const size_t at = twin.find("H0");
    if (at == std::string::npos) return "";
    twin.replace(at, 2, "H1");
    return twin;
}

// The input sets of one type's standard input list.
std::vector<InputSet> InputSetsOf(const PropertyList& standard) {
    std::vector<InputSet> sets;
    for (const Property* input : standard) {
        if (!IsSelection(*input)) {
            for (const std::string& text : BadTexts()) sets.push_back({{{input->name, text}}});
            for (const std::string& text : EdgeTexts()) sets.push_back({{{input->name, text}}});
            continue;
        }
        sets.push_back({{{input->name, kNoOption}}});
        sets.push_back({{{input->name, kPastLast}}});
        const int options = static_cast<const PropertySelection*>(input)->GetOptionCount();
        for (int i = 0; i < options; ++i) {
            sets.push_back({{{input->name, kOptionPrefix + std::to_string(i) + ">"}}});
        }
    }
    for (const Property* input : standard) {
        const std::string twin = TwinOf(input->name);
        if (twin.empty() || IsSelection(*input) || standard.Find(twin) == nullptr) continue;
        for (const std::string& text : kTwinTexts) {
            sets.push_back({{{input->name, text}, {twin, text}}});
        }
    }
    for (const auto& joint : kJointSets) {
        const bool all = std::all_of(joint.begin(), joint.end(), [&](const auto& labelText) {
            return standard.Find(labelText.first) != nullptr;
        });
        if (all) sets.push_back({joint});
    }
    return sets;
}

// What an input set showed in one analysis type; the refused row by its
// label, so that the types compare.
struct TypeOutcome {
    AnalysisType type;
    Shown shown;
    std::string refusedLabel;
    std::vector<std::string> labels;  // the inputs the type showed
};

// Unsound results of an edge value: Post hoc of the exact R^2 test with
// H1 rho^2 = 0.999999 fails to converge.
struct EdgeFault {
    TestId id;
    AnalysisType type;
    const char* label;
};
const EdgeFault kEdgeFaultExceptions[] = {
    {kRegressionRandomTestId, kPostHoc, "H1 $\\rho$$^2$"},
};

bool IsEdgeFaultException(TestId id, AnalysisType type, const InputSet& set) {
    return std::any_of(std::begin(kEdgeFaultExceptions), std::end(kEdgeFaultExceptions),
                       [&](const EdgeFault& e) {
                           return e.id == id && e.type == type && set.Single() &&
                                  set.texts.front().first == e.label;
                       });
}

// One case per test, so the sweep's cost spreads over parallel test runs.
class ExtremeInputsOfTest : public ExtremeInputs, public ::testing::WithParamInterface<TestId> {
  protected:
    // The sweep of one test, every input set in every type: the outcomes by
    // input set, filled by SweepEveryType.
    std::map<std::string, std::vector<TypeOutcome>> outcomes_;
    std::map<std::string, InputSet> setsByKey_;

    void SweepEveryType(TestId id);
    void ExpectTheSameRefusalInEveryType(TestId id);
};

void TypeSet(PowerAnalysis& test, AnalysisType type, PropertyList* inputs, const InputSet& set) {
    for (const auto& [label, text] : set.texts) {
        Property* input = inputs->Find(label);
        if (text.rfind(kOptionPrefix, 0) == 0) {
            auto* selection = static_cast<PropertySelection*>(input);
            selection->SetIndex(std::stoi(text.substr(std::string(kOptionPrefix).size())));
            // As the window does after a selection: a new layout shows its
            // own inputs.
            test.RememberInputs(inputs);
            if (test.InputsChangeLayout(type, inputs)) {
                inputs->Clear();
                test.BuildInputList(type, inputs);
            }
            continue;
        }
        TypeInto(input, text);
    }
}

void ExtremeInputsOfTest::SweepEveryType(TestId id) {
    PowerAnalysis* prototype = FindTest(id);
    ASSERT_NE(prototype, nullptr) << "no test " << id;
    PropertyList types;
    prototype->GetAnalysisTypes(&types);
    for (const Property* t : types) {
        const auto type =
            static_cast<AnalysisType>(static_cast<const PropertyLong*>(t)->GetValue());
        PropertyList standard;
        prototype->BuildInputList(type, &standard);
        std::unique_ptr<PowerAnalysis> fresh(prototype->Clone());
        const Shown baseline = CalculateShown(*fresh, type, &standard);
        std::map<std::string, std::map<std::string, Shown>> byLabelText;
        for (const InputSet& set : InputSetsOf(standard)) {
            const std::string context =
                "test " + std::to_string(id) + " type " + std::to_string(type) + " " + set.Key();
            std::unique_ptr<PowerAnalysis> test(prototype->Clone());
            PropertyList inputs;
            test->BuildInputList(type, &inputs);
            TypeSet(*test, type, &inputs, set);
            const Shown shown = CalculateShown(*test, type, &inputs);
            if (!IsEdgeFaultException(id, type, set)) {
                EXPECT_EQ(shown.fault, "") << context << "\n" << shown.text;
            }
            TypeOutcome outcome{type, shown, "", {}};
            for (const Property* input : inputs) outcome.labels.push_back(input->name);
            if (shown.kind == Shown::kRefused && 0 <= shown.row &&
                shown.row < static_cast<int>(inputs.size())) {
                outcome.refusedLabel = inputs[shown.row]->name;
            }
            outcomes_[set.Key()].push_back(outcome);
            setsByKey_[set.Key()] = set;
            if (!set.Single()) continue;
            const auto& [label, text] = set.texts.front();
            if (text.rfind(kOptionPrefix, 0) == 0) continue;
            // The largest int is a count of its own right; it is the sample
            // size it is checked against (a total of the groups, N above the
            // groups or predictors) that refuses it.
            const bool againstSampleSize =
                text == "2147483647" && shown.text.find("ample size") != std::string::npos;
            const std::vector<std::string> edge = EdgeTexts();
            const bool isEdge = std::find(edge.begin(), edge.end(), text) != edge.end();
            if (shown.kind == Shown::kRefused && !IsRelational(id, label) && !againstSampleSize &&
                !isEdge) {
                EXPECT_EQ(outcome.refusedLabel, label)
                    << context << " refused on another row: " << shown.text;
            }
            byLabelText[label][text] = shown;
            // The standard inputs again, on the same object (the values
            // that no input takes, which a read may leave half taken).
            if (isEdge) continue;
            int row = -1;
            inputs.FindWithIndex(label, &row);
            inputs[row]->SetText(standard[row]->text);
            const Shown after = CalculateShown(*test, type, &inputs);
            EXPECT_EQ(after.kind, baseline.kind) << context << " left something behind";
            EXPECT_EQ(after.text, baseline.text) << context << " left something behind";
        }
        for (auto& [label, byText] : byLabelText) {
            if (byText.count("0") == 0) continue;
            EXPECT_EQ(byText["-0"].text, byText["0"].text)
                << "test " << id << " type " << type << " " << label << ": -0 against 0";
            // Where the answers have reached their limit for infinite df, a
            // df of 1e308 shows what 1e30 shows (or is refused).
            const Shown& huge = byText["1e308"];
            const Shown& large = byText["1e30"];
            if (IsDf(label) && huge.kind == Shown::kResults && large.kind == Shown::kResults) {
                EXPECT_EQ(huge.text, large.text)
                    << "test " << id << " type " << type << " " << label << ": 1e308 against 1e30";
            }
        }
    }
}

// A search that fails where another type names the input hides the reason
// from the user.
void ExtremeInputsOfTest::ExpectTheSameRefusalInEveryType(TestId id) {
    // The same input set, the same answer in every type: refused on a row
    // in one type, it is refused on that row, or answered soundly, in every
    // other type that shows the row.
    for (const auto& [key, byType] : outcomes_) {
        for (const TypeOutcome& refused : byType) {
            if (refused.shown.kind != Shown::kRefused) continue;
            for (const TypeOutcome& other : byType) {
                if (other.type == refused.type) continue;
                if (std::find(other.labels.begin(), other.labels.end(), refused.refusedLabel) ==
                    other.labels.end()) {
                    continue;
                }
                // An input checked together with another may be refused on
                // either row, as the type's own checks come in their order.
                const InputSet& set = setsByKey_[key];
                const bool relational = set.Single() && IsRelational(id, set.texts.front().first);
                const bool sameRow = other.shown.kind == Shown::kRefused &&
                                     (other.refusedLabel == refused.refusedLabel || relational);
                const bool sound = other.shown.kind == Shown::kResults && other.shown.fault.empty();
                EXPECT_TRUE(sameRow || sound)
                    << "test " << id << " " << key << ": type " << refused.type << " refuses on \""
                    << refused.refusedLabel << "\": " << refused.shown.text << "\n  type "
                    << other.type << " shows: " << other.shown.text;
            }
        }
    }
}

// Both rules read one sweep, which is what costs the time.
TEST_P(ExtremeInputsOfTest, RefusedOnTheirRowOrSoundInEveryTypeAndNothingLeftBehind) {
    SweepEveryType(GetParam());
    ExpectTheSameRefusalInEveryType(GetParam());
}

INSTANTIATE_TEST_SUITE_P(EveryTest, ExtremeInputsOfTest, ::testing::ValuesIn(kSweptTests),
                         [](const ::testing::TestParamInfo<TestId>& swept) {
                             return "Test" + std::to_string(static_cast<int>(swept.param));
                         });

}  // namespace
