// Loading a survey into memory: through the data file library for survey data
// files, and by our own reader for the older legacy layout.
#pragma once

#include "orvex/survey/survey_data.h"

#include <string>

namespace orvex {

// Fills the data part from a file. A survey data file is read by the library;
// a file the library refuses is read in the legacy layout, except one that
// carries the survey data file mark, which is damaged rather than legacy and
// raises InputOutputError with the library's reason, leaving `data` untouched.
// A name of 1000 characters or more raises RangeError before anything is read.
// A legacy read that fails clears the data part, leaves Loaded false and raises
// InputOutputError (file missing or too short) or RangeError (a header that
// describes no grid).
void LoadSurveyFile(TKavSurveyData &data, const std::string &fileName);

} // namespace orvex
