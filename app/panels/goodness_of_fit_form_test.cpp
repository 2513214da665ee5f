// The goodness-of-fit form: the grid and the cell count, the column
// buttons, the checks with the focus on their cell, the last-cell mode from
// the store, the store round trip and the way a user reaches it.

#include "app/panels/goodness_of_fit_form.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QToolButton>
#include <functional>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/panels/panel_test_support.h"
#include "platform/widget_test_main.h"
#include "ui/grid/grid_ctrl.h"

namespace {

namespace gof = effectsize::goodness_of_fit;
using Form = CEff_CHI_GoF_Cont;
using panel_test::PressKey;
using panel_test::Type;

class GoodnessOfFitForm : public panel_test::ActiveFormTest<Form> {
  protected:
    CGridCtrl* Grid() const { return form->Grid(); }
    QString Cell(int row, int column) const { return Grid()->GetItemText(row, column); }
    // A cell typed and left, as the in-place editor ends it.
    void EditCell(int row, int column, const char* text) {
        Grid()->OnEndEditCell(row, column, QString::fromLatin1(text));
    }
    QLineEdit* Cells() const { return form->Edit(Form::kCellsId); }
};

TEST_F(GoodnessOfFitForm, DefaultsAndTheWorkedGrid) {
    ASSERT_NE(Grid(), nullptr);
    EXPECT_EQ(Cells()->text(), "4");
    EXPECT_EQ(Grid()->GetRowCount(), 5);
    EXPECT_EQ(Cell(0, 1), "p(H0)");
    EXPECT_EQ(Cell(4, 0), "4");
    EXPECT_EQ(Cell(4, 2), "0.25");
    EXPECT_EQ(form->ControlText(Form::kEqualValueIds[gof::kH1]), "0.25");
    Click(CEffectSizePanel::kCalculateButtonId);
    EXPECT_EQ(Result(), "0");

    // Two cells, p0 = (0.5, 0.5), p1 = (0.6, 0.4): w = 0.2 (pwr's ES.w1).
    Type(Cells(), "2");
    EXPECT_EQ(form->ControlText(Form::kEqualValueIds[gof::kH0]), "0.5");
    PressKey(Cells(), Qt::Key_Return);  // Enter applies the count
    EXPECT_EQ(Grid()->GetRowCount(), 3);
    Click(Form::kEqualIds[gof::kH0]);
    EditCell(1, 2, "0.6");
    EditCell(2, 2, "0.4");
    EXPECT_EQ(Result(), "?");
    Click(CEffectSizePanel::kTransferButtonId);
    EXPECT_EQ(Result(), "0.2");
    ASSERT_EQ(host.effectSizes.size(), 1u);
    EXPECT_NEAR(host.effectSizes[0], 0.2, 1e-15);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GoodnessOfFitForm, CellCountKeepsHiddenCellsAndStaysInRange) {
    for (int i = 0; i < 2; ++i) form->SpinUp()->click();
    EXPECT_EQ(Cells()->text(), "6");
    ASSERT_EQ(Grid()->GetRowCount(), 7);
    const char* values[] = {"0.1", "0.2", "0.3", "0.15", "0.15", "0.1"};
    for (int row = 1; row <= 6; ++row) EditCell(row, 1, values[row - 1]);
    Type(Cells(), "3");
    PressKey(Cells(), Qt::Key_Return);
    EXPECT_EQ(Grid()->GetRowCount(), 4);
    for (int i = 0; i < 3; ++i) form->SpinUp()->click();
    ASSERT_EQ(Grid()->GetRowCount(), 7);
    for (int row = 1; row <= 6; ++row) EXPECT_EQ(Cell(row, 1), values[row - 1]) << row;

    // 1 typed and left becomes 2, and the grid follows.
    Type(Cells(), "1");
    form->Edit(Form::kEqualValueIds[gof::kH0])->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Cells()->text(), "2");
    EXPECT_EQ(Grid()->GetRowCount(), 3);
    form->SpinDown()->click();
    EXPECT_EQ(Cells()->text(), "2");
    Type(Cells(), "77");
    PressKey(Cells(), Qt::Key_Return);
    EXPECT_EQ(Cells()->text(), "50");
    EXPECT_EQ(Grid()->GetRowCount(), 51);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GoodnessOfFitForm, ChecksFocusTheirCellAndTransferNothing) {
    struct Case {
        int row, column;
        const char* text;
        std::string message;
        int lastSelectedColumn;
    };
    const Case cases[] = {
        {3, 1, "0.15", std::string(gof::kP0SumMessage) + "small.", 1},
        {2, 1, "0", gof::kP0TooSmallMessage, 1},
        {3, 2, "-0.25", gof::kP1NegativeMessage, 2},
        {3, 1, "0,25", "Input error (illegal character?)", 1},
        {2, 2, "abc", "Input error (illegal character?)", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString before = Cell(c.row, c.column);
        EditCell(c.row, c.column, c.text);
        dialogs.messages.clear();
        Click(CEffectSizePanel::kTransferButtonId);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text.toStdString(), c.message);
        // The sums are checked at the first cell of their column.
        const int focusRow = c.message.find("sum") != std::string::npos ? 1 : c.row;
        EXPECT_EQ(Grid()->GetFocusCell().row, focusRow);
        EXPECT_TRUE(Grid()->IsCellSelected(focusRow, c.lastSelectedColumn));
        EXPECT_EQ(Result(), "?");
        EditCell(c.row, c.column, before.toLatin1().constData());
    }
    EXPECT_TRUE(host.effectSizes.empty());
}

