// The MANOVA and repeated-measures criterion forms: the test's criterion
// and counts at opening, worked values, focus on the failing field, nothing
// written before the transfer, the store, and the way a user reaches them.

#include "app/panels/manova_forms.h"

#include "analysis/ids.h"
#include "app/panels/panel_form_test_support.h"
#include "platform/widget_test_main.h"
#include "power/f/power_f_multivariate.h"

namespace {

namespace manova = effectsize::manova;
namespace rmc = effectsize::rm_criterion;
using panel_form_test::Type;

class ManovaForm : public panel_form_test::PanelTest<CEff_F_Manova> {
  protected:
    void OpenFor(int testId, int criterionId, bool withTotal = true) {
        if (testId == kManovaGlobalTestId) {
            host.test = std::make_unique<PowerFManovaGlobal>();
        } else {
            host.test = std::make_unique<PowerFManovaSpecial>();
        }
        static_cast<PowerFMultivariate*>(host.test.get())->SetCriterion(criterionId);
        auto show = [this](int id, const char* text) {
            if (!host.FindParameter(ParameterNames[id])) host.Show(id, text);
        };
        show(kNumberOfGroupsId, "5");
        show(kResponseVariablesId, "2");
        if (testId == kManovaSpecialTestId) show(kNumberOfPredictorsId, "3");
        if (withTotal) show(kTotalSampleSizeId, "120");
        panel->SetUpAfterOpening(testId);
    }
    QLineEdit* Field(int field) const { return Edit(CEff_F_Manova::kFieldIds[field]); }
};

TEST_F(ManovaForm, GlobalTestPillaiWorkedValueAndTransferOfTheCounts) {
    OpenFor(kManovaGlobalTestId, 107);
    EXPECT_EQ(panel->ControlText(CEff_F_Manova::kCriterionLabelId), "Pillai V");
    EXPECT_FALSE(Field(manova::kPredictors)->isVisibleTo(panel));
    EXPECT_FALSE(Field(manova::kTotal)->isVisibleTo(panel));
    // The hidden rows leave no band above the effect size.
    EXPECT_LT(panel_test::GapAbove(panel, CEff_F_Manova::kEffectLabelId),
              Field(manova::kResponses)->y() - Field(manova::kGroups)->y());
    // The global test's predictors follow the groups as they are typed.
    Type(Field(manova::kGroups), "6");
    EXPECT_EQ(Field(manova::kPredictors)->text(), "6");
    EXPECT_EQ(Result(), "?");
    Type(Field(manova::kGroups), "5");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "0.25");
    // "Calculate" alone leaves the main window as it was.
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(host.effectSizes.empty());
    Type(Field(manova::kResponses), "3");
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.writes.size(), 2u);
    EXPECT_EQ(host.writes[0], (std::pair<std::string, double>("Number of groups", 5)));
    EXPECT_EQ(host.writes[1], (std::pair<std::string, double>("Response variables", 3)));
    ASSERT_EQ(host.effectSizes.size(), 1u);
    // Three responses and four hypothesis df: s = 3, f squared = V / (s - V).
    EXPECT_NEAR(host.effectSizes[0], 0.4 / (3 - 0.4), 1e-15);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ManovaForm, AFailedCheckFocusesItsFieldAndWritesNothing) {
    OpenFor(kManovaSpecialTestId, 101);
    EXPECT_FALSE(Field(manova::kGroups)->isVisibleTo(panel));
    EXPECT_TRUE(Field(manova::kPredictors)->isVisibleTo(panel));
    struct Case {
        int field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {manova::kCriterion, "abc", effectsize::kNotANumberMessage},
        {manova::kCriterion, "1.5", manova::kNoEffectMessage},  // Wilks U above 1
        {manova::kPredictors, "0", manova::kCountMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Open();
        OpenFor(kManovaSpecialTestId, 101);
        Type(Field(c.field), c.text);
        Click(CEffectSizePanel::kTransferButtonId);
        EXPECT_EQ(LastMessage(), c.message);
        EXPECT_EQ(panel->focusWidget(), Field(c.field));
        EXPECT_EQ(Result(), "?");
        EXPECT_TRUE(host.writes.empty());
        EXPECT_TRUE(host.effectSizes.empty());
    }
}

TEST_F(ManovaForm, AnAPrioriT2ConversionWarnsAndGoesOnWithThePanelsN) {
    OpenFor(kManovaGlobalTestId, 104, false);
    EXPECT_TRUE(Field(manova::kTotal)->isVisibleTo(panel));
    EXPECT_EQ(Field(manova::kTotal)->text(), "100");
    Type(Field(manova::kCriterion), "0.3");
    Click(CEffectSizePanel::kCalculateButtonId);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Conversion error");
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), manova::kAPrioriWarning);
    EXPECT_NE(Result(), "?");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(dialogs.messages.size(), 2u);  // every calculation warns
}

