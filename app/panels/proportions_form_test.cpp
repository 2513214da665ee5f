// The proportion forms: binding and "?", the focus-out checks, the clamp of
// the derived proportion, the transfer with its 1e-10 skip, the store, the
// set-up from the main window and the way a user reaches the panels.

#include "app/panels/proportions_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/panels/panel_test_support.h"
#include "platform/widget_test_main.h"

namespace {

namespace prop = effectsize::proportions;
using panel_test::PressKey;
using panel_test::Type;

template <class Form>
class ProportionsFormTest : public panel_test::ActiveFormTest<Form> {
  protected:
    QLineEdit* Field(int field) const { return this->form->Edit(Form::kFieldIds[field]); }
    QString Text(int field) const { return Field(field)->text(); }
    std::vector<QString> Messages() const {
        std::vector<QString> texts;
        for (const auto& message : this->dialogs.messages) texts.push_back(message.text);
        return texts;
    }
};

using OneProportionForm = ProportionsFormTest<CEff_One_Prop>;
using TwoProportionsForm = ProportionsFormTest<CEff_Two_Prop>;

TEST_F(OneProportionForm, OpensWithTheOddsRatioOfTheDefaultsAndFollowsTheModes) {
    EXPECT_EQ(Text(prop::kP1), "0.5");
    EXPECT_EQ(Text(prop::kP2), "0.55");
    EXPECT_EQ(Text(prop::kValue), "1.222222");
    EXPECT_TRUE(form->Button(CEffProportionsForm::kModeIds[prop::kOddsRatio])->isChecked());
    EXPECT_EQ(Result(), "?");
    EXPECT_EQ(form->ControlText(CEffProportionsForm::kModeIds[0]), "Difference P2 - P1");

    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "0.05");
    // From odds ratio 1.5 to the difference: P2 follows 1.5 first.
    Type(Field(prop::kValue), "1.5");
    EXPECT_EQ(Result(), "?");
    Click(CEffProportionsForm::kModeIds[prop::kDifference]);
    EXPECT_EQ(Text(prop::kP2), "0.6");
    EXPECT_EQ(Text(prop::kValue), "0.1");
    PressKey(Field(prop::kValue), Qt::Key_Return);  // Enter calculates
    EXPECT_EQ(Result(), "0.1");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OneProportionForm, TheValueBoxStandsOnTheRowOfTheChosenQuantity) {
    for (int mode : {prop::kDifference, prop::kOddsRatio, prop::kRatio, prop::kDifference}) {
        Click(CEffProportionsForm::kModeIds[mode]);
        const QRect radio = form->Control(CEffProportionsForm::kModeIds[mode])->geometry();
        const QRect value = Field(prop::kValue)->geometry();
        EXPECT_LE(std::abs(value.center().y() - radio.center().y()), 1) << "mode " << mode;
    }
}

TEST_F(OneProportionForm, AClampedP2IsReportedAndTheCalculationGoesOn) {
    Click(CEffProportionsForm::kModeIds[prop::kDifference]);
    Type(Field(prop::kValue), "0.7");
    Click(CEffectSizePanel::kCalculateButtonId);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].toStdString(), prop::kOneProportion.clampMessage);
    EXPECT_EQ(Text(prop::kP2), "1");
    EXPECT_EQ(Text(prop::kValue), "0.5");
    EXPECT_EQ(Result(), "0.5");
    EXPECT_EQ(form->focusWidget(), Field(prop::kValue));
}

