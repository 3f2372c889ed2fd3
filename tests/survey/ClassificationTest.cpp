// Classification of single bundles: every row of the mode decision table,
// every reason to leave a bundle out, and the sample folder's expectations.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/registry/ArchitecturePreference.h"
#include "samples/SampleCatalog.h"
#include "survey/engine/Classification.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/survey/SurveyTestEnvironment.h"

#include "tests/fixtures/QtPrinting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

using namespace corvane;
using namespace corvane::survey;
using corvane::fixtures::BundleBuilder;

namespace {

constexpr std::int32_t kI386 = exe::kCpuTypeX86;
constexpr std::int32_t kX64 = exe::kCpuTypeX86_64;
constexpr std::int32_t kPpc = exe::kCpuTypePowerPC;

plist::Array strings(const QStringList& list)
{
    plist::Array a;
    for (const QString& s : list)
        a.append(plist::Value(s));
    return a;
}

class ClassificationTest : public ::testing::Test {
protected:
    BundleBuilder bundle(const QString& name)
    {
        return BundleBuilder(env_.applications(), name)
            .identifier(QStringLiteral("org.example.") + QString(name).remove(QStringLiteral(".app")).remove(u' '))
            .version(QStringLiteral("1.0"));
    }
    // The classification as the survey runs it: lists read afresh.
    std::optional<ClassifiedBundle> classify(const QString& path)
    {
        return classifyBundle(path, loadSystemLists(), [this] { ++alerts_; });
    }
    // The mode, or "dropped".
    QString outcome(const QString& path)
    {
        const auto c = classify(path);
        return c ? (c->flag3 ? QStringLiteral("i386") : QStringLiteral("x86_64")) : QStringLiteral("dropped");
    }
    void prefer(const QString& path, const QString& architecture)
    {
        ASSERT_EQ(registry::setArchitecturePreferenceForApplicationURL(QUrl::fromLocalFile(path), architecture),
                  status::noErr);
    }

    test::SurveyTestEnvironment env_;
    int alerts_ = 0;
};

}  // namespace

TEST_F(ClassificationTest, DecisionTableWithoutAUserSetting)
{
    const auto native = plist::Value(true);
    const auto priority = QStringLiteral("LSArchitecturePriority");
    const auto requiresNative = QStringLiteral("LSRequiresNativeExecution");
    struct Row {
        const char* name;
        std::optional<plist::Value> nativeValue;
        std::optional<plist::Array> order;
        const char* expected;
    };
    const Row rows[] = {
        {"NativeI386First.app", native, strings({QStringLiteral("ppc"), QStringLiteral("i386"), QStringLiteral("x86_64")}), "i386"},
        {"NativeX64First.app", native, strings({QStringLiteral("x86_64"), QStringLiteral("i386")}), "x86_64"},
        {"NativeNeither.app", native, strings({QStringLiteral("ppc")}), "x86_64"},
        {"NativeNoArray.app", native, std::nullopt, "x86_64"},
        {"NativeSkipsNonStrings.app", plist::Value(QStringLiteral("YES")),
         plist::Array{plist::Value(std::int64_t{7}), plist::Value(QStringLiteral("i386"))}, "i386"},
        {"FirstI386.app", std::nullopt, strings({QStringLiteral("i386"), QStringLiteral("x86_64")}), "i386"},
        {"FirstOther.app", std::nullopt, strings({QStringLiteral("ppc"), QStringLiteral("i386")}), "x86_64"},
        {"NotNativeFalse.app", plist::Value(false), strings({QStringLiteral("ppc"), QStringLiteral("i386")}), "x86_64"},
        {"FirstX64.app", std::nullopt, strings({QStringLiteral("x86_64"), QStringLiteral("i386")}), "x86_64"},
        {"EmptyOrder.app", std::nullopt, plist::Array{}, "x86_64"},
        {"Plain.app", std::nullopt, std::nullopt, "x86_64"},
    };
    for (const Row& row : rows) {
        BundleBuilder b = bundle(QString::fromLatin1(row.name));
        if (row.nativeValue)
            b.set(requiresNative, *row.nativeValue);
        if (row.order)
            b.set(priority, *row.order);
        EXPECT_EQ(outcome(b.build()), QString::fromLatin1(row.expected)) << row.name;
    }
    EXPECT_EQ(alerts_, 0);
}

