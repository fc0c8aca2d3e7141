#include "orvex/app/help_viewer.h"
#include "orvex/app/main_form.h"
#include "orvex/files.h"
#include "orvex/survey/edit_data_form.h"
#include "orvex/survey/legacy.h"
#include "orvex/testing/qt_application.h"
#include "orvex/testing/scratch_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvex;

namespace {

// A legacy survey of `stations` stations on one line; record 1 is unused
// when there are at least two.
TKavSurveyData Survey(int stations) {
    TKavSurveyData data;
    data.SiteName = "Site";
    data.MinStation = 0;
    data.MaxStation = stations - 1;
    data.XStep = 2;
    data.YStep = 1;
    data.DeviceNumber = 7;
    data.Stations.resize(size_t(stations));
    for (int i = 0; i < stations; ++i)
        for (int k = 1; k <= 14; ++k) {
            data.Stations[i].RawComp1[k] = 10 * i + k;
            data.Stations[i].RawComp2[k] = -k;
            data.Stations[i].RawCurrent[k] = 900;
            data.Stations[i].ChannelUsed[k] = i == 1 ? 0 : 1;
        }
    return data;
}

uint16_t Word16(const std::string &bytes, size_t p) {
    return uint16_t(uint8_t(bytes[p]) | uint8_t(bytes[p + 1]) << 8);
}

// The texts of a worksheet's cell records by (row, column), and their count.
std::map<std::pair<int, int>, std::string> WorksheetCells(const std::string &bytes) {
    std::map<std::pair<int, int>, std::string> cells;
    for (size_t p = 12; p + 4 <= bytes.size() && Word16(bytes, p) == 0x0204;) {
        const uint16_t length = Word16(bytes, p + 2);
        cells[{Word16(bytes, p + 4), Word16(bytes, p + 6)}] =
            bytes.substr(p + 12, Word16(bytes, p + 10));
        p += 4 + length;
    }
    return cells;
}

QStringList EntryTexts(const QMenu *menu) {
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QString("-") : action->text());
    return texts;
}

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() : form(prompts, [](int32_t, int channel) { return 1000.0 * channel; }) {}

    std::string Write(const TKavSurveyData &data, const std::string &name) {
        WriteLegacySurvey(data, scratch / name);
        return scratch / name;
    }
    QAction *Action(const char *name) {
        QAction *action = form.findChild<QAction *>(name);
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    QMenu *Menu(const char *name) { return form.findChild<QMenu *>(name); }
    void Show() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QApplication &application = orvex::testing::TestApplication(); // before any widget
    orvex::testing::ScratchDir scratch;
    ScriptedPrompts prompts;
    TMainForm form;
};

} // namespace

