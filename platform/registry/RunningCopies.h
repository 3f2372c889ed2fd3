// Running copies of an application bundle, found in /proc: processes of this
// user whose executable lies inside the bundle, or (for bundles whose
// executable is a script) processes of the script's interpreter whose
// command line runs the bundle's executable. Processes of other users, kernel threads and
// zombies are passed over; processes that vanish during the scan too.
#pragma once

#include <QList>
#include <QString>

#include <sys/types.h>

namespace corvane::registry {

// The process identifiers, oldest process first; empty when the bundle does
// not exist or no copy runs.
QList<pid_t> runningCopiesOfBundle(const QString& bundlePath);

// Whether one process is a copy of the bundle (same rules).
bool isCopyOfBundle(pid_t pid, const QString& bundlePath);

// The same test on facts already read, for tests: exe is /proc/PID/exe's
// target, commandLine the NUL-separated arguments; canonicalBundle and
// canonicalExecutable are the bundle's and its executable's resolved paths
// (canonicalExecutable empty when it is no script).
bool processRunsBundle(const QString& exe, const QByteArray& commandLine,
                       const QString& canonicalBundle, const QString& canonicalExecutable);

}  // namespace corvane::registry
