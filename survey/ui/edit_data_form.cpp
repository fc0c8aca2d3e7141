#include "orvex/survey/edit_data_form.h"

#include "edit_grid_view.h"
#include "orvex/survey/load.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orvex {

namespace {

// The spin button beside a panel number: only its arrows show, and it stays
// disabled, since the panel shows the survey's values but cannot change them.
class UpDown : public QSpinBox {
public:
    UpDown(const char *name, int minimum, int maximum, QWidget *parent) : QSpinBox(parent) {
        setObjectName(name);
        setRange(minimum, maximum);
        lineEdit()->hide();
        setFixedWidth(18);
        setEnabled(false);
    }
};

char SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? point[0].toLatin1() : '.';
}

} // namespace

TEditDataForm::TEditDataForm(ChannelFrequencyFn frequency, QWidget *parent)
    : QWidget(parent), records_(std::make_unique<TKavRecords>()), frequency_(std::move(frequency)),
      separator_(SystemDecimalSeparator()) {
    setObjectName("TEditDataForm");
    setWindowTitle("Edit Data");

    auto *panel = new QFrame(this);
    panel->setObjectName("Panel_Header");
    panel->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QGridLayout(panel);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(4);

    const auto label = [&](const char *name, const char *text) {
        auto *l = new QLabel(text, panel);
        l->setObjectName(name);
        return l;
    };
    Edit_SiteName = AddEdit("Edit_SiteName");
    Edit_SiteOperator = AddEdit("Edit_SiteOperator");
    Edit_SiteTimeDate = AddEdit("Edit_SiteTimeDate");
    Memo_SiteComment = new QPlainTextEdit(panel);
    Memo_SiteComment->setObjectName("Memo_SiteComment");
    Memo_SiteComment->setReadOnly(true);
    Memo_SiteComment->setFixedHeight(Memo_SiteComment->fontMetrics().height() * 3 + 10);
    layout->addWidget(label("Label_SiteName", "Site Name:"), 0, 0);
    layout->addWidget(Edit_SiteName, 0, 1);
    layout->addWidget(label("Label_SiteOperator", "Site Operator:"), 1, 0);
    layout->addWidget(Edit_SiteOperator, 1, 1);
    layout->addWidget(label("Label_SiteTimeDate", "Time/Data:"), 2, 0);
    layout->addWidget(Edit_SiteTimeDate, 2, 1);
    layout->addWidget(label("Label_SiteComment", "Comment:"), 0, 2, Qt::AlignTop);
    layout->addWidget(Memo_SiteComment, 0, 3, 3, 1);

    CheckBox_ChaoticGrid = new QCheckBox("Chaotic Grid", panel);
    CheckBox_ChaoticGrid->setObjectName("CheckBox_ChaoticGrid");
    CheckBox_ChaoticGrid->setEnabled(false);
    connect(CheckBox_ChaoticGrid, &QCheckBox::toggled, this, &TEditDataForm::ChaoticGridChanged);
    layout->addWidget(CheckBox_ChaoticGrid, 0, 5, 1, 6);

    // Geometry: a label, an edit and its spin button for each bound, in pairs.
    const auto bound = [&](int row, int column, QLabel *l, QLineEdit *edit, QSpinBox *spin) {
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("-00000000") + 12);
        auto *pair = new QHBoxLayout;
        pair->setSpacing(0);
        pair->addWidget(edit);
        pair->addWidget(spin);
        layout->addWidget(l, row, column);
        layout->addLayout(pair, row, column + 1);
    };
    Label_MinStation = label("Label_MinStation", "Min Station");
    Label_MaxStation = label("Label_MaxStation", "Max Station");
    Label_MinProfile = label("Label_MinProfile", "Min Line");
    Label_MaxProfile = label("Label_MaxProfile", "Max Line");
    Label_XStep = label("Label_XStep", "X Step");
    Label_YStep = label("Label_YStep", "Y Step");
    Edit_MinStation = AddEdit("Edit_MinStation");
    Edit_MaxStation = AddEdit("Edit_MaxStation");
    Edit_MinProfile = AddEdit("Edit_MinProfile");
    Edit_MaxProfile = AddEdit("Edit_MaxProfile");
    Edit_XStep = AddEdit("Edit_XStep");
    Edit_YStep = AddEdit("Edit_YStep");
    UpDown_MinProfile = new UpDown("UpDown_MinProfile", 0, 8189, panel);
    UpDown_MaxProfile = new UpDown("UpDown_MaxProfile", 0, 8189, panel);
    UpDown_XStep = new UpDown("UpDown_XStep", -1000, 1000, panel);
    UpDown_YStep = new UpDown("UpDown_YStep", -1000, 1000, panel);
    bound(1, 5, Label_MinStation, Edit_MinStation, new UpDown("UpDown_MinStation", 0, 8189, panel));
    bound(1, 8, Label_MaxStation, Edit_MaxStation, new UpDown("UpDown_MaxStation", 0, 8189, panel));
    bound(2, 5, Label_MinProfile, Edit_MinProfile, UpDown_MinProfile);
    bound(2, 8, Label_MaxProfile, Edit_MaxProfile, UpDown_MaxProfile);
    bound(3, 5, Label_XStep, Edit_XStep, UpDown_XStep);
    bound(3, 8, Label_YStep, Edit_YStep, UpDown_YStep);
    layout->setColumnMinimumWidth(4, 12);
    layout->setColumnMinimumWidth(7, 12);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(3, 3);

    model_ = new EditGridModel(grid_, this);
    view_ = new EditGridView(model_, this);

    setRowUnused_ = new QAction("Set Row UnUsed", this);
    setRowUnused_->setObjectName("Action_SetRowUnUsed");
    setRowUnused_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    setRowUnused_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(setRowUnused_);
    connect(setRowUnused_, &QAction::triggered, this, &TEditDataForm::SetRowUnused);
    gridMenu_ = new QMenu(this);
    gridMenu_->setObjectName("PopupMenu_Grid");
    gridMenu_->addAction(setRowUnused_);
    connect(view_, &EditGridView::MenuRequested, gridMenu_,
            [this](const QPoint &at) { gridMenu_->popup(at); });

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    column->addWidget(panel);
    column->addWidget(view_, 1);
    resize(860, 480);
}

