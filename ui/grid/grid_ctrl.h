#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/commands.h"
#include "ui/grid/grid_cell.h"
#include "ui/grid/grid_types.h"

class QMimeData;
class QPainter;
class CTitleTip;

// The edit commands the grid handles.
enum GridEditCommand : int {
    kCmdEditCopy = 57634,
    kCmdEditCut = 57635,
    kCmdEditPaste = 57637,
    kCmdEditSelectAll = 57642,
};

// A row comparison for sorting: negative when the first cell sorts before the
// second, 0 when equal, positive after. Either cell may be null (no cell).
using GridCompareFunc = int (*)(const CGridCellBase* cell1, const CGridCellBase* cell2,
                                std::intptr_t userData);

// What a print job and the grid's printing share: the page being printed and
// how many there are.
struct GridPrintInfo {
    int minPage = 1;
    int maxPage = 0;
    int currentPage = 1;
    // The area the header or footer is drawn into (classic, logical units).
    QRect rectDraw;
};

// Scroll requests of the two scroll handlers.
enum GridScrollCode : int {
    kScrollLineBack = 0,     // line up / left
    kScrollLineForward = 1,  // line down / right
    kScrollPageBack = 2,
    kScrollPageForward = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollToStart = 6,  // top / left end
    kScrollToEnd = 7,    // bottom / right end
    kScrollEnd = 8,
};

enum GridBar : int { kHorzBar = 0, kVertBar = 1 };

// Grid-lines mode.
enum GridLines : int { kGridNone = 0, kGridHorz = 1, kGridVert = 2, kGridBoth = 3 };

// Mouse modes.
enum GridMouseMode : int {
    kMouseNothing = 0,
    kMouseSelectAll = 1,
    kMouseSelectCol = 2,
    kMouseSelectRow = 3,
    kMouseSelectCells = 4,
    kMouseOverRowDivide = 6,
    kMouseSizingRow = 7,
    kMouseOverColDivide = 8,
    kMouseSizingCol = 9,
    kMousePrepareEdit = 10,
    kMousePrepareDrag = 11,
    kMouseDragging = 12,
};

// Auto-size style bits.
enum : int { kAutoSizeHeader = 1, kAutoSizeData = 2, kAutoSizeBoth = 3 };

// Lines per wheel notch meaning "scroll a page per notch".
inline constexpr int kWheelPageScroll = -1;

// The spreadsheet-like grid window: a rectangle of cells whose first rows and
// columns may be fixed headings, with pixel scrolling of the rest, selection,
// keyboard navigation and in-place editing. It draws itself with QPainter.
class CGridCtrl : public QAbstractScrollArea, public platform::CommandTarget {
  public:
    explicit CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0,
                       QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Places the grid as a child of `parent` with control id `id` and gives
    // every row and column the normal default cell's size.
    bool Create(const QRect& rect, QWidget* parent, int id);
    // Gives the window a sunken frame, as when it stands in a form.
    void PreSubclassWindow();

    void SetOwner(IGridOwner* owner) { owner_ = owner; }
    void SetDlgCtrlID(int id) { controlId_ = id; }
    int GetDlgCtrlID() const { return controlId_; }

    // --- Shape ----------------------------------------------------------
    int GetRowCount() const { return rowCount_; }
    int GetColumnCount() const { return colCount_; }
    int GetFixedRowCount() const { return fixedRows_; }
    int GetFixedColumnCount() const { return fixedCols_; }
    bool SetRowCount(int n);
    bool SetColumnCount(int n);
    bool SetFixedRowCount(int n);
    bool SetFixedColumnCount(int n);
    int InsertRow(const QString& heading, int position = -1);
    int InsertColumn(const QString& heading,
                     unsigned format = kFmtCenter | kFmtVCenter | kFmtSingleLine,
                     int position = -1);
    bool DeleteRow(int row);
    bool DeleteColumn(int col);
    bool DeleteAllItems();

