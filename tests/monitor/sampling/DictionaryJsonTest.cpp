// The dictionary as JSON: each kind of value the dictionary holds.
#include "monitor/sampling/DictionaryJson.h"
#include "monitor/sampling/ProcessKeys.h"
#include "platform/foundation/NullMarker.h"
#include "platform/processes/SerialNumber.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>

using namespace corvane;
using namespace corvane::sampling;

TEST(DictionaryJson, EveryKindOfValue)
{
    const QVariantHash d = {
        {kLSPIDKey, QVariant::fromValue<qint32>(4242)},
        {kLSDisplayNameKey, QStringLiteral("Tëst \"Tool\"")},
        {kApplicationIconKey, QImage(32, 16, QImage::Format_ARGB32)},
        {kCurrentProcessCPUKey, QStringLiteral("12.5")},
        {kLSBundlePathKey, nullMarkerVariant()},
        {kLSASNKey, QVariant::fromValue(SerialNumber{4000000000u, 4242})},
    };
    const QJsonObject json = processDictionaryToJson(d);
    EXPECT_EQ(json.size(), d.size());
    EXPECT_EQ(json[kLSPIDKey].toInt(), 4242);
    EXPECT_EQ(json[kLSDisplayNameKey].toString(), QStringLiteral("Tëst \"Tool\""));
    EXPECT_EQ(json[kApplicationIconKey].toObject(),
              (QJsonObject{{QStringLiteral("width"), 32}, {QStringLiteral("height"), 16}}));
    EXPECT_EQ(json[kCurrentProcessCPUKey].toString(), QStringLiteral("12.5"));
    EXPECT_TRUE(json[kLSBundlePathKey].isNull());
    EXPECT_FALSE(json.contains(kLSBundleIdentifierLowerCaseKey));
    EXPECT_EQ(json[kLSASNKey][QStringLiteral("high")].toInteger(), 4000000000LL)
        << "an unsigned half is not wrapped negative";
    EXPECT_EQ(json[kLSASNKey][QStringLiteral("low")].toInteger(), 4242);
    // A line of JSON that parses back.
    const QByteArray line = QJsonDocument(json).toJson(QJsonDocument::Compact);
    EXPECT_FALSE(line.contains('\n'));
    EXPECT_EQ(QJsonDocument::fromJson(line).object(), json);
}
