// The regression effect-size forms: binding of the input modes and the
// shown results, the focus on the field the check names, the transfer
// through a fake host, the store, and the way a user reaches them from the
// main window.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <memory>
#include <utility>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/panels/panel_test_support.h"
#include "app/panels/regression_slope_form.h"
#include "app/panels/regression_special_form.h"
#include "app/panels/two_intercepts_form.h"
#include "app/panels/two_slopes_form.h"
#include "app/widgets/ui_helpers.h"
#include "platform/widget_test_main.h"

namespace {

namespace rg = effectsize::regression;

using FakeHost = panel_test::PairFakeHost;
using panel_test::PressKey;

using Writes = std::vector<std::pair<std::string, double>>;

// One form on the fake host, created as the drawer creates it.
template <class Form>
class RegressionForm : public ::testing::Test {
  protected:
    void Open() {
        form = std::make_unique<Form>(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        form->show();
        form->activateWindow();
    }

    QString Text(int id) const { return form->ControlText(id); }
    // Replaces an edit's text as a user does, key by key.
    void Type(int id, const char* text) {
        QLineEdit* edit = form->Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        panel_test::Type(edit, text);
    }
    void Click(int id) { form->Button(id)->click(); }
    // Chooses an input mode as a user does.
    void ChooseMode(int mode) {
        QComboBox* list = form->List(1176);
        list->setCurrentIndex(mode);
        emit list->activated(mode);
    }
    // A calculation that fails: one message, the named edit focused with its
    // text selected, nothing written.
    void ExpectRefusal(int id, const std::string& message) {
        dialogs.messages.clear();
        const size_t effects = host.effectSizes.size();
        const size_t writes = host.writes.size();
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, ToDisplayLabel(message));
        EXPECT_EQ(form->focusWidget(), form->Edit(id));
        EXPECT_EQ(form->Edit(id)->selectedText(), form->Edit(id)->text());
        EXPECT_EQ(host.effectSizes.size(), effects);
        EXPECT_EQ(host.writes.size(), writes);
        EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    }

    platform::ScriptedDialogs dialogs;
    FakeHost host;
    std::unique_ptr<Form> form;
};

using OneSlopeForm = RegressionForm<CEff_T_LinRegress>;
using TwoSlopesForm = RegressionForm<CEff_T_LinRegress2G>;
using TwoInterceptsForm = RegressionForm<CEff_T_LinRegress2GI>;
using SpecialForm = RegressionForm<CEff_F_MRC_Special>;

TEST_F(OneSlopeForm, ModesBindTheirEditsAndCarryComputedMembers) {
    host.Show("Std dev $\\sigma$_x", 1.0);
    Open();
    const int* edits = CEff_T_LinRegress::kEditIds;
    EXPECT_EQ(Text(1182), QString::fromUtf8("Correlation \u03c1"));
    EXPECT_EQ(form->List(1176)->count(), 5);
    EXPECT_EQ(form->List(1176)->itemText(3),
              QString::fromUtf8("Residual \u03c3, slope, \u03c3x => \u03c3y"));
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    EXPECT_EQ(Text(1177), "?");

    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(1177), "0.3464102");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.1732051");
    Type(edits[1], "0.30");  // typing makes both results stale
    EXPECT_EQ(Text(1177), "?");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");

    // Mode 4 takes the residual SD, sd x and sd y: sd y is the one computed.
    Click(CEffectSizePanel::kCalculateButtonId);
    ChooseMode(4);
    EXPECT_EQ(Text(1183), QString::fromUtf8("Std dev \u03c3x"));
    EXPECT_EQ(form->Edit(edits[0])->text(), "0.30");
    EXPECT_EQ(form->Edit(edits[2])->text(), "0.3464102");
    EXPECT_FALSE(form->Control(1177)->isVisible());
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    PressKey(form->Edit(edits[2]), Qt::Key_Return);  // Enter calculates
    // Back to the slope, up to the 7 digits sd y was carried with.
    EXPECT_NEAR(Text(CEffectSizePanel::kEffectSizeId).toDouble(), 0.1732051, 2e-7);
    ChooseMode(3);
    EXPECT_EQ(Text(1184), QString::fromUtf8("Std dev  \u03c3x"));
    EXPECT_TRUE(form->Control(1177)->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OneSlopeForm, StartsFromTheMainWindowAndTransfersRoundedSds) {
    host.Show("Slope H1", 0.4);
    host.Show("Std dev $\\sigma$_x", 2.0);
    host.Show("Std dev $\\sigma$_y", 3.0);
    Open();
    ChooseMode(2);  // rho, sd x, sd y
    EXPECT_EQ(form->Edit(1178)->text(), "2");
    EXPECT_EQ(form->Edit(1179)->text(), "3");
    Type(1045, "0.3");
    Type(1178, "0.123456789");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(host.writes,
              (Writes{{"Std dev $\\sigma$_x", 0.1234568}, {"Std dev $\\sigma$_y", 3.0}}));
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 3.0 * 0.3 / 0.123456789, 1e-12);

