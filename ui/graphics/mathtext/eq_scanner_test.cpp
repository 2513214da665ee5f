#include "ui/graphics/mathtext/eq_scanner.h"

#include <gtest/gtest.h>

namespace mathtext {
namespace {

// The token list written compactly: "kind" or "kind:text", blank-separated.
std::string Written(const QString& text) {
    EqScanner scanner;
    scanner.Tokenize(text);
    std::string out;
    for (const MarkupToken& t : scanner.Tokens()) {
        if (!out.empty()) out += ' ';
        out += std::to_string(t.kind);
        if (!t.text.isEmpty() && t.kind != tok::kBlank) out += ':' + t.text.toStdString();
    }
    return out;
}

TEST(EqScanner, TokenLists) {
    struct Case {
        const char* text;
        const char* tokens;
    };
    const Case cases[] = {
        {"", ""},
        {"ab", "1:ab"},  // no end token when the last character ends a token
        {"a\t", "1:a 99"},
        {"x^2_i", "1:x 10 2:2 11 1:i"},
        {"1.5.3 .", "2:1.5.3 25 2:."},
        {"a@b{}&", "1:a@b 3 4 7"},
        {"$\\alpha$ err prob", "100 18:alpha 100 25 1:err 25 1:prob"},
        {"\\alpha", "18:alpha"},
        {"\\alpha b", "18:alpha 25 1:b"},
        {"\\alpha2", "18:alpha 2:2"},
        {"\\alpha_i", "18:alpha 11 1:i"},
        {"a\\", "1:a 99"},
        {"\\$\\ x", "100 100 1:x"},
        {"\\\\\\{\\}\\|", "8 109:{ 109:} 109:||"},
        {"\\,\\:\\;\\!", "113:3 113:4 113:5 113:-3"},
        {"+-*/<=>~#", "108:+ 108:- 108:* 108:/ 108:< 108:= 108:> 108:~ 108:#"},
        {"!',:;", "107:! 107:' 107:, 107:: 107:;"},
        {"()[]|", "109:( 109:) 109:[ 109:] 109:|"},
        {"\"%?`", "100 100 100 100"},
        {"\\mbox{a{b}c}", "124:a{b 1:c 4"},
        {"\\mbox{a}b", "124:a 1:b"},
        {"\\mbox{}", "124"},
        {"\\mbox x {$\\alpha$}", "124:$\\alpha$"},
        {"\\mbox{open", "124:open"},
        {"\\mbox", "124"},
        {"\\foo x", "100 25 1:x"},
        {"\\sqrt[3]{x}", "13 109:[ 2:3 4 3 1:x 4"},
        {"\\sqrt[a[b]c]{x}", "13 109:[ 1:a 109:[ 1:b 109:] 1:c 4 3 1:x 4"},
        {"\\sqrt[{]}]x", "13 109:[ 3 109:] 4 4 1:x"},
        // "{n \choose k}": 13 tokens, the group's brace opening the first argument.
        {"{n \\choose k}", "16 109:( 115 3 1:n 25 4 3 25 1:k 4 17 109:)"},
        {"{a \\atop b}", "115 3 1:a 25 4 3 25 1:b 4"},
        {"a \\choose b", "1:a 25 114 25 1:b"},  // no closing brace: unchanged
        {"\\choose}", "114 4"},                 // nothing before it: unchanged
    };
    for (const Case& c : cases) EXPECT_EQ(Written(QString::fromUtf8(c.text)), c.tokens) << c.text;
}

TEST(EqScanner, CommandTable) {
    struct Case {
        const char* name;
        int kind;
        const char* text;
    };
    const Case cases[] = {
        {"alpha", 18, "alpha"},
        {"beta", 19, "beta"},
        {"Gamma", 18, "GammaBig"},
        {"Uparrow", 19, "UparrowBig"},
        {"sin", 9, "sin"},
        {"lim", 24, "lim"},
        {"limsup", 24, "lim sup"},
        {"liminf", 24, "lim inf"},
        {"times", 108, "times"},
        {"partial", 21, "partial"},
        {"Laplace", 18, "Laplace"},
        {"longmapsto", 108, "longmapsto"},
        {"triangle", 108, "triangle"},
        {"Join", 108, "Join"},
        {"vdash", 108, "vdash"},
        {"backslash", 2, "\\"},
        {"quad", 113, "18"},
        {"qquad", 113, "36"},
        {"langle", 5, "<"},
        {"rangle", 5, ">"},
        {"vec", 14, ""},
        {"bar", 14, "bar"},
        {"hat", 22, "hat"},
        {"int", 20, "int"},
        {"sum", 20, "sum"},
        {"limits", 60, "limits"},
        {"nolimits", 60, "nolimits"},
        {"frac", 12, ""},
        {"sqrt", 13, ""},
        {"left", 16, ""},
        {"right", 17, ""},
        {"not", 110, ""},
        {"stackrel", 120, ""},
        {"fgcolor", 121, ""},
        {"bgcolor", 122, ""},
        {"fbox", 123, ""},
        {"overline", 116, ""},
        {"underline", 117, ""},
        {"Diamond", 18, "DiamondBig"},
        {"Alpha", 100, ""},
        {"foo", 100, ""},
        {"SUM", 100, ""},
        {"Sin", 100, ""},
    };
    for (const Case& c : cases) {
        EqScanner scanner;
        const MarkupToken t = ClassifyCommand(QString::fromLatin1(c.name), &scanner);
        EXPECT_EQ(t.kind, c.kind) << c.name;
        EXPECT_EQ(t.text, QString::fromLatin1(c.text)) << c.name;
    }
}

TEST(EqScanner, CursorStopsAtTheEndAndMovesBack) {
    EqScanner scanner;
    scanner.Tokenize(QString());
    EXPECT_EQ(scanner.NextToken(), (MarkupToken{tok::kEndOfInput, {}}));
    EXPECT_EQ(scanner.TokenIndex(), -1);
    EXPECT_TRUE(scanner.IsAtLastToken());

    scanner.Tokenize(QStringLiteral("a+b"));
    EXPECT_EQ(scanner.TokenIndex(), -1);
    EXPECT_EQ(scanner.NextToken().text, QStringLiteral("a"));
    const int saved = scanner.TokenIndex();
    EXPECT_EQ(scanner.NextToken().kind, tok::kOperator);
    EXPECT_EQ(scanner.NextToken().text, QStringLiteral("b"));
    EXPECT_TRUE(scanner.IsAtLastToken());
    EXPECT_EQ(scanner.NextToken().kind, tok::kEndOfInput);
    EXPECT_EQ(scanner.NextToken().kind, tok::kEndOfInput);
    EXPECT_EQ(scanner.TokenIndex(), 2);
    scanner.SetTokenIndex(saved);
    EXPECT_EQ(scanner.NextToken().kind, tok::kOperator);
    scanner.Rewind();
    EXPECT_EQ(scanner.NextToken().text, QStringLiteral("a"));
}

}  // namespace
}  // namespace mathtext
