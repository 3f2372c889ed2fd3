// Status comments and the system profile: version numbers, the system root
// and the built-in system files.
#include "platform/foundation/PropertyListIO.h"
#include "platform/foundation/StatusCodes.h"
#include "platform/foundation/SystemProfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>

using namespace corvane;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        previous_ = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv() { had_ ? (void)qputenv(name_, previous_) : (void)qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray previous_;
};

QString productVersionOf(const std::optional<QByteArray>& bytes)
{
    if (!bytes)
        return QStringLiteral("<unreadable>");
    const plist::ReadResult r = plist::parse(*bytes);
    const plist::Value* v = r ? r.value->find(QStringLiteral("ProductVersion")) : nullptr;
    return v ? v->toString() : QStringLiteral("<none>");
}

void writeUnderRoot(const QString& root, const char* path, const QByteArray& bytes)
{
    const QString file = root + QLatin1StringView(path);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray versionPlist(const QString& version)
{
    return *plist::serialize(
        plist::Value(plist::Dictionary{{QStringLiteral("ProductVersion"), version}}),
        plist::Format::Xml);
}

}  // namespace

TEST(StatusCodes, NamedCodesHaveCommentsAndNames)
{
    // Codes that user-facing errors present, each with a recovery suggestion.
    for (OSStatus code :
         {status::errFSNoMoreItems, status::kLSIncompatibleSystemVersionErr,
          status::errAuthorizationCanceled, status::procNotFound, status::connectionInvalid,
          status::fnfErr, status::kLSApplicationNotFoundErr, status::kLSExecutableIncorrectFormat,
          status::errAETimeout}) {
        EXPECT_FALSE(statusComment(code).isEmpty()) << code;
        EXPECT_FALSE(statusName(code).isEmpty()) << code;
    }
    EXPECT_EQ(statusName(-10825), QStringLiteral("kLSIncompatibleSystemVersionErr"));
    EXPECT_TRUE(statusComment(-123456).isEmpty());
    EXPECT_TRUE(statusName(1).isEmpty());
}

TEST(StatusCodes, ErrnoMapsToTheNearestStatus)
{
    EXPECT_EQ(statusFromErrno(ENOENT), status::fnfErr);
    EXPECT_EQ(statusFromErrno(EACCES), status::afpAccessDenied);
    EXPECT_EQ(statusFromErrno(ESRCH), status::procNotFound);
    EXPECT_EQ(statusFromErrno(0), status::noErr);
    EXPECT_EQ(statusFromErrno(EPIPE), status::ioErr);
}

TEST(SystemProfile, VersionNumbersAndOverrides)
{
    {
        ScopedEnv unsetCf("CORVANE_CF_VERSION", QByteArray());
        ScopedEnv unsetAppKit("CORVANE_APPKIT_VERSION", QByteArray());
        EXPECT_DOUBLE_EQ(profile::coreFoundationVersionNumber(), 855.17);
        EXPECT_DOUBLE_EQ(profile::appKitVersionNumber(), 1265.21);
    }
    ScopedEnv cf("CORVANE_CF_VERSION", "1153.18");
    ScopedEnv appKit("CORVANE_APPKIT_VERSION", "not a number");
    EXPECT_DOUBLE_EQ(profile::coreFoundationVersionNumber(), 1153.18);
    EXPECT_DOUBLE_EQ(profile::appKitVersionNumber(), 1265.21);
}

TEST(SystemProfile, BuiltInFilesWhenTheRootHasNone)
{
    QTemporaryDir root;
    ScopedEnv env("CORVANE_SYSTEM_ROOT", QFile::encodeName(root.path()));
    EXPECT_EQ(profile::systemRoot(), root.path());
    EXPECT_EQ(
        productVersionOf(profile::readSystemFile(QString::fromLatin1(profile::kSystemVersionPath))),
        QStringLiteral("10.9.5"));
    EXPECT_FALSE(profile::readSystemFile(QString::fromLatin1(profile::kServerVersionPath)));

    const auto exceptions = profile::readSystemFile(QString::fromLatin1(profile::kExceptionsPath));
    ASSERT_TRUE(exceptions);
    const plist::ReadResult r = plist::parse(*exceptions);
    ASSERT_TRUE(r);
    const plist::Value* list = r.value->find(QStringLiteral("MinimumVersionRequirements"));
    ASSERT_TRUE(list && list->isDictionary());
    EXPECT_TRUE(list->dictionary()->isEmpty());
}

TEST(SystemProfile, FilesUnderTheRootAreReadAsTheyAre)
{
    QTemporaryDir root;
    ScopedEnv env("CORVANE_SYSTEM_ROOT", QFile::encodeName(root.path() + QStringLiteral("/")));
    writeUnderRoot(root.path(), profile::kServerVersionPath,
                   versionPlist(QStringLiteral("10.8.5")));
    // Only the server file exists: the system file is missing, not built in.
    EXPECT_FALSE(profile::readSystemFile(QString::fromLatin1(profile::kSystemVersionPath)));
    EXPECT_EQ(
        productVersionOf(profile::readSystemFile(QString::fromLatin1(profile::kServerVersionPath))),
        QStringLiteral("10.8.5"));

    writeUnderRoot(root.path(), profile::kSystemVersionPath, QByteArray("not a plist"));
    const auto raw = profile::readSystemFile(QString::fromLatin1(profile::kSystemVersionPath));
    ASSERT_TRUE(raw);
    EXPECT_EQ(*raw, QByteArray("not a plist"));
}
