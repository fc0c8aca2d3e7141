// Inversion of one measured component to the apparent conductivity of the half-space
// with that response. The response is not monotonic in conductivity, so the extrema of
// the component are located on a fixed grid first, and the root is then searched on
// the branch the sign and size of the value select.

#include "complex_math.h"
#include "fieldconv_internal.h"
#include "private.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace fieldconv {

namespace {

constexpr double kQuietNaN = std::numeric_limits<double>::quiet_NaN();
// Step (S/m) and tolerance of the numerical slope of the amplitude.
constexpr double kSlopeStep = 0.5;
constexpr double kSlopeTolerance = 0.01;

// 0.001, 0.002, … 0.010, 0.02, … 1000 S/m by repeated addition, the step growing
// tenfold before entries 10, 19, 28, 37 and 46.
constexpr std::array<double, kGridSize> BuildGrid() {
    std::array<double, kGridSize> grid{};
    grid[0] = 0.001;
    double step = 0.001;
    for (int i = 1; i < kGridSize; ++i) {
        if (i == 10 || i == 19 || i == 28 || i == 37 || i == 46) step *= 10;
        grid[i] = grid[i - 1] + step;
    }
    return grid;
}
constexpr std::array<double, kGridSize> kGrid = BuildGrid();

struct Instrument {
    double M, f, M1, M2, r1, r2;
};

// Scan results remembered per mode, keyed by the bits of everything the scan reads.
struct ScanKey {
    std::array<std::uint64_t, 7> bits{};
    bool operator==(const ScanKey &) const = default;
};
struct ScanMemory {
    bool valid = false;
    ScanKey key;
    ExtremumRecord found;
};

struct State {
    ExtremumRecord sigmaRecord;
    ExtremumRecord sigma2Record;
    std::array<ScanMemory, 4> memory;
    bool reuse = true;
    Work work;
};
thread_local State tState;

// Adds the work of one routine call to the thread's tally when it ends.
class Tally {
public:
    Tally() = default;
    Tally(const Tally &) = delete;
    Tally &operator=(const Tally &) = delete;
    ~Tally() {
        Work &total = tState.work;
        total.emfEvaluations += work.emfEvaluations;
        total.demfEvaluations += work.demfEvaluations;
        total.rootSearches += work.rootSearches;
        total.rootIterations += work.rootIterations;
        total.scans += work.scans;
        total.scansReused += work.scansReused;
    }
    Work work;
};

// d|E|/dsigma by NUMDERIV over GET_ABSEMF_PP; counts the model evaluations.
// |E| is even in sigma with a corner at 0, so samples reaching across 0 (within
// 4 · 0.5 S/m of it) measure the corner rather than the slope, and at high frequency
// the levels then never agree. Below 2 S/m the step is sigma / 8 instead, keeping
// the samples within [sigma/2, 3·sigma/2].
double AmplitudeSlope(const Instrument &in, double sigma, Work &work) {
    numerr::Routine routine("GETDABSEMFPP");
    SetAbsEmfBlock(in.M, in.f, in.M1, in.M2, in.r1, in.r2);
    const double step = sigma > 0 && sigma <= 4 * kSlopeStep ? sigma / 8 : kSlopeStep;
    int evaluations = 0;
    const double slope = NumDeriv(GET_ABSEMF_PP, 1, sigma, step, kSlopeTolerance, evaluations);
    work.emfEvaluations += evaluations;
    return slope;
}

// The component of one mode (kind 0) and its slope in conductivity (kind 1).
class Objective {
public:
    Objective(const Instrument &in, int mode, Work &work) : in_(in), mode_(mode), work_(work) {}

