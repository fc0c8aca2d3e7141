// The map server as the grid and map builder drives it: the objects it reaches
// and the operations it relies on, each named after its effect. The program's
// own map server implements it (mapengine_server.h); tests put a recording fake
// in its place (recording_server.h). Every failing call throws MapServerError
// with the server's message.
//
// clang-format off
// The server's automation entries (positions in each object's function table,
// 0 to 6 being the standard ones) and the methods that stand for them:
//
//   Object               Entry (arguments)          Method
//   -------------------  -------------------------  -----------------------------------
//   application          14 (visible)               IApplication::SetVisible
//                        17 → documents             IApplication::Documents
//                        36 (57 positional)         IApplication::GridData
//   document collection   9 → count                 IDocuments::Count
//                        12 (kind) → document       IDocuments::Add
//                        13 (file, 0) → document    IDocuments::Open
//                        15 (mode)                  IDocuments::CloseAll
//   plot document        19 (mode, file)            IPlotDocument::Close
//                        21 → shapes                IPlotDocument::Shapes
//                        23 → page setup            IPlotDocument::PageSetup
//   page setup           10, 12, 14                 IPageSetup::SetOrientation, SetWidth, SetHeight
//                        16, 18, 20, 22             IPageSetup::SetLeftMargin, SetTopMargin,
//                                                   SetRightMargin, SetBottomMargin
//   shape collection     21 (grid file) → frame     IShapes::AddContourMap
//   map frame            30 → axes, 11 (i) → axis   IMapFrame::Axis
//                        31 → layers                IMapFrame::Layers
//   layer collection     11 (i) → layer             ILayers::Item
//   layer                33 (on)                    ILayer::SetFilled
//                        35 (on)                    ILayer::SetShowColorScale
//                        41 → levels                ILayer::Levels
//                        59 → grid                  ILayer::Grid; grid 19 ZMin, 21 ZMax
//   levels                9 → count                 ILevels::Count
//                        11 (k) → level             ILevels::Item
//                        13 (first, last, step)     ILevels::Regenerate
//                        16 (lines, labels, reset)  ILevels::Reset
//   level                11 → colour, colour 10     ILevel::SetFillColor (r + 256 g + 65536 b)
//   axis                 63, 64 → values            IAxis::FirstMajorTick, LastMajorTick
//                        76 (seven, null keeps)     IAxis::SetScale
// clang-format on
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace orvex {

// One argument of a call with optional arguments: null (std::monostate), or a
// boolean, integer, real or text.
using ServerArgument = std::variant<std::monostate, bool, int, double, std::string>;

class IGrid {
public:
    virtual ~IGrid() = default;
    // The lowest and highest value of the grid's nodes, blanks left out.
    virtual double ZMin() = 0;
    virtual double ZMax() = 0;
};

class ILevel {
public:
    virtual ~ILevel() = default;
    // The fill of the band from this level up, as r + 256·g + 65536·b.
    virtual void SetFillColor(int rgb) = 0;
};

class ILevels {
public:
    virtual ~ILevels() = default;
    virtual int Count() = 0;
    // Level k, counted from 1.
    virtual std::shared_ptr<ILevel> Item(int k) = 0;
    // Levels first, first + step, … up to last.
    virtual void Regenerate(double first, double last, double step) = 0;
    // A contour line at every `lineEvery`-th level and a label at every
    // `labelEvery`-th; `restoreDefaults` non-zero brings back the server's own
    // levels for the grid.
    virtual void Reset(int lineEvery, int labelEvery, int restoreDefaults) = 0;
};

class ILayer {
public:
    virtual ~ILayer() = default;
    virtual void SetFilled(bool on) = 0;
    virtual void SetShowColorScale(bool on) = 0;
    virtual std::shared_ptr<ILevels> Levels() = 0;
    virtual std::shared_ptr<IGrid> Grid() = 0;
};

class ILayers {
public:
    virtual ~ILayers() = default;
    // Layer `index`, counted from 1, as a contour layer.
    virtual std::shared_ptr<ILayer> Item(int index) = 0;
};

class IAxis {
public:
    virtual ~IAxis() = default;
    virtual double FirstMajorTick() = 0;
    virtual double LastMajorTick() = 0;
    // Minimum, maximum, major interval, first and last major tick, where the
    // axis crosses the other one, label spacing; an empty value keeps its setting.
    virtual void SetScale(std::optional<double> minimum, std::optional<double> maximum,
                          std::optional<double> majorInterval, std::optional<double> firstMajorTick,
                          std::optional<double> lastMajorTick, std::optional<double> crossAt,
                          std::optional<int> labelEvery) = 0;
};

class IMapFrame {
public:
    virtual ~IMapFrame() = default;
    // Axis 1 bottom, 2 left, 3 top, 4 right.
    virtual std::shared_ptr<IAxis> Axis(int index) = 0;
    virtual std::shared_ptr<ILayers> Layers() = 0;
};

class IShapes {
public:
    virtual ~IShapes() = default;
    // A new map of the grid file on the page.
    virtual std::shared_ptr<IMapFrame> AddContourMap(const std::string &gridFile) = 0;
};

class IPageSetup {
public:
    virtual ~IPageSetup() = default;
    // 1 portrait, 2 landscape.
    virtual void SetOrientation(int code) = 0;
    // Centimetres.
    virtual void SetWidth(double width) = 0;
    virtual void SetHeight(double height) = 0;
    virtual void SetLeftMargin(double margin) = 0;
    virtual void SetTopMargin(double margin) = 0;
    virtual void SetRightMargin(double margin) = 0;
    virtual void SetBottomMargin(double margin) = 0;
};

class IPlotDocument {
public:
    virtual ~IPlotDocument() = default;
    virtual std::shared_ptr<IShapes> Shapes() = 0;
    virtual std::shared_ptr<IPageSetup> PageSetup() = 0;
    // Mode 1 writes the document to `file` and closes it, mode 2 closes it
    // unwritten; the document is gone afterwards.
    virtual void Close(int mode, const std::string &file) = 0;
};

class IDocuments {
public:
    virtual ~IDocuments() = default;
    virtual int Count() = 0;
    // Mode 1 writes the changed documents that have a file first, mode 2 writes nothing.
    virtual void CloseAll(int mode) = 0;
    // A new document of `kind` (1: a plot document).
    virtual std::shared_ptr<IPlotDocument> Add(int kind) = 0;
    virtual std::shared_ptr<IPlotDocument> Open(const std::string &file, int options) = 0;
};

class IApplication {
public:
    virtual ~IApplication() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual std::shared_ptr<IDocuments> Documents() = 0;
    // Grids a data sheet into a grid file; position n of the call is element
    // n − 1 (57 at most), a null where the server's default applies.
    virtual void GridData(std::span<const ServerArgument> arguments) = 0;
};

} // namespace orvex
