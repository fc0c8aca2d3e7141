// Cubic smoothing splines. Both routines work with the values u at the interior
// points of the five-band system (a Q^T D^2 Q + b T) u = Q^T f on spacings scaled
// by their mean, where Q takes second divided differences, T is the tridiagonal
// matrix of the natural spline and D holds the point weights; the fitted values
// are f - a D^2 Q u.
#include "support.h"

#include <cmath>

namespace curvefit {

namespace {

constexpr int kMaxSmoothingIterations = 100;

// The five-band system on n points with its L D L^T factorisation.
class SmoothingSystem {
public:
    // Spacings h (already scaled) and squared weights delta2, one per point.
    SmoothingSystem(const std::vector<double> &h, const std::vector<double> &delta2)
        : n_(static_cast<int>(delta2.size())), rows_(n_ - 2), delta2_(delta2) {
        qa_.resize(rows_);
        qb_.resize(rows_);
        qc_.resize(rows_);
        for (int r = 0; r < rows_; ++r) {
            qa_[r] = 1 / h[r];
            qc_[r] = 1 / h[r + 1];
            qb_[r] = -qa_[r] - qc_[r];
        }
        c0_.assign(rows_, 0);
        c1_.assign(rows_, 0);
        c2_.assign(rows_, 0);
        t0_.assign(rows_, 0);
        t1_.assign(rows_, 0);
        for (int r = 0; r < rows_; ++r) {
            c0_[r] = qa_[r] * qa_[r] * delta2[r] + qb_[r] * qb_[r] * delta2[r + 1] +
                     qc_[r] * qc_[r] * delta2[r + 2];
            if (r + 1 < rows_)
                c1_[r] = qb_[r] * qa_[r + 1] * delta2[r + 1] + qc_[r] * qb_[r + 1] * delta2[r + 2];
            if (r + 2 < rows_) c2_[r] = qc_[r] * qa_[r + 2] * delta2[r + 2];
            t0_[r] = (h[r] + h[r + 1]) / 3;
            if (r + 1 < rows_) t1_[r] = h[r + 1] / 6;
        }
        d_.resize(rows_);
        l1_.resize(rows_);
        l2_.resize(rows_);
    }

    int Rows() const { return rows_; }

    // Factors a Q^T D^2 Q + b T.
    void Factor(double a, double b) {
        for (int r = 0; r < rows_; ++r) {
            const double m0 = a * c0_[r] + b * t0_[r];
            l2_[r] = r >= 2 ? (a * c2_[r - 2]) / d_[r - 2] : 0;
            l1_[r] = r >= 1 ? (a * c1_[r - 1] + b * t1_[r - 1] -
                               (r >= 2 ? l2_[r] * d_[r - 2] * l1_[r - 1] : 0)) /
                                  d_[r - 1]
                            : 0;
            d_[r] = m0 - (r >= 1 ? l1_[r] * l1_[r] * d_[r - 1] : 0) -
                    (r >= 2 ? l2_[r] * l2_[r] * d_[r - 2] : 0);
        }
    }

    // Solves the factored system in place.
    void Solve(std::vector<double> &v) const {
        for (int r = 1; r < rows_; ++r)
            v[r] -= l1_[r] * v[r - 1] + (r >= 2 ? l2_[r] * v[r - 2] : 0);
        for (int r = 0; r < rows_; ++r)
            v[r] /= d_[r];
        for (int r = rows_ - 2; r >= 0; --r)
            v[r] -= l1_[r + 1] * v[r + 1] + (r + 2 < rows_ ? l2_[r + 2] * v[r + 2] : 0);
    }

    // trace(M^-1 Q^T D^2 Q) of the factored M from the three central bands of its
    // inverse, computed backwards from the factors in O(n).
    double TraceWithInverse() const {
        double b0 = 0, b1 = 0, b2 = 0;  // inverse bands at row r
        double n0 = 0, n1 = 0, nn0 = 0; // B(r+1,r+1), B(r+1,r+2), B(r+2,r+2)
        double trace = 0;
        for (int r = rows_ - 1; r >= 0; --r) {
            const double f1 = r + 1 < rows_ ? l1_[r + 1] : 0;
            const double f2 = r + 2 < rows_ ? l2_[r + 2] : 0;
            b2 = -f1 * n1 - f2 * nn0;
            b1 = -f1 * n0 - f2 * n1;
            b0 = 1 / d_[r] - f1 * b1 - f2 * b2;
            trace += b0 * c0_[r] + 2 * (b1 * c1_[r] + b2 * c2_[r]);
            nn0 = n0;
            n0 = b0;
            n1 = b1;
        }
        return trace;
    }

    std::vector<double> QtTimes(const std::vector<double> &f) const {
        std::vector<double> v(rows_);
        for (int r = 0; r < rows_; ++r)
            v[r] = qa_[r] * f[r] + qb_[r] * f[r + 1] + qc_[r] * f[r + 2];
        return v;
    }

