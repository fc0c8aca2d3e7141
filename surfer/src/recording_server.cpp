#include "orvex/surfer/recording_server.h"

#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/text.h"

#include <cmath>
#include <optional>
#include <type_traits>

namespace orvex {

namespace {

std::string Text(const std::string &text) {
    return "\"" + text + "\"";
}
std::string Text(double value) {
    return FormatGeneral(value);
}
std::string Text(int value) {
    return std::to_string(value);
}
std::string Text(bool value) {
    return value ? "true" : "false";
}
template <typename T> std::string Text(const std::optional<T> &value) {
    return value ? Text(*value) : "null";
}
std::string Text(const ServerArgument &argument) {
    return std::visit(
        [](const auto &value) -> std::string {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::monostate>)
                return "null";
            else
                return Text(value);
        },
        argument);
}

template <typename... Arguments>
std::string Call(const std::string &name, const Arguments &...arguments) {
    std::string text = name + "(";
    [[maybe_unused]] const char *separator = "";
    ((text += separator + Text(arguments), separator = ", "), ...);
    return text + ")";
}

struct LevelFills {
    std::vector<int> colors;
    void Assign(int count) {
        colors.assign(static_cast<size_t>(count), RecordingSurfer::kServerColor);
    }
};

} // namespace

struct RecordingSurfer::State {
    Script script;
    std::vector<std::string> calls;
    std::vector<std::vector<ServerArgument>> grids;
    int openDocuments = 0;
    bool visible = false;
    std::shared_ptr<LevelFills> lastLevels;

    void Record(const std::string &call) {
        calls.push_back(call);
        if (!script.failOn.empty() && StartsWith(call, script.failOn))
            throw MapServerError(call + " failed");
    }
};

