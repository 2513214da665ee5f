#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

// A 5 x 4 grid with one fixed row and column, cells 20 x 15.
class GridInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ShapeGrid(grid, 5, 4, 1, 1, 20, 15, 200, 200);
        grid.SetOwner(&owner);
    }

    static QPoint Centre(int row, int col) { return QPoint(20 * col + 10, 15 * row + 7); }

    void Click(int row, int col, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        grid.OnLButtonDown(Centre(row, col), modifiers);
        grid.OnLButtonUp(Centre(row, col));
    }

    CGridCtrl grid;
    FakeGridOwner owner;
};

TEST_F(GridInput, ClickShiftClickAndCtrlClickSelect) {
    Click(1, 1);
    EXPECT_EQ(owner.Codes(),
              (std::vector<int>{kNotifySelChanging, kNotifySelChanged, kNotifyClick}));
    EXPECT_EQ(owner.commands, 1);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 1, 1, 1));

    Click(3, 2, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 1, 3, 2));
    EXPECT_EQ(grid.GetSelectedCount(), 6);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));

    Click(4, 3, Qt::ControlModifier);  // adds one cell
    EXPECT_EQ(grid.GetSelectedCount(), 7);
    EXPECT_TRUE(grid.IsCellSelected(2, 2));
    EXPECT_TRUE(grid.IsCellSelected(4, 3));

    Click(1, 1, Qt::ControlModifier);  // takes a selected cell out
    EXPECT_EQ(grid.GetSelectedCount(), 6);
    EXPECT_FALSE(grid.IsCellSelected(1, 1));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));

    Click(2, 3);  // a plain click starts again
    EXPECT_EQ(grid.GetSelectedCount(), 1);
}

TEST_F(GridInput, HeadingClicksAndListModeSelectWholeRowsAndColumns) {
    Click(0, 2);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 2, 4, 2));
    Click(3, 0);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(3, 1, 3, 3));
    Click(0, 0);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 1, 4, 3));

    grid.SetListMode(true);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    Click(2, 2);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(2, 1, 2, 3));
    Click(4, 1, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(2, 1, 4, 3));
    grid.SetSingleRowSelection(true);
    Click(3, 3, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(3, 1, 3, 3));
}

TEST_F(GridInput, RightAndDoubleClicksAreReported) {
    grid.OnRButtonUp(Centre(2, 0));  // on a heading: the focus goes to the body
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    ASSERT_EQ(owner.Codes(), std::vector<int>{kNotifyRClick});
    EXPECT_EQ(CCellID(owner.notes[0].row, owner.notes[0].col), CCellID(2, 0));
    owner.notes.clear();
    grid.OnRButtonUp(QPoint(150, 150));  // no cell
    ASSERT_EQ(owner.Codes(), std::vector<int>{kNotifyRClick});
    EXPECT_EQ(CCellID(owner.notes[0].row, owner.notes[0].col), CCellID());

    owner.notes.clear();
    grid.OnLButtonDblClk(Centre(0, 2));
    EXPECT_EQ(owner.Codes(), std::vector<int>{kNotifyDblClick});
    grid.OnLButtonDblClk(QPoint(150, 150));
    EXPECT_EQ(owner.Count(kNotifyDblClick), 1);
}

TEST_F(GridInput, DraggingSelectsARectangle) {
    grid.OnLButtonDown(Centre(1, 1), Qt::NoModifier);
    grid.OnMouseMove(Centre(3, 3), Qt::LeftButton);
    grid.OnLButtonUp(Centre(3, 3));
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 1, 3, 3));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 3));
}

TEST_F(GridInput, ColumnsAndRowsAreResizedWithTheMouse) {
    // Column 1 spans x 20..39; its right edge is grabbed in the heading row.
    grid.OnMouseMove(QPoint(39, 5), Qt::NoButton);
    EXPECT_EQ(grid.GetMouseMode(), kMouseOverColDivide);
    grid.OnLButtonDown(QPoint(39, 5), Qt::NoModifier);
    EXPECT_EQ(grid.GetMouseMode(), kMouseSizingCol);
    grid.OnMouseMove(QPoint(50, 5), Qt::LeftButton);
    bool vertical = false;
    EXPECT_EQ(grid.TrackingLine(&vertical), 50);
    EXPECT_TRUE(vertical);
    grid.OnLButtonUp(QPoint(50, 5));
    EXPECT_EQ(grid.GetColumnWidth(1), 30);
    EXPECT_EQ(grid.GetMouseMode(), kMouseNothing);
    EXPECT_EQ(grid.TrackingLine(&vertical), -1);

    // Row 1 spans y 15..29; its bottom edge is grabbed in the heading column.
    grid.OnMouseMove(QPoint(5, 29), Qt::NoButton);
    EXPECT_EQ(grid.GetMouseMode(), kMouseOverRowDivide);
    grid.OnLButtonDown(QPoint(5, 29), Qt::NoModifier);
    grid.OnLButtonUp(QPoint(5, 40));
    EXPECT_EQ(grid.GetRowHeight(1), 25);

    // Dragging past the left edge hides the column, unless hiding is off.
    grid.EnableColumnHide(false);
    grid.OnMouseMove(QPoint(49, 5), Qt::NoButton);
    grid.OnLButtonDown(QPoint(49, 5), Qt::NoModifier);
    grid.OnLButtonUp(QPoint(10, 5));
    EXPECT_EQ(grid.GetColumnWidth(1), 1);

    // Resizing can be switched off.
    grid.SetColumnResize(false);
    grid.OnMouseMove(QPoint(59, 5), Qt::NoButton);
    EXPECT_NE(grid.GetMouseMode(), kMouseOverColDivide);
    EXPECT_TRUE(owner.notes.empty());  // resizing notifies nobody
}

