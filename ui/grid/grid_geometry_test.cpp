#include <QScrollBar>
#include <numeric>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

std::vector<int> Widths(const CGridCtrl& grid) {
    std::vector<int> w;
    for (int c = 0; c < grid.GetColumnCount(); ++c) w.push_back(grid.GetColumnWidth(c));
    return w;
}

std::vector<int> Heights(const CGridCtrl& grid) {
    std::vector<int> h;
    for (int r = 0; r < grid.GetRowCount(); ++r) h.push_back(grid.GetRowHeight(r));
    return h;
}

TEST(GridGeometry, CellRectanglesIncludeTheirLastPixel) {
    CGridCtrl grid;
    ShapeGrid(grid, 2, 3, 0, 0, 10, 15, 200, 100);
    grid.SetColumnWidth(1, 20);
    grid.SetColumnWidth(2, 30);
    QRect rect;
    ASSERT_TRUE(grid.CellRect(1, 1, &rect));
    EXPECT_EQ(rect.left(), 10);
    EXPECT_EQ(rect.right(), 29);
    EXPECT_EQ(rect.top(), 15);
    EXPECT_EQ(rect.bottom(), 29);
    EXPECT_FALSE(grid.CellRect(2, 0, &rect));
    EXPECT_EQ(grid.PointInCell(1, 1, QPoint(12, 20)), QPoint(2, 5));
}

TEST(GridGeometry, CellFromPoint) {
    CGridCtrl grid;
    ShapeGrid(grid, 4, 4, 1, 1, 20, 10, 200, 100);
    struct Case {
        QPoint point;
        bool allowFixed;
        CCellID expected;
    };
    const Case cases[] = {
        {{25, 15}, true, {1, 1}},  {{5, 5}, true, {0, 0}},
        {{19, 39}, true, {3, 0}},  {{85, 15}, true, {1, -1}},  // right of the last column
        {{5, 15}, false, {1, -1}},                             // inside the fixed column
        {{25, 5}, false, {-1, 1}},                             // inside the fixed row
        {{25, 45}, true, {-1, 1}},                             // below the last row
        {{-1, 15}, true, {1, -1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grid.CellFromPoint(c.point, c.allowFixed), c.expected)
            << c.point.x() << "," << c.point.y();

    // Scrolled by one column, the first body column is the second one.
    grid.resize(50, 100);
    grid.UpdateScrollBars();
    ASSERT_TRUE(grid.IsScrollBarShown(kHorzBar));
    grid.OnHScroll(kScrollLineForward);
    EXPECT_EQ(grid.TopLeftCell(), CCellID(1, 2));
    EXPECT_EQ(grid.CellFromPoint(QPoint(25, 15)), CCellID(1, 2));
    EXPECT_FALSE(grid.IsCellOnScreen(1, 1));
    EXPECT_TRUE(grid.IsCellOnScreen(1, 0));
}

TEST(GridGeometry, ScrollRangesAppearOnlyWhenTheCellsDoNotFit) {
    CGridCtrl grid;
    ShapeGrid(grid, 10, 1, 0, 0, 50, 10, 100, 100);
    EXPECT_FALSE(grid.IsScrollBarShown(kVertBar));
    EXPECT_EQ(grid.GetScrollMaximum(kVertBar), 0);
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 0);

    grid.SetRowHeight(0, 11);  // one pixel too many
    EXPECT_TRUE(grid.IsScrollBarShown(kVertBar));
    EXPECT_FALSE(grid.IsScrollBarShown(kHorzBar));
    EXPECT_EQ(grid.GetScrollMaximum(kVertBar), 100);
    // The classic range 0..100 with a page of 100 lets the position reach 1.
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 1);
    EXPECT_EQ(grid.verticalScrollBar()->pageStep(), 100);

    // With fixed rows, only the rest scrolls.
    grid.SetFixedRowCount(2);
    EXPECT_EQ(grid.GetScrollMaximum(kVertBar), 101 - 21 - 1);
}

TEST(GridGeometry, LineScrollingSkipsHiddenColumnsAndStopsAtTheEnd) {
    CGridCtrl grid;
    ShapeGrid(grid, 1, 5, 0, 0, 10, 10, 50, 60);
    grid.SetColumnWidth(1, 0);
    grid.SetColumnWidth(2, 20);
    grid.SetColumnWidth(3, 30);
    grid.SetColumnWidth(4, 40);
    ASSERT_TRUE(grid.IsScrollBarShown(kHorzBar));
    EXPECT_EQ(grid.GetScrollMaximum(kHorzBar), 99);

    grid.OnHScroll(kScrollLineForward);
    EXPECT_EQ(grid.GetScrollPosition(kHorzBar), 10);
    grid.OnHScroll(kScrollLineForward);  // column 1 is hidden: column 2's width
    EXPECT_EQ(grid.GetScrollPosition(kHorzBar), 30);
    EXPECT_EQ(grid.TopLeftCell(), CCellID(0, 3));
    grid.OnHScroll(kScrollLineBack);
    EXPECT_EQ(grid.GetScrollPosition(kHorzBar), 10);

    grid.OnHScroll(kScrollToEnd);
    const int end = grid.GetScrollPosition(kHorzBar);
    EXPECT_EQ(end, 100 - 50);  // the last position shows the last pixel
    grid.OnHScroll(kScrollLineForward);
    EXPECT_EQ(grid.GetScrollPosition(kHorzBar), end);
    grid.OnHScroll(kScrollToStart);
    EXPECT_EQ(grid.GetScrollPosition(kHorzBar), 0);
}

