// Feeds arbitrary data to every export: counts from -2 to 80, abscissas and
// values that may repeat, be non-finite, tiny or huge. The arrays are exactly
// NDATA long, so the sanitizers catch any read past them; a result must be
// finite, or NaN exactly when an error message is kept.
#include "curvefit.h"
#include "numerr/errstack.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Reader {
    const uint8_t *data;
    size_t size;
    uint8_t Byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    double Real() {
        switch (Byte() % 8) {
        case 0: { // any bit pattern
            uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 8 | Byte();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        case 1:
            return (Byte() - 128) * 1e-160;
        case 2:
            return (Byte() - 128) * 1e150;
        default:
            return (Byte() - 128) / 16.0;
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = [] {
        numerr::SetPrintSink([](const std::string &) {});
        return true;
    }();
    (void)quiet;
    Reader in{data, size};
    const int type = in.Byte() % 17;
    const int n = in.Byte() % 83 - 2;
    const double at = in.Real();
    std::vector<double> x(std::max(n, 0)), f(std::max(n, 0));
    for (int i = 0; i < n; ++i) {
        x[i] = in.Real();
        f[i] = in.Real();
    }
    // Each export's own copy of the arrays, allocated to the exact length.
    double (*const exports[])(int32_t, const double *, const double *, double) = {
        CSPLNSMPL, CSPLNAKM, CSPLNCON, CSPLNNAT, CSPLNHER, CSPLNSMTH, CSPLNSMTHCV};
    auto check = [&](double value) {
        const bool failed = std::strlen(CURVEFIT_LASTERROR()) > 0;
        if (failed != std::isnan(value) || std::isinf(value)) std::abort();
    };
    for (auto fit : exports) {
        std::vector<double> xs(x), fs(f);
        check(fit(n, xs.empty() ? nullptr : xs.data(), fs.empty() ? nullptr : fs.data(), at));
    }
    std::vector<double> xs(x), fs(f);
    check(ARBSPLNSMTH(type, n, xs.empty() ? nullptr : xs.data(), fs.empty() ? nullptr : fs.data(),
                      at));
    return 0;
}
