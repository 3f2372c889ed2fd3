// Architecture preferences: what is stored is read back for the same copy of
// an application only, in the exact shape other programs read and export,
// through both call forms and the version gate, and concurrent writers in
// several processes lose nothing.
#include "platform/foundation/FileReference.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/registry/ArchitecturePreference.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::registry;
using fixtures::BundleBuilder;

namespace {

class ArchitecturePreferenceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(desktop_.isValid()); }

    QUrl bundle(const QString& name, const QString& identifier, const QString& folder = {}) const
    {
        BundleBuilder b(folder.isEmpty() ? desktop_.applications() : folder, name);
        if (!identifier.isEmpty())
            b.identifier(identifier);
        return QUrl::fromLocalFile(b.build());
    }

    static std::optional<QString> read(const QUrl& app)
    {
        std::optional<QString> preference = QStringLiteral("untouched");
        EXPECT_EQ(copyArchitecturePreferenceForApplicationURL(app, &preference), status::noErr);
        return preference;
    }

    test::TemporaryDesktop desktop_;
};

}  // namespace

TEST_F(ArchitecturePreferenceTest, StoredPreferenceReadsBackForThatCopyOnly)
{
    const QUrl app = bundle(QStringLiteral("Editor ‘x’.app"), QStringLiteral("org.example.editor"));
    const QUrl copy = bundle(QStringLiteral("Editor ‘x’.app"), QStringLiteral("org.example.editor"),
                             desktop_.root() + QStringLiteral("/Other Disk"));
    EXPECT_EQ(read(app), std::nullopt);

    ASSERT_EQ(setArchitecturePreferenceForApplicationURL(app, QStringLiteral("i386")),
              status::noErr);
    EXPECT_EQ(read(app), QStringLiteral("i386"));
    EXPECT_EQ(read(copy), std::nullopt) << "another copy with the same identifier took the setting";

    ASSERT_EQ(setArchitecturePreferenceForApplicationURL(copy, QStringLiteral("x86_64")),
              status::noErr);
    ASSERT_EQ(setArchitecturePreferenceForApplicationURL(app, QStringLiteral("x86_64")),
              status::noErr);
    EXPECT_EQ(read(app), QStringLiteral("x86_64"));
    const auto settings = storedArchitectureSettings();
    ASSERT_TRUE(settings && settings->isDictionary());
    const plist::Value* pairs = settings->find(QStringLiteral("org.example.editor"));
    ASSERT_TRUE(pairs && pairs->isArray());
    ASSERT_EQ(pairs->array()->size(), 4) << "storing again must replace the copy's pair, not add";
    EXPECT_EQ(resolveBookmarkData(*pairs->array()->at(0).data()), copy.toLocalFile());
    EXPECT_EQ(pairs->array()->at(3), plist::Value(QStringLiteral("x86_64")));

    // Renamed inside its folder, the application keeps its setting.
    const QString renamed = desktop_.applications() + QStringLiteral("/Renamed.app");
    ASSERT_TRUE(QDir().rename(app.toLocalFile(), renamed));
    EXPECT_EQ(read(QUrl::fromLocalFile(renamed)), QStringLiteral("x86_64"));
}

TEST_F(ArchitecturePreferenceTest, TheSettingHasTheShapeOtherProgramsRead)
{
    const QUrl app = bundle(QStringLiteral("Plain.app"), QString());
    ASSERT_EQ(setArchitecturePreferenceForApplicationURL(app, QStringLiteral("i386")),
              status::noErr);
    const auto stored = UserDefaults(QStringLiteral("com.apple.LaunchServices"))
                            .value(QStringLiteral("LSArchitecturesForX86_64v2"));
    ASSERT_TRUE(stored);
    const plist::Dictionary expected{
        {QString(), plist::Value(plist::Array{plist::Value(bookmarkDataForPath(app.toLocalFile())),
                                              plist::Value(QStringLiteral("i386"))})}};
    EXPECT_EQ(*stored, plist::Value(expected))
        << "no identifier files under the empty string, one bookmark-name pair";
}

TEST_F(ArchitecturePreferenceTest, ForeignAndMalformedEntriesAreKeptOrSkipped)
{
    const QUrl app = bundle(QStringLiteral("Tool.app"), QStringLiteral("org.example.tool"));
    const QByteArray elsewhere =
        bookmarkData(FileReference(QStringLiteral("/Volumes/Gone/Tool.app"), 7, 99));
    const plist::Array odd{plist::Value(QStringLiteral("not data")),
                           plist::Value(QStringLiteral("i386")), plist::Value(elsewhere),
                           plist::Value(QStringLiteral("i386")),
                           plist::Value(bookmarkDataForPath(app.toLocalFile()))};
    ASSERT_TRUE(UserDefaults(QStringLiteral("com.apple.LaunchServices"))
                    .setValue(QStringLiteral("LSArchitecturesForX86_64v2"),
                              plist::Value(plist::Dictionary{
                                  {QStringLiteral("org.example.tool"), plist::Value(odd)},
                                  {QStringLiteral("org.example.other"), plist::Value(42)}})));
    EXPECT_EQ(read(app), std::nullopt) << "a pair without a name counts for nothing";

    ASSERT_EQ(setArchitecturePreferenceForApplicationURL(app, QStringLiteral("i386")),
              status::noErr);
    EXPECT_EQ(read(app), QStringLiteral("i386"));
    const auto settings = storedArchitectureSettings();
    const plist::Array pairs = *settings->find(QStringLiteral("org.example.tool"))->array();
    ASSERT_EQ(pairs.size(), 6);
    EXPECT_EQ(pairs.at(2), plist::Value(elsewhere)) << "the unmounted copy's pair was dropped";
    EXPECT_EQ(*settings->find(QStringLiteral("org.example.other")), plist::Value(42))
        << "another application's entry was touched";

    // Another program may have stored any name; it is read as it is.
    ASSERT_TRUE(
        UserDefaults(QStringLiteral("com.apple.LaunchServices"))
            .setValue(
                QStringLiteral("LSArchitecturesForX86_64v2"),
                plist::Value(plist::Dictionary{
                    {QStringLiteral("org.example.tool"),
                     plist::Value(plist::Array{plist::Value(bookmarkDataForPath(app.toLocalFile())),
                                               plist::Value(QStringLiteral("ppc"))})}})));
    EXPECT_EQ(read(app), QStringLiteral("ppc"));
}

