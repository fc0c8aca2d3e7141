// orvex-make-demo: writes the bundled demo surveys into a folder: a regular
// survey data file through KavUtils and a legacy-layout file of the older
// instruments, both over a smooth synthetic anomaly.
#include "KavUtils.h"
#include "orvex/survey/legacy.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace orvex;

namespace {

// A conductive body centred in the grid: stronger response near it, falling
// with frequency channel; returns a code for component `c` of channel k.
double Anomaly(double x, double y, int k, int c) {
    const double r2 = (x - 0.55) * (x - 0.55) + (y - 0.45) * (y - 0.45);
    const double body = std::exp(-r2 / 0.04);
    const double frequency = std::pow(1.25, k);
    return (c == 0 ? 200.0 + 600.0 * body : -80.0 - 300.0 * body / frequency) * frequency;
}

bool WriteRegular(const std::string &path) {
    const int32_t stations = 24, lines = 12, firstStation = 0, firstLine = 0;
    const size_t n = static_cast<size_t>(stations * lines);
    std::vector<int32_t> v1(n * 14), v2(n * 14), v3(n * 14), v4(n * 14);
    for (int32_t line = 0; line < lines; ++line)
        for (int32_t s = 0; s < stations; ++s) {
            // serpentine: odd lines are walked from the last station back
            const int32_t station = line % 2 == 0 ? s : stations - 1 - s;
            const size_t record = static_cast<size_t>(line * stations + s);
            const double x = station / double(stations - 1), y = line / double(lines - 1);
            for (int k = 1; k <= 14; ++k) {
                const size_t at = record * 14 + static_cast<size_t>(k - 1);
                v1[at] = static_cast<int32_t>(std::lround(128 * Anomaly(x, y, k, 0)));
                v2[at] = static_cast<int32_t>(std::lround(128 * Anomaly(x, y, k, 1)));
                v3[at] = 30000 - 900 * k;
                v4[at] = 1200 + 40 * k;
            }
        }
    const uint16_t device = 9, year = 2026;
    const uint8_t day = 11, month = 12;
    const double xStep = 5.0, yStep = 10.0;
    return KavFileSaveRegular(path.c_str(), "", "", "", &device, &day, &month, &year, &firstStation,
                              &firstLine, &stations, &lines, &xStep, &yStep, v1.data(), v2.data(),
                              v3.data(), v4.data(), nullptr) == 1;
}

void WriteLegacy(const std::string &path) {
    TKavSurveyData data;
    data.SiteName = "Demo site";
    data.SiteOperator = "Operator";
    data.SiteTimeDate = "11.12.2026";
    data.SiteComment = "Legacy-layout demo survey";
    data.MinStation = 1;
    data.MaxStation = 10;
    data.MinLine = 1;
    data.MaxLine = 5;
    data.XStep = 2.5;
    data.YStep = 5;
    data.DeviceNumber = 8;
    data.Stations.resize(50);
    for (int line = 1; line <= 5; ++line)
        for (int station = 1; station <= 10; ++station) {
            TStationRecord &record =
                data.Stations[static_cast<size_t>(RecordIndex(data, station, line))];
            for (int k = 1; k <= 14; ++k) {
                record.RawComp1[k] =
                    static_cast<int32_t>(Anomaly(station / 10.0, line / 5.0, k, 0) / 4);
                record.RawComp2[k] =
                    static_cast<int32_t>(Anomaly(station / 10.0, line / 5.0, k, 1) / 4);
                record.RawCurrent[k] = 700 - 10 * k;
                record.ChannelUsed[k] = 1;
            }
        }
    WriteLegacySurvey(data, path);
}

} // namespace

int main(int argc, char **argv) {
    const std::string folder = argc > 1 ? argv[1] : "data/demo";
    try {
        if (!WriteRegular(folder + "/demo.kav")) {
            std::fprintf(stderr, "orvex-make-demo: cannot write %s/demo.kav: %s\n", folder.c_str(),
                         KavFileLastError());
            return 1;
        }
        WriteLegacy(folder + "/demo_legacy.prf");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orvex-make-demo: %s\n", e.what());
        return 1;
    }
    std::printf("%s/demo.kav\n%s/demo_legacy.prf\n", folder.c_str(), folder.c_str());
    return 0;
}
