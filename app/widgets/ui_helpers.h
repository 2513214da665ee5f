#pragma once

#include <QString>
#include <string>

// Conversions between the model's 8-bit strings and the text of the windows.
// The model's strings are UTF-8 (plain ASCII for nearly every label; a few
// test names carry "²").
QString ToWideString(const std::string& text);
std::string ToNarrowString(const QString& text);

// Replaces the math-text markup of labels by plain Unicode text, in place:
// Greek letters, "²", bullet, arrow and the comparison signs. What is left of
// a "$...$" segment after that (a sub- or superscript, a letter without a
// table entry) is written plainly with the markup characters removed.
void TexToUnicode(QString& text);

// A math-text label as plain text for ordinary controls and message boxes:
// "$\alpha$ err prob" -> "α err prob".
QString ToDisplayLabel(const std::string& label);

// A label for the math-text renderer: the plain text wrapped in "\mbox{...}".
QString ToMathTextLabel(const std::string& label);

// The user's documents folder, where the save dialogs open; false when there
// is none.
bool GetMyDocumentsFolder(QString* folder);
