#include "app/panels/goodness_of_fit_form.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <cstdio>
#include <optional>

#include "app/panels/focus_out_check.h"
#include "app/widgets/ui_helpers.h"
#include "effectsize/leading_number.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "ui/grid/grid_ctrl.h"

namespace gof = effectsize::goodness_of_fit;

namespace {

constexpr const char* kCaption = "Quorix";

platform::DialogTemplate GoodnessOfFitForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = 157;
    t.width = 190;
    t.height = 244;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    using Form = CEff_CHI_GoF_Cont;
    add(kNoControlId, ControlKind::Label, "Number of cells", {5, 6, 70, 10});
    add(Form::kCellsId, ControlKind::Edit, "", {80, 4, 30, 12}, kAlignRight);
    add(Form::kSpinId, ControlKind::Area, "", {110, 4, 9, 12});
    add(Form::kGridId, ControlKind::Area, "", {5, 20, 180, 104});
    for (int column = 0; column < 2; ++column) {
        const int x = 5 + 93 * column;
        const bool h0 = column == gof::kH0;
        add(Form::kEqualValueIds[column], ControlKind::Edit, "", {x, 128, 87, 12}, kAlignRight);
        add(Form::kEqualIds[column], ControlKind::PushButton, h0 ? "Equal p(H0)" : "Equal p(H1)",
            {x, 142, 87, 14});
        add(Form::kNormalizeIds[column], ControlKind::PushButton,
            h0 ? "Normalize p(H0)" : "Normalize p(H1)", {x, 158, 87, 14});
        add(Form::kLastCellIds[column], ControlKind::PushButton, "Auto calc last cell",
            {x, 174, 87, 14});
    }
    add(kNoControlId, ControlKind::Label, "Effect size w", {12, 196, 94, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {110, 194, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 210, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {125, 210, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 226, 180, 14});
    return t;
}

QString Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return QString::fromLatin1(buffer);
}

}  // namespace

CEff_CHI_GoF_Cont::CEff_CHI_GoF_Cont(PanelHost* host)
    : CEffectSizePanel(GoodnessOfFitForm(), host) {}

CEff_CHI_GoF_Cont::~CEff_CHI_GoF_Cont() {
    if (grid_) grid_->SetOwner(nullptr);
}

void CEff_CHI_GoF_Cont::OnInitialUpdate() {
    QWidget* area = Control(kGridId);
    if (area && !grid_) {
        grid_ = new CGridCtrl(0, 0, 0, 0, area);
        grid_->Create(area->rect(), area, kGridId);
        grid_->PreSubclassWindow();
        grid_->SetOwner(this);
        grid_->SetColumnCount(3);
        grid_->SetFixedRowCount(1);
        grid_->SetFixedColumnCount(1);
        grid_->SetRowResize(false);
        grid_->SetColumnResize(false);
        // The header's font: a cell 15 pixels high at normal weight.
        QFont font(platform::StandInFamily(QStringLiteral("Lucida Sans Unicode")));
        font.setWeight(QFont::Normal);
        for (int pixels = 15; pixels > 6; --pixels) {
            font.setPixelSize(pixels);
            if (QFontMetrics(font).height() <= 15) break;
        }
        grid_->setFont(font);
        const int numberWidth = QFontMetrics(font).horizontalAdvance(QStringLiteral("Cell")) + 16;
        const int rest = grid_->GetClientRect().width() - numberWidth -
                         grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        grid_->SetColumnWidth(0, numberWidth);
        grid_->SetColumnWidth(1, rest / 2);
        grid_->SetColumnWidth(2, rest - rest / 2);
    }
    if (QWidget* spinArea = Control(kSpinId)) {
        spinUp_ = new QToolButton(spinArea);
        spinDown_ = new QToolButton(spinArea);
        spinUp_->setArrowType(Qt::UpArrow);
        spinDown_->setArrowType(Qt::DownArrow);
        const int half = spinArea->height() / 2;
        spinUp_->setGeometry(0, 0, spinArea->width(), half);
        spinDown_->setGeometry(0, half, spinArea->width(), spinArea->height() - half);
        for (QToolButton* arrow : {spinUp_, spinDown_}) arrow->setFocusPolicy(Qt::NoFocus);
        // The count changes when the button is let go, as a whole step.
        connect(spinUp_, &QToolButton::clicked, this, [this] { StepCells(1); });
        connect(spinDown_, &QToolButton::clicked, this, [this] { StepCells(-1); });
    }
    SetDlgItemLong(kCellsId, inputs_.cells);
    ShowEqualDefaults();
    WriteGrid();
    CEffectSizePanel::OnInitialUpdate();
    // Enter in the count applies it; in the other fields it calculates.
    if (QLineEdit* cells = Edit(kCellsId)) {
        disconnect(cells, &QLineEdit::returnPressed, this, nullptr);
        connect(cells, &QLineEdit::returnPressed, this, [this] { ApplyCellCount(); });
    }
    // Leaving the count holds it to 2..50 and applies it, so that the grid
    // never shows another number of cells than the field.
    auto* leave = new FocusOutCheck(this, [this](QLineEdit* edit) {
        ApplyCellCount();
        // A refused count has taken the focus back (a refused cell takes it
        // to the grid).
        return !edit->hasFocus();
    });
    leave->Watch(Edit(kCellsId));
    initialised_ = true;
}

