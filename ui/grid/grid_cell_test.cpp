#include "ui/grid/grid_cell.h"

#include <QFontMetrics>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

TEST(GridCell, AttributesFallBackToTheDefaultCellOfTheirPosition) {
    CGridCtrl grid(3, 3, 1, 1);
    CGridDefaultCell* normal = grid.GetDefaultCell(false, false);
    CGridDefaultCell* fixedRow = grid.GetDefaultCell(true, false);
    normal->SetFormat(kFmtRight | kFmtSingleLine);
    fixedRow->SetFormat(kFmtCenter | kFmtSingleLine);
    normal->SetMargin(7);

    CGridCellBase* body = grid.GetCell(1, 1);
    CGridCellBase* heading = grid.GetCell(0, 1);
    body->SetFormat(kUseDefault);
    heading->SetFormat(kUseDefault);
    EXPECT_EQ(body->GetFormat(), kFmtRight | kFmtSingleLine);
    EXPECT_EQ(heading->GetFormat(), kFmtCenter | kFmtSingleLine);
    EXPECT_EQ(body->GetMargin(), 7u);
    EXPECT_EQ(body->GetDefaultCell(), normal);
    EXPECT_EQ(grid.GetCell(0, 0)->GetDefaultCell(), grid.GetDefaultCell(true, true));
    EXPECT_EQ(grid.GetCell(1, 0)->GetDefaultCell(), grid.GetDefaultCell(false, true));

    // Fonts: none of its own means the default cell's.
    EXPECT_TRUE(body->IsDefaultFont());
    EXPECT_EQ(body->GetFont(), normal->GetFont());
    QFont own("DejaVu Sans", 21);
    body->SetFont(&own);
    EXPECT_FALSE(body->IsDefaultFont());
    EXPECT_EQ(body->GetFont()->pointSize(), 21);
    body->SetFont(nullptr);
    EXPECT_EQ(body->GetFont(), normal->GetFont());

    // Text of a fresh cell is empty, not null; colours start as "default".
    EXPECT_TRUE(grid.GetCell(2, 2)->GetText().isEmpty());
    EXPECT_FALSE(grid.GetCell(2, 2)->GetBackClr().isValid());

    // A cell without a grid has no default cell.
    CGridCell loose;
    EXPECT_EQ(loose.GetDefaultCell(), nullptr);
    EXPECT_EQ(loose.GetFont(), nullptr);
}

TEST(GridCell, DefaultCellIsReadOnlyAndIgnoresStateDataAndNullFont) {
    CGridCtrl grid(1, 1);
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    def->SetState(kCellSelected);
    def->SetData(42);
    const QFont before = *def->GetFont();
    def->SetFont(nullptr);
    EXPECT_EQ(def->GetState(), static_cast<unsigned>(kCellReadOnly));
    EXPECT_EQ(def->GetData(), 0);
    ASSERT_NE(def->GetFont(), nullptr);
    EXPECT_EQ(*def->GetFont(), before);

    // A font measures the default sizes: margin of a blank, twelve X wide,
    // one and a half lines high.
    QFont font("DejaVu Sans", 12);
    def->SetFont(&font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(def->GetMargin(), static_cast<unsigned>(metrics.horizontalAdvance(" ")));
    EXPECT_EQ(def->GetWidth(), metrics.horizontalAdvance(" XXXXXXXXXXXX "));
    EXPECT_EQ(def->GetHeight(), metrics.height() * 3 / 2);
}

TEST(GridCell, CopyFromFixesResolvedFormatAndMargin) {
    CGridCtrl grid(2, 2);
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    def->SetFormat(kFmtCenter);
    def->SetMargin(5);
    CGridCellBase* source = grid.GetCell(1, 1);
    source->SetFormat(kUseDefault);
    source->SetMargin(kUseDefault);
    source->SetText("abc");
    source->SetData(9);
    source->SetBackClr(Qt::red);

    CGridCell copy;
    copy.CopyFrom(*source);
    def->SetFormat(kFmtRight);
    def->SetMargin(11);
    EXPECT_EQ(copy.GetFormat(), static_cast<unsigned>(kFmtCenter));
    EXPECT_EQ(copy.GetMargin(), 5u);
    EXPECT_EQ(copy.GetText(), "abc");
    EXPECT_EQ(copy.GetData(), 9);
    EXPECT_EQ(copy.GetBackClr(), QColor(Qt::red));
    EXPECT_EQ(copy.GetGrid(), &grid);
    EXPECT_TRUE(copy.IsDefaultFont());

    // Reset returns every attribute but the data to its initial value.
    copy.Reset();
    EXPECT_TRUE(copy.GetText().isEmpty());
    EXPECT_EQ(copy.GetGrid(), nullptr);
    EXPECT_FALSE(copy.GetBackClr().isValid());
    EXPECT_EQ(copy.GetData(), 9);
    EXPECT_EQ(copy.GetState(), 0u);
}

TEST(GridCell, TextExtentOfWrappedTextIsItsWiderLine) {
    CGridCtrl grid(1, 1);
    CGridCellBase* cell = grid.GetCell(0, 0);
    QFont font("DejaVu Sans", 10);
    cell->SetFont(&font);
    cell->SetMargin(2);
    const QFontMetrics metrics(font);

    cell->SetFormat(kFmtWordBreak);
    const QSize two = cell->GetTextExtent("short\nmuch longer line");
    EXPECT_EQ(two.width(), metrics.horizontalAdvance("much longer line") + 4 * 2);

    cell->SetFormat(kFmtSingleLine);
    const QSize one = cell->GetTextExtent("abc");
    EXPECT_EQ(one, QSize(metrics.horizontalAdvance("abc") + 8, metrics.height() + 4));
    EXPECT_GE(two.height() - 4, 2 * (one.height() - 4) - 2);

    // An empty text measures as the default cell.
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    EXPECT_EQ(cell->GetTextExtent(QString()), QSize(def->GetWidth(), def->GetHeight()));
}

}  // namespace
