#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/survey/legacy.h"
#include "orvex/survey/save.h"
#include "orvex/survey/worksheet.h"
#include "orvex/testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace orvex;

namespace {

uint32_t WordAt(const std::string &bytes, size_t p) {
    return uint8_t(bytes[p]) | uint32_t(uint8_t(bytes[p + 1])) << 8 |
           uint32_t(uint8_t(bytes[p + 2])) << 16;
}

uint16_t Word16(const std::string &bytes, size_t p) {
    return uint16_t(uint8_t(bytes[p]) | uint8_t(bytes[p + 1]) << 8);
}

void PutWord(std::string &bytes, size_t p, uint32_t word) {
    bytes[p] = char(word & 0xFF);
    bytes[p + 1] = char(word >> 8 & 0xFF);
    bytes[p + 2] = char(word >> 16 & 0xFF);
}

// A legacy survey of `stations` stations on one line (or a chaotic one).
TKavSurveyData LegacySurvey(int stations, bool chaotic = false) {
    TKavSurveyData data;
    data.SiteName = "Site";
    data.ChaoticGrid = chaotic ? 1 : 0;
    data.MinStation = chaotic ? 0 : 10;
    data.MaxStation = data.MinStation + stations - 1;
    data.MinLine = data.MaxLine = chaotic ? 0 : 4;
    data.XStep = chaotic ? 0 : 2;
    data.YStep = chaotic ? 0 : 5;
    data.DeviceNumber = 7;
    data.Stations.resize(size_t(stations));
    for (int i = 0; i < stations; ++i)
        for (int k = 1; k <= 14; ++k) {
            data.Stations[i].RawComp1[k] = 3 * (i + k);
            data.Stations[i].RawComp2[k] = -2 * (i + k);
            data.Stations[i].RawCurrent[k] = 700 + k;
            data.Stations[i].ChannelUsed[k] = 1;
        }
    return data;
}

// Cells given as a function, for grids the Edit Data window cannot make.
class FakeGrid : public GridTexts {
public:
    FakeGrid(int rows, int columns, std::function<std::string(int, int)> cell)
        : rows_(rows), columns_(columns), cell_(std::move(cell)) {}
    int RowCount() const override { return rows_; }
    int ColumnCount() const override { return columns_; }
    std::string Cell(int row, int column) const override { return cell_(row, column); }

private:
    int rows_, columns_;
    std::function<std::string(int, int)> cell_;
};

class SaveExportTest : public ::testing::Test {
protected:
    orvex::testing::ScratchDir scratch;
};

} // namespace

TEST_F(SaveExportTest, SaveMarksOnlyTheSignalWordsOfUnusedRecords) {
    TKavSurveyData data = LegacySurvey(3);
    data.SourceFile = scratch / "source.prf";
    WriteLegacySurvey(data, data.SourceFile);
    std::string source = ReadWholeFile(data.SourceFile);
    const size_t record1 = 1062 + 112;
    PutWord(source, record1, 0x000064);          // channel 1, component 2: value 100
    PutWord(source, record1 + 8, 0x400000);      // channel 2, component 2: overflow
    PutWord(source, record1 + 8 + 3, 0x3FFF9C);  // channel 2, component 1: -100
    PutWord(source, record1 + 16 + 3, 0x800010); // channel 3, component 1: already marked
    WriteWholeFile(data.SourceFile, source);
    MarkRecordUnused(data.Stations[1]);

    ASSERT_TRUE(SaveSurveyCopy(data, scratch / "copy.prf"));
    const std::string copy = ReadWholeFile(scratch / "copy.prf");
    ASSERT_EQ(copy.size(), source.size());
    for (size_t p = 0; p < copy.size(); ++p) {
        const bool signalWord = p >= record1 && p < record1 + 112 && (p - record1) % 8 < 6;
        if (!signalWord) {
            EXPECT_EQ(copy[p], source[p]) << "byte " << p;
        }
    }
    for (size_t group = record1; group < record1 + 112; group += 8)
        for (size_t word = group; word < group + 6; word += 3) {
            const uint32_t before = WordAt(source, word), after = WordAt(copy, word);
            const uint32_t expected = before & 0x400000 ? 0xC00000u | 0x18967Fu // 9999999 marked
                                                        : before | 0x800000u;
            EXPECT_EQ(after, expected) << word;
        }
    EXPECT_EQ(WordAt(copy, record1), 0x800064u);
    EXPECT_EQ(WordAt(copy, record1 + 8 + 3), 0xBFFF9Cu);
}

TEST_F(SaveExportTest, SaveOfAChaoticSurveyAndOntoItsOwnSource) {
    TKavSurveyData data = LegacySurvey(2, true);
    data.SourceFile = scratch / "points.cpr";
    WriteLegacySurvey(data, data.SourceFile);
    const std::string source = ReadWholeFile(data.SourceFile);
    MarkRecordUnused(data.Stations[0]);
    ASSERT_TRUE(SaveSurveyCopy(data, data.SourceFile));
    const std::string marked = ReadWholeFile(data.SourceFile);
    EXPECT_EQ(marked.substr(0, 1038), source.substr(0, 1038));
    EXPECT_EQ(WordAt(marked, 1038), WordAt(source, 1038) | 0x800000u);
    EXPECT_EQ(marked.substr(1038 + 112), source.substr(1038 + 112));
}

