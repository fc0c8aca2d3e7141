#include "orvex/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvex {

namespace {

std::string NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Adds one unit in the last place of a string of decimal digits; returns true
// when the carry runs out of the front (999 -> 000 plus a carry).
bool IncrementDigits(std::string &digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    return true;
}

} // namespace

std::string PadLeft(const std::string &text, int width) {
    if (width <= 0 || static_cast<int>(text.size()) >= width) return text;
    return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

std::string FormatFixed(double value, int width, int decimals, char separator) {
    if (!std::isfinite(value)) return PadLeft(NonFinite(value), width);
    decimals = std::clamp(decimals, 0, 60);
    const double magnitude = std::fabs(value);
    // to_chars rounds correctly to the nearest, sending only exact halves to
    // even. An exact half shows as a final 5 with one decimal more; only then
    // are guard digits read to round it away from zero instead.
    char buffer[420];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                 std::chars_format::fixed, decimals + 1);
    std::string digits; // the kept digits without the point
    if (*(written.ptr - 1) != '5') {
        written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed,
                                decimals);
        for (const char *c = buffer; c != written.ptr; ++c)
            if (*c != '.') digits += *c;
    } else {
        const int guard = 30;
        written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed,
                                decimals + guard);
        const char *point = std::find(buffer, written.ptr, '.');
        digits.assign(buffer, static_cast<size_t>(point - buffer));
        digits.append(point + 1, static_cast<size_t>(decimals));
        if (point[1 + decimals] >= '5' && IncrementDigits(digits))
            digits.insert(digits.begin(), '1');
    }
    const size_t integerDigits = digits.size() - static_cast<size_t>(decimals);
    const bool allZero = digits.find_first_not_of('0') == std::string::npos;
    std::string text;
    text.reserve(digits.size() + 2);
    if (std::signbit(value) && !allZero) text += '-';
    text.append(digits, 0, integerDigits);
    if (decimals > 0) {
        text += separator;
        text.append(digits, integerDigits);
    }
    return PadLeft(text, width);
}

std::string FormatInt(int64_t value, int width) {
    return PadLeft(std::to_string(value), width);
}

std::string FormatBool(bool value, int width) {
    return PadLeft(value ? "TRUE" : "FALSE", width);
}

std::string FormatGeneral(double value, char separator, int precision) {
    if (!std::isfinite(value)) return NonFinite(value);
    if (value == 0.0) return "0";
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, std::fabs(value));
    std::string mantissa(buffer);
    const size_t ePos = mantissa.find('e');
    const int exponent = std::atoi(mantissa.c_str() + ePos + 1);
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (mantissa[i] != '.') digits += mantissa[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = value < 0 ? "-" : "";
    const int before = exponent + 1; // digits before the decimal point
    if (before > precision || before < -3) {
        text += digits[0];
        if (digits.size() > 1) {
            text += separator;
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(exponent);
    } else if (before <= 0) {
        text += '0';
        text += separator;
        text += std::string(static_cast<size_t>(-before), '0');
        text += digits;
    } else {
        if (static_cast<int>(digits.size()) <= before) {
            text += digits + std::string(static_cast<size_t>(before) - digits.size(), '0');
        } else {
            text += digits.substr(0, static_cast<size_t>(before));
            text += separator;
            text += digits.substr(static_cast<size_t>(before));
        }
    }
    return text;
}

std::string FormatFixedOrGeneral(double value, int precision, int decimals, char separator) {
    std::string fixed = FormatFixed(value, 0, decimals, separator);
    if (!std::isfinite(value)) return fixed;
    size_t start = fixed[0] == '-' ? 1 : 0;
    size_t end = fixed.find(separator, start);
    if (end == std::string::npos || decimals == 0) end = fixed.size();
    if (static_cast<int>(end - start) > precision)
        return FormatGeneral(value, separator, precision);
    return fixed;
}

std::string FormatIntZeros(int64_t value, int width) {
    std::string digits = std::to_string(value < 0 ? -(value + 1) + uint64_t{1} : uint64_t(value));
    const int signWidth = value < 0 ? 1 : 0;
    if (static_cast<int>(digits.size()) + signWidth < width)
        digits.insert(0, static_cast<size_t>(width - signWidth) - digits.size(), '0');
    return (value < 0 ? "-" : "") + digits;
}

} // namespace orvex
