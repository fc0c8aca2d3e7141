// The routines behind libfieldconv's C exports, for tests, tools and benchmarks that
// link fieldconv_core: the half-space response of the instrument, its inversion to
// apparent conductivity and the numerical derivative. Units are SI throughout.
//
// Everything here uses the calling thread's library state (extremum records, the
// block read by GET_ABSEMF_PP, the scan memory, the error stack).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace fieldconv {

struct Complex {
    double re = 0;
    double im = 0;
};

// ---- Half-space response -------------------------------------------------------
// M transmitter moment per ampere (m²), f frequency (Hz), Mr, M1, M2 receiver moments
// (m²), r, r1, r2 transmitter-receiver separations (m), sigma conductivity (S/m).

// Normalised vertical field at distance r: M / (4π r³) in free space.
Complex GETHZ(double M, double f, double r, double sigma);
// EMF per ampere of one receiver coil of moment Mr at distance r (V/A).
Complex GETCOILEMF(double M, double f, double Mr, double r, double sigma);
// Free-space difference of the two receivers, receiver 2 minus receiver 1.
Complex GETEMF0_PP(double M, double f, double M1, double M2, double r1, double r2);
// Compensated EMF E(sigma): the receiver difference less its free-space value.
Complex GETEMF_PP(double M, double f, double M1, double M2, double r1, double r2, double sigma);
// Analytic dE/dsigma (V/A per S/m).
Complex GETDEMFPP(double M, double f, double M1, double M2, double r1, double r2, double sigma);
// |E(sigma)| for the instrument held in the block set by SetAbsEmfBlock (or by
// GETDABSEMFPP); the function NUMDERIV differentiates.
double GET_ABSEMF_PP(double sigma);
void SetAbsEmfBlock(double M, double f, double M1, double M2, double r1, double r2);
// Component of z: mode 0 modulus, 1 real part, 2 imaginary part, 3 phase in degrees;
// any other mode gives a quiet NaN.
double GETCOMPONENT(Complex z, int mode);
// Phase of z in degrees, in [0, 360); 0 for 0 + 0i.
double GETPHASE(Complex z);
// 1e6 · V / |EMF of receiver 2 over a nearly free half-space|; M1 and r1 unused.
double PrimaryPpm(double M, double f, double M2, double r2, double V);

// Receives one text line per GET_ABSEMF_PP evaluation ("GET_ABSEMF_PP sigma=... abs=...");
// an empty function switches the record off again (the default). While a sink is set
// the extremum scans are not reused, so the record lists every evaluation.
void SetAbsEmfTrace(std::function<void(const std::string &)> sink);

// ---- Inversion -------------------------------------------------------------------

constexpr double kSigmaLo = 1e-5; // S/m, lowest conductivity returned
constexpr double kSigmaHi = 1e5;  // S/m, end of the second amplitude branch
constexpr int kGridSize = 55;
constexpr int kRootIterationCap = 10000;

// The conductivity grid of the extremum scan, 0.001 to 1000 S/m.
const double *ConductivityGrid();

// Conductivities (S/m) and component values of the two extrema of the response.
struct ExtremumRecord {
    double sigmaMax = 0;
    double cMax = 0;
    double sigmaMin = 0;
    double cMin = 0;
};

// The records kept for GETSIGMA and for GETSIGMA2; fields a call does not fill keep
// their contents.
ExtremumRecord &SigmaRecord();
ExtremumRecord &Sigma2Record();

// Locates the extrema of component `mode` (0..3) and fills `record` as that mode does.
void GETPOINTS1F_PP(double M, double f, double M1, double M2, double r1, double r2, double tol,
                    int mode, ExtremumRecord &record);
// False position on [sigmaA, sigmaB] for objective − target = 0, kind 0 the component,
// kind 1 its slope; returns the last iterate (no bracketing check).
double GETROOT(double M, double f, double M1, double M2, double r1, double r2, double sigmaA,
               double sigmaB, double target, double tol, int kind, int mode);
// d|E|/dsigma by NUMDERIV with tolerance 0.01 and step 0.5 S/m, or sigma/8 below
// 2 S/m, where 0.5 S/m would sample across the corner of |E| at sigma = 0.
double GETDABSEMFPP(double M, double f, double M1, double M2, double r1, double r2, double sigma);

// The inversions behind the exports (same arguments, same state, no BeginCall).
double GetSigma(double M, double f, double M1, double M2, double r1, double r2, double V,
                double tol, int mode);
void GetSigma2(double M, double f, double M1, double M2, double r1, double r2, double V, double tol,
               int mode, double &sigma1, double &sigma2);
double GetSigmaLowFrequency(double rt, int nt, double f, double M1, double M2, double r1, double r2,
                            double V, int mode);

// Whether GETPOINTS1F_PP reuses the last scan of a mode when its arguments are
// bit-identical (on by default). The reuse gives the same bits as scanning again.
void SetScanReuse(bool enabled);

// Work done on this thread since ResetWork(), for benchmarks.
struct Work {
    std::int64_t emfEvaluations = 0;  // GETEMF_PP
    std::int64_t demfEvaluations = 0; // GETDEMFPP
    std::int64_t rootSearches = 0;
    std::int64_t rootIterations = 0;
    std::int64_t scans = 0;
    std::int64_t scansReused = 0;
};
const Work &WorkDone();
void ResetWork();

// ---- Numerical derivative ----------------------------------------------------------

// Estimate of the k-th derivative (k = 1, 2, 3) of F at X, sampling F at X + 4·h0·t with
// steps halving from level to level until two estimates agree to TOL. Bad arguments
// and failure are reported through the error stack; the result is then a quiet NaN.
double NUMDERIV(double (*F)(double), int k, double X, double h0, double TOL);

// The weights of level n for order k over the offsets t ≥ 0 in units of 1/256; the
// weight of −t is the same (even k) or its negative (odd k).
struct DerivativeLevel {
    int count = 0;
    const int *offsets = nullptr; // t · 256, increasing
    const double *weights = nullptr;
};
DerivativeLevel DerivativeWeights(int k, int n);

} // namespace fieldconv
