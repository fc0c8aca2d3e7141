#include "orvex/app/main_form.h"

#include "orvex/app/error_handler.h"
#include "orvex/app/help_viewer.h"
#include "orvex/files.h"
#include "orvex/survey/edit_data_form.h"
#include "orvex/survey/save.h"
#include "orvex/survey/worksheet.h"
#include "orvex/text.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

namespace orvex {

namespace {

const char *const kOpenFilter = "Profiling OrtGrid (*.prf)|*.prf|Profiling ChaosGrid (*.cpr)|*.cpr|"
                                "SSounding OrtGrid (*.sdg)|*.sdg|SSounding ChaosGrid (*.csd)|*.csd|"
                                "Surfer Data File (*.dat)|*.dat|Surfer Grid File (*.grd)|*.grd|"
                                "Kav Data Files (*.kav)|*.kav|All files (*.*)|*.*";
constexpr int kOpenSurveyFilter = 7;
const char *const kSaveFilter = "MS Excel files (*.xls)|*.xls|Kav Data Files (*.kav)|*.kav";
constexpr int kSaveSurveyFilter = 2;

enum EditAction { Undo, Cut, Copy, Paste, SelectAll };

// The standard editing actions of a text control.
template <typename TextControl> void RunEditAction(TextControl &control, int which) {
    switch (which) {
    case Undo:
        control.undo();
        break;
    case Cut:
        control.cut();
        break;
    case Copy:
        control.copy();
        break;
    case Paste:
        control.paste();
        break;
    default:
        control.selectAll();
        break;
    }
}

// The selected cells of a table as tab-separated lines, as spreadsheets paste them.
QString SelectedCells(const QAbstractItemView &view) {
    const QItemSelection selection = view.selectionModel()->selection();
    if (selection.isEmpty()) return {};
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    for (const QItemSelectionRange &range : selection) {
        top = std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
        left = std::min(left, range.left());
        right = std::max(right, range.right());
    }
    QString text;
    const QAbstractItemModel &model = *view.model();
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            const QModelIndex index = model.index(row, column);
            if (view.selectionModel()->isSelected(index)) text += index.data().toString();
            text += column < right ? '\t' : '\n';
        }
    }
    return text;
}

} // namespace

TMainForm::TMainForm(Prompts &prompts, ChannelFrequencyFn frequency, QWidget *parent)
    : QMainWindow(parent), prompts_(prompts), frequency_(std::move(frequency)) {
    setObjectName("TMainForm");
    setWindowTitle("Orvex");
    setWindowIcon(QIcon(":/icons/orvex.svg"));
    setProperty("helpTopic", kMainHelpTopic);
    setMinimumWidth(250);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("MdiArea");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->viewport()->installEventFilter(this);
    setCentralWidget(mdi_);

    BuildMenus();
    BuildToolBar();
    BuildPopupMenu();
    UpdateToolCommands();

    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, &TMainForm::ShowHelpForActiveWindow);
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateEditActions(); });
    UpdateEditActions();

    // Centred on the screen at start.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1180, screen.width() - 40), std::min(760, screen.height() - 40));
    move(screen.center() - rect().center());
}

TMainForm::~TMainForm() = default;

QAction *TMainForm::MakeAction(const char *name, const QString &text, const QKeySequence &shortcut,
                               const QString &hint, const char *icon) {
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    if (!hint.isEmpty()) action->setToolTip(hint);
    if (icon) action->setIcon(QIcon(QString(":/icons/%1.svg").arg(icon)));
    return action;
}

void TMainForm::Guarded(QAction *action, const std::function<void()> &command) {
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(prompts_, command); });
}

