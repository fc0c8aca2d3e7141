// The library's survey model: stored records, regular and scattered surveys, the
// reader and writer of the file layout, and the slot that holds a loaded survey.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orvex/large_block.h"

namespace kav {

constexpr int kChannels = 14;
constexpr size_t kRecordBytes = 176;
constexpr size_t kHeaderBytes = 788;
constexpr size_t kRegularBlockBytes = 40;
constexpr size_t kScatteredBlockBytes = 12;
constexpr uint32_t kNoCoordinatesFlag = 2;

// One stored record: fourteen channels of four 24-bit big-endian values, the
// two channel-mask bytes, six zero bytes, and a tag the library never interprets.
class SurveyRecord {
public:
    SurveyRecord() = default;
    virtual ~SurveyRecord() = default;
    virtual bool IsEmpty() const { return bytes_[168] == 0 && (bytes_[169] & 0x3F) == 0; }
    virtual bool ChannelAbsent(int channel) const {
        if (channel < 1 || channel > kChannels) return true;
        const int bit = channel - 1;
        return bit < 8 ? (bytes_[168] & (1u << bit)) == 0 : (bytes_[169] & (1u << (bit - 8))) == 0;
    }
    virtual int ChannelCount() const { return kChannels; }
    virtual bool Write(std::FILE *file) const;
    virtual bool Read(std::FILE *file);
    virtual uint32_t GetTag() const { return tag_; }
    virtual void SetTag(uint32_t tag) { tag_ = tag; }
    virtual void Clear();
    virtual void CopyFrom(const unsigned char *raw);

    // Value j (1..4) of channel k (1..14), sign-extended; 0 for an absent channel.
    int32_t Value(int channel, int j) const;
    // The four values of channel k at once (all 0 for an absent channel).
    void ChannelValues(int channel, int32_t values[4]) const {
        if (ChannelAbsent(channel)) {
            values[0] = values[1] = values[2] = values[3] = 0;
            return;
        }
        const unsigned char *p = bytes_ + 12 * (channel - 1);
        for (int j = 0; j < 4; ++j, p += 3)
            values[j] = static_cast<int32_t>(((uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2])
                                             << 8) >>
                        8; // sign-extend bit 23
    }
    // Stores the low 24 bits; a non-zero value marks the channel present.
    void SetValue(int channel, int j, int32_t value);
    const unsigned char *Bytes() const { return bytes_; }

private:
    unsigned char bytes_[kRecordBytes] = {};
    uint32_t tag_ = 0;
};

struct SurveyHeader {
    std::string text[3];
    uint16_t deviceNumber = 0;
    uint16_t year = 2000;
    uint8_t month = 1;
    uint8_t day = 1;
};

class SurveyFileFormat;

// A survey: header and an ordered list of record slots, each empty or owning a record.
class SurveyData {
public:
    virtual ~SurveyData() = default;
    virtual bool Save(SurveyFileFormat &format, const std::string &fileName) const = 0;

    SurveyHeader header;

    size_t SlotCount() const { return slots_.size(); }
    const SurveyRecord *Slot(size_t i) const { return slots_[i] ? &*slots_[i] : nullptr; }
    // Stores a record at index i, growing the list and replacing what the slot held.
    void StoreRecord(size_t i, const SurveyRecord &record);
    // Gives the record of slot i, making an empty one first when the slot has none.
    SurveyRecord &RecordAt(size_t i);
    void ResizeSlots(size_t count) { slots_.resize(count); }

private:
    // The slots live in one block: a survey of 100,000 records is one allocation.
    std::vector<std::optional<SurveyRecord>,
                orvex::LargeBlockAllocator<std::optional<SurveyRecord>>>
        slots_;
};

struct GridGeometry {
    int32_t firstStation = 0;
    int32_t firstLine = 0;
    int32_t stations = 20;
    int32_t lines = 10;
    float xStep = 1.0f;
    float yStep = 1.0f;
};

class RegularSurvey : public SurveyData {
public:
    bool Save(SurveyFileFormat &format, const std::string &fileName) const override;
    const GridGeometry &Geometry() const { return geometry_; }
    // Sizes the record list to stations x lines slots; a survey given no grid
    // (stations 0) becomes one line of 20 slots.
    void SetGeometry(const GridGeometry &geometry);
    // Takes the geometry as a file states it, with `slots` record slots.
    void SetStoredGeometry(const GridGeometry &geometry, size_t slots);

private:
    GridGeometry geometry_;
};

class ScatteredSurvey : public SurveyData {
public:
    bool Save(SurveyFileFormat &format, const std::string &fileName) const override;
    // Stores the (coordinate 1, coordinate 2) pair of record i, growing the list.
    void StoreCoordinates(size_t i, double coord1, double coord2);
    // The pair of record i, or (0, 0) when it has none.
    std::pair<double, double> Coordinates(size_t i) const;

private:
    std::vector<std::pair<double, double>> coordinates_;
};

class SurveyReceiver {
public:
    virtual ~SurveyReceiver() = default;
    virtual void AcceptScattered(std::unique_ptr<ScatteredSurvey> survey) = 0;
    virtual void AcceptRegular(std::unique_ptr<RegularSurvey> survey) = 0;
};

// The reader and writer of the file layout. Failures leave a reason in Error().
class SurveyFileFormat {
public:
    virtual ~SurveyFileFormat() = default;
    virtual bool Load(SurveyReceiver &receiver, const std::string &fileName);
    virtual bool SaveScattered(const ScatteredSurvey &survey, const std::string &fileName);
    virtual bool SaveRegular(const RegularSurvey &survey, const std::string &fileName);
    virtual bool ReadRegular(SurveyReceiver &receiver, std::FILE *file);
    virtual bool ReadScattered(SurveyReceiver &receiver, std::FILE *file);
    virtual bool ReadHeader(SurveyHeader &header, std::FILE *file);
    virtual bool WriteHeader(const SurveyHeader &header, std::FILE *file);

    const std::string &Error() const { return error_; }

private:
    bool Fail(const std::string &reason);
    // Refuses a record count the file cannot plausibly hold.
    bool CheckRecordCount(int64_t count, uint32_t recordsOffset, size_t recordBytes);
    // Writes through a temporary file renamed onto the target on success.
    template <typename WriteBody> bool WriteFile(const std::string &fileName, WriteBody body);

    std::string error_;
    uint32_t layoutWord_ = 0;
    uint32_t blockOffset_ = 0;
    uint64_t fileSize_ = 0;
};

// The one receiver of loaded surveys: holds at most one regular and one scattered.
class LoadedSurveySlot : public SurveyReceiver {
public:
    void AcceptScattered(std::unique_ptr<ScatteredSurvey> survey) override;
    void AcceptRegular(std::unique_ptr<RegularSurvey> survey) override;
    void Release();
    const RegularSurvey *Regular() const { return regular_.get(); }
    const ScatteredSurvey *Scattered() const { return scattered_.get(); }

private:
    std::unique_ptr<RegularSurvey> regular_;
    std::unique_ptr<ScatteredSurvey> scattered_;
};

} // namespace kav
