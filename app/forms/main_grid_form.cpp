#include "app/forms/main_grid_form.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstdio>

#include "analysis/property.h"
#include "app/forms/form_host.h"
#include "app/widgets/ui_helpers.h"
#include "platform/fonts.h"
#include "ui/grid/grid_cell_types.h"

using platform::ControlKind;
using platform::ControlSpec;
using platform::DialogRect;
using platform::kNoControlId;

platform::DialogTemplate MainGridFormTemplate() {
    platform::DialogTemplate t;
    t.id = 130;
    t.fontFamily = "Lucida Sans Unicode";
    t.pointSize = 8.0;
    t.width = 345;
    t.height = 151;
    auto add = [&t](int id, ControlKind kind, const char* caption, DialogRect rect) {
        t.controls.push_back(ControlSpec{id, kind, caption, rect, platform::kStyleNone, {}});
    };
    add(kNoControlId, ControlKind::GroupBox, "Input Parameters", {4, 2, 167, 148});
    add(CQuorixMainForm::kInputGridId, ControlKind::Area, "", {9, 12, 157, 133});
    add(kNoControlId, ControlKind::GroupBox, "Output Parameters  ", {174, 2, 167, 148});
    add(CQuorixMainForm::kOutputGridId, ControlKind::Area, "", {179, 12, 157, 133});
    return t;
}

CQuorixMainForm::CQuorixMainForm(FormHost* host)
    : CFormViewEx(MainGridFormTemplate()), frame_(host) {}

CQuorixMainForm::~CQuorixMainForm() {
    // The grids die with the widget base, after this form's own part: an
    // edit still open then must not report to a form that is gone.
    if (inputGrid_) inputGrid_->SetOwnerForm(nullptr);
}

void CQuorixMainForm::OnInitialUpdate() {
    // Each grid fills the area its table row reserves, framed as a control of a form.
    QWidget* inputArea = Control(kInputGridId);
    QWidget* outputArea = Control(kOutputGridId);
    if (!inputArea || !outputArea) return;
    if (!inputGrid_) {
        inputGrid_ = new IGridCtrl(inputArea);
        inputGrid_->Create(inputArea->rect(), inputArea, kInputGridId);
        inputGrid_->PreSubclassWindow();
    }
    if (!outputGrid_) {
        outputGrid_ = new CGridCtrl(0, 0, 0, 0, outputArea);
        outputGrid_->Create(outputArea->rect(), outputArea, kOutputGridId);
        outputGrid_->PreSubclassWindow();
    }
    inputGrid_->SetOwnerForm(this);
    inputGrid_->SetEditable(true);
    outputGrid_->SetEditable(false);
    SetUpGrid(inputGrid_);
    SetUpGrid(outputGrid_);
}

void CQuorixMainForm::SetUpGrid(CGridCtrl* grid) {
    grid->SetColumnCount(2);
    grid->SetRowCount(kRowCount);
    grid->SetFixedRowCount(0);
    grid->SetFixedColumnCount(1);
    grid->SetColumnWidth(0, 150);
    grid->SetListMode(true);
    // The layout is fixed: no resizing with the mouse. A range of rows may be
    // selected (with the mouse, or Shift and the arrows) and copied whole.
    grid->SetRowResize(false);
    grid->SetColumnResize(false);
    grid->SetSingleRowSelection(false);
    grid->SetSingleColSelection(false);
    grid->ExpandToFit();
    grid->ExpandRowsToFit();

    grid->ClearCells(0, 0, kRowCount - 1, 1);
    const QColor window = grid->SysColor(CGridCtrl::kSysWindow);
    const QColor labelBack(static_cast<int>(window.red() * 0.95),
                           static_cast<int>(window.green() * 0.95),
                           static_cast<int>(window.blue() * 0.95));
    // The design asks for a font whose cell (ascent plus descent) is 15
    // pixels high: the largest pixel size of the stand-in family that fits.
    QFont font(platform::StandInFamily(QStringLiteral("Lucida Sans Unicode")));
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    for (int pixels = 15; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 15) break;
    }
    cellFont_ = font;
    for (int row = 0; row < kRowCount; ++row) {
        grid->SetItemBkColour(row, 0, labelBack);
        grid->SetItemFont(row, 0, font);
        grid->SetItemFont(row, 1, font);
        grid->SetItemFormat(row, 0, kFmtRight | kFmtVCenter | kFmtSingleLine);
        grid->SetItemFormat(row, 1, kFmtLeft | kFmtVCenter | kFmtSingleLine);
    }
}

