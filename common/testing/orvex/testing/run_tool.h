// Runs a command line through the shell, as a test of a command-line tool: its
// exit status, what it printed on standard output, and on standard error.
#pragma once

#include "orvex/files.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace orvex::testing {

struct ToolOutcome {
    int status = -1; // the exit status; -1 when the tool did not exit
    std::string out, err;
};

// Runs `command`, keeping its standard error in the file `errFile`.
inline ToolOutcome RunTool(const std::string &command, const std::string &errFile) {
    ToolOutcome outcome;
    FILE *pipe = ::popen((command + " 2>" + errFile).c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.out.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadWholeFile(errFile);
    return outcome;
}

} // namespace orvex::testing