    // --- Cells and items --------------------------------------------------
    bool IsValid(int row, int col) const {
        return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_;
    }
    bool IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
    bool IsValid(const CCellRange& range) const;
    CGridCellBase* GetCell(int row, int col) const;
    // Stores `cell` (the grid takes ownership) and deletes the cell it replaces.
    bool SetCell(int row, int col, CGridCellBase* cell);
    virtual CGridCellBase* CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);
    bool SetCellType(int row, int col, CellClass cellClass);

    QString GetItemText(int row, int col) const;
    bool SetItemText(int row, int col, const QString& text);
    unsigned GetItemState(int row, int col) const;
    bool SetItemState(int row, int col, unsigned state);
    bool SetItemFormat(int row, int col, unsigned format);
    unsigned GetItemFormat(int row, int col) const;
    bool SetItemTextColour(int row, int col, const QColor& colour);
    bool SetItemBkColour(int row, int col, const QColor& colour);
    bool SetItemFont(int row, int col, const QFont& font);
    bool IsCellEditable(int row, int col) const;
    bool IsCellEditable(const CCellID& cell) const { return IsCellEditable(cell.row, cell.col); }
    bool IsItemEditing(int row, int col) const;
    // The notified write of a cell text: -175 before, -176 after, vetoes honoured.
    void ModifyItemText(int row, int col, const QString& text);
    void ClearCells(int minRow, int minCol, int maxRow, int maxCol);
    void SetModified(bool modified = true, int row = -1, int col = -1);
    bool GetModified(int row = -1, int col = -1) const;
    CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedCol) const;

    // --- Virtual mode ------------------------------------------------------
    using DispInfoCallback = bool (*)(GridDispInfo* info, std::intptr_t argument);
    void SetVirtualMode(bool on);
    void SetCallbackFunc(DispInfoCallback callback, std::intptr_t argument) {
        callback_ = callback;
        callbackArg_ = argument;
    }

    // --- Owner notifications ------------------------------------------------
    long SendMessageToParent(int row, int col, int code) const;
    long SendDispInfoRequest(GridDispInfo& info) const;
    long SendCacheHint(const CCellRange& range) const;

    // --- Settings -----------------------------------------------------------
    void SetEditable(bool editable) { editable_ = editable; }
    bool IsEditable() const { return editable_; }
    void SetListMode(bool on);
    bool GetListMode() const { return listMode_; }
    void SetSingleRowSelection(bool on) { singleRowSelection_ = on; }
    void SetSingleColSelection(bool on) { singleColSelection_ = on; }
    void SetFixedColumnSelection(bool on) { fixedColSelection_ = on; }
    void SetHandleTabKey(bool on) { handleTabKey_ = on; }
    void SetGridLines(int mode) {
        gridLines_ = mode;
        Refresh();
    }
    int GetGridLines() const { return gridLines_; }
    QColor GetGridLineColor() const { return gridLineColour_; }
    bool GetTrackFocusCell() const { return trackFocusCell_; }
    bool GetFrameFocusCell() const { return frameFocusCell_; }
    void SetRowResize(bool on) { allowRowResize_ = on; }
    void SetColumnResize(bool on) { allowColResize_ = on; }
    void EnableColumnHide(bool on) { allowColHide_ = on; }
    void EnableDragAndDrop(bool on) { allowDragAndDrop_ = on; }
    void EnableTitleTips(bool on) { titleTips_ = on; }
    const QList<QPixmap>* GetImageList() const { return imageList_; }
    bool GetShadedPrintOut() const { return shadedPrintOut_; }
    void SetWheelScrollLines(int lines) { wheelScrollLines_ = lines; }
    // The tip window of clipped cell texts; created at the first need.
    CTitleTip* GetTitleTip();

    // --- Sorting ------------------------------------------------------------
    // The sort column draws the direction arrow in its heading.
    void SetSortColumn(int col) { sortColumn_ = col; }
    int GetSortColumn() const { return sortColumn_; }
    bool GetSortAscending() const { return sortAscending_; }
    // A click on a heading cell of a fixed row sorts by its column.
    void SetSortOnClick(bool on) { sortOnClick_ = on; }
    void SetCompareFunction(GridCompareFunc compare) { compare_ = compare; }
    bool SortByColumn(int col, bool ascending = true, std::intptr_t userData = 0);
    bool SortWith(GridCompareFunc compare, int col, bool ascending, std::intptr_t userData = 0);
    // Sorts rows low to high (-1: the last row) by the cells of `col`.
    bool SortRange(GridCompareFunc compare, int col, bool ascending, std::intptr_t userData,
                   int low, int high = -1);
    // Texts compared code unit by code unit, without case folding or locale.
    static int CompareCellText(const CGridCellBase* cell1, const CGridCellBase* cell2,
                               std::intptr_t userData);

    // --- Printing -----------------------------------------------------------
    // A print job calls OnBeginPrinting once, OnPrint for every page from 1 to
    // info->maxPage (info->currentPage naming it) and OnEndPrinting at the end.
    // The painter is open on the printer.
    virtual void OnBeginPrinting(QPainter* painter, GridPrintInfo* info);
    virtual void OnPrint(QPainter* painter, GridPrintInfo* info);
    virtual void OnEndPrinting(QPainter* painter, GridPrintInfo* info);
    virtual void PrintRowCells(int firstCol, int endCol, int row, QRect& rect, QPainter* painter,
                               bool& firstColumn);
    virtual void PrintColumnHeadings(QPainter* painter, GridPrintInfo* info);
    virtual void PrintHeader(QPainter* painter, GridPrintInfo* info);
    virtual void PrintFooter(QPainter* painter, GridPrintInfo* info);
    virtual void PrintRowButtons(QPainter* painter, GridPrintInfo* info);
    void SetWysiwygPrinting(bool on) { wysiwygPrinting_ = on; }
    // The local time the footer shows; the system clock unless replaced.
    using LocalTimeSource = std::function<std::tm()>;
    void SetPrintClock(LocalTimeSource clock) { printClock_ = std::move(clock); }
    // The room for body rows on a page, in grid units (after OnBeginPrinting).
    int PrintPageHeight() const { return pageHeight_; }

    // --- Redrawing ----------------------------------------------------------
    void Refresh();
    void SetRedraw(bool allow, bool resetScrollBars = false);
    void InvalidateCell(int row, int col);
    void RedrawCell(int row, int col);

    // --- Sizes and geometry (pixels of the grid's client area) --------------
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    int FixedRowHeight() const;
    int FixedColumnWidth() const;
    int TotalHeight() const;
    int TotalWidth() const;
    bool AutoSizeColumn(int col, int style = 0, bool resetScroll = true);
    void AutoSizeColumns(int style = 0);
    bool AutoSizeRow(int row, bool resetScroll = true);
    void ExpandColumnsToFit(bool includeFixed = true);
    void ExpandRowsToFit(bool includeFixed = true);
    void ExpandLastColumn();
    void ExpandToFit(bool includeFixed = true);
    bool CellOrigin(int row, int col, QPoint* origin);
    bool CellRect(int row, int col, QRect* rect);
    QPoint PointInCell(int row, int col, QPoint point);
    CCellID CellFromPoint(QPoint point, bool allowFixed = true);
    CCellID TopLeftCell(bool recalculate = false);
    CCellRange VisibleRange(QRect* rect = nullptr, bool recalculate = false);
    bool IsCellOnScreen(int row, int col);
    void EnsureVisible(int row, int col);
    void EnsureVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }
    // The client area: the viewport without the scroll bars that are shown.
    QRect GetClientRect() const;

    void UpdateScrollBars();
    void SetScrollPosition(int bar, int position);
    int GetScrollPosition(int bar) const;
    // The classic scroll maximum (last pixel of the scrollable extent, 0
    // when everything fits) and whether the bar is shown.
    int GetScrollMaximum(int bar) const { return bar == kHorzBar ? hScrollMax_ : vScrollMax_; }
    bool IsScrollBarShown(int bar) const { return (barState_ & (bar == kHorzBar ? 1 : 2)) != 0; }
    virtual void OnHScroll(int code, int position = 0);
    virtual void OnVScroll(int code, int position = 0);
    void OnMouseWheel(int delta);

    // --- Selection and focus ------------------------------------------------
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint = false,
                          bool select = true);
    void SetSelectedRange(const CCellRange& range, bool forceRepaint = false, bool select = true) {
        SetSelectedRange(range.minRow, range.minCol, range.maxRow, range.maxCol, forceRepaint,
                         select);
    }
    CCellRange GetSelectedRange() const;
    int GetSelectedCount() const { return static_cast<int>(selectedCells_.size()); }
    bool IsCellSelected(int row, int col) const;
    void SelectAll();
    void SelectCellsTo(CCellID cell, bool forceRepaint, bool select);
    void SelectRowsTo(CCellID cell, bool forceRepaint, bool select);
    void SelectColumnsTo(CCellID cell, bool forceRepaint, bool select);
    void ExtendSelection(CCellID cell);
    void ClearSelection();
    CCellID SetFocusCell(int row, int col);
    CCellID SetFocusCell(CCellID cell) { return SetFocusCell(cell.row, cell.col); }
    CCellID GetFocusCell() const { return focusCell_; }
    bool IsOverColumnDivider(QPoint point);
    bool IsOverRowDivider(QPoint point);
    int GetMouseMode() const { return mouseMode_; }
    virtual void OnFixedColumnClick(CCellID cell);
    virtual void OnFixedRowClick(CCellID cell);

    // Mouse and key handling, in client coordinates; the Qt event handlers
    // forward here so that tests can drive them directly.
    void OnLButtonDown(QPoint point, Qt::KeyboardModifiers modifiers);
    void OnMouseMove(QPoint point, Qt::MouseButtons buttons);
    void OnLButtonUp(QPoint point);
    void OnLButtonDblClk(QPoint point);
    void OnRButtonUp(QPoint point);
    void OnTimer();
    // `key` is a Qt key code; returns true when the key was the grid's.
    bool OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void OnChar(unsigned character, Qt::KeyboardModifiers modifiers);

    // --- Editing ------------------------------------------------------------
    virtual void OnEditCell(int row, int col, QPoint point, unsigned start);
    virtual void OnEndEditCell(int row, int col, const QString& text);
    virtual bool ValidateEdit(int row, int col, const QString& text);
    virtual void EndEditing();
    // Called by an in-place editor when it closes; `lastKey` is the Qt key
    // that ended the edit (0 for a loss of focus).
    void OnEndInPlaceEdit(const GridDispInfo& info);
    // True while an edit is being ended because the grid is going out of
    // sight (its window hides or is destroyed): the text is kept in the cell,
    // but the owner and the owner form are not called.
    bool IsEndingQuietly() const { return endingQuietly_; }

    // --- Clipboard, drag and drop -------------------------------------------
    // Empties the selected cells through the notified write.
    virtual void CutSelectedText();
    // The selected cells as UTF-8 text: a tab between the fields of a row, a
    // line feed between rows. Null for an empty or invalid selection, or when
    // a cell's text cannot be written as UTF-8 (the copy commands say which).
    virtual std::unique_ptr<QMimeData> CopyTextFromGrid();
    // Writes the text of `mime` into the cells from (row, col) on: lines to
    // rows, fields (ending at a tab, or at a comma in text from elsewhere) to
    // columns. False when nothing could be read or the target takes nothing.
    virtual bool PasteTextToGrid(int row, int col, const QMimeData* mime, bool selectPasted);
    virtual void OnBeginDrag();
    virtual Qt::DropAction OnDragEnter(const QMimeData* mime, Qt::KeyboardModifiers keys,
                                       QPoint point);
    virtual Qt::DropAction OnDragOver(const QMimeData* mime, Qt::KeyboardModifiers keys,
                                      QPoint point);
    virtual void OnDragLeave();
    virtual bool OnDrop(const QMimeData* mime, Qt::DropAction action, QPoint point);
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();
    virtual void OnEditSelectAll();

    // The edit commands (copy, cut, paste, select all).
    bool HandleCommand(int id) override;
    bool QueryCommand(int id, platform::CommandState* state) override;

    // --- Drawing ------------------------------------------------------------
    // Draws the visible grid into `painter`, limited to `clip`.
    virtual void OnDraw(QPainter& painter, const QRect& clip);
    void EraseBkgnd(QPainter& painter, const QRect& clip);
    // The x position of the column or row tracking line while resizing, or -1.
    int TrackingLine(bool* vertical) const {
        *vertical = trackVertical_;
        return trackPos_;
    }

    // System colours the grid and its cells draw with, taken from the palette.
    enum SysColour {
        kSysWindow,
        kSysWindowText,
        kSys3DFace,
        kSys3DShadow,
        kSys3DHighlight,
        kSys3DDkShadow,
        kSysHighlight,
        kSysHighlightText
    };
    QColor SysColor(SysColour which) const;

    // Width of a vertical scroll bar (and height of a horizontal one).
    int ScrollBarExtent() const;

  protected:
    // Runs the drag of `mime` with copy and move allowed and returns what the
    // drop did.
    virtual Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> mime);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    using Row = std::vector<CGridCellBase*>;

    static std::uint64_t SelectionKey(int row, int col) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(col)) << 32) |
               static_cast<std::uint32_t>(row);
    }
    void ResetScrollBars() { UpdateScrollBars(); }
    void InvalidateTopLeft() { topLeftValid_ = false; }
    void InvalidateScrollArea(bool horizontal);
    void ApplyScrollRange(int bar, int maximum, int page);
    void FillDispInfo(GridDispInfo& info, int row, int col) const;
    void RedrawFixedCellsFor(CCellID cell, CCellID other);
    void StartAutoScroll();
    void StopAutoScroll();
    int NextVisibleRow(int from, int step, int limit) const;
    int NextVisibleCol(int from, int step, int limit) const;
    void ReportCopyError();
    // The first body row of row page `page` (1-based) and the number of row
    // pages; the same for body columns against the page width.
    int WalkRowPages(int page, int* pages) const;
    int WalkColumnPages(int page, int* pages) const;
    void PrintGridLine(QPainter* painter, int x1, int y1, int x2, int y2) const;
    void SwapRows(int row1, int row2);
    void ShowTitleTipFor(QPoint point);
    void HideTitleTip();

    IGridOwner* owner_ = nullptr;
    int controlId_ = 0;

    QColor gridBkColour_;
    QColor gridLineColour_{0xC0, 0xC0, 0xC0};
    bool virtualMode_ = false;
    DispInfoCallback callback_ = nullptr;
    std::intptr_t callbackArg_ = 0;
    int gridLines_ = kGridBoth;
    bool editable_ = true;
    bool modified_ = false;
    bool allowDragAndDrop_ = false;
    bool listMode_ = false;
    bool singleRowSelection_ = false;
    bool singleColSelection_ = false;
    bool allowDraw_ = true;
    bool enableSelection_ = true;
    bool fixedRowSelection_ = true;  // clicking the fixed column selects rows
    bool fixedColSelection_ = true;  // clicking the fixed row selects columns
    bool handleTabKey_ = true;
    bool titleTips_ = true;
    int barState_ = 0;  // 1 horizontal bar shown, 2 vertical bar shown
    bool hiddenColUnhide_ = true;
    bool hiddenRowUnhide_ = true;
    bool allowColHide_ = true;
    bool allowRowHide_ = true;
    bool trackFocusCell_ = true;
    bool frameFocusCell_ = true;
    int autoSizeStyle_ = kAutoSizeBoth;

    int rowCount_ = 0;
    int fixedRows_ = 0;
    int colCount_ = 0;
    int fixedCols_ = 0;
    std::vector<int> rowHeights_;
    std::vector<int> colWidths_;
    int vScrollMax_ = 0;
    int hScrollMax_ = 0;

    CellClass defaultCellClass_;
    std::unique_ptr<CGridDefaultCell> cellDefault_;
    std::unique_ptr<CGridDefaultCell> cellFixedColDefault_;
    std::unique_ptr<CGridDefaultCell> cellFixedRowDefault_;
    std::unique_ptr<CGridDefaultCell> cellFixedRowColDefault_;
    const QList<QPixmap>* imageList_ = nullptr;
    std::vector<Row*> rows_;

    // Virtual mode reads every cell into this one record and cell.
    mutable GridDispInfo dispInfo_;
    mutable std::unique_ptr<CGridCell> virtualCell_;

    int mouseMode_ = kMouseNothing;
    bool lButtonDown_ = false;
    QPoint lButtonDownPoint_;
    QPoint lastMousePoint_;
    CCellID lButtonDownCell_;
    CCellID selectionStartCell_;
    CCellID focusCell_;
    CCellID topLeft_;
    bool topLeftValid_ = false;
    QTimer autoScrollTimer_;
    int resizeCaptureRange_ = 3;
    bool allowRowResize_ = true;
    bool allowColResize_ = true;
    int wheelScrollLines_ = 3;
    std::map<std::uint64_t, CCellID> selectedCells_;
    std::map<std::uint64_t, CCellID> prevSelectedCells_;
    int trackPos_ = -1;
    QPoint resizeOrigin_;
    bool trackVertical_ = true;

    bool sortAscending_ = true;
    int sortColumn_ = -1;
    bool sortOnClick_ = false;
    GridCompareFunc compare_ = nullptr;

    CCellID lastDragOverCell_;
    QString copyError_;

    CTitleTip* titleTip_ = nullptr;  // a top-level window, deleted with the grid
    QColor titleTipTextClr_;
    QColor titleTipBackClr_;

    bool shadedPrintOut_ = true;
    bool wysiwygPrinting_ = false;
    int headerHeight_ = 2;
    int footerHeight_ = 2;
    int leftMargin_ = 4;
    int rightMargin_ = 4;
    int topMargin_ = 1;
    int bottomMargin_ = 1;
    int gap_ = 1;
    std::unique_ptr<QFont> printerFont_;
    QSize printCharSize_;
    QSize paperSize_;
    QSize logicalPageSize_;
    int pageHeight_ = 0;
    int pageWidth_ = 0;
    int pageCount_ = 0;
    int columnPageCount_ = 1;
    int printRow_ = 0;
    int printCol_ = 0;
    LocalTimeSource printClock_;

    bool inUpdateScrollBars_ = false;
    bool destroying_ = false;
    bool endingQuietly_ = false;
};
