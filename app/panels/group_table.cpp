#include "app/panels/group_table.h"

#include <QFontMetrics>

#include "platform/fonts.h"
#include "ui/grid/grid_ctrl.h"

CGridCtrl* CreateGroupTable(QWidget* area, IGridOwner* owner, int id, int groups, QFont* cellFont) {
    auto* grid = new CGridCtrl(0, 0, 0, 0, area);
    grid->Create(area->rect(), area, id);
    grid->PreSubclassWindow();
    grid->SetOwner(owner);
    grid->SetEditable(true);
    grid->SetColumnCount(3);
    grid->SetRowCount(groups + 1);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    grid->SetColumnWidth(0, 150);
    // The cells' font: the largest pixel size of the stand-in family whose
    // line fits 15 pixels.
    QFont font(platform::StandInFamily(QStringLiteral("Lucida Sans Unicode")));
    font.setWeight(QFont::Normal);
    for (int pixels = 15; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 15) break;
    }
    *cellFont = font;
    return grid;
}

void FillGroupTable(CGridCtrl* grid, const std::vector<effectsize::GroupRow>& table, int groups,
                    const QFont& cellFont) {
    grid->SetRowCount(groups + 1);
    const char* headers[] = {"Group", "Mean", "Size"};
    for (int col = 0; col < 3; ++col) grid->SetItemText(0, col, QString::fromLatin1(headers[col]));
    for (int i = 0; i < groups; ++i) {
        grid->SetItemText(i + 1, 0, QString::number(i + 1));
        grid->SetItemText(i + 1, 1, QString::fromStdString(table[i].mean));
        grid->SetItemText(i + 1, 2, QString::fromStdString(table[i].size));
    }
    for (int row = 0; row <= groups; ++row) {
        for (int col = 0; col < 3; ++col) {
            grid->SetItemFormat(row, col, kFmtRight | kFmtVCenter | kFmtSingleLine);
            grid->SetItemFont(row, col, cellFont);
        }
    }
    grid->AutoSizeColumn(0);
    grid->SetColumnWidth(1, 95);
    grid->SetColumnWidth(2, 10);
    grid->ExpandLastColumn();
    grid->Refresh();
}

void ReadGroupTable(const CGridCtrl* grid, int groups, std::vector<effectsize::GroupRow>* table) {
    for (int i = 0; i < groups && i + 1 < grid->GetRowCount(); ++i) {
        (*table)[i].mean = grid->GetItemText(i + 1, 1).toStdString();
        (*table)[i].size = grid->GetItemText(i + 1, 2).toStdString();
    }
}
