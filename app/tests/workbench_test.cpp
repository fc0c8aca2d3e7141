#include "orvex/app/about_form.h"
#include "orvex/app/error_handler.h"
#include "orvex/app/qt_prompts.h"
#include "orvex/app/view_form.h"
#include "orvex/app/workbench.h"
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/survey/edit_data_form.h"
#include "orvex/survey/legacy.h"
#include "orvex/testing/qt_application.h"
#include "orvex/testing/scratch_dir.h"

#include "mapengine/server_window.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orvex;

namespace {

class WorkbenchTest : public ::testing::Test {
protected:
    WorkbenchTest() { orvex::testing::TestApplication(); }
    ScriptedPrompts prompts;
};

} // namespace

TEST_F(WorkbenchTest, WindowsAreCreatedHiddenInTheStartupOrder) {
    std::vector<std::string> created;
    ToolWindowFactories factories;
    // Registered out of order on purpose: the order is the start-up list's.
    for (ToolWindow which : {ToolWindow::CommonProcess, ToolWindow::CreateMaps,
                             ToolWindow::ProcessOptions, ToolWindow::Communication})
        factories[static_cast<size_t>(which)] = [&created, which](TWorkbench &workbench) {
            EXPECT_NO_THROW(workbench.MainForm()); // the main window comes first
            created.push_back(kStartupOrder[static_cast<size_t>(which)].className);
            return new QWidget;
        };
    TWorkbench workbench(prompts, factories);
    workbench.CreateWindows();
    EXPECT_EQ(created, (std::vector<std::string>{"TProcOptForm", "TForm_CreateMaps",
                                                 "TConnectionForm", "TForm_CommonProcess"}));
    EXPECT_FALSE(workbench.MainForm().isVisible());
    QWidget *common = workbench.Window(ToolWindow::CommonProcess);
    ASSERT_NE(common, nullptr);
    EXPECT_FALSE(common->isVisible());
    EXPECT_EQ(common->property("helpTopic").toInt(), 4);
    EXPECT_EQ(workbench.Window(ToolWindow::ProcessOptions)->property("helpTopic").toInt(), 5);
    EXPECT_EQ(workbench.Window(ToolWindow::ReliefSection), nullptr);
    EXPECT_EQ(workbench.MainForm().Tool(ToolWindow::CommonProcess), common);
    EXPECT_TRUE(workbench.MainForm().findChild<QAction *>("Action_MapProcess")->isEnabled());
    EXPECT_FALSE(workbench.MainForm().findChild<QAction *>("Action_ReliefSection")->isEnabled());
}

TEST_F(WorkbenchTest, ShippedWindowsAndTheAboutBox) {
    TWorkbench workbench(prompts);
    workbench.CreateWindows();
    for (const ToolWindowInfo &info : kStartupOrder) {
        const bool built = info.window == ToolWindow::View || info.window == ToolWindow::About;
        EXPECT_EQ(workbench.Window(info.window) != nullptr, built) << info.className;
    }
    auto *about = qobject_cast<TAboutForm *>(workbench.Window(ToolWindow::About));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "Orvex Kav Version Information");
    QStringList labels;
    for (QLabel *label : about->findChildren<QLabel *>())
        if (!label->text().isEmpty()) labels << label->text();
    EXPECT_EQ(labels, QStringList({"Orvex", "Pelnor Device"}));
    EXPECT_FALSE(about->findChild<QLabel *>("ProgramIcon")->pixmap().isNull());

    // About... shows it modally; "&Ok" closes it.
    bool shown = false;
    QTimer::singleShot(0, about, [&] {
        shown = about->isVisible() && about->isModal();
        about->findChild<QPushButton *>("OKButton")->click();
    });
    workbench.MainForm().findChild<QAction *>("Action_About")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(about->findChild<QPushButton *>("OKButton")->text(), "&Ok");
}

TEST_F(WorkbenchTest, HeadersShowTheEnginesCalibrationFrequencies) {
    TWorkbench workbench(prompts);
    workbench.CreateWindows();
    orvex::testing::ScratchDir scratch;
    TKavSurveyData survey;
    survey.DeviceNumber = 8;
    survey.Stations.resize(1);
    WriteLegacySurvey(survey, scratch / "one.prf");

    workbench.MainForm().OpenFiles({scratch / "one.prf"});
    EXPECT_EQ(workbench.MainForm().ActiveEditData()->Grid().Cell(0, 2), "X 0.0(01)"); // never read
    workbench.Engine().Options.Calibration[8].Frequencies[1] = 2.510;
    workbench.Engine().Options.Calibration[8].Frequencies[14] = 198.041;
    workbench.MainForm().OpenFiles({scratch / "one.prf"});
    const TEditGrid &grid = workbench.MainForm().ActiveEditData()->Grid();
    EXPECT_EQ(grid.Cell(0, 2), "X 2.5(01)");
    EXPECT_EQ(grid.Cell(0, 43), "I 198.0(14)");
    EXPECT_EQ(EngineChannelFrequency(workbench.Engine(), 101, 1), 0.0);
    EXPECT_EQ(EngineChannelFrequency(workbench.Engine(), -1, 1), 0.0);
}

