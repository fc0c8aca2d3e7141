// Number formatting for output tables and window fields. Every table column and
// every number a window shows goes through these, so their corners are tested once.
//
// Rounding: fixed-point forms round the exact binary value to the nearest, halves
// away from zero (0.125 with two decimals gives 0.13). A value that rounds to zero
// is written without a minus sign. Infinities and NaN are written "INF", "-INF" and
// "NAN"; callers keep them out of tables.
#pragma once

#include <cstdint>
#include <string>

namespace orvex {

// R(w.d): fixed point with `decimals` decimals, right-aligned in `width`
// characters; a number needing more characters is written whole.
std::string FormatFixed(double value, int width, int decimals, char separator = '.');

// I(w): an integer right-aligned in `width` characters.
std::string FormatInt(int64_t value, int width = 0);

// B(w): "TRUE" or "FALSE" right-aligned in `width` characters.
std::string FormatBool(bool value, int width);

// G(x): the shortest general form with at most `precision` significant digits.
// Plain notation while the value has at most `precision` digits before the point
// and is at least 0.0001 in magnitude, otherwise scientific with the exponent
// written bare ("1E-5", "1.5E20", "-2.25E-7"). Trailing zeros are dropped.
std::string FormatGeneral(double value, char separator = '.', int precision = 15);

// Fixed notation with `decimals` decimals as long as the value has at most
// `precision` digits before the point; larger values switch to the general form
// with `precision` significant digits (the window cells' "fixed" format).
std::string FormatFixedOrGeneral(double value, int precision, int decimals, char separator = '.');

// An integer written with leading zeros to at least `width` characters; a minus
// sign counts toward the width and stays in front ("-005" for -5 in width 4).
std::string FormatIntZeros(int64_t value, int width);

// Right-aligns `text` in `width` characters (no cut when it is longer).
std::string PadLeft(const std::string &text, int width);

} // namespace orvex
