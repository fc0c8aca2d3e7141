// The options record of a processing run (units, component, corrections, limits,
// filter, table layout, map-server options, section frequencies) with the
// calibration sets, and the map-server options record. Defaults are the initial
// states of the windows the options are collected from.
#pragma once

#include "orvex/processing/calibration.h"

#include <cstdint>
#include <optional>

namespace orvex {

// Output units ("Output Units").
enum class Units : uint8_t { Signal = 0, AppCond = 1, AppResistivity = 2, Ppm = 3 };
// How signals are scaled in "Signal" units ("Signal Type").
enum class SignalKind : uint8_t { AdcStandard = 0, AdcCustom = 1, InVolts = 2 };
// Field component ("Field Component").
enum class Component : int32_t { Modulus = 0, Quadrature = 1, InPhase = 2, Phase = 3 };
// Layout of the main table ("Output Format").
enum class TableLayout : uint8_t {
    DataSheet = 0,
    SoundingCurves = 1,
    ProfileCurves = 2,
    Inversion1D = 3
};
// Coordinates of a chaotic grid ("Coordinates Type").
enum class Coordinates : int32_t { Local = 0, GlobalGps = 1 };
// Colour ramp of map levels ("Color Map").
enum class ColorRamp : uint8_t {
    CyanOrange = 0,
    BlueRed = 1,
    YellowBrown = 2,
    Rainbow = 3,
    InvertRainbow = 4
};

// Options the map server receives with every grid and map it is asked for. An
// empty optional leaves the choice to the map server.
struct TKavSurfOpt {
    int32_t NumLevels = -1; // -1: the map server's own levels
    std::optional<int32_t> NumColumns;
    std::optional<int32_t> NumRows;
    std::optional<double> RSquared;
    std::optional<double> MajorInterval;
    bool ShowScale = false;
    ColorRamp ColorMap = ColorRamp::Rainbow;
    double PageWidth = 21, PageHeight = 29.7; // cm
    uint8_t Landscape = 0;                    // 0 portrait, 1 landscape
    double MarginLeft = 1, MarginRight = 1, MarginTop = 1, MarginBottom = 1;

    bool operator==(const TKavSurfOpt &) const = default;
};

struct TKavOptions {
    bool XMirror = false;
    bool YMirror = false;
    bool XYChange = false;
    double ProcXStep = 1;
    double ProcYStep = 1;
    double DepthScale = 1.0;
    Units OutputUnits = Units::AppResistivity;
    SignalKind SignalType = SignalKind::AdcStandard;
    Component FieldComponent = Component::Modulus;
    bool CurrentNorm = true;
    bool Freq2Norm = false;
    bool PhaseCorrection = false;
    bool ApplyScaleCoef = false;
    bool MinusAir = true;
    TableLayout OutputFormat = TableLayout::DataSheet;
    bool LogValues = false;
    bool CreateCurrentFile = false;
    bool CreateLogFile = false;
    bool UseSurfer = false;
    bool CreateMap = false;
    TKavSurfOpt SurfOpt;
    ChannelArray<double> ScaleCoef = DefaultScaleCoefficients();
    ChannelArray<bool> SectionFreq; // all off until a survey is loaded
    TKavCalibrationSets Calibration;
    double VoltMin = 0.5, VoltMax = 100; // microvolts
    double AppMin = 1, AppMax = 300;     // mS/m or Ohm·m
    bool VoltLimits = false;
    bool AppLimits = false;
    bool SFilter = false;
    int32_t SFilterNPoints = 5;
    double SFilterDegree = 50; // percent
    Coordinates CoordType = Coordinates::Local;

    // Coefficients of frequencies 1..14: 0.2 at the lowest up to 1.0 at frequency 9
    // and back to 0.5 at the highest (the memo lists them from the highest down).
    static ChannelArray<double> DefaultScaleCoefficients() {
        ChannelArray<double> coefficients;
        const double fromHighest[kChannelCount] = {0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 0.9,
                                                   0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2};
        for (int k = 1; k <= kChannelCount; ++k)
            coefficients[k] = fromHighest[kChannelCount - k];
        return coefficients;
    }
};

} // namespace orvex
