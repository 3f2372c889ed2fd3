#include "survey/engine/SystemLists.h"

#include "platform/foundation/PropertyListIO.h"
#include "platform/foundation/SystemProfile.h"
#include "platform/registry/ArchitecturePreference.h"

namespace corvane::survey {

namespace {

// The root of the system file at path when it reads and parses.
std::optional<plist::Value> parsedSystemFile(const char* path)
{
    const auto bytes = profile::readSystemFile(QString::fromLatin1(path));
    if (!bytes)
        return std::nullopt;
    plist::ReadResult r = plist::parse(*bytes);
    return r ? std::move(r.value) : std::nullopt;
}

}  // namespace

std::optional<QString> readSystemVersion()
{
    for (const char* path : {profile::kSystemVersionPath, profile::kServerVersionPath}) {
        const auto root = parsedSystemFile(path);
        if (!root)
            continue;
        // The first file that parses ends the search, with or without a version.
        const plist::Value* version = root->find(QStringLiteral("ProductVersion"));
        if (version && version->isString())
            return *version->string();
        return std::nullopt;
    }
    return std::nullopt;
}

SystemLists loadSystemLists()
{
    SystemLists lists;
    lists.versionString = readSystemVersion();
    if (const auto exceptions = parsedSystemFile(profile::kExceptionsPath)) {
        const plist::Value* minimums = exceptions->find(QStringLiteral("MinimumVersionRequirements"));
        if (minimums && minimums->isDictionary())
            lists.coreVersionDict = *minimums->dictionary();
    }
    lists.architectureDict = registry::storedArchitectureSettings();
    return lists;
}

}  // namespace corvane::survey
