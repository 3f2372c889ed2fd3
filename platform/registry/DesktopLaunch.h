// Turning a desktop entry and a list of documents into the command lines to
// run, by the Exec field codes of the desktop entry format:
//   %f  one local file path: one command per document
//   %F  all local file paths, as separate arguments
//   %u  one URL: one command per document (local files as file: URLs)
//   %U  all URLs, as separate arguments
//   %i  "--icon" and the Icon value, when there is one
//   %c  the localized Name;  %k  the desktop entry's path;  %%  a '%'
// The deprecated codes (%d %D %n %N %v %m) and unknown ones expand to
// nothing; an argument that held only such codes is dropped. %F and %U
// count only as whole arguments. Addresses that are not files are left out
// of %f and %F. With no documents, every document code expands to nothing.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/registry/DesktopEntry.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace corvane::registry {

struct DesktopCommand {
    QString program;  // absolute: a bare Exec program name is looked up in PATH
    QStringList arguments;
    QString workingDirectory;  // the Path= value, or empty
};

// The commands for the entry and documents. Returns kLSNoExecutableErr when
// the entry has no usable Exec line or its program cannot be found,
// kLSNotAnApplicationErr when it is no application entry. An entry with
// Terminal=true runs inside the desktop's terminal ("<terminal> -e ...");
// kLSApplicationNotFoundErr when there is none.
OSStatus desktopCommands(const DesktopEntry& entry, const QList<QUrl>& documents,
                         QList<DesktopCommand>* commands);

// The arguments of an Exec line after field-code expansion, for one command;
// documents are those this command receives. Exposed for tests.
QStringList expandExecArguments(const QStringList& execArguments, const DesktopEntry& entry,
                                const QList<QUrl>& documents);

}  // namespace corvane::registry
