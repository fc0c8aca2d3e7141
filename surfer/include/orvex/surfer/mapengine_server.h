// The program's own map server (mapengine) behind the builder's interface, and
// the factory ConnectSurfer is given at start-up, which a command-line switch or
// an environment variable turn into one that fails, so the program starts as if
// the server could not be created.
#pragma once

#include "mapengine/model.h"
#include "orvex/surfer/builder.h"

#include <memory>

namespace orvex {

inline constexpr const char *kNoMapServerSwitch = "--no-map-server";
inline constexpr const char *kNoMapServerVariable = "ORVEX_NO_MAP_SERVER";

// True when ORVEX_NO_MAP_SERVER is set to anything but "" or "0".
bool MapServerSwitchedOffByEnvironment();

// The map server's application behind IApplication. The objects it hands out
// keep the server alive; one whose document has been closed (by the builder or
// in the viewer window) raises MapServerError instead of reaching freed memory.
class MapEngineSurfer : public IApplication {
public:
    MapEngineSurfer();
    ~MapEngineSurfer() override;

    // The server itself, for its viewer window.
    map::Application &Engine();

    void SetVisible(bool visible) override;
    std::shared_ptr<IDocuments> Documents() override;
    void GridData(std::span<const ServerArgument> arguments) override;

    struct State;

private:
    std::shared_ptr<State> state_;
};

// A factory of MapEngineSurfer; with `switchedOff` it throws MapServerError
// instead, as when the server cannot be created.
SurferFactory MapEngineFactory(bool switchedOff);

} // namespace orvex
