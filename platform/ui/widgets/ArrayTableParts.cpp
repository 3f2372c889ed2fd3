#include "platform/ui/widgets/ArrayTableParts.h"

#include "platform/ui/widgets/AttributedTextPainter.h"
#include "platform/ui/widgets/LayerViews.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace corvane::ui {

int ArrayTableView::Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : view_->numberOfRows();
}

int ArrayTableView::Model::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(view_->tableColumns().size());
}

QVariant ArrayTableView::Model::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const QVariant value = view_->objectValue(index.column(), index.row());
    switch (role) {
    case Qt::UserRole:
        return value;
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (value.metaType() == QMetaType::fromType<AttributedString>())
            return value.value<AttributedString>().string();
        if (view_->tableColumns().at(index.column()).kind == CellKind::Text)
            return value.toString();
        return {};
    default:
        return {};
    }
}

QVariant ArrayTableView::Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= view_->tableColumns().size())
        return {};
    return view_->tableColumns().at(section).title;
}

Qt::ItemFlags ArrayTableView::Model::flags(const QModelIndex& index) const
{
    // No editing and no checkable items: the table has no value setter.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ArrayTableView::SelectionModel::select(const QItemSelection& selection,
                                            QItemSelectionModel::SelectionFlags command)
{
    if (direct_) {
        QItemSelectionModel::select(selection, command);
        return;
    }
    // Work out the selection the user's action proposes, quietly; then make
    // the delegate's answer the selection and tell the views once.
    const QItemSelection before = this->selection();
    const IndexSet beforeRows = selectedRows();
    IndexSet proposed;
    {
        const QSignalBlocker quiet(this);
        QItemSelectionModel::select(selection, command);
        proposed = selectedRows();
    }
    committed_ = beforeRows;
    const IndexSet answer = view_->answerProposedSelection(proposed);
    committed_.reset();
    if (answer != proposed) {
        const QSignalBlocker quiet(this);
        applyRows(answer);
    }
    if (selectedRows() != beforeRows)
        Q_EMIT selectionChanged(this->selection(), before);
}

void ArrayTableView::SelectionModel::selectRows(const IndexSet& rows)
{
    direct_ = true;
    applyRows(rows);
    direct_ = false;
}

void ArrayTableView::SelectionModel::applyRows(const IndexSet& rows)
{
    QItemSelection wanted;
    const int columns = model()->columnCount();
    const int count = model()->rowCount();
    for (int row : rows) {
        if (row < count && columns > 0)
            wanted.select(model()->index(row, 0), model()->index(row, columns - 1));
    }
    const bool direct = direct_;
    direct_ = true;
    QItemSelectionModel::select(wanted, QItemSelectionModel::ClearAndSelect);
    direct_ = direct;
}

IndexSet ArrayTableView::SelectionModel::selectedRows() const
{
    IndexSet rows;
    const QModelIndexList indexes = selection().indexes();
    for (const QModelIndex& i : indexes)
        rows.add(i.row());
    return rows;
}

void ArrayTableView::CellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.icon = QIcon();
    QStyle* style = view_->style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, view_);

    const int column = index.column();
    const TableColumn& col = view_->tableColumns().at(column);
    const QVariant value = index.data(Qt::UserRole);
    const QRect cell = option.rect;
    const QRect glyph = view_->imageRectForCellFrame(column, cell.translated(view_->tableOffset()))
                            .translated(-view_->tableOffset());
    switch (col.kind) {
    case CellKind::Image: {
        const QIcon icon = iconFromVariant(value);
        if (!icon.isNull())
            icon.paint(painter, glyph);
        break;
    }
    case CellKind::CheckBox: {
        QStyleOptionButton box;
        box.rect = glyph;
        box.state = QStyle::State_Enabled | (value.toBool() ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, view_);
        break;
    }
    case CellKind::Text: {
        const QRect textRect = cell.adjusted(4, 0, -4, 0);
        QPalette palette = option.palette;
        if (value.metaType() == QMetaType::fromType<AttributedString>()) {
            drawAttributedString(*painter, textRect, value.value<AttributedString>(), palette,
                                 option.font);
        } else {
            const bool selected = option.state & QStyle::State_Selected;
            painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(
                textRect, Qt::AlignLeft | Qt::AlignVCenter,
                option.fontMetrics.elidedText(value.toString(), Qt::ElideMiddle, textRect.width()));
        }
        break;
    }
    }
}

QSize ArrayTableView::CellPainter::sizeHint(const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    const TableColumn& col = view_->tableColumns().at(index.column());
    return QSize(col.width, option.fontMetrics.height());
}

}  // namespace corvane::ui
