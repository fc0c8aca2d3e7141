#include "mapengine/grid.h"

#include "gdal_session.h"

#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/format.h"

#include <gdal_priv.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace orvex::map {

namespace {

// More nodes than this would take gigabytes; a corrupt header or a typo asks for it.
constexpr int64_t kMaxNodes = 100'000'000;

const char *DriverName(GridFormat format) {
    switch (format) {
    case GridFormat::GoldenAscii:
        return "GSAG";
    case GridFormat::GoldenBinary6:
        return "GSBG";
    case GridFormat::GoldenBinary7:
        return "GS7BG";
    case GridFormat::XyzText:
        break;
    }
    return nullptr;
}

} // namespace

bool IsBlank(double z) {
    // The 6 binary format stores the blank value as a float, which reads back
    // as 1.70141000918782799e38; anything from just below the blank value up is blank.
    return !(z < kBlankValue * (1 - 1e-7));
}

GridFormat GridFormatFromCode(int code) {
    if (code < 1 || code > 4)
        throw MapServerError("Unknown grid file format code " + std::to_string(code) +
                             " (1 ASCII grid, 2 binary 6 grid, 3 binary 7 grid, 4 XYZ text)");
    return static_cast<GridFormat>(code);
}

double GridGeometry::X(int column) const {
    return column == columns - 1 ? xMax : xMin + column * XSpacing();
}

double GridGeometry::Y(int row) const {
    return row == rows - 1 ? yMax : yMin + row * YSpacing();
}

void GridGeometry::Validate() const {
    if (columns < 2 || rows < 2)
        throw MapServerError("A grid needs at least 2 columns and 2 rows, not " +
                             std::to_string(columns) + " x " + std::to_string(rows));
    if (static_cast<int64_t>(columns) * rows > kMaxNodes)
        throw MapServerError("A grid of " + std::to_string(columns) + " x " + std::to_string(rows) +
                             " nodes is too large (at most " + std::to_string(kMaxNodes) +
                             " nodes)");
    if (!std::isfinite(xMin) || !std::isfinite(xMax) || !std::isfinite(yMin) ||
        !std::isfinite(yMax) || !(xMin < xMax) || !(yMin < yMax))
        throw MapServerError("The grid extents must be finite with minimum below maximum (x " +
                             FormatGeneral(xMin) + " to " + FormatGeneral(xMax) + ", y " +
                             FormatGeneral(yMin) + " to " + FormatGeneral(yMax) + ")");
}

Grid::Grid(const GridGeometry &geometry) : geometry_(geometry) {
    geometry_.Validate();
    z_.assign(static_cast<size_t>(geometry_.columns) * geometry_.rows, kBlankValue);
}

double Grid::ZMin() const {
    double lowest = kBlankValue;
    for (double z : z_)
        if (!IsBlank(z) && z < lowest) lowest = z;
    return lowest;
}

double Grid::ZMax() const {
    double highest = -std::numeric_limits<double>::infinity();
    for (double z : z_)
        if (!IsBlank(z) && z > highest) highest = z;
    return std::isinf(highest) ? kBlankValue : highest;
}

int64_t Grid::BlankCount() const {
    int64_t count = 0;
    for (double z : z_)
        count += IsBlank(z);
    return count;
}

Grid ReadGridFile(const std::string &path) {
    GdalSession session;
    if (!FileExists(path)) throw MapServerError("Grid file \"" + path + "\" does not exist");
    const char *const allowed[] = {"GS7BG", "GSBG", "GSAG", nullptr};
    GdalDataset dataset(static_cast<GDALDataset *>(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, allowed, nullptr, nullptr)));
    if (!dataset)
        throw MapServerError("Cannot read the grid file \"" + path +
                             "\": it is not a Golden Software grid" + session.Reason());
    double transform[6];
    if (dataset->GetGeoTransform(transform) != CE_None || transform[2] != 0 || transform[4] != 0)
        throw MapServerError("Grid file \"" + path + "\" has no usable extents");
    GridGeometry geometry;
    geometry.columns = dataset->GetRasterXSize();
    geometry.rows = dataset->GetRasterYSize();
    if (geometry.columns < 2 || geometry.rows < 2 ||
        static_cast<int64_t>(geometry.columns) * geometry.rows > kMaxNodes)
        throw MapServerError("Grid file \"" + path + "\" has an unusable size of " +
                             std::to_string(geometry.columns) + " x " +
                             std::to_string(geometry.rows) + " nodes");
    // GDAL describes the nodes as cell centres: the extents lie half a cell inside.
    const double dx = transform[1], dy = std::fabs(transform[5]);
    geometry.xMin = transform[0] + dx / 2;
    geometry.xMax = transform[0] + dx * (geometry.columns - 0.5);
    const double top = transform[3], sign = transform[5] < 0 ? -1 : 1;
    const double yFirst = top + sign * dy / 2, yLast = top + sign * dy * (geometry.rows - 0.5);
    geometry.yMin = std::min(yFirst, yLast);
    geometry.yMax = std::max(yFirst, yLast);
    try {
        geometry.Validate();
    } catch (const MapServerError &error) {
        throw MapServerError("Grid file \"" + path + "\": " + error.what());
    }

    Grid grid(geometry);
    GDALRasterBand *band = dataset->GetRasterBand(1);
    int hasNoData = 0;
    const double noData = band->GetNoDataValue(&hasNoData);
    std::vector<double> line(geometry.columns);
    for (int fileRow = 0; fileRow < geometry.rows; ++fileRow) {
        if (band->RasterIO(GF_Read, 0, fileRow, geometry.columns, 1, line.data(), geometry.columns,
                           1, GDT_Float64, 0, 0) != CE_None)
            throw MapServerError("Cannot read the grid file \"" + path + "\"" + session.Reason());
        // With y growing down the file (negative pixel height) the first file row is the top.
        const int row = sign < 0 ? geometry.rows - 1 - fileRow : fileRow;
        for (int column = 0; column < geometry.columns; ++column) {
            const double z = line[column];
            const bool blank = IsBlank(z) || (hasNoData && z == noData);
            grid.Set(column, row, blank ? kBlankValue : z);
        }
    }
    return grid;
}

