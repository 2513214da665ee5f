// The Options command: which dialog a test gets, what is copied into it and
// back, the effect conversions when the effect input changes, the criterion
// choice of the multivariate tests and the drawer's rebuild.

#include "app/options/options_command.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/catalogue.h"
#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/drawer/drawer_wnd.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/installed_families.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/options/options_test_support.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_uncond_null.h"
#include "power/exact/power_exact_uncond_offset.h"
#include "power/f/power_f_multivariate.h"
#include "power/f/power_f_repeated.h"
#include "power/t/power_t_wilcoxon.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"
#include "power/z/power_z_two_prop.h"

namespace {

using Kind = OptionsDialogKind;

// Answers every options dialog without a window: records what it was shown
// and lets the test change the fields and choose OK or Cancel.
class ScriptedOptions : public OptionsDialogService {
  public:
    int DoModal(QWidget*, const OptionsDialogInfo& dialog, OptionsDialogFields* fields) override {
        ++shown;
        lastDialog = dialog;
        shownFields = *fields;
        if (answer) answer(fields);
        return result;
    }
    int shown = 0;
    OptionsDialogInfo lastDialog;
    OptionsDialogFields shownFields;
    std::function<void(OptionsDialogFields*)> answer;
    int result = 1;
};

class Options : public options_test::MainWindowWithOptions<ScriptedOptions> {
  protected:
    template <class Test>
    Test* Choose(int testId) {
        EXPECT_TRUE(frame->SelectTest(testId)) << testId;
        auto* test = dynamic_cast<Test*>(frame->CurrentTest());
        EXPECT_NE(test, nullptr) << testId;
        return test;
    }
    double Shown(int parameterId) {
        Property* input = frame->FindParameter(ParameterNames[parameterId]);
        EXPECT_NE(input, nullptr) << ParameterNames[parameterId];
        return input ? static_cast<PropertyDouble*>(input)->GetValue() : NAN;
    }
    bool Shows(int parameterId) {
        return frame->FindParameter(ParameterNames[parameterId]) != nullptr;
    }
    // Runs the command with the drawer open and tells whether the drawer
    // was closed and opened again.
    bool DrawerRebuilt(int testId) {
        return DrawerRebuiltBy([&] { frame->CreateEffectSizePanels(testId); },
                               [&] { EXPECT_TRUE(frame->OnOptions()); });
    }
};

TEST(OptionsDialogTable, GivesEachTestTheDialogItDeclares) {
    InstallTestFamilies();
    BuildTestCatalogue();
    struct Row {
        int testId;
        Kind kind;
        const char* className;
        int templateId;
    };
    const Row rows[] = {
        {108, Kind::kRepm, "COpt_Repm", 248},
        {110, Kind::kRepm, "COpt_Repm", 248},
        {111, Kind::kRepMMulti, "COpt_RepMMulti", 191},
        {113, Kind::kRepMMulti, "COpt_RepMMulti", 191},
        {114, Kind::kFManova, "COpt_F_Manova", 205},
        {115, Kind::kFManova, "COpt_F_Manova", 205},
        {205, Kind::kTWilcoxon, "COpt_T_Wilcoxon", 227},
        {207, Kind::kTWilcoxon, "COpt_T_Wilcoxon", 227},
        {301, Kind::kZTwoProp, "COpt_Z_TwoProp", 165},
        {308, Kind::kZPoisson, "COpt_Z_Poisson", 242},
        {309, Kind::kZTetraCorr, "COpt_Z_TetraCorr", 232},
        {310, Kind::kZLogistic, "COpt_Z_Logistic", 243},
        {601, Kind::kExactBinomial, "COpt_Exact_Binomial", 166},
        {603, Kind::kExactBinomial, "COpt_Exact_Binomial", 166},
        {604, Kind::kExactMcNemar, "COpt_Exact_McNemar", 167},
        {605, Kind::kExactOneCorr, "COpt_Exact_OneCorr", 198},
        {606, Kind::kExactFisherExact, "COpt_Exact_FisherExact", 199},
        {608, Kind::kExactTwoPropUncIeq, "COpt_Exact_TwoProp_Unc_Ieq", 203},
        {611, Kind::kExactMRC, "COpt_Exact_MRC", 244},
    };
    for (const Row& row : rows) {
        PowerAnalysis* test = FindTest(row.testId);
        ASSERT_NE(test, nullptr) << row.testId;
        const OptionsDialogInfo info = OptionsDialogFor(test);
        EXPECT_EQ(info.kind, row.kind) << row.testId;
        EXPECT_STREQ(info.className, row.className) << row.testId;
        EXPECT_EQ(info.templateId, row.templateId) << row.testId;
    }
    for (int none :
         {100, 107, 116, 200, 201, 204, 208, 300, 302, 303, 306, 307, 401, 402, 609, 610}) {
        EXPECT_EQ(OptionsDialogFor(FindTest(none)).kind, Kind::kNone) << none;
    }
    // The regressions' general dialog keeps its form, though no test of
    // the catalogue declares it.
    const OptionsDialogInfo regression = OptionsDialogNamed("COpt_Z_LogRegress");
    EXPECT_EQ(regression.kind, Kind::kZLogRegress);
    EXPECT_EQ(regression.templateId, 226);
    EXPECT_EQ(OptionsDialogNamed("COpt_None").kind, Kind::kNone);
    ClearTestCatalogue();
}

TEST(CriterionChoice, MapsCriterionIdsToTheRadioGroupsAndBack) {
    const int table[][3] = {
        {100, 0, 1}, {101, 0, 0}, {102, 1, 1}, {103, 1, 0},
        {104, 2, 1}, {105, 2, 0}, {106, 3, 1}, {107, 3, 0},
    };
    for (const auto& row : table) {
        OptionsDialogFields fields;
        ASSERT_TRUE(CriterionToRadios(row[0], &fields)) << row[0];
        EXPECT_EQ(fields.Radio(kStatisticGroup), row[1]) << row[0];
        EXPECT_EQ(fields.Radio(kAlgorithmGroup), row[2]) << row[0];
        EXPECT_EQ(CriterionFromRadios(fields), row[0]);
    }
    // An id outside the table leaves the dialog's defaults.
    for (int id : {99, 108, -1}) {
        OptionsDialogFields fields;
        fields.radios = {{kStatisticGroup, 2}, {kAlgorithmGroup, 1}};
        EXPECT_FALSE(CriterionToRadios(id, &fields));
        EXPECT_EQ(fields.Radio(kStatisticGroup), 2);
        EXPECT_EQ(fields.Radio(kAlgorithmGroup), 1);
    }
    OptionsDialogFields unset;
    EXPECT_EQ(CriterionFromRadios(unset), -1);
    unset.radios = {{kStatisticGroup, 4}, {kAlgorithmGroup, 0}};
    EXPECT_EQ(CriterionFromRadios(unset), -1);
}

TEST_F(Options, TestsWithoutADialogDoNothing) {
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    EXPECT_FALSE(frame->CurrentTest()->HasOptions());
    EXPECT_FALSE(frame->OnOptions());
    EXPECT_EQ(options->shown, 0);
    // Exact tests all have options; those without a dialog still do nothing.
    for (int id : {609, 610}) {
        if (!FindTest(id)) continue;
        ASSERT_TRUE(frame->SelectTest(id));
        EXPECT_FALSE(frame->OnOptions()) << id;
    }
    EXPECT_EQ(options->shown, 0);
}

TEST_F(Options, CancelChangesNoOptionButBlanksTheOutputs) {
    auto* test = Choose<PowerZTwoProp>(kTwoProportionsTestId);
    ASSERT_NE(test, nullptr);
    frame->OnCalculate();
    ASSERT_TRUE(frame->OutputsValid());
    CQuorixMainCompForm* form = frame->EditFieldForm();
    const QString calculated = form->ControlText(form_tables::OutputEditId(0));
    options->answer = [](OptionsDialogFields* f) {
        f->checks[1019] = 1;
        f->checks[1021] = 1;
        f->radios[1039] = 1;
    };
    options->result = 2;
    frame->CreateEffectSizePanels(kTwoProportionsTestId);
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_EQ(options->shown, 1);
    EXPECT_STREQ(options->lastDialog.className, "COpt_Z_TwoProp");
    EXPECT_FALSE(test->continuityCorrection);
    EXPECT_FALSE(test->arcsinTransform);
    EXPECT_TRUE(test->inputProportions);
    EXPECT_FALSE(frame->OutputsValid());
    EXPECT_NE(form->ControlText(form_tables::OutputEditId(0)), calculated);
    EXPECT_EQ(frame->EffectSizeDrawer(), drawer);
}

TEST_F(Options, NoDialogShownKeepsTheResults) {
    Choose<PowerZTwoProp>(kTwoProportionsTestId);
    frame->OnCalculate();
    ASSERT_TRUE(frame->OutputsValid());
    options->result = kNoDialog;
    EXPECT_FALSE(frame->OnOptions());
    EXPECT_TRUE(frame->OutputsValid());
}

TEST_F(Options, TwoProportionsSwitchBetweenHAndP2) {
    auto* test = Choose<PowerZTwoProp>(kTwoProportionsTestId);
    ASSERT_NE(test, nullptr);
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/options/effect_conversions.tsv");
    ASSERT_TRUE(in) << "reference table missing";
    std::string line;
    std::getline(in, line);
    int rows = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        double p1 = 0.0, given = 0.0, expected = 0.0;
        fields >> kind >> p1 >> given >> expected;
        const bool toP2 = kind == "h_to_p2";
        // Start in the other form, type p1 and the effect, switch.
        options->answer = [toP2](OptionsDialogFields* f) { f->radios[1039] = toP2 ? 1 : 0; };
        frame->OnOptions();
        ASSERT_EQ(test->inputProportions, !toP2);
        frame->SetParameterValue(ParameterNames[kProportionP1Id], p1);
        frame->SetParameterValue(ParameterNames[toP2 ? kEffectSizeHId : kProportionP2Id], given);
        options->answer = [toP2](OptionsDialogFields* f) {
            EXPECT_EQ(f->Radio(1039), toP2 ? 1 : 0);
            f->radios[1039] = toP2 ? 0 : 1;
        };
        ASSERT_TRUE(frame->OnOptions());
        EXPECT_EQ(test->inputProportions, toP2);
        const int shownId = toP2 ? kProportionP2Id : kEffectSizeHId;
        ASSERT_TRUE(Shows(shownId)) << line;
        EXPECT_FALSE(Shows(toP2 ? kEffectSizeHId : kProportionP2Id)) << line;
        EXPECT_NEAR(Shown(shownId), expected, 5e-7 * std::max(1.0, std::fabs(expected))) << line;
        EXPECT_DOUBLE_EQ(Shown(kProportionP1Id), p1) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 10);
}

