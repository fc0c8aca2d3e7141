#include "survey_model.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <sys/stat.h>

namespace kav {

namespace {

const unsigned char kMagic[4] = {0x4B, 0x41, 0x56, 0x00};
constexpr int64_t kMissingRecordMargin = 4096;

bool ReadBytes(std::FILE *file, void *buffer, size_t size) {
    return std::fread(buffer, 1, size, file) == size;
}

template <typename T> T Little(const unsigned char *bytes) {
    uint64_t bits = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        bits = (bits << 8) | bytes[i];
    T value;
    if constexpr (sizeof(T) == 8) {
        std::memcpy(&value, &bits, 8);
    } else {
        const auto narrow = static_cast<std::make_unsigned_t<T>>(bits);
        std::memcpy(&value, &narrow, sizeof(T));
    }
    return value;
}

template <typename T> bool ReadLittle(std::FILE *file, T &value) {
    unsigned char bytes[sizeof(T)];
    if (!ReadBytes(file, bytes, sizeof bytes)) return false;
    value = Little<T>(bytes);
    return true;
}

template <typename T> bool WriteLittle(std::FILE *file, T value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(T));
    unsigned char bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    return std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
}

// A short string: length byte, then the characters; a zero byte ends it early.
std::string DecodeShortString(const unsigned char *field) {
    const size_t length = field[0];
    size_t end = 0;
    while (end < length && field[1 + end] != 0)
        ++end;
    return std::string(reinterpret_cast<const char *>(field + 1), end);
}

bool WriteShortString(std::FILE *file, const std::string &text) {
    unsigned char field[256] = {};
    const size_t length = std::min<size_t>(text.size(), 255);
    field[0] = static_cast<unsigned char>(length);
    std::memcpy(field + 1, text.data(), length);
    return std::fwrite(field, 1, sizeof field, file) == sizeof field;
}

// Reads up to `count` entries of `entryBytes` in large blocks and hands each
// complete one to `take(index, bytes)`; stops at the first entry the file ends
// inside, so that entry and all later ones stay empty.
template <typename Take>
void ReadEntries(std::FILE *file, size_t count, size_t entryBytes, Take take) {
    constexpr size_t kBlockEntries = 2048;
    std::vector<unsigned char> block(kBlockEntries * entryBytes);
    for (size_t first = 0; first < count;) {
        const size_t wanted = std::min(kBlockEntries, count - first);
        const size_t got = std::fread(block.data(), 1, wanted * entryBytes, file) / entryBytes;
        for (size_t j = 0; j < got; ++j)
            take(first + j, block.data() + j * entryBytes);
        if (got < wanted) return;
        first += got;
    }
}

bool Seek(std::FILE *file, uint64_t offset) {
    return offset <= static_cast<uint64_t>(LONG_MAX) &&
           std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

} // namespace

// ---- SurveyRecord

bool SurveyRecord::Write(std::FILE *file) const {
    return std::fwrite(bytes_, 1, kRecordBytes, file) == kRecordBytes;
}

bool SurveyRecord::Read(std::FILE *file) {
    return ReadBytes(file, bytes_, kRecordBytes);
}

void SurveyRecord::Clear() {
    std::memset(bytes_, 0, kRecordBytes);
}

void SurveyRecord::CopyFrom(const unsigned char *raw) {
    std::memcpy(bytes_, raw, kRecordBytes);
}

int32_t SurveyRecord::Value(int channel, int j) const {
    if (j < 1 || j > 4) return 0;
    int32_t values[4];
    ChannelValues(channel, values);
    return values[j - 1];
}

void SurveyRecord::SetValue(int channel, int j, int32_t value) {
    if (channel < 1 || channel > kChannels || j < 1 || j > 4) return;
    unsigned char *p = bytes_ + 12 * (channel - 1) + 3 * (j - 1);
    const auto bits = static_cast<uint32_t>(value);
    p[0] = static_cast<unsigned char>(bits >> 16);
    p[1] = static_cast<unsigned char>(bits >> 8);
    p[2] = static_cast<unsigned char>(bits);
    if (value != 0) {
        const int bit = channel - 1;
        if (bit < 8)
            bytes_[168] |= static_cast<unsigned char>(1u << bit);
        else
            bytes_[169] |= static_cast<unsigned char>(1u << (bit - 8));
    }
}

// ---- Surveys

void SurveyData::StoreRecord(size_t i, const SurveyRecord &record) {
    if (i >= slots_.size()) slots_.resize(i + 1);
    slots_[i] = record;
}

SurveyRecord &SurveyData::RecordAt(size_t i) {
    if (i >= slots_.size()) slots_.resize(i + 1);
    if (!slots_[i]) slots_[i].emplace();
    return *slots_[i];
}

void RegularSurvey::SetGeometry(const GridGeometry &geometry) {
    geometry_ = geometry;
    if (geometry_.stations == 0) {
        geometry_.lines = 1;
        ResizeSlots(20);
    } else {
        const int64_t count = int64_t{geometry_.stations} * geometry_.lines;
        ResizeSlots(count > 0 ? static_cast<size_t>(count) : 0);
    }
}

void RegularSurvey::SetStoredGeometry(const GridGeometry &geometry, size_t slots) {
    geometry_ = geometry;
    ResizeSlots(slots);
}

bool RegularSurvey::Save(SurveyFileFormat &format, const std::string &fileName) const {
    return format.SaveRegular(*this, fileName);
}

bool ScatteredSurvey::Save(SurveyFileFormat &format, const std::string &fileName) const {
    return format.SaveScattered(*this, fileName);
}

void ScatteredSurvey::StoreCoordinates(size_t i, double coord1, double coord2) {
    if (i >= coordinates_.size()) coordinates_.resize(i + 1);
    coordinates_[i] = {coord1, coord2};
}

std::pair<double, double> ScatteredSurvey::Coordinates(size_t i) const {
    return i < coordinates_.size() ? coordinates_[i] : std::pair<double, double>{0.0, 0.0};
}

// ---- Reading

bool SurveyFileFormat::Fail(const std::string &reason) {
    error_ = reason;
    return false;
}

bool SurveyFileFormat::Load(SurveyReceiver &receiver, const std::string &fileName) {
    error_.clear();
    std::FILE *file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) return Fail("cannot open the file");
    struct stat info {};
    bool ok = false;
    uint16_t layout = 0;
    if (::fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        Fail("not a regular file");
    } else {
        fileSize_ = static_cast<uint64_t>(info.st_size);
        if (!Seek(file, 782) || !ReadLittle(file, layout) || !Seek(file, 0))
            Fail("shorter than a survey data file header");
        else
            ok = (layout & 1) ? ReadScattered(receiver, file) : ReadRegular(receiver, file);
    }
    std::fclose(file);
    return ok;
}