TEST_F(ManovaForm, StoreKeepsTheCriterionAsTypedAndAnEmptiedField) {
    OpenFor(kManovaGlobalTestId, 107);
    Type(Field(manova::kCriterion), "=0.1*3");
    Type(Field(manova::kGroups), "7");
    panel->SaveInputs(&host.store);
    Open();
    panel->RestoreInputs(&host.store);
    EXPECT_EQ(Field(manova::kCriterion)->text(), "=0.1*3");
    Type(Field(manova::kCriterion), "");
    panel->SaveInputs(&host.store);
    Open();
    panel->RestoreInputs(&host.store);
    EXPECT_EQ(Field(manova::kCriterion)->text(), "");
}

class RmCriterionForm : public panel_form_test::PanelTest<CEff_F_RMMulti> {};

TEST_F(RmCriterionForm, InteractionWithT2WarnsNamingTheNItUses) {
    host.test = std::make_unique<PowerFRepMMultiInter>();
    static_cast<PowerFMultivariate*>(host.test.get())->SetCriterion(105);
    host.Show(kNumberOfGroupsId, "3");
    host.Show(kNumberOfMeasurementsId, "4");
    panel->SetUpAfterOpening(kManovaRepeatedInteractionTestId);
    QLineEdit* total = Edit(CRmCriterionPanel::kFieldIds[rmc::kTotal]);
    EXPECT_TRUE(total->isVisibleTo(panel));
    Type(total, "60");
    Type(Edit(CRmCriterionPanel::kFieldIds[rmc::kCriterion]), "0.5");
    Click(CEffectSizePanel::kCalculateButtonId);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.toStdString().find("A sample size of 60 has"),
              std::string::npos);
    EXPECT_TRUE(host.writes.empty());
    Click(CEffectSizePanel::kTransferButtonId);
    // No "Total sample size" in an a priori analysis: groups and measurements.
    ASSERT_EQ(host.writes.size(), 2u);
    EXPECT_EQ(host.writes[1], (std::pair<std::string, double>("Number of measurements", 4)));
    ASSERT_EQ(host.effectSizes.size(), 1u);
}

class RmPlainCriterionForm : public panel_form_test::PanelTest<CEff_F_RMMulti_2> {};

TEST_F(RmPlainCriterionForm, PillaiAndWilksWorkedValues) {
    for (const auto& [id, value] : {std::pair<int, const char*>{107, "0.2"}, {101, "0.8"}}) {
        host.test = std::make_unique<PowerFRepMMultiBetween>();
        static_cast<PowerFMultivariate*>(host.test.get())->SetCriterion(id);
        panel->SetUpAfterOpening(kManovaRepeatedBetweenTestId);
        Type(Edit(CRmCriterionPanel::kFieldIds[rmc::kCriterion]), value);
        Click(CEffectSizePanel::kTransferButtonId);
        EXPECT_EQ(Result(), "0.5");
    }
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(host.effectSizes.size(), 2u);
}

class ManovaFromMainWindow : public panel_form_test::MainWindowTest {};

TEST_F(ManovaFromMainWindow, DetermineShowsTheTestsCriterionAndTransfers) {
    ASSERT_TRUE(frame->SelectTest(kManovaGlobalTestId));
    auto* panel = Determine<CEff_F_Manova>();
    ASSERT_NE(panel, nullptr);
    panel->Edit(CEff_F_Manova::kFieldIds[manova::kResponses])->setText("3");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_EQ(MainText(kResponseVariablesId), "3");
    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    auto* again = Determine<CEff_F_Manova>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Edit(CEff_F_Manova::kFieldIds[manova::kResponses])->text(), "3");
}

}  // namespace
