// The registered applications: which applications this desktop knows.
//
// An application is registered when it is
//   - an application bundle (a folder whose name ends in ".app", any case)
//     found in the application folders (paths::applicationFolders()), at any
//     depth and inside other bundles too; symbolic links are not followed;
//   - a bundle this registry launched (remembered across programs, in the
//     preferences domain "com.4086KTZ.ApplicationRegistry") or was asked
//     about (item information of an application package; remembered for the
//     life of the process);
//   - a desktop entry of Type=Application in the XDG data folders'
//     "applications" folders (paths::desktopEntryFolders()), unless Hidden or
//     its TryExec program is missing. An entry hides one with the same
//     desktop-file ID in a less important folder. Desktop entries are
//     applications but not packages, so the survey never lists them.
//
// Every call looks again (nothing is cached), so applications installed or
// removed meanwhile are seen at once. The walk of the application folders is
// bounded (depth and number of folders), so a huge or looping tree cannot hang
// it. All functions may be called from any thread.
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace corvane::registry {

struct RegisteredApplication {
    enum class Kind { Bundle, DesktopEntry };
    Kind kind = Kind::Bundle;
    QString path;        // the bundle folder or the .desktop file, absolute and clean
    QString identifier;  // CFBundleIdentifier, or the desktop-file ID without ".desktop"
    QString version;     // CFBundleVersion (bundles only), or empty

    // The desktop-file ID ("org.example.Viewer.desktop"); empty for bundles.
    QString desktopFileId() const;

    bool isBundle() const { return kind == Kind::Bundle; }
    QUrl url() const { return QUrl::fromLocalFile(path); }
    QString fileName() const;
};

// Every registered application, each once: bundles of the application
// folders in folder order, then bundles registered by launches and queries,
// then desktop entries in folder order.
QList<RegisteredApplication> registeredApplications();

// The file URLs of registeredApplications() (clean paths, no trailing '/').
QList<QUrl> allApplicationURLs();

// The registered desktop entries alone, most important first.
QList<RegisteredApplication> registeredDesktopEntries();

// Registers the bundle at path for the life of this process; with
// persistently, for every program of this user (up to a bounded number of
// bundles; bundles that no longer exist are forgotten).
void registerApplication(const QString& bundlePath, bool persistently = false);

// The application with the bundle identifier (compared ignoring case) and,
// among several, the one whose file name is fileName, else the one with the
// highest CFBundleVersion, else the first found. With an empty identifier,
// the first application whose file name is fileName. Returns
// kLSApplicationNotFoundErr when there is none, paramErr when both are
// empty; *application is set on success only.
OSStatus findApplication(const QString& bundleIdentifier, const QString& fileName,
                         QUrl* application);

// Whether path names a registered application (same device and inode as one
// of them, or the same clean path).
bool isRegisteredApplication(const QString& path);

}  // namespace corvane::registry
