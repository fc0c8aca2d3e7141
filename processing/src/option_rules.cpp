#include "orvex/processing/option_rules.h"

#include "orvex/format.h"
#include "orvex/text.h"

namespace orvex {

namespace {

constexpr int kSignal = 0, kPpm = 3;
constexpr int kAdcStandard = 0, kAdcCustom = 1;
constexpr int kPhase = 3, kInversion = 3;

void Lock(CheckState &box, bool checked) {
    box.Checked = checked;
    box.Enabled = false;
}

// Replaces the items of a choice; a selection past the new end moves to the last item.
void SetItems(ChoiceState &choice, std::vector<std::string> items) {
    choice.Items = std::move(items);
    const int last = static_cast<int>(choice.Items.size()) - 1;
    if (choice.ItemIndex > last) choice.ItemIndex = last;
}

bool Selected(const ChoiceState &choice, int index) {
    return choice.ItemIndex == index && index < static_cast<int>(choice.Items.size());
}

} // namespace

void UpdateLimitControls(ProcessOptionsControls &c) {
    c.VoltMin.Enabled = c.VoltMax.Enabled = c.VoltLimits.Checked;
    const bool apparent = !Selected(c.OutputUnits, kSignal);
    c.AppLimits.Enabled = apparent;
    c.AppMin.Enabled = c.AppMax.Enabled = apparent && c.AppLimits.Checked;
    c.SFilter.Enabled = apparent;
    c.SFilterNPoints.Enabled = c.SFilterDegree.Enabled = apparent && c.SFilter.Checked;
}

void UpdateOptionRules(ProcessOptionsControls &c) {
    const bool signal = Selected(c.OutputUnits, kSignal);
    const bool custom = signal && Selected(c.SignalType, kAdcCustom);
    if (custom) {
        c.PhaseCorrection.Enabled = c.CurrentNorm.Enabled = true;
        c.MinusAir.Enabled = c.Freq2Norm.Enabled = true;
    } else {
        Lock(c.PhaseCorrection, true);
        Lock(c.CurrentNorm, true);
        Lock(c.MinusAir, true);
        Lock(c.Freq2Norm, false);
    }

    if (signal)
        SetItems(c.OutputFormat,
                 {"&Surfer D.Sheet", "S&ound. Curves", "&Prof. Curves", "1D &Inversion"});
    else
        SetItems(c.OutputFormat, {"&Surfer D.Sheet", "S&ound. Curves", "&Prof. Curves"});
    if (Selected(c.OutputUnits, kPpm))
        SetItems(c.FieldComponent, {"&Mod", "&Quad", "&Inph"});
    else
        SetItems(c.FieldComponent, {"&Mod", "&Quad", "&Inph", "&Phs"});

    const bool phase = Selected(c.FieldComponent, kPhase);
    if (phase) {
        c.SignalType.ItemIndex = kAdcStandard;
        c.Freq2Norm.Enabled = false;
    } else if (custom) {
        c.Freq2Norm.Enabled = true;
    }
    // "Signal Type" steers only signals of a layout other than the inversion file.
    c.SignalType.Enabled = signal && !phase && !Selected(c.OutputFormat, kInversion);
}

void OnOutputUnitsClick(ProcessOptionsControls &controls) {
    UpdateLimitControls(controls);
    UpdateOptionRules(controls);
}

void OnOutputFormatClick(ProcessOptionsControls &controls, CommonProcessFields &common,
                         bool surveyLoaded, bool surferAvailable) {
    UpdateOptionRules(controls);
    if (!surveyLoaded) return;
    if (controls.OutputFormat.ItemIndex != 0) {
        common.UseSurfer.Enabled = false;
        common.UseSurfer.Checked = false;
        OnUseSurferClick(common);
    } else if (surferAvailable) {
        common.UseSurfer.Enabled = true;
        common.UseSurfer.Checked = true;
        OnUseSurferClick(common);
    }
}

void OnPhaseCorrectionClick(ProcessOptionsControls &c) {
    if (!Selected(c.OutputUnits, kSignal)) return;
    if (c.PhaseCorrection.Checked) c.CurrentNorm.Checked = c.MinusAir.Checked = true;
    c.CurrentNorm.Enabled = c.MinusAir.Enabled = !c.PhaseCorrection.Checked;
}

void OnCurrentNormClick(ProcessOptionsControls &c) {
    c.Freq2Norm.Enabled = c.CurrentNorm.Checked;
    if (!c.CurrentNorm.Checked) c.Freq2Norm.Checked = false;
}

void UpdateDefaultBoxes(ProcessOptionsControls &c) {
    c.NumLevels.Enabled = !c.NumLevelsDefault.Checked;
    c.NumRows.Enabled = c.NumColumns.Enabled = !c.NumBreaksDefault.Checked;
    c.RSquared.Enabled = !c.RSquaredDefault.Checked;
    c.MajorInterval.Enabled = !c.MajorIntervalDefault.Checked;
}

void OnUseSurferClick(CommonProcessFields &common) {
    common.CreateGrid.Checked = common.CreateMap.Checked = common.UseSurfer.Checked;
    common.CreateMap.Enabled = common.UseSurfer.Checked;
}

void StepMargin(EditState &margin, bool up, char separator) {
    const double value = ParseReal(margin.Text, separator);
    margin.Text = FormatGeneral(up ? value + 0.1 : value - 0.1, separator);
}

void StepProcessingStep(EditState &step, bool up, char separator) {
    const double value = ParseReal(step.Text, separator);
    if (up)
        step.Text = FormatGeneral(value + 0.1, separator);
    else if (value > 0.1)
        step.Text = FormatGeneral(value - 0.1, separator);
}

void SaveOptionSnapshot(const ProcessOptionsControls &c, OptionSnapshot &s, char separator) {
    s.OutputUnits = c.OutputUnits.ItemIndex;
    s.FieldComponent = c.FieldComponent.ItemIndex;
    s.CurrentNorm = c.CurrentNorm.Checked;
    s.Freq2Norm = c.Freq2Norm.Checked;
    s.MinusAir = c.MinusAir.Checked;
    s.CreateCurrentFile = c.CreateCurrentFile.Checked;
    s.CreateLogFile = c.CreateLogFile.Checked;
    s.ShowScale = c.ShowScale.Checked;
    s.NumBreaksDefault = c.NumBreaksDefault.Checked;
    s.RSquaredDefault = c.RSquaredDefault.Checked;
    s.MajorIntervalDefault = c.MajorIntervalDefault.Checked;
    s.ColorMap = c.ColorMap.ItemIndex;
    s.NumRows = ParseInteger(c.NumRows.Text);
    s.NumColumns = ParseInteger(c.NumColumns.Text);
    s.MajorInterval = ParseInteger(c.MajorInterval.Text);
    s.RSquared = ParseReal(c.RSquared.Text, separator);
}

void RestoreOptionSnapshot(ProcessOptionsControls &c, const OptionSnapshot &s, char separator) {
    c.OutputUnits.ItemIndex = s.OutputUnits;
    c.FieldComponent.ItemIndex = s.FieldComponent;
    c.CurrentNorm.Checked = s.CurrentNorm;
    c.Freq2Norm.Checked = s.Freq2Norm;
    c.MinusAir.Checked = s.MinusAir;
    c.CreateCurrentFile.Checked = s.CreateCurrentFile;
    c.CreateLogFile.Checked = s.CreateLogFile;
    c.ShowScale.Checked = s.ShowScale;
    c.NumBreaksDefault.Checked = s.NumBreaksDefault;
    c.RSquaredDefault.Checked = s.RSquaredDefault;
    c.MajorIntervalDefault.Checked = s.MajorIntervalDefault;
    c.ColorMap.ItemIndex = s.ColorMap;
    c.NumRows.Text = std::to_string(s.NumRows);
    c.NumColumns.Text = std::to_string(s.NumColumns);
    c.MajorInterval.Text = std::to_string(s.MajorInterval);
    c.RSquared.Text = FormatGeneral(s.RSquared, separator);
    UpdateLimitControls(c);
    UpdateOptionRules(c);
    UpdateDefaultBoxes(c);
}

} // namespace orvex
