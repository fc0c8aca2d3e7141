#include "orvex/processing/positions.h"

#include "float_checks.h"
#include "orvex/errors.h"
#include "orvex/prompts.h"
#include "orvex/text.h"

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <utility>

namespace orvex {

namespace {

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

void MirrorX(std::vector<TKavResultCell> &row, size_t first, size_t last) {
    for (; first < last; ++first, --last)
        std::swap(row[first].X, row[last].X);
}

// Reads the X and Y of records first .. first + count - 1 from a coordinate file
// whose header announces `expected` records; false when it announces another count.
bool ReadCoordinateFile(const std::string &path, int64_t expected, int64_t first,
                        std::vector<TKavResultCell> &cells) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputOutputError("Cannot open file \"" + path + "\".");
    std::string line;
    long long announced = 0;
    {
        std::getline(in, line);
        std::istringstream header(line);
        std::string token;
        header >> token;
        if (!TryParseInteger(token, announced))
            throw ConversionError("'" + Trim(line) + "' is not a valid integer value");
    }
    if (announced != expected) return false;
    int64_t lineNumber = 1;
    for (int64_t skip = 0; skip < first; ++skip, ++lineNumber)
        if (!std::getline(in, line))
            throw InputOutputError("Read beyond end of file \"" + path + "\"");
    for (TKavResultCell &cell : cells) {
        ++lineNumber;
        if (!std::getline(in, line))
            throw InputOutputError("Read beyond end of file \"" + path + "\"");
        std::istringstream fields(line);
        std::string x, y;
        fields >> x >> y;
        double xValue = 0, yValue = 0;
        if (!TryParseReal(x, '.', xValue) || !TryParseReal(y, '.', yValue))
            throw ConversionError("Line " + std::to_string(lineNumber) + " of \"" + path +
                                  "\" does not begin with two numbers: '" + Trim(line) + "'");
        cell.X = xValue;
        cell.Y = yValue;
    }
    return true;
}

bool PlaceMap(TKavRecords &records, const MapProcessFields &map, Prompts &prompts) {
    const TKavOptions &o = records.Options;
    const TKavSurveyData &data = records.Data;
    TKavResults &results = records.Results;
    if (data.ChaoticGrid == 0) {
        for (size_t r = 0; r < results.size(); ++r)
            for (size_t c = 0; c < results[r].size(); ++c) {
                results[r][c].X = (records.ProcMinStation + static_cast<double>(c)) * o.ProcXStep;
                results[r][c].Y = (records.ProcMinLine + static_cast<double>(r)) * o.ProcYStep;
            }
        if (o.XMirror)
            for (auto &row : results)
                if (!row.empty()) MirrorX(row, 0, row.size() - 1);
        if (o.YMirror && !results.empty())
            for (size_t c = 0; c < results[0].size(); ++c)
                for (size_t r = 0, s = results.size() - 1; r < s; ++r, --s)
                    std::swap(results[r][c].Y, results[s][c].Y);
        return true;
    }

    std::vector<TKavResultCell> &row = results.at(0);
    if (!map.GPSCoord.Checked) {
        if (ReadCoordinateFile(map.CoordFile.Text, StationCount(data), records.ProcMinStation, row))
            return true;
        prompts.Warn("The count of measurements and coordinates is different");
        return false;
    }
    const TStationRecord &origin = data.Stations.at(static_cast<size_t>(records.ProcMinStation));
    const double scale = std::cos(Radians(origin.CoordX)) * kMetresPerDegree;
    for (size_t c = 0; c < row.size(); ++c) {
        const TStationRecord &record = data.Stations[records.ProcMinStation + c];
        if (o.CoordType == Coordinates::GlobalGps) {
            row[c].X = record.CoordY;
            row[c].Y = record.CoordX;
        } else {
            row[c].X = (record.CoordY - origin.CoordY) * scale;
            row[c].Y = (record.CoordX - origin.CoordX) * kMetresPerDegree;
        }
    }
    return true;
}

void PlaceSection(TKavRecords &records) {
    const TKavOptions &o = records.Options;
    const TKavSurveyData &data = records.Data;
    const TKavCalibration &calibration = CalibrationSet(o.Calibration, data.DeviceNumber);
    TKavResults &results = records.Results;

    ChannelArray<double> depth;
    const double lowest = calibration.Frequencies[1];
    for (int k = 1; k <= kChannelCount; ++k) {
        const double f = calibration.Frequencies[k];
        if (!(lowest >= 0 && f >= 0))
            throw InvalidOperationError("Invalid floating point operation" +
                                        detail::Where(-1, k, "a negative frequency has no depth"));
        depth[k] = detail::Quotient(-o.DepthScale * 10 * std::sqrt(lowest), std::sqrt(f), -1, k,
                                    "the frequency is zero");
    }

    std::vector<double> along(results.size());
    if (data.ChaoticGrid == 0) {
        const double step = records.SectionAlongLine ? o.ProcXStep : o.ProcYStep;
        for (size_t p = 0; p < results.size(); ++p)
            along[p] = (records.ProcMinStation + static_cast<double>(p)) * step;
    } else if (!results.empty()) {
        const TStationRecord &r0 = data.Stations.at(static_cast<size_t>(SectionRecord(records, 0)));
        const double scale = std::cos(Radians(r0.CoordX)) * kMetresPerDegree;
        const auto distance = [&](const TStationRecord &a, const TStationRecord &b) {
            const double dy = b.CoordY - a.CoordY, dx = b.CoordX - a.CoordX;
            if (o.CoordType == Coordinates::GlobalGps) return std::sqrt(dy * dy + dx * dx);
            return std::hypot(dy * scale, dx * kMetresPerDegree);
        };
        const TStationRecord *previous = &data.Stations.at(0);
        double walked = 0;
        for (size_t p = 0; p < results.size(); ++p) {
            const TStationRecord &record =
                data.Stations.at(static_cast<size_t>(SectionRecord(records, int64_t(p))));
            walked += distance(*previous, record);
            along[p] = walked;
            previous = &record;
        }
    }
    if (o.XMirror)
        for (size_t p = 0, q = along.size() - 1; !along.empty() && p < q; ++p, --q)
            std::swap(along[p], along[q]);

    for (size_t p = 0; p < results.size(); ++p)
        for (int k = 1; k <= kChannelCount; ++k) {
            TKavResultCell &cell = results[p].at(static_cast<size_t>(k));
            cell.X = along[p];
            cell.Y = depth[k];
        }
}

} // namespace

int64_t SectionRecord(const TKavRecords &records, int64_t p) {
    if (records.SectionAlongLine)
        return RecordIndex(records.Data, static_cast<int32_t>(records.ProcMinStation + p),
                           records.SectionLine);
    return RecordIndex(records.Data, records.SectionStation,
                       static_cast<int32_t>(records.ProcMinLine + p));
}

bool PlaceResults(TKavRecords &records, const MapProcessFields &map, Prompts &prompts) {
    switch (records.Kind) {
    case RunKind::Map:
        return PlaceMap(records, map, prompts);
    case RunKind::Section:
        PlaceSection(records);
        return true;
    case RunKind::None:
        break;
    }
    return true;
}

} // namespace orvex
