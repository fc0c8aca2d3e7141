#include "edit_grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>

namespace orvex {

EditGridModel::EditGridModel(const TEditGrid &grid, QObject *parent)
    : QAbstractTableModel(parent), grid_(grid) {}

int EditGridModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : std::max(0, grid_.RowCount() - 1);
}

int EditGridModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : grid_.ColumnCount();
}

QVariant EditGridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row() + 1, column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(grid_.Cell(row, column));
    case Qt::TextAlignmentRole:
        return column < TEditGrid::kFixedColumns ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                 : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        // Unused records stay readable but recede.
        if (grid_.RowMarked(row))
            return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::BackgroundRole:
        if (column < TEditGrid::kFixedColumns)
            return QApplication::palette().color(QPalette::Button);
        return {};
    default:
        return {};
    }
}

QVariant EditGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return QString::fromStdString(grid_.Cell(0, section));
    return section + 1;
}

void EditGridModel::Reset() {
    beginResetModel();
    endResetModel();
}

void EditGridModel::RowChanged(int gridRow) {
    if (gridRow < 1 || gridRow >= grid_.RowCount()) return;
    emit dataChanged(index(gridRow - 1, 0), index(gridRow - 1, columnCount() - 1));
}

EditGridView::EditGridView(EditGridModel *model, QWidget *parent)
    : QTableView(parent), fixed_(new QTableView(this)) {
    setModel(model);
    setObjectName("StringGrid");
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    verticalHeader()->hide();
    // Uniform, fixed row heights keep a grid of 100,000 rows as cheap as one of ten.
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);

    fixed_->setObjectName("StringGrid_FixedColumns");
    fixed_->setModel(model);
    fixed_->setSelectionModel(selectionModel());
    fixed_->setFocusPolicy(Qt::NoFocus);
    fixed_->setEditTriggers(NoEditTriggers);
    fixed_->verticalHeader()->hide();
    fixed_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->verticalHeader()->setDefaultSectionSize(rowHeight);
    fixed_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->horizontalHeader()->setHighlightSections(false);
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollMode(ScrollPerPixel);
    fixed_->setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::CustomContextMenu);
    fixed_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { emit MenuRequested(viewport()->mapToGlobal(at)); });
    connect(fixed_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { emit MenuRequested(fixed_->viewport()->mapToGlobal(at)); });
    viewport()->stackUnder(fixed_);

    connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (section < TEditGrid::kFixedColumns) {
                    fixed_->setColumnWidth(section, size);
                    LayOutFixedColumns();
                }
            });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        for (int column = 0; column < this->model()->columnCount(); ++column)
            fixed_->setColumnHidden(column, column >= TEditGrid::kFixedColumns);
        FitColumns();
    });
    LayOutFixedColumns();
}

int EditGridView::TopSelectedRow() const {
    int top = -1;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        if (top < 0 || range.top() < top) top = range.top();
    if (top < 0 && currentIndex().isValid()) top = currentIndex().row();
    return top < 0 ? 0 : top + 1;
}

void EditGridView::FitColumns() {
    const int columns = model()->columnCount();
    const int sample = std::min(model()->rowCount(), 200);
    const QFontMetrics metrics(font());
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
    for (int column = 0; column < columns; ++column) {
        int width = headerMetrics.horizontalAdvance(
                        model()->headerData(column, Qt::Horizontal).toString()) +
                    padding;
        for (int row = 0; row < sample; ++row)
            width = std::max(width, metrics.horizontalAdvance(
                                        model()->data(model()->index(row, column)).toString()) +
                                        padding);
        // A coordinate column leaves room for its "UnUsed! " mark.
        if (column < TEditGrid::kFixedColumns)
            width += metrics.horizontalAdvance(QString::fromLatin1(kUnusedMark));
        setColumnWidth(column, width);
        if (column < TEditGrid::kFixedColumns) fixed_->setColumnWidth(column, width);
    }
    LayOutFixedColumns();
}

int EditGridView::FixedWidth() const {
    int width = 0;
    for (int column = 0; column < std::min(model()->columnCount(), TEditGrid::kFixedColumns);
         ++column)
        width += columnWidth(column);
    return width;
}

void EditGridView::LayOutFixedColumns() {
    fixed_->setVisible(model()->columnCount() > 0);
    fixed_->setGeometry(frameWidth(), frameWidth(), FixedWidth(),
                        viewport()->height() + horizontalHeader()->height());
}

void EditGridView::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    LayOutFixedColumns();
}

QModelIndex EditGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(action, modifiers);
    // Moving left onto a value column hidden under the coordinates scrolls it out.
    if (action == MoveLeft && current.column() >= TEditGrid::kFixedColumns &&
        visualRect(current).left() < FixedWidth()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() +
                                        visualRect(current).left() - FixedWidth());
    }
    return current;
}

void EditGridView::scrollTo(const QModelIndex &index, ScrollHint hint) {
    // The coordinate columns never scroll sideways: only the row is brought into view.
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (index.column() < TEditGrid::kFixedColumns) horizontalScrollBar()->setValue(across);
}

} // namespace orvex
