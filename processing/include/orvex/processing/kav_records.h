// One survey with its processing state: the data part, and the processing
// engine's options, calibration sets, results and run state. Each Edit Data
// window owns one; the processing engine owns one for the program's run.
#pragma once

#include "orvex/processing/options.h"
#include "orvex/survey/survey_data.h"

#include <string>
#include <vector>

namespace orvex {

// One converted value of a run with its transmitter current, validity and
// position on the output plane (in a section, Y is the depth).
struct TKavResultCell {
    double Value = 0; // meaningful only while Valid
    double Current = 0;
    bool Valid = false;
    double X = 0;
    double Y = 0;
};

// Results of a run: for a map, one row per line and one cell per station of the
// processed rectangle; for a section, one row per position and cells 1..14 for
// the channels (cell 0 unused).
using TKavResults = std::vector<std::vector<TKavResultCell>>;

// Which process window started the run.
enum class RunKind { None, Map, Section };

struct TKavRecords {
    TKavSurveyData Data;
    TKavOptions Options;

    // Mean transmitter current of each channel over the survey, from the last
    // conversion preparation, and the number of records it was divided by.
    ChannelArray<double> MeanCurrent;
    int64_t MeanCurrentRecords = 0;

    // State of the last run.
    TKavResults Results;
    RunKind Kind = RunKind::None;
    bool SectionAlongLine = true;                   // section run: along a line, else across lines
    int32_t MapFrequency = 1;                       // map run: the channel mapped
    int32_t SectionLine = 0;                        // section along a line: its line
    int32_t SectionStation = 0;                     // section across lines: its station
    int32_t ProcMinStation = 0, ProcMaxStation = 0; // across lines: the line range
    int32_t ProcMinLine = 0, ProcMaxLine = 0;
    std::string StatusText;              // the last failed input check
    std::vector<std::string> SheetFiles; // data sheets to grid
    std::vector<std::string> GridFiles;  // grids to draw
    bool BatchInProgress = false;
};

} // namespace orvex
