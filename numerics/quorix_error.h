#pragma once

#include <exception>
#include <string>

// The one exception of the numerical layer. Codes:
//   0 floating-point overflow inside an integration ("Math overflow")
//   1 unknown error
//   2 answer below the lower search bound
//   3 answer above the upper search bound
//   4 input outside its domain
//   5 inconsistent probabilities, or a series that did not converge
class QuorixError : public std::exception {
  public:
    enum Code {
        kMathOverflow = 0,
        kUnknown = 1,
        kBelowLowerBound = 2,
        kAboveUpperBound = 3,
        kOutOfRange = 4,
        kNoConvergence = 5,
    };

    QuorixError(const std::string& message, int code, double value)
        : message_(message), value_(value), code_(code) {}

    const char* what() const noexcept override { return message_.c_str(); }
    virtual double GetValue() const { return value_; }
    int GetCode() const { return code_; }
    const std::string& GetMessage() const { return message_; }

  private:
    std::string message_;
    double value_;
    int code_;
};