TEST_F(GoodnessOfFitForm, ColumnButtons) {
    // A value that is not one number is refused on its field; the cells stay.
    form->Edit(Form::kEqualValueIds[gof::kH1])->setText("0,5");
    const QString before = Cell(3, 2);
    Click(Form::kEqualIds[gof::kH1]);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
    EXPECT_EQ(form->focusWidget(), form->Edit(Form::kEqualValueIds[gof::kH1]));
    EXPECT_EQ(Cell(3, 2), before);
    dialogs.messages.clear();
    form->Edit(Form::kEqualValueIds[gof::kH1])->setText("2");
    Click(Form::kEqualIds[gof::kH1]);
    EXPECT_EQ(Cell(3, 2), "2");
    Click(Form::kNormalizeIds[gof::kH1]);
    EXPECT_EQ(Cell(1, 2), "0.25");
    EditCell(1, 1, "0.5");
    EditCell(2, 1, "0.6");
    Click(Form::kLastCellIds[gof::kH0]);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(),
              "The sum of the expected probabilities p(H0) in \nthe cells above is already "
              "greater than 1.0!");
    EXPECT_EQ(Cell(4, 1), "0");
}

// A cell that is no number stops every button that reads the grid and
// writes it back (it would come back as 0): the message names the cell and
// nothing moves. Closing keeps it as typed, without a message.
TEST_F(GoodnessOfFitForm, ACellThatIsNoNumberIsRefusedAndKeptByEveryPath) {
    EditCell(2, 2, "0,25");
    const struct {
        const char* what;
        std::function<void()> act;
    } paths[] = {
        {"Normalize p(H0)", [&] { Click(Form::kNormalizeIds[gof::kH0]); }},
        {"Auto calc last cell p(H1)", [&] { Click(Form::kLastCellIds[gof::kH1]); }},
        {"Equal p(H0)", [&] { Click(Form::kEqualIds[gof::kH0]); }},
        {"spin up", [&] { form->SpinUp()->click(); }},
        {"count and Enter",
         [&] {
             Type(Cells(), "6");
             PressKey(Cells(), Qt::Key_Return);
         }},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.what);
        dialogs.messages.clear();
        path.act();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
        EXPECT_EQ(Grid()->GetFocusCell().row, 2);
        EXPECT_EQ(Grid()->GetFocusCell().col, 2);
        EXPECT_EQ(Cell(2, 2), "0,25");
        EXPECT_EQ(Cell(1, 1), "0.25");
        EXPECT_EQ(Cells()->text(), "4");
        EXPECT_EQ(Grid()->GetRowCount(), 5);
    }
    // "Equal p(H1)" replaces the whole column the cell is in.
    dialogs.messages.clear();
    Click(Form::kEqualIds[gof::kH1]);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Cell(2, 2), "0.25");

    EditCell(3, 1, "x");
    Type(Cells(), "6");  // typed, not applied
    ASSERT_TRUE(form->SaveInputs(&host.store));
    EXPECT_TRUE(dialogs.messages.empty());
    Form again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    EXPECT_EQ(again.Edit(Form::kCellsId)->text(), "4");
    EXPECT_EQ(again.Grid()->GetItemText(3, 1), "x");
    EXPECT_EQ(again.Grid()->GetItemText(2, 1), "0.25");

    // In the last-cell mode an edit does not recompute the last cell from a
    // cell that is no number.
    SetNamedLong(&host.store, "cgf_inmode", gof::kLastCellComputed);
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    const QString last = again.Grid()->GetItemText(4, 1);
    dialogs.messages.clear();
    again.Grid()->OnEndEditCell(1, 1, "0.1");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
    EXPECT_EQ(again.Grid()->GetItemText(3, 1), "x");
    EXPECT_EQ(again.Grid()->GetItemText(4, 1), last);
}

