// What a processing run asks of the map server: grid the data sheets it wrote
// and draw the grids as map documents. The map-server module implements it;
// tests record the calls with a fake.
#pragma once

#include "orvex/processing/options.h"

#include <string>
#include <vector>

namespace orvex {

class MapBuilder {
public:
    virtual ~MapBuilder() = default;
    // Writes, for every data sheet, the grid of the same name with extension ".grd".
    virtual void GridDataFiles(const std::vector<std::string> &dataFiles,
                               const TKavSurfOpt &options) = 0;
    // Draws every grid into a map document of the same name with extension ".srf"
    // and shows it; outside a batch the open documents are closed first.
    virtual void CreateMapDocuments(const std::vector<std::string> &gridFiles, bool batchInProgress,
                                    const TKavSurfOpt &options) = 0;
    // Closes every document the map server holds open (none: nothing happens).
    virtual void CloseOpenDocuments() = 0;
};

} // namespace orvex
