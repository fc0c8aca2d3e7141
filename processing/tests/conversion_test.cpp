#include "orvex/errors.h"
#include "orvex/processing/conversion.h"
#include "test_survey.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace orvex;
using orvex::testing::MakeGrid;

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

// One record whose channels hold raw codes 14, 12 at current code 4, with a
// calibration that makes the numbers easy: I = 2, air per ampere (1, 2), so the
// air-free per-ampere components are (6, 4); primary phase (0.6, 0.8).
class Conversion : public ::testing::Test {
protected:
    void SetUp() override {
        records = MakeGrid(0, 0, 0, 0, [](int64_t, int, int c) {
            return c == 1 ? 14 : c == 2 ? 12 : 4;
        });
        TKavCalibration &cal = records.Options.Calibration[9];
        for (int k = 1; k <= kChannelCount; ++k) {
            cal.Frequencies[k] = 4;
            cal.CurrentCoef[k] = 0.5;
            cal.IAir[k] = 4;
            cal.XAir[k] = 2;
            cal.YAir[k] = 4;
            cal.XPrimary[k] = 0.6;
            cal.YPrimary[k] = 0.8;
            cal.GainFactor[k] = 0.001;
            cal.M1[k] = 1;
            cal.M2[k] = 4.6296296296296298;
        }
        cal.r1 = 1.2;
        cal.r2 = 2;
        cal.rt = 0.5;
        cal.nt = 10;
        TKavOptions &o = records.Options;
        o.OutputUnits = Units::Signal;
        o.SignalType = SignalKind::InVolts;
        o.PhaseCorrection = o.MinusAir = o.CurrentNorm = false;
    }
    TKavResultCell Convert(int k = 1) {
        PrepareConversion(records);
        TKavResultCell cell;
        ConvertValue(records, 0, k, cell);
        return cell;
    }
    TKavRecords records;
};

struct ComponentCase {
    Component component;
    bool phaseCorrection, minusAir, currentNorm;
    int device;
    double expected;
};

TEST_F(Conversion, EachComponentTakesTheFirstMatchingColumn) {
    const ComponentCase cases[] = {
        {Component::Modulus, true, true, true, 9,
         std::sqrt(52.0)}, // corrected, not normalised twice
        {Component::Quadrature, true, false, false, 9, 2.4},
        {Component::InPhase, true, true, true, 9, 6.8},
        {Component::Phase, true, true, true, 9, std::atan2(6.8, 2.4) * kDegrees},
        {Component::Quadrature, true, true, true, 11, -2.4},
        {Component::Phase, true, true, true, 11, std::atan2(6.8, -2.4) * kDegrees},
        {Component::InPhase, true, true, true, 11, 6.8},
        {Component::Modulus, false, true, true, 9, std::sqrt(52.0)},
        {Component::Quadrature, false, true, true, 9, 6},
        {Component::InPhase, false, true, true, 9, 4},
        {Component::Phase, false, true, true, 9, std::atan2(6.0, 4.0)},
        {Component::Modulus, false, true, false, 9, std::sqrt(208.0)},
        {Component::Quadrature, false, true, false, 9, 12},
        {Component::Phase, false, true, false, 9, std::atan2(12.0, 8.0)},
        {Component::Modulus, false, false, true, 9, std::sqrt(85.0)},
        {Component::InPhase, false, false, true, 9, 6},
        {Component::Phase, false, false, true, 9, std::atan2(7.0, 6.0)},
        {Component::Modulus, false, false, false, 9, std::sqrt(340.0)},
        {Component::Phase, false, false, false, 9, std::atan2(14.0, 12.0)},
    };
    for (const ComponentCase &c : cases) {
        SetUp();
        records.Data.DeviceNumber = c.device;
        records.Options.Calibration[c.device] = records.Options.Calibration[9];
        records.Options.FieldComponent = c.component;
        records.Options.PhaseCorrection = c.phaseCorrection;
        records.Options.MinusAir = c.minusAir;
        records.Options.CurrentNorm = c.currentNorm;
        const TKavResultCell cell = Convert();
        SCOPED_TRACE(::testing::Message()
                     << "component " << int(c.component) << " PC " << c.phaseCorrection << " MA "
                     << c.minusAir << " CN " << c.currentNorm << " device " << c.device);
        EXPECT_TRUE(cell.Valid);
        EXPECT_NEAR(cell.Value, c.expected, 1e-12);
        EXPECT_DOUBLE_EQ(cell.Current, 2);
    }
}

