// The headless front end: flags, exit status, what it prints.
#include "orvex/testing/run_tool.h"
#include "orvex/testing/scratch_dir.h"

#include <gtest/gtest.h>

namespace {

using Outcome = orvex::testing::ToolOutcome;

class ProcessTool : public ::testing::Test {
protected:
    Outcome Run(const std::string &arguments) {
        return orvex::testing::RunTool(std::string(ORVEX_BIN_DIR) + "/orvex-process " + arguments,
                                       dir / "stderr.txt");
    }
    const std::string demo = std::string(ORVEX_DATA_DIR) + "/demo/";
    orvex::testing::ScratchDir dir;
};

TEST_F(ProcessTool, MapOfTheDemoSurveyWithItsCalibrationBesideTheProgram) {
    const Outcome o = Run(demo + "demo.kav --units cond --freq 3 --out " + dir.path().string());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
              dir / "demo_CON_Mod_Surf_f03.dat" + "\nData Processing is Successfully Completed!\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(ProcessTool, SectionBatchAndTheRulesItReports) {
    const Outcome o = Run(demo +
                          "demo.kav --across 48 --all --format sounding --x-mirror "
                          "--units signal --phase-correction off --section-freqs 1,14 "
                          "--log-file --out " +
                          dir.path().string());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, dir / "demo_ADC_Mod_Tabl_st0048.dat" + "\n" +
                         dir / "demo_ADC_Mod_Tabl_st0048.log" + "\n" +
                         dir / "demo_ADC_Mod_Tabl_st0049.dat" + "\n" +
                         dir / "demo_ADC_Mod_Tabl_st0049.log" +
                         "\nData Processing is Successfully Complited!\n");
    EXPECT_NE(o.err.find("\"Phase Correction\" is locked on"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("\"X Mirror\" is not available"), std::string::npos) << o.err;
}

TEST_F(ProcessTool, ExitStatusOfUsageErrorsAndFailedRuns) {
    struct Case {
        std::string arguments;
        int status;
        const char *error;
    };
    const Case cases[] = {
        {"", 2, "no survey given"},
        {demo + "demo.kav --units volts", 2, "--units takes signal|cond|res|ppm"},
        {demo + "demo.kav --units ppm --component phase", 2, "do not offer"},
        {demo + "demo.kav --freq 15", 2, "--freq takes 1 to 14"},
        {demo + "demo.kav --along 3 --freq 2", 2, "belong to maps"},
        {demo + "demo.kav --all --out " + dir / "x.dat", 2, "names the folder"},
        {demo + "missing.kav", 1, "missing.kav"},
        {demo + "demo.kav --calibration-dir " + dir.path().string() + " --out " +
             dir.path().string(),
         1,
         "(record 1, channel 1: the field transform found no conductivity: *** FATAL ERROR 1 "
         "from NUMDERIV."},
        {demo + "demo.kav --stations 10:5 --out " + dir.path().string(), 1,
         "The last station (5) lies before the first (10)"},
        {demo + "demo.kav --units signal --calibration-dir " + dir.path().string() + " --out " +
             dir.path().string(),
         0, "Ini File 'Orvex.ini' Does not exist! You should restore it!"},
    };
    for (const Case &c : cases) {
        const Outcome o = Run(c.arguments);
        EXPECT_EQ(o.status, c.status) << c.arguments << "\n" << o.err;
        EXPECT_NE(o.err.find(c.error), std::string::npos) << c.arguments << "\n" << o.err;
    }
}

TEST_F(ProcessTool, HelpDocumentsEveryFlag) {
    const Outcome o = Run("--help");
    EXPECT_EQ(o.status, 0);
    for (const char *flag : {"--map",          "--along",       "--across",
                             "--freq",         "--stations",    "--lines",
                             "--all",          "--units",       "--component",
                             "--format",       "--signal-type", "--phase-correction",
                             "--by-current",   "--by-freq",     "--subtract-zero",
                             "--log10",        "--volt-limits", "--app-limits",
                             "--filter",       "--scale-coefs", "--x-step",
                             "--y-step",       "--depth-scale", "--x-mirror",
                             "--y-mirror",     "--xy-change",   "--section-freqs",
                             "--coord-type",   "--coord-file",  "--log-file",
                             "--current-file", "--out",         "--calibration-dir"})
        EXPECT_NE(o.out.find(flag), std::string::npos) << flag;
}

} // namespace
