// The Options command: which dialog a test gets, what is copied into it and
// back, the effect conversions when the effect input changes, the criterion
// choice of the multivariate tests and the drawer's rebuild.

#include "app/options_command.h"

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
#include "app/drawer_wnd.h"
#include "app/form_tables.h"
#include "app/main_comp_form.h"
#include "app/main_frame.h"
#include "app/quorix_app.h"
#include "app/test_families.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "tests/exact/power_exact_correlation.h"
#include "tests/exact/power_exact_mcnemar.h"
#include "tests/f/power_f_multivariate.h"
#include "tests/f/power_f_repeated.h"
#include "tests/t/power_t_wilcoxon.h"
#include "tests/z/power_z_two_prop.h"

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

class Options : public ::testing::Test {
  protected:
    void SetUp() override {
        auto service = std::make_unique<ScriptedOptions>();
        options = service.get();
        previous = SetOptionsDialogService(std::move(service));
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
    }
    void TearDown() override { SetOptionsDialogService(std::move(previous)); }

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
        frame->CreateEffectSizePanels(testId);
        QPointer<CDrawerWnd> before(frame->EffectSizeDrawer());
        EXPECT_FALSE(before.isNull());
        EXPECT_TRUE(frame->OnOptions());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(frame->EffectSizeDrawerOpen());
        const bool rebuilt = before.isNull();
        frame->CloseEffectSizeDrawer();
        return rebuilt;
    }

    platform::ScriptedDialogs dialogs;
    ScriptedOptions* options = nullptr;
    std::unique_ptr<OptionsDialogService> previous;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

TEST(OptionsDialogTable, GivesEachTestIdItsDialog) {
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
        {305, Kind::kZLogRegress, "COpt_Z_LogRegress", 226},
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
        const OptionsDialogInfo info = OptionsDialogFor(row.testId);
        EXPECT_EQ(info.kind, row.kind) << row.testId;
        EXPECT_STREQ(info.className, row.className) << row.testId;
        EXPECT_EQ(info.templateId, row.templateId) << row.testId;
    }
    for (int none :
         {100, 107, 116, 200, 201, 204, 208, 300, 302, 303, 306, 307, 401, 402, 609, 610}) {
        EXPECT_EQ(OptionsDialogFor(none).kind, Kind::kNone) << none;
    }
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

// The main window's shown inputs, by label.
class ShownInputs : public ParameterSource {
  public:
    Property* FindParameter(std::string name) override { return list.Find(name); }
    PropertyList list;
};

TEST(OddsRatioChoice, ConvertsTheShownEffectOrFallsBack) {
    const std::string oddsRatio = ParameterNames[kOddsRatioId];
    const std::string p2 = ParameterNames[kProportionP2Id];
    // The test's conversions are stand-ins that show which value they got.
    struct Case {
        bool startOddsRatio;
        bool chooseOddsRatio;
        const char* shownLabel;  // null: the input is not on the screen
        double shownValue;
        double effect;
        bool converted;
        double expectedEffect;
        const char* rememberedLabel;
    };
    const Case cases[] = {
        {false, true, "Proportion p2", 0.3, 0.2, true, 1030.0, "Odds ratio"},
        {false, true, nullptr, 0.0, 0.2, true, 1020.0, "Odds ratio"},  // the test's own p2
        {true, false, "Odds ratio", 1.7, 2.5, true, 2.7, "Proportion p2"},
        {true, false, nullptr, 0.0, 2.5, true, 1.5, "Proportion p2"},  // min(2.5, 0.5)
        {true, false, nullptr, 0.0, 0.25, true, 1.25, "Proportion p2"},
        {true, true, "Odds ratio", 1.7, 2.5, false, 2.5, nullptr},  // no change of input
        {false, false, "Proportion p2", 0.3, 0.2, false, 0.2, nullptr},
    };
    for (const Case& c : cases) {
        ShownInputs frame;
        if (c.shownLabel)
            frame.list.push_back(new PropertyDouble(c.shownLabel, c.shownValue, false));
        OddsRatioEffect test;
        test.oddsRatioInput = c.startOddsRatio;
        test.effectSize = c.effect;
        test.oddsRatioFromP2 = [](double v) { return 1000.0 + 100.0 * v; };
        test.p2FromOddsRatio = [](double v) { return 1.0 + v; };
        PropertyList texts;
        const std::string what = std::string(c.startOddsRatio ? "OR" : "p2") + " -> " +
                                 (c.chooseOddsRatio ? "OR" : "p2") + " shown " +
                                 (c.shownLabel ? c.shownLabel : "none");
        EXPECT_EQ(ChooseOddsRatioInput(&frame, &test, c.chooseOddsRatio, &texts), c.converted)
            << what;
        EXPECT_DOUBLE_EQ(test.effectSize, c.expectedEffect) << what;
        EXPECT_EQ(test.oddsRatioInput, c.chooseOddsRatio) << what;
        if (c.converted && c.chooseOddsRatio) {
            EXPECT_DOUBLE_EQ(test.previousEffect, c.effect) << what;
        }
        std::string remembered;
        if (c.rememberedLabel) {
            ASSERT_TRUE(GetNamedString(&texts, c.rememberedLabel, &remembered)) << what;
            EXPECT_NEAR(std::stod(remembered), c.expectedEffect, 5e-7 * c.expectedEffect) << what;
        } else {
            EXPECT_TRUE(texts.empty()) << what;
        }
    }
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
