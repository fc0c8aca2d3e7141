// The inversion to apparent conductivity through the C exports: round trips through the
// forward model, the extrema, clamping, both branches, the low-frequency closed forms,
// the per-thread records and their reuse, and errors as a caller sees them.

#include "fieldconv.h"
#include "numerr/errstack.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

namespace fieldconv::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class Inversion : public ::testing::Test {
protected:
    void SetUp() override {
        numerr::SetPrintSink([this](const std::string &text) { printed += text; });
        SetScanReuse(true);
    }
    void TearDown() override {
        numerr::SetPrintSink({});
        SetScanReuse(true);
    }
    std::string printed;
};

double Sigma(double V, int mode, double tol = 1e-12, double f = kF) {
    return GETSIGMA(kM, f, kM1, kM2, kR1, kR2, V, tol, mode);
}

ExtremumRecord Extrema(int mode, double tol = 1e-12, double f = kF) {
    ExtremumRecord record;
    GETPOINTS1F_PP(kM, f, kM1, kM2, kR1, kR2, tol, mode, record);
    return record;
}

// dC/dσ of the component from the analytic derivative of E.
double ComponentSlope(double sigma, int mode, double f = kF) {
    const std::complex<double> e = AsStd(E(sigma, f));
    const std::complex<double> de = AsStd(GETDEMFPP(kM, f, kM1, kM2, kR1, kR2, sigma));
    switch (mode) {
    case 0:
        return std::real(std::conj(e) * de) / std::abs(e);
    case 1:
        return de.real();
    case 2:
        return de.imag();
    }
    return std::imag(de / e) * 180 / M_PI;
}

