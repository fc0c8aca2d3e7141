// The states of the controls the processing reads: the Process Options window,
// the Common Process, Map Process and Section Process windows. Windows copy their
// controls into these records and back; the core reads and changes only the
// records, so the command line and tests drive the same rules without a display.
// Initial values are the controls' initial states.
#pragma once

#include "orvex/survey/survey_data.h"

#include <array>
#include <string>
#include <vector>

namespace orvex {

struct CheckState {
    bool Checked = false;
    bool Enabled = true;
};

// Fourteen check boxes, one per frequency, unticked and disabled.
inline std::array<CheckState, kChannelCount> DisabledChannelBoxes() {
    std::array<CheckState, kChannelCount> boxes;
    boxes.fill(CheckState{false, false});
    return boxes;
}

// A radio group or a drop-down list.
struct ChoiceState {
    std::vector<std::string> Items;
    int ItemIndex = 0; // -1: nothing selected
    bool Enabled = true;
};

// An edit with its label and spin button, which are always enabled together.
struct EditState {
    std::string Text;
    bool Enabled = true;
};

// The Process Options window.
struct ProcessOptionsControls {
    // "&Main"
    ChoiceState OutputUnits{{"Signal", "App. Cond.", "App. Risistivity", "PPM"}, 2};
    CheckState LogValues;
    ChoiceState FieldComponent{{"&Mod ", "&Quad ", "&Inph", "&Phs"}, 0};
    ChoiceState OutputFormat{{"&Surfer D.Sheet", "S&ound. Curves", "&Prof. Curves"}, 0};
    CheckState InvHeader; // "1D Inv": part of nothing but the moment the name is rebuilt
    ChoiceState SignalType{{"ADC Standart", "ADC Custom", "in Volts"}, 0, false};
    CheckState PhaseCorrection{false, false};
    CheckState Freq2Norm{false, false};
    CheckState CurrentNorm{true, false};
    CheckState MinusAir{true, false};

    // "&Other"
    CheckState VoltLimits;
    EditState VoltMin{"0.5", false}, VoltMax{"100", false};
    CheckState AppLimits;
    EditState AppMin{"1", false}, AppMax{"300", false};
    CheckState SFilter;
    EditState SFilterNPoints{"5", false}, SFilterDegree{"50", false};
    ChoiceState CoordType{{"Local coordinates (m)", "Global GPS coordinates"}, 0};
    CheckState CreateLogFile;
    CheckState CreateCurrentFile;

    // "SurfOpt"
    EditState NumLevels{"25", false};
    CheckState NumLevelsDefault{true};
    ChoiceState ColorMap{
        {"Cyan - Orange", "Blue - Red", "Yellow - Brown", "Rainbow", "Invert Rainbow"}, 3};
    CheckState ShowScale;
    EditState MajorInterval{"1", false};
    CheckState MajorIntervalDefault{true};
    EditState NumRows{"100", false}, NumColumns{"100", false};
    CheckState NumBreaksDefault{true};
    EditState RSquared{"0.5", false};
    CheckState RSquaredDefault{true};

    // "SurfPage"
    ChoiceState PageSize{{"A3", "A4", "A5"}, 1};
    bool Landscape = false;
    EditState MarginLeft{"1"}, MarginRight{"1"}, MarginTop{"1"}, MarginBottom{"1"};

    // "Scale Coef": the memo lists frequency 14 first.
    std::vector<std::string> ScaleCoefLines{"0.5", "0.6", "0.7", "0.8", "0.9", "1.0", "0.9",
                                            "0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2"};
    CheckState ApplyScaleCoef;
};

// The Common Process window.
struct CommonProcessFields {
    std::string InputFile; // full name of the survey data file
    EditState OutFile{"", false};
    CheckState XMirror{false, false}, YMirror{false, false}, XYChange{false, false};
    std::string DataInfo, MeasGridType;
    EditState XStep{"1"}, YStep{"1"};
    std::string DeviceNumber = "9";
    CheckState UseSurfer{false, false};
    CheckState CreateGrid{false, false}; // display only
    CheckState CreateMap{false, false};
    bool ControlsEnabled = false; // data info, device and output-file controls
};

// Limits of a spin button.
struct SpinLimits {
    int Min = 0;
    int Max = 1000;
};

// The Map Process window.
struct MapProcessFields {
    bool Visible = false;
    bool ProcessEnabled = false;
    bool OrtGrid = true; // "Ortogonal Grid" selected, else "Chaotic Grid"
    bool OrtGroupEnabled = false;
    bool ChaoticGroupEnabled = false;
    // Orthogonal grid.
    EditState OrtNFreq{"1", false};
    CheckState AllFreq{false, false};
    EditState MinStation{"0", false}, MaxStation{"0", false};
    EditState MinLine{"0", false}, MaxLine{"0", false};
    SpinLimits StationLimits, LineLimits;
    // Chaotic grid.
    CheckState GPSCoord{true, false};
    EditState CoordFile{"", false};
    EditState ChaNFreq{"1", false};
    CheckState ChaAllFreq{false, false};
    EditState ChaMinStation{"0", false}, ChaMaxStation{"0", false};
    SpinLimits ChaStationLimits{0, 4000};
};

// The Section Process window.
struct SectionProcessFields {
    bool Visible = false;
    bool ProcessEnabled = false;
    std::array<CheckState, kChannelCount> Freq = DisabledChannelBoxes(); // channel k at [k - 1]
    std::array<std::string, kChannelCount> FreqCaptions{
        "2.510",  "3.088",  "3.908",  "5.079",  "6.937",  "10.105",  "12.351",
        "15.630", "20.499", "27.903", "40.254", "62.558", "111.146", "198.041"};
    EditState DepthScale{"1.0", false};
    EditState MinStation{"0", false}, MaxStation{"0", false};
    EditState MinLine{"0", false}, MaxLine{"0", false};
    bool AlongLine = true; // "Along Line Section", else "Across Line Section"
    bool DirectionEnabled = false;
    EditState LineNumber{"0", false}, StationNumber{"0", false};
    CheckState AllSections{false, false};
    SpinLimits StationLimits, LineLimits;
};

// Everything a run reads of the windows.
struct ProcessWindows {
    ProcessOptionsControls Options;
    CommonProcessFields Common;
    MapProcessFields Map;
    SectionProcessFields Section;
};

} // namespace orvex

namespace orvex {

// Writes the numbers the records start with ("0.5", "1.0", the coefficients)
// with the user's decimal separator, as the windows show them in that locale.
void UseDecimalSeparator(ProcessWindows &windows, char separator);

} // namespace orvex