TEST_F(Conversion, SignalScalingFrequencyNormScaleAndLogarithm) {
    TKavOptions &o = records.Options;
    o.MinusAir = o.CurrentNorm = true;
    o.FieldComponent = Component::Quadrature; // 6 per ampere
    o.SignalType = SignalKind::AdcStandard;
    EXPECT_DOUBLE_EQ(Convert().Value, 12) << "times the mean current 2";
    o.SignalType = SignalKind::AdcCustom;
    EXPECT_DOUBLE_EQ(Convert().Value, 0.012) << "times gain and mean current";
    o.OutputFormat = TableLayout::Inversion1D;
    EXPECT_DOUBLE_EQ(Convert().Value, 0.006) << "times the gain whatever the signal type";
    o.OutputFormat = TableLayout::DataSheet;
    o.SignalType = SignalKind::InVolts;

    o.Freq2Norm = true;
    EXPECT_DOUBLE_EQ(Convert().Value, 6.0 / 16);
    o.FieldComponent = Component::InPhase;
    EXPECT_DOUBLE_EQ(Convert().Value, 4.0 / 32);
    o.FieldComponent = Component::Phase;
    EXPECT_DOUBLE_EQ(Convert().Value, std::atan2(6.0, 4.0)) << "the phase is not normalised";
    o.Freq2Norm = false;

    o.ApplyScaleCoef = true;
    o.ScaleCoef[1] = 0.5;
    EXPECT_DOUBLE_EQ(Convert().Value, 0.5 * std::atan2(6.0, 4.0)) << "also the phase";
    o.ApplyScaleCoef = false;

    o.LogValues = true;
    o.MinusAir = o.CurrentNorm = false;
    o.FieldComponent = Component::Quadrature;
    for (auto [raw, expected] : {std::pair{100, 2.0}, {0, 0.0}, {-5, 0.0}}) {
        records.Data.Stations[0].RawComp1[1] = raw;
        EXPECT_DOUBLE_EQ(Convert().Value, expected) << raw;
    }
}

TEST_F(Conversion, VoltageLimitsTestTheMeasuredMicrovolts) {
    TKavOptions &o = records.Options;
    o.VoltLimits = true;
    o.MinusAir = o.CurrentNorm = true;
    // Modulus: I × √52 × gain = 14422.2 µV, with or without phase correction.
    for (bool corrected : {false, true}) {
        o.PhaseCorrection = corrected;
        o.VoltMin = 14422;
        o.VoltMax = 14423;
        EXPECT_TRUE(Convert().Valid) << corrected;
        o.VoltMin = 0.5;
        o.VoltMax = 100;
        EXPECT_FALSE(Convert().Valid) << corrected;
    }
    // Quadrature of the corrected components: 2 × 2.4 × 1000 = 4800 µV; the
    // phase is tested by its modulus.
    o.PhaseCorrection = true;
    o.FieldComponent = Component::Quadrature;
    o.VoltMin = 4799.999;
    o.VoltMax = 4800.001;
    EXPECT_TRUE(Convert().Valid);
    o.FieldComponent = Component::Phase;
    EXPECT_FALSE(Convert().Valid);
    o.VoltMin = 14422;
    o.VoltMax = 14423;
    EXPECT_TRUE(Convert().Valid);
    // A negative quadrature fails any positive lower limit.
    records.Options.Calibration[9].XPrimary[1] = -0.6;
    records.Options.Calibration[9].YPrimary[1] = -0.8;
    o.FieldComponent = Component::Quadrature;
    o.VoltMin = 0.5;
    o.VoltMax = 1e9;
    EXPECT_FALSE(Convert().Valid);
}

TEST_F(Conversion, UnusedChannelIsInvalidWithoutAVoltageTest) {
    records.Options.VoltLimits = true;
    records.Data.Stations[0].ChannelUsed[3] = 0;
    records.Data.Stations[0].RawCurrent[3] = 0;
    const TKavResultCell cell = Convert(3);
    EXPECT_FALSE(cell.Valid);
}

TEST_F(Conversion, FloatingPointFaultsStopWithAClearError) {
    TKavOptions &o = records.Options;
    records.Data.Stations[0].RawCurrent[2] = 0;
    // Its working values would be left from an earlier run, whatever the column.
    for (bool corrected : {false, true}) {
        o.PhaseCorrection = corrected;
        EXPECT_THROW(Convert(2), ZeroDivideError) << corrected;
    }
    o.PhaseCorrection = false;
    try {
        Convert(2);
    } catch (const ZeroDivideError &e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero (record 1, channel 2: the "
                               "transmitter current is zero)");
    }

    o.MinusAir = o.CurrentNorm = true;
    records.Options.Calibration[9].IAir[1] = 0;
    EXPECT_THROW(Convert(1), ZeroDivideError);
    records.Options.Calibration[9].IAir[1] = 4;

    o.Freq2Norm = true;
    records.Options.Calibration[9].Frequencies[1] = 0;
    EXPECT_THROW(Convert(1), ZeroDivideError);
}

