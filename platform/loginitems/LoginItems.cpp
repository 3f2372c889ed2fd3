#include "platform/loginitems/LoginItems.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileIO.h"
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/DesktopLaunch.h"
#include "platform/registry/ItemInfo.h"
#include "platform/registry/LauncherIdentity.h"
#include "platform/registry/XdgPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace corvane::loginitems {

namespace {

using registry::DesktopEntry;

const QString kLocationKey = QStringLiteral("X-Corvane-Location");
const QString kPositionKey = QStringLiteral("X-Corvane-Position");
constexpr int kMaxEntries = 4096;

// stat without triggering an automount and without asking anyone.
std::optional<struct stat> statQuietly(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || !QDir::isAbsolutePath(path) ||
        ::fstatat(AT_FDCWD, nativePath(path).constData(), &st, AT_NO_AUTOMOUNT) != 0)
        return std::nullopt;
    return st;
}

bool isLoginItemEntry(const DesktopEntry& entry)
{
    return entry.isApplication() && !entry.isHidden() &&
           entry.boolean(QStringLiteral("X-GNOME-Autostart-enabled"), true);
}

// The program an Exec line starts, past a leading "env NAME=value ...".
QString programOfExec(const QString& exec)
{
    const auto args = registry::splitExecLine(exec);
    if (!args)
        return {};
    qsizetype i = 0;
    if (QFileInfo(args->at(0)).fileName() == QStringLiteral("env")) {
        for (i = 1;
             i < args->size() && (args->at(i).contains(u'=') || args->at(i).startsWith(u'-'));
             ++i) {
        }
    }
    if (i >= args->size())
        return {};
    const QString program = args->at(i);
    if (QDir::isAbsolutePath(program))
        return QDir::cleanPath(program);
    return QStandardPaths::findExecutable(program);
}

QString sanitizedBaseName(const QString& text)
{
    QString base;
    for (const QChar c : text)
        base += (c == u'/' || c.isSpace() || c.category() == QChar::Other_Control) ? u'-' : c;
    while (base.startsWith(u'.') || base.startsWith(u'-'))
        base.remove(0, 1);
    return base.isEmpty() ? QStringLiteral("login-item") : base.left(120);
}

// Claims a file name no other entry has (also against programs adding items
// at the same moment) by creating it empty; the entry is written over it.
QString claimEntryPath(const QString& folder, const QString& base)
{
    for (int n = 1; n < 1000; ++n) {
        const QString suffix = n == 1 ? QString() : u'-' + QString::number(n);
        const QString path = folder + u'/' + base + suffix + QStringLiteral(".desktop");
        const int fd = ::open(nativePath(path).constData(),
                              O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

struct Launch {
    QString name;
    QString base;  // for the entry's file name
    QString program;
    QStringList arguments;
};

// What an item for the application at path is to start.
OSStatus launchFor(const QString& path, const struct stat& st, Launch* launch)
{
    const QString fileName = QFileInfo(path).fileName();
    registry::displayNameForURL(QUrl::fromLocalFile(path), &launch->name);
    launch->base = fileName;
    if (S_ISDIR(st.st_mode)) {
        if (!fileName.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive) || fileName.size() <= 4)
            return status::kLSNotAnApplicationErr;
        const auto bundle = Bundle::open(path);
        launch->program = bundle ? bundle->executablePath() : QString();
        if (bundle && !bundle->identifier().isEmpty())
            launch->base = bundle->identifier();
        return launch->program.isEmpty() ? status::kLSNoExecutableErr : status::noErr;
    }
    if (path.endsWith(QStringLiteral(".desktop"))) {
        const auto entry = DesktopEntry::readFile(path);
        if (!entry)
            return status::kLSNotAnApplicationErr;
        QList<registry::DesktopCommand> commands;
        if (const OSStatus s = registry::desktopCommands(*entry, {}, &commands); s != status::noErr)
            return s;
        launch->program = commands.first().program;
        launch->arguments = commands.first().arguments;
        launch->base = QFileInfo(path).completeBaseName();
        return status::noErr;
    }
    if (!S_ISREG(st.st_mode) || !QFileInfo(path).isExecutable())
        return status::kLSNotAnApplicationErr;
    launch->program = path;
    return status::noErr;
}

QByteArray entryText(const Launch& launch, const QString& location, int position)
{
    const QString env = QStandardPaths::findExecutable(QStringLiteral("env"));
    QStringList exec{
        registry::quoteExecArgument(env.isEmpty() ? QStringLiteral("/usr/bin/env") : env)};
    for (const QString& variable : registry::loginItemEnvironment(launch.program))
        exec.append(registry::quoteExecArgument(variable));
    exec.append(registry::quoteExecArgument(launch.program));
    for (const QString& arg : launch.arguments)
        exec.append(registry::quoteExecArgument(arg));
    const QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=") + registry::escapeDesktopValue(launch.name),
        QStringLiteral("Exec=") + registry::escapeDesktopValue(exec.join(u' ')),
        QStringLiteral("Terminal=false"),
        QStringLiteral("X-GNOME-Autostart-enabled=true"),
        kLocationKey + u'=' + registry::escapeDesktopValue(location),
        kPositionKey + u'=' + QString::number(position),
    };
    return (lines.join(u'\n') + u'\n').toUtf8();
}

}  // namespace