std::optional<int> CEff_CHI_GoF_Cont::TypedCellCount() const {
    const std::string text = GetDlgItemString(kCellsId);
    double value = 0.0;
    if (!effectsize::ReadWholeNumber(text, &value)) return std::nullopt;
    return gof::ClampCells(effectsize::ReadLeadingInt(text));
}

void CEff_CHI_GoF_Cont::ShowEqualDefaults() {
    // A count that is no number leaves the values as they are.
    const std::optional<int> k = TypedCellCount();
    if (!k) return;
    for (int id : kEqualValueIds) SetDlgItemString(id, Format("%g", 1.0 / *k).toStdString());
}

void CEff_CHI_GoF_Cont::ReadGrid() {
    if (!grid_) return;
    for (int i = 0; i < inputs_.cells && i + 1 < grid_->GetRowCount(); ++i) {
        for (int column : {gof::kH0, gof::kH1}) {
            const QString text = grid_->GetItemText(i + 1, column + 1);
            inputs_.column(column)[static_cast<size_t>(i)] =
                effectsize::ReadLeadingNumber(text.toStdString());
        }
    }
}

void CEff_CHI_GoF_Cont::WriteGrid(bool writeLast0, bool writeLast1) {
    if (grid_) {
        const int k = inputs_.cells;
        grid_->SetRowCount(k + 1);
        grid_->SetItemText(0, 0, QStringLiteral("Cell"));
        grid_->SetItemText(0, 1, QStringLiteral("p(H0)"));
        grid_->SetItemText(0, 2, QStringLiteral("p(H1)"));
        const bool writeLast[2] = {writeLast0, writeLast1};
        for (int i = 0; i < k; ++i) {
            grid_->SetItemText(i + 1, 0, QString::number(i + 1));
            for (int column : {gof::kH0, gof::kH1}) {
                if (i == k - 1 && !writeLast[column]) continue;
                grid_->SetItemText(i + 1, column + 1,
                                   Format("%.7g", inputs_.column(column)[static_cast<size_t>(i)]));
                grid_->SetItemFormat(i + 1, column + 1, kFmtRight | kFmtVCenter | kFmtSingleLine);
            }
        }
        grid_->Refresh();
    }
    MarkResultUnknown();
}

bool CEff_CHI_GoF_Cont::ApplyCellCount(bool report) {
    if (!initialised_) return true;
    const std::optional<int> typed = TypedCellCount();
    if (!typed) {
        if (report) {
            ShowFieldError(kCellsId, effectsize::kNotANumberMessage);
        } else {
            SetDlgItemLong(kCellsId, inputs_.cells);
        }
        return false;
    }
    const int k = *typed;
    if (k != inputs_.cells) {
        bool refused = false;
        for (int row = 1; !refused && row <= inputs_.cells; ++row)
            refused = CellIsNoNumber(row, 1) || CellIsNoNumber(row, 2);
        if (refused) {
            // The field goes back first: the report moves the focus away
            // from it, and leaving it applies its count again.
            SetDlgItemLong(kCellsId, inputs_.cells);
            ShowEqualDefaults();
            if (report) RefuseCellThatIsNoNumber();
            return false;
        }
    }
    if (GetDlgItemString(kCellsId) != std::to_string(k)) {
        SetDlgItemLong(kCellsId, k);
        ShowEqualDefaults();
    }
    if (k == inputs_.cells) return true;
    ReadGrid();
    gof::ApplyCellCount(&inputs_, k);
    WriteGrid();
    ModeState();
    return true;
}

