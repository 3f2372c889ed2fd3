// Opening web and mail addresses (and any other URL) the way the desktop
// would: with the registry's default application for the address
// ("x-scheme-handler/https", "x-scheme-handler/mailto", ...) or, for a file
// URL, for the file. When the registry knows none, xdg-open is asked, when it
// is installed. The address reaches the application unchanged (fully
// encoded, so "?SUBJECT=Suggest%20a%20New%20Tool" stays as written).
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QUrl>

namespace corvane::files {

// Returns noErr once a program was started for the URL; paramErr for an
// empty or relative URL; kLSApplicationNotFoundErr when nothing can open it;
// a launch status otherwise. Does not wait for the program.
OSStatus openURL(const QUrl& url);

}  // namespace corvane::files
