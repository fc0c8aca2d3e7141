// orvex-process: the processing engine without a display. It loads a survey,
// sets the controls of the Process Options, Common Process and Map or Section
// Process windows from its flags through the same option rules the windows
// use, runs a map or section (or a batch of them), hands the data sheets to the
// map server when asked, and prints the files it wrote.
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/processing/kav_records.h"
#include "orvex/processing/option_rules.h"
#include "orvex/processing/runs.h"
#include "orvex/processing/writers.h"
#include "orvex/prompts.h"
#include "orvex/surfer/builder.h"
#include "orvex/surfer/mapengine_server.h"
#include "orvex/survey/load.h"
#include "orvex/text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace orvex;

namespace {

const char *kHelp = R"(Usage: orvex-process SURVEY [options]

Processes a survey data file (.kav) or legacy file into the tables the
workbench writes, without a display. The defaults are the initial states of
the processing windows: a map of frequency 1 over the whole survey, apparent
resistivity, modulus, Surfer data sheet.

What to process (one of):
  --map                      a map of one frequency (the default)
  --along LINE               a section along line LINE
  --across STATION           a section across the lines at station STATION
  --freq K                   map: frequency number 1..14 (default 1)
  --stations A:B             map or section along a line: stations A to B
  --lines A:B                map or section across lines: lines A to B
  --all                      a batch: from the frequency, line or station given
                             up to 14, the last line or the last station
  --section-freqs K,K,...    section frequencies (default: the channels of the
                             survey's first record)

Process options:
  --units signal|cond|res|ppm          output units (default res)
  --component mod|quad|inph|phase      field component (default mod)
  --format sheet|sounding|profile|inversion
                                       table layout (default sheet; inversion
                                       only with signal units)
  --signal-type standard|custom|volts  signal scaling under signal units
  --phase-correction on|off            (free only with signal units and custom)
  --by-current on|off
  --by-freq on|off
  --subtract-zero on|off
  --log10                              write decimal logarithms
  --volt-limits MIN:MAX                accepted voltage range, microvolts
  --app-limits MIN:MAX                 clamp of apparent values
  --filter NPOINTS:DEGREE              sounding-curve filter, NPOINTS 3..9
  --scale-coefs C1,...,C14             per-frequency coefficients, frequency 1
                                       first; switches them on
  --coord-type local|gps               coordinates of a chaotic survey
  --coord-file FILE.crd                chaotic map: positions from FILE
                                       instead of the records' GPS coordinates
  --log-file                           also write the .log file
  --current-file                       also write the .cur file

Maps (with the data sheet layout; sections are gridded in the plane of
position and depth):
  --use-surfer               grid the data sheet into the .grd file of the
                             same name beside it ("Use Surfer")
  --create-map               also draw the grid into the .srf map document of
                             the same name ("Create and Show Map"; implies
                             --use-surfer); orvex-render DOCUMENT PICTURE.png
                             draws the document as a picture
  --columns N, --rows N      grid nodes along x and y; either one clears "D"
                             for both, and the other keeps its field's 100
                             (default: the map server's, 100 along the longer
                             side)
  --rsquared R               R squared of the gridding (default: the server's)
  --levels N                 N contour levels from the grid's lowest to its
                             highest value, N from 2 (default: the map
                             server's, a round interval)
  --color-map cyan-orange|blue-red|yellow-brown|rainbow|invert-rainbow
                             level colours (default rainbow)
  --show-scale               draw the colour scale beside the map
  --major-interval X         spacing of the axes' major ticks (default: the
                             map server's)
  --page A3|A4|A5            page size (default A4)
  --landscape                a landscape page (default portrait)
  --margins L,R,T,B          page margins, cm (default 1,1,1,1)
  --no-map-server            start as if the map server could not be created
                             (so does the environment ORVEX_NO_MAP_SERVER=1)

Common options:
  --x-step S, --y-step S     station and line steps of the positions, m
                             (default: the survey's)
  --depth-scale D            vertical scale of sections (default 1.0)
  --x-mirror, --y-mirror     turn the X or Y positions round
  --xy-change                swap the X and Y columns of a map data sheet
  --out FILE-OR-FOLDER       the output file, or the folder for the built name
                             (default: the built name beside the survey)
  --calibration-dir DIR      folder of the Orvex_Kav#N.ini files (default: the
                             folder of this program)
  --help                     this text

The option rules of the windows apply: a control they lock keeps its state,
and the tool says so on standard error. It prints each file it wrote and the
closing message; the map server's grids and documents follow their data
sheet. Exit status: 0 success, 1 the run failed, 2 usage error.
)";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void Note(const std::string &text) {
    std::fprintf(stderr, "orvex-process: note: %s\n", text.c_str());
}

// Information goes to standard output with the files; warnings and errors to
// standard error.
class ToolPrompts : public ConsolePrompts {
public:
    ModalResult Message(const MessageRequest &request) override {
        if (request.type != MessageType::Information) return ConsolePrompts::Message(request);
        std::printf("%s\n", request.text.c_str());
        return ModalResult::Ok;
    }
};

struct Range {
    long long first, last;
};

struct Request {
    std::string survey;
    enum class Kind { Map, Along, Across } kind = Kind::Map;
    long long sectionNumber = 0;
    std::optional<long long> freq;
    std::optional<Range> stations, lines;
    bool all = false;
    std::optional<std::vector<int>> sectionFreqs;
    std::optional<int> units, component, format, signalType, coordType;
    std::optional<bool> phaseCorrection, byCurrent, byFreq, subtractZero;
    bool log10 = false, logFile = false, currentFile = false;
    std::optional<std::pair<std::string, std::string>> voltLimits, appLimits, filter;
    std::optional<std::vector<std::string>> scaleCoefs;
    std::optional<std::string> xStep, yStep, depthScale, coordFile, out, calibrationDir;
    bool xMirror = false, yMirror = false, xyChange = false;
    bool useSurfer = false, createMap = false, noMapServer = false;
    // The "SurfOpt" and "SurfPage" controls asked for.
    std::optional<std::string> levels, columns, rows, rSquared, majorInterval;
    std::optional<int> colorMap, page;
    bool showScale = false, landscape = false;
    std::optional<std::vector<std::string>> margins;
};

int Choice(const std::string &flag, const std::string &value,
           std::initializer_list<const char *> words) {
    int index = 0;
    for (const char *word : words) {
        if (value == word) return index;
        ++index;
    }
    std::string offered;
    for (const char *word : words)
        offered += std::string(offered.empty() ? "" : "|") + word;
    throw UsageError(flag + " takes " + offered + ", not '" + value + "'");
}

std::string Number(const std::string &flag, const std::string &text) {
    double ignored = 0;
    if (!TryParseReal(text, '.', ignored))
        throw UsageError(flag + ": '" + text + "' is not a number");
    return Trim(text);
}

long long Integer(const std::string &flag, const std::string &text) {
    long long value = 0;
    if (!TryParseInteger(text, value))
        throw UsageError(flag + ": '" + text + "' is not a whole number");
    return value;
}

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::pair<std::string, std::string> Pair(const std::string &flag, const std::string &text) {
    const std::vector<std::string> parts = Split(text, ':');
    if (parts.size() != 2) throw UsageError(flag + " takes two values as A:B, not '" + text + "'");
    return {parts[0], parts[1]};
}

Range IntegerRange(const std::string &flag, const std::string &text) {
    const auto [a, b] = Pair(flag, text);
    return {Integer(flag, a), Integer(flag, b)};
}

Request Parse(int argc, char **argv) {
    Request r;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(flag + " needs a value");
            return argv[++i];
        };
        const auto onOff = [&] { return Choice(flag, value(), {"off", "on"}) == 1; };
        if (flag == "--help") {
            std::fputs(kHelp, stdout);
            std::exit(0);
        } else if (flag == "--map") {
            r.kind = Request::Kind::Map;
        } else if (flag == "--along" || flag == "--across") {
            r.kind = flag == "--along" ? Request::Kind::Along : Request::Kind::Across;
            r.sectionNumber = Integer(flag, value());
        } else if (flag == "--freq") {
            r.freq = Integer(flag, value());
            if (*r.freq < 1 || *r.freq > 14) throw UsageError("--freq takes 1 to 14");
        } else if (flag == "--stations") {
            r.stations = IntegerRange(flag, value());
        } else if (flag == "--lines") {
            r.lines = IntegerRange(flag, value());
        } else if (flag == "--all") {
            r.all = true;
        } else if (flag == "--section-freqs") {
            r.sectionFreqs.emplace();
            for (const std::string &part : Split(value(), ',')) {
                const long long k = Integer(flag, part);
                if (k < 1 || k > 14) throw UsageError("--section-freqs takes frequencies 1 to 14");
                r.sectionFreqs->push_back(static_cast<int>(k));
            }
        } else if (flag == "--units") {
            r.units = Choice(flag, value(), {"signal", "cond", "res", "ppm"});
        } else if (flag == "--component") {
            r.component = Choice(flag, value(), {"mod", "quad", "inph", "phase"});
        } else if (flag == "--format") {
            r.format = Choice(flag, value(), {"sheet", "sounding", "profile", "inversion"});
        } else if (flag == "--signal-type") {
            r.signalType = Choice(flag, value(), {"standard", "custom", "volts"});
        } else if (flag == "--phase-correction") {
            r.phaseCorrection = onOff();
        } else if (flag == "--by-current") {
            r.byCurrent = onOff();
        } else if (flag == "--by-freq") {
            r.byFreq = onOff();
        } else if (flag == "--subtract-zero") {
            r.subtractZero = onOff();
        } else if (flag == "--log10") {
            r.log10 = true;
        } else if (flag == "--volt-limits" || flag == "--app-limits") {
            auto [a, b] = Pair(flag, value());
            (flag == "--volt-limits" ? r.voltLimits : r.appLimits) =
                std::pair{Number(flag, a), Number(flag, b)};
        } else if (flag == "--filter") {
            auto [n, degree] = Pair(flag, value());
            const long long points = Integer(flag, n);
            if (points < 3 || points > 9) throw UsageError("--filter takes 3 to 9 points");
            r.filter = std::pair{std::to_string(points), Number(flag, degree)};
        } else if (flag == "--scale-coefs") {
            r.scaleCoefs = Split(value(), ',');
            if (r.scaleCoefs->size() != 14)
                throw UsageError("--scale-coefs takes 14 coefficients, frequency 1 first");
            for (std::string &c : *r.scaleCoefs)
                c = Number(flag, c);
        } else if (flag == "--coord-type") {
            r.coordType = Choice(flag, value(), {"local", "gps"});
        } else if (flag == "--coord-file") {
            r.coordFile = value();
        } else if (flag == "--log-file") {
            r.logFile = true;
        } else if (flag == "--current-file") {
            r.currentFile = true;
        } else if (flag == "--x-step" || flag == "--y-step" || flag == "--depth-scale") {
            (flag == "--x-step"   ? r.xStep
             : flag == "--y-step" ? r.yStep
                                  : r.depthScale) = Number(flag, value());
        } else if (flag == "--x-mirror") {
            r.xMirror = true;
        } else if (flag == "--y-mirror") {
            r.yMirror = true;
        } else if (flag == "--xy-change") {
            r.xyChange = true;
        } else if (flag == "--out") {
            r.out = value();
        } else if (flag == "--calibration-dir") {
            r.calibrationDir = value();
        } else if (flag == "--use-surfer") {
            r.useSurfer = true;
        } else if (flag == "--create-map") {
            r.useSurfer = r.createMap = true;
        } else if (flag == "--no-map-server") {
            r.noMapServer = true;
        } else if (flag == "--levels" || flag == "--columns" || flag == "--rows") {
            (flag == "--levels"    ? r.levels
             : flag == "--columns" ? r.columns
                                   : r.rows) = std::to_string(Integer(flag, value()));
        } else if (flag == "--rsquared" || flag == "--major-interval") {
            (flag == "--rsquared" ? r.rSquared : r.majorInterval) = Number(flag, value());
        } else if (flag == "--color-map") {
            r.colorMap =
                Choice(flag, value(),
                       {"cyan-orange", "blue-red", "yellow-brown", "rainbow", "invert-rainbow"});
        } else if (flag == "--show-scale") {
            r.showScale = true;
        } else if (flag == "--page") {
            r.page = Choice(flag, value(), {"A3", "A4", "A5"});
        } else if (flag == "--landscape") {
            r.landscape = true;
        } else if (flag == "--margins") {
            r.margins = Split(value(), ',');
            if (r.margins->size() != 4) throw UsageError("--margins takes four values as L,R,T,B");
            for (std::string &margin : *r.margins)
                margin = Number(flag, margin);
        } else if (!flag.empty() && flag[0] == '-') {
            throw UsageError("unknown option " + flag);
        } else if (r.survey.empty()) {
            r.survey = flag;
        } else {
            throw UsageError("more than one survey given: " + flag);
        }
    }
    if (r.survey.empty()) throw UsageError("no survey given");
    if (r.kind != Request::Kind::Map && (r.freq || r.coordFile))
        throw UsageError("--freq and --coord-file belong to maps");
    if (r.kind == Request::Kind::Map && r.sectionFreqs)
        throw UsageError("--section-freqs belongs to sections");
    if (!r.useSurfer && (r.columns || r.rows || r.rSquared))
        throw UsageError("--columns, --rows and --rsquared belong to --use-surfer");
    if (!r.createMap && (r.levels || r.majorInterval || r.colorMap || r.showScale || r.page ||
                         r.landscape || r.margins))
        throw UsageError("--levels, --color-map, --show-scale, --major-interval, --page, "
                         "--landscape and --margins belong to --create-map");
    return r;
}

