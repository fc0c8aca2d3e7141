// The triangulation under gridding: a true Delaunay triangulation covering the
// convex hull, on scattered points and on the degenerate layouts of surveys.
#include "delaunay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace orvex::map {
namespace {

struct Points {
    std::vector<double> x, y;
    void Add(double px, double py) { x.push_back(px), y.push_back(py); }
};

double Cross(const Points &p, int a, int b, int c) {
    return (p.x[b] - p.x[a]) * (p.y[c] - p.y[a]) - (p.y[b] - p.y[a]) * (p.x[c] - p.x[a]);
}

// Area of the convex hull (monotone chain).
double HullArea(const Points &p) {
    std::vector<int> order(p.x.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return std::pair(p.x[a], p.y[a]) < std::pair(p.x[b], p.y[b]); });
    std::vector<int> hull;
    for (int pass = 0; pass < 2; ++pass) {
        const size_t base = hull.size();
        for (int i : order) {
            while (hull.size() >= base + 2 && Cross(p, hull[hull.size() - 2], hull.back(), i) <= 0)
                hull.pop_back();
            hull.push_back(i);
        }
        hull.pop_back();
        std::reverse(order.begin(), order.end());
    }
    double area = 0;
    for (size_t k = 0; k < hull.size(); ++k) {
        const int a = hull[k], b = hull[(k + 1) % hull.size()];
        area += p.x[a] * p.y[b] - p.x[b] * p.y[a];
    }
    return area / 2;
}

void ExpectDelaunay(const Points &p) {
    const Triangulation t = Triangulate(p.x, p.y);
    ASSERT_FALSE(t.triangles.empty());
    ASSERT_EQ(t.halfedges.size(), t.triangles.size());
    std::vector<char> used(p.x.size(), 0);
    double area = 0;
    const double scale = HullArea(p);
    for (size_t k = 0; k < t.triangles.size(); k += 3) {
        const int a = t.triangles[k], b = t.triangles[k + 1], c = t.triangles[k + 2];
        const double twice = Cross(p, a, b, c);
        ASSERT_GE(twice, 0) << "clockwise triangle " << k / 3;
        area += twice / 2;
        used[a] = used[b] = used[c] = 1;
    }
    EXPECT_NEAR(area, scale, 1e-9 * scale) << "the triangles do not tile the hull";
    EXPECT_EQ(std::count(used.begin(), used.end(), 1), static_cast<long>(p.x.size()));
    auto next = [](int e) { return e % 3 == 2 ? e - 2 : e + 1; };
    for (int e = 0; e < static_cast<int>(t.halfedges.size()); ++e) {
        const int o = t.halfedges[e];
        if (o < 0) continue;
        ASSERT_EQ(t.halfedges[o], e);
        ASSERT_EQ(t.triangles[o], t.triangles[next(e)]);
        // The vertex across the edge lies on or outside the circumcircle.
        const int a = t.triangles[e], b = t.triangles[next(e)], c = t.triangles[next(next(e))];
        const int d = t.triangles[next(next(o))];
        const double adx = p.x[a] - p.x[d], ady = p.y[a] - p.y[d], bdx = p.x[b] - p.x[d],
                     bdy = p.y[b] - p.y[d];
        const double cdx = p.x[c] - p.x[d], cdy = p.y[c] - p.y[d];
        const double det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) -
                           (bdx * bdx + bdy * bdy) * (adx * cdy - cdx * ady) +
                           (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
        EXPECT_LE(det, 1e-9 * scale * scale) << "edge " << e << " is not Delaunay";
    }
}

TEST(Delaunay, ScatteredPoints) {
    Points p;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> u(-500, 1500);
    for (int i = 0; i < 3000; ++i)
        p.Add(u(random), 0.3 * u(random));
    ExpectDelaunay(p);
}

TEST(Delaunay, RegularSurveyGridsAndCircles) {
    Points grid; // stations × lines: every cell's corners on one circle
    for (int line = 0; line < 20; ++line)
        for (int station = 0; station < 35; ++station)
            grid.Add(12.5 * station, 25.0 * line);
    ExpectDelaunay(grid);
    Points shifted; // odd lines offset, as on a staggered layout
    for (int line = 0; line < 15; ++line)
        for (int station = 0; station < 15; ++station)
            shifted.Add(station + 0.5 * (line % 2), 0.1 * line);
    ExpectDelaunay(shifted);
    Points circle; // all cocircular, and the centre
    for (int k = 0; k < 64; ++k)
        circle.Add(100 * std::cos(k * M_PI / 32), 100 * std::sin(k * M_PI / 32));
    circle.Add(0, 0);
    ExpectDelaunay(circle);
}

TEST(Delaunay, PointsOnALineGiveNoTriangles) {
    Points line;
    for (int k = 0; k < 10; ++k)
        line.Add(k, 2.0 * k);
    EXPECT_TRUE(Triangulate(line.x, line.y).triangles.empty());
}

} // namespace
} // namespace orvex::map
