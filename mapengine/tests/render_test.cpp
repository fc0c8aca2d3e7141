// Drawing documents: colours where the bands must be, blanks left empty, the
// picture formats, and the orvex-render tool.
#include "mapengine/layout.h"
#include "mapengine/render.h"

#include "test_support.h"

#include "orvex/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orvex::map {
namespace {

using testing::ScratchDir;

constexpr int kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000; // r + 256 g + 65536 b

// 0 on the left half of a 20 × 10 map, 10 on the right; the top left corner blank.
std::string WriteStepGrid(const ScratchDir &dir) {
    Grid grid({21, 11, 0, 20, 0, 10});
    for (int row = 0; row <= 10; ++row)
        for (int column = 0; column <= 20; ++column)
            grid.Set(column, row, column <= 10 ? 0 : 10);
    for (int row = 7; row <= 10; ++row)
        for (int column = 0; column <= 3; ++column)
            grid.Set(column, row, kBlankValue);
    WriteGridFile(grid, dir / "step.grd", GridFormat::GoldenBinary7);
    return dir / "step.grd";
}

PlotDocument &StepMap(Application &server, const ScratchDir &dir) {
    PlotDocument &document = server.Documents().Add(1);
    MapFrame &frame = document.Shapes().AddContourMap(WriteStepGrid(dir));
    ContourLayer &layer = frame.Layers().ContourLayerAt(1);
    layer.SetFilled(true);
    layer.Levels().Reset(0, 0, 0); // no contour lines over the sampled pixels
    layer.Levels().Regenerate(0, 10, 5);
    layer.Levels().Item(1).SetFillColour(kRed);
    layer.Levels().Item(2).SetFillColour(kGreen);
    layer.Levels().Item(3).SetFillColour(kBlue);
    return document;
}

// The pixel of map point (x, y) in a picture of the page at `dpi`.
QPoint PixelOf(const PlotDocument &document, double x, double y, double dpi) {
    const auto &frame = static_cast<const MapFrame &>(document.Shapes().Item(1));
    const FrameLayout layout = LayoutFrame(frame);
    double u, v, px, py;
    layout.MapToPlane(x, y, u, v);
    layout.projection.Apply(u, v, px, py);
    const QPointF p = PageToDevice(document.PageSetup(), dpi / 2.54)
                          .map(QPointF(frame.CentreX() + px, frame.CentreY() + py));
    return p.toPoint();
}

TEST(Render, BandsTakeTheirLevelColoursAndBlanksStayEmpty) {
    ScratchDir dir;
    Application server;
    const PlotDocument &document = StepMap(server, dir);
    const QImage image = RenderImage(document, 100);
    ASSERT_EQ(image.width(), 827); // 21 cm at 100 dpi
    ASSERT_EQ(image.height(), 1169);
    auto at = [&](double x, double y) {
        return image.pixel(PixelOf(document, x, y, 100)) & 0xFFFFFF;
    };
    EXPECT_EQ(at(5, 3), 0xFF0000u);     // z = 0: the first level's red
    EXPECT_EQ(at(16, 5), 0x0000FFu);    // z = 10: the third level's blue
    EXPECT_EQ(at(10.75, 5), 0x00FF00u); // z climbs from 0 to 10 between x 10 and 11: 7.5 here
    EXPECT_EQ(at(1, 9.5), 0xFFFFFFu);   // blank corner: paper
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu); // page outside the map
    // The bottom axis runs along y = 0 (a line under a pixel wide), with labels below it.
    const QPoint axis = PixelOf(document, 7, 0, 100);
    int darkest = 255;
    for (int dy = -1; dy <= 1; ++dy)
        darkest = std::min(darkest, qGray(image.pixel(axis + QPoint(0, dy))));
    EXPECT_LT(darkest, 160);
    const QPoint below = PixelOf(document, 0, 0, 100) + QPoint(0, 14);
    int dark = 0;
    for (int dx = -12; dx <= 12; ++dx)
        for (int dy = -6; dy <= 6; ++dy)
            dark += qGray(image.pixel(below + QPoint(dx, dy))) < 128;
    EXPECT_GT(dark, 5) << "no tick label under the origin";
}

TEST(Render, TiltedViewKeepsTheBandsWhereTheMapPointsGo) {
    ScratchDir dir;
    Application server;
    PlotDocument &document = StepMap(server, dir);
    auto &frame = static_cast<MapFrame &>(document.Shapes().Item(1));
    frame.SetViewRotation(30);
    frame.SetViewTilt(35);
    frame.SetEyeDistance(20);
    const QImage image = RenderImage(document, 100);
    auto at = [&](double x, double y) {
        return image.pixel(PixelOf(document, x, y, 100)) & 0xFFFFFF;
    };
    EXPECT_EQ(at(5, 3), 0xFF0000u);
    EXPECT_EQ(at(17, 6), 0x0000FFu);
    EXPECT_EQ(at(1, 9.5), 0xFFFFFFu);
    // Turned and tilted, the map still lies within the printable page.
    const PageBox bounds = frame.Bounds(), page = document.PageSetup().Printable();
    EXPECT_GE(bounds.left, page.left - 1e-9);
    EXPECT_LE(bounds.right, page.right + 1e-9);
    EXPECT_LT(bounds.Height(), 0.8 * bounds.Width());
}

TEST(Render, ExportsEachPictureFormatWholeOrNotAtAll) {
    ScratchDir dir;
    Application server;
    const PlotDocument &document = StepMap(server, dir);
    struct Case {
        const char *name;
        const char *magic;
    } cases[] = {{"map.png", "\x89PNG"}, {"map.svg", "<?xml"}, {"map.PDF", "%PDF"}};
    for (const Case &c : cases) {
        ExportDocument(document, dir / c.name);
        EXPECT_EQ(ReadWholeFile(dir / c.name).substr(0, std::strlen(c.magic)), c.magic) << c.name;
    }
    EXPECT_THROW(ExportDocument(document, dir / "map.bmp"), MapServerError);
    EXPECT_THROW(ExportDocument(document, dir / "no/folder/map.png"), MapServerError);
    EXPECT_FALSE(std::filesystem::exists(dir / "no/folder/map.png.partial"));
}

TEST(Render, ToolDrawsADocumentAndReportsFailures) {
    ScratchDir dir;
    Application server;
    StepMap(server, dir).SaveAs(dir / "step.srf");
    const std::string tool = std::string(ORVEX_BIN_DIR) + "/orvex-render ";
    EXPECT_EQ(std::system((tool + dir / "step.srf " + dir / "step.png > /dev/null").c_str()), 0);
    EXPECT_EQ(ReadWholeFile(dir / "step.png").substr(1, 3), "PNG");
    const std::string failing = tool + dir / "missing.srf " + dir / "x.png 2> " + dir / "err.txt";
    EXPECT_NE(std::system(failing.c_str()), 0);
    EXPECT_NE(ReadWholeFile(dir / "err.txt").find("missing.srf"), std::string::npos);
}

} // namespace
} // namespace orvex::map
