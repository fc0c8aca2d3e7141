// The instrument of the worked examples: 10 turns of radius 0.5 m, receivers of
// moment 1 and 4.63 m² at 1.2 m and 2 m (receiver 2 cancels receiver 1 in free
// space), at 10 kHz.
#pragma once

#include "fieldconv_internal.h"

#include <cmath>
#include <complex>

namespace fieldconv::test {

constexpr double kM = 7.853981633974483;
constexpr double kF = 10000;
constexpr double kM1 = 1;
constexpr double kM2 = 4.629629629629631;
constexpr double kR1 = 1.2;
constexpr double kR2 = 2;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kMu0 = 1.2566370614359173e-6;

// The frequencies at the ends and in the middle of the instrument's band.
constexpr double kBand[] = {2510, 10000, 50000, 198041};

inline Complex E(double sigma, double f = kF) {
    return GETEMF_PP(kM, f, kM1, kM2, kR1, kR2, sigma);
}
inline double Component(double sigma, int mode, double f = kF) {
    return GETCOMPONENT(E(sigma, f), mode);
}
inline std::complex<double> AsStd(Complex z) {
    return {z.re, z.im};
}
// Conductivity at which |k·r| = x at frequency f.
inline double SigmaForInductionNumber(double x, double r, double f = kF) {
    return (x / r) * (x / r) / (kTwoPi * f * kMu0);
}

} // namespace fieldconv::test
