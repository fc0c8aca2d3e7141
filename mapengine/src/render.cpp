#include "mapengine/render.h"

#include "mapengine/layout.h"

#include "orvex/errors.h"
#include "orvex/text.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <cstdio>

namespace orvex::map {

namespace {

constexpr double kLineWidth = 0.02;     // contour lines, ticks, outlines (cm)
constexpr double kBaseLineWidth = 0.03; // base-map polylines
constexpr double kFontPixels = 100;     // text is laid out as paths at this size, then scaled

QColor ColourOf(int rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

const QFont &LabelFont() {
    static const QFont font = [] {
        QFont f("DejaVu Sans");
        f.setPixelSize(static_cast<int>(kFontPixels));
        f.setHintingPreference(QFont::PreferNoHinting);
        f.setKerning(false);
        return f;
    }();
    return font;
}

// The text as a path in centimetres, its baseline from (x, y) rightward, y up.
QPainterPath TextPath(const std::string &text, double x, double y, double em) {
    QPainterPath glyphs;
    glyphs.addText(QPointF(0, 0), LabelFont(), QString::fromStdString(text));
    const double s = em / kFontPixels;
    return QTransform(s, 0, 0, -s, x, y).map(glyphs);
}

QPen LinePen(double width, QColor colour = Qt::black) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QTransform ToQt(const Homography &h) {
    const auto &m = h.m;
    return QTransform(m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], 1);
}

QPainterPath RectanglePath(const QRectF &rect) {
    QPainterPath path;
    path.addRect(rect);
    return path;
}

// Draws one map frame. The painter works in page centimetres; shapes of the
// map's plane are carried onto the page by `toPage_` first, because painting
// through a projective transform (the 3D view) is many times slower in Qt
// than mapping the vertices.
class FramePainter {
public:
    FramePainter(QPainter &painter, const MapFrame &frame)
        : painter_(painter), frame_(frame), f_(LayoutFrame(frame)),
          centre_(QTransform::fromTranslate(frame.CentreX(), frame.CentreY())),
          toPage_(ToQt(f_.projection) * centre_) {}

    void Draw() {
        const QRectF plot(-f_.xLength / 2, -f_.yLength / 2, f_.xLength, f_.yLength);
        painter_.save();
        if (toPage_.type() <= QTransform::TxScale)
            painter_.setClipRect(toPage_.mapRect(plot));
        else
            painter_.setClipPath(Mapped(RectanglePath(plot)));
        for (int i = 1; i <= frame_.Layers().Count(); ++i) {
            const Layer &layer = frame_.Layers().Item(i);
            if (layer.Kind() == LayerKind::Contour)
                DrawContourLayer(static_cast<const ContourLayer &>(layer));
            else
                DrawBaseLayer(static_cast<const BaseLayer &>(layer));
        }
        painter_.restore();
        DrawAxes();
        DrawColourScale();
    }

private:
    // Qt maps a path through a projective transform by way of polygons with
    // clipping at the horizon, which is slow for thousands of small polygons;
    // the view never reaches the horizon, so the vertices are mapped one by
    // one (curve control points too: text stays close enough).
    QPainterPath Mapped(const QPainterPath &plane) const {
        if (toPage_.isAffine()) return toPage_.map(plane);
        QPainterPath page = plane;
        for (int i = 0; i < page.elementCount(); ++i) {
            const QPainterPath::Element e = page.elementAt(i);
            const QPointF p = toPage_.map(QPointF(e.x, e.y));
            page.setElementPositionAt(i, p.x(), p.y());
        }
        return page;
    }

    // Packed polygons or polylines of map units as a plane path.
    QPainterPath PlanePath(const PackedLines &lines, bool close) const {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        for (size_t k = 0; k < lines.Count(); ++k) {
            for (uint32_t i = lines.start[k]; i < lines.start[k + 1]; ++i) {
                double u, v;
                f_.MapToPlane(lines.xy[2 * i], lines.xy[2 * i + 1], u, v);
                if (i == lines.start[k])
                    path.moveTo(u, v);
                else
                    path.lineTo(u, v);
            }
            if (close) path.closeSubpath();
        }
        return path;
    }

