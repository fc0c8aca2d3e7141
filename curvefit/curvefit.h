/* curvefit: fits a curve through data points (XDATA[i], FDATA[i]), i = 0 .. NDATA-1,
 * and returns its value at the abscissa X. Each call builds the whole curve again
 * from the data and evaluates it once; a caller needing many abscissas calls once
 * per abscissa.
 *
 * Data. The points may come in any order: they are copied and sorted by abscissa,
 * and the result does not depend on the order (for CSPLNHER too: its slopes are
 * estimated from the neighbours in abscissa order). Abscissas must be distinct
 * and every abscissa and value finite. Left of the first abscissa and right of
 * the last the end pieces of the curve are extended (no clamping).
 *
 * Errors. Problems are reported through the library's numerical error stack:
 * WARNING, FATAL and TERMINAL errors are printed on standard error, as
 * " *** <TYPE> ERROR <code> from <routine>.  <message>", FATAL and TERMINAL ones
 * followed by a traceback of the routines. After a FATAL or TERMINAL error the
 * export returns a quiet NaN and CURVEFIT_LASTERROR gives the printed error; a
 * WARNING leaves the result usable. A result is therefore either finite or NaN
 * with a message (X itself not finite, or finite data that overflow, give
 * TERMINAL 22). The library never ends the process.
 *
 *   Routine (exports)              Condition                      Type      Code
 *   SPLENDS  (CSPLNSMPL, CSPLNNAT,  NDATA < 2                      TERMINAL  1
 *             ARBSPLNSMTH 1)        two equal abscissas            TERMINAL  2
 *   SPLAKIMA (CSPLNAKM, ARB.. 2)    NDATA < 4                      TERMINAL  1
 *                                   two equal abscissas            TERMINAL  2
 *   SPLSHAPE (CSPLNCON, ARB.. 3)    NDATA < 3                      TERMINAL  1
 *                                   two equal abscissas            FATAL     3
 *                                   near-zero pivot in Newton      TERMINAL  4
 *                                   25 Newton steps used           WARNING   16
 *   SPLHERM  (CSPLNHER)             NDATA < 2                      TERMINAL  1
 *                                   two equal abscissas            TERMINAL  2
 *   SPLSMOOTH (CSPLNSMTH)           NDATA < 2                      TERMINAL  1
 *                                   two equal abscissas            TERMINAL  2
 *                                   a weight not positive          TERMINAL  3
 *                                   negative smoothing parameter   TERMINAL  4
 *                                   iteration limit reached        WARNING   6
 *   SPLGCV   (CSPLNSMTHCV, ARB.. 9) NDATA < 3                      TERMINAL  1
 *                                   two equal abscissas            TERMINAL  2
 *   SPLBSPL  (ARB.. 4-8, 10-15)     two equal abscissas            TERMINAL  2
 *   ARBSPLNSMTH                     NDATA below the type's minimum TERMINAL  1
 *                                   ITYPE outside 1 .. 15          TERMINAL  3
 *   every routine                   a non-finite abscissa or value TERMINAL  20
 *                                   XDATA or FDATA null            TERMINAL  21
 *   every export                    storage cannot be obtained     TERMINAL  5
 *                                   the value at X is not finite   TERMINAL  22
 *
 * Size. NDATA may exceed the 1001 points the program's profiles hold: every
 * array is sized for the call (the shape-preserving spline for 2 NDATA - 1
 * breakpoints) and nothing is ever written past an array. Each export keeps the
 * storage of its curve per thread for the next call when NDATA is at most 1001;
 * larger calls give theirs back. NDATA above CURVEFIT_MAX_NDATA is refused with
 * the export's storage error (TERMINAL 5), as is any call whose storage cannot
 * be allocated; this bounds what a corrupt count can make the library allocate.
 *
 * Threads. All state (curves, error stack, last error) is per thread.
 *
 * Names. Only the plain names are exported. The decorated names of a 32-bit
 * stdcall convention (_CSPLNSMPL@20) cannot exist in an ELF library: every
 * linker reads "name@20" as the symbol "name" in a version "20" (which a version
 * script cannot even declare), so no symbol of that name can be made for dlsym
 * to find.
 */
#ifndef CURVEFIT_H
#define CURVEFIT_H

#include <stdint.h>

