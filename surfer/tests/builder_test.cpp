// The grid and map builder against the recording server: the colour ramps, the
// gridding call's arguments, the order of a map build, start-up without a server.
#include "orvex/errors.h"
#include "orvex/format.h"
#include "orvex/prompts.h"
#include "orvex/surfer/builder.h"
#include "orvex/surfer/mapengine_server.h"
#include "orvex/surfer/recording_server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace orvex;
using ::testing::HasSubstr;

namespace {

struct Rgb {
    int r, g, b;
};

std::vector<int> Colors(std::initializer_list<Rgb> colors) {
    std::vector<int> encoded;
    for (const Rgb &c : colors)
        encoded.push_back(c.r + 256 * c.g + 65536 * c.b);
    return encoded;
}

constexpr int kGrey = RecordingSurfer::kServerColor;

SurferContext Connected(const RecordingSurfer &server) {
    SurferContext context;
    context.Application = server.Application();
    return context;
}

RecordingSurfer::Script FailingOn(const std::string &call) {
    RecordingSurfer::Script script;
    script.failOn = call;
    return script;
}

// The ten levels of "Rainbow" with two steps per segment.
const std::vector<int> kRainbowOfTen = Colors({{255, 0, 0},
                                               {255, 255, 0},
                                               {255, 255, 0},
                                               {0, 255, 0},
                                               {0, 255, 0},
                                               {0, 255, 255},
                                               {0, 255, 255},
                                               {0, 0, 255},
                                               {0, 0, 255},
                                               {255, 0, 255}});

std::vector<int> Concat(std::vector<int> a, const std::vector<int> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<int> First(const std::vector<int> &a, size_t n) {
    return {a.begin(), a.begin() + n};
}

struct RampCase {
    const char *name;
    int code;
    int levels;
    std::vector<int> expected;
};

class FillLevelColorsTest : public ::testing::TestWithParam<RampCase> {};

TEST_P(FillLevelColorsTest, ColoursEveryLevelTheRampReaches) {
    const RampCase &c = GetParam();
    RecordingSurfer server;
    SurferContext context;
    FillLevelColors(context, static_cast<ColorRamp>(c.code), server.Levels(c.levels));
    EXPECT_EQ(server.LevelColors(), c.expected);
    // Levels are asked for only while they exist.
    for (const std::string &call : server.Calls())
        EXPECT_NE(call, "Levels.Item(" + std::to_string(c.levels + 1) + ")");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Ramps, FillLevelColorsTest,
    ::testing::Values(
        RampCase{"RainbowOfTen", 3, 10, kRainbowOfTen},
        // Two steps per segment still: levels past ten keep the server's colour.
        RampCase{"RainbowOfTwelve", 3, 12, Concat(kRainbowOfTen, {kGrey, kGrey})},
        // The tenth step finds no level 10 and is skipped.
        RampCase{"RainbowOfNine", 3, 9, First(kRainbowOfTen, 9)},
        // Three steps per segment: the middle step is truncated toward zero, so
        // 255 − 127.5 gives 128 going down.
        RampCase{"RainbowOfFifteen", 3, 15,
                 Colors({{255, 0, 0},   {255, 127, 0}, {255, 255, 0},
                         {255, 255, 0}, {128, 255, 0}, {0, 255, 0},
                         {0, 255, 0},   {0, 255, 127}, {0, 255, 255},
                         {0, 255, 255}, {0, 128, 255}, {0, 0, 255},
                         {0, 0, 255},   {127, 0, 255}, {255, 0, 255}})},
        RampCase{"InvertRainbowOfTen", 4, 10,
                 Colors({{255, 0, 255}, {0, 0, 255},   {0, 0, 255},   {0, 255, 255},
                         {0, 255, 255}, {0, 255, 0},   {0, 255, 0},   {255, 255, 0},
                         {255, 255, 0}, {255, 0, 0}})},
        // One step per segment (3 to 7 levels): each segment gives its start colour.
        RampCase{"RainbowOfFive", 3, 5,
                 Colors({{255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255}, {0, 0, 255}})},
        RampCase{"InvertRainbowOfSeven", 4, 7,
                 Concat(Colors({{255, 0, 255}, {0, 0, 255}, {0, 255, 255}, {0, 255, 0},
                                {255, 255, 0}}),
                        {kGrey, kGrey})},
        RampCase{"RainbowOfThree", 3, 3, Colors({{255, 0, 0}, {255, 255, 0}, {0, 255, 0}})},
        // Two levels round to no step per segment: nothing is coloured.
        RampCase{"RainbowOfTwo", 3, 2, {kGrey, kGrey}},
        // 127.5, −77.5 and −127.5 round to 128, −78 and −128.
        RampCase{"CyanOrangeOfThree", 0, 3, Colors({{0, 255, 255}, {128, 177, 127}, {255, 100, 0}})},
        // Negative halves go to the even neighbour too: −82.5 → −82, −102.5 → −102.
        RampCase{"YellowBrownOfFive", 2, 5,
                 Colors({{255, 255, 50}, {214, 204, 39}, {173, 153, 28}, {131, 101, 16},
                         {90, 50, 5}})},
        RampCase{"BlueRedOfTwo", 1, 2, Colors({{0, 0, 255}, {255, 0, 0}})},
        // A single level of a two-colour ramp takes the start colour.
        RampCase{"CyanOrangeOfOne", 0, 1, Colors({{0, 255, 255}})},
        RampCase{"NoLevels", 3, 0, {}},
        RampCase{"NoLevelsTwoColour", 1, 0, {}},
        RampCase{"UnknownCode", 7, 4, {kGrey, kGrey, kGrey, kGrey}}),
    [](const ::testing::TestParamInfo<RampCase> &info) { return std::string(info.param.name); });
// clang-format on

TEST(FillLevelColors, LeavesTheLastLevelColouredAsTheCurrentLevel) {
    RecordingSurfer server;
    SurferContext context;
    FillLevelColors(context, ColorRamp::Rainbow, server.Levels(12));
    ASSERT_NE(context.Level, nullptr);
    context.Level->SetFillColor(1);
    EXPECT_EQ(server.Calls().back(), "Level(10).SetFillColor(1)");
}

// ---- gridding ---------------------------------------------------------------

TEST(GridDataFiles, PassesThePositionalArgumentsForEveryDataSheetInOrder) {
    RecordingSurfer server;
    SurferContext context = Connected(server);
    TKavSurfOpt options;
    options.NumColumns = 120;
    options.NumRows = 80;
    options.RSquared = 0.25;
    GridDataFiles(context, {"/w/map1.dat", "/w/run.2/map2.dat"}, options);
    ASSERT_EQ(server.GridDataCalls().size(), 2u);

    const std::vector<ServerArgument> &a = server.GridDataCalls()[0];
    ASSERT_EQ(a.size(), 57u);
    std::vector<ServerArgument> expected(57);
    expected[0] = std::string("/w/map1.dat");
    expected[1] = 1;
    expected[2] = 2;
    expected[3] = 3;
    expected[8] = 120;
    expected[9] = 80;
    expected[14] = 9;
    expected[15] = false;
    expected[48] = 0.25;
    expected[49] = std::string("/w/map1.grd");
    expected[50] = 3;
    EXPECT_EQ(a, expected);

    // Options left at their defaults are null; the grid is named from the
    // file's own name, not from a dot in its folder.
    const std::vector<ServerArgument> b = GridDataArguments("/w/run.2/map2.dat", TKavSurfOpt{});
    EXPECT_EQ(server.GridDataCalls()[1][49], ServerArgument(std::string("/w/run.2/map2.grd")));
    for (int position : {9, 10, 49})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(b[size_t(position - 1)])) << position;
}

TEST(GridDataFiles, AServerFailureNamesTheSheetAndEndsTheList) {
    RecordingSurfer server(FailingOn("Application.GridData(\"/w/b.dat\")"));
    SurferContext context = Connected(server);
    try {
        GridDataFiles(context, {"/w/a.dat", "/w/b.dat", "/w/c.dat"}, {});
        FAIL() << "no error";
    } catch (const MapServerError &error) {
        EXPECT_STREQ(error.what(), "The map server could not grid \"/w/b.dat\": "
                                   "Application.GridData(\"/w/b.dat\") failed");
    }
    EXPECT_EQ(server.GridDataCalls().size(), 2u);

    SurferContext none;
    EXPECT_THROW(GridDataFiles(none, {"/w/a.dat"}, {}), MapServerError);
    EXPECT_NO_THROW(GridDataFiles(none, {}, {}));
}

// ---- map documents ----------------------------------------------------------

// The calls that build the map of one grid, up to and including its levels'
// colours, for options with the levels left to the server or set.
std::vector<std::string> MapCalls(const std::string &grid, const TKavSurfOpt &o) {
    std::vector<std::string> calls = {
        "Application.Documents()",
        "Documents.Add(1)",
        "PlotDocument.PageSetup()",
        o.Landscape ? "PageSetup.SetOrientation(2)" : "PageSetup.SetOrientation(1)",
        "PageSetup.SetWidth(" + FormatGeneral(o.PageWidth) + ")",
        "PageSetup.SetHeight(" + FormatGeneral(o.PageHeight) + ")",
        "PageSetup.SetLeftMargin(" + FormatGeneral(o.MarginLeft) + ")",
        "PageSetup.SetTopMargin(" + FormatGeneral(o.MarginTop) + ")",
        "PageSetup.SetRightMargin(" + FormatGeneral(o.MarginRight) + ")",
        "PageSetup.SetBottomMargin(" + FormatGeneral(o.MarginBottom) + ")",
        "PlotDocument.Shapes()",
        "Shapes.AddContourMap(\"" + grid + ".grd\")",
        "MapFrame.Layers()",
        "Layers.Item(1)",
        "Layer.SetFilled(true)",
        "Layer.Levels()",
        "Levels.Reset(1, 0, 1)",
        o.ShowScale ? "Layer.SetShowColorScale(true)" : "Layer.SetShowColorScale(false)",
    };
    return calls;
}

// "Blue - Red" over `levels` levels, level by level.
std::vector<std::string> ColorCalls(int levels) {
    std::vector<std::string> calls = {"Levels.Count()"};
    for (int k = 1; k <= levels; ++k) {
        const double step = 255.0 * (k - 1) / (levels - 1);
        const int red = static_cast<int>(std::nearbyint(step)); // halves to even
        const int blue = 255 + static_cast<int>(std::nearbyint(-step));
        calls.push_back("Levels.Item(" + std::to_string(k) + ")");
        calls.push_back("Level(" + std::to_string(k) + ").SetFillColor(" +
                        std::to_string(Colors({{red, 0, blue}})[0]) + ")");
    }
    return calls;
}

std::vector<std::string> AxisAndCloseCalls(const std::string &grid, const std::string &interval) {
    std::vector<std::string> calls;
    for (int i = 1; i <= 4; ++i) {
        const std::string axis = "Axis(" + std::to_string(i) + ")";
        calls.push_back("MapFrame.Axis(" + std::to_string(i) + ")");
        calls.push_back(axis + ".FirstMajorTick()");
        calls.push_back(axis + ".LastMajorTick()");
        calls.push_back(axis + ".SetScale(null, null, " + interval + ", -200, 800, null, null)");
    }
    calls.push_back("PlotDocument.Close(1, \"" + grid + ".srf\")");
    calls.push_back("Application.Documents()");
    calls.push_back("Documents.Open(\"" + grid + ".srf\", 0)");
    calls.push_back("Application.SetVisible(true)");
    return calls;
}

class CreateMapDocumentsTest : public ::testing::Test {
protected:
    RecordingSurfer::Script script = [] {
        RecordingSurfer::Script s;
        s.openDocuments = 2;
        s.serverLevels = 11;
        s.zMin = 10;
        s.zMax = 90;
        s.firstTick = -200;
        s.lastTick = 800;
        return s;
    }();
    TKavSurfOpt options = [] {
        TKavSurfOpt o;
        o.ColorMap = ColorRamp::BlueRed; // levels checkable one by one
        o.Landscape = 1;
        o.PageWidth = 29.7;
        o.PageHeight = 21.0;
        o.MarginLeft = 1;
        o.MarginRight = 2;
        o.MarginTop = 3;
        o.MarginBottom = 4;
        return o;
    }();
};

TEST_F(CreateMapDocumentsTest, ServerLevelsAndAxisIntervals) {
    RecordingSurfer server(script);
    SurferContext context = Connected(server);
    CreateMapDocuments(context, {"W/map1.grd"}, false, options);

    std::vector<std::string> expected = {"Application.Documents()", "Documents.Count()",
                                         "Documents.CloseAll(1)"};
    for (const auto &part :
         {MapCalls("W/map1", options), ColorCalls(11), AxisAndCloseCalls("W/map1", "null")})
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(server.Calls(), expected);
    EXPECT_EQ(server.OpenDocuments(), 1);
    EXPECT_TRUE(server.Visible());

    // The references now designate the objects of the document just built.
    ASSERT_NE(context.Axis, nullptr);
    context.Axis->FirstMajorTick();
    EXPECT_EQ(server.Calls().back(), "Axis(4).FirstMajorTick()");
    for (const bool held :
         {context.PlotDocument != nullptr, context.MapFrame != nullptr, context.Layers != nullptr,
          context.Layer != nullptr, context.Levels != nullptr, context.Level != nullptr})
        EXPECT_TRUE(held);
}

TEST_F(CreateMapDocumentsTest, LevelsSpanTheGridAndTheMajorIntervalIsSet) {
    options.NumLevels = 5;
    options.MajorInterval = 50;
    options.ShowScale = true;
    options.Landscape = 0;
    options.PageWidth = 21.0;
    options.PageHeight = 29.7;
    RecordingSurfer server(script);
    SurferContext context = Connected(server);
    CreateMapDocuments(context, {"W/map1.grd"}, false, options);

    std::vector<std::string> expected = {"Application.Documents()", "Documents.Count()",
                                         "Documents.CloseAll(1)"};
    for (const auto &part : {MapCalls("W/map1", options),
                             std::vector<std::string>{"Layer.Grid()", "Grid.ZMin()", "Grid.ZMax()",
                                                      "Levels.Regenerate(10, 90, 20)"},
                             ColorCalls(5), AxisAndCloseCalls("W/map1", "50")})
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(server.Calls(), expected);
    EXPECT_EQ(server.LevelColors().size(), 5u);
}

TEST_F(CreateMapDocumentsTest, OpenDocumentsAreClosedOnlyOutsideABatch) {
    struct Case {
        int open;
        bool batch;
        std::vector<std::string> start;
    };
    const Case cases[] = {
        {2, false, {"Application.Documents()", "Documents.Count()", "Documents.CloseAll(1)"}},
        {0, false, {"Application.Documents()", "Documents.Count()"}},
        {2, true, {}},
    };
    for (const Case &c : cases) {
        script.openDocuments = c.open;
        // An empty list does nothing else.
        RecordingSurfer empty(script);
        SurferContext context = Connected(empty);
        CreateMapDocuments(context, {}, c.batch, options);
        EXPECT_EQ(empty.Calls(), c.start) << c.open << c.batch;

        // Two grids are built one after the other, each shown as it is done.
        RecordingSurfer two(script);
        context = Connected(two);
        CreateMapDocuments(context, {"W/a.grd", "W/b.grd"}, c.batch, options);
        std::vector<std::string> expected = c.start;
        for (const char *grid : {"W/a", "W/b"})
            for (const auto &part :
                 {MapCalls(grid, options), ColorCalls(11), AxisAndCloseCalls(grid, "null")})
                expected.insert(expected.end(), part.begin(), part.end());
        EXPECT_EQ(two.Calls(), expected);
        EXPECT_EQ(two.OpenDocuments(), c.batch ? c.open + 2 : 2);
    }
}

TEST_F(CreateMapDocumentsTest, AServerFailureEndsTheBuildAndNamesTheGrid) {
    script.failOn = "Shapes.AddContourMap(\"W/b.grd\")";
    RecordingSurfer server(script);
    SurferContext context = Connected(server);
    try {
        CreateMapDocuments(context, {"W/a.grd", "W/b.grd", "W/c.grd"}, false, options);
        FAIL() << "no error";
    } catch (const MapServerError &error) {
        EXPECT_STREQ(error.what(), "The map server could not draw the map of \"W/b.grd\": "
                                   "Shapes.AddContourMap(\"W/b.grd\") failed");
    }
    const std::vector<std::string> &calls = server.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Documents.Open(\"W/a.srf\", 0)"), calls.end());
    EXPECT_EQ(calls.back(), script.failOn);