void TMainForm::BuildMenus() {
    new_ = MakeAction("Action_New", "&New", {}, "Create new document", "new");
    open_ = MakeAction("Action_Open", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O),
                       "Open document", "open");
    saveAs_ = MakeAction("Action_SaveAs", "&Save As", QKeySequence(Qt::CTRL | Qt::Key_S), "Save As",
                         "saveas");
    export_ = MakeAction("Action_Export", "Export...");
    print_ = MakeAction("Action_Print", "&Print...", {}, "Print document", "print");
    exit_ = MakeAction("Action_Exit", "&Exit", QKeySequence(Qt::ALT | Qt::Key_X));
    // Created disabled; nothing in the program enables them.
    new_->setEnabled(false);
    saveAs_->setEnabled(false);
    print_->setEnabled(false);
    Guarded(new_, [this] { New(); });
    Guarded(open_, [this] { Open(); });
    Guarded(saveAs_, [this] { SaveAs(); });
    Guarded(export_, [this] { Export(); });
    Guarded(print_, [this] { Print(); });
    connect(exit_, &QAction::triggered, this, &QWidget::close);

    QMenu *file = menuBar()->addMenu("&File");
    file->setObjectName("Menu_File");
    file->addActions({new_, open_, saveAs_, export_});
    file->addSeparator();
    file->addAction(print_);
    file->addSeparator();
    file->addAction(exit_);

    edit_[Undo] = MakeAction("Action_Undo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit_[Cut] = MakeAction("Action_Cut", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    edit_[Copy] = MakeAction("Action_Copy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_Insert));
    edit_[Paste] = MakeAction("Action_Paste", "&Paste", QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    edit_[SelectAll] = MakeAction("Action_SelectAll", "Select &All");
    QMenu *edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("Menu_Edit");
    for (int i = 0; i < static_cast<int>(edit_.size()); ++i) {
        connect(edit_[i], &QAction::triggered, this, [this, i] { EditCommand(i); });
        if (i == SelectAll) edit->addSeparator();
        edit->addAction(edit_[i]);
    }
    connect(edit, &QMenu::aboutToShow, this, &TMainForm::UpdateEditActions);

    communication_ =
        MakeAction("Action_Communication", "&Communication...", QKeySequence(Qt::CTRL | Qt::Key_L),
                   "Communication", "communication");
    diagram_ = MakeAction("Action_DiagramProcess", "&Diagram Process...", {}, "Diagram process",
                          "diagram");
    section_ = MakeAction("Action_SectionProcess", "&Section Process...",
                          QKeySequence(Qt::CTRL | Qt::Key_S), "Section process", "section");
    map_ = MakeAction("Action_MapProcess", "&Map Process...", QKeySequence(Qt::CTRL | Qt::Key_M),
                      "Map process", "map");
    relief_ = MakeAction("Action_ReliefSection", "&Relief Section...",
                         QKeySequence(Qt::CTRL | Qt::Key_R), "Relief Section", "relief");
    createMaps_ =
        MakeAction("Action_CreateMaps", "Create M&ulti Map Documents...",
                   QKeySequence(Qt::CTRL | Qt::Key_3), "Create Multi Map Document", "multimap");
    Guarded(communication_, [this] { ShowToolWindow(ToolWindow::Communication); });
    Guarded(map_, [this] { ProcessCommand(0, 0); });
    Guarded(section_, [this] { ProcessCommand(1, 0); });
    Guarded(diagram_, [this] { ProcessCommand(1, 1); });
    Guarded(relief_, [this] { ShowToolWindow(ToolWindow::ReliefSection); });
    Guarded(createMaps_, [this] { ShowToolWindow(ToolWindow::CreateMaps); });
    QMenu *tools = menuBar()->addMenu("&Tools");
    tools->setObjectName("Menu_Tools");
    tools->addAction(communication_);
    tools->addSeparator();
    tools->addActions({diagram_, section_, map_});
    tools->addSeparator();
    tools->addActions({relief_, createMaps_});

    processOptions_ = MakeAction("Action_ProcessOptions", "&Process Options...");
    portSettings_ = MakeAction("Action_PortSettings", "P&ort Settings...");
    Guarded(processOptions_, [this] { ShowModalTool(ToolWindow::ProcessOptions); });
    QMenu *options = menuBar()->addMenu("&Options");
    options->setObjectName("Menu_Options");
    options->addActions({processOptions_, portSettings_});

    QMenu *window = menuBar()->addMenu("&Window");
    window->setObjectName("Menu_Window");
    QAction *cascade = MakeAction("Action_Cascade", "&Cascade");
    QAction *tileH = MakeAction("Action_TileHorizontally", "Tile &Horizontally");
    QAction *tileV = MakeAction("Action_TileVertically", "&Tile Vertically");
    QAction *minimize = MakeAction("Action_MinimizeAll", "&Minimize All");
    connect(cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(tileH, &QAction::triggered, this, [this] { TileChildren(Qt::Horizontal); });
    connect(tileV, &QAction::triggered, this, [this] { TileChildren(Qt::Vertical); });
    connect(minimize, &QAction::triggered, this, [this] {
        for (QMdiSubWindow *child : mdi_->subWindowList())
            child->showMinimized();
    });
    window->addActions({cascade, tileH, tileV, minimize});

    QMenu *help = menuBar()->addMenu("&Help");
    help->setObjectName("Menu_Help");
    QAction *contents = MakeAction("Action_HelpContents", "Contents");
    QAction *about = MakeAction("Action_About", "About...");
    connect(contents, &QAction::triggered, this, [this] { HelpViewer()->ShowContents(); });
    Guarded(about, [this] { ShowModalTool(ToolWindow::About); });
    help->addActions({contents, about});
}

void TMainForm::BuildToolBar() {
    QToolBar *bar = addToolBar("Tools");
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    const auto button = [bar](QAction *action) {
        bar->addAction(action);
        if (auto *b = qobject_cast<QToolButton *>(bar->widgetForAction(action))) {
            b->setFixedSize(39, 38);
            b->setAutoRaise(true);
            b->setObjectName("ToolButton_" + action->objectName().mid(7));
        }
    };
    button(new_);
    button(open_);
    button(saveAs_);
    bar->addSeparator();
    button(print_);
    bar->addSeparator();
    button(diagram_);
    button(section_);
    button(map_);
    bar->addSeparator();
    button(relief_);
    button(createMaps_);
    bar->addSeparator();
    button(communication_);
}

void TMainForm::BuildPopupMenu() {
    popup_ = new QMenu(this);
    popup_->setObjectName("PopupMenu_Main");
    // Its own entry: the text differs from the Options menu's, and it does nothing too.
    popupPortSettings_ = MakeAction("Action_PopupPortSettings", "&Po&rt Settings...");
    popup_->addActions({processOptions_, popupPortSettings_});
    popup_->addSeparator();
    popup_->addAction(communication_);
    popup_->addSeparator();
    popup_->addActions({diagram_, section_, map_, relief_, createMaps_});
    popup_->addSeparator();
    popup_->addAction(exit_);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::ContextMenu) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        // Only the free area: a click on a child window is the child's own.
        if (mdi_->viewport()->childAt(menuEvent->pos()) == nullptr) {
            popup_->popup(menuEvent->globalPos());
            return true;
        }
        return false;
    }
    // A tool window that closes hands the screen back to the main window.
    if (event->type() == QEvent::Hide && !event->spontaneous() && !isVisible())
        for (ToolWindow which : {ToolWindow::Communication, ToolWindow::CommonProcess,
                                 ToolWindow::ReliefSection, ToolWindow::CreateMaps})
            if (watched == Tool(which)) show();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent *event) {
    if (help_) help_->close();
    QMainWindow::closeEvent(event);
    QCoreApplication::quit();
}

