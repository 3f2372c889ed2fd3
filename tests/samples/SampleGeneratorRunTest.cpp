// Running the generator program: the same tree every time, re-runs that
// replace only its own bundles, refusals that remove nothing, and the exit
// status of command-line mistakes.
#include "tests/samples/SampleTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace corvane::samples::test;
using namespace Qt::Literals::StringLiterals;

namespace {

bool writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

QByteArray readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The first bundle of the manifest that lies directly in the output folder.
QString firstTopLevelBundle(const GeneratedSamples& samples)
{
    for (const ManifestEntry& e : samples.manifest.bundles) {
        if (!e.path.contains(u'/'))
            return e.path;
    }
    return {};
}

::testing::AssertionResult generates(const QString& folder)
{
    const GeneratorRun run = runGenerator({folder});
    if (run.finished && run.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "exit " << run.exitCode << ": " << run.err.toStdString();
}

class SampleGenerator : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid());
        ASSERT_TRUE(reference.problem.isEmpty()) << reference.problem.toStdString();
        topBundle = firstTopLevelBundle(reference);
        ASSERT_FALSE(topBundle.isEmpty());
    }

    QTemporaryDir temporary{temporaryFolderTemplate()};
    const GeneratedSamples& reference = generatedSamples();
    QString topBundle;  // a bundle name the generator writes at the top
};

}  // namespace

TEST_F(SampleGenerator, WritesTheSameTreeEveryTime)
{
    const QString folder = temporary.filePath(u"Applications"_s);
    ASSERT_TRUE(generates(folder));
    const QMap<QString, QByteArray> first = snapshotTree(folder);
    ASSERT_TRUE(generates(folder));
    const QMap<QString, QByteArray> second = snapshotTree(folder);

    EXPECT_GT(first.size(), 200);
    EXPECT_EQ(first.keys(), second.keys());
    EXPECT_TRUE(first == second) << "a file changed between two runs";
    // A fresh folder gets the very same bytes: nothing depends on time or place.
    EXPECT_TRUE(snapshotTree(reference.folder) == first);
}

TEST_F(SampleGenerator, SecondRunReplacesItsBundlesAndKeepsEverythingElse)
{
    const QString folder = temporary.filePath(u"Applications"_s);
    ASSERT_TRUE(generates(folder));
    const QMap<QString, QByteArray> clean = snapshotTree(folder);
    const QString stale = folder + u'/' + topBundle + u"/Contents/Resources/stale.txt"_s;
    const QString mine = folder + u"/My Own Tool.app/Contents/Info.plist"_s;
    const QString readMe = folder + u"/Read Me – first.txt"_s;
    const QString besideUtilities = folder + u"/Utilities/notes.txt"_s;
    ASSERT_TRUE(writeText(stale, "left from before"));
    ASSERT_TRUE(writeText(mine, "not a sample"));
    ASSERT_TRUE(writeText(readMe, "mine"));
    ASSERT_TRUE(writeText(besideUtilities, "mine too"));
    ASSERT_TRUE(QFile::remove(folder + u'/' + topBundle + u"/Contents/PkgInfo"_s));

    ASSERT_TRUE(generates(folder));
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_EQ(readText(mine), "not a sample");
    EXPECT_EQ(readText(readMe), "mine");
    EXPECT_EQ(readText(besideUtilities), "mine too");

    QMap<QString, QByteArray> after = snapshotTree(folder);
    for (const QString& own : {u"My Own Tool.app"_s, u"My Own Tool.app/Contents"_s,
                               u"My Own Tool.app/Contents/Info.plist"_s, u"Read Me – first.txt"_s,
                               u"Utilities/notes.txt"_s})
        EXPECT_EQ(after.remove(own), 1) << own.toStdString();
    EXPECT_TRUE(after == clean) << "the samples differ from a clean run";
}

TEST_F(SampleGenerator, RefusesToReplaceAFolderItDidNotWrite)
{
    const QString folder = temporary.filePath(u"Applications"_s);
    const QString keep = folder + u'/' + topBundle + u"/Contents/keep.txt"_s;
    ASSERT_TRUE(writeText(keep, "precious"));

    const GeneratorRun run = runGenerator({folder});
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(topBundle)) << run.err.toStdString();
    EXPECT_EQ(readText(keep), "precious");
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{topBundle})
        << "nothing is written when the run is refused";
}

TEST_F(SampleGenerator, RefusesToReplaceASymbolicLinkEvenToItsOwnBundle)
{
    const QString folder = temporary.filePath(u"Applications"_s);
    const QString elsewhere = temporary.filePath(u"Elsewhere"_s);
    ASSERT_TRUE(generates(elsewhere));
    const QMap<QString, QByteArray> before = snapshotTree(elsewhere);
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(elsewhere + u'/' + topBundle, folder + u'/' + topBundle));

    const GeneratorRun run = runGenerator({folder});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(snapshotTree(elsewhere) == before);
    EXPECT_TRUE(QFileInfo(folder + u'/' + topBundle).isSymLink());
}

TEST_F(SampleGenerator, ManifestReplacesAnOlderFileWithTheSameTable)
{
    const QString folder = temporary.filePath(u"Apps"_s);
    const QString manifest = temporary.filePath(u"deep/er folder/Manifest ü.json"_s);
    ASSERT_TRUE(writeText(manifest, "an older manifest"));
    const GeneratorRun run = runGenerator({folder, u"--manifest"_s, manifest});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QString error;
    const std::optional<Manifest> written = readManifest(manifest, &error);
    ASSERT_TRUE(written.has_value()) << error.toStdString();
    EXPECT_EQ(written->bundles.size(), reference.manifest.bundles.size());
    EXPECT_EQ(readText(manifest), readText(reference.manifestFile));
}

TEST_F(SampleGenerator, CommandLineMistakesAreRefused)
{
    const QString file = temporary.filePath(u"plain file"_s);
    ASSERT_TRUE(writeText(file, "x"));
    struct Mistake {
        QStringList arguments;
        int exitCode;
    };
    const Mistake mistakes[] = {
        {{}, 2},
        {{temporary.filePath(u"a"_s), temporary.filePath(u"b"_s)}, 2},
        {{temporary.filePath(u"a"_s), u"--bogus"_s}, 2},
        {{temporary.filePath(u"a"_s), u"--manifest"_s}, 2},
        {{file}, 1},
        {{temporary.filePath(u"c"_s), u"--manifest"_s, file + u"/under a file.json"_s}, 1},
    };
    for (const Mistake& m : mistakes) {
        SCOPED_TRACE(m.arguments.join(u" | "_s).toStdString());
        const GeneratorRun run = runGenerator(m.arguments);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, m.exitCode);
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_EQ(readText(file), "x");
    EXPECT_FALSE(QFileInfo::exists(temporary.filePath(u"a"_s)));
}