    double Value(double sigma) const {
        ++work_.emfEvaluations;
        return GETCOMPONENT(GETEMF_PP(in_.M, in_.f, in_.M1, in_.M2, in_.r1, in_.r2, sigma), mode_);
    }
    double Slope(double sigma) const {
        if (mode_ == 0) return AmplitudeSlope(in_, sigma, work_);
        ++work_.demfEvaluations;
        return GETCOMPONENT(GETDEMFPP(in_.M, in_.f, in_.M1, in_.M2, in_.r1, in_.r2, sigma), mode_);
    }
    double Of(int kind, double sigma) const { return kind == 1 ? Slope(sigma) : Value(sigma); }

private:
    Instrument in_;
    int mode_;
    Work &work_;
};

// False position on [a, b] for objective(σ) − target = 0, with fa and fb the values
// at the ends. Each new point is evaluated once; the search stops when |F| ≤ tol or
// after the iteration cap, returning the last iterate.
template <class F>
double FalsePosition(const F &objective, double a, double b, double fa, double fb, double target,
                     double tol, Work &work) {
    numerr::Routine routine("GETROOT");
    if (!(tol > 0) || !std::isfinite(tol)) {
        Raise(numerr::TERMINAL, 1,
              "The tolerance desired TOL = %(D1).  It must be a finite number greater than zero.",
              RealFields(tol));
        return kQuietNaN;
    }
    ++work.rootSearches;
    double s = a;
    double e = 10 * tol;
    int i = 0;
    while (e > tol) {
        ++i;
        s = a - (b - a) * fa / (fb - fa);
        const double fs = objective(s) - target;
        if (fa * fs < 0) {
            b = s;
            fb = fs;
        } else {
            a = s;
            fa = fs;
        }
        e = std::fabs(fs);
        if (i >= kRootIterationCap) break;
    }
    work.rootIterations += i;
    return s;
}

// Root of component = V on the branch [x, y]. A value the branch does not reach (the
// component minus V has one sign at both ends) lies beyond the end nearer to it in
// value, and that end is returned: false position without a sign change would wander
// off the branch.
double RootOnBranch(const Objective &objective, double x, double y, double V, double tol,
                    Work &work) {
    const double fx = objective.Value(x) - V;
    const double fy = objective.Value(y) - V;
    if ((fx > 0 && fy > 0) || (fx < 0 && fy < 0)) return std::fabs(fx) <= std::fabs(fy) ? x : y;
    return FalsePosition([&](double s) { return objective.Value(s); }, x, y, fx, fy, V, tol, work);
}

struct Turn {
    double sigma;
    double value;
    int interval; // grid interval of the sign change; the last grid index when none
};

// Slopes of the component on the grid, each computed once as the scan moves up.
class GridSlopes {
public:
    explicit GridSlopes(const Objective &objective) : objective_(objective) {}
    double At(int j) {
        for (; count_ <= j; ++count_)
            slopes_[count_] = objective_.Slope(kGrid[count_]);
        return slopes_[j];
    }

private:
    const Objective &objective_;
    std::array<double, kGridSize> slopes_;
    int count_ = 0;
};

// The first extremum from grid interval `from` up: the first sign change of the slope,
// refined by false position. When the slope keeps its sign to the end of the grid the
// extremum is taken at the grid's last point, 1000 S/m, without refinement. A slope
// that failed ends the scan.
Turn NextTurn(const Objective &objective, GridSlopes &slopes, int from, double tol,
              const FailureWatch &failure, Work &work) {
    for (int j = from; j + 1 < kGridSize; ++j) {
        const double dj = slopes.At(j);
        const double dk = slopes.At(j + 1);
        if (failure.Failed()) return {kQuietNaN, kQuietNaN, kGridSize - 1};
        if (dj * dk <= 0) {
            const double sigma = FalsePosition([&](double s) { return objective.Slope(s); },
                                               kGrid[j], kGrid[j + 1], dj, dk, 0.0, tol, work);
            return {sigma, objective.Value(sigma), j};
        }
    }
    const double end = kGrid[kGridSize - 1];
    return {end, objective.Value(end), kGridSize - 1};
}

// The extrema of one mode, all four fields; Apply copies those the mode fills.
ExtremumRecord Scan(const Instrument &in, double tol, int mode, const FailureWatch &failure,
                    Work &work) {
    const Objective objective(in, mode, work);
    ExtremumRecord found{kGrid[0], 0, kGrid[0], 0};
    if (mode == 3) {
        // The phase falls to a minimum, taken on the grid without refinement.
        int j = 0;
        double p = objective.Value(kGrid[0]);
        for (; j <= 52; ++j) {
            const double next = objective.Value(kGrid[j + 1]);
            if (p < next) break;
            p = next;
        }
        found.sigmaMin = kGrid[j];
        found.cMin = p;
        return found;
    }
    GridSlopes slopes(objective);
    const Turn first = NextTurn(objective, slopes, 0, tol, failure, work);
    found.sigmaMax = first.sigma;
    found.cMax = first.value;
    if (mode == 0 || failure.Failed()) return found;
    const Turn second = NextTurn(objective, slopes, first.interval + 1, tol, failure, work);
    // With increasing conductivity the real part meets its maximum first, the
    // imaginary part its minimum.
    if (mode == 1) {
        found.sigmaMin = second.sigma;
        found.cMin = second.value;
    } else {
        found.sigmaMin = first.sigma;
        found.cMin = first.value;
        found.sigmaMax = second.sigma;
        found.cMax = second.value;
    }
    return found;
}

void Apply(int mode, const ExtremumRecord &found, ExtremumRecord &record) {
    switch (mode) {
    case 0:
        record.sigmaMax = found.sigmaMax;
        record.cMax = found.cMax;
        record.sigmaMin = kGrid[0];
        break;
    case 3:
        record.sigmaMax = kGrid[0];
        record.sigmaMin = found.sigmaMin;
        record.cMin = found.cMin;
        break;
    default:
        record = found;
    }
}

ScanKey KeyOf(const Instrument &in, double tol) {
    return {{std::bit_cast<std::uint64_t>(in.M), std::bit_cast<std::uint64_t>(in.f),
             std::bit_cast<std::uint64_t>(in.M1), std::bit_cast<std::uint64_t>(in.M2),
             std::bit_cast<std::uint64_t>(in.r1), std::bit_cast<std::uint64_t>(in.r2),
             std::bit_cast<std::uint64_t>(tol)}};
}

// GETPOINTS1F_PP: the scan depends only on the instrument, tol and mode, so the last
// scan of each mode is kept and applied again for bit-identical arguments. A scan that
// reported anything is not kept, so a repeat reports it again; nor is one made while
// the GET_ABSEMF_PP trace is on, so the trace shows every evaluation.
void ScanExtrema(const Instrument &in, double tol, int mode, ExtremumRecord &record, Work &work) {
    if (mode < 0 || mode > 3) return;
    numerr::Routine routine("GETPOINTS1F_PP");
    State &state = tState;
    ScanMemory &memory = state.memory[mode];
    const ScanKey key = KeyOf(in, tol);
    const bool reusable = state.reuse && !AbsEmfTraceOn();
    if (reusable && memory.valid && memory.key == key) {
        ++work.scansReused;
        Apply(mode, memory.found, record);
        return;
    }
    const std::uint64_t reportsBefore = ReportsRaised();
    const FailureWatch failure;
    const ExtremumRecord found = Scan(in, tol, mode, failure, work);
    ++work.scans;
    Apply(mode, found, record);
    memory.valid = reusable && ReportsRaised() == reportsBefore;
    memory.key = key;
    memory.found = found;
}

bool ModeInRange(int mode, int highest) {
    if (mode >= 0 && mode <= highest) return true;
    Raise(numerr::TERMINAL, 1,
          highest == 3 ? "The component mode MODE = %(I1).  It must be 0, 1, 2 or 3."
                       : "The component mode MODE = %(I1).  It must be 0, 1 or 2.",
          IntField(mode));
    return false;
}

double SigmaOf(const Instrument &in, double V, double tol, int mode, Work &work) {
    const FailureWatch failure;
    ScanExtrema(in, tol, mode, tState.sigmaRecord, work);
    if (failure.Failed()) return kQuietNaN;
    const ExtremumRecord &r = tState.sigmaRecord;
    const Objective objective(in, mode, work);
    const double c0 = objective.Value(kSigmaLo);
    if (mode != 3 && std::fabs(V) < c0) return kSigmaLo;
    auto root = [&](double x, double y) { return RootOnBranch(objective, x, y, V, tol, work); };
    switch (mode) {
    case 0:
        // An amplitude is never negative; one below the response at sigma_lo maps there.
        if (V < 0) return kSigmaLo;
        if (V > r.cMax) return r.sigmaMax;
        return root(kSigmaLo, r.sigmaMax);
    case 1:
        if (V > 0) return V > r.cMax ? r.sigmaMax : root(kSigmaLo, r.sigmaMax);
        return V < r.cMin ? r.sigmaMin : root(r.sigmaMax, r.sigmaMin);
    case 2:
        if (V >= 0) return V > r.cMax ? r.sigmaMax : root(r.sigmaMin, r.sigmaMax);
        return V < r.cMin ? r.sigmaMin : root(kSigmaLo, r.sigmaMin);
    default:
        return V < r.cMin ? r.sigmaMin : root(kSigmaLo, r.sigmaMin);
    }
}

void BothSigmas(const Instrument &in, double V, double tol, int mode, double &sigma1,
                double &sigma2, Work &work) {
    const FailureWatch failure;
    auto both = [&](double sigma) { sigma1 = sigma2 = sigma; };
    ScanExtrema(in, tol, mode, tState.sigma2Record, work);
    if (failure.Failed()) return both(kQuietNaN);
    const ExtremumRecord &r = tState.sigma2Record;
    const Objective objective(in, mode, work);
    const double c0 = objective.Value(kSigmaLo);
    auto roots = [&](double x, double y, double z) {
        sigma1 = RootOnBranch(objective, x, y, V, tol, work);
        if (failure.Failed()) return both(kQuietNaN);
        sigma2 = RootOnBranch(objective, y, z, V, tol, work);
    };
    if (std::fabs(V) < c0) return both(kSigmaLo);
    switch (mode) {
    case 0:
        if (V < 0) return both(kSigmaLo);
        if (V > r.cMax) return both(r.sigmaMax);
        return roots(kSigmaLo, r.sigmaMax, kSigmaHi);
    case 1:
        if (V > r.cMax) return both(r.sigmaMax);
        if (V < r.cMin) return both(r.sigmaMin);
        return roots(kSigmaLo, r.sigmaMax, r.sigmaMin);
    case 2:
        if (V < r.cMin) return both(r.sigmaMin);
        if (V > r.cMax) return both(r.sigmaMax);
        return roots(kSigmaLo, r.sigmaMin, r.sigmaMax);
    default:
        return; // the phase has one branch: sigma1 and sigma2 stay as they were
    }
}

} // namespace

