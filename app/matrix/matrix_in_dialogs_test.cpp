#include "app/matrix/matrix_in_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "app/matrix/grid_input_test_support.h"
#include "app/panels/panel_test_support.h"
#include "app/widgets/spin_buttons.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "ui/grid/in_place_edit.h"

// Readable failure messages for grid texts.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// The dialogs as a user meets them: shown and active, so that typing
// reaches the grids and the fields.
class MatrixDialogs : public ::testing::Test {
  protected:
    template <class Dialog>
    void Open(Dialog* d) {
        dialog = d;
        dialog->show();
        QApplication::setActiveWindow(dialog);
    }
    void TearDown() override { delete dialog; }

    void ClickTab(int index) {
        QTabBar* tabs = dialog->Tabs();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    CGridCtrl* Grid() const { return dialog->CurrentPage()->View()->Grid(); }
    QString Text(int r, int c) const { return Grid()->GetItemText(r, c); }
    QStringList Row(int r) const {
        QStringList texts;
        for (int c = 0; c < Grid()->GetColumnCount(); ++c) texts << Text(r, c);
        return texts;
    }
    // Types `text` into cell (r, c) of the current grid and presses Enter.
    void TypeIntoCell(int r, int c, const QString& text) {
        grid_input_test::TypeIntoCell(Grid(), r, c, text);
    }
    static void TypeInto(QLineEdit* edit, const QString& text) {
        grid_input_test::TypeInto(edit, text);
    }
    static void Choose(QComboBox* box, int index) { grid_input_test::Choose(box, index); }
    static std::wstring W(const char* s) { return QString::fromUtf8(s).toStdWString(); }

    platform::ScriptedDialogs messages;
    CMatrixInDialog* dialog = nullptr;
};

}  // namespace

