// The logistic-regression form: the input kind the test asks for, the
// worked values both ways, each error on its own field, the transfer of the
// H0 probability and the effect through a fake host, the store of formulas
// and emptied fields, and the panel reached from the main window.

#include "app/panels/logistic_form.h"

#include <gtest/gtest.h>

#include <QTest>

#include "analysis/ids.h"
#include "app/panels/panel_form_test_support.h"
#include "platform/widget_test_main.h"
#include "power/z/power_z_logistic_regress.h"

namespace {

namespace lr = effectsize::logistic_regression;
using panel_form_test::Type;

class LogisticForm : public panel_form_test::PanelTest<CEff_Z_LogRegress> {
  protected:
    void SetUp() override {
        auto test = std::make_unique<PowerZLogisticRegress>();
        logistic = test.get();
        host.test = std::move(test);
        PanelTest::SetUp();
    }
    QLineEdit* Field(int field) const { return Edit(CEff_Z_LogRegress::kFieldIds[field]); }
    QString Label(int id) const { return panel->ControlText(id); }

    PowerZLogisticRegress* logistic = nullptr;
};

TEST_F(LogisticForm, OddsRatioFromProbabilitiesAndTransferOfP0) {
    host.Show(kPrY1X1H0Id, "0.3");
    panel->SetUpAfterOpening(kLogisticRegressionTestId);
    EXPECT_EQ(Label(CEff_Z_LogRegress::kInput1LabelId), "Pr(Y=1|X=1) H1");
    EXPECT_EQ(Label(CEff_Z_LogRegress::kP0LabelId), "Pr(Y=1|X=1) H0");
    EXPECT_EQ(Label(CEff_Z_LogRegress::kResultLabelId), "Odds ratio");
    EXPECT_EQ(Field(lr::kInput1)->text(), "0.5");
    EXPECT_EQ(Field(lr::kP0)->text(), "0.3");

    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "2.333333");
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].first, "Pr(Y=1|X=1) H0");
    EXPECT_EQ(host.writes[0].second, 0.3);
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 2.3333333333333335, 1e-15);
}

TEST_F(LogisticForm, ProbabilityFromOddsRatioWhenTheTestTakesIt) {
    logistic->SetOddsRatioInput(false);
    panel->SetUpAfterOpening(kLogisticRegressionTestId);  // no p0 shown: 0.3
    EXPECT_EQ(Label(CEff_Z_LogRegress::kInput1LabelId), "Odds ratio");
    EXPECT_EQ(Label(CEff_Z_LogRegress::kResultLabelId), "Pr(Y=1|X=1) H1");
    EXPECT_EQ(Field(lr::kInput1)->text(), "4");
    EXPECT_EQ(Field(lr::kP0)->text(), "0.3");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "0.6315789");
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 0.63157894736842104, 1e-15);

    // What was typed for one kind comes back when the test asks for it again.
    Type(Field(lr::kInput1), "2.5");
    logistic->SetOddsRatioInput(true);
    panel->SetUpAfterOpening(kLogisticRegressionTestId);
    EXPECT_EQ(Field(lr::kInput1)->text(), "0.5");
    logistic->SetOddsRatioInput(false);
    panel->SetUpAfterOpening(kLogisticRegressionTestId);
    EXPECT_EQ(Field(lr::kInput1)->text(), "2.5");
}

