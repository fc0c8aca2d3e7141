// The server window under the offscreen platform: tabs follow the documents,
// zoom, export and print go through the window's commands.
#include "mapengine/server_window.h"

#include "test_support.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace orvex::map {
namespace {

using testing::ScratchDir;

std::string WriteRamp(const ScratchDir &dir) {
    Grid grid({11, 6, 0, 100, 0, 50});
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 11; ++column)
            grid.Set(column, row, column + row);
    WriteGridFile(grid, dir / "ramp.grd", GridFormat::GoldenBinary7);
    return dir / "ramp.grd";
}

TEST(ServerWindow, TabsFollowTheDocumentsAndTheVisibleFlag) {
    ScratchDir dir;
    Application server;
    PlotDocument &first = server.Documents().Add(1);
    first.Shapes().AddContourMap(WriteRamp(dir));
    first.SaveAs(dir / "first.srf");
    ScriptedPrompts prompts;
    ServerWindow window(server, prompts);
    EXPECT_EQ(window.TabCount(), 1); // documents open before the window came
    EXPECT_FALSE(window.isVisible());

    PlotDocument &second = server.Documents().Open(dir / "first.srf");
    EXPECT_EQ(window.TabCount(), 2);
    EXPECT_EQ(&window.CurrentView()->Document(), &second);
    server.SetVisible(true);
    EXPECT_TRUE(window.isVisible());

    second.Close(2);
    EXPECT_EQ(window.TabCount(), 1);
    window.CloseCurrent(); // closing a tab closes its document in the server
    EXPECT_EQ(server.Documents().Count(), 0);
    EXPECT_EQ(window.TabCount(), 0);
    window.close();
    EXPECT_FALSE(server.Visible());
}

TEST(ServerWindow, ZoomExportAndPrint) {
    ScratchDir dir;
    Application server;
    server.Documents().Add(1).Shapes().AddContourMap(WriteRamp(dir));
    ScriptedPrompts prompts;
    ServerWindow window(server, prompts);
    window.resize(600, 700);
    window.show();
    QApplication::processEvents();
    PageView *view = window.CurrentView();
    ASSERT_NE(view, nullptr);
    const double fitted = view->Zoom();
    EXPECT_LT(fitted, 1); // a whole A4 page in 600 × 700 pixels
    window.ZoomIn();
    EXPECT_NEAR(view->Zoom(), fitted * 1.25, 1e-12);
    window.ActualSize();
    EXPECT_EQ(view->Zoom(), 1);
    window.FitPage();
    EXPECT_NEAR(view->Zoom(), fitted, 1e-12);
    view->grab(); // paints the page

    prompts.savePicks.push_back(dir / "shown.svg");
    window.ExportCurrent();
    EXPECT_TRUE(std::filesystem::exists(dir / "shown.svg"));
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_NE(prompts.dialogs[0].filter.find("*.pdf"), std::string::npos);

    prompts.savePicks.push_back(dir / "no/folder/shown.png");
    window.ExportCurrent();
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_NE(prompts.messages.back().text.find("Cannot write"), std::string::npos);

    prompts.printAnswers.push_back(false);
    window.PrintCurrent(); // cancelled, or refused for want of a printer: nothing breaks
}

} // namespace
} // namespace orvex::map
