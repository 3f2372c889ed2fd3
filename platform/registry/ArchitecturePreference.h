// The user's per-application architecture preference: whether an application
// that holds both i386 and x86_64 code is to be launched as one or the other.
//
// Stored in the preferences domain "com.apple.LaunchServices" under
// "LSArchitecturesForX86_64v2": a dictionary from bundle identifier (the
// empty string for bundles without one) to an array of pairs, each pair the
// bookmark data of one copy of the application (bookmarkDataForPath) followed
// by its architecture name. Every change is a locked read-modify-write of the
// domain (UserDefaults::update), so programs storing at once lose nothing.
// Pairs of other copies, including copies that cannot be found now (an
// unmounted disk), are kept as they are.
//
// The calls come in two forms, as the system offers them: a URL form and a
// request-record form. Which one a caller uses is decided by the core
// library's version number (usesURLPreferenceCalls()); the URL form is bound
// weakly and may be missing (architecturePreferenceCalls()). Setting
// CORVANE_WITHOUT_URL_PREFERENCE_CALLS=1 in the environment makes it missing,
// so the incompatible-system path can be exercised. All calls are
// thread-safe; the option words are reserved and ignored.
#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/StatusCodes.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

namespace corvane::registry {

inline constexpr QLatin1StringView kLaunchServicesDomain{"com.apple.LaunchServices"};
inline constexpr QLatin1StringView kArchitecturesKey{"LSArchitecturesForX86_64v2"};
// The earlier form, with alias records for locations; only imports read it.
inline constexpr QLatin1StringView kArchitecturesKeyWithAliases{"LSArchitecturesForX86_64"};
inline constexpr QLatin1StringView kArchitectureI386{"i386"};
inline constexpr QLatin1StringView kArchitectureX86_64{"x86_64"};

// The request record of the older calls: only url is read.
struct ApplicationRequest {
    std::uintptr_t reserved0 = 0;
    QUrl url;
    std::uintptr_t reserved1 = 0;
    std::uint32_t reserved2 = 0;
    std::uintptr_t reserved3 = 0;
};

// Reading. On noErr, *preference is the stored architecture name of this
// copy of the application ("i386", "x86_64" or whatever else is stored), or
// nothing when none is stored. Returns paramErr for a URL that is not a file
// URL, fnfErr when the bundle does not exist. *preference is left alone on
// failure.
OSStatus copyArchitecturePreferenceForApplicationURL(const QUrl& application,
                                                     std::optional<QString>* preference,
                                                     std::uint32_t options = 0);
OSStatus getArchitecturePreferenceForApplication(const ApplicationRequest& request,
                                                 std::optional<QString>* preference,
                                                 std::uint32_t options = 0);

// Storing: replaces the pair of this copy of the application (or appends
// one). Returns noErr when stored; paramErr for a URL that is not a file URL
// or an architecture other than "i386" and "x86_64"; fnfErr when the bundle
// does not exist; kLSNotAnApplicationErr when it is not an application
// package; ioErr when the preferences cannot be written.
OSStatus setArchitecturePreferenceForApplicationURL(const QUrl& application,
                                                    const QString& architecture);
OSStatus setArchitecturePreferenceForApplication(const ApplicationRequest& request,
                                                 const QString& architecture);

// The entry points as a caller binds them. copyForURL and setForURL are null
// when the URL form is missing.
struct ArchitecturePreferenceCalls {
    OSStatus (*copyForURL)(const QUrl&, std::optional<QString>*, std::uint32_t) = nullptr;
    OSStatus (*setForURL)(const QUrl&, const QString&) = nullptr;
    OSStatus (*getForRequest)(const ApplicationRequest&, std::optional<QString>*,
                              std::uint32_t) = nullptr;
    OSStatus (*setForRequest)(const ApplicationRequest&, const QString&) = nullptr;
};
ArchitecturePreferenceCalls architecturePreferenceCalls();

// Whether the URL form is the one to use: the core library's version number,
// cut to its whole part, is greater than 855.
bool usesURLPreferenceCalls();

// The version gate and the weak binding in one place, for callers that read
// or store a preference the way the system's own programs do. entryPointMissing
// is true when the URL form is to be used but missing: the caller then shows
// the incompatible-system alert and goes on as if nothing was read or stored.
struct PreferenceReading {
    bool entryPointMissing = false;
    OSStatus status = status::noErr;
    std::optional<QString> preference;
};
PreferenceReading readArchitecturePreference(const QUrl& application);

struct PreferenceStoring {
    bool entryPointMissing = false;
    OSStatus status = status::noErr;
};
PreferenceStoring storeArchitecturePreference(const QUrl& application, const QString& architecture);

// The value of "LSArchitecturesForX86_64v2" exactly as stored, or nothing
// when it is not set.
std::optional<plist::Value> storedArchitectureSettings();

}  // namespace corvane::registry
