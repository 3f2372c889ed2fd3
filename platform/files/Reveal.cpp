#include "platform/files/Reveal.h"

#include "platform/registry/Launching.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace corvane::files {

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kPath = QStringLiteral("/org/freedesktop/FileManager1");

QList<QUrl> fileUrls(const QList<QUrl>& items)
{
    QList<QUrl> files;
    for (const QUrl& url : items) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty() && !files.contains(url))
            files.append(url);
    }
    return files;
}

// Reports on the event loop, never from inside the call.
void reportLater(const std::function<void(RevealOutcome)>& done, RevealOutcome outcome)
{
    if (done)
        QTimer::singleShot(0, [done, outcome] { done(outcome); });
}

RevealOutcome fallBack(const QList<QUrl>& files)
{
    return openContainingFolders(files) ? RevealOutcome::OpenedFolders : RevealOutcome::Failed;
}

}  // namespace

bool openContainingFolders(const QList<QUrl>& items)
{
    QStringList folders;
    for (const QUrl& url : fileUrls(items)) {
        const QString path = QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath());
        const QString folder = path == u'/' ? path : QFileInfo(path).absolutePath();
        if (!folders.contains(folder))
            folders.append(folder);
    }
    bool opened = false;
    for (const QString& folder : folders) {
        const OSStatus s =
            registry::openURLsWithRole({QUrl::fromLocalFile(folder)}, registry::roles::kAll, {});
        if (s == status::noErr)
            opened = true;
        else
            qWarning("%s: cannot open the folder (status %d)", qPrintable(folder), int(s));
    }
    return opened;
}

void revealInFileManager(const QList<QUrl>& items, std::function<void(RevealOutcome)> done)
{
    const QList<QUrl> files = fileUrls(items);
    if (files.isEmpty()) {
        reportLater(done, RevealOutcome::NothingToShow);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        reportLater(done, fallBack(files));
        return;
    }
    QStringList uris;
    for (const QUrl& url : files)
        uris.append(url.toString(QUrl::FullyEncoded));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("ShowItems"));
    call << uris << QString();  // no startup notification id
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kRevealTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [files, done](QDBusPendingCallWatcher* w) {
                         const bool shown = !w->isError();
                         if (!shown)
                             qInfo("no file manager answered (%s); opening the folders",
                                   qPrintable(w->error().name()));
                         const RevealOutcome outcome =
                             shown ? RevealOutcome::ShownByFileManager : fallBack(files);
                         if (done)
                             done(outcome);
                         w->deleteLater();
                     });
}

}  // namespace corvane::files
