#include "orvex/text.h"

#include "orvex/errors.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace orvex {

std::string Trim(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string NameBeforeFirstDot(std::string_view name) {
    return std::string(name.substr(0, name.find('.')));
}

std::string FileNameOnly(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    std::string_view stem = path;
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
        stem = path.substr(0, dot);
    return std::string(stem) + std::string(extension);
}

bool TryParseReal(std::string_view text, char separator, double &value) {
    std::string number = Trim(text);
    if (number.empty()) return false;
    // strtod follows the C locale, whose separator is '.'; the user's separator
    // is mapped onto it and a '.' that is not the user's separator is refused.
    for (char &c : number) {
        if (c == separator)
            c = '.';
        else if (c == '.' && separator != '.')
            return false;
        else if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' ||
                   c == 'e' || c == 'E'))
            return false;
    }
    errno = 0;
    char *end = nullptr;
    const double parsed = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool TryParseInteger(std::string_view text, long long &value) {
    std::string number = Trim(text);
    if (number.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const long long parsed = std::strtoll(number.c_str(), &end, 10);
    if (end != number.c_str() + number.size() || errno == ERANGE) return false;
    value = parsed;
    return true;
}

double ParseReal(std::string_view text, char separator) {
    double value = 0;
    if (!TryParseReal(text, separator, value))
        throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

long long ParseInteger(std::string_view text) {
    long long value = 0;
    if (!TryParseInteger(text, value))
        throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

} // namespace orvex
