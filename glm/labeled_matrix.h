#pragma once

#include <algorithm>
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "numerics/matrix.h"

// A rectangle of elements, row-major, indices from 0. Unlike a Matrix it
// never shares storage: copies are deep.
template <class T>
class Array2D {
  public:
    Array2D() = default;
    Array2D(int rows, int cols, const T& fill = T()) { Resize(rows, cols, fill); }

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    bool empty() const { return rows_ == 0 || cols_ == 0; }

    T& operator()(int r, int c) { return data_[Index(r, c)]; }
    const T& operator()(int r, int c) const { return data_[Index(r, c)]; }

    // New shape, every element `fill` (nothing is kept).
    void Resize(int rows, int cols, const T& fill = T()) {
        rows_ = rows < 0 ? 0 : rows;
        cols_ = cols < 0 ? 0 : cols;
        data_.assign(static_cast<std::size_t>(rows_) * cols_, fill);
    }
    // New shape keeping the elements that still fit at their places.
    void ResizeKeeping(int rows, int cols, const T& fill = T()) {
        Array2D<T> next(rows, cols, fill);
        for (int r = 0; r < std::min(rows_, next.rows_); ++r)
            for (int c = 0; c < std::min(cols_, next.cols_); ++c) next(r, c) = (*this)(r, c);
        *this = std::move(next);
    }
    void InsertColumn(int at, const T& fill = T()) {
        Array2D<T> next(rows_, cols_ + 1, fill);
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c) next(r, c < at ? c : c + 1) = (*this)(r, c);
        *this = std::move(next);
    }
    void DeleteColumn(int at) {
        if (at < 0 || at >= cols_) return;
        Array2D<T> next(rows_, cols_ - 1);
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c)
                if (c != at) next(r, c < at ? c : c - 1) = (*this)(r, c);
        *this = std::move(next);
    }

    bool operator==(const Array2D&) const = default;

  private:
    std::size_t Index(int r, int c) const {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(cols_) +
               static_cast<std::size_t>(c);
    }

    int rows_ = 0;
    int cols_ = 0;
    std::vector<T> data_;
};

using TextArray = Array2D<std::wstring>;

// The matrix as a user typed it: the cell texts (numbers or "=" formulas)
// beside the numbers evaluated from them, with a name and the row and
// column labels. The unit of the model file is its text block (Write/Read).
class LabeledMatrix {
  public:
    LabeledMatrix();
    LabeledMatrix(const LabeledMatrix& source);
    LabeledMatrix& operator=(const LabeledMatrix& source);
    ~LabeledMatrix();

    // Empties the four arrays; the name stays.
    void Clear();
    // cells := values written with the printf-style `format` in the C locale
    // (every caller passes "%lg").
    void FormatCells(const wchar_t* format = L"%lg");
    // values := cells read as numbers: see EvaluateCellText.
    void EvaluateCells();

    std::wstring name;
    Matrix values;
    TextArray cells;
    TextArray rowLabels;  // rows x 1
    TextArray colLabels;  // 1 x cols

    // The largest cells array a text block may announce; a block asking for
    // more is refused instead of allocating it.
    static constexpr long long kMaxBlockCells = 1000000;

    // The text block: "name, ", then "rows, cols, ", then one line per row
    // with every cell text followed by ",\t", then ".". Only the name and
    // the cells are written.
    static std::wostream& Write(std::wostream& os, const LabeledMatrix& m);
    // Reads one block into the name and the cells. An over-long name or
    // count token, a negative count or a block larger than kMaxBlockCells
    // stops the read and sets the stream's failbit; the name stays as it
    // was when the name token was the bad one.
    static std::wistream& Read(std::wistream& is, LabeledMatrix& m);
};

// Reads one comma-ended token after skipping white space. At most
// size - 1 characters are kept; true unless characters had to be dropped.
// At the end of the stream the token is empty and the result true.
bool ReadToken(std::wistream& is, std::wstring& token, std::size_t size = 1024);

class VariableTree;

// The number a matrix cell holds: an empty text is 0; a text beginning with
// "=" is a formula that may name the variables of `table` (none when null;
// 0 when it does not parse); any other text is read as its longest numeric
// prefix after leading white space, in the C locale whatever the process
// locale is (0 when there is none).
double EvaluateCellText(const std::wstring& text, VariableTree* table = nullptr);
// The longest decimal number at the start of `text` after leading white
// space (sign, digits, "." as the decimal point, exponent); 0 when there is
// none. "nan", "inf" and hexadecimal texts are no numbers here.
double ReadLeadingNumber(const std::wstring& text);
// True when the text, white space around it aside, is wholly one number as
// ReadLeadingNumber reads it, or a "=" formula that parses: what a cell of a
// model file must hold to be read as a number at all ("0.3x", "abc", "nan"
// and an empty text do not).
bool IsNumberText(const std::wstring& text, VariableTree* table = nullptr);
// The integer prefix (white space, sign, digits), saturated to the int
// range; 0 when there are no digits.
long long ReadLeadingInteger(const std::wstring& text);
// `value` written with a printf-style format taking one double, in the C
// locale.
std::wstring FormatNumber(double value, const wchar_t* format = L"%lg");
// Leading and trailing white space removed.
std::wstring Trimmed(const std::wstring& text);
// "prefix N" and the like: `pattern` with its "%d" replaced by `n`.
std::wstring Numbered(const std::wstring& pattern, int n);
