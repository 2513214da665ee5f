#pragma once
// The group table of the panels that take group means and sizes (one-way
// ANOVA and the repeated-measures between factor): a grid with a header row
// and a row per group, and the cell font that fits its rows.
#include <QFont>

class CGridCtrl;
class IGridOwner;
class QWidget;

// Creates the table in `area` with columns "Group", "Mean", "Size" and
// `groups` rows below the header; `cellFont` gets the font of its cells.
CGridCtrl* CreateGroupTable(QWidget* area, IGridOwner* owner, int id, int groups, QFont* cellFont);
