#pragma once
// The group table of the panels that take group means and sizes (one-way
// ANOVA and the repeated-measures between factor): a grid with a header row
// and a row per group, and the cell font that fits its rows.
#include <QFont>
#include <vector>

#include "effectsize/panel_common.h"

class CGridCtrl;
class IGridOwner;
class QWidget;

// Creates the table in `area` with columns "Group", "Mean", "Size" and
// `groups` rows below the header; `cellFont` gets the font of its cells.
CGridCtrl* CreateGroupTable(QWidget* area, IGridOwner* owner, int id, int groups, QFont* cellFont);

// Shows the first `groups` rows of `table` with their texts as typed (a
// rounded copy would be read back by the next calculation and change the
// effect) and sizes the columns.
void FillGroupTable(CGridCtrl* grid, const std::vector<effectsize::GroupRow>& table, int groups,
                    const QFont& cellFont);

// Reads the texts of the first `groups` rows back into `table`.
void ReadGroupTable(const CGridCtrl* grid, int groups, std::vector<effectsize::GroupRow>* table);
