#include "effectsize/leading_number.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace effectsize {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The length of the longest decimal number that starts at `begin`, 0 when
// none does.
size_t DecimalLength(const std::string& text, size_t begin) {
    size_t at = begin;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    size_t digits = 0;
    while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
    }
    if (digits == 0) return 0;
    // An exponent counts only with a digit after it: "2e" is 2.
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && IsDigit(text[exponent])) {
            at = exponent;
            while (at < text.size() && IsDigit(text[at])) ++at;
        }
    }
    return at - begin;
}

}  // namespace

double ReadLeadingNumber(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    const size_t length = DecimalLength(text, begin);
    if (length == 0) return 0.0;
    // Only the checked decimal reaches strtod, so its hexadecimal and
    // "inf"/"nan" forms never apply; the program runs in the C locale.
    const std::string number = text.substr(begin, length);
    return std::strtod(number.c_str(), nullptr);
}

bool ReadWholeNumber(const std::string& text, double* value) {
    size_t begin = 0;
    while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    const size_t length = DecimalLength(text, begin);
    if (length == 0) return false;
    for (size_t at = begin + length; at < text.size(); ++at) {
        if (!std::isspace(static_cast<unsigned char>(text[at]))) return false;
    }
    *value = ReadLeadingNumber(text);
    return true;
}

int ReadLeadingInt(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    size_t at = begin;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const size_t firstDigit = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == firstDigit) return 0;
    const long long value = std::strtoll(text.substr(begin, at - begin).c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace effectsize
