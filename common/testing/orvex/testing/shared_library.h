// One of our shared libraries as a client loads it: opened by path, functions
// bound by their plain names, and the list of what it exports.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <set>
#include <string>

namespace orvex::testing {

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char *path) : handle_(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        EXPECT_NE(handle_, nullptr) << ::dlerror();
    }
    ~LoadedLibrary() {
        if (handle_) ::dlclose(handle_);
    }
    LoadedLibrary(const LoadedLibrary &) = delete;
    LoadedLibrary &operator=(const LoadedLibrary &) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // The function of that name as a pointer of type F, or null.
    template <typename F> F *Bind(const char *name) const {
        return handle_ ? reinterpret_cast<F *>(::dlsym(handle_, name)) : nullptr;
    }

private:
    void *handle_;
};

// The names of the symbols the library defines in its dynamic symbol table.
inline std::set<std::string> ExportedSymbols(const std::string &path) {
    std::set<std::string> exported;
    FILE *pipe = ::popen(("nm -D --defined-only '" + path + "'").c_str(), "r");
    if (pipe == nullptr) return exported;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char type[8], name[400];
        if (std::sscanf(line, "%*s %7s %399s", type, name) == 2) exported.insert(name);
    }
    ::pclose(pipe);
    return exported;
}

} // namespace orvex::testing
