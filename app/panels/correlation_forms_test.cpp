// The correlation forms: binding and the worked values, the focus on the
// checked field, the transfer through a fake host, the store (formulas stay
// formulas, emptied fields stay empty), the set-up from the main window, and
// the dependent-correlations panel reached from the main window.

#include "app/panels/correlation_forms.h"

#include <gtest/gtest.h>

#include "analysis/ids.h"
#include "app/panels/panel_form_test_support.h"
#include "platform/widget_test_main.h"
#include "power/z/power_z_two_dep_corr.h"

namespace {

namespace det = effectsize::determination;
namespace two = effectsize::two_correlations;
namespace dep = effectsize::dependent_correlations;
using panel_form_test::Type;

template <class Panel>
class FromR2Form : public panel_form_test::PanelTest<Panel> {};
using FromR2Panels = ::testing::Types<CEff_Exact_1Corr, CEff_T_Corr_PBM>;
TYPED_TEST_SUITE(FromR2Form, FromR2Panels);

TYPED_TEST(FromR2Form, RootOfR2RangeFocusAndStore) {
    auto* panel = this->panel;
    QLineEdit* r2 = this->Edit(CorrelationFromR2Panel::kR2Id);
    EXPECT_EQ(panel->ControlText(CorrelationFromR2Panel::kR2LabelId),
              QString::fromUtf8("Coefficient of determination \u03c1\u00b2"));
    this->Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(this->Result(), "0.7071068");
    Type(r2, "0.25");
    this->Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(this->Result(), "0.5");
    EXPECT_EQ(this->host.effectSizes, std::vector<double>{0.5});

    for (const char* bad : {"1", "1e-12"}) {
        Type(r2, bad);
        this->Click(CEffectSizePanel::kTransferButtonId);
        EXPECT_EQ(this->LastMessage(), det::kRangeMessage);
        EXPECT_EQ(panel->focusWidget(), r2);
    }
    EXPECT_EQ(this->host.effectSizes.size(), 1u);

    Type(r2, "");
    ASSERT_TRUE(panel->SaveInputs(&this->host.store));
    Type(r2, "0.3");
    ASSERT_TRUE(panel->RestoreInputs(&this->host.store));
    EXPECT_EQ(r2->text(), "");
}

TEST(FromR2Panels, EachHasItsKeyAndResultLabel) {
    platform::ScriptedDialogs dialogs;
    panel_form_test::FakeHost host;
    CEff_Exact_1Corr exact(&host);
    CEff_T_Corr_PBM biserial(&host);
    ASSERT_TRUE(exact.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(biserial.Create(nullptr, QPoint(0, 0)));
    EXPECT_EQ(exact.ControlText(CorrelationFromR2Panel::kResultLabelId),
              QString::fromUtf8("Correlation \u03c1 H1"));
    EXPECT_EQ(biserial.ControlText(CorrelationFromR2Panel::kResultLabelId),
              QString::fromUtf8("Effect size |\u03c1|"));
    exact.Edit(CorrelationFromR2Panel::kR2Id)->setText("0.64");
    exact.SaveInputs(&host.store);
    biserial.SaveInputs(&host.store);
    std::string text;
    EXPECT_TRUE(GetNamedString(&host.store, "exco_r2", &text));
    EXPECT_EQ(text, "0.64");
    EXPECT_TRUE(GetNamedString(&host.store, "tco_r2", &text));
    EXPECT_EQ(text, "0.5");
}

class TwoCorrForm : public panel_form_test::PanelTest<CEff_Z_2Corr> {
  protected:
    QLineEdit* Field(int field) const { return Edit(CEff_Z_2Corr::kFieldIds[field]); }
};

TEST_F(TwoCorrForm, SignedQAndTheFieldOfEachRange) {
    EXPECT_EQ(panel->ControlText(CEff_Z_2Corr::kLabelIds[two::kR2]),
              QString::fromUtf8("Correlation coefficient \u03c12"));
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "-0.2397865");
    Type(Field(two::kR1), "0.5");
    Type(Field(two::kR2), "0.3");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "0.2397865");
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 0.23978654013094314, 1e-15);

    Type(Field(two::kR2), "-1");
    Field(two::kR1)->setFocus();
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), two::kR2Message);
    EXPECT_EQ(panel->focusWidget(), Field(two::kR2));
    Type(Field(two::kR2), "0.3");
    Type(Field(two::kR1), "0.9999999999");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), two::kR1Message);
    EXPECT_EQ(panel->focusWidget(), Field(two::kR1));
    EXPECT_EQ(host.effectSizes.size(), 1u);

    ASSERT_TRUE(panel->SaveInputs(&host.store));
    Open();
    ASSERT_TRUE(panel->RestoreInputs(&host.store));
    EXPECT_EQ(Field(two::kR1)->text(), "0.9999999999");
    EXPECT_EQ(Field(two::kR2)->text(), "0.3");
}

