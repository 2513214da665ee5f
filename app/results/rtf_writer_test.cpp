#include "app/results/rtf_writer.h"

#include <gtest/gtest.h>

namespace rtf {
namespace {

TEST(RtfEscape, EscapesMarkupAndWritesUnicodeAsEscapes) {
    const struct {
        QString text;
        std::string expected;
    } cases[] = {
        {QStringLiteral("plain 0.05"), "plain 0.05"},
        {QStringLiteral("a\\b {c}"), "a\\\\b \\{c\\}"},
        {QStringLiteral(u"α err"), "\\u945? err"},
        {QStringLiteral(u"χ²"), "\\u967?\\u178?"},
        {QStringLiteral(u"Δ≥"), "\\u916?\\u8805?"},
        {QStringLiteral(u"\uFFFD"), "\\u-3?"},                   // above 0x7FFF: negative
        {QStringLiteral(u"\U0001D6FC"), "\\u-10187?\\u-8452?"},  // a surrogate pair
        {QStringLiteral("a\tb\nc"), "a\\tab b\\par\nc"},
        {QStringLiteral("a\rb\x01"), "ab"},  // control characters have no place
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeText(c.text), c.expected) << c.text.toStdString();
}

TEST(RtfDocument, HasFontAndColourTablesTabStopsAndAttributedRuns) {
    Style style;
    style.tabStops = {1134, 3969};
    const std::vector<rtf::Run> runs = {
        {QStringLiteral("[1]"), false, false, 0xFF0000},
        {QStringLiteral(" -- Thursday\n"), false, true, 0xFF0000},
        {QStringLiteral("Input:"), true, false, 0},
        {QStringLiteral(u"\tα\t=\t0.05\n"), false, false, 0},
        {QString(), true, true, 0x00FF00},  // empty: neither a run nor a colour
    };
    const std::string document = WriteDocument(runs, style);
    EXPECT_EQ(document.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(document.find("{\\fonttbl{\\f0\\fswiss\\fcharset0 Lucida Sans Unicode;}}"),
              std::string::npos);
    // Colours in order of first use after the default entry; 0xFF0000 is blue.
    EXPECT_NE(document.find("{\\colortbl ;\\red0\\green0\\blue255;\\red0\\green0\\blue0;}"),
              std::string::npos);
    EXPECT_NE(document.find("\\pard\\tx1134\\tx3969\\plain\\f0\\fs17"), std::string::npos);
    EXPECT_NE(document.find("{\\cf1 [1]}{\\cf1\\i  -- Thursday\\par\n}{\\cf2\\b Input:}"
                            "{\\cf2 \\tab \\u945?\\tab =\\tab 0.05\\par\n}"),
              std::string::npos);
    // Groups balance, counting only braces that are not escaped; nothing
    // beyond 7-bit text.
    int depth = 0;
    for (size_t i = 0; i < document.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(document[i]);
        EXPECT_LT(c, 0x80);
        if (c == '\\') {
            ++i;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
            EXPECT_GE(depth, 0);
        }
    }
    EXPECT_EQ(depth, 0);
}

}  // namespace
}  // namespace rtf
