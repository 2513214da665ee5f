#pragma once

#include <QString>
#include <string>
#include <vector>

// A small writer of rich text format: one font, one paragraph format with
// tab stops, and runs of text that are bold, italic and coloured. The output
// is 7-bit text; characters beyond ASCII are written as Unicode escapes.
namespace rtf {

// A stretch of text with one set of attributes. "\n" ends a paragraph,
// "\t" is a tab.
struct Run {
    QString text;
    bool bold = false;
    bool italic = false;
    unsigned colour = 0;  // 0x00BBGGRR
};

struct Style {
    QString fontFamily = QStringLiteral("Lucida Sans Unicode");
    int halfPoints = 17;        // font size, in half points
    std::vector<int> tabStops;  // twips from the left margin
};

// The text escaped for the body of a rich text document: "\", "{" and "}"
// get a backslash, tabs and line ends become control words, every character
// beyond ASCII becomes "\uN?" (N the signed 16-bit code unit, "?" what a
// reader without Unicode shows). Other control characters are dropped.
std::string EscapeText(const QString& text);

// A complete document: header, font table, colour table (one entry per
// distinct colour of the runs, in order of first use), the paragraph format
// and the runs.
std::string WriteDocument(const std::vector<Run>& runs, const Style& style);

}  // namespace rtf