// A check box the user asks for: ticked through its handler when enabled,
// otherwise left as the rules hold it, with a note when that is not what was asked.
void Tick(CheckState &box, bool wanted, const char *caption,
          void (*handler)(ProcessOptionsControls &), ProcessOptionsControls &controls) {
    if (box.Checked == wanted) return;
    if (!box.Enabled) {
        Note(std::string("\"") + caption + "\" is locked " + (box.Checked ? "on" : "off") +
             " by the other options");
        return;
    }
    box.Checked = wanted;
    if (handler) handler(controls);
}

// An item of a radio group the rules may have shortened: asking for one that is
// not offered is a usage error, as the window offers no way to choose it.
void Select(ChoiceState &choice, int index, const char *flag) {
    if (index >= static_cast<int>(choice.Items.size()))
        throw UsageError(std::string(flag) + " asks for a choice these units do not offer");
    choice.ItemIndex = index;
}

void SetProcessOptions(const Request &r, ProcessOptionsControls &c) {
    if (r.units) {
        c.OutputUnits.ItemIndex = *r.units;
        OnOutputUnitsClick(c);
    }
    if (r.component) {
        Select(c.FieldComponent, *r.component, "--component phase");
        UpdateOptionRules(c);
    }
    if (r.signalType) {
        if (!c.SignalType.Enabled && c.SignalType.ItemIndex != *r.signalType)
            Note("\"Signal Type\" is locked on \"" +
                 c.SignalType.Items[size_t(c.SignalType.ItemIndex)] + "\" by the other options");
        else
            c.SignalType.ItemIndex = *r.signalType;
        UpdateOptionRules(c);
    }
    if (r.format) {
        Select(c.OutputFormat, *r.format, "--format inversion");
        UpdateOptionRules(c);
    }
    if (r.phaseCorrection)
        Tick(c.PhaseCorrection, *r.phaseCorrection, "Phase Correction", OnPhaseCorrectionClick, c);
    if (r.byCurrent) Tick(c.CurrentNorm, *r.byCurrent, "By Current", OnCurrentNormClick, c);
    if (r.byFreq) Tick(c.Freq2Norm, *r.byFreq, "By Freq.", nullptr, c);
    if (r.subtractZero) Tick(c.MinusAir, *r.subtractZero, "Substract Zero", nullptr, c);
    c.LogValues.Checked = r.log10;
    if (r.voltLimits) {
        c.VoltLimits.Checked = true;
        c.VoltMin.Text = r.voltLimits->first;
        c.VoltMax.Text = r.voltLimits->second;
    }
    if (r.appLimits) {
        Tick(c.AppLimits, true, "Apparent Limits", nullptr, c);
        c.AppMin.Text = r.appLimits->first;
        c.AppMax.Text = r.appLimits->second;
    }
    if (r.filter) {
        Tick(c.SFilter, true, "Sounding Curve Filter", nullptr, c);
        c.SFilterNPoints.Text = r.filter->first;
        c.SFilterDegree.Text = r.filter->second;
    }
    UpdateLimitControls(c);
    if (r.scaleCoefs) {
        c.ApplyScaleCoef.Checked = true;
        c.ScaleCoefLines.assign(r.scaleCoefs->rbegin(), r.scaleCoefs->rend()); // highest first
    }
    if (r.coordType) c.CoordType.ItemIndex = *r.coordType;
    c.CreateLogFile.Checked = r.logFile;
    c.CreateCurrentFile.Checked = r.currentFile;

    // "SurfOpt" and "SurfPage": a value given clears its "D" box.
    const auto set = [](const std::optional<std::string> &value, EditState &edit,
                        CheckState &defaultBox) {
        if (!value) return;
        defaultBox.Checked = false;
        edit.Text = *value;
    };
    set(r.levels, c.NumLevels, c.NumLevelsDefault);
    set(r.columns, c.NumColumns, c.NumBreaksDefault);
    set(r.rows, c.NumRows, c.NumBreaksDefault);
    set(r.rSquared, c.RSquared, c.RSquaredDefault);
    set(r.majorInterval, c.MajorInterval, c.MajorIntervalDefault);
    UpdateDefaultBoxes(c);
    c.ShowScale.Checked = r.showScale;
    if (r.colorMap) c.ColorMap.ItemIndex = *r.colorMap;
    if (r.page) c.PageSize.ItemIndex = *r.page;
    c.Landscape = r.landscape;
    if (r.margins) {
        c.MarginLeft.Text = (*r.margins)[0];
        c.MarginRight.Text = (*r.margins)[1];
        c.MarginTop.Text = (*r.margins)[2];
        c.MarginBottom.Text = (*r.margins)[3];
    }
}

