#include "app/forms/main_grid_form.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QWidget>

#include "analysis/property.h"
#include "app/forms/main_form_test_support.h"
#include "platform/widget_test_main.h"
#include "ui/grid/grid_cell_types.h"
#include "ui/grid/in_place_edit.h"

namespace {

using GridFormTest = MainFormTest<CQuorixMainForm>;

TEST_F(GridFormTest, BothGridsHaveElevenLabelledRows) {
    for (CGridCtrl* grid : {static_cast<CGridCtrl*>(form->InputGrid()), form->OutputGrid()}) {
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetRowCount(), 11);
        EXPECT_EQ(grid->GetColumnCount(), 2);
        EXPECT_EQ(grid->GetFixedRowCount(), 0);
        EXPECT_EQ(grid->GetFixedColumnCount(), 1);
        EXPECT_TRUE(grid->GetListMode());
        // The rows fill the grid's window: no scroll bar.
        EXPECT_FALSE(grid->IsScrollBarShown(kVertBar));
        EXPECT_EQ(grid->TotalHeight(), grid->GetClientRect().height());
        const QColor background = grid->SysColor(CGridCtrl::kSysWindow);
        EXPECT_EQ(grid->GetCell(4, 0)->GetBackClr(),
                  QColor(static_cast<int>(background.red() * 0.95),
                         static_cast<int>(background.green() * 0.95),
                         static_cast<int>(background.blue() * 0.95)));
        EXPECT_EQ(grid->GetItemFormat(4, 0),
                  static_cast<unsigned>(kFmtRight | kFmtVCenter | kFmtSingleLine));
        EXPECT_EQ(grid->GetItemFormat(4, 1),
                  static_cast<unsigned>(kFmtLeft | kFmtVCenter | kFmtSingleLine));
        const QFont* font = grid->GetCell(4, 1)->GetFont();
        ASSERT_NE(font, nullptr);
        EXPECT_LE(QFontMetrics(*font).height(), 15);
        EXPECT_GE(QFontMetrics(*font).height(), 13);
    }
    EXPECT_TRUE(form->InputGrid()->IsEditable());
    EXPECT_FALSE(form->OutputGrid()->IsEditable());
    EXPECT_EQ(form->InputGrid()->GetOwnerForm(), form);
}

TEST_F(GridFormTest, EmptyListsLeaveElevenEmptyRows) {
    FillInputs();
    form->SetInputs(&inputs);
    PropertyList empty;
    form->SetInputs(&empty);
    form->SetOutputs(&empty);
    for (CGridCtrl* grid : {static_cast<CGridCtrl*>(form->InputGrid()), form->OutputGrid()}) {
        ASSERT_EQ(grid->GetRowCount(), 11);
        for (int row = 0; row < 11; ++row)
            for (int col = 0; col < 2; ++col) {
                EXPECT_TRUE(grid->GetItemText(row, col).isEmpty()) << row << "," << col;
                EXPECT_EQ(typeid(*grid->GetCell(row, col)), typeid(CGridCell));
            }
    }
    EXPECT_EQ(form->EffectSizeRow(), -1);
    EXPECT_EQ(form->EffectSizePanelId(), -1);
}

TEST_F(GridFormTest, ShowsEachInputByItsType) {
    FillInputs();
    form->SetInputs(&inputs);
    IGridCtrl* grid = form->InputGrid();
    EXPECT_EQ(grid->GetItemText(0, 0), QString::fromUtf16(u"α err prob"));
    EXPECT_EQ(grid->GetItemText(0, 1), "0.05");

    auto* tails = dynamic_cast<CGridCellCombo*>(grid->GetCell(1, 1));
    ASSERT_NE(tails, nullptr);
    EXPECT_EQ(tails->GetText(), "Two");
    EXPECT_EQ(tails->GetOptions(), (QStringList{"One", "Two"}));
    EXPECT_EQ(tails->GetStyle(), static_cast<unsigned>(kComboDropDownList));

    auto* effect = dynamic_cast<CGridCellCallDialog*>(grid->GetCell(2, 1));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetButtonText(), "...");
    EXPECT_EQ(effect->GetArgument(), 201);
    EXPECT_EQ(effect->GetText(), "0.5");
    EXPECT_EQ(form->EffectSizeRow(), 2);
    EXPECT_EQ(form->EffectSizePanelId(), 201);

    EXPECT_EQ(grid->GetItemText(3, 1), "128");
    EXPECT_TRUE(grid->GetItemText(4, 0).isEmpty());
    // The formatting survives the change of cell class.
    EXPECT_EQ(grid->GetItemFormat(1, 0),
              static_cast<unsigned>(kFmtRight | kFmtVCenter | kFmtSingleLine));

    outputs.push_back(new PropertyDouble("Critical t", "1.984", false));
    form->SetOutputs(&outputs);

    EXPECT_EQ(form->OutputGrid()->GetItemText(0, 0), "Critical t");
    EXPECT_EQ(form->OutputGrid()->GetItemText(0, 1), "1.984");
}

