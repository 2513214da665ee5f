// The two-group means form: its binding to the inputs record, the focus on
// the field the check names, the transfer through the host, the store, and
// the way a user reaches it from the main window.

#include "app/panels/two_groups_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <cmath>
#include <memory>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/panels/panel_test_support.h"
#include "platform/widget_test_main.h"
#include "power/t/power_t_means.h"
#include "power/t/power_t_wilcoxon.h"

namespace {

namespace tgm = effectsize::two_group_means;

using Form = CEff_T_2Groups_Form;
using panel_test::FakeHost;
using panel_test::PressKey;

class TwoGroupsForm : public ::testing::Test {
  protected:
    void SetUp() override {
        host.test = std::make_unique<PowerTMeans>();
        form = new Form(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        form->show();
        form->activateWindow();
    }
    void TearDown() override { delete form; }

    QLineEdit* Field(int field) const { return form->Edit(Form::kFieldIds[field]); }
    QString Result() const { return form->ControlText(CEffectSizePanel::kEffectSizeId); }
    // Replaces a field's text as a user does, key by key.
    void Type(int field, const char* text) { panel_test::Type(Field(field), text); }
    void Click(int id) { form->Button(id)->click(); }

    platform::ScriptedDialogs dialogs;
    FakeHost host;
    Form* form = nullptr;
};

TEST_F(TwoGroupsForm, OpensInTheEqualNBlockAndCalculatesFromTheShownBlock) {
    EXPECT_EQ(Result(), "?");
    EXPECT_TRUE(form->Button(Form::kEqualRadioId)->isChecked());
    for (int field = 0; field < tgm::kFieldCount; ++field)
        EXPECT_EQ(Field(field)->isEnabled(), field >= tgm::kMean11) << field;
    EXPECT_EQ(form->ControlText(1062), QString::fromUtf8("SD \u03c3 within each group"));

    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "2");
    // Typing into any input makes the shown d stale.
    Type(tgm::kMean11, "5");
    EXPECT_EQ(Result(), "?");
    Type(tgm::kMean22, "3");
    Type(tgm::kSd11, "1");
    Type(tgm::kSd22, "2");
    PressKey(Field(tgm::kSd22), Qt::Key_Return);  // Enter calculates
    EXPECT_EQ(Result(), "1.264911");

    // The other block: its edits only, and its own values.
    Click(CEffectSizePanel::kCalculateButtonId);
    form->Button(Form::kUnequalRadioId)->click();
    EXPECT_EQ(Result(), "?");
    EXPECT_TRUE(Field(tgm::kSd)->isEnabled());
    EXPECT_FALSE(Field(tgm::kSd11)->isEnabled());
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "2");
    EXPECT_EQ(Field(tgm::kMean11)->text(), "5");  // kept while not in use
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TwoGroupsForm, AFailedCheckFocusesItsFieldAndTransfersNothing) {
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.effectSizes, std::vector<double>{2.0});

    struct Case {
        int field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {tgm::kSd11, "1e-12", tgm::kSdsMessage},
        {tgm::kSd22, "0", tgm::kSdsMessage},
        {tgm::kMean22, "one", effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString before = Field(c.field)->text();
        Type(c.field, c.text);
        dialogs.messages.clear();
        Field(tgm::kMean11)->setFocus();
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(form->focusWidget(), Field(c.field));
        EXPECT_EQ(Field(c.field)->selectedText(), QString::fromLatin1(c.text));
        // The earlier d is not sent again for inputs that have none.
        EXPECT_EQ(host.effectSizes.size(), 1u);
        EXPECT_EQ(Result(), "?");
        Type(c.field, before.toLatin1().constData());
    }
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(TwoGroupsForm, WilcoxonUnderLehmannGetsP1OrARefusal) {
    auto wilcoxon = std::make_unique<PowerTWilcox2>();
    wilcoxon->wilcoxon.method = 2;
    PowerTWilcox2* test = wilcoxon.get();
    host.test = std::move(wilcoxon);
    host.ShowParent(0);  // normal

    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(host.effectSizes.size(), 1u);
    // Phi(2 / sqrt(2)), R: pnorm(sqrt(2))
    EXPECT_NEAR(host.effectSizes[0], 0.9213503964748575, 1e-15);
    EXPECT_EQ(Result(), "2");  // the panel still shows d

    test->wilcoxon.manualInput = true;
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), tgm::kManualMomentsRefusal);
    EXPECT_EQ(host.effectSizes.size(), 1u);
}

TEST_F(TwoGroupsForm, StoreRoundTripKeepsTextsAndBlock) {
    form->Button(Form::kUnequalRadioId)->click();
    Type(tgm::kMean1, "4.50");
    Type(tgm::kMean2, "");
    ASSERT_TRUE(form->SaveInputs(&host.store));

    Form again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_TRUE(again.Button(Form::kUnequalRadioId)->isChecked());
    EXPECT_EQ(again.Edit(Form::kFieldIds[tgm::kMean1])->text(), "4.50");
    EXPECT_EQ(again.Edit(Form::kFieldIds[tgm::kMean2])->text(), "");
    EXPECT_TRUE(again.Edit(Form::kFieldIds[tgm::kMean1])->isEnabled());
    EXPECT_FALSE(again.Edit(Form::kFieldIds[tgm::kMean11])->isEnabled());
    EXPECT_EQ(again.ControlText(CEffectSizePanel::kEffectSizeId), "?");

    Click(CEffectSizePanel::kCloseButtonId);
    EXPECT_EQ(host.closes, 1);
}

// The way a user goes: "Determine =>" beside the main window's effect size.
using TwoGroupsFromMainWindow = panel_test::MainWindowTest;

TEST_F(TwoGroupsFromMainWindow, DetermineTransfersAndTheInputsSurvive) {
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    Form* panel = Determine<Form>();
    ASSERT_NE(panel, nullptr);
    panel->Edit(Form::kFieldIds[tgm::kMean11])->setText("5");
    panel->Edit(Form::kFieldIds[tgm::kMean22])->setText("3");
    panel->Edit(Form::kFieldIds[tgm::kSd11])->setText("1");
    panel->Edit(Form::kFieldIds[tgm::kSd22])->setText("2");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_NEAR(std::stod(MainText(kEffectSizeDId)), 1.2649110640673518, 1e-6);
    EXPECT_TRUE(frame->EffectSizeDrawerOpen());  // the drawer stays open

    // Closing, another test, and back: the typed inputs return.
    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    ASSERT_TRUE(frame->SelectTest(kOneMeanTestId));
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    panel = Determine<Form>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Edit(Form::kFieldIds[tgm::kSd22])->text(), "2");
    EXPECT_EQ(panel->ControlText(CEffectSizePanel::kEffectSizeId), "?");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
