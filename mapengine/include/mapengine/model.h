// The map server's object model: the application with its document collection
// and grid operations, plot documents with their page, shapes and selection, and
// map frames with axes, layers, contour levels and a 3D view. Core only: it
// knows no window; the viewer attaches through ServerWindowHost.
//
// Page positions are in centimetres from the page's lower left corner, y upward.
// Every failing call throws orvex::MapServerError with a message for the user.
// References returned by a collection stay valid until that object is removed
// (a document closed, levels regenerated).
//
// clang-format off
// The program's map builder names the server's operations by their entry numbers
// (positions in each object's automation function table, 0 to 6 being the
// standard ones). Each entry it relies on, and the method that carries it out:
//
//   Object              Entry (arguments)        Method
//   ------------------  -----------------------  -----------------------------------------
//   application         14 (visible)             Application::SetVisible
//                       17 → documents           Application::Documents
//                       32 ()                    Application::ReleaseResources
//                       36 (57 positional)       Application::GridData, the arguments
//                                                through GridDataRequest::FromPositional
//                       40 (in, filter, passes,  Application::FilterGrid
//                           edge, out, format)
//                       41 (in, polygons, out,   Application::BlankGrid
//                           format)
//                       42 (in, out, format)     Application::ConvertGrid (format 4: XYZ)
//   document collection  9 → count               DocumentCollection::Count
//                       12 (kind 1) → document   DocumentCollection::Add
//                       13 (file, 0) → document  DocumentCollection::Open
//                       15 (mode)                DocumentCollection::CloseAll
//   plot document       18 (file, 0, −3)         PlotDocument::SaveAs
//                       19 (mode, file)          PlotDocument::Close (1 write, 2 discard)
//                       21 → shapes              PlotDocument::Shapes
//                       22 → selection           PlotDocument::Selection
//                       23 → page setup          PlotDocument::PageSetup
//   page setup          10 (1 portrait, 2 land.) PageSetup::SetOrientation
//                       12, 14 (cm)              PageSetup::SetWidth, SetHeight
//                       16, 18, 20, 22 (cm)      PageSetup::SetLeftMargin, SetTopMargin,
//                                                SetRightMargin, SetBottomMargin
//   shapes              11 (index) → shape       Shapes::Item
//                       20 (file, mode) → frame  Shapes::AddBaseMap
//                       21 (grid file) → frame   Shapes::AddContourMap
//   shape               15 (selected)            Shape::SetSelected
//   selection           13, 15 (cm)              Selection::SetLeft, SetTop
//                       16, 18 → cm              Selection::Width, Height
//   map frame           30 → axes; axes 11 (i)   MapFrame::Axes, Axes::Item
//                       31 → layers; layers 11   MapFrame::Layers, Layers::Item /
//                           (i) → layer          Layers::ContourLayerAt
//                       40, 42, 44, 46           MapFrame::SetViewRotation, SetViewTilt,
//                                                SetEyeDistance, SetProjection
//                       47, 49 → cm              MapFrame::XLength, YLength
//                       48, 50 (cm)              MapFrame::SetXLength, SetYLength
//   axis                63, 64 → values          Axis::FirstMajorTick, LastMajorTick
//                       76 (seven, null keeps)   Axis::SetScale
//                       44, 52, 56               Axis::SetMinorTicks, SetShowMajorTicks,
//                                                SetShowLabels
//   contour layer       33 (on)                  ContourLayer::SetFilled
//                       35 (on)                  ContourLayer::SetShowColourScale
//                       41 → levels              ContourLayer::Levels
//                       59 → grid                ContourLayer::Grid; grid 10 Columns,
//                                                11 YMin, 13 YMax, 15 XMin, 17 XMax,
//                                                19 ZMin, 21 ZMax
//   levels               9 → count               Levels::Count
//                       11 (k) → level           Levels::Item
//                       13 (first, last, step)   Levels::Regenerate
//                       16 (lines, labels, 1)    Levels::Reset
//   level               11 → colour; colour 10   Level::SetFillColour (r + 256 g + 65536 b)
// clang-format on
#pragma once

#include "mapengine/contours.h"
#include "mapengine/grid.h"
#include "mapengine/gridding.h"
#include "mapengine/gridops.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvex::map {

class Application;
class PlotDocument;
class MapFrame;
class DocumentCodec;

