#include "mapengine/gridding.h"

#include "delaunay.h"
#include "number_fields.h"

#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/format.h"
#include "orvex/text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orvex::map {

namespace {

std::string ColumnName(int column) {
    return "column " + std::to_string(column);
}

} // namespace

ScatteredData ReadDataSheet(const std::string &path, int xColumn, int yColumn, int zColumn) {
    std::string content;
    try {
        content = ReadWholeFile(path);
    } catch (const Error &error) {
        throw MapServerError(std::string("Cannot read the data file: ") + error.what());
    }
    return ParseDataSheet(content, path, xColumn, yColumn, zColumn);
}

ScatteredData ParseDataSheet(std::string_view content, const std::string &path, int xColumn,
                             int yColumn, int zColumn) {
    for (int column : {xColumn, yColumn, zColumn})
        if (column < 1 || column > 1000)
            throw MapServerError("Data column " + std::to_string(column) +
                                 " is not a column of a data sheet (columns count from 1)");
    ScatteredData data;
    std::vector<std::string_view> fields;
    const size_t needed = static_cast<size_t>(std::max({xColumn, yColumn, zColumn}));
    std::string_view rest = content;
    int lineNumber = 0;
    bool seenData = false;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        ++lineNumber;
        SplitFields(line, fields);
        if (fields.empty()) {
            ++data.linesSkipped;
            continue;
        }
        double x = 0, y = 0, z = 0;
        const bool numeric = fields.size() >= needed && ParseNumber(fields[xColumn - 1], x) &&
                             ParseNumber(fields[yColumn - 1], y) &&
                             ParseNumber(fields[zColumn - 1], z);
        if (!numeric) {
            if (!seenData && lineNumber == 1) { // a heading
                ++data.linesSkipped;
                continue;
            }
            throw MapServerError("Data file \"" + path + "\", line " + std::to_string(lineNumber) +
                                 ": " + ColumnName(xColumn) + ", " + ColumnName(yColumn) + " and " +
                                 ColumnName(zColumn) + " must hold numbers");
        }
        seenData = true;
        if (IsBlank(z)) {
            ++data.linesSkipped;
            continue;
        }
        data.x.push_back(x);
        data.y.push_back(y);
        data.z.push_back(z);
    }
    return data;
}

void DefaultGridSize(double width, double height, int &columns, int &rows) {
    constexpr int kLongSide = 100;
    const bool wide = width >= height;
    const double longSide = wide ? width : height, shortSide = wide ? height : width;
    const double spacing = longSide / (kLongSide - 1);
    const int other = std::max(2, static_cast<int>(std::lround(shortSide / spacing)) + 1);
    columns = wide ? kLongSide : other;
    rows = wide ? other : kLongSide;
}

namespace {

// Distinct positions with the z of repeated ones averaged.
ScatteredData MergeRepeatedPositions(const ScatteredData &data, int &merged) {
    std::vector<int> order(data.x.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return data.x[a] != data.x[b] ? data.x[a] < data.x[b] : data.y[a] < data.y[b];
    });
    ScatteredData out;
    merged = 0;
    for (size_t i = 0; i < order.size();) {
        size_t j = i;
        double sum = 0;
        while (j < order.size() && data.x[order[j]] == data.x[order[i]] &&
               data.y[order[j]] == data.y[order[i]])
            sum += data.z[order[j++]];
        out.x.push_back(data.x[order[i]]);
        out.y.push_back(data.y[order[i]]);
        out.z.push_back(sum / static_cast<double>(j - i));
        merged += static_cast<int>(j - i - 1);
        i = j;
    }
    return out;
}

