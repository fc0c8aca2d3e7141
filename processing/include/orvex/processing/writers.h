// The output tables of a run: the output file's name, the main table in each
// layout for maps and sections (data sheets, matrices of sounding or profile
// curves, the one-dimensional inversion file), the log and current files, and
// the file lists handed to the map server. Text is Windows-1251 with CR LF line
// ends and fixed-width columns; numbers in tables always use a point.
#pragma once

#include "orvex/processing/environment.h"
#include "orvex/processing/kav_records.h"

#include <string>
#include <vector>

namespace orvex {

// What a table that writes every cell prints for a cell without a valid value:
// the map server's blanking number, right-aligned in the column.
inline constexpr const char *kBlankValue = "1.70141E+38";

// The output file name: the input file's name without folder and its last four
// characters, then "_ADC"/"_CON"/"_RES"/"_PPM", "_Mod"/"_Quad"/"_Inph"/"_Phase",
// "_Surf"/"_Tabl"/"_Graph" (nothing for the inversion file), `windowPart`, and
// ".pelpr" for the inversion file or ".dat".
std::string OutputFileName(const std::string &inputFile, Units units, Component component,
                           TableLayout layout, const std::string &windowPart);

// The part of the output name that the visible process window gives: "_f" and
// the frequency number in two digits for a map, "_pr" and the line or "_st" and
// the station in four digits for a section, "" when neither window is visible.
// A number field that is not an integer raises ConversionError.
std::string WindowNamePart(const ProcessWindows &windows);

// Once a survey is loaded: collects the options and puts the output file name,
// without a folder, into the Common Process window's output-file field.
void BuildOutputName(TKavRecords &records, ProcessWindows &windows,
                     const ProcessingEnvironment &environment);

// Where the run writes: the output-file field unchanged when it names a folder,
// else the name in `outputFolder`, or in the input file's folder when that is empty.
std::string OutputPath(const std::string &inputFile, const std::string &outFile,
                       const std::string &outputFolder = "");

// Writes the main table of the last run to `fileName`, then its log (".log")
// and current (".cur") files when asked, and sets SheetFiles and GridFiles.
// Each file appears whole or not at all; a failure raises InputOutputError and
// leaves the files written before it. `separator` is the user's decimal
// separator, used only by the general-form numbers of the curve headings.
// Returns the files written, the main table first.
std::vector<std::string> WriteOutput(TKavRecords &records, const std::string &fileName,
                                     char separator);

} // namespace orvex