TEST_F(Options, ManovaCriterionIsReplacedAndTheDrawerAlwaysRebuilt) {
    auto* test = Choose<PowerFManovaGlobal>(kManovaGlobalTestId);
    ASSERT_NE(test, nullptr);
    const int initial = test->criterion->GetCriterionId();
    options->answer = [](OptionsDialogFields* f) {
        f->radios[kStatisticGroup] = 3;
        f->radios[kAlgorithmGroup] = 0;
    };
    EXPECT_TRUE(frame->OnOptions());
    OptionsDialogFields expectedIn;
    CriterionToRadios(initial, &expectedIn);
    EXPECT_EQ(options->shownFields.radios, expectedIn.radios);
    EXPECT_EQ(test->criterion->GetCriterionId(), 107);
    // OK with nothing changed still reopens an open drawer.
    options->answer = nullptr;
    EXPECT_TRUE(DrawerRebuilt(kManovaGlobalTestId));
    EXPECT_EQ(test->criterion->GetCriterionId(), 107);
    // Cancel does not.
    options->result = 2;
    EXPECT_FALSE(DrawerRebuilt(kManovaGlobalTestId));
}

TEST_F(Options, RepeatedMeasuresMultivariateCriterionAndMeanCorrelation) {
    auto* between = Choose<PowerFRepMMultiBetween>(kManovaRepeatedBetweenTestId);
    ASSERT_NE(between, nullptr);
    // Unchanged choices leave the drawer; a new criterion or flag rebuilds it.
    EXPECT_FALSE(DrawerRebuilt(kManovaRepeatedBetweenTestId));
    EXPECT_TRUE(options->shownFields.checkEnabled);
    options->answer = [](OptionsDialogFields* f) { f->checks[1019] = 1 - f->Check(1019); };
    const bool flag = between->useMeanCorrelation;
    EXPECT_TRUE(DrawerRebuilt(kManovaRepeatedBetweenTestId));
    EXPECT_EQ(between->useMeanCorrelation, !flag);
    options->answer = [](OptionsDialogFields* f) {
        f->radios[kStatisticGroup] = 1;
        f->radios[kAlgorithmGroup] = 1;
    };
    EXPECT_TRUE(DrawerRebuilt(kManovaRepeatedBetweenTestId));
    EXPECT_EQ(between->criterion->GetCriterionId(), 102);

    Choose<PowerFRepMMultiBetween>(kManovaRepeatedInteractionTestId);
    options->answer = nullptr;
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_FALSE(options->shownFields.checkEnabled);
}

