#include "samples/SampleManifest.h"

#include "platform/bundles/ExecutableArchitectures.h"
#include "samples/SampleCatalog.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

namespace corvane::samples {

using namespace Qt::Literals::StringLiterals;

namespace {

QString programName(ProgramKind kind)
{
    switch (kind) {
    case ProgramKind::Elf:
        return u"elf"_s;
    case ProgramKind::Script:
        return u"script"_s;
    case ProgramKind::MachO:
        break;
    }
    return u"mach-o"_s;
}

QJsonArray architectureNames(const std::vector<std::int32_t>& cpuTypes)
{
    QJsonArray names;
    for (std::int32_t cpuType : cpuTypes)
        names.append(architectureName(cpuType));
    return names;
}

QJsonObject entryFor(const SampleBundle& b)
{
    QJsonObject o;
    o.insert(u"path"_s, b.path);
    o.insert(u"name"_s, b.displayName());
    o.insert(u"identifier"_s, b.identifier.isEmpty() ? QJsonValue() : QJsonValue(b.identifier));
    o.insert(u"version"_s, b.version);
    o.insert(u"shortVersion"_s, b.shortVersion);
    o.insert(u"architectures"_s, architectureNames(b.architectures));
    o.insert(u"executable"_s, programName(b.program));
    o.insert(u"runnable"_s, b.runnable());
    o.insert(u"infoPlist"_s, b.infoFormat == InfoFormat::Binary ? u"binary"_s : u"xml"_s);
    o.insert(u"iconFile"_s, b.iconFileName());
    o.insert(u"listed"_s, b.expected.listed);
    if (b.expected.listed)
        o.insert(u"mode"_s, launchModeName(b.expected.mode));
    o.insert(u"why"_s, b.expected.why);
    return o;
}

}  // namespace

QJsonDocument sampleManifest()
{
    QJsonArray bundles;
    for (const SampleBundle& b : sampleCatalog())
        bundles.append(entryFor(b));
    QJsonObject root;
    root.insert(u"systemVersion"_s, QString(kAssumedSystemVersion));
    root.insert(u"minimumVersionList"_s, QJsonValue());
    root.insert(u"architectureSettings"_s, QJsonValue());
    root.insert(u"bundles"_s, bundles);
    return QJsonDocument(root);
}

bool writeSampleManifest(const QString& file, QString* error)
{
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = u"cannot create "_s + folder;
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(sampleManifest().toJson()) < 0 ||
        !out.commit()) {
        *error = u"cannot write "_s + file + u": "_s + out.errorString();
        return false;
    }
    return true;
}

}  // namespace corvane::samples
