// Explicit checks for the floating-point faults that must stop a run: a
// division by zero or an invalid operation raises ZeroDivideError or
// InvalidOperationError with the place it happened, instead of letting an
// infinity or NaN reach a table.
#pragma once

#include "orvex/errors.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace orvex::detail {

// " (record 12, channel 3: why)"; records count from 1 as the windows show them,
// and a negative record leaves the record out.
inline std::string Where(int64_t m, int k, const std::string &why) {
    std::string text = " (";
    if (m >= 0) text += "record " + std::to_string(m + 1) + ", ";
    return text + "channel " + std::to_string(k) + ": " + why + ")";
}

// The fault of dividing `dividend` by zero: 0/0 is invalid, anything else a zero divide.
[[noreturn]] inline void DivisionFault(double dividend, int64_t m, int k, const std::string &why) {
    if (dividend == 0 || std::isnan(dividend))
        throw InvalidOperationError("Invalid floating point operation" + Where(m, k, why));
    throw ZeroDivideError("Floating point division by zero" + Where(m, k, why));
}

inline double Quotient(double a, double b, int64_t m, int k, const char *why) {
    if (b == 0) DivisionFault(a, m, k, why);
    return a / b;
}

inline double Finite(double value, int64_t m, int k, const std::string &what) {
    if (!std::isfinite(value))
        throw InvalidOperationError("Invalid floating point operation" +
                                    Where(m, k, what + " is not a finite number"));
    return value;
}

} // namespace orvex::detail
