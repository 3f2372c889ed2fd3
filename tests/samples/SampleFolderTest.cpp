// The generated sample folder read back with the platform's own readers:
// every manifest entry is a bundle on disk whose executable, Info.plist and
// icon are what the manifest says, and the Linux-native bundles really run.
#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/PropertyListIO.h"
#include "tests/samples/SampleTestSupport.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QSet>

using namespace corvane;
using namespace corvane::samples::test;
using namespace Qt::Literals::StringLiterals;

namespace {

QStringList namesOf(const std::vector<std::int32_t>& cpuTypes)
{
    QStringList names;
    for (std::int32_t t : cpuTypes) {
        if (t == exe::kCpuTypeX86)
            names.append(u"i386"_s);
        else if (t == exe::kCpuTypeX86_64)
            names.append(u"x86_64"_s);
        else if (t == exe::kCpuTypePowerPC)
            names.append(u"ppc"_s);
        else
            names.append(QString::number(t));
    }
    return names;
}

ExecutableKind expectedKind(const ManifestEntry& e)
{
    if (e.executable == u"elf"_s)
        return ExecutableKind::Elf;
    if (e.executable == u"script"_s)
        return ExecutableKind::None;
    return e.architectures.size() == 1 ? ExecutableKind::MachOThin : ExecutableKind::MachOUniversal;
}

QString infoString(const plist::Dictionary& info, const QString& key)
{
    const auto it = info.constFind(key);
    return it != info.constEnd() && it->isString() ? *it->string() : u"<missing>"_s;
}

// Pixels of the icon's central area that differ clearly from the colour.
int pixelsUnlike(const QImage& image, QRgb background)
{
    int count = 0;
    const int size = image.width();
    for (int y = size / 4; y < size * 3 / 4; ++y) {
        for (int x = size / 4; x < size * 3 / 4; ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background)) +
                    std::abs(qBlue(p) - qBlue(background)) >
                96)
                ++count;
        }
    }
    return count;
}

class SampleFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(samples.problem.isEmpty()) << samples.problem.toStdString();
        ASSERT_FALSE(samples.manifest.bundles.empty());
    }

    const GeneratedSamples& samples = generatedSamples();
};

}  // namespace

