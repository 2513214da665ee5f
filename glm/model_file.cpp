#include "glm/model_file.h"

#include <locale>
#include <sstream>
#include <vector>

const std::array<const wchar_t*, ModelFileGrids::kBlockCount> kModelBlockNames = {
    L"Design X", L"Means B", L"Cov Sigma", L"Pred. Contrast C", L"Var Contrast A"};

namespace {

constexpr int kPredContrastBlock = 3;
constexpr int kVarContrastBlock = 4;
// Columns of a contrast grid before its coefficients: line, label, use, normalize.
constexpr int kContrastUseColumn = 2;
constexpr int kContrastNormalizeColumn = 3;
constexpr int kContrastFixedColumns = 4;

std::wstring Quoted(const wchar_t* name) {
    return std::wstring(L"\"") + name + L"\"";
}

std::wstring BlockName(int block) {
    return L"Block " + Quoted(kModelBlockNames[block]);
}

// "row 2, column 3", counted from 1 as the grid shows them, headers included.
std::wstring CellName(int row, int col) {
    return L"row " + std::to_wstring(row + 1) + L", column " + std::to_wstring(col + 1);
}

// No number, formula or name in a model needs more characters than this;
// a longer cell is refused before it is read further (a file of 60 MB of
// digits in one cell would otherwise hold the window for minutes).
constexpr std::size_t kLongestCell = 1000;

bool IsBlank(const std::wstring& text) {
    return Trimmed(text).empty();
}

// A count written by the writer: digits only, at most nine of them.
std::optional<int> ReadCount(const std::wstring& text) {
    const std::wstring t = Trimmed(text);
    if (t.empty() || t.size() > 9) return std::nullopt;
    int value = 0;
    for (wchar_t ch : t) {
        if (ch < L'0' || ch > L'9') return std::nullopt;
        value = value * 10 + static_cast<int>(ch - L'0');
    }
    return value;
}

// The texts between the commas of a line; the part after the last comma
// comes last.
std::vector<std::wstring> SplitAtCommas(const std::wstring& line) {
    std::vector<std::wstring> parts(1);
    for (wchar_t ch : line) {
        if (ch == L',')
            parts.emplace_back();
        else
            parts.back().push_back(ch);
    }
    return parts;
}

// Reads block `block` from lines[*at] on.
std::optional<std::wstring> ReadBlock(const std::vector<std::wstring>& lines, std::size_t* at,
                                      int block, TextArray& cells) {
    std::size_t i = *at;
    while (i < lines.size() && IsBlank(lines[i])) ++i;
    if (i >= lines.size()) return BlockName(block) + L" is missing.";
    // The name line: the (empty) name followed by a comma.
    const std::vector<std::wstring> nameParts = SplitAtCommas(lines[i]);
    if (nameParts.size() != 2 || !IsBlank(nameParts[1]))
        return BlockName(block) + L" does not begin with its name line.";
    ++i;
    if (i >= lines.size()) return BlockName(block) + L" ends before its counts.";
    const std::vector<std::wstring> countParts = SplitAtCommas(lines[i]);
    std::optional<int> rows, cols;
    if (countParts.size() == 3 && IsBlank(countParts[2])) {
        rows = ReadCount(countParts[0]);
        cols = ReadCount(countParts[1]);
    }
    if (!rows || !cols)
        return BlockName(block) + L" has no counts of rows and columns where they belong.";
    if (*rows > 0 && *cols > LabeledMatrix::kMaxBlockCells / *rows)
        return BlockName(block) + L" announces more cells than a model can have.";
    ++i;
    TextArray read(*rows, *cols);
    for (int r = 0; r < *rows; ++r, ++i) {
        if (i >= lines.size())
            return BlockName(block) + L" ends after " + std::to_wstring(r) + L" of its " +
                   std::to_wstring(*rows) + L" rows.";
        const std::vector<std::wstring> parts = SplitAtCommas(lines[i]);
        if (static_cast<int>(parts.size()) != *cols + 1 || !IsBlank(parts.back()))
            return BlockName(block) + L": row " + std::to_wstring(r + 1) + L" does not hold " +
                   std::to_wstring(*cols) + L" cells.";
        for (int c = 0; c < *cols; ++c) {
            read(r, c) = Trimmed(parts[c]);
            if (read(r, c).size() > kLongestCell)
                return BlockName(block) + L", " + CellName(r, c) + L": the cell holds more than " +
                       std::to_wstring(kLongestCell) +
                       L" characters, more than any number or name of a model needs.";
        }
    }
    if (i >= lines.size() || Trimmed(lines[i]) != L".")
        return BlockName(block) + L" does not end with a line \".\" after its " +
               std::to_wstring(*rows) + L" rows.";
    *at = i + 1;
    cells = std::move(read);
    return std::nullopt;
}

std::optional<std::wstring> CheckRange(int block, const TextArray& cells, int minRows, int maxRows,
                                       int minCols, int maxCols, const wchar_t* what) {
    if (cells.rows() < minRows || cells.rows() > maxRows || cells.cols() < minCols ||
        cells.cols() > maxCols)
        return BlockName(block) + L" has " + std::to_wstring(cells.rows()) + L" rows and " +
               std::to_wstring(cells.cols()) + L" columns; " + what;
    return std::nullopt;
}

std::optional<std::wstring> CheckContrasts(int block, const TextArray& cells, int options) {
    if (cells.rows() < 1 || cells.cols() < kContrastFixedColumns)
        return BlockName(block) + L" has " + std::to_wstring(cells.cols()) +
               L" columns; a contrast grid has at least 4 (line, label, use, normalize).";
    for (int r = 1; r < cells.rows(); ++r) {
        const std::wstring& use = cells(r, kContrastUseColumn);
        if (use != L"0" && use != L"1")
            return BlockName(block) + L", " + CellName(r, kContrastUseColumn) +
                   L": the use flag \"" + use + L"\" is neither 0 nor 1.";
        const std::optional<int> mode = ReadCount(cells(r, kContrastNormalizeColumn));
        if (!mode || *mode >= options)
            return BlockName(block) + L", " + CellName(r, kContrastNormalizeColumn) +
                   L": the normalization \"" + cells(r, kContrastNormalizeColumn) +
                   L"\" is not one of 0 to " + std::to_wstring(options - 1) + L".";
    }
    return std::nullopt;
}

std::optional<std::wstring> CheckShapes(const ModelFileGrids& g) {
    if (auto e = CheckRange(0, g.design, 2, kMaxModelCells + 1, 3, kMaxModelPredictors + 2,
                            L"a design has 1 to 100 cells and 1 to 100 predictors."))
        return e;
    if (auto e = CheckRange(1, g.means, 2, kMaxModelPredictors + 1, 2, kMaxModelResponses + 1,
                            L"means have 1 to 100 predictors and 1 to 50 responses."))
        return e;
    if (g.sigma.rows() != g.sigma.cols())
        return BlockName(2) + L" is not square: " + std::to_wstring(g.sigma.rows()) +
               L" rows and " + std::to_wstring(g.sigma.cols()) + L" columns.";
    if (auto e = CheckRange(2, g.sigma, 2, kMaxModelResponses + 1, 2, kMaxModelResponses + 1,
                            L"a covariance grid has 1 to 50 responses."))
        return e;
    if (auto e = CheckContrasts(kPredContrastBlock, g.predContrasts, 3)) return e;
    return CheckContrasts(kVarContrastBlock, g.varContrasts, 2);
}

}  // namespace

