#include "ui/grid/grid_cell_types.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <memory>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_paint.h"

// --- CGridCellCheck ------------------------------------------------------------

int CGridCellCheck::BoxSide() const {
    const CGridCtrl* grid = GetGrid();
    return grid ? grid->ScrollBarExtent() : 16;
}

QRect CGridCellCheck::CheckBoxRect() const {
    if (!drawn_) return QRect();
    const int margin = static_cast<int>(GetMargin());
    return QRect(lastRect_.left() + margin, lastRect_.top() + margin, BoxSide(), BoxSide());
}

bool CGridCellCheck::SetCheck(bool checked) {
    const bool previous = checked_;
    checked_ = checked;
    if (drawn_ && GetGrid()) GetGrid()->viewport()->update(gridpaint::ToPixels(lastRect_));
    return previous;
}

bool CGridCellCheck::Draw(QPainter& painter, int row, int col, QRect rect, bool eraseBkgnd) {
    const bool result = CGridCell::Draw(painter, row, col, rect, eraseBkgnd);
    lastRect_ = rect;
    drawn_ = true;
    CGridCtrl* grid = GetGrid();
    if (!grid) return result;
    QStyleOptionButton option;
    option.initFrom(grid);
    option.rect = CheckBoxRect();
    option.state = QStyle::State_Enabled | (checked_ ? QStyle::State_On : QStyle::State_Off);
    grid->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, grid);
    return result;
}

bool CGridCellCheck::GetTextRect(QRect& rect) {
    const bool result = CGridCell::GetTextRect(rect);
    const int margin = static_cast<int>(GetMargin());
    rect.setLeft(std::min(rect.left() + 2 * margin + BoxSide(), rect.right()));
    return result;
}

QSize CGridCellCheck::GetCellExtent(QPainter* painter) {
    const QSize size = CGridCell::GetCellExtent(painter);
    const int extra = 2 * static_cast<int>(GetMargin()) + BoxSide();
    return QSize(size.width() + extra, size.height() + extra);
}

void CGridCellCheck::OnClick(QPoint point) {
    const int margin = static_cast<int>(GetMargin());
    const QRect box(margin, margin, BoxSide(), BoxSide());
    if (!box.contains(point)) return;
    checked_ = !checked_;
    if (drawn_ && GetGrid()) GetGrid()->viewport()->update(gridpaint::ToPixels(lastRect_));
}

// --- CGridCellCombo ------------------------------------------------------------

QWidget* CGridCellCombo::GetEditWnd() const {
    auto* list = dynamic_cast<CInPlaceList*>(CGridCell::GetEditWnd());
    return list ? list->lineEdit() : nullptr;
}

bool CGridCellCombo::Draw(QPainter& painter, int row, int col, QRect rect, bool eraseBkgnd) {
    if (!IsEditing()) return CGridCell::Draw(painter, row, col, rect, eraseBkgnd);
    // While the list is open only the list shows the text.
    const QString text = GetText();
    SetText(QString());
    const bool result = CGridCell::Draw(painter, row, col, rect, eraseBkgnd);
    SetText(text);
    return result;
}

QSize CGridCellCombo::GetCellExtent(QPainter* painter) {
    const QSize size = CGridCell::GetCellExtent(painter);
    const int extent = GetGrid() ? GetGrid()->ScrollBarExtent() : 16;
    return QSize(size.width() + extent, size.height() + extent);
}

bool CGridCellCombo::Edit(int row, int col, QRect rect, QPoint, int controlId, unsigned start) {
    if (IsEditing()) return true;
    SetEditing(true);
    auto* list = new CInPlaceList(GetGrid(), rect, style_, controlId, row, col, GetTextClr(),
                                  GetBackClr(), options_, GetText(), start);
    SetEditWnd(list);
    return true;
}

void CGridCellCombo::EndEdit() {
    if (auto* list = dynamic_cast<CInPlaceList*>(CGridCell::GetEditWnd())) list->EndEdit();
}

// --- CInPlaceList --------------------------------------------------------------

namespace {

bool IsListNavigationKey(int key) {
    return key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Left ||
           key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

}  // namespace

CInPlaceList::CInPlaceList(CGridCtrl* grid, const QRect& rect, unsigned style, int controlId,
                           int row, int col, const QColor&, const QColor&,
                           const QStringList& options, const QString& initialText, unsigned start)
    : QComboBox(grid ? grid->viewport() : nullptr),
      grid_(grid),
      controlId_(controlId),
      row_(row),
      col_(col),
      initialText_(initialText) {
    setEditable(style != kComboDropDownList);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(4);
    if (grid && grid->GetDefaultCell(false, false)->GetFont())
        setFont(*grid->GetDefaultCell(false, false)->GetFont());
    addItems(options);
    setGeometry(gridpaint::ToPixels(rect));
    view()->setMinimumWidth(DropDownWidth());

    const int match = findText(initialText, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(match);
    if (match < 0 && isEditable()) setEditText(initialText);
    if (lineEdit()) lineEdit()->installEventFilter(this);

    show();
    setFocus(Qt::OtherFocusReason);
    if (lineEdit()) ApplyEditStart(*lineEdit(), start);
    if (isVisible() && window()->isVisible()) showPopup();
}

CInPlaceList::~CInPlaceList() = default;

int CInPlaceList::DropDownWidth() const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    const int extent =
        grid_ ? grid_->ScrollBarExtent() : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::min(200, widest + extent + metrics.horizontalAdvance(QStringLiteral("0")));
}

void CInPlaceList::showPopup() {
    view()->setMinimumWidth(DropDownWidth());
    QComboBox::showPopup();
}

bool CInPlaceList::HandleKey(QKeyEvent* e) {
    const int key = e->key();
    if (IsListNavigationKey(key) && (e->modifiers() & Qt::ControlModifier)) {
        lastKey_ = key;
        EndEdit();
        return true;
    }
    if (key == Qt::Key_Escape) {
        lastKey_ = Qt::Key_Escape;
        EndEdit();
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
        key == Qt::Key_Enter) {
        lastKey_ = (key == Qt::Key_Tab && (e->modifiers() & Qt::ShiftModifier)) ? Qt::Key_Backtab
                   : key == Qt::Key_Enter                                       ? Qt::Key_Return
                                                                                : key;
        EndEdit();
        return true;
    }
    if (e->modifiers() & Qt::AltModifier) return true;
    return false;
}

bool CInPlaceList::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && HandleKey(key))
            return true;
    }
    return QComboBox::event(e);
}

