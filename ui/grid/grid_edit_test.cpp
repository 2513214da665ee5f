#include <QAbstractItemView>
#include <QTest>

#include "ui/grid/grid_cell_types.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"
#include "ui/grid/igrid_ctrl.h"
#include "ui/grid/in_place_edit.h"

namespace {

class FakeForm : public IGridOwnerForm {
  public:
    void OnInputChange() override { calls.push_back("change"); }
    void OnInputCommitted() override { calls.push_back("committed"); }
    std::vector<std::string> calls;
};

// An input grid in a shown, active window: 4 rows, 3 columns, one fixed
// column, cells 60 x 20.
class GridEdit : public ::testing::Test {
  protected:
    void SetUp() override {
        grid = new IGridCtrl(&window);
        window.resize(300, 200);
        ShapeGrid(*grid, 4, 3, 0, 1, 60, 20, 240, 100);
        grid->SetOwner(&owner);
        grid->SetOwnerForm(&form);
        for (int r = 0; r < 4; ++r)
            for (int c = 1; c < 3; ++c)
                grid->SetItemText(r, c, QStringLiteral("old%1%2").arg(r).arg(c));
        grid->SetModified(false);
        window.show();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
    }

    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CInPlaceEdit* Editor(int row, int col) {
        CGridCellBase* cell = grid->GetCell(row, col);
        return cell ? dynamic_cast<CInPlaceEdit*>(cell->GetEditWnd()) : nullptr;
    }

    // The owner and the form outlive the window and its grid.
    FakeGridOwner owner;
    FakeForm form;
    QWidget window;
    IGridCtrl* grid = nullptr;
};

TEST_F(GridEdit, TypingReplacesTheTextAndEnterStoresIt) {
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_X);
    CInPlaceEdit* editor = Editor(1, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(grid->IsItemEditing(1, 1));
    EXPECT_EQ(editor->text(), "x");
    QTest::keyClicks(editor, "yz");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->GetItemText(1, 1), "xyz");
    EXPECT_FALSE(grid->IsItemEditing(1, 1));
    EXPECT_TRUE(grid->GetModified(1, 1));
    EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginLabelEdit, kNotifyEndLabelEdit}));
    EXPECT_EQ(form.calls, (std::vector<std::string>{"change"}));
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 1));  // Enter does not move on
}

TEST_F(GridEdit, F2KeepsTheTextAndEscRestoresIt) {
    grid->SetFocusCell(2, 2);
    QTest::keyClick(grid, Qt::Key_F2);
    CInPlaceEdit* editor = Editor(2, 2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "old22");
    EXPECT_FALSE(editor->hasSelectedText());
    EXPECT_EQ(editor->cursorPosition(), 5);
    QTest::keyClicks(editor, "er");
    EXPECT_EQ(editor->text(), "old22er");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(grid->GetItemText(2, 2), "old22");
    EXPECT_FALSE(grid->GetModified(2, 2));
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 0);
    // The form hears of every ended edit, changed or not.
    EXPECT_EQ(form.calls, (std::vector<std::string>{"change"}));
}

TEST_F(GridEdit, TabStoresAndGoesOnEditingTheNextCell) {
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_A);
    ASSERT_NE(Editor(1, 1), nullptr);
    QTest::keyClick(Editor(1, 1), Qt::Key_Tab);
    EXPECT_EQ(grid->GetItemText(1, 1), "a");
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 2));
    CInPlaceEdit* next = Editor(1, 2);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->selectedText(), "old12");  // a Tab start selects the whole text

    // Tab at the end of a row goes on in the next row; Shift+Tab comes back.
    QTest::keyClick(next, Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell(), CCellID(2, 1));
    ASSERT_NE(Editor(2, 1), nullptr);
    QTest::keyClick(Editor(2, 1), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 2));
    ASSERT_NE(Editor(1, 2), nullptr);
    QTest::keyClick(Editor(1, 2), Qt::Key_Return);
    EXPECT_FALSE(grid->IsItemEditing(1, 2));
    EXPECT_EQ(form.calls.size(), 4u);
}

