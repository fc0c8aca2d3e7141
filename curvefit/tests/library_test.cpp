// libcurvefit.so as the program binds it: by plain name, exporting nothing but
// the C functions of curvefit.h, with an error state of its own.
#include "orvex/testing/shared_library.h"

#include <gtest/gtest.h>

#include <type_traits>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

namespace {

using Fit = double (*)(int32_t, const double *, const double *, double);
using General = double (*)(int32_t, int32_t, const double *, const double *, double);
using LastError = const char *(*)();

class Library : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.Loaded()); }
    template <class F> F Bind(const char *name) {
        return library.Bind<std::remove_pointer_t<F>>(name);
    }
    orvex::testing::LoadedLibrary library{CURVEFIT_LIBRARY};
};

TEST_F(Library, ExportsExactlyTheCFunctions) {
    const std::set<std::string> expected = {"CSPLNSMPL",   "CSPLNAKM",    "CSPLNCON",
                                            "CSPLNNAT",    "CSPLNHER",    "CSPLNSMTH",
                                            "CSPLNSMTHCV", "ARBSPLNSMTH", "CURVEFIT_LASTERROR"};
    EXPECT_EQ(orvex::testing::ExportedSymbols(CURVEFIT_LIBRARY), expected);
}

TEST_F(Library, PlainNamesGiveTheWorkedValues) {
    const double x[] = {0, 1, 2.5, 3, 4.2, 6, 7, 9}, f[] = {1, 2.2, 0.5, 0.8, 3.0, 2.0, 2.5, 1.0};
    const std::pair<const char *, double> values[] = {
        {"CSPLNSMPL", 1.7431531374969413}, {"CSPLNAKM", 1.7514950570074563},
        {"CSPLNNAT", 1.7637908049278184},  {"CSPLNCON", 1.7547891202688626},
        {"CSPLNSMTH", 1.7547891202688626}, {"CSPLNSMTHCV", 1.5911801898722}};
    for (const auto &[name, expected] : values) {
        const Fit fit = Bind<Fit>(name);
        ASSERT_NE(fit, nullptr) << name;
        EXPECT_NEAR(fit(8, x, f, 3.5), expected, 1e-12) << name;
    }
    const Fit hermite = Bind<Fit>("CSPLNHER");
    ASSERT_NE(hermite, nullptr);
    EXPECT_NEAR(hermite(8, x, f, 7), 2.5, 1e-15);
    const General general = Bind<General>("ARBSPLNSMTH");
    ASSERT_NE(general, nullptr);
    EXPECT_NEAR(general(4, 8, x, f, 9.5), 0.625, 1e-15);
}

TEST_F(Library, FailureGivesNaNAndTheMessage) {
    const Fit fit = Bind<Fit>("CSPLNAKM");
    const LastError lastError = Bind<LastError>("CURVEFIT_LASTERROR");
    ASSERT_NE(fit, nullptr);
    ASSERT_NE(lastError, nullptr);
    const double x[] = {0, 1, 2}, f[] = {0, 1, 0};
    EXPECT_TRUE(std::isnan(fit(3, x, f, 0.5)));
    const std::string first = " *** TERMINAL ERROR 1 from SPLAKIMA.  The number of data points "
                              "must be 4 or more while NDATA = 3 is given.\n";
    EXPECT_EQ(std::string(lastError()).rfind(first, 0), 0u) << lastError();
}

} // namespace