TEST(GridGeometry, ExpandColumnsToFitSharesTheDifference) {
    struct Case {
        std::vector<int> widths;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{30, 30, 31}, {33, 33, 34}},        // 91 in 100: each gains 3
        {{36, 36, 37}, {33, 33, 34}},        // 109 in 100: each loses 3, none more
        {{30, 0, 30}, {50, 0, 50}},          // hidden columns stay hidden
        {{30, 30, 30, 0}, {34, 33, 33, 0}},  // the spare pixel goes to a shown column
        {{150, 1, 1}, {132, 1, 1}},          // never below one pixel, never negative
    };
    for (const Case& c : cases) {
        CGridCtrl grid;
        ShapeGrid(grid, 1, static_cast<int>(c.widths.size()), 0, 0, 10, 10, 100, 50);
        for (size_t i = 0; i < c.widths.size(); ++i)
            grid.SetColumnWidth(static_cast<int>(i), c.widths[i]);
        grid.ExpandColumnsToFit();
        EXPECT_EQ(Widths(grid), c.expected);
    }
}

TEST(GridGeometry, ExpandRowsAndExpandToFitFillTheClientArea) {
    CGridCtrl grid;
    ShapeGrid(grid, 11, 2, 0, 1, 150, 24, 240, 200);
    ASSERT_TRUE(grid.IsScrollBarShown(kVertBar));  // 264 pixels of rows in 200
    grid.SetColumnWidth(0, 150);
    grid.ExpandToFit();
    grid.ExpandRowsToFit();
    const std::vector<int> h = Heights(grid);
    const std::vector<int> w = Widths(grid);
    EXPECT_EQ(std::accumulate(h.begin(), h.end(), 0), 200);
    EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 240);
    EXPECT_FALSE(grid.IsScrollBarShown(kVertBar));
    EXPECT_FALSE(grid.IsScrollBarShown(kHorzBar));
    for (int height : h) EXPECT_TRUE(height == 18 || height == 19) << height;
}

TEST(GridGeometry, ExpandLastColumn) {
    CGridCtrl grid;
    ShapeGrid(grid, 2, 3, 0, 0, 20, 10, 100, 50);
    grid.SetColumnWidth(2, 0);
    grid.ExpandLastColumn();
    EXPECT_EQ(Widths(grid), (std::vector<int>{20, 80, 0}));

    // Every column hidden: nothing to expand, nothing read out of range.
    for (int c = 0; c < 3; ++c) grid.SetColumnWidth(c, 0);
    grid.ExpandLastColumn();
    EXPECT_EQ(Widths(grid), (std::vector<int>{0, 0, 0}));
}

TEST(GridGeometry, MouseWheelScrollsLinesOrPages) {
    CGridCtrl grid;
    ShapeGrid(grid, 30, 1, 0, 0, 50, 10, 100, 50);
    grid.SetWheelScrollLines(3);
    grid.OnVScroll(kScrollThumbPosition, 100);
    ASSERT_EQ(grid.GetScrollPosition(kVertBar), 100);

    grid.OnMouseWheel(120);  // three lines up
    EXPECT_EQ(grid.GetScrollPosition(kVertBar), 70);
    grid.OnMouseWheel(-240);  // six lines down
    EXPECT_EQ(grid.GetScrollPosition(kVertBar), 130);
    grid.OnMouseWheel(60);  // half a notch of three lines is one line
    EXPECT_EQ(grid.GetScrollPosition(kVertBar), 120);

    grid.SetWheelScrollLines(kWheelPageScroll);
    grid.OnMouseWheel(120);  // one page up
    EXPECT_EQ(grid.GetScrollPosition(kVertBar), 120 - 50);
}

TEST(GridGeometry, EnsureVisibleScrollsACellIntoView) {
    CGridCtrl grid;
    ShapeGrid(grid, 20, 6, 1, 1, 30, 10, 100, 60);
    grid.EnsureVisible(15, 5);
    QRect rect;
    ASSERT_TRUE(grid.CellRect(15, 5, &rect));
    const QRect client = grid.GetClientRect();
    EXPECT_LE(rect.bottom(), client.bottom());
    EXPECT_LE(rect.right(), client.right());
    grid.EnsureVisible(1, 1);
    EXPECT_EQ(grid.TopLeftCell(), CCellID(1, 1));
}

}  // namespace
