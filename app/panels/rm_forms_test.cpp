// The repeated-measures forms from means and from variances: the
// specification's controls and labels, worked values, focus on the failing
// field or cell, the questions of a transfer, the store, and Determine.

#include "app/panels/rm_forms.h"

#include <QSplitter>
#include <algorithm>
#include <optional>
#include <vector>

#include "analysis/ids.h"
#include "app/drawer/drawer_wnd.h"
#include "app/panels/panel_form_test_support.h"
#include "app/widgets/ui_helpers.h"
#include "platform/widget_test_main.h"
#include "power/f/power_f_repeated.h"
#include "ui/grid/grid_ctrl.h"

namespace {

namespace omni = effectsize::rm_omnibus;
namespace special = effectsize::rm_special;
using panel_form_test::Type;

template <class Test>
std::unique_ptr<PowerAnalysis> TestWithSpecification(int specification) {
    auto test = std::make_unique<Test>();
    test->effectSizeSpecification = specification;
    return test;
}

class RmOmniForm : public panel_form_test::PanelTest<CEff_F_RMM_Omni> {
  protected:
    void OpenWith(int specification) {
        host.test = TestWithSpecification<PowerFRepMBetween>(specification);
        if (!host.FindParameter(ParameterNames[kNumberOfGroupsId])) {
            host.Show(kNumberOfGroupsId, "4");
            host.Show(kNumberOfMeasurementsId, "2");
            host.Show(kRepeatedMeasuresCorrelationId, "0.5");
            host.Show(kTotalSampleSizeId, "30");
        }
        panel->SetUpAfterOpening(kRepeatedBetweenTestId);
        for (int i = 0; i < 4; ++i) panel->Grid()->SetItemText(i + 1, 1, QString::number(i + 1));
    }
};

TEST_F(RmOmniForm, CohenSpecificationWorkedValueAndTheQuestionsOfATransfer) {
    OpenWith(3);
    EXPECT_TRUE(Edit(CEff_F_RMM_Omni::kMeasurementsId)->isEnabled());
    EXPECT_EQ(Edit(CEff_F_RMM_Omni::kCorrelationId)->text(), "0.5");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "1.290994");
    EXPECT_EQ(Edit(CEff_F_RMM_Omni::kTotalId)->text(), "20");
    EXPECT_TRUE(host.writes.empty());
    // The totals differ (20 here, 30 there): Cancel writes nothing at all.
    dialogs.QueueMessageAnswer(platform::MessageAnswer::Cancel);
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(host.effectSizes.empty());
    dialogs.QueueMessageAnswer(platform::MessageAnswer::Yes);
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0], (std::pair<std::string, double>("Total sample size", 20)));
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], std::sqrt(1.25) * std::sqrt(2 / 1.5), 1e-12);
}

TEST_F(RmOmniForm, PlainSpecificationIgnoresMeasurementsAndCorrelation) {
    OpenWith(0);
    EXPECT_FALSE(Edit(CEff_F_RMM_Omni::kMeasurementsId)->isEnabled());
    EXPECT_FALSE(Edit(CEff_F_RMM_Omni::kCorrelationId)->isEnabled());
    Edit(CEff_F_RMM_Omni::kCorrelationId)->setText("1.5");
    Edit(CEff_F_RMM_Omni::kMeasurementsId)->setText("1");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "1.118034");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RmOmniForm, FailedChecksFocusTheirFieldOrCell) {
    OpenWith(3);
    Type(Edit(CEff_F_RMM_Omni::kSigmaId), "0");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), ToDisplayLabel(omni::kSigmaMessage).toStdString());
    EXPECT_EQ(panel->focusWidget(), Edit(CEff_F_RMM_Omni::kSigmaId));
    Type(Edit(CEff_F_RMM_Omni::kSigmaId), "1");
    Type(Edit(CEff_F_RMM_Omni::kGroupCountId), "60");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(LastMessage(), omni::kGroupCountMessage);
    EXPECT_EQ(panel->focusWidget(), Edit(CEff_F_RMM_Omni::kGroupCountId));
    Type(Edit(CEff_F_RMM_Omni::kGroupCountId), "4");
    panel->Grid()->SetItemText(3, 2, "0");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(LastMessage(), omni::kSizeMessage);
    EXPECT_EQ(panel->Grid()->GetFocusCell().row, 3);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(RmOmniForm, SpecificationTwoRefusesGroupsOfOne) {
    OpenWith(2);
    for (int i = 0; i < 4; ++i) panel->Grid()->SetItemText(i + 1, 2, "1");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), omni::kTotalMessage);
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(RmOmniForm, StoreRoundTripKeepsTheTableAndAnEmptiedField) {
    OpenWith(3);
    Type(Edit(CEff_F_RMM_Omni::kGroupCountId), "3");
    EXPECT_TRUE(panel->ApplyGroupCount());
    panel->Grid()->SetItemText(2, 1, "=oops");
    Type(Edit(CEff_F_RMM_Omni::kSigmaId), "");
    panel->SaveInputs(&host.store);
    Open();
    panel->RestoreInputs(&host.store);
    EXPECT_EQ(panel->Grid()->GetRowCount(), 4);
    EXPECT_EQ(panel->Grid()->GetItemText(2, 1), "=oops");
    EXPECT_EQ(Edit(CEff_F_RMM_Omni::kSigmaId)->text(), "");
}

