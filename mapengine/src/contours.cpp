#include "mapengine/contours.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace orvex::map {

double NiceStep(double range, int maxIntervals) {
    double step = std::pow(10.0, std::floor(std::log10(range / maxIntervals)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0})
            if (range / (step * factor) <= maxIntervals * (1 + 1e-9)) return step * factor;
        step *= 10;
    }
}

std::vector<double> NiceLevels(double zMin, double zMax) {
    if (!(zMax > zMin)) return {zMin};
    const double step = NiceStep(zMax - zMin, 18);
    const double first = std::floor(zMin / step + 1e-9), last = std::ceil(zMax / step - 1e-9);
    std::vector<double> levels;
    for (double n = first; n <= last; ++n)
        levels.push_back(n * step);
    return levels;
}

int GreyRampColour(int k, int n) {
    const int grey = n < 2 ? 255 : static_cast<int>(std::lround(80 + 175.0 * k / (n - 1)));
    return grey + 256 * grey + 65536 * grey;
}

void PackedLines::Add(std::span<const double> points) {
    xy.insert(xy.end(), points.begin(), points.end());
    start.push_back(static_cast<uint32_t>(xy.size() / 2));
}

namespace {

struct Vertex {
    double x, y, z;
    uint32_t id; // node number, or a cell's centre numbered after all nodes
};

struct Triangle {
    Vertex v[3];
};

// The triangles of a cell: four through its centre, one when a corner is
// blank, none with more blanks.
class CellCutter {
public:
    explicit CellCutter(const Grid &grid) : grid_(grid), g_(grid.Geometry()) {}

    int Cut(int column, int row, Triangle *out, double &zLow, double &zHigh) const {
        const int cs[4] = {column, column + 1, column + 1, column};
        const int rs[4] = {row, row, row + 1, row + 1};
        Vertex corner[4];
        int valid = 0;
        zLow = HUGE_VAL, zHigh = -HUGE_VAL;
        for (int k = 0; k < 4; ++k) {
            const double z = grid_.At(cs[k], rs[k]);
            if (IsBlank(z)) continue;
            corner[valid++] = {g_.X(cs[k]), g_.Y(rs[k]), z,
                               static_cast<uint32_t>(rs[k] * g_.columns + cs[k])};
            zLow = std::min(zLow, z);
            zHigh = std::max(zHigh, z);
        }
        if (valid < 3) return 0;
        if (valid == 3) {
            out[0] = {{corner[0], corner[1], corner[2]}};
            return 1;
        }
        const Vertex centre{
            (corner[0].x + corner[1].x) / 2, (corner[1].y + corner[2].y) / 2,
            (corner[0].z + corner[1].z + corner[2].z + corner[3].z) / 4,
            static_cast<uint32_t>(g_.columns * g_.rows + row * (g_.columns - 1) + column)};
        for (int k = 0; k < 4; ++k)
            out[k] = {{corner[k], corner[(k + 1) % 4], centre}};
        return 4;
    }

private:
    const Grid &grid_;
    const GridGeometry &g_;
};

// Where the surface crosses `level` on the edge a–b, computed from the endpoint
// with the lower number so both triangles sharing the edge get the same point.
void Crossing(const Vertex &a, const Vertex &b, double level, double &x, double &y) {
    const Vertex &p = a.id < b.id ? a : b;
    const Vertex &q = a.id < b.id ? b : a;
    const double t = (level - p.z) / (q.z - p.z);
    x = p.x + t * (q.x - p.x);
    y = p.y + t * (q.y - p.y);
}

// The part of the triangle at or above `level`: at most four vertices.
int ClipAbove(const Triangle &t, double level, double *xy) {
    int n = 0;
    for (int k = 0; k < 3; ++k) {
        const Vertex &a = t.v[k], &b = t.v[(k + 1) % 3];
        const bool aIn = a.z >= level, bIn = b.z >= level;
        if (aIn) xy[2 * n] = a.x, xy[2 * n + 1] = a.y, ++n;
        if (aIn != bIn) {
            Crossing(a, b, level, xy[2 * n], xy[2 * n + 1]);
            ++n;
        }
    }
    return n;
}

void AddRectangle(PackedLines &out, double x0, double y0, double x1, double y1) {
    const double xy[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
    out.Add(xy);
}

// The region at or above `level` (every cell with data when `everything`).
PackedLines Region(const Grid &grid, const CellCutter &cutter, double level, bool everything) {
    const GridGeometry &g = grid.Geometry();
    PackedLines out;
    Triangle triangles[4];
    double xy[8];
    for (int row = 0; row + 1 < g.rows; ++row) {
        const double y0 = g.Y(row), y1 = g.Y(row + 1);
        int runStart = -1; // cells wholly inside are joined into one rectangle per run
        for (int column = 0; column + 1 < g.columns; ++column) {
            double zLow, zHigh;
            const int count = cutter.Cut(column, row, triangles, zLow, zHigh);
            const bool whole = count == 4 && (everything || zLow >= level);
            if (whole) {
                if (runStart < 0) runStart = column;
                continue;
            }
            if (runStart >= 0) {
                AddRectangle(out, g.X(runStart), y0, g.X(column), y1);
                runStart = -1;
            }
            if (count == 0 || (!everything && zHigh < level)) continue;
            for (int k = 0; k < count; ++k) {
                const int n = everything ? 3 : ClipAbove(triangles[k], level, xy);
                if (everything)
                    for (int v = 0; v < 3; ++v)
                        xy[2 * v] = triangles[k].v[v].x, xy[2 * v + 1] = triangles[k].v[v].y;
                if (n >= 3) out.Add(std::span<const double>(xy, 2 * n));
            }
        }
        if (runStart >= 0) AddRectangle(out, g.X(runStart), y0, g.X(g.columns - 1), y1);
    }
    return out;
}

uint64_t EdgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t{a} << 32) | b : (uint64_t{b} << 32) | a;
}

