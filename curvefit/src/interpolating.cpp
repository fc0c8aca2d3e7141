// Interpolating cubics from slopes: the spline with end conditions, Akima's
// spline and the Hermite spline.
#include "support.h"

#include <cmath>

namespace curvefit {

bool SPLENDS(int n, const double *x, const double *f, EndCondition left, EndCondition right,
             PiecewiseCubic &out) {
    numerr::Routine routine("SPLENDS");
    SortedData data;
    if (!PrepareData(n, x, f, nullptr, {2, msg::kTwoOrMore}, data)) return false;
    const std::vector<double> &xs = data.x, &fs = data.f;
    std::vector<double> h(n - 1), d(n - 1);
    for (int i = 0; i + 1 < n; ++i) {
        h[i] = xs[i + 1] - xs[i];
        d[i] = (fs[i + 1] - fs[i]) / h[i];
    }
    // Unknowns: the slopes at the points; row i is the condition at point i.
    std::vector<double> sub(n, 0), diag(n, 0), sup(n, 0), s(n, 0);
    for (int i = 1; i + 1 < n; ++i) {
        sub[i] = h[i];
        diag[i] = 2 * (h[i - 1] + h[i]);
        sup[i] = h[i - 1];
        s[i] = 3 * (h[i] * d[i - 1] + h[i - 1] * d[i]);
    }
    const bool bothNotAKnot =
        left.kind == EndCondition::NotAKnot && right.kind == EndCondition::NotAKnot;
    switch (left.kind) {
    case EndCondition::FirstDerivative:
        diag[0] = 1;
        s[0] = left.value;
        break;
    case EndCondition::SecondDerivative:
        diag[0] = 2;
        sup[0] = 1;
        s[0] = 3 * d[0] - left.value * h[0] / 2;
        break;
    case EndCondition::NotAKnot:
        if (n >= 3) { // third derivative continuous at the second point
            diag[0] = h[1];
            sup[0] = h[0] + h[1];
            s[0] = ((3 * h[0] + 2 * h[1]) * h[1] * d[0] + h[0] * h[0] * d[1]) / (h[0] + h[1]);
        } else if (bothNotAKnot) { // the straight line
            diag[0] = 1;
            s[0] = d[0];
        } else { // a quadratic: third derivative 0
            diag[0] = 1;
            sup[0] = 1;
            s[0] = 2 * d[0];
        }
        break;
    }
    const int e = n - 1;
    switch (right.kind) {
    case EndCondition::FirstDerivative:
        sub[e] = 0;
        diag[e] = 1;
        s[e] = right.value;
        break;
    case EndCondition::SecondDerivative:
        sub[e] = 1;
        diag[e] = 2;
        s[e] = 3 * d[e - 1] + right.value * h[e - 1] / 2;
        break;
    case EndCondition::NotAKnot:
        if (n >= 4 || (n == 3 && !bothNotAKnot)) {
            sub[e] = h[e - 1] + h[e - 2];
            diag[e] = h[e - 2];
            s[e] = ((3 * h[e - 1] + 2 * h[e - 2]) * h[e - 2] * d[e - 1] +
                    h[e - 1] * h[e - 1] * d[e - 2]) /
                   (h[e - 2] + h[e - 1]);
        } else if (n == 2 && bothNotAKnot) {
            sub[e] = 0;
            diag[e] = 1;
            s[e] = d[0];
        } else { // last piece quadratic; with three points and both ends, the parabola
            sub[e] = 1;
            diag[e] = 1;
            s[e] = 2 * d[e - 1];
        }
        break;
    }
    SolveTridiagonal(sub, diag, sup, s);
    HermitePieces(n, xs.data(), fs.data(), s.data(), out);
    return true;
}

bool SPLAKIMA(int n, const double *x, const double *f, PiecewiseCubic &out) {
    numerr::Routine routine("SPLAKIMA");
    SortedData data;
    if (!PrepareData(n, x, f, nullptr, {4, msg::kFourOrMore}, data)) return false;
    const std::vector<double> &xs = data.x, &fs = data.f;
    // m[j + 2] is the chord slope of interval j, two extra slopes at each end.
    std::vector<double> m(n + 3);
    for (int j = 0; j + 1 < n; ++j)
        m[j + 2] = (fs[j + 1] - fs[j]) / (xs[j + 1] - xs[j]);
    m[1] = 2 * m[2] - m[3];
    m[0] = 2 * m[1] - m[2];
    m[n + 1] = 2 * m[n] - m[n - 1];
    m[n + 2] = 2 * m[n + 1] - m[n];
    std::vector<double> s(n);
    for (int i = 0; i < n; ++i) {
        const double before2 = m[i], before = m[i + 1], after = m[i + 2], after2 = m[i + 3];
        const double w1 = std::fabs(after2 - after), w2 = std::fabs(before - before2);
        s[i] = w1 + w2 == 0 ? (before + after) / 2 : (w1 * before + w2 * after) / (w1 + w2);
    }
    HermitePieces(n, xs.data(), fs.data(), s.data(), out);
    return true;
}

bool SPLHERM(int n, const double *x, const double *f, const double *slopes, PiecewiseCubic &out) {
    numerr::Routine routine("SPLHERM");
    SortedData data;
    if (!PrepareData(n, x, f, slopes, {2, msg::kTwoOrMoreHermite}, data)) return false;
    const std::vector<double> &xs = data.x, &fs = data.f;
    std::vector<double> &s = data.w; // the given slopes, sorted with their points
    if (!slopes) {
        // Slopes from the neighbours in abscissa order, so that the curve does not
        // depend on the order in which the points were listed.
        s.resize(n);
        s[0] = (fs[1] - fs[0]) / (xs[1] - xs[0]);
        s[n - 1] = (fs[n - 2] - fs[n - 1]) / (xs[n - 2] - xs[n - 1]);
        for (int i = 1; i + 1 < n; ++i) {
            const bool extremum = (fs[i] - fs[i - 1]) * (fs[i] - fs[i + 1]) > 0;
            s[i] = extremum ? 0 : (fs[i + 1] - fs[i - 1]) / (xs[i + 1] - xs[i - 1]);
        }
    }
    HermitePieces(n, xs.data(), fs.data(), s.data(), out);
    return true;
}

} // namespace curvefit