// Counts the changes to a document, so views know when to draw it again.
struct Revision {
    uint64_t value = 0;
    void Bump() { ++value; }
};

// A rectangle on the page, centimetres, y upward.
struct PageBox {
    double left = 0, bottom = 0, right = 0, top = 0;
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
};

class PageSetup {
public:
    explicit PageSetup(Revision *revision) : revision_(revision) {}

    // 1 portrait, 2 landscape. Turning the page swaps width and height when
    // they do not already agree with the new orientation.
    int Orientation() const { return orientation_; }
    void SetOrientation(int code);
    double Width() const { return width_; }
    void SetWidth(double centimetres);
    double Height() const { return height_; }
    void SetHeight(double centimetres);
    double LeftMargin() const { return left_; }
    void SetLeftMargin(double centimetres);
    double RightMargin() const { return right_; }
    void SetRightMargin(double centimetres);
    double TopMargin() const { return top_; }
    void SetTopMargin(double centimetres);
    double BottomMargin() const { return bottom_; }
    void SetBottomMargin(double centimetres);
    // The page inside its margins.
    PageBox Printable() const;

private:
    friend class DocumentCodec;
    void SetMargin(double &margin, double value, const char *which);
    Revision *revision_;
    int orientation_ = 1;
    double width_ = 21.0, height_ = 29.7;
    double left_ = 1, right_ = 1, top_ = 1, bottom_ = 1;
};

class Level {
public:
    double Value() const { return value_; }
    // The fill of the band from this level up to the next, r + 256·g + 65536·b.
    int FillColour() const { return fill_; }
    void SetFillColour(int rgb);
    bool ShowLine() const { return line_; }
    void SetShowLine(bool on);
    bool ShowLabel() const { return label_; }
    void SetShowLabel(bool on);

private:
    friend class Levels;
    friend class DocumentCodec;
    Level(Revision *revision, double value, int fill)
        : revision_(revision), value_(value), fill_(fill) {}
    Revision *revision_;
    double value_;
    int fill_;
    bool line_ = true, label_ = false;
};

class ContourLayer;

class Levels {
public:
    int Count() const { return static_cast<int>(levels_.size()); }
    // Level k, counted from 1.
    Level &Item(int k);
    const Level &Item(int k) const;
    std::vector<double> Values() const;
    // Levels first, first + step, … up to last (a single level when first equals
    // last), with the default grey fills and the current line and label spacing.
    void Regenerate(double first, double last, double step);
    // With `restoreDefaults` non-zero the server's own levels for the grid come
    // back (a nice interval, grey fills). Then a line is drawn at every
    // `lineEvery`-th level and a label at every `labelEvery`-th (0: none).
    void Reset(int lineEvery, int labelEvery, int restoreDefaults);

private:
    friend class ContourLayer;
    friend class DocumentCodec;
    Levels(Revision *revision, ContourLayer *layer) : revision_(revision), layer_(layer) {}
    void Assign(const std::vector<double> &values);
    void ApplySpacing();
    Revision *revision_;
    ContourLayer *layer_;
    std::vector<Level> levels_;
    int lineEvery_ = 1, labelEvery_ = 0;
};

enum class LayerKind { Contour, Base };

class Layer {
public:
    virtual ~Layer() = default;
    virtual LayerKind Kind() const = 0;
    // The file the layer was made from, as given.
    const std::string &SourceFile() const { return source_; }

protected:
    friend class Shapes;
    friend class DocumentCodec;
    Layer(Revision *revision, std::string source)
        : revision_(revision), source_(std::move(source)) {}
    // Tells the map a change that may alter its size on the page.
    void ExtentChanged();
    Revision *revision_;
    std::string source_;
    MapFrame *frame_ = nullptr; // the map the layer belongs to
};

// Filled contours and contour lines of a grid, and its colour scale.
class ContourLayer : public Layer {
public:
    ContourLayer(Revision *revision, std::string source, std::shared_ptr<const Grid> grid);
    LayerKind Kind() const override { return LayerKind::Contour; }

    const map::Grid &Grid() const { return *grid_; }
    bool Filled() const { return filled_; }
    void SetFilled(bool on);
    bool ShowColourScale() const { return colourScale_; }
    void SetShowColourScale(bool on);
    map::Levels &Levels() { return levels_; }
    const map::Levels &Levels() const { return levels_; }

