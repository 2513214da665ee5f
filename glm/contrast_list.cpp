#include "glm/contrast_list.h"

#include <algorithm>
#include <cmath>

void NormalizeContrastLine(Matrix& values, int line, int mode, const Matrix& weights) {
    if (line < 0 || line >= values.rows()) return;
    if (mode != kNormalizeToOne && mode != kNormalizeRelFreq) return;
    const int n = values.cols();
    // The weight of coefficient i; a design with fewer cells than the line
    // has coefficients gives the missing positions equal weight.
    auto weight = [&](int i) {
        if (mode != kNormalizeRelFreq) return 1.0;
        return i < weights.rows() && weights.cols() > 0 ? weights(i, 0) : 1.0;
    };
    double positive = 0.0, negative = 0.0;
    for (int i = 0; i < n; ++i) {
        if (values(line, i) > 0.0) positive += weight(i);
        if (values(line, i) < 0.0) negative += weight(i);
    }
    const double up = negative == 0.0 ? 1.0 : negative;
    const double down = positive == 0.0 ? 1.0 : positive;
    double squares = 0.0;
    for (int i = 0; i < n; ++i) {
        double& x = values(line, i);
        if (x > 0.0) x = up * weight(i);
        if (x < 0.0) x = -down * weight(i);
        squares += x * x;
    }
    // A line without a non-zero coefficient has no length: it stays zero
    // instead of becoming 0/0.
    if (!(squares > 0.0)) return;
    const double length = std::sqrt(squares);
    for (int i = 0; i < n; ++i) values(line, i) /= length;
}

ContrastGrid::ContrastGrid(ContrastKind kind) : kind_(kind) {
    if (kind == ContrastKind::kVariables)
        normalizeOptions = {L"no", L"to one"};
    else
        normalizeOptions = {L"no", L"to one", L"rel.freq"};
}

std::wstring ContrastGrid::CoefficientHeader(int column) const {
    return Numbered(kind_ == ContrastKind::kVariables ? L"var %d" : L"pred %d",
                    column - kFirstCoefficient + 1);
}

void ContrastGrid::Init(int count) {
    const int n = std::max(count, 0) + 4;
    texts.Resize(n, n);
    useFlags.assign(n, true);
    normalizeModes.assign(n, 0);
    removed_.Forget();
    texts(0, 0) = L"line";
    for (int r = 1; r < n; ++r) texts(r, 0) = Numbered(L"  %d", r);
    texts(0, kLabelColumn) = L"label";
    texts(0, kUseColumn) = L"use";
    texts(0, kNormalizeColumn) = L"normalize";
    for (int k = kFirstCoefficient; k < n; ++k) texts(0, k) = CoefficientHeader(k);
    texts(1, kLabelColumn) = L"Contrast 1";
    for (int r = 1; r <= 2 && r < n; ++r)
        for (int k = kFirstCoefficient; k < n; ++k) texts(r, k) = L"0";
    // The first variable against the second, and against the third.
    auto set = [&](int r, int k, const wchar_t* text) {
        if (r < n && k < n) texts(r, k) = text;
    };
    set(1, 4, L"1");
    set(1, 5, L"-1");
    set(2, 4, L"1");
    set(2, 6, L"-1");
    RefreshDerivedColumns();
}

bool ContrastGrid::IsLabelled(int row) const {
    if (row < 1 || row >= Rows() || Cols() <= kLabelColumn) return false;
    return !Trimmed(texts(row, kLabelColumn)).empty();
}

bool ContrastGrid::HasNoCoefficients(int row) const {
    if (row < 0 || row >= Rows()) return true;
    for (int k = kFirstCoefficient; k < Cols(); ++k)
        if (!Trimmed(texts(row, k)).empty()) return false;
    return true;
}

int ContrastGrid::CountLines(int row) const {
    int count = 0;
    int current = row;
    while (Cols() > kFirstCoefficient && !HasNoCoefficients(current)) {
        ++count;
        ++current;
        if (IsLabelled(current)) break;
    }
    return count;
}

bool ContrastGrid::UseFlag(int row) const {
    const int i = row - 1;
    return i >= 0 && i < static_cast<int>(useFlags.size()) ? useFlags[i] : true;
}

void ContrastGrid::SetUseFlag(int row, bool used) {
    FitFlags();
    if (row >= 1 && row - 1 < static_cast<int>(useFlags.size())) useFlags[row - 1] = used;
}

