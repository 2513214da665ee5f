#pragma once

#include <string>

namespace effectsize {

// The number at the start of `text` in plain decimal notation (blanks first
// allowed, then sign, digits, point, exponent), read the way a typed
// proportion or grid cell is read: whatever follows is ignored and a text
// without a number reads as 0. Spellings such as "inf" or "nan" are not
// numbers here; a decimal that overflows reads as an infinity, which the
// checks refuse.
double ReadLeadingNumber(const std::string& text);

// Whether `text` is one such number and nothing else but blanks around it;
// its value in *value. An empty text, a decimal comma or a letter after the
// number are not (they would read as a number the user did not type).
bool ReadWholeNumber(const std::string& text, double* value);

// A whole number the same way ("12abc" is 12, "x" is 0), held to the range
// of int.
int ReadLeadingInt(const std::string& text);

}  // namespace effectsize
