// Gridding of scattered data: reading the x, y, z columns of a data sheet and
// interpolating them onto a regular grid by Delaunay triangulation with linear
// interpolation inside each triangle; nodes outside the data's convex hull stay blank.
#pragma once

#include "mapengine/grid.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvex::map {

struct ScatteredData {
    std::vector<double> x, y, z;
    int linesSkipped = 0; // lines without data: a heading, empty lines, blank z values
};

// Reads the given 1-based columns of a data sheet: numbers separated by blanks,
// tabs, commas or semicolons, with a point as decimal separator. A first line
// that is not numeric is taken as a heading; empty lines and lines whose z is
// the blank value are skipped. Throws MapServerError naming the file and line
// of any other line that cannot be read.
ScatteredData ReadDataSheet(const std::string &path, int xColumn, int yColumn, int zColumn);
// The same for a data sheet's text; `path` names it in messages.
ScatteredData ParseDataSheet(std::string_view text, const std::string &path, int xColumn,
                             int yColumn, int zColumn);

// The algorithm code of triangulation with linear interpolation.
inline constexpr int kTriangulationLinear = 9;

// What the gridding call is asked to do. Unset values are left to the server:
// extents from the data, 100 nodes along the longer side and as near the same
// spacing along the other, the output grid named after the data file (.grd).
struct GridDataRequest {
    std::string dataFile;
    int xColumn = 1, yColumn = 2, zColumn = 3;
    std::optional<double> xMin, xMax, yMin, yMax;
    std::optional<int> columns, rows;
    int algorithm = kTriangulationLinear;
    bool writeReport = false;
    // Smoothing parameter of the radial-basis methods; triangulation reproduces
    // the data exactly and has no use for it. Checked and recorded in the report.
    std::optional<double> rSquared;
    std::string outputGrid;
    int outputFormat = static_cast<int>(GridFormat::GoldenBinary7);

    // One positional argument of the gridding call: null, or a boolean, integer, real or text.
    using Argument = std::variant<std::monostate, bool, int, double, std::string>;
    // Builds a request from the positional arguments of the gridding call
    // (position n is element n − 1; at most 57, the rest null):
    //   1 data file  2, 3, 4 x, y, z column  5, 6, 7, 8 x min, x max, y min, y max
    //   9 columns  10 rows  15 algorithm  16 report  49 R²  50 output grid  51 output format
    // Throws MapServerError for a value of the wrong kind or one given at a
    // position this server does not use.
    static GridDataRequest FromPositional(std::span<const Argument> arguments);
};

// What a gridding did, and the text of its report.
struct GridReport {
    std::string dataFile, outputGrid;
    int pointsRead = 0;       // data lines read
    int pointsUsed = 0;       // distinct positions triangulated
    int duplicatesMerged = 0; // repeated positions, their z values averaged
    int linesSkipped = 0;
    GridGeometry geometry;
    double zMin = 0, zMax = 0;
    int64_t blankNodes = 0;
    std::optional<double> rSquared;
    std::string Text() const;
};

// The default node counts for extents of this size: 100 nodes along the longer
// side, and along the other the count whose spacing is nearest to it.
void DefaultGridSize(double width, double height, int &columns, int &rows);

// Interpolates the points onto a grid of the given geometry. Repeated positions
// are merged (z averaged) first. Throws MapServerError for fewer than three
// distinct points or points that all lie on one line.
Grid GridScatteredData(const ScatteredData &data, const GridGeometry &geometry,
                       GridReport *report = nullptr);

// The whole gridding call: reads the data sheet, grids it and writes the grid.
GridReport GridDataFile(const GridDataRequest &request);

} // namespace orvex::map