QList<LoginItem> loginItemsSnapshot()
{
    const QDir folder(registry::paths::autostartFolder());
    QStringList names = folder.entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name);
    if (names.size() > kMaxEntries)
        names = names.mid(0, kMaxEntries);
    QList<LoginItem> items;
    for (const QString& name : names) {
        const auto entry = DesktopEntry::readFile(folder.filePath(name));
        if (!entry || !isLoginItemEntry(*entry))
            continue;
        items.append({folder.filePath(name), entry->name(),
                      entry->value(kPositionKey).toInt()});  // 0 when absent or malformed
    }
    std::stable_sort(items.begin(), items.end(), [](const LoginItem& a, const LoginItem& b) {
        return a.position < b.position;
    });
    return items;
}

std::optional<QString> resolveLoginItem(const LoginItem& item)
{
    const auto entry = DesktopEntry::readFile(item.entryPath);
    if (!entry)
        return std::nullopt;
    QString location = entry->value(kLocationKey);
    if (location.isEmpty()) {
        location = programOfExec(entry->value(QStringLiteral("Exec")));
        const QString bundle = registry::bundleOfExecutable(location);
        if (!bundle.isEmpty())
            location = bundle;
    }
    if (!QDir::isAbsolutePath(location) || !statQuietly(location))
        return std::nullopt;
    return QDir::cleanPath(location);
}

std::optional<LoginItem> findLoginItem(const QUrl& location)
{
    if (!location.isLocalFile())
        return std::nullopt;
    const auto wanted = statQuietly(QFileInfo(location.toLocalFile()).absoluteFilePath());
    if (!wanted)
        return std::nullopt;
    for (const LoginItem& item : loginItemsSnapshot()) {
        const auto resolved = resolveLoginItem(item);
        const auto st = resolved ? statQuietly(*resolved) : std::nullopt;
        if (st && st->st_dev == wanted->st_dev && st->st_ino == wanted->st_ino)
            return item;
    }
    return std::nullopt;
}

OSStatus insertLoginItemLast(const QUrl& application, LoginItem* inserted)
{
    if (!application.isLocalFile() || application.toLocalFile().isEmpty())
        return status::paramErr;
    const QString path = QDir::cleanPath(QFileInfo(application.toLocalFile()).absoluteFilePath());
    const auto st = statQuietly(path);
    if (!st)
        return status::fnfErr;
    Launch launch;
    if (const OSStatus s = launchFor(path, *st, &launch); s != status::noErr)
        return s;
    const QString folder = registry::paths::autostartFolder();
    if (!QDir().mkpath(folder))
        return status::permErr;
    int last = 0;
    for (const LoginItem& item : loginItemsSnapshot())
        last = std::max(last, item.position);
    const QString entryPath = claimEntryPath(folder, sanitizedBaseName(launch.base));
    if (entryPath.isEmpty())
        return statusFromErrno(errno);
    QString error;
    if (!writeFileAtomically(entryPath, entryText(launch, path, last + 1), &error)) {
        qWarning("%s", qPrintable(error));
        ::unlink(nativePath(entryPath).constData());
        return status::ioErr;
    }
    if (inserted)
        *inserted = {entryPath, launch.name, last + 1};
    return status::noErr;
}

OSStatus removeLoginItem(const LoginItem& item)
{
    // Only entries of the autostart folder are ever removed.
    const QFileInfo info(item.entryPath);
    if (!info.isAbsolute() || !item.entryPath.endsWith(QStringLiteral(".desktop")) ||
        QDir::cleanPath(info.absolutePath()) != registry::paths::autostartFolder())
        return status::paramErr;
    const QByteArray path = nativePath(item.entryPath);
    if (::unlink(path.constData()) != 0 && errno != ENOENT)
        return statusFromErrno(errno);
    return status::noErr;
}

}  // namespace corvane::loginitems
