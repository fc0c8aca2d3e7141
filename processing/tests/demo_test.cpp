// The bundled demo surveys processed in apparent conductivity give back the
// ground they were synthesised from, at every station and frequency, to within
// the rounding of the instrument's codes.
#include "demo_model.h"
#include "orvex/processing/option_rules.h"
#include "orvex/processing/runs.h"
#include "orvex/processing/writers.h"
#include "orvex/prompts.h"
#include "orvex/survey/load.h"
#include "orvex/testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

using namespace orvex;

namespace {

// Codes of 1,359 and more, rounded to the nearest, and the inversion's tolerance
// of 1e-10 V/A: together under 1e-3 of the conductivity.
constexpr double kRelativeTolerance = 1e-3;

struct SheetLine {
    double x, y, value;
};

// The first three columns of a data sheet: X, Y and the value.
std::vector<SheetLine> ReadSheet(const std::string &path) {
    std::ifstream in(path);
    std::vector<SheetLine> lines;
    for (std::string text; std::getline(in, text);) {
        SheetLine line{};
        std::istringstream(text) >> line.x >> line.y >> line.value;
        lines.push_back(line);
    }
    return lines;
}

class DemoSurvey : public ::testing::Test {
protected:
    void Load(const std::string &name, bool map = true) {
        LoadSurveyFile(records->Data, std::string(ORVEX_DATA_DIR) + "/demo/" + name);
        ASSERT_TRUE(records->Data.Loaded);
        environment.CalibrationFolder = std::string(ORVEX_DATA_DIR) + "/demo/";
        environment.OutputFolder = dir.path().string();
        environment.TablesWritten = [this](const std::vector<std::string> &files) {
            written.push_back(files.at(0));
        };
        windows->Common.InputFile = name;
        windows->Map.Visible = map;
        windows->Section.Visible = !map;
        windows->Options.OutputUnits.ItemIndex = 1; // "App. Cond."
        OnOutputUnitsClick(windows->Options);
        FillWindowsAfterLoad(*records, *windows, environment);
    }
    // The worst relative deviation of the map sheets of all fourteen frequencies
    // from the model, with (x, y) of a sheet line turned into the model's frame.
    double
    WorstDeviation(const std::function<std::pair<double, double>(const SheetLine &, size_t)> &frame,
                   size_t expectedLines) {
        double worst = 0;
        EXPECT_EQ(written.size(), 14u);
        for (size_t k = 1; k <= written.size(); ++k) {
            const std::vector<SheetLine> sheet = ReadSheet(written[k - 1]);
            EXPECT_EQ(sheet.size(), expectedLines) << written[k - 1];
            const double f =
                records->Options.Calibration[records->Data.DeviceNumber].Frequencies[int(k)];
            for (size_t i = 0; i < sheet.size(); ++i) {
                const auto [x, y] = frame(sheet[i], i);
                const double model = 1000 * demo::ApparentConductivity(x, y, f);
                worst = std::max(worst, std::fabs(sheet[i].value / model - 1));
            }
        }
        return worst;
    }
    orvex::testing::ScratchDir dir;
    ScriptedPrompts prompts;
    ProcessingEnvironment environment{prompts};
    std::unique_ptr<TKavRecords> records = std::make_unique<TKavRecords>();
    std::unique_ptr<ProcessWindows> windows = std::make_unique<ProcessWindows>();
    std::vector<std::string> written;
};

TEST_F(DemoSurvey, RegularSurveyGivesBackTheModelAtEveryStationAndFrequency) {
    Load("demo.kav");
    ASSERT_TRUE(RunBatch(*records, *windows, environment));
    EXPECT_TRUE(prompts.messages.size() == 1) << "no calibration warning, one closing message";
    const double worst = WorstDeviation(
        [](const SheetLine &line, size_t) {
            return std::pair{line.x, line.y};
        },
        1250 - 6);
    EXPECT_LT(worst, kRelativeTolerance);
}

TEST_F(DemoSurvey, ScatteredSurveyWithItsCoordinateFile) {
    Load("demo_chaotic.kav");
    windows->Map.GPSCoord.Checked = false;
    windows->Map.CoordFile = {std::string(ORVEX_DATA_DIR) + "/demo/demo_chaotic.crd", true};
    ASSERT_TRUE(RunBatch(*records, *windows, environment));
    const double worst = WorstDeviation(
        [](const SheetLine &line, size_t) {
            return std::pair{line.x, line.y};
        },
        320);
    EXPECT_LT(worst, kRelativeTolerance);
}

TEST_F(DemoSurvey, LegacySurveyOfTheOlderInstrument) {
    Load("demo_legacy.prf");
    ASSERT_TRUE(RunBatch(*records, *windows, environment));
    const double worst = WorstDeviation(
        [](const SheetLine &line, size_t) {
            return std::pair{demo::LegacyGrid::kEastOffset + line.x,
                             demo::LegacyGrid::kNorthOffset + line.y};
        },
        200);
    EXPECT_LT(worst, kRelativeTolerance);
}

TEST_F(DemoSurvey, SectionAndResistivityOfTheRegularSurvey) {
    Load("demo.kav", false);
    windows->Section.LineNumber.Text = "12";
    BuildOutputName(*records, *windows, environment);
    ASSERT_TRUE(RunProcessing(*records, *windows, environment));
    const std::vector<SheetLine> sheet = ReadSheet(written.at(0));
    ASSERT_EQ(sheet.size(), 14u * 50);
    const TKavCalibration &calibration = records->Options.Calibration[9];
    for (size_t i = 0; i < sheet.size(); ++i) {
        const int k = int(i / 50) + 1; // channels ascending, stations ascending
        const double f = calibration.Frequencies[k];
        EXPECT_NEAR(sheet[i].y, -10 * std::sqrt(calibration.Frequencies[1] / f), 1e-9);
        EXPECT_NEAR(sheet[i].value / (1000 * demo::ApparentConductivity(sheet[i].x, 120, f)), 1,
                    kRelativeTolerance);
    }

    // The windows' initial units: apparent resistivity.
    windows->Section.Visible = false;
    windows->Map.Visible = true;
    windows->Options.OutputUnits.ItemIndex = 2;
    OnOutputUnitsClick(windows->Options);
    windows->Map.OrtNFreq.Text = "5";
    BuildOutputName(*records, *windows, environment);
    ASSERT_TRUE(RunProcessing(*records, *windows, environment));
    EXPECT_EQ(written.back(), dir / "demo_RES_Mod_Surf_f05.dat");
    for (const SheetLine &line : ReadSheet(written.back()))
        EXPECT_NEAR(line.value *
                        demo::ApparentConductivity(line.x, line.y, calibration.Frequencies[5]),
                    1, kRelativeTolerance);
}

} // namespace
