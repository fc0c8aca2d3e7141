// The scope of one GDAL operation: drivers registered once, GDAL's own messages
// kept from the terminal and collected so the error this server raises can carry them.
#pragma once

#include <gdal_priv.h>

#include <memory>
#include <string>

namespace orvex::map {

class GdalSession {
public:
    GdalSession();
    ~GdalSession();
    GdalSession(const GdalSession &) = delete;
    GdalSession &operator=(const GdalSession &) = delete;

    // ": " followed by GDAL's last error message, or "" when it reported none.
    std::string Reason() const;
    // True once GDAL has reported an error in this session.
    bool Failed() const;

private:
    static void Collect(CPLErr level, CPLErrorNum number, const char *message);
};

struct GdalDatasetCloser {
    void operator()(GDALDataset *dataset) const { GDALClose(dataset); }
};
using GdalDataset = std::unique_ptr<GDALDataset, GdalDatasetCloser>;

} // namespace orvex::map
