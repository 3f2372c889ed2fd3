#include "platform/registry/DocumentHandlers.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileIO.h"
#include "platform/registry/ApplicationRegistry.h"
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/MimeAssociations.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>

namespace corvane::registry {

namespace {

const QString kFolderType = QStringLiteral("inode/directory");
constexpr RolesMask kDesktopEntryRoles = roles::kViewer | roles::kEditor;

struct Document {
    QString mimeType;
    QString extension;
    bool isFolder = false;
    bool isApplicationPackage = false;
    QString path;  // empty for addresses that are not files
};

OSStatus describe(const QUrl& url, Document* doc)
{
    if (url.isEmpty() || !url.isValid() || url.scheme().isEmpty())
        return status::paramErr;
    if (!url.isLocalFile()) {
        doc->mimeType = QStringLiteral("x-scheme-handler/") + url.scheme().toLower();
        return status::noErr;
    }
    doc->path = QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath());
    struct stat st {};
    if (::stat(nativePath(doc->path).constData(), &st) != 0)
        return statusFromErrno(errno);
    const QString name = QFileInfo(doc->path).fileName();
    if (S_ISDIR(st.st_mode)) {
        doc->mimeType = kFolderType;
        doc->isFolder = true;
        doc->isApplicationPackage =
            name.size() > 4 && name.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive);
        return status::noErr;
    }
    doc->mimeType = QMimeDatabase().mimeTypeForFile(doc->path).name();
    const qsizetype dot = name.lastIndexOf(u'.');
    doc->extension = dot > 0 ? name.mid(dot + 1) : QString();
    return status::noErr;
}

// The type and its ancestors, nearest first.
QStringList typeChain(const QString& mimeType)
{
    QStringList chain{mimeType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        if (!chain.contains(type.name()))
            chain.append(type.name());
        for (const QString& parent : type.allAncestors()) {
            if (!chain.contains(parent))
                chain.append(parent);
        }
    }
    return chain;
}

RolesMask roleOf(const plist::Value* role)
{
    if (!role || !role->isString())
        return roles::kViewer | roles::kEditor;
    const QString& r = *role->string();
    if (r == QStringLiteral("Viewer"))
        return roles::kViewer;
    if (r == QStringLiteral("Editor"))
        return roles::kEditor;
    if (r == QStringLiteral("Shell"))
        return roles::kShell;
    return roles::kNone;
}

QStringList stringsOf(const plist::Dictionary& d, const QString& key)
{
    QStringList result;
    const auto it = d.constFind(key);
    if (it != d.constEnd() && it->array()) {
        for (const plist::Value& v : *it->array()) {
            if (v.isString())
                result.append(*v.string());
        }
    }
    return result;
}