class RmSpecialForm : public panel_form_test::PanelTest<CEff_F_RM_Special> {
  protected:
    void OpenWith(int specification, int testId) {
        Open();
        if (testId == kRepeatedBetweenTestId) {
            host.test = TestWithSpecification<PowerFRepMBetween>(specification);
        } else {
            host.test = TestWithSpecification<PowerFRepMWithin>(specification);
        }
        panel->SetUpAfterOpening(testId);
    }
};

TEST_F(RmSpecialForm, WorkedValuesOfTheSpecifications) {
    host.Show(kNumberOfMeasurementsId, "4");
    host.Show(kRepeatedMeasuresCorrelationId, "0.5");
    host.Show(kNumberOfGroupsId, "2");
    host.Show(kTotalSampleSizeId, "100");
    struct Case {
        int spec;
        const char* result;
        const char* eta2;
        std::vector<int> rowsShown;  // the others are hidden, label and edit
    };
    std::optional<int> below;  // the height of the panel's part from "Direct" down
    for (const Case& c :
         {Case{0, "0.7071068", "0.3333333", {}}, Case{3, "0.7071068", "0.3333333", {}},
          Case{1, "0.8944272", "0.4444444", {1022, 1020}},
          Case{2, "0.7142857", "0.3378378", {1022, 1020}}}) {
        SCOPED_TRACE(c.spec);
        OpenWith(c.spec, kRepeatedBetweenTestId);
        Click(CEffectSizePanel::kCalculateButtonId);
        EXPECT_EQ(Result(), c.result);
        EXPECT_EQ(Edit(CEff_F_RM_Special::kEta2Id)->text(), c.eta2);
        for (int row = 0; row < 3; ++row) {
            const int edit = CEff_F_RM_Special::kRowEditIds[row];
            const bool shown =
                std::find(c.rowsShown.begin(), c.rowsShown.end(), edit) != c.rowsShown.end();
            EXPECT_EQ(Edit(edit)->isHidden(), !shown) << edit;
            EXPECT_EQ(panel->Control(CEff_F_RM_Special::kRowLabelIds[row])->isHidden(), !shown)
                << edit;
        }
        // Hidden rows leave no band: "Direct" follows the last control shown
        // above it closer than one row's pitch, and the panel is as much
        // shorter.
        const int pitch = Edit(CEff_F_RM_Special::kErrorVarianceId)->y() -
                          Edit(CEff_F_RM_Special::kEffectVarianceId)->y();
        const int direct = panel->Control(CEff_F_RM_Special::kDirectRadioId)->y();
        EXPECT_LT(panel_test::GapAbove(panel, CEff_F_RM_Special::kDirectRadioId), pitch);
        EXPECT_EQ(panel->GetDesignSize().height(), panel->height());
        if (!below) below = panel->height() - direct;
        EXPECT_EQ(panel->height() - direct, *below);
    }
    EXPECT_EQ(panel->ControlText(1186), "Total sample size");
    EXPECT_EQ(Edit(1020)->text(), "100");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RmSpecialForm, DirectModeAndAFailedRowCheck) {
    host.Show(kNumberOfMeasurementsId, "0");
    host.Show(kRepeatedMeasuresCorrelationId, "0.5");
    OpenWith(1, kRepeatedBetweenTestId);
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), "The number of measurements must lie in the range [1, 200]");
    EXPECT_EQ(panel->focusWidget(), Edit(1022));
    EXPECT_TRUE(host.effectSizes.empty());
    Click(CEff_F_RM_Special::kDirectRadioId);
    EXPECT_FALSE(Edit(1022)->isEnabled());
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "1");
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(RmSpecialForm, TransferAsksForTheCountsOfSpecificationTwo) {
    host.Show(kNumberOfMeasurementsId, "3");
    host.Show(kNumberOfGroupsId, "2");
    host.Show(kTotalSampleSizeId, "100");
    OpenWith(2, kRepeatedWithinTestId);
    Type(Edit(1022), "3");  // groups
    dialogs.QueueMessageAnswer(platform::MessageAnswer::No);
    dialogs.QueueMessageAnswer(platform::MessageAnswer::Yes);
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.toStdString().find("number of groups"), std::string::npos);
    EXPECT_TRUE(host.writes.empty());
    ASSERT_EQ(host.effectSizes.size(), 1u);
    // 3 measurements, 3 groups of N 100: f = sqrt(1/2) sqrt(1/2 * 100/97).
    EXPECT_NEAR(host.effectSizes[0], std::sqrt(0.5) * std::sqrt(0.5 * 100.0 / 97.0), 1e-12);
}