TEST_F(MatrixDialogs, MeansAndCovarianceKeepInStepAndComeBackWhole) {
    MeansCovarianceInput input;
    input.responses = 2;
    input.mode = MeansCovarianceInput::kCovariances;
    input.patternValue = 0.6;
    auto* d = new CEff_MatrixIn(nullptr, input);
    Open(d);
    EXPECT_EQ(d->windowTitle(), "Input mean and covariance matrix");
    d->resize(300, 200);  // below 400 x 300 the grids and buttons would not fit
    EXPECT_EQ(d->size(), QSize(400, 300));
    EXPECT_EQ(Row(0), (QStringList{"groups\\means", "Y 1", "Y 2"}));
    EXPECT_EQ(Row(2), (QStringList{"group 2", "0", "0"}));

    TypeIntoCell(0, 1, "pre");
    TypeIntoCell(2, 1, "=2+3");
    TypeInto(d->MeansPage()->Edit(CMatInMeans::kCountEdit), "4");
    EXPECT_EQ(Row(0), (QStringList{"groups\\means", "pre", "Y 2", "Y 3", "Y 4"}));
    EXPECT_EQ(Text(2, 4), "0");
    QTest::mouseClick(d->MeansPage()->Spin()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(Grid()->GetColumnCount(), 4);

    ClickTab(1);
    ASSERT_EQ(d->CurrentPage(), d->SigmaPage());
    EXPECT_EQ(Row(0), (QStringList{"Covariance", "pre", "Y 2", "Y 3"}));
    EXPECT_EQ(Row(3), (QStringList{"Y 3", "0.6", "0.6", "1"}));
    // Covariance mode hides the pattern controls.
    EXPECT_TRUE(d->SigmaPage()->Control(CMatInSigmaForm::kSetPatternCheck)->isHidden());

    TypeIntoCell(1, 1, "4");
    TypeIntoCell(2, 2, "9");
    TypeIntoCell(2, 1, "3");
    EXPECT_EQ(Text(1, 2), "3");  // mirrored
    QComboBox* mode = d->SigmaPage()->List(CMatInSigmaForm::kModeList);
    Choose(mode, 1);
    EXPECT_EQ(Text(0, 0), "SD and corr");
    EXPECT_EQ(Row(1).mid(1, 2), (QStringList{"2", "0.5"}));
    EXPECT_EQ(Text(2, 2), "3");
    Choose(mode, 0);
    EXPECT_EQ(Row(2).mid(1, 2), (QStringList{"3", "9"}));

    TypeIntoCell(3, 3, "0");  // no variance: no standard deviation either
    Choose(mode, 1);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(mode->currentIndex(), 0);
    EXPECT_EQ(Text(0, 0), "Covariance");
    EXPECT_EQ(Text(2, 1), "3");
    TypeIntoCell(3, 3, "1");

    d->OkButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    const MeansCovarianceInput& out = d->Result();
    EXPECT_EQ(out.responses, 3);
    ASSERT_EQ(out.means.values.rows(), 2);
    ASSERT_EQ(out.means.values.cols(), 3);
    EXPECT_EQ(out.means.values(1, 0), 5.0);
    EXPECT_EQ(out.means.cells(1, 0), L"=2+3");
    EXPECT_EQ(out.means.colLabels(0, 0), L"pre");
    ASSERT_EQ(out.covariance.values.rows(), 3);
    EXPECT_EQ(out.covariance.values(0, 1), 3.0);
    EXPECT_EQ(out.covariance.values(2, 0), 0.6);
    EXPECT_EQ(out.covariance.rowLabels(0, 0), L"pre");
    EXPECT_EQ(out.mode, MeansCovarianceInput::kCovariances);
}

TEST_F(MatrixDialogs, PatternFillsTheStandardDeviationsAndCorrelations) {
    MeansCovarianceInput input;
    input.responses = 4;
    input.mode = MeansCovarianceInput::kSdAndCorrelation;
    input.patternValue = 0.5;
    auto* d = new CEff_MatrixIn(nullptr, input);
    Open(d);
    ClickTab(1);
    CMatInSigma* page = d->SigmaPage();
    EXPECT_EQ(Text(0, 0), "SD and corr");
    EXPECT_FALSE(page->Control(CMatInSigmaForm::kSetPatternCheck)->isHidden());
    EXPECT_TRUE(page->Control(CMatInSigmaForm::kPatternEdit)->isHidden());

    QTest::mouseClick(page->Button(CMatInSigmaForm::kSetPatternCheck), Qt::LeftButton);
    EXPECT_FALSE(page->Control(CMatInSigmaForm::kPatternEdit)->isHidden());
    EXPECT_EQ(Text(3, 1), "0.5");  // compound symmetry
    QTest::mouseClick(page->Button(CMatInSigmaForm::kAutocorrCheck), Qt::LeftButton);
    EXPECT_EQ(Text(3, 1), "0.25");  // 0.5^(3 - 1)
    EXPECT_EQ(Text(1, 3), "0.25");
    EXPECT_EQ(Text(4, 1), "0.125");
    EXPECT_EQ(Text(2, 2), "1");

    // A new value counts once the field is left.
    QLineEdit* value = page->Edit(CMatInSigmaForm::kPatternEdit);
    TypeInto(value, "0.2");
    Grid()->setFocus();
    EXPECT_EQ(Text(3, 1), "0.04");

    TypeInto(value, "0.3");  // OK reads a value not yet left, too
    d->OkButton()->click();
    const MeansCovarianceInput& out = d->Result();
    EXPECT_EQ(out.mode, MeansCovarianceInput::kSdAndCorrelationPattern);
    EXPECT_TRUE(out.firstOrderAutocorr);
    EXPECT_DOUBLE_EQ(out.patternValue, 0.3);
    EXPECT_DOUBLE_EQ(out.covariance.values(2, 0), 0.09);
}

TEST_F(MatrixDialogs, NothingThatIsNotAFiniteNumberReachesTheGridOrThePanel) {
    MeansCovarianceInput input;
    input.responses = 3;
    input.mode = MeansCovarianceInput::kSdAndCorrelation;
    input.patternValue = 0.5;
    auto* d = new CEff_MatrixIn(nullptr, input);
    Open(d);
    ClickTab(1);
    CMatInSigma* page = d->SigmaPage();
    QComboBox* mode = page->List(CMatInSigmaForm::kModeList);

    // An SD whose square overflows, and texts that read as infinities: the
    // conversion refuses, the grid and the list stay.
    for (const char* text : {"1e300", "1e999", "=1/0", "=1e308*10"}) {
        TypeIntoCell(2, 2, text);
        messages.messages.clear();
        Choose(mode, 0);
        ASSERT_EQ(messages.messages.size(), 1u) << text;
        EXPECT_TRUE(messages.messages[0].text.contains("Y 2")) << text;
        EXPECT_EQ(mode->currentIndex(), 1) << text;
        EXPECT_EQ(Text(2, 2), text);
        EXPECT_EQ(Text(0, 0), "SD and corr");
    }

    // A pattern value that reads as an infinity, or whose powers overflow,
    // is refused: the cells and the value in use stay.
    QTest::mouseClick(page->Button(CMatInSigmaForm::kSetPatternCheck), Qt::LeftButton);
    ASSERT_EQ(Text(2, 1), "0.5");
    QTest::mouseClick(page->Button(CMatInSigmaForm::kAutocorrCheck), Qt::LeftButton);
    ASSERT_EQ(Text(3, 1), "0.25");
    QLineEdit* value = page->Edit(CMatInSigmaForm::kPatternEdit);
    for (const char* text : {"1e999", "-1e999", "1e200"}) {
        messages.messages.clear();
        TypeInto(value, text);
        Grid()->setFocus();
        EXPECT_EQ(messages.messages.size(), 1u) << text;
        EXPECT_EQ(Text(3, 1), "0.25") << text;
        EXPECT_EQ(page->pattern.patternValue, 0.5) << text;
    }

    // OK with a cell that holds no finite number: the message names it, the
    // dialog stays open on that page and hands nothing back.
    TypeIntoCell(2, 2, "1");
    ClickTab(0);
    TypeIntoCell(1, 2, "=0/0");
    messages.messages.clear();
    ClickTab(1);
    d->OkButton()->click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.contains("group 1, Y 2"))
        << messages.messages[0].text.toStdString();
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->CurrentPage(), d->MeansPage());
    EXPECT_EQ(d->Result().means.values.rows(), 0);
    TypeIntoCell(1, 2, "2");
    d->OkButton()->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(MatrixDialogs, RepeatedMeasuresGroupsComeBackAndWeightsAreTheirOwnRecord) {
    MeansCovarianceInput input;
    input.groups = 3;
    input.responses = 4;
    auto* d = new CEff_RMM_MatrixIn(nullptr, input);
    Open(d);
    EXPECT_EQ(Row(0), (QStringList{"groups\\means", "Y 1", "Y 2", "Y 3", "Y 4", "ssize weight"}));
    EXPECT_FALSE(Grid()->IsCellEditable(0, 5));
    TypeIntoCell(3, 2, "7.5");
    TypeIntoCell(3, 5, "2");

    QLineEdit* groups = d->MeansPage()->Edit(CMatInRMMMeans::kGroupsEdit);
    TypeInto(groups, "2");
    EXPECT_EQ(Grid()->GetRowCount(), 3);
    TypeInto(groups, "3");
    EXPECT_EQ(Row(3), (QStringList{"group 3", "0", "7.5", "0", "0", "2"}));

    QLineEdit* measurements = d->MeansPage()->Edit(CMatInRMMMeans::kMeasurementsEdit);
    TypeInto(measurements, "1");
    EXPECT_EQ(Row(3), (QStringList{"group 3", "0", "2"}));
    TypeInto(measurements, "4");
    EXPECT_EQ(Text(3, 2), "7.5");

    ClickTab(1);
    EXPECT_EQ(Row(0), (QStringList{"Covariance", "Y 1", "Y 2", "Y 3", "Y 4"}));
    d->OkButton()->click();
    const MeansCovarianceInput& out = d->Result();
    ASSERT_EQ(out.means.values.rows(), 3);
    ASSERT_EQ(out.means.values.cols(), 4);
    EXPECT_EQ(out.means.values(2, 1), 7.5);
    ASSERT_EQ(out.weights.values.rows(), 3);
    ASSERT_EQ(out.weights.values.cols(), 1);
    EXPECT_EQ(out.weights.colLabels(0, 0), L"ssize weight");
    EXPECT_EQ(out.weights.rowLabels(2, 0), L"group 3");
    EXPECT_EQ(out.weights.values(2, 0), 2.0);
    EXPECT_EQ(out.covariance.values.rows(), 4);
    EXPECT_EQ(out.groups, 3);
    EXPECT_EQ(out.responses, 4);
}

