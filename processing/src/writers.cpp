#include "orvex/processing/writers.h"

#include "orvex/codepage.h"
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/format.h"
#include "orvex/processing/collect_options.h"
#include "orvex/text.h"

#include <vector>

namespace orvex {

namespace {

constexpr const char *kEol = "\r\n";

// A table being built in memory, one line after the other.
class Table {
public:
    Table &Text(const std::string &text) {
        text_ += text;
        return *this;
    }
    Table &Fixed(double value, int width, int decimals) {
        text_ += FormatFixed(value, width, decimals);
        return *this;
    }
    // A value column of a table that writes every cell.
    Table &Cell(const TKavResultCell &cell, int width, int decimals) {
        text_ +=
            cell.Valid ? FormatFixed(cell.Value, width, decimals) : PadLeft(kBlankValue, width);
        return *this;
    }
    Table &Int(int64_t value, int width) {
        text_ += FormatInt(value, width);
        return *this;
    }
    void EndLine() { text_ += kEol; }
    void Save(const std::string &path) const {
        OutputFile file(path);
        file.Write(Utf8ToCp1251(text_));
        file.Commit();
    }

private:
    std::string text_;
};

// The chosen channels of a section, ascending.
std::vector<int> ChosenChannels(const TKavOptions &options) {
    std::vector<int> chosen;
    for (int k = 1; k <= kChannelCount; ++k)
        if (options.SectionFreq[k]) chosen.push_back(k);
    return chosen;
}

// Row numbers in position order: ascending, or descending with the X mirror.
std::vector<size_t> PositionOrder(const TKavRecords &records) {
    std::vector<size_t> order(records.Results.size());
    for (size_t p = 0; p < order.size(); ++p)
        order[p] = records.Options.XMirror ? order.size() - 1 - p : p;
    return order;
}

// A map as a matrix: "           Y|X" and the X of every cell of the first row,
// then for every row the Y of its first cell and one column per cell.
template <typename Column>
void MapMatrix(Table &table, const TKavResults &results, int width, int decimals, Column column) {
    table.Text("           Y|X");
    for (const TKavResultCell &cell : results.at(0))
        table.Fixed(cell.X, width, decimals);
    table.EndLine();
    for (const auto &row : results) {
        table.Fixed(row.at(0).Y, width, decimals);
        for (const TKavResultCell &cell : row)
            column(cell);
        table.EndLine();
    }
}

Table MapMainTable(const TKavRecords &records) {
    const TKavResults &results = records.Results;
    const TKavOptions &o = records.Options;
    Table table;
    if (o.OutputFormat == TableLayout::DataSheet) {
        int64_t n = 0;
        for (const auto &row : results)
            for (const TKavResultCell &cell : row) {
                if (!cell.Valid) continue;
                if (o.XYChange)
                    table.Fixed(cell.Y, 20, 10).Fixed(cell.X, 20, 10).Fixed(cell.Value, 14, 5);
                else
                    table.Fixed(cell.X, 20, 10).Fixed(cell.Y, 20, 10).Fixed(cell.Value, 20, 10);
                table.Int(n++, 10).EndLine();
            }
    } else if (o.OutputFormat == TableLayout::SoundingCurves) {
        MapMatrix(table, results, 20, 10,
                  [&](const TKavResultCell &cell) { table.Cell(cell, 20, 10); });
    }
    // The curve and inversion layouts have no map form: the file stays empty.
    return table;
}

// The matrix of the sounding-curve and inversion layouts: one line per chosen
// channel from the highest down, positions in position order.
void SectionMatrix(Table &table, const TKavRecords &records, bool depthColumn) {
    const std::vector<int> chosen = ChosenChannels(records.Options);
    const std::vector<size_t> order = PositionOrder(records);
    for (auto k = chosen.rbegin(); k != chosen.rend(); ++k) {
        if (depthColumn) table.Fixed(records.Results.at(0).at(*k).Y, 20, 10);
        for (size_t p : order)
            table.Cell(records.Results[p][*k], 20, 10);
        table.EndLine();
    }
}

Table SectionMainTable(const TKavRecords &records, char separator) {
    const TKavResults &results = records.Results;
    const TKavOptions &o = records.Options;
    const TKavCalibration &calibration = CalibrationSet(o.Calibration, records.Data.DeviceNumber);
    const std::vector<int> chosen = ChosenChannels(o);
    Table table;
    switch (o.OutputFormat) {
    case TableLayout::DataSheet:
        for (int k : chosen)
            for (const auto &row : results) {
                const TKavResultCell &cell = row.at(k);
                if (!cell.Valid) continue;
                table.Fixed(cell.X, 20, 10).Fixed(cell.Y, 20, 10).Fixed(cell.Value, 20, 10);
                table.EndLine();
            }
        break;
    case TableLayout::SoundingCurves:
        table.Text("Depth|Station  ");
        for (size_t p : PositionOrder(records))
            table.Text("Pos" + FormatGeneral(results[p].at(7).X, separator) + "  ");
        table.EndLine();
        SectionMatrix(table, records, true);
        break;
    case TableLayout::ProfileCurves:
        table.Text("Position   ");
        for (int k : chosen)
            table.Text("#" + std::to_string(k) + "(" +
                       FormatGeneral(calibration.Frequencies[k], separator) + ")   ");
        table.EndLine();
        for (const auto &row : results) {
            table.Fixed(row.at(7).X, 20, 10);
            for (int k : chosen)
                table.Cell(row[k], 20, 10);
            table.EndLine();
        }
        break;
    case TableLayout::Inversion1D:
        table.Fixed(calibration.rt, 14, 5).Text(" - радиус генератора").EndLine();
        table.Int(calibration.nt, 14).Text(" - кол-во витков генератора").EndLine();
        table.Fixed(calibration.r1, 14, 5).Text(" - положение приемника 1").EndLine();
        table.Fixed(calibration.r2, 14, 5).Text(" - положение приемника 2").EndLine();
        table.Int(static_cast<int>(o.FieldComponent), 14)
            .Text(" - компонента сигнала (0-abs,1-Re,2-Im,3-Ph)")
            .EndLine();
        // The count of the frequency lines that follow, so a reader never takes
        // matrix lines for frequencies when fewer than fourteen are chosen.
        table.Int(static_cast<int64_t>(chosen.size()), 14).Text(" - кол-во частот").EndLine();
        for (int k : chosen) {
            table.Fixed(calibration.Frequencies[k] * 1000, 14, 5);
            table.Fixed(calibration.M1[k], 14, 5).Fixed(calibration.M2[k], 14, 5).EndLine();
        }
        for (size_t p : PositionOrder(records))
            table.Fixed(results[p].at(1).X, 20, 10);
        table.Text(" - положение на профиле").EndLine();
        SectionMatrix(table, records, false);
        break;
    }
    return table;
}

Table LogTable(const TKavRecords &records) {
    const TKavResults &results = records.Results;
    Table table;
    if (records.Kind == RunKind::Map) {
        table.Text(" NStat NProf  Measured").EndLine();
        for (size_t i = 0; i < results.size(); ++i)
            for (size_t k = 0; k < results[i].size(); ++k) {
                table.Int(static_cast<int64_t>(k), 6).Int(static_cast<int64_t>(i), 6);
                table.Text(FormatBool(results[i][k].Valid, 10)).EndLine();
            }
    } else {
        // Channels not chosen were not converted in this run: they read FALSE.
        table.Text(" NStat NFreq  Measured").EndLine();
        for (int k = 1; k <= kChannelCount; ++k)
            for (size_t l = 0; l < results.size(); ++l) {
                table.Int(static_cast<int64_t>(l), 6).Int(k, 6);
                table.Text(FormatBool(records.Options.SectionFreq[k] && results[l].at(k).Valid, 10))
                    .EndLine();
            }
    }
    return table;
}

Table CurrentTable(const TKavRecords &records) {
    const TKavResults &results = records.Results;
    Table table;
    if (records.Kind == RunKind::Map) {
        MapMatrix(table, results, 14, 2,
                  [&](const TKavResultCell &cell) { table.Fixed(cell.Current, 14, 5); });
    } else {
        table.Text("Depth|Station");
        for (const auto &row : results)
            table.Fixed(row.at(7).X, 14, 2);
        table.EndLine();
        const std::vector<int> chosen = ChosenChannels(records.Options);
        for (auto k = chosen.rbegin(); k != chosen.rend(); ++k) {
            table.Fixed(results.at(0).at(*k).Y, 14, 2);
            for (const auto &row : results)
                table.Fixed(row[*k].Current, 14, 5);
            table.EndLine();
        }
    }
    return table;
}

const char *UnitPart(Units units) {
    static const char *parts[] = {"_ADC", "_CON", "_RES", "_PPM"};
    return parts[static_cast<int>(units) & 3];
}

const char *ComponentPart(Component component) {
    static const char *parts[] = {"_Mod", "_Quad", "_Inph", "_Phase"};
    return parts[static_cast<int>(component) & 3];
}

const char *LayoutPart(TableLayout layout) {
    static const char *parts[] = {"_Surf", "_Tabl", "_Graph", ""};
    return parts[static_cast<int>(layout) & 3];
}

} // namespace

std::string OutputFileName(const std::string &inputFile, Units units, Component component,
                           TableLayout layout, const std::string &windowPart) {
    const std::string name = FileNameOnly(inputFile);
    std::string result = name.size() > 4 ? name.substr(0, name.size() - 4) : "";
    result += UnitPart(units);
    result += ComponentPart(component);
    result += LayoutPart(layout);
    result += windowPart;
    result += layout == TableLayout::Inversion1D ? ".pelpr" : ".dat";
    return result;
}

std::string WindowNamePart(const ProcessWindows &windows) {
    if (windows.Map.Visible) {
        const EditState &field = windows.Map.OrtGrid ? windows.Map.OrtNFreq : windows.Map.ChaNFreq;
        return "_f" + FormatIntZeros(ParseInteger(field.Text), 2);
    }
    if (windows.Section.Visible) {
        if (windows.Section.AlongLine)
            return "_pr" + FormatIntZeros(ParseInteger(windows.Section.LineNumber.Text), 4);
        return "_st" + FormatIntZeros(ParseInteger(windows.Section.StationNumber.Text), 4);
    }
    return "";
}

void BuildOutputName(TKavRecords &records, ProcessWindows &windows,
                     const ProcessingEnvironment &environment) {
    if (!records.Data.Loaded) return;
    CollectOptions(records, windows, environment);
    const TKavOptions &o = records.Options;
    windows.Common.OutFile.Text =
        OutputFileName(windows.Common.InputFile, o.OutputUnits, o.FieldComponent, o.OutputFormat,
                       WindowNamePart(windows));
}

std::string OutputPath(const std::string &inputFile, const std::string &outFile,
                       const std::string &outputFolder) {
    if (!FolderOf(outFile).empty()) return outFile;
    if (!outputFolder.empty())
        return outputFolder.back() == '/' ? outputFolder + outFile : outputFolder + "/" + outFile;
    return FolderOf(inputFile) + outFile;
}

std::vector<std::string> WriteOutput(TKavRecords &records, const std::string &fileName,
                                     char separator) {
    if (records.Kind == RunKind::None || records.Results.empty())
        throw InvalidOperationError("There are no results to write");
    const TKavOptions &o = records.Options;
    const Table main =
        records.Kind == RunKind::Map ? MapMainTable(records) : SectionMainTable(records, separator);
    main.Save(fileName);
    std::vector<std::string> written{fileName};
    if (o.CreateLogFile) {
        written.push_back(ChangeExtension(fileName, ".log"));
        LogTable(records).Save(written.back());
    }
    if (o.CreateCurrentFile) {
        written.push_back(ChangeExtension(fileName, ".cur"));
        CurrentTable(records).Save(written.back());
    }
    records.SheetFiles = {fileName};
    records.GridFiles = {ChangeExtension(fileName, ".grd")};
    return written;
}

} // namespace orvex
