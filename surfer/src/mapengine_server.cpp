#include "orvex/surfer/mapengine_server.h"

#include "orvex/errors.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace orvex {

namespace {

// A document handed out through the interface. The server frees a document when
// it is closed, from here or from the viewer window, so every use checks that
// the document is still open, and a link is marked closed as soon as its
// document is known to be gone (an address may be reused by a later document).
struct DocumentLink {
    std::shared_ptr<MapEngineSurfer::State> state;
    map::PlotDocument *document;
    bool closed = false;

    map::PlotDocument &Get() const;
};

} // namespace

struct MapEngineSurfer::State {
    map::Application engine;
    std::vector<std::weak_ptr<DocumentLink>> links;

    std::shared_ptr<DocumentLink> Link(const std::shared_ptr<State> &self,
                                       map::PlotDocument &document) {
        std::erase_if(links,
                      [](const std::weak_ptr<DocumentLink> &link) { return link.expired(); });
        for (const std::weak_ptr<DocumentLink> &weak : links)
            if (const auto link = weak.lock(); link && link->document == &document)
                link->closed = true;
        auto link = std::make_shared<DocumentLink>(DocumentLink{self, &document});
        links.push_back(link);
        return link;
    }

    void AllClosed() {
        for (const std::weak_ptr<DocumentLink> &weak : links)
            if (const auto link = weak.lock()) link->closed = true;
    }
};