    void DrawContourLayer(const ContourLayer &layer) {
        const ContourGeometry &geometry = layer.Geometry();
        const Levels &levels = layer.Levels();
        if (layer.Filled()) {
            // Qt's antialiased filling of paths of thousands of small polygons
            // is tens of times slower; the band edges lie under the contour lines.
            painter_.setRenderHint(QPainter::Antialiasing, false);
            for (int k = 0; k < levels.Count(); ++k)
                painter_.fillPath(Mapped(PlanePath(geometry.regions[k], true)),
                                  ColourOf(levels.Item(k + 1).FillColour()));
            painter_.setRenderHint(QPainter::Antialiasing, true);
        }
        painter_.setBrush(Qt::NoBrush);
        painter_.setPen(LinePen(kLineWidth));
        for (int k = 0; k < levels.Count(); ++k)
            if (levels.Item(k + 1).ShowLine())
                painter_.drawPath(Mapped(PlanePath(geometry.lines[k], false)));
        const std::vector<std::string> texts = FormatTickValues(levels.Values());
        for (int k = 0; k < levels.Count(); ++k)
            if (levels.Item(k + 1).ShowLabel() && levels.Item(k + 1).ShowLine())
                DrawContourLabels(geometry.lines[k], texts[k]);
    }

    // A label across each contour line long enough to carry it, at its middle.
    void DrawContourLabels(const PackedLines &lines, const std::string &text) {
        const double width = TextWidth(text, kLabelEm), height = kCapHeight * kLabelEm;
        for (size_t k = 0; k < lines.Count(); ++k) {
            std::vector<QPointF> points;
            double length = 0;
            for (uint32_t i = lines.start[k]; i < lines.start[k + 1]; ++i) {
                double u, v;
                f_.MapToPlane(lines.xy[2 * i], lines.xy[2 * i + 1], u, v);
                if (!points.empty())
                    length += std::hypot(u - points.back().x(), v - points.back().y());
                points.emplace_back(u, v);
            }
            if (length < 3 * width) continue;
            double walked = 0;
            for (size_t i = 1; i < points.size(); ++i) {
                const QPointF d = points[i] - points[i - 1];
                const double step = std::hypot(d.x(), d.y());
                if (walked + step < length / 2) {
                    walked += step;
                    continue;
                }
                const QPointF at = points[i - 1] + d * ((length / 2 - walked) / step);
                double angle = std::atan2(d.y(), d.x()) * 180 / M_PI;
                if (angle > 90) angle -= 180; // text never upside down
                if (angle < -90) angle += 180;
                QTransform place;
                place.translate(at.x(), at.y());
                place.rotate(angle);
                const QTransform toPage = place * toPage_;
                const QRectF box(-width / 2 - 0.05, -height / 2 - 0.04, width + 0.1, height + 0.08);
                painter_.fillPath(toPage.map(RectanglePath(box)), Qt::white);
                painter_.fillPath(toPage.map(TextPath(text, -width / 2, -height / 2, kLabelEm)),
                                  Qt::black);
                break;
            }
        }
    }

    void DrawBaseLayer(const BaseLayer &layer) {
        QPainterPath path;
        for (const Polyline &p : layer.Polylines())
            for (size_t k = 0; k < p.x.size(); ++k) {
                double u, v;
                f_.MapToPlane(p.x[k], p.y[k], u, v);
                if (k == 0)
                    path.moveTo(u, v);
                else
                    path.lineTo(u, v);
            }
        painter_.setBrush(Qt::NoBrush);
        painter_.setPen(LinePen(kBaseLineWidth));
        painter_.drawPath(Mapped(path));
    }

    void DrawAxes() {
        QPainterPath lines, labels;
        for (const AxisLayout &axis : f_.axes) {
            lines.moveTo(axis.line.x0, axis.line.y0);
            lines.lineTo(axis.line.x1, axis.line.y1);
            for (const Segment2 &t : axis.ticks) {
                lines.moveTo(t.x0, t.y0);
                lines.lineTo(t.x1, t.y1);
            }
            for (const LabelBox &label : axis.labels)
                labels.addPath(TextPath(label.text, label.left, label.bottom, kLabelEm));
        }
        painter_.setBrush(Qt::NoBrush);
        painter_.setPen(LinePen(kLineWidth));
        painter_.drawPath(Mapped(lines));
        painter_.fillPath(Mapped(labels), Qt::black);
    }

    // Upright beside the map, whatever its view.
    void DrawColourScale() {
        const ColourScaleLayout &s = f_.colourScale;
        if (!s.shown) return;
        painter_.save();
        painter_.setTransform(centre_ * painter_.transform());
        const double cell = s.height / s.colours.size();
        for (size_t k = 0; k < s.colours.size(); ++k)
            painter_.fillRect(QRectF(s.left, s.bottom + k * cell, s.width, cell),
                              ColourOf(s.colours[k]));
        painter_.setPen(LinePen(kLineWidth));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(QRectF(s.left, s.bottom, s.width, s.height));
        for (const LabelBox &label : s.labels) {
            const double y = label.bottom + label.height / 2;
            painter_.drawLine(QLineF(s.left + s.width, y, s.left + s.width + 0.06, y));
            painter_.fillPath(TextPath(label.text, label.left, label.bottom, kLabelEm), Qt::black);
        }
        painter_.restore();
    }

