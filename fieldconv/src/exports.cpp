// The C exports of libfieldconv: each starts a fresh call on the thread's error
// stack and turns a FATAL or TERMINAL error into a quiet NaN.

#include "fieldconv.h"
#include "fieldconv_internal.h"
#include "private.h"

#include "numerr/errstack.h"

#include <limits>

namespace {

constexpr double kQuietNaN = std::numeric_limits<double>::quiet_NaN();

double Checked(double result) {
    return numerr::CallFailed() ? kQuietNaN : result;
}

} // namespace

extern "C" {

double GETPPM(double M, double f, double, double M2, double, double r2, double V) {
    numerr::BeginCall();
    numerr::Routine routine("GETPPM");
    return Checked(fieldconv::PrimaryPpm(M, f, M2, r2, V));
}

double GETSIGMA(double M, double f, double M1, double M2, double r1, double r2, double V,
                double tol, int32_t mode) {
    numerr::BeginCall();
    return Checked(fieldconv::GetSigma(M, f, M1, M2, r1, r2, V, tol, mode));
}

void GETSIGMA2(const double *M, const double *f, const double *M1, const double *M2,
               const double *r1, const double *r2, const double *V, const double *tol,
               const int32_t *mode, double *sigma1, double *sigma2) {
    numerr::BeginCall();
    const void *arguments[] = {M, f, M1, M2, r1, r2, V, tol, mode, sigma1, sigma2};
    const char *names[] = {"M", "f",   "M1",   "M2",     "r1",    "r2",
                           "V", "tol", "mode", "sigma1", "sigma2"};
    for (int i = 0; i < 11; ++i) {
        if (arguments[i] == nullptr) {
            numerr::Routine routine("GETSIGMA2");
            fieldconv::Raise(numerr::TERMINAL, 2, "The argument %(L1) is not given.",
                             fieldconv::TextField(names[i]));
            if (sigma1) *sigma1 = kQuietNaN;
            if (sigma2) *sigma2 = kQuietNaN;
            return;
        }
    }
    // Everything is read before anything is written, so outputs may alias inputs.
    double s1 = *sigma1;
    double s2 = *sigma2;
    fieldconv::GetSigma2(*M, *f, *M1, *M2, *r1, *r2, *V, *tol, *mode, s1, s2);
    if (numerr::CallFailed()) s1 = s2 = kQuietNaN;
    *sigma1 = s1;
    *sigma2 = s2;
}

double GETSIGMALF(double rt, int32_t nt, double f, double M1, double M2, double r1, double r2,
                  double V, int32_t mode) {
    numerr::BeginCall();
    return Checked(fieldconv::GetSigmaLowFrequency(rt, nt, f, M1, M2, r1, r2, V, mode));
}

const char *FIELDCONV_LASTERROR(void) {
    return numerr::LastFatalMessage().c_str();
}

} // extern "C"
