// Who started this process: the launcher's identity travels in the child's
// environment, because Linux keeps no record of it once the launcher is gone
// (and a detached child's parent is not its launcher).
//
// The launcher (the registry's launch call) adds launcherEnvironment() to the
// child's environment; an autostart entry starts its program with
// CORVANE_LAUNCHED_AT_LOGIN=1. The child reads launchContext() once, at
// start. Programs started any other way have no context: they were started
// by hand, by a file manager or by a shell.
//
// The environment is only a claim. launcherBundlePath() trusts /proc over it
// while the launcher still runs.
#pragma once

#include "platform/processes/SerialNumber.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

namespace corvane::session {

inline constexpr char kLauncherSerialVariable[] = "CORVANE_LAUNCHER_SERIAL";     // "high:low"
inline constexpr char kLauncherBundleVariable[] = "CORVANE_LAUNCHER_BUNDLE";     // a path
inline constexpr char kLaunchedAtLoginVariable[] = "CORVANE_LAUNCHED_AT_LOGIN";  // "1"

struct LaunchContext {
    bool atLogin = false;       // started by the session's autostart
    SerialNumber launcher;      // valid when a launcher said who it is
    QString claimedBundlePath;  // the launcher's bundle, as it said; may be empty
};

// The variables a launcher with this serial number and bundle puts into the
// environment of what it launches (bundlePath may be empty).
QProcessEnvironment launcherEnvironment(const SerialNumber& launcher, const QString& bundlePath);

// The context in environment; nothing when it holds none of the variables
// or they are malformed.
std::optional<LaunchContext> launchContext(
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// The launcher's bundle: what /proc says of the launcher while it still runs
// under that serial number, else the claimed path. Empty without a launcher.
QString launcherBundlePath(const LaunchContext& context);

}  // namespace corvane::session