TEST_F(WorkbenchTest, ViewWindowReturnsAboveItsAnchor) {
    TViewForm view;
    EXPECT_EQ(view.windowTitle(), "View");
    EXPECT_TRUE(view.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(view.windowFlags() & Qt::Tool);
    EXPECT_EQ(view.Image().size(), QSize(521, 109));
    view.PlaceAtAnchor(); // no anchor: stays where it is
    QWidget relief;
    relief.setGeometry(300, 400, 500, 200);
    relief.show();
    view.SetAnchor([&relief] { return &relief; });
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.move(10, 10); // as the user drops it somewhere else
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view.frameGeometry().left() == relief.frameGeometry().left(); }, 10000));
    EXPECT_EQ(view.frameGeometry().bottom() + 1, relief.frameGeometry().top());
}

TEST_F(WorkbenchTest, ErrorsEndTheCommandInTheErrorBox) {
    EXPECT_TRUE(RunCommand(prompts, [] {}));
    EXPECT_FALSE(
        RunCommand(prompts, [] { throw ConversionError("'x' is not a valid integer value"); }));
    EXPECT_FALSE(RunCommand(prompts, [] { throw std::bad_alloc(); }));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].type, MessageType::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Orvex.exe");
    EXPECT_EQ(prompts.messages[0].text, "'x' is not a valid integer value");
    EXPECT_EQ(prompts.messages[1].text, "Out of memory.");

    EXPECT_EQ(QtNameFilters("Kav Data Files (*.kav)|*.kav|Old files|*.prf;*.cpr"),
              QStringList({"Kav Data Files (*.kav)", "Old files (*.prf *.cpr)"}));
}

namespace {

// Relief Section and Create Maps as the user meets them: on the tool bar, in
// the Tools menu and in the right-click menu.
std::vector<bool> MapCommandStates(TMainForm &main) {
    std::vector<bool> states;
    for (const char *name : {"ReliefSection", "CreateMaps"}) {
        QAction *action = main.findChild<QAction *>(QString("Action_") + name);
        states.push_back(main.findChild<QToolButton *>(QString("ToolButton_") + name)->isEnabled());
        states.push_back(main.findChild<QMenu *>("Menu_Tools")->actions().contains(action) &&
                         action->isEnabled());
        states.push_back(main.PopupMenu()->actions().contains(action) && action->isEnabled());
    }
    return states;
}

// Factories for the two windows that need the map server, noting how many
// messages had been shown when each window was created.
ToolWindowFactories MapWindows(ScriptedPrompts &prompts, std::vector<size_t> &shownBefore) {
    ToolWindowFactories factories;
    for (ToolWindow which :
         {ToolWindow::MultiMapOptions, ToolWindow::ReliefSection, ToolWindow::CreateMaps})
        factories[static_cast<size_t>(which)] = [&](TWorkbench &) {
            shownBefore.push_back(prompts.messages.size());
            return new QWidget;
        };
    return factories;
}

} // namespace

TEST_F(WorkbenchTest, WithoutTheMapServerTheUserIsWarnedAndItsCommandsStayDisabled) {
    std::vector<size_t> shownBefore;
    TWorkbench workbench(prompts, MapWindows(prompts, shownBefore), MapEngineFactory(true));
    workbench.CreateWindows();
    // The warning comes where Create Maps is created: after Multi Map Options.
    EXPECT_EQ(shownBefore, (std::vector<size_t>{0, 1, 1}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].type, MessageType::Warning);
    EXPECT_EQ(prompts.messages[0].buttons, unsigned{ButtonOk});
    EXPECT_EQ(prompts.messages[0].text, "Surfer is not Installed at this Computer! You Could not "
                                        "Use Automatic Visualization!");
    EXPECT_EQ(MapCommandStates(workbench.MainForm()), std::vector<bool>(6, false));
    EXPECT_FALSE(SurferAvailable(workbench.Surfer()));
    EXPECT_EQ(workbench.ServerWindow(), nullptr);
}

TEST_F(WorkbenchTest, WithTheMapServerItsCommandsAndWindowAreThere) {
    std::vector<size_t> shownBefore;
    TWorkbench workbench(prompts, MapWindows(prompts, shownBefore));
    workbench.CreateWindows();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(MapCommandStates(workbench.MainForm()), std::vector<bool>(6, true));
    ASSERT_TRUE(SurferAvailable(workbench.Surfer()));
    map::ServerWindow *window = workbench.ServerWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());

    // A map built through the workbench's references appears in the server's window.
    orvex::testing::ScratchDir scratch;
    WriteWholeFile(scratch / "map.dat", "0 0 1\n10 0 2\n0 10 3\n10 10 5\n");
    GridDataFiles(workbench.Surfer(), {scratch / "map.dat"}, {});
    CreateMapDocuments(workbench.Surfer(), {scratch / "map.grd"}, false, {});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->TabCount(), 1);
    window->close();
}