TEST_F(GridEdit, ArrowKeysEndOnlyAKeyboardStartedEdit) {
    // A click on the focus cell's text starts an edit with the caret at the end,
    // in which the arrows move the caret.
    grid->SetFocusCell(1, 1);
    const QPoint inText(60 + 20, 20 + 10);
    grid->OnLButtonDown(inText, Qt::NoModifier);
    EXPECT_EQ(grid->GetMouseMode(), kMousePrepareEdit);
    grid->OnLButtonUp(inText);
    CInPlaceEdit* editor = Editor(1, 1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Left);
    EXPECT_EQ(editor->cursorPosition(), 4);
    EXPECT_TRUE(grid->IsItemEditing(1, 1));
    // Keys the line has no use for stay with the editor: the grid under it
    // must not move its focus away from the cell being edited.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Delete}) {
        QTest::keyClick(editor, key);
        EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 1)) << key;
        EXPECT_TRUE(grid->IsItemEditing(1, 1)) << key;
        EXPECT_EQ(grid->GetItemText(1, 1), "old11") << key;
    }
    QTest::keyClick(editor, Qt::Key_Down, Qt::ControlModifier);  // Ctrl makes it end
    EXPECT_FALSE(grid->IsItemEditing(1, 1));
    EXPECT_EQ(grid->GetFocusCell(), CCellID(2, 1));
    ASSERT_NE(Editor(2, 1), nullptr);

    // A keyboard start ends with a plain arrow, but Home and End stay in the text.
    QTest::keyClick(Editor(2, 1), Qt::Key_Home);
    ASSERT_NE(Editor(2, 1), nullptr);
    EXPECT_EQ(Editor(2, 1)->cursorPosition(), 0);
    QTest::keyClick(Editor(2, 1), Qt::Key_Up);
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 1));
}

TEST_F(GridEdit, OwnerVetoesBeforeAndAfter) {
    owner.answers[kNotifyBeginLabelEdit] = -1;
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_EQ(Editor(1, 1), nullptr);

    owner.answers[kNotifyBeginLabelEdit] = 0;
    owner.answers[kNotifyEndLabelEdit] = -1;
    QTest::keyClick(grid, Qt::Key_Q);
    ASSERT_NE(Editor(1, 1), nullptr);
    QTest::keyClick(Editor(1, 1), Qt::Key_Return);
    EXPECT_EQ(grid->GetItemText(1, 1), "old11");

    // Read-only cells and a grid that is not editable open nothing and ask nothing.
    owner.notes.clear();
    grid->SetItemState(1, 1, grid->GetItemState(1, 1) | kCellReadOnly);
    QTest::keyClick(grid, Qt::Key_F2);
    grid->SetItemState(1, 1, grid->GetItemState(1, 1) & ~kCellReadOnly);
    grid->SetEditable(false);
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_EQ(Editor(1, 1), nullptr);
    EXPECT_TRUE(owner.notes.empty());
}

TEST_F(GridEdit, LosingTheFocusEndsTheEditOnce) {
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_M);
    CInPlaceEdit* editor = Editor(1, 1);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->hasFocus());
    grid->setFocus();  // focus leaves the editor
    EXPECT_EQ(grid->GetItemText(1, 1), "m");
    grid->EndEditing();
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 1);
    EXPECT_EQ(form.calls.size(), 1u);
}

TEST_F(GridEdit, HidingTheGridKeepsTheTextWithoutCallingAnyone) {
    // The window may be on its way out, its owner half destroyed.
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_NE(Editor(1, 1), nullptr);
    QTest::keyClicks(Editor(1, 1), "zz");
    window.hide();
    EXPECT_FALSE(grid->IsItemEditing(1, 1));
    EXPECT_EQ(grid->GetItemText(1, 1), "old11zz");
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 0);
    EXPECT_TRUE(form.calls.empty());
}

TEST_F(GridEdit, InputGridWithoutOwnerFormStillEdits) {
    grid->SetOwnerForm(nullptr);
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_K);
    ASSERT_NE(Editor(1, 1), nullptr);
    QTest::keyClick(Editor(1, 1), Qt::Key_Return);
    EXPECT_EQ(grid->GetItemText(1, 1), "k");
    EXPECT_TRUE(form.calls.empty());
}

TEST_F(GridEdit, CheckBoxTogglesOnlyInsideItsBox) {
    ASSERT_TRUE(grid->SetCellType(1, 1, CellClassOf<CGridCellCheck>()));
    auto* check = dynamic_cast<CGridCellCheck*>(grid->GetCell(1, 1));
    ASSERT_NE(check, nullptr);
    const int margin = static_cast<int>(check->GetMargin());
    const QPoint inBox(60 + margin + 2, 20 + margin + 2);
    const QPoint inText(60 + 55, 20 + 10);

    grid->OnLButtonDown(inText, Qt::NoModifier);
    grid->OnLButtonUp(inText);
    EXPECT_FALSE(check->GetCheck());
    grid->OnLButtonDown(QPoint(130, 50), Qt::NoModifier);  // elsewhere
    grid->OnLButtonUp(QPoint(130, 50));
    grid->OnLButtonDown(inBox, Qt::NoModifier);
    grid->OnLButtonUp(inBox);
    EXPECT_TRUE(check->GetCheck());
    grid->OnLButtonDown(inBox, Qt::NoModifier);
    grid->OnLButtonUp(inBox);
    EXPECT_FALSE(check->GetCheck());
    EXPECT_FALSE(grid->GetModified(1, 1));  // a toggle is not a text change
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 0);

    EXPECT_FALSE(check->SetCheck(true));
    EXPECT_TRUE(check->SetCheck(false));
    // The text starts after the box.
    QRect rect(60, 20, 119, 39);
    check->GetTextRect(rect);
    EXPECT_EQ(rect.left(), 60 + 2 * margin + grid->ScrollBarExtent());
}