bool CEff_CHI_GoF_Cont::CellIsNoNumber(int row, int column) const {
    if (!grid_ || row >= grid_->GetRowCount()) return false;
    double value = 0.0;
    return !effectsize::ReadWholeNumber(grid_->GetItemText(row, column).toStdString(), &value);
}

bool CEff_CHI_GoF_Cont::RefuseCellThatIsNoNumber(int skipColumn, int rows) {
    // A cell that is not one number (a decimal comma, a word) is refused
    // rather than read as the number it starts with.
    if (rows < 0) rows = inputs_.cells;
    for (int row = 1; grid_ && row <= rows && row < grid_->GetRowCount(); ++row) {
        for (int column = 1; column <= 2; ++column) {
            if (column == skipColumn || !CellIsNoNumber(row, column)) continue;
            FocusCells(row, column, column);
            platform::ShowMessage(window(), QString::fromLatin1(effectsize::kNotANumberMessage),
                                  QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
            FocusAfterMessage(grid_);
            return true;
        }
    }
    return false;
}

void CEff_CHI_GoF_Cont::StepCells(int step) {
    const std::optional<int> now = TypedCellCount();
    if (!now) {
        ShowFieldError(kCellsId, effectsize::kNotANumberMessage);
        return;
    }
    SetDlgItemLong(kCellsId, gof::ClampCells(*now + step));
    ShowEqualDefaults();
    MarkResultUnknown();
    ApplyCellCount();
}

void CEff_CHI_GoF_Cont::ModeState() {
    if (!grid_) return;
    const int k = inputs_.cells;
    const QColor text = grid_->SysColor(CGridCtrl::kSysWindowText);
    for (int row = 1; row <= k; ++row) {
        for (int column = 1; column <= 2; ++column) {
            const bool computed = inputs_.inputMode == gof::kLastCellComputed && row == k;
            const unsigned state = grid_->GetItemState(row, column);
            grid_->SetItemState(row, column,
                                computed ? state | kCellReadOnly : state & ~kCellReadOnly);
            grid_->SetItemTextColour(row, column, text);
        }
    }
    if (inputs_.inputMode == gof::kLastCellComputed) {
        LastCellUpdate();
    } else {
        WriteGrid();
    }
}

void CEff_CHI_GoF_Cont::LastCellUpdate() {
    ReadGrid();
    const gof::LastCells last = gof::UpdateLastCells(&inputs_);
    WriteGrid(last.fits[gof::kH0], last.fits[gof::kH1]);
    if (!grid_) return;
    const int row = inputs_.cells;
    for (int column : {gof::kH0, gof::kH1}) {
        if (last.fits[column]) {
            grid_->SetItemText(
                row, column + 1,
                Format("%.6g", inputs_.column(column)[static_cast<size_t>(row - 1)]));
            grid_->SetItemTextColour(row, column + 1, grid_->SysColor(CGridCtrl::kSysWindowText));
        } else {
            grid_->SetItemText(row, column + 1, QString::fromLatin1(gof::kSumExceededText));
            grid_->SetItemTextColour(row, column + 1, QColor(Qt::red));
        }
    }
    grid_->Refresh();
}

gof::Inputs CEff_CHI_GoF_Cont::Inputs() {
    ReadGrid();
    return inputs_;
}

long CEff_CHI_GoF_Cont::OnGridNotify(const GridNotify& note) {
    if (note.code == kNotifyEndLabelEdit) {
        // The grid holds the new text already; the last-cell mode recomputes
        // the last row from the others, unless one of them is no number.
        if (inputs_.inputMode == gof::kLastCellComputed &&
            !RefuseCellThatIsNoNumber(-1, inputs_.cells - 1))
            LastCellUpdate();
        MarkResultUnknown();
    }
    return 0;
}

void CEff_CHI_GoF_Cont::FocusCells(int row, int firstColumn, int lastColumn) {
    if (!grid_) return;
    grid_->setFocus(Qt::OtherFocusReason);
    grid_->SetFocusCell(row, firstColumn);
    grid_->SetSelectedRange(row, firstColumn, row, lastColumn, true);
    grid_->EnsureVisible(row, firstColumn);
}

void CEff_CHI_GoF_Cont::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::TextEdited && id == kCellsId) {
        ShowEqualDefaults();
        MarkResultUnknown();
        return;
    }
    if (event == platform::ControlEvent::Clicked) {
        for (int column : {gof::kH0, gof::kH1}) {
            if (id == kEqualIds[column]) {
                double value = 0.0;
                if (!effectsize::ReadWholeNumber(GetDlgItemString(kEqualValueIds[column]),
                                                 &value)) {
                    ShowFieldError(kEqualValueIds[column], effectsize::kNotANumberMessage);
                    return;
                }
                // The column's own cells all take the value; the other
                // column is read and written back.
                if (RefuseCellThatIsNoNumber(column + 1)) return;
                ReadGrid();
                gof::SetEqual(&inputs_, column, value);
                WriteGrid();
                return;
            }
            if (id == kNormalizeIds[column] || id == kLastCellIds[column]) {
                if (RefuseCellThatIsNoNumber()) return;
                ReadGrid();
                const auto message = id == kNormalizeIds[column]
                                         ? gof::Normalize(&inputs_, column)
                                         : gof::AutoCalcLastCell(&inputs_, column);
                WriteGrid();
                if (message)
                    platform::ShowMessage(window(), ToDisplayLabel(*message),
                                          QString::fromLatin1(kCaption),
                                          platform::MessageIcon::Warning);
                return;
            }
        }
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_CHI_GoF_Cont::CalculateEffectSize(double* effect) {
    if (!ApplyCellCount() || RefuseCellThatIsNoNumber()) return false;
    ReadGrid();
    if (const auto error = gof::Check(inputs_)) {
        const int row = gof::RowOf(error->field) + 1;
        const int column = gof::ColumnOf(error->field) + 1;
        // A negative p(H1) selects both probabilities of its row.
        const bool wholeRow = error->message == gof::kP1NegativeMessage;
        FocusCells(row, wholeRow ? 1 : column, wholeRow ? 2 : column);
        platform::ShowMessage(window(), ToDisplayLabel(error->message),
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        if (grid_) FocusAfterMessage(grid_);
        return false;
    }
    *effect = gof::ComputeW(&inputs_);
    WriteGrid();
    return true;
}

bool CEff_CHI_GoF_Cont::SaveInputs(PropertyList* store) {
    // Closing shows no message: a count that a cell keeps from applying is
    // dropped, and a cell that is no number is kept as typed.
    ApplyCellCount(false);
    ReadGrid();
    gof::Save(inputs_, store);
    for (int row = 1; grid_ && row <= inputs_.cells && row < grid_->GetRowCount(); ++row) {
        for (int column : {gof::kH0, gof::kH1})
            gof::SaveTypedCell(store, row - 1, column,
                               grid_->GetItemText(row, column + 1).toStdString());
    }
    return true;
}

bool CEff_CHI_GoF_Cont::RestoreInputs(PropertyList* store) {
    gof::Restore(store, &inputs_);
    SetDlgItemLong(kCellsId, inputs_.cells);
    ShowEqualDefaults();
    WriteGrid();
    ModeState();
    // Cells left as text that is no number come back as typed.
    if (grid_) {
        for (int row = 1; row <= inputs_.cells && row < grid_->GetRowCount(); ++row) {
            for (int column : {gof::kH0, gof::kH1}) {
                if (const auto text = gof::TypedCell(store, row - 1, column))
                    grid_->SetItemText(row, column + 1, QString::fromStdString(*text));
            }
        }
        grid_->Refresh();
    }
    return true;
}