TEST_F(LogisticForm, EachErrorFocusesItsOwnField) {
    struct Case {
        bool oddsRatioTest;
        int field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {true, lr::kInput1, "1", lr::kP1Message},
        {true, lr::kP0, "0", lr::kP0Message},
        {true, lr::kP0, "1", lr::kP0Message},
        {false, lr::kInput1, "=1e-11", lr::kOddsRatioMessage},
        {false, lr::kP0, "", effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        logistic->SetOddsRatioInput(c.oddsRatioTest);
        panel->SetUpAfterOpening(kLogisticRegressionTestId);
        Type(Field(c.field), c.text);
        dialogs.messages.clear();
        Field(c.field == lr::kP0 ? lr::kInput1 : lr::kP0)->setFocus();
        Click(CEffectSizePanel::kTransferButtonId);
        EXPECT_EQ(LastMessage(), c.message);
        EXPECT_EQ(panel->focusWidget(), Field(c.field));
        Type(Field(c.field), c.field == lr::kP0 ? "0.3" : (c.oddsRatioTest ? "0.5" : "4"));
    }
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(LogisticForm, StoreKeepsFormulasAndEmptiedFields) {
    ASSERT_TRUE(panel->SaveInputs(&host.store));  // the first opening's defaults
    Type(Field(lr::kP0), "=0.1*3");
    Type(Field(lr::kInput1), "");
    ASSERT_TRUE(panel->SaveInputs(&host.store));
    std::string text;
    EXPECT_TRUE(GetNamedString(&host.store, lr::kOddsRatioKey, &text));
    EXPECT_EQ(text, "4");

    Open();
    ASSERT_TRUE(panel->RestoreInputs(&host.store));
    host.Show(kPrY1X1H0Id, "0.2");
    panel->SetUpAfterOpening(kLogisticRegressionTestId);
    EXPECT_EQ(Field(lr::kP0)->text(), "=0.1*3");  // a formula is not overwritten
    EXPECT_EQ(Field(lr::kInput1)->text(), "");
    Type(Field(lr::kInput1), "=1/2");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "2.333333");
}

using LogisticFromMainWindow = panel_form_test::MainWindowTest;

TEST_F(LogisticFromMainWindow, DetermineTransfersTheOddsRatioAndP0) {
    ASSERT_TRUE(frame->SelectTest(kLogisticRegressionTestId));
    const double mainP0 = std::stod(MainText(kPrY1X1H0Id));
    auto* panel = Determine<CEff_Z_LogRegress>();
    ASSERT_NE(panel, nullptr);
    QLineEdit* p0 = panel->Edit(CEff_Z_LogRegress::kFieldIds[lr::kP0]);
    EXPECT_EQ(std::stod(p0->text().toStdString()), mainP0);  // copied at set-up

    Type(p0, "0.3");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kPrY1X1H0Id)), 0.3, 1e-12);
    EXPECT_NEAR(std::stod(MainText(kOddsRatioId)), 2.333333, 1e-6);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A probability left as text that is no number ("0,3") survives the
// set-up's copy from the main window when the drawer opens again, and is
// reported on its field, which has the focus; the main window keeps its
// value. Closed again, the text is still there.
TEST_F(LogisticFromMainWindow, AFieldLeftAsNoNumberIsKeptOverTheMainWindowsValue) {
    ASSERT_TRUE(frame->SelectTest(kLogisticRegressionTestId));
    const std::string mainP0 = MainText(kPrY1X1H0Id);
    auto* panel = Determine<CEff_Z_LogRegress>();
    ASSERT_NE(panel, nullptr);
    QLineEdit* p0 = panel->Edit(CEff_Z_LogRegress::kFieldIds[lr::kP0]);
    p0->setFocus(Qt::MouseFocusReason);
    p0->selectAll();
    QTest::keyClicks(p0, "0,3");
    QTest::keyClick(p0, Qt::Key_Escape);
    ASSERT_EQ(frame->EffectSizeDrawer(), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        dialogs.messages.clear();
        panel = Determine<CEff_Z_LogRegress>();
        ASSERT_NE(panel, nullptr);
        p0 = panel->Edit(CEff_Z_LogRegress::kFieldIds[lr::kP0]);
        EXPECT_EQ(p0->text(), "0,3");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
        EXPECT_EQ(panel->focusWidget(), p0);
        EXPECT_EQ(MainText(kPrY1X1H0Id), mainP0);
        QTest::keyClick(p0, Qt::Key_Escape);
        ASSERT_EQ(frame->EffectSizeDrawer(), nullptr);
    }
}

}  // namespace