std::string FirstLine(const char *text) {
    const std::string s = text;
    return s.substr(0, s.find('\n'));
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(Inversion, FindsTheAmplitudeMaximumOfTheReferenceInstrument) {
    const ExtremumRecord r = Extrema(0);
    EXPECT_NEAR(r.sigmaMax, 124.338, 5e-4);
    EXPECT_NEAR(r.cMax, 0.0251338, 5e-8);
    EXPECT_EQ(r.cMax, Component(r.sigmaMax, 0));
    // The maximum located independently, by bisection on the analytic slope.
    double lo = 100, hi = 200;
    for (int i = 0; i < 100; ++i)
        (ComponentSlope((lo + hi) / 2, 0) > 0 ? lo : hi) = (lo + hi) / 2;
    EXPECT_NEAR(r.sigmaMax, lo, 1e-6 * lo);
    for (double sigma : {0.02, 0.5})
        EXPECT_NEAR(Sigma(Component(sigma, 0), 0), sigma, 2e-8 * sigma);
    // The real part at 0.05 S/m back to about eight digits.
    EXPECT_NEAR(Sigma(Component(0.05, 1), 1), 0.05, 1e-9);
}

// From σ_lo up to the first extremum met with increasing σ: the amplitude and real
// part rise to their maxima, the imaginary part and the phase fall to their minima.
TEST_F(Inversion, InvertsTheFirstBranchAcrossTheBand) {
    const double tol = 1e-12;
    for (int mode = 0; mode <= 3; ++mode) {
        for (double f : kBand) {
            const ExtremumRecord r = Extrema(mode, tol, f);
            const double first = mode <= 1 ? r.sigmaMax : r.sigmaMin;
            for (double fraction : {1e-3, 0.03, 0.3, 0.8}) {
                const double sigma = std::max(fraction * first, 1e-4);
                const double found = Sigma(Component(sigma, mode, f), mode, tol, f);
                // The search stops once |C − V| ≤ tol; the phase may reach the
                // iteration cap first.
                double allowed =
                    2 * tol / std::fabs(ComponentSlope(sigma, mode, f)) + 1e-12 * sigma;
                if (mode == 3) allowed = std::max(allowed, 1e-6 * sigma);
                EXPECT_NEAR(found, sigma, allowed) << "mode " << mode << " f " << f;
            }
        }
    }
    EXPECT_EQ(printed, "");
}

TEST_F(Inversion, ClampsBeyondTheExtremaAndBelowSigmaLo) {
    enum Expect { kLo, kMax, kMin };
    struct Case {
        int mode;
        std::function<double(const ExtremumRecord &, double c0)> value;
        Expect expect;
        const char *what;
    };
    const Case cases[] = {
        {0, [](auto &r, double) { return 2 * r.cMax; }, kMax, "amplitude above the maximum"},
        {1, [](auto &r, double) { return 1.5 * r.cMax; }, kMax, "real part above the maximum"},
        {1, [](auto &r, double) { return 1.5 * r.cMin; }, kMin, "real part below the minimum"},
        {2, [](auto &r, double) { return 2 * r.cMax; }, kMax, "imaginary above the maximum"},
        {2, [](auto &r, double) { return 2 * r.cMin; }, kMin, "imaginary below the minimum"},
        {3, [](auto &r, double) { return r.cMin - 1; }, kMin, "phase below the minimum"},
        {0, [](auto &, double c0) { return c0 / 2; }, kLo, "amplitude below sigma_lo's"},
        {1, [](auto &, double c0) { return c0 / 2; }, kLo, "real part below sigma_lo's"},
        {1, [](auto &, double c0) { return -c0 / 2; }, kLo, "small negative real part"},
        {0, [](auto &, double) { return -1e-3; }, kLo, "negative amplitude"},
        // The imaginary part starts negative, so |V| < C0 never holds; a value between
        // C0 and 0 lies before the first branch.
        {2, [](auto &, double c0) { return c0 / 2; }, kLo, "imaginary between C0 and 0"},
        {3, [](auto &, double c0) { return (c0 + 360) / 2; }, kLo, "phase above sigma_lo's"},
    };
    for (const Case &c : cases) {
        const ExtremumRecord r = Extrema(c.mode, 1e-10);
        const double c0 = Component(kSigmaLo, c.mode);
        const double found = Sigma(c.value(r, c0), c.mode, 1e-10);
        const double expected = c.expect == kLo    ? kSigmaLo
                                : c.expect == kMax ? r.sigmaMax
                                                   : r.sigmaMin;
        EXPECT_TRUE(SameBits(found, expected)) << c.what << ": " << found << " vs " << expected;
    }
    // The phase skips the test against C0: 100° is below the phase at σ_lo and
    // still has its root on the first branch.
    const double found = Sigma(100, 3, 1e-10);
    EXPECT_GT(found, 1e-3);
    EXPECT_NEAR(Component(found, 3), 100, 1e-9);
    EXPECT_EQ(printed, "");
}

TEST_F(Inversion, NonFiniteValues) {
    for (int mode = 0; mode <= 3; ++mode)
        EXPECT_TRUE(std::isnan(Sigma(kNaN, mode))) << mode;
    EXPECT_TRUE(SameBits(Sigma(INFINITY, 0), Extrema(0).sigmaMax));
    EXPECT_TRUE(SameBits(Sigma(-INFINITY, 1), Extrema(1).sigmaMin));
}

void Sigma2(double V, int mode, double &s1, double &s2) {
    const double M = kM, f = kF, M1 = kM1, M2 = kM2, r1 = kR1, r2 = kR2, tol = 1e-12;
    const int32_t m = mode;
    GETSIGMA2(&M, &f, &M1, &M2, &r1, &r2, &V, &tol, &m, &s1, &s2);
}

TEST_F(Inversion, GetSigma2FindsBothBranches) {
    struct Case {
        int mode;
        double sigma; // on the first branch
    };
    for (const Case c : {Case{0, 0.5}, Case{1, 0.5}, Case{2, 2.0}}) {
        const ExtremumRecord r = Extrema(c.mode);
        const double V = Component(c.sigma, c.mode);
        double s1 = 0, s2 = 0;
        Sigma2(V, c.mode, s1, s2);
        EXPECT_NEAR(s1, c.sigma, 1e-6 * c.sigma) << c.mode;
        const double turn = c.mode == 2 ? r.sigmaMin : r.sigmaMax;
        const double end = c.mode == 0 ? kSigmaHi : c.mode == 1 ? r.sigmaMin : r.sigmaMax;
        EXPECT_GT(s2, turn) << c.mode;
        EXPECT_LE(s2, end) << c.mode;
        EXPECT_NEAR(Component(s2, c.mode), V, 1e-12) << c.mode; // the root tolerance
    }
    // An amplitude the falling branch does not reach by 1e5 S/m ends there.
    double s1 = 0, s2 = 0;
    Sigma2(Component(kSigmaHi, 0) / 2, 0, s1, s2);
    EXPECT_EQ(s2, kSigmaHi);
    EXPECT_EQ(printed, "");
}

TEST_F(Inversion, GetSigma2LeavesThePhaseResultsAlone) {
    const double c0 = Component(kSigmaLo, 3);
    double s1 = 7, s2 = 8;
    Sigma2((c0 + 360) / 2, 3, s1, s2);
    EXPECT_EQ(s1, 7);
    EXPECT_EQ(s2, 8);
    Sigma2(200, 3, s1, s2); // below the phase at σ_lo
    EXPECT_EQ(s1, kSigmaLo);
    EXPECT_EQ(s2, kSigmaLo);
}

TEST_F(Inversion, BadArgumentsGiveNaNAndAMessage) {
    double s1 = 1, s2 = 2;
    Sigma2(1e-3, 5, s1, s2);
    EXPECT_TRUE(std::isnan(s1) && std::isnan(s2));
    EXPECT_EQ(FirstLine(FIELDCONV_LASTERROR()),
              " *** TERMINAL ERROR 1 from GETSIGMA2.  The component mode MODE = 5.  It must be 0, "
              "1, 2 or 3.");

    const double M = kM, V = 1e-3;
    const int32_t mode = 0;
    s1 = 1;
    GETSIGMA2(&M, &M, &M, &M, &M, &M, &V, nullptr, &mode, &s1, nullptr);
    EXPECT_TRUE(std::isnan(s1));
    EXPECT_EQ(FirstLine(FIELDCONV_LASTERROR()),
              " *** TERMINAL ERROR 2 from GETSIGMA2.  The argument tol is not given.");

    EXPECT_TRUE(std::isnan(Sigma(1e-3, 7)));
    EXPECT_EQ(
        FirstLine(FIELDCONV_LASTERROR()),
        " *** TERMINAL ERROR 1 from GETSIGMA.  The component mode MODE = 7.  It must be 0, 1, "
        "2 or 3.");
    EXPECT_TRUE(std::isnan(GETSIGMALF(0.5, 10, kF, kM1, kM2, kR1, kR2, 1e-6, 3)));
    EXPECT_EQ(FirstLine(FIELDCONV_LASTERROR()),
              " *** TERMINAL ERROR 1 from GETSIGMALF.  The component mode MODE = 3.  It must be 0, "
              "1 or 2.");

    // A tolerance that is not positive stops the root search; the whole message with
    // its traceback is what the caller can show, and what was printed.
    printed.clear();
    EXPECT_TRUE(std::isnan(Sigma(1e-5, 1, 0)));
    const std::string expected =
        " *** TERMINAL ERROR 1 from GETROOT.  The tolerance desired TOL = 0.  It must be a "
        "finite number greater than zero.\n"
        "    Here is a traceback of subprogram calls in reverse order:\n"
        "          Routine name        Error type  Error code\n"
        "          GETROOT                  5           1\n"
        "          GETPOINTS1F_PP           0           0\n"
        "          GETSIGMA                 0           0\n"
        "          USER                     0           0\n";
    EXPECT_EQ(FIELDCONV_LASTERROR(), expected);
    EXPECT_EQ(printed.substr(0, expected.size()), expected);

    // The next good call clears it.
    EXPECT_FALSE(std::isnan(Sigma(1e-5, 1)));
    EXPECT_STREQ(FIELDCONV_LASTERROR(), "");
}

// A run of calls as the workbench makes them, with a second instrument, clamped values
// and GETSIGMA2 in between.
struct Call {
    bool both;
    double f, V;
    int mode;
};
const std::vector<Call> &Calls() {
    static const std::vector<Call> calls = [] {
        std::vector<Call> c;
        for (int mode : {1, 0, 3, 2, 1}) {
            for (double f : {kF, kF, 50000.0, kF}) {
                for (double sigma : {0.01, 0.4, 3000.0})
                    c.push_back({false, f, Component(sigma, mode, f), mode});
                c.push_back({true, f, Component(0.2, mode, f), mode});
            }
        }
        c.push_back({false, kF, 1.0, 0}); // beyond the maximum
        c.push_back({false, kF, -1.0, 1});
        return c;
    }();
    return calls;
}

struct Outcome {
    double s1 = 0, s2 = 0;
    ExtremumRecord sigma, sigma2;
};

std::vector<Outcome> RunCalls(bool reuse, Work *work = nullptr) {
    std::vector<Outcome> outcomes;
    std::thread([&] {
        SetScanReuse(reuse);
        for (const Call &c : Calls()) {
            Outcome o;
            if (c.both) {
                const double M = kM, M1 = kM1, M2 = kM2, r1 = kR1, r2 = kR2, tol = 1e-10;
                const int32_t mode = c.mode;
                GETSIGMA2(&M, &c.f, &M1, &M2, &r1, &r2, &c.V, &tol, &mode, &o.s1, &o.s2);
            } else {
                o.s1 = GETSIGMA(kM, c.f, kM1, kM2, kR1, kR2, c.V, 1e-10, c.mode);
            }
            o.sigma = SigmaRecord();
            o.sigma2 = Sigma2Record();
            outcomes.push_back(o);
        }
        if (work) *work = WorkDone();
    }).join();
    return outcomes;
}

bool SameBits(const ExtremumRecord &a, const ExtremumRecord &b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(Inversion, ReusedScansGiveTheSameBitsAsScanningAgain) {
    Work reused, scanned;
    const std::vector<Outcome> a = RunCalls(true, &reused);
    const std::vector<Outcome> b = RunCalls(false, &scanned);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(SameBits(a[i].s1, b[i].s1) && SameBits(a[i].s2, b[i].s2)) << "call " << i;
        EXPECT_TRUE(SameBits(a[i].sigma, b[i].sigma)) << "call " << i;
        EXPECT_TRUE(SameBits(a[i].sigma2, b[i].sigma2)) << "call " << i;
    }
    EXPECT_GT(reused.scansReused, 0);
    EXPECT_EQ(scanned.scansReused, 0);
    EXPECT_EQ(reused.scans + reused.scansReused, scanned.scans);
}

TEST_F(Inversion, RecordsKeepTheFieldsACallDoesNotFill) {
    std::thread([] {
        const ExtremumRecord real = Extrema(1, 1e-10);
        const ExtremumRecord amplitude = Extrema(0, 1e-10);
        const ExtremumRecord phase = Extrema(3, 1e-10);
        const double g0 = ConductivityGrid()[0];
        Sigma(1e-4, 1, 1e-10);
        EXPECT_TRUE(SameBits(SigmaRecord(), real));
        Sigma(1e-4, 0, 1e-10);
        EXPECT_TRUE(SameBits(SigmaRecord(),
                             ExtremumRecord{amplitude.sigmaMax, amplitude.cMax, g0, real.cMin}));
        Sigma(300, 3, 1e-10);
        EXPECT_TRUE(SameBits(SigmaRecord(),
                             ExtremumRecord{g0, amplitude.cMax, phase.sigmaMin, phase.cMin}));
        // GETSIGMA2 keeps a record of its own.
        EXPECT_TRUE(SameBits(Sigma2Record(), ExtremumRecord{}));
    }).join();
}

// With the scan reused, a call costs the false-position iterations plus the
// evaluations at σ_lo and at the two ends of the branch.
TEST_F(Inversion, ReusedCallsEvaluateTheModelOncePerIteration) {
    for (int mode = 0; mode <= 3; ++mode) {
        Sigma(Component(0.01, mode), mode, 1e-10); // scans
        for (double sigma : {1e-3, 0.1, 5.0}) {
            ResetWork();
            Sigma(Component(sigma, mode), mode, 1e-10);
            const Work w = WorkDone();
            EXPECT_EQ(w.scans, 0);
            EXPECT_LE(w.emfEvaluations + w.demfEvaluations, w.rootIterations + 5) << mode;
        }
    }
}

TEST_F(Inversion, WorkerThreadsSeeTheSequentialResults) {
    const std::vector<Outcome> sequential = RunCalls(true);
    std::vector<std::vector<Outcome>> parallel(3);
    std::vector<std::thread> threads;
    for (auto &result : parallel)
        threads.emplace_back([&result] { result = RunCalls(true); });
    for (auto &t : threads)
        t.join();
    for (const auto &result : parallel) {
        ASSERT_EQ(result.size(), sequential.size());
        for (size_t i = 0; i < result.size(); ++i)
            EXPECT_TRUE(SameBits(result[i].s1, sequential[i].s1) &&
                        SameBits(result[i].sigma, sequential[i].sigma))
                << "call " << i;
    }
}

TEST_F(Inversion, LowFrequencyFormsInvertTheModelsLeadingTerms) {
    const double rt = 0.5;
    const int nt = 10; // the reference transmitter, M = nt·π·rt²
    auto lf = [&](double V, int mode) {
        return GETSIGMALF(rt, nt, kF, kM1, kM2, kR1, kR2, V, mode);
    };
    // At low induction number the full model is its leading terms; the relative
    // error of the closed forms falls like σ^0.5.
    for (int mode = 0; mode <= 2; ++mode) {
        double previous = 1;
        for (double sigma : {1e-3, 1e-4, 1e-5, 1e-6}) {
            const double error = std::fabs(lf(Component(sigma, mode), mode) / sigma - 1);
            EXPECT_LT(error, 0.7 * std::sqrt(sigma)) << "mode " << mode << " sigma " << sigma;
            EXPECT_LT(error, previous);
            previous = error;
        }
    }
    // Mode 0 solves √((P·σ)² + (R·σ^1.5)²) = V, with P and R read back from modes 1
    // and 2, on both sides of Cardano's discriminant (it changes sign near 2e-3 V/A).
    // Far from there the formula's own cancellations cost digits.
    const double P = 1e-6 / lf(1e-6, 1);
    const double R = -1e-6 / std::pow(lf(-1e-6, 2), 1.5);
    for (double V : {1e-6, 1e-4, 1e-3, 0.01, 0.3}) {
        const double sigma = lf(V, 0);
        const double amplitude = std::hypot(P * sigma, R * std::pow(sigma, 1.5));
        EXPECT_NEAR(amplitude, V, 1e-10 * V) << V;
    }
    // The σ^1.5 term is negative here: a positive value has no solution.
    EXPECT_TRUE(std::isnan(lf(1e-6, 2)));
    EXPECT_STREQ(FIELDCONV_LASTERROR(), "");
    EXPECT_EQ(printed, "");
}

} // namespace
} // namespace fieldconv::test
