// The forms of the multiple-regression omnibus, random-model R² and
// Hotelling panels: binding and "?", the matrix dialogs answered by a
// scripted service, focus on the field the check names, the transfer through
// a fake host (nothing after a refusal), the store, and the way a user
// reaches them from the main window.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "analysis/ids.h"
#include "analysis/property.h"
#include "app/drawer/drawer_wnd.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/matrix/matrix_in_dialogs.h"
#include "app/panels/hotelling_form.h"
#include "app/panels/multiple_regression_forms.h"
#include "app/panels/panel_test_support.h"
#include "app/widgets/ui_helpers.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

namespace om = effectsize::regression_omnibus;
namespace rr = effectsize::regression_random;
namespace ho = effectsize::hotelling;
using panel_test::FakeHost;

// The matrix dialogs answered by the test: each call edits the record as a
// user would and accepts, or cancels when the script is empty.
class ScriptedMatrixDialogs : public MatrixDialogService {
  public:
    bool EditMeansCovariance(QWidget*, MeansCovarianceInput* input) override {
        seenMeans = *input;
        if (!means) return false;
        means(input);
        return true;
    }
    bool EditRepeatedMeansCovariance(QWidget*, MeansCovarianceInput*) override { return false; }
    bool EditPredictorCorrelations(QWidget*, PredictorCorrelationInput* input) override {
        seenCorrelations = *input;
        if (!correlations) return false;
        correlations(input);
        return true;
    }

    std::function<void(MeansCovarianceInput*)> means;
    std::function<void(PredictorCorrelationInput*)> correlations;
    MeansCovarianceInput seenMeans;
    PredictorCorrelationInput seenCorrelations;
};

// Two predictors with outcome correlations y1, y2, correlated r12.
std::function<void(PredictorCorrelationInput*)> TwoPredictors(const wchar_t* y1, const wchar_t* y2,
                                                              const wchar_t* r12) {
    return [=](PredictorCorrelationInput* input) {
        effectsize::PredictorCorrelations c;
        effectsize::SizePredictorCorrelations(&c, 2);
        c.outcome.cells(0, 0) = y1;
        c.outcome.cells(0, 1) = y2;
        c.predictors.cells(0, 1) = c.predictors.cells(1, 0) = r12;
        c.outcome.EvaluateCells();
        c.predictors.EvaluateCells();
        input->predictors = 2;
        input->outcomeCorrelations = c.outcome;
        input->predictorCorrelations = c.predictors;
    };
}

template <class Form>
class MatrixPanelForm : public ::testing::Test {
  protected:
    void SetUp() override {
        auto scripted = std::make_unique<ScriptedMatrixDialogs>();
        matrices = scripted.get();
        previous = SetMatrixDialogService(std::move(scripted));
    }
    void TearDown() override { SetMatrixDialogService(std::move(previous)); }

