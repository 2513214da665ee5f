// The repeated-measures procedure selectors, reached by "Determine =>" as a
// user does: each procedure's panel beneath the selector, inputs kept across
// switching and across closing the drawer, and transfers from either panel.

#include "app/panels/rm_selector_forms.h"

#include <QComboBox>

#include "analysis/ids.h"
#include "app/panels/manova_forms.h"
#include "app/panels/panel_form_test_support.h"
#include "app/panels/rm_forms.h"
#include "platform/widget_test_main.h"
#include "power/f/power_f_multivariate.h"

namespace {

class RmSelectors : public panel_form_test::MainWindowTest {
  protected:
    CFormViewEx* Pane(int index) { return frame->EffectSizeDrawer()->Panel(index); }
    // Chooses a procedure in the list as a user does.
    void Choose(CRmSelectorPanel* selector, int method) {
        QComboBox* list = selector->List(CRmSelectorPanel::kMethodListId);
        list->setCurrentIndex(method);
        emit list->activated(method);
    }
};

TEST_F(RmSelectors, BetweenFactorsSwitchesProceduresAndKeepsTheirInputs) {
    ASSERT_TRUE(frame->SelectTest(kRepeatedBetweenTestId));
    auto* selector = Determine<CEff_SelectRMMOmniSpecial>();
    ASSERT_NE(selector, nullptr);
    auto* omni = dynamic_cast<CEff_F_RMM_Omni*>(Pane(1));
    ASSERT_NE(omni, nullptr);
    EXPECT_EQ(selector->ControlText(CRmSelectorPanel::kMethodListId), "Effect size from means");
    omni->Edit(CEff_F_RMM_Omni::kSigmaId)->setText("2.5");

    Choose(selector, 1);
    auto* special = dynamic_cast<CEff_F_RM_Special*>(Pane(1));
    ASSERT_NE(special, nullptr);
    special->Edit(CEff_F_RM_Special::kEffectVarianceId)->setText("=0.5");
    special->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kEffectSizeFId)), 0.5, 1e-6);  // sqrt(0.5 / 2)

    Choose(selector, 0);
    omni = dynamic_cast<CEff_F_RMM_Omni*>(Pane(1));
    ASSERT_NE(omni, nullptr);
    EXPECT_EQ(omni->Edit(CEff_F_RMM_Omni::kSigmaId)->text(), "2.5");

    // Closed with the variance procedure chosen, the drawer opens on it again.
    Choose(selector, 1);
    frame->CloseEffectSizeDrawer();
    QCoreApplication::processEvents();
    selector = Determine<CEff_SelectRMMOmniSpecial>();
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->Method(), 1);
    special = dynamic_cast<CEff_F_RM_Special*>(Pane(1));
    ASSERT_NE(special, nullptr);
    EXPECT_EQ(special->Edit(CEff_F_RM_Special::kEffectVarianceId)->text(), "=0.5");
}

TEST_F(RmSelectors, MultivariateTestsWithoutTheMeanCorrelationOfferTheCriterion) {
    for (const int testId : {kManovaRepeatedBetweenTestId, kManovaRepeatedInteractionTestId}) {
        SCOPED_TRACE(testId);
        ASSERT_TRUE(frame->SelectTest(testId));
        auto* test = dynamic_cast<PowerFRepMMultiBetween*>(frame->CurrentTest());
        ASSERT_NE(test, nullptr);
        test->useMeanCorrelation = false;
        test->SetCriterion(107);
        auto* selector = Determine<CEff_SelectRMM_Eta_MeanCov>();
        ASSERT_NE(selector, nullptr);
        EXPECT_EQ(selector->Variant(), testId == kManovaRepeatedBetweenTestId ? 0 : 2);
        Choose(selector, 1);
        auto* criterion = dynamic_cast<CRmCriterionPanel*>(Pane(1));
        ASSERT_NE(criterion, nullptr);
        EXPECT_EQ(dynamic_cast<CEff_F_RMMulti*>(Pane(1)) != nullptr,
                  testId == kManovaRepeatedInteractionTestId);
        EXPECT_EQ(criterion->ControlText(CRmCriterionPanel::kCriterionLabelId), "Pillai V");
        criterion->Edit(CRmCriterionPanel::kFieldIds[effectsize::rm_criterion::kCriterion])
            ->setText("0.2");
        criterion->Button(CEffectSizePanel::kTransferButtonId)->click();
        EXPECT_GT(criterion->EffectSize(), 0.0);
        if (testId == kManovaRepeatedBetweenTestId) {
            EXPECT_DOUBLE_EQ(criterion->EffectSize(), 0.5);
        }
        frame->CloseEffectSizeDrawer();
        QCoreApplication::processEvents();
    }
}

}  // namespace