// True when every point lies on one straight line (to rounding), where no
// triangle can be formed.
bool AllOnOneLine(const ScatteredData &data) {
    const size_t n = data.x.size();
    size_t far = 0;
    double farthest = 0;
    for (size_t i = 1; i < n; ++i) {
        const double d = std::hypot(data.x[i] - data.x[0], data.y[i] - data.y[0]);
        if (d > farthest) farthest = d, far = i;
    }
    const double ux = data.x[far] - data.x[0], uy = data.y[far] - data.y[0];
    for (size_t i = 1; i < n; ++i) {
        const double cross = ux * (data.y[i] - data.y[0]) - uy * (data.x[i] - data.x[0]);
        if (std::fabs(cross) > 1e-10 * farthest * farthest) return false;
    }
    return true;
}

// Fills the nodes covered by one triangle with the plane through its corners.
// Coordinates are in node units (u = column, v = row), so the node test is a
// comparison with whole numbers; nodes within `kEdge` of a side count as inside,
// which keeps nodes on the hull's edges from being lost to rounding.
void FillTriangle(const double (&u)[3], const double (&v)[3], const double (&z)[3], Grid &grid) {
    constexpr double kEdge = 1e-6;
    const double det = (u[1] - u[0]) * (v[2] - v[0]) - (u[2] - u[0]) * (v[1] - v[0]);
    if (std::fabs(det) < 1e-14) return; // a sliver of no area; its neighbours cover it
    const double a = ((z[1] - z[0]) * (v[2] - v[0]) - (z[2] - z[0]) * (v[1] - v[0])) / det;
    const double b = ((z[2] - z[0]) * (u[1] - u[0]) - (z[1] - z[0]) * (u[2] - u[0])) / det;
    const double vLow = std::min({v[0], v[1], v[2]}), vHigh = std::max({v[0], v[1], v[2]});
    const int rowFirst = std::max(0, static_cast<int>(std::ceil(vLow - kEdge)));
    const int rowLast = std::min(grid.Rows() - 1, static_cast<int>(std::floor(vHigh + kEdge)));
    for (int row = rowFirst; row <= rowLast; ++row) {
        const double line = std::clamp(static_cast<double>(row), vLow, vHigh);
        double uLow = HUGE_VAL, uHigh = -HUGE_VAL;
        for (int e = 0; e < 3; ++e) {
            const int p = e, q = (e + 1) % 3;
            if ((v[p] - line) * (v[q] - line) > 0) continue;
            double at;
            if (v[p] == v[q]) {
                uLow = std::min({uLow, u[p], u[q]});
                uHigh = std::max({uHigh, u[p], u[q]});
                continue;
            }
            at = u[p] + (line - v[p]) / (v[q] - v[p]) * (u[q] - u[p]);
            uLow = std::min(uLow, at);
            uHigh = std::max(uHigh, at);
        }
        if (uLow > uHigh) continue;
        const int first = std::max(0, static_cast<int>(std::ceil(uLow - kEdge)));
        const int last = std::min(grid.Columns() - 1, static_cast<int>(std::floor(uHigh + kEdge)));
        for (int column = first; column <= last; ++column)
            grid.Set(column, row, z[0] + a * (column - u[0]) + b * (row - v[0]));
    }
}

} // namespace

Grid GridScatteredData(const ScatteredData &input, const GridGeometry &geometry,
                       GridReport *report) {
    geometry.Validate();
    int merged = 0;
    const ScatteredData data = MergeRepeatedPositions(input, merged);
    if (data.x.size() < 3)
        throw MapServerError("Gridding needs at least three data points at distinct positions, "
                             "the data have " +
                             std::to_string(data.x.size()));
    if (AllOnOneLine(data))
        throw MapServerError("The data points all lie on one line; a grid needs data spread "
                             "in two directions");

    const Triangulation triangulation = Triangulate(data.x, data.y);
    if (triangulation.triangles.empty())
        throw MapServerError("The data points could not be triangulated");

    Grid grid(geometry);
    const double dx = geometry.XSpacing(), dy = geometry.YSpacing();
    for (size_t t = 0; t < triangulation.triangles.size(); t += 3) {
        const int32_t *corner = &triangulation.triangles[t];
        double u[3], v[3], z[3];
        for (int k = 0; k < 3; ++k) {
            u[k] = (data.x[corner[k]] - geometry.xMin) / dx;
            v[k] = (data.y[corner[k]] - geometry.yMin) / dy;
            z[k] = data.z[corner[k]];
        }
        FillTriangle(u, v, z, grid);
    }
    if (report) {
        report->pointsRead = static_cast<int>(input.x.size());
        report->pointsUsed = static_cast<int>(data.x.size());
        report->duplicatesMerged = merged;
        report->linesSkipped = input.linesSkipped;
        report->geometry = geometry;
        report->zMin = grid.ZMin();
        report->zMax = grid.ZMax();
        report->blankNodes = grid.BlankCount();
    }
    return grid;
}

