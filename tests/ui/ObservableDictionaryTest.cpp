// Key-by-key observation of a dictionary.
#include "QtPrinters.h"
#include "platform/foundation/NullMarker.h"
#include "platform/ui/ObservableDictionary.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace corvane;
using namespace corvane::ui;

TEST(ObservableDictionary, OnlyObserversOfTheChangedKeyHear)
{
    ObservableDictionary d;
    QObject context;
    QStringList heard;
    d.observe(QStringLiteral("currentProcessCPU"), &context,
              [&](const QVariant& v) { heard << QStringLiteral("cpu=") + v.toString(); });
    d.observe(QStringLiteral("currentProcessMEM"), &context,
              [&](const QVariant& v) { heard << QStringLiteral("mem=") + v.toString(); });

    d.setValue(QStringLiteral("currentProcessCPU"), QStringLiteral("12.5"));
    d.setValue(QStringLiteral("currentProcessCPU"), QStringLiteral("12.5"));  // unchanged: silent
    d.setValue(QStringLiteral("other"), 3);
    d.setValue(QStringLiteral("currentProcessMEM"), QStringLiteral("0.4"));
    d.removeValue(QStringLiteral("currentProcessCPU"));
    d.removeValue(QStringLiteral("currentProcessCPU"));  // already gone: silent
    EXPECT_EQ(heard, (QStringList{QStringLiteral("cpu=12.5"), QStringLiteral("mem=0.4"),
                                  QStringLiteral("cpu=")}));
}

TEST(ObservableDictionary, NullMarkerIsAValueOfItsOwn)
{
    ObservableDictionary d;
    QObject context;
    int changes = 0;
    d.observe(QStringLiteral("k"), &context, [&](const QVariant&) { ++changes; });
    d.setValue(QStringLiteral("k"), nullMarkerVariant());
    EXPECT_TRUE(isNullMarker(d.value(QStringLiteral("k"))));
    d.setValue(QStringLiteral("k"), nullMarkerVariant());
    d.setValue(QStringLiteral("k"), QString());  // an empty string is not the null marker
    d.setValue(QStringLiteral("k"), nullMarkerVariant());
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(d.value(QStringLiteral("absent")).isValid());
}

TEST(ObservableDictionary, ObservationEndsWithItsContext)
{
    ObservableDictionary d;
    int calls = 0;
    {
        QObject context;
        d.observe(QStringLiteral("k"), &context, [&](const QVariant&) { ++calls; });
        d.setValue(QStringLiteral("k"), 1);
    }
    d.setValue(QStringLiteral("k"), 2);
    QObject other;
    const auto connection =
        d.observe(QStringLiteral("k"), &other, [&](const QVariant&) { ++calls; });
    d.setValue(QStringLiteral("k"), 3);
    QObject::disconnect(connection);
    d.setValue(QStringLiteral("k"), 4);
    EXPECT_EQ(calls, 2);
}
