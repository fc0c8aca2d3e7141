// The table of an Edit Data window: a model that asks the grid for each cell's
// text as it is painted, and a table view whose first two columns (the
// coordinates) stay in place while the value columns scroll.
#pragma once

#include "orvex/survey/edit_grid.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace orvex {

// Rows of the model are the grid's data rows (grid row = model row + 1); the
// grid's header row is the horizontal header.
class EditGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EditGridModel(const TEditGrid &grid, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // After the grid was filled anew.
    void Reset();
    // After a row's mark changed.
    void RowChanged(int gridRow);

private:
    const TEditGrid &grid_;
};

class EditGridView : public QTableView {
    Q_OBJECT
public:
    explicit EditGridView(EditGridModel *model, QWidget *parent = nullptr);

    // The top row (grid row, 1..) of the current selection, or 0 when none.
    int TopSelectedRow() const;
    // Sizes the columns to their headers and to the widest of the first rows.
    void FitColumns();

signals:
    // A right click on a cell, at this global position.
    void MenuRequested(const QPoint &globalPosition);

protected:
    void resizeEvent(QResizeEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

private:
    void LayOutFixedColumns();
    int FixedWidth() const;

    QTableView *fixed_; // the two coordinate columns, laid over the left edge
};

} // namespace orvex
