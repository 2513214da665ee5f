#include <utility>

#include "ui/grid/grid_ctrl.h"

int CGridCtrl::CompareCellText(const CGridCellBase* cell1, const CGridCellBase* cell2,
                               std::intptr_t) {
    if (!cell1 || !cell2) return 0;
    const QString text1 = cell1->GetText();
    const QString text2 = cell2->GetText();
    // QString orders by UTF-16 code unit, as the C library's wide strings do.
    const int order = QString::compare(text1, text2, Qt::CaseSensitive);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool CGridCtrl::SortByColumn(int col, bool ascending, std::intptr_t userData) {
    return SortWith(compare_ ? compare_ : &CGridCtrl::CompareCellText, col, ascending, userData);
}

bool CGridCtrl::SortWith(GridCompareFunc compare, int col, bool ascending, std::intptr_t userData) {
    if (sortColumn_ >= 0) InvalidateCell(0, sortColumn_);
    sortColumn_ = col;
    if (col >= 0) InvalidateCell(0, col);
    sortAscending_ = ascending;
    ClearSelection();
    SetFocusCell(-1, -1);
    return SortRange(compare, col, ascending, userData, fixedRows_, -1);
}

void CGridCtrl::SwapRows(int row1, int row2) {
    std::swap(rows_[static_cast<size_t>(row1)], rows_[static_cast<size_t>(row2)]);
    std::swap(rowHeights_[static_cast<size_t>(row1)], rowHeights_[static_cast<size_t>(row2)]);
    for (int row : {row1, row2}) {
        if (!rows_[static_cast<size_t>(row)]) continue;
        const Row& cells = *rows_[static_cast<size_t>(row)];
        for (size_t col = 0; col < cells.size(); ++col)
            if (cells[col]) cells[col]->SetCoords(row, static_cast<int>(col));
    }
}

bool CGridCtrl::SortRange(GridCompareFunc compare, int col, bool ascending, std::intptr_t userData,
                          int low, int high) {
    if (!compare || col < 0 || col >= colCount_) return false;
    if (high == -1) high = rowCount_ - 1;
    if (low < 0 || high >= rowCount_ || low >= high) return false;
    // Without stored cells every comparison would see the one shared cell:
    // the owner holds the userData and keeps its order.
    if (virtualMode_) return false;

    // Partition, then sort the smaller part by recursion and the larger one
    // in this loop, so that the depth stays logarithmic on any input.
    while (low < high) {
        const auto cmp = [&](const CGridCellBase* a, const CGridCellBase* b) {
            const int order = compare(a, b, userData);
            return ascending ? order : -order;
        };
        const CGridCellBase* pivot = GetCell((low + high) / 2, col);
        int lo = low, hi = high;
        for (;;) {
            while (lo < high && cmp(GetCell(lo, col), pivot) < 0) ++lo;
            while (hi > low && cmp(GetCell(hi, col), pivot) > 0) --hi;
            if (hi < lo) break;
            if (compare(GetCell(lo, col), GetCell(hi, col), userData) != 0) SwapRows(lo, hi);
            ++lo;
            --hi;
            if (hi < lo) break;
        }
        if (hi - low < high - lo) {
            if (low < hi) SortRange(compare, col, ascending, userData, low, hi);
            low = lo;
        } else {
            if (lo < high) SortRange(compare, col, ascending, userData, lo, high);
            high = hi;
        }
    }
    return true;
}