std::string GridReport::Text() const {
    std::string text = "Gridding report\n";
    text += "Data file: " + dataFile + "\n";
    text += "Output grid: " + outputGrid + "\n";
    text += "Method: triangulation with linear interpolation\n";
    text += "Data points read: " + std::to_string(pointsRead) + "\n";
    text += "Distinct positions used: " + std::to_string(pointsUsed) + "\n";
    text += "Repeated positions merged (z averaged): " + std::to_string(duplicatesMerged) + "\n";
    text += "Lines without data skipped: " + std::to_string(linesSkipped) + "\n";
    text += "Grid: " + std::to_string(geometry.columns) + " columns x " +
            std::to_string(geometry.rows) + " rows\n";
    text += "X from " + FormatGeneral(geometry.xMin) + " to " + FormatGeneral(geometry.xMax) +
            ", spacing " + FormatGeneral(geometry.XSpacing()) + "\n";
    text += "Y from " + FormatGeneral(geometry.yMin) + " to " + FormatGeneral(geometry.yMax) +
            ", spacing " + FormatGeneral(geometry.YSpacing()) + "\n";
    text += "Z from " + FormatGeneral(zMin) + " to " + FormatGeneral(zMax) + "\n";
    text += "Blank nodes (outside the data's convex hull): " + std::to_string(blankNodes) + "\n";
    if (rSquared) text += "R squared (not used by this method): " + FormatGeneral(*rSquared) + "\n";
    return text;
}

namespace {

template <typename T> const char *KindName() {
    if constexpr (std::is_same_v<T, bool>)
        return "a boolean";
    else if constexpr (std::is_same_v<T, int>)
        return "an integer";
    else if constexpr (std::is_same_v<T, double>)
        return "a number";
    else
        return "a text";
}

// The argument at 1-based `position` as T, or nothing when it is null or absent.
template <typename T>
std::optional<T> Take(std::span<const GridDataRequest::Argument> arguments, int position) {
    if (position > static_cast<int>(arguments.size())) return std::nullopt;
    const GridDataRequest::Argument &argument = arguments[position - 1];
    if (std::holds_alternative<std::monostate>(argument)) return std::nullopt;
    if (const T *value = std::get_if<T>(&argument)) return *value;
    if constexpr (std::is_same_v<T, double>)
        if (const int *value = std::get_if<int>(&argument)) return static_cast<double>(*value);
    throw MapServerError("Argument " + std::to_string(position) + " of the gridding call must be " +
                         KindName<T>());
}

} // namespace

