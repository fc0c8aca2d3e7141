#include "orvex/survey/survey_data.h"

#include <cmath>

namespace orvex {

const std::array<double, kChannelCount> kNominalFrequenciesKHz = {
    2.510,  3.088,  3.908,  5.079,  6.937,  10.105,  12.351,
    15.630, 20.499, 27.903, 40.254, 62.558, 111.146, 198.041};

int64_t RecordIndex(const TKavSurveyData &data, int32_t station, int32_t line) {
    const int64_t offset = int64_t{line} - data.MinLine;
    const int64_t stations = StationCount(data);
    if (offset % 2 == 0) return offset * stations + (int64_t{station} - data.MinStation);
    return offset * stations + (int64_t{data.MaxStation} - station);
}

void ClearDataPart(TKavSurveyData &data) {
    data.Stations.clear();
    data.Stations.shrink_to_fit();
    data.MinStation = data.MaxStation = 0;
    data.MinLine = data.MaxLine = 0;
    data.LegacyKind = 0;
    data.XStep = data.YStep = 0;
    data.ChaoticGrid = 0;
    data.Loaded = false;
}

bool RecordUnused(const TStationRecord &record) {
    for (uint8_t used : record.ChannelUsed)
        if (used != 0) return false;
    return true;
}

void MarkRecordUnused(TStationRecord &record) {
    for (uint8_t &used : record.ChannelUsed)
        used = 0;
}

void FillChannel(TStationRecord &record, int channel, int32_t value1, int32_t value2,
                 int32_t value3, int32_t value4) {
    // Integer division truncates toward zero, as the real quotient does.
    record.RawComp1[channel] = value1 / 128;
    record.RawComp2[channel] = value2 / 128;
    record.CurrentComp1[channel] = value3;
    record.CurrentComp2[channel] = value4;
    const double magnitude =
        std::sqrt(double(value3) * double(value3) + double(value4) * double(value4));
    record.RawCurrent[channel] =
        static_cast<int32_t>(std::lrint(magnitude)); // nearest, halves to even
    const auto nearZero = [](double v) { return std::fabs(v) <= 1e-10; };
    record.ChannelUsed[channel] =
        nearZero(record.RawComp1[channel]) && nearZero(record.RawComp2[channel]) &&
                nearZero(record.CurrentComp1[channel]) && nearZero(record.CurrentComp2[channel])
            ? 0
            : 1;
}

} // namespace orvex
