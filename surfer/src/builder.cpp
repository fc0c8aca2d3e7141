#include "orvex/surfer/builder.h"

#include "orvex/errors.h"
#include "orvex/prompts.h"
#include "orvex/text.h"

#include <array>

namespace orvex {

namespace {

struct Rgb {
    int r, g, b;
};

int Encode(const Rgb &c) {
    return c.r + 256 * c.g + 65536 * c.b;
}

// The integer nearest to num / den (den > 0), halves to the even neighbour.
int RoundHalfEven(long long num, long long den) {
    long long q = num / den, r = num % den;
    if (r < 0) { // floor division
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return static_cast<int>(q);
}

// A ramp of `steps` steps from `start` to `end`, step i counted from 0; a ramp
// of one step stays at its start.
template <typename Divide>
Rgb Blend(const Rgb &start, const Rgb &end, int i, int steps, Divide divide) {
    if (steps <= 1) return start;
    const auto part = [&](int from, int to) { return from + divide((to - from) * i, steps - 1); };
    return {part(start.r, end.r), part(start.g, end.g), part(start.b, end.b)};
}

int Truncate(long long num, long long den) {
    return static_cast<int>(num / den);
}

struct TwoColorRamp {
    Rgb start, end;
};
constexpr std::array<TwoColorRamp, 3> kTwoColorRamps = {{
    {{0, 255, 255}, {255, 100, 0}}, // "Cyan - Orange"
    {{0, 0, 255}, {255, 0, 0}},     // "Blue - Red"
    {{255, 255, 50}, {90, 50, 5}},  // "Yellow - Brown"
}};

// The five segments of "Rainbow"; "Invert Rainbow" runs through them backwards
// from magenta, segment by segment.
constexpr std::array<Rgb, 6> kRainbow = {
    {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255}, {0, 0, 255}, {255, 0, 255}}};
constexpr std::array<Rgb, 6> kInvertRainbow = {
    {{255, 0, 255}, {0, 0, 255}, {0, 255, 255}, {0, 255, 0}, {255, 255, 0}, {255, 0, 0}}};

void ColorLevel(SurferContext &context, ILevels &levels, int k, const Rgb &color) {
    context.Level = levels.Item(k);
    context.Level->SetFillColor(Encode(color));
}

// Runs `step`, turning a server failure into one that names the file at hand.
template <typename Step> void ForFile(const std::string &what, const std::string &file, Step step) {
    try {
        step();
    } catch (const MapServerError &error) {
        throw MapServerError("The map server could not " + what + " \"" + file +
                             "\": " + error.what());
    }
}

IApplication &Server(const SurferContext &context) {
    if (!context.Application) throw MapServerError("The map server is not available");
    return *context.Application;
}

void DrawMap(SurferContext &context, const std::string &gridFile, const TKavSurfOpt &o) {
    IApplication &server = Server(context);
    context.PlotDocument = server.Documents()->Add(1);
    const std::shared_ptr<IPageSetup> page = context.PlotDocument->PageSetup();
    page->SetOrientation(o.Landscape == 0 ? 1 : 2);
    page->SetWidth(o.PageWidth);
    page->SetHeight(o.PageHeight);
    page->SetLeftMargin(o.MarginLeft);
    page->SetTopMargin(o.MarginTop);
    page->SetRightMargin(o.MarginRight);
    page->SetBottomMargin(o.MarginBottom);

    context.MapFrame = context.PlotDocument->Shapes()->AddContourMap(gridFile);
    context.Layers = context.MapFrame->Layers();
    context.Layer = context.Layers->Item(1);
    context.Layer->SetFilled(true);
    context.Levels = context.Layer->Levels();
    context.Levels->Reset(1, 0, 1);
    context.Layer->SetShowColorScale(o.ShowScale);
    if (o.NumLevels != -1) {
        const std::shared_ptr<IGrid> grid = context.Layer->Grid();
        const double lo = grid->ZMin(), hi = grid->ZMax();
        context.Levels->Regenerate(lo, hi, (hi - lo) / (o.NumLevels - 1));
    }
    FillLevelColors(context, o.ColorMap, context.Levels);

    for (int i = 1; i <= 4; ++i) {
        context.Axis = context.MapFrame->Axis(i);
        const double first = context.Axis->FirstMajorTick();
        const double last = context.Axis->LastMajorTick();
        context.Axis->SetScale(std::nullopt, std::nullopt, o.MajorInterval, first, last,
                               std::nullopt, std::nullopt);
    }

    const std::string document = ChangeExtension(gridFile, ".srf");
    context.PlotDocument->Close(1, document);
    server.Documents()->Open(document, 0);
    server.SetVisible(true);
}

} // namespace

bool ConnectSurfer(SurferContext &context, const SurferFactory &create, Prompts &prompts,
                   const std::function<void()> &runWithoutSurfer) {
    try {
        context.Application = create();
    } catch (const std::exception &) {
        // Why the server could not be created plays no part: the program runs without it.
        context.Application = nullptr;
    }
    if (SurferAvailable(context)) return true;
    prompts.Warn(kSurferNotInstalled);
    if (runWithoutSurfer) runWithoutSurfer();
    return false;
}

std::vector<ServerArgument> GridDataArguments(const std::string &dataFile,
                                              const TKavSurfOpt &options) {
    std::vector<ServerArgument> arguments(57);
    const auto at = [&](int position) -> ServerArgument & { return arguments[position - 1]; };
    at(1) = dataFile;
    at(2) = 1;
    at(3) = 2;
    at(4) = 3;
    if (options.NumColumns) at(9) = int{*options.NumColumns};
    if (options.NumRows) at(10) = int{*options.NumRows};
    at(15) = 9;
    at(16) = false;
    if (options.RSquared) at(49) = *options.RSquared;
    at(50) = ChangeExtension(dataFile, ".grd");
    at(51) = 3;
    return arguments;
}

void GridDataFiles(SurferContext &context, const std::vector<std::string> &dataFiles,
                   const TKavSurfOpt &options) {
    for (const std::string &file : dataFiles)
        ForFile("grid", file, [&] { Server(context).GridData(GridDataArguments(file, options)); });
}

void CloseOpenDocuments(SurferContext &context) {
    if (!SurferAvailable(context)) return;
    try {
        const std::shared_ptr<IDocuments> documents = context.Application->Documents();
        if (documents->Count() > 0) documents->CloseAll(1);
    } catch (const MapServerError &error) {
        throw MapServerError(std::string("The map server could not close its open documents: ") +
                             error.what());
    }
}

void CreateMapDocuments(SurferContext &context, const std::vector<std::string> &gridFiles,
                        bool batchInProgress, const TKavSurfOpt &options) {
    if (options.NumLevels != -1 && options.NumLevels < 2)
        throw RangeError("A map needs at least 2 contour levels (or the map server's own), not " +
                         std::to_string(options.NumLevels));
    if (!batchInProgress) CloseOpenDocuments(context);
    for (const std::string &grid : gridFiles)
        ForFile("draw the map of", grid, [&] { DrawMap(context, grid, options); });
}

void FillLevelColors(SurferContext &context, ColorRamp code,
                     const std::shared_ptr<ILevels> &levels) {
    const int n = levels->Count();
    const auto index = static_cast<size_t>(code);
    if (index < kTwoColorRamps.size()) {
        const TwoColorRamp &ramp = kTwoColorRamps[index];
        for (int k = 1; k <= n; ++k)
            ColorLevel(context, *levels, k, Blend(ramp.start, ramp.end, k - 1, n, RoundHalfEven));
        return;
    }
    if (code != ColorRamp::Rainbow && code != ColorRamp::InvertRainbow) return;
    const std::array<Rgb, 6> &ends = code == ColorRamp::Rainbow ? kRainbow : kInvertRainbow;
    // m steps per segment; levels past the fifth segment keep the server's colours.
    const int m = RoundHalfEven(n, 5);
    int q = 1;
    for (size_t s = 0; s < 5; ++s)
        for (int l = 1; l <= m; ++l, ++q)
            if (q <= levels->Count())
                ColorLevel(context, *levels, q, Blend(ends[s], ends[s + 1], l - 1, m, Truncate));
}

void SurferMapBuilder::GridDataFiles(const std::vector<std::string> &dataFiles,
                                     const TKavSurfOpt &options) {
    orvex::GridDataFiles(context_, dataFiles, options);
}

void SurferMapBuilder::CreateMapDocuments(const std::vector<std::string> &gridFiles,
                                          bool batchInProgress, const TKavSurfOpt &options) {
    orvex::CreateMapDocuments(context_, gridFiles, batchInProgress, options);
}

void SurferMapBuilder::CloseOpenDocuments() {
    orvex::CloseOpenDocuments(context_);
}

} // namespace orvex
