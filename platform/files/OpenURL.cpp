#include "platform/files/OpenURL.h"

#include "platform/registry/LauncherIdentity.h"
#include "platform/registry/Launching.h"
#include "platform/registry/ProcessSpawn.h"

#include <QStandardPaths>

namespace corvane::files {

namespace {

// xdg-open, when the registry has no handler.
OSStatus openWithXdgOpen(const QUrl& url)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return status::kLSApplicationNotFoundErr;
    registry::SpawnRequest request;
    request.program = program;
    request.arguments = {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)};
    request.environment = registry::childEnvironment({});
    const registry::SpawnResult result = registry::spawnDetached(request);
    return result.started() ? status::noErr : statusFromErrno(result.error);
}

}  // namespace

OSStatus openURL(const QUrl& url)
{
    if (url.isEmpty() || !url.isValid() || url.isRelative())
        return status::paramErr;
    const OSStatus s = registry::openURLsWithRole({url}, registry::roles::kAll, {});
    if (s == status::kLSApplicationNotFoundErr)
        return openWithXdgOpen(url);
    return s;
}

}  // namespace corvane::files
