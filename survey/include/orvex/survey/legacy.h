// The legacy survey layout: a 1062-byte header (1038 for a chaotic grid) and
// 112-byte records of fourteen channel groups of two 24-bit signal words and a
// 16-bit current word, all least significant byte first.
#pragma once

#include "orvex/survey/survey_data.h"

#include <cstdint>
#include <string>

namespace orvex {

constexpr int kLegacyOrthogonalHeader = 1062;
constexpr int kLegacyChaoticHeader = 1038;
constexpr int kLegacyRecordBytes = 112;
constexpr int32_t kLegacyOverflowValue = 9999999;

// Decodes a signal word as the loader does: bit 23 the unused mark, bit 22
// overflow (9999999), bits 21..0 a two's-complement value divided by 32 toward zero.
int32_t DecodeLegacyWord(const unsigned char bytes[3], bool *unused = nullptr);

// The value of a signal word without scaling: 9999999 on overflow, else the
// 22-bit two's-complement value itself.
int32_t LegacyWordValue(const unsigned char bytes[3]);

// Encodes a value with the unused mark as given: bits 20..0 the low 21 bits of
// v, bit 21 its sign, bit 22 set for 9999999, bit 23 the unused mark.
void EncodeLegacyWord(int32_t value, bool unused, unsigned char bytes[3]);

// Writes a survey in the legacy layout: texts as short strings in the Windows
// Cyrillic code page, the raw components multiplied by 32, the raw current in
// the low 10 bits. Device 7 is written as instrument kind 0, others as 1.
void WriteLegacySurvey(const TKavSurveyData &data, const std::string &fileName);

} // namespace orvex
