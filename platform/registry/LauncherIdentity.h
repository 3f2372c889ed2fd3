// Who started this program: the registry tells every program it launches
// who launched it, and login items say that the login started them. Both
// travel in the new process's environment:
//
//   CORVANE_LAUNCHER_PID, CORVANE_LAUNCHER_START   the launcher's serial number
//                                                  (process id, start time)
//   CORVANE_LAUNCHER_BUNDLE                        the launcher's main bundle, when it has one
//   CORVANE_LAUNCH_FLAGS                           the launch flags, in decimal
//   CORVANE_LAUNCHED_PID                           the launched process's own id
//   CORVANE_LAUNCHER_SIGNATURE=lgnw and
//   CORVANE_LAUNCHED_EXECUTABLE                    set by login items (the
//                                                  login window's signature
//                                                  and the program meant)
//
// A process only believes variables meant for itself: a registry launch
// names its process id, a login item its executable. Variables a process
// inherited from an ancestor that was launched so are therefore ignored.
#pragma once

#include "platform/processes/SerialNumber.h"
#include "platform/registry/RegistryTypes.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace corvane::registry {

inline constexpr QLatin1StringView kLoginWindowSignature{"lgnw"};

struct LauncherIdentity {
    enum class Kind {
        Unknown,      // started some other way (a shell, the file manager, ...)
        LoginWindow,  // started at login by a login item
        Process,      // started by a program through the registry
    };
    Kind kind = Kind::Unknown;
    SerialNumber launcher;       // Process: the launching process
    QString launcherBundlePath;  // Process: the launcher's main bundle, or empty
    LaunchFlags flags = 0;       // Process: the flags it launched with
};

// The identity passed to the current process. The first call reads it and
// removes the variables from the environment, so that programs this process
// starts do not inherit them; later calls give the same answer. Call it early
// in main, before other threads run.
LauncherIdentity takeLauncherIdentity();

// The identity that env holds for the process pid whose executable is
// executablePath (for tests and for the first call above).
LauncherIdentity launcherIdentityFromEnvironment(const QProcessEnvironment& env, pid_t pid,
                                                 const QString& executablePath);

// The variables a launch passes: the current process as launcher, with the
// flags. CORVANE_LAUNCHED_PID is added by the launch itself.
QStringList launcherEnvironment(LaunchFlags flags);

// The environment for a child: the current one without any launcher
// variables, plus those given.
QStringList childEnvironment(const QStringList& additions);

// The variables a login item sets to start executablePath, as "NAME=value".
QStringList loginItemEnvironment(const QString& executablePath);

inline constexpr QLatin1StringView kLaunchedPidVariable{"CORVANE_LAUNCHED_PID"};

// The bundle whose Contents/MacOS folder holds the executable
// (".../Corvane.app/Contents/MacOS/Corvane" -> ".../Corvane.app"), or an
// empty string.
QString bundleOfExecutable(const QString& executablePath);

// The main bundle of the running program, from /proc/self/exe; empty when
// the program does not run from a bundle.
QString mainBundlePath();

}  // namespace corvane::registry
