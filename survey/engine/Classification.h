// Deciding, for one candidate bundle, whether it belongs in the survey (it
// holds both an i386 and an x86_64 slice and this system will run it) and, if
// so, whether it will launch as 32-bit or as 64-bit code: the bundle's own
// declarations first, then the user's setting kept by the registry.
#pragma once

#include "platform/foundation/FileReference.h"
#include "survey/engine/SystemLists.h"

#include <QString>

#include <functional>
#include <optional>

namespace corvane::survey {

struct ClassifiedBundle {
    QString displayName;
    std::optional<FileReference> urlP;
    bool flag3 = false;  // launches as 32-bit code
};

// Called, on the classifying thread, when the registry lacks the preference
// call this system version needs; returns once the user has seen the alert.
using IncompatibleSystemAlert = std::function<void()>;

// Classifies the bundle at bundlePath; nothing when it does not qualify. No
// failure is reported: unreadable or unsuitable bundles simply give nothing.
std::optional<ClassifiedBundle> classifyBundle(const QString& bundlePath, const SystemLists& lists,
                                               const IncompatibleSystemAlert& alert);

// The user's preference for the bundle ("i386", "x86_64", another string, or
// nothing), read through the registry's call for this system version; shows
// the alert and gives nothing when that call is missing.
std::optional<QString> readPreference(const QString& bundlePath, const IncompatibleSystemAlert& alert);

// The alert's texts.
inline constexpr char kIncompatibleSystemMessage[] = "This version of OS X is not compatible with Corvane";
inline constexpr char kIncompatibleSystemInformative[] =
    "Please contact the developer as soon as possible. Email:  %@";
inline constexpr char kSupportAddress[] = "support@corvane.example";

}  // namespace corvane::survey
