// Shape-preserving cubic spline. The unknowns are the second derivatives M_i at
// the interior points; on each interval the curve's second derivative is the line
// between its end values, clipped to the sign the data's second differences ask
// for there. The equations (slope continuous at every curved point) are the
// gradient of a convex function of M, so Newton's method is guarded by a line
// search on that function.
#include "support.h"

#include <algorithm>
#include <cmath>

namespace curvefit {

namespace {

enum class Kind { Convex, Concave, Free, Straight };

constexpr int kMaxNewtonSteps = 25;
const double kMinPivot = std::sqrt(2.2250738585072014e-308);

// Where on an interval of length h, with second derivative ends a and b before
// clipping, the second derivative is the unclipped line: [lo, hi], empty when
// lo >= hi. Both ends zero counts as the whole interval, so that the Newton
// matrix keeps the interval's weight.
struct Active {
    double lo = 0, hi = 0;
    bool Inserts(double h) const { return (lo > 0 && lo < h) || (hi > 0 && hi < h); }
};

Active ActiveRange(Kind kind, double a, double b, double h) {
    if (kind == Kind::Straight) return {};
    if (kind == Kind::Free) return {0, h};
    const double sign = kind == Kind::Convex ? 1 : -1;
    const double as = sign * a, bs = sign * b;
    if (as >= 0 && bs >= 0) return {0, h};
    if (as <= 0 && bs <= 0) return {};
    const double z = a * h / (a - b);
    return as > 0 ? Active{0, z} : Active{z, h};
}

// The merit function and the sum of the magnitudes of its terms, which bounds
// its rounding error.
struct Merit {
    double value = 0, size = 0;
};

// Integrals over [lo, hi] of the line L (a at 0, b at h) against the hat
// functions phi0 = 1 - t / h and phi1 = t / h, of the products of the hats, and
// of L^2 / 2. The integrands are quadratics: closed forms over the whole
// interval, Simpson's rule (exact for them) over a part.
struct Integrals {
    double l0 = 0, l1 = 0;            // L phi0, L phi1
    double p00 = 0, p01 = 0, p11 = 0; // phi0^2, phi0 phi1, phi1^2
    double energy = 0;                // L^2 / 2
};

Integrals Integrate(const Active &r, double a, double b, double h) {
    Integrals s;
    if (!(r.hi > r.lo)) return s;
    if (r.lo == 0 && r.hi == h) { // the whole interval, in closed form
        s.l0 = h * (2 * a + b) / 6;
        s.l1 = h * (a + 2 * b) / 6;
        s.p00 = s.p11 = h / 3;
        s.p01 = h / 6;
        s.energy = h * (a * a + a * b + b * b) / 6;
        return s;
    }
    const double ts[3] = {r.lo, (r.lo + r.hi) / 2, r.hi};
    const double weights[3] = {1, 4, 1};
    const double scale = (r.hi - r.lo) / 6;
    for (int k = 0; k < 3; ++k) {
        const double p1 = ts[k] / h, p0 = 1 - p1, l = a * p0 + b * p1;
        const double w = weights[k] * scale;
        s.l0 += w * l * p0;
        s.l1 += w * l * p1;
        s.p00 += w * p0 * p0;
        s.p01 += w * p0 * p1;
        s.p11 += w * p1 * p1;
        s.energy += w * l * l / 2;
    }
    return s;
}

class ShapeSpline {
public:
    ShapeSpline(const std::vector<double> &x, const std::vector<double> &f) : x_(x), f_(f) {
        n_ = static_cast<int>(x.size());
        h_.resize(n_ - 1);
        d_.resize(n_ - 1);
        for (int j = 0; j + 1 < n_; ++j) {
            h_[j] = x[j + 1] - x[j];
            d_[j] = (f[j + 1] - f[j]) / h_[j];
        }
        ClassifyIntervals();
    }

    // Solves for M; false after reporting a near-zero pivot.
    bool Solve();
    void Build(PiecewiseCubic &out) const;

private:
    void ClassifyIntervals();
    // The equations linearised at one M: the merit, its gradient (the residuals
    // of the equations), the tridiagonal Newton matrix and the clipping pattern.
    struct Linearised {
        Merit merit;
        std::vector<double> residual, sub, diag, sup;
        std::vector<int> pattern;
    };
    // The convex merit function at M, linearised when out is given. Unclipped
    // treats every interval that is not straight as free.
    Merit Evaluate(const std::vector<double> &m, bool unclipped, Linearised *out) const;

