// Launching applications and opening documents with them.
//
// An application is a bundle (its executable runs: an ELF file, or a script
// with a "#!" line) or a desktop entry (its Exec line runs, split into
// arguments by the format's quoting rules, never through a shell). Every
// program starts detached (ProcessSpawn.h), with the caller's environment
// plus the launcher's identity (LauncherIdentity.h); bundles start in the
// user's home folder, desktop entries in their Path= folder or the home.
//
// Launch flags (RegistryTypes.h):
//   kNewInstance  start a new process even when a copy of the bundle runs.
//                 Without it, a running copy (RunningCopies.h) is brought
//                 forward through the activator instead of starting another,
//                 and its serial number is returned.
//   kDontSwitch   keep the launcher in front: a running copy is not brought
//                 forward; the flag also reaches the new process in
//                 CORVANE_LAUNCH_FLAGS, for programs that start in the
//                 background when asked.
//   kNoParams     pass no documents and no arguments.
// Other flags are accepted and passed on in CORVANE_LAUNCH_FLAGS only.
// Desktop entries always start anew: the programs behind them decide for
// themselves whether a second copy may run.
//
// Failures are statuses with comments (statusComment): paramErr (no file
// URL), fnfErr (no such item), kLSNotAnApplicationErr, kLSNoExecutableErr
// (no executable, or the Exec program is missing),
// kLSExecutableIncorrectFormat (a Mach-O executable, a file without a "#!"
// line, or an ELF file for a machine this system cannot run), permErr (not
// executable), kLSApplicationNotFoundErr (no handler for a document).
//
// Every bundle launched is registered (ApplicationRegistry.h, persistently)
// and recorded in launchedApplications(). Functions may be called from any
// thread; the activator and the observer run on the calling thread.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/processes/SerialNumber.h"
#include "platform/registry/RegistryTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace corvane::registry {

struct LaunchParameters {
    QUrl application;  // file URL of a bundle or a desktop entry
    LaunchFlags flags = launch::kDefaults;
    QStringList arguments;    // for bundles: passed after the documents
    QStringList environment;  // added to the child's environment, "NAME=value"
};

// Launches the application. On noErr, *launched (when given) is the new
// process's serial number, or the running copy's when one was brought forward.
OSStatus openApplication(const LaunchParameters& parameters, SerialNumber* launched = nullptr);

// Opens the documents (file URLs, or web and mail addresses) with the
// application of parameters, or, when application is empty, each with its
// default application in the roles of the mask. A bundle receives the
// documents' paths (file URLs) or addresses as arguments, all in one new
// process; a desktop entry as its Exec line's field codes say (%f and %u
// start one process per document, %F and %U one for all). With documents, a
// new process starts even when a copy runs, since a running program cannot
// be handed documents here. Returns the first failure, after trying every
// document. *launched receives the serial numbers of the processes started.
OSStatus openURLsWithRole(const QList<QUrl>& documents, RolesMask roles,
                          const LaunchParameters& parameters,
                          QList<SerialNumber>* launched = nullptr);

// Brings a running process's windows forward; returns whether it could.
// The desktop session service installs the real one; until then the
// default does nothing and returns true (the running copy counts as found).
using Activator = std::function<bool(pid_t)>;
void setActivator(Activator activator);  // an empty function restores the default

// What this registry launched, in this process, oldest first.
struct LaunchRecord {
    SerialNumber serial;
    QString applicationPath;  // the bundle or desktop entry
    LaunchFlags flags = 0;
};
// The records of processes still running (ended ones are dropped).
QList<LaunchRecord> launchedApplications();
// Called after every successful start of a new process. An empty function
// removes the observer.
using LaunchObserver = std::function<void(const LaunchRecord&)>;
void setLaunchObserver(LaunchObserver observer);

}  // namespace corvane::registry
