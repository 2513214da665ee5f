#include "app/matrix/mat_in_views.h"

#include <algorithm>

namespace {

// The DrawText format of appended variable columns: single line, centred.
constexpr unsigned kNewColumnFormat = kFmtCenter | kFmtVCenter | kFmtSingleLine;

// A means-type grid of `rows` x `cols` from the record: its column labels
// (else Numbered(colPattern)), its cell texts (else `fill`).
TextArray MeansTexts(const LabeledMatrix* record, int rows, int cols, const wchar_t* corner,
                     const wchar_t* rowPattern, const wchar_t* colPattern, const wchar_t* fill) {
    TextArray texts(rows + 1, cols + 1);
    texts(0, 0) = corner;
    for (int k = 1; k <= cols; ++k) {
        const bool labelled = record && k - 1 < record->colLabels.cols() &&
                              record->colLabels.rows() > 0 && !record->colLabels(0, k - 1).empty();
        texts(0, k) = labelled ? record->colLabels(0, k - 1) : Numbered(colPattern, k);
    }
    for (int r = 1; r <= rows; ++r) {
        texts(r, 0) = Numbered(rowPattern, r);
        for (int k = 1; k <= cols; ++k) {
            const bool held =
                record && r - 1 < record->cells.rows() && k - 1 < record->cells.cols();
            texts(r, k) = held ? record->cells(r - 1, k - 1) : fill;
        }
    }
    return texts;
}

}  // namespace

// ------------------------------------------------------------ means grid

void CMatInMeansView::Bind(const LabeledMatrix* record, int groups, int responses) {
    record_ = record;
    groups_ = std::max(groups, 1);
    responses_ = std::max(responses, 1);
}

void CMatInMeansView::InitGrid() {
    CGridCtrl* grid = Grid();
    grid->SetFixedRowCount(0);
    grid->SetFixedColumnCount(1);
    SetGridSwitches();
    WriteTexts(
        MeansTexts(record_, groups_, responses_, L"groups\\means", L"group %d", L"Y %d", L"0"));
    grid->SetColumnWidth(0, 100);
    FormatGrid();
    grid->AutoSizeColumns();
    grid->Refresh();
}