TEST_F(MainFormTest, MenusShortCutsAndDisabledEntries) {
    EXPECT_EQ(form.windowTitle(), "Orvex");
    QStringList titles;
    for (QAction *menu : form.menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&Tools", "&Options", "&Window", "&Help"}));
    EXPECT_EQ(
        EntryTexts(Menu("Menu_File")),
        QStringList({"&New", "&Open...", "&Save As", "Export...", "-", "&Print...", "-", "&Exit"}));
    EXPECT_EQ(EntryTexts(Menu("Menu_Edit")),
              QStringList({"&Undo", "Cu&t", "&Copy", "&Paste", "-", "Select &All"}));
    EXPECT_EQ(EntryTexts(Menu("Menu_Tools")),
              QStringList({"&Communication...", "-", "&Diagram Process...", "&Section Process...",
                           "&Map Process...", "-", "&Relief Section...",
                           "Create M&ulti Map Documents..."}));
    EXPECT_EQ(EntryTexts(Menu("Menu_Options")),
              QStringList({"&Process Options...", "P&ort Settings..."}));
    EXPECT_EQ(EntryTexts(Menu("Menu_Window")),
              QStringList({"&Cascade", "Tile &Horizontally", "&Tile Vertically", "&Minimize All"}));
    EXPECT_EQ(EntryTexts(Menu("Menu_Help")), QStringList({"Contents", "About..."}));

    const struct {
        const char *action, *keys;
        bool enabled;
    } entries[] = {
        {"Action_New", "", false},
        {"Action_Open", "Ctrl+O", true},
        {"Action_SaveAs", "Ctrl+S", false},
        {"Action_Export", "", true},
        {"Action_Print", "", false},
        {"Action_Exit", "Alt+X", true},
        {"Action_Undo", "Ctrl+Z", false}, // nothing to edit has the focus
        {"Action_Cut", "Ctrl+Del", false},
        {"Action_Copy", "Ctrl+Ins", false},
        {"Action_Paste", "Shift+Ins", false},
        {"Action_Communication", "Ctrl+L", false}, // its window is not part of the program yet
        {"Action_SectionProcess", "Ctrl+S", false},
        {"Action_MapProcess", "Ctrl+M", false},
        {"Action_ReliefSection", "Ctrl+R", false},
        {"Action_CreateMaps", "Ctrl+3", false},
        {"Action_PortSettings", "", true},
    };
    for (const auto &e : entries) {
        EXPECT_EQ(Action(e.action)->shortcut(), QKeySequence(e.keys)) << e.action;
        EXPECT_EQ(Action(e.action)->isEnabled(), e.enabled) << e.action;
    }
}

TEST_F(MainFormTest, ToolBarButtons) {
    auto *bar = form.findChild<QToolBar *>("ToolBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->iconSize(), QSize(32, 32));
    QStringList hints;
    for (QAction *action : bar->actions()) {
        if (action->isSeparator()) {
            hints << "-";
            continue;
        }
        hints << action->toolTip();
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->size(), QSize(39, 38));
        EXPECT_TRUE(button->autoRaise());
        EXPECT_FALSE(action->icon().isNull()) << action->toolTip().toStdString();
    }
    EXPECT_EQ(hints,
              QStringList({"Create new document", "Open document", "Save As", "-", "Print document",
                           "-", "Diagram process", "Section process", "Map process", "-",
                           "Relief Section", "Create Multi Map Document", "-", "Communication"}));
    EXPECT_FALSE(bar->actions()[0]->isEnabled());
    EXPECT_FALSE(bar->actions()[2]->isEnabled());
}

TEST_F(MainFormTest, RightClickMenuOnTheFreeArea) {
    Show();
    QWidget *area = form.MdiArea()->viewport();
    const QPoint at(40, 30);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, area->mapToGlobal(at));
    QApplication::sendEvent(area, &click);
    QMenu *menu = form.PopupMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), area->mapToGlobal(at));
    EXPECT_EQ(EntryTexts(menu),
              QStringList({"&Process Options...", "&Po&rt Settings...", "-", "&Communication...",
                           "-", "&Diagram Process...", "&Section Process...", "&Map Process...",
                           "&Relief Section...", "Create M&ulti Map Documents...", "-", "&Exit"}));
    menu->close();

    // Over a child window the click is the child's own.
    form.OpenFiles({Write(Survey(3), "a.prf")});
    QWidget *child = form.MdiArea()->subWindowList().front();
    const QPoint onChild = child->geometry().center();
    QContextMenuEvent childClick(QContextMenuEvent::Mouse, onChild, area->mapToGlobal(onChild));
    QApplication::sendEvent(area, &childClick);
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(MainFormTest, OpenGivesOneWindowPerFileCaptionedWithItsPath) {
    const std::vector<std::string> picked = {Write(Survey(2), "one.prf"), (scratch / "missing.kav"),
                                             Write(Survey(3), "two.sdg"),
                                             Write(Survey(4), "three.dat")};
    prompts.openPicks.push_back(picked);
    Action("Action_Open")->trigger();
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    const FileDialogRequest &dialog = prompts.dialogs[0];
    EXPECT_EQ(dialog.title, "Open File");
    EXPECT_TRUE(dialog.allowMultiple);
    EXPECT_EQ(dialog.filterIndex, 7);
    const auto filters = SplitDialogFilter(dialog.filter);
    ASSERT_EQ(filters.size(), 8u);
    EXPECT_EQ(filters[0].first, "Profiling OrtGrid (*.prf)");
    EXPECT_EQ(filters[6],
              std::make_pair(std::string("Kav Data Files (*.kav)"), std::string("*.kav")));
    EXPECT_EQ(filters[7].first, "All files (*.*)");

    const std::vector<TEditDataForm *> windows = form.EditDataWindows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0]->windowTitle().toStdString(), picked[0]);
    EXPECT_EQ(windows[1]->windowTitle().toStdString(), picked[2]);
    EXPECT_EQ(windows[2]->windowTitle().toStdString(), picked[3]);
    EXPECT_EQ(windows[2]->Grid().RowCount(), 5);
    EXPECT_EQ(windows[1]->Grid().Cell(0, 5), "X 2000.0(02)");
    EXPECT_EQ(form.ActiveEditData(), windows[2]);
    EXPECT_TRUE(prompts.messages.empty());

    // Closing a window frees it with its survey.
    QPointer<TEditDataForm> closed(windows[0]);
    form.MdiArea()->subWindowList().front()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(form.EditDataWindows().size(), 2u);
}