bool SurveyFileFormat::ReadHeader(SurveyHeader &header, std::FILE *file) {
    unsigned char magic[4];
    if (!ReadBytes(file, magic, 4) || std::memcmp(magic, kMagic, 4) != 0)
        return Fail("not a survey data file (no KAV mark)");
    unsigned char fields[kHeaderBytes - 4];
    if (!ReadBytes(file, fields, sizeof fields))
        return Fail("shorter than a survey data file header");
    const unsigned char *p = fields + 4; // the two version words are not checked
    for (std::string &text : header.text) {
        text = DecodeShortString(p);
        p += 256;
    }
    header.day = p[0];
    header.month = p[1];
    header.year = static_cast<uint16_t>(p[2] | (p[3] << 8));
    header.deviceNumber = static_cast<uint16_t>(p[4] | (p[5] << 8));
    layoutWord_ = static_cast<uint32_t>(p[6] | (p[7] << 8));
    blockOffset_ =
        uint32_t{p[8]} | (uint32_t{p[9]} << 8) | (uint32_t{p[10]} << 16) | (uint32_t{p[11]} << 24);
    if (!Seek(file, blockOffset_)) return Fail("the layout block offset lies outside the file");
    return true;
}

bool SurveyFileFormat::CheckRecordCount(int64_t count, uint32_t recordsOffset, size_t recordBytes) {
    const int64_t present = recordsOffset < fileSize_
                                ? static_cast<int64_t>((fileSize_ - recordsOffset) / recordBytes)
                                : 0;
    const int64_t missing = count > present ? count - present : 0;
    if (missing > std::max(present, kMissingRecordMargin))
        return Fail("the header promises " + std::to_string(count) +
                    " records but the file holds " + std::to_string(present));
    return true;
}

