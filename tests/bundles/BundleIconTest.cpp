// Bundle icons from real bundles: the size asked for out of a multi-size ICNS
// file, names that try to leave the bundle, and files that are not icons.
#include "platform/bundles/BundleIcon.h"
#include "tests/fixtures/BundleBuilder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace corvane;
using corvane::fixtures::BundleBuilder;

namespace {

QByteArray png(int side, QColor colour)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

void appendBigEndian32(QByteArray& out, quint32 v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((v >> shift) & 0xff));
}

// An ICNS file of PNG entries, written by hand: Qt writes one size only.
QByteArray icns(const QList<QPair<QByteArray, QByteArray>>& entries)
{
    QByteArray body;
    for (const auto& [type, data] : entries) {
        body += type;
        appendBigEndian32(body, static_cast<quint32>(data.size() + 8));
        body += data;
    }
    QByteArray file("icns");
    appendBigEndian32(file, static_cast<quint32>(body.size() + 8));
    return file + body;
}

QRgb centre(const QImage& image)
{
    return image.pixel(image.width() / 2, image.height() / 2);
}

}  // namespace

class BundleIcons : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.path() + QStringLiteral("/Ünïcode Apps 'x'"); }
};

TEST_F(BundleIcons, MultiSizeFilesGiveTheSizeAskedFor)
{
    const QByteArray file = icns({{"ic07", png(128, Qt::red)}, {"ic08", png(256, Qt::blue)}});
    const QString path = BundleBuilder(folder(), QStringLiteral("Two Sizes.app"))
                             .icon(file, QStringLiteral("Two.icns"))
                             .build();
    ASSERT_FALSE(path.isEmpty());
    const QImage small = bundleIcon(path, 128);
    ASSERT_FALSE(small.isNull());
    EXPECT_EQ(small.width(), 128);
    EXPECT_EQ(centre(small), QColor(Qt::red).rgb());
    EXPECT_EQ(bundleIcon(path, 200).width(), 256);
    EXPECT_EQ(centre(bundleIcon(path, 200)), QColor(Qt::blue).rgb());
    EXPECT_EQ(bundleIcon(path, 1024).width(), 256) << "the largest when none is large enough";
    EXPECT_EQ(bundleIcon(path, 16).width(), 128) << "the smallest that is large enough";
    EXPECT_EQ(iconForApplicationPath(path), bundleIcon(path));
}

TEST_F(BundleIcons, NamesWithoutExtensionOrInOtherFormats)
{
    const QString noExtension =
        BundleBuilder(folder(), QStringLiteral("Plain.app"))
            .icon(icns({{"ic07", png(128, Qt::green)}}), QStringLiteral("Plain.icns"))
            .set(QStringLiteral("CFBundleIconFile"), QStringLiteral("Plain"))
            .build();
    EXPECT_EQ(centre(bundleIcon(noExtension)), QColor(Qt::green).rgb());

    const QString pngIcon = BundleBuilder(folder(), QStringLiteral("Png.app"))
                                .icon(png(64, Qt::yellow), QStringLiteral("Icon.png"))
                                .build();
    EXPECT_EQ(bundleIcon(pngIcon).size(), QSize(64, 64));
}

TEST_F(BundleIcons, NothingOutsideTheBundlesResources)
{
    // A readable icon one level up, which a name with ".." would reach.
    const QString target =
        BundleBuilder(folder(), QStringLiteral("Escape.app"))
            .icon(icns({{"ic07", png(128, Qt::red)}}), QStringLiteral("Real.icns"))
            .build();
    QFile::copy(target + QStringLiteral("/Contents/Resources/Real.icns"),
                target + QStringLiteral("/Contents/Outside.icns"));
    for (const QString& name : {QStringLiteral("../Outside.icns"), QStringLiteral(".."),
                                QStringLiteral("/etc/passwd"), QString()}) {
        BundleBuilder(folder(), QStringLiteral("Escape.app"))
            .icon(icns({{"ic07", png(128, Qt::red)}}), QStringLiteral("Real.icns"))
            .set(QStringLiteral("CFBundleIconFile"), name)
            .build();
        EXPECT_TRUE(bundleIcon(target).isNull()) << name.toStdString();
    }
    EXPECT_TRUE(bundleIcon(dir.path() + QStringLiteral("/Missing.app")).isNull());
    EXPECT_EQ(iconForApplicationPath(dir.path() + QStringLiteral("/Missing.app")),
              genericIcon(GenericIcon::Application));
}

TEST_F(BundleIcons, FilesThatAreNotIconsGiveNoImage)
{
    const QByteArray good = icns({{"ic07", png(128, Qt::red)}});
    QByteArray lying = good;
    lying[7] = '\x7f';  // the header claims far more than the file holds
    const QList<QPair<QString, QByteArray>> cases = {
        {QStringLiteral("Cut.app"), good.left(good.size() / 2)},
        {QStringLiteral("Lying.app"), lying},
        {QStringLiteral("Garbage.app"), QByteArray(5000, '\xa5')},
        {QStringLiteral("Empty.app"), QByteArray()},
    };
    for (const auto& [name, bytes] : cases) {
        const QString path = BundleBuilder(folder(), name).icon(bytes).build();
        EXPECT_TRUE(bundleIcon(path).isNull()) << name.toStdString();
        EXPECT_FALSE(iconForApplicationPath(path).isNull());
    }

    // Too large to be an icon: refused before anything is decoded.
    const QString big = BundleBuilder(folder(), QStringLiteral("Big.app")).icon(good).build();
    QFile file(big + QStringLiteral("/Contents/Resources/AppIcon.icns"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(kMaxIconFileBytes + 1));
    file.close();
    EXPECT_TRUE(bundleIcon(big).isNull());

    // A FIFO where the icon belongs must not block.
    const QString fifo = BundleBuilder(folder(), QStringLiteral("Fifo.app")).icon(good).build();
    const QString iconPath = fifo + QStringLiteral("/Contents/Resources/AppIcon.icns");
    QFile::remove(iconPath);
    ASSERT_EQ(::mkfifo(QFile::encodeName(iconPath).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(bundleIcon(fifo).isNull());
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST(GenericIcons, TwoDistinctShapesOnTransparency)
{
    const QImage application = genericIcon(GenericIcon::Application);
    const QImage executable = genericIcon(GenericIcon::Executable);
    for (const QImage& image : {application, executable}) {
        ASSERT_EQ(image.size(), QSize(128, 128));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "transparent outside the shape";
        EXPECT_EQ(qAlpha(image.pixel(127, 127)), 0);
        EXPECT_EQ(qAlpha(image.pixel(20, 64)), 255) << "opaque inside";
    }
    EXPECT_NE(application, executable);
    EXPECT_EQ(genericIcon(GenericIcon::Executable), executable) << "the same every time";
}
