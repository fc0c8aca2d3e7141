// The readers of outside files under libFuzzer: map documents, blanking files
// and data sheets. Each must refuse what it cannot read with MapServerError,
// never crash, read out of bounds or allocate from a corrupt count.
#include "document_codec.h"
#include "mapengine/gridding.h"
#include "mapengine/gridops.h"
#include "mapengine/layout.h"

#include "orvex/errors.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace orvex::map;
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    try {
        switch (data[0] % 3) {
        case 0: {
            Application server;
            auto document = DocumentCodec::Parse(bytes, "fuzz.srf", &server);
            // What was read must also lay out and measure.
            for (int i = 1; i <= document->Shapes().Count(); ++i)
                document->Shapes().Item(i).Bounds();
            break;
        }
        case 1:
            ParseBlankingText(bytes, "fuzz.bln");
            break;
        default:
            ParseDataSheet(bytes, "fuzz.dat", 1, 2, 3);
            break;
        }
    } catch (const orvex::MapServerError &) {
    }
    return 0;
}