// A cell count that is no number ("6,5") is not read as the number it
// starts with: Enter, leaving the field, the spin arrows and Calculate
// refuse it on the field, which keeps its text and the focus; the grid
// stays, and so do the equal values that "6" gave. Closing falls back to the count the grid shows.
TEST_F(GoodnessOfFitForm, ACellCountThatIsNoNumberIsRefusedOnItsField) {
    const struct {
        const char* what;
        std::function<void()> act;
    } paths[] = {
        {"Enter", [&] { PressKey(Cells(), Qt::Key_Return); }},
        {"leaving",
         [&] { form->Edit(Form::kEqualValueIds[gof::kH0])->setFocus(Qt::TabFocusReason); }},
        {"spin up", [&] { form->SpinUp()->click(); }},
        {"Calculate", [&] { Click(CEffectSizePanel::kCalculateButtonId); }},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.what);
        Type(Cells(), "6,5");
        const QString equal = form->ControlText(Form::kEqualValueIds[gof::kH0]);
        dialogs.messages.clear();
        path.act();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Input error (illegal character?)");
        EXPECT_EQ(form->focusWidget(), Cells());
        EXPECT_EQ(Cells()->text(), "6,5");
        EXPECT_EQ(Grid()->GetRowCount(), 5);
        EXPECT_EQ(form->ControlText(Form::kEqualValueIds[gof::kH0]), equal);
        EXPECT_EQ(Result(), "?");
    }
    ASSERT_TRUE(form->SaveInputs(&host.store));
    long cells = 0;
    ASSERT_TRUE(GetNamedLong(&host.store, "cgf_ncells", &cells));
    EXPECT_EQ(cells, 4);
}

TEST_F(GoodnessOfFitForm, StoreRoundTripAndTheLastCellMode) {
    Type(Cells(), "3");
    PressKey(Cells(), Qt::Key_Return);
    EditCell(1, 1, "0.2");
    EditCell(2, 1, "0.3");
    EditCell(3, 1, "0.5");
    ASSERT_TRUE(form->SaveInputs(&host.store));
    SetNamedLong(&host.store, "cgf_inmode", gof::kLastCellComputed);

    Form again(&host);
    ASSERT_TRUE(again.Create(nullptr, QPoint(0, 0)));
    ASSERT_TRUE(again.RestoreInputs(&host.store));
    CGridCtrl* grid = again.Grid();
    EXPECT_EQ(again.Edit(Form::kCellsId)->text(), "3");
    ASSERT_EQ(grid->GetRowCount(), 4);
    EXPECT_EQ(grid->GetItemText(2, 1), "0.3");
    // The last row is computed and read-only in this mode.
    EXPECT_FALSE(grid->IsCellEditable(3, 1));
    EXPECT_TRUE(grid->IsCellEditable(2, 1));
    grid->OnEndEditCell(1, 1, "0.1");
    EXPECT_EQ(grid->GetItemText(3, 1), "0.6");
    grid->OnEndEditCell(1, 2, "0.9");
    EXPECT_EQ(grid->GetItemText(3, 2), QString::fromLatin1(gof::kSumExceededText));
}

using GoodnessOfFitFromMainWindow = panel_test::MainWindowTest;

TEST_F(GoodnessOfFitFromMainWindow, DetermineTransfersW) {
    ASSERT_TRUE(frame->SelectTest(kGoodnessOfFitTestId));
    Form* panel = Determine<Form>();
    ASSERT_NE(panel, nullptr);
    panel->Grid()->OnEndEditCell(1, 2, "0.1");
    panel->Grid()->OnEndEditCell(2, 2, "0.4");
    panel->Button(CEffectSizePanel::kTransferButtonId)->click();
    Property* w = frame->FindParameter(ParameterNames[kEffectSizeWId]);
    ASSERT_NE(w, nullptr);
    // sqrt(0.15^2 / 0.25 * 2) = sqrt(0.18)
    EXPECT_NEAR(std::stod(w->text), 0.4242641, 1e-6);
    panel->Button(CEffectSizePanel::kCloseButtonId)->click();
    panel = Determine<Form>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Grid()->GetItemText(1, 2), "0.1");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