TEST_F(SampleFolder, ManifestAndTreeHoldTheSameBundles)
{
    EXPECT_GE(samples.manifest.bundles.size(), 30u);
    EXPECT_TRUE(samples.run.out.contains(QString::number(samples.manifest.bundles.size())))
        << samples.run.out.toStdString();

    QSet<QString> listed;
    for (const ManifestEntry& e : samples.manifest.bundles) {
        EXPECT_FALSE(listed.contains(e.path)) << "listed twice: " << e.path.toStdString();
        listed.insert(e.path);
        EXPECT_TRUE(e.path.endsWith(u".app"_s)) << e.path.toStdString();
        EXPECT_TRUE(QFileInfo(bundlePath(samples, e)).isDir()) << e.path.toStdString();
    }
    QSet<QString> onDisk;
    QDirIterator it(samples.folder, {u"*.app"_s}, QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        onDisk.insert(QDir(samples.folder).relativeFilePath(it.next()));
    EXPECT_EQ(onDisk, listed);
}

TEST_F(SampleFolder, ExecutablesHoldTheArchitecturesOfTheManifest)
{
    for (const ManifestEntry& e : samples.manifest.bundles) {
        SCOPED_TRACE(e.path.toStdString());
        const std::optional<Bundle> bundle = Bundle::open(bundlePath(samples, e));
        ASSERT_TRUE(bundle.has_value());
        ASSERT_FALSE(bundle->executablePath().isEmpty());
        EXPECT_EQ(namesOf(bundle->executableArchitectures()), e.architectures);
        EXPECT_EQ(readExecutableInfo(bundle->executablePath()).kind, expectedKind(e));
        if (e.executable == u"script"_s) {
            QFile script(bundle->executablePath());
            ASSERT_TRUE(script.open(QIODevice::ReadOnly));
            EXPECT_TRUE(script.readAll().startsWith("#!"));
        }
    }
}

TEST_F(SampleFolder, InfoPlistsParseInTheirFormatWithTheirIdentity)
{
    QSet<QString> formats;
    for (const ManifestEntry& e : samples.manifest.bundles) {
        SCOPED_TRACE(e.path.toStdString());
        const plist::ReadResult read =
            plist::readFile(bundlePath(samples, e) + u"/Contents/Info.plist"_s);
        ASSERT_TRUE(read) << read.error.toStdString();
        ASSERT_TRUE(read.value->isDictionary());
        const plist::Dictionary& info = *read.value->dictionary();
        formats.insert(e.infoPlist);
        EXPECT_EQ(read.format == plist::Format::Binary ? u"binary"_s : u"xml"_s, e.infoPlist);

        EXPECT_EQ(Bundle::open(bundlePath(samples, e))->identifier(),
                  e.identifier.value_or(QString()));
        EXPECT_EQ(info.contains(u"CFBundleIdentifier"_s), e.identifier.has_value());
        EXPECT_EQ(infoString(info, u"CFBundleVersion"_s), e.version);
        EXPECT_EQ(infoString(info, u"CFBundleShortVersionString"_s), e.shortVersion);
        EXPECT_EQ(infoString(info, u"CFBundleExecutable"_s), e.name);
        EXPECT_TRUE(infoString(info, u"NSHumanReadableCopyright"_s).startsWith(u"Copyright © "_s));
    }
    EXPECT_EQ(formats, (QSet<QString>{u"xml"_s, u"binary"_s}));
}

TEST_F(SampleFolder, IconsLoadWithALetterOnAColourOfTheirOwn)
{
    QSet<QRgb> colours;
    for (const ManifestEntry& e : samples.manifest.bundles) {
        SCOPED_TRACE(e.path.toStdString());
        const std::optional<Bundle> bundle = Bundle::open(bundlePath(samples, e));
        ASSERT_TRUE(bundle.has_value());
        const plist::Value* iconKey = bundle->infoValue(u"CFBundleIconFile"_s);
        ASSERT_TRUE(iconKey && iconKey->isString());
        QString iconName = *iconKey->string();
        if (!iconName.endsWith(u".icns"_s))
            iconName += u".icns"_s;
        EXPECT_EQ(iconName, e.iconFile);

        QImageReader reader(bundle->path() + u"/Contents/Resources/"_s + iconName);
        EXPECT_EQ(reader.format(), QByteArray("icns"));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        ASSERT_EQ(image.width(), image.height());
        ASSERT_GE(image.width(), 64);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corner is outside the rounded square";
        const QRgb background = image.pixel(image.width() * 3 / 20, image.height() / 2);
        EXPECT_EQ(qAlpha(background), 255);
        EXPECT_GT(pixelsUnlike(image, background), image.width() * image.width() / 100)
            << "no letter on the icon";
        colours.insert(background);
    }
    EXPECT_EQ(colours.size(), static_cast<qsizetype>(samples.manifest.bundles.size()));
}

TEST_F(SampleFolder, LinuxNativeBundlesRunFromAPathWithSpaces)
{
    ASSERT_TRUE(samples.folder.contains(u' '));
    QSet<QString> kindsRun;
    for (const ManifestEntry& e : samples.manifest.bundles) {
        if (!e.runnable)
            continue;
        SCOPED_TRACE(e.path.toStdString());
        const QString executable = Bundle::open(bundlePath(samples, e))->executablePath();
        QProcess process;
        process.start(executable, {});
        ASSERT_TRUE(process.waitForFinished(10'000)) << process.errorString().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), e.name + u" is running\n"_s);
        kindsRun.insert(e.executable);
    }
    EXPECT_EQ(kindsRun, (QSet<QString>{u"elf"_s, u"script"_s}));
}

TEST_F(SampleFolder, NestedBundlesAndUnusualNamesArePresent)
{
    auto count = [&](auto&& predicate) {
        return std::count_if(samples.manifest.bundles.begin(), samples.manifest.bundles.end(),
                             [&](const ManifestEntry& e) { return predicate(e.path); });
    };
    auto inside = [](const QString& part) {
        return [part](const QString& path) { return path.contains(part); };
    };
    EXPECT_GE(count(inside(u".app/Contents/Applications/"_s)), 1);
    EXPECT_GE(count(inside(u".app/Contents/Library/LoginItems/"_s)), 1);
    EXPECT_GE(count([](const QString& p) { return p.contains(u'/') && !p.contains(u".app/"_s); }),
              1)
        << "no bundle in a plain subfolder";
    EXPECT_GE(count(inside(u" "_s)), 10);
    EXPECT_GE(count([](const QString& p) {
                  return std::any_of(p.begin(), p.end(), [](QChar c) { return c.unicode() > 127; });
              }),
              2);
    EXPECT_GE(count([](const QString& p) { return p.contains(u'\'') || p.contains(u'’'); }), 1);

    // A nested bundle sits inside a bundle that is itself in the manifest.
    for (const ManifestEntry& e : samples.manifest.bundles) {
        const qsizetype contents = e.path.indexOf(u".app/Contents/"_s);
        if (contents < 0)
            continue;
        const QString parent = e.path.left(contents + 4);
        EXPECT_EQ(count([&](const QString& p) { return p == parent; }), 1) << e.path.toStdString();
    }
}
