// The three facts about the running system that classification compares each
// bundle with: its version, the minimum application versions the system
// enforces, and the user's per-application architecture settings. Read once
// when a survey window loads, never written.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QString>

#include <optional>

namespace corvane::survey {

struct SystemLists {
    // "ProductVersion" of the first system version file that parses.
    std::optional<QString> versionString;
    // "MinimumVersionRequirements" of the exceptions list: bundle identifier
    // to a minimum version string or an array whose first element is one.
    std::optional<plist::Dictionary> coreVersionDict;
    // "LSArchitecturesForX86_64v2" of the registry's preference domain, as
    // stored (its type is tested where it is used).
    std::optional<plist::Value> architectureDict;
};

// Reads the system version files and the exceptions list under the system
// root, and the user's architecture settings. Nothing is reported: what
// cannot be read stays absent.
SystemLists loadSystemLists();

// The version from the first of the system version files that parses;
// exposed for tests of the file order.
std::optional<QString> readSystemVersion();

}  // namespace corvane::survey