// ---- File commands ------------------------------------------------------------

TEditDataForm *TMainForm::AddEditData(const QString &caption) {
    auto *form = new TEditDataForm(frequency_);
    form->setWindowTitle(caption);
    QMdiSubWindow *child = mdi_->addSubWindow(form);
    child->setAttribute(Qt::WA_DeleteOnClose); // frees the window's survey with it
    // Large enough to read the grid, small enough to leave the frame visible.
    const QSize area = mdi_->viewport()->size();
    child->resize(QSize(1000, 640).boundedTo(area - QSize(24, 24)).expandedTo(QSize(320, 200)));
    child->show();
    mdi_->setActiveSubWindow(child);
    return form;
}

void TMainForm::New() {
    AddEditData(QString());
}

void TMainForm::Open() {
    FileDialogRequest request;
    request.title = "Open File";
    request.filter = kOpenFilter;
    request.filterIndex = kOpenSurveyFilter;
    request.allowMultiple = true;
    OpenFiles(prompts_.OpenFiles(request));
}

void TMainForm::OpenFiles(const std::vector<std::string> &files) {
    for (const std::string &file : files) {
        if (!FileExists(file)) continue;
        const QString path = QFileInfo(QString::fromStdString(file)).absoluteFilePath();
        AddEditData(path)->LoadSurvey(path.toStdString());
    }
}