TEST_F(MatrixDialogs, RSquaredIsComputedOrRefused) {
    PredictorCorrelationInput input;
    input.predictors = 2;
    auto* d = new CEff_R2_MatrixIn(nullptr, input);
    Open(d);
    EXPECT_EQ(d->CalcButton()->text(), QString::fromUtf8("Calc ρ²"));
    EXPECT_EQ(d->OkButton()->text(), "Accept values");
    EXPECT_EQ(d->CoefficientEdit()->text(), "?");
    EXPECT_EQ(Row(0), (QStringList{"predictor", "P 1", "P 2"}));
    TypeIntoCell(1, 1, "0.3");
    TypeIntoCell(1, 2, "1.7");
    EXPECT_EQ(Text(1, 2), "1");  // out of range while typing: clamped
    TypeIntoCell(1, 2, "0.4");
    d->CalcButton()->click();
    EXPECT_EQ(d->CoefficientEdit()->text(), "0.250000");

    ClickTab(1);
    ASSERT_EQ(d->CurrentPage(), d->CorrelationPage());
    EXPECT_FALSE(Grid()->IsCellEditable(1, 1));
    EXPECT_FALSE(Grid()->IsCellEditable(1, 2));
    TypeIntoCell(2, 1, "1.7");
    EXPECT_EQ(Text(2, 1), "1");
    EXPECT_EQ(Text(1, 2), "1");
    TypeIntoCell(2, 1, "0.9");
    ClickTab(0);
    TypeIntoCell(1, 1, "0.9");
    TypeIntoCell(1, 2, "-0.9");
    d->CalcButton()->click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              QString::fromUtf8("Coefficient R² (=16.200000) out of admissible range [0,1]"));
    EXPECT_EQ(d->CoefficientEdit()->text(), "?");
    EXPECT_FALSE(d->isHidden());
}