TEST_F(OneProportionForm, LeavingAProportionChecksItOnceAndKeepsTheFocus) {
    Type(Field(prop::kP1), "1.2");
    Field(prop::kP2)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], QString::fromLatin1(prop::kP1RangeMessage));
    EXPECT_EQ(form->focusWidget(), Field(prop::kP1));
    EXPECT_EQ(Field(prop::kP1)->selectedText(), "1.2");
    EXPECT_EQ(Text(prop::kP1), "1.2");

    // Two bad proportions do not hand the focus and the message back and
    // forth: the return of the focus to P1 checks nothing.
    dialogs.messages.clear();
    Field(prop::kP2)->setText("-1");
    Field(prop::kP2)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(form->focusWidget(), Field(prop::kP1));

    // The window losing the focus (a message box, another program) is no
    // leaving of the field.
    dialogs.messages.clear();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(Field(prop::kP1), &away);
    EXPECT_TRUE(dialogs.messages.empty());

    // A good value moves on and brings the value field in line.
    Type(Field(prop::kP1), "0.4");
    Field(prop::kP2)->setText("0.55");
    Field(prop::kValue)->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Text(prop::kValue), "1.833333");  // 0.6 * 0.55 / (0.45 * 0.4)
    EXPECT_EQ(Result(), "?");

    // Ratio mode with P1 = 0: the message, and the value field shows 1.
    Click(CEffProportionsForm::kModeIds[prop::kRatio]);
    Type(Field(prop::kP1), "0");
    Type(Field(prop::kP2), "0.3");
    Field(prop::kValue)->setFocus(Qt::TabFocusReason);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(Messages().back(), "Ratio P2/P1 not defined for P1=0");
    EXPECT_EQ(Text(prop::kValue), "1");
}

TEST_F(OneProportionForm, TransferSkipsAnUnchangedConstantProportion) {
    const std::string label = ParameterNames[kConstantProportionId];
    host.ShowInput(label, "0.50000000005");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_TRUE(host.writes.empty());
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 0.05, 1e-15);

    Type(Field(prop::kP1), "0.4");
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.writes, std::vector<std::string>{label + "=0.400000"});
    ASSERT_EQ(host.effectSizes.size(), 2u);

    // Nothing goes to the main window after a failed check.
    Field(prop::kP1)->setText("1.5");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.effectSizes.size(), 2u);
    EXPECT_EQ(form->focusWidget(), Field(prop::kP1));
}

TEST_F(OneProportionForm, StoreRoundTripKeepsNumbersModeAndAnEmptiedField) {
    Click(CEffProportionsForm::kModeIds[prop::kRatio]);
    Type(Field(prop::kP2), "0.3");
    Field(prop::kP1)->setText("");
    ASSERT_TRUE(form->SaveInputs(&host.store));

    CEff_One_Prop again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.Edit(CEffProportionsForm::kP1Id)->text(), "");
    EXPECT_EQ(again.Edit(CEffProportionsForm::kP2Id)->text(), "0.3000000");
    EXPECT_TRUE(again.Button(CEffProportionsForm::kModeIds[prop::kRatio])->isChecked());
    EXPECT_EQ(again.ControlText(CEffectSizePanel::kEffectSizeId), "?");
}

TEST_F(TwoProportionsForm, TakesBothProportionsFromTheMainWindowAndTransfersP2ThenP1) {
    EXPECT_EQ(form->ControlText(CEffProportionsForm::kModeIds[1]), "ratio P1/P2");
    host.ShowInput(ParameterNames[kProportionP2Id], "0.2");
    host.ShowInput(ParameterNames[kProportionP1Id], "0.3");
    form->SetUpAfterOpening(kFisherTestId);
    EXPECT_EQ(Text(prop::kP1), "0.3");
    EXPECT_EQ(Text(prop::kP2), "0.2");
    // The value field follows the copied proportions, so a calculation keeps P1.
    EXPECT_EQ(Text(prop::kValue), "1.714286");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "0.3");

    // "ratio P1/P2" of 2 makes P1 twice P2.
    Click(CEffProportionsForm::kModeIds[prop::kRatio]);
    Type(Field(prop::kValue), "2");
    Type(Field(prop::kP2), "0.25");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Text(prop::kP1), "0.5");
    EXPECT_EQ(host.writes, std::vector<std::string>{"Proportion p2=0.250000"});
    EXPECT_EQ(host.effectSizes, std::vector<double>{0.5});
    EXPECT_TRUE(dialogs.messages.empty());
}

// Leaving a good proportion while the other one holds text that is no
// number: the value field does not follow (it would read the other as 0
// and report an undefined odds ratio); the set-up from the main window
// reports the refused field and copies nothing over it.
TEST_F(TwoProportionsForm, AProportionThatIsNoNumberMovesNothingAndIsNotReplaced) {
    const QString value = Text(prop::kValue);
    Type(Field(prop::kP1), "0.4");
    Field(prop::kP2)->setText("0,7");
    Field(prop::kValue)->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Text(prop::kValue), value);
    EXPECT_EQ(Result(), "?");

    host.ShowInput(ParameterNames[kProportionP2Id], "0.6");
    host.ShowInput(ParameterNames[kProportionP1Id], "0.3");
    form->SetUpAfterOpening(kFisherTestId);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Input error (illegal character?)");
    EXPECT_EQ(form->focusWidget(), Field(prop::kP2));
    EXPECT_EQ(Text(prop::kP1), "0.4");
    EXPECT_EQ(Text(prop::kP2), "0,7");
    EXPECT_EQ(Text(prop::kValue), value);
}

