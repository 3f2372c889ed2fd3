#include "platform/ui/widgets/ArrayTableView.h"

#include "platform/ui/widgets/ArrayTableParts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>

namespace corvane::ui {

ArrayTableView::ArrayTableView(QWidget* parent) : QTableView(parent)
{
    model_ = new Model(this);
    setModel(model_);
    QItemSelectionModel* original = QTableView::selectionModel();
    selectionModel_ = new SelectionModel(model_, this);
    setSelectionModel(selectionModel_);
    delete original;
    setItemDelegate(new CellPainter(this));
    connect(selectionModel_, &QItemSelectionModel::selectionChanged, this,
            &ArrayTableView::selectionChangedByTable);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);  // no space between cells
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    typeSelectTimer_.start();
}

ArrayTableView::~ArrayTableView() = default;

void ArrayTableView::setTableColumns(const QList<TableColumn>& columns)
{
    columns_ = columns;
    model_->reset();
    for (int i = 0; i < columns_.size(); ++i)
        setColumnWidth(i, columns_.at(i).width);
    selectRowIndexes(controller_ ? controller_->selectionIndexes() : IndexSet());
}

void ArrayTableView::setDataSource(TableViewDataSource* dataSource)
{
    dataSource_ = dataSource;
    reloadData();
}

void ArrayTableView::bindArrayController(ArrayController* controller)
{
    if (controller_)
        disconnect(controller_, nullptr, this, nullptr);
    controller_ = controller;
    if (controller) {
        connect(controller, &ArrayController::arrangedObjectsChanged, this,
                &ArrayTableView::arrangedObjectsChanged);
        connect(controller, &ArrayController::selectionChanged, this,
                &ArrayTableView::selectionChangedByController);
        connect(controller, &QObject::destroyed, this, [this] {
            controller_ = nullptr;
            reloadData();
        });
    }
    arrangedObjectsChanged();
}

void ArrayTableView::setDoubleAction(const Action& action, Responder* target)
{
    doubleAction_ = action;
    doubleTarget_ = target;
}

void ArrayTableView::reloadData()
{
    const IndexSet rows = controller_ ? controller_->selectionIndexes() : selectedRowIndexes();
    model_->reset();
    selectRowIndexes(rows);
}

void ArrayTableView::reloadDataForRowIndexes(const IndexSet& rows)
{
    for (int row : rows) {
        if (row < model_->rowCount())
            model_->rowsChanged(row, row);
    }
}

void ArrayTableView::selectRowIndexes(const IndexSet& rows)
{
    syncingSelection_ = true;
    selectionModel_->selectRows(rows);
    // Arrow keys go on from the selection, not from an old current row.
    const QModelIndex current = model_->index(rows.isEmpty() ? -1 : rows.firstIndex(), 0);
    if (current.isValid() && !rows.contains(currentIndex().row()))
        selectionModel_->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    syncingSelection_ = false;
}

int ArrayTableView::numberOfRows() const
{
    if (TableViewDataSource* source = dataSource_.get())
        return std::max(0, source->numberOfRowsInTableView(*this));
    return controller_ ? controller_->arrangedCount() : 0;
}

IndexSet ArrayTableView::selectedRowIndexes() const
{
    return selectionModel_->committedRows();
}

QVariant ArrayTableView::objectValue(int column, int row) const
{
    if (column < 0 || column >= columns_.size() || row < 0)
        return {};
    const TableColumn& col = columns_.at(column);
    if (TableViewDataSource* source = dataSource_.get())
        return source->tableViewObjectValueForTableColumnRow(*this, col, row);
    if (!controller_ || row >= controller_->arrangedCount())
        return {};
    return controller_->valueForKeyPathOfObject(controller_->arrangedObjects().at(row),
                                                col.identifier);
}

IndexSet ArrayTableView::answerProposedSelection(const IndexSet& proposed)
{
    TableViewDelegate* d = delegate_.get();
    if (!d || syncingSelection_)
        return proposed;
    IndexSet answer = d->tableViewSelectionIndexesForProposedSelection(*this, proposed);
    answer.clip(numberOfRows());
    return answer;
}

QPoint ArrayTableView::tableOffset() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect ArrayTableView::frameOfCellAtColumnRow(int column, int row) const
{
    if (column < 0 || column >= columns_.size() || row < 0 || row >= model_->rowCount())
        return {};
    return visualRect(model_->index(row, column)).translated(tableOffset());
}

