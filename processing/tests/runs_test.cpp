#include "orvex/errors.h"
#include "orvex/processing/conversion.h"
#include "orvex/processing/map_builder.h"
#include "orvex/processing/positions.h"
#include "run_fixture.h"

#include <gtest/gtest.h>

using namespace orvex;
using orvex::testing::MakeGrid;
using orvex::testing::RunFixture;

namespace {

// Records every call the run makes of the map server.
class FakeMapBuilder : public MapBuilder {
public:
    void GridDataFiles(const std::vector<std::string> &dataFiles, const TKavSurfOpt &) override {
        calls.push_back("grid " + dataFiles.at(0));
    }
    void CreateMapDocuments(const std::vector<std::string> &gridFiles, bool batch,
                            const TKavSurfOpt &) override {
        calls.push_back("map " + gridFiles.at(0) + (batch ? " batch" : ""));
    }
    void CloseOpenDocuments() override { calls.push_back("close"); }
    std::vector<std::string> calls;
};

using Runs = RunFixture;

// The value of every result is the record index + 1 times 100 plus the channel.
int64_t RecordOf(const TKavResultCell &cell, int k) {
    return (static_cast<int64_t>(cell.Value) - k) / 100 - 1;
}

TEST_F(Runs, MapFollowsStationsUpwardOnEveryLine) {
    records = MakeGrid(0, 9, 0, 2, [](int64_t m, int k, int c) {
        return c == 1 ? int32_t(100 * (m + 1) + k) : c == 2 ? 0 : 1;
    });
    ShowMap(4);
    windows.Map.MinStation.Text = "3";
    windows.Map.MaxStation.Text = "5";
    windows.Map.MinLine.Text = "1";
    windows.Map.MaxLine.Text = "2";
    ASSERT_TRUE(Run());
    ASSERT_EQ(records.Results.size(), 2u);
    const int64_t expected[2][3] = {{16, 15, 14}, {23, 24, 25}};
    for (size_t r = 0; r < 2; ++r)
        for (size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(RecordOf(records.Results[r][c], 4), expected[r][c]);
            EXPECT_EQ(records.Results[r][c].X, 3.0 + double(c));
        }
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kProcessingCompleted});
}

TEST_F(Runs, SectionAcrossLinesReadsOneStationOfEachLine) {
    records = MakeGrid(0, 9, 0, 2, [](int64_t m, int k, int c) {
        return c == 1 ? int32_t(100 * (m + 1) + k) : c == 2 ? 0 : 1;
    });
    ShowSection(false, 4, {1, 14});
    EXPECT_EQ(windows.Common.OutFile.Text, "t_ADC_Quad_Surf_st0004.dat");
    ASSERT_TRUE(Run());
    ASSERT_EQ(records.Results.size(), 3u);
    const int64_t expected[] = {4, 15, 24};
    for (size_t p = 0; p < 3; ++p) {
        EXPECT_EQ(RecordOf(records.Results[p][14], 14), expected[p]);
        EXPECT_FALSE(records.Results[p][7].Valid) << "not chosen";
    }
}

TEST_F(Runs, SectionFiltersEveryMeasurementAsConvertMeasurementDoes) {
    records.Data.Stations[3].RawComp1[6] = 5000; // an outlier among 401..414
    windows.Options.SFilter = {true, true};      // outside the rules, to keep the raw codes

    windows.Options.SFilterNPoints.Text = "3";
    windows.Options.SFilterDegree.Text = "10";
    ShowSection(true, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
    ASSERT_TRUE(Run());
    EXPECT_FALSE(records.Results[0][6].Valid);
    for (size_t p = 0; p < 2; ++p) {
        MeasurementCells cells;
        ConvertMeasurement(records, SectionRecord(records, int64_t(p)), cells);
        for (int k = 1; k <= kChannelCount; ++k) {
            EXPECT_EQ(records.Results[p][size_t(k)].Valid, cells[size_t(k)].Valid) << p << " " << k;
            if (cells[size_t(k)].Valid) {
                EXPECT_EQ(records.Results[p][size_t(k)].Value, cells[size_t(k)].Value);
            }
        }
    }
}

TEST_F(Runs, InputChecksWarnAndStop) {
    ShowMap(1);
    struct CheckCase {
        std::function<void(ProcessWindows &)> change;
        const char *text;
    };
    const CheckCase cases[] = {
        {[](ProcessWindows &w) { w.Common.InputFile.clear(); }, "The Input File is not Specified!"},
        {[](ProcessWindows &w) { w.Common.OutFile.Text.clear(); },
         "The Out File is not Specified!"},
    };
    for (const CheckCase &c : cases) {
        ProcessWindows changed = windows;
        c.change(changed);
        prompts.messages.clear();
        EXPECT_FALSE(RunProcessing(records, changed, environment));
        EXPECT_EQ(records.StatusText, c.text);
        EXPECT_EQ(prompts.Texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(prompts.messages[0].type, MessageType::Warning);
    }
    records.Data.ChaoticGrid = 1;
    windows.Map.CoordFile = {"", true};
    EXPECT_FALSE(CheckRunInputs(records, windows));
    EXPECT_EQ(records.StatusText, "The Coordinate File is not Specified!");
    windows.Map.CoordFile.Enabled = false;
    EXPECT_TRUE(CheckRunInputs(records, windows));
}

TEST_F(Runs, RangesOutsideTheSurveyStopTheRunBeforeAnyFile) {
    ShowMap(1);
    for (auto [field, text] :
         {std::pair{&windows.Map.MaxStation, "2"}, {&windows.Map.MinLine, "-1"}}) {
        const std::string kept = field->Text;
        field->Text = text;
        EXPECT_THROW(Run(), RangeError) << text;
        field->Text = kept;
    }
    windows.Map.MinStation.Text = "1";
    windows.Map.MaxStation.Text = "0";
    EXPECT_THROW(Run(), RangeError) << "the last station before the first";
    windows.Map.MaxStation.Text = "x";
    EXPECT_THROW(Run(), ConversionError);
    EXPECT_FALSE(FileExists(dir / windows.Common.OutFile.Text));
}

TEST_F(Runs, MapServerGetsTheSheetThenTheGrid) {
    FakeMapBuilder maps;
    environment.Maps = &maps;
    environment.SurferAvailable = true;
    ShowMap(3);
    EXPECT_TRUE(windows.Common.UseSurfer.Checked) << "ticked by the load";
    ASSERT_TRUE(Run());
    const std::string sheet = dir / "t_ADC_Quad_Surf_f03.dat";
    EXPECT_EQ(maps.calls,
              (std::vector<std::string>{"grid " + sheet, "map " + ChangeExtension(sheet, ".grd")}));
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kMapsShown});

    maps.calls.clear();
    prompts.messages.clear();
    windows.Common.CreateMap.Checked = false;
    ShowSection(true, 0, {1});
    windows.Common.CreateMap.Checked = false;
    ASSERT_TRUE(Run());
    EXPECT_EQ(maps.calls.size(), 1u) << "grid only";
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kSectionsShown});
}