TEST_F(Options, RepeatedMeasuresSpecificationConvertsOnlyWhenChanged) {
    auto* test = Choose<PowerFRepMBetween>(kRepeatedBetweenTestId);
    ASSERT_NE(test, nullptr);
    const int oldId = test->GetEffectSizeId();
    frame->SetParameterValue(ParameterNames[oldId], 0.3);
    options->answer = [&](OptionsDialogFields* f) {
        EXPECT_EQ(f->Radio(1230), test->effectSizeSpecification);
    };
    EXPECT_FALSE(DrawerRebuilt(kRepeatedBetweenTestId));
    EXPECT_DOUBLE_EQ(Shown(oldId), 0.3);

    const int from = test->effectSizeSpecification;
    const int to = from == 3 ? 0 : 3;
    options->answer = [to](OptionsDialogFields* f) { f->radios[1230] = to; };
    EXPECT_TRUE(DrawerRebuilt(kRepeatedBetweenTestId));
    EXPECT_EQ(test->effectSizeSpecification, to);
    EXPECT_NE(test->GetEffectSizeId(), oldId);
    EXPECT_NEAR(Shown(test->GetEffectSizeId()), test->effectSize, 5e-7 * test->effectSize);
    EXPECT_NE(test->effectSize, 0.3);
    // Converting back describes the effect that was typed.
    options->answer = [from](OptionsDialogFields* f) { f->radios[1230] = from; };
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_EQ(test->effectSizeSpecification, from);
    EXPECT_NEAR(Shown(oldId), 0.3, 5e-7);
}

