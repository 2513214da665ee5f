#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>

class CGridCtrl;

// A cell coordinate; (-1, -1) is "no cell".
struct CCellID {
    int row = -1;
    int col = -1;

    CCellID() = default;
    CCellID(int r, int c) : row(r), col(c) {}
    bool IsValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CCellID&) const = default;
};

// An inclusive range of cells.
struct CCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    CCellRange() = default;
    CCellRange(int r1, int c1, int r2, int c2) : minRow(r1), minCol(c1), maxRow(r2), maxCol(c2) {}
    bool IsValid() const {
        return minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0 && minRow <= maxRow &&
               minCol <= maxCol;
    }
    bool InRange(int r, int c) const {
        return minRow <= r && r <= maxRow && minCol <= c && c <= maxCol;
    }
    bool InRange(const CCellID& id) const { return InRange(id.row, id.col); }
    bool operator==(const CCellRange&) const = default;
};

// Cell state bits.
enum : unsigned {
    kCellFocused = 0x01,
    kCellSelected = 0x02,
    kCellDropHighlighted = 0x04,
    kCellReadOnly = 0x08,
    kCellFixed = 0x10,
    kCellFixedRow = 0x20,
    kCellFixedCol = 0x40,
    kCellModified = 0x80,
};

// Text format flags of a cell; the values are those of the classic text
// drawing flags so that stored formats keep their meaning.
enum : unsigned {
    kFmtLeft = 0x0000,
    kFmtCenter = 0x0001,
    kFmtRight = 0x0002,
    kFmtVCenter = 0x0004,
    kFmtBottom = 0x0008,
    kFmtWordBreak = 0x0010,
    kFmtSingleLine = 0x0020,
    kFmtNoPrefix = 0x0800,
    kFmtEndEllipsis = 0x8000,
    kFmtDefault = kFmtSingleLine | kFmtVCenter | kFmtNoPrefix | kFmtEndEllipsis,  // 0x8824
};

// "Use the default cell's value" for format and margin.
inline constexpr unsigned kUseDefault = 0xFFFFFFFFu;

// Codes of the notifications a grid sends to its owner.
enum GridNotifyCode : int {
    kNotifyClick = -2,
    kNotifyDblClick = -3,
    kNotifyRClick = -5,
    kNotifySelChanging = -100,
    kNotifySelChanged = -101,
    kNotifyBeginDrag = -109,
    kNotifyCacheHint = -113,
    kNotifyBeginLabelEdit = -175,
    kNotifyEndLabelEdit = -176,
    kNotifyGetDispInfo = -177,
};

// Keys and pseudo-keys that start or end an in-place edit. Characters are
// passed as their Unicode value; keys use Qt's key codes, which lie above
// every character, so a typed character never reads as a navigation key.
enum : unsigned {
    kEditStartMouse = 0x01FFFFFFu,
};

// What the grid tells its owner about a cell (codes -2, -3, -5, -100, -101,
// -109, -175, -176).
struct GridNotify {
    CGridCtrl* grid = nullptr;
    int controlId = 0;
    int code = 0;
    int row = -1;
    int col = -1;
};

// The display-information record of virtual mode (-177) and of the end of an
// in-place edit.
struct GridDispInfo {
    CGridCtrl* grid = nullptr;
    int controlId = 0;
    int code = 0;
    int row = -1;
    int col = -1;
    unsigned mask = 0;
    unsigned state = 0;
    unsigned format = kUseDefault;
    int image = -1;
    QColor backClr;
    QColor textClr;
    std::intptr_t data = 0;
    QFont font;
    bool hasFont = false;
    unsigned margin = kUseDefault;
    QString text;
};

// The owner of a grid. Every notification is a synchronous call whose return
// value is the owner's answer; a negative answer to -175 or -176 vetoes.
class IGridOwner {
  public:
    virtual ~IGridOwner() = default;
    virtual long OnGridNotify(const GridNotify& note) = 0;
    // Virtual mode: fill the record for (info.row, info.col).
    virtual long OnGridDispInfo(GridDispInfo&) { return 0; }
    virtual long OnGridCacheHint(CGridCtrl*, const CCellRange&) { return 0; }
    // Sent after every left-button release over a valid cell.
    virtual void OnGridCommand(CGridCtrl*) {}
};
