// Where the registry looks: the XDG base folders (read from the environment on
// every call, so a changed HOME or XDG_* variable takes effect at once) and
// the folders that hold application bundles.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane::registry::paths {

// $XDG_DATA_HOME, else ~/.local/share.
QString dataHome();
// $XDG_DATA_DIRS, else /usr/local/share and /usr/share; most important first.
QStringList dataDirs();
// $XDG_CONFIG_HOME, else ~/.config.
QString configHome();
// $XDG_CONFIG_DIRS, else /etc/xdg; most important first.
QStringList configDirs();

// The "applications" folders of the data home and data folders, most
// important first: an entry in an earlier folder hides one with the same
// desktop-file ID in a later folder.
QStringList desktopEntryFolders();

// The desktops named by $XDG_CURRENT_DESKTOP, lower case, in order.
QStringList currentDesktops();

// The folders searched for application bundles: those of
// $CORVANE_APPLICATION_PATH (colon-separated) when it is set, else
// ~/Applications and /Applications. Relative entries are ignored.
QStringList applicationFolders();

// The user's autostart folder: <configHome>/autostart.
QString autostartFolder();

}  // namespace corvane::registry::paths
