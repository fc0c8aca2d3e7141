// Gridding of data sheets: exactness inside the convex hull, blanks outside,
// default node counts, the positional call and the refusals.
#include "mapengine/gridding.h"

#include "test_support.h"

#include "orvex/errors.h"
#include "orvex/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace orvex::map {
namespace {

using testing::ScratchDir;

double Plane(double x, double y) {
    return 3.5 + 2.25 * x - 0.75 * y;
}

TEST(Gridding, PlaneIsReproducedInsideTheHullAndBlankOutside) {
    // Scattered points filling the triangle (0, 0), (10, 0), (0, 10), corners
    // and points on its sides included; nodes every 0.5 so many lie exactly on
    // the slanted side x + y = 10.
    ScatteredData data;
    auto add = [&](double x, double y) {
        data.x.push_back(x);
        data.y.push_back(y);
        data.z.push_back(Plane(x, y));
    };
    add(0, 0), add(10, 0), add(0, 10);
    for (double t = 1.3; t < 10; t += 1.7)
        add(t, 10 - t), add(t, 0), add(0, t);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> u(0, 10);
    while (data.x.size() < 300) {
        const double x = u(random), y = u(random);
        if (x + y < 10) add(x, y);
    }
    const Grid grid = GridScatteredData(data, {21, 21, 0, 10, 0, 10});
    int inside = 0;
    for (int row = 0; row < 21; ++row)
        for (int column = 0; column < 21; ++column) {
            const double x = 0.5 * column, y = 0.5 * row;
            if (x + y <= 10) {
                ++inside;
                ASSERT_FALSE(grid.IsBlankAt(column, row)) << x << ", " << y;
                EXPECT_NEAR(grid.At(column, row), Plane(x, y), 1e-9) << x << ", " << y;
            } else {
                EXPECT_TRUE(grid.IsBlankAt(column, row)) << x << ", " << y;
            }
        }
    EXPECT_EQ(inside, 231);
}

TEST(Gridding, SurveySheetOnAPlaneFillsEveryNodeOfItsDefaultGrid) {
    ScratchDir dir;
    // A data sheet as a map run writes it: x, y, value and a running number.
    std::string sheet;
    int n = 0;
    for (int line = 0; line <= 300; line += 25)
        for (int station = 0; station <= 500; station += 20)
            sheet += FormatFixed(station, 20, 10) + FormatFixed(line, 20, 10) +
                     FormatFixed(Plane(station, line), 20, 10) + FormatInt(n++, 10) + "\r\n";
    testing::WriteText(dir / "area7_f03.dat", sheet);

    GridDataRequest request;
    request.dataFile = dir / "area7_f03.dat";
    const GridReport report = GridDataFile(request);
    EXPECT_EQ(report.outputGrid, dir / "area7_f03.grd");
    EXPECT_EQ(report.pointsRead, n);
    EXPECT_EQ(report.blankNodes, 0);

    const Grid grid = ReadGridFile(report.outputGrid);
    ASSERT_EQ(grid.Columns(), 100);
    ASSERT_EQ(grid.Rows(), 60);
    EXPECT_EQ(grid.XMin(), 0);
    EXPECT_EQ(grid.YMax(), 300);
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column)
            ASSERT_NEAR(grid.At(column, row),
                        Plane(grid.Geometry().X(column), grid.Geometry().Y(row)), 1e-8);
}

TEST(Gridding, DefaultNodeCountsKeepTheSpacingNearlyEqual) {
    struct Case {
        double width, height;
        int columns, rows;
    } cases[] = {{500, 300, 100, 60}, {300, 500, 60, 100}, {100, 100, 100, 100}, {1000, 1, 100, 2}};
    for (const Case &c : cases) {
        int columns = 0, rows = 0;
        DefaultGridSize(c.width, c.height, columns, rows);
        EXPECT_EQ(columns, c.columns) << c.width << " x " << c.height;
        EXPECT_EQ(rows, c.rows) << c.width << " x " << c.height;
    }
}