struct Segment {
    uint64_t key[2];
    double xy[4];
};

// The contour lines of one level: segments across each triangle, joined into
// polylines through the edges they share.
PackedLines Lines(const Grid &grid, const CellCutter &cutter, double level) {
    const GridGeometry &g = grid.Geometry();
    std::vector<Segment> segments;
    Triangle triangles[4];
    for (int row = 0; row + 1 < g.rows; ++row)
        for (int column = 0; column + 1 < g.columns; ++column) {
            double zLow, zHigh;
            const int count = cutter.Cut(column, row, triangles, zLow, zHigh);
            if (count == 0 || zLow >= level || zHigh < level) continue;
            for (int k = 0; k < count; ++k) {
                Segment s;
                int found = 0;
                for (int e = 0; e < 3 && found < 2; ++e) {
                    const Vertex &a = triangles[k].v[e], &b = triangles[k].v[(e + 1) % 3];
                    if ((a.z >= level) == (b.z >= level)) continue;
                    s.key[found] = EdgeKey(a.id, b.id);
                    Crossing(a, b, level, s.xy[2 * found], s.xy[2 * found + 1]);
                    ++found;
                }
                if (found == 2) segments.push_back(s);
            }
        }

    // Each crossing point is shared by at most the two triangles of its edge.
    std::unordered_map<uint64_t, std::pair<int, int>> at;
    at.reserve(segments.size() * 2);
    for (int i = 0; i < static_cast<int>(segments.size()); ++i)
        for (uint64_t key : segments[i].key) {
            auto [it, fresh] = at.try_emplace(key, i, -1);
            if (!fresh) it->second.second = i;
        }
    auto other = [&](uint64_t key, int segment) {
        const auto &pair = at.at(key);
        return pair.first == segment ? pair.second : pair.first;
    };

    PackedLines out;
    std::vector<char> used(segments.size(), 0);
    std::vector<double> forward, backward;
    for (int first = 0; first < static_cast<int>(segments.size()); ++first) {
        if (used[first]) continue;
        used[first] = 1;
        // Walk on from the segment's second end, then back from its first.
        auto walk = [&](int side, std::vector<double> &points) {
            points.clear();
            int current = first;
            uint64_t key = segments[first].key[side];
            for (;;) {
                const int next = other(key, current);
                if (next < 0 || used[next]) return next == first;
                used[next] = 1;
                const Segment &s = segments[next];
                const int enter = s.key[0] == key ? 0 : 1;
                points.push_back(s.xy[2 * (1 - enter)]);
                points.push_back(s.xy[2 * (1 - enter) + 1]);
                key = s.key[1 - enter];
                current = next;
            }
        };
        const bool closed = walk(1, forward);
        std::vector<double> line;
        if (!closed) {
            walk(0, backward);
            for (size_t k = backward.size(); k >= 2; k -= 2)
                line.insert(line.end(), {backward[k - 2], backward[k - 1]});
        }
        line.insert(line.end(), segments[first].xy, segments[first].xy + 4);
        line.insert(line.end(), forward.begin(), forward.end()); // a loop ends on its start
        out.Add(line);
    }
    return out;
}

} // namespace

ContourGeometry BuildContourGeometry(const Grid &grid, std::span<const double> levels,
                                     std::span<const char> wantLines) {
    ContourGeometry geometry;
    const CellCutter cutter(grid);
    for (size_t k = 0; k < levels.size(); ++k) {
        geometry.regions.push_back(Region(grid, cutter, levels[k], k == 0));
        const bool lines = wantLines.empty() || (k < wantLines.size() && wantLines[k]);
        geometry.lines.push_back(lines ? Lines(grid, cutter, levels[k]) : PackedLines());
    }
    return geometry;
}

} // namespace orvex::map
