#include "document_codec.h"

#include "orvex/errors.h"
#include "orvex/files.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace orvex::map {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'E', 'X', 'M', 'A', 'P'};
enum : uint8_t { kMapFrame = 1, kContourLayer = 1, kBaseLayer = 2 };

uint32_t Crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class Writer {
public:
    template <typename T> void Put(T value) {
        static_assert(std::is_trivially_copyable_v<T>);
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(bytes, bytes + sizeof(T));
        out.append(reinterpret_cast<const char *>(bytes), sizeof(T));
    }
    void Flag(bool value) { Put<uint8_t>(value ? 1 : 0); }
    void Text(const std::string &text) {
        Put<uint32_t>(static_cast<uint32_t>(text.size()));
        out += text;
    }
    template <typename T> void Optional(const std::optional<T> &value) {
        Flag(value.has_value());
        Put<T>(value.value_or(T{}));
    }
    std::string out;
};

class Reader {
public:
    Reader(std::string_view bytes, const std::string &path) : rest_(bytes), path_(path) {}

    template <typename T> T Get() {
        Need(sizeof(T));
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, rest_.data(), sizeof(T));
        rest_.remove_prefix(sizeof(T));
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(bytes, bytes + sizeof(T));
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }
    double Real() {
        const double value = Get<double>();
        Require(std::isfinite(value), "a number that is not finite");
        return value;
    }
    bool Flag() {
        const uint8_t value = Get<uint8_t>();
        Require(value <= 1, "a switch that is neither on nor off");
        return value == 1;
    }
    std::string Text() {
        const uint32_t size = Get<uint32_t>();
        Need(size);
        std::string text(rest_.substr(0, size));
        rest_.remove_prefix(size);
        return text;
    }
    template <typename T> std::optional<T> Optional() {
        const bool present = Flag();
        const T value = Get<T>();
        if constexpr (std::is_floating_point_v<T>)
            Require(std::isfinite(value), "a number that is not finite");
        return present ? std::optional<T>(value) : std::nullopt;
    }
    // A count of items each at least `itemSize` bytes long, which the rest of the file must hold.
    uint32_t Count(size_t itemSize) {
        const uint32_t count = Get<uint32_t>();
        Require(static_cast<uint64_t>(count) * itemSize <= rest_.size(),
                "a count larger than the file");
        return count;
    }
    void Require(bool condition, const char *what) const {
        if (!condition) throw Damaged(what);
    }
    MapServerError Damaged(const std::string &what) const {
        return MapServerError("Map document \"" + path_ + "\" is damaged: " + what);
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    void Need(size_t size) const {
        if (rest_.size() < size) throw Damaged("it ends too early");
    }
    std::string_view rest_;
    const std::string &path_;
};

} // namespace

void DocumentCodec::Write(const PlotDocument &document, const std::string &path) {
    Writer w;
    const PageSetup &page = document.page_;
    w.Put<int32_t>(page.orientation_);
    for (double v : {page.width_, page.height_, page.left_, page.right_, page.top_, page.bottom_})
        w.Put(v);

    w.Put<uint32_t>(static_cast<uint32_t>(document.shapes_.shapes_.size()));
    for (const auto &shape : document.shapes_.shapes_) {
        const auto &frame = static_cast<const MapFrame &>(*shape);
        w.Put<uint8_t>(kMapFrame);
        w.Flag(frame.Selected());
        for (double v :
             {frame.xMin_, frame.xMax_, frame.yMin_, frame.yMax_, frame.xLength_, frame.yLength_,
              frame.centreX_, frame.centreY_, frame.rotation_, frame.tilt_, frame.eye_})
            w.Put(v);
        w.Put<int32_t>(frame.projection_);
        for (const Axis &axis : frame.axes_.axes_) {
            for (const auto &v : {axis.minimum_, axis.maximum_, axis.interval_, axis.first_,
                                  axis.last_, axis.cross_})
                w.Optional(v);
            w.Optional(axis.labelEvery_);
            w.Put<int32_t>(axis.minorTicks_);
            w.Flag(axis.showTicks_);
            w.Flag(axis.showLabels_);
        }
        w.Put<uint32_t>(static_cast<uint32_t>(frame.layers_.layers_.size()));
        for (const auto &layer : frame.layers_.layers_) {
            if (layer->Kind() == LayerKind::Contour) {
                const auto &contour = static_cast<const ContourLayer &>(*layer);
                w.Put<uint8_t>(kContourLayer);
                w.Text(contour.SourceFile());
                w.Flag(contour.filled_);
                w.Flag(contour.colourScale_);
                w.Put<int32_t>(contour.levels_.lineEvery_);
                w.Put<int32_t>(contour.levels_.labelEvery_);
                w.Put<uint32_t>(static_cast<uint32_t>(contour.levels_.levels_.size()));
                for (const Level &level : contour.levels_.levels_) {
                    w.Put(level.value_);
                    w.Put<int32_t>(level.fill_);
                    w.Flag(level.line_);
                    w.Flag(level.label_);
                }
                const GridGeometry &g = contour.grid_->Geometry();
                w.Put<int32_t>(g.columns);
                w.Put<int32_t>(g.rows);
                for (double v : {g.xMin, g.xMax, g.yMin, g.yMax})
                    w.Put(v);
                for (double z : contour.grid_->Values())
                    w.Put(z);
            } else {
                const auto &base = static_cast<const BaseLayer &>(*layer);
                w.Put<uint8_t>(kBaseLayer);
                w.Text(base.SourceFile());
                w.Put<uint32_t>(static_cast<uint32_t>(base.polylines_.size()));
                for (const Polyline &p : base.polylines_) {
                    w.Flag(p.blankInside);
                    w.Put<uint32_t>(static_cast<uint32_t>(p.x.size()));
                    for (size_t k = 0; k < p.x.size(); ++k) {
                        w.Put(p.x[k]);
                        w.Put(p.y[k]);
                    }
                }
            }
        }
    }

    Writer file;
    file.out.append(kMagic, sizeof kMagic);
    file.Put<uint32_t>(kVersion);
    file.Put<uint64_t>(w.out.size());
    file.out += w.out;
    file.Put<uint32_t>(Crc32(w.out));
    try {
        WriteWholeFile(path, file.out);
    } catch (const Error &error) {
        throw MapServerError("Cannot write the map document \"" + path + "\": " + error.what());
    }
}

