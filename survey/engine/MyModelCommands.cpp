// The commands that change applications' modes: the mode switch of one row,
// and the export and import of the user's architecture settings.
#include "survey/engine/MyModel.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileReference.h"
#include "platform/foundation/PropertyListIO.h"
#include "platform/registry/ArchitecturePreference.h"

namespace corvane::survey {

namespace {

const QString kI386(registry::kArchitectureI386);
const QString kX86_64(registry::kArchitectureX86_64);
const QString kSettingsKey(registry::kArchitecturesKey);
const QString kOldSettingsKey(registry::kArchitecturesKeyWithAliases);

constexpr qint64 kMaxSettingsBytes = 32 * 1024 * 1024;

// Whether the pair's location resolves to the record's bundle.
bool namesBundle(const plist::Value& location, const QString& bundlePath)
{
    const QByteArray* data = location.data();
    if (!data || data->isEmpty() || bundlePath.isEmpty())
        return false;
    const QString resolved = resolveBookmarkData(*data);
    if (resolved.isEmpty())
        return false;
    const auto a = identityOf(resolved);
    return a && a == identityOf(bundlePath);
}

// The architecture the settings give the bundle at path, or nothing.
std::optional<QString> architectureFor(const plist::Array& pairs, const QString& bundlePath)
{
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        const QString* arch = pairs[i + 1].string();
        if (!arch || (*arch != kI386 && *arch != kX86_64))
            continue;
        if (namesBundle(pairs[i], bundlePath))
            return *arch;
    }
    return std::nullopt;
}

// The settings dictionary of a settings file, or nothing when unsuitable.
std::optional<plist::Dictionary> settingsOf(const QByteArray& file)
{
    plist::Limits limits;
    limits.maxBytes = kMaxSettingsBytes;
    const plist::ReadResult r = plist::parse(file, limits);
    if (!r || !r.value->isDictionary() || r.value->dictionary()->size() != 1)
        return std::nullopt;
    const plist::Value* settings = r.value->find(kOldSettingsKey);
    if (!settings)
        settings = r.value->find(kSettingsKey);
    if (!settings || !settings->isDictionary() || settings->dictionary()->isEmpty())
        return std::nullopt;
    return *settings->dictionary();
}

}  // namespace

std::optional<OSStatus> MyModel::storeArchitecture(const MyController& record, const QString& architecture)
{
    const registry::PreferenceStoring r =
        registry::storeArchitecturePreference(QUrl::fromLocalFile(record.urlPPath()), architecture);
    if (r.entryPointMissing) {
        host_.incompatibleSystemAlert();
        return std::nullopt;
    }
    return r.status;
}

void MyModel::refilterAfterModeChange()
{
    if (filters_.hasModeTerm())
        arraycontroller24_.rearrangeObjects();
}

void MyModel::showSource(int clickedRow)
{
    if (clickedRow == -1)
        return;
    const QList<MyController*> arranged = arrangedObjects();
    if (clickedRow >= 0 && clickedRow < arranged.size()) {
        MyController* record = arranged[clickedRow];
        const auto status = storeArchitecture(*record, record->flag3() ? kX86_64 : kI386);
        if (status == status::noErr)
            record->setFlag3(!record->flag3());
        else if (status && *status != 1)
            host_.presentStatus(*status);
    }
    refilterAfterModeChange();
}

std::optional<QByteArray> MyModel::exportedSettings()
{
    const auto stored = registry::storedArchitectureSettings();
    if (!stored)
        return std::nullopt;
    return plist::serialize(plist::Value(plist::Dictionary{{kSettingsKey, *stored}}), plist::Format::Binary);
}

bool MyModel::isSettingsFile(const QByteArray& bytes)
{
    return settingsOf(bytes).has_value();
}

QList<MyController*> MyModel::importSettings(const QByteArray& settingsFile)
{
    QList<MyController*> changed;
    const auto settings = settingsOf(settingsFile);
    if (!settings)
        return changed;
    for (MyController* record : content()) {
        const QString path = record->urlPPath();
        const auto bundle = Bundle::open(path);
        if (!bundle || !bundle->infoDictionary())
            continue;
        const plist::Value* identifier = bundle->infoValue(QStringLiteral("CFBundleIdentifier"));
        const QString key = identifier && identifier->isString() ? *identifier->string() : QString();
        const plist::Value entry = settings->value(key);
        if (!entry.isArray() || entry.array()->size() < 2)
            continue;
        const auto wanted = architectureFor(*entry.array(), path);
        if (!wanted || (*wanted == kI386) == record->flag3())
            continue;
        // Storing the pair's architecture is storing the opposite of the current mode.
        if (storeArchitecture(*record, *wanted) == status::noErr) {
            record->setFlag3(!record->flag3());
            changed.append(record);
            refilterAfterModeChange();
        }
    }
    return changed;
}

}  // namespace corvane::survey
