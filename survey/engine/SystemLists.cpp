#include "survey/engine/SystemLists.h"

#include "platform/foundation/PropertyListIO.h"
#include "platform/foundation/SystemProfile.h"
#include "platform/foundation/UserDefaults.h"

namespace corvane::survey {

namespace {

const QString kLaunchServicesDomain = QStringLiteral("com.apple.LaunchServices");
const QString kArchitecturesKey = QStringLiteral("LSArchitecturesForX86_64v2");

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
    lists.architectureDict = UserDefaults(kLaunchServicesDomain).value(kArchitecturesKey);
    return lists;
}

}  // namespace corvane::survey
