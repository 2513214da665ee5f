// The ANOVA forms: the omnibus panel's group table, count and "Equal n", the
// special-effects panel's modes, the questions of a transfer through a fake
// host, the store, and the procedure selector reached by "Determine =>".

#include "app/panels/anova_forms.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
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
#include "ui/grid/grid_ctrl.h"

namespace {

namespace omni = effectsize::anova_omnibus;
namespace special = effectsize::anova_special;
using platform::MessageAnswer;

void PressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Replaces an edit's text as a user does, key by key.
void Type(QLineEdit* edit, const char* text) {
    edit->setFocus();
    edit->selectAll();
    PressKey(edit, Qt::Key_Delete);
    for (const QChar c : QString::fromLatin1(text)) PressKey(edit, 0, QString(c));
}

// The main window as a panel sees it: "Number of groups" and "Total sample
// size" when shown, and a record of what the panel wrote.
class FakeHost : public PanelHost {
  public:
    Property* FindParameter(std::string label) override { return inputs.Find(label); }
    void SetParameterValue(std::string label, double value) override {
        writes.push_back(label + "=" + std::to_string(static_cast<long>(value)));
    }
    void SetEffectSize(double value) override { effectSizes.push_back(value); }
    PropertyList* GetCurrentInputStore() override { return &store; }
    void CloseEffectSizeDrawer() override { ++closes; }
    PowerAnalysis* CurrentTest() const override { return nullptr; }

    void Show(int id, long value) { inputs.push_back(new PropertyLong(ParameterNames[id], value)); }

    PropertyList inputs;
    PropertyList store;
    std::vector<std::string> writes;
    std::vector<double> effectSizes;
    int closes = 0;
};

// An in-place edit of a table cell as the grid ends it.
void EditCell(CGridCtrl* grid, int row, int col, const char* text) {
    grid->OnEndEditCell(row, col, QString::fromLatin1(text));
}

class OmnibusForm : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<CEff_F_Anova_Omni>(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        form->show();
        form->activateWindow();
    }
    QLineEdit* Count() const { return form->Edit(CEff_F_Anova_Omni::kGroupCountId); }
    QString Result() const { return form->ControlText(CEffectSizePanel::kEffectSizeId); }
    QString Total() const { return form->ControlText(CEff_F_Anova_Omni::kTotalId); }
    CGridCtrl* Grid() const { return form->Grid(); }
    void Click(int id) { form->Button(id)->click(); }
    void MeansOneToFour() {
        for (int i = 0; i < 4; ++i) EditCell(Grid(), i + 1, 1, std::to_string(i + 1).c_str());
    }

    platform::ScriptedDialogs dialogs;
    FakeHost host;
    std::unique_ptr<CEff_F_Anova_Omni> form;
};

TEST_F(OmnibusForm, TableCountAndEqualNAsTheUserWorksThem) {
    EXPECT_EQ(Result(), "?");
    ASSERT_EQ(Grid()->GetRowCount(), 5);
    EXPECT_EQ(Grid()->GetItemText(0, 1), "Mean");
    EXPECT_EQ(Grid()->GetItemText(4, 2), "5");
    EXPECT_EQ(Total(), "20");
    EXPECT_EQ(form->ControlText(CEff_F_Anova_Omni::kSigmaLabelId),
              QString::fromUtf8("SD \u03c3 within each group"));

    MeansOneToFour();
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "1.118034");
    EditCell(Grid(), 1, 2, "10");  // a table edit makes f stale and sums again
    EXPECT_EQ(Result(), "?");
    EXPECT_EQ(Total(), "25");

    // 4 -> 6 by the spin, 6 -> 3 by Enter, and back to 6: the hidden rows return.
    form->findChild<QToolButton*>(QStringLiteral("up"))->click();
    form->findChild<QToolButton*>(QStringLiteral("up"))->click();
    EXPECT_EQ(Count()->text(), "6");
    ASSERT_EQ(Grid()->GetRowCount(), 7);
    EditCell(Grid(), 6, 1, "7.125");
    Type(Count(), "3");
    PressKey(Count(), Qt::Key_Return);
    EXPECT_EQ(Grid()->GetRowCount(), 4);
    EXPECT_EQ(Total(), "20");
    EXPECT_EQ(Result(), "?");  // Enter in the count does not calculate
    Type(Count(), "6");
    PressKey(Count(), Qt::Key_Return);
    EXPECT_EQ(Grid()->GetItemText(6, 1), "7.125");
    EXPECT_EQ(Grid()->GetItemText(1, 2), "10");

    // A count out of range is refused before the table changes.
    Type(Count(), "51");
    PressKey(Count(), Qt::Key_Return);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), omni::kGroupCountMessage);
    EXPECT_EQ(Grid()->GetRowCount(), 7);
    EXPECT_EQ(form->focusWidget(), Count());
    // The spin holds the count at 50.
    Type(Count(), "50");
    form->findChild<QToolButton*>(QStringLiteral("up"))->click();
    EXPECT_EQ(Count()->text(), "50");
    EXPECT_EQ(Grid()->GetRowCount(), 51);

    // "Equal n" gives every shown group the typed size.
    Type(Count(), "3");
    PressKey(Count(), Qt::Key_Return);
    Type(form->Edit(CEff_F_Anova_Omni::kEqualNId), "4");
    Click(CEff_F_Anova_Omni::kEqualNButtonId);
    EXPECT_EQ(Total(), "12");
    EXPECT_EQ(Grid()->GetItemText(1, 2), "4");
}