TEST_F(MainFormTest, FailedLoadShowsTheErrorAndLeavesAnEmptyWindow) {
    const std::string path = Write(Survey(3), "short.prf");
    std::filesystem::resize_file(path, 1062 + 3 * 112 - 1);
    prompts.openPicks.push_back({path, Write(Survey(2), "never.prf")});
    Action("Action_Open")->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].type, MessageType::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Orvex.exe");
    EXPECT_NE(prompts.messages[0].text.find("short.prf"), std::string::npos);
    // The error ends the command: the window of the failed file stays, empty.
    ASSERT_EQ(form.EditDataWindows().size(), 1u);
    TEditDataForm *window = form.EditDataWindows()[0];
    EXPECT_EQ(window->windowTitle().toStdString(), path);
    EXPECT_EQ(window->GridView()->model()->rowCount(), 0);
    EXPECT_EQ(window->findChild<QLineEdit *>("Edit_SiteName")->text(), "");
}

TEST_F(MainFormTest, ExportWritesTheActiveWindowsGrid) {
    // With no window open the dialog is shown and nothing else happens.
    prompts.savePicks.push_back(scratch / "none.xls");
    Action("Action_Export")->trigger();
    EXPECT_FALSE(FileExists(scratch / "none.xls"));
    EXPECT_TRUE(prompts.messages.empty());

    form.OpenFiles({Write(Survey(2), "two.prf")});
    prompts.savePicks.push_back(scratch / "grid.kav");
    Action("Action_Export")->trigger();
    const FileDialogRequest &dialog = prompts.dialogs.back();
    EXPECT_EQ(dialog.filter, "MS Excel files (*.xls)|*.xls|Kav Data Files (*.kav)|*.kav");
    EXPECT_TRUE(dialog.overwritePrompt);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Export Successfully Comlited!"});
    EXPECT_FALSE(FileExists(scratch / "grid.kav"));
    const std::string bytes = ReadWholeFile(scratch / "grid.xls");
    const auto cells = WorksheetCells(bytes);
    EXPECT_EQ(cells.size(), 132u);
    EXPECT_EQ(
        bytes.size(), 12 + 132 * 12 + [&] {
            size_t texts = 0;
            for (const auto &cell : cells)
                texts += cell.second.size();
            return texts;
        }() + 4);
    EXPECT_EQ(cells.at({0, 0}), "X Coord");
    EXPECT_EQ(cells.at({0, 43}), "I 14000.0(14)");
    EXPECT_EQ(cells.at({1, 0}), "0.0");
    EXPECT_EQ(cells.at({2, 0}), "UnUsed! 2.0"); // record 1 is unused
    EXPECT_EQ(cells.at({2, 1}), "UnUsed! 0.0");
    EXPECT_EQ(cells.at({2, 2}), "11");
    EXPECT_EQ(cells.at({2, 4}), "900");

    // Cancel writes nothing; a file the changed extension would replace is asked about.
    Action("Action_Export")->trigger();
    WriteWholeFile(scratch / "kept.xls", "old");
    prompts.savePicks.push_back(scratch / "kept.kav");
    prompts.answers.push_back(ModalResult::No);
    Action("Action_Export")->trigger();
    EXPECT_EQ(ReadWholeFile(scratch / "kept.xls"), "old");
    EXPECT_EQ(prompts.messages.back().type, MessageType::Confirmation);
    EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(MainFormTest, ExportOfMoreRowsThanAWorksheetHoldsFails) {
    form.OpenFiles({Write(Survey(65536), "large.prf")}); // 65,537 rows with the header
    WriteWholeFile(scratch / "large.xls", "old");
    prompts.savePicks.push_back(scratch / "large.xls");
    Action("Action_Export")->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].type, MessageType::Error);
    EXPECT_EQ(ReadWholeFile(scratch / "large.xls"), "old");
}

