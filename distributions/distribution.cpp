#include "distributions/distribution.h"

namespace {

[[noreturn]] void Raise(const std::string& where, const char* problem, int code, double value) {
    throw QuorixError(where + ": " + problem, code, value);
}

}  // namespace

void ThrowDriverStatus(const std::string& where, int status, double bound, double answer) {
    ThrowDriverStatus(where, status, bound, answer, DriverErrorValues{bound, bound, bound});
}

void ThrowDriverStatus(const std::string& where, int status, double /*bound*/, double answer,
                       const DriverErrorValues& values) {
    if (status == 0) return;
    if (status < 0)
        Raise(where, "input parameter out of range", QuorixError::kOutOfRange, values.outOfRange);
    switch (status) {
        case 1:
            Raise(where, "answer below lower search bound", QuorixError::kBelowLowerBound,
                  values.belowLower);
        case 2:
            Raise(where, "answer above upper search bound", QuorixError::kAboveUpperBound,
                  values.aboveUpper);
        case 3:
            Raise(where, "p + q != 1.0", QuorixError::kNoConvergence, answer);
        default:
            Raise(where, "unknown error", QuorixError::kUnknown, answer);
    }
}
