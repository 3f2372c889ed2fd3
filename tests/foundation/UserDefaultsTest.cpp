// The user-defaults store: values survive, writes are atomic, damaged files
// are kept, and concurrent writers from several processes lose nothing.
#include "platform/foundation/PropertyListIO.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace corvane;

namespace {

// Points the preferences folder into a temporary configuration home.
class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        previous_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path()));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", previous_); }

    QString folder() const { return home_.path() + QStringLiteral("/4086KTZ/Preferences"); }

    QTemporaryDir home_{QDir::tempPath() + QStringLiteral("/prefs ‘home’ XXXXXX")};
    QByteArray previous_;
};

}  // namespace

TEST_F(UserDefaultsTest, ValuesPersistInTheDomainFile)
{
    UserDefaults defaults(QStringLiteral("com.4086KTZ.Corvane"));
    EXPECT_EQ(defaults.filePath(), folder() + QStringLiteral("/com.4086KTZ.Corvane.plist"));
    EXPECT_FALSE(defaults.value(QStringLiteral("NewWindowTarget")));

    ASSERT_TRUE(defaults.setValue(QStringLiteral("NewWindowTarget"),
                                  QStringLiteral("file:///Volumes/Data/")));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("ShowPathBar"), plist::Value(true)));
    const UserDefaults again(QStringLiteral("com.4086KTZ.Corvane"));
    EXPECT_EQ(again.value(QStringLiteral("NewWindowTarget")),
              plist::Value(QStringLiteral("file:///Volumes/Data/")));
    EXPECT_EQ(again.value(QStringLiteral("ShowPathBar")), plist::Value(true));

    const plist::ReadResult onDisk = plist::readFile(defaults.filePath());
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk.format, plist::Format::Binary);

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("ShowPathBar")));
    EXPECT_FALSE(again.value(QStringLiteral("ShowPathBar")));
    EXPECT_EQ(again.dictionary().size(), 1);
    const QStringList files = QDir(folder()).entryList(QDir::Files);
    EXPECT_EQ(files, QStringList{QStringLiteral("com.4086KTZ.Corvane.plist")})
        << "temporary files left";
}

TEST_F(UserDefaultsTest, UpdateThatDeclinesLeavesTheFileAlone)
{
    UserDefaults defaults(QStringLiteral("com.example.untouched"));
    ASSERT_TRUE(defaults.update([](plist::Dictionary&) { return false; }));
    EXPECT_FALSE(QFile::exists(defaults.filePath()));
    EXPECT_TRUE(defaults.removeValue(QStringLiteral("absent")));
    EXPECT_FALSE(QFile::exists(defaults.filePath()));
}

TEST_F(UserDefaultsTest, DamagedFileIsKeptAsideNotLost)
{
    UserDefaults defaults(QStringLiteral("com.example.damaged"));
    ASSERT_TRUE(QDir().mkpath(folder()));
    QFile f(defaults.filePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<plist><dict><key>half");
    f.close();

    EXPECT_TRUE(defaults.dictionary().isEmpty());
    ASSERT_TRUE(defaults.setValue(QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(defaults.value(QStringLiteral("k")), plist::Value(QStringLiteral("v")));
    QFile aside(defaults.filePath() + QStringLiteral(".damaged"));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("<plist><dict><key>half"));
}

TEST_F(UserDefaultsTest, InvalidDomainsAreRefused)
{
    for (const QString& domain : {QString(), QStringLiteral("../escape"), QStringLiteral(".hidden"),
                                  QStringLiteral("a/b")}) {
        UserDefaults defaults(domain);
        QString error;
        EXPECT_FALSE(defaults.setValue(QStringLiteral("k"), plist::Value(true), &error))
            << domain.toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(defaults.dictionary().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(home_.path() + QStringLiteral("/4086KTZ/escape.plist")));
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing)
{
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 40;
    const QString domain = QStringLiteral("com.apple.LaunchServices");
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            UserDefaults defaults(domain);
            bool ok = true;
            for (int k = 0; k < kKeysEach; ++k) {
                // Each writer appends to a shared array and sets keys of its own.
                ok = defaults.update([&](plist::Dictionary& d) {
                    plist::Array list = d.value(QStringLiteral("shared")).array()
                                            ? *d.value(QStringLiteral("shared")).array()
                                            : plist::Array();
                    list.append(plist::Value(std::int64_t{w * 1000 + k}));
                    d.insert(QStringLiteral("shared"), list);
                    d.insert(QStringLiteral("w%1-k%2").arg(w).arg(k), plist::Value(true));
                    return true;
                }) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const plist::Dictionary d = UserDefaults(domain).dictionary();
    EXPECT_EQ(d.size(), kWriters * kKeysEach + 1);
    ASSERT_TRUE(d.value(QStringLiteral("shared")).array());
    EXPECT_EQ(d.value(QStringLiteral("shared")).array()->size(), kWriters * kKeysEach);
}
