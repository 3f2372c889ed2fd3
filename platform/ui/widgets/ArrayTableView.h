// A table whose rows are the arranged objects of an ArrayController, drawn
// with Qt. It makes the calls a window controller expects of a table:
//  - rows and cell values come from the data source (number of rows, object
//    value per column and row), or, without one, from the controller's
//    arranged objects read by the column identifier as key path;
//  - every selection change a user makes (click, shift- and control-click,
//    arrow keys, type-to-select) is first proposed to the delegate, which
//    may answer another selection;
//  - type-to-select matches the delegate's type-select strings by prefix,
//    ignoring case;
//  - the selection goes both ways between table and controller;
//  - a click on a check box sends its column's action (sender: the table)
//    with clickedRow() and clickedColumn() telling which cell.
//
// Cells draw by their column's CellKind (TableProtocols.h); text may be an
// AttributedString. The data source, delegate and chain are weak or must
// outlive the view; the controller is watched and may go first. Main thread
// only.
#pragma once

#include "platform/ui/ArrayController.h"
#include "platform/ui/Responder.h"
#include "platform/ui/TableProtocols.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTableView>

#include <optional>

namespace corvane::ui {

class ArrayTableView : public QTableView, public TableView {
    Q_OBJECT

public:
    explicit ArrayTableView(QWidget* parent = nullptr);
    ~ArrayTableView() override;

    void setTableColumns(const QList<TableColumn>& columns);
    const QList<TableColumn>& tableColumns() const override { return columns_; }

    void setDataSource(TableViewDataSource* dataSource);
    void setTableDelegate(TableViewDelegate* delegate) { delegate_ = delegate; }
    // Rows follow controller's arranged objects; null unbinds.
    void bindArrayController(ArrayController* controller);
    ArrayController* arrayController() const { return controller_.data(); }
    // Where column actions without a target go.
    void setResponderChain(const ResponderChain* chain) { chain_ = chain; }
    // Sent on a double click on a row (not on a check box).
    void setDoubleAction(const Action& action, Responder* target = nullptr);

    // Asks the data source again for everything; the selection stays.
    void reloadData();
    void reloadDataForRowIndexes(const IndexSet& rows);
    // Makes rows the selection, without asking the delegate (as code does).
    void selectRowIndexes(const IndexSet& rows);

    // TableView
    int numberOfRows() const override;
    IndexSet selectedRowIndexes() const override;
    int clickedRow() const override { return clickedRow_; }
    int clickedColumn() const override { return clickedColumn_; }
    std::optional<QPoint> currentEventLocation() const override { return eventLocation_; }
    QRect frameOfCellAtColumnRow(int column, int row) const override;
    QRect imageRectForCellFrame(int column, const QRect& cellFrame) const override;
    QRect visibleRect() const override;
    QPoint convertPointToScreen(const QPoint& point) const override;

    // For the model and the painter.
    QVariant objectValue(int column, int row) const;
    // The selection the delegate makes of proposed.
    IndexSet answerProposedSelection(const IndexSet& proposed);

    void keyboardSearch(const QString& search) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Model;
    class SelectionModel;
    class CellPainter;

    QPoint tableOffset() const;
    QPoint toTable(const QPoint& viewportPoint) const { return viewportPoint + tableOffset(); }
    bool hitsCheckBox(int column, int row, const QPoint& viewportPoint) const;
    void selectionChangedByTable();
    void selectionChangedByController();
    void arrangedObjectsChanged();
    void sendAction(const Action& action, Responder* target);

    QList<TableColumn> columns_;
    Model* model_;                    // child of this view
    SelectionModel* selectionModel_;  // child of this view
    WeakRef<TableViewDataSource> dataSource_;
    WeakRef<TableViewDelegate> delegate_;
    QPointer<ArrayController> controller_;
    const ResponderChain* chain_ = nullptr;
    Action doubleAction_;
    WeakRef<Responder> doubleTarget_;

    int clickedRow_ = -1;
    int clickedColumn_ = -1;
    std::optional<QPoint> eventLocation_;
    std::optional<QPoint> checkBoxPress_;  // viewport point of a press on a check box
    bool syncingSelection_ = false;

    QString typeSelectBuffer_;
    QElapsedTimer typeSelectTimer_;
};

}  // namespace corvane::ui
