#include "samples/SampleFolder.h"

#include "samples/SampleCatalog.h"
#include "samples/SampleIcons.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/fixtures/Executables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstddef>

namespace corvane::samples {

// Generated at build time from the native sample program (NativeProgramData.cpp).
extern const unsigned char kNativeSampleProgram[];
extern const std::size_t kNativeSampleProgramSize;

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray kMarkerText = QByteArrayLiteral(
    "Written by corvane-make-samples, which replaces this bundle when it runs "
    "again.\n");

bool isNestedInAnother(const SampleBundle& bundle, const std::vector<SampleBundle>& catalog)
{
    for (const SampleBundle& other : catalog) {
        if (bundle.path.startsWith(other.path + u'/'))
            return true;
    }
    return false;
}

// Why the folder at target may not be replaced; empty when it is absent or
// is a bundle this generator wrote.
QString obstacleAt(const QString& target)
{
    const QFileInfo info(target);
    if (info.isSymLink())
        return target + u" is a symbolic link"_s;
    if (!info.exists())
        return {};
    if (!info.isDir())
        return target + u" is not a folder"_s;
    if (!QFileInfo(target + u'/' + kMarkerFile).isFile())
        return target + u" was not written by corvane-make-samples"_s;
    return {};
}

QString parentFolderOf(const QString& folder, const SampleBundle& bundle)
{
    const qsizetype slash = bundle.path.lastIndexOf(u'/');
    return slash < 0 ? folder : folder + u'/' + bundle.path.left(slash);
}

QByteArray executableFor(const SampleBundle& bundle)
{
    switch (bundle.program) {
    case ProgramKind::Elf:
        return nativeSampleProgram();
    case ProgramKind::Script:
        return sampleScript(bundle.displayName());
    case ProgramKind::MachO:
        break;
    }
    return fixtures::machOWithArchitectures(bundle.architectures);
}

void setCommonKeys(fixtures::BundleBuilder& builder, const SampleBundle& bundle)
{
    if (!bundle.identifier.isEmpty())
        builder.identifier(bundle.identifier);
    builder.version(bundle.version, bundle.shortVersion)
        .set(u"NSHumanReadableCopyright"_s, bundle.copyright)
        .set(u"CFBundleDevelopmentRegion"_s, u"en"_s)
        .set(u"CFBundleSignature"_s, u"????"_s);
    if (bundle.program == ProgramKind::MachO)
        builder.set(u"NSPrincipalClass"_s, u"NSApplication"_s);
    for (auto it = bundle.declarations.cbegin(); it != bundle.declarations.cend(); ++it)
        builder.set(it.key(), it.value());
}

// Writes one bundle; returns its path, or an empty string with error set.
QString writeBundle(const QString& folder, const SampleBundle& bundle, int index, QString* error)
{
    const QImage image = paintSampleIcon(bundle.displayName(), sampleIconColor(index));
    const std::optional<QByteArray> icon = encodeIcns(image, error);
    if (!icon)
        return {};
    fixtures::BundleBuilder builder(parentFolderOf(folder, bundle), bundle.fileName());
    setCommonKeys(builder, bundle);
    builder.binaryInfoPlist(bundle.infoFormat == InfoFormat::Binary)
        .executableBytes(executableFor(bundle))
        .icon(*icon, bundle.iconFileName())
        .set(u"CFBundleIconFile"_s, bundle.iconFile);
    const QString written = builder.build();
    if (written.isEmpty())
        *error = u"cannot write "_s + QDir(folder).filePath(bundle.path);
    return written;
}

bool writeMarker(const QString& bundlePath)
{
    const QString marker = bundlePath + u'/' + kMarkerFile;
    if (!QDir().mkpath(QFileInfo(marker).path()))
        return false;
    QFile f(marker);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(kMarkerText) == kMarkerText.size();
}

// Checks every replaceable bundle first, so a run that stops removes nothing.
QString removePreviousBundles(const QString& folder, const std::vector<const SampleBundle*>& tops)
{
    for (const SampleBundle* bundle : tops) {
        const QString problem = obstacleAt(folder + u'/' + bundle->path);
        if (!problem.isEmpty())
            return u"refusing to replace "_s + problem;
    }
    for (const SampleBundle* bundle : tops) {
        QDir previous(folder + u'/' + bundle->path);
        if (previous.exists() && !previous.removeRecursively())
            return u"cannot remove the earlier "_s + previous.path();
    }
    return {};
}

QString prepareFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return folder + u" exists and is not a folder"_s;
    if (!QDir().mkpath(folder))
        return u"cannot create "_s + folder;
    return {};
}

}  // namespace

QByteArray nativeSampleProgram()
{
    return QByteArray(reinterpret_cast<const char*>(kNativeSampleProgram),
                      static_cast<qsizetype>(kNativeSampleProgramSize));
}

QByteArray sampleScript(const QString& name)
{
    QString quoted = name + u" is running"_s;
    quoted.replace(u'\'', u"'\\''"_s);
    return fixtures::shellScript(u"printf '%s\\n' '"_s + quoted + u"'\nexit 0\n"_s);
}

WriteResult writeSampleFolder(const QString& folder)
{
    WriteResult result;
    const std::vector<SampleBundle>& catalog = sampleCatalog();
    std::vector<const SampleBundle*> tops;
    for (const SampleBundle& bundle : catalog) {
        if (!isNestedInAnother(bundle, catalog))
            tops.push_back(&bundle);
    }
    result.error = prepareFolder(folder);
    if (result.error.isEmpty())
        result.error = removePreviousBundles(folder, tops);
    if (!result.error.isEmpty())
        return result;

    for (size_t i = 0; i < catalog.size(); ++i) {
        const SampleBundle& bundle = catalog[i];
        // The marker comes first: a run cut short leaves bundles the next run
        // may still replace.
        if (!isNestedInAnother(bundle, catalog) && !writeMarker(folder + u'/' + bundle.path)) {
            result.error = u"cannot write into "_s + QDir(folder).filePath(bundle.path);
            return result;
        }
        if (writeBundle(folder, bundle, static_cast<int>(i), &result.error).isEmpty())
            return result;
        result.written.append(bundle.path);
    }
    result.ok = true;
    return result;
}

}  // namespace corvane::samples
