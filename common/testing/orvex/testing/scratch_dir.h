// A folder of its own for one test: made empty when the test starts and
// removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace orvex::testing {

class ScratchDir {
public:
    ScratchDir() {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "orvex_" + std::to_string(::getpid());
        if (info) name += std::string("_") + info->test_suite_name() + "_" + info->name();
        for (char &c : name)
            if (c == '/') c = '_';
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    // The path of a file in the folder.
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace orvex::testing
