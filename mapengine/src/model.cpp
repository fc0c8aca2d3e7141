#include "mapengine/model.h"

#include "document_codec.h"
#include "mapengine/layout.h"

#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/text.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace orvex::map {

namespace {

constexpr double kLargestPage = 500; // centimetres; larger is a typing error

double CheckedLength(double value, const char *what, double largest) {
    if (!std::isfinite(value) || value <= 0 || value > largest)
        throw MapServerError(std::string("The ") + what + " must be above 0 and at most " +
                             FormatGeneral(largest) + " cm, not " + FormatGeneral(value));
    return value;
}

void CheckFinite(double value, const char *what) {
    if (!std::isfinite(value))
        throw MapServerError(std::string("The ") + what + " must be a finite number");
}

template <typename T> T &ItemAt(std::vector<T> &items, int index, const char *what) {
    if (index < 1 || index > static_cast<int>(items.size()))
        throw MapServerError(std::string(what) + " " + std::to_string(index) +
                             " does not exist (there are " + std::to_string(items.size()) + ")");
    return items[index - 1];
}

} // namespace

// ---- page ----

void PageSetup::SetOrientation(int code) {
    if (code != 1 && code != 2)
        throw MapServerError("Page orientation must be 1 (portrait) or 2 (landscape), not " +
                             std::to_string(code));
    orientation_ = code;
    if ((code == 2) != (width_ > height_) && width_ != height_) std::swap(width_, height_);
    revision_->Bump();
}

void PageSetup::SetWidth(double centimetres) {
    CheckedLength(centimetres, "page width", kLargestPage);
    if (centimetres <= left_ + right_)
        throw MapServerError("A page " + FormatGeneral(centimetres) +
                             " cm wide leaves no room inside its left and right margins");
    width_ = centimetres;
    revision_->Bump();
}

void PageSetup::SetHeight(double centimetres) {
    CheckedLength(centimetres, "page height", kLargestPage);
    if (centimetres <= top_ + bottom_)
        throw MapServerError("A page " + FormatGeneral(centimetres) +
                             " cm high leaves no room inside its top and bottom margins");
    height_ = centimetres;
    revision_->Bump();
}

void PageSetup::SetMargin(double &margin, double value, const char *which) {
    if (!std::isfinite(value) || value < 0)
        throw MapServerError(std::string("The ") + which + " margin must be 0 or more, not " +
                             FormatGeneral(value));
    const double old = margin;
    margin = value;
    if (left_ + right_ >= width_ || top_ + bottom_ >= height_) {
        margin = old;
        throw MapServerError(std::string("A ") + which + " margin of " + FormatGeneral(value) +
                             " cm leaves no room on the page");
    }
    revision_->Bump();
}

void PageSetup::SetLeftMargin(double centimetres) {
    SetMargin(left_, centimetres, "left");
}
void PageSetup::SetRightMargin(double centimetres) {
    SetMargin(right_, centimetres, "right");
}
void PageSetup::SetTopMargin(double centimetres) {
    SetMargin(top_, centimetres, "top");
}
void PageSetup::SetBottomMargin(double centimetres) {
    SetMargin(bottom_, centimetres, "bottom");
}

PageBox PageSetup::Printable() const {
    return {left_, bottom_, width_ - right_, height_ - top_};
}

// ---- levels ----

void Level::SetFillColour(int rgb) {
    if (rgb < 0 || rgb > 0xFFFFFF)
        throw MapServerError("A colour is r + 256 g + 65536 b with each part 0 to 255, not " +
                             std::to_string(rgb));
    fill_ = rgb;
    revision_->Bump();
}

void Level::SetShowLine(bool on) {
    line_ = on;
    revision_->Bump();
}

void Level::SetShowLabel(bool on) {
    label_ = on;
    revision_->Bump();
}

Level &Levels::Item(int k) {
    return ItemAt(levels_, k, "Level");
}

const Level &Levels::Item(int k) const {
    return const_cast<Levels *>(this)->Item(k);
}

std::vector<double> Levels::Values() const {
    std::vector<double> values;
    for (const Level &level : levels_)
        values.push_back(level.Value());
    return values;
}