TEST_F(OmnibusForm, LeavingTheCountByTabResizesTheTable) {
    QApplication::setActiveWindow(form.get());
    Count()->setFocus();
    Type(Count(), "3");
    PressKey(Count(), Qt::Key_Tab);
    EXPECT_NE(form->focusWidget(), Count());
    EXPECT_EQ(Grid()->GetRowCount(), 4);
    EXPECT_EQ(Total(), "15");
    EXPECT_TRUE(dialogs.messages.empty());
    // A count out of range is refused before the table changes, and the
    // focus stays in the field.
    Count()->setFocus();
    Type(Count(), "51");
    PressKey(Count(), Qt::Key_Tab);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), omni::kGroupCountMessage);
    EXPECT_EQ(form->focusWidget(), Count());
    EXPECT_EQ(Grid()->GetRowCount(), 4);
}

TEST_F(OmnibusForm, AFailedCheckFocusesItsCellOrFieldAndTransfersNothing) {
    EditCell(Grid(), 2, 2, "0");
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), omni::kSizeMessage);
    EXPECT_EQ(Grid()->GetFocusCell(), CCellID(2, 2));
    EXPECT_TRUE(Grid()->IsCellSelected(2, 2));
    EXPECT_EQ(Grid()->GetSelectedCount(), 1);

    EditCell(Grid(), 2, 2, "5");
    Type(form->Edit(CEff_F_Anova_Omni::kSigmaId), "0");
    Click(CEffectSizePanel::kTransferButtonId);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, QString::fromUtf8("The SD \u03c3 in each group must be "
                                                          "greater than 1e-16"));
    EXPECT_EQ(form->focusWidget(), form->Edit(CEff_F_Anova_Omni::kSigmaId));
    EXPECT_TRUE(host.effectSizes.empty());
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(OmnibusForm, TransferAsksBeforeEachCountChanges) {
    host.Show(kNumberOfGroupsId, 3);
    host.Show(kTotalSampleSizeId, 30);
    // Sizes 10 and 30 with means 0 and 1: f = 0.4330127, N = 40.
    Type(Count(), "2");
    PressKey(Count(), Qt::Key_Return);
    EditCell(Grid(), 1, 2, "10");
    EditCell(Grid(), 2, 1, "1");
    EditCell(Grid(), 2, 2, "30");

    struct Case {
        std::vector<MessageAnswer> answers;
        std::vector<std::string> writes;
        bool effectSize;
    };
    const Case cases[] = {
        {{MessageAnswer::Cancel}, {}, false},
        {{MessageAnswer::No, MessageAnswer::Cancel}, {}, false},
        {{MessageAnswer::No, MessageAnswer::No}, {}, true},
        {{MessageAnswer::Yes, MessageAnswer::Yes},
         {"Number of groups=2", "Total sample size=40"},
         true},
    };
    for (const Case& c : cases) {
        host.writes.clear();
        host.effectSizes.clear();
        dialogs.messages.clear();
        for (MessageAnswer a : c.answers) dialogs.QueueMessageAnswer(a);
        Click(CEffectSizePanel::kTransferButtonId);
        EXPECT_EQ(Result(), "0.4330127");
        EXPECT_EQ(dialogs.messages.size(), c.answers.size());
        EXPECT_EQ(host.writes, c.writes);
        EXPECT_EQ(host.effectSizes.size(), c.effectSize ? 1u : 0u);
        if (c.effectSize) {
            EXPECT_NEAR(host.effectSizes[0], 0.4330127018922193, 1e-15);
        }
    }
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), omni::GroupCountQuestion(2, 3));
}

