// Delaunay triangulation of points in the plane by a sweep that grows the
// convex hull outward from a seed triangle (points taken by distance from its
// circumcentre), with edge flips keeping every triangle's circumcircle empty.
// O(n log n); the points must be distinct.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvex::map {

struct Triangulation {
    // Vertex numbers, three per triangle, each triangle counter-clockwise.
    std::vector<int32_t> triangles;
    // For half-edge k (from triangles[k] to the next vertex of its triangle)
    // the half-edge running the other way in the neighbouring triangle, or -1
    // on the convex hull.
    std::vector<int32_t> halfedges;
};

// The triangulation, or an empty one when the points all lie on one line.
Triangulation Triangulate(std::span<const double> x, std::span<const double> y);

} // namespace orvex::map
