#include "mapengine/gridops.h"

#include "number_fields.h"

#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/format.h"

#include <algorithm>
#include <cmath>

namespace orvex::map {

namespace {

std::vector<double> FilterWeights(LowPassFilter filter) {
    switch (filter) {
    case LowPassFilter::Average3:
        return {1, 1, 1};
    case LowPassFilter::Average5:
        return {1, 1, 1, 1, 1};
    case LowPassFilter::Average7:
        return {1, 1, 1, 1, 1, 1, 1};
    case LowPassFilter::Gaussian3:
        return {1, 2, 1};
    case LowPassFilter::Gaussian5:
        return {1, 4, 6, 4, 1};
    }
    return {};
}

// Maps an index that may lie outside 0..count-1 onto a node, or -1 for none.
int EdgeIndex(int index, int count, EdgeRule rule) {
    if (index >= 0 && index < count) return index;
    switch (rule) {
    case EdgeRule::Replicate:
        return std::clamp(index, 0, count - 1);
    case EdgeRule::Mirror: {
        const int period = 2 * (count - 1);
        int m = ((index % period) + period) % period;
        return m < count ? m : period - m;
    }
    default:
        return -1;
    }
}

// One pass of the separable-weight window over the grid (the window's weights
// are the outer product of `weights` with itself).
Grid FilterPass(const Grid &grid, const std::vector<double> &weights, EdgeRule rule) {
    Grid out = grid;
    const int reach = static_cast<int>(weights.size() / 2);
    const int columns = grid.Columns(), rows = grid.Rows();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (grid.IsBlankAt(column, row)) continue;
            const bool nearEdge =
                column < reach || row < reach || column >= columns - reach || row >= rows - reach;
            if (nearEdge && rule == EdgeRule::KeepEdge) continue;
            if (nearEdge && rule == EdgeRule::BlankEdge) {
                out.Set(column, row, kBlankValue);
                continue;
            }
            double sum = 0, weight = 0;
            for (int dj = -reach; dj <= reach; ++dj) {
                const int r = EdgeIndex(row + dj, rows, rule);
                if (r < 0) continue;
                for (int di = -reach; di <= reach; ++di) {
                    const int c = EdgeIndex(column + di, columns, rule);
                    if (c < 0) continue;
                    const double z = grid.At(c, r);
                    if (IsBlank(z)) continue;
                    const double w = weights[dj + reach] * weights[di + reach];
                    sum += w * z;
                    weight += w;
                }
            }
            out.Set(column, row, sum / weight); // weight > 0: the node itself counts
        }
    }
    return out;
}

// The first `count` fields of a line as numbers; false when it has fewer or
// one of them is not a number.
bool ReadNumbers(std::string_view line, double *values, int count, int &found) {
    thread_local std::vector<std::string_view> fields;
    SplitFields(line, fields);
    for (found = 0; found < count; ++found)
        if (found >= static_cast<int>(fields.size()) || !ParseNumber(fields[found], values[found]))
            return false;
    return true;
}

// The horizontal spans of the polygon's interior on the line y (even-odd rule),
// as sorted crossing abscissas.
void Crossings(const Polyline &polygon, double y, std::vector<double> &xs) {
    xs.clear();
    const size_t n = polygon.x.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const double yi = polygon.y[i], yj = polygon.y[j];
        // Half-open in y so a vertex on the line is counted once.
        if ((yi <= y) != (yj <= y))
            xs.push_back(polygon.x[j] + (y - yj) / (yi - yj) * (polygon.x[i] - polygon.x[j]));
    }
    std::sort(xs.begin(), xs.end());
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    const double t =
        length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0;
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// Marks the nodes inside or on the boundary of the polygon.
void MarkInside(const Grid &grid, const Polyline &polygon, std::vector<char> &inside) {
    const GridGeometry &g = grid.Geometry();
    const double tolerance = 1e-9 * std::max(g.xMax - g.xMin, g.yMax - g.yMin);
    std::vector<double> xs;
    for (int row = 0; row < g.rows; ++row) {
        const double y = g.Y(row);
        Crossings(polygon, y, xs);
        for (size_t k = 0; k + 1 < xs.size(); k += 2) {
            const double dx = g.XSpacing();
            const int first =
                std::max(0, static_cast<int>(std::ceil((xs[k] - g.xMin) / dx - 1e-9)));
            const int last = std::min(
                g.columns - 1, static_cast<int>(std::floor((xs[k + 1] - g.xMin) / dx + 1e-9)));
            for (int column = first; column <= last; ++column)
                inside[static_cast<size_t>(row) * g.columns + column] = 1;
        }
    }
    // Nodes on the boundary: the even-odd rule decides them by rounding, so
    // look at the nodes next to each edge.
    const size_t n = polygon.x.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const double x0 = std::min(polygon.x[i], polygon.x[j]),
                     x1 = std::max(polygon.x[i], polygon.x[j]);
        const double y0 = std::min(polygon.y[i], polygon.y[j]),
                     y1 = std::max(polygon.y[i], polygon.y[j]);
        const int c0 = std::max(0, static_cast<int>(std::floor((x0 - g.xMin) / g.XSpacing())));
        const int c1 =
            std::min(g.columns - 1, static_cast<int>(std::ceil((x1 - g.xMin) / g.XSpacing())));
        const int r0 = std::max(0, static_cast<int>(std::floor((y0 - g.yMin) / g.YSpacing())));
        const int r1 =
            std::min(g.rows - 1, static_cast<int>(std::ceil((y1 - g.yMin) / g.YSpacing())));
        // Long diagonal edges would make this box large; only look near the edge.
        for (int row = r0; row <= r1; ++row)
            for (int column = c0; column <= c1; ++column)
                if (SegmentDistance(g.X(column), g.Y(row), polygon.x[j], polygon.y[j], polygon.x[i],
                                    polygon.y[i]) <= tolerance)
                    inside[static_cast<size_t>(row) * g.columns + column] = 1;
    }
}

} // namespace

