#include "ui/grid/in_place_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_paint.h"

namespace {

bool IsNavigationKey(int key) {
    switch (key) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            return true;
        default:
            return false;
    }
}

}  // namespace

void ApplyEditStart(QLineEdit& edit, unsigned start) {
    const int key = static_cast<int>(start);
    if (start == kEditStartMouse || key == Qt::Key_Return || key == Qt::Key_Enter) {
        edit.deselect();
        edit.end(false);
    } else if (key == Qt::Key_Backspace) {
        edit.end(false);
        edit.backspace();
    } else if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Space ||
               IsNavigationKey(key)) {
        edit.selectAll();
    } else {
        edit.selectAll();
        if (start >= 0x20 && start < 0x110000 && start != 0x7F)
            edit.insert(QString::fromUcs4(reinterpret_cast<const char32_t*>(&start), 1));
    }
}

CInPlaceEdit::CInPlaceEdit(CGridCtrl* grid, const QRect& rect, Qt::Alignment align, int controlId,
                           int row, int col, const QString& initialText, unsigned start)
    : QLineEdit(grid ? grid->viewport() : nullptr),
      grid_(grid),
      controlId_(controlId),
      row_(row),
      col_(col),
      initialText_(initialText),
      exitOnArrows_(start != kEditStartMouse),
      rect_(rect) {
    setAlignment(align | Qt::AlignVCenter);
    setFrame(true);
    // The grid's font is its normal default cell's.
    if (grid && grid->GetDefaultCell(false, false)->GetFont())
        setFont(*grid->GetDefaultCell(false, false)->GetFont());
    setGeometry(gridpaint::ToPixels(rect));
    setText(initialText);
    show();
    setFocus(Qt::OtherFocusReason);
    ApplyEditStart(*this, start);
}

void CInPlaceEdit::SendChar(unsigned character) {
    if (character >= 0x20 && character < 0x110000 && character != 0x7F) {
        insert(QString::fromUcs4(reinterpret_cast<const char32_t*>(&character), 1));
        GrowToText();
    }
}

bool CInPlaceEdit::event(QEvent* e) {
    // Tab and Shift+Tab end the edit instead of moving along the focus chain.
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        // Shift+Tab arrives as Backtab; a Tab with Shift held is the same.
        EndWithKey((key == Qt::Key_Tab && (e->modifiers() & Qt::ShiftModifier)) ? Qt::Key_Backtab
                                                                                : key);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        EndWithKey(Qt::Key_Return);
        return;
    }
    if (key == Qt::Key_Escape) {
        setText(initialText_);
        EndWithKey(Qt::Key_Escape);
        return;
    }
    // Home and End stay inside the text; the arrows and the page keys may leave.
    const bool leavingKey = IsNavigationKey(key) && key != Qt::Key_Home && key != Qt::Key_End;
    if (leavingKey && (exitOnArrows_ || (e->modifiers() & Qt::ControlModifier))) {
        EndWithKey(key);
        return;
    }
    if (e->modifiers() & Qt::AltModifier) return;  // Alt-characters are swallowed
    QLineEdit::keyPressEvent(e);
    GrowToText();
    // The editor wants every key: one the line ignores (Up, Down, Delete at
    // the end) would otherwise travel on to the grid and move its focus cell
    // away from the cell being edited.
    e->accept();
}

void CInPlaceEdit::GrowToText() {
    if (!grid_) return;
    const int needed = fontMetrics().horizontalAdvance(text() + QStringLiteral("c"));
    if (needed <= width()) return;
    const int clientRight = grid_->GetClientRect().right() + 1;
    const int right = std::min(x() + needed, clientRight);
    if (right > x() + width()) resize(right - x(), height());
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // A context menu is not the end of the edit, nor is the user switching
    // to another window for a moment (the edit goes on when they come back).
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) return;
    QWidget* next = QApplication::focusWidget();
    if (companion_ && next != companion_) companion_->hide();
    EndEdit();
}

void CInPlaceEdit::EndWithKey(int key) {
    lastKey_ = key;
    EndEdit();
}

void CInPlaceEdit::EndEdit() {
    if (ended_) return;
    ended_ = true;
    GridDispInfo info;
    info.grid = grid_;
    info.controlId = controlId_;
    info.code = kNotifyEndLabelEdit;
    info.row = row_;
    info.col = col_;
    info.mask = 5;
    info.text = text();
    info.data = lastKey_;
    const bool hadFocus = hasFocus();
    if (grid_) grid_->OnEndInPlaceEdit(info);
    // The next cell's editor may have taken the focus; otherwise the grid gets it.
    if (grid_ && hadFocus && hasFocus()) grid_->setFocus(Qt::OtherFocusReason);
    hide();
    deleteLater();
}
