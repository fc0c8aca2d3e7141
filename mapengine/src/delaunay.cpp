#include "delaunay.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace orvex::map {

namespace {

// Twice the signed area of a, b, c: positive when c lies left of a → b.
double Orient(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// Positive when d lies inside the circumcircle of the counter-clockwise a, b, c.
double InCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                double dy) {
    const double adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx,
                 cdy = cy - dy;
    const double ad = adx * adx + ady * ady, bd = bdx * bdx + bdy * bdy, cd = cdx * cdx + cdy * cdy;
    return adx * (bdy * cd - bd * cdy) - ady * (bdx * cd - bd * cdx) + ad * (bdx * cdy - bdy * cdx);
}

double CircumradiusSquared(double ax, double ay, double bx, double by, double cx, double cy) {
    const double dx = bx - ax, dy = by - ay, ex = cx - ax, ey = cy - ay;
    const double bl = dx * dx + dy * dy, cl = ex * ex + ey * ey, d = 0.5 / (dx * ey - dy * ex);
    const double x = (ey * bl - dy * cl) * d, y = (dx * cl - ex * bl) * d;
    return x * x + y * y;
}

// A number in [0, 1) that grows with the angle of (dx, dy), cheaper than atan2.
double PseudoAngle(double dx, double dy) {
    const double p = dx / (std::fabs(dx) + std::fabs(dy));
    return (dy > 0 ? 3 - p : 1 + p) / 4;
}

int Next(int edge) {
    return edge % 3 == 2 ? edge - 2 : edge + 1;
}

int Previous(int edge) {
    return edge % 3 == 0 ? edge + 2 : edge - 1;
}

class Sweep {
public:
    Sweep(std::span<const double> x, std::span<const double> y) : x_(x), y_(y) {}

    Triangulation Run();

private:
    int AddTriangle(int a, int b, int c, int ab, int bc, int ca);
    void Link(int a, int b);
    void Legalize(int edge);
    int HashKey(double x, double y) const {
        return static_cast<int>(std::floor(PseudoAngle(x - cx_, y - cy_) * hash_.size())) %
               static_cast<int>(hash_.size());
    }
    bool Visible(int from, int to, int point) const {
        return Orient(x_[from], y_[from], x_[to], y_[to], x_[point], y_[point]) < 0;
    }