TEST(Gridding, RepeatedPositionsAreAveraged) {
    ScatteredData data{{0, 1, 0, 1, 1}, {0, 0, 1, 1, 1}, {0, 0, 0, 1, 3}};
    GridReport report;
    const Grid grid = GridScatteredData(data, {2, 2, 0, 1, 0, 1}, &report);
    EXPECT_EQ(report.duplicatesMerged, 1);
    EXPECT_DOUBLE_EQ(grid.At(1, 1), 2);
}

TEST(Gridding, PositionalCallOfTheMapBuilder) {
    std::vector<GridDataRequest::Argument> arguments(57);
    arguments[0] = std::string("/w/map1.dat");
    arguments[1] = 1, arguments[2] = 2, arguments[3] = 3;
    arguments[8] = 120, arguments[9] = 80;
    arguments[14] = 9;
    arguments[15] = false;
    arguments[48] = 0.5;
    arguments[49] = std::string("/w/map1.grd");
    arguments[50] = 3;
    const GridDataRequest request = GridDataRequest::FromPositional(arguments);
    EXPECT_EQ(request.dataFile, "/w/map1.dat");
    EXPECT_EQ(request.zColumn, 3);
    EXPECT_EQ(request.columns, 120);
    EXPECT_EQ(request.rows, 80);
    EXPECT_EQ(request.algorithm, 9);
    EXPECT_FALSE(request.writeReport);
    EXPECT_EQ(request.rSquared, 0.5);
    EXPECT_EQ(request.outputGrid, "/w/map1.grd");
    EXPECT_EQ(request.outputFormat, 3);

    // Null columns and rows are left to the server.
    arguments[8] = std::monostate(), arguments[9] = std::monostate();
    EXPECT_FALSE(GridDataRequest::FromPositional(arguments).columns);

    auto refused = arguments;
    refused[20] = 1; // a position this server does not use
    EXPECT_THROW(GridDataRequest::FromPositional(refused), MapServerError);
    refused = arguments;
    refused[8] = std::string("many");
    EXPECT_THROW(GridDataRequest::FromPositional(refused), MapServerError);
    refused.resize(58);
    EXPECT_THROW(GridDataRequest::FromPositional(refused), MapServerError);
}

TEST(Gridding, UnusableDataAreRefusedWithTheReason) {
    ScratchDir dir;
    struct Case {
        const char *sheet;
        const char *reason;
    } cases[] = {
        {"0 0 1\n1 1 2\n2 2 3\n3 3 4\n", "one line"},
        {"0 0 1\n1 1 2\n1 1 3\n", "at least three"},
        {"0 0 1\n1 0 2\n0 1 x\n1 1 2\n", "line 3"},
        {"", "no data points"},
    };
    for (const Case &c : cases) {
        testing::WriteText(dir / "bad.dat", c.sheet);
        GridDataRequest request;
        request.dataFile = dir / "bad.dat";
        try {
            GridDataFile(request);
            ADD_FAILURE() << c.sheet;
        } catch (const MapServerError &error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "bad.grd")) << c.sheet;
    }

    // A heading and lines whose value is the blank value are no data.
    testing::WriteText(dir / "ok.dat", "X Y Z\n0 0 1\n1 0 2\n0 1 1.70141e38\n1 1 3\n0 1 2\n");
    GridDataRequest request;
    request.dataFile = dir / "ok.dat";
    request.algorithm = 1;
    EXPECT_THROW(GridDataFile(request), MapServerError);
    request.algorithm = kTriangulationLinear;
    request.writeReport = true;
    const GridReport report = GridDataFile(request);
    EXPECT_EQ(report.pointsRead, 4);
    EXPECT_EQ(report.linesSkipped, 2);
    EXPECT_TRUE(std::filesystem::exists(dir / "ok.rep"));
}

} // namespace
} // namespace orvex::map
