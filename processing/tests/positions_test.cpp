#include "orvex/errors.h"
#include "orvex/processing/positions.h"
#include "orvex/prompts.h"
#include "orvex/testing/scratch_dir.h"
#include "test_survey.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace orvex;
using orvex::testing::MakeGrid;

namespace {

TKavRecords MapOf(int32_t stations, int32_t lines) {
    TKavRecords records =
        MakeGrid(0, stations - 1, 0, lines - 1, [](int64_t, int, int) { return 1; });
    records.Kind = RunKind::Map;
    records.ProcMinStation = 0;
    records.ProcMaxStation = stations - 1;
    records.ProcMaxLine = lines - 1;
    records.Results.assign(size_t(lines), std::vector<TKavResultCell>(size_t(stations)));
    return records;
}

// A chaotic survey whose record i lies at latitude 60 + i/1000, longitude 30 + i/500.
TKavRecords ChaoticOf(int32_t count) {
    TKavRecords records = MakeGrid(0, count - 1, 0, 0, [](int64_t, int, int) { return 1; });
    records.Data.ChaoticGrid = 1;
    for (int32_t i = 0; i < count; ++i) {
        records.Data.Stations[size_t(i)].CoordX = 60 + i / 1000.0;
        records.Data.Stations[size_t(i)].CoordY = 30 + i / 500.0;
    }
    return records;
}

TEST(Positions, OrthogonalMapWithMirrors) {
    ScriptedPrompts prompts;
    for (auto [stations, expected] :
         {std::pair{4, std::vector<double>{6, 4, 2, 0}}, {1, std::vector<double>{0}}}) {
        TKavRecords records = MapOf(stations, 3);
        records.Options.ProcXStep = 2;
        records.Options.ProcYStep = 5;
        records.Options.XMirror = records.Options.YMirror = true;
        ASSERT_TRUE(PlaceResults(records, MapProcessFields{}, prompts));
        for (size_t c = 0; c < expected.size(); ++c) {
            EXPECT_EQ(records.Results[0][c].X, expected[c]);
            EXPECT_EQ(records.Results[0][c].Y, 10);
            EXPECT_EQ(records.Results[2][c].Y, 0);
        }
    }
}

TEST(Positions, ChaoticMapFromTheRecordsCoordinates) {
    ScriptedPrompts prompts;
    TKavRecords records = ChaoticOf(6);
    records.Kind = RunKind::Map;
    records.ProcMinStation = 2;
    records.ProcMaxStation = 5;
    records.Results.assign(1, std::vector<TKavResultCell>(4));
    MapProcessFields map; // "GPS Coord" ticked
    ASSERT_TRUE(PlaceResults(records, map, prompts));
    EXPECT_EQ(records.Results[0][0].X, 0);
    EXPECT_EQ(records.Results[0][0].Y, 0);
    const double cosine = std::cos(60.002 * std::numbers::pi / 180);
    EXPECT_NEAR(records.Results[0][3].X, 0.006 * cosine * kMetresPerDegree, 1e-6);
    EXPECT_NEAR(records.Results[0][3].Y, 0.003 * kMetresPerDegree, 1e-6);

    records.Options.CoordType = Coordinates::GlobalGps;
    ASSERT_TRUE(PlaceResults(records, map, prompts));
    EXPECT_EQ(records.Results[0][1].X, records.Data.Stations[3].CoordY);
    EXPECT_EQ(records.Results[0][1].Y, records.Data.Stations[3].CoordX);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(Positions, CoordinateFile) {
    orvex::testing::ScratchDir dir;
    ScriptedPrompts prompts;
    TKavRecords records = ChaoticOf(4);
    records.Kind = RunKind::Map;
    records.ProcMinStation = 1;
    records.ProcMaxStation = 2;
    records.Results.assign(1, std::vector<TKavResultCell>(2));
    MapProcessFields map;
    map.GPSCoord.Checked = false;
    map.CoordFile.Text = dir / "points.crd";

    WriteWholeFile(map.CoordFile.Text, "4 points\r\n0 0\r\n10.5  -3 first\r\n11 -4\r\n12 -5\r\n");
    ASSERT_TRUE(PlaceResults(records, map, prompts));
    EXPECT_EQ(records.Results[0][0].X, 10.5);
    EXPECT_EQ(records.Results[0][0].Y, -3);
    EXPECT_EQ(records.Results[0][1].X, 11);
    EXPECT_EQ(records.Results[0][1].Y, -4);

    WriteWholeFile(map.CoordFile.Text, "3\n0 0\n1 1\n2 2\n");
    EXPECT_FALSE(PlaceResults(records, map, prompts));
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"The count of measurements and coordinates is different"});

    WriteWholeFile(map.CoordFile.Text, "4\n0 0\n1 x\n2 2\n3 3\n");
    EXPECT_THROW(PlaceResults(records, map, prompts), ConversionError);
    WriteWholeFile(map.CoordFile.Text, "4\n0 0\n1 1\n");
    EXPECT_THROW(PlaceResults(records, map, prompts), InputOutputError);
    map.CoordFile.Text = dir / "missing.crd";
    EXPECT_THROW(PlaceResults(records, map, prompts), InputOutputError);
}

TEST(Positions, SectionDepthsAndDistances) {
    ScriptedPrompts prompts;
    TKavRecords records = ChaoticOf(8);
    records.Data.Stations[2].CoordX += 0.05; // a detour the section does not walk
    records.Kind = RunKind::Section;
    records.Options.Calibration[9].Frequencies[1] = 2.51;
    for (int k = 2; k <= kChannelCount; ++k)
        records.Options.Calibration[9].Frequencies[k] = 10.04;
    records.Options.DepthScale = 1;
    records.SectionAlongLine = true;
    records.ProcMinStation = 5;
    records.ProcMaxStation = 7;
    records.Results.assign(3, std::vector<TKavResultCell>(15));
    ASSERT_TRUE(PlaceResults(records, MapProcessFields{}, prompts));
    EXPECT_DOUBLE_EQ(records.Results[0][1].Y, -10);
    EXPECT_DOUBLE_EQ(records.Results[2][5].Y, -5);
    // Straight from record 0 to record 5, then record by record.
    const double cosine = std::cos(60.005 * std::numbers::pi / 180);
    const double step = std::hypot(0.002 * cosine * kMetresPerDegree, 0.001 * kMetresPerDegree);
    EXPECT_NEAR(records.Results[0][3].X, 5 * step, 1e-6);
    EXPECT_NEAR(records.Results[2][3].X, 7 * step, 1e-6);

    records.Options.XMirror = true;
    records.Options.CoordType = Coordinates::GlobalGps;
    ASSERT_TRUE(PlaceResults(records, MapProcessFields{}, prompts));
    EXPECT_NEAR(records.Results[2][14].X, 5 * std::hypot(0.002, 0.001), 1e-12);
    EXPECT_NEAR(records.Results[0][14].X, 7 * std::hypot(0.002, 0.001), 1e-12);

    records.Options.Calibration[9].Frequencies[4] = 0;
    EXPECT_THROW(PlaceResults(records, MapProcessFields{}, prompts), ZeroDivideError);
}

} // namespace
