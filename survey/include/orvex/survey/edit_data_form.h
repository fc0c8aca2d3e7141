// The Edit Data window: one survey in a child window of the workbench, its
// description and geometry in a read-only panel above, every measured value in
// a grid below, where the operator marks whole records unused. The window owns
// its survey object and frees it when it closes.
#pragma once

#include "orvex/processing/kav_records.h"
#include "orvex/survey/edit_grid.h"

#include <QWidget>

#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSpinBox;
class QTableView;

namespace orvex {

class EditGridModel;
class EditGridView;

class TEditDataForm : public QWidget {
    Q_OBJECT
public:
    // `frequency` gives the column headers their channel frequencies; without
    // one every header shows 0.0.
    explicit TEditDataForm(ChannelFrequencyFn frequency = {}, QWidget *parent = nullptr);
    ~TEditDataForm() override;

    TKavRecords &Records() { return *records_; }
    const TEditGrid &Grid() const { return grid_; }

    // Loads a file into the window's survey and, when the load succeeded, fills
    // the panel and the grid. The caption is set by the caller. Load errors
    // propagate (the window then keeps its empty panel and grid).
    void LoadSurvey(const std::string &fileName);
    // Shows the loaded survey: panel, headers, coordinates, values and the
    // marks of unused records. Does nothing while the survey is not loaded.
    void FillEditGrid();
    // Copies the panel and the marked rows back into the survey.
    void ApplyEditsToSurvey();
    // "Set Row UnUsed": marks the top row of the grid's selection.
    void SetRowUnused();

    QAction *SetRowUnusedAction() const { return setRowUnused_; }
    QMenu *GridMenu() const { return gridMenu_; }
    QTableView *GridView() const;
    // The decimal separator of the user's regional settings.
    char DecimalSeparator() const { return separator_; }

private:
    QLineEdit *AddEdit(const char *name);
    void ShowPanel(const TEditPanelTexts &panel);
    TEditPanelTexts ReadPanel() const;
    void ChaoticGridChanged(bool chaotic);

    std::unique_ptr<TKavRecords> records_;
    ChannelFrequencyFn frequency_;
    char separator_ = '.';
    TEditGrid grid_;
    EditGridModel *model_ = nullptr;
    EditGridView *view_ = nullptr;
    QAction *setRowUnused_ = nullptr;
    QMenu *gridMenu_ = nullptr;

    QLineEdit *Edit_SiteName = nullptr, *Edit_SiteOperator = nullptr, *Edit_SiteTimeDate = nullptr;
    QPlainTextEdit *Memo_SiteComment = nullptr;
    QCheckBox *CheckBox_ChaoticGrid = nullptr;
    QLineEdit *Edit_MinStation = nullptr, *Edit_MaxStation = nullptr;
    QLineEdit *Edit_MinProfile = nullptr, *Edit_MaxProfile = nullptr;
    QLineEdit *Edit_XStep = nullptr, *Edit_YStep = nullptr;
    QLabel *Label_MinStation = nullptr, *Label_MaxStation = nullptr;
    QLabel *Label_MinProfile = nullptr, *Label_MaxProfile = nullptr;
    QLabel *Label_XStep = nullptr, *Label_YStep = nullptr;
    QSpinBox *UpDown_MinProfile = nullptr, *UpDown_MaxProfile = nullptr;
    QSpinBox *UpDown_XStep = nullptr, *UpDown_YStep = nullptr;
};

} // namespace orvex