int ContrastGrid::NormalizeMode(int row) const {
    const int i = row - 1;
    const int mode = i >= 0 && i < static_cast<int>(normalizeModes.size()) ? normalizeModes[i] : 0;
    return mode >= 0 && mode < static_cast<int>(normalizeOptions.size()) ? mode : 0;
}

void ContrastGrid::FitFlags() {
    const std::size_t body = static_cast<std::size_t>(std::max(Rows() - 1, 0));
    if (useFlags.size() < body) useFlags.resize(body, true);
    if (normalizeModes.size() < body) normalizeModes.resize(body, 0);
}

void ContrastGrid::BuildContrastList(PowerContrastList& list, const Matrix& weights) const {
    list.clear();
    const int coefficients = std::max(Cols() - kFirstCoefficient, 0);
    for (int r = 1; r < Rows(); ++r) {
        if (!IsLabelled(r)) continue;
        const int lines = CountLines(r);
        if (lines == 0 || !UseFlag(r)) continue;
        auto contrast = std::make_unique<PowerContrast>();
        contrast->number = static_cast<int>(list.size()) + 1;
        contrast->firstRow = r;
        contrast->used = true;
        contrast->matrix.name = Trimmed(texts(r, kLabelColumn));
        contrast->normalizeModes.resize(lines);
        contrast->matrix.cells.Resize(lines, coefficients);
        for (int j = 0; j < lines; ++j) {
            contrast->normalizeModes[j] = NormalizeMode(r + j);
            for (int k = 0; k < coefficients; ++k)
                contrast->matrix.cells(j, k) = Trimmed(texts(r + j, kFirstCoefficient + k));
        }
        contrast->matrix.EvaluateCells();
        for (int j = 0; j < lines; ++j)
            NormalizeContrastLine(contrast->matrix.values, j, contrast->normalizeModes[j], weights);
        list.push_back(std::move(contrast));
        r += lines - 1;
    }
}

void ContrastGrid::ResizeRows(int rows) {
    rows = std::max(rows, 1);
    const int old = Rows();
    texts.ResizeKeeping(rows, Cols());
    for (int r = old; r < rows; ++r) texts(r, 0) = std::to_wstring(r);
    FitFlags();
}

void ContrastGrid::AddContrast() {
    int labelled = 0;
    for (int r = 1; r < Rows(); ++r) labelled += IsLabelled(r) ? 1 : 0;
    int row = 1;
    for (int r = Rows() - 1; r >= 1; --r) {
        if (IsLabelled(r)) {
            row = std::max(r + 2, r + CountLines(r) + 1);
            break;
        }
    }
    // Room for one line per coefficient, and never fewer rows than before:
    // rows below the last contrast may hold texts the user still wants.
    const int coefficients = std::max(Cols() - kFirstCoefficient, 1);
    ResizeRows(std::max(Rows(), row + coefficients));
    if (Cols() > kLabelColumn) texts(row, kLabelColumn) = Numbered(L"contrast %d", labelled + 1);
    for (int k = kFirstCoefficient; k < Cols(); ++k) texts(row, k) = L"0";
    RefreshDerivedColumns();
}

void ContrastGrid::Reorder() {
    struct Collected {
        std::wstring label;
        bool used = true;
        std::vector<int> modes;
        std::vector<std::vector<std::wstring>> lines;
    };
    std::vector<Collected> contrasts;
    int labelled = 0, totalLines = 0;
    for (int r = 1; r < Rows(); ++r) {
        if (!IsLabelled(r)) continue;
        ++labelled;
        const int lines = CountLines(r);
        if (lines == 0) continue;
        Collected c;
        c.label = Trimmed(texts(r, kLabelColumn));
        c.used = UseFlag(r);
        for (int j = 0; j < lines; ++j) {
            c.modes.push_back(NormalizeMode(r + j));
            std::vector<std::wstring> line;
            for (int k = kFirstCoefficient; k < Cols(); ++k) {
                const std::wstring text = Trimmed(texts(r + j, k));
                line.push_back(text.empty() ? L"0" : text);
            }
            c.lines.push_back(std::move(line));
        }
        totalLines += lines;
        contrasts.push_back(std::move(c));
        r += lines - 1;
    }
    const int total = totalLines + labelled;
    useFlags.assign(total, true);
    normalizeModes.assign(total, 0);
    ResizeRows(total + 1);
    for (int r = 1; r < Rows(); ++r)
        for (int k = 1; k < Cols(); ++k) texts(r, k) = L" ";
    int row = 1;
    for (const Collected& c : contrasts) {
        texts(row, kLabelColumn) = c.label;
        useFlags[row - 1] = c.used;
        for (std::size_t j = 0; j < c.lines.size(); ++j, ++row) {
            normalizeModes[row - 1] = c.modes[j];
            for (std::size_t k = 0; k < c.lines[j].size(); ++k)
                texts(row, kFirstCoefficient + static_cast<int>(k)) = c.lines[j][k];
        }
        ++row;  // the blank row after each contrast
    }
    RefreshDerivedColumns();
}

