#include "platform/foundation/SystemProfile.h"

#include "platform/foundation/FileIO.h"
#include "platform/foundation/PropertyListIO.h"

#include <QDir>
#include <QFileInfo>

namespace corvane::profile {

namespace {

constexpr qint64 kMaxSystemFileBytes = 16 * 1024 * 1024;

double numberFromEnvironment(const char* name, double fallback)
{
    bool ok = false;
    const double v = qEnvironmentVariable(name).toDouble(&ok);
    return ok ? v : fallback;
}

bool existsUnderRoot(const char* path)
{
    return QFileInfo::exists(underSystemRoot(QString::fromLatin1(path)));
}

QByteArray builtInFile(const plist::Dictionary& root)
{
    return plist::serialize(plist::Value(root), plist::Format::Xml).value_or(QByteArray());
}

}  // namespace

double coreFoundationVersionNumber()
{
    return numberFromEnvironment("CORVANE_CF_VERSION", 855.17);
}

double appKitVersionNumber()
{
    return numberFromEnvironment("CORVANE_APPKIT_VERSION", 1265.21);
}

QString systemRoot()
{
    const QString root = qEnvironmentVariable("CORVANE_SYSTEM_ROOT");
    if (root.isEmpty())
        return QStringLiteral("/");
    const QString clean = QDir::cleanPath(QDir(root).absolutePath());
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

QString underSystemRoot(const QString& absolutePath)
{
    const QString root = systemRoot();
    if (root == u'/')
        return absolutePath;
    return root + absolutePath;
}

std::optional<QByteArray> readSystemFile(const QString& absolutePath)
{
    const QString path = underSystemRoot(absolutePath);
    if (QFileInfo::exists(path))
        return readRegularFile(path, kMaxSystemFileBytes);

    if (absolutePath == QLatin1StringView(kSystemVersionPath) &&
        !existsUnderRoot(kServerVersionPath)) {
        return builtInFile({
            {QStringLiteral("ProductName"), QStringLiteral("Mac OS X")},
            {QStringLiteral("ProductVersion"), QStringLiteral("10.9.5")},
            {QStringLiteral("ProductBuildVersion"), QStringLiteral("13F1911")},
        });
    }
    if (absolutePath == QLatin1StringView(kExceptionsPath))
        return builtInFile({{QStringLiteral("MinimumVersionRequirements"), plist::Dictionary()}});
    return std::nullopt;
}

}  // namespace corvane::profile