void Levels::Assign(const std::vector<double> &values) {
    levels_.clear();
    const int n = static_cast<int>(values.size());
    for (int k = 0; k < n; ++k)
        levels_.push_back(Level(revision_, values[k], GreyRampColour(k, n)));
    ApplySpacing();
    if (layer_->ShowColourScale()) layer_->ExtentChanged(); // its labels may be wider
}

void Layer::ExtentChanged() {
    if (frame_) frame_->Refit();
}

void Levels::ApplySpacing() {
    for (size_t k = 0; k < levels_.size(); ++k) {
        levels_[k].line_ = lineEvery_ > 0 && k % lineEvery_ == 0;
        levels_[k].label_ = labelEvery_ > 0 && k % labelEvery_ == 0;
    }
    revision_->Bump();
}

void Levels::Regenerate(double first, double last, double step) {
    constexpr int kMostLevels = 10000;
    if (!std::isfinite(first) || !std::isfinite(last))
        throw MapServerError("The first and last contour level must be finite numbers");
    if (first == last) return Assign({first});
    if (last < first)
        throw MapServerError("The last contour level (" + FormatGeneral(last) +
                             ") is below the first (" + FormatGeneral(first) + ")");
    if (!std::isfinite(step) || step <= 0)
        throw MapServerError("The contour level step must be above 0, not " + FormatGeneral(step));
    const double intervals = std::floor((last - first) / step * (1 + 1e-12) + 1e-9);
    if (intervals + 1 > kMostLevels)
        throw MapServerError("Levels from " + FormatGeneral(first) + " to " + FormatGeneral(last) +
                             " by " + FormatGeneral(step) + " would be more than " +
                             std::to_string(kMostLevels));
    std::vector<double> values;
    for (int k = 0; k <= static_cast<int>(intervals); ++k)
        values.push_back(first + k * step);
    Assign(values);
}

void Levels::Reset(int lineEvery, int labelEvery, int restoreDefaults) {
    if (lineEvery < 0 || labelEvery < 0)
        throw MapServerError("Line and label spacing of contour levels must be 0 or more");
    lineEvery_ = lineEvery;
    labelEvery_ = labelEvery;
    if (restoreDefaults != 0) {
        Assign(NiceLevels(layer_->Grid().ZMin(), layer_->Grid().ZMax()));
    } else {
        ApplySpacing();
    }
}

// ---- layers ----

ContourLayer::ContourLayer(Revision *revision, std::string source,
                           std::shared_ptr<const map::Grid> grid)
    : Layer(revision, std::move(source)), grid_(std::move(grid)), levels_(revision, this) {
    if (grid_->BlankCount() == static_cast<int64_t>(grid_->Values().size()))
        throw MapServerError("Grid \"" + source_ + "\" has no data: every node is blank");
    levels_.Assign(NiceLevels(grid_->ZMin(), grid_->ZMax()));
}

void ContourLayer::SetFilled(bool on) {
    filled_ = on;
    revision_->Bump();
}

void ContourLayer::SetShowColourScale(bool on) {
    colourScale_ = on;
    revision_->Bump();
    ExtentChanged();
}

const ContourGeometry &ContourLayer::Geometry() const {
    std::vector<double> values = levels_.Values();
    std::vector<char> lines;
    for (int k = 1; k <= levels_.Count(); ++k)
        lines.push_back(levels_.Item(k).ShowLine());
    if (!geometryValid_ || values != geometryLevels_ || lines != geometryLines_) {
        geometry_ = BuildContourGeometry(*grid_, values, lines);
        geometryLevels_ = std::move(values);
        geometryLines_ = std::move(lines);
        geometryValid_ = true;
    }
    return geometry_;
}

Layer &Layers::Item(int index) {
    return *ItemAt(layers_, index, "Layer");
}

const Layer &Layers::Item(int index) const {
    return const_cast<Layers *>(this)->Item(index);
}

ContourLayer &Layers::ContourLayerAt(int index) {
    Layer &layer = Item(index);
    if (layer.Kind() != LayerKind::Contour)
        throw MapServerError("Layer " + std::to_string(index) +
                             " of the map is not a contour layer");
    return static_cast<ContourLayer &>(layer);
}

// ---- axes ----

Axis::Axis(Revision *revision, const MapFrame *frame, Side side)
    : revision_(revision), frame_(frame), side_(side),
      showLabels_(side == Side::Bottom || side == Side::Left) {}