    void Open() {
        form = std::make_unique<Form>(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        panel_test::ShowActive(form.get());
    }
    QString Text(int id) const { return form->ControlText(id); }
    void Type(int id, const char* text) { panel_test::Type(form->Edit(id), text); }
    void Click(int id) { form->Button(id)->click(); }
    // A transfer that the check refuses: one message, the named edit focused
    // with its text selected, nothing written, "?" shown.
    void ExpectRefusal(int id, const std::string& message) {
        dialogs.messages.clear();
        const auto writes = host.writes;
        const auto effects = host.effectSizes;
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        if (!message.empty()) EXPECT_EQ(dialogs.messages[0].text, ToDisplayLabel(message));
        EXPECT_EQ(form->focusWidget(), form->Edit(id));
        EXPECT_EQ(form->Edit(id)->selectedText(), form->Edit(id)->text());
        EXPECT_EQ(host.writes, writes);
        EXPECT_EQ(host.effectSizes, effects);
        EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    }

    platform::ScriptedDialogs dialogs;
    FakeHost host;
    ScriptedMatrixDialogs* matrices = nullptr;
    std::unique_ptr<MatrixDialogService> previous;
    std::unique_ptr<Form> form;
};

using OmnibusForm = MatrixPanelForm<CEff_F_MRC_Omni>;
using RandomForm = MatrixPanelForm<CEff_Exact_MRC_Random>;
using HotellingForm = MatrixPanelForm<CEff_F_Hotelling>;

TEST_F(OmnibusForm, BothModesTheMatrixDialogAndTheRefusals) {
    Open();
    EXPECT_EQ(Text(1185), QString::fromUtf8("Squared multiple correlation \u03c1\u00b2"));
    EXPECT_EQ(Text(CEff_F_MRC_Omni::kR2Id), "0.5");
    EXPECT_FALSE(form->Edit(CEff_F_MRC_Omni::kPredictorsId)->isEnabled());
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "1");
    Type(CEff_F_MRC_Omni::kR2Id, "=0.1*2");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 0.25, 1e-15);
    EXPECT_TRUE(host.writes.empty());
    Type(CEff_F_MRC_Omni::kR2Id, "1");
    ExpectRefusal(CEff_F_MRC_Omni::kR2Id, om::kR2RangeMessage);

    Click(CEff_F_MRC_Omni::kFromCorrelationsRadioId);
    EXPECT_TRUE(form->Button(CEff_F_MRC_Omni::kSpecifyMatricesId)->isEnabled());
    Type(CEff_F_MRC_Omni::kPredictorsId, "5");
    matrices->correlations = TwoPredictors(L"0.3", L"0.4", L"0");
    Click(CEff_F_MRC_Omni::kSpecifyMatricesId);
    // The dialog saw the matrices grown to the typed count.
    EXPECT_EQ(matrices->seenCorrelations.predictors, 5);
    EXPECT_EQ(matrices->seenCorrelations.outcomeCorrelations.colLabels(0, 4), L"P 5");
    EXPECT_EQ(Text(CEff_F_MRC_Omni::kPredictorsId), "2");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(CEff_F_MRC_Omni::kComputedR2Id), "0.25");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.3333333");
    EXPECT_NEAR(host.effectSizes.back(), 1.0 / 3.0, 1e-15);

    // Mended: a singular predictor matrix is refused, nothing transferred.
    matrices->correlations = TwoPredictors(L"0.3", L"0.4", L"1");
    Click(CEff_F_MRC_Omni::kSpecifyMatricesId);
    ExpectRefusal(CEff_F_MRC_Omni::kPredictorsId, "");
    EXPECT_EQ(Text(CEff_F_MRC_Omni::kComputedR2Id), "");
}

TEST_F(OmnibusForm, StoreRoundTripKeepsFormulaEmptiedFieldAndMatrices) {
    Open();
    ASSERT_TRUE(form->SaveInputs(&host.store));  // a fresh store: the defaults
    std::string text;
    EXPECT_TRUE(GetNamedString(&host.store, "fmo_m_2_0", &text));
    Type(CEff_F_MRC_Omni::kR2Id, "");  // disabled in mode 1, so typed first
    Click(CEff_F_MRC_Omni::kFromCorrelationsRadioId);
    matrices->correlations = TwoPredictors(L"=0.3", L"0.4", L"0.2");
    Click(CEff_F_MRC_Omni::kSpecifyMatricesId);
    ASSERT_TRUE(form->SaveInputs(&host.store));

    CEff_F_MRC_Omni again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_TRUE(again.Button(CEff_F_MRC_Omni::kFromCorrelationsRadioId)->isChecked());
    EXPECT_EQ(again.ControlText(CEff_F_MRC_Omni::kR2Id), "");
    EXPECT_EQ(again.ControlText(CEff_F_MRC_Omni::kPredictorsId), "2");
    EXPECT_EQ(again.Inputs().correlations.outcome.cells(0, 0), L"=0.3");
    ASSERT_TRUE(again.Calculate());
    EXPECT_EQ(again.ControlText(CEff_F_MRC_Omni::kComputedR2Id),
              "0.2104167");  // (.09+.16-.048)/.96
}

