// Helpers of the sample-folder tests: running the generator program, reading
// its manifest and taking snapshots of the trees it writes.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace corvane::samples::test {

struct GeneratorRun {
    bool finished = false;  // started and ended by itself within the time limit
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs corvane-make-samples with the arguments.
GeneratorRun runGenerator(const QStringList& arguments);

struct ManifestEntry {
    QString path;
    QString name;
    std::optional<QString> identifier;
    QString version;
    QString shortVersion;
    QStringList architectures;
    QString executable;  // "mach-o", "elf" or "script"
    bool runnable = false;
    QString infoPlist;  // "xml" or "binary"
    QString iconFile;
    bool listed = false;
    std::optional<QString> mode;
    QString why;
};

struct Manifest {
    QString systemVersion;
    std::vector<ManifestEntry> bundles;
};

// Reads a manifest file; nothing (with error set) when it is missing, not
// JSON, or an entry lacks a field or has one of the wrong type.
std::optional<Manifest> readManifest(const QString& file, QString* error);

// Every file and folder under root by relative path: folders map to "<dir>",
// files to their bytes behind an "x " or "- " prefix for the owner's execute
// permission, symbolic links to "<link>".
QMap<QString, QByteArray> snapshotTree(const QString& root);

// The sample folder generated once per test program, with its manifest, in a
// temporary folder that lives until the program ends.
struct GeneratedSamples {
    QString folder;  // the output folder; its path has spaces
    QString manifestFile;
    Manifest manifest;
    GeneratorRun run;
    QString problem;  // why generating failed; empty on success
};
const GeneratedSamples& generatedSamples();

// The folder of the bundle at a manifest path.
QString bundlePath(const GeneratedSamples& samples, const ManifestEntry& entry);

// A QTemporaryDir template whose paths have spaces and a non-ASCII letter.
QString temporaryFolderTemplate();

}  // namespace corvane::samples::test
