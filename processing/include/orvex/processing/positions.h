// Positions of a run's results on the output plane: station and line times the
// steps on an orthogonal grid, metres from the first processed point (or plain
// degrees) on a chaotic grid, or positions from a coordinate file; in a section,
// the distance along it and a pseudo-depth per frequency; and the mirrors.
#pragma once

#include "orvex/processing/kav_records.h"
#include "orvex/processing/process_windows.h"

namespace orvex {

class Prompts;

// The record index of row p of the last section run: along a line, station
// ProcMinStation + p of the line; across lines, the station on line ProcMinLine + p.
int64_t SectionRecord(const TKavRecords &records, int64_t p);

// Metres in one degree of latitude (6371 km × π / 180).
constexpr double kMetresPerDegree = 111194.926644558737;

// Fills X and Y of every cell of records.Results for the run records.Kind
// describes. A chaotic map without "GPS Coord" reads the coordinate file of the
// Map Process window; when the file announces another number of records than
// the survey holds, the warning "The count of measurements and coordinates is
// different" is shown and false is returned: no position is read and the run
// must not write its tables. A file that cannot be read raises InputOutputError,
// one holding no number where one is expected ConversionError.
bool PlaceResults(TKavRecords &records, const MapProcessFields &map, Prompts &prompts);

} // namespace orvex
