// The user's login items: the applications the desktop starts when the user
// logs in, kept as XDG autostart entries ("*.desktop" files in
// $XDG_CONFIG_HOME/autostart, see registry::paths::autostartFolder()).
//
// An entry is a login item when it is an application entry that is neither
// Hidden nor switched off (X-GNOME-Autostart-enabled=false). Entries this
// module writes name the application they start (X-Corvane-Location) and
// their place in the list (X-Corvane-Position), and start the program through
// env with the variables of registry::loginItemEnvironment, so the program
// can tell it was started at login (registry::takeLauncherIdentity). Entries
// written by others are items too: their location is the program of their
// Exec line (the bundle, when that program lies in one).
//
// Nothing here asks the user anything or mounts a volume: a location that
// cannot be reached now (an unmounted disk) does not resolve. Entries in the
// system-wide autostart folders are not the user's items and are not listed.
// Writes are atomic. Thread-safe (every call reads the folder afresh).
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace corvane::loginitems {

struct LoginItem {
    QString entryPath;  // the autostart entry
    QString name;       // its localized Name
    int position = 0;   // X-Corvane-Position; 0 for entries without one
};

// The login items in list order: by position, then by file name.
QList<LoginItem> loginItemsSnapshot();

// The location the item starts: a bundle folder, a desktop entry or a
// program, as an absolute path that exists now; nothing otherwise.
std::optional<QString> resolveLoginItem(const LoginItem& item);

// The first item in list order whose resolved location is the same
// file-system object as the file URL names; nothing when there is none or
// the URL names nothing reachable.
std::optional<LoginItem> findLoginItem(const QUrl& location);

// Adds an item at the end of the list that starts the application at the
// file URL: a bundle (its executable), a desktop entry (its Exec line) or an
// executable file. Returns noErr, paramErr (no file URL), fnfErr (nothing
// there), kLSNotAnApplicationErr, kLSNoExecutableErr, or the status of a
// failed write. It does not look for an existing item: callers that want one
// item per application ask findLoginItem first.
OSStatus insertLoginItemLast(const QUrl& application, LoginItem* inserted = nullptr);

// Removes the item's entry. Removing an entry that is already gone is noErr.
OSStatus removeLoginItem(const LoginItem& item);

}  // namespace corvane::loginitems
