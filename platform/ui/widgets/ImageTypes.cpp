#include "platform/ui/widgets/ImageTypes.h"

#include "platform/ui/TypeIdentifiers.h"

#include <QImageReader>
#include <QImageWriter>

#include <algorithm>

namespace corvane::ui {

namespace {

QStringList typesFor(const QList<QByteArray>& mimeTypes)
{
    QStringList types;
    for (const QByteArray& mime : mimeTypes) {
        const QString type = uti::typeForMimeType(QString::fromLatin1(mime));
        if (!type.isEmpty() && !types.contains(type))
            types.append(type);
    }
    std::sort(types.begin(), types.end(), [](const QString& a, const QString& b) {
        // PNG first (the usual choice), then by identifier.
        if ((a == uti::kPNG) != (b == uti::kPNG))
            return a == uti::kPNG;
        return a < b;
    });
    return types;
}

}  // namespace

QStringList readableImageTypeIdentifiers()
{
    return typesFor(QImageReader::supportedMimeTypes());
}

QStringList writableImageTypeIdentifiers()
{
    return typesFor(QImageWriter::supportedMimeTypes());
}

}  // namespace corvane::ui
