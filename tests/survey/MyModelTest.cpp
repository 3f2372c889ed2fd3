// Survey runs end to end: scopes, publication, the mode switch, and the
// export and import of settings, against real bundles and preferences.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/PropertyListIO.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/registry/ArchitecturePreference.h"
#include "survey/engine/Discovery.h"
#include "survey/engine/MyModel.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/survey/RecordingHost.h"
#include "tests/survey/SurveyTestEnvironment.h"

#include "tests/fixtures/QtPrinting.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>

#include <sys/time.h>

using namespace corvane;
using namespace corvane::survey;
using corvane::fixtures::BundleBuilder;

namespace {

int argc = 1;
char name[] = "survey_tests";
char* argv[] = {name, nullptr};

class MyModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance())
            app_ = new QCoreApplication(argc, argv);
    }

    QString build(const QString& relative, bool thirtyTwo = false)
    {
        const QString folder = QFileInfo(env_.applications() + u'/' + relative).absolutePath();
        QDir().mkpath(folder);
        BundleBuilder b(folder, QFileInfo(relative).fileName());
        b.identifier(QStringLiteral("org.example.") + QFileInfo(relative).completeBaseName().remove(u' '));
        if (thirtyTwo)
            b.set(QStringLiteral("LSArchitecturePriority"), plist::Array{plist::Value(QStringLiteral("i386"))});
        return b.build();
    }
    QString scopeOf(const QString& path) const { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

    void run(MyModel& model, const std::optional<QString>& scope)
    {
        model.loadAndShowWindow(scope);
        model.waitUntilPublished();
    }
    QStringList names(const QList<MyController*>& records) const
    {
        QStringList out;
        for (const MyController* r : records)
            out << r->string();
        out.sort();
        return out;
    }

    static QCoreApplication* app_;
    test::SurveyTestEnvironment env_;
    test::RecordingHost host_;
};

QCoreApplication* MyModelTest::app_ = nullptr;

}  // namespace

TEST_F(MyModelTest, AllApplicationsRunListsEveryRegisteredBundleOnce)
{
    build(QStringLiteral("Mail.app"));
    build(QStringLiteral("Mail.app/Contents/Applications/Uploader.app"));
    build(QStringLiteral("Utilities/Mender.app"), true);
    BundleBuilder(env_.applications(), QStringLiteral("Only64.app")).architectures({exe::kCpuTypeX86_64}).build();
    MyModel model(host_);
    run(model, std::nullopt);
    EXPECT_TRUE(model.isBootVolume());
    EXPECT_EQ(names(model.content()), (QStringList{QStringLiteral("Mail"), QStringLiteral("Mender"), QStringLiteral("Uploader")}));
    EXPECT_EQ(host_.title, QString()) << "an all-applications run keeps the plain title";
    EXPECT_EQ(host_.calls, (QStringList{QStringLiteral("start"), QStringLiteral("show"), QStringLiteral("stop"),
                                        QStringLiteral("status")}));
    EXPECT_EQ(host_.progressCalls, 4) << "every native application package is classified, Only64 too";
}

TEST_F(MyModelTest, CandidatesFoundTwiceCountOnce)
{
    EXPECT_EQ(distinctCandidates({QStringLiteral("/b.app"), QStringLiteral("/a.app"), QStringLiteral("/b.app")}),
              (QStringList{QStringLiteral("/a.app"), QStringLiteral("/b.app")}));
}

TEST_F(MyModelTest, FolderScopeOnTheStartupVolume)
{
    build(QStringLiteral("Games/Chess.app"));
    build(QStringLiteral("Elsewhere.app"));
    MyModel model(host_);
    const QString folder = env_.applications() + QStringLiteral("/Games");
    run(model, scopeOf(folder));
    EXPECT_TRUE(model.isBootVolume());
    EXPECT_EQ(model.representedName(), QStringLiteral("Games"));
    EXPECT_EQ(host_.title, QStringLiteral("Games - Corvane"));
    EXPECT_EQ(host_.representedURL, QUrl::fromLocalFile(folder));
    EXPECT_EQ(names(model.content()), QStringList{QStringLiteral("Chess")});
}

TEST_F(MyModelTest, AScopeThatNoLongerExistsBecomesAnAllApplicationsRun)
{
    build(QStringLiteral("Mail.app"));
    MyModel model(host_);
    run(model, scopeOf(env_.applications() + QStringLiteral("/Vanished")));
    EXPECT_EQ(names(model.content()), QStringList{QStringLiteral("Mail")});
    EXPECT_TRUE(model.representedName().isEmpty());
    EXPECT_FALSE(host_.calls.join(u' ').contains(QStringLiteral("title:")));

    MyModel malformed(host_);
    run(malformed, QStringLiteral("not a url at all"));
    EXPECT_EQ(names(malformed.content()), QStringList{QStringLiteral("Mail")});
}

