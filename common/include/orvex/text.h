// Small text helpers shared by the windows and the core.
#pragma once

#include <string>
#include <string_view>

namespace orvex {

std::string Trim(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
// The part of a file name before its first dot ("area7.kav" -> "area7").
std::string NameBeforeFirstDot(std::string_view name);
// The last path component (after the last '/').
std::string FileNameOnly(std::string_view path);
// The folder of a path, with its trailing '/', or "" when there is none.
std::string FolderOf(std::string_view path);
// The path with its extension (from the last dot of the file name) replaced.
std::string ChangeExtension(std::string_view path, std::string_view extension);

// Parses a real number written with the given decimal separator, as typed into a
// field or read from a calibration file. Blanks around it are allowed; anything
// else that is not part of the number makes it fail. Throws ConversionError with
// the message "'text' is not a valid floating point value".
double ParseReal(std::string_view text, char separator);
// Parses a whole number; throws ConversionError "'text' is not a valid integer value".
long long ParseInteger(std::string_view text);
// The same without throwing: false when the text is not a number.
bool TryParseReal(std::string_view text, char separator, double &value);
bool TryParseInteger(std::string_view text, long long &value);

} // namespace orvex
