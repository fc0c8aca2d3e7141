#include "orvex/processing/runs.h"

#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/processing/collect_options.h"
#include "orvex/processing/conversion.h"
#include "orvex/processing/map_builder.h"
#include "orvex/processing/option_rules.h"
#include "orvex/processing/positions.h"
#include "orvex/processing/writers.h"
#include "orvex/prompts.h"
#include "orvex/text.h"

#include <climits>

namespace orvex {

namespace {

int32_t FieldNumber(const EditState &field) {
    const long long value = ParseInteger(field.Text);
    if (value < INT32_MIN || value > INT32_MAX)
        throw ConversionError("'" + field.Text + "' is not a valid integer value");
    return static_cast<int32_t>(value);
}

// A stretch first..last of stations or lines must lie inside the survey's
// lo..hi and hold at least one position; no record outside the survey is read.
void CheckStretch(int32_t first, int32_t last, int32_t lo, int32_t hi, const char *what) {
    const auto outside = [&](int32_t n) {
        return RangeError(std::string(what) + " " + std::to_string(n) +
                          " lies outside the survey's " + what + "s " + std::to_string(lo) + ".." +
                          std::to_string(hi));
    };
    if (first < lo || first > hi) throw outside(first);
    if (last < lo || last > hi) throw outside(last);
    if (last < first)
        throw RangeError(std::string("The last ") + what + " (" + std::to_string(last) +
                         ") lies before the first (" + std::to_string(first) + ")");
}

void HandToMapServer(TKavRecords &records, const ProcessingEnvironment &environment) {
    const TKavOptions &o = records.Options;
    if (!o.UseSurfer) return;
    if (environment.Maps == nullptr)
        throw MapServerError("The map server is not available to grid " + records.SheetFiles.at(0));
    environment.Maps->GridDataFiles(records.SheetFiles, o.SurfOpt);
    if (o.CreateMap)
        environment.Maps->CreateMapDocuments(records.GridFiles, records.BatchInProgress, o.SurfOpt);
}

// Places, writes and hands on the results of the run; false when the positions
// could not be read.
bool FinishRun(TKavRecords &records, ProcessWindows &windows, ProcessingEnvironment &environment) {
    if (!PlaceResults(records, windows.Map, environment.Messages)) return false;
    const std::vector<std::string> written = WriteOutput(
        records,
        OutputPath(windows.Common.InputFile, windows.Common.OutFile.Text, environment.OutputFolder),
        environment.DecimalSeparator);
    if (environment.TablesWritten) environment.TablesWritten(written);
    HandToMapServer(records, environment);
    return true;
}

bool MapRun(TKavRecords &records, ProcessWindows &windows, ProcessingEnvironment &environment) {
    const TKavSurveyData &data = records.Data;
    const MapProcessFields &map = windows.Map;
    const bool chaotic = data.ChaoticGrid != 0;
    const int32_t k = FieldNumber(chaotic ? map.ChaNFreq : map.OrtNFreq);
    if (k < 1 || k > kChannelCount)
        throw RangeError("Frequency number " + std::to_string(k) + " lies outside 1..14");
    if (chaotic) {
        records.ProcMinStation = FieldNumber(map.ChaMinStation);
        records.ProcMaxStation = FieldNumber(map.ChaMaxStation);
        records.ProcMinLine = records.ProcMaxLine = 0;
    } else {
        records.ProcMinStation = FieldNumber(map.MinStation);
        records.ProcMaxStation = FieldNumber(map.MaxStation);
        records.ProcMinLine = FieldNumber(map.MinLine);
        records.ProcMaxLine = FieldNumber(map.MaxLine);
    }
    CheckStretch(records.ProcMinStation, records.ProcMaxStation, data.MinStation, data.MaxStation,
                 "station");
    CheckStretch(records.ProcMinLine, records.ProcMaxLine, data.MinLine, data.MaxLine, "line");

    records.Kind = RunKind::Map;
    records.MapFrequency = k;
    const size_t nS = static_cast<size_t>(records.ProcMaxStation - records.ProcMinStation + 1);
    const size_t nL = static_cast<size_t>(records.ProcMaxLine - records.ProcMinLine + 1);
    records.Results.assign(nL, std::vector<TKavResultCell>(nS));
    for (size_t r = 0; r < nL; ++r)
        for (size_t c = 0; c < nS; ++c) {
            const int32_t station = records.ProcMinStation + static_cast<int32_t>(c);
            const int64_t m =
                chaotic ? station
                        : RecordIndex(data, station, records.ProcMinLine + static_cast<int32_t>(r));
            ConvertValue(records, m, k, records.Results[r][c]);
        }
    if (!FinishRun(records, windows, environment)) return false;
    if (!records.BatchInProgress)
        environment.Messages.Inform(records.Options.UseSurfer ? kMapsShown : kProcessingCompleted);
    return true;
}

bool SectionRun(TKavRecords &records, ProcessWindows &windows, ProcessingEnvironment &environment) {
    const TKavSurveyData &data = records.Data;
    const SectionProcessFields &section = windows.Section;
    records.SectionAlongLine = section.AlongLine;
    if (section.AlongLine) {
        records.ProcMinStation = FieldNumber(section.MinStation);
        records.ProcMaxStation = FieldNumber(section.MaxStation);
        records.SectionLine = FieldNumber(section.LineNumber);
        CheckStretch(records.ProcMinStation, records.ProcMaxStation, data.MinStation,
                     data.MaxStation, "station");
        CheckStretch(records.SectionLine, records.SectionLine, data.MinLine, data.MaxLine, "line");
    } else {
        records.ProcMinLine = records.ProcMinStation = FieldNumber(section.MinLine);
        records.ProcMaxLine = records.ProcMaxStation = FieldNumber(section.MaxLine);
        records.SectionStation = FieldNumber(section.StationNumber);
        CheckStretch(records.ProcMinLine, records.ProcMaxLine, data.MinLine, data.MaxLine, "line");
        CheckStretch(records.SectionStation, records.SectionStation, data.MinStation,
                     data.MaxStation, "station");
    }

    records.Kind = RunKind::Section;
    const size_t nP = static_cast<size_t>(records.ProcMaxStation - records.ProcMinStation + 1);
    records.Results.assign(nP, std::vector<TKavResultCell>(kChannelCount + 1));
    // Every record's fourteen channels as ConvertMeasurement gives them, converted
    // channel by channel: the field transform then meets one frequency call after
    // call and reuses its search for the extrema of the response.
    std::vector<MeasurementCells> unfiltered(nP);
    for (int k = 1; k <= kChannelCount; ++k)
        for (size_t p = 0; p < nP; ++p)
            ConvertValue(records, SectionRecord(records, static_cast<int64_t>(p)), k,
                         unfiltered[p][static_cast<size_t>(k)]);
    MeasurementCells cells;
    for (size_t p = 0; p < nP; ++p) {
        FilterMeasurement(records, SectionRecord(records, static_cast<int64_t>(p)), unfiltered[p],
                          cells);
        for (int k = 1; k <= kChannelCount; ++k)
            if (records.Options.SectionFreq[k])
                records.Results[p][static_cast<size_t>(k)] = cells[static_cast<size_t>(k)];
    }
    if (!FinishRun(records, windows, environment)) return false;
    if (!records.BatchInProgress)
        environment.Messages.Inform(records.Options.UseSurfer ? kSectionsShown
                                                              : kProcessingCompleted);
    return true;
}

// Spin buttons hold 16-bit limits.
SpinLimits Limits(int32_t lo, int32_t hi, const char *what) {
    if (lo < -32768 || hi > 32767 || hi < -32768 || lo > 32767)
        throw RangeError(std::string("The survey's ") + what + "s " + std::to_string(lo) + ".." +
                         std::to_string(hi) +
                         " lie outside the range -32768..32767 of a spin button");
    return {lo, hi};
}

// BatchInProgress for the life of a batch, reset also when a run fails.
class BatchScope {
public:
    explicit BatchScope(TKavRecords &records) : records_(records) {
        records_.BatchInProgress = true;
    }
    ~BatchScope() { records_.BatchInProgress = false; }
    BatchScope(const BatchScope &) = delete;
    BatchScope &operator=(const BatchScope &) = delete;

private:
    TKavRecords &records_;
};

} // namespace

bool CheckRunInputs(TKavRecords &records, const ProcessWindows &windows) {
    if (windows.Common.InputFile.empty())
        records.StatusText = "The Input File is not Specified!";
    else if (windows.Common.OutFile.Text.empty())
        records.StatusText = "The Out File is not Specified!";
    else if (records.Data.ChaoticGrid && windows.Map.CoordFile.Enabled &&
             windows.Map.CoordFile.Text.empty())
        records.StatusText = "The Coordinate File is not Specified!";
    else
        return true;
    return false;
}

bool RunProcessing(TKavRecords &records, ProcessWindows &windows,
                   ProcessingEnvironment &environment) {
    if (!CheckRunInputs(records, windows)) {
        environment.Messages.Warn(records.StatusText);
        return false;
    }
    if (!records.Data.Loaded) throw Error("No survey is loaded");
    CollectOptions(records, windows, environment);
    PrepareConversion(records);
    if (windows.Map.Visible) return MapRun(records, windows, environment);
    if (windows.Section.Visible) return SectionRun(records, windows, environment);
    return false;
}

bool RunBatch(TKavRecords &records, ProcessWindows &windows, ProcessingEnvironment &environment) {
    BatchScope batch(records);
    if (environment.SurferAvailable && environment.Maps) environment.Maps->CloseOpenDocuments();
    const auto runs = [&](EditState &field, int32_t last) {
        for (int32_t n = FieldNumber(field); n <= last; ++n) {
            field.Text = std::to_string(n);
            if (environment.ProcessPendingMessages) environment.ProcessPendingMessages(windows);
            BuildOutputName(records, windows, environment);
            if (!RunProcessing(records, windows, environment)) return false;
        }
        return true;
    };
    if (windows.Map.Visible) {
        MapProcessFields &map = windows.Map;
        if (!runs(map.OrtGrid ? map.OrtNFreq : map.ChaNFreq, kChannelCount)) return false;
        environment.Messages.Inform(records.Options.UseSurfer ? kBatchMapsShown : kBatchCompleted);
        return true;
    }
    if (windows.Section.Visible) {
        SectionProcessFields &section = windows.Section;
        const bool along = section.AlongLine;
        if (!runs(along ? section.LineNumber : section.StationNumber,
                  FieldNumber(along ? section.MaxLine : section.MaxStation)))
            return false;
        environment.Messages.Inform(records.Options.UseSurfer ? kSectionsShown : kBatchCompleted);
        return true;
    }
    return false;
}

void ShowSurveyInfo(const TKavRecords &records, ProcessWindows &windows,
                    const ProcessingEnvironment &environment) {
    const TKavSurveyData &data = records.Data;
    if (!data.Loaded) return;
    CommonProcessFields &common = windows.Common;
    const bool orthogonal = data.ChaoticGrid == 0;
    common.ControlsEnabled = true;
    common.XStep.Enabled = common.YStep.Enabled = orthogonal;
    common.DataInfo = std::to_string(data.MinStation) + " -:- " + std::to_string(data.MaxStation);
    if (orthogonal)
        common.DataInfo +=
            " x " + std::to_string(data.MinLine) + " -:- " + std::to_string(data.MaxLine);
    common.MeasGridType = orthogonal ? "Orthogonal" : "Chaotic";
    common.DeviceNumber = std::to_string(data.DeviceNumber);
    common.XStep.Text = FormatFixed(data.XStep, 0, 3, environment.DecimalSeparator);
    common.YStep.Text = FormatFixed(data.YStep, 0, 3, environment.DecimalSeparator);
    common.OutFile.Enabled = true;
    if (windows.Options.OutputFormat.ItemIndex == 0 && environment.SurferAvailable) {
        common.XMirror.Enabled = true;
        if (windows.Map.Visible) common.YMirror.Enabled = common.XYChange.Enabled = true;
        common.UseSurfer.Enabled = common.UseSurfer.Checked = true;
        OnUseSurferClick(common);
    }
}

void SelectSectionChannels(const TKavRecords &records, ProcessWindows &windows) {
    const auto &stations = records.Data.Stations;
    for (int k = 1; k <= kChannelCount; ++k)
        windows.Section.Freq[static_cast<size_t>(k - 1)].Checked =
            !stations.empty() && stations[0].ChannelUsed[k] != 0;
}

void PrepareProcessWindows(const TKavRecords &records, ProcessWindows &windows) {
    const TKavSurveyData &data = records.Data;
    if (!data.Loaded) return;
    const SpinLimits stations = Limits(data.MinStation, data.MaxStation, "station");
    const SpinLimits lines = Limits(data.MinLine, data.MaxLine, "line");
    if (windows.Map.Visible) {
        MapProcessFields &map = windows.Map;
        const bool orthogonal = data.ChaoticGrid == 0;
        map.ProcessEnabled = true;
        map.OrtGrid = orthogonal;
        map.OrtGroupEnabled = orthogonal;
        map.ChaoticGroupEnabled = !orthogonal;
        for (EditState *field : {&map.MinStation, &map.MaxStation, &map.MinLine, &map.MaxLine})
            field->Enabled = orthogonal;
        map.AllFreq.Enabled = orthogonal;
        map.OrtNFreq.Enabled = orthogonal && !map.AllFreq.Checked;
        for (EditState *field : {&map.ChaMinStation, &map.ChaMaxStation})
            field->Enabled = !orthogonal;
        map.ChaAllFreq.Enabled = map.GPSCoord.Enabled = !orthogonal;
        map.ChaNFreq.Enabled = !orthogonal && !map.ChaAllFreq.Checked;
        map.CoordFile.Enabled = !orthogonal && !map.GPSCoord.Checked;
        if (orthogonal) {
            map.MinStation.Text = std::to_string(data.MinStation);
            map.MaxStation.Text = std::to_string(data.MaxStation);
            map.MinLine.Text = std::to_string(data.MinLine);
            map.MaxLine.Text = std::to_string(data.MaxLine);
            map.StationLimits = stations;
            map.LineLimits = lines;
        } else {
            map.ChaMinStation.Text = std::to_string(data.MinStation);
            map.ChaMaxStation.Text = std::to_string(data.MaxStation);
            map.ChaStationLimits = stations;
        }
    }
    if (windows.Section.Visible) {
        SectionProcessFields &section = windows.Section;
        section.ProcessEnabled = true;
        section.DepthScale.Enabled = true;
        section.MinStation.Enabled = section.MaxStation.Enabled = section.AlongLine;
        section.MinLine.Enabled = section.MaxLine.Enabled = !section.AlongLine;
        if (!section.AllSections.Checked) {
            section.DirectionEnabled = true;
            (section.AlongLine ? section.LineNumber : section.StationNumber).Enabled = true;
        }
        section.AllSections.Enabled = true;
        SelectSectionChannels(records, windows);
        for (CheckState &box : section.Freq)
            box.Enabled = true;
        section.MinStation.Text = section.StationNumber.Text = std::to_string(data.MinStation);
        section.MaxStation.Text = std::to_string(data.MaxStation);
        section.MinLine.Text = section.LineNumber.Text = std::to_string(data.MinLine);
        section.MaxLine.Text = std::to_string(data.MaxLine);
        section.StationLimits = stations;
        section.LineLimits = lines;
    }
}

void FillWindowsAfterLoad(TKavRecords &records, ProcessWindows &windows,
                          const ProcessingEnvironment &environment) {
    BuildOutputName(records, windows, environment);
    ShowSurveyInfo(records, windows, environment);
    PrepareProcessWindows(records, windows);
}

} // namespace orvex