TEST_F(Options, WilcoxonEffectBetweenDAndP1) {
    auto* test = Choose<PowerTWilcox2>(kWilcoxonTwoGroupsTestId);
    ASSERT_NE(test, nullptr);
    ASSERT_EQ(test->wilcoxon.method, 1);
    Property* parent = frame->FindParameter(ParameterNames[kParentDistributionId]);
    ASSERT_NE(parent, nullptr);
    frame->SetParameterValue(ParameterNames[kParentDistributionId], 0);  // "Normal"
    frame->SetParameterValue(ParameterNames[kEffectSizeDId], 0.5);
    // A.R.E. with d -> Lehmann with p1: p1 = Phi(d / sqrt 2) for a normal parent.
    options->answer = [](OptionsDialogFields* f) {
        EXPECT_TRUE(f->areMode);
        EXPECT_EQ(f->Radio(1166), 0);
        f->areMode = false;
        f->radios[1165] = 0;
        f->radios[1166] = 1;
    };
    ASSERT_TRUE(frame->OnOptions());
    EXPECT_EQ(test->wilcoxon.method, 2);
    const int p1Id = test->GetEffectSizeId();
    ASSERT_NE(p1Id, kEffectSizeDId);
    EXPECT_NEAR(Shown(p1Id), 0.6381631950841185, 5e-7);
    // And back to d with the Lehmann method.
    options->answer = [](OptionsDialogFields* f) {
        EXPECT_FALSE(f->areMode);
        EXPECT_EQ(f->Radio(1166), 1);
        f->radios[1166] = 0;
    };
    ASSERT_TRUE(frame->OnOptions());
    EXPECT_EQ(test->wilcoxon.method, 3);
    EXPECT_NEAR(Shown(kEffectSizeDId), 0.5, 5e-7);
}

