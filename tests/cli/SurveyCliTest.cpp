// corvane-survey as a user runs it: output formats, filters, the folder
// list, set-mode, export and import, and clear failures.
#include "samples/SampleCatalog.h"
#include "tests/survey/SurveyTestEnvironment.h"

#include "tests/fixtures/QtPrinting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

using namespace corvane;

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class SurveyCliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Right below /tmp, so its sub-folders stay within the folder list's depth limit.
        samples_ = new QTemporaryDir(QStringLiteral("/tmp/cli samples “x” XXXXXX"));
        ASSERT_EQ(QProcess::execute(QStringLiteral(CORVANE_MAKE_SAMPLES_PROGRAM), {folder()}), 0);
    }
    static void TearDownTestSuite()
    {
        delete samples_;
        samples_ = nullptr;
    }
    static QString folder() { return samples_->path(); }

    CliRun run(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(CORVANE_SURVEY_PROGRAM), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QJsonArray json(const QStringList& args)
    {
        const CliRun r = run(QStringList{QStringLiteral("--format"), QStringLiteral("json")} << args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out.toUtf8()).array();
    }

    static QTemporaryDir* samples_;
    survey::test::SurveyTestEnvironment env_;
};

QTemporaryDir* SurveyCliTest::samples_ = nullptr;

QStringList field(const QJsonArray& a, const char* key)
{
    QStringList out;
    for (const QJsonValue& v : a)
        out << v.toObject().value(QLatin1StringView(key)).toString();
    return out;
}

}  // namespace

TEST_F(SurveyCliTest, TheSampleFolderListsWhatItWasBuiltToShow)
{
    const QJsonArray list = json({folder()});
    QHash<QString, QString> expected;
    for (const samples::SampleBundle& s : samples::sampleCatalog()) {
        if (s.expected.listed)
            expected.insert(folder() + u'/' + s.path, samples::launchModeName(s.expected.mode));
    }
    QHash<QString, QString> actual;
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        EXPECT_EQ(o.keys(), (QStringList{QStringLiteral("mode"), QStringLiteral("name"), QStringLiteral("path")}));
        EXPECT_EQ(o.value(QStringLiteral("name")).toString() + QStringLiteral(".app"),
                  QFileInfo(o.value(QStringLiteral("path")).toString()).fileName());
        actual.insert(o.value(QStringLiteral("path")).toString(), o.value(QStringLiteral("mode")).toString());
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(SurveyCliTest, FiltersCombineAndSortByName)
{
    const QJsonArray only32 = json({QStringLiteral("--mode"), QStringLiteral("32"), QStringLiteral("--sort"),
                                    QStringLiteral("name"), folder()});
    ASSERT_FALSE(only32.isEmpty());
    for (const QString& mode : field(only32, "mode"))
        EXPECT_EQ(mode, QStringLiteral("i386"));
    const QStringList names = field(only32, "name");
    QStringList sorted = names;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, sorted);

    const QJsonArray named = json({QStringLiteral("--name"), QStringLiteral("harb"), folder()});
    const QStringList namedNames = field(named, "name");
    EXPECT_EQ(QSet<QString>(namedNames.begin(), namedNames.end()),
              (QSet<QString>{QStringLiteral("Harbor Mail"), QStringLiteral("Harbor Uploader")}));
    const QJsonArray combined = json({QStringLiteral("--name"), QStringLiteral("HARB"), QStringLiteral("--mode"),
                                      QStringLiteral("32"), folder()});
    EXPECT_TRUE(combined.isEmpty()) << "both Harbor applications are 64-bit";

    // The folder rule: a shallow folder leaves out deeper folders of the list.
    const QJsonArray top = json({QStringLiteral("--folder"), folder(), folder()});
    for (const QString& path : field(top, "path"))
        EXPECT_FALSE(path.contains(QStringLiteral("/Utilities/"))) << path.toStdString();
    const QJsonArray utilities = json({QStringLiteral("--folder"), folder() + QStringLiteral("/Utilities"), folder()});
    EXPECT_EQ(field(utilities, "name"), QStringList{QStringLiteral("Disk Mender")});
}

TEST_F(SurveyCliTest, TableAndCsvQuoteWhatTheyMust)
{
    const CliRun table = run({folder()});
    ASSERT_EQ(table.exitCode, 0);
    EXPECT_TRUE(table.out.startsWith(QStringLiteral("Name")));
    EXPECT_TRUE(table.out.contains(QStringLiteral("Grandma’s Recipes")));
    EXPECT_TRUE(table.out.trimmed().endsWith(QStringLiteral("apps")));

    const CliRun csv = run({QStringLiteral("--format"), QStringLiteral("csv"), folder()});
    ASSERT_EQ(csv.exitCode, 0);
    const QStringList lines = csv.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.first(), QStringLiteral("name,mode,path"));
    EXPECT_TRUE(lines.contains(QStringLiteral("\"Café Notes\",i386,\"%1/Café Notes.app\"").arg(folder())));
}