    // The bands and lines for the current levels, computed when first asked
    // for after a change.
    const ContourGeometry &Geometry() const;

private:
    friend class DocumentCodec;
    friend class Levels;
    std::shared_ptr<const map::Grid> grid_;
    bool filled_ = false, colourScale_ = false;
    map::Levels levels_;
    // The geometry last built and the levels it was built for.
    mutable ContourGeometry geometry_;
    mutable std::vector<double> geometryLevels_;
    mutable std::vector<char> geometryLines_;
    mutable bool geometryValid_ = false;
};

// Polylines of a blanking file drawn over the map.
class BaseLayer : public Layer {
public:
    BaseLayer(Revision *revision, std::string source, std::vector<Polyline> polylines)
        : Layer(revision, std::move(source)), polylines_(std::move(polylines)) {}
    LayerKind Kind() const override { return LayerKind::Base; }
    const std::vector<Polyline> &Polylines() const { return polylines_; }

private:
    friend class DocumentCodec;
    std::vector<Polyline> polylines_;
};

class Layers {
public:
    int Count() const { return static_cast<int>(layers_.size()); }
    // Layer `index`, counted from 1.
    Layer &Item(int index);
    const Layer &Item(int index) const;
    // Layer `index` as a contour layer; throws when it is another kind.
    ContourLayer &ContourLayerAt(int index);

private:
    friend class MapFrame;
    friend class Shapes;
    friend class DocumentCodec;
    std::vector<std::unique_ptr<Layer>> layers_;
};

class Axis {
public:
    // Which side of the map the axis runs along.
    enum class Side { Bottom = 1, Left = 2, Top = 3, Right = 4 };

    Side Placement() const { return side_; }
    bool Horizontal() const { return side_ == Side::Bottom || side_ == Side::Top; }
    // The span of the axis in map units; the map's limits unless set.
    double Minimum() const;
    double Maximum() const;
    // The spacing of major ticks: a nice interval giving about five ticks unless set.
    double MajorInterval() const;
    double FirstMajorTick() const;
    double LastMajorTick() const;
    // Where the axis crosses the other direction, in map units: the map's edge unless set.
    double CrossAt() const;
    // Every how many major ticks a label is written.
    int LabelEvery() const { return labelEvery_.value_or(1); }
    // The scale; each argument left empty keeps its value. Throws for a span
    // that is empty, an interval that is not positive or a label spacing below 1.
    void SetScale(std::optional<double> minimum, std::optional<double> maximum,
                  std::optional<double> majorInterval, std::optional<double> firstMajorTick,
                  std::optional<double> lastMajorTick, std::optional<double> crossAt,
                  std::optional<int> labelEvery);
    int MinorTicks() const { return minorTicks_; }
    // Minor ticks between two major ones (0 to 9).
    void SetMinorTicks(int count);
    bool ShowMajorTicks() const { return showTicks_; }
    void SetShowMajorTicks(bool on);
    bool ShowLabels() const { return showLabels_; }
    void SetShowLabels(bool on);
    // The major tick values inside the span, at most a few thousand.
    std::vector<double> MajorTicks() const;

private:
    friend class MapFrame;
    friend class DocumentCodec;
    Axis(Revision *revision, const MapFrame *frame, Side side);
    Revision *revision_;
    const MapFrame *frame_;
    Side side_;
    std::optional<double> minimum_, maximum_, interval_, first_, last_, cross_;
    std::optional<int> labelEvery_;
    int minorTicks_ = 0;
    bool showTicks_ = true, showLabels_;
};

class Axes {
public:
    int Count() const { return 4; }
    // Axis 1 bottom, 2 left, 3 top, 4 right.
    Axis &Item(int index);
    const Axis &Item(int index) const;

private:
    friend class MapFrame;
    friend class DocumentCodec;
    std::vector<Axis> axes_;
};

enum class ShapeKind { MapFrame };

class Shape {
public:
    virtual ~Shape() = default;
    virtual ShapeKind Kind() const = 0;
    bool Selected() const { return selected_; }
    void SetSelected(bool on);
    // The shape's extent on the page, everything it draws included.
    virtual PageBox Bounds() const = 0;
    virtual void MoveBy(double dx, double dy) = 0;

protected:
    explicit Shape(Revision *revision) : revision_(revision) {}
    Revision *revision_;
    bool selected_ = false;
};

