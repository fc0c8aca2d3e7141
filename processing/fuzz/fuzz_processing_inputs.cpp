// libFuzzer target for the files the processing engine reads besides surveys:
// the calibration file and the coordinate file of a chaotic map. The input's
// first byte sizes the survey and the processed stretch, the rest up to a
// zero byte is the calibration text, the remainder the coordinate file.
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/processing/calibration.h"
#include "orvex/processing/kav_records.h"
#include "orvex/processing/positions.h"
#include "orvex/prompts.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size < 1) return 0;
    static const std::string folder =
        "/tmp/orvex_fuzz_processing_" + std::to_string(::getpid()) + "/";
    static const bool made = (::mkdir(folder.c_str(), 0700), true);
    (void)made;
    const std::string text(reinterpret_cast<const char *>(bytes + 1), size - 1);
    const size_t zero = text.find('\0');
    const std::string calibration = text.substr(0, zero);
    const std::string coordinates = zero == std::string::npos ? "" : text.substr(zero + 1);

    ScriptedPrompts prompts;
    auto records = std::make_unique<TKavRecords>();
    WriteWholeFile(folder + CalibrationFileName(9), calibration);
    ReadCalibration(records->Options.Calibration, 9, CalibrationFileName(9), folder,
                    bytes[0] & 1 ? ',' : '.', prompts);

    const int32_t count = 1 + (bytes[0] >> 4);
    const int32_t first = (bytes[0] >> 1) & 7;
    TKavSurveyData &data = records->Data;
    data.ChaoticGrid = 1;
    data.MaxStation = count - 1;
    data.Stations.resize(size_t(count));
    records->Kind = RunKind::Map;
    records->ProcMinStation = std::min(first, count - 1);
    records->ProcMaxStation = count - 1;
    records->Results.assign(1,
                            std::vector<TKavResultCell>(size_t(count - records->ProcMinStation)));
    MapProcessFields map;
    map.GPSCoord.Checked = false;
    map.CoordFile.Text = folder + "points.crd";
    WriteWholeFile(map.CoordFile.Text, coordinates);
    try {
        PlaceResults(*records, map, prompts);
    } catch (const Error &) {
        // A file that is not a coordinate file is refused with a message.
    }
    return 0;
}