Grid FilterGrid(const Grid &grid, int filterCode, int passes, int edgeCode) {
    if (filterCode < 1 || filterCode > 5)
        throw MapServerError("Unknown grid filter code " + std::to_string(filterCode) +
                             " (1 to 3: moving average 3, 5, 7 nodes wide; 4, 5: binomial 3, 5)");
    if (edgeCode < 1 || edgeCode > 5)
        throw MapServerError("Unknown filter edge rule " + std::to_string(edgeCode) +
                             " (1 use inside nodes, 2 keep edge, 3 replicate, 4 mirror, 5 blank)");
    if (passes < 1 || passes > 1000)
        throw MapServerError("The number of filter passes must be from 1 to 1000, not " +
                             std::to_string(passes));
    const std::vector<double> weights = FilterWeights(static_cast<LowPassFilter>(filterCode));
    const EdgeRule rule = static_cast<EdgeRule>(edgeCode);
    if (rule == EdgeRule::Mirror && (grid.Columns() <= static_cast<int>(weights.size() / 2) ||
                                     grid.Rows() <= static_cast<int>(weights.size() / 2)))
        throw MapServerError("The grid is too small to mirror at its edges for this filter");
    Grid out = grid;
    for (int pass = 0; pass < passes; ++pass)
        out = FilterPass(out, weights, rule);
    return out;
}

std::vector<Polyline> ReadBlankingFile(const std::string &path) {
    std::string content;
    try {
        content = ReadWholeFile(path);
    } catch (const Error &error) {
        throw MapServerError(std::string("Cannot read the blanking file: ") + error.what());
    }
    return ParseBlankingText(content, path);
}

std::vector<Polyline> ParseBlankingText(std::string_view content, const std::string &path) {
    auto fail = [&](int line, const std::string &what) {
        return MapServerError("Blanking file \"" + path + "\", line " + std::to_string(line) +
                              ": " + what);
    };
    std::vector<Polyline> polylines;
    std::string_view rest = content;
    int lineNumber = 0;
    auto nextLine = [&](std::string_view &line) {
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            ++lineNumber;
            if (line.find_first_not_of(" \t\r") != std::string_view::npos) return true;
        }
        return false;
    };
    std::string_view line;
    while (nextLine(line)) {
        double header[2] = {0, 1};
        int found = 0;
        ReadNumbers(line, header, 2, found);
        if (found < 1 || header[0] != std::floor(header[0]) || header[0] < 1)
            throw fail(lineNumber, "a polyline header must start with its vertex count");
        // Each vertex needs a line of at least four characters; a count beyond
        // that cannot be in the file (and must not size an allocation).
        if (header[0] > static_cast<double>(rest.size()) / 4 + 1)
            throw fail(lineNumber, "the vertex count " + FormatGeneral(header[0]) +
                                       " is more than the file holds");
        Polyline polyline;
        polyline.blankInside = found < 2 || header[1] != 0;
        const int count = static_cast<int>(header[0]);
        polyline.x.reserve(count);
        polyline.y.reserve(count);
        for (int k = 0; k < count; ++k) {
            if (!nextLine(line))
                throw fail(lineNumber, "the file ends after " + std::to_string(k) + " of " +
                                           std::to_string(count) + " vertices");
            double xy[2];
            if (!ReadNumbers(line, xy, 2, found))
                throw fail(lineNumber, "a vertex line must hold x and y");
            polyline.x.push_back(xy[0]);
            polyline.y.push_back(xy[1]);
        }
        polylines.push_back(std::move(polyline));
    }
    if (polylines.empty()) throw MapServerError("Blanking file \"" + path + "\" holds no polyline");
    return polylines;
}

Grid BlankGrid(const Grid &grid, const std::vector<Polyline> &polygons) {
    const size_t nodes = grid.Values().size();
    std::vector<char> keepInside(nodes, 0), blankInside(nodes, 0);
    bool anyOutside = false;
    for (size_t p = 0; p < polygons.size(); ++p) {
        const Polyline &polygon = polygons[p];
        if (polygon.x.size() < 3)
            throw MapServerError("Blanking polygon " + std::to_string(p + 1) + " has " +
                                 std::to_string(polygon.x.size()) +
                                 " vertices; a polygon needs at least three");
        if (polygon.blankInside) {
            MarkInside(grid, polygon, blankInside);
        } else {
            anyOutside = true;
            MarkInside(grid, polygon, keepInside);
        }
    }
    Grid out = grid;
    for (size_t i = 0; i < nodes; ++i)
        if (blankInside[i] || (anyOutside && !keepInside[i])) out.Values()[i] = kBlankValue;
    return out;
}

} // namespace orvex::map
