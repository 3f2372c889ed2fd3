#include "platform/registry/ArchitecturePreference.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileIO.h"
#include "platform/foundation/FileReference.h"
#include "platform/foundation/SystemProfile.h"
#include "platform/foundation/UserDefaults.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <cmath>

namespace corvane::registry {

namespace {

// The bundle a URL names, with the status of a failed look-up.
OSStatus openBundle(const QUrl& url, std::optional<Bundle>* bundle)
{
    if (!url.isLocalFile() || url.toLocalFile().isEmpty())
        return status::paramErr;
    *bundle = Bundle::open(url);
    return *bundle ? status::noErr : status::fnfErr;
}

// Whether two paths name the same file-system object (links followed).
bool sameItem(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    return !a.isEmpty() && !b.isEmpty() && ::stat(nativePath(a).constData(), &sa) == 0 &&
           ::stat(nativePath(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Whether a pair's location is this copy of the application.
bool pairNamesBundle(const plist::Value& location, const QString& bundlePath)
{
    const QByteArray* data = location.data();
    return data && !data->isEmpty() && sameItem(resolveBookmarkData(*data), bundlePath);
}

const plist::Array* pairsFor(const plist::Value& settings, const QString& identifier)
{
    const plist::Value* entry = settings.find(identifier);
    return entry ? entry->array() : nullptr;
}

OSStatus readPreference(const QUrl& url, std::optional<QString>* preference)
{
    std::optional<Bundle> bundle;
    if (const OSStatus s = openBundle(url, &bundle); s != status::noErr)
        return s;
    std::optional<QString> found;
    const auto settings = storedArchitectureSettings();
    const plist::Array* pairs = settings ? pairsFor(*settings, bundle->identifier()) : nullptr;
    for (qsizetype i = 0; pairs && i + 1 < pairs->size(); i += 2) {
        const plist::Value& name = pairs->at(i + 1);
        if (name.isString() && pairNamesBundle(pairs->at(i), bundle->path())) {
            found = *name.string();
            break;
        }
    }
    if (preference)
        *preference = found;
    return status::noErr;
}

// The pairs with this copy's pair replaced by the new one, at the end.
plist::Array replacePair(const plist::Array* old, const QString& bundlePath,
                         const QByteArray& bookmark, const QString& architecture)
{
    plist::Array pairs;
    for (qsizetype i = 0; old && i + 1 < old->size(); i += 2) {
        if (pairNamesBundle(old->at(i), bundlePath))
            continue;
        pairs.append(old->at(i));
        pairs.append(old->at(i + 1));
    }
    // An odd element left at the end belongs to no pair; keeping it would
    // shift every pair appended after it.
    pairs.append(plist::Value(bookmark));
    pairs.append(plist::Value(architecture));
    return pairs;
}

OSStatus storePreference(const QUrl& url, const QString& architecture)
{
    if (architecture != kArchitectureI386 && architecture != kArchitectureX86_64)
        return status::paramErr;
    std::optional<Bundle> bundle;
    if (const OSStatus s = openBundle(url, &bundle); s != status::noErr)
        return s;
    const QString name = QFileInfo(bundle->path()).fileName();
    if (name.size() <= 4 || !name.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive))
        return status::kLSNotAnApplicationErr;
    const QByteArray bookmark = bookmarkDataForPath(bundle->path());
    if (bookmark.isEmpty())
        return status::fnfErr;
    const QString identifier = bundle->identifier();
    const bool stored = UserDefaults(kLaunchServicesDomain).update([&](plist::Dictionary& domain) {
        plist::Dictionary settings;
        if (const auto it = domain.constFind(kArchitecturesKey);
            it != domain.constEnd() && it->isDictionary())
            settings = *it->dictionary();
        else if (it != domain.constEnd())
            qWarning("%s: replacing an unreadable %s", qPrintable(QString(kLaunchServicesDomain)),
                     qPrintable(QString(kArchitecturesKey)));
        const plist::Value current(settings);
        settings.insert(identifier,
                        plist::Value(replacePair(pairsFor(current, identifier), bundle->path(),
                                                 bookmark, architecture)));
        domain.insert(kArchitecturesKey, plist::Value(settings));
        return true;
    });
    return stored ? status::noErr : status::ioErr;
}

OSStatus copyForURL(const QUrl& url, std::optional<QString>* preference, std::uint32_t)
{
    return readPreference(url, preference);
}

OSStatus setForURL(const QUrl& url, const QString& architecture)
{
    return storePreference(url, architecture);
}

}  // namespace

OSStatus copyArchitecturePreferenceForApplicationURL(const QUrl& application,
                                                     std::optional<QString>* preference,
                                                     std::uint32_t options)
{
    return copyForURL(application, preference, options);
}

OSStatus getArchitecturePreferenceForApplication(const ApplicationRequest& request,
                                                 std::optional<QString>* preference, std::uint32_t)
{
    return readPreference(request.url, preference);
}

OSStatus setArchitecturePreferenceForApplicationURL(const QUrl& application,
                                                    const QString& architecture)
{
    return setForURL(application, architecture);
}

OSStatus setArchitecturePreferenceForApplication(const ApplicationRequest& request,
                                                 const QString& architecture)
{
    return storePreference(request.url, architecture);
}

ArchitecturePreferenceCalls architecturePreferenceCalls()
{
    ArchitecturePreferenceCalls calls;
    calls.getForRequest = &getArchitecturePreferenceForApplication;
    calls.setForRequest = &setArchitecturePreferenceForApplication;
    if (qEnvironmentVariableIntValue("CORVANE_WITHOUT_URL_PREFERENCE_CALLS") == 0) {
        calls.copyForURL = &copyArchitecturePreferenceForApplicationURL;
        calls.setForURL = &setArchitecturePreferenceForApplicationURL;
    }
    return calls;
}

bool usesURLPreferenceCalls()
{
    return std::floor(profile::coreFoundationVersionNumber()) > 855.0;
}

PreferenceReading readArchitecturePreference(const QUrl& application)
{
    const ArchitecturePreferenceCalls calls = architecturePreferenceCalls();
    PreferenceReading reading;
    if (!usesURLPreferenceCalls()) {
        ApplicationRequest request;
        request.url = application;
        reading.status = calls.getForRequest(request, &reading.preference, 0);
    } else if (calls.copyForURL) {
        reading.status = calls.copyForURL(application, &reading.preference, 0);
    } else {
        reading.entryPointMissing = true;
    }
    return reading;
}

PreferenceStoring storeArchitecturePreference(const QUrl& application, const QString& architecture)
{
    const ArchitecturePreferenceCalls calls = architecturePreferenceCalls();
    PreferenceStoring storing;
    if (!usesURLPreferenceCalls()) {
        ApplicationRequest request;
        request.url = application;
        storing.status = calls.setForRequest(request, architecture);
    } else if (calls.setForURL) {
        storing.status = calls.setForURL(application, architecture);
    } else {
        storing.entryPointMissing = true;
    }
    return storing;
}

std::optional<plist::Value> storedArchitectureSettings()
{
    return UserDefaults(kLaunchServicesDomain).value(kArchitecturesKey);
}

}  // namespace corvane::registry
