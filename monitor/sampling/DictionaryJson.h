// The process information dictionary as JSON, for the probe and for logs:
// strings and numbers as they are, the null marker as null, the icon as its
// size ({"width", "height"}), a serial number as its two halves ({"high",
// "low"}). Keys absent from the dictionary are absent from the object.
#pragma once

#include <QJsonObject>
#include <QVariantHash>

namespace corvane::sampling {

QJsonObject processDictionaryToJson(const QVariantHash& dictionary);

}  // namespace corvane::sampling
