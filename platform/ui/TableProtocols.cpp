#include "platform/ui/TableProtocols.h"

#include <algorithm>

namespace corvane::ui {

QString AttributedString::string() const
{
    QString s;
    for (const AttributedRun& run : runs)
        s += run.text;
    return s;
}

void AttributedString::setAttributes(int start, int length, const TextAttributes& attributes)
{
    const int total = int(string().size());
    start = std::clamp(start, 0, total);
    const int end = std::clamp(start + std::max(length, 0), start, total);
    if (start == end)
        return;
    // Rebuild the runs, splitting those that straddle start or end.
    QList<AttributedRun> rebuilt;
    int position = 0;
    for (const AttributedRun& run : std::as_const(runs)) {
        const int runStart = position;
        const int runEnd = position + int(run.text.size());
        position = runEnd;
        const int cutStart = std::clamp(start, runStart, runEnd);
        const int cutEnd = std::clamp(end, runStart, runEnd);
        if (cutStart > runStart)
            rebuilt.append({run.text.mid(0, cutStart - runStart), run.attributes});
        if (cutEnd > cutStart)
            rebuilt.append({run.text.mid(cutStart - runStart, cutEnd - cutStart), attributes});
        if (runEnd > cutEnd)
            rebuilt.append({run.text.mid(cutEnd - runStart), run.attributes});
    }
    runs = rebuilt;
}

TableView::~TableView() = default;

int TableView::columnWithIdentifier(const QString& identifier) const
{
    const QList<TableColumn>& columns = tableColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).identifier == identifier)
            return i;
    }
    return -1;
}

TableViewDataSource::~TableViewDataSource() = default;
TableViewDelegate::~TableViewDelegate() = default;

QString TableViewDelegate::tableViewTypeSelectStringForTableColumnRow(const TableView&,
                                                                      const TableColumn&, int)
{
    return {};
}

IndexSet TableViewDelegate::tableViewSelectionIndexesForProposedSelection(const TableView&,
                                                                          const IndexSet& proposed)
{
    return proposed;
}

}  // namespace corvane::ui