TEST_F(ClassificationTest, TheUserSettingOverridesTheDeclarations)
{
    const QString declares32 = bundle(QStringLiteral("Declares32.app"))
                                   .set(QStringLiteral("LSArchitecturePriority"), strings({QStringLiteral("i386")}))
                                   .build();
    const QString declares64 = bundle(QStringLiteral("Declares64.app")).build();
    prefer(declares32, QStringLiteral("x86_64"));
    prefer(declares64, QStringLiteral("i386"));
    EXPECT_EQ(outcome(declares32), QStringLiteral("x86_64"));
    EXPECT_EQ(outcome(declares64), QStringLiteral("i386"));
    prefer(declares64, QStringLiteral("x86_64"));
    EXPECT_EQ(outcome(declares64), QStringLiteral("x86_64"));
}

TEST_F(ClassificationTest, OtherStoredValuesLeaveTheDecisionAlone)
{
    const QString path = bundle(QStringLiteral("Odd.app"))
                             .set(QStringLiteral("LSArchitecturePriority"), strings({QStringLiteral("i386")}))
                             .build();
    prefer(path, QStringLiteral("x86_64"));
    // Rewrite the stored name to something the registry would never store.
    UserDefaults(QStringLiteral("com.apple.LaunchServices")).update([](plist::Dictionary& d) {
        plist::Dictionary settings = *d[QStringLiteral("LSArchitecturesForX86_64v2")].dictionary();
        plist::Array pair = *settings[QStringLiteral("org.example.Odd")].array();
        pair[1] = plist::Value(QStringLiteral("ppc"));
        settings[QStringLiteral("org.example.Odd")] = pair;
        d[QStringLiteral("LSArchitecturesForX86_64v2")] = settings;
        return true;
    });
    EXPECT_EQ(outcome(path), QStringLiteral("i386"));
}

TEST_F(ClassificationTest, AMissingPreferenceCallAlertsAndKeepsTheDeclarations)
{
    const QString path = bundle(QStringLiteral("Gate.app")).build();
    prefer(path, QStringLiteral("i386"));
    // Above the version gate the URL form is used, and it is missing.
    env_.setVariable("CORVANE_CF_VERSION", "1153.18");
    env_.setVariable("CORVANE_WITHOUT_URL_PREFERENCE_CALLS", "1");
    EXPECT_EQ(outcome(path), QStringLiteral("x86_64"));
    EXPECT_EQ(alerts_, 1);
    // At the gate (855.17 cuts to 855, not above it) the request-record form
    // is used, which is always there: no alert.
    env_.setVariable("CORVANE_CF_VERSION", "855.17");
    EXPECT_EQ(outcome(path), QStringLiteral("i386"));
    EXPECT_EQ(alerts_, 1);
}

TEST_F(ClassificationTest, SlicesDecideWhetherABundleCanRunBothWays)
{
    EXPECT_EQ(outcome(bundle(QStringLiteral("Three.app")).architectures({kI386, kX64, kPpc}).build()),
              QStringLiteral("x86_64"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("Only64.app")).architectures({kX64}).build()), QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("OldMix.app")).architectures({kI386, kPpc}).build()),
              QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("NoExe.app")).noExecutable().build()), QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("NoInfo.app")).noInfoPlist().build()), QStringLiteral("dropped"));
    EXPECT_EQ(outcome(env_.applications() + QStringLiteral("/Missing.app")), QStringLiteral("dropped"));
}

TEST_F(ClassificationTest, MinimumSystemVersions)
{
    env_.writeSystemVersion(QStringLiteral("10.9.5"));
    const auto minimum = [&](const char* name, const QString& version) {
        return outcome(bundle(QString::fromLatin1(name)).set(QStringLiteral("LSMinimumSystemVersion"), version).build());
    };
    EXPECT_EQ(minimum("Min1010.app", QStringLiteral("10.10")), QStringLiteral("dropped"));
    EXPECT_EQ(minimum("Min109.app", QStringLiteral("10.9")), QStringLiteral("x86_64"));
    EXPECT_EQ(minimum("Min1095.app", QStringLiteral("10.9.5")), QStringLiteral("x86_64"));
    EXPECT_EQ(minimum("MinEmpty.app", QString()), QStringLiteral("x86_64"));

    const auto byArch = [&](const char* name, const plist::Dictionary& d) {
        return outcome(
            bundle(QString::fromLatin1(name)).set(QStringLiteral("LSMinimumSystemVersionByArchitecture"), d).build());
    };
    EXPECT_EQ(byArch("Arch64High.app", {{QStringLiteral("x86_64"), QStringLiteral("10.10")}}), QStringLiteral("dropped"));
    EXPECT_EQ(byArch("Arch64Low.app", {{QStringLiteral("x86_64"), QStringLiteral("10.6")}}), QStringLiteral("x86_64"));
    EXPECT_EQ(byArch("Arch32High.app", {{QStringLiteral("i386"), QStringLiteral("10.10")}}), QStringLiteral("x86_64"));

    // A system without a readable version drops every bundle that declares a minimum.
    env_.writeSystemFile("/System/Library/CoreServices/SystemVersion.plist", "not a property list");
    env_.writeSystemFile("/System/Library/CoreServices/ServerVersion.plist", "<plist><dict/></plist>");
    EXPECT_EQ(minimum("Min106.app", QStringLiteral("10.6")), QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("NoMinimum.app")).build()), QStringLiteral("x86_64"));
}

