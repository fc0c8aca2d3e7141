// The C exports: each fits its curve with the routines of splines.h, evaluates it
// at X and turns a FATAL or TERMINAL error into a quiet NaN.
#include "curvefit.h"

#include "support.h"

#include <cmath>

namespace {

using namespace curvefit;

// Storage of calls up to this size stays with the thread for the next call.
constexpr int kRetainedPoints = 1001;

// Runs one export call at X under its routine name. Storage problems (a count
// above the limit, a failed allocation) are reported with the export's message,
// and so is a value that is not finite: the result is finite or NaN with a
// message. The export's curves stay with the thread unless the call was larger
// than the retained size.
template <class Fit, class... Kept>
double Run(const char *name, int32_t ndata, double x, const char *storageMessage, Fit &&fit,
           Kept &...kept) {
    numerr::BeginCall();
    numerr::Routine routine(name);
    double value = kQuietNaN;
    if (ndata > CURVEFIT_MAX_NDATA) {
        numerr::Report(numerr::TERMINAL, 5, storageMessage, {.I1 = ndata, .I2 = 1});
    } else {
        try {
            value = fit();
        } catch (...) { // only allocation can throw
            numerr::Report(numerr::TERMINAL, 5, storageMessage, {.I1 = ndata, .I2 = 1});
        }
    }
    if (!numerr::CallFailed() && !std::isfinite(value)) {
        // Finite data can still overflow (huge values, abscissas nearly equal).
        numerr::Report(numerr::TERMINAL, kCodeNotFiniteResult, msg::kNotFiniteResult, {.D1 = x});
    }
    if (ndata > kRetainedPoints) ((kept = Kept{}), ...);
    return numerr::CallFailed() ? kQuietNaN : value;
}

double Evaluate(bool fitted, const PiecewiseCubic &curve, double x) {
    return fitted ? SPLEVAL(curve, x) : kQuietNaN;
}

double Evaluate(bool fitted, const BSpline &spline, double x) {
    return fitted ? BSplineValue(spline, x) : kQuietNaN;
}

// Fewest points of each ARBSPLNSMTH type.
int ArbitraryMinimum(int type) {
    if (type == 1) return 2;
    if (type <= 3) return 4;
    if (type <= 8) return type - 2;
    if (type <= 12) return 4;
    return type - 10;
}

} // namespace

extern "C" {

double CSPLNSMPL(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNSMPL", NDATA, X, msg::kStorageWithN,
        [&] { return Evaluate(SPLENDS(NDATA, XDATA, FDATA, {}, {}, curve), curve, X); }, curve);
}

double CSPLNAKM(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNAKM", NDATA, X, msg::kStorage,
        [&] { return Evaluate(SPLAKIMA(NDATA, XDATA, FDATA, curve), curve, X); }, curve);
}

double CSPLNCON(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNCON", NDATA, X, msg::kStorage,
        [&] { return Evaluate(SPLSHAPE(NDATA, XDATA, FDATA, curve), curve, X); }, curve);
}

double CSPLNNAT(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNNAT", NDATA, X, msg::kStorage,
        [&] {
            const EndCondition flat{EndCondition::FirstDerivative, 0};
            return Evaluate(SPLENDS(NDATA, XDATA, FDATA, flat, flat, curve), curve, X);
        },
        curve);
}

double CSPLNHER(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNHER", NDATA, X, msg::kStorage,
        [&] { return Evaluate(SPLHERM(NDATA, XDATA, FDATA, nullptr, curve), curve, X); }, curve);
}

double CSPLNSMTH(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNSMTH", NDATA, X, msg::kStorageSmoothing,
        [&] {
            // Unit weights (null) and smoothing parameter 0.
            return Evaluate(SPLSMOOTH(NDATA, XDATA, FDATA, nullptr, 0.0, curve), curve, X);
        },
        curve);
}

double CSPLNSMTHCV(int32_t NDATA, const double *XDATA, const double *FDATA, double X) {
    thread_local PiecewiseCubic curve;
    return Run(
        "CSPLNSMTHCV", NDATA, X, msg::kStorage,
        [&] { return Evaluate(SPLGCV(NDATA, XDATA, FDATA, nullptr, curve), curve, X); }, curve);
}

double ARBSPLNSMTH(int32_t ITYPE, int32_t NDATA, const double *XDATA, const double *FDATA,
                   double X) {
    thread_local PiecewiseCubic curve;
    thread_local BSpline spline;
    return Run(
        "ARBSPLNSMTH", NDATA, X, msg::kStorage,
        [&] {
            if (ITYPE < 1 || ITYPE > 15) {
                numerr::Report(numerr::TERMINAL, 3, msg::kItype, {.I1 = ITYPE});
                return kQuietNaN;
            }
            const int minimum = ArbitraryMinimum(ITYPE);
            if (NDATA < minimum) {
                numerr::Report(numerr::TERMINAL, kCodeTooFew, msg::kAtLeastMinimum,
                               {.I1 = NDATA, .I2 = minimum});
                return kQuietNaN;
            }
            switch (ITYPE) {
            case 1:
                return Evaluate(SPLENDS(NDATA, XDATA, FDATA, {}, {}, curve), curve, X);
            case 2:
                return Evaluate(SPLAKIMA(NDATA, XDATA, FDATA, curve), curve, X);
            case 3:
                return Evaluate(SPLSHAPE(NDATA, XDATA, FDATA, curve), curve, X);
            case 9:
                return Evaluate(SPLGCV(NDATA, XDATA, FDATA, nullptr, curve), curve, X);
            }
            const BSplineFit fit = ITYPE <= 8    ? BSplineFit::Interpolation
                                   : ITYPE <= 12 ? BSplineFit::LeastSquares
                                                 : BSplineFit::OptimisedKnots;
            const int order = ITYPE <= 8 ? ITYPE - 2 : ITYPE <= 12 ? ITYPE - 8 : ITYPE - 11;
            return Evaluate(SPLBSPL(fit, order, NDATA, XDATA, FDATA, spline), spline, X);
        },
        curve, spline);
}

const char *CURVEFIT_LASTERROR(void) {
    return numerr::LastFatalMessage().c_str();
}

} // extern "C"