#if defined(CURVEFIT_BUILD)
#define CURVEFIT_API __attribute__((visibility("default")))
#else
#define CURVEFIT_API
#endif

/* Largest NDATA an export accepts. */
#define CURVEFIT_MAX_NDATA 1000000

#ifdef __cplusplus
extern "C" {
#endif

/* Not-a-knot cubic spline: the first two and the last two pieces are each one
 * cubic. Two points give their straight line, three their parabola. */
CURVEFIT_API double CSPLNSMPL(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* Akima's cubic spline (4 points or more). */
CURVEFIT_API double CSPLNAKM(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* Shape-preserving cubic spline (3 points or more): straight where the data are
 * straight, convex or concave where they are, with breakpoints inserted where
 * the curvature must end inside an interval. The second derivatives at the
 * points are found by Newton's method (at most 25 steps) from the unclipped
 * natural spline, with a line search on the convex function whose gradient the
 * equations are; it stops when the steps reach rounding level relative to the
 * largest second derivative (or 1, whichever is larger). */
CURVEFIT_API double CSPLNCON(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* Cubic spline with zero first derivative at both ends. */
CURVEFIT_API double CSPLNNAT(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* Hermite cubic spline with estimated slopes: chord slopes at the ends, 0 at a
 * strict local extremum, else the slope of the chord over the two neighbours. */
CURVEFIT_API double CSPLNHER(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* Smoothing spline with unit weights and smoothing parameter 0, i.e. the natural
 * cubic spline through the points (second derivative 0 at both ends). */
CURVEFIT_API double CSPLNSMTH(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* Smoothing spline whose parameter is chosen by generalized cross-validation
 * (3 points or more). With three points the score is the same for every
 * parameter and the fit returned is one member of the family. */
CURVEFIT_API double CSPLNSMTHCV(int32_t NDATA, const double *XDATA, const double *FDATA, double X);

/* The method chosen by ITYPE, with the fewest points it takes:
 *   1        not-a-knot cubic spline (CSPLNSMPL)                       2
 *   2        Akima's spline (CSPLNAKM)                                 4
 *   3        shape-preserving spline (CSPLNCON)                        4
 *   4 - 8    B-spline interpolation of order k = ITYPE - 2             k
 *   9        cross-validated smoothing spline (CSPLNSMTHCV)            4
 *   10 - 12  least-squares B-spline of order k = ITYPE - 8 with
 *            (NDATA - 1) / 4 + k coefficients                          4
 *   13 - 15  least-squares B-spline of order k = ITYPE - 11 with free
 *            interior knots, (NDATA - 1) / 8 + k coefficients
 *            (k + 1 up to 8 points)                                    k + 1
 * B-spline end knots are the first abscissa and the last moved out by 100 ulps.
 *
 * Free knots (13 - 15). The (NDATA - 1) / 8 interior knots (1 up to 8 points)
 * start at the abscissas that split the sorted points into equal groups. They
 * then move by Gauss-Newton steps on the residual sum of squares, the
 * coefficients being the linear least-squares fit for the knots: moving a knot
 * by d changes the spline, up to the spline space, by a jump of -J d in its
 * (k-2)-th derivative there, J being the jump of its (k-1)-th derivative, so the
 * step of every knot at once is -gamma / J, gamma the jump of the (k-2)-th
 * derivative of the least-squares fit on the knots doubled. A knot moves at most
 * half way to a neighbour; a step is halved (up to 20 times) until the knots stay
 * admissible and the sum of squares falls. Admissible knots are increasing,
 * strictly inside the data, leave at least one point in every knot interval and
 * meet the Schoenberg-Whitney condition, so every fit is unique. The search
 * stops after 50 steps, when a step no longer lowers the sum of squares by a
 * relative 1e-10, or when the data are matched; the sum of squares never rises
 * above that of the starting knots. */
CURVEFIT_API double ARBSPLNSMTH(int32_t ITYPE, int32_t NDATA, const double *XDATA,
                                const double *FDATA, double X);

/* The printed form (message and traceback) of the FATAL or TERMINAL error that
 * made this thread's last export call return NaN, or "" when that call
 * succeeded. Valid until the thread's next call of an export. */
CURVEFIT_API const char *CURVEFIT_LASTERROR(void);

#ifdef __cplusplus
}
#endif

#endif
