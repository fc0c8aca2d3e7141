// Pieces shared by the spline routines: the messages of the error stack, the
// common checking and sorting of the data, and building piecewise cubics from
// slopes or second derivatives.
#pragma once

#include "numerr/errstack.h"
#include "splines.h"

#include <limits>

namespace curvefit {

inline constexpr double kEpsilon = 2.220446049250313e-16;
inline constexpr double kQuietNaN = std::numeric_limits<double>::quiet_NaN();

namespace msg {
inline constexpr const char *kTwoOrMore =
    "The number of data points must be 2 or more while NDATA = %(I1) is given.";
inline constexpr const char *kTwoOrMoreHermite =
    "The number of data points must be 2 or more while NDATA =%(I1) is given.";
inline constexpr const char *kFourOrMore =
    "The number of data points must be 4 or more while NDATA = %(I1) is given.";
inline constexpr const char *kAtLeastThree =
    "The number of data points must be at least 3 while NDATA = %(I1) is given.";
inline constexpr const char *kAtLeastMinimum =
    "The number of data points must be %(I2) or more, but NDATA = %(I1) is given.";
inline constexpr const char *kDistinct =
    "Points in the data point abscissas array, XDATA, must be distinct, but XDATA(%(I1)) = "
    "XDATA(%(I2)) = %(D1).";
inline constexpr const char *kNotFinite =
    "The data points must be finite numbers, but %(L1)(%(I1)) = %(D1) is given.";
inline constexpr const char *kNotFiniteResult =
    "The value of the curve at X = %(D1) is not a finite number.  The data may be too large or "
    "their abscissas too close together.";
inline constexpr const char *kMissing =
    "The data point arrays XDATA and FDATA must be given while NDATA = %(I1) is given.";
inline constexpr const char *kWeights =
    "All of the weights must be positive while WEIGHT(%(I1)) = %(D1) is given.";
inline constexpr const char *kSmoothingParameter =
    "The smoothing parameter must be non-negative while SMPAR = %(D1) is given.";
inline constexpr const char *kSmoothingIterations =
    "The maximum number of iterations has been reached.";
inline constexpr const char *kNewtonIterations =
    "The maximum number of iterations was reached in Newton's Method.  The best answer will "
    "be returned.  ITMAX = %(I1) was used, a larger value may help.";
inline constexpr const char *kNearZeroDiagonal =
    "The diagonal of the matrix has a near zero element.  The matrix is ill-conditioned.";
inline constexpr const char *kStorageWithN =
    "The required storage cannot be allocated.  Workspace allocation is based on NDATA = %(I1) "
    "and N = %(I2).";
inline constexpr const char *kStorage =
    "The required storage cannot be allocated.  The specified NDATA may be too large, where "
    "NDATA = %(I1).";
inline constexpr const char *kStorageSmoothing =
    "The required storage cannot be allocated.  Workspace allocation was based on NDATA = "
    "%(I1).";
inline constexpr const char *kItype =
    "The value of ITYPE must be in the range 1,..,15, but ITYPE = %(I1).";
inline constexpr const char *kOrder =
    "The order of the spline KORDER = %(I1).  It must be from 2 to 6.";
} // namespace msg

// Error codes shared by the routines.
enum Code {
    kCodeTooFew = 1,
    kCodeDistinct = 2,
    kCodeNotFinite = 20,
    kCodeMissing = 21,
    kCodeNotFiniteResult = 22
};

// How a routine checks its data.
struct DataRules {
    int minimum;        // fewest points
    const char *tooFew; // message for fewer points, %(I1) = NDATA, %(I2) = minimum
    numerr::ErrorType duplicateType = numerr::TERMINAL;
    int duplicateCode = kCodeDistinct;
};

// Checks the count, the arrays and the points, and sorts them into out. Reports
// the first problem as the current routine and returns false.
bool PrepareData(int n, const double *x, const double *f, const double *w, const DataRules &rules,
                 SortedData &out);

// Piecewise cubic of Hermite pieces through (x_i, f_i) with slopes s_i.
void HermitePieces(int n, const double *x, const double *f, const double *s, PiecewiseCubic &out);

// Piecewise cubic through (x_i, f_i) with second derivatives g_i at the points:
// each piece is the cubic with those end values and end second derivatives.
void SecondDerivativePieces(int n, const double *x, const double *f, const double *g,
                            PiecewiseCubic &out);

// Solves the tridiagonal system sub_i u_(i-1) + diag_i u_i + sup_i u_(i+1) = rhs_i
// in place (rhs becomes u, diag is overwritten) by elimination without pivoting.
// Returns false when an eliminated diagonal element is not above minPivot in
// magnitude.
bool SolveTridiagonal(std::vector<double> &sub, std::vector<double> &diag, std::vector<double> &sup,
                      std::vector<double> &rhs, double minPivot = 0);

} // namespace curvefit
