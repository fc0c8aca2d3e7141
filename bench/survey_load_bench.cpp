// Loading a regular survey of 100,000 records (about 18 MB) into memory,
// against reading the same file's bytes. Reports how far a load raises the
// resident memory, relative to the size of the records it produces.
#include "KavUtils.h"
#include "orvex/files.h"
#include "orvex/survey/load.h"
#include "resident_memory.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

namespace {

const std::string &SurveyPath() {
    static const std::string path = [] {
        const std::string p =
            (std::filesystem::temp_directory_path() / "orvex_bench_100k.kav").string();
        const int32_t stations = 500, lines = 200;
        const size_t n = size_t(stations) * lines * 14;
        std::vector<int32_t> v1(n), v2(n), v3(n), v4(n);
        std::mt19937 random(7);
        std::uniform_int_distribution<int32_t> code(-4000000, 4000000);
        for (size_t i = 0; i < n; ++i) {
            v1[i] = code(random);
            v2[i] = code(random);
            v3[i] = code(random) / 16;
            v4[i] = code(random) / 64;
        }
        const double step = 2.5;
        if (KavFileSaveRegular(p.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, &stations, &lines, &step, &step,
                               v1.data(), v2.data(), v3.data(), v4.data(), nullptr) != 1)
            std::abort();
        return p;
    }();
    return path;
}

void BM_ReadFileBytes(benchmark::State &state) {
    for (auto _ : state) {
        std::string bytes = orvex::ReadWholeFile(SurveyPath());
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(std::filesystem::file_size(SurveyPath())));
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

// The same read into memory that was never touched, as a program's first
// read of a survey gets it.
void BM_ReadFileBytesIntoFreshMemory(benchmark::State &state) {
    const size_t size = std::filesystem::file_size(SurveyPath());
    for (auto _ : state) {
        orvex::SurveyArray<char> bytes(size);
        std::FILE *file = std::fopen(SurveyPath().c_str(), "rb");
        if (std::fread(bytes.data(), 1, size, file) != size) std::abort();
        std::fclose(file);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}
BENCHMARK(BM_ReadFileBytesIntoFreshMemory)->Unit(benchmark::kMillisecond);

void BM_LoadSurveyFile(benchmark::State &state) {
    long long peakAboveBaseline = 0;
    size_t records = 0;
    for (auto _ : state) {
        const long long baseline = resident_memory::ResetPeak();
        orvex::TKavSurveyData data;
        orvex::LoadSurveyFile(data, SurveyPath());
        records = data.Stations.size();
        benchmark::DoNotOptimize(data.Stations.data());
        peakAboveBaseline = resident_memory::PeakSince(baseline);
    }
    const double recordBytes = double(records * sizeof(orvex::TStationRecord));
    state.counters["records"] = double(records);
    state.counters["records_MB"] = recordBytes / 1e6;
    state.counters["peak_resident_MB"] = double(peakAboveBaseline) / 1e6;
    state.counters["peak_over_records"] = double(peakAboveBaseline) / recordBytes;
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(std::filesystem::file_size(SurveyPath())));
}
BENCHMARK(BM_LoadSurveyFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