TEST_F(MyModelTest, ARunWithoutCandidatesStillPublishes)
{
    const QString empty = env_.applications() + QStringLiteral("/Empty");
    QDir().mkpath(empty);
    MyModel model(host_);
    QSignalSpy published(&model, &MyModel::published);
    run(model, scopeOf(empty));
    EXPECT_EQ(published.count(), 1);
    EXPECT_TRUE(model.content().isEmpty());
    EXPECT_FALSE(host_.calls.contains(QStringLiteral("start"))) << "no candidate: no progress indicator";
    EXPECT_TRUE(host_.calls.contains(QStringLiteral("status")));
}

TEST_F(MyModelTest, TheModeSwitchStoresAndFlipsAndLeavesAFilteredList)
{
    build(QStringLiteral("Mail.app"));
    build(QStringLiteral("Mender.app"), true);
    MyModel model(host_);
    run(model, std::nullopt);
    model.showSource8(1);
    model.showSource2(1);  // only 32-bit
    ASSERT_EQ(names(model.arrangedObjects()), QStringList{QStringLiteral("Mender")});

    QSignalSpy rearranged(&model, &MyModel::arrangementChanged);
    model.showSource(0);
    EXPECT_TRUE(model.arrangedObjects().isEmpty()) << "the row leaves the 32-bit list at once";
    EXPECT_EQ(rearranged.count(), 1);
    const auto stored = registry::readArchitecturePreference(QUrl::fromLocalFile(env_.applications() + QStringLiteral("/Mender.app")));
    EXPECT_EQ(stored.preference, QStringLiteral("x86_64"));

    model.showSource2(0);
    rearranged.clear();
    model.showSource(-1);
    EXPECT_EQ(rearranged.count(), 0) << "no row clicked, no mode term: nothing";
    // Clicking the 64-bit Mail stores i386 and turns its box on.
    model.showSource(0);
    EXPECT_TRUE(model.arrangedObjects()[0]->flag3());
    EXPECT_TRUE(host_.presented.isEmpty());
}

TEST_F(MyModelTest, ARegistryErrorLeavesTheBoxAndIsShownOnce)
{
    const QString path = build(QStringLiteral("Doomed.app"));
    MyModel model(host_);
    run(model, std::nullopt);
    ASSERT_EQ(model.arrangedObjects().size(), 1);
    QDir(path).removeRecursively();
    model.showSource(0);
    EXPECT_FALSE(model.arrangedObjects()[0]->flag3());
    EXPECT_EQ(host_.presented.size(), 1);
}

TEST_F(MyModelTest, SettingsChangedDuringARunDoNotChangeItsLists)
{
    const QString path = build(QStringLiteral("Mail.app"));
    MyModel model(host_);
    run(model, std::nullopt);
    EXPECT_FALSE(model.systemLists().architectureDict);
    ASSERT_EQ(registry::setArchitecturePreferenceForApplicationURL(QUrl::fromLocalFile(path), QStringLiteral("i386")),
              status::noErr);
    EXPECT_FALSE(model.systemLists().architectureDict);
}

TEST_F(MyModelTest, ExportWritesTheSettingAsStored)
{
    EXPECT_FALSE(MyModel::exportedSettings()) << "no setting: nothing to export";
    const QString path = build(QStringLiteral("Mail.app"));
    ASSERT_EQ(registry::setArchitecturePreferenceForApplicationURL(QUrl::fromLocalFile(path), QStringLiteral("i386")),
              status::noErr);
    const auto file = MyModel::exportedSettings();
    ASSERT_TRUE(file);
    const plist::ReadResult r = plist::parse(*file);
    ASSERT_TRUE(r);
    EXPECT_EQ(r.format, plist::Format::Binary);
    ASSERT_EQ(r.value->dictionary()->size(), 1);
    EXPECT_EQ(*r.value->find(QStringLiteral("LSArchitecturesForX86_64v2")), *registry::storedArchitectureSettings());
    EXPECT_TRUE(MyModel::isSettingsFile(*file));
}

TEST_F(MyModelTest, ImportAppliesToTheListedCopyOnly)
{
    const QString mail = build(QStringLiteral("Mail.app"));
    const QString copy = build(QStringLiteral("Copies/Mail.app"));
    const QString mender = build(QStringLiteral("Mender.app"), true);
    // Settings made elsewhere: Mail's second copy and Mender to i386/x86_64.
    ASSERT_EQ(registry::setArchitecturePreferenceForApplicationURL(QUrl::fromLocalFile(copy), QStringLiteral("i386")),
              status::noErr);
    ASSERT_EQ(registry::setArchitecturePreferenceForApplicationURL(QUrl::fromLocalFile(mender), QStringLiteral("i386")),
              status::noErr);
    const QByteArray file = *MyModel::exportedSettings();
    UserDefaults(QStringLiteral("com.apple.LaunchServices")).removeValue(QStringLiteral("LSArchitecturesForX86_64v2"));

    MyModel model(host_);
    run(model, scopeOf(env_.applications()));
    model.showSource2(1);
    const QList<MyController*> changed = model.importSettings(file);
    EXPECT_EQ(names(changed), QStringList{QStringLiteral("Mail")});
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0]->urlPPath(), copy) << "the pair names the copy, not the other Mail";
    EXPECT_TRUE(changed[0]->flag3());
    // Mender is already 32-bit: nothing stored for it.
    EXPECT_FALSE(registry::readArchitecturePreference(QUrl::fromLocalFile(mender)).preference);
    EXPECT_FALSE(registry::readArchitecturePreference(QUrl::fromLocalFile(mail)).preference);
}