TEST_F(Conversion, MeanCurrentWithoutRecordsIsAFaultOnlyWhereItIsUsed) {
    records.Data.Stations[0].ChannelUsed[1] = 0;
    records.Options.SignalType = SignalKind::AdcStandard;
    EXPECT_THROW(Convert(2), ZeroDivideError);
    records.Options.SignalType = SignalKind::InVolts;
    EXPECT_DOUBLE_EQ(Convert(2).Value, std::sqrt(340.0));
}

TEST_F(Conversion, FieldTransformUnitsAndApparentLimits) {
    PrepareConversion(records);
    const double cond = FieldTransform(records, Units::AppCond, 5, Component::Modulus, 2e-3);
    const double res = FieldTransform(records, Units::AppResistivity, 5, Component::Modulus, 2e-3);
    EXPECT_GT(cond, 0);
    EXPECT_NEAR(cond * res, 1000, 1e-9) << "mS/m against Ohm·m";

    const double perUnit = FieldTransform(records, Units::Ppm, 5, Component::Modulus, 1);
    EXPECT_NEAR(FieldTransform(records, Units::Ppm, 5, Component::Modulus, 3), 3 * perUnit,
                1e-9 * perUnit);
    records.Options.AppLimits = true;
    records.Options.AppMin = 1;
    records.Options.AppMax = 300;
    EXPECT_DOUBLE_EQ(FieldTransform(records, Units::Ppm, 5, Component::Modulus, 1000 / perUnit),
                     300);
    EXPECT_DOUBLE_EQ(FieldTransform(records, Units::Ppm, 5, Component::Modulus, 0.5 / perUnit), 1);
    records.Options.AppMin = 0; // a zero limit is no limit
    EXPECT_NEAR(FieldTransform(records, Units::Ppm, 5, Component::Modulus, 0.5 / perUnit), 0.5,
                1e-12);
}

TEST_F(Conversion, CorrectedPhaseReachesTheFieldTransformInItsRange) {
    TKavOptions &o = records.Options;
    o.PhaseCorrection = o.MinusAir = o.CurrentNorm = true;
    o.FieldComponent = Component::Phase;
    o.OutputUnits = Units::AppCond;
    // The rotation (-0.8, 0.6) turns (6, 4) into (6.8, -2.4): -19.44 degrees.
    records.Options.Calibration[9].XPrimary[1] = -0.8;
    records.Options.Calibration[9].YPrimary[1] = 0.6;
    const double degrees = std::atan2(-2.4, 6.8) * kDegrees;
    const TKavResultCell cell = Convert();
    EXPECT_DOUBLE_EQ(cell.Value,
                     FieldTransform(records, Units::AppCond, 1, Component::Phase, degrees + 360));
    EXPECT_NE(cell.Value, FieldTransform(records, Units::AppCond, 1, Component::Phase, degrees));
    o.OutputUnits = Units::Signal;
    EXPECT_DOUBLE_EQ(Convert().Value, degrees) << "the table keeps the signed angle";
}

// Channels 1..4 hold the values of `values` (quadrature in code units), the others are unused.
TEST_F(Conversion, SoundingCurveFilterReadsTheUnfilteredValues) {
    struct FilterCase {
        std::vector<int> values;
        std::vector<bool> valid;
    };
    const FilterCase cases[] = {
        {{10, 10, 40, 10}, {true, false, false, true}},
        {{-10, 50, -10}, {true, true, true}}, // a negative smaller value never rejects
        {{10, 12, 10, 12}, {true, true, true, true}},
    };
    records.Options.FieldComponent = Component::Quadrature;
    records.Options.SFilter = true;
    records.Options.SFilterNPoints = 3;
    records.Options.SFilterDegree = 50;
    for (const FilterCase &c : cases) {
        TStationRecord &record = records.Data.Stations[0];
        for (int k = 1; k <= kChannelCount; ++k) {
            record.ChannelUsed[k] = k <= int(c.values.size());
            if (record.ChannelUsed[k]) record.RawComp1[k] = c.values[size_t(k - 1)];
        }
        PrepareConversion(records);
        MeasurementCells cells;
        ConvertMeasurement(records, 0, cells);
        for (int k = 1; k <= kChannelCount; ++k)
            EXPECT_EQ(cells[size_t(k)].Valid, k <= int(c.valid.size()) && c.valid[size_t(k - 1)])
                << "channel " << k << " of case " << c.values[0] << "," << c.values[1];
    }
}

} // namespace