TEST_F(RmSpecialForm, StoreKeepsFormulasEmptyFieldsAndTheMode) {
    OpenWith(0, kRepeatedWithinTestId);
    Type(Edit(CEff_F_RM_Special::kEffectVarianceId), "=0.5*3");
    Type(Edit(CEff_F_RM_Special::kErrorVarianceId), "");
    Click(CEff_F_RM_Special::kDirectRadioId);
    panel->SaveInputs(&host.store);
    OpenWith(0, kRepeatedWithinTestId);
    panel->RestoreInputs(&host.store);
    EXPECT_EQ(Edit(CEff_F_RM_Special::kEffectVarianceId)->text(), "=0.5*3");
    EXPECT_EQ(Edit(CEff_F_RM_Special::kErrorVarianceId)->text(), "");
    EXPECT_EQ(panel->RadioIndex(CEff_F_RM_Special::kFromVariancesRadioId), 1);
    // Fields the store lacks get their defaults, shown.
    PropertyList fresh;
    panel->SaveModeInputs(&fresh);
    EXPECT_EQ(Edit(CEff_F_RM_Special::kErrorVarianceId)->text(), "2");
}

class RmSpecialFromMainWindow : public panel_form_test::MainWindowTest {};

// The within and interaction tests' panel shows its whole-number defaults
// as whole numbers, as the other variance panels do ("1", not "1.0").
TEST_F(RmSpecialFromMainWindow, WholeNumberDefaultsShowWithoutADecimalPoint) {
    for (const int test : {kRepeatedWithinTestId, kRepeatedInteractionTestId}) {
        SCOPED_TRACE(test);
        ASSERT_TRUE(frame->SelectTest(test));
        auto* panel = Determine<CEff_F_RM_Special>();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->Edit(CEff_F_RM_Special::kEffectVarianceId)->text(), "1");
        EXPECT_EQ(panel->Edit(CEff_F_RM_Special::kErrorVarianceId)->text(), "2");
        panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    }
}

TEST_F(RmSpecialFromMainWindow, DetermineOfTheWithinTestTransfersF) {
    ASSERT_TRUE(frame->SelectTest(kRepeatedWithinTestId));
    auto* panel = Determine<CEff_F_RM_Special>();
    ASSERT_NE(panel, nullptr);
    // The drawer is as tall as the panel without the rows it hides.
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    EXPECT_EQ(drawer->Splitter()->sizes().value(1), panel->GetDesignSize().height());
    EXPECT_EQ(drawer->height(), drawer->RowsHeight());
    panel->Button(CEff_F_RM_Special::kDirectRadioId)->click();
    panel->Edit(CEff_F_RM_Special::kEta2Id)->setText("0.5");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_DOUBLE_EQ(std::stod(MainText(kEffectSizeFId)), 1.0);
    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    auto* again = Determine<CEff_F_RM_Special>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->RadioIndex(CEff_F_RM_Special::kFromVariancesRadioId), 1);
}

}  // namespace
