#pragma once

#include <exception>

// Thrown by long-running numerical loops when the user abandoned the
// computation. It is not a numerical failure and is never shown as one.
class CancelledError : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};
