// A stand-in for the map server that writes down every call made to it, in
// order, as a line of text ("PageSetup.SetWidth(29.7)"; texts quoted, null
// arguments as "null"), answers from a small script and fails on request. For
// tests of the builder and of the windows and runs that use it.
#pragma once

#include "orvex/surfer/server.h"

#include <memory>
#include <string>
#include <vector>

namespace orvex {

class RecordingSurfer {
public:
    // What the server answers.
    struct Script {
        int openDocuments = 0;       // documents open before the first call
        int serverLevels = 10;       // levels a new map gets, and Reset(…, …, 1) restores
        double zMin = 0, zMax = 100; // every grid's range
        double firstTick = 0, lastTick = 100; // every axis's first and last major tick
        // A call whose text starts with this is written down and then throws MapServerError.
        std::string failOn;
    };
    // The fill every level has until it is coloured: the server's grey.
    static constexpr int kServerColor = 128 + 256 * 128 + 65536 * 128;

    RecordingSurfer();
    explicit RecordingSurfer(Script script);
    ~RecordingSurfer();

    std::shared_ptr<IApplication> Application() const;
    // A level collection of `count` levels on its own, writing to the same record.
    std::shared_ptr<ILevels> Levels(int count) const;

    const std::vector<std::string> &Calls() const;
    // The arguments of every gridding call, in order.
    const std::vector<std::vector<ServerArgument>> &GridDataCalls() const;
    // The fills of the levels of the last map added or collection made, level 1 first.
    std::vector<int> LevelColors() const;
    int OpenDocuments() const;
    bool Visible() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace orvex