    QPainter &painter_;
    const MapFrame &frame_;
    const FrameLayout f_;
    const QTransform centre_, toPage_;
};

void RequireGuiApplication() {
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw MapServerError("Drawing a map needs the program's graphical session to be running");
}

// Renames the finished picture onto its name, or removes it and reports.
void Finish(bool ok, const std::string &partial, const std::string &path) {
    if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        throw MapServerError("Cannot write the picture \"" + path + "\"");
    }
}

} // namespace

QTransform PageToDevice(const PageSetup &page, double pixelsPerCm, QPointF topLeft) {
    return QTransform(pixelsPerCm, 0, 0, -pixelsPerCm, topLeft.x(),
                      topLeft.y() + page.Height() * pixelsPerCm);
}

void RenderPage(QPainter &painter, const PlotDocument &document, const QTransform &pageToDevice,
                const RenderOptions &options) {
    RequireGuiApplication();
    const PageSetup &page = document.PageSetup();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setTransform(pageToDevice);
    painter.fillRect(QRectF(0, 0, page.Width(), page.Height()), Qt::white);
    if (options.showMargins) {
        const PageBox p = page.Printable();
        QPen pen(QColor(170, 170, 170), 0);
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(p.left, p.bottom, p.Width(), p.Height()));
    }
    for (int i = 1; i <= document.Shapes().Count(); ++i) {
        const Shape &shape = document.Shapes().Item(i);
        if (shape.Kind() == ShapeKind::MapFrame)
            FramePainter(painter, static_cast<const MapFrame &>(shape)).Draw();
    }
    painter.restore();
}

QImage RenderImage(const PlotDocument &document, double dpi) {
    RequireGuiApplication();
    if (!(dpi >= 10 && dpi <= 2400))
        throw MapServerError("Pictures are drawn at 10 to 2400 dots per inch");
    const double perCm = dpi / 2.54;
    const PageSetup &page = document.PageSetup();
    QImage image(static_cast<int>(std::lround(page.Width() * perCm)),
                 static_cast<int>(std::lround(page.Height() * perCm)), QImage::Format_RGB32);
    if (image.isNull())
        throw MapServerError("A page this large cannot be drawn at this resolution");
    image.setDotsPerMeterX(static_cast<int>(std::lround(perCm * 100)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(perCm * 100)));
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderPage(painter, document, PageToDevice(page, perCm));
    return image;
}

void ExportDocument(const PlotDocument &document, const std::string &path, double dpi) {
    RequireGuiApplication();
    const std::string name = FileNameOnly(path);
    const std::string extension =
        ToLowerAscii(name.substr(std::min(name.size(), name.find_last_of('.'))));
    const std::string partial = path + ".partial";
    const PageSetup &page = document.PageSetup();
    if (extension == ".png") {
        const QImage image = RenderImage(document, dpi);
        Finish(image.save(QString::fromStdString(partial), "PNG"), partial, path);
    } else if (extension == ".svg") {
        constexpr double kSvgDpi = 96;
        const double perCm = kSvgDpi / 2.54;
        QSvgGenerator svg;
        svg.setFileName(QString::fromStdString(partial));
        svg.setResolution(static_cast<int>(kSvgDpi));
        svg.setSize(QSize(static_cast<int>(std::lround(page.Width() * perCm)),
                          static_cast<int>(std::lround(page.Height() * perCm))));
        svg.setViewBox(QRectF(0, 0, page.Width() * perCm, page.Height() * perCm));
        svg.setTitle(QString::fromStdString(document.Title()));
        QPainter painter;
        const bool began = painter.begin(&svg);
        if (began) {
            RenderPage(painter, document, PageToDevice(page, perCm));
            painter.end();
        }
        Finish(began && QFile(QString::fromStdString(partial)).size() > 0, partial, path);
    } else if (extension == ".pdf") {
        bool began = false;
        {
            QPdfWriter pdf(QString::fromStdString(partial));
            pdf.setResolution(1200);
            pdf.setPageSize(
                QPageSize(QSizeF(page.Width() * 10, page.Height() * 10), QPageSize::Millimeter));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setTitle(QString::fromStdString(document.Title()));
            QPainter painter;
            began = painter.begin(&pdf);
            if (began) {
                RenderPage(painter, document, PageToDevice(page, 1200 / 2.54));
                began = painter.end();
            }
        }
        Finish(began && QFile(QString::fromStdString(partial)).size() > 0, partial, path);
    } else {
        throw MapServerError("Cannot tell the picture format of \"" + path +
                             "\": the name must end in .png, .svg or .pdf");
    }
}

} // namespace orvex::map
