// The ground and the surveys behind the bundled demo data: a resistive host
// with a conductive ore body at depth and a shallow clay-filled channel, walked
// by a regular survey, a scattered survey and an older legacy survey. The demo
// generator synthesises the instrument's codes from it, and the tests check
// that processing recovers it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvex::demo {

// Conductivities in S/m.
constexpr double kHostConductivity = 0.004; // 250 Ohm·m
constexpr double kBodyConductivity = 0.085;
constexpr double kChannelConductivity = 0.03;

// Pseudo-depth (m) at which frequency f (kHz) senses the ground: 10 m at the
// lowest frequency of the instrument, shallower as the square root of f grows,
// the depth scale that depth sections use.
inline double SensedDepth(double frequencyKHz) {
    return 10 * std::sqrt(2.51 / frequencyKHz);
}

// Conductivity of the ground at easting x, northing y (m, from the south-west
// corner of the survey area) and depth z (m). The ore body is an ellipsoid
// striking north-east, its top near 3 m; the channel runs north-west across the
// area within 2 m of the surface. Both fade smoothly into the host.
inline double Conductivity(double x, double y, double z) {
    const double strike = 35 * 3.14159265358979323846 / 180;
    const double dx = x - 140, dy = y - 130;
    const double along = dx * std::sin(strike) + dy * std::cos(strike);
    const double across = dx * std::cos(strike) - dy * std::sin(strike);
    const double body = along * along / (70.0 * 70.0) + across * across / (28.0 * 28.0) +
                        (z - 7) * (z - 7) / (4.5 * 4.5);
    const double channelAxis = (x + y - 150) / std::sqrt(2.0);
    const double channel = std::exp(-channelAxis * channelAxis / (2 * 14.0 * 14.0)) *
                           std::exp(-std::max(0.0, z - 1) / 1.2);
    return kHostConductivity + (kBodyConductivity - kHostConductivity) * std::exp(-body * body) +
           (kChannelConductivity - kHostConductivity) * channel;
}

// The apparent conductivity frequency f (kHz) reads at (x, y).
inline double ApparentConductivity(double x, double y, double frequencyKHz) {
    return Conductivity(x, y, SensedDepth(frequencyKHz));
}

// The regular survey: stations 0..49 every 5 m along lines 0..24 every 10 m.
struct RegularGrid {
    static constexpr int32_t kFirstStation = 0, kLastStation = 49;
    static constexpr int32_t kFirstLine = 0, kLastLine = 24;
    static constexpr double kXStep = 5, kYStep = 10;
};

// The legacy survey of the older instrument: stations 1..20 every 5 m along
// lines 1..10 every 10 m, over the body's north-western end.
struct LegacyGrid {
    static constexpr int32_t kFirstStation = 1, kLastStation = 20;
    static constexpr int32_t kFirstLine = 1, kLastLine = 10;
    static constexpr double kXStep = 5, kYStep = 10;
    static constexpr double kEastOffset = 40, kNorthOffset = 110; // of station 0, line 0
};

// Stations the regular survey could not occupy (a pond): all channels unused.
inline bool Inaccessible(int32_t station, int32_t line) {
    return station >= 44 && station <= 46 && line >= 3 && line <= 4;
}

// The scattered survey's origin: the south-west corner of the area.
constexpr double kOriginLatitude = 61.482, kOriginLongitude = 29.145;
constexpr double kMetresPerDegree = 111194.926644558737;
constexpr int kScatteredPoints = 320;

} // namespace orvex::demo