TEST_F(Options, ExactTestsTakeTheirChoicesBack) {
    auto* mcnemar = Choose<PowerExactMcNemar>(kMcNemarTestId);
    ASSERT_NE(mcnemar, nullptr);
    const double limit = mcnemar->exactLimit;
    options->answer = [](OptionsDialogFields* f) {
        f->radios[1039] = 2;
        f->radios[1097] = 1 - f->Radio(1097);
        f->edits[1137] = 250.0;
    };
    const bool approximation = mcnemar->useApproximation;
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_EQ(options->shownFields.Edit(1137), limit);
    EXPECT_EQ(mcnemar->alphaBalancing, 2);
    EXPECT_EQ(mcnemar->useApproximation, !approximation);
    EXPECT_EQ(mcnemar->exactLimit, 250.0);

    // The random-model regression's method selects another drawer.
    auto* mrc = Choose<PowerExactMRC>(kRegressionRandomTestId);
    ASSERT_NE(mrc, nullptr);
    options->answer = nullptr;
    EXPECT_FALSE(DrawerRebuilt(kRegressionRandomTestId));
    options->answer = [](OptionsDialogFields* f) { f->radios[1159] = 1 - f->Radio(1159); };
    const int method = mrc->GetMethod();
    EXPECT_TRUE(DrawerRebuilt(kRegressionRandomTestId));
    EXPECT_EQ(mrc->GetMethod(), 1 - method);
}

TEST_F(Options, FisherAndUnconditionalTestsTakeTheirChoicesBack) {
    auto* fisher = Choose<PowerExactFisherTwoProp>(kFisherTestId);
    ASSERT_NE(fisher, nullptr);
    fisher->useApproximation = true;
    fisher->exactThreshold = 500.0;
    fisher->alphaBalancing = 1;
    fisher->statistic = 2;
    auto change = [](OptionsDialogFields* f) {
        f->radios[1097] = 0;
        f->edits[1137] = 250.0;
        f->radios[1102] = 0;
        f->statisticCode = 1;
    };
    // Cancel leaves every option.
    options->answer = change;
    options->result = 2;
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_STREQ(options->lastDialog.className, "COpt_Exact_FisherExact");
    EXPECT_EQ(options->shownFields.Radio(1097), 1);
    EXPECT_EQ(options->shownFields.Edit(1137), 500.0);
    EXPECT_EQ(options->shownFields.Radio(1102), 1);
    EXPECT_EQ(options->shownFields.statisticCode, 2);
    EXPECT_TRUE(fisher->useApproximation);
    EXPECT_EQ(fisher->exactThreshold, 500.0);
    EXPECT_EQ(fisher->alphaBalancing, 1);
    EXPECT_EQ(fisher->statistic, 2);
    options->result = 1;
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_FALSE(fisher->useApproximation);
    EXPECT_EQ(fisher->exactThreshold, 250.0);
    EXPECT_EQ(fisher->alphaBalancing, 0);
    EXPECT_EQ(fisher->statistic, 1);

    // The unconditional tests: the statistic chooses the distribution its
    // critical value comes from (t for the t statistic, chi-square for the
    // likelihood ratio, else normal).
    struct Row {
        int testId;
        int statistic;
        int reference;
    };
    const Row rows[] = {{607, 6, 1}, {607, 5, 2},  {607, 0, 0}, {607, 4, 0},
                        {608, 6, 1}, {608, 13, 0}, {608, 8, 0}};
    for (const Row& row : rows) {
        auto* test = Choose<PowerExactUncondTwoProp>(row.testId);
        ASSERT_NE(test, nullptr);
        test->largeSample = false;
        test->exactLimit = 900.0;
        test->SetStatistic(5);  // chi-square, which the OK must undo where it differs
        const int index = test->effectIndex;
        options->answer = [row](OptionsDialogFields* f) {
            f->radios[1097] = 1;
            f->edits[1137] = 120.0;
            f->statisticCode = row.statistic;
        };
        EXPECT_TRUE(frame->OnOptions());
        EXPECT_EQ(options->shownFields.testId, row.testId);
        EXPECT_EQ(options->shownFields.Radio(1097), 0);
        EXPECT_EQ(options->shownFields.Edit(1137), 900.0);
        EXPECT_EQ(options->shownFields.statisticCode, 5);
        EXPECT_EQ(options->shownFields.effectIndexCode, index);
        EXPECT_TRUE(test->largeSample) << row.testId;
        EXPECT_EQ(test->exactLimit, 120.0);
        EXPECT_EQ(test->statistic, row.statistic);
        EXPECT_EQ(test->referenceDistribution, row.reference)
            << row.testId << " statistic " << row.statistic;
        EXPECT_EQ(test->effectIndex, index);
        // Cancel keeps them.
        options->answer = [](OptionsDialogFields* f) {
            f->radios[1097] = 0;
            f->statisticCode = 5;
            f->effectIndexCode = 3 - f->effectIndexCode;
        };
        options->result = 2;
        EXPECT_TRUE(frame->OnOptions());
        EXPECT_EQ(test->statistic, row.statistic);
        EXPECT_EQ(test->referenceDistribution, row.reference);
        EXPECT_EQ(test->effectIndex, index);
        EXPECT_TRUE(test->largeSample);
        options->result = 1;
    }
}

