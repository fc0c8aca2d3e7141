// Collecting the options of a run from the window records into TKavOptions, the
// way the controls are read before every run: the calibration file first, then
// the controls, values under a switch only while it is on, and some boxes only
// while they are enabled.
#pragma once

#include "orvex/processing/environment.h"
#include "orvex/processing/kav_records.h"

namespace orvex {

// Reads the calibration file of the survey's device number, recaptions the
// section frequency boxes with its frequencies, and copies the controls into
// records.Options. A text that is not a number of the required kind raises
// ConversionError at that field; the fields before it keep their new values.
void CollectOptions(TKavRecords &records, ProcessWindows &windows,
                    const ProcessingEnvironment &environment);

// Builds the map-server options from the "SurfOpt" and "SurfPage" controls, in
// field order; a "D" box ticked leaves its option to the map server.
void CollectSurferOptions(const ProcessOptionsControls &controls, TKavSurfOpt &options,
                          char separator);

} // namespace orvex
