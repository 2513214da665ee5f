// The repeated-measures mean and covariance form: matrices from the matrix
// dialog (answered by a scripted service), the two-group worked example,
// the weight message, the transfer of the counts, the store, and the form
// reached by Determine beneath its selector.

#include "app/panels/rm_mean_cov_form.h"

#include <QComboBox>

#include "analysis/ids.h"
#include "app/matrix/matrix_in_dialogs.h"
#include "app/panels/panel_form_test_support.h"
#include "app/panels/rm_selector_forms.h"
#include "platform/widget_test_main.h"
#include "power/f/power_f_multivariate.h"

namespace {

namespace mc = effectsize::rm_mean_cov;

void Fill(LabeledMatrix* m, const mc::Table& table) {
    const int rows = static_cast<int>(table.size());
    const int cols = static_cast<int>(table[0].size());
    m->values.resize(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m->values(i, j) = table[i][j];
    m->cells.Resize(rows, cols);
    m->FormatCells();
}

// The user's matrices, as the dialog hands them back on OK.
class ScriptedMatrices : public MatrixDialogService {
  public:
    bool EditMeansCovariance(QWidget*, MeansCovarianceInput*) override { return false; }
    bool EditPredictorCorrelations(QWidget*, PredictorCorrelationInput*) override { return false; }
    bool EditRepeatedMeansCovariance(QWidget*, MeansCovarianceInput* input) override {
        ++opened;
        input->mode = MeansCovarianceInput::kCovariances;
        Fill(&input->means, {{1, 1}, {0, 0}});
        Fill(&input->covariance, {{1, 0}, {0, 1}});
        Fill(&input->weights, {{1}, {weight2}});
        return true;
    }
    double weight2 = 1.0;
    int opened = 0;
};

class RmMeanCovForm : public ::testing::Test {
  protected:
    void SetUp() override {
        auto service = std::make_unique<ScriptedMatrices>();
        matrices = service.get();
        old = SetMatrixDialogService(std::move(service));
        auto test = std::make_unique<PowerFRepMMultiBetween>();
        test->SetCriterion(107);
        host.test = std::move(test);
        host.Show(kNumberOfGroupsId, "2");
        host.Show(kNumberOfMeasurementsId, "2");
        Open();
    }
    void TearDown() override {
        delete panel;
        SetMatrixDialogService(std::move(old));
    }
    void Open() {
        delete panel;
        panel = new CEff_F_RMM_MeanCov(&host, 0);
        ASSERT_TRUE(panel->Create(nullptr, QPoint(0, 0)));
        panel->show();
        panel->SetUpAfterOpening(kManovaRepeatedBetweenTestId);
    }
    void Click(int id) { panel->Button(id)->click(); }
    QString Text(int id) const { return panel->ControlText(id); }

    platform::ScriptedDialogs dialogs;
    panel_form_test::FakeHost host;
    ScriptedMatrices* matrices = nullptr;
    std::unique_ptr<MatrixDialogService> old;
    CEff_F_RMM_MeanCov* panel = nullptr;
};

TEST_F(RmMeanCovForm, TwoGroupExampleAndTheTransferOfTheCounts) {
    EXPECT_FALSE(panel->UsesN());  // Pillai V by O'Brien-Shieh, between factors
    EXPECT_FALSE(panel->Control(CEff_F_RMM_MeanCov::kTotalId)->isVisibleTo(panel));
    EXPECT_EQ(Text(CEff_F_RMM_MeanCov::kCriterionLabelId), "Pillai V");
    Click(CEff_F_RMM_MeanCov::kEditMatricesId);
    EXPECT_EQ(matrices->opened, 1);
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.7071068");
    EXPECT_EQ(Text(CEff_F_RMM_MeanCov::kCriterionValueId), "0.3333333");
    EXPECT_TRUE(host.writes.empty());
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.writes.size(), 2u);
    EXPECT_EQ(host.writes[0].first, "Number of measurements");
    EXPECT_EQ(host.writes[1].first, "Number of groups");
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], std::sqrt(0.5), 1e-12);
}

TEST_F(RmMeanCovForm, AWeightOfZeroShowsTheMessageAndWritesNothing) {
    matrices->weight2 = 0.0;
    Click(CEff_F_RMM_MeanCov::kEditMatricesId);
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text.toStdString(), mc::kWeightMessage);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(RmMeanCovForm, StoreRoundTripKeepsTheMatricesAndTheMethod) {
    Click(CEff_F_RMM_MeanCov::kEditMatricesId);
    panel->SaveInputs(&host.store);
    EXPECT_TRUE(host.store.Find("rmm_cv_m_0_1"));
    EXPECT_TRUE(host.store.Find("rmm_cv_s_0_1"));
    const mc::Inputs before = panel->Model();
    Open();
    ASSERT_TRUE(panel->RestoreInputs(&host.store));
    EXPECT_EQ(panel->Model().means, before.means);
    EXPECT_EQ(panel->Model().covariance, before.covariance);
    EXPECT_EQ(panel->RadioIndex(CEff_F_RMM_MeanCov::kCovarianceRadioId), 0);
    PropertyList empty;
    EXPECT_FALSE(panel->RestoreInputs(&empty));
}

class RmMeanCovFromMainWindow : public panel_form_test::MainWindowTest {};

TEST_F(RmMeanCovFromMainWindow, DetermineShowsThePanelBeneathItsSelector) {
    ASSERT_TRUE(frame->SelectTest(kManovaRepeatedInteractionTestId));
    auto* test = dynamic_cast<PowerFRepMMultiBetween*>(frame->CurrentTest());
    ASSERT_NE(test, nullptr);
    test->useMeanCorrelation = false;
    auto* selector = Determine<CEff_SelectRMM_Eta_MeanCov>();
    ASSERT_NE(selector, nullptr);
    auto* panel = dynamic_cast<CEff_F_RMM_MeanCov*>(frame->EffectSizeDrawer()->Panel(1));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->UsesN());  // the interaction always uses N
    // Default matrices: all means 0 give no effect.
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_DOUBLE_EQ(panel->EffectSize(), 0.0);
}

}  // namespace
