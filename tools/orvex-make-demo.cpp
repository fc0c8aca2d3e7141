// orvex-make-demo: synthesises the bundled demo data from the ground of
// demo_model.h through the half-space response of fieldconv, as the Kav
// instrument of device 9 (and an older one of device 8) would have recorded it:
//   demo.kav            regular survey, 50 stations × 25 lines, device 9
//   demo_chaotic.kav    scattered survey of 320 points with latitude and longitude
//   demo_chaotic.crd    the same points in metres east and north of the area's corner
//   demo_legacy.prf     legacy-layout survey of device 8, 20 stations × 10 lines
//   Orvex_Kav#9.ini, Orvex_Kav#8.ini   the two instruments' calibration files
// At every station and frequency the codes are those of the half-space whose
// conductivity the model gives at that frequency's sensed depth: the receiver
// signal per ampere is turned back by the primary phase, divided by the gain,
// multiplied by the transmitter current and offset by the air signal, then
// rounded. Processing in apparent conductivity therefore gives back the model
// to within the rounding of the codes. There is no other noise.
#include "KavUtils.h"
#include "demo_model.h"
#include "fieldconv_internal.h"
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/format.h"
#include "orvex/survey/legacy.h"
#include "orvex/text.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

using namespace orvex;
using namespace orvex::demo;

namespace {

constexpr int kChannels = 14;
constexpr double kNominalKHz[kChannels] = {2.510,  3.088,  3.908,   5.079,  6.937,
                                           10.105, 12.351, 15.630,  20.499, 27.903,
                                           40.254, 62.558, 111.146, 198.041};
// The largest signal the gains are set for: a little above the model's highest
// conductivity, so the codes stay within ±65535 (stored ×128 in 24 bits).
constexpr double kGainReferenceConductivity = 0.12;

// A calibration value as the file holds it: the text written, and the number
// the workbench reads back from it, which the synthesis uses.
struct Value {
    std::string text;
    double number = 0;
};
Value Written(double v, int digits = 15) {
    Value value{FormatGeneral(v, '.', digits), 0};
    value.number = ParseReal(value.text, '.');
    return value;
}

struct Instrument {
    int device = 9;
    Value F[kChannels], XP[kChannels], YP[kChannels], CC[kChannels], XA[kChannels], YA[kChannels],
        IA[kChannels], M1[kChannels], M2[kChannels], GF[kChannels];
    Value r1, r2, rt;
    int nt = 10;
    double currentCode = 12000; // typical transmitter current code at the first frequency

