#include "platform/ui/TypeIdentifiers.h"

#include <QList>

namespace corvane::ui::uti {

namespace {

struct TypeDeclaration {
    QString identifier;
    QStringList parents;
    QStringList extensions;
    QString mime;
};

const QList<TypeDeclaration>& declarations()
{
    static const QList<TypeDeclaration> table = {
        {kData, {kItem}, {}, {}},
        {kDirectory, {kItem}, {}, {}},
        {kFolder, {kDirectory}, {}, QStringLiteral("inode/directory")},
        {kPackage, {kDirectory}, {}, {}},
        {kBundle, {kDirectory, kPackage}, {QStringLiteral("bundle")}, {}},
        {kApplication, {kItem}, {}, {}},
        {kApplicationBundle, {kApplication, kBundle, kPackage}, {QStringLiteral("app")}, {}},
        {kPropertyList, {kData}, {QStringLiteral("plist")}, QStringLiteral("application/x-plist")},
        {kXMLPropertyList, {kPropertyList, kText}, {}, {}},
        {kBinaryPropertyList, {kPropertyList}, {}, {}},
        {kText, {kData}, {}, {}},
        {kPlainText,
         {kText},
         {QStringLiteral("txt"), QStringLiteral("text")},
         QStringLiteral("text/plain")},
        {kUTF8PlainText, {kPlainText}, {}, {}},
        {kURL, {kData}, {}, {}},
        {kFileURL, {kURL}, {}, QStringLiteral("text/uri-list")},
        {kImage, {kData}, {}, {}},
        {kPNG, {kImage}, {QStringLiteral("png")}, QStringLiteral("image/png")},
        {kJPEG,
         {kImage},
         {QStringLiteral("jpeg"), QStringLiteral("jpg"), QStringLiteral("jpe")},
         QStringLiteral("image/jpeg")},
        {kJPEG2000,
         {kImage},
         {QStringLiteral("jp2"), QStringLiteral("jpf")},
         QStringLiteral("image/jp2")},
        {kTIFF,
         {kImage},
         {QStringLiteral("tiff"), QStringLiteral("tif")},
         QStringLiteral("image/tiff")},
        {kGIF, {kImage}, {QStringLiteral("gif")}, QStringLiteral("image/gif")},
        {kBMP, {kImage}, {QStringLiteral("bmp")}, QStringLiteral("image/bmp")},
        {kICO, {kImage}, {QStringLiteral("ico")}, QStringLiteral("image/vnd.microsoft.icon")},
        {kICNS, {kImage}, {QStringLiteral("icns")}, QStringLiteral("image/x-icns")},
        {kWebP, {kImage}, {QStringLiteral("webp")}, QStringLiteral("image/webp")},
        {kPBM,
         {kImage},
         {QStringLiteral("pbm"), QStringLiteral("pgm"), QStringLiteral("ppm")},
         QStringLiteral("image/x-portable-bitmap")},
        {kXBM, {kImage}, {QStringLiteral("xbm")}, QStringLiteral("image/x-xbitmap")},
    };
    return table;
}

const TypeDeclaration* declaration(const QString& type)
{
    for (const TypeDeclaration& d : declarations()) {
        if (d.identifier == type)
            return &d;
    }
    return nullptr;
}

QString extensionOf(const QString& fileName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const QString name = slash >= 0 ? fileName.mid(slash + 1) : fileName;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

// The declaration tree is shallow and acyclic; the bound guards against a
// cycle added by mistake.
bool conformsWithin(const QString& type, const QString& parent, int depth)
{
    if (type == parent)
        return true;
    if (depth > 8)
        return false;
    const TypeDeclaration* d = declaration(type);
    if (!d)
        return false;
    for (const QString& p : d->parents) {
        if (conformsWithin(p, parent, depth + 1))
            return true;
    }
    return false;
}

}  // namespace

QStringList filenameExtensions(const QString& type)
{
    const TypeDeclaration* d = declaration(type);
    return d ? d->extensions : QStringList();
}

QString preferredFilenameExtension(const QString& type)
{
    const QStringList extensions = filenameExtensions(type);
    return extensions.isEmpty() ? QString() : extensions.first();
}

QString mimeType(const QString& type)
{
    const TypeDeclaration* d = declaration(type);
    return d ? d->mime : QString();
}

QString typeForMimeType(const QString& mime)
{
    for (const TypeDeclaration& d : declarations()) {
        if (!mime.isEmpty() && d.mime.compare(mime, Qt::CaseInsensitive) == 0)
            return d.identifier;
    }
    return {};
}

bool conformsTo(const QString& type, const QString& parent)
{
    return parent == kItem || conformsWithin(type, parent, 0);
}

QString typeOfItem(const QString& fileName, bool isDirectory)
{
    const QString extension = extensionOf(fileName);
    for (const TypeDeclaration& d : declarations()) {
        const bool folderType = conformsTo(d.identifier, kDirectory);
        if (folderType == isDirectory && !extension.isEmpty() &&
            d.extensions.contains(extension, Qt::CaseInsensitive))
            return d.identifier;
    }
    return isDirectory ? kFolder : kData;
}

bool itemConformsToTypes(const QString& fileName, bool isDirectory, const QStringList& types)
{
    if (types.isEmpty())
        return true;
    const QString type = typeOfItem(fileName, isDirectory);
    for (const QString& allowed : types) {
        if (conformsTo(type, allowed))
            return true;
    }
    return false;
}

bool isPackageName(const QString& folderName)
{
    return conformsTo(typeOfItem(folderName, true), kPackage);
}

QStringList knownTypesConformingTo(const QString& parent)
{
    QStringList types;
    for (const TypeDeclaration& d : declarations()) {
        if (conformsTo(d.identifier, parent))
            types.append(d.identifier);
    }
    return types;
}

}  // namespace corvane::ui::uti