// Each row of the reference table: p2, p1 under H1 and under H0, the new
// measure and the two values in it.
struct MeasureRow {
    double p2, p1, p1H0;
    int index;
    double h1, h0;
};
std::vector<MeasureRow> ReadMeasureTable() {
    std::vector<MeasureRow> rows;
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/options/measure_conversions.tsv");
    EXPECT_TRUE(in) << "reference table missing";
    std::string line;
    std::getline(in, line);
    MeasureRow r{};
    while (in >> r.p2 >> r.p1 >> r.p1H0 >> r.index >> r.h1 >> r.h0) rows.push_back(r);
    return rows;
}

TEST_F(Options, UnconditionalEffectMeasureConvertsTheShownProportions) {
    const std::vector<MeasureRow> rows = ReadMeasureTable();
    ASSERT_EQ(rows.size(), 6u);
    auto toIndex = [this](int index) {
        options->answer = [index](OptionsDialogFields* f) { f->effectIndexCode = index; };
        ASSERT_TRUE(frame->OnOptions());
    };
    for (int testId : {607, 608}) {
        auto* test = Choose<PowerExactUncondTwoProp>(testId);
        ASSERT_NE(test, nullptr);
        auto* offset = dynamic_cast<PowerExactUncTwoPropOffset*>(test);
        for (const MeasureRow& r : rows) {
            const std::string what =
                std::to_string(testId) + " to measure " + std::to_string(r.index);
            // Type p1 as the effect, then choose the other measure.
            toIndex(0);
            ASSERT_EQ(test->effectIndex, 0);
            frame->SetParameterValue(ParameterNames[kProportionP2Id], r.p2);
            frame->SetParameterValue(ParameterNames[test->GetEffectSizeId()], r.p1);
            if (offset) frame->SetParameterValue(ParameterNames[offset->GetH0EffectId()], r.p1H0);
            toIndex(r.index);
            ASSERT_EQ(test->effectIndex, r.index) << what;
            EXPECT_NEAR(Shown(test->GetEffectSizeId()), r.h1, 5e-7 * std::fabs(r.h1)) << what;
            EXPECT_DOUBLE_EQ(Shown(kProportionP2Id), r.p2) << what;
            if (offset) {
                EXPECT_NEAR(Shown(offset->GetH0EffectId()), r.h0, 5e-7 * std::fabs(r.h0)) << what;
            }
            // OK without a new measure keeps what was typed.
            frame->SetParameterValue(ParameterNames[test->GetEffectSizeId()], 0.123);
            toIndex(r.index);
            EXPECT_DOUBLE_EQ(Shown(test->GetEffectSizeId()), 0.123) << what;
        }
        // A shown p2 that is no proportion leaves the test's own values:
        // the measure then converts the p1 of the last calculation.
        toIndex(0);
        test->proportion1 = 0.6;
        test->proportion2 = 0.4;
        frame->SetParameterValue(ParameterNames[kProportionP2Id], 1.5);
        frame->SetParameterValue(ParameterNames[test->GetEffectSizeId()], 0.9);
        toIndex(1);
        EXPECT_NEAR(test->effectSize, 0.2, 1e-12) << testId;
    }
}

