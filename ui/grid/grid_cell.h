#pragma once

#include <QFont>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "ui/grid/grid_types.h"

class QPainter;
class CGridDefaultCell;

// Abstract cell: the state word plus the virtual interface the grid uses.
// Colours left invalid (QColor()) and a format or margin of kUseDefault take
// the value of the grid's default cell for the cell's position.
class CGridCellBase {
  public:
    CGridCellBase() = default;
    CGridCellBase(const CGridCellBase&) = delete;
    CGridCellBase& operator=(const CGridCellBase&) = delete;
    virtual ~CGridCellBase() = default;

    virtual void SetText(const QString& text) = 0;
    virtual void SetImage(int image) = 0;
    virtual void SetData(std::intptr_t data) = 0;
    virtual void SetState(unsigned state) { state_ = state; }
    virtual void SetFormat(unsigned format) = 0;
    virtual void SetTextClr(const QColor& colour) = 0;
    virtual void SetBackClr(const QColor& colour) = 0;
    // Null clears the cell's own font.
    virtual void SetFont(const QFont* font) = 0;
    virtual void SetMargin(unsigned margin) = 0;
    virtual void SetGrid(CGridCtrl* grid) = 0;
    virtual void SetCoords(int row, int col);

    virtual QString GetText() const = 0;
    virtual QString GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual std::intptr_t GetData() const = 0;
    virtual unsigned GetState() const { return state_; }
    virtual unsigned GetFormat() const = 0;
    virtual QColor GetTextClr() const = 0;
    virtual QColor GetBackClr() const = 0;
    // The cell's own font, else the default cell's; null without a default cell.
    virtual const QFont* GetFont() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual QWidget* GetEditWnd() const = 0;
    virtual unsigned GetMargin() const = 0;
    virtual CGridDefaultCell* GetDefaultCell() const;

    virtual bool IsComboCell() const { return false; }
    virtual bool IsDefaultFont() const = 0;
    virtual bool IsEditing() const = 0;
    bool IsFocused() const { return (GetState() & kCellFocused) != 0; }
    bool IsFixed() const { return (GetState() & kCellFixed) != 0; }
    bool IsFixedCol() const { return (GetState() & kCellFixedCol) != 0; }
    bool IsFixedRow() const { return (GetState() & kCellFixedRow) != 0; }
    bool IsSelected() const { return (GetState() & kCellSelected) != 0; }
    bool IsReadOnly() const { return (GetState() & kCellReadOnly) != 0; }
    bool IsDropHighlighted() const { return (GetState() & kCellDropHighlighted) != 0; }

    virtual void CopyFrom(const CGridCellBase& source);
    virtual void Reset() { state_ = 0; }

    // rect: the cell's pixels, right and bottom inclusive.
    virtual bool Draw(QPainter& painter, int row, int col, QRect rect, bool eraseBkgnd = true);
    virtual bool GetTextRect(QRect& rect);
    virtual bool GetTipTextRect(QRect& rect) { return GetTextRect(rect); }
    virtual QSize GetTextExtent(const QString& text, QPainter* painter = nullptr);
    virtual QSize GetCellExtent(QPainter* painter = nullptr);

    // `start` is the character or key that started the edit (kEditStartMouse
    // for the mouse). The base cell cannot be edited.
    virtual bool Edit(int row, int col, QRect rect, QPoint point, int controlId, unsigned start);
    virtual bool ValidateEdit(const QString&) { return true; }
    virtual void EndEdit() {}
    virtual bool PrintCell(QPainter& painter, int row, int col, QRect rect);
    virtual void OnEndEdit() {}

    virtual void OnMouseOver() {}
    virtual void OnClick(QPoint) {}
    virtual void OnClickDown(QPoint) {}
    virtual void OnRClick(QPoint) {}
    virtual void OnDblClick(QPoint) {}

  protected:
    // The font to draw with: the cell's own, or the default cell's.
    QFont DrawingFont() const;

  private:
    unsigned state_ = 0;
};

// The ordinary cell with its own text, image, colours, font, format and margin.
class CGridCell : public CGridCellBase {
  public:
    CGridCell() = default;
    ~CGridCell() override;

    void SetText(const QString& text) override { text_ = text; }
    void SetImage(int image) override { image_ = image; }
    void SetData(std::intptr_t data) override { data_ = data; }
    void SetFormat(unsigned format) override { format_ = format; }
    void SetTextClr(const QColor& colour) override { textClr_ = colour; }
    void SetBackClr(const QColor& colour) override { backClr_ = colour; }
    void SetFont(const QFont* font) override;
    void SetMargin(unsigned margin) override { margin_ = margin; }
    void SetGrid(CGridCtrl* grid) override { grid_ = grid; }

    QString GetText() const override { return text_; }
    int GetImage() const override { return image_; }
    std::intptr_t GetData() const override { return data_; }
    unsigned GetFormat() const override;
    QColor GetTextClr() const override { return textClr_; }
    QColor GetBackClr() const override { return backClr_; }
    const QFont* GetFont() const override;
    CGridCtrl* GetGrid() const override { return grid_; }
    QWidget* GetEditWnd() const override { return editWnd_; }
    unsigned GetMargin() const override;

    bool IsDefaultFont() const override { return !font_; }
    bool IsEditing() const override { return editing_; }

    void Reset() override;
    bool Edit(int row, int col, QRect rect, QPoint point, int controlId, unsigned start) override;
    void EndEdit() override;
    void OnEndEdit() override;

  protected:
    const QFont* OwnFont() const { return font_.get(); }
    void SetEditing(bool editing) { editing_ = editing; }
    void SetEditWnd(QWidget* editor) { editWnd_ = editor; }

  private:
    QString text_;
    std::intptr_t data_ = 0;
    int image_ = -1;
    unsigned format_ = kUseDefault;
    QColor textClr_;
    QColor backClr_;
    std::unique_ptr<QFont> font_;
    unsigned margin_ = kUseDefault;
    bool editing_ = false;
    CGridCtrl* grid_ = nullptr;
    QPointer<QWidget> editWnd_;
};

// One of the four cells whose attributes the other cells fall back to; it also
// holds the default row height and column width.
class CGridDefaultCell : public CGridCell {
  public:
    CGridDefaultCell();

    void SetData(std::intptr_t) override {}
    void SetState(unsigned) override {}
    unsigned GetState() const override { return CGridCell::GetState() | kCellReadOnly; }
    // Null is ignored; otherwise the cell keeps the font and measures itself.
    void SetFont(const QFont* font) override;
    const QFont* GetFont() const override { return OwnFont(); }

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }

  private:
    int width_ = 30;
    int height_ = 10;
};

// A cell class: a factory of cells of one type.
using CellClass = CGridCellBase* (*)();

template <class T>
CellClass CellClassOf() {
    return []() -> CGridCellBase* { return new T; };
}