    // Closing the open documents fails in its own words.
    script.failOn = "Documents.CloseAll";
    RecordingSurfer closing(script);
    context = Connected(closing);
    EXPECT_THAT([&] { CreateMapDocuments(context, {"W/a.grd"}, false, options); },
                ::testing::ThrowsMessage<MapServerError>(
                    HasSubstr("The map server could not close its open documents: ")));
}

TEST_F(CreateMapDocumentsTest, ALevelCountThatCannotSpanTheGridIsRefusedBeforeAnything) {
    for (const int levels : {1, 0, -2}) {
        options.NumLevels = levels;
        RecordingSurfer server(script);
        SurferContext context = Connected(server);
        EXPECT_THROW(CreateMapDocuments(context, {"W/a.grd"}, false, options), RangeError)
            << levels;
        EXPECT_TRUE(server.Calls().empty());
    }
    options.NumLevels = 2;
    RecordingSurfer server(script);
    SurferContext context = Connected(server);
    CreateMapDocuments(context, {"W/a.grd"}, false, options);
    EXPECT_EQ(server.LevelColors(), Colors({{0, 0, 255}, {255, 0, 0}}));
}

TEST(SurferMapBuilder, HandsTheRunsCallsToTheBuilder) {
    RecordingSurfer::Script script;
    script.openDocuments = 3;
    RecordingSurfer server(script);
    SurferContext context = Connected(server);
    SurferMapBuilder builder(context);
    builder.CloseOpenDocuments();
    builder.GridDataFiles({"W/a.dat"}, {});
    builder.CreateMapDocuments({"W/a.grd"}, true, {});
    EXPECT_EQ(std::vector<std::string>(server.Calls().begin(), server.Calls().begin() + 5),
              (std::vector<std::string>{
                  "Application.Documents()", "Documents.Count()", "Documents.CloseAll(1)",
                  "Application.GridData(\"W/a.dat\")", "Application.Documents()"}));
    EXPECT_EQ(server.Calls().back(), "Application.SetVisible(true)");

    // Without a server there is nothing to close.
    SurferContext none;
    EXPECT_NO_THROW(SurferMapBuilder(none).CloseOpenDocuments());
}

