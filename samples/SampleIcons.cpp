#include "samples/SampleIcons.h"

#include <QBuffer>
#include <QFont>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

namespace corvane::samples {

using namespace Qt::Literals::StringLiterals;

namespace {

// The first letter of the name, upper-cased; a digit or symbol when the name
// has no letter.
QString initialOf(const QString& name)
{
    for (const QChar c : name) {
        if (c.isLetter())
            return QString(c).toUpper();
    }
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? u"?"_s : trimmed.left(1);
}

void paintBackground(QPainter& p, const QColor& color, int size)
{
    const qreal margin = size * 0.06;
    const QRectF square(margin, margin, size - 2 * margin, size - 2 * margin);
    QPainterPath path;
    path.addRoundedRect(square, size * 0.2, size * 0.2);
    p.fillPath(path, color);
    p.setPen(QPen(color.darker(140), size / 64.0));
    p.drawPath(path);
}

void paintLetter(QPainter& p, const QString& letter, const QColor& background, int size)
{
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(size * 9 / 16);
    font.setBold(true);
    p.setFont(font);
    // White on dark colours, a deep shade of the colour itself on light ones.
    p.setPen(background.lightness() > 150 ? background.darker(300) : QColor(Qt::white));
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, letter);
}

}  // namespace

QColor sampleIconColor(int index)
{
    // The golden angle spreads successive hues evenly around the circle;
    // saturation and value vary on short cycles of their own.
    const int hue = (index * 137) % 360;
    const int saturation = 150 + (index % 4) * 30;
    const int value = 170 + (index % 3) * 35;
    return QColor::fromHsv(hue, saturation, value);
}

QImage paintSampleIcon(const QString& name, const QColor& color, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintBackground(p, color, size);
    paintLetter(p, initialOf(name), color, size);
    p.end();
    return image;
}

std::optional<QByteArray> encodeIcns(const QImage& image, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "icns");
    if (!writer.write(image)) {
        if (error)
            *error = u"cannot write an ICNS icon: "_s + writer.errorString();
        return std::nullopt;
    }
    return bytes;
}

}  // namespace corvane::samples
