// The builder driving the program's own map server: grids and documents on
// disk, the document the user sees, and references that outlive their document.
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/surfer/builder.h"
#include "orvex/surfer/mapengine_server.h"
#include "orvex/testing/scratch_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace orvex;
using ::testing::HasSubstr;

namespace {

class MapEngineSurferTest : public ::testing::Test {
protected:
    MapEngineSurferTest() {
        // A plane over a 10 × 10 lattice, as a map run writes its data sheet.
        std::string sheet;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                sheet += std::to_string(x * 10) + " " + std::to_string(y * 10) + " " +
                         std::to_string(2 * x + 3 * y) + "\n";
        WriteWholeFile(data, sheet);
        context.Application = server;
    }

    map::PlotDocument &OnlyDocument() {
        EXPECT_EQ(server->Engine().Documents().Count(), 1);
        return server->Engine().Documents().Item(1);
    }

    orvex::testing::ScratchDir dir;
    const std::string data = dir / "map1.dat";
    std::shared_ptr<MapEngineSurfer> server = std::make_shared<MapEngineSurfer>();
    SurferContext context;
};

TEST_F(MapEngineSurferTest, GridsAndDrawsTheMapTheUserSees) {
    TKavSurfOpt options;
    options.NumLevels = 6;
    options.ColorMap = ColorRamp::CyanOrange;
    options.MajorInterval = 30;
    options.ShowScale = true;
    options.Landscape = 1;
    options.PageWidth = 29.7;
    options.PageHeight = 21;
    GridDataFiles(context, {data}, options);
    ASSERT_TRUE(FileExists(dir / "map1.grd"));

    server->Engine().Documents().Add(1); // an earlier map, closed by the build
    CreateMapDocuments(context, {dir / "map1.grd"}, false, options);
    ASSERT_TRUE(FileExists(dir / "map1.srf"));
    EXPECT_TRUE(server->Engine().Visible());

    // The document shown is the one read back from its file.
    map::PlotDocument &shown = OnlyDocument();
    EXPECT_EQ(shown.FullName(), dir / "map1.srf");
    EXPECT_EQ(shown.PageSetup().Orientation(), 2);
    EXPECT_DOUBLE_EQ(shown.PageSetup().Width(), 29.7);
    EXPECT_DOUBLE_EQ(shown.PageSetup().Height(), 21);
    auto &frame = dynamic_cast<map::MapFrame &>(shown.Shapes().Item(1));
    const map::ContourLayer &layer = frame.Layers().ContourLayerAt(1);
    EXPECT_TRUE(layer.Filled());
    EXPECT_TRUE(layer.ShowColourScale());
    // z = 2x + 3y over the lattice runs from 0 to 45: six levels 9 apart.
    EXPECT_EQ(layer.Levels().Values(), (std::vector<double>{0, 9, 18, 27, 36, 45}));
    EXPECT_EQ(layer.Levels().Item(1).FillColour(), 255 * 256 + 255 * 65536);
    EXPECT_EQ(layer.Levels().Item(6).FillColour(), 255 + 100 * 256);
    for (int i = 1; i <= 4; ++i)
        EXPECT_DOUBLE_EQ(frame.Axes().Item(i).MajorInterval(), 30) << i;
}

TEST_F(MapEngineSurferTest, ReferencesToAClosedDocumentFailInsteadOfReachingIt) {
    GridDataFiles(context, {data}, {});
    CreateMapDocuments(context, {dir / "map1.grd"}, false, {});
    // The build closed the document its references designate.
    EXPECT_THAT([&] { context.PlotDocument->PageSetup()->SetWidth(10); },
                ::testing::ThrowsMessage<MapServerError>(HasSubstr("no longer open")));
    EXPECT_THROW(context.Level->SetFillColor(0), MapServerError);
    EXPECT_THROW(context.Axis->FirstMajorTick(), MapServerError);

    // The document the user sees, closed in the viewer; a new one may take its place in memory.
    const std::shared_ptr<IPlotDocument> shown = server->Documents()->Open(dir / "map1.srf", 0);
    const std::shared_ptr<IMapFrame> frame =
        server->Documents()->Open(dir / "map1.srf", 0)->Shapes()->AddContourMap(dir / "map1.grd");
    const std::shared_ptr<ILevels> levels = frame->Layers()->Item(1)->Levels();
    EXPECT_GT(levels->Count(), 0);
    server->Engine().Documents().CloseAll(2);
    server->Documents()->Add(1);
    server->Documents()->Add(1);
    EXPECT_THROW(shown->Shapes(), MapServerError);
    EXPECT_THROW(shown->Shapes()->AddContourMap(dir / "map1.grd"), MapServerError);
    EXPECT_THROW(levels->Count(), MapServerError);
    EXPECT_EQ(server->Documents()->Count(), 2);
}

TEST_F(MapEngineSurferTest, FailuresCarryTheServersMessage) {
    EXPECT_THAT([&] { GridDataFiles(context, {dir / "missing.dat"}, {}); },
                ::testing::ThrowsMessage<MapServerError>(
                    HasSubstr("The map server could not grid \"" + dir / "missing.dat" + "\": ")));
    EXPECT_THAT([&] { CreateMapDocuments(context, {dir / "missing.grd"}, false, {}); },
                ::testing::ThrowsMessage<MapServerError>(HasSubstr(
                    "The map server could not draw the map of \"" + dir / "missing.grd" + "\": ")));
    // The failed build leaves its new, empty document open, as the server does.
    EXPECT_EQ(server->Engine().Documents().Count(), 1);
}

} // namespace
