// Response of the instrument over a homogeneous half-space: the vertical field of
// the transmitter at a receiver, the EMF of each receiver coil, the compensated
// receiver difference and its derivative in conductivity. Quasi-static, free-space
// permeability everywhere.

#include "complex_math.h"
#include "fieldconv_internal.h"
#include "private.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace fieldconv {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;
constexpr double kPi = kTwoPi / 2;
constexpr double kMu0 = 1.2566370614359173e-6;
// Below this |k·r| (field) or |k| (derivative) the truncated series is used: the
// closed forms lose their leading digits to cancellation there.
constexpr double kSeriesSwitch = 0.01;
constexpr double kPpmFactor = 1000000.0;
// Conductivity at which GETPPM takes the primary field: on the series branch, so
// the result is the free-space EMF to within rounding.
constexpr double kPrimarySigma = 1e-10;

// Coefficients of the series of dH/dsigma: the derivatives of the field series'
// x³, x⁵, x⁶ and x⁷ terms, and 1/4 for its x² and x⁴ terms.
constexpr double kSeries15 = 0.4;
constexpr double kSeries25 = 0.09523809523809523;
constexpr double kSeries3 = 0.026041666666666668;
constexpr double kSeries35 = 0.005555555555555556;
constexpr double kQuarter = 0.25;

// The instrument GET_ABSEMF_PP evaluates, set by its caller.
struct AbsEmfBlock {
    double M = 0, f = 0, M1 = 0, M2 = 0, r1 = 0, r2 = 0;
    bool traceOn = false;
};
thread_local AbsEmfBlock tBlock;

std::function<void(const std::string &)> &TraceSink() {
    thread_local std::function<void(const std::string &)> sink;
    return sink;
}

// EMF of a coil of moment Mr in the field h: −i·ω·μ0·Mr·h.
Complex CoilEmf(double f, double Mr, Complex h) {
    const double g = kTwoPi * f * kMu0 * Mr;
    return {g * h.im, -g * h.re};
}

// dH/dsigma of one receiver by the series in powers of sigma^0.5; the powers of a
// (= i·ω·μ0) are shared by both receivers.
struct SeriesPowers {
    Complex a, a15, a2, a25, a3, a35;
    double sigma, s05, s15, s2, s25;
};

Complex SeriesFieldSlope(double M, double r, const SeriesPowers &p) {
    const double r2 = r * r;
    const double r3 = r2 * r;
    const double r4 = r3 * r;
    const double r5 = r4 * r;
    const double r6 = r5 * r;
    const double r7 = r6 * r;
    const Complex bracket = kQuarter * p.a * r2 - kSeries15 * p.a15 * p.s05 * r3 +
                            kQuarter * p.a2 * p.sigma * r4 - kSeries25 * p.a25 * p.s15 * r5 +
                            kSeries3 * p.a3 * p.s2 * r6 - kSeries35 * p.a35 * p.s25 * r7;
    return (M / (kFourPi * r3)) * bracket;
}

Complex ClosedFieldSlope(double M, double r, Complex k, double sigma) {
    const Complex x = k * r;
    const Complex x2 = x * x;
    const Complex x3 = x2 * x;
    const Complex x4 = x3 * x;
    const Complex bracket = -18.0 + (18.0 + 18.0 * x + 9.0 * x2 + 3.0 * x3 + x4) * Exp(-x);
    return (M / (kFourPi * r * r * r * sigma)) * (bracket / x2);
}

} // namespace

Complex GETHZ(double M, double f, double r, double sigma) {
    const double r3 = r * r * r;
    if (sigma == 0) return {M / (kFourPi * r3), 0};
    const double omega = kTwoPi * f;
    const Complex k = Sqrt({0, omega * kMu0 * sigma});
    const Complex x = k * r;
    const Complex x2 = x * x;
    const Complex x3 = x2 * x;
    if (Abs(x) < kSeriesSwitch) {
        const Complex x4 = x3 * x;
        const Complex x5 = x4 * x;
        const Complex x6 = x5 * x;
        const Complex x7 = x6 * x;
        const Complex series = 1.0 + x2 / 4.0 - 4.0 * x3 / 15.0 + x4 / 8.0 - 4.0 * x5 / 105.0 +
                               5.0 * x6 / 576.0 - x7 / 630.0;
        return (M / (kFourPi * r3)) * series;
    }
    const double r5 = r3 * r * r;
    const Complex bracket = 9.0 - (9.0 + 9.0 * x + 4.0 * x2 + x3) * Exp(-x);
    return (M / (kTwoPi * (k * k) * r5)) * bracket;
}

