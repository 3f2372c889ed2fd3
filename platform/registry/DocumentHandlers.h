// Which applications open a document, and which one opens it by default.
//
// A document's type is its freedesktop MIME type (QMimeDatabase: by name and
// content; folders are "inode/directory"); a URL that is not a file URL has
// the type "x-scheme-handler/<scheme>" (web and mail addresses). The
// candidates for a type, in this order:
//   1. desktop entries the mimeapps.list files add for it;
//   2. registered desktop entries whose MimeType= names it;
//   3. registered bundles whose CFBundleDocumentTypes claim it, by extension
//      (CFBundleTypeExtensions, "*" for any), MIME type
//      (CFBundleTypeMIMETypes), a few public type identifiers
//      (LSItemContentTypes) or the type codes "****" (any file) and "fold"
//      (folders), in a role the mask allows (CFBundleTypeRole "Viewer",
//      "Editor", "Shell" or "None"; a type without a role counts as viewer
//      and editor);
// then the same for each of the type's parent types (a handler of
// "text/plain" opens C source too). Desktop entries count as viewer and
// editor. Associations the mimeapps.list files remove are left out.
//
// The default is the first installed desktop entry that the mimeapps.list
// files name as default for the type (or, failing that, for a parent type),
// else the first candidate, and it comes first among the candidates.
// An application package is the exception: it is its own default, and its
// candidates are the handlers of folders (the file manager and bundles that
// claim folders or application bundles), which do not include it.
//
// Everything is looked up afresh on every call. Thread-safe.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/registry/RegistryTypes.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace corvane::registry {

// The MIME type of a document. Returns fnfErr (or the look-up's status) when
// a file URL names nothing, paramErr for an empty URL.
OSStatus documentTypeForURL(const QUrl& document, QString* mimeType);

// The default application for the document in the roles of the mask.
// Returns kLSApplicationNotFoundErr when no application handles it, and the
// statuses of documentTypeForURL; *application is set on success only.
OSStatus defaultApplicationForURL(const QUrl& document, RolesMask roles, QUrl* application);

// Every application that opens the document in the roles of the mask,
// default first, each once. An empty list (with noErr) when none does;
// the statuses of documentTypeForURL otherwise.
OSStatus applicationsForURL(const QUrl& document, RolesMask roles, QList<QUrl>* applications);

// The desktop's stand-ins for the system's own tools, as desktop entries:
// the file manager (the default handler of folders, else an entry in the
// category FileManager), the terminal (an entry in the category
// TerminalEmulator) and the system monitor (an entry in the categories
// System and Monitor). Nothing when the desktop has none.
std::optional<QUrl> fileManagerApplication();
std::optional<QUrl> terminalApplication();
std::optional<QUrl> systemMonitorApplication();

}  // namespace corvane::registry
