// What the exports report when they cannot fit: the error stack's messages,
// types and codes, the NaN result and the message kept for the caller.
#include "fixtures.h"
#include "splines.h"

#include <thread>

using namespace curvefit_test;

namespace {

struct Failure {
    const char *what;
    std::function<double()> call;
    const char *firstLine;
};

const double kX4[] = {3, 1, 2, 1}, kF4[] = {0, 1, 2, 3};
const double kSteps[] = {0, 1, 2, 3, 4, 5}, kValues[] = {0, 1, 0, 2, 1, 3};
const double kNaNs[] = {0, 1, std::nan(""), 3, 4, 5};
const double kInfinite[] = {0, 1, 2, 3, HUGE_VAL, 5};
// Spacing so small that the shape-preserving Newton matrix has no usable pivot.
const double kTiny[] = {0, 1e-160, 2e-160, 3e-160, 4e-160};
const double kWave[] = {0, 1, 0, 1, 0};
const double kNear[] = {0, 1e-300, 2e-300};

double Smooth(const double *weights, double smpar) {
    curvefit::PiecewiseCubic curve;
    return curvefit::SPLSMOOTH(6, kSteps, kValues, weights, smpar, curve) ? 0 : NAN;
}

class Errors : public ErrorCapture {};

TEST_F(Errors, EachConditionHasItsMessage) {
    const double negativeWeight[] = {1, -1, 1, 1, 1, 1};
    const int32_t huge = CURVEFIT_MAX_NDATA + 1;
    const Failure failures[] = {
        {"too few", [] { return CSPLNSMPL(1, kX4, kF4, 0); },
         " *** TERMINAL ERROR 1 from SPLENDS.  The number of data points must be 2 or more while "
         "NDATA = 1 is given."},
        {"too few", [] { return CSPLNNAT(0, nullptr, nullptr, 0); },
         " *** TERMINAL ERROR 1 from SPLENDS.  The number of data points must be 2 or more while "
         "NDATA = 0 is given."},
        {"too few", [] { return CSPLNAKM(3, kX4, kF4, 0); },
         " *** TERMINAL ERROR 1 from SPLAKIMA.  The number of data points must be 4 or more "
         "while NDATA = 3 is given."},
        {"too few", [] { return CSPLNCON(2, kX4, kF4, 0); },
         " *** TERMINAL ERROR 1 from SPLSHAPE.  The number of data points must be at least 3 "
         "while NDATA = 2 is given."},
        {"too few", [] { return CSPLNSMTH(-4, kX4, kF4, 0); },
         " *** TERMINAL ERROR 1 from SPLSMOOTH.  The number of data points must be 2 or more "
         "while NDATA = -4 is given."},
        {"too few", [] { return CSPLNSMTHCV(2, kX4, kF4, 0); },
         " *** TERMINAL ERROR 1 from SPLGCV.  The number of data points must be at least 3 while "
         "NDATA = 2 is given."},
        {"too few", [] { return CSPLNHER(1, kX4, kF4, 0); },
         " *** TERMINAL ERROR 1 from SPLHERM.  The number of data points must be 2 or more while "
         "NDATA =1 is given."},
        {"equal abscissas", [] { return CSPLNSMPL(4, kX4, kF4, 0); },
         " *** TERMINAL ERROR 2 from SPLENDS.  Points in the data point abscissas array, XDATA, "
         "must be distinct, but XDATA(2) = XDATA(4) = 1."},
        {"equal abscissas", [] { return CSPLNAKM(4, kX4, kF4, 0); },
         " *** TERMINAL ERROR 2 from SPLAKIMA.  Points in the data point abscissas array, XDATA, "
         "must be distinct, but XDATA(2) = XDATA(4) = 1."},
        {"equal abscissas", [] { return CSPLNCON(4, kX4, kF4, 0); },
         " *** FATAL ERROR 3 from SPLSHAPE.  Points in the data point abscissas array, XDATA, "
         "must be distinct, but XDATA(2) = XDATA(4) = 1."},
        {"equal abscissas", [] { return CSPLNSMTH(4, kX4, kF4, 0); },
         " *** TERMINAL ERROR 2 from SPLSMOOTH.  Points in the data point abscissas array, "
         "XDATA, must be distinct, but XDATA(2) = XDATA(4) = 1."},
        {"equal abscissas", [] { return ARBSPLNSMTH(12, 4, kX4, kF4, 0); },
         " *** TERMINAL ERROR 2 from SPLBSPL.  Points in the data point abscissas array, XDATA, "
         "must be distinct, but XDATA(2) = XDATA(4) = 1."},
        {"no pivot", [] { return CSPLNCON(5, kTiny, kWave, 0); },
         " *** TERMINAL ERROR 4 from SPLSHAPE.  The diagonal of the matrix has a near zero "
         "element.  The matrix is ill-conditioned."},
        {"ITYPE", [] { return ARBSPLNSMTH(0, 6, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 3 from ARBSPLNSMTH.  The value of ITYPE must be in the range "
         "1,..,15, but ITYPE = 0."},
        {"ITYPE", [] { return ARBSPLNSMTH(16, 6, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 3 from ARBSPLNSMTH.  The value of ITYPE must be in the range "
         "1,..,15, but ITYPE = 16."},
        {"too few for ITYPE", [] { return ARBSPLNSMTH(3, 3, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 1 from ARBSPLNSMTH.  The number of data points must be 4 or more, "
         "but NDATA = 3 is given."},
        {"too few for ITYPE", [] { return ARBSPLNSMTH(8, 5, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 1 from ARBSPLNSMTH.  The number of data points must be 6 or more, "
         "but NDATA = 5 is given."},
        {"too few for ITYPE", [] { return ARBSPLNSMTH(15, 4, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 1 from ARBSPLNSMTH.  The number of data points must be 5 or more, "
         "but NDATA = 4 is given."},
        {"storage", [huge] { return CSPLNSMPL(huge, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 5 from CSPLNSMPL.  The required storage cannot be allocated.  "
         "Workspace allocation is based on NDATA = 1000001 and N = 1."},
        {"storage", [huge] { return CSPLNCON(huge, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 5 from CSPLNCON.  The required storage cannot be allocated.  The "
         "specified NDATA may be too large, where NDATA = 1000001."},
        {"storage", [huge] { return CSPLNSMTH(huge, kSteps, kValues, 0); },
         " *** TERMINAL ERROR 5 from CSPLNSMTH.  The required storage cannot be allocated.  "
         "Workspace allocation was based on NDATA = 1000001."},
        {"not finite", [] { return CSPLNSMPL(6, kSteps, kNaNs, 0); },
         " *** TERMINAL ERROR 20 from SPLENDS.  The data points must be finite numbers, but "
         "FDATA(3) = nan is given."},
        {"not finite", [] { return CSPLNCON(6, kInfinite, kValues, 0); },
         " *** TERMINAL ERROR 20 from SPLSHAPE.  The data points must be finite numbers, but "
         "XDATA(5) = inf is given."},
        {"no arrays", [] { return CSPLNAKM(6, kSteps, nullptr, 0); },
         " *** TERMINAL ERROR 21 from SPLAKIMA.  The data point arrays XDATA and FDATA must be "
         "given while NDATA = 6 is given."},
        {"overflow", [] { return CSPLNSMPL(3, kNear, kValues, 1); },
         " *** TERMINAL ERROR 22 from CSPLNSMPL.  The value of the curve at X = 1 is not a finite "
         "number.  The data may be too large or their abscissas too close together."},
        {"overflow", [] { return CSPLNAKM(6, kSteps, kValues, NAN); },
         " *** TERMINAL ERROR 22 from CSPLNAKM.  The value of the curve at X = nan is not a "
         "finite number.  The data may be too large or their abscissas too close together."},
        {"weight", [&] { return Smooth(negativeWeight, 0); },
         " *** TERMINAL ERROR 3 from SPLSMOOTH.  All of the weights must be positive while "
         "WEIGHT(2) = -1 is given."},
        {"smoothing parameter", [] { return Smooth(nullptr, -0.5); },
         " *** TERMINAL ERROR 4 from SPLSMOOTH.  The smoothing parameter must be non-negative "
         "while SMPAR = -0.5 is given."},
    };
    for (const Failure &failure : failures) {
        printed.clear();
        numerr::BeginCall();
        EXPECT_TRUE(std::isnan(failure.call())) << failure.what;
        const std::string first = printed.substr(0, printed.find('\n'));
        EXPECT_EQ(first, failure.firstLine) << failure.what;
        EXPECT_NE(printed.find("          USER                     0           0\n"),
                  std::string::npos)
            << failure.what;
    }
}

TEST_F(Errors, TheCallerReadsTheLastErrorWithItsTraceback) {
    EXPECT_TRUE(std::isnan(CSPLNCON(4, kX4, kF4, 0.5)));
    const std::string expected =
        " *** FATAL ERROR 3 from SPLSHAPE.  Points in the data point abscissas array, XDATA, "
        "must be distinct, but XDATA(2) = XDATA(4) = 1.\n"
        "    Here is a traceback of subprogram calls in reverse order:\n"
        "          Routine name        Error type  Error code\n"
        "          SPLSHAPE                 4           3\n"
        "          CSPLNCON                 0           0\n"
        "          USER                     0           0\n";
    EXPECT_EQ(CURVEFIT_LASTERROR(), expected);
    EXPECT_EQ(printed, expected);
    // The next good call clears it.
    EXPECT_FALSE(std::isnan(CSPLNCON(6, kSteps, kValues, 0.5)));
    EXPECT_STREQ(CURVEFIT_LASTERROR(), "");
}

TEST_F(Errors, ProfilesLongerThanTheProgramsArraysAreFitted) {
    const int n = 5000;
    std::vector<double> x(n), f(n);
    for (int i = 0; i < n; ++i) {
        x[n - 1 - i] = i * 0.01;
        f[n - 1 - i] = std::sin(x[n - 1 - i]);
    }
    for (const NamedExport &e : kExports) {
        if (std::string(e.name) == "CSPLNNAT") continue; // its flat ends leave the sine
        EXPECT_NEAR(e.fit(n, x.data(), f.data(), 12.345), std::sin(12.345), 1e-4) << e.name;
    }
    for (int type : {1, 2, 3, 4, 6, 8, 9, 12, 15})
        EXPECT_NEAR(ARBSPLNSMTH(type, n, x.data(), f.data(), 12.345), std::sin(12.345), 1e-4)
            << "type " << type;
    EXPECT_EQ(printed, "");
}

TEST_F(Errors, ThreadsKeepTheirOwnCurvesAndErrors) {
    std::string otherError;
    double otherValue = 0;
    std::thread other([&] {
        numerr::SetPrintSink([](const std::string &) {});
        for (int i = 0; i < 200; ++i)
            otherValue = CSPLNSMPL(6, kSteps, kValues, 2.5);
        CSPLNSMPL(1, kSteps, kValues, 0);
        otherError = CURVEFIT_LASTERROR();
    });
    double value = 0;
    for (int i = 0; i < 200; ++i)
        value = CSPLNSMPL(8, kEightX.data(), kEightF.data(), 3.5);
    other.join();
    EXPECT_EQ(value, 1.7431531374969413);
    EXPECT_EQ(otherValue, CSPLNSMPL(6, kSteps, kValues, 2.5));
    EXPECT_NE(otherError.find("NDATA = 1 is given"), std::string::npos);
    EXPECT_STREQ(CURVEFIT_LASTERROR(), "");
}

} // namespace
