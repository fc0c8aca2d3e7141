// Saving a marked survey: a copy of its legacy source file in which every
// record the operator marked unused carries the unused mark in its signal words.
#pragma once

#include "orvex/survey/survey_data.h"

#include <string>

namespace orvex {

// Copies data.SourceFile to `fileName` and sets the unused mark (bit 23) in
// both signal words of every channel group of each unused record, keeping
// their values (an overflow word stays an overflow word); everything else is
// copied byte for byte. Returns false, writing nothing, when there is no
// source to copy: a survey read through the data file library (SourceFile
// empty) or a source that cannot be read. A source shorter than its records
// raises InputOutputError, and a target that cannot be written too; the target
// is replaced only once the whole copy is written, so a failure leaves it as
// it was. Saving onto the source itself marks it in place.
bool SaveSurveyCopy(const TKavSurveyData &data, const std::string &fileName);

} // namespace orvex