// ---- start-up ---------------------------------------------------------------

TEST(ConnectSurfer, HoldsTheServerOrWarnsAndRunsWithoutIt) {
    RecordingSurfer server;
    ScriptedPrompts prompts;
    int withoutCalls = 0;
    SurferContext context;
    EXPECT_TRUE(ConnectSurfer(
        context, [&] { return server.Application(); }, prompts, [&] { ++withoutCalls; }));
    EXPECT_TRUE(SurferAvailable(context));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(withoutCalls, 0);

    for (const SurferFactory &failing :
         {MapEngineFactory(true),
          SurferFactory([]() -> std::shared_ptr<IApplication> { throw std::bad_alloc(); }),
          SurferFactory([] { return std::shared_ptr<IApplication>(); })}) {
        SurferContext without;
        ScriptedPrompts warned;
        withoutCalls = 0;
        EXPECT_FALSE(ConnectSurfer(without, failing, warned, [&] { ++withoutCalls; }));
        EXPECT_FALSE(SurferAvailable(without));
        ASSERT_EQ(warned.messages.size(), 1u);
        EXPECT_EQ(warned.messages[0].type, MessageType::Warning);
        EXPECT_EQ(warned.messages[0].buttons, unsigned{ButtonOk});
        EXPECT_EQ(warned.messages[0].text,
                  "Surfer is not Installed at this Computer! You Could not Use Automatic "
                  "Visualization!");
        EXPECT_EQ(withoutCalls, 1);
    }
}

TEST(ConnectSurfer, TheEnvironmentVariableSwitchesTheServerOff) {
    struct Case {
        const char *value; // null: unset
        bool off;
    };
    for (const Case c : {Case{nullptr, false}, Case{"", false}, Case{"0", false}, Case{"1", true},
                         Case{"yes", true}}) {
        if (c.value)
            ::setenv(kNoMapServerVariable, c.value, 1);
        else
            ::unsetenv(kNoMapServerVariable);
        EXPECT_EQ(MapServerSwitchedOffByEnvironment(), c.off) << (c.value ? c.value : "unset");
    }
    ::unsetenv(kNoMapServerVariable);
    EXPECT_NE(MapEngineFactory(false)(), nullptr);
}

} // namespace