    // Mended refusals: rho 0 in mode 1, a residual SD above sd y in mode 4.
    ChooseMode(1);
    Type(1045, "0");
    ExpectRefusal(1045, rg::kOneSlopeSmallCorrelationMessage);
    ChooseMode(4);
    Type(1045, "4");
    ExpectRefusal(1045, rg::kResidualAboveSdYMessage);
    Type(1179, "0");
    ExpectRefusal(1179, rg::kSdMessage);
}

TEST_F(OneSlopeForm, StoreRoundTripKeepsModeTextsFormulaAndEmptiedField) {
    Open();
    ChooseMode(3);
    Type(1045, "=0.3");
    Type(1178, "");
    ExpectRefusal(1045, effectsize::kNotANumberMessage);  // no formulas here
    ASSERT_TRUE(form->SaveInputs(&host.store));

    CEff_T_LinRegress again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.List(1176)->currentIndex(), 3);
    EXPECT_EQ(again.Edit(1045)->text(), "=0.3");
    EXPECT_EQ(again.Edit(1178)->text(), "");
    EXPECT_EQ(again.ControlText(CEffectSizePanel::kEffectSizeId), "?");
    Click(CEffectSizePanel::kCloseButtonId);
    EXPECT_EQ(host.closes, 1);
}

TEST_F(TwoSlopesForm, SampleSizesSetTheRatioAndTheTransferWritesFourInputs) {
    host.Show("Std dev $\\sigma$_x1", 1.0);
    host.Show("Std dev $\\sigma$_x2", 1.0);
    host.Show("Std dev residual $\\sigma$", 9.0);
    host.Show("Allocation ratio N2/N1", 4.0);
    host.ShowCount("Sample size group 1", 20);
    host.ShowCount("Sample size group 2", 30);
    Open();
    EXPECT_EQ(form->Edit(CEff_T_LinRegress2G::kRatioId)->text(), "1.5");
    EXPECT_EQ(Text(1180), QString::fromUtf8("|\u0394 slope|"));

    // Right after opening, mode 1 shows sd x, sd y and the default slopes.
    ChooseMode(1);
    EXPECT_EQ(Text(1191), "0.5");
    EXPECT_EQ(Text(1204), QString::fromUtf8("Correlation \u03c11"));
    Type(CEff_T_LinRegress2G::kRatioId, "1");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(1202), "1");
    EXPECT_EQ(Text(1187), "0.5");
    EXPECT_EQ(Text(1195), "0.6123724");
    EXPECT_EQ(host.writes, (Writes{{"Std dev $\\sigma$_x1", 1.0},
                                   {"Std dev $\\sigma$_x2", 1.0},
                                   {"Std dev residual $\\sigma$", 0.6123724},
                                   {"Allocation ratio N2/N1", 1.0}}));
    EXPECT_EQ(host.effectSizes, std::vector<double>{0.5});

    Type(1045, "2");  // sd x 1 = 2, sd y 1 = 1, slope 1 = 1: rho 2
    ExpectRefusal(1179, rg::kFirstRegressionMessage);
    Type(1045, "1");
    Type(CEff_T_LinRegress2G::kRatioId, "-1");
    ExpectRefusal(CEff_T_LinRegress2G::kRatioId, rg::kRatioMessage);
    ChooseMode(2);
    Type(1178, "0.5");  // rho 1 was computed as 1 in mode 1
    Type(1189, "0");    // rho 2
    ExpectRefusal(1189, rg::kSmallCorrelationMessage);
}

