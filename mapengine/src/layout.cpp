#include "mapengine/layout.h"

#include "orvex/format.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvex::map {

namespace {

// DejaVu Sans advance widths of the printable ASCII characters, thousandths of an em.
constexpr short kAdvance[95] = {
    318, 401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361,  318, 337, 636, 636, 636,
    636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838, 531, 1000, 684, 686, 698, 770, 632,
    575, 775, 752, 295, 295, 656, 557, 863, 748, 787, 603, 787, 695, 635,  611, 732, 684, 989, 685,
    611, 685, 390, 337, 390, 838, 500, 500, 613, 635, 550, 635, 615, 352,  635, 634, 278, 278, 579,
    278, 974, 634, 612, 635, 635, 411, 521, 392, 634, 592, 818, 592, 592,  525, 636, 337, 636, 838};

constexpr double kTickLength = 0.15;
constexpr double kMinorTickLength = 0.08;
constexpr double kLabelGap = 0.1;
constexpr double kScaleGap = 0.6, kScaleWidth = 0.5;

LabelBox MakeLabel(const std::string &text, double anchorX, double anchorY, double alignX,
                   double alignY) {
    // alignX, alignY: 0 the anchor at the box's left or bottom, 0.5 centre, 1 right or top.
    const double width = TextWidth(text, kLabelEm), height = kCapHeight * kLabelEm;
    return {text, anchorX - alignX * width, anchorY - alignY * height, width, height};
}

// Drops labels that would touch the one kept before them along the axis.
void ThinLabels(std::vector<LabelBox> &labels, bool horizontal) {
    std::vector<LabelBox> kept;
    const double gap = 0.3 * kLabelEm;
    for (LabelBox &label : labels) {
        if (!kept.empty()) {
            const LabelBox &last = kept.back();
            const bool clash = horizontal ? label.left < last.left + last.width + gap
                                          : label.bottom < last.bottom + last.height + gap;
            if (clash) continue;
        }
        kept.push_back(std::move(label));
    }
    labels = std::move(kept);
}

AxisLayout LayOutAxis(const Axis &axis, const FrameLayout &f) {
    AxisLayout out;
    out.horizontal = axis.Horizontal();
    // The axis line runs at its crossing, by default the map's edge on its side.
    double crossU, crossV;
    f.MapToPlane(axis.CrossAt(), axis.CrossAt(), crossU, crossV);
    const double lo = axis.Minimum(), hi = axis.Maximum();
    const double outward =
        axis.Placement() == Axis::Side::Bottom || axis.Placement() == Axis::Side::Left ? -1 : 1;
    auto along = [&](double value) {
        double u, v;
        f.MapToPlane(value, value, u, v);
        return out.horizontal ? u : v;
    };
    if (out.horizontal)
        out.line = {along(lo), crossV, along(hi), crossV};
    else
        out.line = {crossU, along(lo), crossU, along(hi)};

    const std::vector<double> ticks = axis.MajorTicks();
    auto addTick = [&](double value, double length) {
        const double p = along(value);
        if (out.horizontal)
            out.ticks.push_back({p, crossV, p, crossV + outward * length});
        else
            out.ticks.push_back({crossU, p, crossU + outward * length, p});
    };
    if (axis.ShowMajorTicks()) {
        for (double t : ticks)
            addTick(t, kTickLength);
        const double step = axis.MajorInterval() / (axis.MinorTicks() + 1);
        if (axis.MinorTicks() > 0 && !ticks.empty() && ticks.size() < 1000)
            for (double t = ticks.front() - axis.MajorInterval(); t <= ticks.back();
                 t += axis.MajorInterval())
                for (int k = 1; k <= axis.MinorTicks(); ++k) {
                    const double m = t + k * step;
                    if (m >= std::min(lo, hi) && m <= std::max(lo, hi))
                        addTick(m, kMinorTickLength);
                }
    }
    if (axis.ShowLabels() && !ticks.empty()) {
        const std::vector<std::string> texts = FormatTickValues(ticks);
        const double offset = (axis.ShowMajorTicks() ? kTickLength : 0) + kLabelGap;
        for (size_t k = 0; k < ticks.size(); k += axis.LabelEvery()) {
            const double p = along(ticks[k]);
            if (out.horizontal)
                out.labels.push_back(
                    MakeLabel(texts[k], p, crossV + outward * offset, 0.5, outward < 0 ? 1 : 0));
            else
                out.labels.push_back(
                    MakeLabel(texts[k], crossU + outward * offset, p, outward < 0 ? 1 : 0, 0.5));
        }
        ThinLabels(out.labels, out.horizontal);
    }
    return out;
}

void Extend(PageBox &box, double x, double y) {
    box.left = std::min(box.left, x);
    box.right = std::max(box.right, x);
    box.bottom = std::min(box.bottom, y);
    box.top = std::max(box.top, y);
}

void Extend(PageBox &box, const Segment2 &s) {
    Extend(box, s.x0, s.y0);
    Extend(box, s.x1, s.y1);
}

void Extend(PageBox &box, const LabelBox &l) {
    Extend(box, l.left, l.bottom);
    Extend(box, l.left + l.width, l.bottom + l.height);
}

Homography ViewProjection(const MapFrame &frame, const PageBox &plane) {
    const double rotation = frame.ViewRotation() * std::numbers::pi / 180;
    const double tilt = std::clamp(frame.ViewTilt(), 1.0, 90.0) * std::numbers::pi / 180;
    Homography h;
    const double c = std::cos(rotation), s = std::sin(rotation);
    const double sinT = frame.ViewTilt() >= 90 ? 1 : std::sin(tilt);
    const double cosT = frame.ViewTilt() >= 90 ? 0 : std::cos(tilt);
    h.m = {c, -s, 0, sinT * s, sinT * c, 0, 0, 0};
    if (frame.Projection() == 1 && cosT != 0) {
        // The eye stays outside the plane's content whatever distance is asked for.
        double reach = 0;
        for (double u : {plane.left, plane.right})
            for (double v : {plane.bottom, plane.top})
                reach = std::max(reach, std::hypot(u, v));
        const double distance =
            std::max(std::max(frame.EyeDistance(), 6.0) / 10 * 2 * reach, 1.2 * reach);
        h.m[6] = cosT * s / distance;
        h.m[7] = cosT * c / distance;
    }
    return h;
}

ColourScaleLayout LayOutColourScale(const ContourLayer &layer, const PageBox &projected) {
    ColourScaleLayout out;
    const Levels &levels = layer.Levels();
    const int n = levels.Count();
    if (n == 0) return out;
    out.shown = true;
    out.height = std::max(0.8 * projected.Height(), std::min(8.0, 0.3 * n));
    out.width = kScaleWidth;
    out.left = projected.right + kScaleGap;
    out.bottom = (projected.bottom + projected.top) / 2 - out.height / 2;
    const double cell = out.height / n;
    std::vector<double> values;
    for (int k = 1; k <= n; ++k) {
        out.colours.push_back(levels.Item(k).FillColour());
        values.push_back(levels.Item(k).Value());
    }
    const std::vector<std::string> texts = FormatTickValues(values);
    const int every = std::max(1, static_cast<int>(std::ceil(1.4 * kCapHeight * kLabelEm / cell)));
    for (int k = 0; k < n; k += every)
        out.labels.push_back(
            MakeLabel(texts[k], out.left + out.width + kLabelGap, out.bottom + k * cell, 0, 0.5));
    return out;
}

} // namespace