std::optional<std::wstring> CheckModelTexts(const ModelFileGrids& grids) {
    const auto blocks = grids.Blocks();
    for (int b = 0; b < ModelFileGrids::kBlockCount; ++b) {
        const TextArray& cells = *blocks[b];
        for (int r = 0; r < cells.rows(); ++r) {
            for (int c = 0; c < cells.cols(); ++c) {
                const std::wstring& text = cells(r, c);
                const wchar_t* fault = nullptr;
                for (wchar_t ch : text) {
                    if (ch == L',') {
                        fault = L"a comma";
                    } else if (ch < 0x20 || ch == 0x7f) {
                        fault = L"a line break or control character";
                    } else if (static_cast<unsigned long>(ch) > 0xff) {
                        fault = L"a character beyond Latin-1";
                    }
                    if (fault) break;
                }
                if (fault)
                    return L"The text \"" + text + L"\" in " + CellName(r, c) + L" of " +
                           Quoted(kModelBlockNames[b]) + L" holds " + fault +
                           L", which a model file cannot keep.";
            }
        }
    }
    return std::nullopt;
}

std::string WriteModelFile(const ModelFileGrids& grids) {
    std::wostringstream text;
    text.imbue(std::locale::classic());
    LabeledMatrix block;
    for (const TextArray* cells : grids.Blocks()) {
        block.cells = *cells;
        LabeledMatrix::Write(text, block);
        text << L'\n';
    }
    std::string bytes;
    for (wchar_t ch : text.str()) {
        if (ch == L'\n') {
            bytes += "\r\n";
        } else {
            bytes.push_back(static_cast<char>(static_cast<unsigned char>(ch)));
        }
    }
    return bytes;
}

std::optional<std::wstring> ReadModelFile(const std::string& bytes, ModelFileGrids& grids) {
    // Each text between commas is kept up to one character beyond the
    // longest cell, leading blanks not counted: enough for the block's
    // reader to refuse it on its cell, without holding all of it.
    std::vector<std::wstring> lines(1);
    std::size_t kept = 0;  // characters of the current text after its leading blanks
    for (char byte : bytes) {
        const wchar_t ch = static_cast<wchar_t>(static_cast<unsigned char>(byte));
        if (byte == '\n') {
            if (!lines.back().empty() && lines.back().back() == L'\r') lines.back().pop_back();
            lines.emplace_back();
            kept = 0;
        } else if (byte == ',') {
            lines.back().push_back(ch);
            kept = 0;
        } else if (kept == 0 && (byte == ' ' || byte == '\t')) {
            const wchar_t last = lines.back().empty() ? L',' : lines.back().back();
            if (last != L' ' && last != L'\t') lines.back().push_back(ch);
        } else if (kept <= kLongestCell + 1) {
            lines.back().push_back(ch);
            ++kept;
        }
    }
    ModelFileGrids read;
    std::size_t at = 0;
    const auto blocks = read.Blocks();
    for (int b = 0; b < ModelFileGrids::kBlockCount; ++b) {
        if (auto e = ReadBlock(lines, &at, b, *blocks[b])) return e;
    }
    for (; at < lines.size(); ++at) {
        if (!IsBlank(lines[at]))
            return L"The file goes on after its last block " +
                   Quoted(kModelBlockNames[ModelFileGrids::kBlockCount - 1]) + L".";
    }
    if (auto e = CheckShapes(read)) return e;
    grids = std::move(read);
    return std::nullopt;
}
