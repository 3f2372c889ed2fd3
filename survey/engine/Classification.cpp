#include "survey/engine/Classification.h"

#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/VersionCompare.h"
#include "platform/registry/ArchitecturePreference.h"
#include "platform/registry/ItemInfo.h"

namespace corvane::survey {

namespace {

const QString kI386(registry::kArchitectureI386);
const QString kX86_64(registry::kArchitectureX86_64);

struct Slices {
    bool i386 = false;
    bool powerPC = false;
    bool x86_64 = false;
};

Slices slicesOf(const std::vector<std::int32_t>& architectures)
{
    Slices s;
    for (std::int32_t cpu : architectures) {
        s.i386 |= cpu == exe::kCpuTypeX86;
        s.powerPC |= cpu == exe::kCpuTypePowerPC;
        s.x86_64 |= cpu == exe::kCpuTypeX86_64;
    }
    return s;
}

const QString* nonEmptyString(const plist::Value* v)
{
    return v && v->isString() && !v->string()->isEmpty() ? v->string() : nullptr;
}

// A minimum version: absent or empty imposes nothing; otherwise the system
// must have a version and it must not be lower.
bool meetsMinimum(const QString* minimum, const std::optional<QString>& system)
{
    if (!minimum)
        return true;
    return system && compareVersions(*minimum, *system) <= 0;
}

bool declaresTrue(const plist::Value* v)
{
    return v && v->answersBoolValue() && v->boolValue();
}

// The bundle's own choice: true for 32-bit.
bool ownDecision(const Bundle& bundle)
{
    const plist::Value* priority = bundle.infoValue(QStringLiteral("LSArchitecturePriority"));
    const plist::Array* order = priority ? priority->array() : nullptr;
    if (declaresTrue(bundle.infoValue(QStringLiteral("LSRequiresNativeExecution")))) {
        if (order) {
            for (const plist::Value& e : *order) {
                if (e == plist::Value(kI386))
                    return true;
                if (e == plist::Value(kX86_64))
                    return false;
            }
        }
        return false;
    }
    return order && !order->isEmpty() && order->first() == plist::Value(kI386);
}

bool requiresNative(const Bundle& bundle)
{
    return declaresTrue(bundle.infoValue(QStringLiteral("LSRequiresNativeExecution")));
}

// The system's minimum version for the identifier; true when the bundle may stay.
bool meetsSystemMinimum(const Bundle& bundle, const QString& key, const SystemLists& lists)
{
    if (!lists.coreVersionDict)
        return true;
    const auto entry = lists.coreVersionDict->constFind(key);
    if (entry == lists.coreVersionDict->constEnd())
        return true;
    const QString* bundleVersion = nonEmptyString(bundle.infoValue(QStringLiteral("CFBundleVersion")));
    if (!bundleVersion)
        return false;
    const QString* minimum = entry->string();
    if (const plist::Array* a = entry->array(); a && !a->isEmpty())
        minimum = a->first().string();
    return !minimum || compareVersions(*minimum, *bundleVersion) <= 0;
}

bool hasUserSetting(const QString& key, const SystemLists& lists)
{
    const plist::Value* entry = lists.architectureDict ? lists.architectureDict->find(key) : nullptr;
    return entry && entry->isArray() && !entry->array()->isEmpty();
}

}  // namespace

std::optional<QString> readPreference(const QString& bundlePath, const IncompatibleSystemAlert& alert)
{
    const registry::PreferenceReading r = registry::readArchitecturePreference(QUrl::fromLocalFile(bundlePath));
    if (r.entryPointMissing) {
        if (alert)
            alert();
        return std::nullopt;
    }
    return r.preference;
}

std::optional<ClassifiedBundle> classifyBundle(const QString& bundlePath, const SystemLists& lists,
                                               const IncompatibleSystemAlert& alert)
{
    const auto bundle = Bundle::open(bundlePath);
    if (!bundle)
        return std::nullopt;
    const Slices slices = slicesOf(bundle->executableArchitectures());
    if (!slices.x86_64 || !slices.i386)
        return std::nullopt;
    if (!bundle->infoDictionary())
        return std::nullopt;

    if (!meetsMinimum(nonEmptyString(bundle->infoValue(QStringLiteral("LSMinimumSystemVersion"))),
                      lists.versionString))
        return std::nullopt;
    const plist::Value* byArchitecture = bundle->infoValue(QStringLiteral("LSMinimumSystemVersionByArchitecture"));
    if (byArchitecture && byArchitecture->isDictionary() &&
        !meetsMinimum(nonEmptyString(byArchitecture->find(kX86_64)), lists.versionString))
        return std::nullopt;
    const plist::Value* java = bundle->infoValue(QStringLiteral("Java"));
    if (java && java->isDictionary() && java->find(QStringLiteral("MainClass")))
        return std::nullopt;

    bool flag3 = ownDecision(*bundle);
    if (!requiresNative(*bundle) && declaresTrue(bundle->infoValue(QStringLiteral("LSPrefersPPC"))) &&
        slices.powerPC)
        return std::nullopt;

    const plist::Value* identifier = bundle->infoValue(QStringLiteral("CFBundleIdentifier"));
    const QString key = identifier && identifier->isString() ? *identifier->string() : QString();
    if (key == QStringLiteral("com.apple.appstore") || key == QStringLiteral("com.apple.store_helper"))
        return std::nullopt;
    if (!meetsSystemMinimum(*bundle, key, lists))
        return std::nullopt;

    if (hasUserSetting(key, lists)) {
        const auto preference = readPreference(bundle->path(), alert);
        if (preference == kI386)
            flag3 = true;
        else if (preference == kX86_64)
            flag3 = false;
    }

    QString name;
    if (registry::displayNameForURL(QUrl::fromLocalFile(bundle->path()), &name) != status::noErr)
        return std::nullopt;
    return ClassifiedBundle{name, FileReference::forPath(bundle->path()), flag3};
}

}  // namespace corvane::survey
