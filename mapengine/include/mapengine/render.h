// Drawing plot documents with QPainter: the page, and on it each map's filled
// contour bands, contour lines and labels, base-map polylines, axes and colour
// scale, projected for 3D views. The server window draws with it, and documents
// export through it to PNG, SVG and PDF. Needs a running QGuiApplication (for
// fonts); no widgets.
#pragma once

#include "mapengine/model.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <string>

namespace orvex::map {

struct RenderOptions {
    bool showMargins = false; // a dashed outline of the printable area, for the screen
};

// Page centimetres (y up, origin lower left) to device pixels, with the page's
// top left corner at `topLeft`.
QTransform PageToDevice(const PageSetup &page, double pixelsPerCm, QPointF topLeft = {});

// Draws the document's page and shapes through `pageToDevice`.
void RenderPage(QPainter &painter, const PlotDocument &document, const QTransform &pageToDevice,
                const RenderOptions &options = {});

// The page as an image at `dpi` dots per inch.
QImage RenderImage(const PlotDocument &document, double dpi);

// Writes the page to a picture chosen by the file's extension: .png (at `dpi`),
// .svg or .pdf (vector). All or nothing; throws MapServerError on failure.
void ExportDocument(const PlotDocument &document, const std::string &path, double dpi = 150);

} // namespace orvex::map