TEST_F(MatrixDialogs, InvalidPagesAreNotLeftAndNothingHalfCheckedIsAccepted) {
    PredictorCorrelationInput input;
    input.predictors = 3;
    input.outcomeCorrelations.values.resize(1, 3);
    input.outcomeCorrelations.values = 0.1, 1.2, 0.2;  // a panel's values
    input.predictorCorrelations.values.resize(3, 3);
    input.predictorCorrelations.values = 1, 0.9, 0.9, 0.9, 1, -0.9, 0.9, -0.9, 1;
    auto* d = new CEff_R2_MatrixIn(nullptr, input);
    Open(d);
    EXPECT_EQ(Text(1, 2), "1.2");
    ClickTab(1);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              "At least one correlation between predictor and output\nis outside the admissible "
              "range [-1,1]!\ncorr with outcome Y, P 2: 1.2");
    EXPECT_EQ(d->Tabs()->currentIndex(), 0);
    EXPECT_EQ(d->CurrentPage(), d->OutcomePage());
    EXPECT_EQ(Grid()->GetFocusCell().col, 2);

    TypeIntoCell(1, 2, "0.5");
    // The hidden correlation page fails: Accept shows it and stays open.
    d->OkButton()->click();
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].text,
              "The correlation matrix is not valid,\nthat is not positive semi-definite.");
    EXPECT_EQ(d->Tabs()->currentIndex(), 1);
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_FALSE(d->isHidden());

    TypeIntoCell(3, 2, "0.7");
    d->OkButton()->click();
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    const PredictorCorrelationInput& out = d->Result();
    EXPECT_EQ(out.outcomeCorrelations.values(0, 1), 0.5);
    EXPECT_EQ(out.predictorCorrelations.values(1, 2), 0.7);
    EXPECT_EQ(out.predictorCorrelations.values(0, 2), 0.9);
}

namespace {

// A main window that records its matrix-dialog flag.
class FlagHost : public panel_test::FakeHost {
  public:
    void SetMatrixDialogOpen(bool open) override { matrixDialogOpen = open; }
    bool matrixDialogOpen = false;
};

// The program's dialogs with a user who acts through `act` and then clicks
// OK or Cancel; records the main window's flag while the dialog is open.
class ClickedDialogs : public FormMatrixDialogs {
  public:
    ClickedDialogs(FlagHost* host, std::function<void(CMatrixInDialog*)> act)
        : host_(host), act_(std::move(act)) {}

  protected:
    bool Run(CMatrixInDialog* dialog) override {
        flagWhileOpen = host_->matrixDialogOpen;
        dialog->show();
        act_(dialog);
        return dialog->result() == QDialog::Accepted;
    }

  public:
    bool flagWhileOpen = false;

  private:
    FlagHost* host_;
    std::function<void(CMatrixInDialog*)> act_;
};

}  // namespace

TEST(MatrixDialogService, PanelsGetRecordsOnlyOnOkAndTheFlagOnlyWhileOpen) {
    FlagHost host;
    for (bool accept : {false, true}) {
        auto dialogs = std::make_unique<ClickedDialogs>(&host, [accept](CMatrixInDialog* d) {
            auto* m = static_cast<CEff_MatrixIn*>(d);
            m->MeansPage()->MeansView()->Grid()->ModifyItemText(1, 1, "42");
            (accept ? d->OkButton() : d->CancelButton())->click();
        });
        ClickedDialogs* clicked = dialogs.get();
        auto previous = SetMatrixDialogService(std::move(dialogs));
        MeansCovarianceInput input;
        input.responses = 2;
        const bool accepted = OpenMeansCovarianceDialog(&host, nullptr, &input);
        EXPECT_TRUE(clicked->flagWhileOpen);
        EXPECT_FALSE(host.matrixDialogOpen);
        EXPECT_EQ(accepted, accept);
        if (accept) {
            ASSERT_EQ(input.means.values.rows(), 2);
            EXPECT_EQ(input.means.values(0, 0), 42.0);
            EXPECT_EQ(input.covariance.values.rows(), 2);
        } else {
            EXPECT_EQ(input.means.values.size(), 0);  // as the panel set it
            EXPECT_EQ(input.covariance.values.size(), 0);
        }
        SetMatrixDialogService(std::move(previous));
    }
}
