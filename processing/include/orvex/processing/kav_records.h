// One survey with its processing state: the data part, and the processing
// engine's options, calibration sets, results and run state. Each Edit Data
// window owns one; the processing engine owns one for the program's run.
#pragma once

#include "orvex/survey/survey_data.h"

namespace orvex {

struct TKavRecords {
    TKavSurveyData Data;
};

} // namespace orvex
