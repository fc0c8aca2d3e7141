#include "orvex/survey/save.h"

#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/survey/legacy.h"

namespace orvex {

bool SaveSurveyCopy(const TKavSurveyData &data, const std::string &fileName) {
    if (data.SourceFile.empty() || !FileExists(data.SourceFile)) return false;
    std::string bytes;
    try {
        bytes = ReadWholeFile(data.SourceFile);
    } catch (const InputOutputError &) {
        return false; // the copy cannot be made: nothing is written
    }

    size_t p = data.ChaoticGrid == 1 ? kLegacyChaoticHeader : kLegacyOrthogonalHeader;
    for (const TStationRecord &record : data.Stations) {
        if (!RecordUnused(record)) {
            p += kLegacyRecordBytes;
            continue;
        }
        for (int k = 1; k <= kChannelCount; ++k) {
            for (int word = 0; word < 2; ++word, p += 3) {
                if (p + 3 > bytes.size())
                    throw InputOutputError("Read beyond end of file \"" + fileName + "\"");
                auto *at = reinterpret_cast<unsigned char *>(bytes.data() + p);
                EncodeLegacyWord(LegacyWordValue(at), true, at);
            }
            p += 2; // the current word stays as it is
        }
    }
    WriteWholeFile(fileName, bytes);
    return true;
}

} // namespace orvex