    // (Q u)_i at point i.
    double QTimes(const std::vector<double> &u, int i) const {
        double s = 0;
        if (i < rows_) s += qa_[i] * u[i];
        if (i >= 1 && i - 1 < rows_) s += qb_[i - 1] * u[i - 1];
        if (i >= 2 && i - 2 < rows_) s += qc_[i - 2] * u[i - 2];
        return s;
    }

    std::vector<double> TTimes(const std::vector<double> &u) const {
        std::vector<double> v(rows_);
        for (int r = 0; r < rows_; ++r) {
            v[r] = t0_[r] * u[r];
            if (r + 1 < rows_) v[r] += t1_[r] * u[r + 1];
            if (r >= 1) v[r] += t1_[r - 1] * u[r - 1];
        }
        return v;
    }

    // Weighted residual sum: sum of (a delta_i (Q u)_i)^2, i.e. of ((f - s) / delta)^2.
    double ResidualSum(const std::vector<double> &u, double a) const {
        double sum = 0;
        for (int i = 0; i < n_; ++i) {
            const double r = a * std::sqrt(delta2_[i]) * QTimes(u, i);
            sum += r * r;
        }
        return sum;
    }

    // Fitted values f - a D^2 Q u and second derivatives (scale * u, 0 at the ends).
    void Curve(const std::vector<double> &f, const std::vector<double> &u, double a,
               double secondScale, std::vector<double> &values, std::vector<double> &second) const {
        values.resize(n_);
        second.assign(n_, 0);
        for (int i = 0; i < n_; ++i)
            values[i] = f[i] - a * delta2_[i] * QTimes(u, i);
        for (int r = 0; r < rows_; ++r)
            second[r + 1] = secondScale * u[r];
    }

private:
    int n_, rows_;
    std::vector<double> delta2_;
    std::vector<double> qa_, qb_, qc_; // column r of Q: rows r, r + 1, r + 2
    std::vector<double> c0_, c1_, c2_; // bands of Q^T D^2 Q
    std::vector<double> t0_, t1_;      // bands of T
    std::vector<double> d_, l1_, l2_;  // factors
};

// Scaled spacings and their mean.
double ScaledSpacings(const std::vector<double> &x, std::vector<double> &h) {
    const int n = static_cast<int>(x.size());
    h.resize(n - 1);
    double mean = 0;
    for (int i = 0; i + 1 < n; ++i)
        mean += h[i] = x[i + 1] - x[i];
    mean /= n - 1;
    for (double &v : h)
        v /= mean;
    return mean;
}

bool CheckWeights(int n, const double *weights) {
    if (!weights) return true;
    for (int i = 0; i < n; ++i) {
        if (!(weights[i] > 0) || !std::isfinite(weights[i])) {
            numerr::Report(numerr::TERMINAL, 3, msg::kWeights, {.I1 = i + 1, .D1 = weights[i]});
            return false;
        }
    }
    return true;
}

} // namespace

bool SPLSMOOTH(int n, const double *x, const double *f, const double *weights, double smpar,
               PiecewiseCubic &out) {
    numerr::Routine routine("SPLSMOOTH");
    SortedData data;
    if (!PrepareData(n, x, f, weights, {2, msg::kTwoOrMore}, data)) return false;
    if (!CheckWeights(n, weights)) return false;
    if (!(smpar >= 0)) {
        numerr::Report(numerr::TERMINAL, 4, msg::kSmoothingParameter, {.D1 = smpar});
        return false;
    }
    const std::vector<double> &xs = data.x, &fs = data.f;
    std::vector<double> second(n, 0);
    if (n == 2) { // the line through both points meets any constraint
        SecondDerivativePieces(n, xs.data(), fs.data(), second.data(), out);
        return true;
    }
    std::vector<double> h;
    const double mean = ScaledSpacings(xs, h);
    const double toUnscaled = 1 / (mean * mean);
    std::vector<double> delta2(n, 1);
    if (weights)
        for (int i = 0; i < n; ++i)
            delta2[i] = data.w[i] * data.w[i];
    SmoothingSystem system(h, delta2);
    const std::vector<double> qtf = system.QtTimes(fs);
    std::vector<double> values;

    if (smpar == 0) { // interpolation: the natural spline, T g = Q^T f
        system.Factor(0, 1);
        std::vector<double> g = qtf;
        system.Solve(g);
        system.Curve(fs, g, 0, toUnscaled, values, second);
        SecondDerivativePieces(n, xs.data(), values.data(), second.data(), out);
        return true;
    }
    // Find p with F(p) = smpar, F(p) = sum(((f - s) / w)^2) of the fit with
    // (Q^T D^2 Q + p T) u = Q^T f, by Newton's method on 1 / sqrt(F) - 1 / sqrt(smpar),
    // which climbs to the root from p = 0 without overshooting.
    double p = 0;
    std::vector<double> u;
    bool converged = false;
    for (int iteration = 0; iteration < kMaxSmoothingIterations; ++iteration) {
        system.Factor(1, p);
        u = qtf;
        system.Solve(u);
        const double F = system.ResidualSum(u, 1);
        if (F <= smpar * (1 + 1e-12)) { // the least-squares line already fits, or done
            converged = true;
            break;
        }
        const std::vector<double> tu = system.TTimes(u);
        std::vector<double> w = tu;
        system.Solve(w);
        double utu = 0, tuw = 0;
        for (int r = 0; r < system.Rows(); ++r) {
            utu += u[r] * tu[r];
            tuw += tu[r] * w[r];
        }
        const double slope = -2 * (utu - p * tuw);
        const double next = p + 2 * F * (1 - std::sqrt(F / smpar)) / slope;
        if (!(next > p) || next - p <= 1e-15 * next) {
            converged = true;
            break;
        }
        p = next;
    }
    if (!converged) numerr::Report(numerr::WARNING, 6, msg::kSmoothingIterations);
    system.Curve(fs, u, 1, p * toUnscaled, values, second);
    SecondDerivativePieces(n, xs.data(), values.data(), second.data(), out);
    return true;
}

bool SPLGCV(int n, const double *x, const double *f, const double *weights, PiecewiseCubic &out,
            GcvResult *result) {
    numerr::Routine routine("SPLGCV");
    SortedData data;
    if (!PrepareData(n, x, f, weights, {3, msg::kAtLeastThree}, data)) return false;
    if (!CheckWeights(n, weights)) return false;
    const std::vector<double> &xs = data.x, &fs = data.f;
    std::vector<double> h;
    const double mean = ScaledSpacings(xs, h);
    // Weights divided by their root mean square.
    std::vector<double> delta2(n, 1);
    if (weights) {
        double sum = 0;
        for (double w : data.w)
            sum += w * w;
        for (int i = 0; i < n; ++i)
            delta2[i] = data.w[i] * data.w[i] / (sum / n);
    }
    SmoothingSystem system(h, delta2);
    const std::vector<double> qtf = system.QtTimes(fs);

    struct Trial {
        double rho = 0, p = 0, q = 0, score = 0;
    };
    std::vector<double> u;
    int fits = 0;
    auto fit = [&](double rho) {
        Trial t{rho, rho / (1 + rho), 1 / (1 + rho), 0};
        if (1 + rho == 1) t.p = 0;
        if (1 + rho == rho) t.q = 0;
        system.Factor(t.p, 2 * t.q);
        u = qtf;
        system.Solve(u);
        const double trace = t.p * system.TraceWithInverse();
        t.score = n * system.ResidualSum(u, t.p) / (trace * trace);
        ++fits;
        return t;
    };

    Trial chosen;
    bool stopped = false;
    double r1 = 1, r2 = 2;
    Trial t2 = fit(r2), t1 = fit(r1);
    while (t1.score < t2.score) {
        if (t1.p <= 0) { // the interpolating end
            chosen = t1;
            stopped = true;
            break;
        }
        r2 = r1;
        t2 = t1;
        r1 /= 2;
        t1 = fit(r1);
    }
    if (!stopped) {
        double r3 = 2 * r2;
        Trial t3 = fit(r3);
        while (t3.score < t2.score) {
            if (t3.q <= 0) { // the least-squares line end
                chosen = t3;
                stopped = true;
                break;
            }
            t2 = t3;
            r3 *= 2;
            t3 = fit(r3);
        }
        r2 = r3;
    }
    if (!stopped) {
        const double tau = 1.618033989;
        double alpha = (r2 - r1) / tau;
        double r4 = r1 + alpha, r3 = r2 - alpha;
        double v3 = fit(r3).score, v4 = fit(r4).score;
        double e;
        do {
            if (v3 >= v4) { // a tie moves the left end
                r1 = r3;
                r3 = r4;
                v3 = v4;
                alpha /= tau;
                r4 = r1 + alpha;
                v4 = fit(r4).score;
            } else {
                r2 = r4;
                r4 = r3;
                v4 = v3;
                alpha /= tau;
                r3 = r2 - alpha;
                v3 = fit(r3).score;
            }
            e = (r2 - r1) / (r2 + r1);
        } while (e > kEpsilon && e * e + 1 > 1);
        chosen.rho = (r1 + r2) / 2;
    }
    chosen = fit(chosen.rho);
    std::vector<double> values, second;
    system.Curve(fs, u, chosen.p, 2 * chosen.q / (mean * mean), values, second);
    SecondDerivativePieces(n, xs.data(), values.data(), second.data(), out);
    if (result) *result = {chosen.rho, chosen.score, fits};
    return true;
}

} // namespace curvefit
