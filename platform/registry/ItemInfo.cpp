#include "platform/registry/ItemInfo.h"

#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/foundation/FileIO.h"
#include "platform/registry/ApplicationRegistry.h"
#include "platform/registry/DesktopEntry.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <cerrno>

namespace corvane::registry {

namespace {

using namespace item;

constexpr ItemInfoFlags kAppTypeFlags = kIsNativeApp | kIsClassicApp | kAppPrefersNative |
                                        kAppPrefersClassic | kAppIsScriptable | kPrivateNativeCode |
                                        kPrivateRegistered;

// Extensions that make a folder a package, as the desktop treats them.
const QStringList kPackageExtensions{
    QStringLiteral("app"),         QStringLiteral("bundle"),     QStringLiteral("framework"),
    QStringLiteral("plugin"),      QStringLiteral("kext"),       QStringLiteral("prefPane"),
    QStringLiteral("qlgenerator"), QStringLiteral("mdimporter"), QStringLiteral("saver"),
    QStringLiteral("xpc"),         QStringLiteral("appex"),      QStringLiteral("component"),
    QStringLiteral("pkg"),         QStringLiteral("mpkg"),       QStringLiteral("rtfd"),
    QStringLiteral("wdgt"),
};

QString extensionOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.mid(dot + 1) : QString();
}

bool isApplicationName(const QString& fileName)
{
    return fileName.size() > 4 && extensionOf(fileName).compare(u"app", Qt::CaseInsensitive) == 0;
}

bool isApplicationDesktopEntry(const QString& path)
{
    if (!path.endsWith(QStringLiteral(".desktop")))
        return false;
    const auto entry = DesktopEntry::readFile(path);
    return entry && entry->isApplication() && !entry->isHidden();
}

bool isMountRoot(const QString& path, const struct stat& st)
{
    if (path == u'/')
        return true;
    struct stat parent {};
    const QString up = QFileInfo(path).absolutePath();
    return ::stat(nativePath(up).constData(), &parent) == 0 && parent.st_dev != st.st_dev;
}

// The flags of the item at path; target is the stat of what path names.
ItemInfoFlags flagsOf(const QString& path, const struct stat& target)
{
    const QString name = QFileInfo(path).fileName();
    ItemInfoFlags flags = 0;
    if (name.startsWith(u'.'))
        flags |= kIsInvisible;
    if (!S_ISDIR(target.st_mode)) {
        flags |= kIsPlainFile;
        if (S_ISREG(target.st_mode) && isApplicationDesktopEntry(path))
            flags |= kIsApplication;
        return flags;
    }
    flags |= kIsContainer;
    if (isMountRoot(path, target))
        flags |= kIsVolume;
    if (kPackageExtensions.contains(extensionOf(name), Qt::CaseInsensitive))
        flags |= kIsPackage;
    if (!isApplicationName(name))
        return flags;
    flags |= kIsApplication | kExtensionIsHidden;
    if (hasRecognisedExecutable(path))
        flags |= kIsNativeApp | kPrivateNativeCode | kPrivateRegistered;
    if (const auto bundle = Bundle::open(path)) {
        const plist::Value* v = bundle->infoValue(QStringLiteral("NSAppleScriptEnabled"));
        if (v && v->answersBoolValue() && v->boolValue())
            flags |= kAppIsScriptable;
    }
    return flags;
}

// Looks the item up: its clean path and what it names. Returns a status.
OSStatus lookUp(const QUrl& url, QString* path, struct stat* target, bool* isLink)
{
    if (!url.isLocalFile() || url.toLocalFile().isEmpty())
        return status::paramErr;
    *path = QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath());
    const QByteArray native = nativePath(*path);
    struct stat own {};
    if (::lstat(native.constData(), &own) != 0)
        return statusFromErrno(errno);
    *isLink = S_ISLNK(own.st_mode);
    *target = own;
    if (*isLink && ::stat(native.constData(), target) != 0)
        *target = own;  // a dangling link describes itself
    return status::noErr;
}

}  // namespace

bool hasRecognisedExecutable(const QString& bundlePath)
{
    const auto bundle = Bundle::open(bundlePath);
    if (!bundle)
        return false;
    const QString exe = bundle->executablePath();
    if (exe.isEmpty())
        return false;
    if (readExecutableInfo(exe).kind != ExecutableKind::None)
        return true;
    const auto head = readFileHead(exe, 2);
    return head && head->startsWith("#!");
}

OSStatus itemInfoForURL(const QUrl& url, RequestedInfo which, ItemInfo* info)
{
    QString path;
    struct stat target {};
    bool isLink = false;
    if (const OSStatus s = lookUp(url, &path, &target, &isLink); s != status::noErr)
        return s;
    ItemInfo result;
    if (which & (request::kBasicFlagsOnly | request::kAppTypeFlags | request::kAllFlags)) {
        result.flags = flagsOf(path, target);
        if (isLink)
            result.flags |= kIsSymlink;
        if (!(which & (request::kAppTypeFlags | request::kAllFlags)))
            result.flags &= ~kAppTypeFlags;
    }
    if (which & request::kExtension)
        result.extension = extensionOf(QFileInfo(path).fileName());
    if (S_ISDIR(target.st_mode) && isApplicationName(QFileInfo(path).fileName()))
        registerApplication(path);
    if (info)
        *info = result;
    return status::noErr;
}

OSStatus displayNameForURL(const QUrl& url, QString* name)
{
    QString path;
    struct stat target {};
    bool isLink = false;
    if (const OSStatus s = lookUp(url, &path, &target, &isLink); s != status::noErr)
        return s;
    QString result = path == u'/' ? path : QFileInfo(path).fileName();
    if (S_ISDIR(target.st_mode) && isApplicationName(result)) {
        result.chop(4);
    } else if (S_ISREG(target.st_mode) && path.endsWith(QStringLiteral(".desktop"))) {
        const auto entry = DesktopEntry::readFile(path);
        if (entry && entry->isApplication() && !entry->name().isEmpty())
            result = entry->name();
    }
    if (name)
        *name = result;
    return status::noErr;
}

}  // namespace corvane::registry
