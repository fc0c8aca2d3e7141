// Grid filtering and blanking by polygons.
#include "mapengine/gridops.h"

#include "test_support.h"

#include "orvex/errors.h"
#include "orvex/format.h"

#include <gtest/gtest.h>

namespace orvex::map {
namespace {

using testing::ScratchDir;

Grid Filled(int columns, int rows, double (*f)(int, int)) {
    Grid grid({columns, rows, 0, columns - 1.0, 0, rows - 1.0});
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            grid.Set(column, row, f(column, row));
    return grid;
}

TEST(GridFilter, BlanksStayBlankAndAreLeftOutOfTheirNeighbours) {
    Grid grid = Filled(5, 5, [](int c, int r) { return 1.0 * c + 10.0 * r; });
    grid.Set(2, 2, kBlankValue);
    const Grid out = FilterGrid(grid, 1, 1, 1);
    EXPECT_TRUE(out.IsBlankAt(2, 2));
    // Node (1, 1) averages its eight neighbours and itself but the blank (2, 2).
    const double expected = (0 + 1 + 2 + 10 + 11 + 12 + 20 + 21) / 8.0;
    EXPECT_DOUBLE_EQ(out.At(1, 1), expected);
    // Several passes never spread the blank.
    EXPECT_EQ(FilterGrid(grid, 4, 5, 1).BlankCount(), 1);
}

TEST(GridFilter, ConstantFieldIsUntouchedByEveryFilterAndEdgeRule) {
    Grid grid = Filled(9, 7, [](int, int) { return 42.0; });
    grid.Set(0, 0, kBlankValue);
    grid.Set(4, 3, kBlankValue);
    for (int filter = 1; filter <= 5; ++filter)
        for (int edge = 1; edge <= 4; ++edge) {
            const Grid out = FilterGrid(grid, filter, 3, edge);
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 9; ++column) {
                    if (grid.IsBlankAt(column, row))
                        ASSERT_TRUE(out.IsBlankAt(column, row));
                    else
                        ASSERT_NEAR(out.At(column, row), 42, 1e-12) << filter << "/" << edge;
                }
        }
    // The blank-edge rule blanks the border the window cannot cover.
    const Grid edged = FilterGrid(grid, 2, 1, 5);
    EXPECT_TRUE(edged.IsBlankAt(1, 3));
    EXPECT_FALSE(edged.IsBlankAt(2, 2));
}

TEST(GridFilter, RefusesUnknownCodes) {
    const Grid grid = Filled(4, 4, [](int, int) { return 1.0; });
    EXPECT_THROW(FilterGrid(grid, 6, 1, 1), MapServerError);
    EXPECT_THROW(FilterGrid(grid, 1, 0, 1), MapServerError);
    EXPECT_THROW(FilterGrid(grid, 1, 1, 9), MapServerError);
}

// A square written as a map builder writes blanking files: the count and flag,
// then each vertex right-aligned in 12 characters with 5 decimals.
std::string SquareFile(int flag) {
    std::string text = "5 " + std::to_string(flag) + "\r\n";
    const double xy[5][2] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}, {2, 2}};
    for (const auto &v : xy)
        text += FormatFixed(v[0], 12, 5) + FormatFixed(v[1], 12, 5) + "\r\n";
    return text;
}

TEST(Blanking, NodesOutsideOrInsideThePolygonAsItsFlagSays) {
    ScratchDir dir;
    const Grid grid = Filled(11, 11, [](int c, int r) { return c + 0.5 * r; });
    for (int flag : {0, 1}) {
        testing::WriteText(dir / "square.bln", SquareFile(flag));
        const std::vector<Polyline> polygons = ReadBlankingFile(dir / "square.bln");
        ASSERT_EQ(polygons.size(), 1u);
        const Grid out = BlankGrid(grid, polygons);
        for (int row = 0; row < 11; ++row)
            for (int column = 0; column < 11; ++column) {
                // The boundary counts as inside.
                const bool inside = column >= 2 && column <= 8 && row >= 2 && row <= 8;
                const bool blank = flag == 0 ? !inside : inside;
                EXPECT_EQ(out.IsBlankAt(column, row), blank)
                    << flag << ": " << column << ", " << row;
                if (!blank) {
                    EXPECT_EQ(out.At(column, row), grid.At(column, row));
                }
            }
    }
}

TEST(Blanking, MalformedFilesAreRefusedWithTheLine) {
    ScratchDir dir;
    struct Case {
        const char *text;
        const char *reason;
    } cases[] = {
        {"three 0\n1 1\n", "line 1"},
        {"4 0\n1.5 1.5\n2.5 2.5\n", "ends after 2 of 4"},
        {"3 0\n1 1\n2 x\n3 3\n", "line 3"},
        {"999999999 0\n1 1\n", "more than the file holds"},
        {"\n\n", "no polyline"},
    };
    for (const Case &c : cases) {
        testing::WriteText(dir / "bad.bln", c.text);
        try {
            ReadBlankingFile(dir / "bad.bln");
            ADD_FAILURE() << c.text;
        } catch (const MapServerError &error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
    const Grid grid = Filled(3, 3, [](int, int) { return 1.0; });
    EXPECT_THROW(BlankGrid(grid, {Polyline{{0, 1}, {0, 1}, false}}), MapServerError);
}

} // namespace
} // namespace orvex::map