std::unique_ptr<PlotDocument> DocumentCodec::Read(const std::string &path,
                                                  Application *application) {
    std::string content;
    try {
        content = ReadWholeFile(path);
    } catch (const Error &error) {
        throw MapServerError(std::string("Cannot open the map document: ") + error.what());
    }
    return Parse(content, path, application);
}

std::unique_ptr<PlotDocument>
DocumentCodec::Parse(std::string_view content, const std::string &path, Application *application) {
    Reader header(content, path);
    if (content.size() < sizeof kMagic || std::memcmp(content.data(), kMagic, sizeof kMagic) != 0)
        throw MapServerError("\"" + path + "\" is not a map document of this server");
    for (size_t k = 0; k < sizeof kMagic; ++k)
        header.Get<char>();
    const uint32_t version = header.Get<uint32_t>();
    if (version > kVersion)
        throw MapServerError("Map document \"" + path + "\" was written in format version " +
                             std::to_string(version) + "; this server reads up to version " +
                             std::to_string(kVersion));
    const uint64_t size = header.Get<uint64_t>();
    const size_t bodyStart = sizeof kMagic + 4 + 8;
    header.Require(content.size() >= bodyStart + 4 && size == content.size() - bodyStart - 4,
                   "its length does not match its header");
    const std::string_view body(content.data() + bodyStart, size);
    Reader crc(content.substr(bodyStart + size), path);
    if (crc.Get<uint32_t>() != Crc32(body)) throw header.Damaged("its check sum does not match");

    Reader r(body, path);
    auto document = std::make_unique<PlotDocument>(application);
    Revision *revision = &document->revision_;
    PageSetup &page = document->page_;
    page.orientation_ = r.Get<int32_t>();
    r.Require(page.orientation_ == 1 || page.orientation_ == 2, "an unknown page orientation");
    page.width_ = r.Real(), page.height_ = r.Real();
    page.left_ = r.Real(), page.right_ = r.Real(), page.top_ = r.Real(), page.bottom_ = r.Real();
    r.Require(page.left_ >= 0 && page.right_ >= 0 && page.top_ >= 0 && page.bottom_ >= 0 &&
                  page.left_ + page.right_ < page.width_ && page.top_ + page.bottom_ < page.height_,
              "a page without room inside its margins");

    const uint32_t shapes = r.Count(1);
    for (uint32_t s = 0; s < shapes; ++s) {
        r.Require(r.Get<uint8_t>() == kMapFrame, "a shape of unknown kind");
        const bool selected = r.Flag();
        double v[11];
        for (double &x : v)
            x = r.Real();
        std::unique_ptr<MapFrame> frame;
        try {
            frame = std::make_unique<MapFrame>(revision, v[0], v[1], v[2], v[3]);
        } catch (const MapServerError &) {
            throw r.Damaged("a map without proper limits");
        }
        frame->selected_ = selected;
        r.Require(v[4] > 0 && v[5] > 0, "a map of no size");
        frame->xLength_ = v[4], frame->yLength_ = v[5];
        frame->centreX_ = v[6], frame->centreY_ = v[7];
        frame->rotation_ = v[8], frame->tilt_ = v[9], frame->eye_ = v[10];
        frame->projection_ = r.Get<int32_t>();
        r.Require(frame->projection_ == 1 || frame->projection_ == 2, "an unknown projection");
        for (Axis &axis : frame->axes_.axes_) {
            for (auto *v : {&axis.minimum_, &axis.maximum_, &axis.interval_, &axis.first_,
                            &axis.last_, &axis.cross_})
                *v = r.Optional<double>();
            axis.labelEvery_ = r.Optional<int32_t>();
            axis.minorTicks_ = r.Get<int32_t>();
            axis.showTicks_ = r.Flag();
            axis.showLabels_ = r.Flag();
            r.Require(!axis.interval_ || *axis.interval_ > 0,
                      "an axis interval that is not positive");
            r.Require(!axis.labelEvery_ || *axis.labelEvery_ >= 1, "an axis label spacing below 1");
            r.Require(axis.minorTicks_ >= 0 && axis.minorTicks_ <= 9,
                      "an unknown minor tick count");
            r.Require(axis.Minimum() != axis.Maximum(), "an axis of no span");
        }
        const uint32_t layers = r.Count(1);
        for (uint32_t l = 0; l < layers; ++l) {
            const uint8_t kind = r.Get<uint8_t>();
            std::string source = r.Text();
            if (kind == kContourLayer) {
                const bool filled = r.Flag(), scale = r.Flag();
                const int lineEvery = r.Get<int32_t>(), labelEvery = r.Get<int32_t>();
                r.Require(lineEvery >= 0 && labelEvery >= 0, "a negative level spacing");
                const uint32_t count = r.Count(14);
                std::vector<Level> levels;
                for (uint32_t k = 0; k < count; ++k) {
                    const double value = r.Real();
                    const int fill = r.Get<int32_t>();
                    r.Require(fill >= 0 && fill <= 0xFFFFFF, "a level colour out of range");
                    Level level(revision, value, fill);
                    level.line_ = r.Flag();
                    level.label_ = r.Flag();
                    levels.push_back(level);
                }
                GridGeometry g;
                g.columns = r.Get<int32_t>();
                g.rows = r.Get<int32_t>();
                g.xMin = r.Real(), g.xMax = r.Real(), g.yMin = r.Real(), g.yMax = r.Real();
                try {
                    g.Validate();
                } catch (const MapServerError &error) {
                    throw r.Damaged(std::string("an embedded grid is unusable (") + error.what() +
                                    ")");
                }
                r.Require(static_cast<uint64_t>(g.columns) * g.rows * 8 <= content.size(),
                          "a grid larger than the file");
                auto grid = std::make_shared<Grid>(g);
                for (double &z : grid->Values()) {
                    z = r.Get<double>();
                    if (IsBlank(z)) z = kBlankValue;
                }
                std::unique_ptr<ContourLayer> layer;
                try {
                    layer = std::make_unique<ContourLayer>(revision, std::move(source), grid);
                } catch (const MapServerError &error) {
                    throw r.Damaged(error.what());
                }
                layer->filled_ = filled;
                layer->colourScale_ = scale;
                layer->levels_.lineEvery_ = lineEvery;
                layer->levels_.labelEvery_ = labelEvery;
                layer->levels_.levels_ = std::move(levels);
                layer->frame_ = frame.get();
                frame->layers_.layers_.push_back(std::move(layer));
            } else if (kind == kBaseLayer) {
                const uint32_t count = r.Count(5);
                std::vector<Polyline> polylines(count);
                for (Polyline &p : polylines) {
                    p.blankInside = r.Flag();
                    const uint32_t n = r.Count(16);
                    for (uint32_t k = 0; k < n; ++k) {
                        p.x.push_back(r.Real());
                        p.y.push_back(r.Real());
                    }
                }
                auto layer =
                    std::make_unique<BaseLayer>(revision, std::move(source), std::move(polylines));
                layer->frame_ = frame.get();
                frame->layers_.layers_.push_back(std::move(layer));
            } else {
                throw r.Damaged("a layer of unknown kind");
            }
        }
        document->shapes_.shapes_.push_back(std::move(frame));
    }
    r.Require(r.AtEnd(), "it holds more than a document");
    return document;
}

} // namespace orvex::map