TEST_F(Options, LogisticRegressionOptionsAndEffectInput) {
    auto* test = Choose<PowerZLogisticRegress>(kLogisticRegressionTestId);
    ASSERT_NE(test, nullptr);
    ASSERT_TRUE(test->oddsRatioInput);
    test->useEnumeration = true;
    test->enumerationMaxN = 400.0;
    test->enumerationWald = false;
    test->demidenko = true;
    test->varianceCorrection = false;
    // The method choices alone keep the drawer.
    options->answer = [](OptionsDialogFields* f) {
        f->radios[1218] = 1;
        f->edits[1137] = 75.0;
        f->radios[1217] = 0;
        f->radios[1219] = 1;
        f->checks[1019] = 1;
    };
    EXPECT_FALSE(DrawerRebuilt(kLogisticRegressionTestId));
    EXPECT_STREQ(options->lastDialog.className, "COpt_Z_Logistic");
    const std::map<int, int> shownRadios = {{1217, 1}, {1218, 0}, {1219, 0}, {1220, 0}};
    EXPECT_EQ(options->shownFields.radios, shownRadios);
    EXPECT_EQ(options->shownFields.Check(1019), 0);
    EXPECT_EQ(options->shownFields.Edit(1137), 400.0);
    EXPECT_FALSE(test->useEnumeration);
    EXPECT_EQ(test->enumerationMaxN, 75.0);
    EXPECT_TRUE(test->enumerationWald);
    EXPECT_FALSE(test->demidenko);
    EXPECT_TRUE(test->varianceCorrection);
    EXPECT_TRUE(test->oddsRatioInput);

    // A new effect input converts the shown effect with the shown p0 and
    // reopens the drawer.
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/options/odds_ratio_conversions.tsv");
    ASSERT_TRUE(in) << "reference table missing";
    std::string line;
    std::getline(in, line);
    int rows = 0;
    auto choose = [this](bool oddsRatio) {
        options->answer = [oddsRatio](OptionsDialogFields* f) {
            f->radios[1220] = oddsRatio ? 0 : 1;
        };
    };
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        double p0 = 0.0, given = 0.0, expected = 0.0;
        fields >> kind >> p0 >> given >> expected;
        const bool toOddsRatio = kind == "p2_to_or";
        choose(!toOddsRatio);
        ASSERT_TRUE(frame->OnOptions());
        ASSERT_EQ(test->oddsRatioInput, !toOddsRatio);
        const int fromId = toOddsRatio ? kPrY1X1H1Id : kOddsRatioId;
        const int toId = toOddsRatio ? kOddsRatioId : kPrY1X1H1Id;
        frame->SetParameterValue(ParameterNames[kPrY1X1H0Id], p0);
        frame->SetParameterValue(ParameterNames[fromId], given);
        choose(toOddsRatio);
        EXPECT_TRUE(DrawerRebuilt(kLogisticRegressionTestId)) << line;
        EXPECT_EQ(test->oddsRatioInput, toOddsRatio) << line;
        ASSERT_TRUE(Shows(toId)) << line;
        EXPECT_FALSE(Shows(fromId)) << line;
        EXPECT_NEAR(Shown(toId), expected, 5e-7 * expected) << line;
        EXPECT_NEAR(test->effectSize, expected, 5e-7 * expected) << line;
        EXPECT_DOUBLE_EQ(Shown(kPrY1X1H0Id), p0) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 8);
    // Cancel neither converts nor reopens the drawer.
    const bool oddsRatio = test->oddsRatioInput;
    const double effect = test->effectSize;
    choose(!oddsRatio);
    options->result = 2;
    EXPECT_FALSE(DrawerRebuilt(kLogisticRegressionTestId));
    EXPECT_EQ(test->oddsRatioInput, oddsRatio);
    EXPECT_EQ(test->effectSize, effect);
}