const double *ConductivityGrid() {
    return kGrid.data();
}

ExtremumRecord &SigmaRecord() {
    return tState.sigmaRecord;
}
ExtremumRecord &Sigma2Record() {
    return tState.sigma2Record;
}

void SetScanReuse(bool enabled) {
    tState.reuse = enabled;
}

const Work &WorkDone() {
    return tState.work;
}
void ResetWork() {
    tState.work = {};
}

double GETDABSEMFPP(double M, double f, double M1, double M2, double r1, double r2, double sigma) {
    Tally tally;
    return AmplitudeSlope({M, f, M1, M2, r1, r2}, sigma, tally.work);
}

void GETPOINTS1F_PP(double M, double f, double M1, double M2, double r1, double r2, double tol,
                    int mode, ExtremumRecord &record) {
    Tally tally;
    ScanExtrema({M, f, M1, M2, r1, r2}, tol, mode, record, tally.work);
}

double GETROOT(double M, double f, double M1, double M2, double r1, double r2, double sigmaA,
               double sigmaB, double target, double tol, int kind, int mode) {
    Tally tally;
    const Objective objective({M, f, M1, M2, r1, r2}, mode, tally.work);
    auto F = [&](double s) { return objective.Of(kind, s); };
    return FalsePosition(F, sigmaA, sigmaB, F(sigmaA) - target, F(sigmaB) - target, target, tol,
                         tally.work);
}

