// Numerical derivative of a function of one real variable: estimates from sample
// points X + 4·h0·t on offset sets that refine from level to level, accepted when
// two successive levels agree; and the error reporting fieldconv's routines share.

#include "fieldconv_internal.h"
#include "private.h"

#include <array>
#include <cmath>
#include <limits>

namespace fieldconv {

namespace {

constexpr double kQuietNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kEpsilon = 2.220446049250313e-16;
// Offsets are multiples of 1/256: the finest level (5) steps by 2^-8.
constexpr int kOffsetUnit = 256;
constexpr int kLevels = 6;

// Positive offsets of the first-derivative levels: j · 2^-(n+3) for j = 1 .. m_n
// (m_0 = 4, m_n = 2^n + 2), then 0.5 and 1; at level 0 the point 0.5 is both.
constexpr int kFirstCounts[kLevels] = {5, 6, 8, 12, 20, 36};

constexpr std::array<std::array<int, 36>, kLevels> FirstOffsets() {
    std::array<std::array<int, 36>, kLevels> offsets{};
    offsets[0] = {32, 64, 96, 128, 256};
    for (int n = 1; n < kLevels; ++n) {
        const int fine = (1 << n) + 2;
        const int step = kOffsetUnit >> (n + 3);
        for (int j = 1; j <= fine; ++j)
            offsets[n][j - 1] = j * step;
        offsets[n][fine] = kOffsetUnit / 2;
        offsets[n][fine + 1] = kOffsetUnit;
    }
    return offsets;
}
constexpr auto kFirstOffsets = FirstOffsets();

// Weights of the first derivative for the positive offsets above, odd in t, with
// Σ w·t = 1 and Σ w·t³ = 0: fourth order in the step.
constexpr double kFirst0[] = {6.833190419195985, -2.111647172829187, 0.5889726149234285,
                              -0.09517613089692878, 0.00048632565997731045};
constexpr double kFirst1[] = {13.75150636832225,    -4.400637764049848,    1.3535117219931214,
                              -0.25921840813860236, 0.0033755175619172664, -5.603213392793749e-05};
constexpr double kFirst2[] = {27.590948562872985,    -9.073402534236214,    3.2513717040384917,
                              -1.133757410942948,    0.3377153418903082,    -0.05883787668645895,
                              8.029235048924696e-05, -1.971552651709418e-06};
constexpr double kFirst3[] = {
    55.18581353462165,    -18.159058548046403,    6.537150223169172,     -2.3617795414294083,
    0.8533299366306409,   -0.30813906797542445,   0.1107786665507113,    -0.03848866600574056,
    0.011284539274300105, -0.0018955407303171809, 2.985170919017282e-07, -8.658451630360973e-09};
constexpr double kFirst4[] = {
    110.37162958451665,    -36.31812496590134,      13.07432255418841,     -4.723620384276826,
    1.706829565689609,     -0.616747761158052,      0.22285639025225892,   -0.08052720095319228,
    0.02909779674540034,   -0.010514231429826852,   0.003799219415117117,  -0.001372798385958525,
    0.0004960037773514473, -0.0001791024273232397,  6.437360346412507e-05, -2.2324271679848996e-05,
    6.496550134525436e-06, -1.0736976644880072e-06, 2.034574847955065e-11, -6.375729487922135e-13};
constexpr double kFirst5[] = {
    220.74325916903373,      -72.63624993180407,      26.148645108380727,
    -9.44724076856449,       3.4136591314092177,      -1.2334955223991297,
    0.44571278073429,        -0.16105440254227182,    0.05819559525059799,
    -0.021028467729835132,   0.007598452308301723,    -0.0027456340720261006,
    0.0009921107814593246,   -0.0003584905260013378,  0.00012953740613893814,
    -4.6807205134178606e-05, 1.691337288414714e-05,   -6.111498892065164e-06,
    2.2083365017463697e-06,  -7.979630187404232e-07,  2.8833693541245316e-07,
    -1.0418802170801684e-07, 3.7647427470847854e-08,  -1.3603567546578855e-08,
    4.91552964181453e-09,    -1.7761831411875227e-09, 6.41807182054952e-10,
    -2.3190859437156424e-10, 8.379038803711185e-11,   -3.025548034955725e-11,
    1.08732482145554e-11,    -3.7672803569788896e-12, 1.0923363118929793e-12,
    -1.7915240826479546e-13, 4.1651728005344847e-19,  -1.3548579893176271e-20};
constexpr const double *kFirstWeights[kLevels] = {kFirst0, kFirst1, kFirst2,
                                                  kFirst3, kFirst4, kFirst5};

// Second and third derivatives: the central differences of least width on the fine
// points of each level, spacing d = 2^-(n+3), exact for polynomials of degree k + 3:
//   f''  ≈ (−(f(2d) + f(−2d)) + 16 (f(d) + f(−d)) − 30 f(0)) / (12 d²),
//   f''' ≈ (−13 (f(d) − f(−d)) + 8 (f(2d) − f(−2d)) − (f(3d) − f(−3d))) / (8 d³),
// with the factor 1/dᵏ (a power of two) folded into the weights.
struct HigherTables {
    int secondOffsets[kLevels][3] = {};
    double second[kLevels][3] = {};
    int thirdOffsets[kLevels][3] = {};
    double third[kLevels][3] = {};
};
constexpr HigherTables BuildHigherTables() {
    HigherTables t;
    for (int n = 0; n < kLevels; ++n) {
        const int d = kOffsetUnit >> (n + 3);
        const double inverseD2 = double(1 << (2 * (n + 3)));
        const double inverseD3 = double(1 << (3 * (n + 3)));
        for (int j = 0; j < 3; ++j) {
            t.secondOffsets[n][j] = j * d;
            t.thirdOffsets[n][j] = (j + 1) * d;
        }
        t.second[n][0] = -30.0 / 12.0 * inverseD2;
        t.second[n][1] = 16.0 / 12.0 * inverseD2;
        t.second[n][2] = -1.0 / 12.0 * inverseD2;
        t.third[n][0] = -13.0 / 8.0 * inverseD3;
        t.third[n][1] = 8.0 / 8.0 * inverseD3;
        t.third[n][2] = -1.0 / 8.0 * inverseD3;
    }
    return t;
}
constexpr HigherTables kHigher = BuildHigherTables();

// F at X + 4·h0·t, each point evaluated at most once per call.
class Samples {
public:
    Samples(double (*F)(double), double X, double step, int &evaluations)
        : F_(F), X_(X), step_(step), evaluations_(evaluations) {}
    double At(int offset) {
        const int i = offset + kOffsetUnit;
        if (!known_[i]) {
            values_[i] = F_(X_ + step_ * (double(offset) / kOffsetUnit));
            known_[i] = true;
            ++evaluations_;
        }
        return values_[i];
    }

private:
    double (*F_)(double);
    double X_;
    double step_;
    int &evaluations_;
    std::array<double, 2 * kOffsetUnit + 1> values_;
    std::array<bool, 2 * kOffsetUnit + 1> known_{};
};

double Estimate(Samples &samples, int k, int n, double step) {
    const DerivativeLevel level = DerivativeWeights(k, n);
    double sum = 0;
    for (int i = 0; i < level.count; ++i) {
        const int t = level.offsets[i];
        if (t == 0)
            sum += level.weights[i] * samples.At(0);
        else if (k % 2 == 1)
            sum += level.weights[i] * (samples.At(t) - samples.At(-t));
        else
            sum += level.weights[i] * (samples.At(t) + samples.At(-t));
    }
    double scale = step;
    for (int i = 1; i < k; ++i)
        scale *= step;
    return sum / scale;
}

struct ReportCounter {
    std::uint64_t all = 0;
    std::uint64_t fatal = 0;
};
thread_local ReportCounter tReports;

} // namespace

void Raise(numerr::ErrorType type, int code, const char *message, const numerr::Fields &fields) {
    ReportCounter &reports = tReports;
    ++reports.all;
    if (type >= numerr::FATAL) ++reports.fatal;
    numerr::Report(type, code, message, fields);
}

std::uint64_t ReportsRaised() {
    return tReports.all;
}
std::uint64_t FatalsRaised() {
    return tReports.fatal;
}

DerivativeLevel DerivativeWeights(int k, int n) {
    if (n < 0 || n > 6 - k) return {};
    switch (k) {
    case 1:
        return {kFirstCounts[n], kFirstOffsets[n].data(), kFirstWeights[n]};
    case 2:
        return {3, kHigher.secondOffsets[n], kHigher.second[n]};
    case 3:
        return {3, kHigher.thirdOffsets[n], kHigher.third[n]};
    }
    return {};
}

double NumDeriv(double (*F)(double), int k, double X, double h0, double TOL, int &evaluations) {
    numerr::Routine routine("NUMDERIV");
    evaluations = 0;
    if (k < 1 || k > 3) {
        Raise(numerr::TERMINAL, 1,
              "The order of the derivative desired KORDER = %(I1).  It must be either 1, 2, or 3.",
              IntField(k));
        return kQuietNaN;
    }
    if (!(h0 > 0)) {
        Raise(numerr::TERMINAL, 2,
              "The beginning step size BGSTEP = %(D1).  It must be greater than 0.",
              RealFields(h0));
        return kQuietNaN;
    }
    if (!(TOL >= 0)) {
        Raise(numerr::TERMINAL, 3, "The tolerance desired TOL = %(D1).  It must be at least zero.",
              RealFields(TOL));
        return kQuietNaN;
    }
    if (TOL >= 1) {
        Raise(numerr::TERMINAL, 4,
              "The tolerance desired TOL = %(D1).  When TOL is greater than or equal to one, zero "
              "can always be returned as an answer.",
              RealFields(TOL));
        return kQuietNaN;
    }

    const double step = 4 * h0;
    Samples samples(F, X, step, evaluations);
    double previous = Estimate(samples, k, 0, step);
    for (int n = 1; n <= 6 - k; ++n) {
        const double current = Estimate(samples, k, n, step);
        // The error of a fourth-order estimate is about 1/15 of its change.
        if (10.0 / 15.0 * std::fabs(current - previous) < TOL) return current;
        const double hn = h0 / double(1 << n);
        double hk = hn;
        for (int i = 1; i < k; ++i)
            hk *= hn;
        if (100 * TOL < kEpsilon / hk) {
            Raise(numerr::WARNING, 2,
                  "Roundoff error may become dominant with BGSTEP = %(D1) and TOL = %(D2).  "
                  "Increase precision, increase TOL and/or change BGSTEP. The last approximation "
                  "is returned.",
                  RealFields(h0, TOL));
            return previous;
        }
        previous = current;
    }
    Raise(numerr::FATAL, 1,
          "Unable to achieve desired tolerance. Increase precision, increase TOL = %(D1) and/or "
          "change BGSTEP = %(D2).  If this error continues the function may not have a derivative "
          "at X = %(D3)",
          RealFields(TOL, h0, X));
    return kQuietNaN;
}

double NUMDERIV(double (*F)(double), int k, double X, double h0, double TOL) {
    int evaluations = 0;
    return NumDeriv(F, k, X, h0, TOL, evaluations);
}

} // namespace fieldconv
