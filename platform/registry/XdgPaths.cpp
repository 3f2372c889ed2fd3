#include "platform/registry/XdgPaths.h"

#include <QDir>

namespace corvane::registry::paths {

namespace {

// An absolute folder from the variable, else the fallback below home.
QString homeFolder(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + u'/' + fallback;
}

// The absolute entries of a colon-separated variable, else the fallbacks.
QStringList folderList(const char* variable, const QStringList& fallback)
{
    QStringList result;
    for (const QString& entry : qEnvironmentVariable(variable).split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isAbsolutePath(entry))
            continue;
        const QString clean = QDir::cleanPath(entry);
        if (!result.contains(clean))
            result.append(clean);
    }
    return result.isEmpty() ? fallback : result;
}

}  // namespace

QString dataHome()
{
    return homeFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QStringList dataDirs()
{
    return folderList("XDG_DATA_DIRS",
                      {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
}

QString configHome()
{
    return homeFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QStringList configDirs()
{
    return folderList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
}

QStringList desktopEntryFolders()
{
    QStringList folders{dataHome() + QStringLiteral("/applications")};
    for (const QString& dir : dataDirs()) {
        const QString folder = dir + QStringLiteral("/applications");
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

QStringList currentDesktops()
{
    QStringList result;
    for (const QString& name :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts)) {
        // A desktop name becomes part of a file name: keep it to one component.
        if (!name.contains(u'/') && !name.startsWith(u'.'))
            result.append(name.toLower());
    }
    return result;
}

QStringList applicationFolders()
{
    if (qEnvironmentVariableIsSet("CORVANE_APPLICATION_PATH"))
        return folderList("CORVANE_APPLICATION_PATH", {});
    return {QDir::homePath() + QStringLiteral("/Applications"), QStringLiteral("/Applications")};
}

QString autostartFolder()
{
    return configHome() + QStringLiteral("/autostart");
}

}  // namespace corvane::registry::paths
