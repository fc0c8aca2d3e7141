/* fieldconv: the response of the Kav instrument over a homogeneous half-space and
 * its inversion to apparent conductivity. Plain C functions of doubles; every
 * physical quantity is SI.
 *
 * Arguments shared by the functions:
 *   M      transmitter moment per ampere of transmitter current, m² (turns × loop
 *          area: nt · π · rt² for nt turns of radius rt)
 *   f      frequency, Hz
 *   M1, M2 moments (turns × area) of receivers 1 and 2 at this frequency, m²
 *   r1, r2 transmitter-receiver separations of receivers 1 and 2, m
 *   V      measured value of the compensated EMF per ampere of transmitter current
 *          (receiver 2 minus receiver 1, less the same difference in free space), in
 *          the unit of the selected component: V/A, or degrees for the phase
 *   mode   component of V: 0 amplitude |E|, 1 real part, 2 imaginary part,
 *          3 phase in degrees, [0, 360)
 *   tol    absolute tolerance of the root search, in the unit of the component
 *          (the workbench passes 1e-10); must be positive and finite
 * Conductivities are returned in S/m.
 *
 * Behaviour this library decides where the model leaves it open:
 *   - Errors. A FATAL or TERMINAL error of the numerical routines (a mode outside
 *     its range, a tolerance that is not positive, a numerical derivative that does
 *     not converge, a missing argument of GETSIGMA2) makes the function return a
 *     quiet NaN (GETSIGMA2 stores it in sigma1 and sigma2). The error is printed to
 *     standard error with its traceback and kept for FIELDCONV_LASTERROR. Warnings
 *     are printed only. The library never ends the calling process.
 *   - Modes: GETSIGMA and GETSIGMA2 take 0 to 3, GETSIGMALF 0 to 2; any other mode
 *     is a TERMINAL error (quiet NaN).
 *   - Clamping. Values beyond an extremum of the response give the conductivity of
 *     that extremum, and values below the response at 1e-5 S/m give 1e-5 S/m. Where
 *     a root is to be found on a branch that does not reach the value (the response
 *     minus V has one sign at both ends of the branch) the end of the branch nearer
 *     to V in value is returned instead of an iterate that left the branch.
 *   - A negative amplitude (mode 0, V < 0) gives 1e-5 S/m in GETSIGMA and in both
 *     results of GETSIGMA2: it lies below the response of any half-space.
 *   - The slope of the amplitude for the extremum scan is NUMDERIV's estimate with a
 *     step of 0.5 S/m, and of σ/8 below 2 S/m: |E| is even in σ with a corner at 0,
 *     and samples reaching across it keep the estimate from converging at high
 *     frequency.
 *   - When the slope of the component keeps its sign over the whole scan grid
 *     (0.001 to 1000 S/m) the extremum is taken at 1000 S/m, unrefined; values
 *     beyond the response there clamp to 1000 S/m.
 *   - GETSIGMALF mode 2 with V of the opposite sign to the σ^1.5 term has no
 *     solution: quiet NaN, without an error message.
 *   - A diagnostic record of each amplitude evaluation exists for the library's
 *     own tools; it is off and costs nothing here.
 *   - State (the extremum records of GETSIGMA and GETSIGMA2, the scan memory, the
 *     error stack) is per thread: the functions may run on several threads at once,
 *     and each thread sees the sequential behaviour, including record fields that a
 *     call of another mode does not refill. The extremum scan depends only on
 *     M, f, M1, M2, r1, r2, tol and mode; the last scan of each mode is reused when
 *     these are bit-identical, with the same results as scanning again.
 *   - The decorated export names (_GETPPM@56 and the like) are not provided: ELF
 *     toolchains read '@' in a symbol name as a version tag, so no linker can define
 *     such a symbol and dlsym cannot find one. Bind the plain names.
 */
#ifndef FIELDCONV_H
#define FIELDCONV_H

#include <stdint.h>

#if defined(__GNUC__)
#define FIELDCONV_API __attribute__((visibility("default")))
#else
#define FIELDCONV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* V in parts per million of the primary EMF of receiver 2: 1e6 · V / |ε(M2, r2)|,
 * with ε taken at 1e-10 S/m (the free-space EMF to within rounding). M1 and r1 are
 * accepted and not used. r2 = 0 or M2 = 0 gives the floating-point quotient. */
FIELDCONV_API double GETPPM(double M, double f, double M1, double M2, double r1, double r2,
                            double V);

/* Apparent conductivity (S/m) of the half-space whose component `mode` equals V.
 * Positive amplitudes and real parts, negative imaginary parts and all phases are
 * sought on the first branch, from 1e-5 S/m up to the first extremum met with
 * increasing σ; a real part ≤ 0 on the branch after the real part's maximum, an
 * imaginary part ≥ 0 on the branch after the imaginary part's minimum. A call costs
 * a few microseconds once the extremum scan of its arguments is remembered; phase
 * inversions are slower (false position on the phase often runs to its cap of
 * 10,000 iterations, about a millisecond). */
FIELDCONV_API double GETSIGMA(double M, double f, double M1, double M2, double r1, double r2,
                              double V, double tol, int32_t mode);

/* Both conductivities of the value: sigma1 on the first branch, sigma2 on the one
 * after the first extremum (for the amplitude the falling branch up to 1e5 S/m).
 * Values beyond an extremum give its conductivity in both. All arguments by pointer;
 * sigma1 and sigma2 are written. Mode 3 leaves them unchanged unless V is below the
 * phase at 1e-5 S/m (both are then 1e-5). A null argument is a TERMINAL error. */
FIELDCONV_API void GETSIGMA2(const double *M, const double *f, const double *M1, const double *M2,
                             const double *r1, const double *r2, const double *V, const double *tol,
                             const int32_t *mode, double *sigma1, double *sigma2);

/* Apparent conductivity (S/m) from the low-frequency expansion, in closed form:
 * mode 1 inverts the real part's term linear in σ, mode 2 the σ^1.5 term, mode 0 the
 * amplitude of the two. The transmitter is nt turns of radius rt (m). A zero
 * coefficient (M1 = M2, or M2/r2 = M1/r1 in mode 1) gives the floating-point quotient. */
FIELDCONV_API double GETSIGMALF(double rt, int32_t nt, double f, double M1, double M2, double r1,
                                double r2, double V, int32_t mode);

/* The printed form (message and traceback) of the FATAL or TERMINAL error of the
 * calling thread's last call, or "" when it had none. Valid until the thread's next
 * call into the library. */
FIELDCONV_API const char *FIELDCONV_LASTERROR(void);

#ifdef __cplusplus
}
#endif

#endif /* FIELDCONV_H */
