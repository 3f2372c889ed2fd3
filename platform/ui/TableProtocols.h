// What a window controller sees of a table: its columns, the clicked row and
// column, the selection, cell geometry; and the data source and delegate
// calls a table makes: row count, object value of a cell, type-to-select
// string, and the selection a user action proposes.
//
// The widgets' ArrayTableView implements TableView with Qt; controllers that
// feed it include only this header. Geometry is in the table's own
// coordinates (top-left origin, y downwards: flipped), in device-independent
// pixels. Main thread only.
#pragma once

#include "platform/ui/IndexSet.h"
#include "platform/ui/Responder.h"

#include <QList>
#include <QMetaType>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVariant>

#include <optional>

namespace corvane::ui {

// How a column's cells draw their object value:
//  Image: a QIcon, QImage or QPixmap, centred in the cell;
//  Text: a QString, or an AttributedString;
//  CheckBox: a boolean, drawn as a check box; a click on the box sends the
//  column's action (the table has no value setter).
enum class CellKind { Image, Text, CheckBox };

struct TableColumn {
    QString identifier;
    QString title;
    CellKind kind = CellKind::Text;
    int width = 100;
    Action action;              // check box columns: sent on a click on the box
    WeakRef<Responder> target;  // null: the responder chain
};

// Colours by role, resolved by the renderer from the desktop's palette.
enum class TextColorRole {
    ControlText,                   // the normal text of a control
    DisabledControlText,           // dimmed text
    AlternateSelectedControlText,  // text on a selected row
};

struct TextAttributes {
    qreal pointSize = 0;  // 0: the system font size
    TextColorRole color = TextColorRole::ControlText;
    qreal kerning = 0;  // extra space between characters, in points
};

struct AttributedRun {
    QString text;
    TextAttributes attributes;
};

// Text made of runs with their own size, colour and kerning. Line breaks
// are runs' own "\n" characters; each line is shortened in its middle when
// it does not fit.
struct AttributedString {
    QList<AttributedRun> runs;

    QString string() const;
    // Applies attributes over [start, start + length) of string(), splitting
    // runs; ranges beyond the end are cut to it.
    void setAttributes(int start, int length, const TextAttributes& attributes);
};

class TableView {
public:
    virtual ~TableView();

    virtual const QList<TableColumn>& tableColumns() const = 0;
    // The column index for identifier, or -1.
    int columnWithIdentifier(const QString& identifier) const;

    virtual int numberOfRows() const = 0;
    virtual IndexSet selectedRowIndexes() const = 0;
    bool isRowSelected(int row) const { return selectedRowIndexes().contains(row); }

    // The row and column of the mouse press being handled, or -1 when the
    // current change does not come from a click.
    virtual int clickedRow() const = 0;
    virtual int clickedColumn() const = 0;
    // Where the current mouse event happened, in table coordinates; nothing
    // for keyboard events.
    virtual std::optional<QPoint> currentEventLocation() const = 0;

    // Cell geometry in table coordinates; empty for cells that do not exist.
    virtual QRect frameOfCellAtColumnRow(int column, int row) const = 0;
    // The part of the cell frame its image or check-box glyph occupies.
    virtual QRect imageRectForCellFrame(int column, const QRect& cellFrame) const = 0;
    virtual QRect visibleRect() const = 0;
    // Table coordinates to global screen coordinates.
    virtual QPoint convertPointToScreen(const QPoint& point) const = 0;
};

class TableViewDataSource : public Guarded {
public:
    ~TableViewDataSource() override;
    virtual int numberOfRowsInTableView(const TableView& table) = 0;
    virtual QVariant tableViewObjectValueForTableColumnRow(const TableView& table,
                                                           const TableColumn& column, int row) = 0;
};

class TableViewDelegate : public Guarded {
public:
    ~TableViewDelegate() override;
    // The string type-to-select matches for a cell; empty: not this cell.
    virtual QString tableViewTypeSelectStringForTableColumnRow(const TableView& table,
                                                               const TableColumn& column, int row);
    // The selection to make instead of proposed; the default accepts it.
    virtual IndexSet tableViewSelectionIndexesForProposedSelection(const TableView& table,
                                                                   const IndexSet& proposed);
};

}  // namespace corvane::ui

Q_DECLARE_METATYPE(corvane::ui::AttributedString)