TEST_F(SurveyCliTest, FoldersAreListedWithTitles)
{
    const CliRun r = run({QStringLiteral("folders"), folder()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts),
              (QStringList{folder() + u'\t' + folder(),
                           folder() + QStringLiteral("/Utilities\t") + folder() + QStringLiteral("/Utilities")}));
}

TEST_F(SurveyCliTest, SetModeExportAndImportRoundTrip)
{
    const QString mail = folder() + QStringLiteral("/Harbor Mail.app");
    const QString settings = env_.applications() + QStringLiteral("/réglages “1”.plist");
    CliRun r = run({QStringLiteral("export"), settings});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("-10813"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(settings));

    ASSERT_EQ(run({QStringLiteral("set-mode"), QStringLiteral("i386"), mail}).exitCode, 0);
    EXPECT_EQ(field(json({QStringLiteral("--name"), QStringLiteral("Harbor Mail"), folder()}), "mode"),
              QStringList{QStringLiteral("i386")});
    ASSERT_EQ(run({QStringLiteral("export"), settings}).exitCode, 0);
    ASSERT_EQ(run({QStringLiteral("set-mode"), QStringLiteral("x86_64"), mail}).exitCode, 0);

    r = run({QStringLiteral("import"), settings, folder()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Harbor Mail: i386\t%1\n").arg(mail));
    r = run({QStringLiteral("import"), settings, folder()});
    EXPECT_TRUE(r.out.isEmpty()) << "already in the file's mode: nothing stored";
}

TEST_F(SurveyCliTest, FailuresNameTheStatusAndChangeNothing)
{
    CliRun r = run({env_.applications() + QStringLiteral("/missing")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("-43 fnfErr"))) << r.err.toStdString();
    EXPECT_EQ(r.err.count(u'\n'), 1) << "one line";

    r = run({QStringLiteral("set-mode"), QStringLiteral("i386"), env_.applications() + QStringLiteral("/Nope.app")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("-43")));

    QFile bad(env_.applications() + QStringLiteral("/bad.plist"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<plist><dict><key>x</key>");
    bad.close();
    r = run({QStringLiteral("import"), bad.fileName(), folder()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("-50 paramErr")));

    for (const QStringList& args : {QStringList{QStringLiteral("--format"), QStringLiteral("xml")},
                                    QStringList{QStringLiteral("--mode")},
                                    QStringList{QStringLiteral("--bogus")},
                                    QStringList{QStringLiteral("set-mode"), QStringLiteral("ppc"), folder()},
                                    QStringList{QStringLiteral("export")}}) {
        EXPECT_EQ(run(args).exitCode, 2) << args.join(u' ').toStdString();
    }
}

TEST_F(SurveyCliTest, AnotherVolumeIsListedWithoutItsMountPoint)
{
    // A tmpfs mounted in a private mount namespace stands for a second disk.
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        GTEST_SKIP() << "unshare is not installed";
    const QString mountPoint = env_.applications() + QStringLiteral("/Second Disk");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QString script = QStringLiteral(
        "mount -t tmpfs none \"$1\" || exit 77\n"
        "mkdir -p \"$1/Applications/Deep/er/still\" || exit 1\n"
        "cp -a \"$2\" \"$1/Applications/\" && cp -a \"$2\" \"$1/Applications/Deep/er/still/\" || exit 1\n"
        "exec \"$3\" folders \"$1\"\n");
    QProcess p;
    p.start(unshare, {QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"),
                      QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), mountPoint,
                      folder() + QStringLiteral("/Harbor Mail.app"), QStringLiteral(CORVANE_SURVEY_PROGRAM)});
    ASSERT_TRUE(p.waitForFinished(60000));
    if (p.exitCode() == 77 || p.readAllStandardError().contains("unshare failed"))
        GTEST_SKIP() << "cannot mount a file system here";
    ASSERT_EQ(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    // Titles leave out the mount point's three components, and the depth limit
    // grows by them: the deepest bundle is filed three folders below the root.
    EXPECT_EQ(lines, (QStringList{QStringLiteral("/Applications\t") + mountPoint + QStringLiteral("/Applications"),
                                  QStringLiteral("/Applications/Deep/er\t") + mountPoint +
                                      QStringLiteral("/Applications/Deep/er")}));
}