bool SurveyFileFormat::ReadRegular(SurveyReceiver &receiver, std::FILE *file) {
    auto survey = std::make_unique<RegularSurvey>();
    if (!ReadHeader(survey->header, file)) return false;
    GridGeometry geometry;
    double xStep = 0, yStep = 0;
    uint32_t noGrid = 0, recordsOffset = 0;
    if (!ReadLittle(file, geometry.firstStation) || !ReadLittle(file, geometry.firstLine) ||
        !ReadLittle(file, geometry.stations) || !ReadLittle(file, geometry.lines) ||
        !ReadLittle(file, xStep) || !ReadLittle(file, yStep) || !ReadLittle(file, noGrid) ||
        !ReadLittle(file, recordsOffset))
        return Fail("the file ends inside its grid description");
    geometry.xStep = static_cast<float>(xStep);
    geometry.yStep = static_cast<float>(yStep);
    if (geometry.stations < 0 || geometry.lines < 0)
        return Fail("negative number of stations or lines");
    const int64_t count = int64_t{geometry.stations} * geometry.lines;
    if (count > INT32_MAX) return Fail("stations x lines exceeds the largest record count");
    if (!CheckRecordCount(count, recordsOffset, kRecordBytes + 4)) return false;

    survey->SetStoredGeometry(geometry, static_cast<size_t>(count));
    if (Seek(file, recordsOffset)) {
        ReadEntries(file, static_cast<size_t>(count), kRecordBytes + 4,
                    [&](size_t i, const unsigned char *entry) {
                        SurveyRecord &record = survey->RecordAt(i);
                        record.CopyFrom(entry);
                        record.SetTag(Little<uint32_t>(entry + kRecordBytes));
                    });
    }
    receiver.AcceptRegular(std::move(survey));
    return true;
}

bool SurveyFileFormat::ReadScattered(SurveyReceiver &receiver, std::FILE *file) {
    auto survey = std::make_unique<ScatteredSurvey>();
    if (!ReadHeader(survey->header, file)) return false;
    int32_t count = 0;
    uint32_t flags = 0, recordsOffset = 0;
    if (!ReadLittle(file, count) || !ReadLittle(file, flags) || !ReadLittle(file, recordsOffset))
        return Fail("the file ends inside its point description");
    if (count < 0) return Fail("negative record count");
    const bool withCoordinates = (flags & kNoCoordinatesFlag) == 0;
    const size_t recordBytes = kRecordBytes + 4 + (withCoordinates ? 16 : 0);
    if (!CheckRecordCount(count, recordsOffset, recordBytes)) return false;

    survey->ResizeSlots(static_cast<size_t>(count));
    if (Seek(file, recordsOffset)) {
        ReadEntries(file, static_cast<size_t>(count), recordBytes,
                    [&](size_t i, const unsigned char *entry) {
                        SurveyRecord &record = survey->RecordAt(i);
                        record.CopyFrom(entry);
                        record.SetTag(Little<uint32_t>(entry + kRecordBytes));
                        if (withCoordinates)
                            survey->StoreCoordinates(i, Little<double>(entry + kRecordBytes + 12),
                                                     Little<double>(entry + kRecordBytes + 4));
                    });
    }
    receiver.AcceptScattered(std::move(survey));
    return true;
}

// ---- Writing

