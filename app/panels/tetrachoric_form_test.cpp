// The tetrachoric form: its two blocks and "?" results, the option that
// reports r*, the focus on the field the check names, the transfer through
// a fake host, the store, and the way a user reaches it from the main window.

#include "app/panels/tetrachoric_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/drawer_wnd.h"
#include "app/drawer/panel_host.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "power/z/power_z_tetrachoric_corr.h"

namespace {

namespace tet = effectsize::tetrachoric;
using Form = CEff_Z_Tetrachoric;

void PressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

class FakeHost : public PanelHost {
  public:
    FakeHost() {
        inputs.push_back(new PropertyDouble(ParameterNames[kMarginalPropXId], "0.6", false));
        inputs.push_back(new PropertyDouble(ParameterNames[kMarginalPropYId], "0.3", false));
    }
    Property* FindParameter(std::string label) override { return inputs.Find(label); }
    void SetParameterValue(std::string label, double value) override {
        writes.push_back(label + "=" + std::to_string(value));
    }
    void SetEffectSize(double value) override { effectSizes.push_back(value); }
    PropertyList* GetCurrentInputStore() override { return &store; }
    void CloseEffectSizeDrawer() override {}
    PowerAnalysis* CurrentTest() const override { return test.get(); }

    std::unique_ptr<PowerZTetrachoricCorr> test = std::make_unique<PowerZTetrachoricCorr>();
    PropertyList inputs;
    PropertyList store;
    std::vector<std::string> writes;
    std::vector<double> effectSizes;
};

class TetrachoricForm : public ::testing::Test {
  protected:
    void Open() {
        form = std::make_unique<Form>(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        form->show();
        form->activateWindow();
    }
    QLineEdit* Field(int field) const { return form->Edit(Form::kFieldIds[field]); }
    QString Text(int id) const { return form->ControlText(id); }
    void Type(int field, const char* text) {
        QLineEdit* edit = Field(field);
        edit->setFocus();
        edit->selectAll();
        PressKey(edit, Qt::Key_Delete);
        for (const QChar c : QString::fromLatin1(text)) PressKey(edit, 0, QString(c));
    }
    void Click(int id) { form->Button(id)->click(); }

    platform::ScriptedDialogs dialogs;
    FakeHost host;
    std::unique_ptr<Form> form;
};

TEST_F(TetrachoricForm, BothBlocksShowTheirResultsAndAnEditMakesThemUnknown) {
    Open();
    EXPECT_TRUE(form->Button(Form::kProbabilitiesRadioId)->isChecked());
    EXPECT_FALSE(Field(tet::kF11)->isEnabled());
    EXPECT_EQ(Field(tet::kRelativePosition)->text(), "0");
    EXPECT_EQ(Text(Form::kCorrelationId), "?");
    EXPECT_EQ(Text(1180), QString::fromUtf8("H1 corr \u03c1"));
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(Form::kCorrelationId), "0");
    EXPECT_EQ(Text(Form::kMarginalXId), "0.5");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "0");
    Type(tet::kP11, "0.4");
    EXPECT_EQ(Text(Form::kCorrelationId), "?");
    EXPECT_EQ(Text(CEffectSizePanel::kEffectSizeId), "?");
    // One empty cell is completed: 0.4, 0.1, 0.1 and the rest.
    Type(tet::kP12, "0.1");
    Type(tet::kP21, "0.1");
    Type(tet::kP22, "");
    PressKey(Field(tet::kP21), Qt::Key_Return);
    EXPECT_EQ(Text(Form::kMarginalYId), "0.5");
    EXPECT_EQ(Field(tet::kP22)->text(), "");

    // The frequency block: the position walks the interval.
    form->Button(Form::kFrequenciesRadioId)->click();
    EXPECT_EQ(Text(Form::kCorrelationId), "?");
    EXPECT_TRUE(Field(tet::kF11)->isEnabled());
    EXPECT_FALSE(Field(tet::kP11)->isEnabled());
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(Form::kTotalId), "100");
    EXPECT_EQ(Text(Form::kEstimateId), "0");
    EXPECT_EQ(Text(Form::kLowerId), Text(CEffectSizePanel::kEffectSizeId));
    Type(tet::kRelativePosition, "1");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Text(Form::kUpperId), Text(CEffectSizePanel::kEffectSizeId));
    // pi / 20 times the normal quantile 0.975
    EXPECT_EQ(Text(Form::kUpperId), "0.3078704");
    EXPECT_EQ(Text(Form::kEstimateLabelId), "Correlation r");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TetrachoricForm, TheOptionReportsRStar) {
    host.test->useApproximation = true;
    Open();
    EXPECT_EQ(Text(Form::kEstimateLabelId), "Correlation r*");
    EXPECT_EQ(Text(1204), "Std. error of r*");
    form->Button(Form::kFrequenciesRadioId)->click();
    Type(tet::kF11, "40");
    Type(tet::kF12, "10");
    Type(tet::kF21, "15");
    Type(tet::kF22, "35");
    Click(CEffectSizePanel::kCalculateButtonId);
    // r* of the table with half a count added (tetrachoric_reference.csv).
    EXPECT_EQ(Text(Form::kEstimateId), "0.6975774");
    EXPECT_EQ(Text(Form::kLowerId), "0.4579159");
}

