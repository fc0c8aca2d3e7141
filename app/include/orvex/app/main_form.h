// The main window: a frame of Edit Data child windows with the menu, the tool
// bar and the right-click menu from which the operator opens surveys, saves
// and exports them, and hands the screen to the tool windows.
#pragma once

#include "orvex/app/tool_windows.h"
#include "orvex/prompts.h"
#include "orvex/survey/edit_grid.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMdiArea;
class QMenu;

namespace orvex {

class TEditDataForm;
class THelpViewer;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `frequency` gives every Edit Data window its column headers.
    TMainForm(Prompts &prompts, ChannelFrequencyFn frequency, QWidget *parent = nullptr);
    ~TMainForm() override;

    // File commands.
    void New();
    void Open();
    // Opens each existing file in a new Edit Data window captioned with its full
    // path, in order; a file that does not exist is skipped. A load error ends
    // the command (shown by the caller's error handler) and leaves its window
    // open and empty.
    void OpenFiles(const std::vector<std::string> &files);
    void SaveAs();
    void Export();
    void Print();

    // The Edit Data window the commands act on, or null.
    TEditDataForm *ActiveEditData() const;
    std::vector<TEditDataForm *> EditDataWindows() const;
    QMdiArea *MdiArea() const { return mdi_; }
    QMenu *PopupMenu() const { return popup_; }

    // The kind of processing the Common Process window is opened for:
    // 0 = map, 1 = section or sounding curves.
    uint8_t ProcessKind() const { return processKind_; }

    // A tool window created at start-up; commands whose window is absent stay
    // disabled.
    void SetToolWindow(ToolWindow which, QWidget *window);
    QWidget *Tool(ToolWindow which) const { return tools_[static_cast<size_t>(which)]; }
    // Whether the map server was reached at start-up; Relief Section and
    // Create Maps need it (false until the Create Maps window says otherwise).
    void SetSurferAvailable(bool available);
    // Selects an entry of the Process Options window's "Output Format" as the
    // user would (0 = "&Surfer D.Sheet", 1 = "S&ound. Curves"); set by that window.
    void SetOutputFormatHook(std::function<void(int entry)> hook) {
        outputFormat_ = std::move(hook);
    }

    // The help viewer at the help topic of the window the user is in.
    void ShowHelpForActiveWindow();
    THelpViewer *HelpViewer();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *MakeAction(const char *name, const QString &text, const QKeySequence &shortcut = {},
                        const QString &hint = {}, const char *icon = nullptr);
    void Guarded(QAction *action, const std::function<void()> &command);
    TEditDataForm *AddEditData(const QString &caption);
    void BuildMenus();
    void BuildToolBar();
    void BuildPopupMenu();
    void ShowToolWindow(ToolWindow which);
    void ProcessCommand(uint8_t kind, int outputFormat);
    void ShowModalTool(ToolWindow which);
    void UpdateToolCommands();
    void UpdateEditActions();
    void EditCommand(int which);
    void TileChildren(Qt::Orientation orientation);

    Prompts &prompts_;
    ChannelFrequencyFn frequency_;
    QMdiArea *mdi_ = nullptr;
    QMenu *popup_ = nullptr;
    THelpViewer *help_ = nullptr;
    uint8_t processKind_ = 0;
    bool surferAvailable_ = false;
    std::function<void(int)> outputFormat_;
    std::array<QWidget *, kToolWindowCount> tools_{};

    QAction *new_ = nullptr, *open_ = nullptr, *saveAs_ = nullptr, *export_ = nullptr,
            *print_ = nullptr, *exit_ = nullptr;
    std::array<QAction *, 5> edit_{}; // undo, cut, copy, paste, select all
    QAction *communication_ = nullptr, *diagram_ = nullptr, *section_ = nullptr, *map_ = nullptr,
            *relief_ = nullptr, *createMaps_ = nullptr, *processOptions_ = nullptr,
            *portSettings_ = nullptr, *popupPortSettings_ = nullptr;
};

} // namespace orvex
