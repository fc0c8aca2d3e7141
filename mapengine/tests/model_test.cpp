// The object model: page setup, levels, axes, selection and the document
// file's round trip and refusals.
#include "mapengine/layout.h"
#include "mapengine/model.h"

#include "test_support.h"

#include "orvex/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace orvex::map {
namespace {

using testing::ScratchDir;

// A 500 × 300 map whose z runs from 50.9 to 197.6, with a blank corner.
std::string WriteSurveyGrid(const ScratchDir &dir, const std::string &name = "area7.grd") {
    Grid grid({51, 31, 0, 500, 0, 300});
    for (int row = 0; row < 31; ++row)
        for (int column = 0; column < 51; ++column)
            grid.Set(column, row, 50.9 + 146.7 * (column / 50.0) * (0.5 + row / 60.0));
    grid.Set(0, 30, kBlankValue);
    grid.Set(50, 30, 197.6);
    const std::string path = dir / name;
    WriteGridFile(grid, path, GridFormat::GoldenBinary7);
    return path;
}

TEST(PageSetup, OrientationTurnsThePageAndMarginsMustLeaveRoom) {
    Application server;
    PageSetup &page = server.Documents().Add(1).PageSetup();
    page.SetOrientation(2);
    EXPECT_EQ(page.Width(), 29.7);
    EXPECT_EQ(page.Height(), 21.0);
    page.SetWidth(29.7);
    page.SetHeight(21.0);
    page.SetLeftMargin(2);
    EXPECT_EQ(page.Printable().left, 2);
    EXPECT_EQ(page.Printable().top, 20);
    EXPECT_THROW(page.SetRightMargin(28), MapServerError);
    EXPECT_EQ(page.RightMargin(), 1);
    EXPECT_THROW(page.SetOrientation(3), MapServerError);
    EXPECT_THROW(page.SetWidth(0), MapServerError);
}

TEST(Levels, ServerChoosesANiceIntervalAndTheBuilderCanRegenerate) {
    ScratchDir dir;
    Application server;
    MapFrame &frame = server.Documents().Add(1).Shapes().AddContourMap(WriteSurveyGrid(dir));
    ContourLayer &layer = frame.Layers().ContourLayerAt(1);
    EXPECT_DOUBLE_EQ(layer.Grid().ZMin(), 50.9);
    EXPECT_DOUBLE_EQ(layer.Grid().ZMax(), 197.6);

    Levels &levels = layer.Levels();
    ASSERT_EQ(levels.Count(), 16); // 50, 60, … 200
    EXPECT_EQ(levels.Item(1).Value(), 50);
    EXPECT_EQ(levels.Item(16).Value(), 200);
    EXPECT_EQ(levels.Item(1).FillColour(), GreyRampColour(0, 16));
    EXPECT_EQ(levels.Item(16).FillColour(), 0xFFFFFF);

    const double lo = layer.Grid().ZMin(), hi = layer.Grid().ZMax();
    levels.Regenerate(lo, hi, (hi - lo) / 24);
    ASSERT_EQ(levels.Count(), 25);
    EXPECT_NEAR(levels.Item(25).Value(), hi, 1e-9);
    levels.Item(3).SetFillColour(128 + 256 * 177 + 65536 * 127);
    EXPECT_EQ(levels.Item(3).FillColour(), 8368512);
    EXPECT_THROW(levels.Item(3).SetFillColour(1 << 24), MapServerError);
    EXPECT_THROW(levels.Item(26), MapServerError);

    levels.Reset(2, 0, 1);
    EXPECT_EQ(levels.Count(), 16);
    EXPECT_TRUE(levels.Item(1).ShowLine());
    EXPECT_FALSE(levels.Item(2).ShowLine());
    levels.Regenerate(7, 7, 0);
    EXPECT_EQ(levels.Count(), 1);
    EXPECT_THROW(levels.Regenerate(0, 10, 0), MapServerError);
    EXPECT_THROW(levels.Regenerate(0, 10, 1e-9), MapServerError);
}

TEST(Levels, NiceStepsAndLevelCounts) {
    struct Case {
        double range;
        double step;
    } cases[] = {{146.7, 10}, {1, 0.1}, {0.035, 0.002}, {9000, 500}, {12, 1}};
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(NiceStep(c.range, 18), c.step) << c.range;
    for (double range : {0.3, 7.0, 55.0, 1234.0, 2e6}) {
        const size_t n = NiceLevels(10, 10 + range).size();
        EXPECT_GE(n, 8u) << range;
        EXPECT_LE(n, 21u) << range;
    }
}

TEST(Axes, ScaleKeepsWhatIsLeftNullAndTicksFollowTheInterval) {
    ScratchDir dir;
    Application server;
    MapFrame &frame = server.Documents().Add(1).Shapes().AddContourMap(WriteSurveyGrid(dir));
    Axis &bottom = frame.Axes().Item(1);
    EXPECT_EQ(bottom.MajorInterval(), 100);
    EXPECT_EQ(bottom.FirstMajorTick(), 0);
    EXPECT_EQ(bottom.LastMajorTick(), 500);
    bottom.SetScale(std::nullopt, std::nullopt, 50, bottom.FirstMajorTick(), bottom.LastMajorTick(),
                    std::nullopt, std::nullopt);
    EXPECT_EQ(bottom.Minimum(), 0);
    EXPECT_EQ(bottom.MajorTicks().size(), 11u);
    // With a null interval the axis keeps its own.
    bottom.SetScale(std::nullopt, std::nullopt, std::nullopt, 0, 500, std::nullopt, std::nullopt);
    EXPECT_EQ(bottom.MajorInterval(), 50);
    EXPECT_THROW(bottom.SetScale(std::nullopt, std::nullopt, 0, std::nullopt, std::nullopt,
                                 std::nullopt, std::nullopt),
                 MapServerError);
    // An interval of 1 on a 500 m axis: every tick, but labels that do not overlap.
    bottom.SetScale(std::nullopt, std::nullopt, 1, std::nullopt, std::nullopt, std::nullopt,
                    std::nullopt);
    EXPECT_EQ(bottom.MajorTicks().size(), 501u);
    const AxisLayout axis = LayoutFrame(frame).axes[0];
    ASSERT_GT(axis.labels.size(), 2u);
    for (size_t k = 1; k < axis.labels.size(); ++k)
        EXPECT_GT(axis.labels[k].left, axis.labels[k - 1].left + axis.labels[k - 1].width);
    EXPECT_FALSE(frame.Axes().Item(3).ShowLabels());
    EXPECT_THROW(frame.Axes().Item(5), MapServerError);
}

TEST(Selection, BoundsIncludeLabelsAndMoveTheSelectedMaps) {
    ScratchDir dir;
    Application server;
    PlotDocument &document = server.Documents().Add(1);
    MapFrame &frame = document.Shapes().AddContourMap(WriteSurveyGrid(dir));
    // The server fits a new map into the printable page.
    const PageBox printable = document.PageSetup().Printable();
    const PageBox fitted = frame.Bounds();
    EXPECT_GE(fitted.left, printable.left - 1e-9);
    EXPECT_LE(fitted.right, printable.right + 1e-9);
    EXPECT_NEAR(fitted.Width(), printable.Width(), 1e-6);
    EXPECT_NEAR(frame.XLength() / frame.YLength(), 500.0 / 300.0, 1e-12);

    Selection &selection = document.Selection();
    EXPECT_THROW(selection.Width(), MapServerError);
    document.Shapes().Item(1).SetSelected(true);
    EXPECT_GT(selection.Width() - frame.XLength(), 0.5); // the y labels and ticks
    EXPECT_GT(selection.Height() - frame.YLength(), 0.3);

    frame.SetXLength(8);
    frame.SetYLength(4.8);
    EXPECT_NEAR(selection.Left(), fitted.left, 1e-9); // sizing keeps the top left corner
    EXPECT_NEAR(selection.Top(), fitted.top, 1e-9);
    selection.SetLeft(1);
    selection.SetTop(28.7);
    EXPECT_NEAR(frame.Bounds().left, 1, 1e-9);
    EXPECT_NEAR(frame.Bounds().top, 28.7, 1e-9);
    const double width = selection.Width();

    // A colour scale widens the map's bounds; a tilted view changes them.
    frame.Layers().ContourLayerAt(1).SetShowColourScale(true);
    EXPECT_GT(selection.Width(), width + 0.5);
    frame.SetViewTilt(30);
    frame.SetViewRotation(30);
    EXPECT_LT(selection.Height(), frame.YLength() + 1.5);
    EXPECT_THROW(frame.SetProjection(3), MapServerError);
}

TEST(Documents, WrittenDocumentReopensWholeAfterItsGridIsGone) {
    ScratchDir dir;
    const std::string gridPath = WriteSurveyGrid(dir);
    testing::WriteText(dir / "line.bln", "3 0\n0 0\n250 150\n500 300\n");
    Application server;
    PlotDocument &document = server.Documents().Add(1);
    document.PageSetup().SetOrientation(2);
    document.PageSetup().SetTopMargin(2.5);
    MapFrame &frame = document.Shapes().AddContourMap(gridPath);
    ContourLayer &layer = frame.Layers().ContourLayerAt(1);
    layer.SetFilled(true);
    layer.SetShowColourScale(true);
    layer.Levels().Regenerate(50, 200, 25);
    layer.Levels().Item(2).SetFillColour(0x12AB34);
    frame.Axes().Item(2).SetScale(std::nullopt, std::nullopt, 75, std::nullopt, std::nullopt,
                                  std::nullopt, 2);
    frame.SetViewTilt(45);
    frame.SetProjection(2);
    document.Shapes().AddBaseMap(dir / "line.bln", 0);
    const PageBox bounds = frame.Bounds();
    document.Close(1, dir / "area7.srf");
    EXPECT_EQ(server.Documents().Count(), 0);

    std::filesystem::remove(gridPath);
    std::filesystem::remove(dir / "line.bln");
    server.ReleaseResources();
    PlotDocument &back = server.Documents().Open(dir / "area7.srf");
    EXPECT_EQ(back.FullName(), dir / "area7.srf");
    EXPECT_EQ(back.Title(), "area7.srf");
    EXPECT_FALSE(back.Modified());
    EXPECT_EQ(back.PageSetup().Orientation(), 2);
    EXPECT_EQ(back.PageSetup().TopMargin(), 2.5);
    ASSERT_EQ(back.Shapes().Count(), 1);
    auto &map = static_cast<MapFrame &>(back.Shapes().Item(1));
    EXPECT_EQ(map.ViewTilt(), 45);
    EXPECT_EQ(map.Projection(), 2);
    EXPECT_NEAR(map.Bounds().left, bounds.left, 1e-12);
    EXPECT_NEAR(map.Bounds().top, bounds.top, 1e-12);
    ASSERT_EQ(map.Layers().Count(), 2);
    const ContourLayer &contour = map.Layers().ContourLayerAt(1);
    EXPECT_TRUE(contour.Filled());
    EXPECT_TRUE(contour.ShowColourScale());
    EXPECT_EQ(contour.SourceFile(), gridPath);
    ASSERT_EQ(contour.Levels().Count(), 7);
    EXPECT_EQ(contour.Levels().Item(2).FillColour(), 0x12AB34);
    EXPECT_EQ(contour.Grid().Values(), layer.Grid().Values()); // layer's grid outlived its file
    EXPECT_EQ(map.Axes().Item(2).MajorInterval(), 75);
    EXPECT_EQ(map.Axes().Item(2).LabelEvery(), 2);
    const auto &base = static_cast<const BaseLayer &>(map.Layers().Item(2));
    ASSERT_EQ(base.Polylines().size(), 1u);
    EXPECT_EQ(base.Polylines()[0].x[1], 250);
}

TEST(Documents, DamagedOrForeignFilesAreRefused) {
    ScratchDir dir;
    Application server;
    PlotDocument &document = server.Documents().Add(1);
    document.Shapes().AddContourMap(WriteSurveyGrid(dir));
    document.SaveAs(dir / "good.srf");
    const std::string good = ReadWholeFile(dir / "good.srf");

    auto refusal = [&](const std::string &bytes) {
        testing::WriteText(dir / "bad.srf", bytes);
        try {
            server.Documents().Open(dir / "bad.srf");
        } catch (const MapServerError &error) {
            return std::string(error.what());
        }
        return std::string("opened");
    };
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x40;
    EXPECT_NE(refusal(flipped).find("check sum"), std::string::npos);
    EXPECT_NE(refusal(good.substr(0, good.size() - 100)).find("damaged"), std::string::npos);
    std::string newer = good;
    newer[8] = 9;
    EXPECT_NE(refusal(newer).find("version 9"), std::string::npos);
    EXPECT_NE(refusal("a text file").find("not a map document"), std::string::npos);
    EXPECT_NE(refusal("").find("not a map document"), std::string::npos);
    EXPECT_EQ(server.Documents().Count(), 1);
}

TEST(Documents, CollectionKindsModesAndMissingFiles) {
    ScratchDir dir;
    Application server;
    DocumentCollection &documents = server.Documents();
    EXPECT_THROW(documents.Add(2), MapServerError);
    PlotDocument &unnamed = documents.Add(1);
    EXPECT_THROW(unnamed.Close(1), MapServerError);
    EXPECT_THROW(unnamed.SaveAs(dir / "x.srf", 0, 1), MapServerError);
    EXPECT_THROW(unnamed.Shapes().AddContourMap(dir / "missing.grd"), MapServerError);
    EXPECT_THROW(documents.Open(dir / "missing.srf"), MapServerError);
    EXPECT_THROW(unnamed.SaveAs(dir / "no/folder/x.srf"), MapServerError);
    documents.Add(1);
    EXPECT_EQ(documents.Count(), 2);
    documents.CloseAll(1);
    EXPECT_EQ(documents.Count(), 0);
    EXPECT_THROW(documents.CloseAll(0), MapServerError);
}

} // namespace
} // namespace orvex::map
