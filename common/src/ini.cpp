#include "orvex/ini.h"

#include "orvex/errors.h"
#include "orvex/text.h"

#include <fstream>
#include <sstream>

namespace orvex {

IniFile IniFile::Parse(const std::string &text) {
    IniFile ini;
    std::map<std::string, std::string> *current = nullptr;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
        if (trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            std::string name =
                Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = &ini.sections_[ToLowerAscii(name)]; // a repeated section continues the first
            continue;
        }
        const size_t eq = trimmed.find('=');
        if (current == nullptr || eq == std::string::npos) continue;
        std::string key = ToLowerAscii(Trim(trimmed.substr(0, eq)));
        std::string value = Trim(trimmed.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        current->emplace(std::move(key), std::move(value)); // first occurrence wins
    }
    return ini;
}

IniFile IniFile::Load(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputOutputError("Cannot open file \"" + path + "\".");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw InputOutputError("Cannot read file \"" + path + "\".");
    return Parse(content.str());
}

std::optional<std::string> IniFile::Value(const std::string &section,
                                          const std::string &key) const {
    auto s = sections_.find(ToLowerAscii(section));
    if (s == sections_.end()) return std::nullopt;
    auto k = s->second.find(ToLowerAscii(key));
    if (k == s->second.end()) return std::nullopt;
    return k->second;
}

std::string IniFile::ReadString(const std::string &section, const std::string &key,
                                const std::string &fallback) const {
    return Value(section, key).value_or(fallback);
}

bool IniFile::HasSection(const std::string &section) const {
    return sections_.count(ToLowerAscii(section)) != 0;
}

} // namespace orvex