TEST_F(ClassificationTest, JavaStoreAndPowerPCPreferences)
{
    EXPECT_EQ(outcome(bundle(QStringLiteral("Java.app"))
                          .set(QStringLiteral("Java"), plist::Dictionary{{QStringLiteral("MainClass"), QStringLiteral("a.B")}})
                          .build()),
              QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("JavaLib.app"))
                          .set(QStringLiteral("Java"), plist::Dictionary{{QStringLiteral("ClassPath"), QStringLiteral("x")}})
                          .build()),
              QStringLiteral("x86_64"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("Store.app")).identifier(QStringLiteral("com.apple.appstore")).build()),
              QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("Helper.app")).identifier(QStringLiteral("com.apple.store_helper")).build()),
              QStringLiteral("dropped"));

    const auto prefersPPC = [&](const char* name, std::vector<std::int32_t> archs, bool native) {
        BundleBuilder b = bundle(QString::fromLatin1(name)).architectures(archs).set(QStringLiteral("LSPrefersPPC"), plist::Value(true));
        if (native)
            b.set(QStringLiteral("LSRequiresNativeExecution"), plist::Value(true));
        return outcome(b.build());
    };
    EXPECT_EQ(prefersPPC("PPCSlice.app", {kI386, kX64, kPpc}, false), QStringLiteral("dropped"));
    EXPECT_EQ(prefersPPC("NoPPCSlice.app", {kI386, kX64}, false), QStringLiteral("x86_64"));
    EXPECT_EQ(prefersPPC("NativePPC.app", {kI386, kX64, kPpc}, true), QStringLiteral("x86_64"));
}

TEST_F(ClassificationTest, TheSystemsMinimumVersionList)
{
    env_.writeExceptions({
        {QStringLiteral("org.example.Old"), QStringLiteral("2.0")},
        {QStringLiteral("org.example.Fresh"), plist::Array{plist::Value(QStringLiteral("2.0")), plist::Value(true)}},
        {QStringLiteral("org.example.Unversioned"), QStringLiteral("1.0")},
        {QStringLiteral("org.example.Weird"), plist::Value(std::int64_t{5})},
        {QString(), QStringLiteral("9.0")},
    });
    EXPECT_EQ(outcome(bundle(QStringLiteral("Old.app")).version(QStringLiteral("1.9")).build()), QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("Fresh.app")).version(QStringLiteral("2.0.1")).build()),
              QStringLiteral("x86_64"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("Unversioned.app")).remove(QStringLiteral("CFBundleVersion")).build()),
              QStringLiteral("dropped"));
    EXPECT_EQ(outcome(bundle(QStringLiteral("Weird.app")).build()), QStringLiteral("x86_64"))
        << "an entry that is neither string nor array imposes no minimum";
    // A bundle without an identifier is looked up under the empty string.
    EXPECT_EQ(outcome(bundle(QStringLiteral("Anonymous.app")).remove(QStringLiteral("CFBundleIdentifier")).build()),
              QStringLiteral("dropped"));
}

TEST_F(ClassificationTest, RecordsCarryTheDisplayNameAndAFileReference)
{
    const QString path = bundle(QStringLiteral("Café “Notes”.app")).build();
    const auto c = classify(path);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->displayName, QStringLiteral("Café “Notes”"));
    ASSERT_TRUE(c->urlP);
    EXPECT_EQ(c->urlP->path(), path);
}

TEST_F(ClassificationTest, TheSampleFolderClassifiesAsItWasBuiltToShow)
{
    const QString folder = env_.applications() + QStringLiteral("/Samples");
    // The generator program paints icons, which needs a GUI application of its own.
    ASSERT_EQ(QProcess::execute(QStringLiteral(CORVANE_MAKE_SAMPLES_PROGRAM), {folder}), 0);
    int listed = 0;
    for (const samples::SampleBundle& sample : samples::sampleCatalog()) {
        const QString expected = sample.expected.listed ? samples::launchModeName(sample.expected.mode)
                                                        : QStringLiteral("dropped");
        EXPECT_EQ(outcome(folder + u'/' + sample.path), expected) << sample.path.toStdString() << ": "
                                                                  << sample.expected.why.toStdString();
        listed += sample.expected.listed;
    }
    EXPECT_GT(listed, 20);
}
