// The worksheet export of the Edit Data grid: a BIFF stream of a beginning of
// file record, one LABEL record per cell (column by column, header row and
// empty cells included) and an end of file record, as spreadsheet programs read
// ".xls" files.
#pragma once

#include "orvex/survey/edit_grid.h"

#include <string>

namespace orvex {

// The largest number of rows a worksheet's 16-bit row field can address.
inline constexpr int kWorksheetMaxRows = 65536;

// Writes every cell of `grid` into `fileName`, replacing any file of that
// name only once the whole worksheet is written. Texts are stored as 8-bit
// characters in the Windows Cyrillic code page. A grid of more rows than a
// worksheet holds, or a cell too long for one record, raises RangeError before
// anything is written; a file that cannot be written raises InputOutputError.
// In both cases a file already there is left as it was.
void ExportGridToExcel(const GridTexts &grid, const std::string &fileName);

} // namespace orvex
