// libfieldconv.so as a client loads it: exactly the C API is exported, and its
// results and error state are those of the routines built into it.

#include "fieldconv.h"
#include "reference.h"

#include "orvex/testing/shared_library.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace fieldconv::test {
namespace {

class SharedLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.Loaded()); }
    template <class F> F *Bind(const char *name) { return library.Bind<F>(name); }
    orvex::testing::LoadedLibrary library{FIELDCONV_LIBRARY};
};

TEST_F(SharedLibrary, ExportsExactlyTheCApi) {
    const std::set<std::string> expected = {"GETPPM", "GETSIGMA", "GETSIGMA2", "GETSIGMALF",
                                            "FIELDCONV_LASTERROR"};
    EXPECT_EQ(orvex::testing::ExportedSymbols(FIELDCONV_LIBRARY), expected);
    EXPECT_EQ(Bind<void()>("GETHZ"), nullptr);
}

TEST_F(SharedLibrary, GivesTheResultsOfTheRoutinesAndKeepsItsOwnErrors) {
    auto getSigma = Bind<decltype(GETSIGMA)>("GETSIGMA");
    auto getPpm = Bind<decltype(GETPPM)>("GETPPM");
    auto lastError = Bind<decltype(FIELDCONV_LASTERROR)>("FIELDCONV_LASTERROR");
    ASSERT_TRUE(getSigma && getPpm && lastError);
    for (int mode = 0; mode <= 3; ++mode) {
        const double V = Component(0.3, mode);
        const double viaLibrary = getSigma(kM, kF, kM1, kM2, kR1, kR2, V, 1e-10, mode);
        const double viaCore = GETSIGMA(kM, kF, kM1, kM2, kR1, kR2, V, 1e-10, mode);
        EXPECT_EQ(std::memcmp(&viaLibrary, &viaCore, sizeof viaCore), 0) << mode;
    }
    const double primary = std::abs(AsStd(GETCOILEMF(kM, kF, kM2, kR2, 0)));
    EXPECT_NEAR(getPpm(kM, kF, 99, kM2, 99, kR2, primary), 1e6, 1e-3);
    EXPECT_EQ(getPpm(kM, kF, 99, kM2, 99, kR2, primary), getPpm(kM, kF, 1, kM2, 3, kR2, primary));

    // An error inside the library is reported by its accessor, not the core's copy.
    GETSIGMA(kM, kF, kM1, kM2, kR1, kR2, 1e-3, 1e-10, 1);
    EXPECT_TRUE(std::isnan(getSigma(kM, kF, kM1, kM2, kR1, kR2, 1e-3, 1e-10, 9)));
    EXPECT_NE(std::strstr(lastError(), "from GETSIGMA.  The component mode MODE = 9."), nullptr);
    EXPECT_STREQ(FIELDCONV_LASTERROR(), "");
}

} // namespace
} // namespace fieldconv::test
