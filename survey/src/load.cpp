#include "orvex/survey/load.h"

#include "orvex/survey/legacy.h"

#include "KavUtils.h"
#include "orvex/codepage.h"
#include "orvex/errors.h"
#include "orvex/files.h"

#include <climits>
#include <cstring>

namespace orvex {

namespace {

constexpr size_t kMaxFileName = 1000;
const char kSurveyFileMark[4] = {'K', 'A', 'V', '\0'};

bool BeginsWithSurveyFileMark(const std::string &fileName) {
    std::FILE *file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) return false;
    char mark[4] = {};
    const bool marked =
        std::fread(mark, 1, 4, file) == 4 && std::memcmp(mark, kSurveyFileMark, 4) == 0;
    std::fclose(file);
    return marked;
}

// The library path; false when the library refuses the file.
bool LoadThroughLibrary(TKavSurveyData &data, const char *name) {
    char text1[256], text2[256], text3[256];
    int32_t count = 0, device = 0, day = 0, month = 0, year = 0;
    int32_t firstStation = 0, firstLine = 0, stations = 0, lines = 0;
    double xStep = 0, yStep = 0;
    if (KavFileLoad(name, text1, text2, text3, &count, &device, &day, &month, &year, &firstStation,
                    &firstLine, &stations, &lines, &xStep, &yStep) == 0)
        return false;

    data.DeviceNumber = device;
    const size_t records = count > 0 ? static_cast<size_t>(count) : 0;
    TIntArray value1(records * kChannelCount), value2(records * kChannelCount),
        value3(records * kChannelCount), value4(records * kChannelCount);
    TDWordArray tags(records);
    TDoubleArray coord1(records), coord2(records);
    if (KavFileLoadData(value1.data(), value2.data(), value3.data(), value4.data(), tags.data(),
                        coord1.data(), coord2.data()) == 0 ||
        KavFileLoadClose() == 0)
        return true; // accepted but not completed: nothing more changes

    const bool chaotic = stations == 0 && lines == 0 && xStep == 0.0 && yStep == 0.0;
    if (!chaotic && (stations < 1 || lines < 1))
        throw RangeError("The survey data file \"" + std::string(name) +
                         "\" holds no grid of stations and lines.");
    if (!chaotic && (int64_t{firstStation} + stations - 1 > INT32_MAX ||
                     int64_t{firstLine} + lines - 1 > INT32_MAX))
        throw RangeError("The station or line numbers of \"" + std::string(name) +
                         "\" exceed the range of the grid.");

    // Records are built in place one by one, each while it is in cache; a
    // reload into the same object reuses the memory it already holds.
    data.Stations.clear();
    data.Stations.reserve(records);
    if (chaotic) {
        data.ChaoticGrid = 1;
        data.MinStation = 0;
        data.MaxStation = static_cast<int32_t>(records) - 1;
        data.MinLine = data.MaxLine = 0;
        data.XStep = data.YStep = 0;
    } else {
        data.ChaoticGrid = 0;
        data.MinStation = firstStation;
        data.MaxStation = firstStation + stations - 1;
        data.MinLine = firstLine;
        data.MaxLine = firstLine + lines - 1;
        data.XStep = xStep;
        data.YStep = yStep;
    }
    for (size_t i = 0; i < records; ++i) {
        TStationRecord &record = data.Stations.emplace_back();
        const size_t base = i * kChannelCount;
        for (int k = 1; k <= kChannelCount; ++k) {
            const size_t at = base + static_cast<size_t>(k - 1);
            FillChannel(record, k, value1[at], value2[at], value3[at], value4[at]);
        }
        if (chaotic) {
            record.CoordX = coord1[i];
            record.CoordY = coord2[i];
        }
    }
    data.Loaded = true;
    return true;
}

std::string ReadShortString(BinaryReader &reader) {
    unsigned char field[256];
    reader.Read(field, sizeof field);
    return Cp1251ToUtf8(std::string(reinterpret_cast<const char *>(field + 1), field[0]));
}

void LoadLegacy(TKavSurveyData &data, const std::string &fileName) {
    ClearDataPart(data);
    data.SourceFile = fileName;
    BinaryReader reader(fileName);
    data.SiteName = ReadShortString(reader);
    data.SiteOperator = ReadShortString(reader);
    data.SiteTimeDate = ReadShortString(reader);
    data.SiteComment = ReadShortString(reader);
    data.ChaoticGrid = reader.ReadLittle<uint16_t>();
    if (data.ChaoticGrid > 1)
        throw RangeError("\"" + fileName + "\" is neither a survey data file nor a legacy survey.");
    const bool chaotic = data.ChaoticGrid == 1;
    data.MinStation = reader.ReadLittle<int32_t>();
    data.MaxStation = reader.ReadLittle<int32_t>();
    if (!chaotic) {
        data.MinLine = reader.ReadLittle<int32_t>();
        data.MaxLine = reader.ReadLittle<int32_t>();
    }
    data.LegacyKind = reader.ReadLittle<int32_t>();
    if (!chaotic) {
        data.XStep = reader.ReadLittle<double>();
        data.YStep = reader.ReadLittle<double>();
    }
    data.DeviceNumber = data.LegacyKind == 0 ? 7 : 8;

    const int64_t stations = StationCount(data), lines = LineCount(data);
    if (stations < 1 || lines < 1)
        throw RangeError("\"" + fileName + "\" does not describe a station and line range.");
    // The records must all be there; refusing a short file here keeps a
    // nonsense header from allocating a grid the file cannot fill.
    const uint64_t available = reader.Size() - reader.Position();
    const uint64_t fit = available / kLegacyRecordBytes;
    if (uint64_t(stations) > fit || uint64_t(lines) > fit / uint64_t(stations))
        throw InputOutputError("Read beyond end of file \"" + fileName + "\"");

    const size_t records = static_cast<size_t>(stations * lines);
    std::vector<unsigned char> block(records * kLegacyRecordBytes);
    reader.Read(block.data(), block.size());
    data.Stations.assign(records, TStationRecord{});
    for (size_t i = 0; i < records; ++i) {
        const unsigned char *group = block.data() + i * kLegacyRecordBytes;
        TStationRecord &record = data.Stations[i];
        for (int k = 1; k <= kChannelCount; ++k, group += 8) {
            bool unused = false;
            record.RawComp2[k] = DecodeLegacyWord(group);
            record.RawComp1[k] = DecodeLegacyWord(group + 3, &unused);
            record.ChannelUsed[k] = unused ? 0 : 1;
            record.RawCurrent[k] = (group[6] | (group[7] << 8)) & 0x3FF;
        }
    }
    data.Loaded = true;
}

} // namespace

void LoadSurveyFile(TKavSurveyData &data, const std::string &fileName) {
    if (fileName.size() >= kMaxFileName)
        throw RangeError("The file name is too long (" + std::to_string(fileName.size()) +
                         " characters; at most 999).");
    if (LoadThroughLibrary(data, fileName.c_str())) return;
    if (BeginsWithSurveyFileMark(fileName))
        throw InputOutputError("The survey data file \"" + fileName +
                               "\" is damaged: " + KavFileLastError() + ".");
    LoadLegacy(data, fileName);
}

} // namespace orvex