TEST_F(TwoSlopesForm, TheRatioSurvivesClosingLikeTheOtherInputs) {
    host.ShowCount("Sample size group 1", 20);
    host.ShowCount("Sample size group 2", 30);
    Open();
    ChooseMode(2);
    Type(CEff_T_LinRegress2G::kRatioId, "3");
    Type(1191, "");
    ASSERT_TRUE(form->SaveInputs(&host.store));

    CEff_T_LinRegress2G again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    EXPECT_EQ(again.Edit(CEff_T_LinRegress2G::kRatioId)->text(), "1.5");
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.List(1176)->currentIndex(), 2);
    EXPECT_EQ(again.Edit(CEff_T_LinRegress2G::kRatioId)->text(), "3");
    EXPECT_EQ(again.Edit(1191)->text(), "");
    EXPECT_EQ(again.Edit(1189)->text(), "0.5");
}

TEST_F(TwoInterceptsForm, InterceptsMakeTheEffectAndTheRegressionItsCompanions) {
    host.Show("Std dev $\\sigma$_x1", 1.0);
    host.Show("Std dev $\\sigma$_x2", 5.0);
    host.Show("Std dev residual $\\sigma$", 9.0);
    host.Show("|$\\Delta$ intercept|", 0.75);
    Open();
    EXPECT_EQ(form->Edit(CEff_T_LinRegress2GI::kIntercept1Id)->text(), "0.75");
    ChooseMode(2);  // sd x, rho, slope
    Type(CEff_T_LinRegress2GI::kIntercept1Id, "1");
    Type(CEff_T_LinRegress2GI::kIntercept2Id, "3");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(1187), "1.732051");
    EXPECT_EQ(host.writes,
              (Writes{{"Std dev $\\sigma$_x1", 1.0}, {"Std dev residual $\\sigma$", 1.7320508}}));
    EXPECT_EQ(host.effectSizes, std::vector<double>{2.0});
    ChooseMode(0);  // the computed sd y becomes an input
    EXPECT_EQ(form->Edit(1178)->text(), "2");

    ChooseMode(2);
    Type(1178, "0");
    ExpectRefusal(1178, rg::kSmallCorrelationMessage);
    Type(1178, "0.5");
    Type(CEff_T_LinRegress2GI::kIntercept2Id, "x");
    ExpectRefusal(CEff_T_LinRegress2GI::kIntercept2Id, effectsize::kNotANumberMessage);
    ASSERT_TRUE(form->SaveInputs(&host.store));
    CEff_T_LinRegress2GI again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.List(1176)->currentIndex(), 2);
    EXPECT_EQ(again.Edit(CEff_T_LinRegress2GI::kIntercept2Id)->text(), "x");
    EXPECT_EQ(again.Edit(CEff_T_LinRegress2GI::kIntercept1Id)->text(), "1");
}

TEST_F(SpecialForm, RadioChoosesTheFieldsAndF2IsTheOnlyTransfer) {
    namespace rs = effectsize::regression_special;
    Open();
    const int* ids = CEff_F_MRC_Special::kFieldIds;
    EXPECT_TRUE(form->Button(CEff_F_MRC_Special::kVariancesRadioId)->isChecked());
    EXPECT_TRUE(form->Edit(ids[rs::kPartialR2])->isReadOnly());
    EXPECT_EQ(Text(1082), QString::fromUtf8("Effect size f\u00b2"));
    Type(ids[rs::kResidualVariance], "4");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(ids[rs::kPartialR2]), "0.2");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0.25");
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(host.effectSizes, std::vector<double>{0.25});
    Type(ids[rs::kEffectVariance], "0");
    ExpectRefusal(ids[rs::kEffectVariance], rs::kEffectVarianceMessage);

    Click(CEff_F_MRC_Special::kDirectRadioId);
    EXPECT_FALSE(form->Edit(ids[rs::kEffectVariance])->isEnabled());
    EXPECT_FALSE(form->Edit(ids[rs::kPartialR2])->isReadOnly());
    Type(ids[rs::kPartialR2], "1e-16");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "1e-16");
    Type(ids[rs::kPartialR2], "1");
    ExpectRefusal(ids[rs::kPartialR2], rs::kR2RangeMessage);
    EXPECT_EQ(dialogs.messages[0].text,
              QString::fromUtf8("R\u00b2 outside of admissible range (1e-16,1-1e-16)"));

    Type(ids[rs::kPartialR2], "");
    ASSERT_TRUE(form->SaveInputs(&host.store));
    CEff_T_MRC_1Pred coefficient(&host);
    ASSERT_TRUE(coefficient.Create(nullptr, QPoint(0, 0)));
    EXPECT_EQ(coefficient.ControlText(1067), "Variance explained by predictor");
    ASSERT_TRUE(coefficient.RestoreInputs(&host.store));
    EXPECT_TRUE(coefficient.Button(CEff_F_MRC_Special::kDirectRadioId)->isChecked());
    EXPECT_EQ(coefficient.Edit(ids[rs::kPartialR2])->text(), "");
    EXPECT_EQ(coefficient.Edit(ids[rs::kEffectVariance])->text(), "0");
    EXPECT_FALSE(coefficient.Edit(ids[rs::kEffectVariance])->isEnabled());
}