bool CInPlaceList::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lineEdit() && e->type() == QEvent::KeyPress &&
        HandleKey(static_cast<QKeyEvent*>(e)))
        return true;
    return QComboBox::eventFilter(watched, e);
}

void CInPlaceList::keyPressEvent(QKeyEvent* e) {
    if (HandleKey(e)) return;
    QComboBox::keyPressEvent(e);
    // Every key stays with the list, as with the line editor.
    e->accept();
}

void CInPlaceList::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) return;
    FocusLeft(QApplication::focusWidget());
}

void CInPlaceList::FocusLeft(QWidget* next) {
    // The pop-up list and the edit field are part of this editor: focus
    // moving to them is not the end of the edit.
    if (next && (next == this || isAncestorOf(next) || view()->isAncestorOf(next) ||
                 next == view() || (view()->window() && view()->window()->isAncestorOf(next))))
        return;
    if (view()->isVisible()) return;
    EndEdit();
}

void CInPlaceList::EndEdit() {
    if (ended_) return;
    ended_ = true;
    GridDispInfo info;
    info.grid = grid_;
    info.controlId = controlId_;
    info.code = kNotifyEndLabelEdit;
    info.row = row_;
    info.col = col_;
    info.mask = 5;
    // Esc, and a list closed without a choice, leave the cell's text as it was.
    if (lastKey_ == Qt::Key_Escape || (!isEditable() && currentIndex() < 0))
        info.text = initialText_;
    else
        info.text = currentText();
    info.data = lastKey_;
    const bool hadFocus = hasFocus();
    if (view()->isVisible()) hidePopup();
    if (grid_) grid_->OnEndInPlaceEdit(info);
    if (grid_ && hadFocus && hasFocus()) grid_->setFocus(Qt::OtherFocusReason);
    hide();
    deleteLater();
}

// --- CGridCellCallDialog -------------------------------------------------------

namespace {
constexpr int kInlineButtonWidth = 20;
}

CGridCellCallDialog::~CGridCellCallDialog() {
    if (button_) {
        button_->hide();
        button_->deleteLater();
    }
}

bool CGridCellCallDialog::Edit(int row, int col, QRect rect, QPoint, int controlId,
                               unsigned start) {
    if (IsEditing()) {
        if (auto* editor = dynamic_cast<CInPlaceEdit*>(CGridCell::GetEditWnd()))
            editor->SendChar(start);
        return true;
    }
    CGridCtrl* grid = GetGrid();
    if (!grid) return false;
    const QRect buttonRect(QPoint(rect.right() - kInlineButtonWidth, rect.top()),
                           QPoint(rect.right(), rect.bottom()));
    const QRect editorRect(QPoint(rect.left(), rect.top()),
                           QPoint(rect.right() - kInlineButtonWidth, rect.bottom()));
    SetEditing(true);
    if (!button_) {
        button_ = new CInlineButton(grid->viewport());
        // The button never takes the focus, so the editor stays open until
        // the click has committed its text.
        button_->setFocusPolicy(Qt::NoFocus);
        const int row0 = row, col0 = col;
        QPointer<CGridCtrl> owner(grid);
        QObject::connect(button_, &QPushButton::clicked, button_, [owner, row0, col0] {
            if (!owner) return;
            if (auto* cell = dynamic_cast<CGridCellCallDialog*>(owner->GetCell(row0, col0)))
                cell->OnButtonClicked();
        });
    }
    button_->setText(caption_);
    button_->setGeometry(gridpaint::ToPixels(buttonRect));
    button_->show();
    auto* editor =
        new CInPlaceEdit(grid, editorRect, Qt::AlignLeft, controlId, row, col, GetText(), start);
    editor->SetCompanion(button_);
    SetEditWnd(editor);
    return true;
}

void CGridCellCallDialog::EndEdit() {
    if (button_) {
        button_->hide();
        button_->deleteLater();
        button_ = nullptr;
    }
    CGridCell::EndEdit();
}

void CGridCellCallDialog::OnButtonClicked() {
    // The function may rebuild the grid and with it this cell: keep what is
    // needed, and touch the cell afterwards only through the grid.
    const std::function<void(int)> function = function_;
    const int argument = argument_;
    const std::weak_ptr<bool> alive = alive_;
    CGridCell::EndEdit();  // commits the typed text first
    if (function) function(argument);
    if (!alive.expired()) EndEdit();
}
