// The one-mean and matched-pairs forms: binding, the focus on the checked
// field, the transfer (with the signed-rank rule) through a fake host, the
// store, and the paired panel reached from the main window.

#include "app/panels/mean_forms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/ids.h"
#include "app/panels/panel_form_test_support.h"
#include "platform/widget_test_main.h"
#include "power/t/power_t_one_mean.h"
#include "power/t/power_t_wilcoxon.h"

namespace {

namespace om = effectsize::one_mean;
namespace pm = effectsize::paired_means;
using panel_form_test::Type;

class OneMeanForm : public panel_form_test::PanelTest<CEff_T_OneMean> {
  protected:
    QLineEdit* Field(int field) const { return Edit(CEff_T_OneMean::kFieldIds[field]); }
};

class PairedForm : public panel_form_test::PanelTest<CEff_T_PairedMeans> {
  protected:
    QLineEdit* Field(int field) const { return Edit(CEff_T_PairedMeans::kFieldIds[field]); }
};

TEST_F(OneMeanForm, CalculatesTransfersAndRefusesWithFocus) {
    EXPECT_EQ(panel->ControlText(CEff_T_OneMean::kSdLabelId), QString::fromUtf8("SD \u03c3"));
    EXPECT_EQ(Result(), "?");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "0.5");
    EXPECT_EQ(host.effectSizes, std::vector<double>{0.5});

    Type(Field(om::kSd), "0");
    EXPECT_EQ(Result(), "?");
    Field(om::kMeanH0)->setFocus();
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(LastMessage(), effectsize::kSdMessage);
    EXPECT_EQ(panel->focusWidget(), Field(om::kSd));
    EXPECT_EQ(host.effectSizes.size(), 1u);  // nothing sent after the refusal
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(OneMeanForm, SignedRankUnderLehmannGetsP1) {
    auto test = std::make_unique<PowerTWilcox1>();
    test->wilcoxon.method = 2;
    host.test = std::move(test);
    host.ShowParent(1);  // Laplace
    Type(Field(om::kMeanH1), "-1");
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.effectSizes.size(), 1u);
    // d = 0.5: 1 - exp(-sqrt(2) 0.5) / 2 (verification/panels/effect_sizes.csv)
    EXPECT_NEAR(host.effectSizes[0], 0.75346565430238011, 1e-15);
    EXPECT_EQ(Result(), "0.5");
}

TEST_F(OneMeanForm, StoreRoundTripKeepsTextsAndEmptiedFields) {
    Type(Field(om::kMeanH0), "1.50");
    Type(Field(om::kMeanH1), "");
    ASSERT_TRUE(panel->SaveInputs(&host.store));
    Open();
    ASSERT_TRUE(panel->RestoreInputs(&host.store));
    EXPECT_EQ(Field(om::kMeanH0)->text(), "1.50");
    EXPECT_EQ(Field(om::kMeanH1)->text(), "");
    EXPECT_EQ(Field(om::kSd)->text(), "2");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(LastMessage(), effectsize::kNotANumberMessage);
    EXPECT_EQ(panel->focusWidget(), Field(om::kMeanH1));
}

