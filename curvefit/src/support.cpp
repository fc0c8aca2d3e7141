#include "support.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace curvefit {

DataFault SPLSORT(int n, const double *x, const double *f, const double *w, SortedData &out) {
    DataFault fault;
    // Non-finite abscissas would break the ordering the sort relies on.
    for (const auto &[array, name] : {std::pair{x, "XDATA"}, std::pair{f, "FDATA"}}) {
        for (int i = 0; i < n; ++i) {
            if (!std::isfinite(array[i])) {
                fault.kind = DataFault::NotFinite;
                fault.first = i + 1;
                fault.value = array[i];
                fault.array = name;
                return fault;
            }
        }
    }
    out.position.resize(n);
    std::iota(out.position.begin(), out.position.end(), 0);
    std::sort(out.position.begin(), out.position.end(),
              [x](int a, int b) { return x[a] < x[b] || (x[a] == x[b] && a < b); });
    out.x.resize(n);
    out.f.resize(n);
    out.w.resize(w ? n : 0);
    for (int i = 0; i < n; ++i) {
        const int p = out.position[i];
        out.x[i] = x[p];
        out.f[i] = f[p];
        if (w) out.w[i] = w[p];
    }
    // Equal abscissas sit next to each other, in the caller's order; report the
    // pair whose later point comes first in the caller's list.
    for (int i = 1; i < n; ++i) {
        if (out.x[i] != out.x[i - 1]) continue;
        const int second = out.position[i] + 1;
        if (fault.kind == DataFault::None || second < fault.second) {
            fault.kind = DataFault::Duplicate;
            fault.first = out.position[i - 1] + 1;
            fault.second = second;
            fault.value = out.x[i];
        }
    }
    return fault;
}

bool PrepareData(int n, const double *x, const double *f, const double *w, const DataRules &rules,
                 SortedData &out) {
    using numerr::Report;
    using numerr::TERMINAL;
    if (n < rules.minimum) {
        Report(TERMINAL, kCodeTooFew, rules.tooFew, {.I1 = n, .I2 = rules.minimum});
        return false;
    }
    if (!x || !f) {
        Report(TERMINAL, kCodeMissing, msg::kMissing, {.I1 = n});
        return false;
    }
    const DataFault fault = SPLSORT(n, x, f, w, out);
    switch (fault.kind) {
    case DataFault::None:
        return true;
    case DataFault::NotFinite:
        Report(TERMINAL, kCodeNotFinite, msg::kNotFinite,
               {.I1 = fault.first, .D1 = fault.value, .L1 = fault.array});
        return false;
    case DataFault::Duplicate:
        Report(rules.duplicateType, rules.duplicateCode, msg::kDistinct,
               {.I1 = fault.first, .D1 = fault.value, .I2 = fault.second});
        return false;
    }
    return false;
}

double SPLEVAL(const PiecewiseCubic &curve, double x) {
    const int pieces = static_cast<int>(curve.coefs.size());
    if (pieces == 0) return kQuietNaN;
    // Piece i holds breaks[i] <= x < breaks[i + 1]; the ends extend the end pieces.
    const auto inner = curve.breaks.begin() + 1;
    const int i = static_cast<int>(std::upper_bound(inner, inner + (pieces - 1), x) - inner);
    const auto &c = curve.coefs[i];
    const double t = x - curve.breaks[i];
    return c[0] + t * (c[1] + t * (c[2] / 2 + t * c[3] / 6));
}

void HermitePieces(int n, const double *x, const double *f, const double *s, PiecewiseCubic &out) {
    out.breaks.assign(x, x + n);
    out.coefs.resize(n - 1);
    for (int i = 0; i + 1 < n; ++i) {
        const double h = x[i + 1] - x[i];
        const double chord = (f[i + 1] - f[i]) / h;
        out.coefs[i] = {f[i], s[i], 2 * (3 * chord - 2 * s[i] - s[i + 1]) / h,
                        6 * (s[i] + s[i + 1] - 2 * chord) / (h * h)};
    }
}

void SecondDerivativePieces(int n, const double *x, const double *f, const double *g,
                            PiecewiseCubic &out) {
    out.breaks.assign(x, x + n);
    out.coefs.resize(n - 1);
    for (int i = 0; i + 1 < n; ++i) {
        const double h = x[i + 1] - x[i];
        const double third = (g[i + 1] - g[i]) / h;
        const double slope = (f[i + 1] - f[i]) / h - (h * third / 6 + g[i] / 2) * h;
        out.coefs[i] = {f[i], slope, g[i], third};
    }
}

bool SolveTridiagonal(std::vector<double> &sub, std::vector<double> &diag, std::vector<double> &sup,
                      std::vector<double> &rhs, double minPivot) {
    // diag keeps the reciprocals of the pivots, so each row costs one division.
    const size_t n = diag.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) {
            const double m = sub[i] * diag[i - 1];
            diag[i] -= m * sup[i - 1];
            rhs[i] -= m * rhs[i - 1];
        }
        if (!(std::fabs(diag[i]) > minPivot)) return false;
        diag[i] = 1 / diag[i];
    }
    rhs[n - 1] *= diag[n - 1];
    for (size_t i = n - 1; i-- > 0;)
        rhs[i] = (rhs[i] - sup[i] * rhs[i + 1]) * diag[i];
    return true;
}

} // namespace curvefit