TEST_F(Options, PoissonRegressionOptions) {
    auto* test = Choose<PowerZPoissonRegress>(kPoissonRegressionTestId);
    ASSERT_NE(test, nullptr);
    test->useEnumeration = true;
    test->enumerationMaxN = 400.0;
    test->enumerationWald = false;
    test->demidenko = true;
    test->varianceCorrection = false;
    const double effect = test->effectSize;
    options->answer = [](OptionsDialogFields* f) {
        f->radios[1218] = 1;
        f->edits[1137] = 75.0;
        f->radios[1217] = 0;
        f->radios[1219] = 1;
        f->checks[1019] = 1;
    };
    // Cancel first: the dialog shows the options but none changes.
    options->result = 2;
    EXPECT_FALSE(DrawerRebuilt(kPoissonRegressionTestId));
    EXPECT_STREQ(options->lastDialog.className, "COpt_Z_Poisson");
    const std::map<int, int> shownRadios = {{1217, 1}, {1218, 0}, {1219, 0}};
    EXPECT_EQ(options->shownFields.radios, shownRadios);
    EXPECT_EQ(options->shownFields.Check(1019), 0);
    EXPECT_EQ(options->shownFields.Edit(1137), 400.0);
    EXPECT_TRUE(test->useEnumeration);
    EXPECT_EQ(test->enumerationMaxN, 400.0);
    EXPECT_FALSE(test->enumerationWald);
    EXPECT_TRUE(test->demidenko);
    EXPECT_FALSE(test->varianceCorrection);
    // OK writes every choice back and keeps the drawer and the effect.
    options->result = 1;
    EXPECT_FALSE(DrawerRebuilt(kPoissonRegressionTestId));
    EXPECT_FALSE(test->useEnumeration);
    EXPECT_EQ(test->enumerationMaxN, 75.0);
    EXPECT_TRUE(test->enumerationWald);
    EXPECT_FALSE(test->demidenko);
    EXPECT_TRUE(test->varianceCorrection);
    EXPECT_EQ(test->effectSize, effect);
    // And the opposite choices back again, so no field is stuck.
    options->answer = [](OptionsDialogFields* f) {
        f->radios[1218] = 0;
        f->radios[1217] = 1;
        f->radios[1219] = 0;
        f->checks[1019] = 0;
    };
    EXPECT_FALSE(DrawerRebuilt(kPoissonRegressionTestId));
    const std::map<int, int> reshown = {{1217, 0}, {1218, 1}, {1219, 1}};
    EXPECT_EQ(options->shownFields.radios, reshown);
    EXPECT_EQ(options->shownFields.Check(1019), 1);
    EXPECT_TRUE(test->useEnumeration);
    EXPECT_EQ(test->enumerationMaxN, 75.0);
    EXPECT_FALSE(test->enumerationWald);
    EXPECT_TRUE(test->demidenko);
    EXPECT_FALSE(test->varianceCorrection);
}

// A two-proportion test whose calculation waits for the test's word, so
// that the command can be tried while it runs.
std::atomic<bool> gRelease{false};
class WaitingTwoProp : public PowerZTwoProp {
  public:
    PowerAnalysis* Clone() override { return new WaitingTwoProp; }
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override {
        while (!gRelease.load()) platform::SleepMilliseconds(1);
        return PowerZTwoProp::Calculate(type, inputs);
    }
};

TEST_F(Options, NothingTouchesTheTestWhileACalculationRuns) {
    SetRegisterHook(TestFamily::kZ, [] { ZTestList.push_back(new WaitingTwoProp); });
    BuildTestCatalogue();
    frame->ResetSelection(0);
    auto* test = Choose<PowerZTwoProp>(kTwoProportionsTestId);
    ASSERT_NE(test, nullptr);
    options->answer = [](OptionsDialogFields* f) { f->checks[1019] = 1; };
    bool during = true;
    gRelease.store(false);
    QTimer::singleShot(20, [&] {
        EXPECT_TRUE(frame->IsBusy());
        during = frame->OnOptions();
        gRelease.store(true);
    });
    frame->OnCalculate();
    EXPECT_FALSE(during);
    EXPECT_EQ(options->shown, 0);
    EXPECT_FALSE(test->continuityCorrection);
    EXPECT_TRUE(frame->OutputsValid());
    // Once it has ended the command works again.
    EXPECT_TRUE(frame->OnOptions());
    EXPECT_TRUE(test->continuityCorrection);
    InstallTestFamilies();
}

}  // namespace