double GetSigma(double M, double f, double M1, double M2, double r1, double r2, double V,
                double tol, int mode) {
    numerr::Routine routine("GETSIGMA");
    if (!ModeInRange(mode, 3)) return kQuietNaN;
    Tally tally;
    return SigmaOf({M, f, M1, M2, r1, r2}, V, tol, mode, tally.work);
}

void GetSigma2(double M, double f, double M1, double M2, double r1, double r2, double V, double tol,
               int mode, double &sigma1, double &sigma2) {
    numerr::Routine routine("GETSIGMA2");
    if (!ModeInRange(mode, 3)) {
        sigma1 = sigma2 = kQuietNaN;
        return;
    }
    Tally tally;
    BothSigmas({M, f, M1, M2, r1, r2}, V, tol, mode, sigma1, sigma2, tally.work);
}

double GetSigmaLowFrequency(double rt, int nt, double f, double M1, double M2, double r1, double r2,
                            double V, int mode) {
    numerr::Routine routine("GETSIGMALF");
    if (!ModeInRange(mode, 2)) return kQuietNaN;
    constexpr double kTwoPi = 6.283185307179586;
    constexpr double kMu0Squared = 1.5791367041742973e-12;
    constexpr double kMu0Pow25 = 1.7702094712777022e-15;
    constexpr double kFifteenRootTwo = 21.213203435596427;
    const double omega = kTwoPi * f;
    const double A = nt * (rt * rt);
    // Leading terms of the real part in the low induction number: P·σ + R·σ^1.5; the
    // imaginary part starts with R·σ^1.5.
    const double P = omega * omega * kMu0Squared * A * 0.0625 * (M2 / r2 - M1 / r1);
    const double Q = std::pow(omega, 2.5) * kMu0Pow25 * A / kFifteenRootTwo;
    const double R = -(M2 - M1) * Q;
    switch (mode) {
    case 1:
        return V / P;
    case 2: {
        const double ratio = V / R;
        if (ratio < 0) return kQuietNaN; // no conductivity gives this sign
        return std::pow(ratio, 0.6666666666666666);
    }
    default: {
        // σ with √((P·σ)² + (R·σ^1.5)²) = V: the cubic σ³ + a²σ² − b² = 0 by Cardano.
        const double a = P / R;
        const double b = V / R;
        const double a2 = a * a;
        const double a4 = a2 * a2;
        const double a6 = a4 * a2;
        const double p = -a4 / 3;
        const double q = 2 * a6 / 27 - b * b;
        const double delta = (p / 3) * (p / 3) * (p / 3) + (q / 2) * (q / 2);
        const Complex s = Sqrt({delta, 0});
        const Complex u = Pow({-q / 2 + s.re, s.im}, 1.0 / 3.0);
        const Complex v = Pow({-q / 2 - s.re, -s.im}, 1.0 / 3.0);
        return u.re + v.re - a2 / 3;
    }
    }
}

} // namespace fieldconv
