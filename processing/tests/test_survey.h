// Small surveys and calibration files for the processing tests.
#pragma once

#include "orvex/files.h"
#include "orvex/format.h"
#include "orvex/processing/kav_records.h"

#include <functional>
#include <map>
#include <string>

namespace orvex::testing {

// An orthogonal survey of device 9 whose every channel is used, with raw codes
// from `codes` (record index, channel, component 1..3 for RawComp1, RawComp2,
// RawCurrent).
inline TKavRecords MakeGrid(int32_t minStation, int32_t maxStation, int32_t minLine,
                            int32_t maxLine,
                            const std::function<int32_t(int64_t, int, int)> &codes) {
    TKavRecords records;
    TKavSurveyData &data = records.Data;
    data.MinStation = minStation;
    data.MaxStation = maxStation;
    data.MinLine = minLine;
    data.MaxLine = maxLine;
    data.XStep = data.YStep = 1;
    data.DeviceNumber = 9;
    data.Loaded = true;
    data.Stations.resize(static_cast<size_t>(StationCount(data) * LineCount(data)));
    for (size_t m = 0; m < data.Stations.size(); ++m)
        for (int k = 1; k <= kChannelCount; ++k) {
            TStationRecord &r = data.Stations[m];
            r.RawComp1[k] = codes(int64_t(m), k, 1);
            r.RawComp2[k] = codes(int64_t(m), k, 2);
            r.RawCurrent[k] = codes(int64_t(m), k, 3);
            r.ChannelUsed[k] = 1;
        }
    return records;
}

// Writes a calibration file: every key of every channel gets `common[section]`
// (1 when absent); `perChannel` sets single keys, including r1, r2, rt and nt.
inline void WriteCalibrationFile(const std::string &path,
                                 const std::map<std::string, double> &common,
                                 const std::map<std::string, std::string> &perChannel = {}) {
    static const std::pair<const char *, const char *> sections[] = {
        {"Frequencies", "F"}, {"XPrimary", "XP"},  {"YPrimary", "YP"}, {"CurrentCoef", "CC"},
        {"XAir", "XA"},       {"YAir", "YA"},      {"IAir", "IA"},     {"M1", "M1_"},
        {"M2", "M2_"},        {"GainFactor", "GF"}};
    std::string text;
    for (auto [section, prefix] : sections) {
        text += std::string("[") + section + "]\r\n";
        for (int k = 1; k <= kChannelCount; ++k) {
            const std::string key = prefix + std::to_string(k);
            auto over = perChannel.find(key);
            auto value = common.find(section);
            text += key + "=" +
                    (over != perChannel.end()
                         ? over->second
                         : (value != common.end() ? FormatGeneral(value->second) : "1")) +
                    "\r\n";
        }
    }
    text += "[r]\r\n";
    for (const char *key : {"r1", "r2", "rt", "nt"}) {
        auto over = perChannel.find(key);
        text += std::string(key) + "=" + (over != perChannel.end() ? over->second : "1") + "\r\n";
    }
    WriteWholeFile(path, text);
}

} // namespace orvex::testing
