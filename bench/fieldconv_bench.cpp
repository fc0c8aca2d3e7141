// Cost of the field transform: the forward model alone, and GETSIGMA per mode over a
// sweep of conductivities from 1e-4 to 10 S/m on the reference instrument at 10 kHz
// (the values of one channel of a map), with the extremum scan reused and scanned
// afresh on every call. Reports calls per second, false-position iterations and
// forward-model evaluations (GETEMF_PP or GETDEMFPP) per call.
#include "fieldconv.h"
#include "fieldconv_internal.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using namespace fieldconv;

constexpr double kM = 7.853981633974483, kF = 10000, kM1 = 1, kM2 = 4.629629629629631, kR1 = 1.2,
                 kR2 = 2, kTol = 1e-10;
constexpr int kSweep = 10000;

// The component of the model at kSweep conductivities spaced evenly in log σ.
std::vector<double> SweepValues(int mode) {
    std::vector<double> values(kSweep);
    for (int i = 0; i < kSweep; ++i) {
        const double sigma = 1e-4 * std::pow(1e5, double(i) / (kSweep - 1));
        values[i] = GETCOMPONENT(GETEMF_PP(kM, kF, kM1, kM2, kR1, kR2, sigma), mode);
    }
    return values;
}

void ReportWork(benchmark::State &state, const Work &work, int64_t calls) {
    state.SetItemsProcessed(calls);
    state.counters["iterations/call"] = double(work.rootIterations) / calls;
    state.counters["evaluations/call"] = double(work.emfEvaluations + work.demfEvaluations) / calls;
    state.counters["eval-iter/call"] =
        double(work.emfEvaluations + work.demfEvaluations - work.rootIterations) / calls;
}

// One call per benchmark iteration, visiting the sweep in a scattered order (a prime
// stride) so that short runs sample all of it.
void BM_GetSigma(benchmark::State &state) {
    const int mode = int(state.range(0));
    const bool reuse = state.range(1) != 0;
    const std::vector<double> values = SweepValues(mode);
    SetScanReuse(reuse);
    GETSIGMA(kM, kF, kM1, kM2, kR1, kR2, values[0], kTol, mode);
    ResetWork();
    int64_t calls = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            GETSIGMA(kM, kF, kM1, kM2, kR1, kR2, values[calls * 7919 % kSweep], kTol, mode));
        ++calls;
    }
    ReportWork(state, WorkDone(), calls);
    SetScanReuse(true);
}
BENCHMARK(BM_GetSigma)
    ->ArgNames({"mode", "reuse"})
    ->ArgsProduct({{0, 1, 2, 3}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);

// The whole sweep of 10,000 values per iteration: one channel of a map.
void BM_Mode1Sweep(benchmark::State &state) {
    const bool reuse = state.range(0) != 0;
    const std::vector<double> values = SweepValues(1);
    SetScanReuse(reuse);
    ResetWork();
    int64_t calls = 0;
    for (auto _ : state) {
        for (double V : values)
            benchmark::DoNotOptimize(GETSIGMA(kM, kF, kM1, kM2, kR1, kR2, V, kTol, 1));
        calls += kSweep;
    }
    ReportWork(state, WorkDone(), calls);
    SetScanReuse(true);
}
BENCHMARK(BM_Mode1Sweep)->ArgName("reuse")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// GETEMF_PP on the series branch (|k·r| < 0.01) and the closed form.
void BM_ForwardModel(benchmark::State &state) {
    const double sigma = state.range(0) == 0 ? 1e-4 : 0.3;
    double s = sigma;
    for (auto _ : state) {
        const Complex e = GETEMF_PP(kM, kF, kM1, kM2, kR1, kR2, s);
        benchmark::DoNotOptimize(e);
        s = sigma + e.re * 1e-30; // keep the argument live
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ForwardModel)->ArgName("closed")->Arg(0)->Arg(1);

void BM_ForwardSlope(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(GETDEMFPP(kM, kF, kM1, kM2, kR1, kR2, 0.3));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ForwardSlope);

} // namespace

BENCHMARK_MAIN();