void CQuorixMainForm::ClearGrid(CGridCtrl* grid) {
    for (int row = 0; row < grid->GetRowCount(); ++row)
        for (int col = 0; col < 2; ++col) {
            grid->SetCellType(row, col, CellClassOf<CGridCell>());
            grid->SetItemText(row, col, QString());
        }
    grid->Refresh();
}

void CQuorixMainForm::ShowParameter(CGridCtrl* grid, int row, Property* property) {
    if (!property || row >= grid->GetRowCount()) return;
    for (int col = 0; col < 2; ++col) {
        grid->SetCellType(row, col, CellClassOf<CGridCell>());
        grid->SetItemText(row, col, QString());
    }
    grid->Refresh();
    grid->SetItemText(row, 0, ToDisplayLabel(property->name));

    switch (property->GetType()) {
        case Property::kSelection: {
            auto* selection = static_cast<PropertySelection*>(property);
            grid->SetCellType(row, 1, CellClassOf<CGridCellCombo>());
            auto* cell = dynamic_cast<CGridCellCombo*>(grid->GetCell(row, 1));
            if (!cell) return;
            QStringList options;
            for (const std::string& option : selection->options) options << ToDisplayLabel(option);
            const bool hasChoice = selection->GetOptionCount() > 0 && selection->index >= 0 &&
                                   selection->index < selection->GetOptionCount();
            cell->SetText(hasChoice ? ToDisplayLabel(selection->GetSelectedText()) : QString());
            cell->SetOptions(options);
            cell->SetStyle(kComboDropDownList);
            break;
        }
        case Property::kExDouble: {
            const int panelId = static_cast<PropertyExDouble*>(property)->testId;
            effectSizePanelId_ = panelId;
            effectSizeRow_ = row;
            grid->SetCellType(row, 1, CellClassOf<CGridCell>());
            grid->SetItemText(row, 1, QString());
            grid->SetCellType(row, 1, CellClassOf<CGridCellCallDialog>());
            auto* cell = dynamic_cast<CGridCellCallDialog*>(grid->GetCell(row, 1));
            if (!cell) return;
            cell->SetButtonText(QStringLiteral("..."));
            FormHost* frame = frame_;
            cell->SetFunction(
                [frame](int id) {
                    if (frame) frame->DetermineEffectSize(id);
                },
                panelId);
            cell->SetText(ToWideString(property->text));
            break;
        }
        default:
            grid->SetItemText(row, 1, ToWideString(property->text));
            break;
    }
}

void CQuorixMainForm::FitLabelColumn(CGridCtrl* grid) {
    // The stand-in fonts are wider than the design's. The label column grows
    // to its longest label (up to three quarters of the grid) but leaves the
    // value column room for its widest value, because a cut number reads as
    // another number; a label still too long for its column is drawn smaller.
    // A cell needs its text, a margin on each side and the raised edges.
    auto needed = [](CGridCellBase* cell) {
        const int margin = static_cast<int>(cell->GetMargin());
        return cell->GetTextExtent(cell->GetText()).width() - 2 * margin + 2;
    };
    int widestLabel = 0;
    int widestValue = 0;
    for (int row = 0; row < grid->GetRowCount(); ++row) {
        // A label drawn smaller for an earlier list gets the grid's font back.
        grid->SetItemFont(row, 0, cellFont_);
        if (CGridCellBase* label = grid->GetCell(row, 0); label && !label->GetText().isEmpty())
            widestLabel = std::max(widestLabel, needed(label));
        if (CGridCellBase* value = grid->GetCell(row, 1); value && !value->GetText().isEmpty())
            widestValue = std::max(widestValue, needed(value));
    }
    const int client = grid->GetClientRect().width();
    int width = std::max(grid->GetColumnWidth(0), std::min(widestLabel, client * 3 / 4));
    width = std::max(1, std::min(width, client - widestValue));
    grid->SetColumnWidth(0, width);
    grid->SetColumnWidth(1, std::max(1, client - width));
    for (int row = 0; row < grid->GetRowCount(); ++row) {
        CGridCellBase* label = grid->GetCell(row, 0);
        if (!label || label->GetText().isEmpty()) continue;
        QFont smaller = cellFont_;
        while (needed(label) > width && smaller.pixelSize() > 8) {
            smaller.setPixelSize(smaller.pixelSize() - 1);
            grid->SetItemFont(row, 0, smaller);
        }
    }
    grid->Refresh();
}

