#include "ui/graphics/mathtext/eq_scanner.h"

#include <initializer_list>

namespace mathtext {

namespace {

bool IsLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool IsWordChar(char16_t c) {
    return IsLetter(c) || c == u'@';
}
bool IsNumberChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'.';
}
bool IsOneOf(char16_t c, const char* set) {
    for (const char* p = set; *p; ++p)
        if (c == static_cast<char16_t>(*p)) return true;
    return false;
}

MarkupToken Token(int kind, const QString& text = {}) {
    return MarkupToken{kind, text};
}

// Command words, tried in this order; the first match wins.
struct CommandWord {
    const char* name;
    int kind;
    const char* text;  // null: the token carries the name itself
};
constexpr CommandWord kCommandWords[] = {
    {"acute", tok::kAccent, nullptr},
    {"array", tok::kArray, ""},
    {"bar", tok::kWideAccent, nullptr},
    {"breve", tok::kAccent, nullptr},
    {"check", tok::kAccent, nullptr},
    {"ddot", tok::kAccent, nullptr},
    {"dot", tok::kAccent, nullptr},
    {"frac", tok::kFrac, ""},
    {"grave", tok::kAccent, nullptr},
    {"hat", tok::kAccent, nullptr},
    {"int", tok::kBigOperator, nullptr},
    {"oint", tok::kBigOperator, nullptr},
    {"left", tok::kLeft, ""},
    {"limsup", tok::kLimitFunction, "lim sup"},
    {"liminf", tok::kLimitFunction, "lim inf"},
    {"limits", tok::kLimits, nullptr},
    {"nolimits", tok::kLimits, nullptr},
    {"mathring", tok::kAccent, nullptr},
    {"prod", tok::kBigOperator, nullptr},
    {"right", tok::kRight, ""},
    {"sqrt", tok::kSqrt, ""},
    {"sum", tok::kBigOperator, nullptr},
    {"tilde", tok::kAccent, nullptr},
    {"vec", tok::kWideAccent, ""},
    {"widehat", tok::kWideAccent, nullptr},
    {"widetilde", tok::kWideAccent, nullptr},
    {"quad", tok::kSpace, "18"},
    {"qquad", tok::kSpace, "36"},
    {"backslash", tok::kNumber, "\\"},
    {"langle", tok::kAngle, "<"},
    {"rangle", tok::kAngle, ">"},
    {"not", tok::kNot, ""},
    {"atop", tok::kAtop, ""},
    {"choose", tok::kChoose, ""},
    {"overline", tok::kOverline, ""},
    {"underline", tok::kUnderline, ""},
    {"overbrace", tok::kOverbrace, ""},
    {"underbrace", tok::kUnderbrace, ""},
    {"stackrel", tok::kStackrel, ""},
    {"begin", tok::kBegin, ""},
    {"end", tok::kEnd, ""},
    {"fgcolor", tok::kFgColor, ""},
    {"bgcolor", tok::kBgColor, ""},
    {"fbox", tok::kFbox, ""},
};

// Word classes, tried in this order after the command words.
struct WordClass {
    int kind;
    bool big;  // the symbol is the name followed by "Big"
    const char* words;
};
constexpr WordClass kWordClasses[] = {
    {tok::kFunction, false,
     "arccos arcsin arctan arg cos cosh cot coth csc def deg dim exp hom ker lg ln log sec sin "
     "sinh tan tanh"},
    {tok::kLimitFunction, false, "det gcd inf lim max min Pr sup"},
    {tok::kDifferential, false, "neg partial nabla"},
    {tok::kOperator, false,
     "pm mp times div cdot cdots ldots ast star amalg cap cup uplus sqcap sqcup vee wedge wr circ "
     "bullet diamond lhd rhd oslash odot Box bigtriangleup triangleleft triangleright oplus "
     "ominus otimes subset sqsubset in vdash models gg supset sqsupset ni dashv perp neq doteq "
     "approx cong equiv propto prec sim simeq asymp smile frown bowtie succ flat mho triangle top "
     "bot Join leftarrow gets hookrightarrow leftharpoondown rightarrow to rightharpoondown "
     "leadsto leftrightarrow mapsto hookleftarrow leftharpoonup rightharpoonup rightleftharpoons "
     "longleftarrow longrightarrow longleftrightarrow longmapsto"},
    {tok::kGlyph, false,
     "alpha delta epsilon iota kappa lambda nu omega pi sigma theta tau upsilon varepsilon varpi "
     "vartheta ll aleph forall hbar exists imath ell Re angle Im backslash prime emptyset "
     "triangle top bot Join infty vdash dashv Fourier Laplace"},
    {tok::kGlyphDescender, false,
     "beta chi eta gamma mu psi phi rho varrho varsigma varphi xi zeta le leq ge geq vdots ddots "
     "natural jmath bigtriangledown sharp uparrow downarrow updownarrow nearrow searrow swarrow "
     "nwarrow succeq mid preceq parallel subseteq sqsubseteq supseteq sqsupseteq clubsuit "
     "diamondsuit heartsuit spadesuit wp dagger ddagger setminus unlhd unrhd bigcirc"},
    {tok::kGlyph, true,
     "Delta Gamma Lambda Omega Pi Phi Psi Sigma Theta Upsilon Xi Leftarrow Rightarrow "
     "Leftrightarrow Longleftarrow Longrightarrow Longleftrightarrow Diamond"},
    {tok::kGlyphDescender, true, "Uparrow Downarrow Updownarrow"},
};

bool InWordList(const QString& name, const char* words) {
    const QByteArray latin = name.toLatin1();
    const char* p = words;
    while (*p) {
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (latin.size() == end - p && std::equal(p, end, latin.constData())) return true;
        p = *end ? end + 1 : end;
    }
    return false;
}

}  // namespace