    double Moment() const { return nt * std::numbers::pi * (rt.number * rt.number); }
    double Hz(int k) const { return F[k].number * 1000; }
};

// The instrument: coils compensated for the primary field (M2 = M1 (r2/r1)³),
// a receiver phase lag growing with frequency, a small air imbalance, and
// per-frequency gains that put the strongest signal near 45,000 codes.
Instrument MakeInstrument(int device, double currentCoef, double currentCode, double phaseStart,
                          double phaseStep, double xAir, double yAir, double targetCodes) {
    Instrument in;
    in.device = device;
    in.currentCode = currentCode;
    in.r1 = Written(1.2);
    in.r2 = Written(2);
    in.rt = Written(0.5);
    in.nt = 10;
    for (int k = 0; k < kChannels; ++k) {
        in.F[k] = Written(kNominalKHz[k]);
        const double lag = (phaseStart + phaseStep * k) * std::numbers::pi / 180;
        in.XP[k] = Written(std::sin(lag), 6);
        in.YP[k] = Written(std::cos(lag), 6);
        in.CC[k] = Written(currentCoef);
        in.IA[k] = Written(currentCode);
        in.XA[k] = Written(xAir + 11 * k);
        in.YA[k] = Written(yAir + 6 * k);
        in.M1[k] = Written(1);
        in.M2[k] = Written(std::pow(in.r2.number / in.r1.number, 3), 6);
        const fieldconv::Complex e =
            fieldconv::GETEMF_PP(in.Moment(), in.Hz(k), in.M1[k].number, in.M2[k].number,
                                 in.r1.number, in.r2.number, kGainReferenceConductivity);
        const double amperes = currentCode * currentCoef;
        in.GF[k] = Written(std::hypot(e.re, e.im) * amperes / targetCodes, 3);
    }
    return in;
}

std::string CalibrationText(const Instrument &in) {
    std::string text = "; Calibration of the Kav instrument of device " +
                       std::to_string(in.device) + " (demo data)\r\n";
    const auto section = [&](const char *name, const char *prefix, const Value *values) {
        text += std::string("[") + name + "]\r\n";
        for (int k = 0; k < kChannels; ++k)
            text += prefix + std::to_string(k + 1) + "=" + values[k].text + "\r\n";
    };
    section("Frequencies", "F", in.F);
    section("XPrimary", "XP", in.XP);
    section("YPrimary", "YP", in.YP);
    section("CurrentCoef", "CC", in.CC);
    section("XAir", "XA", in.XA);
    section("YAir", "YA", in.YA);
    section("IAir", "IA", in.IA);
    section("M1", "M1_", in.M1);
    section("M2", "M2_", in.M2);
    section("GainFactor", "GF", in.GF);
    text += "[r]\r\nr1=" + in.r1.text + "\r\nr2=" + in.r2.text + "\r\nrt=" + in.rt.text +
            "\r\nnt=" + std::to_string(in.nt) + "\r\n";
    return text;
}

// The codes of one channel: signal components 1 and 2 and the current's two components.
struct ChannelCodes {
    int32_t signal1 = 0, signal2 = 0, current1 = 0, current2 = 0, currentMagnitude = 0;
};

// The smallest signal written, in codes, over all channels: the rounding of a
// code is at most half of one, so it bounds the relative error of the recovered
// conductivity.
double gSmallestSignal = 1e300;

ChannelCodes Measure(const Instrument &in, int k, double x, double y, double currentDrift) {
    ChannelCodes codes;
    // The transmitter current falls with frequency and drifts with the battery;
    // its phase grows with frequency.
    const double current = in.currentCode * (1 - 0.012 * k) * currentDrift;
    const double currentPhase = 0.15 + 0.05 * k;
    codes.current1 = static_cast<int32_t>(std::lrint(current * std::cos(currentPhase)));
    codes.current2 = static_cast<int32_t>(std::lrint(current * std::sin(currentPhase)));
    codes.currentMagnitude = static_cast<int32_t>(
        std::lrint(std::hypot(double(codes.current1), double(codes.current2))));
    const double amperes = codes.currentMagnitude * in.CC[k].number;

    const double sigma = ApparentConductivity(x, y, in.F[k].number);
    const fieldconv::Complex e = fieldconv::GETEMF_PP(
        in.Moment(), in.Hz(k), in.M1[k].number, in.M2[k].number, in.r1.number, in.r2.number, sigma);
    // Per ampere, in codes, before the receiver turned it by the primary phase.
    const double c1 = e.re / in.GF[k].number, c2 = e.im / in.GF[k].number;
    const double xp = in.XP[k].number, yp = in.YP[k].number, norm = xp * xp + yp * yp;
    const double u = (yp * c1 + xp * c2) / norm, w = (-xp * c1 + yp * c2) / norm;
    const double airCurrent = in.CC[k].number * in.IA[k].number;
    const double s1 = amperes * (u + in.XA[k].number / airCurrent);
    const double s2 = amperes * (w + in.YA[k].number / airCurrent);
    if (std::fabs(s1) > 65535 || std::fabs(s2) > 65535)
        throw RangeError("signal codes beyond 24 bits at frequency " + std::to_string(k + 1));
    gSmallestSignal = std::min(gSmallestSignal, amperes * std::hypot(u, w));
    codes.signal1 = static_cast<int32_t>(std::lrint(s1));
    codes.signal2 = static_cast<int32_t>(std::lrint(s2));
    return codes;
}

// Battery sag over the day and a slow swing of the transmitter current.
double Drift(int record, int records) {
    return 1 + 0.02 * std::sin(record / 37.0) - 0.03 * record / records;
}

// Four stored values per channel, ×128 for the signals as the instrument stores them.
struct StoredValues {
    std::vector<int32_t> v1, v2, v3, v4;
    void Add(const ChannelCodes &c) {
        v1.push_back(c.signal1 * 128);
        v2.push_back(c.signal2 * 128);
        v3.push_back(c.current1);
        v4.push_back(c.current2);
    }
    void AddUnused() { Add(ChannelCodes{}); }
};

const uint8_t kDay = 14, kMonth = 8;
const uint16_t kYear = 2025;

void WriteRegular(const Instrument &in, const std::string &path) {
    using G = RegularGrid;
    const int32_t stations = G::kLastStation - G::kFirstStation + 1;
    const int32_t lines = G::kLastLine - G::kFirstLine + 1;
    StoredValues values;
    for (int32_t line = G::kFirstLine; line <= G::kLastLine; ++line)
        for (int32_t s = 0; s < stations; ++s) {
            // Odd line offsets are walked back from the last station.
            const int32_t station =
                (line - G::kFirstLine) % 2 == 0 ? G::kFirstStation + s : G::kLastStation - s;
            const int record = (line - G::kFirstLine) * stations + s;
            for (int k = 0; k < kChannels; ++k) {
                if (Inaccessible(station, line))
                    values.AddUnused();
                else
                    values.Add(Measure(in, k, station * G::kXStep, line * G::kYStep,
                                       Drift(record, stations * lines)));
            }
        }
    const uint16_t device = static_cast<uint16_t>(in.device);
    const int32_t first = G::kFirstStation, firstLine = G::kFirstLine;
    const double xStep = G::kXStep, yStep = G::kYStep;
    if (KavFileSaveRegular(path.c_str(), "", "", "", &device, &kDay, &kMonth, &kYear, &first,
                           &firstLine, &stations, &lines, &xStep, &yStep, values.v1.data(),
                           values.v2.data(), values.v3.data(), values.v4.data(), nullptr) != 1)
        throw InputOutputError("cannot write " + path + ": " + KavFileLastError());
}

// A deterministic sequence in [0, 1) for the wander of the scattered path.
class Wander {
public:
    double Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }

private:
    uint64_t state_ = 20250814;
};