TEST_F(TetrachoricForm, AFailedCheckFocusesItsFieldAndTransfersNothing) {
    Open();
    form->Button(Form::kFrequenciesRadioId)->click();
    struct Case {
        int field;
        const char* text;
        int focus;
        const char* message;
    };
    const Case cases[] = {
        {tet::kF12, "", tet::kF11, tet::kAllFrequenciesMessage},
        {tet::kF22, "-3", tet::kF22, tet::kNegativeFrequencyMessage},
        {tet::kConfidenceLevel, "0.9999", tet::kConfidenceLevel, tet::kConfidenceLevelMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const QString before = Field(c.field)->text();
        Type(c.field, c.text);
        dialogs.messages.clear();
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text.toStdString(), c.message);
        EXPECT_EQ(form->focusWidget(), Field(c.focus));
        EXPECT_EQ(Text(Form::kTotalId), "?");
        Type(c.field, before.toLatin1().constData());
    }
    EXPECT_TRUE(host.effectSizes.empty());
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(TetrachoricForm, TransferWritesTheMarginalsAndTheTotalOfTheFrequencies) {
    host.inputs.push_back(new PropertyLong(ParameterNames[kTotalSampleSizeId], 50L));
    Open();
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(host.writes,
              (std::vector<std::string>{"Marginal prop x=0.500000", "Marginal prop y=0.500000"}));
    form->Button(Form::kFrequenciesRadioId)->click();
    Type(tet::kRelativePosition, "0.5");
    host.writes.clear();
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(host.writes,
              (std::vector<std::string>{"Marginal prop x=0.500000", "Marginal prop y=0.500000",
                                        "Total sample size=100.000000"}));
    ASSERT_EQ(host.effectSizes.size(), 2u);
    EXPECT_NEAR(host.effectSizes[1], 0.0, 1e-15);
}

TEST_F(TetrachoricForm, StoreRoundTripKeepsModeFormulasAndAnEmptiedCell) {
    Open();
    Type(tet::kP11, "=1/4");
    Type(tet::kP22, "");
    form->Button(Form::kFrequenciesRadioId)->click();
    ASSERT_TRUE(form->SaveInputs(&host.store));

    Form again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_TRUE(again.Button(Form::kFrequenciesRadioId)->isChecked());
    EXPECT_EQ(again.ControlText(Form::kFieldIds[tet::kP11]), "=1/4");
    EXPECT_EQ(again.ControlText(Form::kFieldIds[tet::kP22]), "");
    again.Button(Form::kProbabilitiesRadioId)->click();
    again.Button(CEffectSizePanel::kCalculateButtonId)->click();
    EXPECT_EQ(again.ControlText(Form::kCorrelationId), "0");  // 1/4 and the completed 1/4
}

TEST(TetrachoricFromMainWindow, DetermineCalculatesAndTransfers) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    frame->SetDrawerAnimation(false, false);
    frame->show();
    ASSERT_TRUE(frame->SelectTest(kTetrachoricTestId));
    CQuorixMainCompForm* main = frame->EditFieldForm();
    main->Button(form_tables::DetermineButtonId(main->EffectSizeRow()))->click();
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    auto* panel = dynamic_cast<Form*>(drawer->Panel(0));
    ASSERT_NE(panel, nullptr);
    panel->Edit(Form::kFieldIds[tet::kP11])->setText("0.4");
    panel->Edit(Form::kFieldIds[tet::kP12])->setText("0.2");
    panel->Edit(Form::kFieldIds[tet::kP21])->setText("0.1");
    panel->Edit(Form::kFieldIds[tet::kP22])->setText("0.3");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    auto shown = [frame](int id) {
        Property* input = frame->FindParameter(ParameterNames[id]);
        return input ? input->text : std::string("<none>");
    };
    EXPECT_EQ(shown(kMarginalPropXId), "0.5");
    EXPECT_EQ(shown(kMarginalPropYId), "0.4");
    EXPECT_EQ(shown(kH1CorrRhoId),
              panel->ControlText(CEffectSizePanel::kEffectSizeId).toStdString());
    EXPECT_TRUE(dialogs.messages.empty());
    frame_test::ForgetScriptedFamilies();
}

}  // namespace
