#include "orvex/errors.h"
#include "orvex/processing/collect_options.h"
#include "orvex/processing/option_rules.h"
#include "orvex/prompts.h"
#include "orvex/testing/scratch_dir.h"
#include "test_survey.h"

#include <gtest/gtest.h>

using namespace orvex;

namespace {

using Items = std::vector<std::string>;

TEST(OptionRules, UnitsLockTheCorrectionsAndShortenTheLists) {
    ProcessOptionsControls c;
    // "App. Cond." locks the corrections and opens the apparent limits and the filter.
    c.OutputUnits.ItemIndex = 1;
    c.Freq2Norm.Checked = true;
    OnOutputUnitsClick(c);
    for (const CheckState *box : {&c.PhaseCorrection, &c.CurrentNorm, &c.MinusAir}) {
        EXPECT_TRUE(box->Checked);
        EXPECT_FALSE(box->Enabled);
    }
    EXPECT_FALSE(c.Freq2Norm.Checked);
    EXPECT_FALSE(c.Freq2Norm.Enabled);
    EXPECT_TRUE(c.AppLimits.Enabled);
    EXPECT_TRUE(c.SFilter.Enabled);
    EXPECT_FALSE(c.SignalType.Enabled);
    EXPECT_EQ(c.OutputFormat.Items.size(), 3u);

    // "PPM" while "&Phs" is chosen: three items, the selection on "&Inph".
    c.FieldComponent.ItemIndex = 3;
    c.OutputUnits.ItemIndex = 3;
    OnOutputUnitsClick(c);
    EXPECT_EQ(c.FieldComponent.Items, (Items{"&Mod", "&Quad", "&Inph"}));
    EXPECT_EQ(c.FieldComponent.ItemIndex, 2);

    // "Signal" with "ADC Custom" unlocks the four boxes without changing them.
    c.OutputUnits.ItemIndex = 0;
    c.SignalType.ItemIndex = 1;
    c.AppLimits.Checked = true;
    OnOutputUnitsClick(c);
    for (const CheckState *box : {&c.PhaseCorrection, &c.CurrentNorm, &c.MinusAir, &c.Freq2Norm})
        EXPECT_TRUE(box->Enabled);
    EXPECT_TRUE(c.PhaseCorrection.Checked);
    EXPECT_FALSE(c.Freq2Norm.Checked);
    EXPECT_FALSE(c.AppLimits.Enabled) << "no apparent limits for signals";
    EXPECT_FALSE(c.AppMin.Enabled);
    EXPECT_TRUE(c.SignalType.Enabled);
    EXPECT_EQ(c.OutputFormat.Items.back(), "1D &Inversion");
    EXPECT_EQ(c.FieldComponent.Items.size(), 4u);

    // "ADC Standart" keeps them locked; the inversion layout locks the signal type.
    c.SignalType.ItemIndex = 0;
    c.OutputFormat.ItemIndex = 3;
    UpdateOptionRules(c);
    EXPECT_FALSE(c.CurrentNorm.Enabled);
    EXPECT_FALSE(c.SignalType.Enabled);

    // The phase sets "ADC Standart" and locks "By Freq.".
    c.OutputFormat.ItemIndex = 0;
    c.SignalType.ItemIndex = 1;
    c.FieldComponent.ItemIndex = 3;
    UpdateOptionRules(c);
    EXPECT_EQ(c.SignalType.ItemIndex, 0);
    EXPECT_FALSE(c.Freq2Norm.Enabled);
    EXPECT_FALSE(c.SignalType.Enabled);

    // Leaving "Signal" with the inversion layout chosen moves it to the last layout left.
    c.FieldComponent.ItemIndex = 0;
    c.OutputFormat.ItemIndex = 3;
    c.OutputUnits.ItemIndex = 2;
    OnOutputUnitsClick(c);
    EXPECT_EQ(c.OutputFormat.ItemIndex, 2);
}

TEST(OptionRules, CheckBoxHandlers) {
    ProcessOptionsControls c;
    c.OutputUnits.ItemIndex = 0;
    c.SignalType.ItemIndex = 1;
    c.PhaseCorrection.Checked = false;
    c.CurrentNorm.Checked = false;
    OnOutputUnitsClick(c);
    OnCurrentNormClick(c);
    EXPECT_FALSE(c.Freq2Norm.Enabled);

    c.PhaseCorrection.Checked = true;
    OnPhaseCorrectionClick(c);
    EXPECT_TRUE(c.CurrentNorm.Checked && c.MinusAir.Checked);
    EXPECT_FALSE(c.CurrentNorm.Enabled || c.MinusAir.Enabled);
    c.PhaseCorrection.Checked = false;
    OnPhaseCorrectionClick(c);
    EXPECT_TRUE(c.CurrentNorm.Enabled && c.MinusAir.Enabled);
    EXPECT_TRUE(c.CurrentNorm.Checked) << "clearing leaves the boxes ticked";

    c.NumBreaksDefault.Checked = false;
    UpdateDefaultBoxes(c);
    EXPECT_TRUE(c.NumRows.Enabled && c.NumColumns.Enabled);
    EXPECT_FALSE(c.NumLevels.Enabled);

    EditState margin{"1"};
    StepMargin(margin, true, '.');
    EXPECT_EQ(margin.Text, "1.1");
    EditState step{"0.15"};
    StepProcessingStep(step, false, '.');
    EXPECT_EQ(step.Text, "0.05");
    StepProcessingStep(step, false, '.');
    EXPECT_EQ(step.Text, "0.05");
    step.Text = "0,1";
    StepProcessingStep(step, false, ',');
    EXPECT_EQ(step.Text, "0,1");
    StepProcessingStep(step, true, ',');
    EXPECT_EQ(step.Text, "0,2");
}

TEST(OptionRules, CancelRestoresTheSnapshotsItemsOnly) {
    ProcessOptionsControls c;
    OptionSnapshot snapshot;
    SaveOptionSnapshot(c, snapshot, '.');
    c.ColorMap.ItemIndex = 0;
    c.PageSize.ItemIndex = 2;
    c.OutputUnits.ItemIndex = 0;
    c.LogValues.Checked = true;
    c.NumBreaksDefault.Checked = false;
    c.NumRows.Text = "40";
    OnOutputUnitsClick(c);
    RestoreOptionSnapshot(c, snapshot, '.');
    EXPECT_EQ(c.ColorMap.ItemIndex, 3);
    EXPECT_EQ(c.PageSize.ItemIndex, 2);
    EXPECT_EQ(c.OutputUnits.ItemIndex, 2);
    EXPECT_TRUE(c.LogValues.Checked);
    EXPECT_EQ(c.NumRows.Text, "100");
    EXPECT_FALSE(c.NumRows.Enabled);
    EXPECT_FALSE(c.SignalType.Enabled) << "the rules follow the restored units";

    c.MajorInterval.Text = "2.5";
    c.ShowScale.Checked = true;
    EXPECT_THROW(SaveOptionSnapshot(c, snapshot, '.'), ConversionError);
    EXPECT_TRUE(snapshot.ShowScale) << "taken before the bad value";
    EXPECT_EQ(snapshot.MajorInterval, 1) << "the snapshot stops at it";
}

TEST(OptionRules, OutputFormatSteersUseSurferOnceASurveyIsLoaded) {
    ProcessOptionsControls c;
    CommonProcessFields common;
    c.OutputFormat.ItemIndex = 1;
    OnOutputFormatClick(c, common, false, true);
    EXPECT_FALSE(common.UseSurfer.Checked);
    common.UseSurfer = {true, true};
    OnUseSurferClick(common);
    EXPECT_TRUE(common.CreateMap.Checked && common.CreateMap.Enabled && common.CreateGrid.Checked);
    OnOutputFormatClick(c, common, true, true);
    EXPECT_FALSE(common.UseSurfer.Checked || common.UseSurfer.Enabled);
    EXPECT_FALSE(common.CreateMap.Checked || common.CreateMap.Enabled);
    c.OutputFormat.ItemIndex = 0;
    OnOutputFormatClick(c, common, true, false);
    EXPECT_FALSE(common.UseSurfer.Checked) << "no map server, no Use Surfer";
    OnOutputFormatClick(c, common, true, true);
    EXPECT_TRUE(common.UseSurfer.Checked && common.CreateMap.Checked);
}

class Collection : public ::testing::Test {
protected:
    void SetUp() override {
        orvex::testing::WriteCalibrationFile(dir / CalibrationFileName(9), {{"Frequencies", 2.5}});
        records.Data.DeviceNumber = 9;
        environment.CalibrationFolder = dir.path().string() + "/";
    }
    void Collect() { CollectOptions(records, windows, environment); }
    orvex::testing::ScratchDir dir;
    ScriptedPrompts prompts;
    ProcessingEnvironment environment{prompts};
    TKavRecords records;
    ProcessWindows windows;
};

TEST_F(Collection, InitialControlsGiveTheDefaultOptions) {
    Collect();
    const TKavOptions defaults;
    const TKavOptions &o = records.Options;
    EXPECT_EQ(o.OutputUnits, Units::AppResistivity);
    EXPECT_EQ(o.PhaseCorrection, defaults.PhaseCorrection);
    EXPECT_EQ(o.CurrentNorm, defaults.CurrentNorm);
    EXPECT_EQ(o.MinusAir, defaults.MinusAir);
    EXPECT_EQ(o.SurfOpt, TKavSurfOpt{});
    EXPECT_EQ(o.SFilterNPoints, 5);
    EXPECT_DOUBLE_EQ(o.DepthScale, 1.0);
    EXPECT_EQ(o.ScaleCoef, defaults.ScaleCoef);
    EXPECT_DOUBLE_EQ(o.ScaleCoef[1], 0.2);
    EXPECT_DOUBLE_EQ(o.ScaleCoef[14], 0.5);
    EXPECT_EQ(windows.Section.FreqCaptions[13], "2.5") << "captions from the calibration";
    EXPECT_DOUBLE_EQ(o.Calibration[9].Frequencies[14], 2.5);
}

TEST_F(Collection, BoxesCountOnlyWhileEnabledAndValuesOnlyWhileSwitchedOn) {
    windows.Common.XMirror = {true, false};
    windows.Common.YMirror = {true, true};
    windows.Options.OutputUnits.ItemIndex = 0;
    OnOutputUnitsClick(windows.Options);
    windows.Options.AppLimits.Checked = windows.Options.SFilter.Checked = true;
    windows.Options.VoltLimits.Checked = true;
    windows.Options.VoltMin.Text = "2";
    Collect();
    EXPECT_FALSE(records.Options.XMirror) << "checked but disabled";
    EXPECT_TRUE(records.Options.YMirror);
    EXPECT_FALSE(records.Options.AppLimits) << "locked under Signal";
    EXPECT_FALSE(records.Options.SFilter);
    EXPECT_DOUBLE_EQ(records.Options.VoltMin, 2);

    // Off, the limits keep their values, and back on they are read again.
    windows.Options.VoltLimits.Checked = false;
    windows.Options.VoltMin.Text = "not read";
    Collect();
    EXPECT_DOUBLE_EQ(records.Options.VoltMin, 2);
    windows.Options.VoltMin.Text = "2";
    windows.Options.VoltLimits.Checked = true;
    Collect();
    EXPECT_DOUBLE_EQ(records.Options.VoltMin, 2);

    // Section frequencies are read only while the Section Process window is visible.
    windows.Section.Visible = true;
    windows.Section.Freq[2].Checked = true;
    Collect();
    windows.Section.Visible = false;
    windows.Section.Freq[2].Checked = false;
    windows.Section.Freq[3].Checked = true;
    Collect();
    EXPECT_TRUE(records.Options.SectionFreq[3]);
    EXPECT_FALSE(records.Options.SectionFreq[4]);
}

TEST_F(Collection, SurferOptionsAndPageSizes) {
    ProcessOptionsControls &c = windows.Options;
    c.NumRows.Text = "7";
    c.NumBreaksDefault.Checked = true;
    c.PageSize.ItemIndex = 2;
    c.Landscape = true;
    c.RSquaredDefault.Checked = false;
    c.RSquared.Text = "0,25";
    c.NumLevelsDefault.Checked = false;
    c.ColorMap.ItemIndex = 1;
    environment.DecimalSeparator = ',';
    UseDecimalSeparator(windows, ',');
    Collect();
    const TKavSurfOpt &s = records.Options.SurfOpt;
    EXPECT_FALSE(s.NumRows.has_value());
    EXPECT_FALSE(s.NumColumns.has_value());
    EXPECT_DOUBLE_EQ(s.PageWidth, 21);
    EXPECT_DOUBLE_EQ(s.PageHeight, 14.8);
    EXPECT_EQ(s.Landscape, 1);
    EXPECT_EQ(s.RSquared, 0.25);
    EXPECT_EQ(s.NumLevels, 25);
    EXPECT_EQ(s.ColorMap, ColorRamp::BlueRed);
    EXPECT_FALSE(s.MajorInterval.has_value());

    c.PageSize.ItemIndex = -1;
    Collect();
    EXPECT_EQ(records.Options.SurfOpt.PageWidth, 0);
    EXPECT_EQ(records.Options.SurfOpt.PageHeight, 0);
}

TEST_F(Collection, ANonNumberStopsTheCollectionAtItsField) {
    windows.Options.OutputUnits.ItemIndex = 1;
    windows.Options.FieldComponent.ItemIndex = 2;
    windows.Options.VoltLimits.Checked = true;
    windows.Options.VoltMax.Text = "1e";
    EXPECT_THROW(Collect(), ConversionError);
    EXPECT_EQ(records.Options.OutputUnits, Units::AppCond) << "read before the bad field";
    EXPECT_EQ(records.Options.FieldComponent, Component::Modulus) << "after it: not read";

    windows.Options.VoltMax.Text = "100";
    windows.Options.ApplyScaleCoef.Checked = true;
    windows.Options.ScaleCoefLines.resize(13);
    EXPECT_THROW(Collect(), ConversionError);
    windows.Options.ScaleCoefLines.push_back("0.2");
    Collect();
    EXPECT_DOUBLE_EQ(records.Options.ScaleCoef[1], 0.2);
    EXPECT_DOUBLE_EQ(records.Options.ScaleCoef[14], 0.5);
}

} // namespace
