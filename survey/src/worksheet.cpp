#include "orvex/survey/worksheet.h"

#include "orvex/codepage.h"
#include "orvex/errors.h"
#include "orvex/files.h"

#include <cstdint>

namespace orvex {

namespace {

constexpr uint16_t kBeginOfFile = 0x0809, kLabel = 0x0204, kEndOfFile = 0x000A;
constexpr uint16_t kWorksheet = 0x0010;
constexpr size_t kMaxLabelText = 0xFFFF - 8; // the record length is text length + 8
constexpr size_t kFlushAt = size_t{1} << 20;

void Put16(std::string &out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

// Texts are ASCII in all but the survey's own words; only those need converting.
std::string EightBit(std::string text) {
    for (unsigned char c : text)
        if (c >= 0x80) return Utf8ToCp1251(text);
    return text;
}

} // namespace

void ExportGridToExcel(const GridTexts &grid, const std::string &fileName) {
    const int rows = grid.RowCount(), columns = grid.ColumnCount();
    if (rows > kWorksheetMaxRows)
        throw RangeError("The grid has " + std::to_string(rows) +
                         " rows; a worksheet holds at most " + std::to_string(kWorksheetMaxRows) +
                         ".");
    if (columns > 0x10000) throw RangeError("The grid has too many columns for a worksheet.");

    OutputFile file(fileName);
    std::string out;
    out.reserve(kFlushAt + 0x10000);
    Put16(out, kBeginOfFile);
    Put16(out, 8);
    Put16(out, 0);          // version
    Put16(out, kWorksheet); // sheet kind
    Put16(out, 0);          // build
    Put16(out, 0);          // year
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) {
            const std::string text = EightBit(grid.Cell(row, column));
            if (text.size() > kMaxLabelText)
                throw RangeError("The cell in row " + std::to_string(row) + ", column " +
                                 std::to_string(column) + " is too long for a worksheet.");
            Put16(out, kLabel);
            Put16(out, static_cast<uint16_t>(text.size() + 8));
            Put16(out, static_cast<uint16_t>(row));
            Put16(out, static_cast<uint16_t>(column));
            Put16(out, 0); // cell format
            Put16(out, static_cast<uint16_t>(text.size()));
            out += text;
            if (out.size() >= kFlushAt) {
                file.Write(out);
                out.clear();
            }
        }
    }
    Put16(out, kEndOfFile);
    Put16(out, 0);
    file.Write(out);
    file.Commit();
}

} // namespace orvex
