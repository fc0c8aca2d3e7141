// Helpers shared by the map server's tests: a scratch folder and small files.
#pragma once

#include "orvex/files.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orvex::map::testing {

// A fresh folder removed with everything in it when the test ends.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "mapengine-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

inline void WriteText(const std::string &path, const std::string &text) {
    WriteWholeFile(path, text);
}

} // namespace orvex::map::testing
