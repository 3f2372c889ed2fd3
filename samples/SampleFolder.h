// Writes the sample Applications folder: every bundle of the catalog, with its
// Info.plist, executable and icon.
//
// Running it again over the same folder gives the same tree. It replaces only
// what it wrote before: every bundle it writes at the top of a folder carries
// a marker file, and a folder in the way that lacks the marker (or is a
// symbolic link or a plain file) stops the run before anything is removed.
// Folders that merely hold bundles ("Utilities") are created when missing and
// never removed; files beside the bundles are left alone.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane::samples {

// The marker file inside each replaceable bundle, relative to the bundle.
inline constexpr QLatin1StringView kMarkerFile{"Contents/.corvane-sample"};

struct WriteResult {
    bool ok = false;
    QString error;        // why the run stopped, when !ok
    QStringList written;  // bundle paths relative to the folder, in catalog order
};

// Writes the catalog into folder, creating it (and its parents) when missing.
// Needs a QGuiApplication: the icons are painted with fonts.
WriteResult writeSampleFolder(const QString& folder);

// The executable of the Linux-native sample bundles: a small ELF program that
// prints its own file name and exits 0.
QByteArray nativeSampleProgram();

// A shell script that prints "<name> is running" and exits 0; the name is
// quoted for the shell, so any characters may appear in it.
QByteArray sampleScript(const QString& name);

}  // namespace corvane::samples
