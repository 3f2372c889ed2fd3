// Application bundles: a folder whose name usually ends in ".app", holding
// Contents/Info.plist and the executable Contents/MacOS/<CFBundleExecutable>.
// A bundle is opened from its path (or file URL); its information dictionary
// is read once, when it is first asked for.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>
#include <vector>

namespace corvane {

class Bundle {
public:
    // The bundle at path, or nothing when path is not an existing folder.
    static std::optional<Bundle> open(const QString& path);
    static std::optional<Bundle> open(const QUrl& fileUrl);

    const QString& path() const { return path_; }

    // The information dictionary, or nothing when Info.plist is missing,
    // unreadable, not a property list or not a dictionary.
    const std::optional<plist::Dictionary>& infoDictionary() const;
    // One entry of it, or a null pointer.
    const plist::Value* infoValue(const QString& key) const;
    QString identifier() const;  // CFBundleIdentifier, or an empty string

    // The main executable's path: Contents/MacOS/ with the name that
    // CFBundleExecutable gives (or, without that key, the bundle's name
    // without extension). Empty when no such file exists or the name would
    // lead out of that folder.
    QString executablePath() const;

    // The CPU type numbers of the main executable; empty without one.
    std::vector<std::int32_t> executableArchitectures() const;

private:
    explicit Bundle(const QString& path) : path_(path) {}

    QString path_;
    mutable bool infoLoaded_ = false;
    mutable std::optional<plist::Dictionary> info_;
};

}  // namespace corvane
