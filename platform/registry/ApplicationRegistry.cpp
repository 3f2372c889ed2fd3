#include "platform/registry/ApplicationRegistry.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileIO.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/VersionCompare.h"
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/XdgPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>

namespace corvane::registry {

namespace {

constexpr int kMaxWalkDepth = 24;
constexpr int kMaxWalkFolders = 100'000;
constexpr int kMaxDesktopEntryDepth = 8;
constexpr qsizetype kMaxPersistentRegistrations = 256;

const QString kRegistryDomain = QStringLiteral("com.4086KTZ.ApplicationRegistry");
const QString kRegisteredBundlesKey = QStringLiteral("RegisteredBundles");

QMutex registrationMutex;
QStringList& processRegistrations()
{
    static QStringList paths;  // guarded by registrationMutex
    return paths;
}

bool hasApplicationExtension(const QString& name)
{
    return name.size() > 4 && name.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive);
}

enum class EntryType { Folder, Link, Other };

// The type of a directory entry, asking the file system only when readdir
// does not say.
EntryType typeOf(const dirent* entry, const QString& path)
{
    if (entry->d_type == DT_DIR)
        return EntryType::Folder;
    if (entry->d_type == DT_LNK)
        return EntryType::Link;
    if (entry->d_type != DT_UNKNOWN)
        return EntryType::Other;
    struct stat st {};
    if (::lstat(nativePath(path).constData(), &st) != 0)
        return EntryType::Other;
    return S_ISDIR(st.st_mode) ? EntryType::Folder
                               : (S_ISLNK(st.st_mode) ? EntryType::Link : EntryType::Other);
}

// The names in a folder, sorted so that walks are repeatable.
QStringList folderEntries(const QString& folder, QList<EntryType>* types)
{
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir)
        return {};
    QList<QPair<QString, EntryType>> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == u'.' || name == QStringLiteral(".."))
            continue;
        entries.append({name, typeOf(entry, folder + u'/' + name)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    for (const auto& [name, type] : entries) {
        names.append(name);
        types->append(type);
    }
    return names;
}

bool isFolder(const QString& path)
{
    struct stat st {};
    return ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Appends the application bundles below root (depth first, names in order).
// A link to a bundle is listed but never entered, so links cannot loop.
void collectBundles(const QString& root, QStringList& found, int& folderBudget)
{
    QList<QPair<QString, int>> stack{{root, 0}};
    while (!stack.isEmpty() && folderBudget-- > 0) {
        const auto [folder, depth] = stack.takeLast();
        if (depth > 0 && hasApplicationExtension(QFileInfo(folder).fileName()))
            found.append(folder);
        if (depth >= kMaxWalkDepth)
            continue;
        QList<EntryType> types;
        const QStringList names = folderEntries(folder, &types);
        QList<QPair<QString, int>> children;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString path = folder + u'/' + names.at(i);
            if (types.at(i) == EntryType::Folder)
                children.append({path, depth + 1});
            else if (types.at(i) == EntryType::Link && hasApplicationExtension(names.at(i)) &&
                     isFolder(path))
                found.append(path);
        }
        std::reverse(children.begin(), children.end());  // the first name is walked first
        stack += children;
    }
}

QStringList persistentRegistrations()
{
    const auto value = UserDefaults(kRegistryDomain).value(kRegisteredBundlesKey);
    QStringList paths;
    if (value && value->isArray()) {
        for (const plist::Value& v : *value->array()) {
            if (v.isString() && QDir::isAbsolutePath(*v.string()))
                paths.append(*v.string());
        }
    }
    return paths;
}

bool tryExecFound(const DesktopEntry& entry)
{
    const QString program = entry.value(QStringLiteral("TryExec"));
    if (program.isEmpty())
        return true;
    if (QDir::isAbsolutePath(program))
        return QFileInfo(program).isExecutable();
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// The desktop entries below one applications folder: desktop-file ID -> path.
void collectDesktopEntries(const QString& folder, const QString& applicationsRoot, int depth,
                           QList<QPair<QString, QString>>& found)
{
    QList<EntryType> types;
    const QStringList names = folderEntries(folder, &types);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString path = folder + u'/' + names.at(i);
        if (types.at(i) == EntryType::Folder) {
            if (depth < kMaxDesktopEntryDepth)
                collectDesktopEntries(path, applicationsRoot, depth + 1, found);
        } else if (names.at(i).endsWith(QStringLiteral(".desktop"))) {
            found.append({desktopFileId(applicationsRoot, path), path});
        }
    }
}

RegisteredApplication bundleApplication(const QString& path)
{
    RegisteredApplication app;
    app.kind = RegisteredApplication::Kind::Bundle;
    app.path = path;
    if (const auto bundle = Bundle::open(path)) {
        app.identifier = bundle->identifier();
        if (const plist::Value* v = bundle->infoValue(QStringLiteral("CFBundleVersion")))
            app.version = v->toString();
    }
    return app;
}

// Identity of a file, following links; paths that cannot be read count by name.
QString identityKey(const QString& path)
{
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return QStringLiteral("path:") + path;
    return QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino);
}

}  // namespace

