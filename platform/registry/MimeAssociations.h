// The user's and the system's choices of document handlers: the
// "mimeapps.list" files of the XDG configuration and data folders, with
// their [Default Applications], [Added Associations] and [Removed
// Associations] groups, read in the order of precedence that the
// associations standard gives (desktop-specific files before general ones,
// configuration before data). Values are desktop-file IDs.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace corvane::registry {

// One mimeapps.list file: MIME type -> desktop-file IDs, per group.
struct MimeAppsList {
    QHash<QString, QStringList> defaults;
    QHash<QString, QStringList> added;
    QHash<QString, QStringList> removed;
};

// Parses a mimeapps.list file's text; unknown groups and malformed lines are
// skipped.
MimeAppsList parseMimeAppsList(const QByteArray& text);

// The files in order of precedence, most important first (only those that
// exist and are readable, each at most a few hundred kilobytes).
QList<MimeAppsList> readMimeAppsLists();
// Their paths in that order, existing or not.
QStringList mimeAppsListPaths();

// What the lists say about one MIME type.
struct MimeTypeAssociations {
    QStringList defaults;  // in order of precedence; may name missing entries
    QStringList added;     // added associations not removed by a more important list
    QStringList removed;   // every removed association
};
MimeTypeAssociations associationsFor(const QList<MimeAppsList>& lists, const QString& mimeType);

}  // namespace corvane::registry
