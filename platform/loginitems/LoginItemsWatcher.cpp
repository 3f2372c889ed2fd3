#include "platform/loginitems/LoginItemsWatcher.h"

#include "platform/registry/XdgPaths.h"

#include <QDir>
#include <QFileInfo>

namespace corvane::loginitems {

namespace {

constexpr int kMaxWatchedEntries = 1024;

// The folder itself when it exists, else its nearest existing ancestor,
// whose change announces the folder's creation.
QString nearestExistingFolder(const QString& folder)
{
    QString current = folder;
    while (!QFileInfo(current).isDir()) {
        const QString up = QFileInfo(current).absolutePath();
        if (up == current)
            return {};
        current = up;
    }
    return current;
}

}  // namespace

LoginItemsWatcher::LoginItemsWatcher(QObject* parent)
    : QObject(parent), folder_(registry::paths::autostartFolder())
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &LoginItemsWatcher::report);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &LoginItemsWatcher::noteChange);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &LoginItemsWatcher::noteChange);
    watchCurrentState();
}

int LoginItemsWatcher::addCallback(std::function<void()> callback)
{
    callbacks_.emplace_back(nextToken_, std::move(callback));
    return nextToken_++;
}

void LoginItemsWatcher::removeCallback(int token)
{
    std::erase_if(callbacks_, [token](const auto& c) { return c.first == token; });
}

// Watches the folder (or the ancestor that will hold it) and each entry in
// it, so that entries rewritten in place are noticed too.
void LoginItemsWatcher::watchCurrentState()
{
    const QStringList old = watcher_.files() + watcher_.directories();
    if (!old.isEmpty())
        watcher_.removePaths(old);
    const QString watched = nearestExistingFolder(folder_);
    if (watched.isEmpty())
        return;
    watcher_.addPath(watched);
    if (watched != folder_)
        return;
    QStringList entries;
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files)) {
        if (entries.size() >= kMaxWatchedEntries)
            break;
        entries.append(dir.filePath(name));
    }
    if (!entries.isEmpty())
        watcher_.addPaths(entries);
}

void LoginItemsWatcher::noteChange()
{
    watchCurrentState();
    settle_.start();
}

void LoginItemsWatcher::report()
{
    watchCurrentState();
    Q_EMIT changed();
    const auto callbacks = callbacks_;  // a callback may remove itself
    for (const auto& [token, callback] : callbacks) {
        if (callback)
            callback();
    }
}

}  // namespace corvane::loginitems