namespace {

using State = std::shared_ptr<RecordingSurfer::State>;

class FakeGrid : public IGrid {
public:
    explicit FakeGrid(State state) : state_(std::move(state)) {}
    double ZMin() override {
        state_->Record(Call("Grid.ZMin"));
        return state_->script.zMin;
    }
    double ZMax() override {
        state_->Record(Call("Grid.ZMax"));
        return state_->script.zMax;
    }

private:
    State state_;
};

class FakeLevel : public ILevel {
public:
    FakeLevel(State state, std::shared_ptr<LevelFills> fills, int k)
        : state_(std::move(state)), fills_(std::move(fills)), k_(k) {}
    void SetFillColor(int rgb) override {
        state_->Record(Call("Level(" + std::to_string(k_) + ").SetFillColor", rgb));
        if (k_ > static_cast<int>(fills_->colors.size()))
            throw MapServerError("Level " + std::to_string(k_) + " is gone");
        fills_->colors[static_cast<size_t>(k_ - 1)] = rgb;
    }

private:
    State state_;
    std::shared_ptr<LevelFills> fills_;
    int k_;
};

class FakeLevels : public ILevels {
public:
    FakeLevels(State state, std::shared_ptr<LevelFills> fills)
        : state_(std::move(state)), fills_(std::move(fills)) {}
    int Count() override {
        state_->Record(Call("Levels.Count"));
        return static_cast<int>(fills_->colors.size());
    }
    std::shared_ptr<ILevel> Item(int k) override {
        state_->Record(Call("Levels.Item", k));
        if (k < 1 || k > static_cast<int>(fills_->colors.size()))
            throw MapServerError("There is no level " + std::to_string(k));
        return std::make_shared<FakeLevel>(state_, fills_, k);
    }
    void Regenerate(double first, double last, double step) override {
        state_->Record(Call("Levels.Regenerate", first, last, step));
        if (first == last) return fills_->Assign(1);
        if (!(last > first) || !(step > 0)) throw MapServerError("Bad levels");
        fills_->Assign(static_cast<int>(std::floor((last - first) / step * (1 + 1e-12) + 1e-9)) +
                       1);
    }
    void Reset(int lineEvery, int labelEvery, int restoreDefaults) override {
        state_->Record(Call("Levels.Reset", lineEvery, labelEvery, restoreDefaults));
        if (restoreDefaults != 0) fills_->Assign(state_->script.serverLevels);
    }

private:
    State state_;
    std::shared_ptr<LevelFills> fills_;
};

class FakeLayer : public ILayer {
public:
    FakeLayer(State state, std::shared_ptr<LevelFills> fills)
        : state_(std::move(state)), fills_(std::move(fills)) {}
    void SetFilled(bool on) override { state_->Record(Call("Layer.SetFilled", on)); }
    void SetShowColorScale(bool on) override {
        state_->Record(Call("Layer.SetShowColorScale", on));
    }
    std::shared_ptr<ILevels> Levels() override {
        state_->Record(Call("Layer.Levels"));
        return std::make_shared<FakeLevels>(state_, fills_);
    }
    std::shared_ptr<IGrid> Grid() override {
        state_->Record(Call("Layer.Grid"));
        return std::make_shared<FakeGrid>(state_);
    }

private:
    State state_;
    std::shared_ptr<LevelFills> fills_;
};

class FakeLayers : public ILayers {
public:
    FakeLayers(State state, std::shared_ptr<LevelFills> fills)
        : state_(std::move(state)), fills_(std::move(fills)) {}
    std::shared_ptr<ILayer> Item(int index) override {
        state_->Record(Call("Layers.Item", index));
        if (index != 1) throw MapServerError("A new map has one layer");
        return std::make_shared<FakeLayer>(state_, fills_);
    }

private:
    State state_;
    std::shared_ptr<LevelFills> fills_;
};

class FakeAxis : public IAxis {
public:
    FakeAxis(State state, int index)
        : state_(std::move(state)), name_("Axis(" + std::to_string(index) + ")") {}
    double FirstMajorTick() override {
        state_->Record(Call(name_ + ".FirstMajorTick"));
        return state_->script.firstTick;
    }
    double LastMajorTick() override {
        state_->Record(Call(name_ + ".LastMajorTick"));
        return state_->script.lastTick;
    }
    void SetScale(std::optional<double> minimum, std::optional<double> maximum,
                  std::optional<double> majorInterval, std::optional<double> firstMajorTick,
                  std::optional<double> lastMajorTick, std::optional<double> crossAt,
                  std::optional<int> labelEvery) override {
        state_->Record(Call(name_ + ".SetScale", minimum, maximum, majorInterval, firstMajorTick,
                            lastMajorTick, crossAt, labelEvery));
    }

private:
    State state_;
    std::string name_;
};

class FakeMapFrame : public IMapFrame {
public:
    FakeMapFrame(State state, std::shared_ptr<LevelFills> fills)
        : state_(std::move(state)), fills_(std::move(fills)) {}
    std::shared_ptr<IAxis> Axis(int index) override {
        state_->Record(Call("MapFrame.Axis", index));
        if (index < 1 || index > 4) throw MapServerError("A map has axes 1 to 4");
        return std::make_shared<FakeAxis>(state_, index);
    }
    std::shared_ptr<ILayers> Layers() override {
        state_->Record(Call("MapFrame.Layers"));
        return std::make_shared<FakeLayers>(state_, fills_);
    }

private:
    State state_;
    std::shared_ptr<LevelFills> fills_;
};

class FakeShapes : public IShapes {
public:
    explicit FakeShapes(State state) : state_(std::move(state)) {}
    std::shared_ptr<IMapFrame> AddContourMap(const std::string &gridFile) override {
        state_->Record(Call("Shapes.AddContourMap", gridFile));
        state_->lastLevels = std::make_shared<LevelFills>();
        state_->lastLevels->Assign(state_->script.serverLevels);
        return std::make_shared<FakeMapFrame>(state_, state_->lastLevels);
    }

private:
    State state_;
};

class FakePageSetup : public IPageSetup {
public:
    explicit FakePageSetup(State state) : state_(std::move(state)) {}
    void SetOrientation(int code) override {
        state_->Record(Call("PageSetup.SetOrientation", code));
    }
    void SetWidth(double width) override { state_->Record(Call("PageSetup.SetWidth", width)); }
    void SetHeight(double height) override { state_->Record(Call("PageSetup.SetHeight", height)); }
    void SetLeftMargin(double margin) override {
        state_->Record(Call("PageSetup.SetLeftMargin", margin));
    }
    void SetTopMargin(double margin) override {
        state_->Record(Call("PageSetup.SetTopMargin", margin));
    }
    void SetRightMargin(double margin) override {
        state_->Record(Call("PageSetup.SetRightMargin", margin));
    }
    void SetBottomMargin(double margin) override {
        state_->Record(Call("PageSetup.SetBottomMargin", margin));
    }

private:
    State state_;
};

class FakePlotDocument : public IPlotDocument {
public:
    explicit FakePlotDocument(State state) : state_(std::move(state)) {}
    std::shared_ptr<IShapes> Shapes() override {
        state_->Record(Call("PlotDocument.Shapes"));
        return std::make_shared<FakeShapes>(state_);
    }
    std::shared_ptr<IPageSetup> PageSetup() override {
        state_->Record(Call("PlotDocument.PageSetup"));
        return std::make_shared<FakePageSetup>(state_);
    }
    void Close(int mode, const std::string &file) override {
        state_->Record(Call("PlotDocument.Close", mode, file));
        --state_->openDocuments;
    }

private:
    State state_;
};

class FakeDocuments : public IDocuments {
public:
    explicit FakeDocuments(State state) : state_(std::move(state)) {}
    int Count() override {
        state_->Record(Call("Documents.Count"));
        return state_->openDocuments;
    }
    void CloseAll(int mode) override {
        state_->Record(Call("Documents.CloseAll", mode));
        state_->openDocuments = 0;
    }
    std::shared_ptr<IPlotDocument> Add(int kind) override {
        state_->Record(Call("Documents.Add", kind));
        ++state_->openDocuments;
        return std::make_shared<FakePlotDocument>(state_);
    }
    std::shared_ptr<IPlotDocument> Open(const std::string &file, int options) override {
        state_->Record(Call("Documents.Open", file, options));
        ++state_->openDocuments;
        return std::make_shared<FakePlotDocument>(state_);
    }

private:
    State state_;
};

class FakeApplication : public IApplication {
public:
    explicit FakeApplication(State state) : state_(std::move(state)) {}
    void SetVisible(bool visible) override {
        state_->Record(Call("Application.SetVisible", visible));
        state_->visible = visible;
    }
    std::shared_ptr<IDocuments> Documents() override {
        state_->Record(Call("Application.Documents"));
        return std::make_shared<FakeDocuments>(state_);
    }
    void GridData(std::span<const ServerArgument> arguments) override {
        state_->grids.emplace_back(arguments.begin(), arguments.end());
        state_->Record("Application.GridData(" +
                       (arguments.empty() ? std::string() : Text(arguments[0])) + ")");
    }

private:
    State state_;
};

} // namespace