double Axis::Minimum() const {
    return minimum_.value_or(Horizontal() ? frame_->XMin() : frame_->YMin());
}

double Axis::Maximum() const {
    return maximum_.value_or(Horizontal() ? frame_->XMax() : frame_->YMax());
}

double Axis::MajorInterval() const {
    return interval_ ? *interval_ : NiceStep(std::fabs(Maximum() - Minimum()), 6);
}

double Axis::FirstMajorTick() const {
    if (first_) return *first_;
    const double step = MajorInterval();
    return std::ceil(std::min(Minimum(), Maximum()) / step - 1e-9) * step;
}

double Axis::LastMajorTick() const {
    if (last_) return *last_;
    const double step = MajorInterval();
    return std::floor(std::max(Minimum(), Maximum()) / step + 1e-9) * step;
}

double Axis::CrossAt() const {
    if (cross_) return *cross_;
    switch (side_) {
    case Side::Bottom:
        return frame_->YMin();
    case Side::Top:
        return frame_->YMax();
    case Side::Left:
        return frame_->XMin();
    case Side::Right:
        break;
    }
    return frame_->XMax();
}

void Axis::SetScale(std::optional<double> minimum, std::optional<double> maximum,
                    std::optional<double> majorInterval, std::optional<double> firstMajorTick,
                    std::optional<double> lastMajorTick, std::optional<double> crossAt,
                    std::optional<int> labelEvery) {
    for (const auto &value :
         {minimum, maximum, majorInterval, firstMajorTick, lastMajorTick, crossAt})
        if (value) CheckFinite(*value, "axis scale value");
    if (majorInterval && *majorInterval <= 0)
        throw MapServerError("The major tick interval must be above 0, not " +
                             FormatGeneral(*majorInterval));
    if (labelEvery && *labelEvery < 1)
        throw MapServerError("Axis labels can be written at every tick or fewer, not every " +
                             std::to_string(*labelEvery));
    const double lo = minimum.value_or(Minimum()), hi = maximum.value_or(Maximum());
    if (lo == hi) throw MapServerError("The axis minimum and maximum must differ");
    if (minimum) minimum_ = minimum;
    if (maximum) maximum_ = maximum;
    if (majorInterval) interval_ = majorInterval;
    if (firstMajorTick) first_ = firstMajorTick;
    if (lastMajorTick) last_ = lastMajorTick;
    if (crossAt) cross_ = crossAt;
    if (labelEvery) labelEvery_ = labelEvery;
    revision_->Bump();
}

void Axis::SetMinorTicks(int count) {
    if (count < 0 || count > 9)
        throw MapServerError("An axis has 0 to 9 minor ticks between major ones, not " +
                             std::to_string(count));
    minorTicks_ = count;
    revision_->Bump();
}

void Axis::SetShowMajorTicks(bool on) {
    showTicks_ = on;
    revision_->Bump();
}

void Axis::SetShowLabels(bool on) {
    showLabels_ = on;
    revision_->Bump();
}

std::vector<double> Axis::MajorTicks() const {
    constexpr double kMostTicks = 2000;
    const double step = MajorInterval(), first = FirstMajorTick(), last = LastMajorTick();
    const double lo = std::min(Minimum(), Maximum()), hi = std::max(Minimum(), Maximum());
    const double slack = 1e-9 * (hi - lo);
    std::vector<double> ticks;
    if (last < first) return ticks;
    // A tiny interval on a long axis would be millions of ticks: keep every n-th.
    const double count = std::floor((last - first) / step + 1e-9) + 1;
    const double stride = count > kMostTicks ? std::ceil(count / kMostTicks) : 1;
    for (double k = 0; k < count; k += stride) {
        const double t = first + k * step;
        if (t >= lo - slack && t <= hi + slack) ticks.push_back(t);
    }
    return ticks;
}

Axis &Axes::Item(int index) {
    return ItemAt(axes_, index, "Axis");
}

const Axis &Axes::Item(int index) const {
    return const_cast<Axes *>(this)->Item(index);
}

// ---- shapes ----

void Shape::SetSelected(bool on) {
    selected_ = on;
    revision_->Bump();
}