TEST_F(RandomForm, IntervalTransferAndSetUpFromTheMainWindow) {
    host.ShowInput("Number of predictors", "4");
    host.ShowInput("Total sample size", "50");
    Open();
    EXPECT_EQ(Text(1189), QString::fromUtf8("Confidence level (1-\u03b1)"));
    EXPECT_EQ(Text(CEff_Exact_MRC_Random::kFieldIds[rr::kSampleSize]), "100");
    Click(CEffectSizePanel::kCalculateButtonId);
    // The first row of verification/panels/mrc_interval.csv.
    EXPECT_EQ(Text(1088), "0.1132555");
    EXPECT_EQ(Text(1090), "0.4175258");
    EXPECT_EQ(Text(1094), "0.13485");
    EXPECT_EQ(Text(1096), "0.3924928");
    Type(CEff_Exact_MRC_Random::kFieldIds[rr::kPosition], "0");
    EXPECT_EQ(Text(1088), "?");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), Text(1088));

    form->SetUpAfterOpening(kRegressionRandomTestId);
    EXPECT_EQ(Text(CEff_Exact_MRC_Random::kFieldIds[rr::kPredictors]), "4");
    EXPECT_EQ(Text(CEff_Exact_MRC_Random::kFieldIds[rr::kSampleSize]), "50");
    Type(CEff_Exact_MRC_Random::kFieldIds[rr::kConfidence], "0.99");  // mended: accepted
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(host.writes, (std::vector<std::string>{"Number of predictors=4.000000",
                                                     "Total sample size=50.000000"}));
    ASSERT_EQ(host.effectSizes.size(), 1u);

    Type(CEff_Exact_MRC_Random::kFieldIds[rr::kSampleSize], "5");  // N = k + 1
    ExpectRefusal(CEff_Exact_MRC_Random::kFieldIds[rr::kSampleSize], rr::kSampleSizeMessage);
    EXPECT_EQ(Text(1090), "?");
}

TEST_F(RandomForm, CorrelationModeAndStore) {
    Open();
    // The interval group is disabled in the correlation mode: typed first.
    Type(CEff_Exact_MRC_Random::kFieldIds[rr::kObservedR2], "=0.3");
    Type(CEff_Exact_MRC_Random::kFieldIds[rr::kPosition], "");
    Click(CEff_Exact_MRC_Random::kCorrelationsRadioId);
    EXPECT_FALSE(form->Edit(CEff_Exact_MRC_Random::kFieldIds[rr::kSampleSize])->isEnabled());
    matrices->correlations = TwoPredictors(L"0.3", L"0.4", L"0");
    Click(CEff_Exact_MRC_Random::kSpecifyMatricesId);
    EXPECT_EQ(matrices->seenCorrelations.predictors, 6);
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.25");
    EXPECT_EQ(host.writes, std::vector<std::string>{"Number of predictors=2.000000"});

    ASSERT_TRUE(form->SaveInputs(&host.store));
    CEff_Exact_MRC_Random again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_TRUE(again.Button(CEff_Exact_MRC_Random::kCorrelationsRadioId)->isChecked());
    EXPECT_EQ(again.ControlText(CEff_Exact_MRC_Random::kFieldIds[rr::kObservedR2]), "=0.3");
    EXPECT_EQ(again.ControlText(CEff_Exact_MRC_Random::kFieldIds[rr::kPosition]), "");
    ASSERT_TRUE(again.Calculate());
    EXPECT_EQ(again.ControlText(CEffectSizePanel::kEffectSizeId), "0.25");
}

// Means (m11, m12 / m21, m22) and covariance (a, b / b, c) typed in the
// dialog with method 0.
std::function<void(MeansCovarianceInput*)> Typed(std::vector<const wchar_t*> means,
                                                 std::vector<const wchar_t*> sigma) {
    return [=](MeansCovarianceInput* input) {
        input->means.cells.Resize(input->groups, 2);
        for (int k = 0; k < 2 * input->groups; ++k) input->means.cells(k / 2, k % 2) = means[k];
        input->covariance.cells.Resize(2, 2);
        for (int k = 0; k < 4; ++k) input->covariance.cells(k / 2, k % 2) = sigma[k];
        input->means.EvaluateCells();
        input->covariance.EvaluateCells();
        input->mode = MeansCovarianceInput::kCovariances;
        input->setPattern = false;
    };
}