QString RegisteredApplication::fileName() const
{
    return QFileInfo(path).fileName();
}

QString RegisteredApplication::desktopFileId() const
{
    return isBundle() ? QString() : identifier + QStringLiteral(".desktop");
}

QList<RegisteredApplication> registeredDesktopEntries()
{
    QList<RegisteredApplication> result;
    QSet<QString> seenIds;
    for (const QString& folder : paths::desktopEntryFolders()) {
        QList<QPair<QString, QString>> found;
        collectDesktopEntries(folder, folder, 0, found);
        for (const auto& [id, path] : found) {
            if (seenIds.contains(id))
                continue;  // hidden by a more important folder
            seenIds.insert(id);
            const auto entry = DesktopEntry::readFile(path);
            if (!entry || !entry->isApplication() || entry->isHidden() || !tryExecFound(*entry))
                continue;
            RegisteredApplication app;
            app.kind = RegisteredApplication::Kind::DesktopEntry;
            app.path = QDir::cleanPath(path);
            app.identifier = id.chopped(int(sizeof(".desktop") - 1));
            result.append(app);
        }
    }
    return result;
}

QList<RegisteredApplication> registeredApplications()
{
    QStringList bundles;
    int budget = kMaxWalkFolders;
    for (const QString& folder : paths::applicationFolders())
        collectBundles(QDir::cleanPath(folder), bundles, budget);
    {
        const QMutexLocker lock(&registrationMutex);
        bundles += processRegistrations();
    }
    bundles += persistentRegistrations();

    QList<RegisteredApplication> result;
    QSet<QString> seen;
    for (const QString& path : bundles) {
        const QString clean = QDir::cleanPath(path);
        if (!hasApplicationExtension(QFileInfo(clean).fileName()) || !isFolder(clean))
            continue;
        if (!seen.contains(identityKey(clean))) {
            seen.insert(identityKey(clean));
            result.append(bundleApplication(clean));
        }
    }
    result += registeredDesktopEntries();
    return result;
}

QList<QUrl> allApplicationURLs()
{
    QList<QUrl> urls;
    for (const RegisteredApplication& app : registeredApplications())
        urls.append(app.url());
    return urls;
}

void registerApplication(const QString& bundlePath, bool persistently)
{
    const QString clean = QDir::cleanPath(QFileInfo(bundlePath).absoluteFilePath());
    if (!isFolder(clean))
        return;
    {
        const QMutexLocker lock(&registrationMutex);
        if (!processRegistrations().contains(clean))
            processRegistrations().append(clean);
    }
    if (!persistently)
        return;
    UserDefaults(kRegistryDomain).update([&](plist::Dictionary& d) {
        QStringList paths;
        if (const auto it = d.constFind(kRegisteredBundlesKey); it != d.constEnd() && it->array()) {
            for (const plist::Value& item : *it->array()) {
                if (item.isString() && *item.string() != clean && isFolder(*item.string()))
                    paths.append(*item.string());
            }
        }
        paths.append(clean);
        while (paths.size() > kMaxPersistentRegistrations)
            paths.removeFirst();
        plist::Array stored;
        for (const QString& p : paths)
            stored.append(plist::Value(p));
        d.insert(kRegisteredBundlesKey, plist::Value(stored));
        return true;
    });
}

OSStatus findApplication(const QString& bundleIdentifier, const QString& fileName,
                         QUrl* application)
{
    if (bundleIdentifier.isEmpty() && fileName.isEmpty())
        return status::paramErr;
    const QList<RegisteredApplication> apps = registeredApplications();
    const RegisteredApplication* best = nullptr;
    const auto better = [&](const RegisteredApplication& a) {
        if (!best)
            return true;
        const bool aNamed = !fileName.isEmpty() && a.fileName() == fileName;
        const bool bestNamed = !fileName.isEmpty() && best->fileName() == fileName;
        if (aNamed != bestNamed)
            return aNamed;
        return compareVersions(a.version, best->version) > 0;
    };
    for (const RegisteredApplication& app : apps) {
        const bool matches =
            bundleIdentifier.isEmpty()
                ? app.fileName() == fileName
                : app.identifier.compare(bundleIdentifier, Qt::CaseInsensitive) == 0;
        if (matches && better(app))
            best = &app;
    }
    if (!best)
        return status::kLSApplicationNotFoundErr;
    if (application)
        *application = best->url();
    return status::noErr;
}

bool isRegisteredApplication(const QString& path)
{
    const QString key = identityKey(QDir::cleanPath(path));
    for (const RegisteredApplication& app : registeredApplications()) {
        if (identityKey(app.path) == key)
            return true;
    }
    return false;
}

}  // namespace corvane::registry