// The way a user goes: "Determine =>" beside the main window's effect size.
using RegressionFromMainWindow = panel_test::MainWindowTest;

TEST_F(RegressionFromMainWindow, EachSlopeTestTransfersToItsOwnInputs) {
    struct Case {
        int testId;
        std::vector<std::pair<int, const char*>> typed;
        std::vector<std::pair<std::string, std::string>> shown;  // label, text after transfer
    };
    const Case cases[] = {
        {kOneSlopeTestId,
         {{1045, "0.5"}, {1178, "0.3"}, {1179, "2"}},
         {{"Slope H1", "0.08660254"},
          {"Std dev $\\sigma$_x", "2"},
          {"Std dev $\\sigma$_y", "0.3464102"}}},
        {kTwoSlopesTestId,
         {{1045, "1"}, {1178, "2"}, {1179, "0.5"}, {1185, "1.5"}, {1189, "1"}, {1191, "0.5"}},
         {{"|$\\Delta$ slope|", "0.6666667"},
          {"Std dev $\\sigma$_x1", "1"},
          {"Std dev $\\sigma$_x2", "1.5"},
          {"Std dev residual $\\sigma$", "1.369306"}}},
        {kTwoInterceptsTestId,
         {{1045, "1"}, {1178, "2"}, {1179, "0.5"}, {1185, "1"}, {1177, "3"}},
         {{"|$\\Delta$ intercept|", "2"},
          {"Std dev $\\sigma$_x1", "1"},
          {"Std dev residual $\\sigma$", "1.732051"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.testId);
        ASSERT_TRUE(frame->SelectTest(c.testId));
        CEffectSizePanel* panel = Determine<CEffectSizePanel>();
        ASSERT_NE(panel, nullptr);
        for (const auto& [id, text] : c.typed) panel->Edit(id)->setText(text);
        panel->Button(CEffectSizePanel::kTransferButtonId)->click();
        for (const auto& [label, text] : c.shown) {
            const std::string shown = Shown(label);
            EXPECT_NEAR(std::stod(shown), std::stod(text), 5e-7 * std::stod(text)) << label;
        }
        panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RegressionFromMainWindow, RSquaredIncreaseAndSingleCoefficientKeepSeparateStores) {
    ASSERT_TRUE(frame->SelectTest(kRegressionR2IncreaseTestId));
    auto* special = dynamic_cast<CEff_F_MRC_Special*>(Determine<CEffectSizePanel>());
    ASSERT_NE(special, nullptr);
    EXPECT_EQ(dynamic_cast<CEff_T_MRC_1Pred*>(special), nullptr);
    special->Edit(1084)->setText("4");
    special->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_EQ(std::stod(Shown("Effect size f$^2$")), 0.25);
    special->Button(CEffectSizePanel::kCloseButtonId)->click();

    ASSERT_TRUE(frame->SelectTest(kRegressionCoefficientTestId));
    auto* coefficient = dynamic_cast<CEff_T_MRC_1Pred*>(Determine<CEffectSizePanel>());
    ASSERT_NE(coefficient, nullptr);
    EXPECT_EQ(coefficient->Edit(1084)->text(), "1");  // not test 104's value
    coefficient->Edit(1084)->setText("2");
    coefficient->Button(CEffectSizePanel::kCloseButtonId)->click();

    ASSERT_TRUE(frame->SelectTest(kRegressionR2IncreaseTestId));
    special = dynamic_cast<CEff_F_MRC_Special*>(Determine<CEffectSizePanel>());
    ASSERT_NE(special, nullptr);
    EXPECT_EQ(special->Edit(1084)->text(), "4");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