// A number typed into a station or line field and then left: the field clamps it
// to the survey's bounds.
std::string Clamped(long long value, int32_t lo, int32_t hi, const char *what) {
    const long long clamped = value > hi ? hi : value < lo ? lo : value;
    if (clamped != value)
        Note(std::string(what) + " " + std::to_string(value) + " lies outside the survey's " +
             std::to_string(lo) + ".." + std::to_string(hi) + "; " + std::to_string(clamped) +
             " is used");
    return std::to_string(clamped);
}

void SetRange(const std::optional<Range> &range, EditState &first, EditState &last, int32_t lo,
              int32_t hi, const char *what) {
    if (!range) return;
    first.Text = Clamped(range->first, lo, hi, what);
    last.Text = Clamped(range->last, lo, hi, what);
}

void SetProcessWindow(const Request &r, const TKavSurveyData &data, ProcessWindows &w) {
    const bool chaotic = data.ChaoticGrid != 0;
    if (r.kind == Request::Kind::Map) {
        MapProcessFields &map = w.Map;
        if (chaotic) {
            if (r.freq) map.ChaNFreq.Text = std::to_string(*r.freq);
            map.ChaAllFreq.Checked = r.all;
            SetRange(r.stations, map.ChaMinStation, map.ChaMaxStation, data.MinStation,
                     data.MaxStation, "station");
            if (r.lines) Note("a chaotic survey has no lines; --lines is ignored");
            if (r.coordFile) {
                map.GPSCoord.Checked = false; // the box's handler enables the file field
                map.CoordFile = {*r.coordFile, true};
            }
        } else {
            if (r.freq) map.OrtNFreq.Text = std::to_string(*r.freq);
            map.AllFreq.Checked = r.all;
            SetRange(r.stations, map.MinStation, map.MaxStation, data.MinStation, data.MaxStation,
                     "station");
            SetRange(r.lines, map.MinLine, map.MaxLine, data.MinLine, data.MaxLine, "line");
            if (r.coordFile)
                Note("an orthogonal survey is placed by its grid; --coord-file is ignored");
        }
        return;
    }
    SectionProcessFields &section = w.Section;
    if (r.kind == Request::Kind::Along) {
        section.LineNumber.Text = Clamped(r.sectionNumber, data.MinLine, data.MaxLine, "line");
        SetRange(r.stations, section.MinStation, section.MaxStation, data.MinStation,
                 data.MaxStation, "station");
        if (r.lines) Note("a section along a line covers stations; --lines is ignored");
    } else {
        section.StationNumber.Text =
            Clamped(r.sectionNumber, data.MinStation, data.MaxStation, "station");
        SetRange(r.lines, section.MinLine, section.MaxLine, data.MinLine, data.MaxLine, "line");
        if (r.stations) Note("a section across lines covers lines; --stations is ignored");
    }
    section.AllSections.Checked = r.all;
    if (r.sectionFreqs) {
        for (CheckState &box : section.Freq)
            box.Checked = false;
        for (int k : *r.sectionFreqs)
            section.Freq[size_t(k - 1)].Checked = true;
    }
    if (r.depthScale) section.DepthScale.Text = *r.depthScale;
}

