#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QRect>
#include <QString>

class CGridCtrl;

// Something an in-place editor can be told when its grid goes away first.
class CGridEditorBase {
  public:
    virtual ~CGridEditorBase() = default;
    virtual void DetachGrid() = 0;
    // Closes the editor and reports its text to the grid.
    virtual void EndEdit() = 0;
};

// The one-line editor the grid opens over a cell. It reports its text to the
// grid once, when it ends (Enter, Tab, Esc, a navigation key or a loss of
// focus), and then deletes itself.
class CInPlaceEdit : public QLineEdit, public CGridEditorBase {
  public:
    // `rect` holds the cell's classic rectangle; `start` is the character or
    // key that opened the editor.
    CInPlaceEdit(CGridCtrl* grid, const QRect& rect, Qt::Alignment align, int controlId, int row,
                 int col, const QString& initialText, unsigned start);

    void EndEdit() override;
    // Feeds a character (or start key) to the open editor.
    void SendChar(unsigned character);
    void SetCompanion(QWidget* companion) { companion_ = companion; }
    void DetachGrid() override { grid_ = nullptr; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void EndWithKey(int key);
    void GrowToText();

    QPointer<CGridCtrl> grid_;
    QPointer<QWidget> companion_;
    int controlId_;
    int row_;
    int col_;
    QString initialText_;
    int lastKey_ = 0;
    bool exitOnArrows_;
    QRect rect_;
    bool ended_ = false;
};

// Applies the starting character of an edit to a line edit: the mouse and
// Enter put the caret at the end, Backspace deletes the last character, Tab,
// Space and the navigation keys select the whole text, and any other
// character replaces the whole text.
void ApplyEditStart(QLineEdit& edit, unsigned start);
