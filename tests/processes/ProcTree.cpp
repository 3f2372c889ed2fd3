#include "tests/processes/ProcTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane::fixtures {

QByteArray statLine(const StatRecordFields& s)
{
    // Fields 3 to 52 of a real line, with the members of record in place.
    return QByteArray::number(s.pid) + " (" + s.name + ") " + QByteArray(1, s.state) +
           " 1 1 1 0 -1 4194560 100 0 0 0 " + QByteArray::number(s.userTicks) + ' ' +
           QByteArray::number(s.systemTicks) + " 0 0 20 0 " + QByteArray::number(s.threads) +
           " 0 " + QByteArray::number(s.startTicks) + " 100000000 " +
           QByteArray::number(s.residentPages) +
           " 18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 1 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
}

ProcTree::ProcTree() = default;

QByteArray ProcTree::root() const
{
    return QFile::encodeName(dir_.path());
}

QString ProcTree::path(const QString& relative) const
{
    return dir_.filePath(relative);
}

void ProcTree::writeFile(const QString& relative, const QByteArray& bytes)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).path());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void ProcTree::writeProcess(const StatRecordFields& record)
{
    const QString pid = QString::number(record.pid);
    writeFile(pid + QStringLiteral("/stat"), statLine(record));
    writeThread(record.pid, record);
}

void ProcTree::writeThread(pid_t pid, const StatRecordFields& record)
{
    writeFile(QStringLiteral("%1/task/%2/stat").arg(pid).arg(record.pid), statLine(record));
}

void ProcTree::writeMeminfo(std::uint64_t totalKiB)
{
    writeFile(QStringLiteral("meminfo"), "MemTotal:       " + QByteArray::number(totalKiB) +
                                             " kB\nMemFree:          100 kB\n");
}

void ProcTree::link(const QString& relative, const QString& target)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).path());
    QFile::remove(p);
    QFile::link(target, p);
}

void ProcTree::makeFolder(const QString& relative)
{
    QDir().mkpath(path(relative));
}

void ProcTree::remove(const QString& relative)
{
    const QString p = path(relative);
    if (QFileInfo(p).isDir() && !QFileInfo(p).isSymLink())
        QDir(p).removeRecursively();
    else
        QFile::remove(p);
}

}  // namespace corvane::fixtures
