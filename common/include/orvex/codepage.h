// Conversion between the program's UTF-8 text and the Windows Cyrillic code page
// (1251) in which output tables are written and 8-bit file texts are stored.
#pragma once

#include <string>
#include <string_view>

namespace orvex {

// UTF-8 to Windows-1251. A character the code page lacks becomes '?'; malformed
// UTF-8 bytes become '?' too, so a table is always written whole.
std::string Utf8ToCp1251(std::string_view utf8);
// Windows-1251 to UTF-8; every byte has a character (0x98 maps to '?').
std::string Cp1251ToUtf8(std::string_view cp1251);

} // namespace orvex