MapFrame::MapFrame(Revision *revision, double xMin, double xMax, double yMin, double yMax)
    : Shape(revision), xMin_(xMin), xMax_(xMax), yMin_(yMin), yMax_(yMax) {
    if (!(xMin < xMax) || !(yMin < yMax))
        throw MapServerError("A map needs limits with minimum below maximum in x and y");
    for (Axis::Side side :
         {Axis::Side::Bottom, Axis::Side::Left, Axis::Side::Top, Axis::Side::Right})
        axes_.axes_.push_back(Axis(revision, this, side));
}

void MapFrame::SetLengthKeepingCorner(double &length, double value, const char *which) {
    CheckedLength(value, which, 10 * kLargestPage);
    const PageBox before = Bounds();
    length = value;
    const PageBox after = Bounds();
    centreX_ += before.left - after.left;
    centreY_ += before.top - after.top;
    fittedInto_.reset();
    revision_->Bump();
}

void MapFrame::SetXLength(double centimetres) {
    SetLengthKeepingCorner(xLength_, centimetres, "map's x length");
}

void MapFrame::SetYLength(double centimetres) {
    SetLengthKeepingCorner(yLength_, centimetres, "map's y length");
}

void MapFrame::SetViewRotation(double degrees) {
    CheckFinite(degrees, "view rotation");
    rotation_ = degrees;
    Refit();
}

void MapFrame::SetViewTilt(double degrees) {
    CheckFinite(degrees, "view tilt");
    tilt_ = degrees;
    Refit();
}

void MapFrame::SetEyeDistance(double distance) {
    CheckFinite(distance, "eye distance");
    eye_ = distance;
    Refit();
}

void MapFrame::SetProjection(int code) {
    if (code != 1 && code != 2)
        throw MapServerError("The projection must be 1 (perspective) or 2 (orthographic), not " +
                             std::to_string(code));
    projection_ = code;
    Refit();
}

void MapFrame::Refit() {
    if (fittedInto_)
        FitInto(*fittedInto_);
    else
        revision_->Bump();
}

PageBox MapFrame::Bounds() const {
    PageBox box = LayoutFrame(*this).bounds;
    box.left += centreX_;
    box.right += centreX_;
    box.bottom += centreY_;
    box.top += centreY_;
    return box;
}

void MapFrame::MoveBy(double dx, double dy) {
    centreX_ += dx;
    centreY_ += dy;
    fittedInto_.reset();
    revision_->Bump();
}

void MapFrame::FitInto(const PageBox &area) {
    const double width = xMax_ - xMin_, height = yMax_ - yMin_;
    // Labels and the colour scale keep their size while the map grows, so the
    // scale is found by a few rounds of measuring and correcting.
    double scale = 0.8 * std::min(area.Width() / width, area.Height() / height);
    for (int round = 0; round < 8; ++round) {
        const PageBox box = LayoutFrame(*this, scale * width, scale * height).bounds;
        const double spareX = area.Width() - (box.Width() - scale * width);
        const double spareY = area.Height() - (box.Height() - scale * height);
        const double next = std::min(spareX / width, spareY / height);
        if (next <= 0) break; // the area is smaller than the labels: keep the last size
        scale = next;
    }
    xLength_ = scale * width;
    yLength_ = scale * height;
    const PageBox box = LayoutFrame(*this).bounds;
    centreX_ = (area.left + area.right) / 2 - (box.left + box.right) / 2;
    centreY_ = (area.bottom + area.top) / 2 - (box.bottom + box.top) / 2;
    fittedInto_ = area;
    revision_->Bump();
}

Shape &Shapes::Item(int index) {
    return *ItemAt(shapes_, index, "Shape");
}

const Shape &Shapes::Item(int index) const {
    return const_cast<Shapes *>(this)->Item(index);
}

MapFrame &Shapes::AddFrame(std::unique_ptr<MapFrame> frame) {
    frame->FitInto(document_->PageSetup().Printable());
    shapes_.push_back(std::move(frame));
    document_->revision_.Bump();
    return static_cast<MapFrame &>(*shapes_.back());
}