TEST_F(OmnibusForm, StoreRoundTripKeepsTextsRowsAndAnEmptiedSigma) {
    MeansOneToFour();
    EditCell(Grid(), 3, 1, "=3");  // kept as typed; it reads as 0
    Type(form->Edit(CEff_F_Anova_Omni::kSigmaId), "");
    Type(Count(), "2");
    PressKey(Count(), Qt::Key_Return);
    ASSERT_TRUE(form->SaveInputs(&host.store));

    CEff_F_Anova_Omni again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.Grid()->GetRowCount(), 3);
    EXPECT_EQ(again.ControlText(CEff_F_Anova_Omni::kSigmaId), "");
    EXPECT_EQ(again.ControlText(CEffectSizePanel::kEffectSizeId), "?");
    again.SetDlgItemString(CEff_F_Anova_Omni::kGroupCountId, "4");
    ASSERT_TRUE(again.ApplyGroupCount());
    EXPECT_EQ(again.Grid()->GetItemText(3, 1), "=3");
    EXPECT_EQ(again.Grid()->GetItemText(4, 1), "4");
}

class SpecialForm : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<CEff_F_Anova_Special>(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        form->show();
        form->activateWindow();
    }
    QLineEdit* Field(int field) const { return form->Edit(CEff_F_Anova_Special::kFieldIds[field]); }
    QString Result() const { return form->ControlText(CEffectSizePanel::kEffectSizeId); }

    platform::ScriptedDialogs dialogs;
    FakeHost host;
    std::unique_ptr<CEff_F_Anova_Special> form;
};

TEST_F(SpecialForm, ModesCalculateAndRefuseAnInfiniteF) {
    EXPECT_EQ(Result(), "?");
    EXPECT_TRUE(Field(special::kEffectVariance)->isEnabled());
    EXPECT_TRUE(Field(special::kEta2)->isReadOnly());
    EXPECT_EQ(form->ControlText(CEff_F_Anova_Special::kEta2LabelId),
              QString::fromUtf8("Partial \u03b7\u00b2"));
    Type(Field(special::kErrorVariance), "3");
    PressKey(Field(special::kErrorVariance), Qt::Key_Return);
    EXPECT_EQ(Result(), "0.5773503");
    EXPECT_EQ(Field(special::kEta2)->text(), "0.25");

    form->Button(CEff_F_Anova_Special::kDirectRadioId)->click();
    EXPECT_EQ(Result(), "?");
    EXPECT_FALSE(Field(special::kEffectVariance)->isEnabled());
    EXPECT_FALSE(Field(special::kEta2)->isReadOnly());
    Type(Field(special::kEta2), "1");
    form->Button(CEffectSizePanel::kTransferButtonId)->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QString::fromUtf8("\u03b7\u00b2 outside of admissible range (1e-19,1-1e-19)"));
    EXPECT_EQ(form->focusWidget(), Field(special::kEta2));
    EXPECT_TRUE(host.effectSizes.empty());
    Type(Field(special::kEta2), "0.5");
    form->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_EQ(host.effectSizes, std::vector<double>{1.0});

    // The variance within groups names itself in its message.
    form->SetVarianceType(1);
    form->Button(CEff_F_Anova_Special::kFromVariancesRadioId)->click();
    Type(Field(special::kErrorVariance), "0");
    form->Button(CEffectSizePanel::kCalculateButtonId)->click();
    EXPECT_EQ(dialogs.messages.back().text.toStdString(), special::DenominatorMessage(1));
    EXPECT_EQ(form->ControlText(CEff_F_Anova_Special::kVarianceLabelId), "Variance within groups");
    EXPECT_EQ(form->focusWidget(), Field(special::kErrorVariance));
}

TEST_F(SpecialForm, StoreRoundTripKeepsModeTypeAndTexts) {
    form->SetVarianceType(1);
    Type(Field(special::kEffectVariance), "");
    form->Button(CEff_F_Anova_Special::kDirectRadioId)->click();
    Type(Field(special::kEta2), "=1/4");
    ASSERT_TRUE(form->SaveInputs(&host.store));

    CEff_F_Anova_Special again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_TRUE(again.Button(CEff_F_Anova_Special::kDirectRadioId)->isChecked());
    EXPECT_EQ(again.ControlText(CEff_F_Anova_Special::kFieldIds[special::kEffectVariance]), "");
    EXPECT_EQ(again.ControlText(CEff_F_Anova_Special::kFieldIds[special::kEta2]), "=1/4");
    EXPECT_EQ(again.ControlText(CEff_F_Anova_Special::kVarianceLabelId), "Variance within groups");
    EXPECT_FALSE(again.Edit(CEff_F_Anova_Special::kFieldIds[special::kErrorVariance])->isEnabled());
}

