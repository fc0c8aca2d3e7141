// Small surveys for the survey tests, with codes that tell their records apart.
#pragma once

#include "orvex/survey/survey_data.h"

namespace orvex::testing {

// An orthogonal survey whose record i holds RawComp1 = 1000 i + k, RawComp2 =
// -(1000 i + k) and RawCurrent = 500 + k, every channel used; device 9, loaded.
inline TKavSurveyData NumberedSurvey(int32_t minStation, int32_t maxStation, int32_t minLine,
                                     int32_t maxLine, double xStep = 1, double yStep = 1) {
    TKavSurveyData data;
    data.MinStation = minStation;
    data.MaxStation = maxStation;
    data.MinLine = minLine;
    data.MaxLine = maxLine;
    data.XStep = xStep;
    data.YStep = yStep;
    data.DeviceNumber = 9;
    data.Loaded = true;
    data.Stations.resize(size_t(StationCount(data) * LineCount(data)));
    for (size_t i = 0; i < data.Stations.size(); ++i)
        for (int k = 1; k <= kChannelCount; ++k) {
            data.Stations[i].RawComp1[k] = int32_t(1000 * i) + k;
            data.Stations[i].RawComp2[k] = -(int32_t(1000 * i) + k);
            data.Stations[i].RawCurrent[k] = 500 + k;
            data.Stations[i].ChannelUsed[k] = 1;
        }
    return data;
}

} // namespace orvex::testing