MarkupToken ClassifyCommand(const QString& name, EqScanner* scanner) {
    if (name == QLatin1String("mbox")) {
        // The argument is plain text: no nesting, no escapes.
        while (!scanner->AtEnd() && scanner->CurrentChar() != u'{') scanner->NextChar();
        if (scanner->AtEnd()) return Token(tok::kMbox);
        scanner->NextChar();
        QString text;
        while (!scanner->AtEnd() && scanner->CurrentChar() != u'}') {
            text += QChar(scanner->CurrentChar());
            scanner->NextChar();
        }
        if (!scanner->AtEnd()) scanner->NextChar();
        return Token(tok::kMbox, text);
    }
    for (const CommandWord& w : kCommandWords) {
        if (name == QLatin1String(w.name))
            return Token(w.kind, w.text ? QString::fromLatin1(w.text) : name);
    }
    for (const WordClass& c : kWordClasses) {
        if (InWordList(name, c.words))
            return Token(c.kind, c.big ? name + QStringLiteral("Big") : name);
    }
    return Token(tok::kIgnored);
}

EqScanner::EqScanner() {
    Tokenize(QString());
    atEnd_ = false;
}

char16_t EqScanner::CurrentChar() const {
    if (position_ < 0 || position_ >= text_.size()) return 0;
    return text_[position_].unicode();
}

void EqScanner::NextChar() {
    if (position_ < text_.size() - 1) {
        ++position_;
        atEnd_ = false;
    } else {
        position_ = static_cast<int>(text_.size());
        atEnd_ = true;
    }
}

void EqScanner::Tokenize(const QString& text) {
    text_ = text;
    atEnd_ = false;
    tokenIndex_ = -1;
    position_ = -1;
    tokens_.clear();
    if (text_.isEmpty()) {
        position_ = 0;
        atEnd_ = true;
    } else {
        position_ = 0;
        while (!atEnd_) {
            ++tokenIndex_;
            tokens_.push_back(ScanToken());
        }
    }
    tokenIndex_ = -1;
    RewriteFractions();
    RewriteRadicalIndexes();
}

MarkupToken EqScanner::NextToken() {
    ++tokenIndex_;
    if (tokenIndex_ < static_cast<int>(tokens_.size())) {
        current_ = tokens_[tokenIndex_];
        return current_;
    }
    tokenIndex_ = static_cast<int>(tokens_.size()) - 1;
    current_ = Token(tok::kEndOfInput);
    return current_;
}

MarkupToken EqScanner::ScanToken() {
    for (;;) {
        if (atEnd_) return Token(tok::kEndOfInput);
        const char16_t c = CurrentChar();
        if (c == 9 || c == 10 || c == 13) {
            NextChar();
            continue;
        }
        if (c == u' ') {
            NextChar();
            return Token(tok::kBlank, QStringLiteral(" "));
        }
        const int simple = c == u'{'   ? tok::kOpen
                           : c == u'}' ? tok::kClose
                           : c == u'&' ? tok::kColumn
                           : c == u'^' ? tok::kSuperscript
                           : c == u'_' ? tok::kSubscript
                                       : 0;
        if (simple) {
            NextChar();
            return Token(simple);
        }
        for (const auto& [set, kind] :
             {std::pair{"#*+-/<=>~", tok::kOperator}, std::pair{"!',:;", tok::kPunctuation},
              std::pair{"()[]|", tok::kDelimiter}}) {
            if (IsOneOf(c, set)) {
                NextChar();
                return Token(kind, QString(QChar(c)));
            }
        }
        if (IsWordChar(c) || IsNumberChar(c)) {
            const bool word = IsWordChar(c);
            QString run{QChar(c)};
            NextChar();
            while (!atEnd_ && (word ? IsWordChar(CurrentChar()) : IsNumberChar(CurrentChar()))) {
                run += QChar(CurrentChar());
                NextChar();
            }
            return Token(word ? tok::kWord : tok::kNumber, run);
        }
        if (c == u'\\') return ScanEscape();
        NextChar();
        return Token(tok::kIgnored);
    }
}