    std::span<const double> x_, y_;
    Triangulation t_;
    // The convex hull as a counter-clockwise ring, and for each of its
    // vertices v the half-edge of the hull edge v → next[v].
    std::vector<int> next_, previous_, hullEdge_, hash_;
    double cx_ = 0, cy_ = 0;
    std::vector<int> stack_;
};

int Sweep::AddTriangle(int a, int b, int c, int ab, int bc, int ca) {
    const int t = static_cast<int>(t_.triangles.size());
    t_.triangles.insert(t_.triangles.end(), {a, b, c});
    t_.halfedges.insert(t_.halfedges.end(), {-1, -1, -1});
    Link(t, ab);
    Link(t + 1, bc);
    Link(t + 2, ca);
    return t;
}

void Sweep::Link(int a, int b) {
    t_.halfedges[a] = b;
    if (b >= 0) t_.halfedges[b] = a;
}

// Flips edges, starting with `edge`, until every triangle around them is Delaunay.
void Sweep::Legalize(int edge) {
    stack_.assign(1, edge);
    auto &tri = t_.triangles;
    auto &half = t_.halfedges;
    while (!stack_.empty()) {
        const int a = stack_.back();
        stack_.pop_back();
        const int b = half[a];
        if (b < 0) continue;
        // Triangles (pa, pb, pl) and (pb, pa, p1) share the edge pa–pb.
        const int ar = Previous(a), br = Previous(b);
        const int pa = tri[a], pb = tri[b], pl = tri[ar], p1 = tri[br];
        if (InCircle(x_[pa], y_[pa], x_[pb], y_[pb], x_[pl], y_[pl], x_[p1], y_[p1]) <= 0) continue;
        // The new diagonal p1–pl: (p1, pb, pl) and (pl, pa, p1).
        const int outerA = half[ar], outerB = half[br];
        tri[a] = p1;
        tri[b] = pl;
        // Hull edges that move to another half-edge number.
        if (outerB < 0 && hullEdge_[p1] == br) hullEdge_[p1] = a;
        if (outerA < 0 && hullEdge_[pl] == ar) hullEdge_[pl] = b;
        Link(a, outerB);
        Link(b, outerA);
        Link(ar, br);
        stack_.push_back(Next(b));
        stack_.push_back(a);
    }
}

Triangulation Sweep::Run() {
    const int n = static_cast<int>(x_.size());
    if (n < 3) return {};
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (int i = 0; i < n; ++i) {
        minX = std::min(minX, x_[i]), maxX = std::max(maxX, x_[i]);
        minY = std::min(minY, y_[i]), maxY = std::max(maxY, y_[i]);
    }
    const double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
    auto distance2 = [&](int i, double px, double py) {
        return (x_[i] - px) * (x_[i] - px) + (y_[i] - py) * (y_[i] - py);
    };
    // Seed: the point nearest the middle, its nearest neighbour, and the third
    // point giving the smallest circumcircle.
    int i0 = 0, i1 = -1, i2 = -1;
    for (int i = 1; i < n; ++i)
        if (distance2(i, midX, midY) < distance2(i0, midX, midY)) i0 = i;
    double best = HUGE_VAL;
    for (int i = 0; i < n; ++i) {
        const double d = distance2(i, x_[i0], y_[i0]);
        if (i != i0 && d > 0 && d < best) best = d, i1 = i;
    }
    if (i1 < 0) return {};
    best = HUGE_VAL;
    for (int i = 0; i < n; ++i) {
        if (i == i0 || i == i1) continue;
        if (Orient(x_[i0], y_[i0], x_[i1], y_[i1], x_[i], y_[i]) == 0) continue;
        const double r = CircumradiusSquared(x_[i0], y_[i0], x_[i1], y_[i1], x_[i], y_[i]);
        if (r < best) best = r, i2 = i;
    }
    if (i2 < 0) return {};
    if (Orient(x_[i0], y_[i0], x_[i1], y_[i1], x_[i2], y_[i2]) < 0) std::swap(i1, i2);
    {
        const double dx = x_[i1] - x_[i0], dy = y_[i1] - y_[i0], ex = x_[i2] - x_[i0],
                     ey = y_[i2] - y_[i0];
        const double bl = dx * dx + dy * dy, cl = ex * ex + ey * ey, d = 0.5 / (dx * ey - dy * ex);
        cx_ = x_[i0] + (ey * bl - dy * cl) * d;
        cy_ = y_[i0] + (dx * cl - ex * bl) * d;
    }

    std::vector<double> distances(n);
    for (int i = 0; i < n; ++i)
        distances[i] = distance2(i, cx_, cy_);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return distances[a] < distances[b]; });

    next_.assign(n, -1), previous_.assign(n, -1), hullEdge_.assign(n, -1);
    hash_.assign(std::max(1, static_cast<int>(std::ceil(std::sqrt(n)))), -1);
    t_.triangles.reserve(6 * n);
    t_.halfedges.reserve(6 * n);
    next_[i0] = i1, next_[i1] = i2, next_[i2] = i0;
    previous_[i1] = i0, previous_[i2] = i1, previous_[i0] = i2;
    AddTriangle(i0, i1, i2, -1, -1, -1);
    hullEdge_[i0] = 0, hullEdge_[i1] = 1, hullEdge_[i2] = 2;
    for (int v : {i0, i1, i2})
        hash_[HashKey(x_[v], y_[v])] = v;

    for (int p : order) {
        if (p == i0 || p == i1 || p == i2) continue;
        // A hull vertex near p's direction, then the first hull edge that sees p.
        int start = -1;
        const int key = HashKey(x_[p], y_[p]);
        for (size_t j = 0; j < hash_.size(); ++j) {
            start = hash_[(key + j) % hash_.size()];
            if (start >= 0 && next_[start] != start) break;
        }
        if (start < 0 || next_[start] == start) continue;
        start = previous_[start];
        int e = start;
        while (!Visible(e, next_[e], p)) {
            e = next_[e];
            if (e == start) {
                e = -1;
                break;
            }
        }
        if (e < 0) continue; // within rounding of the hull: no edge sees it

        // The triangle on the first visible edge, then on those after and before it.
        int t = AddTriangle(e, p, next_[e], -1, -1, hullEdge_[e]);
        hullEdge_[e] = t;
        hullEdge_[p] = t + 1;
        Legalize(t + 2);
        int q = next_[e];
        while (Visible(q, next_[q], p)) {
            const int r = next_[q];
            t = AddTriangle(q, p, r, hullEdge_[p], -1, hullEdge_[q]);
            hullEdge_[p] = t + 1;
            Legalize(t + 2);
            next_[q] = q; // off the hull
            q = r;
        }
        if (e == start) {
            while (Visible(previous_[e], e, p)) {
                const int r = previous_[e];
                t = AddTriangle(r, p, e, -1, hullEdge_[e], hullEdge_[r]);
                hullEdge_[r] = t;
                Legalize(t + 2);
                next_[e] = e;
                e = r;
            }
        }
        previous_[p] = e, next_[p] = q;
        next_[e] = p, previous_[q] = p;
        hash_[HashKey(x_[p], y_[p])] = p;
        hash_[HashKey(x_[e], y_[e])] = e;
    }
    return std::move(t_);
}

} // namespace

Triangulation Triangulate(std::span<const double> x, std::span<const double> y) {
    return Sweep(x, y).Run();
}

} // namespace orvex::map
