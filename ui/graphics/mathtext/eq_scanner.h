#pragma once

// The scanner of the math-text markup ("$\alpha$ err prob",
// "\sqrt[3]{x}", "{n \choose k}"): turns a text into a flat token list once
// per change and serves the tokens to the layout, which may move back and
// forth in the list. It never fails; what it cannot read becomes an ignored
// token.

#include <QString>
#include <vector>

namespace mathtext {

// Token kinds.
namespace tok {
inline constexpr int kWord = 1;
inline constexpr int kNumber = 2;
inline constexpr int kOpen = 3;
inline constexpr int kClose = 4;
inline constexpr int kAngle = 5;
inline constexpr int kColumn = 7;
inline constexpr int kRowBreak = 8;
inline constexpr int kFunction = 9;
inline constexpr int kSuperscript = 10;
inline constexpr int kSubscript = 11;
inline constexpr int kFrac = 12;
inline constexpr int kSqrt = 13;
inline constexpr int kWideAccent = 14;
inline constexpr int kArray = 15;
inline constexpr int kLeft = 16;
inline constexpr int kRight = 17;
inline constexpr int kGlyph = 18;
inline constexpr int kGlyphDescender = 19;
inline constexpr int kBigOperator = 20;
inline constexpr int kDifferential = 21;
inline constexpr int kAccent = 22;
inline constexpr int kLimitFunction = 24;
inline constexpr int kBlank = 25;
inline constexpr int kBegin = 50;
inline constexpr int kEnd = 51;
inline constexpr int kLimits = 60;
inline constexpr int kEndOfInput = 99;
inline constexpr int kIgnored = 100;
inline constexpr int kPunctuation = 107;
inline constexpr int kOperator = 108;
inline constexpr int kDelimiter = 109;
inline constexpr int kNot = 110;
inline constexpr int kSpace = 113;
inline constexpr int kChoose = 114;
inline constexpr int kAtop = 115;
inline constexpr int kOverline = 116;
inline constexpr int kUnderline = 117;
inline constexpr int kOverbrace = 118;
inline constexpr int kUnderbrace = 119;
inline constexpr int kStackrel = 120;
inline constexpr int kFgColor = 121;
inline constexpr int kBgColor = 122;
inline constexpr int kFbox = 123;
inline constexpr int kMbox = 124;
}  // namespace tok

struct MarkupToken {
    int kind = tok::kEndOfInput;
    QString text;
    bool operator==(const MarkupToken& o) const { return kind == o.kind && text == o.text; }
};

class EqScanner {
  public:
    EqScanner();
    virtual ~EqScanner() = default;

    // Replaces the text and rebuilds the whole token list; the token index is
    // -1 afterwards.
    void Tokenize(const QString& text);
    // The next token; past the end the end token, without moving further.
    MarkupToken NextToken();
    void SetTokenIndex(int index) { tokenIndex_ = index; }
    int TokenIndex() const { return tokenIndex_; }
    void Rewind() { tokenIndex_ = -1; }
    bool IsAtLastToken() const { return tokenIndex_ >= static_cast<int>(tokens_.size()) - 1; }

    const std::vector<MarkupToken>& Tokens() const { return tokens_; }
    const QString& Text() const { return text_; }

    // Used by the command table while it reads an "\mbox" argument.
    char16_t CurrentChar() const;
    void NextChar();
    bool AtEnd() const { return atEnd_; }

  private:
    MarkupToken ScanToken();
    MarkupToken ScanEscape();
    void RewriteFractions();
    void RewriteRadicalIndexes();
    int OpeningBraceBefore(int i) const;

    QString text_;
    int position_ = -1;
    int tokenIndex_ = -1;
    MarkupToken current_;
    bool atEnd_ = false;
    std::vector<MarkupToken> tokens_;
};

// The token of a command name read after a backslash. "\mbox" reads its
// argument from the scanner, whose position is just after the name.
MarkupToken ClassifyCommand(const QString& name, EqScanner* scanner);

}  // namespace mathtext
