#include "glm/labeled_matrix.h"

#include <locale.h>

#include <climits>
#include <cwchar>
#include <cwctype>
#include <locale>

#include "analysis/formula.h"

namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

bool IsSpace(wchar_t ch, const std::locale& loc) {
    return std::isspace(ch, loc);
}

void SkipSpace(std::wistream& is) {
    const std::locale loc = is.getloc();
    while (true) {
        const std::wistream::int_type next = is.peek();
        if (next == std::wistream::traits_type::eof()) return;
        if (!IsSpace(std::wistream::traits_type::to_char_type(next), loc)) return;
        is.get();
    }
}

// The formula parser reads 8-bit text; formulas are ASCII, anything else
// becomes a character the parser refuses.
std::string Narrow(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t ch : text) out.push_back(ch >= 0 && ch < 0x80 ? static_cast<char>(ch) : '\x7f');
    return out;
}

}  // namespace

LabeledMatrix::LabeledMatrix() = default;
LabeledMatrix::~LabeledMatrix() = default;

LabeledMatrix::LabeledMatrix(const LabeledMatrix& source) {
    *this = source;
}

LabeledMatrix& LabeledMatrix::operator=(const LabeledMatrix& source) {
    if (this == &source) return *this;
    name = source.name;
    // A Matrix copy would share the source's storage: take a fresh copy.
    if (source.values.size() == 0)
        values.resize(0, 0);
    else
        CopyMatrix(source.values, values);
    cells = source.cells;
    colLabels = source.colLabels;
    rowLabels = source.rowLabels;
    return *this;
}

void LabeledMatrix::Clear() {
    values.resize(0, 0);
    cells.Resize(0, 0);
    rowLabels.Resize(0, 0);
    colLabels.Resize(0, 0);
}

void LabeledMatrix::FormatCells(const wchar_t* format) {
    const int rows = values.rows(), cols = values.cols();
    cells.Resize(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) cells(r, c) = FormatNumber(values(r, c), format);
}

void LabeledMatrix::EvaluateCells() {
    const int rows = cells.rows(), cols = cells.cols();
    values.resize(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) values(r, c) = EvaluateCellText(cells(r, c));
}

std::wostream& LabeledMatrix::Write(std::wostream& os, const LabeledMatrix& m) {
    // The counts are written without the stream's digit grouping: a
    // grouping locale would write "1,024", which the reader splits at the comma.
    os << m.name << L", " << std::endl;
    os << std::to_wstring(m.cells.rows()) << L", " << std::to_wstring(m.cells.cols()) << L", "
       << std::endl;
    for (int r = 0; r < m.cells.rows(); ++r) {
        for (int c = 0; c < m.cells.cols(); ++c) os << m.cells(r, c) << L",\t";
        os << std::endl;
    }
    os << L"." << std::endl;
    return os;
}

bool ReadToken(std::wistream& is, std::wstring& token, std::size_t size) {
    token.clear();
    SkipSpace(is);
    bool fits = true;
    const std::size_t keep = size > 0 ? size - 1 : 0;
    while (true) {
        const std::wistream::int_type next = is.get();
        if (next == std::wistream::traits_type::eof()) break;
        const wchar_t ch = std::wistream::traits_type::to_char_type(next);
        if (ch == L',') break;
        if (token.size() < keep)
            token.push_back(ch);
        else
            fits = false;
    }
    // Reaching the end of the stream inside a token is not a stream error.
    if (is.eof()) is.clear(std::ios_base::eofbit);
    return fits;
}

std::wistream& LabeledMatrix::Read(std::wistream& is, LabeledMatrix& m) {
    std::wstring token;
    if (!ReadToken(is, token)) {
        is.setstate(std::ios_base::failbit);
        return is;
    }
    m.name = token;
    m.cells.Resize(0, 0);
    long long counts[2] = {0, 0};
    for (long long& count : counts) {
        if (!ReadToken(is, token)) {
            is.setstate(std::ios_base::failbit);
            return is;
        }
        count = ReadLeadingInteger(token);
    }
    const long long rows = counts[0], cols = counts[1];
    if (rows < 0 || cols < 0 || (rows > 0 && cols > kMaxBlockCells / rows)) {
        is.setstate(std::ios_base::failbit);
        return is;
    }
    m.cells.Resize(static_cast<int>(rows), static_cast<int>(cols));
    for (int r = 0; r < m.cells.rows(); ++r)
        for (int c = 0; c < m.cells.cols(); ++c) ReadToken(is, m.cells(r, c));
    // The block's closing ".", whatever character stands there.
    SkipSpace(is);
    is.get();
    if (is.eof()) is.clear(std::ios_base::eofbit);
    return is;
}

double EvaluateCellText(const std::wstring& text, VariableTree* table) {
    if (text.empty()) return 0.0;
    if (text[0] == L'=') {
        VarFormula formula("", table);
        formula.Parse(Narrow(text.substr(1)).c_str());
        return formula.Evaluate();
    }
    return ReadLeadingNumber(text);
}

namespace {

// Where the longest decimal number at text[start] ends (sign, digits, "."
// as the decimal point, exponent); `start` itself when there is none.
std::size_t NumberEnd(const std::wstring& text, std::size_t start) {
    std::size_t i = start;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ++i;
        return i - from;
    };
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == L'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return start;
    const std::size_t beforeExponent = i;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
        if (digits() == 0) i = beforeExponent;
    }
    return i;
}

}  // namespace

double ReadLeadingNumber(const std::wstring& text) {
    // Only decimal numbers: the C library would also read "nan", "inf" and
    // hexadecimal, which would put a NaN into a matrix without a word.
    std::size_t start = 0;
    while (start < text.size() && std::iswspace(static_cast<wint_t>(text[start]))) ++start;
    const std::size_t end = NumberEnd(text, start);
    if (end == start) return 0.0;
    const std::wstring number = text.substr(start, end - start);
    return wcstod_l(number.c_str(), nullptr, CLocale());
}

bool IsNumberText(const std::wstring& text, VariableTree* table) {
    const std::wstring t = Trimmed(text);
    if (t.empty()) return false;
    if (t[0] == L'=') {
        VarFormula formula("", table);
        // An empty formula parses without a failure but reads as 0 all the same.
        return !formula.Parse(Narrow(t.substr(1)).c_str()) && !formula.buffer.empty();
    }
    return NumberEnd(t, 0) == t.size();
}

long long ReadLeadingInteger(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    value = negative ? -value : value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return value;
}

std::wstring FormatNumber(double value, const wchar_t* format) {
    const locale_t previous = uselocale(CLocale());
    wchar_t buffer[1024];
    const int n = std::swprintf(buffer, 1024, format, value);
    uselocale(previous);
    return n < 0 ? std::wstring() : std::wstring(buffer);
}

std::wstring Trimmed(const std::wstring& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::iswspace(static_cast<wint_t>(text[begin]))) ++begin;
    while (end > begin && std::iswspace(static_cast<wint_t>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::wstring Numbered(const std::wstring& pattern, int n) {
    const std::size_t at = pattern.find(L"%d");
    if (at == std::wstring::npos) return pattern;
    return pattern.substr(0, at) + std::to_wstring(n) + pattern.substr(at + 2);
}
