#include "app/widgets/ui_helpers.h"

#include <QDir>
#include <QStandardPaths>
#include <utility>
#include <vector>

QString ToWideString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToNarrowString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

namespace {

struct Replacement {
    const char* pattern;
    char16_t replacement;
};

// Lower-case names in the order of U+03B1..U+03C9 (varsigma is U+03C2).
const char* const kLowerGreek[] = {
    "alpha", "beta",   "gamma",   "delta", "epsilon", "zeta",    "eta",  "theta", "iota",
    "kappa", "lambda", "mu",      "nu",    "xi",      "omicron", "pi",   "rho",   "varsigma",
    "sigma", "tau",    "upsilon", "phi",   "chi",     "psi",     "omega"};
// Capitals in the order of U+0391..U+03A9, which has no letter at U+03A2.
const char* const kUpperGreek[] = {
    "Alpha", "Beta",   "Gamma",   "Delta", "Epsilon", "Zeta",    "Eta",  "Theta", "Iota",
    "Kappa", "Lambda", "Mu",      "Nu",    "Xi",      "Omicron", "Pi",   "Rho",   nullptr,
    "Sigma", "Tau",    "Upsilon", "Phi",   "Chi",     "Psi",     "Omega"};

void ReplaceAll(QString& text, const QString& pattern, const QString& replacement) {
    // Scans from the start after each replacement, so replacements that form
    // the pattern again are replaced too.
    for (qsizetype at = text.indexOf(pattern); at >= 0; at = text.indexOf(pattern)) {
        text.replace(at, pattern.size(), replacement);
    }
}

// Greek letter for a command name, or 0.
char16_t GreekLetter(const QString& name) {
    for (size_t i = 0; i < std::size(kLowerGreek); ++i) {
        if (name == QLatin1String(kLowerGreek[i])) return static_cast<char16_t>(0x03B1 + i);
    }
    for (size_t i = 0; i < std::size(kUpperGreek); ++i) {
        if (kUpperGreek[i] && name == QLatin1String(kUpperGreek[i]))
            return static_cast<char16_t>(0x0391 + i);
    }
    return 0;
}

QChar Superscript(QChar c) {
    switch (c.unicode()) {
        case '0':
            return QChar(0x2070);
        case '1':
            return QChar(0x00B9);
        case '2':
            return QChar(0x00B2);
        case '3':
            return QChar(0x00B3);
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
        case '9':
            return QChar(0x2074 + (c.unicode() - '4'));
        case '+':
            return QChar(0x207A);
        case '-':
            return QChar(0x207B);
        default:
            return c;
    }
}

// Plain text of what is left of one math segment: commands become their
// letter (or their name), "^" raises what follows where Unicode can, "_"
// keeps its subscript as plain text, braces disappear.
QString PlainMath(const QString& math) {
    QString out;
    for (qsizetype i = 0; i < math.size();) {
        const QChar c = math[i];
        if (c == QLatin1Char('\\')) {
            qsizetype j = i + 1;
            while (j < math.size() && math[j].isLetter()) ++j;
            const QString name = math.mid(i + 1, j - i - 1);
            if (const char16_t letter = GreekLetter(name)) {
                out += QChar(letter);
            } else if (name.isEmpty() && j < math.size()) {
                out += math[j];  // an escaped character stands for itself
                ++j;
            } else {
                out += name;
            }
            i = j;
        } else if (c == QLatin1Char('^') || c == QLatin1Char('_')) {
            const bool raise = c == QLatin1Char('^');
            QString argument;
            qsizetype j = i + 1;
            if (j < math.size() && math[j] == QLatin1Char('{')) {
                const qsizetype close = math.indexOf(QLatin1Char('}'), j);
                const qsizetype end = close < 0 ? math.size() : close;
                argument = math.mid(j + 1, end - j - 1);
                j = close < 0 ? end : close + 1;
            } else if (j < math.size()) {
                argument = math.mid(j, 1);
                ++j;
            }
            argument = PlainMath(argument);
            if (raise) {
                bool all = true;
                for (QChar a : argument) all = all && Superscript(a) != a;
                if (all) {
                    for (QChar& a : argument) a = Superscript(a);
                } else {
                    argument.prepend(QLatin1Char('^'));
                }
            }
            out += argument;
            i = j;
        } else if (c == QLatin1Char('{') || c == QLatin1Char('}')) {
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// The markup written as one character, in the order it is replaced: built
// once, not for every label.
const std::vector<std::pair<QString, QString>>& MarkupReplacements() {
    static const std::vector<std::pair<QString, QString>> replacements = [] {
        std::vector<std::pair<QString, QString>> table;
        table.emplace_back(QStringLiteral("$\\chi^2$"), QStringLiteral(u"χ²"));
        table.emplace_back(QStringLiteral("$^2$"), QStringLiteral(u"²"));
        for (size_t i = 0; i < std::size(kLowerGreek); ++i) {
            table.emplace_back(QStringLiteral("$\\%1$").arg(QLatin1String(kLowerGreek[i])),
                               QString(QChar(static_cast<char16_t>(0x03B1 + i))));
        }
        for (size_t i = 0; i < std::size(kUpperGreek); ++i) {
            if (!kUpperGreek[i]) continue;
            table.emplace_back(QStringLiteral("$\\%1$").arg(QLatin1String(kUpperGreek[i])),
                               QString(QChar(static_cast<char16_t>(0x0391 + i))));
        }
        table.emplace_back(QStringLiteral("$\\bullet$"), QString(QChar(0x2022)));
        table.emplace_back(QStringLiteral("$\\rightarrow$"), QString(QChar(0x2192)));
        table.emplace_back(QStringLiteral("$\\ge$"), QString(QChar(0x2265)));
        table.emplace_back(QStringLiteral("$\\le$"), QString(QChar(0x2264)));
        return table;
    }();
    return replacements;
}

}  // namespace

void TexToUnicode(QString& text) {
    // Markup lives only between dollar signs; most labels have none.
    if (!text.contains(QLatin1Char('$'))) return;
    // A subscript written after its math segment ("$\\sigma$_x1") reads as
    // one name in plain text, as a subscript inside the segment does.
    // Scanned by hand: a regular expression here would compile at start-up,
    // for the first test's labels, and bring in the expression engine's pages.
    QString joined;
    joined.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        joined += text[i];
        const bool asciiAlnum =
            i + 2 < text.size() && text[i + 2].unicode() < 0x80 && text[i + 2].isLetterOrNumber();
        if (text[i] == QLatin1Char('$') && i + 1 < text.size() && text[i + 1] == QLatin1Char('_') &&
            asciiAlnum)
            ++i;  // the underscore goes
    }
    text = joined;
    for (const auto& [markup, plain] : MarkupReplacements()) ReplaceAll(text, markup, plain);

    // Whatever markup the table does not know, written plainly.
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('$'), i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('$'), open + 1);
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        out += PlainMath(text.mid(open + 1, close - open - 1));
        i = close + 1;
    }
    text = out;
}

QString ToDisplayLabel(const std::string& label) {
    QString text = ToWideString(label);
    TexToUnicode(text);
    return text;
}

QString ToMathTextLabel(const std::string& label) {
    return QStringLiteral("\\mbox{") + ToDisplayLabel(label) + QLatin1Char('}');
}

bool GetMyDocumentsFolder(QString* folder) {
    QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (path.isEmpty()) return false;
    *folder = QDir::toNativeSeparators(path);
    return true;
}
