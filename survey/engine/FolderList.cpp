#include "survey/engine/FolderList.h"

#include "platform/files/FilePackages.h"
#include "platform/foundation/FinderOrder.h"

#include <QSet>

#include <algorithm>

namespace corvane::survey {

namespace {

const QStringList kCutExtensions = {QStringLiteral("app"), QStringLiteral("framework"),
                                    QStringLiteral("fs"), QStringLiteral("platform")};

// Where to cut the components, or -1 to keep them all.
qsizetype cutIndex(const QStringList& c, const FolderLayout& layout)
{
    for (qsizetype i = layout.firstExamined(); i < c.size(); ++i) {
        const qsizetype dot = c[i].lastIndexOf(u'.');
        if (dot < 0 || dot + 1 == c[i].size())
            continue;
        const QString extension = c[i].mid(dot + 1);
        if (kCutExtensions.contains(extension))
            return i;
        if (files::isFilePackage(c.mid(0, i + 1).join(u'/')))
            return i;
    }
    return -1;
}

QString titleFor(const QString& path, const FolderLayout& layout)
{
    if (layout.mountComponents == 0)
        return path;
    QStringList c = path.split(u'/');
    c.remove(1, std::min<qsizetype>(layout.mountComponents, c.size() - 1));
    const QString title = c.join(u'/');
    return title.isEmpty() ? QStringLiteral("/") : title;  // the volume's own root
}

}  // namespace

FolderLayout FolderLayout::mountedAt(const QString& mountPoint)
{
    return {static_cast<int>(mountPoint.split(u'/', Qt::SkipEmptyParts).size())};
}

QString shortenedFolder(const QString& bundlePath, const FolderLayout& layout)
{
    const qsizetype slash = bundlePath.lastIndexOf(u'/');
    if (slash < 0)
        return bundlePath;
    const QString folder = bundlePath.left(std::max<qsizetype>(slash, 1));
    const QStringList c = folder.split(u'/');
    const qsizetype cut = cutIndex(c, layout);
    if (cut < 0 && c.size() <= layout.depthLimit())
        return folder;
    const qsizetype keep = std::min<qsizetype>(cut < 0 ? c.size() : cut, layout.depthLimit());
    const QString shortened = c.mid(0, keep).join(u'/');
    return shortened.isEmpty() ? QStringLiteral("/") : shortened;
}

QList<FolderItem> buildFolderList(const QStringList& bundlePaths, const FolderLayout& layout,
                                  const QLocale* locale)
{
    QStringList folders;
    QSet<QString> seen;
    for (const QString& path : bundlePaths) {
        if (path.isEmpty())
            continue;
        const QString folder = shortenedFolder(path, layout);
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders.append(folder);
        }
    }
    if (locale)
        sortInFinderOrder(folders, *locale);
    QList<FolderItem> items;
    for (const QString& folder : folders)
        items.append({titleFor(folder, layout), folder});
    return items;
}

}  // namespace corvane::survey
