// Icons of the sample bundles: a rounded square in a colour of the bundle's
// own with the initial letter of its name, encoded as an ICNS file.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

namespace corvane::samples {

// The colour of the index-th bundle of the catalog. Neighbouring indexes get
// hues far apart, and no two indexes below 360 share a colour.
QColor sampleIconColor(int index);

// Paints the icon: a square image of side size (a power of two, at least 16),
// transparent outside the rounded square. Needs a QGuiApplication, for fonts.
// The result depends only on the arguments and the fonts installed.
QImage paintSampleIcon(const QString& name, const QColor& color, int size = 256);

// The image as the bytes of an ICNS file, or nothing when the "icns" image
// format cannot be written (error says why).
std::optional<QByteArray> encodeIcns(const QImage& image, QString* error = nullptr);

}  // namespace corvane::samples
