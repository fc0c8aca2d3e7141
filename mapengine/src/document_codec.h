// The document file: the whole plot document, its grids and polylines
// embedded, so it opens again after the files it was made from are gone.
//
// Layout: the 8 bytes "ORVEXMAP", the format version (uint32), the length of
// the body (uint64), the body, and the CRC-32 of the body (uint32); all
// numbers little-endian, reals IEEE doubles, texts a uint32 length and UTF-8.
#pragma once

#include "mapengine/model.h"

#include <memory>
#include <string>

namespace orvex::map {

class DocumentCodec {
public:
    static constexpr uint32_t kVersion = 1;
    // Writes all or nothing; throws MapServerError when the file cannot be written.
    static void Write(const PlotDocument &document, const std::string &path);
    // Throws MapServerError for a missing, damaged, truncated or newer file.
    static std::unique_ptr<PlotDocument> Read(const std::string &path, Application *application);
    // The same for a document file's bytes; `path` names it in messages.
    static std::unique_ptr<PlotDocument> Parse(std::string_view content, const std::string &path,
                                               Application *application);
};

} // namespace orvex::map