TEST_F(MainFormTest, SaveAsWritesTheMarkedCopyAndReopensIt) {
    EXPECT_FALSE(Action("Action_SaveAs")->isEnabled()); // as the program ships
    const std::string source = Write(Survey(3), "source.prf");
    form.OpenFiles({source});
    TEditDataForm *window = form.ActiveEditData();
    window->GridView()->selectionModel()->setCurrentIndex(window->GridView()->model()->index(2, 0),
                                                          QItemSelectionModel::ClearAndSelect);
    window->SetRowUnused();
    prompts.savePicks.push_back(scratch / "marked.prf");
    form.SaveAs();
    EXPECT_EQ(prompts.dialogs.back().filterIndex, 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form.EditDataWindows().size(), 1u);
    TEditDataForm *reopened = form.ActiveEditData();
    EXPECT_EQ(reopened->windowTitle().toStdString(), scratch / "marked.prf");
    EXPECT_EQ(reopened->Grid().Cell(3, 0), "UnUsed! 4.0");
    EXPECT_EQ(reopened->Grid().Cell(2, 0), "UnUsed! 2.0");
    EXPECT_EQ(reopened->Grid().Cell(1, 0), "0.0");
    EXPECT_EQ(ReadWholeFile(source).substr(0, 1062),
              ReadWholeFile(scratch / "marked.prf").substr(0, 1062));

    // A survey with no legacy source writes nothing and keeps its window and marks.
    form.New();
    prompts.savePicks.push_back(scratch / "nothing.prf");
    form.SaveAs();
    EXPECT_FALSE(FileExists(scratch / "nothing.prf"));
    EXPECT_EQ(form.EditDataWindows().size(), 2u);
    EXPECT_EQ(form.ActiveEditData()->windowTitle(), "");
}

