// The list commands: filters by mode, name and folder, and the sort order.
#include "survey/engine/MyModel.h"

#include "platform/foundation/FinderOrder.h"

#include <QFileInfo>
#include <QLocale>

namespace corvane::survey {

void MyModel::applyFilters()
{
    if (!filters_.isFiltered()) {
        arraycontroller24_.setFilterPredicate(nullptr);
        return;
    }
    arraycontroller24_.setFilterPredicate([this](const QVariant& object) {
        const MyController* record = recordOf(object);
        return record && filters_.matches(*record);
    });
}

void MyModel::applySortOrder()
{
    const SortOrder order = filters_.sortOrder();
    if (order == SortOrder::None) {
        arraycontroller24_.setSortDescriptors({});
        return;
    }
    ui::SortDescriptor descriptor;
    descriptor.key = sortKey(order);
    // Names ascending in the file manager's order; dates newest first, with
    // unreadable dates (which compare lowest) last.
    descriptor.ascending = order == SortOrder::Name;
    if (order == SortOrder::Name) {
        descriptor.comparator = [locale = QLocale::system()](const QVariant& a, const QVariant& b) {
            return finderSortWithLocale(a.toString(), b.toString(), &locale);
        };
    }
    arraycontroller24_.setSortDescriptors({descriptor});
}

void MyModel::showSource2(int tag)
{
    if (filters_.applyModeTag(tag))
        applyFilters();
}

void MyModel::showSource2a(const QString& text)
{
    if (filters_.applySearch(text))
        applyFilters();
}

void MyModel::showSource2b(const QString& folderPath, bool itemIsOn)
{
    QStringList menuFolders;
    for (const FolderItem& item : folderList())
        menuFolders.append(item.path);
    if (!filters_.applyFolder(folderPath, itemIsOn, menuFolders, folderLayout().shallowLimit()))
        return;
    if (itemIsOn) {
        host_.setRepresentedURL(representedURL_);
        host_.setWindowTitle(representedName_.isEmpty() ? title_
                                                        : QStringLiteral("%1 - %2").arg(representedName_, title_));
    } else {
        host_.setRepresentedURL(QUrl::fromLocalFile(folderPath + u'/'));
        const QString last = QFileInfo(folderPath).fileName();
        host_.setWindowTitle(last.isEmpty() ? title_ : QStringLiteral("%1 - %2").arg(last, title_));
    }
    applyFilters();
}

void MyModel::showSource8(int tag)
{
    if (filters_.applySortTag(tag))
        applySortOrder();
}

}  // namespace corvane::survey
