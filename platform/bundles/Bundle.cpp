#include "platform/bundles/Bundle.h"

#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/foundation/PropertyListIO.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

namespace {

constexpr qint64 kMaxInfoPlistBytes = 8 * 1024 * 1024;

}  // namespace

std::optional<Bundle> Bundle::open(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.isDir())
        return std::nullopt;
    return Bundle(QDir::cleanPath(info.absoluteFilePath()));
}

std::optional<Bundle> Bundle::open(const QUrl& fileUrl)
{
    if (!fileUrl.isLocalFile())
        return std::nullopt;
    return open(fileUrl.toLocalFile());
}

const std::optional<plist::Dictionary>& Bundle::infoDictionary() const
{
    if (!infoLoaded_) {
        infoLoaded_ = true;
        plist::Limits limits;
        limits.maxBytes = kMaxInfoPlistBytes;
        for (const char* relative : {"/Contents/Info.plist", "/Info.plist"}) {
            const QString file = path_ + QLatin1StringView(relative);
            if (!QFileInfo::exists(file))
                continue;
            const plist::ReadResult r = plist::readFile(file, limits);
            if (r && r.value->isDictionary())
                info_ = *r.value->dictionary();
            break;
        }
    }
    return info_;
}

const plist::Value* Bundle::infoValue(const QString& key) const
{
    const auto& info = infoDictionary();
    if (!info)
        return nullptr;
    auto it = info->constFind(key);
    return it == info->constEnd() ? nullptr : &*it;
}

QString Bundle::identifier() const
{
    const plist::Value* v = infoValue(QStringLiteral("CFBundleIdentifier"));
    return v ? v->toString() : QString();
}

QString Bundle::executablePath() const
{
    QString name;
    if (const plist::Value* v = infoValue(QStringLiteral("CFBundleExecutable")); v && v->isString())
        name = *v->string();
    else
        name = QFileInfo(path_).completeBaseName();
    if (name.isEmpty() || name.contains(u'/') || name == u'.' || name == QStringLiteral(".."))
        return {};
    const QString file = path_ + QStringLiteral("/Contents/MacOS/") + name;
    const QFileInfo info(file);
    return info.exists() && !info.isDir() ? file : QString();
}

std::vector<std::int32_t> Bundle::executableArchitectures() const
{
    const QString exe = executablePath();
    return exe.isEmpty() ? std::vector<std::int32_t>() : corvane::executableArchitectures(exe);
}

}  // namespace corvane
