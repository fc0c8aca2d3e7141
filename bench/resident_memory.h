// Peak resident memory of the process around a piece of work, read from /proc:
// ResetPeak() restarts the kernel's high-water mark, PeakSince() tells how far
// the resident set rose above what it was at the reset.
#pragma once

#include <fstream>
#include <string>

namespace resident_memory {

inline long long StatusKilobytes(const char *field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stoll(line.substr(line.find(':') + 1));
    return 0;
}

// Returns the resident set size in bytes at the reset.
inline long long ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKilobytes("VmRSS:") * 1024;
}

inline long long PeakSince(long long baseline) {
    return StatusKilobytes("VmHWM:") * 1024 - baseline;
}

} // namespace resident_memory
