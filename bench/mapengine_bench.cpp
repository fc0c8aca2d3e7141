// Gridding 10,000 scattered points to 100 × 100 and 100,000 to 500 × 500, and
// drawing an A4 single-map document to a 150 dpi PNG.
#include "mapengine/gridding.h"
#include "mapengine/model.h"
#include "mapengine/render.h"

#include "orvex/files.h"
#include "orvex/format.h"

#include <QBuffer>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>

namespace {

using namespace orvex::map;

// A field with two anomalies over a 1000 × 600 m area, sampled at random.
double Field(double x, double y) {
    return 100 + 0.02 * x - 60 * std::exp(-(std::pow(x - 350, 2) + std::pow(y - 300, 2)) / 2e4) +
           80 * std::exp(-(std::pow(x - 750, 2) + std::pow(y - 420, 2)) / 8e3);
}

ScatteredData RandomPoints(int count) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> ux(0, 1000), uy(0, 600);
    ScatteredData data;
    for (int i = 0; i < count; ++i) {
        const double x = ux(random), y = uy(random);
        data.x.push_back(x);
        data.y.push_back(y);
        data.z.push_back(Field(x, y));
    }
    return data;
}

std::string Scratch(const std::string &name) {
    const auto dir = std::filesystem::temp_directory_path() / "mapengine-bench";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void GridScattered(benchmark::State &state) {
    const ScatteredData data = RandomPoints(static_cast<int>(state.range(0)));
    const int nodes = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(GridScatteredData(data, {nodes, nodes, 0, 1000, 0, 600}));
}
BENCHMARK(GridScattered)->Args({10'000, 100})->Args({100'000, 500})->Unit(benchmark::kMillisecond);

// The whole gridding call: the data sheet read, gridded and the grid written.
void GridDataSheet(benchmark::State &state) {
    const ScatteredData data = RandomPoints(100'000);
    std::string sheet;
    for (size_t i = 0; i < data.x.size(); ++i)
        sheet += orvex::FormatFixed(data.x[i], 20, 10) + orvex::FormatFixed(data.y[i], 20, 10) +
                 orvex::FormatFixed(data.z[i], 20, 10) + orvex::FormatInt(i, 10) + "\r\n";
    orvex::WriteWholeFile(Scratch("sheet.dat"), sheet);
    GridDataRequest request;
    request.dataFile = Scratch("sheet.dat");
    request.columns = 500;
    request.rows = 500;
    for (auto _ : state)
        benchmark::DoNotOptimize(GridDataFile(request));
}
BENCHMARK(GridDataSheet)->Unit(benchmark::kMillisecond);

// Opening an A4 document with one filled, lined map with its colour scale and
// drawing it to a 150 dpi PNG (in memory), the contours computed afresh.
void RenderA4Png(benchmark::State &state) {
    WriteGridFile(GridScatteredData(RandomPoints(10'000), {100, 60, 0, 1000, 0, 600}),
                  Scratch("map.grd"), GridFormat::GoldenBinary7);
    Application server;
    {
        PlotDocument &document = server.Documents().Add(1);
        ContourLayer &layer =
            document.Shapes().AddContourMap(Scratch("map.grd")).Layers().ContourLayerAt(1);
        layer.SetFilled(true);
        layer.SetShowColourScale(true);
        document.Close(1, Scratch("map.srf"));
    }
    for (auto _ : state) {
        PlotDocument &document = server.Documents().Open(Scratch("map.srf"));
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        RenderImage(document, 150).save(&png, "PNG");
        benchmark::DoNotOptimize(png.data().size());
        document.Close(2);
    }
}
BENCHMARK(RenderA4Png)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(std::filesystem::temp_directory_path() / "mapengine-bench");
    return 0;
}
