// Key-path bindings of view properties to an observable dictionary.
#include "QtPrinters.h"
#include "platform/foundation/NullMarker.h"
#include "platform/ui/KeyPathBinding.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;
using namespace corvane::ui;

namespace {

// Stand-ins with the properties the monitor panels bind: a text layer's
// string and a button's image.
class Layer : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString string READ string WRITE setString)

public:
    QString string() const { return string_; }
    void setString(const QString& s)
    {
        string_ = s;
        ++writes;
    }
    int writes = 0;

private:
    QString string_;
};

class Button : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariant image MEMBER image)

public:
    QVariant image;
};

const QString kCPU = QStringLiteral("currentProcessCPU");
const QString kMEM = QStringLiteral("currentProcessMEM");
const QString kName = QStringLiteral("LSDisplayName");

}  // namespace

TEST(KeyPathBinding, ALayerShowsTheValueAtOnceAndEveryChangeOfItsKeyOnly)
{
    ObservableDictionary info;
    info.setValue(kCPU, QStringLiteral("3.5"));
    Layer figure;
    bind(&figure, QStringLiteral("string"), &info, kCPU);
    EXPECT_EQ(figure.string(), QStringLiteral("3.5"));

    info.setValue(kCPU, QStringLiteral("12.0"));
    EXPECT_EQ(figure.string(), QStringLiteral("12.0"));
    const int writes = figure.writes;
    info.setValue(kMEM, QStringLiteral("0.4"));
    EXPECT_EQ(figure.writes, writes);

    // Not available: the null marker shows as nothing, and so does a removed key.
    info.setValue(kCPU, nullMarkerVariant());
    EXPECT_EQ(figure.string(), QString());
    info.setValue(kCPU, QStringLiteral("1.0"));
    info.removeValue(kCPU);
    EXPECT_EQ(figure.string(), QString());
}

TEST(KeyPathBinding, RebindingMovesTheLayerToTheOtherKeyAndInfoSaysWhichOne)
{
    ObservableDictionary info;
    info.setValue(kCPU, QStringLiteral("12.0"));
    info.setValue(kMEM, QStringLiteral("0.4"));
    Layer figure;
    bind(&figure, QStringLiteral("string"), &info, kCPU);
    ASSERT_TRUE(infoForBinding(&figure, QStringLiteral("string")));
    EXPECT_EQ(infoForBinding(&figure, QStringLiteral("string"))->observedKeyPath, kCPU);

    bind(&figure, QStringLiteral("string"), &info, kMEM);
    EXPECT_EQ(figure.string(), QStringLiteral("0.4"));
    EXPECT_EQ(infoForBinding(&figure, QStringLiteral("string"))->observedKeyPath, kMEM);
    EXPECT_EQ(infoForBinding(&figure, QStringLiteral("string"))->observedObject, &info);
    info.setValue(kCPU, QStringLiteral("99.0"));  // the old key no longer reaches it
    EXPECT_EQ(figure.string(), QStringLiteral("0.4"));

    // Unbinding stops the updates and leaves the last value.
    unbind(&figure, QStringLiteral("string"));
    EXPECT_FALSE(infoForBinding(&figure, QStringLiteral("string")));
    info.setValue(kMEM, QStringLiteral("7.7"));
    EXPECT_EQ(figure.string(), QStringLiteral("0.4"));
    unbind(&figure, QStringLiteral("string"));  // twice: harmless
}

TEST(KeyPathBinding, AButtonImageGoesThroughItsTransformer)
{
    ObservableDictionary info;
    Button button;
    bind(&button, QStringLiteral("image"), &info, QStringLiteral("NSApplicationIcon"),
         [](const QVariant& v) {
             return v.isValid() ? QVariant(QStringLiteral("icon:") + v.toString()) : QVariant();
         });
    EXPECT_FALSE(button.image.isValid());
    info.setValue(QStringLiteral("NSApplicationIcon"), QStringLiteral("Mail"));
    EXPECT_EQ(button.image.toString(), QStringLiteral("icon:Mail"));
    EXPECT_EQ(boundBindings(&button), QStringList{QStringLiteral("image")});
}

TEST(KeyPathBinding, EitherSideMayGoFirst)
{
    auto info = std::make_unique<ObservableDictionary>();
    Layer survivor;
    {
        Layer shortLived;
        bind(&shortLived, QStringLiteral("string"), info.get(), kName);
        bind(&survivor, QStringLiteral("string"), info.get(), kName);
    }
    info->setValue(kName, QStringLiteral("Mail"));  // the destroyed layer is not written
    EXPECT_EQ(survivor.string(), QStringLiteral("Mail"));

    info.reset();
    EXPECT_FALSE(infoForBinding(&survivor, QStringLiteral("string")));
    EXPECT_TRUE(boundBindings(&survivor).isEmpty());
    EXPECT_EQ(survivor.string(), QStringLiteral("Mail"));

    // Nothing to bind to, or nothing to bind: no effect.
    bind(nullptr, QStringLiteral("string"), nullptr, kName);
    bind(&survivor, QString(), nullptr, kName);
    EXPECT_TRUE(boundBindings(&survivor).isEmpty());
}

#include "KeyPathBindingTest.moc"
