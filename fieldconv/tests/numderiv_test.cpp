// The numerical derivative: its weight tables, its estimates of known derivatives and
// its messages.

#include "fieldconv_internal.h"
#include "numerr/errstack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace fieldconv {
namespace {

class NumDerivTest : public ::testing::Test {
protected:
    void SetUp() override {
        numerr::SetPrintSink([this](const std::string &text) { printed += text; });
        numerr::BeginCall();
    }
    void TearDown() override { numerr::SetPrintSink({}); }
    std::string printed;
};

double Factorial(int m) {
    double value = 1;
    for (int i = 2; i <= m; ++i)
        value *= i;
    return value;
}

// Σ over ±t of w(t)·t^m = m! for m = k and 0 for the other m ≤ k + 3, and the points
// belong to T_n = {0, ±0.5, ±1} ∪ {±j·2^-(n+3) : j = 1..m_n}.
TEST(NumDerivWeights, EveryLevelIsExactForPolynomialsOfDegreeKPlus3) {
    const int firstDerivativeCounts[] = {5, 6, 8, 12, 20, 36};
    for (int k = 1; k <= 3; ++k) {
        for (int n = 0; n <= 6 - k; ++n) {
            const DerivativeLevel level = DerivativeWeights(k, n);
            ASSERT_GT(level.count, 0) << k << " " << n;
            if (k == 1) {
                EXPECT_EQ(level.count, firstDerivativeCounts[n]);
            }
            const int fine = n == 0 ? 4 : (1 << n) + 2;
            const int unit = 256 >> (n + 3);
            for (int i = 0; i < level.count; ++i) {
                const int t = level.offsets[i];
                const bool member =
                    t == 0 || t == 128 || t == 256 || (t % unit == 0 && t / unit <= fine);
                EXPECT_TRUE(member) << "k " << k << " level " << n << " offset " << t;
                if (i > 0) {
                    EXPECT_GT(t, level.offsets[i - 1]);
                }
            }
            for (int m = 0; m <= k + 3; ++m) {
                double moment = 0, scale = 0;
                for (int i = 0; i < level.count; ++i) {
                    const double t = level.offsets[i] / 256.0;
                    const double w = level.weights[i];
                    const double plus = w * std::pow(t, m);
                    const double minus = (k % 2 ? -w : w) * std::pow(-t, m);
                    moment += t == 0 ? plus : plus + minus;
                    scale += 2 * std::fabs(plus);
                }
                const double expected = m == k ? Factorial(k) : 0;
                EXPECT_NEAR(moment, expected, 1e-13 * scale + 1e-14)
                    << "k " << k << " level " << n << " moment " << m;
            }
        }
    }
}

int gCalls = 0;
double CountedSine(double x) {
    ++gCalls;
    return std::sin(x);
}

TEST_F(NumDerivTest, EstimatesKnownDerivatives) {
    struct Case {
        const char *name;
        double (*F)(double);
        int k;
        double X, h0, tol, expected;
    };
    auto poly4 = +[](double x) { return 1 + x * (2 + x * (3 + x * (4 + x * 5))); };
    auto poly6 = +[](double x) { return x * x * x * (1 + x * (1 + x * (1 + x))); };
    auto sine = +[](double x) { return std::sin(x); };
    auto exponential = +[](double x) { return std::exp(x); };
    const Case cases[] = {
        {"sin'", sine, 1, 0.7, 0.05, 1e-8, std::cos(0.7)},
        {"sin''", sine, 2, 0.7, 0.05, 1e-7, -std::sin(0.7)},
        {"sin'''", sine, 3, 0.7, 0.05, 1e-6, -std::cos(0.7)},
        {"exp'", exponential, 1, -1.0, 0.1, 1e-8, std::exp(-1.0)},
        {"exp'''", exponential, 3, -1.0, 0.1, 1e-6, std::exp(-1.0)},
        // Degree k + 3: exact at every level, so the first comparison accepts.
        {"quartic'", poly4, 1, 0.3, 0.5, 1e-9, 2 + 0.3 * (6 + 0.3 * (12 + 0.3 * 20))},
        {"sextic'''", poly6, 3, -0.4, 0.5, 1e-9, 6 + -0.4 * (24 + -0.4 * (60 + -0.4 * 120))},
    };
    for (const Case &c : cases) {
        const double d = NUMDERIV(c.F, c.k, c.X, c.h0, c.tol);
        EXPECT_NEAR(d, c.expected, c.tol) << c.name;
    }
    EXPECT_FALSE(numerr::CallFailed());
    EXPECT_EQ(printed, "");
}

TEST_F(NumDerivTest, EvaluatesEachSamplePointOnce) {
    // Levels 0 and 1 of the first derivative share 0.125, 0.25, 0.5 and 1.
    gCalls = 0;
    NUMDERIV(CountedSine, 1, 0.3, 0.5, 0.01);
    EXPECT_EQ(gCalls, 14);
}

TEST_F(NumDerivTest, RejectsBadArgumentsWithTerminalErrors) {
    struct Case {
        int k;
        double h0, tol;
        int code;
        const char *message;
    };
    const Case cases[] = {
        {4, 0.5, 0.01, 1,
         "The order of the derivative desired KORDER = 4.  It must be either 1, 2, or 3."},
        {0, 0.5, 0.01, 1,
         "The order of the derivative desired KORDER = 0.  It must be either 1, 2, or 3."},
        {1, 0, 0.01, 2, "The beginning step size BGSTEP = 0.  It must be greater than 0."},
        {2, -0.25, 0.01, 2, "The beginning step size BGSTEP = -0.25.  It must be greater than 0."},
        {1, 0.5, -0.001, 3, "The tolerance desired TOL = -0.001.  It must be at least zero."},
        {3, 0.5, 1, 4,
         "The tolerance desired TOL = 1.  When TOL is greater than or equal to one, zero can "
         "always be returned as an answer."},
    };
    for (const Case &c : cases) {
        numerr::BeginCall();
        printed.clear();
        gCalls = 0;
        EXPECT_TRUE(std::isnan(NUMDERIV(CountedSine, c.k, 0.3, c.h0, c.tol)));
        EXPECT_TRUE(numerr::CallFailed());
        EXPECT_EQ(gCalls, 0);
        EXPECT_EQ(numerr::LastCode(), c.code);
        const std::string first = " *** TERMINAL ERROR " + std::to_string(c.code) +
                                  " from NUMDERIV.  " + c.message + "\n";
        EXPECT_EQ(printed.substr(0, first.size()), first);
    }
}

TEST_F(NumDerivTest, WarnsWhenRoundoffWouldDominate) {
    // TOL = 1e-20 cannot be met, and 100·TOL is below ε/h at the first refinement.
    const double d = NUMDERIV(
        +[](double x) { return std::sin(x); }, 1, 0.3, 0.5, 1e-20);
    EXPECT_NEAR(d, std::cos(0.3), 1e-3);
    EXPECT_FALSE(numerr::CallFailed());
    EXPECT_EQ(printed, " *** WARNING ERROR 2 from NUMDERIV.  Roundoff error may become dominant "
                       "with BGSTEP = 0.5 and TOL = 1e-20.  Increase precision, increase TOL "
                       "and/or change BGSTEP. The last approximation is returned.\n");
}

TEST_F(NumDerivTest, FailsWhereTheFunctionHasNoDerivative) {
    const double d = NUMDERIV(
        +[](double x) { return std::cbrt(x); }, 1, 0, 1, 1e-3);
    EXPECT_TRUE(std::isnan(d));
    EXPECT_TRUE(numerr::CallFailed());
    EXPECT_EQ(printed,
              " *** FATAL ERROR 1 from NUMDERIV.  Unable to achieve desired tolerance. Increase "
              "precision, increase TOL = 0.001 and/or change BGSTEP = 1.  If this error continues "
              "the function may not have a derivative at X = 0\n"
              "    Here is a traceback of subprogram calls in reverse order:\n"
              "          Routine name        Error type  Error code\n"
              "          NUMDERIV                 4           1\n"
              "          USER                     0           0\n");
}

} // namespace
} // namespace fieldconv
