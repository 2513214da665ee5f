#include "ui/grid/grid_ctrl.h"

#include "ui/grid/grid_test_support.h"

namespace {

TEST(GridStructure, CreationGivesCellsStatesAndDefaultSizes) {
    QWidget parent;
    CGridCtrl grid(4, 3, 1, 2);
    ASSERT_TRUE(grid.Create(QRect(0, 0, 200, 100), &parent, 1025));
    EXPECT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(grid.GetColumnCount(), 3);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetFixedColumnCount(), 2);
    EXPECT_EQ(grid.GetDlgCtrlID(), 1025);

    const CGridDefaultCell* normal = grid.GetDefaultCell(false, false);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(grid.GetRowHeight(r), normal->GetHeight());
    for (int c = 0; c < 3; ++c) EXPECT_EQ(grid.GetColumnWidth(c), normal->GetWidth());

    EXPECT_EQ(grid.GetItemState(0, 0),
              static_cast<unsigned>(kCellFixed | kCellFixedRow | kCellFixedCol));
    EXPECT_EQ(grid.GetItemState(0, 2), static_cast<unsigned>(kCellFixed | kCellFixedRow));
    EXPECT_EQ(grid.GetItemState(3, 1), static_cast<unsigned>(kCellFixed | kCellFixedCol));
    EXPECT_EQ(grid.GetItemState(3, 2), 0u);

    // New columns take the fixed-column default width, new rows the normal height.
    grid.GetDefaultCell(false, true)->SetWidth(77);
    grid.GetDefaultCell(false, false)->SetHeight(33);
    grid.SetColumnCount(4);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.GetColumnWidth(3), 77);
    EXPECT_EQ(grid.GetRowHeight(4), 33);
    EXPECT_NE(grid.GetCell(4, 3), nullptr);

    // Shrinking below the fixed counts lowers them; out of range is refused.
    grid.SetRowCount(0);
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    EXPECT_EQ(grid.GetCell(0, 0), nullptr);
    EXPECT_TRUE(grid.GetItemText(7, 7).isEmpty());
    EXPECT_FALSE(grid.SetItemText(7, 7, "x"));
}

TEST(GridStructure, InsertAndDeleteRowsAndColumns) {
    CGridCtrl grid(3, 2, 1, 1);
    for (int r = 0; r < 3; ++r) grid.SetItemText(r, 1, QString::number(r));

    struct RowCase {
        int position;
        int expected;
    };
    const RowCase rowCases[] = {{0, -1}, {3, -1}, {-1, 3}, {1, 1}};
    for (const RowCase& c : rowCases)
        EXPECT_EQ(grid.InsertRow("", c.position), c.expected) << c.position;
    // Rows now: 0 heading, 1 new, 2 "1", 3 "2", 4 new.
    EXPECT_EQ(grid.GetRowCount(), 5);
    EXPECT_EQ(grid.GetItemText(2, 1), "1");
    EXPECT_EQ(grid.GetRowHeight(1), grid.GetDefaultCell(true, false)->GetHeight());

    // A column may be appended at the column count; a row may not.
    EXPECT_EQ(grid.InsertColumn("H", kFmtCenter, 2), 2);
    EXPECT_EQ(grid.InsertColumn("H", kFmtCenter, 0), -1);
    EXPECT_EQ(grid.GetItemText(0, 2), "H");
    EXPECT_EQ(grid.GetItemFormat(3, 2), static_cast<unsigned>(kFmtCenter));

    // Deleting a row clears the selection and with it the focus.
    grid.SetFocusCell(3, 1);
    EXPECT_TRUE(grid.DeleteRow(1));
    EXPECT_EQ(grid.GetFocusCell(), CCellID());
    EXPECT_TRUE(grid.DeleteRow(3));
    EXPECT_EQ(grid.GetItemText(1, 1), "1");
    EXPECT_EQ(grid.GetItemText(2, 1), "2");
    EXPECT_FALSE(grid.DeleteRow(9));

    EXPECT_TRUE(grid.DeleteColumn(0));
    EXPECT_EQ(grid.GetFixedColumnCount(), 0);
    EXPECT_EQ(grid.GetItemText(1, 0), "1");
    EXPECT_TRUE(grid.DeleteAllItems());
    EXPECT_EQ(grid.GetRowCount() + grid.GetColumnCount(), 0);
}

// Counts live cells so that a leak or a double delete shows.
struct CountedCell : CGridCell {
    static inline int live = 0;
    CountedCell() { ++live; }
    ~CountedCell() override { --live; }
};

TEST(GridStructure, SetCellAndSetCellTypeReplaceWithoutLeaking) {
    CountedCell::live = 0;
    {
        CGridCtrl grid(2, 2);
        grid.SetItemText(1, 1, "kept");
        grid.SetItemTextColour(1, 1, Qt::blue);
        ASSERT_TRUE(grid.SetCellType(1, 1, CellClassOf<CountedCell>()));
        EXPECT_EQ(CountedCell::live, 1);
        EXPECT_NE(dynamic_cast<CountedCell*>(grid.GetCell(1, 1)), nullptr);
        EXPECT_EQ(grid.GetItemText(1, 1), "kept");
        EXPECT_EQ(grid.GetCell(1, 1)->GetTextClr(), QColor(Qt::blue));

        ASSERT_TRUE(grid.SetCell(1, 1, new CountedCell));
        EXPECT_EQ(CountedCell::live, 1);  // the replaced cell is gone
        EXPECT_TRUE(grid.SetCellType(1, 1, CellClassOf<CGridCell>()));
        EXPECT_EQ(CountedCell::live, 0);
        ASSERT_TRUE(grid.SetCellType(0, 0, CellClassOf<CountedCell>()));
        EXPECT_FALSE(grid.SetCellType(5, 0, CellClassOf<CountedCell>()));
        EXPECT_FALSE(grid.SetCellType(0, 0, nullptr));
    }
    EXPECT_EQ(CountedCell::live, 0);  // the grid deleted its cells
}

