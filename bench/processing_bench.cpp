// End-to-end processing runs on surveys tiled from the demo survey's records:
// a map of 10,000 stations in apparent conductivity and a section of 1,000
// positions × 14 frequencies (collect options with the calibration file,
// prepare, convert, place, write), and the conversion and the writing alone,
// to show where the time goes.
#include "orvex/processing/collect_options.h"
#include "orvex/processing/conversion.h"
#include "orvex/processing/option_rules.h"
#include "orvex/processing/runs.h"
#include "orvex/processing/writers.h"
#include "orvex/prompts.h"
#include "orvex/survey/load.h"
#include "resident_memory.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace orvex;

namespace {

const std::string kOutput =
    (std::filesystem::temp_directory_path() / "orvex_bench_processing").string();

// A survey of `stations` × `lines` whose records repeat the demo survey's.
std::unique_ptr<TKavRecords> TiledSurvey(int32_t stations, int32_t lines) {
    TKavSurveyData demo;
    LoadSurveyFile(demo, std::string(ORVEX_DATA_DIR) + "/demo/demo.kav");
    auto records = std::make_unique<TKavRecords>();
    TKavSurveyData &data = records->Data;
    data = demo;
    data.MaxStation = stations - 1;
    data.MaxLine = lines - 1;
    data.Stations.assign(size_t(stations) * size_t(lines), TStationRecord{});
    for (int32_t l = 0; l < lines; ++l)
        for (int32_t s = 0; s < stations; ++s)
            data.Stations[size_t(RecordIndex(data, s, l))] = demo.Stations[size_t(
                RecordIndex(demo, s % (demo.MaxStation + 1), l % (demo.MaxLine + 1)))];
    return records;
}

// Windows set for apparent conductivity with the survey loaded.
struct Run {
    Run(int32_t stations, int32_t lines, bool map) : records(TiledSurvey(stations, lines)) {
        std::filesystem::create_directories(kOutput);
        environment.CalibrationFolder = std::string(ORVEX_DATA_DIR) + "/demo/";
        environment.OutputFolder = kOutput;
        windows->Common.InputFile = "bench.kav";
        windows->Map.Visible = map;
        windows->Section.Visible = !map;
        windows->Options.OutputUnits.ItemIndex = 1;
        OnOutputUnitsClick(windows->Options);
        records->Data.Loaded = true;
        FillWindowsAfterLoad(*records, *windows, environment);
        for (CheckState &box : windows->Section.Freq)
            box.Checked = true;
        BuildOutputName(*records, *windows, environment);
    }
    void Once() {
        if (!RunProcessing(*records, *windows, environment)) std::abort();
    }
    ScriptedPrompts prompts; // the closing message of every run, unseen
    ProcessingEnvironment environment{prompts};
    std::unique_ptr<TKavRecords> records;
    std::unique_ptr<ProcessWindows> windows = std::make_unique<ProcessWindows>();
};

// The time per converted value, printed with its SI prefix.
void Report(benchmark::State &state, int64_t values) {
    state.counters["per_value"] =
        benchmark::Counter(double(values), benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

void BM_MapOf10000Stations(benchmark::State &state) {
    Run run(100, 100, true);
    const long long baseline = resident_memory::ResetPeak();
    for (auto _ : state)
        run.Once();
    state.counters["peak_rss_MB"] = double(resident_memory::PeakSince(baseline)) / 1e6;
    Report(state, 10000);
}
BENCHMARK(BM_MapOf10000Stations)->Unit(benchmark::kMillisecond);

void BM_SectionOf1000PositionsBy14Frequencies(benchmark::State &state) {
    Run run(1000, 1, false);
    const long long baseline = resident_memory::ResetPeak();
    for (auto _ : state)
        run.Once();
    state.counters["peak_rss_MB"] = double(resident_memory::PeakSince(baseline)) / 1e6;
    Report(state, 14000);
}
BENCHMARK(BM_SectionOf1000PositionsBy14Frequencies)->Unit(benchmark::kMillisecond);

// The parts of the map run.
void BM_MapCollectAndPrepare(benchmark::State &state) {
    Run run(100, 100, true);
    for (auto _ : state) {
        CollectOptions(*run.records, *run.windows, run.environment);
        PrepareConversion(*run.records);
    }
}
BENCHMARK(BM_MapCollectAndPrepare)->Unit(benchmark::kMillisecond);

void BM_MapConvertOnly(benchmark::State &state) {
    Run run(100, 100, true);
    run.Once();
    TKavResultCell cell;
    for (auto _ : state)
        for (int64_t m = 0; m < 10000; ++m) {
            ConvertValue(*run.records, m, 1, cell);
            benchmark::DoNotOptimize(cell.Value);
        }
    Report(state, 10000);
}
BENCHMARK(BM_MapConvertOnly)->Unit(benchmark::kMillisecond);

void BM_MapWriteOnly(benchmark::State &state) {
    Run run(100, 100, true);
    run.Once();
    for (auto _ : state)
        WriteOutput(*run.records, kOutput + "/write_only.dat", '.');
}
BENCHMARK(BM_MapWriteOnly)->Unit(benchmark::kMillisecond);

void BM_SectionWriteOnly(benchmark::State &state) {
    Run run(1000, 1, false);
    run.Once();
    for (auto _ : state)
        WriteOutput(*run.records, kOutput + "/write_only.dat", '.');
}
BENCHMARK(BM_SectionWriteOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