void CQuorixMainForm::SetInputs(PropertyList* inputs) {
    if (!inputGrid_) return;
    // Replacing a cell ends an edit still open in it (the Tests menu leaves
    // one open). That text belongs to the list being replaced: the frame must
    // not read this half-rebuilt grid into the new list.
    replacingInputs_ = true;
    ClearGrid(inputGrid_);
    effectSizePanelId_ = -1;
    effectSizeRow_ = -1;
    if (inputs) {
        for (int i = 0; i < static_cast<int>(inputs->size()); ++i)
            ShowParameter(inputGrid_, i, (*inputs)[i]);
        FitLabelColumn(inputGrid_);
    }
    replacingInputs_ = false;
}

void CQuorixMainForm::SetOutputs(PropertyList* outputs) {
    if (!outputGrid_) return;
    ClearGrid(outputGrid_);
    if (!outputs) return;
    for (int i = 0; i < static_cast<int>(outputs->size()); ++i)
        ShowParameter(outputGrid_, i, (*outputs)[i]);
    FitLabelColumn(outputGrid_);
}

void CQuorixMainForm::ClearOutputs(PropertyList* outputs) {
    if (!outputGrid_ || !outputs) return;
    const int count = std::min(static_cast<int>(outputs->size()), outputGrid_->GetRowCount());
    for (int row = 0; row < count; ++row) outputGrid_->SetItemText(row, 1, QString());
    outputGrid_->update();
}

void CQuorixMainForm::GetInputs(PropertyList* inputs) {
    if (!inputGrid_ || !inputs) return;
    // A cell still being edited holds its new text only once the edit ends.
    inputGrid_->EndEditing();
    const int count = std::min(static_cast<int>(inputs->size()), inputGrid_->GetRowCount());
    for (int i = 0; i < count; ++i) {
        Property* property = (*inputs)[i];
        const QString text = inputGrid_->GetItemText(i, 1);
        if (property->GetType() == Property::kSelection) {
            auto* selection = static_cast<PropertySelection*>(property);
            if (selection->GetOptionCount() == 0) continue;
            int chosen = 0;
            for (int k = 0; k < selection->GetOptionCount(); ++k)
                if (ToDisplayLabel(selection->options[static_cast<size_t>(k)]) == text) {
                    chosen = k;
                    break;
                }
            selection->SetIndex(chosen);
        } else {
            property->SetText(ToNarrowString(text));
        }
    }
}

void CQuorixMainForm::MarkInvalidInput(int index) {
    if (!inputGrid_) return;
    inputGrid_->SetFocusCell(index, 1);
    inputGrid_->SetSelectedRange(index, 1, index, 1, false, true);
}

void CQuorixMainForm::SetEffectSizeValue(double value) {
    if (!inputGrid_ || effectSizeRow_ < 0) return;
    char text[64];
    std::snprintf(text, sizeof text, "%.7f", value);
    inputGrid_->SetItemText(effectSizeRow_, 1, QString::fromLatin1(text));
    inputGrid_->RedrawCell(effectSizeRow_, 1);
}

void CQuorixMainForm::OnInputChange() {
    if (frame_ && !replacingInputs_) frame_->OnInputsChanged();
}

void CQuorixMainForm::OnInputCommitted() {
    if (frame_ && !replacingInputs_) frame_->OnInputCommitted();
}
