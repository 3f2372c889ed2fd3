// The list commands: filters by mode, name and folder, and the sort order.
#include "survey/engine/MyModel.h"

#include <QFileInfo>

namespace corvane::survey {

void MyModel::showSource2(int tag)
{
    if (filters_.applyModeTag(tag))
        Q_EMIT arrangementChanged();
}

void MyModel::showSource2a(const QString& text)
{
    if (filters_.applySearch(text))
        Q_EMIT arrangementChanged();
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
    Q_EMIT arrangementChanged();
}

void MyModel::showSource8(int tag)
{
    if (filters_.applySortTag(tag))
        Q_EMIT arrangementChanged();
}

}  // namespace corvane::survey
