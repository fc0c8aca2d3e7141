// The spline exports through libcurvefit.so: one call (a whole fit and one
// evaluation) on a 1001-point profile, and the relief preview's workload, 500
// evaluations across a 200-point profile, each refitting the whole profile.
#include "curvefit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using Fit = double (*)(int32_t, const double *, const double *, double);

// A topographic profile: distances in metres at uneven spacing, elevations with
// long and short undulations and half a metre of roughness.
struct Profile {
    std::vector<double> x, f;
};

Profile MakeProfile(int n) {
    Profile p;
    uint32_t state = 12345;
    for (int i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        const double rough = (state >> 8) / double(1 << 24) - 0.5;
        const double x = 2000.0 * i / (n - 1) + 0.3 * std::sin(1.3 * i) * 2000.0 / (n - 1);
        p.x.push_back(x);
        p.f.push_back(150 + 20 * std::sin(x / 300) + 5 * std::sin(x / 47) + rough);
    }
    return p;
}

void OneCall(benchmark::State &state, Fit fit) {
    const Profile p = MakeProfile(1001);
    double at = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fit(1001, p.x.data(), p.f.data(), at));
        at = at > 1990 ? 0 : at + 7.3;
    }
}

void OneCallOfType(benchmark::State &state) {
    const Profile p = MakeProfile(1001);
    const int type = static_cast<int>(state.range(0));
    double at = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ARBSPLNSMTH(type, 1001, p.x.data(), p.f.data(), at));
        at = at > 1990 ? 0 : at + 7.3;
    }
}

// 500 evaluations at every second pixel of a 1000-pixel preview.
void Preview(benchmark::State &state, Fit fit) {
    const Profile p = MakeProfile(200);
    for (auto _ : state) {
        for (int px = 0; px < 1000; px += 2)
            benchmark::DoNotOptimize(fit(200, p.x.data(), p.f.data(), px * 2.0));
    }
}

BENCHMARK_CAPTURE(OneCall, CSPLNSMPL, CSPLNSMPL);
BENCHMARK_CAPTURE(OneCall, CSPLNAKM, CSPLNAKM);
BENCHMARK_CAPTURE(OneCall, CSPLNCON, CSPLNCON);
BENCHMARK_CAPTURE(OneCall, CSPLNNAT, CSPLNNAT);
BENCHMARK_CAPTURE(OneCall, CSPLNHER, CSPLNHER);
BENCHMARK_CAPTURE(OneCall, CSPLNSMTH, CSPLNSMTH);
BENCHMARK_CAPTURE(OneCall, CSPLNSMTHCV, CSPLNSMTHCV);
BENCHMARK(OneCallOfType)->DenseRange(1, 15)->ArgName("ITYPE");
BENCHMARK_CAPTURE(Preview, CSPLNCON, CSPLNCON)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, CSPLNSMTH, CSPLNSMTH)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
