// Operations on whole grids: low-pass filtering, blanking by the polygons of a
// Golden Software blanking file (.bln), and reading such files for base maps.
#pragma once

#include "mapengine/grid.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvex::map {

// Low-pass filters, by the codes of the filter call.
enum class LowPassFilter : int {
    Average3 = 1,  // 3 × 3 moving average
    Average5 = 2,  // 5 × 5 moving average
    Average7 = 3,  // 7 × 7 moving average
    Gaussian3 = 4, // 3 × 3 binomial (1 2 1) weights
    Gaussian5 = 5, // 5 × 5 binomial (1 4 6 4 1) weights
};

// What a filter does where its window reaches past the grid's edge.
enum class EdgeRule : int {
    UseInside = 1, // weigh only the nodes that exist (weights renormalised)
    KeepEdge = 2,  // nodes whose window reaches outside keep their value
    Replicate = 3, // outside nodes take the value of the nearest edge node
    Mirror = 4,    // outside nodes mirror the nodes inside
    BlankEdge = 5, // nodes whose window reaches outside become blank
};

// Applies the filter `passes` times. Blank nodes stay blank and are left out of
// their neighbours' windows (weights renormalised). Throws MapServerError for an
// unknown filter or edge code or a pass count outside 1..1000.
Grid FilterGrid(const Grid &grid, int filterCode, int passes, int edgeCode);

struct Polyline {
    std::vector<double> x, y;
    // The flag of its header: true blanks the nodes inside, false those outside.
    bool blankInside = true;
};

// Reads a blanking file: polylines, each a header line "count[, flag]" (flag 1
// or absent: blank inside, 0: blank outside) followed by `count` lines "x, y"
// (blanks or commas between; further fields ignored). Throws MapServerError
// naming the file and line for a malformed header or vertex, a count that the
// file does not hold, or a file without any polyline.
std::vector<Polyline> ReadBlankingFile(const std::string &path);
// The same for a blanking file's text; `path` names it in messages.
std::vector<Polyline> ParseBlankingText(std::string_view text, const std::string &path);

// Blanks the nodes the polygons' flags ask for: nodes inside a blank-inside
// polygon, and, when there are blank-outside polygons, nodes inside none of
// them. A node on a polygon's boundary counts as inside. Throws MapServerError
// for a polygon of fewer than three vertices.
Grid BlankGrid(const Grid &grid, const std::vector<Polyline> &polygons);

} // namespace orvex::map