TEST_F(Runs, BatchRunsToTheLastFrequencyWithOneClosingMessage) {
    FakeMapBuilder maps;
    environment.Maps = &maps;
    environment.SurferAvailable = true;
    int repaints = 0;
    environment.ProcessPendingMessages = [&](ProcessWindows &) { ++repaints; };
    ShowMap(12);
    RunBatch(records, windows, environment);
    EXPECT_FALSE(records.BatchInProgress);
    EXPECT_EQ(repaints, 3);
    EXPECT_EQ(windows.Map.OrtNFreq.Text, "14");
    ASSERT_EQ(maps.calls.size(), 7u);
    EXPECT_EQ(maps.calls[0], "close");
    EXPECT_EQ(maps.calls[2], "map " + (dir / "t_ADC_Quad_Surf_f12.grd") + " batch");
    EXPECT_EQ(maps.calls[6], "map " + (dir / "t_ADC_Quad_Surf_f14.grd") + " batch");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kBatchMapsShown});

    // Sections along lines up to "Max Line", without the map server.
    environment.Maps = nullptr;
    windows.Common.UseSurfer.Checked = false;
    OnUseSurferClick(windows.Common);
    prompts.messages.clear();
    ShowSection(true, 0, {1});
    windows.Common.UseSurfer.Checked = false;
    OnUseSurferClick(windows.Common);
    RunBatch(records, windows, environment);
    EXPECT_TRUE(FileExists(dir / "t_ADC_Quad_Surf_pr0000.dat"));
    EXPECT_TRUE(FileExists(dir / "t_ADC_Quad_Surf_pr0001.dat"));
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kBatchCompleted});
}

TEST_F(Runs, BatchStopsAtAFailedRunWithoutClaimingSuccess) {
    ShowMap(13);
    windows.Map.MaxLine.Text = "5";
    EXPECT_THROW(RunBatch(records, windows, environment), RangeError);
    EXPECT_FALSE(records.BatchInProgress) << "reset when a run fails";
    EXPECT_TRUE(prompts.messages.empty());

    // A chaotic survey whose coordinate file has another count: the warning, no
    // table, and the batch ends there.
    records.Data.ChaoticGrid = 1;
    records.Data.MaxStation = 3;
    records.Data.MinLine = records.Data.MaxLine = 0;
    ShowMap(1);
    windows.Map.GPSCoord.Checked = false;
    windows.Map.CoordFile = {dir / "p.crd", true};
    windows.Map.ChaNFreq.Text = "13";
    WriteWholeFile(dir / "p.crd", "9\n");
    RunBatch(records, windows, environment);
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"The count of measurements and coordinates is different"});
    EXPECT_FALSE(FileExists(dir / "t_ADC_Quad_Surf_f13.dat"));
}

TEST_F(Runs, LoadFillsTheWindows) {
    records.Data.Stations[0].ChannelUsed[14] = 0;
    records.Data.XStep = 2.5;
    windows.Section.Visible = true;
    FillWindowsAfterLoad(records, windows, environment);
    EXPECT_EQ(windows.Common.DataInfo, "0 -:- 1 x 0 -:- 1");
    EXPECT_EQ(windows.Common.MeasGridType, "Orthogonal");
    EXPECT_EQ(windows.Common.XStep.Text, "2.500");
    EXPECT_TRUE(windows.Common.XStep.Enabled);
    EXPECT_FALSE(windows.Common.XMirror.Enabled) << "no map server";
    EXPECT_TRUE(windows.Section.Freq[12].Checked);
    EXPECT_FALSE(windows.Section.Freq[13].Checked);
    EXPECT_EQ(windows.Section.MaxLine.Text, "1");
    EXPECT_TRUE(windows.Section.LineNumber.Enabled);
    EXPECT_FALSE(windows.Section.StationNumber.Enabled);

    records.Data.MaxStation = 40000;
    EXPECT_THROW(PrepareProcessWindows(records, windows), RangeError);
}

} // namespace
