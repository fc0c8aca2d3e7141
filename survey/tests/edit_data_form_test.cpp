#include "orvex/errors.h"
#include "orvex/survey/edit_data_form.h"
#include "orvex/survey/legacy.h"
#include "orvex/testing/qt_application.h"
#include "orvex/testing/scratch_dir.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvex;

namespace {

// A legacy survey of stations 5..7 on lines 0..1 whose record i holds
// RawComp1 = 100 i + k in channel k; record 2 has every channel unused.
TKavSurveyData Survey() {
    TKavSurveyData data;
    data.SiteName = "North field";
    data.SiteOperator = "I. Petrova";
    data.SiteTimeDate = "11.12.2026";
    data.SiteComment = "second pass";
    data.MinStation = 5;
    data.MaxStation = 7;
    data.MinLine = 0;
    data.MaxLine = 1;
    data.XStep = 2.5;
    data.YStep = 10;
    data.DeviceNumber = 7;
    data.Stations.resize(6);
    for (int i = 0; i < 6; ++i)
        for (int k = 1; k <= 14; ++k) {
            data.Stations[i].RawComp1[k] = 100 * i + k;
            data.Stations[i].RawComp2[k] = -k;
            data.Stations[i].RawCurrent[k] = 600 + k;
            data.Stations[i].ChannelUsed[k] = i == 2 ? 0 : 1;
        }
    return data;
}

class EditDataFormTest : public ::testing::Test {
protected:
    EditDataFormTest() { orvex::testing::TestApplication(); }

    std::string Write(const TKavSurveyData &data, const std::string &name) {
        WriteLegacySurvey(data, scratch / name);
        return scratch / name;
    }
    template <typename T> T *Control(TEditDataForm &form, const char *name) {
        T *control = form.findChild<T *>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QString Text(TEditDataForm &form, const char *edit) {
        return Control<QLineEdit>(form, edit)->text();
    }
    static QString Cell(TEditDataForm &form, int gridRow, int column) {
        const QAbstractItemModel *model = form.GridView()->model();
        return model->data(model->index(gridRow - 1, column)).toString();
    }
    static void Select(TEditDataForm &form, int gridRow, int column = 3) {
        form.GridView()->selectionModel()->setCurrentIndex(
            form.GridView()->model()->index(gridRow - 1, column),
            QItemSelectionModel::ClearAndSelect);
    }

    orvex::testing::ScratchDir scratch;
};

} // namespace

TEST_F(EditDataFormTest, ShowsTheSurveyInPanelAndGrid) {
    TEditDataForm form([](int32_t device, int channel) { return device * 1000.0 + channel; });
    form.LoadSurvey(Write(Survey(), "area.prf"));
    EXPECT_EQ(Text(form, "Edit_SiteName"), "North field");
    EXPECT_EQ(Control<QPlainTextEdit>(form, "Memo_SiteComment")->toPlainText(), "second pass");
    EXPECT_EQ(Text(form, "Edit_MinStation"), "5");
    EXPECT_EQ(Text(form, "Edit_MaxProfile"), "1");
    EXPECT_EQ(Text(form, "Edit_XStep"), "2.5");
    EXPECT_FALSE(Control<QCheckBox>(form, "CheckBox_ChaoticGrid")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(form, "CheckBox_ChaoticGrid")->isEnabled());
    EXPECT_TRUE(Control<QLineEdit>(form, "Edit_XStep")->isReadOnly());

    // The view shows exactly the grid's texts: headers, marks, serpentine rows.
    const QAbstractItemModel *model = form.GridView()->model();
    ASSERT_EQ(model->rowCount(), 6);
    ASSERT_EQ(model->columnCount(), 44);
    for (int column = 0; column < 44; ++column)
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString().toStdString(),
                  form.Grid().Cell(0, column));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "X 7001.0(01)");
    EXPECT_EQ(Cell(form, 4, 2), "501"); // station 5 of line 1 is record 5
    EXPECT_EQ(Cell(form, 6, 2), "301"); // station 7 of line 1 is record 3
    EXPECT_EQ(Cell(form, 1, 0), "12.5");
    EXPECT_EQ(Cell(form, 3, 0), "UnUsed! 17.5"); // record 2 is unused
    EXPECT_EQ(Cell(form, 3, 1), "UnUsed! 0.0");
    EXPECT_EQ(Cell(form, 4, 1), "10.0");
}

