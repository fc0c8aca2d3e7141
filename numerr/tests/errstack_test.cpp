#include "numerr/errstack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace numerr;

class ErrStackTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPrintSink([this](const std::string &t) { printed += t; });
        BeginCall();
    }
    void TearDown() override { SetPrintSink({}); }
    std::string printed;
};

TEST_F(ErrStackTest, FatalErrorPrintsTracebackAndFailsTheCall) {
    {
        Routine outer("GETROOT");
        Routine inner("NUMDERIV");
        Report(FATAL, 1,
               "Unable to achieve desired tolerance. Increase precision, increase TOL = %(D1) "
               "and/or change BGSTEP = %(D2).  If this error continues the function may not have "
               "a derivative at X = %(D3)",
               {0, 0.01, 0.5, -2.25, ""});
    }
    EXPECT_TRUE(CallFailed());
    const std::string expected =
        " *** FATAL ERROR 1 from NUMDERIV.  Unable to achieve desired tolerance. Increase "
        "precision, increase TOL = 0.01 and/or change BGSTEP = 0.5.  If this error continues the "
        "function may not have a derivative at X = -2.25\n"
        "    Here is a traceback of subprogram calls in reverse order:\n"
        "          Routine name        Error type  Error code\n"
        "          NUMDERIV                 4           1\n"
        "          GETROOT                  0           0\n"
        "          USER                     0           0\n";
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(LastFatalMessage(), expected);
    BeginCall();
    EXPECT_FALSE(CallFailed());
    EXPECT_EQ(LastFatalMessage(), "");
}

TEST_F(ErrStackTest, WarningsPrintWithoutFailingNotesStaySilent) {
    {
        Routine r("NUMDERIV");
        Report(WARNING, 2, "BGSTEP = %(D1) and TOL = %(D2), KORDER = %(I1) %(L1) %(X9) %(I2)",
               {3, 0.1, 1e-300, 0, "text", 12});
        Report(NOTE, 7, "quiet");
    }
    EXPECT_FALSE(CallFailed());
    EXPECT_EQ(printed, " *** WARNING ERROR 2 from NUMDERIV.  BGSTEP = 0.1 and TOL = 1e-300, "
                       "KORDER = 3 text %(X9) 12\n");
    EXPECT_EQ(LastType(), NOTE);
    EXPECT_EQ(LastCode(), 7);
    SetPrinted(NOTE, true);
    Report(NOTE, 1, "now heard");
    EXPECT_NE(printed.find(" *** NOTE ERROR 1 from USER.  now heard"), std::string::npos);
    SetPrinted(NOTE, false);
}

TEST_F(ErrStackTest, EachThreadHasItsOwnStack) {
    Routine r("MAIN");
    bool otherFailed = false;
    std::thread worker([&] {
        SetPrintSink([](const std::string &) {});
        Report(TERMINAL, 1, "bad");
        otherFailed = CallFailed();
    });
    worker.join();
    EXPECT_TRUE(otherFailed);
    EXPECT_FALSE(CallFailed());
}
