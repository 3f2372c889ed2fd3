// Uniform type identifiers for the types the programs name: property lists,
// application bundles, folders and images. Each known type has its filename
// extensions (the preferred one first), its MIME type and its parents, so
// panels can filter by type and a save panel can add the right extension.
// Comparisons of extensions ignore case.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane::ui::uti {

inline const QString kItem = QStringLiteral("public.item");
inline const QString kData = QStringLiteral("public.data");
inline const QString kDirectory = QStringLiteral("public.directory");
inline const QString kFolder = QStringLiteral("public.folder");
inline const QString kPackage = QStringLiteral("com.apple.package");
inline const QString kBundle = QStringLiteral("com.apple.bundle");
inline const QString kApplication = QStringLiteral("com.apple.application");
inline const QString kApplicationBundle = QStringLiteral("com.apple.application-bundle");
inline const QString kPropertyList = QStringLiteral("com.apple.property-list");
inline const QString kXMLPropertyList = QStringLiteral("com.apple.xml-property-list");
inline const QString kBinaryPropertyList = QStringLiteral("com.apple.binary-property-list");
inline const QString kText = QStringLiteral("public.text");
inline const QString kPlainText = QStringLiteral("public.plain-text");
inline const QString kUTF8PlainText = QStringLiteral("public.utf8-plain-text");
inline const QString kFileURL = QStringLiteral("public.file-url");
inline const QString kURL = QStringLiteral("public.url");
inline const QString kImage = QStringLiteral("public.image");
inline const QString kPNG = QStringLiteral("public.png");
inline const QString kJPEG = QStringLiteral("public.jpeg");
inline const QString kJPEG2000 = QStringLiteral("public.jpeg-2000");
inline const QString kTIFF = QStringLiteral("public.tiff");
inline const QString kGIF = QStringLiteral("com.compuserve.gif");
inline const QString kBMP = QStringLiteral("com.microsoft.bmp");
inline const QString kICO = QStringLiteral("com.microsoft.ico");
inline const QString kICNS = QStringLiteral("com.apple.icns");
inline const QString kWebP = QStringLiteral("org.webmproject.webp");
inline const QString kPBM = QStringLiteral("public.pbm");
inline const QString kXBM = QStringLiteral("public.xbitmap-image");

// The type's filename extensions, the preferred first; empty for a type
// without any (or an unknown type).
QStringList filenameExtensions(const QString& type);
QString preferredFilenameExtension(const QString& type);
// The MIME type, or empty.
QString mimeType(const QString& type);
// The known type whose MIME type is mime, or empty.
QString typeForMimeType(const QString& mime);

// Whether type is parent or descends from it (every type conforms to itself
// and to public.item). Unknown types conform only to themselves and
// public.item.
bool conformsTo(const QString& type, const QString& parent);

// The most specific known type of a file or folder by its name: folders
// ending in ".app" are application bundles, other folders public.folder;
// files by extension; files with an unknown extension public.data.
QString typeOfItem(const QString& fileName, bool isDirectory);

// Whether the item conforms to one of types (an empty list accepts all).
bool itemConformsToTypes(const QString& fileName, bool isDirectory, const QStringList& types);

// Whether a folder with this name is shown and chosen as one item (an
// application bundle or other package) rather than entered.
bool isPackageName(const QString& folderName);

// The types known here that conform to parent (parent included when known).
QStringList knownTypesConformingTo(const QString& parent);

}  // namespace corvane::ui::uti
