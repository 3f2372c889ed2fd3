// The profile of the system this platform stands in for: the version numbers
// that version gates test, and the system root under which system files
// (version files, the exceptions list) are read.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane::profile {

// 855.17 unless CORVANE_CF_VERSION holds another number.
double coreFoundationVersionNumber();

// 1265.21 unless CORVANE_APPKIT_VERSION holds another number.
double appKitVersionNumber();

// "/" unless CORVANE_SYSTEM_ROOT names another folder; never ends in '/'
// except for "/" itself.
QString systemRoot();

// The absolute system path as it lies under the system root.
QString underSystemRoot(const QString& absolutePath);

// The well-known system files.
inline constexpr char kSystemVersionPath[] = "/System/Library/CoreServices/SystemVersion.plist";
inline constexpr char kServerVersionPath[] = "/System/Library/CoreServices/ServerVersion.plist";
inline constexpr char kExceptionsPath[] =
    "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/Exceptions.plist";

// Reads a system file under the system root. Files that exist are read as
// they are (nothing when unreadable or larger than a few megabytes). Where
// neither version file exists, the system version file reads as the
// platform's own (ProductVersion 10.9.5); a missing exceptions list reads as
// an empty one.
std::optional<QByteArray> readSystemFile(const QString& absolutePath);

}  // namespace corvane::profile
