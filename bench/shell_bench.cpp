// Opening a survey of 100,000 records into an Edit Data window (offscreen) and
// exporting an Edit Data grid as a worksheet. Reports the peak resident memory
// an open adds. A worksheet addresses at most 65,536 rows, so the export runs
// on the largest survey one holds (65,535 records) and reports its rate per cell.
#include "KavUtils.h"
#include "orvex/survey/edit_data_form.h"
#include "orvex/survey/load.h"
#include "orvex/survey/worksheet.h"
#include "resident_memory.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

namespace {

// A regular survey of stations × lines records with random codes; every 97th
// record is empty, so its row is marked unused.
std::string MakeSurvey(const char *name, int32_t stations, int32_t lines) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    if (std::filesystem::exists(path)) return path;
    const size_t n = size_t(stations) * size_t(lines) * 14;
    std::vector<int32_t> v1(n), v2(n), v3(n), v4(n);
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> code(-4000000, 4000000);
    for (size_t i = 0; i < n; ++i) {
        if (i / 14 % 97 == 5) continue;
        v1[i] = code(random);
        v2[i] = code(random);
        v3[i] = code(random) / 16;
        v4[i] = code(random) / 64;
    }
    const double xStep = 2.5, yStep = 10;
    if (KavFileSaveRegular(path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, &stations, &lines, &xStep, &yStep, v1.data(),
                           v2.data(), v3.data(), v4.data(), nullptr) != 1)
        std::abort();
    return path;
}

const std::string &Survey100k() {
    static const std::string path = MakeSurvey("orvex_bench_shell_100k.kav", 500, 200);
    return path;
}

const std::string &SurveyOneWorksheet() {
    static const std::string path = MakeSurvey("orvex_bench_shell_65535.kav", 255, 257);
    return path;
}

double Frequency(int32_t, int channel) {
    return 2510.0 * channel;
}

void Paint(orvex::TEditDataForm &form) {
    form.show();
    form.GridView()->viewport()->repaint();
    QApplication::processEvents();
}

// Load, fill and first paint of a new window, as the Open command does it.
void BM_OpenSurveyIntoEditDataWindow(benchmark::State &state) {
    long long peak = 0;
    for (auto _ : state) {
        const long long baseline = resident_memory::ResetPeak();
        {
            orvex::TEditDataForm form(Frequency);
            form.resize(1000, 640);
            form.LoadSurvey(Survey100k());
            Paint(form);
            benchmark::DoNotOptimize(form.Grid().RowCount());
            peak = resident_memory::PeakSince(baseline);
        }
    }
    state.counters["peak_MB"] = double(peak) / (1 << 20);
    state.counters["rows"] = 100001;
}
BENCHMARK(BM_OpenSurveyIntoEditDataWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

// Filling the window (panel, grid, marks) and painting it, the survey already read.
void BM_FillEditGrid(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<orvex::TEditDataForm>(Frequency);
        form->resize(1000, 640);
        orvex::LoadSurveyFile(form->Records().Data, Survey100k());
        state.ResumeTiming();
        form->FillEditGrid();
        Paint(*form);
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FillEditGrid)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportWorksheet(benchmark::State &state) {
    orvex::TEditDataForm form(Frequency);
    form.LoadSurvey(SurveyOneWorksheet());
    const std::string out =
        (std::filesystem::temp_directory_path() / "orvex_bench_shell.xls").string();
    const int cells = form.Grid().RowCount() * form.Grid().ColumnCount();
    for (auto _ : state)
        orvex::ExportGridToExcel(form.Grid(), out);
    state.counters["cells"] = cells;
    state.counters["file_MB"] = double(std::filesystem::file_size(out)) / (1 << 20);
    state.counters["cells_per_s"] =
        benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate);
    std::filesystem::remove(out);
}
BENCHMARK(BM_ExportWorksheet)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