void TMainForm::SaveAs() {
    TEditDataForm *form = ActiveEditData();
    if (!form) return;
    FileDialogRequest request;
    request.filter = kSaveFilter;
    request.filterIndex = kSaveSurveyFilter;
    request.overwritePrompt = true;
    const std::optional<std::string> name = prompts_.SaveFile(request);
    if (!name) return;
    form->ApplyEditsToSurvey();
    // With nothing written (no legacy source to copy) the window and its marks stay.
    if (!SaveSurveyCopy(form->Records().Data, *name)) return;
    if (auto *child = qobject_cast<QMdiSubWindow *>(form->parentWidget())) child->close();
    OpenFiles({*name});
}

void TMainForm::Export() {
    FileDialogRequest request;
    request.filter = kSaveFilter;
    request.overwritePrompt = true;
    const std::optional<std::string> chosen = prompts_.SaveFile(request);
    if (!chosen) return;
    const std::string name = ChangeExtension(*chosen, ".xls");
    TEditDataForm *form = ActiveEditData();
    if (!form) return;
    // The dialog asked about the name as chosen; a different file the new
    // extension would replace is asked about here.
    if (name != *chosen && FileExists(name) &&
        prompts_.Message({MessageType::Confirmation,
                          name + " already exists.\nDo you want to replace it?", "",
                          ButtonYes | ButtonNo}) != ModalResult::Yes)
        return;
    ExportGridToExcel(form->Grid(), name);
    prompts_.Inform("Export Successfully Comlited!");
}

void TMainForm::Print() {
    // The chosen printer is opened as a text device and closed again: nothing is printed.
    prompts_.Print();
}

TEditDataForm *TMainForm::ActiveEditData() const {
    QMdiSubWindow *child = mdi_->currentSubWindow();
    return child ? qobject_cast<TEditDataForm *>(child->widget()) : nullptr;
}

std::vector<TEditDataForm *> TMainForm::EditDataWindows() const {
    std::vector<TEditDataForm *> forms;
    for (QMdiSubWindow *child : mdi_->subWindowList())
        if (auto *form = qobject_cast<TEditDataForm *>(child->widget())) forms.push_back(form);
    return forms;
}

// ---- Tool commands -------------------------------------------------------------

void TMainForm::SetToolWindow(ToolWindow which, QWidget *window) {
    tools_[static_cast<size_t>(which)] = window;
    if (window) window->installEventFilter(this);
    UpdateToolCommands();
}

void TMainForm::SetSurferAvailable(bool available) {
    surferAvailable_ = available;
    UpdateToolCommands();
}

void TMainForm::UpdateToolCommands() {
    const bool process = Tool(ToolWindow::CommonProcess) != nullptr;
    communication_->setEnabled(Tool(ToolWindow::Communication) != nullptr);
    diagram_->setEnabled(process);
    section_->setEnabled(process);
    map_->setEnabled(process);
    relief_->setEnabled(surferAvailable_ && Tool(ToolWindow::ReliefSection));
    createMaps_->setEnabled(surferAvailable_ && Tool(ToolWindow::CreateMaps));
    processOptions_->setEnabled(Tool(ToolWindow::ProcessOptions) != nullptr);
}