// The way a user goes: "Determine =>" beside the main window's effect size.
using ProportionsFromMainWindow = panel_test::MainWindowTest;

TEST_F(ProportionsFromMainWindow, OneProportionTakesAndWritesTheConstantProportion) {
    ASSERT_TRUE(frame->SelectTest(kProportionTestId));
    auto* panel = Determine<CEff_One_Prop>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(std::stod(panel->Edit(CEffProportionsForm::kP1Id)->text().toStdString()),
              std::stod(MainText(kConstantProportionId)));
    panel->Button(CEffProportionsForm::kModeIds[prop::kDifference])->click();
    panel->Edit(CEffProportionsForm::kP1Id)->setText("0.3");
    panel->Edit(CEffProportionsForm::kP2Id)->setText("0.45");
    panel->Edit(CEffProportionsForm::kValueId)->setText("0.15");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kConstantProportionId)), 0.3, 1e-12);
    EXPECT_NEAR(std::stod(MainText(kEffectSizeGId)), 0.15, 1e-9);
    EXPECT_TRUE(dialogs.messages.empty());

    // Closed and opened again: the difference mode and P2 return.
    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    panel = Determine<CEff_One_Prop>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Edit(CEffProportionsForm::kP2Id)->text(), "0.4500000");
    EXPECT_TRUE(panel->Button(CEffProportionsForm::kModeIds[prop::kDifference])->isChecked());
}

