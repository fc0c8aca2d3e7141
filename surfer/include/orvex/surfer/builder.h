// The grid and map builder: connects to the map server once at start-up, grids
// data sheets into ".grd" files, draws each grid into a ".srf" map document
// with the page, levels, colours and axes of the user's map-server options, and
// colours contour levels with one of five ramps. It works through the server
// interface of server.h only.
//
// Decisions where the working rules leave a choice:
// - A ramp with a single step (one level for the two-colour ramps, one step per
//   segment for the five-segment ramps, that is 3 to 7 levels) has nothing to
//   spread over: that step gets the start colour of its ramp or segment.
// - A level count of 0, 1 or below -1 cannot span the grid's range (a count of
//   1 would divide by zero): CreateMapDocuments refuses it with a RangeError
//   before it touches the server. -1 leaves the levels to the server.
// - A server failure ends the whole build at once; its error is a MapServerError
//   whose text names the file the builder was working on, then gives the
//   server's own message:
//     The map server could not grid "W/map1.dat": <server's message>
//     The map server could not draw the map of "W/map1.grd": <server's message>
//     The map server could not close its open documents: <server's message>
//   Files written before the failure stay.
// - Whether a batch is running is not kept here: it is TKavRecords::BatchInProgress
//   of the processing engine's records, set by RunBatch, and callers pass its value.
#pragma once

#include "orvex/processing/map_builder.h"
#include "orvex/processing/options.h"
#include "orvex/surfer/server.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvex {

class Prompts;

inline constexpr const char *kSurferNotInstalled =
    "Surfer is not Installed at this Computer! You Could not Use Automatic Visualization!";

// The program-wide references to the map server's objects. The application is
// set once by ConnectSurfer; every build replaces the others, so after a call
// they designate the objects of the last document built. The relief section
// builder reads and replaces the same references.
struct SurferContext {
    std::shared_ptr<IApplication> Application;
    std::shared_ptr<IPlotDocument> PlotDocument; // the last document created
    std::shared_ptr<IMapFrame> MapFrame;         // the map added to it
    std::shared_ptr<ILayers> Layers;             // that map's layer collection
    std::shared_ptr<ILayer> Layer;               // its layer 1
    std::shared_ptr<ILevels> Levels;             // that layer's levels
    std::shared_ptr<ILevel> Level;               // the level coloured last
    std::shared_ptr<IAxis> Axis;                 // the axis handled last
};

// True when ConnectSurfer reached the server: the application reference is held.
inline bool SurferAvailable(const SurferContext &context) {
    return context.Application != nullptr;
}

// Creates the server's application object; throws when the server cannot be created.
using SurferFactory = std::function<std::shared_ptr<IApplication>()>;

// Run once while the program starts. Creates the application object and holds
// it in `context`; when that fails for any reason, shows the warning
// kSurferNotInstalled (one OK button) and calls `runWithoutSurfer`, which
// disables the commands and option pages that need the server. Returns
// SurferAvailable(context).
bool ConnectSurfer(SurferContext &context, const SurferFactory &create, Prompts &prompts,
                   const std::function<void()> &runWithoutSurfer);

// The 57 positional arguments of the gridding call for one data sheet:
// columns 1, 2, 3 as x, y, z, the node counts, triangulation with linear
// interpolation (9), no report, R², the grid named like the sheet with
// extension ".grd", and the Golden Software 7 binary format (3). The rest are null.
std::vector<ServerArgument> GridDataArguments(const std::string &dataFile,
                                              const TKavSurfOpt &options);

// Has the server write, for every data sheet in order, the grid of the same name
// with extension ".grd".
void GridDataFiles(SurferContext &context, const std::vector<std::string> &dataFiles,
                   const TKavSurfOpt &options);

// Outside a batch, first closes the documents open in the server. Then, for
// every grid in order: a new document with the options' page, a filled contour
// map of the grid with the options' levels, colours, colour scale and major
// interval, written and closed as the ".srf" of the grid's name, opened again
// and shown in the server's window.
void CreateMapDocuments(SurferContext &context, const std::vector<std::string> &gridFiles,
                        bool batchInProgress, const TKavSurfOpt &options);

// Colours every level of `levels` with the ramp; a code outside the five ramps
// leaves the colours as they are. The last level coloured becomes context.Level.
void FillLevelColors(SurferContext &context, ColorRamp code,
                     const std::shared_ptr<ILevels> &levels);

// Closes every document open in the server (mode 1), when there is any.
void CloseOpenDocuments(SurferContext &context);

// The processing runs' view of the builder. Without a server (the context's
// application is null) gridding and drawing raise MapServerError and closing
// does nothing.
class SurferMapBuilder : public MapBuilder {
public:
    explicit SurferMapBuilder(SurferContext &context) : context_(context) {}
    void GridDataFiles(const std::vector<std::string> &dataFiles,
                       const TKavSurfOpt &options) override;
    void CreateMapDocuments(const std::vector<std::string> &gridFiles, bool batchInProgress,
                            const TKavSurfOpt &options) override;
    void CloseOpenDocuments() override;

private:
    SurferContext &context_;
};

} // namespace orvex