void WriteGridFile(const Grid &grid, const std::string &path, GridFormat format) {
    const char *driverName = DriverName(format);
    if (!driverName) throw MapServerError("XYZ text is not a grid file format");
    GdalSession session;
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver) throw MapServerError(std::string("GDAL lacks the ") + driverName + " driver");
    const GridGeometry &g = grid.Geometry();
    const double dx = g.XSpacing(), dy = g.YSpacing();
    double transform[6] = {g.xMin - dx / 2, dx, 0, g.yMax + dy / 2, 0, -dy};
    // Fills a dataset of the grid's size; file row 0 is the top of the grid.
    auto fill = [&](GDALDataset &dataset) {
        dataset.SetGeoTransform(transform);
        GDALRasterBand *band = dataset.GetRasterBand(1);
        band->SetNoDataValue(kBlankValue);
        for (int row = 0; row < g.rows; ++row) {
            const double *values = grid.Values().data() + static_cast<size_t>(row) * g.columns;
            if (band->RasterIO(GF_Write, 0, g.rows - 1 - row, g.columns, 1,
                               const_cast<double *>(values), g.columns, 1, GDT_Float64, 0,
                               0) != CE_None)
                return false;
        }
        return true;
    };

    // Written under a temporary name and renamed, so a failure leaves no half file.
    // Drivers that create directly write the blank value exactly as given (a
    // copy would round it to single precision); the ASCII grid is only copied.
    const std::string partial = path + ".partial";
    bool ok = false;
    if (driver->GetMetadataItem(GDAL_DCAP_CREATE)) {
        const GDALDataType type = format == GridFormat::GoldenBinary6 ? GDT_Float32 : GDT_Float64;
        GdalDataset written(driver->Create(partial.c_str(), g.columns, g.rows, 1, type, nullptr));
        ok = written && fill(*written);
    } else {
        GDALDriver *memory = GetGDALDriverManager()->GetDriverByName("MEM");
        GdalDataset source(memory ? memory->Create("", g.columns, g.rows, 1, GDT_Float64, nullptr)
                                  : nullptr);
        if (source && fill(*source)) {
            GdalDataset written(driver->CreateCopy(partial.c_str(), source.get(), FALSE, nullptr,
                                                   nullptr, nullptr));
            ok = written != nullptr;
        }
    }
    ok = ok && !session.Failed(); // closing the dataset above flushed it
    if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
        const std::string why = session.Reason();
        std::remove(partial.c_str());
        throw MapServerError("Cannot write the grid file \"" + path + "\"" + why);
    }
}

std::string GridToXyzText(const Grid &grid) {
    const GridGeometry &g = grid.Geometry();
    std::vector<std::string> xs(g.columns);
    for (int column = 0; column < g.columns; ++column)
        xs[column] = FormatGeneral(g.X(column));
    std::string text;
    text.reserve(static_cast<size_t>(g.columns) * g.rows * 40);
    for (int row = 0; row < g.rows; ++row) {
        const std::string y = ' ' + FormatGeneral(g.Y(row)) + ' ';
        for (int column = 0; column < g.columns; ++column) {
            text += xs[column];
            text += y;
            text += FormatGeneral(grid.IsBlankAt(column, row) ? kBlankValue : grid.At(column, row));
            text += '\n';
        }
    }
    return text;
}

void WriteGridAs(const Grid &grid, const std::string &path, GridFormat format) {
    if (format != GridFormat::XyzText) return WriteGridFile(grid, path, format);
    try {
        WriteWholeFile(path, GridToXyzText(grid));
    } catch (const Error &error) {
        throw MapServerError("Cannot write the XYZ file \"" + path + "\": " + error.what());
    }
}

} // namespace orvex::map