TEST_F(GridInput, KeyboardNavigation) {
    struct Case {
        CCellID from;
        int key;
        Qt::KeyboardModifiers mods;
        CCellID to;
    };
    const Case cases[] = {
        {{1, 1}, Qt::Key_Down, Qt::NoModifier, {2, 1}},
        {{1, 1}, Qt::Key_Up, Qt::NoModifier, {1, 1}},  // never into the fixed row
        {{1, 1}, Qt::Key_Left, Qt::NoModifier, {1, 1}},
        {{1, 1}, Qt::Key_Right, Qt::NoModifier, {1, 2}},
        {{1, 3}, Qt::Key_Tab, Qt::NoModifier, {2, 1}},      // wraps to the next row
        {{2, 1}, Qt::Key_Backtab, Qt::NoModifier, {1, 3}},  // and back
        {{2, 1}, Qt::Key_Tab, Qt::ShiftModifier, {1, 3}},
        {{4, 3}, Qt::Key_Tab, Qt::NoModifier, {4, 3}},  // last cell stays
        {{1, 1}, Qt::Key_Backtab, Qt::NoModifier, {1, 1}},
        {{2, 2}, Qt::Key_Home, Qt::NoModifier, {2, 1}},
        {{2, 2}, Qt::Key_End, Qt::NoModifier, {2, 3}},
        {{3, 2}, Qt::Key_Home, Qt::ControlModifier, {1, 1}},
        {{2, 2}, Qt::Key_End, Qt::ControlModifier, {4, 3}},
        {{1, 2}, Qt::Key_PageDown, Qt::NoModifier, {4, 2}},  // nothing to scroll: last row
        {{4, 2}, Qt::Key_PageUp, Qt::NoModifier, {1, 2}},
    };
    for (const Case& c : cases) {
        grid.SetFocusCell(c.from);
        owner.notes.clear();
        EXPECT_TRUE(grid.OnKeyDown(c.key, c.mods));
        EXPECT_EQ(grid.GetFocusCell(), c.to)
            << c.key << " from " << c.from.row << "," << c.from.col;
        if (c.to != c.from) {
            // The move is announced around the selection change, for the new cell.
            ASSERT_EQ(owner.Codes(), (std::vector<int>{kNotifySelChanging, kNotifySelChanged}));
            EXPECT_EQ(CCellID(owner.notes[0].row, owner.notes[0].col), c.to);
            EXPECT_TRUE(grid.IsCellSelected(c.to.row, c.to.col));
        } else {
            EXPECT_TRUE(owner.notes.empty());
        }
    }
}

TEST_F(GridInput, ShiftArrowsExtendAndHiddenCellsAreSkipped) {
    grid.SetFocusCell(2, 2);
    grid.OnKeyDown(Qt::Key_Right, Qt::NoModifier);
    grid.OnKeyDown(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(2, 3, 3, 3));

    grid.SetColumnWidth(2, 0);
    grid.SetRowHeight(2, 0);
    grid.SetFocusCell(1, 1);
    grid.OnKeyDown(Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 3));
    grid.OnKeyDown(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 3));
}

TEST_F(GridInput, WrappedTabStaysInsideWhenEverythingAheadIsHidden) {
    // Every row below the focus hidden: Tab at the end of the row stays.
    grid.SetFocusCell(2, 3);
    grid.SetRowHeight(3, 0);
    grid.SetRowHeight(4, 0);
    grid.OnKeyDown(Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));

    // Every column hidden: neither Tab nor Shift+Tab leaves the grid's cells.
    grid.SetRowHeight(3, 15);
    grid.SetFocusCell(2, 1);
    for (int c = 1; c < 4; ++c) grid.SetColumnWidth(c, 0);
    grid.OnKeyDown(Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    grid.OnKeyDown(Qt::Key_Backtab, Qt::NoModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    EXPECT_TRUE(grid.IsValid(grid.GetFocusCell()));
}

TEST(GridFocusChain, TabMovesBetweenCellsNotToTheNextWidget) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new CGridCtrl(3, 3, 1, 1);
    auto* other = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(other);
    window.resize(300, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    grid->SetFocusCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 2));
    EXPECT_FALSE(other->hasFocus());

    // With Tab handling off the grid lets Tab go to the focus chain.
    grid->SetHandleTabKey(false);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 2));
}

}  // namespace
