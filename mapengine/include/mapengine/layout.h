// Where everything of a map frame goes on the page: the map's rectangle, axis
// lines, ticks and labels in the map's plane, the projection of that plane for
// the 3D view, the colour scale beside it and the frame's bounds. The selection
// measures with it and the renderer draws from it, so both agree to the
// hundredth of a millimetre. Text is measured with the advance widths of the
// DejaVu Sans face the renderer draws with, so layout needs no display.
#pragma once

#include "mapengine/model.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::map {

// The width of `text` set in DejaVu Sans at an em of `em` centimetres.
double TextWidth(std::string_view text, double em);
// Height of digits and capitals, as a fraction of the em.
inline constexpr double kCapHeight = 0.729;
// The em of every label on a map, centimetres (about 9 points).
inline constexpr double kLabelEm = 0.32;

// Formats tick or level values with as few decimals as show every value exactly.
std::vector<std::string> FormatTickValues(const std::vector<double> &values);

// A projective map of the plane: (X, Y) = ((a u + b v + c) / w, (d u + e v + f) / w),
// w = g u + h v + 1.
struct Homography {
    std::array<double, 8> m{1, 0, 0, 0, 1, 0, 0, 0};
    void Apply(double u, double v, double &x, double &y) const;
    bool IsIdentity() const;
};

struct Segment2 {
    double x0, y0, x1, y1;
};

// A label: its text and box; the text's baseline runs along the box's bottom.
struct LabelBox {
    std::string text;
    double left, bottom, width, height;
};

struct AxisLayout {
    bool horizontal;
    Segment2 line;
    std::vector<Segment2> ticks; // major and minor
    std::vector<LabelBox> labels;
};

struct ColourScaleLayout {
    bool shown = false;
    double left = 0, bottom = 0, width = 0, height = 0; // the bar
    std::vector<int> colours;                           // one cell per level, bottom up
    std::vector<LabelBox> labels;
};

// Positions are in centimetres relative to the map's centre, y upward: in the
// map's plane before the projection for the plot, axes and labels, on the page
// for the colour scale and the bounds.
struct FrameLayout {
    double xLength = 0, yLength = 0;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0; // the map's limits
    std::vector<AxisLayout> axes;
    Homography projection; // the map's plane onto the page
    ColourScaleLayout colourScale;
    PageBox bounds;

    // The plane position of a point in map units.
    void MapToPlane(double x, double y, double &u, double &v) const {
        u = (x - xMin) / (xMax - xMin) * xLength - xLength / 2;
        v = (y - yMin) / (yMax - yMin) * yLength - yLength / 2;
    }
};

// The layout of a frame, optionally as if its rectangle had other lengths.
FrameLayout LayoutFrame(const MapFrame &frame);
FrameLayout LayoutFrame(const MapFrame &frame, double xLength, double yLength);

} // namespace orvex::map
