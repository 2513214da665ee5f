#include <QImage>
#include <QPainter>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

const QColor kWindow(255, 255, 255);
const QColor kText(0, 0, 0);
const QColor kFace(200, 200, 200);
const QColor kShadow(128, 128, 128);
const QColor kLight(255, 255, 0);
const QColor kDarkShadow(0, 0, 128);
const QColor kGridLine(192, 192, 192);
const QColor kUnpainted(255, 0, 255);

// A 3 x 3 grid, one fixed row and column, cells 20 x 15, in 100 x 80 pixels:
// body cell (1, 1) covers x 20..39 and y 15..29; the cells end at x 60, y 45.
class GridDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        QPalette pal = grid.palette();
        pal.setColor(QPalette::Base, kWindow);
        pal.setColor(QPalette::Text, kText);
        pal.setColor(QPalette::Button, kFace);
        pal.setColor(QPalette::Dark, kShadow);
        pal.setColor(QPalette::Light, kLight);
        pal.setColor(QPalette::Shadow, kDarkShadow);
        grid.setPalette(pal);
        ShapeGrid(grid, 3, 3, 1, 1, 20, 15, 100, 80);
    }

    QImage Render() {
        QImage image(100, 80, QImage::Format_RGB32);
        image.fill(kUnpainted);
        QPainter painter(&image);
        grid.OnDraw(painter, QRect(0, 0, 100, 80));
        return image;
    }

    CGridCtrl grid;
};

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST_F(GridDraw, BodyCellsGridLinesAndBackground) {
    ASSERT_EQ(grid.GetGridLineColor(), kGridLine);
    const QImage image = Render();
    EXPECT_EQ(At(image, 25, 20), kWindow);  // inside a body cell
    EXPECT_EQ(At(image, 38, 20), kWindow);
    EXPECT_EQ(At(image, 39, 20), kGridLine);  // its last column is the vertical line
    EXPECT_EQ(At(image, 25, 29), kGridLine);  // its last row is the horizontal line
    EXPECT_EQ(At(image, 59, 44), kGridLine);
    EXPECT_EQ(At(image, 70, 20), kShadow);  // right of the last column
    EXPECT_EQ(At(image, 25, 60), kShadow);  // below the last row
    EXPECT_EQ(At(image, 99, 79), kShadow);
}

TEST_F(GridDraw, FixedCellsLookRaisedAndCarryNoGridLines) {
    const QImage image = Render();
    // Heading cell (0, 1): x 20..39, y 0..14.
    EXPECT_EQ(At(image, 25, 7), kFace);
    EXPECT_EQ(At(image, 25, 0), kLight);        // top edge
    EXPECT_EQ(At(image, 20, 7), kLight);        // left edge
    EXPECT_EQ(At(image, 39, 7), kDarkShadow);   // right edge, not a grid line
    EXPECT_EQ(At(image, 25, 14), kDarkShadow);  // bottom edge
    // Corner cell and a row heading.
    EXPECT_EQ(At(image, 10, 0), kLight);
    EXPECT_EQ(At(image, 19, 20), kDarkShadow);
}

TEST_F(GridDraw, FocusCellIsFramedAndItsHeadingsSink) {
    grid.SetFocusCell(1, 1);
    const QImage image = Render();
    // The frame runs inside the grid lines: x 20..38, y 15..28.
    EXPECT_EQ(At(image, 20, 20), kText);
    EXPECT_EQ(At(image, 38, 20), kText);
    EXPECT_EQ(At(image, 25, 15), kText);
    EXPECT_EQ(At(image, 25, 28), kText);
    EXPECT_EQ(At(image, 25, 20), kWindow);
    EXPECT_EQ(At(image, 39, 20), kGridLine);
    // The column heading over the focus cell is sunken: shadow above and left.
    EXPECT_EQ(At(image, 25, 0), kShadow);
    EXPECT_EQ(At(image, 20, 7), kShadow);
    EXPECT_EQ(At(image, 25, 14), kLight);
    // The next column's heading stays raised.
    EXPECT_EQ(At(image, 45, 0), kLight);
}