TEST_F(GridFormTest, LongLabelsAreNotCutOff) {
    PropertyList list;
    list.push_back(new PropertyDouble("Noncentrality parameter $\\lambda$", "1", false));
    list.push_back(new PropertyDouble("Power (1-$\\beta$ err prob)", "0.95", false));
    form->SetOutputs(&list);
    CGridCtrl* grid = form->OutputGrid();
    for (int row = 0; row < 2; ++row) {
        CGridCellBase* cell = grid->GetCell(row, 0);
        const int text = QFontMetrics(*cell->GetFont()).horizontalAdvance(cell->GetText());
        EXPECT_LE(text + 2 * static_cast<int>(cell->GetMargin()) + 2, grid->GetColumnWidth(0))
            << row;
    }
    EXPECT_EQ(grid->GetColumnWidth(0) + grid->GetColumnWidth(1), grid->GetClientRect().width());
}

// Each cell's text fits its column, with its own font: a long label beside a
// long number must not cut the number ("2.506386e-0" reads as another value).
TEST_F(GridFormTest, LongLabelsBesideLongValuesBothFit) {
    PropertyList list;
    list.push_back(new PropertyDouble("Noncentrality parameter $\\delta$", "5e-06", false));
    list.push_back(new PropertyDouble("Critical t", "2.506386e-06", false));
    list.push_back(new PropertyDouble("Power (1-$\\beta$ err prob)", "0.5000010", false));
    CGridCtrl* grid = form->OutputGrid();
    auto fits = [grid](int row, int col) {
        CGridCellBase* cell = grid->GetCell(row, col);
        const int text = QFontMetrics(*cell->GetFont()).horizontalAdvance(cell->GetText());
        return text + 2 * static_cast<int>(cell->GetMargin()) + 2 <= grid->GetColumnWidth(col);
    };
    form->SetOutputs(&list);
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(fits(row, 0)) << row;
        EXPECT_TRUE(fits(row, 1)) << row;
    }
    EXPECT_EQ(grid->GetColumnWidth(0) + grid->GetColumnWidth(1), grid->GetClientRect().width());

    // A short list afterwards gets the grid's own font back.
    PropertyList plain;
    plain.push_back(new PropertyDouble("Df", "98", false));
    form->SetOutputs(&plain);
    EXPECT_EQ(*grid->GetCell(0, 0)->GetFont(), *grid->GetCell(0, 1)->GetFont());
}

TEST_F(GridFormTest, ReadsTheInputsBack) {
    FillInputs();
    form->SetInputs(&inputs);
    IGridCtrl* grid = form->InputGrid();
    auto* tails = static_cast<PropertySelection*>(inputs[1]);

    struct Case {
        const char* text;
        int index;
    };
    const Case cases[] = {{"One", 0}, {"Two", 1}, {"Three", 0}, {"", 0}};
    for (const Case& c : cases) {
        tails->SetIndex(1);
        grid->SetItemText(1, 1, c.text);
        grid->SetItemText(0, 1, "0.01");
        form->GetInputs(&inputs);
        EXPECT_EQ(tails->index, c.index) << c.text;
    }
    EXPECT_EQ(inputs[0]->text, "0.01");
    EXPECT_DOUBLE_EQ(static_cast<PropertyDouble*>(inputs[0])->GetValue(), 0.01);
}

TEST_F(GridFormTest, EffectSizeValueGoesIntoTheEffectSizeRow) {
    FillInputs();
    form->SetInputs(&inputs);
    form->SetEffectSizeValue(0.25);
    EXPECT_EQ(form->InputGrid()->GetItemText(2, 1), "0.2500000");

    PropertyList plain;
    plain.push_back(new PropertyDouble("$\\alpha$ err prob", "0.05", false));
    form->SetInputs(&plain);
    form->SetEffectSizeValue(0.25);
    for (int row = 0; row < 11; ++row)
        EXPECT_NE(form->InputGrid()->GetItemText(row, 1), "0.2500000");
}

TEST_F(GridFormTest, MarkInvalidInputFocusesAndSelectsThatValue) {
    FillInputs();
    form->SetInputs(&inputs);
    form->MarkInvalidInput(3);
    EXPECT_EQ(form->InputGrid()->GetFocusCell(), CCellID(3, 1));
    EXPECT_EQ(form->InputGrid()->GetSelectedRange(), CCellRange(3, 1, 3, 1));
}

TEST_F(GridFormTest, ClosingTheFormDuringAnEditIsSafe) {
    FillInputs();
    form->SetInputs(&inputs);
    IGridCtrl* grid = form->InputGrid();
    grid->SetFocusCell(0, 1);
    grid->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    QApplication::sendEvent(grid, &press);
    ASSERT_TRUE(grid->IsItemEditing(0, 1));
    delete form;
    form = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SUCCEED();
}

}  // namespace
