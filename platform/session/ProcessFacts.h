// What the session knows of a running process as an application: its
// executable, the bundle it belongs to, its display name, bundle identifier
// and the architecture it runs as. Read from /proc and the bundle itself;
// every read is bounded and a process that is gone or unreadable gives
// nothing or empty fields, never an error.
#pragma once

#include <QString>

#include <sys/types.h>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvane::session {

struct ProcessFacts {
    pid_t pid = 0;
    // /proc/<pid>/exe; empty when it cannot be read (another user's
    // process). A deleted executable keeps its " (deleted)" suffix.
    QString executablePath;
    // The bundle the process runs from (see bundleOfProcess); empty when none.
    QString bundlePath;
    // The bundle's file name with ".app" hidden, else the executable's file
    // name, else the kernel's command name.
    QString displayName;
    QString bundleIdentifier;  // CFBundleIdentifier as written; empty without one
    // The CPU type number the process runs as (7 i386, 16777223 x86_64, ...):
    // read from the running executable's header; when that cannot be read,
    // the bundle executable's only architecture; 0 when unknown.
    std::int32_t architecture = 0;
};

// The bundle folder of an executable: for ".../Name.app/Contents/MacOS/exe"
// it is ".../Name.app" (any extension is accepted, as bundles of other kinds
// run the same way). Empty when the path is not laid out like that.
QString bundleOfExecutable(const QString& executablePath);

// The bundle a process runs from: that of its executable, else that of the
// script it runs (an interpreter whose first or second argument is a file in
// a bundle's Contents/MacOS). Empty when none.
QString bundleOfProcess(pid_t pid, const QString& executablePath);

// The facts of pid. knownBundlePath, when given, is taken as the bundle (the
// launcher knows it best). Nothing when the process does not exist.
std::optional<ProcessFacts> readProcessFacts(pid_t pid, const QString& knownBundlePath = {});

// The processes of this user that run from the bundle at bundlePath (its
// executable, or a script in it), found by a walk of /proc, in ascending
// process identifier order. Finds copies that own no window and were not
// launched through the registry; processes of other users are not seen.
std::vector<pid_t> processesRunningFromBundle(const QString& bundlePath);

}  // namespace corvane::session
