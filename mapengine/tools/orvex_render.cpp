// orvex-render DOCUMENT OUTPUT.{png,svg,pdf} [--dpi N]: draws a map document
// into a picture, without a display.
#include "mapengine/model.h"
#include "mapengine/render.h"

#include "orvex/errors.h"
#include "orvex/text.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: orvex-render DOCUMENT OUTPUT.{png,svg,pdf} [--dpi N]\n"
                         "Draws a map document into a picture; the PNG at 150 dots per inch "
                         "unless --dpi says otherwise.\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    std::string document, output;
    double dpi = 150;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dpi" && i + 1 < argc) {
            if (!orvex::TryParseReal(argv[++i], '.', dpi)) return Usage();
        } else if (arg == "-h" || arg == "--help") {
            return Usage();
        } else if (document.empty()) {
            document = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return Usage();
        }
    }
    if (document.empty() || output.empty()) return Usage();

    // Without a display the offscreen platform draws just as well.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    try {
        orvex::map::Application server;
        orvex::map::PlotDocument &plot = server.Documents().Open(document);
        orvex::map::ExportDocument(plot, output, dpi);
    } catch (const orvex::Error &error) {
        std::fprintf(stderr, "orvex-render: %s\n", error.what());
        return 1;
    }
    std::printf("%s\n", output.c_str());
    return 0;
}
