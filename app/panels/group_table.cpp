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
