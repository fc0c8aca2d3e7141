// Feeds arbitrary doubles and modes to the C exports: whatever the arguments, a call
// returns (a number or NaN) without reading out of bounds or undefined arithmetic.
#include "fieldconv.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Reads a double from the input, and folds most of them into a plausible range so the
// search paths are exercised rather than only the clamps.
double Take(const uint8_t *&data, size_t &size, double scale) {
    double value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    const double whole = std::trunc(value);
    if (std::isfinite(value) && std::fmod(whole, 4) != 0) value = scale * (value - whole);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const int32_t mode = int32_t(data[0] % 6) - 1;
    const int32_t turns = data[0] / 6;
    ++data;
    --size;
    const double M = Take(data, size, 20), f = Take(data, size, 2e5);
    const double M1 = Take(data, size, 5), M2 = Take(data, size, 10);
    const double r1 = Take(data, size, 3), r2 = Take(data, size, 4);
    const double V = Take(data, size, 0.05), tol = Take(data, size, 1e-6);
    volatile double sink = GETPPM(M, f, M1, M2, r1, r2, V);
    sink = GETSIGMA(M, f, M1, M2, r1, r2, V, tol, mode);
    double s1 = 1, s2 = 2;
    GETSIGMA2(&M, &f, &M1, &M2, &r1, &r2, &V, &tol, &mode, &s1, &s2);
    sink = GETSIGMALF(r1, turns, f, M1, M2, r1, r2, V, mode);
    (void)sink;
    (void)FIELDCONV_LASTERROR();
    return 0;
}
