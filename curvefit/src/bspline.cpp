// B-spline interpolation and least-squares fits, with fixed or optimised interior
// knots. Fits are solved by Givens rotations on the banded observation matrix,
// which needs no normal equations and gives the residual sum of squares as a
// by-product.
#include "support.h"

#include <algorithm>
#include <cmath>

namespace curvefit {

namespace {

constexpr int kMaxOrder = 6;
constexpr int kMaxKnotIterations = 50;
constexpr int kMaxStepHalvings = 20;

// Index l of the knot interval t_l <= x < t_(l+1) among the m - k + 1 intervals
// of the spline's range; points outside use the nearest end interval.
int Interval(const std::vector<double> &t, int k, int m, double x) {
    const auto first = t.begin() + k, last = t.begin() + m;
    return static_cast<int>(std::upper_bound(first, last, x) - t.begin()) - 1;
}

// Values at x of the k B-splines B_(l-k+1) .. B_l that can be non-zero on
// interval l.
void BasisValues(const std::vector<double> &t, int k, int l, double x, double *values) {
    double left[kMaxOrder], right[kMaxOrder];
    values[0] = 1;
    for (int j = 1; j < k; ++j) {
        left[j] = x - t[l + 1 - j];
        right[j] = t[l + j] - x;
        double saved = 0;
        for (int r = 0; r < j; ++r) {
            const double term = values[r] / (right[r + 1] + left[j - r]);
            values[r] = saved + right[r + 1] * term;
            saved = left[j - r] * term;
        }
        values[j] = saved;
    }
}

// Derivative of order deriv at x of the polynomial piece on interval l.
double PieceDerivative(const std::vector<double> &t, const std::vector<double> &c, int k, int l,
                       double x, int deriv) {
    double a[kMaxOrder];
    for (int i = 0; i < k; ++i)
        a[i] = c[l - k + 1 + i];
    for (int j = 1; j <= deriv; ++j) {
        for (int i = k - 1; i >= j; --i) {
            const int g = l - k + 1 + i;
            a[i] = (k - j) * (a[i] - a[i - 1]) / (t[g + k - j] - t[g]);
        }
    }
    for (int j = deriv + 1; j < k; ++j) {
        for (int i = k - 1; i >= j; --i) {
            const int g = l - k + 1 + i;
            const double alpha = (x - t[g]) / (t[g + k - j] - t[g]);
            a[i] = alpha * a[i] + (1 - alpha) * a[i - 1];
        }
    }
    return a[k - 1];
}

// Least squares with a banded observation matrix: each row has `width`
// consecutive entries. The upper triangle is accumulated row by row.
class BandedLeastSquares {
public:
    BandedLeastSquares(int columns, int width)
        : columns_(columns), width_(width), r_(static_cast<size_t>(columns) * width, 0),
          z_(columns, 0) {}

    void AddRow(int first, const double *values, double y) {
        double row[kMaxOrder];
        std::copy(values, values + width_, row);
        for (int c = first; c < first + width_ && c < columns_; ++c) {
            double *rc = &r_[static_cast<size_t>(c) * width_];
            if (row[0] != 0) {
                const double rho = std::sqrt(rc[0] * rc[0] + row[0] * row[0]);
                const double cs = rc[0] / rho, sn = row[0] / rho;
                rc[0] = rho;
                for (int q = 1; q < width_; ++q) {
                    const double a = rc[q], b = row[q];
                    rc[q] = cs * a + sn * b;
                    row[q] = cs * b - sn * a;
                }
                const double a = z_[c];
                z_[c] = cs * a + sn * y;
                y = cs * y - sn * a;
            }
            // The row now starts one column later.
            std::copy(row + 1, row + width_, row);
            row[width_ - 1] = 0;
        }
        residual_ += y * y;
    }

    double Residual() const { return residual_; }

