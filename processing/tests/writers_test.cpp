#include "orvex/codepage.h"
#include "orvex/processing/writers.h"
#include "run_fixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvex;
using orvex::testing::RunFixture;

namespace {

TEST(OutputName, FollowsUnitsComponentLayoutAndWindow) {
    struct NameCase {
        const char *input;
        Units units;
        Component component;
        TableLayout layout;
        const char *window;
        const char *expected;
    };
    const NameCase cases[] = {
        {"/w/area7.kav", Units::AppResistivity, Component::Modulus, TableLayout::DataSheet, "_f03",
         "area7_RES_Mod_Surf_f03.dat"},
        {"a.kav", Units::Signal, Component::Quadrature, TableLayout::SoundingCurves, "_st0012",
         "a_ADC_Quad_Tabl_st0012.dat"},
        {"b.x.prf", Units::AppCond, Component::InPhase, TableLayout::ProfileCurves, "_pr0003",
         "b.x_CON_Inph_Graph_pr0003.dat"},
        {"c.kav", Units::Ppm, Component::Phase, TableLayout::Inversion1D, "", "c_PPM_Phase.pelpr"},
        {"/w/.kav", Units::Signal, Component::Modulus, TableLayout::DataSheet, "",
         "_ADC_Mod_Surf.dat"},
    };
    for (const NameCase &c : cases)
        EXPECT_EQ(OutputFileName(c.input, c.units, c.component, c.layout, c.window), c.expected);

    ProcessWindows windows;
    windows.Section.Visible = true;
    windows.Section.LineNumber.Text = "-5";
    EXPECT_EQ(WindowNamePart(windows), "_pr-005");
    windows.Map.Visible = true;
    windows.Map.OrtGrid = false;
    windows.Map.ChaNFreq.Text = "7";
    EXPECT_EQ(WindowNamePart(windows), "_f07");

    EXPECT_EQ(OutputPath("/in/s.kav", "x.dat"), "/in/x.dat");
    EXPECT_EQ(OutputPath("/in/s.kav", "/out/x.dat"), "/out/x.dat");
    EXPECT_EQ(OutputPath("/in/s.kav", "x.dat", "/o"), "/o/x.dat");
}

// One run of the fixture's survey and the files it must write, to the byte.
struct TableCase {
    const char *name;
    std::function<void(RunFixture &)> setup;
    const char *fileName;
    std::string main, log, current; // empty log or current: the file must not exist
};

const TableCase kTableCases[] = {
    {"MapDataSheetSkipsInvalidCellsWithoutGaps", [](RunFixture &f) { f.ShowMap(2); },
     "t_ADC_Quad_Surf_f02.dat",
     "        0.0000000000        0.0000000000      102.0000000000         0\r\n"
     "        0.0000000000        1.0000000000      402.0000000000         1\r\n"
     "        1.0000000000        1.0000000000      302.0000000000         2\r\n",
     "", ""},
    {"MapDataSheetWithXYChange",
     [](RunFixture &f) {
         f.windows.Common.XYChange.Checked = true;
         f.ShowMap(2);
     },
     "t_ADC_Quad_Surf_f02.dat",
     "        0.0000000000        0.0000000000     102.00000         0\r\n"
     "        1.0000000000        0.0000000000     402.00000         1\r\n"
     "        1.0000000000        1.0000000000     302.00000         2\r\n",
     "", ""},
    {"MapMirrorsTurnPositionsNotValues",
     [](RunFixture &f) {
         f.windows.Common.XMirror = f.windows.Common.YMirror = {true, true};
         f.ShowMap(2);
     },
     "t_ADC_Quad_Surf_f02.dat",
     "        1.0000000000        1.0000000000      102.0000000000         0\r\n"
     "        1.0000000000        0.0000000000      402.0000000000         1\r\n"
     "        0.0000000000        0.0000000000      302.0000000000         2\r\n",
     "", ""},
    {"MapTableWritesEveryCellWithLogAndCurrent",
     [](RunFixture &f) {
         f.windows.Options.OutputFormat.ItemIndex = 1;
         f.windows.Options.CreateLogFile.Checked = f.windows.Options.CreateCurrentFile.Checked =
             true;
         f.windows.Common.XYChange.Checked = true; // nothing in other layouts
         f.ShowMap(2);
     },
     "t_ADC_Quad_Tabl_f02.dat",
     "           Y|X        0.0000000000        1.0000000000\r\n"
     "        0.0000000000      102.0000000000         1.70141E+38\r\n"
     "        1.0000000000      402.0000000000      302.0000000000\r\n",
     " NStat NProf  Measured\r\n"
     "     0     0      TRUE\r\n"
     "     1     0     FALSE\r\n"
     "     0     1      TRUE\r\n"
     "     1     1      TRUE\r\n",
     "           Y|X          0.00          1.00\r\n"
     "          0.00       1.00000       0.00000\r\n"
     "          1.00       1.00000       1.00000\r\n"},
    {"MapInversionLayoutLeavesAnEmptyTable",
     [](RunFixture &f) {
         f.windows.Options.OutputFormat.ItemIndex = 3;
         f.windows.Options.CreateLogFile.Checked = true;
         f.ShowMap(2);
     },
     "t_ADC_Quad_f02.pelpr", "",
     " NStat NProf  Measured\r\n"
     "     0     0      TRUE\r\n"
     "     1     0     FALSE\r\n"
     "     0     1      TRUE\r\n"
     "     1     1      TRUE\r\n",
     ""},
    {"SectionDataSheetByChannelThenPosition",
     [](RunFixture &f) {
         f.ShowSection(true, 1, {2, 5, 9});
     },
     "t_ADC_Quad_Surf_pr0001.dat",
     "        0.0000000000       -5.0000000000      402.0000000000\r\n"
     "        1.0000000000       -5.0000000000      302.0000000000\r\n"
     "        0.0000000000       -2.0000000000      405.0000000000\r\n"
     "        0.0000000000       -1.1111111111      409.0000000000\r\n"
     "        1.0000000000       -1.1111111111      309.0000000000\r\n",
     "", ""},
    {"SectionSoundingCurvesWithCurrent",
     [](RunFixture &f) {
         f.windows.Options.OutputFormat.ItemIndex = 1;
         f.windows.Options.CreateCurrentFile.Checked = true;
         f.ShowSection(true, 1, {2, 5, 9});
     },
     "t_ADC_Quad_Tabl_pr0001.dat",
     "Depth|Station  Pos0  Pos1  \r\n"
     "       -1.1111111111      409.0000000000      309.0000000000\r\n"
     "       -2.0000000000      405.0000000000         1.70141E+38\r\n"
     "       -5.0000000000      402.0000000000      302.0000000000\r\n",
     "",
     "Depth|Station          0.00          1.00\r\n"
     "         -1.11       1.00000       1.00000\r\n"
     "         -2.00       1.00000       0.00000\r\n"
     "         -5.00       1.00000       1.00000\r\n"},
    {"SectionSoundingCurvesMirrored",
     [](RunFixture &f) {
         f.windows.Options.OutputFormat.ItemIndex = 1;
         f.windows.Common.XMirror = {true, true};
         f.ShowSection(true, 1, {2, 5, 9});
     },
     "t_ADC_Quad_Tabl_pr0001.dat",
     "Depth|Station  Pos0  Pos1  \r\n"
     "       -1.1111111111      309.0000000000      409.0000000000\r\n"
     "       -2.0000000000         1.70141E+38      405.0000000000\r\n"
     "       -5.0000000000      302.0000000000      402.0000000000\r\n",
     "", ""},
    {"SectionProfileCurvesNeverMirrored",
     [](RunFixture &f) {
         f.windows.Options.OutputFormat.ItemIndex = 2;
         f.ShowSection(true, 1, {2, 5, 9});
     },
     "t_ADC_Quad_Graph_pr0001.dat",
     "Position   #2(4)   #5(25)   #9(81)   \r\n"
     "        0.0000000000      402.0000000000      405.0000000000      409.0000000000\r\n"
     "        1.0000000000      302.0000000000         1.70141E+38      309.0000000000\r\n",
     "", ""},
    {"SectionInversionFile",
     [](RunFixture &f) {
         f.windows.Options.OutputFormat.ItemIndex = 3;
         f.ShowSection(true, 1, {2, 5, 9});
     },
     "t_ADC_Quad_pr0001.pelpr",
     "       0.50000 - радиус генератора\r\n"
     "            10 - кол-во витков генератора\r\n"
     "       1.20000 - положение приемника 1\r\n"
     "       2.00000 - положение приемника 2\r\n"
     "             1 - компонента сигнала (0-abs,1-Re,2-Im,3-Ph)\r\n"
     "             3 - кол-во частот\r\n"
     "    4000.00000       1.00000       4.62963\r\n"
     "   25000.00000       1.00000       4.62963\r\n"
     "   81000.00000       1.00000       4.62963\r\n"
     "        0.0000000000        1.0000000000 - положение на профиле\r\n"
     "      409.0000000000      309.0000000000\r\n"
     "      405.0000000000         1.70141E+38\r\n"
     "      402.0000000000      302.0000000000\r\n",
     "", ""},
    {"SectionAcrossLinesUsesTheLineStep",
     [](RunFixture &f) {
         f.records.Data.YStep = 2.5;
         f.ShowSection(false, 1, {3});
     },
     "t_ADC_Quad_Surf_st0001.dat",
     "        0.0000000000       -3.3333333333      203.0000000000\r\n"
     "        2.5000000000       -3.3333333333      303.0000000000\r\n",
     "", ""},
};

void PrintTo(const TableCase &c, std::ostream *os) {
    *os << c.name;
}

class Tables : public RunFixture, public ::testing::WithParamInterface<TableCase> {};

TEST_P(Tables, AreWrittenToTheCharacter) {
    const TableCase &c = GetParam();
    records.Data.Stations[1].ChannelUsed[2] = 0; // station 1 of line 0 at frequency 2
    records.Data.Stations[2].ChannelUsed[5] = 0; // station 1 of line 1 at frequency 5
    c.setup(*this);
    ASSERT_EQ(windows.Common.OutFile.Text, c.fileName);
    ASSERT_TRUE(Run());
    EXPECT_EQ(Output(), Utf8ToCp1251(c.main));
    EXPECT_EQ(FileExists(dir / ChangeExtension(c.fileName, ".log")), !c.log.empty());
    if (!c.log.empty()) {
        EXPECT_EQ(Output(".log"), c.log);
    }
    EXPECT_EQ(FileExists(dir / ChangeExtension(c.fileName, ".cur")), !c.current.empty());
    if (!c.current.empty()) {
        EXPECT_EQ(Output(".cur"), c.current);
    }
    EXPECT_EQ(records.SheetFiles, std::vector<std::string>{dir / c.fileName});
    EXPECT_EQ(records.GridFiles,
              std::vector<std::string>{dir / ChangeExtension(c.fileName, ".grd")});
}

INSTANTIATE_TEST_SUITE_P(Layouts, Tables, ::testing::ValuesIn(kTableCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RunFixture, SectionLogListsEveryChannelAndChannelsNotChosenAsUnmeasured) {
    windows.Options.CreateLogFile.Checked = true;
    records.Data.Stations[2].ChannelUsed[5] = 0;
    ShowSection(true, 1, {2, 5});
    ASSERT_TRUE(Run());
    std::string expected = " NStat NFreq  Measured\r\n";
    for (int k = 1; k <= 14; ++k)
        for (int l = 0; l < 2; ++l) {
            char line[32];
            const bool measured = k == 2 || (k == 5 && l == 0);
            std::snprintf(line, sizeof line, "%6d%6d%10s\r\n", l, k, measured ? "TRUE" : "FALSE");
            expected += line;
        }
    EXPECT_EQ(Output(".log"), expected);
}

} // namespace