TEST(GridStructure, VirtualModeAsksTheOwnerForEveryCell) {
    CGridCtrl grid;
    FakeGridOwner owner;
    grid.SetOwner(&owner);
    grid.SetVirtualMode(true);
    grid.SetRowCount(5);
    grid.SetColumnCount(3);
    grid.SetFixedRowCount(1);
    EXPECT_EQ(grid.GetItemText(2, 1), "r2c1");
    EXPECT_GE(owner.dispInfoRequests, 1);

    grid.SetFocusCell(2, 1);
    EXPECT_TRUE(grid.GetCell(2, 1)->IsFocused());
    EXPECT_TRUE(grid.GetCell(0, 1)->IsFixedRow());
    EXPECT_FALSE(grid.SetItemText(2, 1, "x"));
    EXPECT_FALSE(grid.SetCellType(2, 1, CellClassOf<CGridCell>()));
    EXPECT_FALSE(grid.SetItemFormat(2, 1, kFmtRight));
    EXPECT_FALSE(grid.SetItemTextColour(2, 1, Qt::red));

    // A callback replaces the request to the owner.
    const int before = owner.dispInfoRequests;
    grid.SetCallbackFunc(
        [](GridDispInfo* info, std::intptr_t arg) {
            info->text = QString::number(arg + info->row);
            return true;
        },
        100);
    EXPECT_EQ(grid.GetItemText(3, 0), "103");
    EXPECT_EQ(owner.dispInfoRequests, before);
}

TEST(GridStructure, SelectionKeysOfRowsBeyond65535DoNotCollide) {
    CGridCtrl grid;
    grid.SetVirtualMode(true);
    grid.SetRowCount(70000);
    grid.SetColumnCount(2);
    grid.SetItemState(1, 0, kCellSelected);
    grid.SetItemState(65537, 0, kCellSelected);
    EXPECT_EQ(grid.GetSelectedCount(), 2);
    grid.SetItemState(65537, 0, 0);
    EXPECT_TRUE(grid.IsCellSelected(1, 0));
    EXPECT_FALSE(grid.IsCellSelected(65537, 0));
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 0, 1, 0));
}

TEST(GridStructure, SelectedCellLeavesTheSelectionWhenDestroyed) {
    CGridCtrl grid(3, 3);
    grid.SetItemState(2, 2, kCellSelected);
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
}

TEST(GridStructure, ModifiedMarks) {
    CGridCtrl grid(3, 3);
    grid.SetModified(false);
    grid.SetItemText(1, 1, "a");
    grid.SetItemText(2, 2, "b");
    EXPECT_TRUE(grid.GetModified());
    EXPECT_TRUE(grid.GetModified(1, 1));
    grid.SetModified(false, 1, 1);
    EXPECT_FALSE(grid.GetModified(1, 1));
    EXPECT_TRUE(grid.GetModified());
    grid.SetModified(false);
    EXPECT_FALSE(grid.GetModified(2, 2));

    // A change in the sort column forgets the sort order.
    grid.SetSortColumn(2);
    grid.SetModified(true, 1, 2);
    EXPECT_EQ(grid.GetSortColumn(), -1);
}

TEST(GridNotifications, ModifyItemTextHonoursTheOwnersVetoes) {
    CGridCtrl grid(2, 2);
    FakeGridOwner owner;
    grid.SetOwner(&owner);
    grid.SetDlgCtrlID(7);
    grid.SetItemText(1, 1, "old");

    // Same text: only the question before the edit.
    grid.ModifyItemText(1, 1, "old");
    EXPECT_EQ(owner.Codes(), std::vector<int>{kNotifyBeginLabelEdit});
    EXPECT_EQ(owner.notes[0].controlId, 7);
    EXPECT_EQ(owner.notes[0].grid, &grid);
    EXPECT_EQ(CCellID(owner.notes[0].row, owner.notes[0].col), CCellID(1, 1));

    struct Case {
        long before;
        long after;
        const char* expected;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {0, 0, "new", {kNotifyBeginLabelEdit, kNotifyEndLabelEdit}},
        {-1, 0, "old", {kNotifyBeginLabelEdit}},
        {0, -1, "old", {kNotifyBeginLabelEdit, kNotifyEndLabelEdit}},
    };
    for (const Case& c : cases) {
        grid.SetItemText(1, 1, "old");
        owner.notes.clear();
        owner.answers = {{kNotifyBeginLabelEdit, c.before}, {kNotifyEndLabelEdit, c.after}};
        grid.ModifyItemText(1, 1, "new");
        EXPECT_EQ(grid.GetItemText(1, 1), c.expected) << c.before << " " << c.after;
        EXPECT_EQ(owner.Codes(), c.codes);
    }

    // A read-only cell or a grid that is not editable asks nothing.
    owner.notes.clear();
    grid.SetItemState(1, 1, grid.GetItemState(1, 1) | kCellReadOnly);
    grid.ModifyItemText(1, 1, "x");
    grid.SetItemState(1, 1, 0);
    grid.SetEditable(false);
    grid.ModifyItemText(1, 1, "x");
    EXPECT_TRUE(owner.notes.empty());
    EXPECT_EQ(grid.GetItemText(1, 1), "old");

    // Without an owner the answer counts as 0.
    grid.SetEditable(true);
    grid.SetOwner(nullptr);
    grid.ClearCells(0, 0, 1, 1);
    EXPECT_TRUE(grid.GetItemText(1, 1).isEmpty());
}

}  // namespace