TEST_F(EditDataFormTest, ChaoticSurveyPanel) {
    TKavSurveyData data = Survey();
    data.ChaoticGrid = 1;
    data.MinStation = 0;
    data.MaxStation = 5;
    data.MinLine = data.MaxLine = 0;
    data.XStep = data.YStep = 0;
    TEditDataForm form;
    form.LoadSurvey(Write(data, "points.cpr"));
    EXPECT_TRUE(Control<QCheckBox>(form, "CheckBox_ChaoticGrid")->isChecked());
    for (const char *edit : {"Edit_MinProfile", "Edit_MaxProfile", "Edit_XStep", "Edit_YStep"}) {
        EXPECT_EQ(Text(form, edit), "") << edit;
        EXPECT_FALSE(Control<QLineEdit>(form, edit)->isEnabled()) << edit;
    }
    EXPECT_FALSE(Control<QLabel>(form, "Label_XStep")->isEnabled());
    EXPECT_EQ(Control<QLabel>(form, "Label_MinStation")->text(), "Min Station");
    EXPECT_EQ(Text(form, "Edit_MaxStation"), "5");
    EXPECT_EQ(Cell(form, 1, 0), "0.0");
    EXPECT_EQ(Cell(form, 6, 1), "0.0");
}

TEST_F(EditDataFormTest, SetRowUnusedMarksOnceFromKeyAndMenu) {
    TEditDataForm form;
    form.LoadSurvey(Write(Survey(), "area.prf"));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.GridView()->setFocus();

    Select(form, 5);
    QTest::keyClick(form.GridView(), Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(form.GridView(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Cell(form, 5, 0), "UnUsed! 15.0");
    EXPECT_EQ(Cell(form, 5, 1), "UnUsed! 10.0");
    EXPECT_EQ(Cell(form, 3, 0), "UnUsed! 17.5"); // marked at load, stays marked

    // A right click selects the cell under the mouse and opens the grid's menu there.
    QWidget *cells = form.GridView()->viewport();
    const QPoint at = form.GridView()->visualRect(form.GridView()->model()->index(5, 4)).center();
    QTest::mouseClick(cells, Qt::RightButton, {}, at);
    EXPECT_EQ(form.GridView()->currentIndex().row(), 5);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, cells->mapToGlobal(at));
    QApplication::sendEvent(cells, &click);
    QMenu *menu = form.GridMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), cells->mapToGlobal(at));
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Set Row UnUsed");
    EXPECT_EQ(menu->actions()[0]->shortcut(), QKeySequence("Ctrl+D"));
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_EQ(Cell(form, 6, 0), "UnUsed! 17.5");

    // The marks are what goes back into the survey.
    form.ApplyEditsToSurvey();
    const TKavSurveyData &data = form.Records().Data;
    for (size_t i = 0; i < data.Stations.size(); ++i)
        EXPECT_EQ(RecordUnused(data.Stations[i]), i == 2 || i == 4 || i == 3) << i;
    EXPECT_EQ(data.SiteName, "North field");
    EXPECT_EQ(data.XStep, 2.5);
}

TEST_F(EditDataFormTest, FailedLoadLeavesAnEmptyWindow) {
    const std::string path = Write(Survey(), "short.prf");
    std::filesystem::resize_file(path, 1062 + 6 * 112 - 1);
    TEditDataForm form;
    EXPECT_THROW(form.LoadSurvey(path), InputOutputError);
    EXPECT_EQ(form.GridView()->model()->rowCount(), 0);
    EXPECT_EQ(form.GridView()->model()->columnCount(), 0);
    EXPECT_EQ(Text(form, "Edit_SiteName"), "");
    EXPECT_EQ(Text(form, "Edit_MaxStation"), "");
    form.SetRowUnused(); // nothing to mark
    EXPECT_EQ(form.Grid().RowCount(), 0);
}
