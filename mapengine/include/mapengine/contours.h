// Contour levels and the geometry drawn from them: the choice of a nice level
// interval, and for a grid the filled regions above each level and the contour
// lines. Each grid cell is cut into four triangles through its centre (the mean
// of its corners) and the surface is linear on each, so the bands and lines meet
// exactly; a cell with one blank corner keeps the triangle of the other three,
// cells with more are left empty.
#pragma once

#include "mapengine/grid.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvex::map {

// The smallest step of the form 1, 2 or 5 × 10ⁿ that divides `range` into at
// most `maxIntervals` intervals. `range` must be positive and finite.
double NiceStep(double range, int maxIntervals);

// The levels the server chooses for a z range: multiples of a nice step, from
// the last multiple at or below zMin to the first at or above zMax, about 10 to
// 20 of them. A flat range gives the one level zMin.
std::vector<double> NiceLevels(double zMin, double zMax);

// The default fill of level k of n (0-based): a grey ramp from dark at the
// lowest level to white at the highest, as r + 256·g + 65536·b.
int GreyRampColour(int k, int n);

// Polygons or polylines in grid coordinates, packed: vertex i of item k is
// (xy[2 i], xy[2 i + 1]) for i from start[k] to start[k + 1] − 1.
struct PackedLines {
    std::vector<double> xy;
    std::vector<uint32_t> start{0};

    size_t Count() const { return start.size() - 1; }
    void Add(std::span<const double> points);
};

struct ContourGeometry {
    // regions[k]: where z is at or above level k, for k ≥ 1; regions[0] is every
    // part of the grid that has data. Painted in order, each with level k's
    // colour, they give the filled bands with no seams between them.
    std::vector<PackedLines> regions;
    // lines[k]: the contour lines of level k; closed ones repeat their first point.
    std::vector<PackedLines> lines;
};

// The geometry of the levels over the grid; `levels` ascending. Lines are built
// only for the levels whose `wantLines` flag is set (all when it is empty).
ContourGeometry BuildContourGeometry(const Grid &grid, std::span<const double> levels,
                                     std::span<const char> wantLines = {});

} // namespace orvex::map