// A map: layers drawn in the rectangle of its limits, four axes around it, and
// a view that may tilt and turn it as a 3D picture.
class MapFrame : public Shape {
public:
    MapFrame(Revision *revision, double xMin, double xMax, double yMin, double yMax);
    ShapeKind Kind() const override { return ShapeKind::MapFrame; }

    map::Axes &Axes() { return axes_; }
    const map::Axes &Axes() const { return axes_; }
    map::Layers &Layers() { return layers_; }
    const map::Layers &Layers() const { return layers_; }

    // The map's limits in map units (those of its first layer).
    double XMin() const { return xMin_; }
    double XMax() const { return xMax_; }
    double YMin() const { return yMin_; }
    double YMax() const { return yMax_; }

    // The size of the map's rectangle on the page; the frame keeps the top left
    // corner of its bounds in place when it changes.
    double XLength() const { return xLength_; }
    void SetXLength(double centimetres);
    double YLength() const { return yLength_; }
    void SetYLength(double centimetres);

    // 3D view: turned `rotation` degrees about the vertical (counter-clockwise
    // seen from above), looked at from `tilt` degrees above the map's plane
    // (90 straight down, the plain map; values are used within 1 to 90), from
    // an eye `eyeDistance` tenths of the map's diagonal away (used from 6 up).
    double ViewRotation() const { return rotation_; }
    void SetViewRotation(double degrees);
    double ViewTilt() const { return tilt_; }
    void SetViewTilt(double degrees);
    double EyeDistance() const { return eye_; }
    void SetEyeDistance(double distance);
    // 1 perspective, 2 orthographic.
    int Projection() const { return projection_; }
    void SetProjection(int code);

    // The page position of the centre of the map's rectangle.
    double CentreX() const { return centreX_; }
    double CentreY() const { return centreY_; }

    PageBox Bounds() const override;
    void MoveBy(double dx, double dy) override;
    // Sizes the map at one scale in x and y, as large as fits `area` with its
    // axes, labels and colour scale, and centres it there. Until the map is
    // moved or sized otherwise, it fits itself again into the same area when
    // its view, colour scale or levels change.
    void FitInto(const PageBox &area);

private:
    friend class DocumentCodec;
    friend class Shapes;
    friend class Layer;
    void SetLengthKeepingCorner(double &length, double value, const char *which);
    // Fits the map again while it is placed by the server.
    void Refit();
    std::optional<PageBox> fittedInto_;
    double xMin_, xMax_, yMin_, yMax_;
    double xLength_ = 10, yLength_ = 10;
    double centreX_ = 10.5, centreY_ = 14.85;
    double rotation_ = 0, tilt_ = 90, eye_ = 25;
    int projection_ = 1;
    map::Axes axes_;
    map::Layers layers_;
};

class Shapes {
public:
    int Count() const { return static_cast<int>(shapes_.size()); }
    // Shape `index`, counted from 1, in the order they were added.
    Shape &Item(int index);
    const Shape &Item(int index) const;
    // A new map of the grid file: a contour layer with the server's levels,
    // sized to fit the printable page and centred on it.
    MapFrame &AddContourMap(const std::string &gridFile);
    // The polylines of a blanking file as a base layer. Mode 0 draws them over
    // the last map added (in a new map when there is none), mode 1 in a new map.
    MapFrame &AddBaseMap(const std::string &blnFile, int mode);

private:
    friend class PlotDocument;
    friend class Selection;
    friend class DocumentCodec;
    explicit Shapes(PlotDocument *document) : document_(document) {}
    MapFrame &AddFrame(std::unique_ptr<MapFrame> frame);
    PlotDocument *document_;
    std::vector<std::unique_ptr<Shape>> shapes_;
};

// The selected shapes as one: their common bounds, which move together.
class Selection {
public:
    int Count() const;
    double Left() const { return Box().left; }
    double Top() const { return Box().top; }
    double Width() const { return Box().Width(); }
    double Height() const { return Box().Height(); }
    // Move the selected shapes so their common bounds start there.
    void SetLeft(double centimetres);
    void SetTop(double centimetres);

private:
    friend class PlotDocument;
    explicit Selection(const Shapes *shapes) : shapes_(shapes) {}
    PageBox Box() const;
    void MoveBy(double dx, double dy);
    const Shapes *shapes_;
};

// A page with maps on it, kept in memory until written to a document file.
class PlotDocument {
public:
    PlotDocument(Application *application);
    PlotDocument(const PlotDocument &) = delete;
    PlotDocument &operator=(const PlotDocument &) = delete;