TEST_F(SaveExportTest, SaveWithoutALegacySourceWritesNothing) {
    TKavSurveyData data = LegacySurvey(1); // as read through the data file library
    EXPECT_FALSE(SaveSurveyCopy(data, scratch / "copy.kav"));
    data.SourceFile = scratch / "gone.prf";
    EXPECT_FALSE(SaveSurveyCopy(data, scratch / "copy.kav"));
    EXPECT_FALSE(FileExists(scratch / "copy.kav"));
}

TEST_F(SaveExportTest, ShortSourceRaisesAndLeavesTheTargetAlone) {
    TKavSurveyData data = LegacySurvey(3);
    data.SourceFile = scratch / "short.prf";
    WriteLegacySurvey(data, data.SourceFile);
    const std::string whole = ReadWholeFile(data.SourceFile);
    WriteWholeFile(data.SourceFile, whole.substr(0, whole.size() - 50));
    WriteWholeFile(scratch / "target.prf", "keep me");

    // The last record is cut short but used: it is stepped over, not read.
    EXPECT_TRUE(SaveSurveyCopy(data, scratch / "ok.prf"));
    MarkRecordUnused(data.Stations[2]);
    EXPECT_THROW(SaveSurveyCopy(data, scratch / "target.prf"), InputOutputError);
    EXPECT_EQ(ReadWholeFile(scratch / "target.prf"), "keep me");
    EXPECT_FALSE(FileExists(scratch / "new.prf"));
    EXPECT_THROW(SaveSurveyCopy(data, scratch / "new.prf"), InputOutputError);
    EXPECT_FALSE(FileExists(scratch / "new.prf"));
}

TEST_F(SaveExportTest, WorksheetRecordsOfAnEditDataGrid) {
    TKavSurveyData data = LegacySurvey(2);
    data.MinStation = 0;
    data.MaxStation = 1;
    data.MinLine = data.MaxLine = 0;
    MarkRecordUnused(data.Stations[0]);
    TEditGrid grid;
    grid.Fill(data, {}, '.');
    grid.MarkUnusedRecords();
    ExportGridToExcel(grid, scratch / "grid.xls");
    const std::string bytes = ReadWholeFile(scratch / "grid.xls");

    const std::string beginning("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
    EXPECT_EQ(bytes.substr(0, 12), beginning);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\x0A\x00\x00\x00", 4));
    // Column by column, every row of the grid, the header row first.
    size_t p = 12;
    int cells = 0;
    for (int column = 0; column < 44; ++column)
        for (int row = 0; row < 3; ++row, ++cells) {
            const std::string text = grid.Cell(row, column);
            ASSERT_LT(p + 12, bytes.size());
            EXPECT_EQ(Word16(bytes, p), 0x0204);
            EXPECT_EQ(Word16(bytes, p + 2), text.size() + 8);
            EXPECT_EQ(Word16(bytes, p + 4), row);
            EXPECT_EQ(Word16(bytes, p + 6), column);
            EXPECT_EQ(Word16(bytes, p + 8), 0);
            EXPECT_EQ(Word16(bytes, p + 10), text.size());
            EXPECT_EQ(bytes.substr(p + 12, text.size()), text);
            p += 12 + text.size();
        }
    EXPECT_EQ(cells, 132);
    EXPECT_EQ(p + 4, bytes.size());
    EXPECT_EQ(grid.Cell(1, 0), "UnUsed! 0.0"); // exported with text length 11
    EXPECT_EQ(bytes.substr(12, 19), std::string("\x04\x02\x0F\x00\x00\x00\x00\x00\x00\x00\x07\x00"
                                                "X Coord",
                                                19));
}

TEST_F(SaveExportTest, WorksheetTextsLimitsAndFailures) {
    // Empty cells are written as zero-length texts; survey texts in the Cyrillic code page.
    ExportGridToExcel(FakeGrid(1, 2, [](int, int c) { return c ? "" : "Юг"; }),
                      scratch / "texts.xls");
    const std::string texts = ReadWholeFile(scratch / "texts.xls");
    EXPECT_EQ(texts.substr(12, 14), std::string("\x04\x02\x0A\x00\x00\x00\x00\x00\x00\x00\x02\x00"
                                                "\xDE\xE3",
                                                14));
    EXPECT_EQ(texts.substr(26, 12),
              std::string("\x04\x02\x08\x00\x00\x00\x01\x00\x00\x00\x00\x00", 12));
    ExportGridToExcel(FakeGrid(0, 0, {}), scratch / "empty.xls");
    EXPECT_EQ(ReadWholeFile(scratch / "empty.xls").size(), 16u);

    // The last row a worksheet can address is 65535.
    ExportGridToExcel(FakeGrid(65536, 1, [](int, int) { return "1"; }), scratch / "full.xls");
    const std::string full = ReadWholeFile(scratch / "full.xls");
    EXPECT_EQ(Word16(full, full.size() - 4 - 13 + 4), 65535);

    WriteWholeFile(scratch / "kept.xls", "old");
    EXPECT_THROW(
        ExportGridToExcel(FakeGrid(65537, 1, [](int, int) { return "1"; }), scratch / "kept.xls"),
        RangeError);
    EXPECT_THROW(ExportGridToExcel(
                     FakeGrid(2, 1, [](int row, int) { return std::string(row ? 65528 : 1, 'a'); }),
                     scratch / "kept.xls"),
                 RangeError);
    EXPECT_EQ(ReadWholeFile(scratch / "kept.xls"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 4);

    EXPECT_THROW(ExportGridToExcel(FakeGrid(1, 1, [](int, int) { return "1"; }),
                                   scratch / "no such folder/grid.xls"),
                 InputOutputError);
}
