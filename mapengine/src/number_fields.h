// Numbers in the lines of outside text files (data sheets, blanking files):
// fields split at blanks, tabs, commas or semicolons, read with a point as
// the decimal separator.
#pragma once

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace orvex::map {

inline bool IsFieldSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r';
}

// The fields of one line, as views into it.
inline void SplitFields(std::string_view line, std::vector<std::string_view> &fields) {
    fields.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsFieldSeparator(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsFieldSeparator(line[i]))
            ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
}

// A whole field as a finite number (a leading plus allowed).
inline bool ParseNumber(std::string_view text, double &value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

} // namespace orvex::map
