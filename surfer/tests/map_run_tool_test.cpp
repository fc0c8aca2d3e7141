// A map run of the demo survey through the headless tools: orvex-process grids
// the data sheet and draws the map document beside it, orvex-render turns the
// document into a picture in the ramp's colours; and the runs it refuses.
#include "orvex/files.h"
#include "orvex/testing/run_tool.h"
#include "orvex/testing/scratch_dir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <map>

namespace {

using Outcome = orvex::testing::ToolOutcome;

class MapRunTool : public ::testing::Test {
protected:
    Outcome Run(const std::string &command) {
        return orvex::testing::RunTool(command, dir / "stderr.txt");
    }
    std::string Process(const std::string &arguments) {
        return std::string(ORVEX_BIN_DIR) + "/orvex-process " + demo + " " + arguments;
    }
    const std::string demo = std::string(ORVEX_DATA_DIR) + "/demo/demo.kav";
    orvex::testing::ScratchDir dir;
};

TEST_F(MapRunTool, GridsDrawsAndRendersTheDemoMap) {
    const Outcome run = Run(Process("--units cond --freq 5 --use-surfer --create-map --levels 10 "
                                    "--color-map rainbow --show-scale --out " +
                                    dir.path().string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string base = dir / "demo_CON_Mod_Surf_f05";
    EXPECT_EQ(run.out, base + ".dat\n" + base + ".grd\n" + base + ".srf\n" +
                           "Maps are Successfully Created and Shown in Surfer Window.\n");
    EXPECT_EQ(run.err, "");

    const std::string picture = dir / "map.png";
    const Outcome render =
        Run(std::string(ORVEX_BIN_DIR) + "/orvex-render " + base + ".srf " + picture);
    ASSERT_EQ(render.status, 0) << render.err;
    QImage image(QString::fromStdString(picture));
    ASSERT_FALSE(image.isNull());
    EXPECT_LT(image.width(), image.height()); // A4 portrait

    // The bands are filled in the ten levels' colours: every colour of the
    // ramp covers a part of the page, red the lowest band, magenta the highest.
    std::map<QRgb, int> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++pixels[image.pixel(x, y) | 0xff000000u];
    for (const QRgb band : {qRgb(255, 0, 0), qRgb(255, 255, 0), qRgb(0, 255, 0), qRgb(0, 255, 255),
                            qRgb(0, 0, 255), qRgb(255, 0, 255)})
        EXPECT_GT(pixels[band], 500) << std::hex << band;
}

TEST_F(MapRunTool, RefusesMapsItCannotMake) {
    struct Case {
        std::string command;
        int status;
        const char *error;
    };
    const std::string out = " --out " + dir.path().string();
    const Case cases[] = {
        {Process("--levels 12" + out), 2, "belong to --create-map"},
        {Process("--columns 50 --create-map --rows x" + out), 2, "--rows: 'x' is not a whole"},
        {Process("--color-map grey --create-map" + out), 2, "--color-map takes cyan-orange|"},
        {Process("--margins 1,2,3 --create-map" + out), 2, "four values"},
        {Process("--format sounding --along 12 --use-surfer" + out), 2,
         "--use-surfer needs the data sheet layout"},
        // Without the map server, the warning and an error before any table is written.
        {Process("--use-surfer --no-map-server" + out), 1,
         "Surfer is not Installed at this Computer! You Could not Use Automatic Visualization!"},
        {"ORVEX_NO_MAP_SERVER=1 " + Process("--create-map" + out), 1,
         "--use-surfer needs the map server, which could not be created"},
        {Process("--create-map --levels 1" + out), 1,
         "A map needs at least 2 contour levels (or the map server's own), not 1"},
    };
    for (const Case &c : cases) {
        const Outcome o = Run(c.command);
        EXPECT_EQ(o.status, c.status) << c.command << "\n" << o.err;
        EXPECT_NE(o.err.find(c.error), std::string::npos) << c.command << "\n" << o.err;
    }
    // The refused level count came after the table and the grid, before any document.
    EXPECT_TRUE(orvex::FileExists(dir / "demo_RES_Mod_Surf_f01.grd"));
    EXPECT_FALSE(orvex::FileExists(dir / "demo_RES_Mod_Surf_f01.srf"));
}

} // namespace