// Eight traverses walked alternately north and south across the area, each of
// forty points some 6 m apart, wandering a few metres off their line.
void WriteScattered(const Instrument &in, const std::string &path, const std::string &crdPath) {
    Wander wander;
    StoredValues values;
    std::vector<double> latitude, longitude;
    std::string crd = std::to_string(kScatteredPoints) + "\r\n";
    const double metresPerDegreeEast =
        kMetresPerDegree * std::cos(kOriginLatitude * std::numbers::pi / 180);
    for (int i = 0; i < kScatteredPoints; ++i) {
        const int traverse = i / 40, along = i % 40;
        const double northward = traverse % 2 == 0 ? along : 39 - along;
        const double y = 8 + northward * 6 + 2 * (wander.Next() - 0.5);
        const double x = 18 + traverse * 30 + 4 * std::sin(y / 23) + 3 * (wander.Next() - 0.5);
        for (int k = 0; k < kChannels; ++k)
            values.Add(Measure(in, k, x, y, Drift(i, kScatteredPoints)));
        latitude.push_back(kOriginLatitude + y / kMetresPerDegree);
        longitude.push_back(kOriginLongitude + x / metresPerDegreeEast);
        crd += FormatFixed(x, 0, 3) + " " + FormatFixed(y, 0, 3) + "\r\n";
    }
    const uint16_t device = static_cast<uint16_t>(in.device);
    const int32_t count = kScatteredPoints;
    if (KavFileSaveScattered(path.c_str(), "", "", "", &device, &kDay, &kMonth, &kYear, &count,
                             values.v1.data(), values.v2.data(), values.v3.data(), values.v4.data(),
                             nullptr, latitude.data(), longitude.data()) != 1)
        throw InputOutputError("cannot write " + path + ": " + KavFileLastError());
    WriteWholeFile(crdPath, crd);
}

void WriteLegacy(const Instrument &in, const std::string &path) {
    using G = LegacyGrid;
    TKavSurveyData data;
    data.SiteName = "Demo site";
    data.SiteOperator = "Field crew 2";
    data.SiteTimeDate = "14.08.2025";
    data.SiteComment = "Older instrument over the north-western end of the ore body";
    data.MinStation = G::kFirstStation;
    data.MaxStation = G::kLastStation;
    data.MinLine = G::kFirstLine;
    data.MaxLine = G::kLastLine;
    data.XStep = G::kXStep;
    data.YStep = G::kYStep;
    data.DeviceNumber = in.device;
    const int records = static_cast<int>(StationCount(data) * LineCount(data));
    data.Stations.resize(static_cast<size_t>(records));
    for (int32_t line = G::kFirstLine; line <= G::kLastLine; ++line)
        for (int32_t station = G::kFirstStation; station <= G::kLastStation; ++station) {
            const int64_t index = RecordIndex(data, station, line);
            TStationRecord &record = data.Stations[static_cast<size_t>(index)];
            for (int k = 0; k < kChannels; ++k) {
                const ChannelCodes c = Measure(in, k, G::kEastOffset + station * G::kXStep,
                                               G::kNorthOffset + line * G::kYStep,
                                               Drift(static_cast<int>(index), records));
                record.RawComp1[k + 1] = c.signal1;
                record.RawComp2[k + 1] = c.signal2;
                record.RawCurrent[k + 1] = c.currentMagnitude;
                record.ChannelUsed[k + 1] = 1;
            }
        }
    WriteLegacySurvey(data, path);
}

} // namespace

int main(int argc, char **argv) {
    const std::string folder = argc > 1 ? argv[1] : "data/demo";
    try {
        const Instrument kav9 = MakeInstrument(9, 1e-4, 12000, 6, 1.7, 180, -95, 45000);
        // The older instrument reads its current in 10 bits.
        const Instrument kav8 = MakeInstrument(8, 0.0017, 700, 4, 1.9, 120, -60, 40000);
        WriteWholeFile(folder + "/" + "Orvex_Kav#9.ini", CalibrationText(kav9));
        WriteWholeFile(folder + "/" + "Orvex_Kav#8.ini", CalibrationText(kav8));
        WriteRegular(kav9, folder + "/demo.kav");
        WriteScattered(kav9, folder + "/demo_chaotic.kav", folder + "/demo_chaotic.crd");
        WriteLegacy(kav8, folder + "/demo_legacy.prf");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orvex-make-demo: %s\n", e.what());
        return 1;
    }
    for (const char *name : {"Orvex_Kav#9.ini", "Orvex_Kav#8.ini", "demo.kav", "demo_chaotic.kav",
                             "demo_chaotic.crd", "demo_legacy.prf"})
        std::printf("%s/%s\n", folder.c_str(), name);
    // Half a code on each component, over the slope of the amplitude against
    // conductivity (at least 0.7 in the model's range).
    std::printf("smallest signal %.0f codes: rounding moves a conductivity by at most %.1e of it\n",
                gSmallestSignal, std::sqrt(0.5) / 0.7 / gSmallestSignal);
    return 0;
}