namespace {

map::PlotDocument &DocumentLink::Get() const {
    if (!closed) {
        map::DocumentCollection &documents = state->engine.Documents();
        for (int i = 1; i <= documents.Count(); ++i)
            if (&documents.Item(i) == document) return *document;
    }
    throw MapServerError("The map document is no longer open in the map server");
}

using Link = std::shared_ptr<DocumentLink>;

// The objects below reach their server object again from its document at every
// call, and check that it still exists when they are handed out, so none of
// them outlives what it stands for.

class EngineGrid : public IGrid {
public:
    explicit EngineGrid(std::function<map::ContourLayer &()> layer) : layer_(std::move(layer)) {}
    double ZMin() override { return layer_().Grid().ZMin(); }
    double ZMax() override { return layer_().Grid().ZMax(); }

private:
    std::function<map::ContourLayer &()> layer_;
};

class EngineLevel : public ILevel {
public:
    EngineLevel(std::function<map::ContourLayer &()> layer, int k)
        : layer_(std::move(layer)), k_(k) {}
    void SetFillColor(int rgb) override { layer_().Levels().Item(k_).SetFillColour(rgb); }

private:
    std::function<map::ContourLayer &()> layer_;
    int k_;
};

class EngineLevels : public ILevels {
public:
    explicit EngineLevels(std::function<map::ContourLayer &()> layer) : layer_(std::move(layer)) {}
    int Count() override { return layer_().Levels().Count(); }
    std::shared_ptr<ILevel> Item(int k) override {
        layer_().Levels().Item(k); // a level that does not exist fails here
        return std::make_shared<EngineLevel>(layer_, k);
    }
    void Regenerate(double first, double last, double step) override {
        layer_().Levels().Regenerate(first, last, step);
    }
    void Reset(int lineEvery, int labelEvery, int restoreDefaults) override {
        layer_().Levels().Reset(lineEvery, labelEvery, restoreDefaults);
    }

private:
    std::function<map::ContourLayer &()> layer_;
};

class EngineLayer : public ILayer {
public:
    explicit EngineLayer(std::function<map::ContourLayer &()> layer) : layer_(std::move(layer)) {}
    void SetFilled(bool on) override { layer_().SetFilled(on); }
    void SetShowColorScale(bool on) override { layer_().SetShowColourScale(on); }
    std::shared_ptr<ILevels> Levels() override {
        layer_();
        return std::make_shared<EngineLevels>(layer_);
    }
    std::shared_ptr<IGrid> Grid() override {
        layer_();
        return std::make_shared<EngineGrid>(layer_);
    }

private:
    std::function<map::ContourLayer &()> layer_;
};

// A map frame lives as long as its document: shapes are never taken off a page.
struct FrameRef {
    Link link;
    map::MapFrame *frame;
    map::MapFrame &Get() const {
        link->Get();
        return *frame;
    }
};

class EngineLayers : public ILayers {
public:
    explicit EngineLayers(FrameRef frame) : frame_(std::move(frame)) {}
    std::shared_ptr<ILayer> Item(int index) override {
        frame_.Get().Layers().ContourLayerAt(index); // not there or not contours: fails here
        return std::make_shared<EngineLayer>([frame = frame_, index]() -> map::ContourLayer & {
            return frame.Get().Layers().ContourLayerAt(index);
        });
    }

private:
    FrameRef frame_;
};

class EngineAxis : public IAxis {
public:
    EngineAxis(FrameRef frame, int index) : frame_(std::move(frame)), index_(index) {}
    double FirstMajorTick() override { return Get().FirstMajorTick(); }
    double LastMajorTick() override { return Get().LastMajorTick(); }
    void SetScale(std::optional<double> minimum, std::optional<double> maximum,
                  std::optional<double> majorInterval, std::optional<double> firstMajorTick,
                  std::optional<double> lastMajorTick, std::optional<double> crossAt,
                  std::optional<int> labelEvery) override {
        Get().SetScale(minimum, maximum, majorInterval, firstMajorTick, lastMajorTick, crossAt,
                       labelEvery);
    }

private:
    map::Axis &Get() { return frame_.Get().Axes().Item(index_); }
    FrameRef frame_;
    int index_;
};

class EngineMapFrame : public IMapFrame {
public:
    explicit EngineMapFrame(FrameRef frame) : frame_(std::move(frame)) {}
    std::shared_ptr<IAxis> Axis(int index) override {
        frame_.Get().Axes().Item(index); // an axis that does not exist fails here
        return std::make_shared<EngineAxis>(frame_, index);
    }
    std::shared_ptr<ILayers> Layers() override {
        frame_.Get();
        return std::make_shared<EngineLayers>(frame_);
    }

private:
    FrameRef frame_;
};

class EngineShapes : public IShapes {
public:
    explicit EngineShapes(Link link) : link_(std::move(link)) {}
    std::shared_ptr<IMapFrame> AddContourMap(const std::string &gridFile) override {
        map::MapFrame &frame = link_->Get().Shapes().AddContourMap(gridFile);
        return std::make_shared<EngineMapFrame>(FrameRef{link_, &frame});
    }

private:
    Link link_;
};

class EnginePageSetup : public IPageSetup {
public:
    explicit EnginePageSetup(Link link) : link_(std::move(link)) {}
    void SetOrientation(int code) override { Page().SetOrientation(code); }
    void SetWidth(double width) override { Page().SetWidth(width); }
    void SetHeight(double height) override { Page().SetHeight(height); }
    void SetLeftMargin(double margin) override { Page().SetLeftMargin(margin); }
    void SetTopMargin(double margin) override { Page().SetTopMargin(margin); }
    void SetRightMargin(double margin) override { Page().SetRightMargin(margin); }
    void SetBottomMargin(double margin) override { Page().SetBottomMargin(margin); }

private:
    map::PageSetup &Page() { return link_->Get().PageSetup(); }
    Link link_;
};

class EnginePlotDocument : public IPlotDocument {
public:
    explicit EnginePlotDocument(Link link) : link_(std::move(link)) {}
    std::shared_ptr<IShapes> Shapes() override {
        link_->Get();
        return std::make_shared<EngineShapes>(link_);
    }
    std::shared_ptr<IPageSetup> PageSetup() override {
        link_->Get();
        return std::make_shared<EnginePageSetup>(link_);
    }
    void Close(int mode, const std::string &file) override {
        map::PlotDocument &document = link_->Get();
        document.Close(mode, file);
        link_->closed = true;
    }

private:
    Link link_;
};

class EngineDocuments : public IDocuments {
public:
    explicit EngineDocuments(std::shared_ptr<MapEngineSurfer::State> state)
        : state_(std::move(state)) {}
    int Count() override { return state_->engine.Documents().Count(); }
    void CloseAll(int mode) override {
        state_->engine.Documents().CloseAll(mode);
        state_->AllClosed();
    }
    std::shared_ptr<IPlotDocument> Add(int kind) override {
        return Wrap(state_->engine.Documents().Add(kind));
    }
    std::shared_ptr<IPlotDocument> Open(const std::string &file, int options) override {
        return Wrap(state_->engine.Documents().Open(file, options));
    }

private:
    std::shared_ptr<IPlotDocument> Wrap(map::PlotDocument &document) {
        return std::make_shared<EnginePlotDocument>(state_->Link(state_, document));
    }
    std::shared_ptr<MapEngineSurfer::State> state_;
};

} // namespace

bool MapServerSwitchedOffByEnvironment() {
    const char *value = std::getenv(kNoMapServerVariable);
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

MapEngineSurfer::MapEngineSurfer() : state_(std::make_shared<State>()) {}

MapEngineSurfer::~MapEngineSurfer() = default;

map::Application &MapEngineSurfer::Engine() {
    return state_->engine;
}

void MapEngineSurfer::SetVisible(bool visible) {
    state_->engine.SetVisible(visible);
}

std::shared_ptr<IDocuments> MapEngineSurfer::Documents() {
    return std::make_shared<EngineDocuments>(state_);
}

void MapEngineSurfer::GridData(std::span<const ServerArgument> arguments) {
    state_->engine.GridData(map::GridDataRequest::FromPositional(arguments));
}

SurferFactory MapEngineFactory(bool switchedOff) {
    return [switchedOff]() -> std::shared_ptr<IApplication> {
        if (switchedOff)
            throw MapServerError(std::string("The map server is switched off (") +
                                 kNoMapServerSwitch + " or " + kNoMapServerVariable + ")");
        return std::make_shared<MapEngineSurfer>();
    };
}

} // namespace orvex