void ContrastGrid::FollowColumns(const std::vector<std::wstring>& headers) {
    const int target = static_cast<int>(headers.size()) + kFirstCoefficient;
    while (Cols() > target && Cols() > kFirstCoefficient) {
        const int last = Cols() - 1;
        for (int r = 1; r < Rows(); ++r) removed_.Remember(r, last, texts(r, last));
        texts.DeleteColumn(last);
    }
    while (Cols() < target) {
        const int k = Cols();
        texts.InsertColumn(k);
        for (int r = 1; r < Rows(); ++r) texts(r, k) = removed_.Recall(r, k, L"");
    }
    for (int k = kFirstCoefficient; k < Cols(); ++k) texts(0, k) = headers[k - kFirstCoefficient];
    RefreshDerivedColumns();
}

void ContrastGrid::LabelEdited(int row) {
    if (IsLabelled(row) && HasNoCoefficients(row))
        for (int k = kFirstCoefficient; k < Cols(); ++k) texts(row, k) = L"0";
    RefreshDerivedColumns();
}

void ContrastGrid::NormalizationChosen(int row, const std::wstring& option) {
    FitFlags();
    const auto found = std::find(normalizeOptions.begin(), normalizeOptions.end(), Trimmed(option));
    if (found == normalizeOptions.end() || row < 1 || row >= Rows()) return;
    normalizeModes[row - 1] = static_cast<int>(found - normalizeOptions.begin());
    RefreshDerivedColumns();
}

void ContrastGrid::RefreshDerivedColumns() {
    FitFlags();
    if (Cols() <= kNormalizeColumn) return;
    for (int r = 1; r < Rows(); ++r) {
        texts(r, kUseColumn) = IsLabelled(r) ? L"" : L" ";
        texts(r, kNormalizeColumn) =
            HasNoCoefficients(r) ? L" " : normalizeOptions[NormalizeMode(r)];
    }
}

void ContrastGrid::ToMatrix(LabeledMatrix& m) const {
    m.cells.Resize(Rows(), Cols());
    for (int r = 0; r < Rows(); ++r)
        for (int k = 0; k < Cols(); ++k) m.cells(r, k) = Trimmed(texts(r, k));
    if (Cols() <= kNormalizeColumn) return;
    for (int r = 1; r < Rows(); ++r) {
        m.cells(r, kUseColumn) = UseFlag(r) ? L"1" : L"0";
        m.cells(r, kNormalizeColumn) = std::to_wstring(NormalizeMode(r));
    }
}

void ContrastGrid::FromMatrix(const LabeledMatrix& m) {
    texts.Resize(m.cells.rows(), m.cells.cols());
    useFlags.assign(std::max(Rows() - 1, 0), true);
    normalizeModes.assign(std::max(Rows() - 1, 0), 0);
    removed_.Forget();
    for (int r = 0; r < Rows(); ++r) {
        for (int k = 0; k < Cols(); ++k) {
            const std::wstring text = Trimmed(m.cells(r, k));
            if (r >= 1 && k == kUseColumn) {
                useFlags[r - 1] = text == L"1";
                continue;
            }
            if (r >= 1 && k == kNormalizeColumn) {
                // An index the list does not offer (a damaged file) reads as "no".
                const long long mode = ReadLeadingInteger(text);
                normalizeModes[r - 1] =
                    mode >= 0 && mode < static_cast<long long>(normalizeOptions.size())
                        ? static_cast<int>(mode)
                        : 0;
            }
            texts(r, k) = text;
        }
    }
    RefreshDerivedColumns();
}
