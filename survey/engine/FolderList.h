// The folders that hold the surveyed applications, as the "Go" menu lists
// them: each bundle's parent folder, cut at the outermost package (so an
// application inside another application or a framework is filed under the
// folder holding that package) and at a depth limit, merged, and sorted in
// the file manager's order.
#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace corvane::survey {

// Where the surveyed volume's own folders begin. On the startup volume that
// is right below "/"; on another volume it is below its mount point, whose
// components the titles leave out ("/Volumes/Disk/Applications" reads
// "/Applications").
struct FolderLayout {
    int mountComponents = 0;  // components of the volume's mount point below "/"

    static FolderLayout startupVolume() { return {0}; }
    static FolderLayout mountedAt(const QString& mountPoint);

    int firstExamined() const { return 1 + mountComponents; }
    int depthLimit() const { return 4 + mountComponents; }
    // The folder filter adds exclusions for folders with fewer components.
    int shallowLimit() const { return 4 + mountComponents; }
};

struct FolderItem {
    QString title;
    QString path;
};

// The parent folder of bundlePath as the menu files it.
QString shortenedFolder(const QString& bundlePath, const FolderLayout& layout);

// The menu's folders for the given bundle paths, sorted under locale (or in
// the order collected when locale is null).
QList<FolderItem> buildFolderList(const QStringList& bundlePaths, const FolderLayout& layout,
                                  const QLocale* locale);

}  // namespace corvane::survey