    int n_;
    const std::vector<double> &x_, &f_;
    std::vector<double> h_, d_;
    std::vector<double> w_; // second differences, index = point
    std::vector<Kind> kind_;
    std::vector<double> m_; // second derivatives at the points, 0 at the ends
};

void ShapeSpline::ClassifyIntervals() {
    w_.assign(n_, 0);
    for (int i = 1; i + 1 < n_; ++i) {
        w_[i] = d_[i] - d_[i - 1];
        if (std::fabs(w_[i]) <= 10 * kEpsilon) w_[i] = 0; // locally straight
    }
    kind_.resize(n_ - 1);
    for (int j = 0; j + 1 < n_; ++j) {
        if (j == 0 || j == n_ - 2) { // end intervals follow their one interior point
            kind_[j] = w_[j == 0 ? 1 : n_ - 2] >= 0 ? Kind::Convex : Kind::Concave;
            continue;
        }
        const double a = w_[j], b = w_[j + 1];
        if ((a > 0 && b >= 0) || (a == 0 && b > 0))
            kind_[j] = Kind::Convex;
        else if ((a > 0 && b < 0) || (a < 0 && b > 0))
            kind_[j] = Kind::Free;
        else
            kind_[j] = Kind::Concave;
    }
    // A single point between straight stretches becomes a corner of the chords.
    for (int i = 2; i <= n_ - 3; ++i)
        if (w_[i - 1] == 0 && w_[i + 1] == 0) w_[i] = 0;
    for (int j = 0; j + 1 < n_; ++j) {
        const bool leftStraight = j >= 1 && w_[j] == 0;
        const bool rightStraight = j + 1 <= n_ - 2 && w_[j + 1] == 0;
        if (leftStraight || rightStraight) kind_[j] = Kind::Straight;
    }
}

Merit ShapeSpline::Evaluate(const std::vector<double> &m, bool unclipped, Linearised *out) const {
    // Rows 0 .. n - 3 stand for the interior points 1 .. n - 2.
    const int rows = n_ - 2;
    if (out) {
        out->residual.assign(rows, 0);
        out->sub.assign(rows, 0);
        out->diag.assign(rows, 0);
        out->sup.assign(rows, 0);
        out->pattern.assign(n_ - 1, 0);
    }
    Merit merit;
    for (int j = 0; j + 1 < n_; ++j) {
        const double a = m[j], b = m[j + 1];
        const Kind kind = unclipped && kind_[j] != Kind::Straight ? Kind::Free : kind_[j];
        const Active r = ActiveRange(kind, a, b, h_[j]);
        const Integrals s = Integrate(r, a, b, h_[j]);
        merit.value += s.energy;
        merit.size += s.energy;
        if (!out) continue;
        // Which part of the interval is active decides the linear system.
        out->pattern[j] = !(r.hi > r.lo) ? 0 : r.lo > 0 ? 1 : r.hi < h_[j] ? 2 : 3;
        const bool leftUnknown = j >= 1 && w_[j] != 0; // rows of points j and j + 1
        const bool rightUnknown = j + 1 <= n_ - 2 && w_[j + 1] != 0;
        if (leftUnknown) {
            out->residual[j - 1] += s.l0;
            out->diag[j - 1] += s.p00;
            if (rightUnknown) out->sup[j - 1] += s.p01;
        }
        if (rightUnknown) {
            out->residual[j] += s.l1;
            out->diag[j] += s.p11;
            if (leftUnknown) out->sub[j] += s.p01;
        }
    }
    for (int i = 1; i + 1 < n_; ++i) {
        if (w_[i] == 0) { // equation M_i = 0
            merit.value += m[i] * m[i] / 2;
            merit.size += m[i] * m[i] / 2;
            if (out) {
                out->residual[i - 1] = m[i];
                out->diag[i - 1] = 1;
            }
        } else {
            merit.value -= w_[i] * m[i];
            merit.size += std::fabs(w_[i] * m[i]);
            if (out) out->residual[i - 1] -= w_[i];
        }
    }
    if (out) out->merit = merit;
    return merit;
}

bool ShapeSpline::Solve() {
    m_.assign(n_, 0);
    const int rows = n_ - 2;
    Linearised here, there;

    // Start from the curve without clipping (the natural spline where nothing is
    // straight); where its second derivative has the wrong sign, start instead with
    // the value that would meet that point's equation alone, so that no equation
    // starts with an empty clipped interval on both sides.
    Evaluate(m_, true, &here);
    std::vector<double> delta(rows);
    for (int r = 0; r < rows; ++r)
        delta[r] = -here.residual[r];
    if (!SolveTridiagonal(here.sub, here.diag, here.sup, delta, kMinPivot)) {
        numerr::Report(numerr::TERMINAL, 4, msg::kNearZeroDiagonal);
        return false;
    }
    for (int i = 1; i + 1 < n_; ++i) {
        m_[i] = delta[i - 1];
        if (w_[i] != 0 && !(m_[i] * w_[i] > 0)) m_[i] = 3 * w_[i] / (h_[i - 1] + h_[i]);
    }

    std::vector<double> trial(m_);
    auto stepTo = [&](double lambda) {
        for (int i = 1; i + 1 < n_; ++i)
            trial[i] = m_[i] + lambda * delta[i - 1];
    };
    std::vector<int> lastPattern;
    bool lastFull = false;
    Evaluate(m_, false, &here);
    for (int step = 1; step <= kMaxNewtonSteps; ++step) {
        for (int r = 0; r < rows; ++r)
            delta[r] = -here.residual[r];
        if (!SolveTridiagonal(here.sub, here.diag, here.sup, delta, kMinPivot)) {
            numerr::Report(numerr::TERMINAL, 4, msg::kNearZeroDiagonal);
            return false;
        }
        double slope = 0; // directional derivative of the merit along the step
        for (int r = 0; r < rows; ++r)
            slope += here.residual[r] * delta[r];
        // Armijo backtracking, allowing for the rounding of the merit's terms so
        // that the last steps of the iteration are full Newton steps; when no
        // trial passes, the plain Newton step is taken. The full step's
        // evaluation serves the next step.
        auto accepts = [&](const Merit &next, double lambda) {
            const double rounding = 16 * kEpsilon * (here.merit.size + next.size);
            return next.value <= here.merit.value + 1e-4 * lambda * slope + rounding;
        };
        double lambda = 1;
        stepTo(1);
        if (!accepts(Evaluate(trial, false, &there), 1)) {
            for (lambda = 0.5; lambda >= 1.0 / (1 << 20); lambda /= 2) {
                stepTo(lambda);
                if (accepts(Evaluate(trial, false, nullptr), lambda)) break;
            }
            if (lambda < 1.0 / (1 << 20)) lambda = 1;
            stepTo(lambda);
            if (lambda != 1) Evaluate(trial, false, &there);
        }
        double change = 0, size = 1;
        for (int i = 1; i + 1 < n_; ++i) {
            change += std::fabs(trial[i] - m_[i]);
            size = std::max(size, std::fabs(trial[i]));
        }
        m_.swap(trial);
        // Converged when the change is at rounding level for the size of M, or when
        // the previous full step was taken on the same clipping pattern with every
        // interval wholly clipped or wholly free: the equations are linear there,
        // so that step already solved them.
        const std::vector<int> &pattern = here.pattern;
        const bool linear = std::none_of(pattern.begin(), pattern.end(),
                                         [](int part) { return part == 1 || part == 2; });
        const bool samePattern = linear && lastFull && pattern == lastPattern;
        if (step >= 2 && (change <= rows * 10 * kEpsilon * size || samePattern)) return true;
        lastPattern.swap(here.pattern);
        std::swap(here, there);
        lastFull = lambda == 1;
    }
    numerr::Report(numerr::WARNING, 16, msg::kNewtonIterations, {.I1 = kMaxNewtonSteps});
    return true;
}

void ShapeSpline::Build(PiecewiseCubic &out) const {
    out.breaks.clear();
    out.coefs.clear();
    for (int j = 0; j + 1 < n_; ++j) {
        const double h = h_[j];
        const double a = m_[j], b = m_[j + 1];
        const Active r = ActiveRange(kind_[j], a, b, h);
        const bool on = r.hi > r.lo;
        const Integrals s = Integrate(r, a, b, h);
        // Slopes at the ends from interpolation of both data values.
        const double slopeLeft = d_[j] - s.l0, slopeRight = d_[j] + s.l1;
        const double third = (b - a) / h;
        const double gLeft = on && r.lo == 0 ? a : 0, gRight = on && r.hi == h ? b : 0;
        const double thirdLeft = on && r.lo == 0 ? third : 0;
        out.breaks.push_back(x_[j]);
        out.coefs.push_back({f_[j], slopeLeft, gLeft, thirdLeft});
        if (on && r.Inserts(h)) {
            // The second piece is anchored at the right data point and expanded
            // back to the inserted breakpoint.
            const double z = r.lo > 0 ? r.lo : r.hi;
            const double back = h - z;
            const double thirdRight = r.hi == h ? third : 0;
            out.breaks.push_back(x_[j] + z);
            out.coefs.push_back({f_[j + 1] - slopeRight * back + gRight * back * back / 2 -
                                     thirdRight * back * back * back / 6,
                                 slopeRight - gRight * back + thirdRight * back * back / 2,
                                 gRight - thirdRight * back, thirdRight});
        }
    }
    out.breaks.push_back(x_[n_ - 1]);
}

} // namespace

bool SPLSHAPE(int n, const double *x, const double *f, PiecewiseCubic &out) {
    numerr::Routine routine("SPLSHAPE");
    SortedData data;
    if (!PrepareData(n, x, f, nullptr, {3, msg::kAtLeastThree, numerr::FATAL, 3}, data))
        return false;
    ShapeSpline spline(data.x, data.f);
    if (!spline.Solve()) return false;
    spline.Build(out);
    return true;
}

} // namespace curvefit
