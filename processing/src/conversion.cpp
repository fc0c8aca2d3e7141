#include "orvex/processing/conversion.h"

#include "fieldconv.h"
#include "float_checks.h"
#include "orvex/errors.h"
#include "orvex/text.h"

#include <cmath>
#include <numbers>
#include <string>

namespace orvex {

namespace {

using detail::DivisionFault;
using detail::Finite;
using detail::Quotient;
using detail::Where;

constexpr double kRootTolerance = 1e-10; // V/A, handed to the inversion

const TKavCalibration &Calibration(const TKavRecords &records) {
    return CalibrationSet(records.Options.Calibration, records.Data.DeviceNumber);
}

const TStationRecord &Record(const TKavRecords &records, int64_t m) {
    if (m < 0 || m >= static_cast<int64_t>(records.Data.Stations.size()))
        throw RangeError("Record " + std::to_string(m + 1) + " lies outside the survey's " +
                         std::to_string(records.Data.Stations.size()) + " records");
    return records.Data.Stations[static_cast<size_t>(m)];
}

// The working components of a used channel are current-normalised only by the
// preparation of this run; a zero current left them from an earlier one.
double CurrentOf(const TStationRecord &record, int64_t m, int k) {
    const double current = record.Current[k];
    if (current == 0)
        throw ZeroDivideError("Floating point division by zero" +
                              Where(m, k, "the transmitter current is zero"));
    return current;
}

struct Pair {
    double x, y;
};

// The air signal per ampere of air current.
Pair AirPerAmpere(const TKavCalibration &c, int64_t m, int k) {
    return {Quotient(c.XAir[k], c.AirCurrent[k], m, k, "the air current is zero"),
            Quotient(c.YAir[k], c.AirCurrent[k], m, k, "the air current is zero")};
}

// Air-free, current-normalised components of the stored (unrotated) values.
Pair RemoveAir(const TKavRecords &records, const TStationRecord &record, int64_t m, int k,
               double current) {
    const Pair air = AirPerAmpere(Calibration(records), m, k);
    return {record.Comp1[k] / current - air.x, record.Comp2[k] / current - air.y};
}

double MeanCurrentOf(const TKavRecords &records, int64_t m, int k) {
    if (records.MeanCurrentRecords == 0)
        DivisionFault(records.MeanCurrent[k], m, k,
                      "no record has channel 1 used, so there is no mean current");
    return records.MeanCurrent[k];
}

double FieldTransformAt(const TKavRecords &records, Units units, int k, Component component,
                        double x, int64_t m) {
    const TKavCalibration &c = Calibration(records);
    if (component != Component::Phase) x *= c.GainFactor[k];
    const double moment = c.nt * std::numbers::pi * (c.rt * c.rt);
    const double frequency = c.Frequencies[k] * 1000;
    double result = 0;
    if (units == Units::Ppm) {
        result = GETPPM(moment, frequency, c.M1[k], c.M2[k], c.r1, c.r2, x);
        Finite(result, m, k, "the ppm value");
    } else {
        const double sigma = GETSIGMA(moment, frequency, c.M1[k], c.M2[k], c.r1, c.r2, x,
                                      kRootTolerance, static_cast<int32_t>(component));
        if (std::isnan(sigma)) {
            // The library's message without its traceback, which it prints itself.
            const std::string report = FIELDCONV_LASTERROR();
            const std::string why = Trim(report.substr(0, report.find('\n')));
            throw InvalidOperationError("Invalid floating point operation" +
                                        Where(m, k,
                                              "the field transform found no conductivity" +
                                                  (why.empty() ? std::string() : ": " + why)));
        }
        Finite(sigma, m, k, "the conductivity");
        result = units == Units::AppCond
                     ? sigma * 1000
                     : Quotient(1, sigma, m, k, "a zero conductivity has no resistivity");
    }
    const TKavOptions &o = records.Options;
    if (o.AppLimits) {
        if (o.AppMin != 0 && result < o.AppMin) result = o.AppMin;
        if (o.AppMax != 0 && result > o.AppMax) result = o.AppMax;
    }
    return result;
}

} // namespace

void PrepareConversion(TKavRecords &records) {
    TKavCalibration &c = CalibrationSet(records.Options.Calibration, records.Data.DeviceNumber);
    for (int k = 1; k <= kChannelCount; ++k) {
        c.AirCurrent[k] = c.CurrentCoef[k] * c.IAir[k];
        records.MeanCurrent[k] = 0;
    }
    int64_t count = 0;
    const bool phaseCorrection = records.Options.PhaseCorrection;
    auto &stations = records.Data.Stations;
    for (size_t m = 0; m < stations.size(); ++m) {
        TStationRecord &record = stations[m];
        if (record.ChannelUsed[1]) ++count;
        for (int k = 1; k <= kChannelCount; ++k) {
            if (!record.ChannelUsed[k]) continue;
            const double current = record.RawCurrent[k] * c.CurrentCoef[k];
            record.Current[k] = current;
            records.MeanCurrent[k] += current;
            if (current == 0) continue;
            if (phaseCorrection) {
                CorrectPhase(records, k, static_cast<int64_t>(m));
            } else {
                record.Comp1[k] = record.RawComp1[k];
                record.Comp2[k] = record.RawComp2[k];
            }
        }
    }
    // With no record to divide by, the means stay sums and any use of them is a
    // division fault reported where it happens.
    records.MeanCurrentRecords = count;
    if (count > 0)
        for (int k = 1; k <= kChannelCount; ++k)
            records.MeanCurrent[k] /= static_cast<double>(count);
}

void CorrectPhase(TKavRecords &records, int k, int64_t m) {
    const TKavCalibration &c = Calibration(records);
    TStationRecord &record = records.Data.Stations[static_cast<size_t>(m)];
    const double current = CurrentOf(record, m, k);
    const Pair air = AirPerAmpere(c, m, k);
    const double u = record.RawComp1[k] / current - air.x;
    const double w = record.RawComp2[k] / current - air.y;
    record.Comp1[k] = u * c.YPrimary[k] - w * c.XPrimary[k];
    record.Comp2[k] = u * c.XPrimary[k] + w * c.YPrimary[k];
    if (records.Data.DeviceNumber == 11) record.Comp1[k] = -record.Comp1[k];
}

bool VoltageInLimits(const TKavRecords &records, int64_t m, int k) {
    const TKavOptions &o = records.Options;
    if (!o.VoltLimits) return true;
    const TStationRecord &record = Record(records, m);
    const double current = CurrentOf(record, m, k);
    // Phase-corrected components are already air-free and per ampere.
    const Pair a = o.PhaseCorrection ? Pair{record.Comp1[k], record.Comp2[k]}
                                     : RemoveAir(records, record, m, k, current);
    double signal = 0;
    switch (o.FieldComponent) {
    case Component::Quadrature:
        signal = current * a.x;
        break;
    case Component::InPhase:
        signal = current * a.y;
        break;
    case Component::Modulus:
    case Component::Phase:
        signal = current * std::sqrt(a.x * a.x + a.y * a.y);
        break;
    }
    const double microvolts = signal * Calibration(records).GainFactor[k] * 1000000;
    return o.VoltMin <= microvolts && microvolts <= o.VoltMax;
}

void ConvertValue(const TKavRecords &records, int64_t m, int k, TKavResultCell &cell) {
    const TStationRecord &record = Record(records, m);
    const TKavOptions &o = records.Options;
    cell.Current = record.Current[k];
    cell.Valid = record.ChannelUsed[k] != 0 && VoltageInLimits(records, m, k);
    if (!cell.Valid) return;

    const double current = CurrentOf(record, m, k);
    // Phase-corrected components are already air-free and per ampere.
    double x = record.Comp1[k], y = record.Comp2[k];
    if (!o.PhaseCorrection) {
        if (o.MinusAir && o.CurrentNorm) {
            const Pair a = RemoveAir(records, record, m, k, current);
            x = a.x;
            y = a.y;
        } else if (o.MinusAir) {
            const TKavCalibration &c = Calibration(records);
            x -= c.XAir[k];
            y -= c.YAir[k];
        } else if (o.CurrentNorm) {
            x /= current;
            y /= current;
        }
    }
    double v = 0;
    switch (o.FieldComponent) {
    case Component::Modulus:
        v = std::sqrt(x * x + y * y);
        break;
    case Component::Quadrature:
        v = x;
        break;
    case Component::InPhase:
        v = y;
        break;
    case Component::Phase:
        // Phase-corrected: the angle of (X, Y) in degrees; otherwise the angle of
        // the point (second, first) in radians.
        v = o.PhaseCorrection ? std::atan2(y, x) * 180 / std::numbers::pi : std::atan2(x, y);
        break;
    }

    const TKavCalibration &c = Calibration(records);
    if (o.Freq2Norm && o.FieldComponent != Component::Phase) {
        const double f = c.Frequencies[k];
        const double divisor = o.FieldComponent == Component::InPhase ? std::pow(f, 2.5) : f * f;
        v = Quotient(v, divisor, m, k, "the frequency is zero");
    }

    if (o.OutputUnits == Units::Signal) {
        if (o.FieldComponent != Component::Phase) {
            if (o.OutputFormat == TableLayout::Inversion1D)
                v *= c.GainFactor[k];
            else if (o.SignalType == SignalKind::AdcStandard)
                v *= MeanCurrentOf(records, m, k);
            else if (o.SignalType == SignalKind::AdcCustom)
                v *= c.GainFactor[k] * MeanCurrentOf(records, m, k);
        }
    } else {
        // The field transform reads a phase in [0, 360) degrees; the corrected
        // phase comes in (-180, 180].
        if (o.PhaseCorrection && o.FieldComponent == Component::Phase && v < 0) v += 360;
        v = FieldTransformAt(records, o.OutputUnits, k, o.FieldComponent, v, m);
    }
    if (o.ApplyScaleCoef) v *= o.ScaleCoef[k];
    if (o.LogValues) v = v > 0 ? std::log10(v) : 0;
    cell.Value = Finite(v, m, k, "the converted value");
}

double FieldTransform(const TKavRecords &records, Units units, int k, Component component,
                      double x) {
    return FieldTransformAt(records, units, k, component, x, -1);
}

void ConvertMeasurement(const TKavRecords &records, int64_t m, MeasurementCells &cells) {
    MeasurementCells unfiltered{};
    for (int k = 1; k <= kChannelCount; ++k)
        ConvertValue(records, m, k, unfiltered[static_cast<size_t>(k)]);
    FilterMeasurement(records, m, unfiltered, cells);
}

void FilterMeasurement(const TKavRecords &records, int64_t m, const MeasurementCells &unfiltered,
                       MeasurementCells &cells) {
    for (int k = 1; k <= kChannelCount; ++k)
        cells[static_cast<size_t>(k)] = unfiltered[static_cast<size_t>(k)];
    const TKavOptions &o = records.Options;
    if (!o.SFilter) return;
    const int h = o.SFilterNPoints / 2;
    for (int k = 1; k <= kChannelCount; ++k) {
        const TKavResultCell &cell = unfiltered[static_cast<size_t>(k)];
        if (!cell.Valid) continue;
        double sum = 0;
        int count = 0;
        for (int j = std::max(1, k - h); j <= std::min(kChannelCount, k + h); ++j)
            if (j != k && unfiltered[static_cast<size_t>(j)].Valid) {
                sum += unfiltered[static_cast<size_t>(j)].Value;
                ++count;
            }
        if (count < 2) continue;
        const double mean = sum / count;
        const double deviation = Quotient(std::fabs(cell.Value - mean), std::min(mean, cell.Value),
                                          m, k, "the filter compares with a zero value") *
                                 100;
        if (deviation > o.SFilterDegree) cells[static_cast<size_t>(k)].Valid = false;
    }
}

} // namespace orvex