MapFrame &Shapes::AddContourMap(const std::string &gridFile) {
    std::shared_ptr<const map::Grid> grid = document_->Owner().LoadGrid(gridFile);
    Revision *revision = &document_->revision_;
    auto frame = std::make_unique<MapFrame>(revision, grid->XMin(), grid->XMax(), grid->YMin(),
                                            grid->YMax());
    frame->layers_.layers_.push_back(std::make_unique<ContourLayer>(revision, gridFile, grid));
    frame->layers_.layers_.back()->frame_ = frame.get();
    return AddFrame(std::move(frame));
}

MapFrame &Shapes::AddBaseMap(const std::string &blnFile, int mode) {
    if (mode != 0 && mode != 1)
        throw MapServerError("A base map is added over the last map (0) or as a new map (1), not " +
                             std::to_string(mode));
    std::vector<Polyline> polylines = ReadBlankingFile(blnFile);
    Revision *revision = &document_->revision_;
    auto layer = std::make_unique<BaseLayer>(revision, blnFile, std::move(polylines));
    if (mode == 0 && !shapes_.empty() && shapes_.back()->Kind() == ShapeKind::MapFrame) {
        auto &frame = static_cast<MapFrame &>(*shapes_.back());
        layer->frame_ = &frame;
        frame.layers_.layers_.push_back(std::move(layer));
        revision->Bump();
        return frame;
    }
    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
    for (const Polyline &p : layer->Polylines())
        for (size_t k = 0; k < p.x.size(); ++k) {
            xMin = std::min(xMin, p.x[k]), xMax = std::max(xMax, p.x[k]);
            yMin = std::min(yMin, p.y[k]), yMax = std::max(yMax, p.y[k]);
        }
    // A straight line along x or y still needs a map of some height or width.
    const double pad = 0.05 * std::max(xMax - xMin, yMax - yMin);
    if (!(pad > 0)) throw MapServerError("Base map \"" + blnFile + "\" has no extent to draw");
    if (xMax - xMin < pad) xMin -= pad, xMax += pad;
    if (yMax - yMin < pad) yMin -= pad, yMax += pad;
    auto frame = std::make_unique<MapFrame>(revision, xMin, xMax, yMin, yMax);
    layer->frame_ = frame.get();
    frame->layers_.layers_.push_back(std::move(layer));
    return AddFrame(std::move(frame));
}

// ---- selection ----

int Selection::Count() const {
    int count = 0;
    for (const auto &shape : shapes_->shapes_)
        count += shape->Selected();
    return count;
}

PageBox Selection::Box() const {
    PageBox box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const auto &shape : shapes_->shapes_) {
        if (!shape->Selected()) continue;
        const PageBox b = shape->Bounds();
        box.left = std::min(box.left, b.left);
        box.bottom = std::min(box.bottom, b.bottom);
        box.right = std::max(box.right, b.right);
        box.top = std::max(box.top, b.top);
    }
    if (box.left > box.right) throw MapServerError("No shape of the document is selected");
    return box;
}

void Selection::MoveBy(double dx, double dy) {
    for (const auto &shape : shapes_->shapes_)
        if (shape->Selected()) shape->MoveBy(dx, dy);
}

void Selection::SetLeft(double centimetres) {
    CheckFinite(centimetres, "selection's left");
    MoveBy(centimetres - Box().left, 0);
}

void Selection::SetTop(double centimetres) {
    CheckFinite(centimetres, "selection's top");
    MoveBy(0, centimetres - Box().top);
}

// ---- documents ----

PlotDocument::PlotDocument(Application *application)
    : application_(application), page_(&revision_), shapes_(this), selection_(&shapes_) {}

std::string PlotDocument::Title() const {
    return fullName_.empty() ? "Plot" + std::to_string(number_) : FileNameOnly(fullName_);
}

void PlotDocument::SaveAs(const std::string &path, int options, int format) {
    if (options != 0)
        throw MapServerError("Unknown option " + std::to_string(options) +
                             " for writing a document");
    if (format != kNativeFormat)
        throw MapServerError("Documents are written in the server's own format (code -3), not " +
                             std::to_string(format));
    if (path.empty()) throw MapServerError("No file name given to write the document to");
    DocumentCodec::Write(*this, path);
    fullName_ = path;
    savedRevision_ = revision_.value;
}