    // Back substitution. A column whose diagonal vanishes against the largest (no
    // data decide its coefficient) gets coefficient 0.
    void Solve(std::vector<double> &coefs) const {
        coefs.assign(columns_, 0);
        double largest = 0;
        for (int c = 0; c < columns_; ++c)
            largest = std::max(largest, std::fabs(r_[static_cast<size_t>(c) * width_]));
        for (int c = columns_ - 1; c >= 0; --c) {
            const double *rc = &r_[static_cast<size_t>(c) * width_];
            if (!(std::fabs(rc[0]) > 1e-13 * largest)) continue;
            double s = z_[c];
            for (int q = 1; q < width_ && c + q < columns_; ++q)
                s -= rc[q] * coefs[c + q];
            coefs[c] = s / rc[0];
        }
    }

private:
    int columns_, width_;
    std::vector<double> r_, z_;
    double residual_ = 0;
};

// Fits the sorted data on the knots (interpolation when there are as many
// coefficients as points) and returns the residual sum of squares.
double FitOnKnots(const std::vector<double> &t, int k, const std::vector<double> &x,
                  const std::vector<double> &f, std::vector<double> &coefs) {
    const int m = static_cast<int>(t.size()) - k;
    BandedLeastSquares ls(m, k);
    double values[kMaxOrder];
    int l = k - 1;
    for (size_t p = 0; p < x.size(); ++p) {
        while (l + 1 < m && t[l + 1] <= x[p])
            ++l;
        BasisValues(t, k, l, x[p], values);
        ls.AddRow(l - k + 1, values, f[p]);
    }
    ls.Solve(coefs);
    return ls.Residual();
}

// The right end knot, moved just past the last abscissa so that it lies inside
// the last knot interval.
double RightEndKnot(double last) {
    if (last == 0) return 100 * kEpsilon;
    return last * (1 + 100 * kEpsilon * (last > 0 ? 1 : -1));
}

std::vector<double> KnotSequence(int k, const std::vector<double> &x,
                                 const std::vector<double> &interior) {
    std::vector<double> t(k, x.front());
    t.insert(t.end(), interior.begin(), interior.end());
    t.insert(t.end(), k, RightEndKnot(x.back()));
    return t;
}

std::vector<double> InterpolationKnots(int k, const std::vector<double> &x) {
    const int n = static_cast<int>(x.size());
    std::vector<double> interior;
    if (k % 2 == 0) {
        for (int j = k / 2; j <= n - 1 - k / 2; ++j)
            interior.push_back(x[j]);
    } else {
        for (int j = (k - 1) / 2; j <= n - 1 - (k + 1) / 2; ++j)
            interior.push_back((x[j] + x[j + 1]) / 2);
    }
    return interior;
}

// (n - 1) / 4 interior knots: every fourth abscissa from the fourth on, then one
// more chosen by n mod 4.
std::vector<double> LeastSquaresKnots(const std::vector<double> &x) {
    const int n = static_cast<int>(x.size());
    const int groups = n / 4;
    std::vector<double> interior;
    for (int j = 3; j <= 4 * groups - 5; j += 4)
        interior.push_back(x[j]);
    if (n % 4 == 1) interior.push_back(x[4 * groups - 3]);
    if (n % 4 == 2 || n % 4 == 3) interior.push_back(x[4 * groups - 2]);
    return interior;
}

// Whether free interior knots are acceptable: strictly inside the data and
// increasing, a data point in every knot interval, and the Schoenberg-Whitney
// condition (each B-spline can be matched with its own data point inside its
// support), so that the least-squares problem has one solution.
bool FeasibleKnots(const std::vector<double> &t, int k, const std::vector<double> &x) {
    const int n = static_cast<int>(x.size());
    const int m = static_cast<int>(t.size()) - k;
    int p = 0;
    for (int j = k; j < m; ++j) { // interior knots t_k .. t_(m-1); t_m lies past the data
        if (!(t[j] > t[j - 1]) || !(t[j] < x.back())) return false;
        while (p < n && x[p] < t[j])
            ++p;
        if (p == n || !(x[p] < t[j + 1])) return false;
    }
    p = 0;
    for (int i = 0; i < m; ++i) {
        while (p < n && !(x[p] > t[i] || (x[p] == t[i] && t[i] == t[i + k - 1])))
            ++p;
        if (p == n || !(x[p] < t[i + k])) return false;
        ++p;
    }
    return true;
}

// Least squares with `interior` free knots placed to reduce the residual sum of
// squares: a Gauss-Newton iteration on the knots for the separable problem (the
// coefficients are eliminated by the linear fit), with the step found from one
// extra fit and guarded by halving.
//
// Moving a knot tau by delta while keeping the spline changes it, to first order,
// by -J delta (x - tau)_+^(k-2) / (k-2)!, J the jump of its (k-1)-th derivative
// at tau; modulo the spline space that is a jump of -J delta in the (k-2)-th
// derivative. The Gauss-Newton step for all knots together is therefore read
// off the least-squares fit in the space with every interior knot doubled: if
// that fit's (k-2)-th derivative jumps by gamma at tau, the step is
// delta = -gamma / J.
void OptimiseKnots(int k, const std::vector<double> &x, const std::vector<double> &f,
                   std::vector<double> &interior, std::vector<double> &t,
                   std::vector<double> &coefs) {
    const int count = static_cast<int>(interior.size());
    t = KnotSequence(k, x, interior);
    double sse = FitOnKnots(t, k, x, f, coefs);
    double scale = 0;
    for (double v : f)
        scale += v * v;
    std::vector<double> doubled, doubledCoefs, jump(count), step(count), trialKnots, trialCoefs;
    for (int iteration = 0; iteration < kMaxKnotIterations; ++iteration) {
        if (sse <= 1e-28 * scale) break; // the data are matched
        double largestJump = 0;
        for (int j = 0; j < count; ++j) {
            const int right = k + j; // interval starting at knot j
            jump[j] = PieceDerivative(t, coefs, k, right, interior[j], k - 1) -
                      PieceDerivative(t, coefs, k, right - 1, interior[j], k - 1);
            largestJump = std::max(largestJump, std::fabs(jump[j]));
        }
        std::vector<double> twice;
        for (double tau : interior)
            twice.insert(twice.end(), 2, tau);
        doubled = KnotSequence(k, x, twice);
        FitOnKnots(doubled, k, x, f, doubledCoefs);
        bool moves = false;
        for (int j = 0; j < count; ++j) {
            const int first = k + 2 * j; // the two copies of knot j
            const double gamma =
                PieceDerivative(doubled, doubledCoefs, k, first + 1, interior[j], k - 2) -
                PieceDerivative(doubled, doubledCoefs, k, first - 1, interior[j], k - 2);
            step[j] = std::fabs(jump[j]) > 1e-12 * largestJump ? -gamma / jump[j] : 0;
            // A knot moves at most half way to its neighbours, so order is kept.
            const double before = j == 0 ? x.front() : interior[j - 1];
            const double after = j + 1 == count ? x.back() : interior[j + 1];
            const double limit = 0.5 * std::min(interior[j] - before, after - interior[j]);
            step[j] = std::clamp(step[j], -limit, limit);
            if (step[j] != 0) moves = true;
        }
        if (!moves) break;
        bool accepted = false, stalled = false;
        double lambda = 1;
        std::vector<double> candidate(count);
        for (int halving = 0; halving <= kMaxStepHalvings && !accepted; ++halving, lambda /= 2) {
            for (int j = 0; j < count; ++j)
                candidate[j] = interior[j] + lambda * step[j];
            trialKnots = KnotSequence(k, x, candidate);
            if (!FeasibleKnots(trialKnots, k, x)) continue;
            const double trial = FitOnKnots(trialKnots, k, x, f, trialCoefs);
            if (trial < sse) {
                accepted = true;
                stalled = sse - trial <= 1e-10 * sse;
                interior = candidate;
                t.swap(trialKnots);
                coefs.swap(trialCoefs);
                sse = trial;
            }
        }
        if (!accepted || stalled) break;
    }
}

int MinimumPoints(BSplineFit fit, int k) {
    switch (fit) {
    case BSplineFit::Interpolation:
        return k;
    case BSplineFit::LeastSquares: {
        int n = std::max(k, 4);
        while ((n - 1) / 4 + k > n)
            ++n;
        return n;
    }
    case BSplineFit::OptimisedKnots:
        return k + 1;
    }
    return k;
}

} // namespace

double BSplineValue(const BSpline &spline, double x) {
    const int k = spline.order;
    const int m = static_cast<int>(spline.coefs.size());
    if (k < 1 || m < k) return kQuietNaN;
    return PieceDerivative(spline.knots, spline.coefs, k, Interval(spline.knots, k, m, x), x, 0);
}

bool SPLBSPL(BSplineFit fit, int order, int n, const double *x, const double *f, BSpline &out) {
    numerr::Routine routine("SPLBSPL");
    if (order < 2 || order > kMaxOrder) {
        numerr::Report(numerr::TERMINAL, 3, msg::kOrder, {.I1 = order});
        return false;
    }
    SortedData data;
    if (!PrepareData(n, x, f, nullptr, {MinimumPoints(fit, order), msg::kAtLeastMinimum}, data))
        return false;
    const std::vector<double> &xs = data.x, &fs = data.f;
    out.order = order;
    switch (fit) {
    case BSplineFit::Interpolation:
        out.knots = KnotSequence(order, xs, InterpolationKnots(order, xs));
        FitOnKnots(out.knots, order, xs, fs, out.coefs);
        break;
    case BSplineFit::LeastSquares:
        out.knots = KnotSequence(order, xs, LeastSquaresKnots(xs));
        FitOnKnots(out.knots, order, xs, fs, out.coefs);
        break;
    case BSplineFit::OptimisedKnots: {
        // (n - 1) / 8 interior knots (one for up to 8 points), starting with equal
        // numbers of points between them.
        const int count = n > 8 ? (n - 1) / 8 : 1;
        std::vector<double> interior(count);
        for (int j = 1; j <= count; ++j)
            interior[j - 1] = xs[static_cast<int>(std::lround(double(j) * (n - 1) / (count + 1)))];
        OptimiseKnots(order, xs, fs, interior, out.knots, out.coefs);
        break;
    }
    }
    return true;
}

} // namespace curvefit