GridDataRequest GridDataRequest::FromPositional(std::span<const Argument> arguments) {
    constexpr int kPositions = 57;
    if (arguments.size() > kPositions)
        throw MapServerError("The gridding call takes at most 57 arguments, not " +
                             std::to_string(arguments.size()));
    static constexpr int used[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 16, 49, 50, 51};
    for (int position = 1; position <= static_cast<int>(arguments.size()); ++position)
        if (!std::holds_alternative<std::monostate>(arguments[position - 1]) &&
            std::find(std::begin(used), std::end(used), position) == std::end(used))
            throw MapServerError("Argument " + std::to_string(position) +
                                 " of the gridding call is not used by this map server");
    GridDataRequest request;
    const auto file = Take<std::string>(arguments, 1);
    if (!file) throw MapServerError("The gridding call needs the data file name (argument 1)");
    request.dataFile = *file;
    request.xColumn = Take<int>(arguments, 2).value_or(1);
    request.yColumn = Take<int>(arguments, 3).value_or(2);
    request.zColumn = Take<int>(arguments, 4).value_or(3);
    request.xMin = Take<double>(arguments, 5);
    request.xMax = Take<double>(arguments, 6);
    request.yMin = Take<double>(arguments, 7);
    request.yMax = Take<double>(arguments, 8);
    request.columns = Take<int>(arguments, 9);
    request.rows = Take<int>(arguments, 10);
    request.algorithm = Take<int>(arguments, 15).value_or(kTriangulationLinear);
    request.writeReport = Take<bool>(arguments, 16).value_or(false);
    request.rSquared = Take<double>(arguments, 49);
    request.outputGrid = Take<std::string>(arguments, 50).value_or("");
    request.outputFormat =
        Take<int>(arguments, 51).value_or(static_cast<int>(GridFormat::GoldenBinary7));
    return request;
}

GridReport GridDataFile(const GridDataRequest &request) {
    if (request.algorithm != kTriangulationLinear)
        throw MapServerError("Gridding algorithm " + std::to_string(request.algorithm) +
                             " is not offered by this map server (9: triangulation with "
                             "linear interpolation)");
    const GridFormat format = GridFormatFromCode(request.outputFormat);
    if (request.rSquared && !(*request.rSquared >= 0 && std::isfinite(*request.rSquared)))
        throw MapServerError("R squared must be a number not below 0");
    if (request.dataFile.empty()) throw MapServerError("No data file given to grid");

    GridReport report;
    report.dataFile = request.dataFile;
    report.outputGrid =
        request.outputGrid.empty() ? ChangeExtension(request.dataFile, ".grd") : request.outputGrid;
    report.rSquared = request.rSquared;

    const ScatteredData data =
        ReadDataSheet(request.dataFile, request.xColumn, request.yColumn, request.zColumn);
    if (data.x.empty())
        throw MapServerError("Data file \"" + request.dataFile + "\" holds no data points");
    GridGeometry geometry;
    geometry.xMin = request.xMin.value_or(*std::min_element(data.x.begin(), data.x.end()));
    geometry.xMax = request.xMax.value_or(*std::max_element(data.x.begin(), data.x.end()));
    geometry.yMin = request.yMin.value_or(*std::min_element(data.y.begin(), data.y.end()));
    geometry.yMax = request.yMax.value_or(*std::max_element(data.y.begin(), data.y.end()));
    const double width = geometry.xMax - geometry.xMin, height = geometry.yMax - geometry.yMin;
    if (!(width > 0) || !(height > 0))
        throw MapServerError("The data of \"" + request.dataFile +
                             "\" do not spread in both x and y; a grid needs both");
    DefaultGridSize(width, height, geometry.columns, geometry.rows);
    // One count given: the other keeps the spacing as equal as it can.
    if (request.columns && !request.rows)
        geometry.rows = std::max(
            2, static_cast<int>(std::lround(height / (width / std::max(1, *request.columns - 1)))) +
                   1);
    if (request.rows && !request.columns)
        geometry.columns = std::max(
            2,
            static_cast<int>(std::lround(width / (height / std::max(1, *request.rows - 1)))) + 1);
    if (request.columns) geometry.columns = *request.columns;
    if (request.rows) geometry.rows = *request.rows;

    try {
        const Grid grid = GridScatteredData(data, geometry, &report);
        WriteGridAs(grid, report.outputGrid, format);
    } catch (const MapServerError &error) {
        throw MapServerError("Gridding \"" + request.dataFile + "\": " + error.what());
    }
    if (request.writeReport) {
        try {
            WriteWholeFile(ChangeExtension(report.outputGrid, ".rep"), report.Text());
        } catch (const Error &error) {
            throw MapServerError(std::string("Cannot write the gridding report: ") + error.what());
        }
    }
    return report;
}

} // namespace orvex::map