TEST_F(GridDraw, GridLineModes) {
    struct Case {
        int mode;
        QColor vertical;
        QColor horizontal;
    };
    const Case cases[] = {
        {kGridBoth, kGridLine, kGridLine},
        {kGridHorz, kWindow, kGridLine},
        {kGridVert, kGridLine, kWindow},
        {kGridNone, kWindow, kWindow},
    };
    for (const Case& c : cases) {
        grid.SetGridLines(c.mode);
        const QImage image = Render();
        EXPECT_EQ(At(image, 39, 20), c.vertical) << c.mode;
        EXPECT_EQ(At(image, 25, 29), c.horizontal) << c.mode;
    }
}

TEST_F(GridDraw, OwnBackgroundFillsTheCellUpToItsRightAndBottomEdges) {
    grid.SetItemBkColour(1, 1, Qt::red);
    grid.SetGridLines(kGridNone);
    QImage image = Render();
    EXPECT_EQ(At(image, 20, 15), QColor(Qt::red));
    EXPECT_EQ(At(image, 39, 29), QColor(Qt::red));  // last pixel column and row
    EXPECT_EQ(At(image, 40, 20), kWindow);          // the next cell
    EXPECT_EQ(At(image, 25, 30), kWindow);
    EXPECT_EQ(At(image, 19, 20), kFace);  // without grid lines headings are flat

    grid.SetGridLines(kGridBoth);
    image = Render();
    EXPECT_EQ(At(image, 38, 28), QColor(Qt::red));
    EXPECT_EQ(At(image, 39, 28), kGridLine);
}

TEST_F(GridDraw, HiddenRowsTakeNoSpaceAndNoLine) {
    grid.SetRowHeight(1, 0);
    const QImage image = Render();
    // Row 2 now starts right under the heading row.
    EXPECT_EQ(At(image, 25, 20), kWindow);
    EXPECT_EQ(At(image, 25, 29), kGridLine);
    EXPECT_EQ(At(image, 25, 30), kShadow);
}

TEST_F(GridDraw, NothingIsPaintedWhileRedrawIsOff) {
    grid.SetRedraw(false);
    QImage image = Render();
    EXPECT_EQ(At(image, 25, 20), kUnpainted);
    grid.SetRedraw(true);
    image = Render();
    EXPECT_EQ(At(image, 25, 20), kWindow);
}

TEST(GridDrawVirtual, CacheHintsFramePaintingInVirtualMode) {
    CGridCtrl grid;
    FakeGridOwner owner;
    grid.SetOwner(&owner);
    grid.SetVirtualMode(true);
    ShapeGrid(grid, 50, 4, 1, 1, 20, 15, 100, 80);
    QImage image(100, 80, QImage::Format_RGB32);
    QPainter painter(&image);
    grid.OnDraw(painter, QRect(0, 0, 100, 80));
    // The visible body range (the last, partly visible row counts), then the all-clear.
    ASSERT_EQ(owner.hints.size(), 2u);
    EXPECT_EQ(owner.hints[0], CCellRange(1, 1, 5, 3));
    EXPECT_EQ(owner.hints[1], CCellRange());
    EXPECT_GT(owner.dispInfoRequests, 0);
}

TEST_F(GridDraw, TheWidgetPaintsThroughTheSameDrawing) {
    grid.show();
    const QImage image = grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_GE(image.width(), 100);
    EXPECT_EQ(At(image, 39, 20), kGridLine);
    EXPECT_EQ(At(image, 70, 20), kShadow);
    EXPECT_EQ(At(image, 25, 0), kLight);
}

TEST_F(GridDraw, CellTextIsDrawnInTheTextColour) {
    grid.SetColumnWidth(1, 60);
    QFont font("DejaVu Sans", 9);
    grid.SetItemFont(1, 1, font);
    grid.SetItemText(1, 1, "MMMM");
    grid.SetItemTextColour(1, 1, Qt::blue);
    const QImage image = Render();
    int blue = 0;
    for (int x = 20; x < 80; ++x)
        for (int y = 15; y < 30; ++y) {
            const QColor c = At(image, x, y);
            blue += (c.blue() > 200 && c.red() < 100) ? 1 : 0;
        }
    EXPECT_GT(blue, 10);
}

}  // namespace