double TextWidth(std::string_view text, double em) {
    double width = 0;
    for (unsigned char c : text)
        width += (c >= 32 && c < 127) ? kAdvance[c - 32] : 600;
    return width / 1000 * em;
}

std::vector<std::string> FormatTickValues(const std::vector<double> &values) {
    int decimals = 0;
    for (; decimals < 10; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        bool exact = true;
        for (double v : values) {
            const double scaled = v * scale;
            if (std::fabs(scaled - std::round(scaled)) > 1e-6 * std::max(1.0, std::fabs(scaled))) {
                exact = false;
                break;
            }
        }
        if (exact) break;
    }
    std::vector<std::string> texts;
    for (double v : values) {
        const bool huge = std::fabs(v) >= 1e15;
        texts.push_back(huge ? FormatGeneral(v, '.', 6) : FormatFixed(v, 0, decimals));
    }
    return texts;
}

void Homography::Apply(double u, double v, double &x, double &y) const {
    const double w = m[6] * u + m[7] * v + 1;
    x = (m[0] * u + m[1] * v + m[2]) / w;
    y = (m[3] * u + m[4] * v + m[5]) / w;
}

bool Homography::IsIdentity() const {
    return m == std::array<double, 8>{1, 0, 0, 0, 1, 0, 0, 0};
}

FrameLayout LayoutFrame(const MapFrame &frame) {
    return LayoutFrame(frame, frame.XLength(), frame.YLength());
}

FrameLayout LayoutFrame(const MapFrame &frame, double xLength, double yLength) {
    FrameLayout f;
    f.xLength = xLength;
    f.yLength = yLength;
    f.xMin = frame.XMin();
    f.xMax = frame.XMax();
    f.yMin = frame.YMin();
    f.yMax = frame.YMax();

    PageBox plane{-xLength / 2, -yLength / 2, xLength / 2, yLength / 2};
    for (int i = 1; i <= 4; ++i) {
        f.axes.push_back(LayOutAxis(frame.Axes().Item(i), f));
        const AxisLayout &a = f.axes.back();
        Extend(plane, a.line);
        for (const Segment2 &t : a.ticks)
            Extend(plane, t);
        for (const LabelBox &l : a.labels)
            Extend(plane, l);
    }

    f.projection = ViewProjection(frame, plane);
    PageBox projected{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (double u : {plane.left, plane.right})
        for (double v : {plane.bottom, plane.top}) {
            double x, y;
            f.projection.Apply(u, v, x, y);
            Extend(projected, x, y);
        }
    f.bounds = projected;

    for (int i = 1; i <= frame.Layers().Count(); ++i) {
        const Layer &layer = frame.Layers().Item(i);
        if (layer.Kind() != LayerKind::Contour) continue;
        const auto &contour = static_cast<const ContourLayer &>(layer);
        if (!contour.ShowColourScale()) continue;
        f.colourScale = LayOutColourScale(contour, projected);
        if (f.colourScale.shown) {
            const ColourScaleLayout &s = f.colourScale;
            Extend(f.bounds, s.left, s.bottom);
            Extend(f.bounds, s.left + s.width, s.bottom + s.height);
            for (const LabelBox &l : s.labels)
                Extend(f.bounds, l);
        }
        break;
    }
    return f;
}

} // namespace orvex::map