    map::PageSetup &PageSetup() { return page_; }
    const map::PageSetup &PageSetup() const { return page_; }
    map::Shapes &Shapes() { return shapes_; }
    const map::Shapes &Shapes() const { return shapes_; }
    map::Selection &Selection() { return selection_; }
    const map::Selection &Selection() const { return selection_; }

    // The document file it was opened from or last written to ("" when none).
    const std::string &FullName() const { return fullName_; }
    // A title for the viewer: the file name, or "Plot" and a number.
    std::string Title() const;
    bool Modified() const { return revision_.value != savedRevision_; }
    uint64_t RevisionNumber() const { return revision_.value; }

    // The native document format's code for SaveAs.
    static constexpr int kNativeFormat = -3;
    // Writes the whole document, its grids embedded, to `path`. Options must be
    // 0 and the format kNativeFormat.
    void SaveAs(const std::string &path, int options = 0, int format = kNativeFormat);
    // Mode 1 writes the document to `path` (its own file when empty) and
    // closes it, mode 2 closes it unwritten. The document is gone afterwards.
    void Close(int mode, const std::string &path = "");

    Application &Owner() const { return *application_; }

private:
    friend class DocumentCodec;
    friend class Shapes;
    friend class DocumentCollection;
    Application *application_;
    Revision revision_;
    uint64_t savedRevision_ = 0;
    std::string fullName_;
    int number_ = 0;
    map::PageSetup page_;
    map::Shapes shapes_;
    map::Selection selection_;
};

// What the viewer window does when the server's state changes; it registers
// itself with Application::AttachWindow.
class ServerWindowHost {
public:
    virtual ~ServerWindowHost() = default;
    virtual void ShowServerWindow(bool visible) = 0;
    virtual void DocumentAdded(PlotDocument &document) = 0;
    virtual void DocumentRemoved(PlotDocument &document) = 0;
};

class DocumentCollection {
public:
    int Count() const { return static_cast<int>(documents_.size()); }
    // Document `index`, counted from 1, in the order they were added.
    PlotDocument &Item(int index);
    // A new empty document; kind 1 is a plot document, the only kind served.
    PlotDocument &Add(int kind);
    // Opens a document file; options must be 0.
    PlotDocument &Open(const std::string &path, int options = 0);
    // Closes every document: mode 1 first writes those that have a file and
    // changes, mode 2 writes nothing.
    void CloseAll(int mode);

private:
    friend class Application;
    friend class PlotDocument;
    explicit DocumentCollection(Application *application) : application_(application) {}
    PlotDocument &Insert(std::unique_ptr<PlotDocument> document);
    void Remove(PlotDocument *document);
    Application *application_;
    std::vector<std::unique_ptr<PlotDocument>> documents_;
    int numbered_ = 0;
};

class Application {
public:
    Application();
    ~Application();
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    bool Visible() const { return visible_; }
    // Shows or hides the server's window (when a viewer is attached).
    void SetVisible(bool visible);
    DocumentCollection &Documents() { return documents_; }

    // Grids a data sheet and writes the grid file.
    GridReport GridData(const GridDataRequest &request);
    // Low-pass filters a grid file into another (see FilterGrid in gridops.h).
    void FilterGrid(const std::string &inGrid, int filterCode, int passes, int edgeCode,
                    const std::string &outGrid, int outFormat);
    // Blanks a grid by the polygons of a blanking file into another grid file.
    void BlankGrid(const std::string &inGrid, const std::string &blnFile,
                   const std::string &outGrid, int outFormat);
    // Writes a grid file in another format; format 4 is XYZ text.
    void ConvertGrid(const std::string &inGrid, const std::string &outFile, int outFormat);
    // Drops the grids kept from files read earlier; open documents keep theirs.
    void ReleaseResources();

    // A grid file's grid, shared with the maps made from it while the file is unchanged.
    std::shared_ptr<const Grid> LoadGrid(const std::string &path);

    void AttachWindow(ServerWindowHost *host);
    ServerWindowHost *Window() const { return host_; }

private:
    struct CachedGrid {
        std::shared_ptr<const Grid> grid;
        int64_t stamp = 0;
        uint64_t size = 0;
    };
    bool visible_ = false;
    ServerWindowHost *host_ = nullptr;
    std::map<std::string, CachedGrid> grids_;
    DocumentCollection documents_;
};

} // namespace orvex::map
