// Grid files through GDAL and XYZ text.
#include "mapengine/grid.h"

#include "test_support.h"

#include "orvex/errors.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>

namespace orvex::map {
namespace {

using testing::ScratchDir;

// 4 × 3 nodes over x 10..40, y 100..120, one node blank.
Grid SmallGrid() {
    Grid grid({4, 3, 10, 40, 100, 120});
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            grid.Set(column, row, 0.125 * column + row * 1000.5);
    grid.Set(2, 1, kBlankValue);
    return grid;
}

TEST(GridFile, GdalReadsBackWhatIsWrittenAsBinary7) {
    ScratchDir dir;
    const Grid grid = SmallGrid();
    WriteGridFile(grid, dir / "g.grd", GridFormat::GoldenBinary7);

    GDALAllRegister();
    GDALDataset *dataset =
        static_cast<GDALDataset *>(GDALOpen((dir / "g.grd").c_str(), GA_ReadOnly));
    ASSERT_NE(dataset, nullptr);
    EXPECT_STREQ(dataset->GetDriver()->GetDescription(), "GS7BG");
    ASSERT_EQ(dataset->GetRasterXSize(), 4);
    ASSERT_EQ(dataset->GetRasterYSize(), 3);
    double t[6];
    ASSERT_EQ(dataset->GetGeoTransform(t), CE_None);
    // Nodes are cell centres to GDAL: the corner node (10, 100) is half a cell inside.
    EXPECT_DOUBLE_EQ(t[0] + t[1] / 2, 10);
    EXPECT_DOUBLE_EQ(t[1], 10);
    EXPECT_DOUBLE_EQ(t[3] + t[5] / 2, 120);
    EXPECT_DOUBLE_EQ(t[5], -10);
    GDALRasterBand *band = dataset->GetRasterBand(1);
    int hasNoData = 0;
    EXPECT_TRUE(IsBlank(band->GetNoDataValue(&hasNoData)));
    EXPECT_TRUE(hasNoData);
    double values[12];
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 4, 3, values, 4, 3, GDT_Float64, 0, 0), CE_None);
    for (int fileRow = 0; fileRow < 3; ++fileRow)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(values[fileRow * 4 + column], grid.At(column, 2 - fileRow))
                << "file row " << fileRow << " column " << column;
    GDALClose(dataset);
}

TEST(GridFile, EachFormatReadsBackWithItsBlanks) {
    ScratchDir dir;
    const Grid grid = SmallGrid();
    for (GridFormat format :
         {GridFormat::GoldenBinary7, GridFormat::GoldenBinary6, GridFormat::GoldenAscii}) {
        const std::string path = dir / ("g" + std::to_string(static_cast<int>(format)) + ".grd");
        WriteGridFile(grid, path, format);
        const Grid back = ReadGridFile(path);
        SCOPED_TRACE(static_cast<int>(format));
        EXPECT_EQ(back.Columns(), 4);
        EXPECT_EQ(back.Rows(), 3);
        EXPECT_NEAR(back.XMin(), 10, 1e-9);
        EXPECT_NEAR(back.XMax(), 40, 1e-9);
        EXPECT_NEAR(back.YMin(), 100, 1e-9);
        EXPECT_NEAR(back.YMax(), 120, 1e-9);
        // The 6 binary format holds single precision.
        const double tolerance = format == GridFormat::GoldenBinary6 ? 1e-4 : 1e-9;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column) {
                if (grid.IsBlankAt(column, row))
                    EXPECT_EQ(back.At(column, row), kBlankValue);
                else
                    EXPECT_NEAR(back.At(column, row), grid.At(column, row), tolerance);
            }
        EXPECT_EQ(back.ZMin(), 0);
        EXPECT_NEAR(back.ZMax(), 2001.375, tolerance);
    }
}

TEST(GridFile, XyzTextRunsXFastestFromTheLowestRow) {
    Grid grid({3, 2, 0, 1, 5, 6});
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            grid.Set(column, row, 10 * row + column);
    grid.Set(1, 1, kBlankValue);
    EXPECT_EQ(GridToXyzText(grid), "0 5 0\n"
                                   "0.5 5 1\n"
                                   "1 5 2\n"
                                   "0 6 10\n"
                                   "0.5 6 1.70141E38\n"
                                   "1 6 12\n");
}

TEST(GridFile, FailuresNameTheFileAndLeaveNothingBehind) {
    ScratchDir dir;
    auto message = [](auto &&call) {
        try {
            call();
        } catch (const MapServerError &error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message([&] { ReadGridFile(dir / "missing.grd"); }).find("missing.grd"),
              std::string::npos);
    testing::WriteText(dir / "text.grd", "this is no grid\n");
    EXPECT_NE(message([&] { ReadGridFile(dir / "text.grd"); }).find("not a Golden Software grid"),
              std::string::npos);
    const std::string unwritable = dir / "no/such/folder/g.grd";
    EXPECT_NE(message([&] {
                  WriteGridFile(SmallGrid(), unwritable, GridFormat::GoldenBinary7);
              }).find("Cannot write"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(unwritable + ".partial"));
    EXPECT_THROW(GridFormatFromCode(5), MapServerError);
    EXPECT_THROW(Grid({1, 5, 0, 1, 0, 1}), MapServerError);
    EXPECT_THROW(Grid({100000, 100000, 0, 1, 0, 1}), MapServerError);
}

} // namespace
} // namespace orvex::map