Complex GETCOILEMF(double M, double f, double Mr, double r, double sigma) {
    return CoilEmf(f, Mr, GETHZ(M, f, r, sigma));
}

Complex GETEMF0_PP(double M, double f, double M1, double M2, double r1, double r2) {
    return GETCOILEMF(M, f, M2, r2, 0) - GETCOILEMF(M, f, M1, r1, 0);
}

Complex GETEMF_PP(double M, double f, double M1, double M2, double r1, double r2, double sigma) {
    const Complex difference = GETCOILEMF(M, f, M2, r2, sigma) - GETCOILEMF(M, f, M1, r1, sigma);
    return difference - GETEMF0_PP(M, f, M1, M2, r1, r2);
}

Complex GETDEMFPP(double M, double f, double M1, double M2, double r1, double r2, double sigma) {
    const Complex a{0, kTwoPi * f * kMu0};
    const Complex k = Sqrt(a * sigma);
    Complex slope1, slope2;
    // One test on |k| for both receivers, so both use the same form.
    if (Abs(k) < kSeriesSwitch) {
        SeriesPowers p;
        p.a = a;
        p.a15 = Pow(a, 1.5);
        p.a2 = a * a;
        p.a25 = Pow(a, 2.5);
        p.a3 = p.a2 * a;
        p.a35 = Pow(a, 3.5);
        p.sigma = sigma;
        p.s05 = std::pow(sigma, 0.5);
        p.s15 = std::pow(sigma, 1.5);
        p.s2 = sigma * sigma;
        p.s25 = std::pow(sigma, 2.5);
        slope1 = SeriesFieldSlope(M, r1, p);
        slope2 = SeriesFieldSlope(M, r2, p);
    } else {
        slope1 = ClosedFieldSlope(M, r1, k, sigma);
        slope2 = ClosedFieldSlope(M, r2, k, sigma);
    }
    return CoilEmf(f, M2, slope2) - CoilEmf(f, M1, slope1);
}

void SetAbsEmfBlock(double M, double f, double M1, double M2, double r1, double r2) {
    AbsEmfBlock &block = tBlock;
    block.M = M;
    block.f = f;
    block.M1 = M1;
    block.M2 = M2;
    block.r1 = r1;
    block.r2 = r2;
}

double GET_ABSEMF_PP(double sigma) {
    const AbsEmfBlock &block = tBlock;
    const Complex e = GETEMF_PP(block.M, block.f, block.M1, block.M2, block.r1, block.r2, sigma);
    const double amplitude = Abs(e);
    if (block.traceOn) {
        char line[96];
        std::snprintf(line, sizeof line, "GET_ABSEMF_PP sigma=%.17g abs=%.17g", sigma, amplitude);
        TraceSink()(line);
    }
    return amplitude;
}

void SetAbsEmfTrace(std::function<void(const std::string &)> sink) {
    tBlock.traceOn = static_cast<bool>(sink);
    TraceSink() = std::move(sink);
}

bool AbsEmfTraceOn() {
    return tBlock.traceOn;
}

double GETPHASE(Complex z) {
    if (Abs(z) == 0) return 0;
    double phase = std::atan2(z.im, z.re);
    if (z.im < 0) phase += kTwoPi;
    return phase * 180 / kPi;
}

double GETCOMPONENT(Complex z, int mode) {
    switch (mode) {
    case 0:
        return Abs(z);
    case 1:
        return z.re;
    case 2:
        return z.im;
    case 3:
        return GETPHASE(z);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

double PrimaryPpm(double M, double f, double M2, double r2, double V) {
    const Complex primary = GETCOILEMF(M, f, M2, r2, kPrimarySigma);
    return kPpmFactor * V / Abs(primary);
}

} // namespace fieldconv
