#include "orvex/survey/survey_data.h"

#include <gtest/gtest.h>

using namespace orvex;

TEST(RecordIndex, SerpentineOrder) {
    TKavSurveyData data;
    data.MinStation = 5;
    data.MaxStation = 10;
    data.MinLine = 0;
    data.MaxLine = 2;
    const struct {
        int station, line;
        int64_t index;
    } cases[] = {{5, 0, 0}, {10, 0, 5}, {10, 1, 6}, {5, 1, 11}, {5, 2, 12}, {10, 2, 17}};
    for (const auto &c : cases)
        EXPECT_EQ(RecordIndex(data, c.station, c.line), c.index) << c.station << "," << c.line;

    TKavSurveyData single;
    single.MinStation = single.MaxStation = 7;
    single.MinLine = single.MaxLine = 3;
    EXPECT_EQ(RecordIndex(single, 7, 3), 0);
}

TEST(FillChannel, ScalingRoundingAndUsedTest) {
    const struct {
        int32_t v1, v2, v3, v4;
        int32_t raw1, raw2, current;
        uint8_t used;
    } cases[] = {
        {0, 0, 0, 0, 0, 0, 0, 0},
        {100, 0, 0, 0, 0, 0, 0, 0}, // below one code after scaling: unused
        {128, 0, 0, 0, 1, 0, 0, 1},
        {-200, 0, 0, 0, -1, 0, 0, 1}, // toward zero, not down
        {-255, 383, 0, 0, -1, 2, 0, 1},
        {0, 0, 3, 4, 0, 0, 5, 1},
        {0, 0, 1, 1, 0, 0, 1, 1}, // sqrt 2 rounds to 1
        {0, 0, -8388608, 8388607, 0, 0, 11863282, 1},
    };
    for (const auto &c : cases) {
        TStationRecord record;
        FillChannel(record, 3, c.v1, c.v2, c.v3, c.v4);
        EXPECT_EQ(record.RawComp1[3], c.raw1) << c.v1;
        EXPECT_EQ(record.RawComp2[3], c.raw2) << c.v2;
        EXPECT_EQ(record.CurrentComp1[3], c.v3);
        EXPECT_EQ(record.CurrentComp2[3], c.v4);
        EXPECT_EQ(record.RawCurrent[3], c.current) << c.v3 << "," << c.v4;
        EXPECT_EQ(record.ChannelUsed[3], c.used) << c.v1 << "," << c.v3;
    }
}

TEST(SurveyData, UnusedRecordsAndClearing) {
    TStationRecord record;
    EXPECT_TRUE(RecordUnused(record));
    record.ChannelUsed[14] = 1;
    EXPECT_FALSE(RecordUnused(record));

    TKavSurveyData data;
    data.Stations.resize(3);
    data.MinStation = 1;
    data.MaxStation = 3;
    data.MinLine = data.MaxLine = 4;
    data.XStep = 2;
    data.ChaoticGrid = 1;
    data.LegacyKind = 1;
    data.Loaded = true;
    data.DeviceNumber = 9;
    data.SiteName = "site";
    data.SourceFile = "/x";
    ClearDataPart(data);
    EXPECT_TRUE(data.Stations.empty());
    EXPECT_EQ(data.MaxStation, 0);
    EXPECT_EQ(data.MinLine, 0);
    EXPECT_EQ(data.XStep, 0);
    EXPECT_EQ(data.ChaoticGrid, 0);
    EXPECT_EQ(data.LegacyKind, 0);
    EXPECT_FALSE(data.Loaded);
    EXPECT_EQ(data.DeviceNumber, 9); // kept
    EXPECT_EQ(data.SiteName, "site");
    EXPECT_EQ(data.SourceFile, "/x");
}