void SetCommonWindow(const Request &r, bool chaotic, CommonProcessFields &common) {
    // Loading ticked "Use Surfer" wherever the layout and the map server allow it.
    if (r.useSurfer && !common.UseSurfer.Enabled)
        throw UsageError("--use-surfer needs the data sheet layout (--format sheet)");
    common.UseSurfer.Checked = r.useSurfer;
    OnUseSurferClick(common);
    common.CreateMap.Checked = r.createMap;
    const auto tick = [](CheckState &box, bool wanted, const char *caption) {
        if (!wanted) return;
        if (box.Enabled)
            box.Checked = true;
        else
            Note(std::string("\"") + caption + "\" is not available for this layout and window");
    };
    tick(common.XMirror, r.xMirror, "X Mirror");
    tick(common.YMirror, r.yMirror, "Y Mirror");
    tick(common.XYChange, r.xyChange, "XY Change");
    if ((r.xStep || r.yStep) && chaotic)
        Note("a chaotic survey is placed by its coordinates; the steps play no part");
    if (r.xStep) common.XStep.Text = *r.xStep;
    if (r.yStep) common.YStep.Text = *r.yStep;
}

// Prints the grids and documents the map server wrote, after the tables.
class PrintingMapBuilder : public MapBuilder {
public:
    explicit PrintingMapBuilder(MapBuilder &builder) : builder_(builder) {}
    void GridDataFiles(const std::vector<std::string> &dataFiles,
                       const TKavSurfOpt &options) override {
        builder_.GridDataFiles(dataFiles, options);
        for (const std::string &file : dataFiles)
            std::printf("%s\n", ChangeExtension(file, ".grd").c_str());
    }
    void CreateMapDocuments(const std::vector<std::string> &gridFiles, bool batchInProgress,
                            const TKavSurfOpt &options) override {
        builder_.CreateMapDocuments(gridFiles, batchInProgress, options);
        for (const std::string &file : gridFiles)
            std::printf("%s\n", ChangeExtension(file, ".srf").c_str());
    }
    void CloseOpenDocuments() override { builder_.CloseOpenDocuments(); }

private:
    MapBuilder &builder_;
};

