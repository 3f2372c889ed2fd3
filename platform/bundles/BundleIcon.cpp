#include "platform/bundles/BundleIcon.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileIO.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace corvane {

namespace {

// The icon file's name from the information dictionary, or an empty string
// when it is missing or would lead out of Contents/Resources.
QString iconFileName(const Bundle& bundle)
{
    const plist::Value* value = bundle.infoValue(QStringLiteral("CFBundleIconFile"));
    if (!value || !value->isString())
        return {};
    QString name = *value->string();
    if (name.isEmpty() || name.contains(u'/') || name.contains(QChar(0)) || name == u"." ||
        name == u"..")
        return {};
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".icns");
    return name;
}

bool acceptableSize(const QSize& s)
{
    return s.isValid() && s.width() <= kMaxIconSide && s.height() <= kMaxIconSide;
}

// Whether an image width is a better choice than the current one: the
// smallest at least preferred wide, else the largest.
bool isBetter(int width, int current, int preferred)
{
    return current < preferred ? width > current : width >= preferred && width < current;
}

QImage decodeIcon(const QByteArray& bytes, int preferred)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const int count = std::clamp(reader.imageCount(), 1, kMaxIconImages);
    QImage best;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        // Some formats tell an image's size before decoding it (ICNS does not).
        const QSize announced = reader.size();
        if (announced.isValid() &&
            (!acceptableSize(announced) ||
             (!best.isNull() && !isBetter(announced.width(), best.width(), preferred))))
            continue;
        QImage image = reader.read();
        if (image.isNull() || !acceptableSize(image.size()))
            continue;
        if (best.isNull() || isBetter(image.width(), best.width(), preferred))
            best = std::move(image);
    }
    return best;
}

QPainterPath roundedSquare(qreal inset, qreal side, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(inset, inset, side - 2 * inset, side - 2 * inset), radius, radius);
    return path;
}

// A transparent 128-pixel canvas holding a rounded square of colour.
QImage iconBackground(qreal radius, const QColor& colour)
{
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(roundedSquare(8, 128, radius), colour);
    return image;
}

QImage drawApplicationIcon()
{
    QImage image = iconBackground(22, QColor(0x5a, 0x6f, 0x8c));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A window: frame, title bar, and three lines of content.
    p.fillRect(QRectF(28, 34, 72, 60), QColor(0xf4, 0xf6, 0xf9));
    p.fillRect(QRectF(28, 34, 72, 12), QColor(0xc9, 0xd3, 0xe0));
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRectF(36, 56 + i * 11, 56 - i * 12, 5), QColor(0x8a, 0x9b, 0xb3));
    return image;
}

QImage drawExecutableIcon()
{
    QImage image = iconBackground(14, QColor(0x22, 0x26, 0x2b));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A prompt: a chevron and a cursor.
    QPen pen(QColor(0x6c, 0xd4, 0x7e), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    const QPointF chevron[] = {{34, 44}, {56, 64}, {34, 84}};
    p.drawPolyline(chevron, 3);
    p.drawLine(QPointF(66, 86), QPointF(94, 86));
    return image;
}

}  // namespace

QImage bundleIcon(const QString& bundlePath, int preferredSize)
{
    const std::optional<Bundle> bundle = Bundle::open(bundlePath);
    if (!bundle)
        return {};
    const QString name = iconFileName(*bundle);
    if (name.isEmpty())
        return {};
    const auto bytes = readRegularFile(
        bundle->path() + QStringLiteral("/Contents/Resources/") + name, kMaxIconFileBytes);
    if (!bytes || bytes->isEmpty())
        return {};
    return decodeIcon(*bytes, std::max(1, preferredSize));
}

QImage genericIcon(GenericIcon kind)
{
    static const QImage application = drawApplicationIcon();
    static const QImage executable = drawExecutableIcon();
    return kind == GenericIcon::Application ? application : executable;
}

QImage iconForApplicationPath(const QString& path, int preferredSize)
{
    QImage own = bundleIcon(path, preferredSize);
    return own.isNull() ? genericIcon(GenericIcon::Application) : own;
}

}  // namespace corvane
