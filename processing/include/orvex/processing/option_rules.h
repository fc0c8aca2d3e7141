// The rules that keep the processing controls consistent with each other, as
// functions over the plain control records: the window calls them from its
// event handlers, the command line from its flags, so both lock, tick and
// shorten exactly the same controls.
#pragma once

#include "orvex/processing/process_windows.h"

namespace orvex {

// Limits and filter: the voltage-limit edits follow their "Apply"; the
// apparent-limit and filter "Apply" boxes are enabled only outside "Signal",
// and their edits only while their box is also ticked.
void UpdateLimitControls(ProcessOptionsControls &controls);

// Units, component, signal type and layout: locks the corrections outside
// "Signal" with "ADC Custom", offers "1D &Inversion" only for "Signal" and
// "&Phs" only outside "PPM" (a selection past a shortened list moves to its
// last item), and enables "Signal Type" only where it means something.
void UpdateOptionRules(ProcessOptionsControls &controls);

// "Output Units" clicked: both rule sets. The window then rebuilds the output name.
void OnOutputUnitsClick(ProcessOptionsControls &controls);

// "Output Format" clicked: the option rules, then, once a survey is loaded,
// "Use Surfer" of the Common Process window follows the layout: ticked and
// enabled for the data sheet when the map server can be used, else cleared and
// disabled. The window then rebuilds the output name.
void OnOutputFormatClick(ProcessOptionsControls &controls, CommonProcessFields &common,
                         bool surveyLoaded, bool surferAvailable);

// "Phase Correction" clicked: under "Signal", ticking it ticks "By Current" and
// "Substract Zero", and both are enabled exactly while it is clear.
void OnPhaseCorrectionClick(ProcessOptionsControls &controls);

// "By Current" clicked: "By Freq." is enabled while it is ticked, and cleared
// and disabled otherwise. The window then collects the options.
void OnCurrentNormClick(ProcessOptionsControls &controls);

// The "D" boxes of the map-server options: each edit is enabled exactly while
// its box is clear.
void UpdateDefaultBoxes(ProcessOptionsControls &controls);

// "Use Surfer" of the Common Process window clicked: ticking it ticks "Create
// Grid" and "Create and Show Map" and enables the latter; clearing clears both
// and disables it.
void OnUseSurferClick(CommonProcessFields &common);

// A margin spin button: the edit's number plus or minus 0.1, written back in the
// shortest decimal form ("1" up gives "1.1"). A text that is not a number
// raises ConversionError and stays as it is.
void StepMargin(EditState &margin, bool up, char separator);

// The X or Y step spin button of the Common Process window: up adds 0.1, down
// subtracts 0.1 unless the value is already 0.1 or less.
void StepProcessingStep(EditState &step, bool up, char separator);

// What Cancel of the Process Options window gives back: the units, the
// component, the side files and switches of the corrections, and the
// map-server options, counts as integers and R² as a real.
struct OptionSnapshot {
    int OutputUnits = 0, FieldComponent = 0, ColorMap = 0;
    bool CurrentNorm = false, Freq2Norm = false, MinusAir = false;
    bool CreateCurrentFile = false, CreateLogFile = false, ShowScale = false;
    bool NumBreaksDefault = false, RSquaredDefault = false, MajorIntervalDefault = false;
    long long NumRows = 0, NumColumns = 0, MajorInterval = 0;
    double RSquared = 0;
};

// Takes the snapshot when the window is shown. A count or interval that is not
// an integer, or an R² that is not a number, raises ConversionError and the
// snapshot stops at that value.
void SaveOptionSnapshot(const ProcessOptionsControls &controls, OptionSnapshot &snapshot,
                        char separator);

// Cancel: puts the snapshot's items back (signal type, layout, limits, filter,
// page, margins and coefficients keep what the user set) and lets the rules
// bring the other controls in line with them.
void RestoreOptionSnapshot(ProcessOptionsControls &controls, const OptionSnapshot &snapshot,
                           char separator);

} // namespace orvex
