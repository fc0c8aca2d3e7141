// The spline routines behind libcurvefit's C exports, for the exports themselves,
// the tests and the tools. Every routine copies and sorts the data by abscissa,
// reports bad input and numerical trouble through the numerical error stack
// (numerr) under its own name, and returns false when it recorded a FATAL or
// TERMINAL error; the output is then unusable. Work arrays are per call.
#pragma once

#include <array>
#include <vector>

namespace curvefit {

// A piecewise cubic: piece i covers [breaks[i], breaks[i + 1]) and coefs[i] holds
// the value and the first, second and third derivative of that piece at breaks[i].
struct PiecewiseCubic {
    std::vector<double> breaks;
    std::vector<std::array<double, 4>> coefs;
};

// Value of the curve at x. Left of the first breakpoint the first piece is
// extended, right of the last the last piece: no clamping.
double SPLEVAL(const PiecewiseCubic &curve, double x);

// The data sorted by abscissa; position[i] is the caller's index (from 0) of
// point i, w the weights when given.
struct SortedData {
    std::vector<double> x, f, w;
    std::vector<int> position;
};

// What SPLSORT found wrong with the data. Positions are the caller's, from 1.
struct DataFault {
    enum Kind { None, NotFinite, Duplicate } kind = None;
    int first = 0, second = 0;
    double value = 0;
    const char *array = "";
};

// Copies the n points (and weights, when w is not null) into out sorted by
// increasing abscissa. Finds a non-finite abscissa or value, or two equal
// abscissas (the first such pair in the caller's order); the caller reports it.
DataFault SPLSORT(int n, const double *x, const double *f, const double *w, SortedData &out);

// End condition of an interpolating cubic spline.
struct EndCondition {
    enum Kind { NotAKnot, FirstDerivative, SecondDerivative } kind = NotAKnot;
    double value = 0;
};

// Cubic spline interpolation with the given condition at each end. A not-a-knot
// end without an interior knot to remove (two points, or three with not-a-knot at
// both ends) makes the end piece a quadratic; with both ends not-a-knot, two
// points give the straight line and three the parabola.
bool SPLENDS(int n, const double *x, const double *f, EndCondition left, EndCondition right,
             PiecewiseCubic &out);

// Akima's spline (at least 4 points): local slopes weighted by the differences of
// the neighbouring chord slopes, the chord slopes extended by two at each end.
bool SPLAKIMA(int n, const double *x, const double *f, PiecewiseCubic &out);

// Shape-preserving spline (at least 3 points): a C1 cubic interpolant whose second
// derivative is 0 where the data are straight and keeps the sign of the data's
// second differences; breakpoints are inserted where that sign constraint starts
// to bite inside an interval (at most 2n - 1 breakpoints).
bool SPLSHAPE(int n, const double *x, const double *f, PiecewiseCubic &out);

// Cubic Hermite interpolation from values and slopes (at least 2 points). With
// slopes null, each slope is estimated from the sorted data: chord slopes at the
// ends, 0 at a strict local extremum, else the slope of the chord over the two
// neighbours.
bool SPLHERM(int n, const double *x, const double *f, const double *slopes, PiecewiseCubic &out);

// Smoothing spline: among the natural cubic splines g with
// sum(((f_i - g(x_i)) / w_i)^2) <= smpar, the one with the least integral of g''^2
// (weights w_i > 0, all 1 when null; smpar >= 0). smpar = 0 gives the natural
// interpolating spline; an smpar that the weighted least-squares line already
// meets gives that line.
bool SPLSMOOTH(int n, const double *x, const double *f, const double *weights, double smpar,
               PiecewiseCubic &out);

// How SPLGCV ended: the smoothing parameter rho of the returned fit, its
// cross-validation score and how many trial fits were made.
struct GcvResult {
    double rho = 0, score = 0;
    int fits = 0;
};

// Smoothing spline (at least 3 points) whose parameter rho is chosen by
// generalized cross-validation: bracketing by halving and doubling from [1, 2],
// then a golden-section search. Weights as in SPLSMOOTH.
bool SPLGCV(int n, const double *x, const double *f, const double *weights, PiecewiseCubic &out,
            GcvResult *result = nullptr);

// A spline in B-spline form: order k (degree k - 1), knots t_0 .. t_(m+k-1) and m
// coefficients.
struct BSpline {
    int order = 0;
    std::vector<double> knots, coefs;
};

// Value at x; outside [t_(k-1), t_m] the polynomial of the nearest knot interval.
double BSplineValue(const BSpline &spline, double x);

// The B-spline fits of SPLBSPL.
enum class BSplineFit {
    Interpolation,  // n coefficients, not-a-knot knots; at least k points
    LeastSquares,   // (n - 1) / 4 + k coefficients, knots at every fourth abscissa
    OptimisedKnots, // least squares with free interior knots, see curvefit.h
};

// B-spline fit of order 2 to 6 to the data (unit weights).
bool SPLBSPL(BSplineFit fit, int order, int n, const double *x, const double *f, BSpline &out);

} // namespace curvefit
