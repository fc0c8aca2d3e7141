#include "orvex/errors.h"
#include "orvex/survey/edit_grid.h"
#include "test_surveys.h"

#include <gtest/gtest.h>

using namespace orvex;

using orvex::testing::NumberedSurvey;

TEST(EditGrid, RowsShowTheirRecordsInSerpentineOrder) {
    const TKavSurveyData data = NumberedSurvey(5, 7, 0, 1);
    TEditGrid grid;
    grid.Fill(data, {}, '.');
    ASSERT_EQ(grid.RowCount(), 7);
    ASSERT_EQ(grid.ColumnCount(), 44);
    // Rows run line by line, stations upward; line 1 was measured backwards.
    const struct {
        int row;
        int64_t record;
        const char *x, *y;
    } cases[] = {{1, 0, "5.0", "0.0"},
                 {3, 2, "7.0", "0.0"},
                 {4, 5, "5.0", "1.0"},
                 {5, 4, "6.0", "1.0"},
                 {6, 3, "7.0", "1.0"}};
    for (const auto &c : cases) {
        EXPECT_EQ(grid.RecordOfRow(c.row), c.record) << c.row;
        EXPECT_EQ(grid.Cell(c.row, 0), c.x) << c.row;
        EXPECT_EQ(grid.Cell(c.row, 1), c.y) << c.row;
        const int64_t i = c.record;
        EXPECT_EQ(grid.Cell(c.row, 2), std::to_string(1000 * i + 1));    // X of channel 1
        EXPECT_EQ(grid.Cell(c.row, 3), std::to_string(-(1000 * i + 1))); // Y of channel 1
        EXPECT_EQ(grid.Cell(c.row, 43), "514");                          // I of channel 14
    }
}

TEST(EditGrid, HeadersAndNumberForms) {
    TKavSurveyData data = NumberedSurvey(3, 4, 0, 0, 2.5, -1e6);
    const auto frequency = [](int32_t device, int channel) {
        EXPECT_EQ(device, 9);
        return channel == 14 ? 123456789012.0 : 2510.04 * channel;
    };
    TEditGrid grid;
    grid.Fill(data, frequency, ',');
    EXPECT_EQ(grid.Cell(0, 0), "X Coord");
    EXPECT_EQ(grid.Cell(0, 1), "Y Coord");
    EXPECT_EQ(grid.Cell(0, 2), "X 2510,0(01)");
    EXPECT_EQ(grid.Cell(0, 3), "Y 2510,0(01)");
    EXPECT_EQ(grid.Cell(0, 4), "I 2510,0(01)");
    EXPECT_EQ(grid.Cell(0, 5), "X 5020,1(02)");
    EXPECT_EQ(grid.Cell(0, 41), "X 1,23456789E11(14)"); // beyond ten digits: general form
    EXPECT_EQ(grid.Cell(1, 0), "7,5");                  // station 3 at 2.5
    EXPECT_EQ(grid.Cell(1, 1), "0,0");                  // line 0: no minus sign
    EXPECT_EQ(grid.Cell(44, 0), "");                    // outside the grid
    EXPECT_EQ(grid.Cell(1, 44), "");

    data.MinLine = data.MaxLine = 2;
    grid.Fill(data, {}, '.');
    EXPECT_EQ(grid.Cell(0, 2), "X 0.0(01)"); // a calibration set never read
    EXPECT_EQ(grid.Cell(1, 1), "-2E6");      // more than five digits before the point

    TEditGrid empty;
    EXPECT_EQ(empty.RowCount(), 0);
    EXPECT_EQ(empty.ColumnCount(), 0);
    EXPECT_EQ(empty.Cell(0, 0), "");
}

TEST(EditGrid, ChaoticSurveyShowsZeroCoordinates) {
    TKavSurveyData data = NumberedSurvey(0, 3, 0, 0);
    data.ChaoticGrid = 1;
    data.XStep = data.YStep = 0;
    data.Stations[2].CoordX = 55.1;
    TEditGrid grid;
    grid.Fill(data, {}, '.');
    ASSERT_EQ(grid.RowCount(), 5);
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(grid.RecordOfRow(row), row - 1);
        EXPECT_EQ(grid.Cell(row, 0), "0.0");
        EXPECT_EQ(grid.Cell(row, 1), "0.0");
    }
    const TEditPanelTexts panel = PanelTextsOf(data, '.');
    EXPECT_TRUE(panel.ChaoticGrid);
    EXPECT_EQ(panel.MaxStation, "3");
    EXPECT_EQ(panel.MinLine, "");
    EXPECT_EQ(panel.XStep, "");
}