class ComboEdit : public GridEdit {
  protected:
    CGridCellCombo* MakeCombo(unsigned style, const QString& text) {
        EXPECT_TRUE(grid->SetCellType(1, 1, CellClassOf<CGridCellCombo>()));
        auto* combo = dynamic_cast<CGridCellCombo*>(grid->GetCell(1, 1));
        combo->SetOptions({"One", "Two", "Three"});
        combo->SetStyle(style);
        combo->SetText(text);
        grid->SetFocusCell(1, 1);
        return combo;
    }
    CInPlaceList* List() {
        CGridCellBase* cell = grid->GetCell(1, 1);
        for (QObject* child : grid->viewport()->children())
            if (auto* list = dynamic_cast<CInPlaceList*>(child); list && list->isVisible())
                return list;
        (void)cell;
        return nullptr;
    }
};

TEST_F(ComboEdit, ChoosingCommitsOnceAndTellsTheFormBothThings) {
    MakeCombo(kComboDropDownList, "One");
    QTest::keyClick(grid, Qt::Key_F2);
    CInPlaceList* list = List();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(grid->GetCell(1, 1)->IsComboCell());
    EXPECT_EQ(list->currentIndex(), 0);
    // The pop-up opened with the list; taking the focus to it ends nothing.
    EXPECT_TRUE(list->view()->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), list->view());
    EXPECT_TRUE(grid->IsItemEditing(1, 1));
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 0);

    list->setCurrentIndex(1);
    list->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid->IsItemEditing(1, 1));
    // Keys the list has no use for do not reach the grid beneath.
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Delete}) {
        QTest::keyClick(list, key);
        EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 1)) << key;
        EXPECT_TRUE(grid->IsItemEditing(1, 1)) << key;
    }
    QTest::keyClick(list, Qt::Key_Return);
    grid->EndEditing();
    grid->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->GetItemText(1, 1), "Two");
    EXPECT_EQ(owner.Count(kNotifyEndLabelEdit), 1);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"change", "committed"}));
}

TEST_F(ComboEdit, UnmatchedTextAndEsc) {
    // A drop-down list shows no selection for a text that is not an option,
    // and Esc leaves the text as it was.
    MakeCombo(kComboDropDownList, "Four");
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_NE(List(), nullptr);
    EXPECT_EQ(List()->currentIndex(), -1);
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_EQ(grid->GetItemText(1, 1), "Four");
    EXPECT_EQ(form.calls, (std::vector<std::string>{"change", "committed"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // With an edit field the text shows there.
    MakeCombo(kComboDropDown, "Four");
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_NE(List(), nullptr);
    EXPECT_EQ(List()->currentText(), "Four");
    EXPECT_NE(grid->GetCell(1, 1)->GetEditWnd(), nullptr);  // the edit field
}

TEST_F(ComboEdit, DropDownIsAtMost200PixelsWide) {
    auto* combo = MakeCombo(kComboDropDownList, "x");
    combo->SetOptions({"a", QString(300, QLatin1Char('W'))});
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_NE(List(), nullptr);
    EXPECT_EQ(List()->DropDownWidth(), 200);
}

TEST_F(GridEdit, CallDialogButtonCommitsThenCallsItsFunction) {
    ASSERT_TRUE(grid->SetCellType(1, 1, CellClassOf<CGridCellCallDialog>()));
    auto* cell = dynamic_cast<CGridCellCallDialog*>(grid->GetCell(1, 1));
    ASSERT_NE(cell, nullptr);
    cell->SetButtonText("...");
    int argument = 0;
    QString textAtCall;
    cell->SetFunction(
        [&](int a) {
            argument = a;
            textAtCall = grid->GetItemText(1, 1);
        },
        42);

    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    CInPlaceEdit* editor = Editor(1, 1);
    ASSERT_NE(editor, nullptr);
    QPushButton* button = cell->GetButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "...");
    EXPECT_TRUE(button->isVisible());
    QRect rect;
    ASSERT_TRUE(grid->CellRect(1, 1, &rect));
    EXPECT_EQ(button->geometry().right(), rect.right() - 1);
    EXPECT_EQ(editor->geometry().right() + 1, button->geometry().left());

    editor->selectAll();
    QTest::keyClicks(editor, "0.5");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(argument, 42);
    EXPECT_EQ(textAtCall, "0.5");
    EXPECT_EQ(grid->GetItemText(1, 1), "0.5");
    EXPECT_FALSE(grid->IsItemEditing(1, 1));
    EXPECT_EQ(cell->GetButton(), nullptr);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"change"}));
}

}  // namespace
