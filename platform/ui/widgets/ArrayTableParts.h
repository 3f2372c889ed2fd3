// The Qt pieces behind ArrayTableView: the item model that asks the view
// (and through it the data source) for rows and values, the selection model
// that proposes every user selection to the delegate, and the painter of
// cells by kind. Private to ArrayTableView.
#pragma once

#include "platform/ui/widgets/ArrayTableView.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

#include <optional>

namespace corvane::ui {

class ArrayTableView::Model : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit Model(ArrayTableView* view) : QAbstractTableModel(view), view_(view) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    void rowsChanged(int first, int last)
    {
        Q_EMIT dataChanged(index(first, 0), index(last, std::max(columnCount() - 1, 0)));
    }

private:
    ArrayTableView* view_;
};

class ArrayTableView::SelectionModel : public QItemSelectionModel {
    Q_OBJECT

public:
    SelectionModel(QAbstractItemModel* model, ArrayTableView* view)
        : QItemSelectionModel(model, view), view_(view)
    {
    }

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;
    // Selects rows as given, without a proposal.
    void selectRows(const IndexSet& rows);
    IndexSet selectedRows() const;
    // The selection before the change being proposed (the one a delegate
    // compares the proposal with); the current one otherwise.
    IndexSet committedRows() const { return committed_ ? *committed_ : selectedRows(); }

private:
    void applyRows(const IndexSet& rows);

    ArrayTableView* view_;
    bool direct_ = false;
    std::optional<IndexSet> committed_;
};

class ArrayTableView::CellPainter : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CellPainter(ArrayTableView* view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    ArrayTableView* view_;
};

}  // namespace corvane::ui
