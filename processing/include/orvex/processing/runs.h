// Processing runs: the input checks, one map or section run (collect, prepare,
// convert, place, write, hand to the map server), a batch over the remaining
// frequencies, lines or stations, and the filling of the process windows after
// a survey is loaded. The visible process window decides the kind of run.
#pragma once

#include "orvex/processing/environment.h"
#include "orvex/processing/kav_records.h"

namespace orvex {

// The fixed texts of the run's closing messages.
inline constexpr const char *kMapsShown =
    "Maps are Successfully Created and Shown in Surfer Window.";
inline constexpr const char *kSectionsShown =
    "Cross-Sections are Successfully Created and Can be Seen in Surfer Window.";
inline constexpr const char *kProcessingCompleted = "Data Processing is Successfully Completed!";
inline constexpr const char *kBatchMapsShown =
    "Maps are Successfully Created and Can be Seen in Surfer Window.";
inline constexpr const char *kBatchCompleted = "Data Processing is Successfully Complited!";

// Input file, output file, and for a chaotic survey an enabled coordinate-file
// field, must be filled; otherwise sets StatusText and returns false.
bool CheckRunInputs(TKavRecords &records, const ProcessWindows &windows);

// One run of the visible process window. A failed input check is shown as a
// warning; outside a batch the closing message follows a run that wrote its
// tables. Returns true when the tables were written. Conversion, range, file
// and map-server errors propagate as exceptions; files written stay.
bool RunProcessing(TKavRecords &records, ProcessWindows &windows,
                   ProcessingEnvironment &environment);

// Repeats the run for every frequency from the one shown up to 14 (maps), or
// for every line up to "Max Line" or station up to "Max Station" (sections),
// writing each number into its field, letting the windows catch up, rebuilding
// the output name. A run that does not get through ends the batch without the
// closing message. BatchInProgress is true exactly while the batch runs.
// Returns true when every run of the batch wrote its tables.
bool RunBatch(TKavRecords &records, ProcessWindows &windows, ProcessingEnvironment &environment);

// After a load through the Common Process window: the survey's extent, kind,
// device and steps, the output-file controls, and for the data sheet with the
// map server at hand the mirrors, "XY Change" and "Use Surfer".
void ShowSurveyInfo(const TKavRecords &records, ProcessWindows &windows,
                    const ProcessingEnvironment &environment);

// Fills the visible process window from the survey: its enabled controls, the
// ranges and numbers set to the survey's bounds, and their spin limits. Bounds
// outside -32768..32767 cannot be spin limits and raise RangeError.
void PrepareProcessWindows(const TKavRecords &records, ProcessWindows &windows);

// Ticks the section frequency boxes exactly for the channels the survey's first
// record uses.
void SelectSectionChannels(const TKavRecords &records, ProcessWindows &windows);

// What the Common Process window does after it has loaded a survey: the output
// name, the survey information, the visible process window.
void FillWindowsAfterLoad(TKavRecords &records, ProcessWindows &windows,
                          const ProcessingEnvironment &environment);

} // namespace orvex