MarkupToken EqScanner::ScanEscape() {
    if (position_ >= text_.size() - 1) {
        position_ = static_cast<int>(text_.size());
        atEnd_ = true;
        return Token(tok::kEndOfInput);
    }
    NextChar();
    const char16_t d = CurrentChar();
    if (IsLetter(d)) {
        QString name{QChar(d)};
        NextChar();
        while (!atEnd_ && (IsLetter(CurrentChar()) || CurrentChar() == 0x00F6)) {
            name += QChar(CurrentChar());
            NextChar();
        }
        return ClassifyCommand(name, this);
    }
    NextChar();
    switch (d) {
        case u'\\':
            return Token(tok::kRowBreak);
        case u'{':
        case u'}':
            return Token(tok::kDelimiter, QString(QChar(d)));
        case u'|':
            return Token(tok::kDelimiter, QStringLiteral("||"));
        case u',':
            return Token(tok::kSpace, QStringLiteral("3"));
        case u':':
            return Token(tok::kSpace, QStringLiteral("4"));
        case u';':
            return Token(tok::kSpace, QStringLiteral("5"));
        case u'!':
            return Token(tok::kSpace, QStringLiteral("-3"));
        default:
            return Token(tok::kIgnored);
    }
}

// The index of the "{" that opens the group around index i, scanning back to
// index 1; 0 when none is found there (i - 1 for i below 2).
int EqScanner::OpeningBraceBefore(int i) const {
    int depth = 0;
    int j = i - 1;
    for (; j >= 1; --j) {
        if (tokens_[j].kind == tok::kClose) --depth;
        if (tokens_[j].kind == tok::kOpen) ++depth;
        if (depth == 1) return j;
    }
    return j;
}

void EqScanner::RewriteFractions() {
    auto insert = [&](int at, const MarkupToken& t) { tokens_.insert(tokens_.begin() + at, t); };
    int i = 0;
    while (i < static_cast<int>(tokens_.size())) {
        const int kind = tokens_[i].kind;
        if (kind == tok::kChoose) {
            const int j = OpeningBraceBefore(i);
            int k = -1;
            int depth = 0;
            for (int m = i + 1; m < static_cast<int>(tokens_.size()); ++m) {
                if (tokens_[m].kind == tok::kClose) ++depth;
                if (tokens_[m].kind == tok::kOpen) --depth;
                if (depth == 1) {
                    k = m;
                    break;
                }
            }
            if (k >= 0 && j >= 0) {
                // "{n \choose k}" becomes "\left ( \atop { n } { k } \right )".
                insert(k + 1, Token(tok::kDelimiter, QStringLiteral(")")));
                insert(k + 1, Token(tok::kRight));
                tokens_[i] = Token(tok::kClose);
                insert(i + 1, Token(tok::kOpen));
                insert(j, Token(tok::kAtop));
                insert(j, Token(tok::kDelimiter, QStringLiteral("(")));
                insert(j, Token(tok::kLeft));
                i += 5;
                continue;
            }
        } else if (kind == tok::kAtop) {
            const int j = OpeningBraceBefore(i);
            if (j >= 0) {
                // "{a \atop b}" becomes "\atop { a } { b }".
                tokens_[i] = Token(tok::kClose);
                insert(i + 1, Token(tok::kOpen));
                insert(j, Token(tok::kAtop));
                i += 3;
                continue;
            }
        }
        ++i;
    }
}

void EqScanner::RewriteRadicalIndexes() {
    int i = 0;
    while (i < static_cast<int>(tokens_.size()) - 2) {
        if (tokens_[i].kind == tok::kSqrt && tokens_[i + 1].kind == tok::kDelimiter &&
            tokens_[i + 1].text == QLatin1String("[")) {
            int count = 1;
            int depth = 0;
            for (int m = i + 2; m < static_cast<int>(tokens_.size()); ++m) {
                if (tokens_[m].kind == tok::kClose) --depth;
                if (tokens_[m].kind == tok::kOpen) ++depth;
                if (depth != 0) continue;
                if (tokens_[m].text == QLatin1String("[")) ++count;
                if (tokens_[m].text == QLatin1String("]")) --count;
                if (count == 0) {
                    tokens_[m] = Token(tok::kClose);
                    break;
                }
            }
            i += 2;
            continue;
        }
        ++i;
    }
}

}  // namespace mathtext
