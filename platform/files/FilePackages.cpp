#include "platform/files/FilePackages.h"

#include <QFileInfo>
#include <QStringList>

namespace corvane::files {

namespace {

const QStringList kPackageExtensions = {
    QStringLiteral("app"),        QStringLiteral("appex"),       QStringLiteral("bundle"),
    QStringLiteral("component"),  QStringLiteral("docset"),      QStringLiteral("framework"),
    QStringLiteral("kext"),       QStringLiteral("mdimporter"),  QStringLiteral("mpkg"),
    QStringLiteral("pkg"),        QStringLiteral("plugin"),      QStringLiteral("prefPane"),
    QStringLiteral("qlgenerator"), QStringLiteral("rtfd"),       QStringLiteral("saver"),
    QStringLiteral("wdgt"),       QStringLiteral("xcodeproj"),   QStringLiteral("xcworkspace"),
    QStringLiteral("xpc"),        QStringLiteral("playground"),  QStringLiteral("photoslibrary"),
};

}  // namespace

bool isPackageExtension(const QString& extension)
{
    return kPackageExtensions.contains(extension, Qt::CaseInsensitive);
}

bool isFilePackage(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && isPackageExtension(info.suffix());
}

}  // namespace corvane::files
