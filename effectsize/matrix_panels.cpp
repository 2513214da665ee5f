#include "effectsize/matrix_panels.h"

#include <cmath>
#include <cstdio>

#include "analysis/property.h"
#include "effectsize/text_fields.h"
#include "glm/matrix_input.h"

namespace effectsize {

std::string ToStoreText(const std::wstring& text) {
    std::string out;
    for (wchar_t wc : text) {
        const auto c = static_cast<char32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring FromStoreText(const std::string& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) {
            // A stray byte stands for itself rather than ending the text.
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += static_cast<wchar_t>(c);
        i += extra + 1;
    }
    return out;
}

void SizePredictorCorrelations(PredictorCorrelations* c, int p) {
    p = p < 0 ? 0 : (p > kMaxPredictors ? kMaxPredictors : p);
    LabeledMatrix& y = c->outcome;
    LabeledMatrix& r = c->predictors;
    const int old = y.cells.cols();
    // Both records are sized together, so one count tells what is new; a
    // record of another shape (a damaged store) is taken from its corner.
    y.cells.ResizeKeeping(1, p, L"0");
    y.colLabels.ResizeKeeping(1, p);
    y.rowLabels.ResizeKeeping(1, 1);
    r.cells.ResizeKeeping(p, p, L"0");
    r.colLabels.ResizeKeeping(1, p);
    r.rowLabels.ResizeKeeping(p, 1);
    for (int i = old < 0 ? 0 : old; i < p; ++i) {
        const std::wstring label = Numbered(L"P %d", i + 1);
        y.colLabels(0, i) = label;
        r.colLabels(0, i) = label;
        r.rowLabels(i, 0) = label;
        y.cells(0, i) = L"0";
        r.cells(i, i) = L"1";
        for (int j = 0; j < i; ++j) r.cells(i, j) = r.cells(j, i) = L"0";
    }
    y.EvaluateCells();
    r.EvaluateCells();
}

namespace {

std::string Key(const std::string& prefix, const char* pattern, int i, int j = 0) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, i, j);
    return prefix + buffer;
}

}  // namespace

void SaveCorrelations(const PredictorCorrelations& c, const std::string& prefix,
                      PropertyList* store) {
    if (!store) return;
    const int p = c.outcome.cells.cols();
    for (int i = 0; i < p; ++i) {
        SetNamedString(store, Key(prefix, "_y_%d", i).c_str(), ToStoreText(c.outcome.cells(0, i)));
        SetNamedString(store, Key(prefix, "_yl_%d", i).c_str(),
                       ToStoreText(c.outcome.colLabels(0, i)));
    }
    for (int i = 1; i < p && i < c.predictors.cells.rows(); ++i)
        for (int j = 0; j < i; ++j)
            SetNamedString(store, Key(prefix, "_m_%d_%d", i, j).c_str(),
                           ToStoreText(c.predictors.cells(i, j)));
}

void RestoreCorrelations(PropertyList* store, const std::string& prefix, int p,
                         PredictorCorrelations* c) {
    SizePredictorCorrelations(c, p);
    p = c->outcome.cells.cols();
    std::string text;
    for (int i = 0; i < p; ++i) {
        if (GetNamedString(store, Key(prefix, "_y_%d", i).c_str(), &text))
            c->outcome.cells(0, i) = FromStoreText(text);
        if (GetNamedString(store, Key(prefix, "_yl_%d", i).c_str(), &text)) {
            const std::wstring label = FromStoreText(text);
            c->outcome.colLabels(0, i) = label;
            c->predictors.colLabels(0, i) = label;
            c->predictors.rowLabels(i, 0) = label;
        }
    }
    for (int i = 0; i < p; ++i) {
        c->predictors.cells(i, i) = L"1";
        for (int j = 0; j < i; ++j) {
            if (GetNamedString(store, Key(prefix, "_m_%d_%d", i, j).c_str(), &text))
                c->predictors.cells(i, j) = c->predictors.cells(j, i) = FromStoreText(text);
        }
    }
    c->outcome.EvaluateCells();
    c->predictors.EvaluateCells();
}

RSquaredResult RSquaredOf(const PredictorCorrelations& c) {
    LabeledMatrix y = c.outcome;
    LabeledMatrix r = c.predictors;
    y.EvaluateCells();
    r.EvaluateCells();
    const RSquared computed = ComputeRSquared(y.values, r.values);
    RSquaredResult result;
    // A NaN cell makes a NaN R², which the range test in ComputeRSquared
    // already refuses; an infinite cell likewise.
    if (computed.value && std::isfinite(*computed.value)) {
        result.value = computed.value;
    } else {
        result.message = ToStoreText(computed.message);
    }
    return result;
}

std::optional<int> ReadCount(const std::string& text) {
    double value = 0.0;
    std::string message;
    if (!ReadPanelFormula(text, &value, &message)) return std::nullopt;
    if (!(std::fabs(value) < 1e9)) return std::nullopt;
    return static_cast<int>(std::floor(value + 0.5));
}

}  // namespace effectsize