TEST_F(PairedForm, BlocksCalculateSignedAndAbsoluteDz) {
    EXPECT_TRUE(panel->Button(CEff_T_PairedMeans::kGroupsRadioId)->isChecked());
    for (int field = 0; field < pm::kFieldCount; ++field)
        EXPECT_EQ(Field(field)->isEnabled(), field >= pm::kMean1) << field;
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "1");

    Click(CEff_T_PairedMeans::kDifferencesRadioId);
    EXPECT_EQ(Result(), "?");
    EXPECT_TRUE(Field(pm::kSdDiff)->isEnabled());
    EXPECT_FALSE(Field(pm::kCorr)->isEnabled());
    Type(Field(pm::kMeanDiff), "-0.3");
    Type(Field(pm::kSdDiff), "0.6");
    panel_form_test::PressKey(Field(pm::kSdDiff), Qt::Key_Return);  // Enter calculates
    EXPECT_EQ(Result(), "-0.5");

    // The t test takes dz with its sign; the signed-rank test under the
    // Lehmann method takes p1 of |dz|.
    host.test = std::make_unique<PowerTOneMean>();
    Click(CEffectSizePanel::kTransferButtonId);
    auto wilcoxon = std::make_unique<PowerTWilcoxPair>();
    wilcoxon->wilcoxon.method = 2;
    host.test = std::move(wilcoxon);
    host.ShowParent(0);
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.effectSizes.size(), 2u);
    EXPECT_EQ(host.effectSizes[0], -0.5);
    EXPECT_NEAR(host.effectSizes[1], 0.6914624612740131, 1e-15);  // pnorm(0.5)
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PairedForm, EachCheckFocusesItsField) {
    struct Case {
        int field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {pm::kSd1, "1e-12", effectsize::kSdMessage},
        {pm::kSd2, "-1", effectsize::kSdMessage},
        {pm::kCorr, "-0.99999999", pm::kCorrMessage},
        {pm::kMean2, "=1", effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string before = Field(c.field)->text().toStdString();
        Type(Field(c.field), c.text);
        dialogs.messages.clear();
        Field(pm::kMean1)->setFocus();
        Click(CEffectSizePanel::kTransferButtonId);
        EXPECT_EQ(LastMessage(), c.message);
        EXPECT_EQ(panel->focusWidget(), Field(c.field));
        EXPECT_EQ(Field(c.field)->selectedText(), QString::fromLatin1(c.text));
        Type(Field(c.field), before);
    }
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(PairedForm, StoreRoundTripKeepsBlockAndTexts) {
    Click(CEff_T_PairedMeans::kDifferencesRadioId);
    Type(Field(pm::kMeanDiff), "0.25");
    Type(Field(pm::kSdDiff), "");
    ASSERT_TRUE(panel->SaveInputs(&host.store));
    Open();
    ASSERT_TRUE(panel->RestoreInputs(&host.store));
    EXPECT_TRUE(panel->Button(CEff_T_PairedMeans::kDifferencesRadioId)->isChecked());
    EXPECT_TRUE(Field(pm::kMeanDiff)->isEnabled());
    EXPECT_FALSE(Field(pm::kMean1)->isEnabled());
    EXPECT_EQ(Field(pm::kMeanDiff)->text(), "0.25");
    EXPECT_EQ(Field(pm::kSdDiff)->text(), "");
    EXPECT_EQ(Field(pm::kCorr)->text(), "0.5");
    EXPECT_EQ(Result(), "?");
}

using PairedFromMainWindow = panel_form_test::MainWindowTest;

TEST_F(PairedFromMainWindow, DetermineTransfersANegativeDzAndKeepsTheInputs) {
    ASSERT_TRUE(frame->SelectTest(kMatchedPairsTestId));
    auto* panel = Determine<CEff_T_PairedMeans>();
    ASSERT_NE(panel, nullptr);
    panel->Button(CEff_T_PairedMeans::kDifferencesRadioId)->click();
    Type(panel->Edit(CEff_T_PairedMeans::kFieldIds[pm::kMeanDiff]), "-0.3");
    Type(panel->Edit(CEff_T_PairedMeans::kFieldIds[pm::kSdDiff]), "0.6");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kEffectSizeDzId)), -0.5, 1e-12);

    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    ASSERT_TRUE(frame->SelectTest(kOneMeanTestId));
    auto* oneMean = Determine<CEff_T_OneMean>();
    ASSERT_NE(oneMean, nullptr);  // the one-mean test has its own panel
    oneMean->Button(CEffectSizePanel::kCloseButtonId)->click();
    ASSERT_TRUE(frame->SelectTest(kMatchedPairsTestId));
    panel = Determine<CEff_T_PairedMeans>();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->Button(CEff_T_PairedMeans::kDifferencesRadioId)->isChecked());
    EXPECT_EQ(panel->Edit(CEff_T_PairedMeans::kFieldIds[pm::kSdDiff])->text(), "0.6");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
