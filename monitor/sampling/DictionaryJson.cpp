#include "monitor/sampling/DictionaryJson.h"

#include "platform/foundation/NullMarker.h"
#include "platform/processes/SerialNumber.h"

#include <QImage>
#include <QJsonValue>

namespace corvane::sampling {

namespace {

QJsonValue toJson(const QVariant& v)
{
    if (isNullMarker(v))
        return QJsonValue::Null;
    if (v.metaType() == QMetaType::fromType<SerialNumber>()) {
        const auto s = v.value<SerialNumber>();
        return QJsonObject{{QStringLiteral("high"), static_cast<qint64>(s.high)},
                           {QStringLiteral("low"), static_cast<qint64>(s.low)}};
    }
    if (v.typeId() == QMetaType::QImage) {
        const auto image = v.value<QImage>();
        return QJsonObject{{QStringLiteral("width"), image.width()},
                           {QStringLiteral("height"), image.height()}};
    }
    return QJsonValue::fromVariant(v);
}

}  // namespace

QJsonObject processDictionaryToJson(const QVariantHash& dictionary)
{
    QJsonObject out;
    for (auto it = dictionary.begin(); it != dictionary.end(); ++it)
        out.insert(it.key(), toJson(it.value()));
    return out;
}

}  // namespace corvane::sampling
