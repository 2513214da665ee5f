// The variance-ratio form: binding and "?", the checks with their focus,
// no transfer after a failed check, the texts kept as typed, and the way a
// user reaches it.

#include "app/panels/variance_ratio_form.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/panels/panel_test_support.h"
#include "platform/widget_test_main.h"

namespace {

namespace vr = effectsize::variance_ratio;
using panel_test::PressKey;
using panel_test::Type;

class VarianceRatioForm : public panel_test::ActiveFormTest<CEff_Two_Vars> {
  protected:
    QLineEdit* Field(int field) const { return form->Edit(CEff_Two_Vars::kFieldIds[field]); }
};

TEST_F(VarianceRatioForm, CalculatesFromNumbersAndFormulas) {
    EXPECT_EQ(Field(vr::kVar0)->text(), "1");
    EXPECT_EQ(Field(vr::kVar1)->text(), "2");
    EXPECT_EQ(Result(), "?");
    EXPECT_EQ(form->ControlText(1136), "Variance var1");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "2");
    Type(Field(vr::kVar1), "0");
    EXPECT_EQ(Result(), "?");
    PressKey(Field(vr::kVar1), Qt::Key_Return);
    EXPECT_EQ(Result(), "0");
    Type(Field(vr::kVar0), "=3*2");
    Type(Field(vr::kVar1), "=sqrt(4)");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "0.3333333");
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_DOUBLE_EQ(host.effectSizes[0], 1.0 / 3);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(VarianceRatioForm, AFailedCheckFocusesItsFieldAndTransfersNothing) {
    struct Case {
        int field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {vr::kVar0, "0", vr::kVar0Message},
        {vr::kVar1, "-2", vr::kVar1Message},
        {vr::kVar0, "=1/0", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString before = Field(c.field)->text();
        Type(Field(c.field), c.text);
        Field(c.field == vr::kVar0 ? vr::kVar1 : vr::kVar0)->setFocus();
        dialogs.messages.clear();
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        // The panel's own wording, with its line breaks.
        if (c.message) {
            EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(c.message));
        }
        EXPECT_EQ(form->focusWidget(), Field(c.field));
        EXPECT_EQ(Field(c.field)->selectedText(), QString::fromLatin1(c.text));
        EXPECT_EQ(Result(), "?");
        Type(Field(c.field), before.toLatin1().constData());
    }
    // The ratio of an earlier calculation is not sent for inputs that have none.
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(VarianceRatioForm, StoreKeepsTheTextsAsTypedAndAnEmptiedField) {
    Type(Field(vr::kVar0), "=2*2");
    Type(Field(vr::kVar1), "");
    ASSERT_TRUE(form->SaveInputs(&host.store));
    CEff_Two_Vars again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.Edit(CEff_Two_Vars::kVar0Id)->text(), "=2*2");
    EXPECT_EQ(again.Edit(CEff_Two_Vars::kVar1Id)->text(), "");
}

using VarianceRatioFromMainWindow = panel_test::MainWindowTest;

TEST_F(VarianceRatioFromMainWindow, DetermineTransfersTheRatioAndKeepsTheTexts) {
    for (int testId : {kVarianceRatioTestId, kVarianceTestId}) {
        SCOPED_TRACE(testId);
        ASSERT_TRUE(frame->SelectTest(testId));
        CEff_Two_Vars* panel = Determine<CEff_Two_Vars>();
        ASSERT_NE(panel, nullptr);
        panel->Edit(CEff_Two_Vars::kVar1Id)->setText("=1.5*2");
        panel->Button(CEffectSizePanel::kTransferButtonId)->click();
        Property* ratio = frame->FindParameter(ParameterNames[kRatioVar1Var0Id]);
        ASSERT_NE(ratio, nullptr);
        EXPECT_NEAR(std::stod(ratio->text), 3.0, 1e-12);
        panel->Button(CEffectSizePanel::kCloseButtonId)->click();
        panel = Determine<CEff_Two_Vars>();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->Edit(CEff_Two_Vars::kVar1Id)->text(), "=1.5*2");
        panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