TEST_F(MyModelTest, UnsuitableSettingsFilesChangeNothing)
{
    const QString mail = build(QStringLiteral("Mail.app"));
    const QByteArray bookmark = bookmarkDataForPath(mail);
    const auto fileWith = [](const plist::Dictionary& root) {
        return *plist::serialize(plist::Value(root), plist::Format::Xml);
    };
    const plist::Value pair(plist::Array{plist::Value(bookmark), plist::Value(QStringLiteral("i386"))});
    const plist::Dictionary settings{{QStringLiteral("org.example.Mail"), pair}};
    MyModel model(host_);
    run(model, std::nullopt);
    const QByteArray cases[] = {
        QByteArrayLiteral("garbage"),
        fileWith({{QStringLiteral("LSArchitecturesForX86_64v2"), settings}, {QStringLiteral("extra"), plist::Value(true)}}),
        fileWith({{QStringLiteral("Other"), settings}}),
        fileWith({{QStringLiteral("LSArchitecturesForX86_64v2"), plist::Dictionary{}}}),
        fileWith({{QStringLiteral("LSArchitecturesForX86_64v2"),
                   plist::Dictionary{{QStringLiteral("org.example.Mail"), plist::Array{plist::Value(bookmark)}}}}}),
        fileWith({{QStringLiteral("LSArchitecturesForX86_64v2"),
                   plist::Dictionary{{QStringLiteral("org.example.Mail"),
                                      plist::Array{plist::Value(bookmark), plist::Value(QStringLiteral("ppc"))}}}}}),
        fileWith({{QStringLiteral("LSArchitecturesForX86_64v2"),
                   plist::Dictionary{{QStringLiteral("org.example.Other"), pair}}}}),
    };
    for (const QByteArray& file : cases)
        EXPECT_TRUE(model.importSettings(file).isEmpty());
    EXPECT_FALSE(model.content()[0]->flag3());
    // The same file, well formed, applies.
    EXPECT_EQ(model.importSettings(fileWith({{QStringLiteral("LSArchitecturesForX86_64v2"), settings}})).size(), 1);
}

TEST_F(MyModelTest, OldSettingsFilesWithAliasRecordsApplyToo)
{
    const QString mail = build(QStringLiteral("Mail.app"));
    // A version 2 alias record holding the bundle's POSIX path (tag 18).
    QByteArray alias(150, '\0');
    const QByteArray posix = QFile::encodeName(mail);
    alias += char(0);
    alias += char(18);
    alias += char((posix.size() >> 8) & 0xFF);
    alias += char(posix.size() & 0xFF);
    alias += posix;
    if (posix.size() % 2)
        alias += '\0';
    alias += QByteArray("\xFF\xFF\x00\x00", 4);
    alias[4] = char((alias.size() >> 8) & 0xFF);
    alias[5] = char(alias.size() & 0xFF);
    alias[7] = 2;
    const plist::Dictionary old{{QStringLiteral("LSArchitecturesForX86_64"),
                                 plist::Dictionary{{QStringLiteral("org.example.Mail"),
                                                    plist::Array{plist::Value(alias), plist::Value(QStringLiteral("i386"))}}}}};
    MyModel model(host_);
    run(model, std::nullopt);
    const auto changed = model.importSettings(*plist::serialize(plist::Value(old), plist::Format::Binary));
    EXPECT_EQ(names(changed), QStringList{QStringLiteral("Mail")});
}

TEST_F(MyModelTest, SortOrdersArrangeByNameAndDateKeepingUndatedRecords)
{
    const QString zeta = build(QStringLiteral("Zeta.app"));
    const QString alpha10 = build(QStringLiteral("alpha 10.app"));
    const QString alpha9 = build(QStringLiteral("Alpha 9.app"));
    ::utimes(QFile::encodeName(zeta).constData(), nullptr);  // now: the newest
    struct timeval past[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimes(QFile::encodeName(alpha10).constData(), past);  // 2001
    MyModel model(host_);
    run(model, std::nullopt);

    model.showSource8(1);
    model.showSource8(1);
    QStringList byName;
    for (const MyController* r : model.arrangedObjects())
        byName << r->string();
    EXPECT_EQ(byName, (QStringList{QStringLiteral("Alpha 9"), QStringLiteral("alpha 10"), QStringLiteral("Zeta")}));

    QDir(alpha9).removeRecursively();
    model.showSource8(2);
    QStringList byDate;
    for (const MyController* r : model.arrangedObjects())
        byDate << r->string();
    EXPECT_EQ(byDate, (QStringList{QStringLiteral("Zeta"), QStringLiteral("alpha 10"), QStringLiteral("Alpha 9")}))
        << "newest first; the deleted bundle has no date and stays, last";
    model.showSource8(0);
    EXPECT_EQ(model.arrangedObjects().size(), 3);
}