TEST(EditGrid, MarksOfUnusedRows) {
    TKavSurveyData data = NumberedSurvey(0, 2, 0, 1);
    MarkRecordUnused(data.Stations[4]);  // station 1 of line 1: row 5
    data.Stations[0].ChannelUsed[7] = 0; // one unused channel leaves the record used
    TEditGrid grid;
    grid.Fill(data, {}, '.');
    EXPECT_FALSE(grid.RowMarked(5));
    grid.MarkUnusedRecords();
    for (int row = 0; row < grid.RowCount(); ++row)
        EXPECT_EQ(grid.RowMarked(row), row == 5) << row;
    EXPECT_EQ(grid.Cell(5, 0), "UnUsed! 1.0");
    EXPECT_EQ(grid.Cell(5, 1), "UnUsed! 1.0");
    EXPECT_EQ(grid.Cell(5, 2), "4001"); // the values keep their texts

    grid.MarkRow(6);
    grid.MarkRow(6);
    EXPECT_EQ(grid.Cell(6, 0), "UnUsed! 2.0");
    grid.MarkRow(0); // the header row
    grid.MarkRow(7); // past the last row
    EXPECT_EQ(grid.Cell(0, 0), "X Coord");
    EXPECT_FALSE(grid.RowMarked(7));
}

TEST(EditGrid, RecordsMustFillTheGrid) {
    TKavSurveyData data = NumberedSurvey(0, 2, 0, 1);
    data.Stations.pop_back();
    TEditGrid grid;
    EXPECT_THROW(grid.Fill(data, {}, '.'), RangeError);
    EXPECT_EQ(grid.RowCount(), 0);
}

TEST(ApplyEdits, PanelAndMarksGoBackIntoTheSurvey) {
    TKavSurveyData data = NumberedSurvey(5, 7, 0, 1, 0.1 + 0.2, -4);
    data.SiteName = "Участок";
    TEditGrid grid;
    grid.Fill(data, {}, ',');
    grid.MarkRow(6); // station 7 of line 1: record 3

    TEditPanelTexts panel = PanelTextsOf(data, ',');
    EXPECT_EQ(panel.XStep, "0,3");
    EXPECT_EQ(panel.YStep, "-4");
    panel.SiteComment = std::string(300, 'c');
    panel.SiteOperator.clear();
    for (int i = 0; i < 300; ++i)
        panel.SiteOperator += "ж"; // two bytes a character
    ApplyEditsToSurvey(panel, grid, data, ',');
    EXPECT_EQ(data.SiteName, "Участок");
    EXPECT_EQ(data.SiteComment, std::string(255, 'c'));
    EXPECT_EQ(data.SiteOperator.size(), 255u * 2);
    EXPECT_EQ(data.XStep, 0.3);
    EXPECT_EQ(data.MaxLine, 1);
    for (size_t i = 0; i < data.Stations.size(); ++i)
        EXPECT_EQ(RecordUnused(data.Stations[i]), i == 3) << i;

    // A chaotic panel has no line or step fields: their values stay.
    TKavSurveyData chaotic = NumberedSurvey(0, 1, 0, 0, 0, 0);
    chaotic.ChaoticGrid = 1;
    TEditGrid chaoticGrid;
    chaoticGrid.Fill(chaotic, {}, '.');
    ApplyEditsToSurvey(PanelTextsOf(chaotic, '.'), chaoticGrid, chaotic, '.');
    EXPECT_EQ(chaotic.ChaoticGrid, 1);
    EXPECT_EQ(chaotic.MaxStation, 1);
    EXPECT_EQ(chaotic.MaxLine, 0);
}

TEST(ApplyEdits, ABadFieldChangesNothing) {
    TKavSurveyData data = NumberedSurvey(0, 1, 0, 0);
    TEditGrid grid;
    grid.Fill(data, {}, '.');
    grid.MarkRow(1);
    const struct {
        std::string TEditPanelTexts::*field;
        const char *text;
    } cases[] = {{&TEditPanelTexts::MinStation, "x1"},
                 {&TEditPanelTexts::MaxLine, "4294967296"},
                 {&TEditPanelTexts::XStep, "1.5"}}; // a point where the user writes a comma
    for (const auto &c : cases) {
        TEditPanelTexts panel = PanelTextsOf(data, ',');
        panel.SiteName = "changed";
        panel.*c.field = c.text;
        EXPECT_THROW(ApplyEditsToSurvey(panel, grid, data, ','), Error) << c.text;
        EXPECT_EQ(data.SiteName, "");
        EXPECT_FALSE(RecordUnused(data.Stations[0]));
    }
}