void PlotDocument::Close(int mode, const std::string &path) {
    if (mode != 1 && mode != 2)
        throw MapServerError("A document is closed written (1) or unwritten (2), not with " +
                             std::to_string(mode));
    if (mode == 1) {
        const std::string target = path.empty() ? fullName_ : path;
        if (target.empty()) throw MapServerError("The document has no file name to be written to");
        SaveAs(target);
    }
    application_->Documents().Remove(this);
}

PlotDocument &DocumentCollection::Item(int index) {
    return *ItemAt(documents_, index, "Document");
}

PlotDocument &DocumentCollection::Insert(std::unique_ptr<PlotDocument> document) {
    documents_.push_back(std::move(document));
    PlotDocument &added = *documents_.back();
    if (application_->Window()) application_->Window()->DocumentAdded(added);
    return added;
}

void DocumentCollection::Remove(PlotDocument *document) {
    const auto it = std::find_if(documents_.begin(), documents_.end(),
                                 [&](const auto &d) { return d.get() == document; });
    if (it == documents_.end()) return;
    if (application_->Window()) application_->Window()->DocumentRemoved(*document);
    documents_.erase(it);
}

PlotDocument &DocumentCollection::Add(int kind) {
    if (kind != 1)
        throw MapServerError("Document kind " + std::to_string(kind) +
                             " is not served; kind 1 is a plot document");
    auto document = std::make_unique<PlotDocument>(application_);
    document->number_ = ++numbered_;
    return Insert(std::move(document));
}

PlotDocument &DocumentCollection::Open(const std::string &path, int options) {
    if (options != 0)
        throw MapServerError("Unknown option " + std::to_string(options) +
                             " for opening a document");
    std::unique_ptr<PlotDocument> document = DocumentCodec::Read(path, application_);
    document->fullName_ = path;
    document->savedRevision_ = document->revision_.value;
    document->number_ = ++numbered_;
    return Insert(std::move(document));
}

void DocumentCollection::CloseAll(int mode) {
    if (mode != 1 && mode != 2)
        throw MapServerError("Documents are closed written (1) or unwritten (2), not with " +
                             std::to_string(mode));
    while (!documents_.empty()) {
        PlotDocument &document = *documents_.front();
        if (mode == 1 && document.Modified() && !document.FullName().empty())
            document.SaveAs(document.FullName());
        Remove(&document);
    }
}

// ---- application ----

Application::Application() : documents_(this) {}

Application::~Application() = default;

void Application::SetVisible(bool visible) {
    visible_ = visible;
    if (host_) host_->ShowServerWindow(visible);
}

void Application::AttachWindow(ServerWindowHost *host) {
    host_ = host;
}

GridReport Application::GridData(const GridDataRequest &request) {
    return GridDataFile(request);
}

void Application::FilterGrid(const std::string &inGrid, int filterCode, int passes, int edgeCode,
                             const std::string &outGrid, int outFormat) {
    const GridFormat format = GridFormatFromCode(outFormat);
    WriteGridAs(map::FilterGrid(ReadGridFile(inGrid), filterCode, passes, edgeCode), outGrid,
                format);
}

void Application::BlankGrid(const std::string &inGrid, const std::string &blnFile,
                            const std::string &outGrid, int outFormat) {
    const GridFormat format = GridFormatFromCode(outFormat);
    const std::vector<Polyline> polygons = ReadBlankingFile(blnFile);
    WriteGridAs(map::BlankGrid(ReadGridFile(inGrid), polygons), outGrid, format);
}

void Application::ConvertGrid(const std::string &inGrid, const std::string &outFile,
                              int outFormat) {
    WriteGridAs(ReadGridFile(inGrid), outFile, GridFormatFromCode(outFormat));
}

void Application::ReleaseResources() {
    grids_.clear();
}

std::shared_ptr<const Grid> Application::LoadGrid(const std::string &path) {
    std::error_code error;
    const auto stamp = std::filesystem::last_write_time(path, error).time_since_epoch().count();
    const uint64_t size = error ? 0 : std::filesystem::file_size(path, error);
    if (!error) {
        const auto it = grids_.find(path);
        if (it != grids_.end() && it->second.stamp == stamp && it->second.size == size)
            return it->second.grid;
    }
    auto grid = std::make_shared<const Grid>(ReadGridFile(path));
    if (!error) grids_[path] = {grid, static_cast<int64_t>(stamp), size};
    return grid;
}

} // namespace orvex::map
