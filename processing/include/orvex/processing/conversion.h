// Conversion of the instrument's raw codes into the values the tables carry:
// current normalisation, air removal, rotation to the primary-field phase,
// normalisation by frequency, the voltage limits, the field transform into
// apparent conductivity, resistivity or ppm, apparent limits, scale
// coefficients, the logarithm and the sounding-curve filter, in that order.
//
// Floating-point faults (a zero current, air current or frequency where it
// divides, a zero conductivity turned into resistivity, a field transform that
// fails) raise ZeroDivideError or InvalidOperationError naming the record and
// channel; no infinity or NaN is ever stored into a result cell.
#pragma once

#include "orvex/processing/kav_records.h"

#include <array>

namespace orvex {

// Fourteen cells of one measurement, cell k for channel k (cell 0 unused).
using MeasurementCells = std::array<TKavResultCell, kChannelCount + 1>;

// Once per run, after the options are collected: the air currents of the
// calibration, every used channel's current and working components (phase
// corrected when asked), and the mean current of each channel over the records
// whose first channel is used.
void PrepareConversion(TKavRecords &records);

// The phase correction of channel k of record m with its fresh current:
// current-normalised, air-free components rotated by (XPrimary, YPrimary);
// device 11 turns the first component round.
void CorrectPhase(TKavRecords &records, int k, int64_t m);

// Whether the signal of channel k of record m, in microvolts, lies within
// VoltMin..VoltMax (always true with the limits off). For the phase the
// modulus is tested.
bool VoltageInLimits(const TKavRecords &records, int64_t m, int k);

// Converts channel k of record m into `cell` (Value, Current, Valid); Value is
// set only for a used channel within the voltage limits.
void ConvertValue(const TKavRecords &records, int64_t m, int k, TKavResultCell &cell);

// The step into the field transform library: x (signal codes per ampere, or the
// phase) into apparent conductivity (mS/m), resistivity (Ohm·m) or ppm of
// channel k, clamped by the apparent limits when they are on.
double FieldTransform(const TKavRecords &records, Units units, int k, Component component,
                      double x);

// All fourteen channels of record m, then the sounding-curve filter.
void ConvertMeasurement(const TKavRecords &records, int64_t m, MeasurementCells &cells);

// The sounding-curve filter (when SFilter is on) over the fourteen converted
// cells of record m: copies them into `cells` and clears Valid of a value that
// deviates from the mean of its valid neighbours within SFilterNPoints by more
// than SFilterDegree percent. Every decision reads the unfiltered cells.
void FilterMeasurement(const TKavRecords &records, int64_t m, const MeasurementCells &unfiltered,
                       MeasurementCells &cells);

} // namespace orvex