TEditDataForm::~TEditDataForm() = default;

QTableView *TEditDataForm::GridView() const {
    return view_;
}

QLineEdit *TEditDataForm::AddEdit(const char *name) {
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

void TEditDataForm::LoadSurvey(const std::string &fileName) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    LoadSurveyFile(records_->Data, fileName);
    FillEditGrid();
}

void TEditDataForm::FillEditGrid() {
    const TKavSurveyData &data = records_->Data;
    if (!data.Loaded) return;
    grid_.Fill(data, frequency_, separator_);
    ShowPanel(PanelTextsOf(data, separator_));
    model_->Reset();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    grid_.MarkUnusedRecords();
    view_->setFocus();
    if (model_->rowCount() > 0)
        emit model_->dataChanged(model_->index(0, 0),
                                 model_->index(model_->rowCount() - 1, model_->columnCount() - 1));
}

void TEditDataForm::ShowPanel(const TEditPanelTexts &panel) {
    Edit_SiteName->setText(QString::fromStdString(panel.SiteName));
    Edit_SiteOperator->setText(QString::fromStdString(panel.SiteOperator));
    Edit_SiteTimeDate->setText(QString::fromStdString(panel.SiteTimeDate));
    Memo_SiteComment->setPlainText(QString::fromStdString(panel.SiteComment));
    CheckBox_ChaoticGrid->setChecked(panel.ChaoticGrid);
    ChaoticGridChanged(panel.ChaoticGrid);
    Edit_MinStation->setText(QString::fromStdString(panel.MinStation));
    Edit_MaxStation->setText(QString::fromStdString(panel.MaxStation));
    Edit_MinProfile->setText(QString::fromStdString(panel.MinLine));
    Edit_MaxProfile->setText(QString::fromStdString(panel.MaxLine));
    Edit_XStep->setText(QString::fromStdString(panel.XStep));
    Edit_YStep->setText(QString::fromStdString(panel.YStep));
}

TEditPanelTexts TEditDataForm::ReadPanel() const {
    TEditPanelTexts panel;
    panel.SiteName = Edit_SiteName->text().toStdString();
    panel.SiteOperator = Edit_SiteOperator->text().toStdString();
    panel.SiteTimeDate = Edit_SiteTimeDate->text().toStdString();
    panel.SiteComment = Memo_SiteComment->toPlainText().toStdString();
    panel.ChaoticGrid = CheckBox_ChaoticGrid->isChecked();
    panel.MinStation = Edit_MinStation->text().toStdString();
    panel.MaxStation = Edit_MaxStation->text().toStdString();
    panel.MinLine = Edit_MinProfile->text().toStdString();
    panel.MaxLine = Edit_MaxProfile->text().toStdString();
    panel.XStep = Edit_XStep->text().toStdString();
    panel.YStep = Edit_YStep->text().toStdString();
    return panel;
}

void TEditDataForm::ChaoticGridChanged(bool chaotic) {
    for (QWidget *control : std::initializer_list<QWidget *>{
             Edit_MinProfile, Edit_MaxProfile, Edit_XStep, Edit_YStep, Label_MinProfile,
             Label_MaxProfile, Label_XStep, Label_YStep})
        control->setEnabled(!chaotic);
    Label_MinStation->setText("Min Station");
    Label_MaxStation->setText("Max Station");
}

void TEditDataForm::ApplyEditsToSurvey() {
    orvex::ApplyEditsToSurvey(ReadPanel(), grid_, records_->Data, separator_);
}

void TEditDataForm::SetRowUnused() {
    const int row = view_->TopSelectedRow();
    const std::string first = grid_.Cell(row, 0);
    if (row < 1 || first.empty() || first[0] == 'U') return;
    grid_.MarkRow(row);
    model_->RowChanged(row);
}

} // namespace orvex
