// A small orthogonal survey ready to run: stations 0..1 on lines 0..1 of device
// 9, calibration file in a scratch folder, windows as after a load, and options
// that leave the raw codes unchanged ("Signal", "in Volts", no corrections),
// so that every value in a table is RawComp1 = 100 × (record + 1) + channel.
#pragma once

#include "orvex/files.h"
#include "orvex/processing/environment.h"
#include "orvex/processing/option_rules.h"
#include "orvex/processing/runs.h"
#include "orvex/processing/writers.h"
#include "orvex/prompts.h"
#include "orvex/testing/scratch_dir.h"
#include "orvex/text.h"
#include "test_survey.h"

#include <gtest/gtest.h>

namespace orvex::testing {

class RunFixture : public ::testing::Test {
public:
    void SetUp() override {
        records = MakeGrid(0, 1, 0, 1, [](int64_t m, int k, int c) {
            return c == 1 ? int32_t(100 * (m + 1) + k) : c == 2 ? 0 : 1;
        });
        std::map<std::string, std::string> keys{
            {"rt", "0.5"}, {"nt", "10"}, {"r1", "1.2"}, {"r2", "2"}};
        for (int k = 1; k <= kChannelCount; ++k) {
            keys["F" + std::to_string(k)] = std::to_string(k * k); // depth -10 / k
            keys["M2_" + std::to_string(k)] = "4.62963";
        }
        WriteCalibrationFile(dir / CalibrationFileName(9),
                             {{"XPrimary", 0}, {"YPrimary", 1}, {"XAir", 0}, {"YAir", 0}}, keys);
        environment.CalibrationFolder = dir.path().string() + "/";

        windows.Common.InputFile = dir / "t.kav";
        ProcessOptionsControls &c = windows.Options;
        c.OutputUnits.ItemIndex = 0;
        c.SignalType.ItemIndex = 2;
        c.FieldComponent.ItemIndex = 1;
        c.OutputFormat.Items.push_back("1D &Inversion");
        c.PhaseCorrection.Checked = c.CurrentNorm.Checked = c.MinusAir.Checked = false;
    }
    void ShowMap(int frequency) {
        windows.Map.Visible = true;
        windows.Section.Visible = false;
        FillWindowsAfterLoad(records, windows, environment);
        windows.Map.OrtNFreq.Text = std::to_string(frequency);
        BuildOutputName(records, windows, environment);
    }
    void ShowSection(bool along, int number, std::initializer_list<int> channels) {
        windows.Map.Visible = false;
        windows.Section.Visible = true;
        windows.Section.AlongLine = along;
        FillWindowsAfterLoad(records, windows, environment);
        (along ? windows.Section.LineNumber : windows.Section.StationNumber).Text =
            std::to_string(number);
        for (CheckState &box : windows.Section.Freq)
            box.Checked = false;
        for (int k : channels)
            windows.Section.Freq[size_t(k - 1)].Checked = true;
        BuildOutputName(records, windows, environment);
    }
    bool Run() { return RunProcessing(records, windows, environment); }
    std::string Output(const std::string &extension = "") const {
        const std::string name = windows.Common.OutFile.Text;
        return ReadWholeFile(dir / (extension.empty() ? name : ChangeExtension(name, extension)));
    }

    ScratchDir dir;
    ScriptedPrompts prompts;
    ProcessingEnvironment environment{prompts};
    TKavRecords records;
    ProcessWindows windows;
};

} // namespace orvex::testing