template <typename WriteBody>
bool SurveyFileFormat::WriteFile(const std::string &fileName, WriteBody body) {
    error_.clear();
    const std::string temporary = fileName + ".part~";
    std::FILE *file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return Fail("cannot create the file");
    const bool written = body(file) && std::fflush(file) == 0 && !std::ferror(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return Fail("cannot write the file");
    }
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        std::remove(temporary.c_str());
        return Fail("cannot create the file");
    }
    return true;
}

bool SurveyFileFormat::WriteHeader(const SurveyHeader &header, std::FILE *file) {
    bool ok = std::fwrite(kMagic, 1, 4, file) == 4 && WriteLittle<uint16_t>(file, 1) &&
              WriteLittle<uint16_t>(file, 0);
    for (const std::string &text : header.text)
        ok = ok && WriteShortString(file, text);
    return ok && WriteLittle(file, header.day) && WriteLittle(file, header.month) &&
           WriteLittle(file, header.year) && WriteLittle(file, header.deviceNumber);
}

namespace {

bool WriteRecord(std::FILE *file, const SurveyRecord *record) {
    static const unsigned char zeros[kRecordBytes] = {};
    if (record == nullptr)
        return std::fwrite(zeros, 1, kRecordBytes, file) == kRecordBytes &&
               WriteLittle<uint32_t>(file, 0);
    return record->Write(file) && WriteLittle(file, record->GetTag());
}

} // namespace

bool SurveyFileFormat::SaveRegular(const RegularSurvey &survey, const std::string &fileName) {
    return WriteFile(fileName, [&](std::FILE *file) {
        const GridGeometry &g = survey.Geometry();
        const auto stationsField =
            g.stations == 0 ? static_cast<int32_t>(survey.SlotCount()) : g.stations;
        bool ok = WriteHeader(survey.header, file) && WriteLittle<uint16_t>(file, 0) &&
                  WriteLittle<uint32_t>(file, kHeaderBytes) && WriteLittle(file, g.firstStation) &&
                  WriteLittle(file, g.firstLine) && WriteLittle(file, stationsField) &&
                  WriteLittle(file, g.lines) && WriteLittle(file, static_cast<double>(g.xStep)) &&
                  WriteLittle(file, static_cast<double>(g.yStep)) &&
                  WriteLittle<uint32_t>(file, g.stations == 0 ? 1 : 0) &&
                  WriteLittle<uint32_t>(file, kHeaderBytes + kRegularBlockBytes);
        for (size_t i = 0; ok && i < survey.SlotCount(); ++i)
            ok = WriteRecord(file, survey.Slot(i));
        return ok;
    });
}

bool SurveyFileFormat::SaveScattered(const ScatteredSurvey &survey, const std::string &fileName) {
    return WriteFile(fileName, [&](std::FILE *file) {
        bool ok = WriteHeader(survey.header, file) && WriteLittle<uint16_t>(file, 1) &&
                  WriteLittle<uint32_t>(file, kHeaderBytes) &&
                  WriteLittle(file, static_cast<int32_t>(survey.SlotCount())) &&
                  WriteLittle<uint32_t>(file, 0) &&
                  WriteLittle<uint32_t>(file, kHeaderBytes + kScatteredBlockBytes);
        for (size_t i = 0; ok && i < survey.SlotCount(); ++i) {
            const auto [coord1, coord2] = survey.Coordinates(i);
            ok = WriteRecord(file, survey.Slot(i)) && WriteLittle(file, coord2) &&
                 WriteLittle(file, coord1);
        }
        return ok;
    });
}

// ---- LoadedSurveySlot

void LoadedSurveySlot::AcceptScattered(std::unique_ptr<ScatteredSurvey> survey) {
    scattered_ = std::move(survey);
}

void LoadedSurveySlot::AcceptRegular(std::unique_ptr<RegularSurvey> survey) {
    regular_ = std::move(survey);
}

void LoadedSurveySlot::Release() {
    regular_.reset();
    scattered_.reset();
}

} // namespace kav
