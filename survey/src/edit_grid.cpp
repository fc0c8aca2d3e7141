#include "orvex/survey/edit_grid.h"

#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/text.h"

#include <climits>

namespace orvex {

namespace {

constexpr const char *kValueKinds[3] = {"X ", "Y ", "I "};

std::string Coordinate(double value, char separator) {
    return FormatFixedOrGeneral(value, 5, 1, separator);
}

// The first `count` characters of a UTF-8 text (a short string holds 255).
std::string FirstCharacters(const std::string &text, size_t count) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue; // continuation byte
        if (characters++ == count) return text.substr(0, i);
    }
    return text;
}

int32_t ParseInt32(const std::string &text) {
    const long long value = ParseInteger(text);
    if (value < INT32_MIN || value > INT32_MAX)
        throw RangeError("'" + text + "' is out of the range of a station or line number");
    return static_cast<int32_t>(value);
}

} // namespace

void TEditGrid::Fill(const TKavSurveyData &data, const ChannelFrequencyFn &frequency,
                     char separator) {
    const int64_t stations = StationCount(data), lines = LineCount(data);
    const int64_t positions = stations > 0 && lines > 0 ? stations * lines : 0;
    if (static_cast<uint64_t>(positions) != data.Stations.size())
        throw RangeError("The survey holds " + std::to_string(data.Stations.size()) +
                         " records for a grid of " + std::to_string(positions) + " positions.");
    if (positions >= INT_MAX) throw RangeError("The survey has too many records to show.");

    data_ = &data;
    minStation_ = data.MinStation;
    maxStation_ = data.MaxStation;
    minLine_ = data.MinLine;
    stations_ = stations;
    xStep_ = data.XStep;
    yStep_ = data.YStep;
    separator_ = separator;
    headers_[0] = "X Coord";
    headers_[1] = "Y Coord";
    for (int k = 1; k <= kChannelCount; ++k) {
        const double hz = frequency ? frequency(data.DeviceNumber, k) : 0.0;
        const std::string label =
            FormatFixedOrGeneral(hz, 10, 1, separator) + "(" + FormatIntZeros(k, 2) + ")";
        for (int kind = 0; kind < 3; ++kind)
            headers_[static_cast<size_t>(2 + 3 * (k - 1) + kind)] = kValueKinds[kind] + label;
    }
    marked_.assign(static_cast<size_t>(positions) + 1, 0);
}

void TEditGrid::MarkUnusedRecords() {
    for (int row = 1; row < RowCount(); ++row)
        if (RecordUnused(data_->Stations[static_cast<size_t>(RecordOfRow(row))]))
            marked_[static_cast<size_t>(row)] = 1;
}

void TEditGrid::MarkRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    marked_[static_cast<size_t>(row)] = 1;
}

int TEditGrid::RowCount() const {
    return static_cast<int>(marked_.size());
}

int TEditGrid::ColumnCount() const {
    return data_ ? kColumns : 0;
}

bool TEditGrid::RowMarked(int row) const {
    return row >= 0 && row < RowCount() && marked_[static_cast<size_t>(row)] != 0;
}

int64_t TEditGrid::RecordOfRow(int row) const {
    const int64_t offset = int64_t{row} - 1;
    const int64_t line = offset / stations_, station = offset % stations_;
    // Serpentine: even line offsets were measured upward, odd ones downward.
    return line * stations_ + (line % 2 == 0 ? station : stations_ - 1 - station);
}

std::string TEditGrid::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    if (row == 0) return headers_[static_cast<size_t>(column)];
    const int64_t offset = int64_t{row} - 1;
    if (column < kFixedColumns) {
        const int64_t position =
            column == 0 ? minStation_ + offset % stations_ : minLine_ + offset / stations_;
        const double step = column == 0 ? xStep_ : yStep_;
        std::string text = Coordinate(static_cast<double>(position) * step, separator_);
        return marked_[static_cast<size_t>(row)] ? kUnusedMark + text : text;
    }
    const TStationRecord &record = data_->Stations[static_cast<size_t>(RecordOfRow(row))];
    const int k = (column - kFixedColumns) / 3 + 1;
    switch ((column - kFixedColumns) % 3) {
    case 0:
        return std::to_string(record.RawComp1[k]);
    case 1:
        return std::to_string(record.RawComp2[k]);
    default:
        return std::to_string(record.RawCurrent[k]);
    }
}

TEditPanelTexts PanelTextsOf(const TKavSurveyData &data, char separator) {
    TEditPanelTexts panel;
    panel.SiteName = data.SiteName;
    panel.SiteOperator = data.SiteOperator;
    panel.SiteTimeDate = data.SiteTimeDate;
    panel.SiteComment = data.SiteComment;
    panel.ChaoticGrid = data.ChaoticGrid == 1;
    panel.MinStation = std::to_string(data.MinStation);
    panel.MaxStation = std::to_string(data.MaxStation);
    if (!panel.ChaoticGrid) {
        panel.MinLine = std::to_string(data.MinLine);
        panel.MaxLine = std::to_string(data.MaxLine);
        panel.XStep = FormatGeneral(data.XStep, separator);
        panel.YStep = FormatGeneral(data.YStep, separator);
    }
    return panel;
}

void ApplyEditsToSurvey(const TEditPanelTexts &panel, const TEditGrid &grid, TKavSurveyData &data,
                        char separator) {
    // Everything is parsed before anything is stored, so a bad field changes nothing.
    // An empty field (the line and step fields of a chaotic grid, every field
    // of a window that never loaded) leaves its value as it is.
    const auto integer = [](const std::string &text, int32_t kept) {
        return text.empty() ? kept : ParseInt32(text);
    };
    const auto real = [separator](const std::string &text, double kept) {
        return text.empty() ? kept : ParseReal(text, separator);
    };
    const int32_t minStation = integer(panel.MinStation, data.MinStation);
    const int32_t maxStation = integer(panel.MaxStation, data.MaxStation);
    const int32_t minLine = integer(panel.MinLine, data.MinLine);
    const int32_t maxLine = integer(panel.MaxLine, data.MaxLine);
    const double xStep = real(panel.XStep, data.XStep);
    const double yStep = real(panel.YStep, data.YStep);

    data.SiteName = FirstCharacters(panel.SiteName, 255);
    data.SiteOperator = FirstCharacters(panel.SiteOperator, 255);
    data.SiteTimeDate = FirstCharacters(panel.SiteTimeDate, 255);
    data.SiteComment = FirstCharacters(panel.SiteComment, 255);
    data.MinStation = minStation;
    data.MaxStation = maxStation;
    data.MinLine = minLine;
    data.MaxLine = maxLine;
    data.XStep = xStep;
    data.YStep = yStep;
    data.ChaoticGrid = panel.ChaoticGrid ? 1 : 0;

    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!grid.RowMarked(row)) continue;
        const int64_t record = grid.RecordOfRow(row);
        if (record < 0 || static_cast<uint64_t>(record) >= data.Stations.size()) continue;
        MarkRecordUnused(data.Stations[static_cast<size_t>(record)]);
    }
}

} // namespace orvex