void CMatInMeansView::SetResponseCount(int count) {
    TextArray texts = Texts();
    const int old = texts.cols();
    SetVariableCount(texts, count, L"Y %d");
    WriteTexts(texts);
    FormatGrid();
    for (int k = old; k < texts.cols(); ++k) Grid()->SetItemFormat(0, k, kNewColumnFormat);
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

TextArray CMatInMeansView::Texts() const {
    TextArray texts;
    ReadTexts(texts);
    return texts;
}

// ------------------------------------------------ predictor-outcome grid

void CMatInPredYCorrView::Bind(const LabeledMatrix* record, int predictors) {
    record_ = record;
    predictors_ = std::max(predictors, 1);
}

void CMatInPredYCorrView::InitGrid() {
    CGridCtrl* grid = Grid();
    grid->SetFixedRowCount(0);
    grid->SetFixedColumnCount(1);
    SetGridSwitches();
    TextArray texts = MeansTexts(record_, 1, predictors_, L"predictor", L"", L"P %d", L"0");
    texts(1, 0) = L"corr with outcome Y";
    // Values a panel handed over without texts are shown with two digits.
    if (record_ && record_->cells.empty())
        for (int k = 1; k <= predictors_ && k - 1 < record_->values.cols(); ++k)
            if (record_->values.rows() > 0)
                texts(1, k) = FormatNumber(record_->values(0, k - 1), L"%.2lg");
    WriteTexts(texts);
    grid->SetColumnWidth(0, 100);
    FormatGrid();
    grid->AutoSizeColumns();
    grid->Refresh();
}

void CMatInPredYCorrView::SetPredictorCount(int count) {
    TextArray texts = Texts();
    const int old = texts.cols();
    SetVariableCount(texts, count, L"P %d");
    WriteTexts(texts);
    FormatGrid();
    for (int k = old; k < texts.cols(); ++k) Grid()->SetItemFormat(0, k, kNewColumnFormat);
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

TextArray CMatInPredYCorrView::Texts() const {
    TextArray texts;
    ReadTexts(texts);
    return texts;
}

std::optional<GridProblem> CMatInPredYCorrView::ValidateMatrix() const {
    return ValidatePredictorOutcome(Texts());
}

long CMatInPredYCorrView::OnGridNotify(const GridNotify& note) {
    if (note.code != kNotifyEndLabelEdit) return 0;
    if (note.row >= 1 && note.col >= 1) {
        const double value = EvaluateCellText(Trimmed(CellText(note.row, note.col)));
        if (value < -1.0) SetCellText(note.row, note.col, L"-1");
        if (value > 1.0) SetCellText(note.row, note.col, L"1");
    }
    Grid()->AutoSizeColumn(note.col);
    Grid()->Refresh();
    return 0;
}

// ------------------------------------------- repeated-measures means grid

void CMatInRMMMeansView::Bind(LabeledMatrix* means, LabeledMatrix* weights, int groups,
                              int measurements) {
    means_ = means;
    weights_ = weights;
    groups_ = std::max(groups, 1);
    measurements_ = std::max(measurements, 1);
}

void CMatInRMMMeansView::InitGrid() {
    static const LabeledMatrix kNone;
    CGridCtrl* grid = Grid();
    grid->SetFixedRowCount(0);
    grid->SetFixedColumnCount(1);
    grid->SetSingleRowSelection(true);
    grid->SetSingleColSelection(true);
    grid->SetColumnResize(true);
    grid_.Show(groups_, measurements_, means_ ? *means_ : kNone, weights_ ? *weights_ : kNone);
    Show();
    grid->SetColumnWidth(0, 100);
    grid->AutoSizeColumns();
}

void CMatInRMMMeansView::Show() {
    WriteTexts(grid_.texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatInRMMMeansView::FormatGrid() {
    CGridCtrl* grid = Grid();
    const int rows = grid->GetRowCount(), cols = grid->GetColumnCount();
    const int weight = cols - 1;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const unsigned state = grid->GetItemState(r, c);
            const bool fixedText = (r == 0 && c == 0) || (r == 0 && c == weight);
            if (r == 0 || c == 0) {
                StyleHeaderCell(r, c);
                grid->SetItemBkColour(r, c, fixedText || c == 0 ? FixedBack() : kMatrixLabelBack);
                grid->SetItemState(r, c,
                                   fixedText ? state | kCellReadOnly : state & ~kCellReadOnly);
            } else if (c == weight) {
                StyleHeaderCell(r, c);
                grid->SetItemBkColour(r, c, kMatrixLabelBack);
                grid->SetItemState(r, c, state & ~kCellReadOnly);
            } else {
                grid->SetItemFormat(r, c, kMatrixHeaderFormat);
                grid->SetItemBkColour(r, c, Qt::white);
                grid->SetItemState(r, c, state & ~kCellReadOnly);
            }
        }
}

void CMatInRMMMeansView::Resize(int groups, int measurements) {
    ReadTexts(grid_.texts);
    StoreRecords();
    groups_ = std::max(groups, 1);
    measurements_ = std::max(measurements, 1);
    static const LabeledMatrix kNone;
    grid_.Show(groups_, measurements_, means_ ? *means_ : kNone, weights_ ? *weights_ : kNone);
    Show();
}

void CMatInRMMMeansView::StoreRecords() {
    ReadTexts(grid_.texts);
    LabeledMatrix scratchMeans, scratchWeights;
    grid_.Store(means_ ? *means_ : scratchMeans, weights_ ? *weights_ : scratchWeights);
}

TextArray CMatInRMMMeansView::Texts() const {
    TextArray texts;
    ReadTexts(texts);
    return texts;
}

long CMatInRMMMeansView::OnGridNotify(const GridNotify& note) {
    if (note.code == kNotifyEndLabelEdit) {
        Grid()->AutoSizeColumn(note.col);
        Grid()->Refresh();
    }
    return 0;
}

// ------------------------------------------------ predictor correlations

void CMatInCorrView::InitGrid() {
    // The record's texts, so that what was typed comes back as typed.
    TextArray texts;
    RecordToGrid(record_ ? *record_ : LabeledMatrix(), texts, L"Corr", L"Y %d", L"Y %d");
    SetupGrid(texts.rows(), texts.cols(), L"Corr", L"Y %d", L"Y %d");
    WriteTexts(texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatInCorrView::FormatGrid() {
    CGridCtrl* grid = Grid();
    const int n = grid->GetRowCount();
    for (int i = 0; i < n; ++i) {
        StyleHeaderCell(i, 0);
        StyleHeaderCell(0, i);
    }
    for (int r = 1; r < n; ++r)
        for (int k = 1; k < grid->GetColumnCount(); ++k) {
            const unsigned state = grid->GetItemState(r, k);
            const bool typed = r > k;
            grid->SetItemFormat(r, k, kMatrixHeaderFormat);
            grid->SetItemBkColour(r, k, typed ? QColor(Qt::white) : FixedBack());
            grid->SetItemState(r, k, typed ? state & ~kCellReadOnly : state | kCellReadOnly);
        }
}

void CMatInCorrView::SetPredictorLabels(const CMatInPredYCorrView& predictors) {
    TextArray texts = Texts();
    ReshapeSquare(texts, HeaderNames(predictors.Texts()), SquareFill::kCorrelation);
    WriteTexts(texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

TextArray CMatInCorrView::Texts() const {
    TextArray texts;
    ReadTexts(texts);
    return texts;
}

std::optional<GridProblem> CMatInCorrView::ValidateMatrix() {
    return ValidatePredictorCorrelations(Texts(), &variables_);
}

long CMatInCorrView::OnGridNotify(const GridNotify& note) {
    if (note.code != kNotifyEndLabelEdit || note.row < 1 || note.col < 1) return 0;
    const double value =
        std::clamp(EvaluateCellText(Trimmed(CellText(note.row, note.col)), &variables_), -1.0, 1.0);
    const std::wstring text = FormatNumber(value, L"%g");
    SetCellText(note.row, note.col, text);
    SetCellText(note.col, note.row, text);
    Grid()->AutoSizeColumn(note.col);
    Grid()->AutoSizeColumn(note.row);
    Grid()->Refresh();
    return 0;
}

// ------------------------------------------------------- covariance grid

void CMatInSigmaView::InitGrid() {
    const bool covariances = !pattern_ || pattern_->covarianceMode;
    const std::wstring corner = covariances ? L"Covariance" : L"SD and corr";
    // The record's texts, so that a formula comes back as typed.
    TextArray texts;
    RecordToGrid(record_ ? *record_ : LabeledMatrix(), texts, corner, L"Y %d", L"Y %d");
    SetupGrid(texts.rows(), texts.cols(), corner, L"Y %d", L"Y %d");
    WriteTexts(texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}

void CMatInSigmaView::SetVariableLabels(const TextArray& means, int variables) {
    TextArray texts = Texts();
    const SigmaPattern fallback;
    const SigmaPattern& p = pattern_ ? *pattern_ : fallback;
    ReshapeSquare(texts, HeaderNames(means, variables), SquareFill::kPattern, p.patternValue,
                  p.firstOrderAutocorr);
    SetTexts(texts);
}

void CMatInSigmaView::SetVariableLabels(const CMatInMeansView& means) {
    SetVariableLabels(means.Texts(), -1);
}

void CMatInRMMSigmaView::SetVariableLabels(const CMatInRMMMeansView& means) {
    const TextArray texts = means.Texts();
    CMatInSigmaView::SetVariableLabels(texts, texts.cols() - 2);
}

TextArray CMatInSigmaView::Texts() const {
    TextArray texts;
    ReadTexts(texts);
    return texts;
}

void CMatInSigmaView::SetTexts(const TextArray& texts) {
    WriteTexts(texts);
    FormatGrid();
    Grid()->AutoSizeColumns();
    Grid()->Refresh();
}