TEST_F(HotellingForm, WorkedValuesOfBothTestsAndTheTransfer) {
    Open();
    EXPECT_EQ(Text(1081), QString::fromUtf8("effect size \u0394"));
    EXPECT_TRUE(form->Edit(CEff_F_Hotelling::kCorrId)->isEnabled());  // method 2 at first
    form->SetUpAfterOpening(kHotellingOneGroupTestId);
    matrices->means = Typed({L"1", L"0"}, {L"1", L"0", L"0", L"1"});
    Click(CEff_F_Hotelling::kEditMatricesId);
    EXPECT_EQ(matrices->seenMeans.groups, 1);
    EXPECT_TRUE(matrices->seenMeans.setPattern);
    EXPECT_FALSE(form->Edit(CEff_F_Hotelling::kCorrId)->isEnabled());
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "1");
    EXPECT_EQ(host.writes, std::vector<std::string>{"Response variables=2.000000"});
    EXPECT_EQ(host.effectSizes, std::vector<double>{1.0});

    form->SetUpAfterOpening(kHotellingTwoGroupsTestId);
    matrices->means = Typed({L"1", L"1", L"0", L"0"}, {L"1", L"0", L"0", L"1"});
    Click(CEff_F_Hotelling::kEditMatricesId);
    EXPECT_EQ(matrices->seenMeans.groups, 2);
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "1.414214");
    Type(CEff_F_Hotelling::kMeanFactorId, "2");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "2.828427");

    // Method 1 shows the same Σ as SDs and correlations; Δ stays.
    form->Button(CEff_F_Hotelling::kMethodRadioIds[1])->click();
    matrices->means = Typed({L"1", L"0", L"0", L"0"}, {L"4", L"0", L"0", L"4"});
    Click(CEff_F_Hotelling::kEditMatricesId);
    Type(CEff_F_Hotelling::kMeanFactorId, "1");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.5");
    form->Button(CEff_F_Hotelling::kMethodRadioIds[1])->click();
    EXPECT_EQ(form->Inputs().covariance.cells(1, 1), L"2");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.5");

    // Mended: a singular Σ is refused, not transferred as inf or NaN.
    matrices->means = Typed({L"1", L"0", L"0", L"0"}, {L"1", L"1", L"1", L"1"});
    Click(CEff_F_Hotelling::kEditMatricesId);
    ExpectRefusal(CEff_F_Hotelling::kResponsesId, ho::kSingularMessage);
    Type(CEff_F_Hotelling::kResponsesId, "0");
    ExpectRefusal(CEff_F_Hotelling::kResponsesId, ho::kResponsesMessage);
}

TEST_F(HotellingForm, RaisedCountGrowsTheMatricesBeforeTheDialog) {
    Open();
    form->Button(CEff_F_Hotelling::kMethodRadioIds[0])->click();
    matrices->means = Typed({L"1", L"2", L"3", L"4"}, {L"4", L"3", L"3", L"9"});
    Click(CEff_F_Hotelling::kEditMatricesId);
    Type(CEff_F_Hotelling::kResponsesId, "4");
    matrices->means = nullptr;  // the user cancels: the panel keeps its growth
    Click(CEff_F_Hotelling::kEditMatricesId);
    const MeansCovarianceInput& seen = matrices->seenMeans;
    EXPECT_EQ(seen.responses, 4);
    EXPECT_EQ(seen.means.colLabels(0, 3), L"Y 4");
    EXPECT_EQ(seen.means.cells(0, 1), L"2");
    EXPECT_EQ(seen.means.cells(1, 2), L"0");
    EXPECT_EQ(seen.covariance.cells(1, 0), L"3");
    EXPECT_EQ(seen.covariance.cells(2, 2), L"1");
    EXPECT_EQ(seen.covariance.cells(3, 0), L"0");
    Click(CEffectSizePanel::kCalculateButtonId);
    // d = (-2, -2, 0, 0) over Σ = [[4, 3], [3, 9]] ⊕ I: Δ² = 4 (9 - 6 + 4) / 27.
    EXPECT_NEAR(form->EffectSize(), std::sqrt(28.0 / 27.0), 1e-14);
}

