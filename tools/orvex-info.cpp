// orvex-info: loads survey files the way the workbench does and prints their
// geometry, so a file can be checked without opening a window.
#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/survey/load.h"

#include <cstdio>
#include <string>

using namespace orvex;

namespace {

void Describe(const std::string &path) {
    TKavSurveyData data;
    LoadSurveyFile(data, path);
    if (!data.Loaded) throw InputOutputError("\"" + path + "\" could not be read completely.");
    size_t unused = 0;
    for (const TStationRecord &record : data.Stations)
        unused += RecordUnused(record) ? 1 : 0;
    std::printf("%s\n", path.c_str());
    std::printf("  layout       %s\n", data.SourceFile.empty() ? "survey data file" : "legacy");
    std::printf("  device       %d\n", data.DeviceNumber);
    if (data.ChaoticGrid == 1) {
        std::printf("  grid         chaotic, %zu points (stations 0..%d on line 0)\n",
                    data.Stations.size(), data.MaxStation);
    } else {
        std::printf("  grid         orthogonal, stations %d..%d, lines %d..%d\n", data.MinStation,
                    data.MaxStation, data.MinLine, data.MaxLine);
        std::printf("  steps        X %s, Y %s\n", FormatGeneral(data.XStep).c_str(),
                    FormatGeneral(data.YStep).c_str());
    }
    std::printf("  records      %zu (%zu unused)\n", data.Stations.size(), unused);
    if (!data.SiteName.empty()) std::printf("  site         %s\n", data.SiteName.c_str());
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2 || std::string(argv[1]) == "--help") {
        std::fprintf(argc < 2 ? stderr : stdout, "usage: orvex-info SURVEY...\n"
                                                 "Prints the grid geometry of survey files.\n");
        return argc < 2 ? 2 : 0;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            Describe(argv[i]);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "orvex-info: %s\n", e.what());
            status = 1;
        }
    }
    return status;
}