TEST_F(MainFormTest, ToolCommandsHandTheScreenToTheirWindows) {
    QWidget common, communication, relief, options;
    std::vector<int> formats;
    form.SetOutputFormatHook([&](int entry) { formats.push_back(entry); });
    form.SetToolWindow(ToolWindow::CommonProcess, &common);
    form.SetToolWindow(ToolWindow::Communication, &communication);
    form.SetToolWindow(ToolWindow::ReliefSection, &relief);
    Show();

    Action("Action_MapProcess")->trigger();
    EXPECT_EQ(form.ProcessKind(), 0);
    Action("Action_DiagramProcess")->trigger();
    EXPECT_EQ(form.ProcessKind(), 1);
    EXPECT_EQ(formats, (std::vector<int>{0, 1}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(common.isVisible());
    common.close();
    EXPECT_TRUE(form.isVisible());
    Action("Action_MapProcess")->trigger();
    EXPECT_EQ(form.ProcessKind(), 0);
    Action("Action_SectionProcess")->trigger();
    EXPECT_EQ(form.ProcessKind(), 1);
    EXPECT_EQ(formats, (std::vector<int>{0, 1, 0, 0}));
    common.close();

    Action("Action_Communication")->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(communication.isVisible());
    communication.close();
    EXPECT_TRUE(form.isVisible());

    // Without the map server, Relief Section and Create Maps stay disabled in
    // the menu, on the tool bar and in the right-click menu, which share them.
    EXPECT_FALSE(Action("Action_ReliefSection")->isEnabled());
    EXPECT_TRUE(form.PopupMenu()->actions().contains(Action("Action_ReliefSection")));
    EXPECT_TRUE(
        form.findChild<QToolBar *>("ToolBar")->actions().contains(Action("Action_ReliefSection")));
    form.SetSurferAvailable(true);
    EXPECT_TRUE(Action("Action_ReliefSection")->isEnabled());
    EXPECT_FALSE(Action("Action_CreateMaps")->isEnabled()); // no window yet
    Action("Action_ReliefSection")->trigger();
    EXPECT_TRUE(relief.isVisible());
    relief.close();
    EXPECT_TRUE(form.isVisible());

    // Process Options is shown modally and the command waits until it closes.
    form.SetToolWindow(ToolWindow::ProcessOptions, &options);
    bool modal = false;
    QTimer::singleShot(0, &options, [&] {
        modal = options.isVisible() && options.isModal();
        options.close();
    });
    Action("Action_ProcessOptions")->trigger();
    EXPECT_TRUE(modal);
    EXPECT_FALSE(options.isVisible());
    EXPECT_TRUE(form.isVisible());

    // Ctrl+S is Section Process: Save As, which has it too, is disabled.
    formats.clear();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(formats, std::vector<int>{0});
    EXPECT_TRUE(common.isVisible());
    common.close();
}

TEST_F(MainFormTest, WindowArrangements) {
    Show();
    form.OpenFiles({Write(Survey(2), "a.prf"), Write(Survey(2), "b.prf")});
    const QList<QMdiSubWindow *> children = form.MdiArea()->subWindowList();
    const QRect area = form.MdiArea()->viewport()->rect();
    Action("Action_TileHorizontally")->trigger();
    EXPECT_EQ(children[0]->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(children[1]->geometry().top(), area.height() / 2);
    Action("Action_TileVertically")->trigger();
    EXPECT_EQ(children[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(children[1]->geometry().left(), area.width() / 2);
    Action("Action_MinimizeAll")->trigger();
    EXPECT_TRUE(children[0]->isMinimized());
    EXPECT_TRUE(children[1]->isMinimized());
}

TEST_F(MainFormTest, EditActionsWorkOnTheFocusedControl) {
    Show();
    form.OpenFiles({Write(Survey(3), "a.prf")});
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTableView *grid = form.ActiveEditData()->GridView();
    grid->setFocus();
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(0, 1), grid->model()->index(1, 2)),
        QItemSelectionModel::ClearAndSelect);
    EXPECT_TRUE(Action("Action_Copy")->isEnabled());
    EXPECT_FALSE(Action("Action_Paste")->isEnabled());
    Action("Action_Copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "0.0\t1\nUnUsed! 0.0\t11\n");

    auto *name = form.ActiveEditData()->findChild<QLineEdit *>("Edit_SiteName");
    name->setFocus();
    EXPECT_TRUE(Action("Action_Copy")->isEnabled());
    Action("Action_SelectAll")->trigger();
    Action("Action_Copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Site");
}

TEST_F(MainFormTest, HelpOpensTheTopicOfTheWindowInUse) {
    Show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F1);
    THelpViewer *help = form.HelpViewer();
    ASSERT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentTopic(), 1);
    EXPECT_EQ(help->CurrentTitle(), "Main window");

    form.findChild<QAction *>("Action_HelpContents")->trigger();
    EXPECT_EQ(help->HelpFileName(), "Orvex32alphaRUS.hlp");
    EXPECT_EQ(help->CurrentTopic(), 0);
    EXPECT_EQ(help->CurrentTitle(), "Contents");

    // Every numbered topic has its page.
    for (int topic : THelpViewer::Topics()) {
        help->ShowTopic(topic);
        EXPECT_EQ(help->CurrentTopic(), topic);
        EXPECT_NE(help->CurrentTitle(), "") << topic;
    }
    help->ShowTopic(2);
    EXPECT_EQ(help->CurrentTopic(), 0);

    // A tool window's own topic.
    QWidget tool;
    tool.setProperty("helpTopic", 3);
    tool.show();
    tool.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tool));
    QTest::keyClick(&tool, Qt::Key_F1);
    EXPECT_EQ(help->CurrentTopic(), 3);
    help->close();
}