// Whether a public type identifier covers the document at chain level 0, or
// the MIME type it stands for (possibly a prefix such as "image/").
QString mimeOfIdentifier(const QString& uti)
{
    static const QHash<QString, QString> table{
        {QStringLiteral("public.plain-text"), QStringLiteral("text/plain")},
        {QStringLiteral("public.utf8-plain-text"), QStringLiteral("text/plain")},
        {QStringLiteral("public.text"), QStringLiteral("text/plain")},
        {QStringLiteral("public.html"), QStringLiteral("text/html")},
        {QStringLiteral("public.xml"), QStringLiteral("application/xml")},
        {QStringLiteral("public.jpeg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("public.png"), QStringLiteral("image/png")},
        {QStringLiteral("public.tiff"), QStringLiteral("image/tiff")},
        {QStringLiteral("com.adobe.pdf"), QStringLiteral("application/pdf")},
        {QStringLiteral("public.image"), QStringLiteral("image/")},
        {QStringLiteral("public.movie"), QStringLiteral("video/")},
        {QStringLiteral("public.audio"), QStringLiteral("audio/")},
        {QStringLiteral("public.folder"), kFolderType},
        {QStringLiteral("public.directory"), kFolderType},
    };
    return table.value(uti);
}

// The chain level at which one document type claims the document, or -1.
int claimLevel(const plist::Dictionary& type, const Document& doc, const QStringList& chain)
{
    const QStringList extensions = stringsOf(type, QStringLiteral("CFBundleTypeExtensions"));
    if (!doc.isFolder &&
        (extensions.contains(QStringLiteral("*")) ||
         (!doc.extension.isEmpty() && extensions.contains(doc.extension, Qt::CaseInsensitive))))
        return 0;
    const QStringList codes = stringsOf(type, QStringLiteral("CFBundleTypeOSTypes"));
    if (codes.contains(doc.isFolder ? QStringLiteral("fold") : QStringLiteral("****")))
        return 0;
    const QStringList utis = stringsOf(type, QStringLiteral("LSItemContentTypes"));
    if (utis.contains(QStringLiteral("public.item")) ||
        (!doc.isFolder && utis.contains(QStringLiteral("public.data"))) ||
        (doc.isApplicationPackage && utis.contains(QStringLiteral("com.apple.application-bundle"))))
        return 0;
    QStringList mimes = stringsOf(type, QStringLiteral("CFBundleTypeMIMETypes"));
    for (const QString& uti : utis)
        mimes.append(mimeOfIdentifier(uti));
    for (qsizetype level = 0; level < chain.size(); ++level) {
        for (const QString& m : mimes) {
            if (!m.isEmpty() && (m.compare(chain.at(level), Qt::CaseInsensitive) == 0 ||
                                 (m.endsWith(u'/') && chain.at(level).startsWith(m))))
                return int(level);
        }
    }
    return -1;
}

// The lowest level at which a bundle claims the document in the roles, or -1.
int bundleClaimLevel(const QString& bundlePath, const Document& doc, const QStringList& chain,
                     RolesMask roles)
{
    const auto bundle = Bundle::open(bundlePath);
    const plist::Value* types =
        bundle ? bundle->infoValue(QStringLiteral("CFBundleDocumentTypes")) : nullptr;
    if (!types || !types->array())
        return -1;
    int best = -1;
    for (const plist::Value& t : *types->array()) {
        const plist::Dictionary* type = t.dictionary();
        if (!type || !(roleOf(t.find(QStringLiteral("CFBundleTypeRole"))) & roles))
            continue;
        const int level = claimLevel(*type, doc, chain);
        if (level >= 0 && (best < 0 || level < best))
            best = level;
    }
    return best;
}

struct Handlers {
    QList<QUrl> candidates;
    std::optional<QUrl> defaultApplication;
};

Handlers handlersFor(const Document& doc, RolesMask roles)
{
    const QStringList chain = typeChain(doc.mimeType);
    const QList<MimeAppsList> lists = readMimeAppsLists();
    const QList<RegisteredApplication> apps = registeredApplications();
    QHash<QString, QUrl> entries;  // desktop-file ID -> URL
    QHash<QString, QStringList> claims;
    for (const RegisteredApplication& app : apps) {
        if (app.isBundle())
            continue;
        entries.insert(app.desktopFileId(), app.url());
        if (const auto entry = DesktopEntry::readFile(app.path))
            claims.insert(app.desktopFileId(), entry->list(QStringLiteral("MimeType")));
    }
    const bool entriesAllowed = roles & kDesktopEntryRoles;
    QList<int> bundleLevels;
    for (const RegisteredApplication& app : apps)
        bundleLevels.append(app.isBundle() ? bundleClaimLevel(app.path, doc, chain, roles) : -1);

    Handlers h;
    const auto add = [&](const QUrl& url) {
        if (!h.candidates.contains(url))
            h.candidates.append(url);
    };
    for (qsizetype level = 0; level < chain.size(); ++level) {
        const MimeTypeAssociations assoc = associationsFor(lists, chain.at(level));
        for (const QString& id : assoc.defaults) {
            if (entriesAllowed && !h.defaultApplication && entries.contains(id))
                h.defaultApplication = entries.value(id);
        }
        for (const QString& id : assoc.added) {
            if (entriesAllowed && entries.contains(id))
                add(entries.value(id));
        }
        for (const RegisteredApplication& app : apps) {
            const QString id = app.desktopFileId();
            if (entriesAllowed && !app.isBundle() && !assoc.removed.contains(id) &&
                claims.value(id).contains(chain.at(level), Qt::CaseInsensitive))
                add(app.url());
        }
        for (qsizetype i = 0; i < apps.size(); ++i) {
            if (bundleLevels.at(i) == level)
                add(apps.at(i).url());
        }
    }
    if (!h.defaultApplication && !h.candidates.isEmpty())
        h.defaultApplication = h.candidates.first();
    if (h.defaultApplication) {
        h.candidates.removeAll(*h.defaultApplication);
        h.candidates.prepend(*h.defaultApplication);
    }
    return h;
}

// Application packages open themselves; the handlers of folders are their
// other candidates.
Handlers handlersForDocument(const Document& doc, RolesMask roles)
{
    Handlers h = handlersFor(doc, roles);
    if (doc.isApplicationPackage)
        h.defaultApplication = QUrl::fromLocalFile(doc.path);
    return h;
}

// The first registered desktop entry whose Categories hold all of these.
std::optional<QUrl> entryInCategories(const QStringList& categories)
{
    for (const RegisteredApplication& app : registeredDesktopEntries()) {
        const auto entry = DesktopEntry::readFile(app.path);
        if (!entry)
            continue;
        const QStringList own = entry->list(QStringLiteral("Categories"));
        if (std::all_of(categories.begin(), categories.end(),
                        [&](const QString& c) { return own.contains(c); }))
            return app.url();
    }
    return std::nullopt;
}

}  // namespace

OSStatus documentTypeForURL(const QUrl& document, QString* mimeType)
{
    Document doc;
    const OSStatus s = describe(document, &doc);
    if (s == status::noErr && mimeType)
        *mimeType = doc.mimeType;
    return s;
}

OSStatus defaultApplicationForURL(const QUrl& document, RolesMask roles, QUrl* application)
{
    Document doc;
    if (const OSStatus s = describe(document, &doc); s != status::noErr)
        return s;
    const Handlers h = handlersForDocument(doc, roles);
    if (!h.defaultApplication)
        return status::kLSApplicationNotFoundErr;
    if (application)
        *application = *h.defaultApplication;
    return status::noErr;
}

OSStatus applicationsForURL(const QUrl& document, RolesMask roles, QList<QUrl>* applications)
{
    Document doc;
    if (const OSStatus s = describe(document, &doc); s != status::noErr)
        return s;
    if (applications)
        *applications = handlersForDocument(doc, roles).candidates;
    return status::noErr;
}

std::optional<QUrl> fileManagerApplication()
{
    Document folder;
    folder.mimeType = kFolderType;
    folder.isFolder = true;
    const Handlers h = handlersFor(folder, kDesktopEntryRoles);
    for (const QUrl& url : h.candidates) {
        if (url.toLocalFile().endsWith(QStringLiteral(".desktop")))
            return url;
    }
    return entryInCategories({QStringLiteral("FileManager")});
}

std::optional<QUrl> terminalApplication()
{
    return entryInCategories({QStringLiteral("TerminalEmulator")});
}

std::optional<QUrl> systemMonitorApplication()
{
    return entryInCategories({QStringLiteral("System"), QStringLiteral("Monitor")});
}

}  // namespace corvane::registry
