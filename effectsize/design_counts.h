#pragma once

#include <optional>
#include <string>

// Counts typed into the multivariate and repeated-measures panels.
namespace effectsize {

// The count a text holds: a number that is whole, within [low, high];
// nothing for any other text.
std::optional<long> ReadCount(const std::string& text, long low, long high);

// The main window's value as a whole number (truncated toward zero), as its
// count inputs are read.
std::optional<long> WholeOf(const std::string& text);

}  // namespace effectsize
