#include "survey/engine/Discovery.h"

#include "platform/files/ApplicationSearch.h"
#include "platform/files/Volumes.h"
#include "platform/foundation/FileReference.h"
#include "platform/registry/ApplicationRegistry.h"
#include "platform/registry/ItemInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace corvane::survey {

namespace {

OSStatus search(const QString& root, QStringList& candidates, const DiscoveryProgress& progress)
{
    files::SearchOptions options;
    if (progress)
        options.progress = [&](const files::SearchProgress& p) { progress(p.foldersRead); };
    return files::findApplicationBundles(root, candidates, options).status;
}

}  // namespace

OSStatus IterateVolume(const QString& volumeRoot, QStringList& candidates, const DiscoveryProgress& progress)
{
    return search(volumeRoot, candidates, progress);
}

OSStatus IterateFolder(const QString& folder, QStringList& candidates, const DiscoveryProgress& progress)
{
    return search(folder, candidates, progress);
}

std::optional<ResolvedScope> resolveScope(const QString& scope)
{
    const QUrl url(scope, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return std::nullopt;
    QString path = QDir::cleanPath(url.toLocalFile());
    if (!QDir::isAbsolutePath(path) || !identityOf(path))
        return std::nullopt;
    const auto volume = files::volumeContaining(path);
    if (!volume)
        return std::nullopt;
    ResolvedScope r;
    r.url = url;
    r.path = path;
    r.volumeRoot = volume->mountPoint;
    r.isVolumeRoot = path == volume->mountPoint;
    r.name = r.isVolumeRoot ? volume->name() : QFileInfo(path).fileName();
    r.onStartupVolume = volume->isStartup || volume->device == files::startupVolume().device;
    return r;
}

QStringList allApplicationPaths()
{
    QStringList paths;
    for (const QUrl& url : registry::allApplicationURLs()) {
        if (url.isLocalFile())
            paths.append(QDir::cleanPath(url.toLocalFile()));
    }
    return paths;
}

QStringList distinctCandidates(const QStringList& candidates)
{
    QSet<QString> seen;
    QStringList out;
    for (const QString& c : candidates) {
        if (!seen.contains(c)) {
            seen.insert(c);
            out.append(c);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool isNativeApplicationPackage(const QString& path)
{
    registry::ItemInfo info;
    if (registry::itemInfoForURL(QUrl::fromLocalFile(path), registry::request::kAppTypeFlags, &info) != status::noErr)
        return false;
    return (info.flags & registry::item::kNativeApplicationPackageMask) == registry::item::kNativeApplicationPackageMask;
}

}  // namespace corvane::survey
