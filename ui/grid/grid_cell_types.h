#pragma once

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <functional>
#include <memory>

#include "ui/grid/grid_cell.h"
#include "ui/grid/in_place_edit.h"

// A cell with a check box before its text; a click inside the box toggles it.
class CGridCellCheck : public CGridCell {
  public:
    bool SetCheck(bool checked);
    bool GetCheck() const { return checked_; }

    bool Draw(QPainter& painter, int row, int col, QRect rect, bool eraseBkgnd = true) override;
    bool GetTextRect(QRect& rect) override;
    QSize GetCellExtent(QPainter* painter = nullptr) override;
    void OnClick(QPoint point) override;

    // The box in the grid's client coordinates, from the last drawing.
    QRect CheckBoxRect() const;

  private:
    int BoxSide() const;

    bool checked_ = false;
    QRect lastRect_;  // classic rectangle of the last drawing; empty until drawn
    bool drawn_ = false;
};

// Combo-box styles of a combo cell.
enum : unsigned { kComboDropDown = 2, kComboDropDownList = 3 };

// A cell edited with a drop-down list of options.
class CGridCellCombo : public CGridCell {
  public:
    void SetOptions(const QStringList& options) { options_ = options; }
    const QStringList& GetOptions() const { return options_; }
    void SetStyle(unsigned style) { style_ = style; }
    unsigned GetStyle() const { return style_; }

    QWidget* GetEditWnd() const override;
    bool IsComboCell() const override { return true; }
    bool Draw(QPainter& painter, int row, int col, QRect rect, bool eraseBkgnd = true) override;
    QSize GetCellExtent(QPainter* painter = nullptr) override;
    bool Edit(int row, int col, QRect rect, QPoint point, int controlId, unsigned start) override;
    void EndEdit() override;

  private:
    QStringList options_;
    unsigned style_ = kComboDropDown;
};

// The in-place drop-down list of a combo cell. It reports its text to the
// grid exactly once and then deletes itself; opening its own pop-up list does
// not end the edit.
class CInPlaceList : public QComboBox, public CGridEditorBase {
  public:
    CInPlaceList(CGridCtrl* grid, const QRect& rect, unsigned style, int controlId, int row,
                 int col, const QColor& textClr, const QColor& backClr, const QStringList& options,
                 const QString& initialText, unsigned start);
    ~CInPlaceList() override;

    void EndEdit() override;
    void DetachGrid() override { grid_ = nullptr; }
    // The width the pop-up list gets: widest option plus a scroll bar and a
    // digit, at most 200 pixels.
    int DropDownWidth() const;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showPopup() override;

  private:
    bool HandleKey(QKeyEvent* event);
    void FocusLeft(QWidget* next);

    QPointer<CGridCtrl> grid_;
    int controlId_;
    int row_;
    int col_;
    QString initialText_;
    int lastKey_ = 0;
    bool ended_ = false;
};

// The small "..." push button at the right end of a call-dialog cell.
class CInlineButton : public QPushButton {
  public:
    explicit CInlineButton(QWidget* parent) : QPushButton(parent) {}
};

// A cell edited with the ordinary editor plus a button that calls a function
// with a stored argument.
class CGridCellCallDialog : public CGridCell {
  public:
    ~CGridCellCallDialog() override;

    void SetButtonText(const QString& caption) { caption_ = caption; }
    const QString& GetButtonText() const { return caption_; }
    void SetFunction(std::function<void(int)> function, int argument) {
        function_ = std::move(function);
        argument_ = argument;
    }
    int GetArgument() const { return argument_; }
    QPushButton* GetButton() const { return button_; }

    bool Edit(int row, int col, QRect rect, QPoint point, int controlId, unsigned start) override;
    void EndEdit() override;

    // What a click on the button does: commit the typed text, then call the function.
    void OnButtonClicked();

  private:
    QString caption_;
    std::function<void(int)> function_;
    int argument_ = 0;
    QPointer<CInlineButton> button_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
