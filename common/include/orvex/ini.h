// Reader of INI files (calibration files): sections and keys are matched without
// regard to case, values are returned as text exactly as written after '='.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace orvex {

class IniFile {
public:
    // Parses INI text. Lines are "[section]" or "key=value"; blank lines and lines
    // starting with ';' or '#' are skipped. Keys and values are trimmed of blanks,
    // and a value enclosed in a matching pair of quotes loses them. When a section
    // or key occurs twice, the first occurrence wins.
    static IniFile Parse(const std::string &text);
    // Reads and parses a file; throws InputOutputError when it cannot be read.
    static IniFile Load(const std::string &path);

    std::optional<std::string> Value(const std::string &section, const std::string &key) const;
    std::string ReadString(const std::string &section, const std::string &key,
                           const std::string &fallback) const;
    bool HasSection(const std::string &section) const;

private:
    // Keys are stored folded to lower case.
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

} // namespace orvex