TEST_F(ArchitecturePreferenceTest, StoringRefusesWhatCannotBeAnApplicationSetting)
{
    const QUrl app = bundle(QStringLiteral("Tool.app"), QStringLiteral("org.example.tool"));
    EXPECT_EQ(setArchitecturePreferenceForApplicationURL(app, QStringLiteral("ppc")),
              status::paramErr);
    EXPECT_EQ(setArchitecturePreferenceForApplicationURL(
                  QUrl::fromLocalFile(desktop_.applications() + QStringLiteral("/None.app")),
                  QStringLiteral("i386")),
              status::fnfErr);
    EXPECT_EQ(setArchitecturePreferenceForApplicationURL(QUrl::fromLocalFile(desktop_.home()),
                                                         QStringLiteral("i386")),
              status::kLSNotAnApplicationErr);
    EXPECT_EQ(setArchitecturePreferenceForApplicationURL(QUrl(QStringLiteral("https://x/A.app")),
                                                         QStringLiteral("i386")),
              status::paramErr);
    EXPECT_FALSE(storedArchitectureSettings()) << "a refused store wrote something";

    // A preferences folder that cannot be written is a status, not a crash.
    QDir().mkpath(desktop_.configHome() + QStringLiteral("/4086KTZ"));
    QFile blocker(desktop_.configHome() + QStringLiteral("/4086KTZ/Preferences"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(setArchitecturePreferenceForApplicationURL(app, QStringLiteral("i386")),
              status::ioErr);
}

TEST_F(ArchitecturePreferenceTest, TheVersionGateChoosesTheCallFormAndMayFindItMissing)
{
    const QUrl app = bundle(QStringLiteral("Tool.app"), QStringLiteral("org.example.tool"));
    EXPECT_FALSE(usesURLPreferenceCalls()) << "855.17 is cut to 855, which is not above 855";
    PreferenceStoring stored = storeArchitecturePreference(app, QStringLiteral("i386"));
    EXPECT_FALSE(stored.entryPointMissing);
    EXPECT_EQ(stored.status, status::noErr);
    ApplicationRequest request;
    request.url = app;
    std::optional<QString> viaRequest;
    ASSERT_EQ(getArchitecturePreferenceForApplication(request, &viaRequest), status::noErr);
    EXPECT_EQ(viaRequest, QStringLiteral("i386"));

    qputenv("CORVANE_CF_VERSION", "1153.18");
    EXPECT_TRUE(usesURLPreferenceCalls());
    ASSERT_TRUE(architecturePreferenceCalls().copyForURL);
    EXPECT_EQ(readArchitecturePreference(app).preference, QStringLiteral("i386"));
    stored = storeArchitecturePreference(app, QStringLiteral("x86_64"));
    EXPECT_EQ(stored.status, status::noErr);
    EXPECT_EQ(read(app), QStringLiteral("x86_64"));

    qputenv("CORVANE_WITHOUT_URL_PREFERENCE_CALLS", "1");
    EXPECT_FALSE(architecturePreferenceCalls().copyForURL);
    EXPECT_TRUE(architecturePreferenceCalls().getForRequest);
    const PreferenceReading missing = readArchitecturePreference(app);
    EXPECT_TRUE(missing.entryPointMissing);
    EXPECT_FALSE(missing.preference);
    stored = storeArchitecturePreference(app, QStringLiteral("i386"));
    EXPECT_TRUE(stored.entryPointMissing);
    EXPECT_EQ(read(app), QStringLiteral("x86_64")) << "a missing entry point stored something";

    qputenv("CORVANE_CF_VERSION", "855.99");
    EXPECT_FALSE(readArchitecturePreference(app).entryPointMissing)
        << "below the gate the request form is used, which is never missing";
}

TEST_F(ArchitecturePreferenceTest, ProgramsStoringAtOnceLoseNothing)
{
    constexpr int kWriters = 4;
    constexpr int kBundlesEach = 12;
    QList<QUrl> bundles;
    for (int i = 0; i < kWriters * kBundlesEach; ++i)
        bundles.append(bundle(QStringLiteral("App %1.app").arg(i),
                              QStringLiteral("org.example.app%1").arg(i % 5)));
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < kBundlesEach; ++i) {
                const QUrl& app = bundles.at(w * kBundlesEach + i);
                failures += setArchitecturePreferenceForApplicationURL(
                                app, i % 2 ? QStringLiteral("i386") : QStringLiteral("x86_64")) !=
                            status::noErr;
            }
            ::_exit(failures);
        }
        ASSERT_GT(pid, 0);
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int wstatus = 0;
        ASSERT_EQ(::waitpid(pid, &wstatus, 0), pid);
        EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0);
    }
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kBundlesEach; ++i)
            EXPECT_EQ(read(bundles.at(w * kBundlesEach + i)),
                      i % 2 ? QStringLiteral("i386") : QStringLiteral("x86_64"))
                << "writer " << w << " lost bundle " << i;
    }
}
