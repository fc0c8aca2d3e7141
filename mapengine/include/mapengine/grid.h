// A regular grid of z values at nodes spaced evenly between its extents, with
// blank nodes, and its files: Golden Software grids read and written through
// GDAL, and XYZ text. Row 0 is the lowest y, node (0, 0) lies at (xMin, yMin).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::map {

// The value that marks a node without data in every grid file this server writes.
inline constexpr double kBlankValue = 1.70141e38;

// True for the blank value as stored in any of the three grid formats (the 6
// binary format keeps it in single precision) and for values that are not numbers.
bool IsBlank(double z);

// File formats of the grid operations, by the codes their callers pass.
enum class GridFormat : int {
    GoldenAscii = 1,   // Golden Software ASCII grid ("DSAA")
    GoldenBinary6 = 2, // Golden Software 6 binary grid ("DSBB"), single precision
    GoldenBinary7 = 3, // Golden Software 7 binary grid ("DSRB"), double precision
    XyzText = 4,       // one node per line "x y z", x varying fastest
};

// A format code as a GridFormat; throws MapServerError for an unknown code.
GridFormat GridFormatFromCode(int code);

struct GridGeometry {
    int columns = 0; // nodes along x
    int rows = 0;    // nodes along y
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;

    double XSpacing() const { return (xMax - xMin) / (columns - 1); }
    double YSpacing() const { return (yMax - yMin) / (rows - 1); }
    // Node coordinates; the last node lies exactly on the maximum.
    double X(int column) const;
    double Y(int row) const;
    // Throws MapServerError unless there are at least 2 × 2 nodes, no more than
    // a grid can sensibly hold, and finite, increasing extents.
    void Validate() const;
};

class Grid {
public:
    Grid() = default;
    // A grid of the given geometry with every node blank.
    explicit Grid(const GridGeometry &geometry);

    const GridGeometry &Geometry() const { return geometry_; }
    int Columns() const { return geometry_.columns; }
    int Rows() const { return geometry_.rows; }
    double XMin() const { return geometry_.xMin; }
    double XMax() const { return geometry_.xMax; }
    double YMin() const { return geometry_.yMin; }
    double YMax() const { return geometry_.yMax; }

    double At(int column, int row) const { return z_[Index(column, row)]; }
    void Set(int column, int row, double z) { z_[Index(column, row)] = z; }
    bool IsBlankAt(int column, int row) const { return IsBlank(At(column, row)); }
    // All nodes, row by row from the lowest y, x varying fastest.
    const std::vector<double> &Values() const { return z_; }
    std::vector<double> &Values() { return z_; }

    // Lowest and highest value over the nodes that are not blank; both are the
    // blank value when every node is blank.
    double ZMin() const;
    double ZMax() const;
    int64_t BlankCount() const;

private:
    size_t Index(int column, int row) const {
        return static_cast<size_t>(row) * static_cast<size_t>(geometry_.columns) +
               static_cast<size_t>(column);
    }
    GridGeometry geometry_;
    std::vector<double> z_;
};

// Reads a Golden Software grid (7 binary, 6 binary or ASCII) through GDAL. Blank
// nodes come back as kBlankValue. Throws MapServerError naming the file when it
// is missing, unreadable or not one of those grids.
Grid ReadGridFile(const std::string &path);

// Writes the grid in one of the three grid formats (all or nothing: a failed
// write leaves no file under `path`). Throws MapServerError on failure.
void WriteGridFile(const Grid &grid, const std::string &path, GridFormat format);

// The grid as XYZ text: one line "x y z" per node, rows from the lowest y, x
// varying fastest, so every run of Columns() lines is one row; blank nodes
// carry the blank value. Numbers in their shortest exact form with a point.
std::string GridToXyzText(const Grid &grid);

// Writes any GridFormat, XYZ text included. Throws MapServerError on failure.
void WriteGridAs(const Grid &grid, const std::string &path, GridFormat format);

} // namespace orvex::map
