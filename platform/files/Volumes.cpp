#include "platform/files/Volumes.h"

#include "platform/foundation/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>

namespace corvane::files {

namespace {

constexpr qint64 kMaxMountInfoBytes = 4 * 1024 * 1024;

const QStringList kPseudoFileSystems = {
    QStringLiteral("proc"),       QStringLiteral("sysfs"),     QStringLiteral("cgroup"),
    QStringLiteral("cgroup2"),    QStringLiteral("devpts"),    QStringLiteral("devtmpfs"),
    QStringLiteral("mqueue"),     QStringLiteral("securityfs"), QStringLiteral("debugfs"),
    QStringLiteral("tracefs"),    QStringLiteral("pstore"),    QStringLiteral("bpf"),
    QStringLiteral("configfs"),   QStringLiteral("fusectl"),   QStringLiteral("hugetlbfs"),
    QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"),
    QStringLiteral("rpc_pipefs"), QStringLiteral("nsfs"),
};

QByteArray unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int v = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && v < 256) {
                out += static_cast<char>(v);
                i += 3;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// Labels under /dev/disk/by-label spell unsafe bytes as \xHH.
QString decodeLabel(const QString& fileName)
{
    QByteArray in = QFile::encodeName(fileName);
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        bool ok = false;
        const int v = i + 3 < in.size() && in[i] == '\\' && in[i + 1] == 'x' ? in.mid(i + 2, 2).toInt(&ok, 16) : 0;
        if (ok) {
            out += static_cast<char>(v);
            i += 3;
        } else {
            out += in[i];
        }
    }
    return QString::fromUtf8(out);
}

std::optional<std::uint64_t> deviceOf(const QString& path)
{
    struct stat st {};
    if (::lstat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_dev);
}

QList<QByteArray> mountInfoLines()
{
    const auto bytes = readRegularFile(QStringLiteral("/proc/self/mountinfo"), kMaxMountInfoBytes);
    return bytes ? bytes->split('\n') : QList<QByteArray>();
}

}  // namespace

QString Volume::name() const
{
    const QDir labels(QStringLiteral("/dev/disk/by-label"));
    const QString sourceDevice = QFileInfo(source).canonicalFilePath();
    if (!sourceDevice.isEmpty()) {
        for (const QFileInfo& link : labels.entryInfoList(QDir::System | QDir::Files)) {
            if (link.canonicalFilePath() == sourceDevice)
                return decodeLabel(link.fileName());
        }
    }
    if (mountPoint == u'/')
        return QStringLiteral("Startup Disk");
    return QFileInfo(mountPoint).fileName();
}

std::optional<Volume> parseMountInfoLine(const QByteArray& line)
{
    const QList<QByteArray> fields = line.simplified().split(' ');
    const qsizetype separator = fields.indexOf(QByteArray("-"));
    if (fields.size() < 10 || separator < 6 || separator + 2 >= fields.size())
        return std::nullopt;
    if (!fields[4].startsWith('/'))
        return std::nullopt;
    Volume v;
    v.mountPoint = QFile::decodeName(unescape(fields[4]));
    v.fileSystemType = QString::fromUtf8(fields[separator + 1]);
    v.source = QFile::decodeName(unescape(fields[separator + 2]));
    return v;
}

QList<QByteArray> allMountPoints()
{
    QList<QByteArray> points;
    for (const QByteArray& line : mountInfoLines()) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 4 && fields[4].startsWith('/'))
            points << unescape(fields[4]);
    }
    return points;
}

QList<Volume> mountedVolumes()
{
    QList<Volume> volumes;
    const auto startupDevice = deviceOf(QStringLiteral("/"));
    for (const QByteArray& line : mountInfoLines()) {
        auto v = parseMountInfoLine(line);
        if (!v || kPseudoFileSystems.contains(v->fileSystemType))
            continue;
        const auto device = deviceOf(v->mountPoint);
        if (!device)
            continue;
        v->device = *device;
        v->isStartup = v->mountPoint == u'/';
        // A later mount on the same point hides the earlier one.
        volumes.removeIf([&](const Volume& seen) { return seen.mountPoint == v->mountPoint; });
        volumes.append(*v);
    }
    std::stable_partition(volumes.begin(), volumes.end(), [](const Volume& v) { return v.isStartup; });
    if (volumes.isEmpty() || !volumes.first().isStartup) {
        Volume root;
        root.mountPoint = QStringLiteral("/");
        root.device = startupDevice.value_or(0);
        root.isStartup = true;
        volumes.prepend(root);
    }
    return volumes;
}

std::optional<Volume> volumeContaining(const QString& path)
{
    const auto device = deviceOf(path);
    if (!device)
        return std::nullopt;
    // The deepest mount point above path, preferring one with the same
    // device (file systems such as btrfs give sub-volumes devices of their own).
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    std::optional<Volume> best;
    std::optional<Volume> sameDevice;
    for (const Volume& v : mountedVolumes()) {
        const bool above = v.mountPoint == u'/' || absolute == v.mountPoint ||
                           absolute.startsWith(v.mountPoint + u'/');
        if (!above)
            continue;
        if (!best || v.mountPoint.size() > best->mountPoint.size())
            best = v;
        if (v.device == *device && (!sameDevice || v.mountPoint.size() > sameDevice->mountPoint.size()))
            sameDevice = v;
    }
    return sameDevice ? sameDevice : best;
}

Volume startupVolume()
{
    return mountedVolumes().first();
}

}  // namespace corvane::files
