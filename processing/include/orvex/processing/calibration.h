// The calibration of one instrument (frequencies, primary phase, current and gain
// factors, coil geometry, the air signal) and the reading of its file
// "Orvex_Kav#<device>.ini" from the program's own folder.
#pragma once

#include "orvex/survey/survey_data.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex {

class Prompts;

// One instrument's calibration set. A set that was never read holds zeros.
struct TKavCalibration {
    ChannelArray<double> Frequencies; // kHz
    ChannelArray<double> XPrimary;    // rotation coefficients of the primary-field phase
    ChannelArray<double> YPrimary;
    ChannelArray<double> CurrentCoef; // amperes per unit of the raw current code
    ChannelArray<double> M1;          // receiver moments, m²
    ChannelArray<double> M2;
    ChannelArray<double> GainFactor; // volts per unit of the signal code
    double r1 = 0;                   // transmitter to receiver 1, m
    double r2 = 0;                   // transmitter to receiver 2, m
    double rt = 0;                   // transmitter loop radius, m
    int32_t nt = 0;                  // transmitter loop turns
    ChannelArray<double> XAir;       // signal measured in the air, raw code units
    ChannelArray<double> YAir;
    ChannelArray<double> AirCurrent; // CurrentCoef × IAir, set by each conversion preparation
    ChannelArray<double> IAir;       // raw current code of the air measurement
};

constexpr int kMaxDeviceNumber = 100;
using TKavCalibrationSets = std::array<TKavCalibration, kMaxDeviceNumber + 1>;

// "Orvex_Kav#" + device number + ".ini" ("Orvex_Kav#9.ini").
std::string CalibrationFileName(int32_t deviceNumber);

// The folder of the running executable, with its trailing '/', where the
// calibration files live.
std::string ExecutableFolder();

// The set of `deviceNumber`; a number outside 0..100 has none and raises
// RangeError, so no survey of such an instrument is processed with a foreign set.
TKavCalibration &CalibrationSet(TKavCalibrationSets &sets, int32_t deviceNumber);
const TKavCalibration &CalibrationSet(const TKavCalibrationSets &sets, int32_t deviceNumber);

// Reads `folder` + `fileName` into the set of `deviceNumber`, key by key; a key
// that is missing or not a number gives 1.0 (nt: 1). A missing file is reported
// by the fixed warning through `prompts` and then read as empty. Reals use the
// user's decimal `separator`. AirCurrent is left alone.
void ReadCalibration(TKavCalibrationSets &sets, int32_t deviceNumber, const std::string &fileName,
                     const std::string &folder, char separator, Prompts &prompts);

} // namespace orvex