TEST_F(HotellingForm, StoreRoundTripUnderTheTestsPrefix) {
    Open();
    form->SetUpAfterOpening(kHotellingTwoGroupsTestId);
    Type(CEff_F_Hotelling::kCorrId, "");  // while the pattern method enables it
    matrices->means = Typed({L"=1/4", L"1", L"0", L"0"}, {L"4", L"3", L"3", L"9"});
    Click(CEff_F_Hotelling::kEditMatricesId);
    Type(CEff_F_Hotelling::kMeanFactorId, "=3");
    ASSERT_TRUE(form->SaveInputs(&host.store));
    EXPECT_EQ(form->KeyPrefix(), "fht");  // the fake host has no current test

    CEff_F_Hotelling again(&host, "fht");
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_TRUE(again.Button(CEff_F_Hotelling::kMethodRadioIds[0])->isChecked());
    EXPECT_FALSE(again.Edit(CEff_F_Hotelling::kCorrId)->isEnabled());
    EXPECT_EQ(again.ControlText(CEff_F_Hotelling::kMeanFactorId), "=3");
    EXPECT_EQ(again.ControlText(CEff_F_Hotelling::kCorrId), "");
    EXPECT_EQ(again.Inputs().means.cells(0, 0), L"0.25");
    EXPECT_EQ(again.Inputs().covariance.cells(0, 1), L"3");
    // "=3" is no number for this panel: the factor is refused, not read as 0.
    dialogs.messages.clear();
    EXPECT_FALSE(again.Calculate());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(effectsize::kNotANumberMessage));
}

// The way a user goes: "Determine =>" beside the main window's effect size.
class MatrixPanelsFromMainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
        frame->show();
    }
    void TearDown() override { frame_test::ForgetScriptedFamilies(); }

    CEffectSizePanel* Determine() {
        CQuorixMainCompForm* main = frame->EditFieldForm();
        main->Button(form_tables::DetermineButtonId(main->EffectSizeRow()))->click();
        CDrawerWnd* drawer = frame->EffectSizeDrawer();
        return drawer ? dynamic_cast<CEffectSizePanel*>(drawer->Panel(0)) : nullptr;
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

TEST_F(MatrixPanelsFromMainWindow, EachTestGetsItsPanelAndKeepsItsInputs) {
    ASSERT_TRUE(frame->SelectTest(kRegressionR2TestId));
    auto* omnibus = dynamic_cast<CEff_F_MRC_Omni*>(Determine());
    ASSERT_NE(omnibus, nullptr);
    omnibus->Edit(CEff_F_MRC_Omni::kR2Id)->setText("0.2");
    omnibus->Button(CEffectSizePanel::kTransferButtonId)->click();
    Property* shown = frame->FindParameter("Effect size f$^2$");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(std::stod(shown->text), 0.25);
    omnibus->Button(CEffectSizePanel::kCloseButtonId)->click();

    ASSERT_TRUE(frame->SelectTest(kHotellingOneGroupTestId));
    auto* hotelling = dynamic_cast<CEff_F_Hotelling*>(Determine());
    ASSERT_NE(hotelling, nullptr);
    EXPECT_EQ(hotelling->KeyPrefix(), "fho1");
    hotelling->Button(CEffectSizePanel::kCloseButtonId)->click();

    ASSERT_TRUE(frame->SelectTest(kRegressionRandomTestId));
    EXPECT_NE(dynamic_cast<CEff_Exact_MRC_Random*>(Determine()), nullptr);
    dynamic_cast<CEffectSizePanel*>(frame->EffectSizeDrawer()->Panel(0))
        ->Button(CEffectSizePanel::kCloseButtonId)
        ->click();

    ASSERT_TRUE(frame->SelectTest(kRegressionR2TestId));
    omnibus = dynamic_cast<CEff_F_MRC_Omni*>(Determine());
    ASSERT_NE(omnibus, nullptr);
    EXPECT_EQ(omnibus->Edit(CEff_F_MRC_Omni::kR2Id)->text(), "0.2");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
