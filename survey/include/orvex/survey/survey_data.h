// The survey in memory: header texts, grid geometry, device number and one
// record of fourteen frequency channels per measurement position, with the rules
// every reader of the data relies on (record order, used channels, fill rules).
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

#include "orvex/large_block.h"

namespace orvex {

constexpr int kChannelCount = 14;

// Nominal frequencies of channels 1..14 in kHz, as the windows label them.
extern const std::array<double, kChannelCount> kNominalFrequenciesKHz;

// Fourteen values indexed by channel number k = 1..14.
template <typename T> class ChannelArray {
public:
    T &operator[](int channel) {
        assert(channel >= 1 && channel <= kChannelCount);
        return values_[static_cast<size_t>(channel - 1)];
    }
    const T &operator[](int channel) const {
        assert(channel >= 1 && channel <= kChannelCount);
        return values_[static_cast<size_t>(channel - 1)];
    }
    auto begin() { return values_.begin(); }
    auto end() { return values_.end(); }
    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }
    bool operator==(const ChannelArray &) const = default;

private:
    std::array<T, kChannelCount> values_{};
};

// One measurement position.
struct TStationRecord {
    ChannelArray<double> Comp1;        // signal component 1, set by processing
    ChannelArray<double> Comp2;        // signal component 2, set by processing
    ChannelArray<double> Current;      // transmitter current, set by processing
    ChannelArray<double> CurrentComp1; // current component 1 as stored (value 3)
    ChannelArray<double> CurrentComp2; // current component 2 as stored (value 4)
    ChannelArray<int32_t> RawComp1;
    ChannelArray<int32_t> RawComp2;
    ChannelArray<int32_t> RawCurrent; // magnitude of the two current components
    ChannelArray<uint8_t> ChannelUsed;
    double CoordX = 0; // chaotic grid: coordinate 1 (latitude)
    double CoordY = 0; // chaotic grid: coordinate 2 (longitude)
};

// Dynamic arrays handed to and from the data file library.
template <typename T> using SurveyArray = std::vector<T, LargeBlockAllocator<T>>;
using TIntArray = SurveyArray<int32_t>;
using TDWordArray = SurveyArray<uint32_t>;
using TDoubleArray = SurveyArray<double>;

// The data part of a survey object. Texts are held as UTF-8.
struct TKavSurveyData {
    SurveyArray<TStationRecord> Stations; // record order: lines upward, stations serpentine
    std::string SourceFile;               // set only when read in the legacy layout
    uint16_t ChaoticGrid = 0;             // 1 = records placed by their own coordinates
    int32_t MinStation = 0, MaxStation = 0;
    int32_t MinLine = 0, MaxLine = 0;
    int32_t LegacyKind = 0;
    int32_t DeviceNumber = 0;
    double XStep = 0, YStep = 0;
    bool Loaded = false;
    std::string SiteName, SiteOperator, SiteTimeDate, SiteComment;
};

// Number of stations per line and of lines of an orthogonal grid.
inline int64_t StationCount(const TKavSurveyData &data) {
    return int64_t{data.MaxStation} - data.MinStation + 1;
}
inline int64_t LineCount(const TKavSurveyData &data) {
    return int64_t{data.MaxLine} - data.MinLine + 1;
}

// 0-based index of the record of (station, line) on an orthogonal grid: even
// line offsets run upward in station, odd ones downward.
int64_t RecordIndex(const TKavSurveyData &data, int32_t station, int32_t line);

// Empties the records and zeroes the geometry; the device number, the texts
// and SourceFile stay as they are.
void ClearDataPart(TKavSurveyData &data);

// A record is unused when none of its fourteen channels is used.
bool RecordUnused(const TStationRecord &record);
// Clears all fourteen used flags, leaving the record unused.
void MarkRecordUnused(TStationRecord &record);

// Fills channel k from the four stored values of the survey data file:
// components divided by 128 toward zero, the current magnitude rounded to the
// nearest integer (halves to even), and the channel used unless all four lie
// within 1e-10 of zero.
void FillChannel(TStationRecord &record, int channel, int32_t value1, int32_t value2,
                 int32_t value3, int32_t value4);

} // namespace orvex