// A field whose text is not one number (a decimal comma, a word) is
// refused on that field with the main window's message by every button
// that reads it; it is not read as the number it starts with, so no other
// field and nothing in the main window moves.
TEST_F(ProportionsFromMainWindow, TextThatIsNoNumberIsRefusedOnItsField) {
    ASSERT_TRUE(frame->SelectTest(kFisherTestId));
    auto* panel = Determine<CEff_Two_Prop>();
    ASSERT_NE(panel, nullptr);
    const std::string mainP1 = MainText(kProportionP1Id);
    const struct {
        int field;
        const char* text;
        int button;
    } cases[] = {
        {prop::kP2, "0,7", CEffectSizePanel::kCalculateButtonId},
        {prop::kP2, "0,7", CEffectSizePanel::kTransferButtonId},
        {prop::kP1, "abc", CEffectSizePanel::kCalculateButtonId},
        {prop::kValue, "0,1", CEffectSizePanel::kCalculateButtonId},
        {prop::kValue, "0,1", CEffProportionsForm::kSyncId},
        {prop::kValue, "0,1", CEffProportionsForm::kModeIds[prop::kRatio]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in field " + std::to_string(c.field));
        panel->Button(CEffProportionsForm::kModeIds[prop::kDifference])->click();
        const char* texts[] = {"0.5", "0.6", "-0.1"};
        for (int field = 0; field < prop::kFieldCount; ++field)
            panel->Edit(CEffProportionsForm::kFieldIds[field])->setText(texts[field]);
        panel->Edit(CEffProportionsForm::kFieldIds[c.field])->setText(c.text);
        dialogs.messages.clear();
        panel->Button(c.button)->click();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
        EXPECT_EQ(panel->focusWidget(), panel->Edit(CEffProportionsForm::kFieldIds[c.field]));
        for (int field = 0; field < prop::kFieldCount; ++field) {
            EXPECT_EQ(panel->Edit(CEffProportionsForm::kFieldIds[field])->text(),
                      field == c.field ? c.text : texts[field]);
        }
        EXPECT_TRUE(panel->Button(CEffProportionsForm::kModeIds[prop::kDifference])->isChecked());
        EXPECT_EQ(panel->Edit(CEffectSizePanel::kEffectSizeId)->text(), "?");
        EXPECT_EQ(MainText(kProportionP1Id), mainP1);
    }
}

// The decimal comma the way a user meets it: typed into P2 of Fisher's
// test, the drawer closed with Esc, "Determine =>" again. The reopened
// drawer refuses the text on P2 and keeps it (not the number it starts
// with, nor the main window's P2); after the message, as after Calculate's,
// the drawer is active with the focus on P2 even though the window system
// handed the activation to the main window, and Esc closes it.
TEST_F(ProportionsFromMainWindow, ACommaLeftInP2IsRefusedOnItWhenTheDrawerOpensAgain) {
    ASSERT_TRUE(frame->SelectTest(kFisherTestId));
    frame->activateWindow();
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return frame->isActiveWindow(); }, 5000));
    CQuorixMainCompForm* main = frame->EditFieldForm();
    QAbstractButton* determine =
        main->Button(form_tables::DetermineButtonId(main->EffectSizeRow()));
    const std::string mainP1 = MainText(kProportionP1Id);
    const std::string mainP2 = MainText(kProportionP2Id);
    auto drawerHasFocusOn = [&](QWidget* field) {
        return widget_test::RunEventsUntil(
            [&] {
                CDrawerWnd* drawer = frame->EffectSizeDrawer();
                return drawer && drawer->isActiveWindow() && QApplication::focusWidget() == field;
            },
            5000);
    };

    QTest::mouseClick(determine, Qt::LeftButton);
    auto* panel = dynamic_cast<CEff_Two_Prop*>(frame->EffectSizeDrawer()->Panel(0));
    ASSERT_NE(panel, nullptr);
    QLineEdit* p1 = panel->Edit(CEffProportionsForm::kP1Id);
    ASSERT_TRUE(drawerHasFocusOn(p1));
    QTest::keyClick(p1, Qt::Key_Tab);
    QLineEdit* p2 = panel->Edit(CEffProportionsForm::kP2Id);
    ASSERT_EQ(QApplication::focusWidget(), p2);
    QTest::keyClicks(p2, "0,7");
    ASSERT_EQ(p2->text(), "0,7");
    QTest::keyClick(p2, Qt::Key_Escape);
    ASSERT_EQ(frame->EffectSizeDrawer(), nullptr);
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return frame->isActiveWindow(); }, 5000));
    EXPECT_TRUE(dialogs.messages.empty());

    // Where a message box closes, the window system activates the main
    // window.
    dialogs.messageClosed = [&] {
        frame->activateWindow();
        widget_test::RunEventsUntil([&] { return frame->isActiveWindow(); }, 5000);
    };
    QTest::mouseClick(determine, Qt::LeftButton);
    panel = dynamic_cast<CEff_Two_Prop*>(frame->EffectSizeDrawer()->Panel(0));
    ASSERT_NE(panel, nullptr);
    p2 = panel->Edit(CEffProportionsForm::kP2Id);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
    EXPECT_EQ(p2->text(), "0,7");
    EXPECT_TRUE(drawerHasFocusOn(p2));
    EXPECT_EQ(p2->selectedText(), "0,7");
    EXPECT_EQ(MainText(kProportionP1Id), mainP1);
    EXPECT_EQ(MainText(kProportionP2Id), mainP2);

    // Calculate (Enter in the field) refuses it the same way and gives the
    // focus back to it.
    QTest::keyClick(p2, Qt::Key_Return);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "Input error (illegal character?)");
    EXPECT_TRUE(drawerHasFocusOn(p2));
    EXPECT_EQ(panel->Edit(CEffectSizePanel::kEffectSizeId)->text(), "?");

    // Esc reaches the drawer again and closes it, keeping the text.
    dialogs.messageClosed = nullptr;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(frame->EffectSizeDrawer(), nullptr);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(MainText(kProportionP2Id), mainP2);
    QTest::mouseClick(determine, Qt::LeftButton);
    panel = dynamic_cast<CEff_Two_Prop*>(frame->EffectSizeDrawer()->Panel(0));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Edit(CEffProportionsForm::kP2Id)->text(), "0,7");
}

TEST_F(ProportionsFromMainWindow, FisherTestGetsTheTwoProportionsPanel) {
    ASSERT_TRUE(frame->SelectTest(kFisherTestId));
    auto* panel = Determine<CEff_Two_Prop>();
    ASSERT_NE(panel, nullptr);
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kProportionP1Id)),
                std::stod(panel->Edit(CEffProportionsForm::kP1Id)->text().toStdString()), 1e-9);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
