#include "tests/samples/SampleTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace corvane::samples::test {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kGeneratorTimeoutMs = 120'000;

// Reads the JSON fields of one manifest entry; false names the bad field.
class EntryReader {
public:
    explicit EntryReader(const QJsonObject& o) : o_(o) {}

    QString string(const QString& key)
    {
        const QJsonValue v = o_.value(key);
        if (!v.isString())
            fail(key);
        return v.toString();
    }
    std::optional<QString> optionalString(const QString& key)
    {
        const QJsonValue v = o_.value(key);
        if (v.isUndefined() || v.isNull())
            return std::nullopt;
        return string(key);
    }
    bool boolean(const QString& key)
    {
        const QJsonValue v = o_.value(key);
        if (!v.isBool())
            fail(key);
        return v.toBool();
    }
    QStringList strings(const QString& key)
    {
        QStringList list;
        const QJsonValue v = o_.value(key);
        if (!v.isArray())
            fail(key);
        for (const QJsonValue& item : v.toArray()) {
            if (!item.isString())
                fail(key);
            list.append(item.toString());
        }
        return list;
    }
    const QString& badField() const { return bad_; }

private:
    void fail(const QString& key)
    {
        if (bad_.isEmpty())
            bad_ = key;
    }

    QJsonObject o_;
    QString bad_;
};

ManifestEntry readEntry(const QJsonObject& o, QString* badField)
{
    EntryReader r(o);
    ManifestEntry e;
    e.path = r.string(u"path"_s);
    e.name = r.string(u"name"_s);
    e.identifier = r.optionalString(u"identifier"_s);
    e.version = r.string(u"version"_s);
    e.shortVersion = r.string(u"shortVersion"_s);
    e.architectures = r.strings(u"architectures"_s);
    e.executable = r.string(u"executable"_s);
    e.runnable = r.boolean(u"runnable"_s);
    e.infoPlist = r.string(u"infoPlist"_s);
    e.iconFile = r.string(u"iconFile"_s);
    e.listed = r.boolean(u"listed"_s);
    e.mode = r.optionalString(u"mode"_s);
    e.why = r.string(u"why"_s);
    *badField = r.badField();
    return e;
}

}  // namespace

GeneratorRun runGenerator(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(CORVANE_MAKE_SAMPLES_PROGRAM), arguments);
    GeneratorRun run;
    run.finished = process.waitForFinished(kGeneratorTimeoutMs) &&
                   process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

std::optional<Manifest> readManifest(const QString& file, QString* error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = u"cannot open "_s + file;
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &parseError);
    const QJsonObject root = doc.object();
    if (!doc.isObject() || !root.value(u"bundles"_s).isArray()) {
        *error = u"not a manifest: "_s + parseError.errorString();
        return std::nullopt;
    }
    Manifest manifest;
    manifest.systemVersion = root.value(u"systemVersion"_s).toString();
    for (const QJsonValue& item : root.value(u"bundles"_s).toArray()) {
        QString badField;
        manifest.bundles.push_back(readEntry(item.toObject(), &badField));
        if (!badField.isEmpty()) {
            *error = u"entry %1 has a bad \"%2\""_s.arg(manifest.bundles.size()).arg(badField);
            return std::nullopt;
        }
    }
    return manifest;
}

QMap<QString, QByteArray> snapshotTree(const QString& root)
{
    QMap<QString, QByteArray> tree;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString relative = base.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            tree.insert(relative, QByteArrayLiteral("<link>"));
        } else if (info.isDir()) {
            tree.insert(relative, QByteArrayLiteral("<dir>"));
        } else {
            QFile f(info.filePath());
            const QByteArray mode = info.permission(QFile::ExeOwner) ? "x " : "- ";
            tree.insert(relative, f.open(QIODevice::ReadOnly) ? QByteArray(mode + f.readAll())
                                                              : QByteArrayLiteral("<unreadable>"));
        }
    }
    return tree;
}

const GeneratedSamples& generatedSamples()
{
    static QTemporaryDir temporary(temporaryFolderTemplate());
    static const GeneratedSamples samples = [] {
        GeneratedSamples g;
        g.folder = temporary.filePath(u"Sample Applications"_s);
        g.manifestFile = temporary.filePath(u"manifest folder/samples.json"_s);
        g.run = runGenerator({g.folder, u"--manifest"_s, g.manifestFile});
        if (!temporary.isValid())
            g.problem = u"no temporary folder"_s;
        else if (!g.run.finished || g.run.exitCode != 0)
            g.problem = u"the generator failed: "_s + g.run.err;
        else if (auto manifest = readManifest(g.manifestFile, &g.problem))
            g.manifest = *manifest;
        return g;
    }();
    return samples;
}

QString bundlePath(const GeneratedSamples& samples, const ManifestEntry& entry)
{
    return samples.folder + u'/' + entry.path;
}

QString temporaryFolderTemplate()
{
    return QDir::tempPath() + u"/corvane samples é XXXXXX"_s;
}

}  // namespace corvane::samples::test
