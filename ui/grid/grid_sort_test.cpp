#include <random>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

QStringList Column(const CGridCtrl& grid, int col) {
    QStringList texts;
    for (int r = grid.GetFixedRowCount(); r < grid.GetRowCount(); ++r)
        texts << grid.GetItemText(r, col);
    return texts;
}

// One fixed row and one fixed column; the body's rows are given by the key
// texts of column 1, each row labelled "r" + key in the fixed column.
void Fill(CGridCtrl& grid, const QStringList& keys) {
    ShapeGrid(grid, static_cast<int>(keys.size()) + 1, 3, 1, 1, 60, 20, 200, 200);
    grid.SetItemText(0, 1, "key");
    for (int i = 0; i < keys.size(); ++i) {
        grid.SetItemText(i + 1, 0, "r" + keys[i]);
        grid.SetItemText(i + 1, 1, keys[i]);
    }
}

TEST(GridSort, WholeRowsMoveWithTheirHeightsAndFixedCells) {
    CGridCtrl grid;
    Fill(grid, {"beta", "alpha", "gamma"});
    grid.SetRowHeight(1, 21);
    grid.SetRowHeight(2, 22);
    grid.SetRowHeight(3, 23);
    grid.SetSelectedRange(1, 1, 2, 2);
    grid.SetFocusCell(1, 1);

    EXPECT_TRUE(grid.SortByColumn(1, true));
    EXPECT_EQ(Column(grid, 1), QStringList({"alpha", "beta", "gamma"}));
    EXPECT_EQ(Column(grid, 0), QStringList({"ralpha", "rbeta", "rgamma"}));
    EXPECT_EQ(grid.GetRowHeight(1), 22);
    EXPECT_EQ(grid.GetRowHeight(2), 21);
    EXPECT_EQ(grid.GetRowHeight(3), 23);
    EXPECT_EQ(grid.GetItemText(0, 1), "key");
    EXPECT_EQ(grid.GetSortColumn(), 1);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_FALSE(grid.GetFocusCell().IsValid());

    EXPECT_TRUE(grid.SortByColumn(1, false));
    EXPECT_EQ(Column(grid, 1), QStringList({"gamma", "beta", "alpha"}));
    EXPECT_EQ(Column(grid, 0), QStringList({"rgamma", "rbeta", "ralpha"}));
    EXPECT_FALSE(grid.GetSortAscending());
}

TEST(GridSort, TextsCompareByCodeUnit) {
    CGridCtrl grid;
    Fill(grid, {"a", "9", "B", "10", "\xC3\xA9", "A"});
    EXPECT_TRUE(grid.SortByColumn(1));
    EXPECT_EQ(Column(grid, 1), QStringList({"10", "9", "A", "B", "a", "\xC3\xA9"}));
}

TEST(GridSort, RefusesABadColumnAndLeavesShortOrEqualRunsAlone) {
    CGridCtrl grid;
    Fill(grid, {"b", "a"});
    EXPECT_FALSE(grid.SortByColumn(3));
    EXPECT_EQ(Column(grid, 1), QStringList({"b", "a"}));

    Fill(grid, {"z"});
    EXPECT_FALSE(grid.SortByColumn(1));

    // Rows with equal keys are never exchanged with each other.
    Fill(grid, {"k", "k", "k", "k", "k"});
    for (int r = 1; r <= 5; ++r) grid.SetItemText(r, 2, QString::number(r));
    EXPECT_TRUE(grid.SortByColumn(1));
    EXPECT_EQ(Column(grid, 2), QStringList({"1", "2", "3", "4", "5"}));
}

int CompareAsNumbers(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t) {
    if (!a || !b) return 0;
    const double x = a->GetText().toDouble(), y = b->GetText().toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

TEST(GridSort, AGivenCompareFunctionReplacesTheTextOrder) {
    CGridCtrl grid;
    Fill(grid, {"10", "9", "100", "-1"});
    grid.SetCompareFunction(&CompareAsNumbers);
    EXPECT_TRUE(grid.SortByColumn(1));
    EXPECT_EQ(Column(grid, 1), QStringList({"-1", "9", "10", "100"}));
}

TEST(GridSort, ManyRowsEndSortedAndKeepTheirLabels) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> letter('a', 'e');
    QStringList keys;
    for (int i = 0; i < 300; ++i)
        keys << QString(QChar(letter(random))) + QChar(letter(random)) + QChar(letter(random));
    for (bool ascending : {true, false}) {
        CGridCtrl grid;
        Fill(grid, keys);
        EXPECT_TRUE(grid.SortByColumn(1, ascending));
        QStringList expected = keys;
        std::sort(expected.begin(), expected.end());
        if (!ascending) std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(Column(grid, 1), expected);
        for (int r = 1; r < grid.GetRowCount(); ++r)
            ASSERT_EQ(grid.GetItemText(r, 0), "r" + grid.GetItemText(r, 1)) << r;
    }
}

TEST(GridSort, ClickingAHeadingSortsAndClickingItAgainReverses) {
    CGridCtrl grid;
    Fill(grid, {"b", "c", "a"});
    for (int r = 1; r <= 3; ++r) grid.SetItemText(r, 2, QString::number(4 - r));
    grid.SetSortOnClick(true);
    const auto clickHeading = [&](int col) {
        const QPoint point(col * 60 + 30, 10);
        grid.OnLButtonDown(point, Qt::NoModifier);
        grid.OnLButtonUp(point);
    };
    clickHeading(1);
    EXPECT_EQ(Column(grid, 1), QStringList({"a", "b", "c"}));
    EXPECT_TRUE(grid.GetSortAscending());
    clickHeading(1);
    EXPECT_EQ(Column(grid, 1), QStringList({"c", "b", "a"}));
    EXPECT_FALSE(grid.GetSortAscending());
    clickHeading(2);
    EXPECT_EQ(grid.GetSortColumn(), 2);
    EXPECT_TRUE(grid.GetSortAscending());
    EXPECT_EQ(Column(grid, 2), QStringList({"1", "2", "3"}));

    grid.SetSortOnClick(false);
    clickHeading(1);
    EXPECT_EQ(grid.GetSortColumn(), 2);
}

}  // namespace