class DepCorrForm : public panel_form_test::PanelTest<CEff_Z_2DepCorr> {
  protected:
    void SetUp() override {
        host.test = std::make_unique<PowerZTwoDepCorrCI>();
        PanelTest::SetUp();
    }
    QLineEdit* Field(int field) const { return Edit(CEff_Z_2DepCorr::kFieldIds[field]); }
};

TEST_F(DepCorrForm, SetUpFormulaTransferAndStore) {
    host.Show(kH0CorrRhoAbId, "0.45");
    panel->SetUpAfterOpening(kDependentCorrelationsCommonIndexTestId);
    EXPECT_EQ(Field(dep::kRab)->text(), "0.45");
    EXPECT_EQ(panel->ControlText(CEff_Z_2DepCorr::kRabLabelId),
              QString::fromUtf8("H0 corr \u03c1ab"));
    EXPECT_EQ(panel->ControlText(CEff_Z_2DepCorr::kResultLabelId),
              QString::fromUtf8("H1 corr \u03c1ac"));

    // The worked value from formulas; the transfer writes r_ab, then r_ac.
    Type(Field(dep::kRab), "=0.6/2");
    Type(Field(dep::kQ), "=3-2");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "-0.5982905");
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].first, "H0 corr $\\rho$_ab");
    EXPECT_NEAR(host.writes[0].second, 0.3, 1e-16);
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], -0.59829052652539682, 1e-15);

    // Closing keeps the formula and the emptied q; the set-up leaves a formula.
    Type(Field(dep::kQ), "");
    ASSERT_TRUE(panel->SaveInputs(&host.store));
    Open();
    ASSERT_TRUE(panel->RestoreInputs(&host.store));
    panel->SetUpAfterOpening(kDependentCorrelationsCommonIndexTestId);
    EXPECT_EQ(Field(dep::kRab)->text(), "=0.6/2");
    EXPECT_EQ(Field(dep::kQ)->text(), "");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), effectsize::kNotANumberMessage);
    EXPECT_EQ(panel->focusWidget(), Field(dep::kQ));
    EXPECT_EQ(host.writes.size(), 1u);  // nothing after the refusal
}

TEST_F(DepCorrForm, ErrorsFocusTheirField) {
    struct Case {
        int field;
        const char* text;
        const char* message;  // null: the evaluator's own message
    };
    const Case cases[] = {
        {dep::kRab, "1", two::kR1Message},
        {dep::kRab, "=2*", nullptr},
        {dep::kQ, "q", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string before = Field(c.field)->text().toStdString();
        Type(Field(c.field), c.text);
        dialogs.messages.clear();
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        if (c.message) {
            EXPECT_EQ(LastMessage(), c.message);
        }
        EXPECT_EQ(panel->focusWidget(), Field(c.field));
        Type(Field(c.field), before);
    }
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(host.effectSizes.empty());
}

using DepCorrFromMainWindow = panel_form_test::MainWindowTest;

TEST_F(DepCorrFromMainWindow, DetermineWritesRabAndRacAndKeepsTheFormula) {
    ASSERT_TRUE(frame->SelectTest(kDependentCorrelationsCommonIndexTestId));
    const std::string mainRab = MainText(kH0CorrRhoAbId);
    auto* panel = Determine<CEff_Z_2DepCorr>();
    ASSERT_NE(panel, nullptr);
    QLineEdit* rab = panel->Edit(CEff_Z_2DepCorr::kFieldIds[dep::kRab]);
    EXPECT_EQ(rab->text().toStdString(), mainRab);  // copied at set-up

    Type(rab, "=0.1*3");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kH0CorrRhoAbId)), 0.3, 1e-12);
    EXPECT_NEAR(std::stod(MainText(kH1CorrRhoAcId)), -0.5982905, 1e-7);

    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    panel = Determine<CEff_Z_2DepCorr>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Edit(CEff_Z_2DepCorr::kFieldIds[dep::kRab])->text(), "=0.1*3");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