int Process(const Request &r) {
    ToolPrompts prompts;
    ProcessingEnvironment environment(prompts);
    // The map server, created as the workbench creates it at start-up; without a
    // display its window is never drawn.
    SurferContext surfer;
    environment.SurferAvailable = ConnectSurfer(
        surfer, MapEngineFactory(r.noMapServer || MapServerSwitchedOffByEnvironment()), prompts,
        {});
    if (r.useSurfer && !environment.SurferAvailable)
        throw Error("--use-surfer needs the map server, which could not be created");
    SurferMapBuilder builder(surfer);
    PrintingMapBuilder printing(builder);
    environment.Maps = &printing;
    if (r.calibrationDir)
        environment.CalibrationFolder = r.calibrationDir->empty() || r.calibrationDir->back() == '/'
                                            ? *r.calibrationDir
                                            : *r.calibrationDir + "/";
    environment.TablesWritten = [](const std::vector<std::string> &files) {
        for (const std::string &file : files)
            std::printf("%s\n", file.c_str());
    };

    auto records = std::make_unique<TKavRecords>();
    auto windows = std::make_unique<ProcessWindows>();
    SetProcessOptions(r, windows->Options);
    windows->Map.Visible = r.kind == Request::Kind::Map;
    windows->Section.Visible = !windows->Map.Visible;
    windows->Section.AlongLine = r.kind != Request::Kind::Across;

    LoadSurveyFile(records->Data, r.survey);
    if (!records->Data.Loaded) throw InputOutputError("\"" + r.survey + "\" could not be read");
    windows->Common.InputFile = r.survey;
    FillWindowsAfterLoad(*records, *windows, environment);
    SetCommonWindow(r, records->Data.ChaoticGrid != 0, windows->Common);
    SetProcessWindow(r, records->Data, *windows);
    BuildOutputName(*records, *windows, environment);

    if (r.out) {
        if (IsDirectory(*r.out)) {
            environment.OutputFolder = *r.out;
        } else if (r.all) {
            throw UsageError("with --all, --out names the folder the tables go to");
        } else {
            windows->Common.OutFile.Text = FolderOf(*r.out).empty() ? "./" + *r.out : *r.out;
        }
    }
    const bool done = r.all ? RunBatch(*records, *windows, environment)
                            : RunProcessing(*records, *windows, environment);
    return done ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    try {
        return Process(Parse(argc, argv));
    } catch (const UsageError &e) {
        std::fprintf(stderr, "orvex-process: %s\nTry 'orvex-process --help'.\n", e.what());
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orvex-process: %s\n", e.what());
        return 1;
    }
}