QRect ArrayTableView::imageRectForCellFrame(int column, const QRect& cellFrame) const
{
    if (column < 0 || column >= columns_.size() || cellFrame.isEmpty())
        return {};
    QSize size;
    switch (columns_.at(column).kind) {
    case CellKind::CheckBox:
        size = QSize(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this),
                     style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
        break;
    case CellKind::Image:
        size = iconSize().isValid() ? iconSize() : QSize(16, 16);
        break;
    case CellKind::Text:
        return cellFrame;
    }
    size = size.boundedTo(cellFrame.size());
    QRect glyph(QPoint(0, 0), size);
    glyph.moveCenter(cellFrame.center());
    return glyph;
}

QRect ArrayTableView::visibleRect() const
{
    return viewport()->rect().translated(tableOffset());
}

QPoint ArrayTableView::convertPointToScreen(const QPoint& point) const
{
    return viewport()->mapToGlobal(point - tableOffset());
}

bool ArrayTableView::hitsCheckBox(int column, int row, const QPoint& viewportPoint) const
{
    if (column < 0 || column >= columns_.size() || columns_.at(column).kind != CellKind::CheckBox)
        return false;
    return imageRectForCellFrame(column, frameOfCellAtColumnRow(column, row))
        .contains(toTable(viewportPoint));
}

void ArrayTableView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    clickedRow_ = index.isValid() ? index.row() : -1;
    clickedColumn_ = index.isValid() ? index.column() : -1;
    eventLocation_ = toTable(pos);
    checkBoxPress_.reset();
    if (event->button() == Qt::LeftButton && hitsCheckBox(clickedColumn_, clickedRow_, pos))
        checkBoxPress_ = pos;
    QTableView::mousePressEvent(event);
}

void ArrayTableView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    eventLocation_ = toTable(pos);
    QTableView::mouseReleaseEvent(event);
    // A check box acts when the button comes up over the box it went down on.
    const bool onBox = checkBoxPress_ && hitsCheckBox(clickedColumn_, clickedRow_, pos);
    checkBoxPress_.reset();
    if (onBox && event->button() == Qt::LeftButton) {
        const TableColumn& column = columns_.at(clickedColumn_);
        sendAction(column.action, column.target.get());
    }
}

void ArrayTableView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    clickedRow_ = index.isValid() ? index.row() : -1;
    clickedColumn_ = index.isValid() ? index.column() : -1;
    eventLocation_ = toTable(pos);
    if (hitsCheckBox(clickedColumn_, clickedRow_, pos)) {
        // The second click of a double click on a box is one more click.
        checkBoxPress_ = pos;
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    if (index.isValid() && !doubleAction_.isNull())
        sendAction(doubleAction_, doubleTarget_.get());
}

void ArrayTableView::keyPressEvent(QKeyEvent* event)
{
    clickedRow_ = -1;
    clickedColumn_ = -1;
    eventLocation_.reset();
    QTableView::keyPressEvent(event);
}

void ArrayTableView::keyboardSearch(const QString& search)
{
    if (search.isEmpty())
        return;
    if (typeSelectTimer_.restart() > QApplication::keyboardInputInterval())
        typeSelectBuffer_.clear();
    typeSelectBuffer_ += search;
    TableViewDelegate* d = delegate_.get();
    if (!d)
        return;
    const int rows = numberOfRows();
    for (int row = 0; row < rows; ++row) {
        for (const TableColumn& column : std::as_const(columns_)) {
            const QString s = d->tableViewTypeSelectStringForTableColumnRow(*this, column, row);
            if (!s.isEmpty() && s.startsWith(typeSelectBuffer_, Qt::CaseInsensitive)) {
                const QModelIndex index = model_->index(row, 0);
                selectionModel_->select(
                    index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                selectionModel_->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
                scrollTo(index);
                return;
            }
        }
    }
}

void ArrayTableView::selectionChangedByTable()
{
    if (syncingSelection_ || !controller_)
        return;
    syncingSelection_ = true;
    controller_->setSelectionIndexes(selectedRowIndexes());
    syncingSelection_ = false;
}

void ArrayTableView::selectionChangedByController()
{
    if (syncingSelection_ || !controller_)
        return;
    selectRowIndexes(controller_->selectionIndexes());
}

void ArrayTableView::arrangedObjectsChanged()
{
    reloadData();
}

void ArrayTableView::sendAction(const Action& action, Responder* target)
{
    if (action.isNull())
        return;
    if (target) {
        target->performAction(action, this);
        return;
    }
    if (chain_)
        chain_->sendAction(action, nullptr, this);
}

}  // namespace corvane::ui
