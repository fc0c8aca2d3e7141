// The Edit Data window's grid as texts: a header row, the two coordinate
// columns and three value columns per channel, one row per grid position, and
// the "UnUsed! " marks. Cells are formatted when asked for, so a survey of
// 100,000 records costs one mark flag per row, not 4.4 million strings; the
// window's table model, the worksheet export and the write-back of the marks
// all read the same texts from here.
#pragma once

#include "orvex/survey/survey_data.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvex {

// A rectangle of cell texts, row 0 being the header row.
class GridTexts {
public:
    virtual ~GridTexts() = default;
    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string Cell(int row, int column) const = 0;
};

// Channel k's frequency for the column headers: (device number, channel 1..14)
// -> the value the processing engine holds in that device's calibration set,
// 0.0 for a set never read.
using ChannelFrequencyFn = std::function<double(int32_t deviceNumber, int channel)>;

// The prefix that marks a row unused in its two coordinate cells.
inline constexpr const char *kUnusedMark = "UnUsed! ";

class TEditGrid : public GridTexts {
public:
    static constexpr int kColumns = 44;
    static constexpr int kFixedColumns = 2;

    // Lays the grid over `data`: headers, coordinates from the geometry as it
    // is now, values read from data.Stations when asked for (the data must
    // outlive the grid and keep its records). Rows follow lines from MinLine
    // upward and stations from MinStation upward, each showing the record
    // RecordIndex gives. No row is marked yet. Numbers are written with
    // `separator` as the decimal point. Raises RangeError when the records do
    // not fill the grid's positions.
    void Fill(const TKavSurveyData &data, const ChannelFrequencyFn &frequency, char separator);

    // Marks every row whose record is unused (all fourteen channels).
    void MarkUnusedRecords();

    // "Set Row UnUsed": marks a data row whose first cell does not begin with
    // "U"; the header row, rows out of range and marked rows are left alone.
    void MarkRow(int row);

    // Header row plus one row per record; 0 before Fill.
    int RowCount() const override;
    // 44 once filled, 0 before.
    int ColumnCount() const override;
    std::string Cell(int row, int column) const override;

    // Whether a row's first cell begins with "U" (only marked rows do).
    bool RowMarked(int row) const;
    // Index into data.Stations of the record that data row `row` (1..) shows.
    int64_t RecordOfRow(int row) const;
    bool Filled() const { return data_ != nullptr; }

private:
    const TKavSurveyData *data_ = nullptr;
    int32_t minStation_ = 0, maxStation_ = 0, minLine_ = 0;
    int64_t stations_ = 0;
    double xStep_ = 0, yStep_ = 0;
    char separator_ = '.';
    std::array<std::string, kColumns> headers_;
    std::vector<uint8_t> marked_; // per row; row 0 (the header) never marked
};

// The texts of the window's panel, as the window shows them and reads them back.
struct TEditPanelTexts {
    std::string SiteName, SiteOperator, SiteTimeDate, SiteComment;
    bool ChaoticGrid = false;
    std::string MinStation, MaxStation;
    std::string MinLine, MaxLine, XStep, YStep; // empty on a chaotic grid
};

// The panel for a survey: texts, station range, and on an orthogonal grid the
// line range and the steps in the shortest general form.
TEditPanelTexts PanelTextsOf(const TKavSurveyData &data, char separator);

// Copies the panel back into the data set (texts cut to 255 characters,
// numbers parsed with `separator`; an empty number field leaves its value as
// it is) and clears every channel of the records of marked rows.
// Raises ConversionError for a field that is not a number and RangeError for
// a station or line number beyond 32 bits; nothing changes then.
void ApplyEditsToSurvey(const TEditPanelTexts &panel, const TEditGrid &grid, TKavSurveyData &data,
                        char separator);

} // namespace orvex
