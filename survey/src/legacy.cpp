#include "orvex/survey/legacy.h"

#include "orvex/codepage.h"
#include "orvex/files.h"

#include <algorithm>
#include <cstring>

namespace orvex {

namespace {

uint32_t Word(const unsigned char bytes[3]) {
    return bytes[0] | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16);
}

template <typename T> void PutLittle(std::string &out, T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(reinterpret_cast<const char *>(bytes), sizeof(T));
}

void PutShortString(std::string &out, const std::string &utf8) {
    std::string text = Utf8ToCp1251(utf8);
    text.resize(std::min<size_t>(text.size(), 255));
    std::string field(256, '\0');
    field[0] = static_cast<char>(text.size());
    std::copy(text.begin(), text.end(), field.begin() + 1);
    out += field;
}

} // namespace

int32_t LegacyWordValue(const unsigned char bytes[3]) {
    const uint32_t word = Word(bytes);
    if (word & 0x400000u) return kLegacyOverflowValue;
    return static_cast<int32_t>((word & 0x3FFFFFu) << 10) >> 10; // bit 21 is the sign
}

int32_t DecodeLegacyWord(const unsigned char bytes[3], bool *unused) {
    const uint32_t word = Word(bytes);
    if (unused) *unused = (word & 0x800000u) != 0;
    if (word & 0x400000u) return kLegacyOverflowValue;
    return LegacyWordValue(bytes) / 32; // integer division truncates toward zero
}

void EncodeLegacyWord(int32_t value, bool unused, unsigned char bytes[3]) {
    uint32_t word = static_cast<uint32_t>(value) & 0x1FFFFFu;
    if (value < 0) word |= 0x200000u;
    if (value == kLegacyOverflowValue) word |= 0x400000u;
    if (unused) word |= 0x800000u;
    bytes[0] = static_cast<unsigned char>(word);
    bytes[1] = static_cast<unsigned char>(word >> 8);
    bytes[2] = static_cast<unsigned char>(word >> 16);
}

void WriteLegacySurvey(const TKavSurveyData &data, const std::string &fileName) {
    std::string out;
    PutShortString(out, data.SiteName);
    PutShortString(out, data.SiteOperator);
    PutShortString(out, data.SiteTimeDate);
    PutShortString(out, data.SiteComment);
    const bool chaotic = data.ChaoticGrid == 1;
    PutLittle<uint16_t>(out, chaotic ? 1 : 0);
    PutLittle<int32_t>(out, data.MinStation);
    PutLittle<int32_t>(out, data.MaxStation);
    if (!chaotic) {
        PutLittle<int32_t>(out, data.MinLine);
        PutLittle<int32_t>(out, data.MaxLine);
    }
    PutLittle<int32_t>(out, data.DeviceNumber == 7 ? 0 : 1);
    if (!chaotic) {
        PutLittle<double>(out, data.XStep);
        PutLittle<double>(out, data.YStep);
    }
    for (const TStationRecord &record : data.Stations) {
        for (int k = 1; k <= kChannelCount; ++k) {
            unsigned char group[8];
            EncodeLegacyWord(record.RawComp2[k] * 32, false, group);
            EncodeLegacyWord(record.RawComp1[k] * 32, record.ChannelUsed[k] == 0, group + 3);
            const auto current = static_cast<uint16_t>(record.RawCurrent[k] & 0x3FF);
            group[6] = static_cast<unsigned char>(current);
            group[7] = static_cast<unsigned char>(current >> 8);
            out.append(reinterpret_cast<const char *>(group), sizeof group);
        }
    }
    WriteWholeFile(fileName, out);
}

} // namespace orvex
