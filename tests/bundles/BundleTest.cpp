// Opening bundles: information dictionaries in either format, the executable
// named by the dictionary or by the bundle, and bundles that are broken.
#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableFormats.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/fixtures/Executables.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace corvane;
using namespace corvane::fixtures;
using Archs = std::vector<std::int32_t>;

namespace {

class BundleTest : public ::testing::Test {
protected:
    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/Bundles “test” é XXXXXX")};
};

}  // namespace

TEST_F(BundleTest, InformationDictionaryInEitherFormat)
{
    for (bool binary : {false, true}) {
        const QString path =
            BundleBuilder(dir_.path(),
                          binary ? QStringLiteral("Bin.app") : QStringLiteral("Xml.app"))
                .identifier(QStringLiteral("com.example.tool"))
                .version(QStringLiteral("2.1"))
                .set(QStringLiteral("LSArchitecturePriority"),
                     plist::Array{QStringLiteral("i386"), QStringLiteral("x86_64")})
                .binaryInfoPlist(binary)
                .build();
        ASSERT_FALSE(path.isEmpty());
        const auto bundle = Bundle::open(path);
        ASSERT_TRUE(bundle);
        ASSERT_TRUE(bundle->infoDictionary());
        EXPECT_EQ(bundle->identifier(), QStringLiteral("com.example.tool"));
        const plist::Value* priority = bundle->infoValue(QStringLiteral("LSArchitecturePriority"));
        ASSERT_TRUE(priority && priority->isArray());
        EXPECT_EQ(priority->array()->size(), 2);
        EXPECT_EQ(bundle->executableArchitectures(),
                  (Archs{exe::kCpuTypeX86, exe::kCpuTypeX86_64}));
    }
}

TEST_F(BundleTest, OpensFromFileUrlsOnly)
{
    const QString path = BundleBuilder(dir_.path(), QStringLiteral("Url Tool.app")).build();
    const auto bundle = Bundle::open(QUrl::fromLocalFile(path));
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->path(), path);
    EXPECT_FALSE(Bundle::open(QUrl(QStringLiteral("https://example.com/Tool.app"))));
    EXPECT_FALSE(Bundle::open(dir_.filePath(QStringLiteral("missing.app"))));
    EXPECT_FALSE(Bundle::open(path + QStringLiteral("/Contents/Info.plist")))
        << "a file is no bundle";
    EXPECT_FALSE(Bundle::open(QString()));
}

TEST_F(BundleTest, ExecutableNamedByTheBundleWhenTheKeyIsMissing)
{
    const QString path = BundleBuilder(dir_.path(), QStringLiteral("Fallback.app"))
                             .withoutExecutableKey()
                             .architectures({exe::kCpuTypeX86_64})
                             .build();
    const auto bundle = Bundle::open(path);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->executablePath(), path + QStringLiteral("/Contents/MacOS/Fallback"));
    EXPECT_EQ(bundle->executableArchitectures(), Archs{exe::kCpuTypeX86_64});
}

TEST_F(BundleTest, BrokenBundles)
{
    const auto open = [](const QString& path) {
        auto b = Bundle::open(path);
        EXPECT_TRUE(b) << path.toStdString();
        return b;
    };
    const auto noInfo =
        open(BundleBuilder(dir_.path(), QStringLiteral("NoInfo.app")).noInfoPlist().build());
    EXPECT_FALSE(noInfo->infoDictionary());
    EXPECT_EQ(noInfo->infoValue(QStringLiteral("CFBundleIdentifier")), nullptr);

    const auto garbage = open(BundleBuilder(dir_.path(), QStringLiteral("Garbage.app"))
                                  .rawInfoPlist("\x00\xFF junk")
                                  .build());
    EXPECT_FALSE(garbage->infoDictionary());

    const auto notDict = open(BundleBuilder(dir_.path(), QStringLiteral("Array.app"))
                                  .rawInfoPlist("<plist><array><string>x</string></array></plist>")
                                  .build());
    EXPECT_FALSE(notDict->infoDictionary());

    const auto noExe =
        open(BundleBuilder(dir_.path(), QStringLiteral("NoExe.app")).noExecutable().build());
    EXPECT_TRUE(noExe->executablePath().isEmpty());
    EXPECT_TRUE(noExe->executableArchitectures().empty());

    // An executable name that leads out of the MacOS folder is refused.
    const QString escape =
        BundleBuilder(dir_.path(), QStringLiteral("Escape.app"))
            .set(QStringLiteral("CFBundleExecutable"), QStringLiteral("../Info.plist"))
            .build();
    EXPECT_TRUE(open(escape)->executablePath().isEmpty());

    const auto wrongType =
        open(BundleBuilder(dir_.path(), QStringLiteral("Typed.app"))
                 .executableName(QStringLiteral("Typed"))
                 .set(QStringLiteral("CFBundleExecutable"), plist::Value(std::int64_t{5}))
                 .set(QStringLiteral("CFBundleIdentifier"), plist::Value(true))
                 .build());
    EXPECT_TRUE(wrongType->identifier().isEmpty());
    EXPECT_FALSE(wrongType->executablePath().isEmpty());
}

TEST_F(BundleTest, ElfAndScriptExecutables)
{
    const QString elf = BundleBuilder(dir_.path(), QStringLiteral("Native.app"))
                            .executableBytes(elfExecutable(exe::kElfMachineX86_64, true))
                            .build();
    EXPECT_EQ(Bundle::open(elf)->executableArchitectures(), Archs{exe::kCpuTypeX86_64});
    const QString script = BundleBuilder(dir_.path(), QStringLiteral("Script.app"))
                               .executableBytes(shellScript())
                               .build();
    EXPECT_TRUE(Bundle::open(script)->executableArchitectures().empty());
    EXPECT_FALSE(Bundle::open(script)->executablePath().isEmpty());
}
