#include "orvex/processing/collect_options.h"

#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/text.h"

#include <cstdint>

namespace orvex {

namespace {

int32_t ParseInt32(const std::string &text) {
    const long long value = ParseInteger(text);
    if (value < INT32_MIN || value > INT32_MAX)
        throw ConversionError("'" + text + "' is not a valid integer value");
    return static_cast<int32_t>(value);
}

// The selected item of a choice as a code 0..last; nothing selected is refused
// rather than read as a code no option has.
template <typename Code> Code SelectedCode(const ChoiceState &choice, const char *what) {
    if (choice.ItemIndex < 0 || choice.ItemIndex >= static_cast<int>(choice.Items.size()))
        throw RangeError(std::string("No item of \"") + what + "\" is selected");
    return static_cast<Code>(choice.ItemIndex);
}

} // namespace

void CollectSurferOptions(const ProcessOptionsControls &c, TKavSurfOpt &o, char separator) {
    o.NumLevels = c.NumLevelsDefault.Checked ? -1 : ParseInt32(c.NumLevels.Text);
    o.NumColumns.reset();
    o.NumRows.reset();
    if (!c.NumBreaksDefault.Checked) {
        o.NumColumns = ParseInt32(c.NumColumns.Text);
        o.NumRows = ParseInt32(c.NumRows.Text);
    }
    o.RSquared.reset();
    if (!c.RSquaredDefault.Checked) o.RSquared = ParseReal(c.RSquared.Text, separator);
    o.MajorInterval.reset();
    if (!c.MajorIntervalDefault.Checked)
        o.MajorInterval = ParseReal(c.MajorInterval.Text, separator);
    o.ShowScale = c.ShowScale.Checked;
    o.ColorMap = SelectedCode<ColorRamp>(c.ColorMap, "Color Map");

    struct PageSize {
        double shortSide, longSide;
    };
    static constexpr PageSize kSizes[] = {{29.7, 42}, {21, 29.7}, {14.8, 21}}; // A3, A4, A5
    o.PageWidth = o.PageHeight = 0;
    if (c.PageSize.ItemIndex >= 0 && c.PageSize.ItemIndex < 3) {
        const PageSize size = kSizes[c.PageSize.ItemIndex];
        o.PageWidth = c.Landscape ? size.longSide : size.shortSide;
        o.PageHeight = c.Landscape ? size.shortSide : size.longSide;
    }
    o.Landscape = c.Landscape ? 1 : 0;
    o.MarginLeft = ParseReal(c.MarginLeft.Text, separator);
    o.MarginRight = ParseReal(c.MarginRight.Text, separator);
    o.MarginTop = ParseReal(c.MarginTop.Text, separator);
    o.MarginBottom = ParseReal(c.MarginBottom.Text, separator);
}

void CollectOptions(TKavRecords &records, ProcessWindows &windows,
                    const ProcessingEnvironment &environment) {
    const char sep = environment.DecimalSeparator;
    TKavOptions &o = records.Options;
    const int32_t device = records.Data.DeviceNumber;
    ReadCalibration(o.Calibration, device, CalibrationFileName(device),
                    environment.CalibrationFolder, sep, environment.Messages);
    const TKavCalibration &calibration = CalibrationSet(o.Calibration, device);
    for (int k = 1; k <= kChannelCount; ++k)
        windows.Section.FreqCaptions[static_cast<size_t>(k - 1)] =
            FormatGeneral(calibration.Frequencies[k], sep);

    const CommonProcessFields &common = windows.Common;
    o.XYChange = common.XYChange.Checked;
    o.XMirror = common.XMirror.Enabled && common.XMirror.Checked;
    o.YMirror = common.YMirror.Enabled && common.YMirror.Checked;
    o.ProcXStep = ParseReal(common.XStep.Text, sep);
    o.ProcYStep = ParseReal(common.YStep.Text, sep);
    o.DepthScale = ParseReal(windows.Section.DepthScale.Text, sep);

    const ProcessOptionsControls &c = windows.Options;
    o.OutputUnits = SelectedCode<Units>(c.OutputUnits, "Output Units");
    o.LogValues = c.LogValues.Checked;
    o.VoltLimits = c.VoltLimits.Checked;
    if (o.VoltLimits) {
        o.VoltMin = ParseReal(c.VoltMin.Text, sep);
        o.VoltMax = ParseReal(c.VoltMax.Text, sep);
    }
    o.AppLimits = c.AppLimits.Enabled && c.AppLimits.Checked;
    if (o.AppLimits) {
        o.AppMin = ParseReal(c.AppMin.Text, sep);
        o.AppMax = ParseReal(c.AppMax.Text, sep);
    }
    o.SFilter = c.SFilter.Enabled && c.SFilter.Checked;
    if (o.SFilter) {
        o.SFilterNPoints = ParseInt32(c.SFilterNPoints.Text);
        o.SFilterDegree = ParseReal(c.SFilterDegree.Text, sep);
    }
    o.FieldComponent = SelectedCode<Component>(c.FieldComponent, "Field Component");
    o.PhaseCorrection = c.PhaseCorrection.Checked;
    o.CurrentNorm = c.CurrentNorm.Checked;
    o.Freq2Norm = c.Freq2Norm.Checked;
    o.ApplyScaleCoef = c.ApplyScaleCoef.Checked;
    if (o.ApplyScaleCoef) {
        if (c.ScaleCoefLines.size() < static_cast<size_t>(kChannelCount))
            throw ConversionError("The scale coefficients need 14 lines, one per frequency; "
                                  "the list holds " +
                                  std::to_string(c.ScaleCoefLines.size()));
        for (int k = 1; k <= kChannelCount; ++k)
            o.ScaleCoef[k] =
                ParseReal(c.ScaleCoefLines[static_cast<size_t>(kChannelCount - k)], sep);
    }
    o.MinusAir = c.MinusAir.Checked;
    o.OutputFormat = SelectedCode<TableLayout>(c.OutputFormat, "Output Format");
    o.SignalType = SelectedCode<SignalKind>(c.SignalType, "Signal Type");
    o.CreateCurrentFile = c.CreateCurrentFile.Checked;
    o.CreateLogFile = c.CreateLogFile.Checked;

    o.UseSurfer = common.UseSurfer.Checked;
    o.CreateMap = common.CreateMap.Checked;
    TKavSurfOpt surfer;
    CollectSurferOptions(c, surfer, sep);
    o.SurfOpt = surfer;
    o.CoordType = SelectedCode<Coordinates>(c.CoordType, "Coordinates Type");

    if (windows.Section.Visible)
        for (int k = 1; k <= kChannelCount; ++k)
            o.SectionFreq[k] = windows.Section.Freq[static_cast<size_t>(k - 1)].Checked;
}

} // namespace orvex