void TMainForm::ShowToolWindow(ToolWindow which) {
    QWidget *window = Tool(which);
    if (!window) return;
    hide();
    QCoreApplication::processEvents();
    window->show();
    window->raise();
    window->activateWindow();
}

void TMainForm::ProcessCommand(uint8_t kind, int outputFormat) {
    if (!Tool(ToolWindow::CommonProcess)) return;
    processKind_ = kind;
    if (outputFormat_) outputFormat_(outputFormat);
    ShowToolWindow(ToolWindow::CommonProcess);
}

void TMainForm::ShowModalTool(ToolWindow which) {
    QWidget *window = Tool(which);
    if (!window) return;
    if (auto *dialog = qobject_cast<QDialog *>(window)) {
        dialog->exec();
        return;
    }
    // A window that is not a dialog is shown modally until it hides.
    QEventLoop loop;
    QPointer<QWidget> guard(window);
    struct HideWatcher : QObject {
        QEventLoop &loop;
        explicit HideWatcher(QEventLoop &l) : loop(l) {}
        bool eventFilter(QObject *, QEvent *e) override {
            if (e->type() == QEvent::Hide || e->type() == QEvent::Destroy) loop.quit();
            return false;
        }
    } watcher(loop);
    window->installEventFilter(&watcher);
    const Qt::WindowModality before = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    loop.exec();
    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(before);
    }
}

// ---- Edit and window commands --------------------------------------------------

void TMainForm::UpdateEditActions() {
    QWidget *focus = QApplication::focusWidget();
    const bool text = qobject_cast<QLineEdit *>(focus) || qobject_cast<QPlainTextEdit *>(focus) ||
                      qobject_cast<QTextEdit *>(focus);
    const bool table = qobject_cast<QAbstractItemView *>(focus) != nullptr;
    for (int i = 0; i < static_cast<int>(edit_.size()); ++i)
        edit_[i]->setEnabled(text || (table && (i == Copy || i == SelectAll)));
}

void TMainForm::EditCommand(int which) {
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        RunEditAction(*line, which);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        RunEditAction(*plain, which);
    else if (auto *rich = qobject_cast<QTextEdit *>(focus))
        RunEditAction(*rich, which);
    else if (auto *view = qobject_cast<QAbstractItemView *>(focus)) {
        if (which == Copy) QApplication::clipboard()->setText(SelectedCells(*view));
        if (which == SelectAll) view->selectAll();
    }
}

void TMainForm::TileChildren(Qt::Orientation orientation) {
    std::vector<QMdiSubWindow *> children;
    for (QMdiSubWindow *child : mdi_->subWindowList())
        if (child->isVisible() && !child->isMinimized()) children.push_back(child);
    if (children.empty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(children.size());
    for (int i = 0; i < n; ++i) {
        children[i]->showNormal();
        // Horizontal tiling stacks full-width windows one above another.
        if (orientation == Qt::Horizontal) {
            const int top = area.height() * i / n, bottom = area.height() * (i + 1) / n;
            children[i]->setGeometry(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / n, right = area.width() * (i + 1) / n;
            children[i]->setGeometry(left, 0, right - left, area.height());
        }
    }
}

// ---- Help ----------------------------------------------------------------------

THelpViewer *TMainForm::HelpViewer() {
    if (!help_) help_ = new THelpViewer(this);
    return help_;
}

void TMainForm::ShowHelpForActiveWindow() {
    int topic = 0;
    QWidget *widget = QApplication::focusWidget();
    if (!widget) widget = QApplication::activeWindow();
    for (; widget && topic <= 0; widget = widget->parentWidget())
        topic = widget->property("helpTopic").toInt();
    HelpViewer()->ShowTopic(topic > 0 ? topic : kMainHelpTopic);
}

} // namespace orvex
