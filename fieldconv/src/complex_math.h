// Complex arithmetic of the response model: plain products and sums (no special
// handling of infinities), principal square root, logarithm and real powers.
// Written out rather than taken from <complex> so the hot path stays inline and
// free of the library's NaN recovery in products.
#pragma once

#include "fieldconv_internal.h"

#include <cmath>

namespace fieldconv {

inline Complex operator+(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
inline Complex operator-(Complex a, Complex b) {
    return {a.re - b.re, a.im - b.im};
}
inline Complex operator-(Complex a) {
    return {-a.re, -a.im};
}
inline Complex operator+(double s, Complex a) {
    return {s + a.re, a.im};
}
inline Complex operator-(double s, Complex a) {
    return {s - a.re, -a.im};
}
inline Complex operator*(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline Complex operator*(double s, Complex a) {
    return {s * a.re, s * a.im};
}
inline Complex operator*(Complex a, double s) {
    return {a.re * s, a.im * s};
}
inline Complex operator/(Complex a, double s) {
    return {a.re / s, a.im / s};
}
// s / b by Smith's method, which keeps the intermediate products in range.
inline Complex operator/(double s, Complex b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        const double ratio = b.im / b.re;
        const double denominator = b.re + b.im * ratio;
        return {s / denominator, -s * ratio / denominator};
    }
    const double ratio = b.re / b.im;
    const double denominator = b.re * ratio + b.im;
    return {s * ratio / denominator, -s / denominator};
}

// a / b by Smith's method.
inline Complex operator/(Complex a, Complex b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        const double ratio = b.im / b.re;
        const double denominator = b.re + b.im * ratio;
        return {(a.re + a.im * ratio) / denominator, (a.im - a.re * ratio) / denominator};
    }
    const double ratio = b.re / b.im;
    const double denominator = b.re * ratio + b.im;
    return {(a.re * ratio + a.im) / denominator, (a.im * ratio - a.re) / denominator};
}

inline double Abs(Complex z) {
    return std::sqrt(z.re * z.re + z.im * z.im);
}

inline Complex Exp(Complex z) {
    const double magnitude = std::exp(z.re);
    return {magnitude * std::cos(z.im), magnitude * std::sin(z.im)};
}

// Principal square root: real part ≥ 0, the cut along the negative real axis.
inline Complex Sqrt(Complex z) {
    if (z.re == 0 && z.im == 0) return {0, z.im};
    const double t = std::sqrt((std::fabs(z.re) + std::hypot(z.re, z.im)) / 2);
    if (z.re >= 0) return {t, z.im / (2 * t)};
    return {std::fabs(z.im) / (2 * t), std::copysign(t, z.im)};
}

// Principal power exp(w · log z) for a real exponent w; 0 for z = 0.
inline Complex Pow(Complex z, double w) {
    if (z.re == 0 && z.im == 0) return {0, 0};
    const double magnitude = std::exp(w * std::log(std::hypot(z.re, z.im)));
    const double angle = w * std::atan2(z.im, z.re);
    return {magnitude * std::cos(angle), magnitude * std::sin(angle)};
}

} // namespace fieldconv
