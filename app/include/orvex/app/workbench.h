// The program as a whole: the main window, the tool windows created hidden at
// start-up in their fixed order, the map server reached at the Create Maps
// window's place in that order, and the processing engine's own survey object
// for the program's run. Each tool window joins by a factory in its place.
#pragma once

#include "orvex/app/main_form.h"
#include "orvex/app/tool_windows.h"
#include "orvex/processing/kav_records.h"
#include "orvex/prompts.h"
#include "orvex/surfer/builder.h"
#include "orvex/surfer/mapengine_server.h"

#include <array>
#include <functional>
#include <memory>

class QWidget;

namespace orvex {

namespace map {
class ServerWindow;
}

class TWorkbench;

// Creates a tool window (top-level, hidden) for the workbench.
using ToolWindowFactory = std::function<QWidget *(TWorkbench &)>;
using ToolWindowFactories = std::array<ToolWindowFactory, kToolWindowCount>;

// The factories of the tool windows the program has; an empty one is a window
// not built yet, which is skipped and whose commands stay disabled.
ToolWindowFactories BuiltToolWindows();

// Channel k's frequency of a device as the processing engine holds it, for the
// Edit Data windows' headers; 0.0 for a calibration set never read.
double EngineChannelFrequency(const TKavRecords &engine, int32_t deviceNumber, int channel);

class TWorkbench {
public:
    // `mapServer` creates the map server when the start-up reaches Create Maps.
    explicit TWorkbench(Prompts &prompts, ToolWindowFactories factories = BuiltToolWindows(),
                        SurferFactory mapServer = MapEngineFactory(false));
    ~TWorkbench();
    TWorkbench(const TWorkbench &) = delete;
    TWorkbench &operator=(const TWorkbench &) = delete;

    // Creates the main window, then every tool window that exists, in the
    // start-up order, all hidden; each carries its help topic. Connecting to the
    // map server comes with Create Maps: without a server the user is warned
    // and the commands that need it stay disabled.
    void CreateWindows();

    TMainForm &MainForm() { return *main_; }
    QWidget *Window(ToolWindow which) const { return windows_[static_cast<size_t>(which)]; }
    // The processing engine's survey object.
    TKavRecords &Engine() { return engine_; }
    Prompts &UserPrompts() { return prompts_; }
    // The references to the map server's objects; no application without a server.
    SurferContext &Surfer() { return surfer_; }
    // The map server's window, while there is a server of our own.
    map::ServerWindow *ServerWindow() const { return serverWindow_.get(); }

private:
    void ConnectMapServer();

    Prompts &prompts_;
    ToolWindowFactories factories_;
    SurferFactory mapServer_;
    TKavRecords engine_;
    SurferContext surfer_;
    std::unique_ptr<map::ServerWindow> serverWindow_; // destroyed before the server it shows
    std::unique_ptr<TMainForm> main_;
    std::array<QWidget *, kToolWindowCount> windows_{};
};

} // namespace orvex