RecordingSurfer::RecordingSurfer() : RecordingSurfer(Script{}) {}

RecordingSurfer::RecordingSurfer(Script script) : state_(std::make_shared<State>()) {
    state_->openDocuments = script.openDocuments;
    state_->script = std::move(script);
}

RecordingSurfer::~RecordingSurfer() = default;

std::shared_ptr<IApplication> RecordingSurfer::Application() const {
    return std::make_shared<FakeApplication>(state_);
}

std::shared_ptr<ILevels> RecordingSurfer::Levels(int count) const {
    state_->lastLevels = std::make_shared<LevelFills>();
    state_->lastLevels->Assign(count);
    return std::make_shared<FakeLevels>(state_, state_->lastLevels);
}

const std::vector<std::string> &RecordingSurfer::Calls() const {
    return state_->calls;
}

const std::vector<std::vector<ServerArgument>> &RecordingSurfer::GridDataCalls() const {
    return state_->grids;
}

std::vector<int> RecordingSurfer::LevelColors() const {
    return state_->lastLevels ? state_->lastLevels->colors : std::vector<int>{};
}

int RecordingSurfer::OpenDocuments() const {
    return state_->openDocuments;
}

bool RecordingSurfer::Visible() const {
    return state_->visible;
}

} // namespace orvex
