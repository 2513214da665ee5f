// Tables of cells: "\array{a & b \\ c & d}" and the environments
// "\begin{name} ... \end{name}" (an equation array, or an array with an
// optional column specification). Rows are stacked ink to ink, and the
// table is centred about a line the letter descent above the baseline.

#include <QPainter>
#include <algorithm>
#include <vector>

#include "ui/graphics/mathtext/math_label.h"

namespace mathtext {

namespace {

constexpr int kMaxRows = 99;
constexpr int kMaxCells = 99;

enum class Column { None, Left, Centre, Right, Text };

struct ColumnEntry {
    Column kind = Column::None;
    int textIndex = -1;  // for inserted text: the token index its item is read from
};

// What the measuring pass learns of the rows.
struct RowMetrics {
    std::vector<float> colWidth = std::vector<float>(kMaxCells, 0.0f);
    std::vector<float> inkAscent;
    std::vector<float> inkDescent;
    float firstRowAscent = 0.0f;
    float lastRowDescent = 0.0f;
    float total = 0.0f;  // sum of the rows' ink heights
    int columns = 0;     // the most cells in a row

    // Baseline of row r relative to the table's top.
    float Baseline(int r) const {
        float b = inkAscent[0];
        for (int i = 1; i <= r; ++i) b += inkDescent[i - 1] + inkAscent[i];
        return b;
    }
};

MathBox TableBox(const RowMetrics& rows, float width, float d, bool ascentWithDescent) {
    const float T = rows.total;
    const int last = static_cast<int>(rows.inkAscent.size()) - 1;
    MathBox out;
    if (last < 0) return out;
    out.inkAscent = T / 2.0f + d;
    out.inkDescent = T / 2.0f - d;
    out.ascent =
        T / 2.0f + (ascentWithDescent ? d : 0.0f) + (rows.firstRowAscent - rows.inkAscent[0]);
    out.descent = T / 2.0f - d + (rows.lastRowDescent - rows.inkDescent[last]);
    out.width = out.inkWidth = width;
    out.inkHeight = out.height = T;
    return out;
}

}  // namespace

MathBox MathLabel::LayoutCell(float x, float y, bool paint, QPainter* g, int level) {
    token_ = MarkupToken{};
    atStart_ = true;
    MathBox b;
    LayoutSequence(b, x, y, paint, g, level, true);
    return b;
}

MathBox MathLabel::LayoutArray(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const float gap = letterWidth_[L];
    const float d = letterInkDescent_[L];
    const int entry = scanner_.TokenIndex();
    if (!PeekKind(tok::kOpen)) return {};

    // Measuring pass. A cell ended by "&" (or anything else that is not a
    // row or table end) keeps a gap after it; the last cell of a row not.
    RowMetrics rows;
    bool tableEnd = false;
    for (int r = 0; r < kMaxRows && !tableEnd; ++r) {
        float rowInkAscent = 0.0f, rowInkDescent = 0.0f, rowDescent = 0.0f;
        for (int c = 0; c < kMaxCells; ++c) {
            const MathBox b = LayoutCell(x, y, false, g, level);
            rowInkAscent = std::max(rowInkAscent, b.inkAscent);
            rowInkDescent = std::max(rowInkDescent, b.inkDescent);
            if (r == 0) rows.firstRowAscent = std::max(rows.firstRowAscent, b.ascent);
            rowDescent = std::max(rowDescent, b.descent);
            const bool rowEnd = token_.kind == tok::kRowBreak || token_.kind == tok::kClose;
            tableEnd = token_.kind == tok::kClose;
            rows.colWidth[c] = std::max(rows.colWidth[c], rowEnd ? b.width : b.width + gap);
            rows.columns = std::max(rows.columns, c + 1);
            if (rowEnd) break;
        }
        rows.inkAscent.push_back(rowInkAscent);
        rows.inkDescent.push_back(rowInkDescent);
        rows.total += rowInkAscent + rowInkDescent;
        rows.lastRowDescent = rowDescent;
    }
    float W = 0.0f;
    for (float w : rows.colWidth) W += w;

    if (paint && g) {
        const int after = scanner_.TokenIndex();
        scanner_.SetTokenIndex(entry);
        PeekKind(tok::kOpen);
        const float top = y - rows.total / 2.0f - d;
        tableEnd = false;
        for (int r = 0; r < kMaxRows && !tableEnd; ++r) {
            const float baseline = top + rows.Baseline(r);
            float cx = 0.0f;
            for (int c = 0; c < kMaxCells; ++c) {
                LayoutCell(x + cx, baseline, true, g, level);
                cx += rows.colWidth[c];
                const bool rowEnd = token_.kind == tok::kRowBreak || token_.kind == tok::kClose;
                tableEnd = token_.kind == tok::kClose;
                if (rowEnd) break;
            }
        }
        scanner_.SetTokenIndex(after);
    }
    return TableBox(rows, W, d, true);
}

MathBox MathLabel::LayoutEnvironment(float x, float y, bool paint, QPainter* g, int level) {
    const int L = Clamp(level);
    const float gap = 1.5f * letterWidth_[L];
    const float d = letterInkDescent_[L];

    // Header: "{", the name, "}".
    if (!PeekKind(tok::kOpen)) return {};
    const MarkupToken name = scanner_.NextToken();
    if (!PeekKind(tok::kClose)) return {};

    std::vector<ColumnEntry> entries;
    float atWidth = 0.0f, atInkAscent = 0.0f, atInkDescent = 0.0f;
    auto append = [&](Column kind) {
        if (entries.size() < static_cast<size_t>(kMaxCells)) entries.push_back({kind, -1});
    };
    // Takes the specification letters of one token's text; "@" reads the
    // inserted text that follows.
    auto takeLetters = [&](const QString& text, bool allowRepeat) -> bool {
        for (QChar ch : text) {
            switch (ch.unicode()) {
                case u'l':
                    append(Column::Left);
                    break;
                case u'c':
                    append(Column::Centre);
                    break;
                case u'r':
                    append(Column::Right);
                    break;
                case u'@': {
                    const int at = scanner_.TokenIndex();
                    if (entries.size() < static_cast<size_t>(kMaxCells))
                        entries.push_back({Column::Text, at});
                    const MathBox b = LayoutItem(x, y, false, g, level);
                    atWidth += b.width;
                    atInkAscent = std::max(atInkAscent, b.inkAscent);
                    atInkDescent = std::max(atInkDescent, b.inkDescent);
                    break;
                }
                case u'*':
                    if (allowRepeat) return true;
                    break;
                default:
                    break;  // blanks, "|", "p", digits: no column
            }
        }
        return false;
    };
    auto atEnd = [&] { return scanner_.IsAtLastToken(); };

    if (name.text == QLatin1String("eqnarray")) {
        append(Column::Right);
        append(Column::Centre);
        append(Column::Left);
    } else {
        const int mark = scanner_.TokenIndex();
        if (!PeekKind(tok::kOpen)) {
            scanner_.SetTokenIndex(mark);
        } else {
            while (!atEnd()) {
                const MarkupToken t = scanner_.NextToken();
                if (t.kind == tok::kClose) break;
                if (!takeLetters(t.text, true)) continue;
                // "*{n}{group}": the group's letters n times.
                NextNonBlank();  // meant to be "{"
                const QString count = NextNonBlank().text;
                int n = 0;
                for (QChar ch : count) {
                    if (!ch.isDigit()) break;
                    n = std::min(n * 10 + ch.digitValue(), 10 * kMaxCells);
                }
                NextNonBlank();  // "}"
                NextNonBlank();  // "{"
                const int group = scanner_.TokenIndex();
                for (int i = 0; i < n; ++i) {
                    scanner_.SetTokenIndex(group);
                    while (!atEnd()) {
                        const MarkupToken u = scanner_.NextToken();
                        if (u.kind == tok::kClose) break;
                        takeLetters(u.text, false);
                    }
                }
                // A count below 1: the group's letters are read as part of
                // the specification itself, and its "}" ends it.
            }
        }
    }

    // Gaps between adjacent columns, none next to an inserted text.
    auto isText = [&](int e) {
        return e >= 0 && e < static_cast<int>(entries.size()) && entries[e].kind == Column::Text;
    };

    ++fractionDepth_;
    const int bodyStart = scanner_.TokenIndex();
    RowMetrics rows;
    bool bodyEnd = false;
    for (int r = 0; r < kMaxRows && !bodyEnd; ++r) {
        float rowInkAscent = atInkAscent, rowInkDescent = atInkDescent, rowDescent = 0.0f;
        for (int c = 0; c < kMaxCells; ++c) {
            const MathBox b = LayoutCell(x, y, false, g, level);
            rowInkAscent = std::max(rowInkAscent, b.inkAscent);
            rowInkDescent = std::max(rowInkDescent, b.inkDescent);
            if (r == 0) rows.firstRowAscent = std::max(rows.firstRowAscent, b.ascent);
            rowDescent = std::max(rowDescent, b.descent);
            rows.colWidth[c] = std::max(rows.colWidth[c], b.width);
            rows.columns = std::max(rows.columns, c + 1);
            bodyEnd = token_.kind == tok::kEnd;
            if (token_.kind == tok::kRowBreak || bodyEnd) break;
        }
        rows.inkAscent.push_back(rowInkAscent);
        rows.inkDescent.push_back(rowInkDescent);
        rows.total += rowInkAscent + rowInkDescent;
        rows.lastRowDescent = rowDescent;
    }

    // The width is what the painting advances over the widest row: columns,
    // the inserted texts around them and a half gap between two columns of
    // which neither is an inserted text. Columns beyond the specification
    // are set like left ones, with their gaps, and count alike.
    auto textWidth = [&](int e) {
        const int back = scanner_.TokenIndex();
        scanner_.SetTokenIndex(entries[e].textIndex);
        const MathBox b = LayoutItem(x, y, false, g, level);
        scanner_.SetTokenIndex(back);
        return b.width;
    };
    float W = 0.0f;
    {
        int e = 0;
        auto passTexts = [&] {
            while (isText(e)) W += textWidth(e++);
        };
        for (int c = 0; c < rows.columns; ++c) {
            passTexts();
            W += rows.colWidth[c];
            ++e;
            if (!isText(e) && c + 1 < rows.columns) W += gap / 2.0f;
            passTexts();
        }
    }

    if (paint && g) {
        const int after = scanner_.TokenIndex();
        scanner_.SetTokenIndex(bodyStart);
        const float top = y - rows.total / 2.0f - d;
        bodyEnd = false;
        for (int r = 0; r < kMaxRows && !bodyEnd; ++r) {
            const float baseline = top + rows.Baseline(r);
            float cx = 0.0f;
            int e = 0;
            auto paintTexts = [&] {
                while (isText(e)) {
                    const int back = scanner_.TokenIndex();
                    scanner_.SetTokenIndex(entries[e].textIndex);
                    cx += LayoutItem(x + cx, baseline, true, g, level).width;
                    scanner_.SetTokenIndex(back);
                    ++e;
                }
            };
            for (int c = 0; c < kMaxCells; ++c) {
                paintTexts();
                const Column kind =
                    e < static_cast<int>(entries.size()) ? entries[e].kind : Column::None;
                float offset = 0.0f;
                if (kind == Column::Centre || kind == Column::Right) {
                    const int back = scanner_.TokenIndex();
                    const MathBox b = LayoutCell(x, y, false, g, level);
                    scanner_.SetTokenIndex(back);
                    offset = rows.colWidth[c] - b.width;
                    if (kind == Column::Centre) offset /= 2.0f;
                }
                LayoutCell(x + cx + offset, baseline, true, g, level);
                const bool rowEnd = token_.kind == tok::kRowBreak || token_.kind == tok::kEnd;
                bodyEnd = token_.kind == tok::kEnd;
                ++e;
                cx += rows.colWidth[c];
                if (!isText(e)) cx += gap / 2.0f;
                paintTexts();
                if (rowEnd) break;
            }
        }
        scanner_.SetTokenIndex(after);
    }
    --fractionDepth_;

    // "\end" must be followed by "{", a name (not compared) and "}".
    if (!bodyEnd || !PeekKind(tok::kOpen)) return {};
    scanner_.NextToken();
    if (!PeekKind(tok::kClose)) return {};
    return TableBox(rows, W, d, false);
}

}  // namespace mathtext
