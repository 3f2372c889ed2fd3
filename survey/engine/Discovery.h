// Finding the candidate bundles of a survey: the registry's applications, a
// whole volume or a folder tree, and resolving the scope string that names
// the volume or folder.
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace corvane::survey {

// Progress of a long search: folders read so far.
using DiscoveryProgress = std::function<void(quint64 foldersRead)>;

// The whole-volume search: every folder named "<something>.app" on the volume
// whose root is given, inside packages and hidden folders too. Appends paths;
// returns noErr or the status that ended the search.
OSStatus IterateVolume(const QString& volumeRoot, QStringList& candidates,
                       const DiscoveryProgress& progress = {});

// The recursive walk of a folder, into every sub-folder (bundles included).
OSStatus IterateFolder(const QString& folder, QStringList& candidates,
                       const DiscoveryProgress& progress = {});

// A scope string resolved: the folder or volume it names.
struct ResolvedScope {
    QUrl url;               // the scope as given
    QString path;           // the item's path
    QString name;           // the item's own name (a volume's name for a volume root)
    QString volumeRoot;     // the mount point of the item's volume
    bool isVolumeRoot = false;
    bool onStartupVolume = false;
};

// Resolves an absolute file URL string; nothing when it is malformed, not a
// file URL, or names nothing that exists.
std::optional<ResolvedScope> resolveScope(const QString& scope);

// The registry's list of all application bundles.
QStringList allApplicationPaths();

// Keeps each candidate once (by path), in a stable order.
QStringList distinctCandidates(const QStringList& candidates);

// Whether the registry reports the candidate as a native application package.
bool isNativeApplicationPackage(const QString& path);

}  // namespace corvane::survey
