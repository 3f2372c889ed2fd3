#include "platform/registry/MimeAssociations.h"

#include "platform/foundation/FileIO.h"
#include "platform/registry/XdgPaths.h"

namespace corvane::registry {

namespace {

constexpr qint64 kMaxMimeAppsListBytes = 1024 * 1024;

QStringList splitIds(QStringView value)
{
    QStringList ids;
    for (const QStringView id : value.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = id.trimmed().toString();
        if (!trimmed.isEmpty() && !trimmed.contains(u'/') && !ids.contains(trimmed))
            ids.append(trimmed);
    }
    return ids;
}

void appendUnique(QStringList& list, const QStringList& more)
{
    for (const QString& id : more) {
        if (!list.contains(id))
            list.append(id);
    }
}

}  // namespace

MimeAppsList parseMimeAppsList(const QByteArray& text)
{
    MimeAppsList list;
    QHash<QString, QStringList>* group = nullptr;
    const QString decoded = QString::fromUtf8(text);
    for (const QStringView line : QStringView(decoded).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            if (trimmed == QStringView(u"[Default Applications]"))
                group = &list.defaults;
            else if (trimmed == QStringView(u"[Added Associations]"))
                group = &list.added;
            else if (trimmed == QStringView(u"[Removed Associations]"))
                group = &list.removed;
            else
                group = nullptr;
            continue;
        }
        const qsizetype eq = trimmed.indexOf(u'=');
        if (!group || eq <= 0)
            continue;
        const QString type = trimmed.left(eq).trimmed().toString().toLower();
        appendUnique((*group)[type], splitIds(trimmed.mid(eq + 1)));
    }
    return list;
}

QStringList mimeAppsListPaths()
{
    const QStringList desktops = paths::currentDesktops();
    QStringList folders{paths::configHome()};
    folders += paths::configDirs();
    folders += paths::dataHome() + QStringLiteral("/applications");
    for (const QString& dir : paths::dataDirs())
        folders += dir + QStringLiteral("/applications");
    QStringList files;
    for (const QString& folder : folders) {
        for (const QString& desktop : desktops)
            files.append(folder + u'/' + desktop + QStringLiteral("-mimeapps.list"));
        files.append(folder + QStringLiteral("/mimeapps.list"));
    }
    files.removeDuplicates();
    return files;
}

QList<MimeAppsList> readMimeAppsLists()
{
    QList<MimeAppsList> lists;
    for (const QString& path : mimeAppsListPaths()) {
        if (const auto bytes = readRegularFile(path, kMaxMimeAppsListBytes))
            lists.append(parseMimeAppsList(*bytes));
    }
    return lists;
}

MimeTypeAssociations associationsFor(const QList<MimeAppsList>& lists, const QString& mimeType)
{
    const QString type = mimeType.toLower();
    MimeTypeAssociations result;
    for (const MimeAppsList& list : lists) {
        appendUnique(result.defaults, list.defaults.value(type));
        // A removal hides the associations of this list and of less
        // important ones, not those a more important list added.
        for (const QString& id : list.added.value(type)) {
            if (!result.removed.contains(id) && !list.removed.value(type).contains(id) &&
                !result.added.contains(id))
                result.added.append(id);
        }
        appendUnique(result.removed, list.removed.value(type));
    }
    return result;
}

}  // namespace corvane::registry