// The way a user goes: "Determine =>" of the one-way ANOVA's effect size.
class AnovaFromMainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
        frame->show();
    }
    void TearDown() override { frame_test::ForgetScriptedFamilies(); }

    CEff_SelectAnovaOmniSpecial* Determine() {
        CQuorixMainCompForm* main = frame->EditFieldForm();
        main->Button(form_tables::DetermineButtonId(main->EffectSizeRow()))->click();
        CDrawerWnd* drawer = frame->EffectSizeDrawer();
        return drawer ? dynamic_cast<CEff_SelectAnovaOmniSpecial*>(drawer->Panel(0)) : nullptr;
    }
    template <class Panel>
    Panel* Procedure() const {
        CDrawerWnd* drawer = frame->EffectSizeDrawer();
        return drawer && drawer->PanelCount() == 2 ? dynamic_cast<Panel*>(drawer->Panel(1))
                                                   : nullptr;
    }
    void Choose(CEff_SelectAnovaOmniSpecial* selector, int method) {
        QComboBox* list = selector->List(CEff_SelectAnovaOmniSpecial::kMethodListId);
        list->setCurrentIndex(method);
        emit list->activated(method);
        QApplication::processEvents();
    }
    std::string Main(int id) {
        Property* input = frame->FindParameter(ParameterNames[id]);
        return input ? input->text : "<none>";
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

TEST_F(AnovaFromMainWindow, ProceduresKeepTheirInputsAndTheMeansTransferCounts) {
    ASSERT_TRUE(frame->SelectTest(kAnovaGlobalTestId));
    // Post hoc: the total sample size is an input.
    for (int i = 0; i < static_cast<int>(frame->AnalysisTypes().size()); ++i) {
        if (static_cast<PropertyLong*>(frame->AnalysisTypes()[i])->GetValue() == kPostHoc)
            frame->SetChosenType(i);
    }
    ASSERT_EQ(frame->CurrentAnalysis(), kPostHoc);
    frame->ApplyTestToForms();
    frame->SetParameterValue(ParameterNames[kNumberOfGroupsId], 3);
    frame->SetParameterValue(ParameterNames[kTotalSampleSizeId], 10);
    CEff_SelectAnovaOmniSpecial* selector = Determine();
    ASSERT_NE(selector, nullptr);
    auto* means = Procedure<CEff_F_Anova_Omni>();
    ASSERT_NE(means, nullptr);
    // k = 3 and N = 10 from the main window: three groups of 4.
    EXPECT_EQ(means->Grid()->GetRowCount(), 4);
    EXPECT_EQ(means->ControlText(CEff_F_Anova_Omni::kEqualNId), "4");
    EXPECT_EQ(means->Grid()->GetItemText(3, 2), "4");
    EXPECT_EQ(means->ControlText(CEff_F_Anova_Omni::kTotalId), "12");
    EditCell(means->Grid(), 3, 1, "2");

    Choose(selector, 1);
    auto* variance = Procedure<CEff_F_Anova_Special>();
    ASSERT_NE(variance, nullptr);
    EXPECT_EQ(variance->ControlText(CEff_F_Anova_Special::kVarianceLabelId),
              "Variance within groups");
    variance->Edit(CEff_F_Anova_Special::kFieldIds[special::kErrorVariance])->setText("3");

    Choose(selector, 0);
    means = Procedure<CEff_F_Anova_Omni>();
    ASSERT_NE(means, nullptr);
    EXPECT_EQ(means->Grid()->GetItemText(3, 1), "2");
    Choose(selector, 1);
    variance = Procedure<CEff_F_Anova_Special>();
    ASSERT_NE(variance, nullptr);
    EXPECT_EQ(variance->ControlText(CEff_F_Anova_Special::kFieldIds[special::kErrorVariance]), "3");

    // Closing keeps the chosen procedure; the next opening shows it again.
    variance->Button(CEffectSizePanel::kCloseButtonId)->click();
    EXPECT_FALSE(frame->EffectSizeDrawerOpen());
    QApplication::processEvents();
    selector = Determine();
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->Method(), 1);
    EXPECT_EQ(selector->List(CEff_SelectAnovaOmniSpecial::kMethodListId)->currentIndex(), 1);
    variance = Procedure<CEff_F_Anova_Special>();
    ASSERT_NE(variance, nullptr);
    variance->Button(CEffectSizePanel::kTransferButtonId)->click();
    EXPECT_EQ(Main(kEffectSizeFId), "0.5773503");

    // The means: Yes to both questions sets the main window's counts.
    Choose(selector, 0);
    means = Procedure<CEff_F_Anova_Omni>();
    ASSERT_NE(means, nullptr);
    dialogs.QueueMessageAnswer(MessageAnswer::Yes);
    dialogs.QueueMessageAnswer(MessageAnswer::Yes);
    means->Button(CEffectSizePanel::kTransferButtonId)->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);  // the count agrees: N alone is asked
    EXPECT_EQ(Main(kTotalSampleSizeId), "12");
    EXPECT_EQ(Main(kNumberOfGroupsId), "3");
    // Means 0, 0, 2 in groups of 4: f = sqrt(8/9).
    EXPECT_NEAR(std::stod(Main(kEffectSizeFId)), 0.9428090, 1e-7);
}

}  // namespace
