#include "platform/registry/RunningCopies.h"

#include "platform/bundles/Bundle.h"
#include "platform/foundation/FileIO.h"
#include "platform/processes/ProcStat.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <unistd.h>
#include <algorithm>
#include <climits>

namespace corvane::registry {

namespace {

constexpr qint64 kMaxCommandLineBytes = 16 * 1024;
// A script runs as "interpreter [one option] script ...": the script is
// among the first three arguments.
constexpr int kScriptArgumentPositions = 3;

QString executableOf(pid_t pid)
{
    char target[PATH_MAX];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    if (n <= 0)
        return {};
    QString path = QFile::decodeName(QByteArray(target, int(n)));
    if (path.endsWith(QStringLiteral(" (deleted)")))
        path.chop(10);
    return path;
}

QByteArray commandLineOf(pid_t pid)
{
    const QString path = QStringLiteral("/proc/%1/cmdline").arg(pid);
    return readFileHead(path, kMaxCommandLineBytes).value_or(QByteArray());
}

struct BundlePaths {
    QString bundle;       // canonical
    QString executable;   // canonical, or empty
    QString interpreter;  // canonical; empty when the executable is no script
};

// The interpreter a "#!" line names, resolved; "*" when it is run through
// env, which may start any program.
QString interpreterOf(const QString& script)
{
    const QByteArray head = readFileHead(script, 256).value_or(QByteArray());
    if (!head.startsWith("#!"))
        return {};
    const QByteArray line = head.mid(2, head.indexOf('\n') - 2).trimmed();
    const QString program = QFile::decodeName(line.split(' ').value(0));
    const QString resolved = QFileInfo(program).canonicalFilePath();
    return QFileInfo(program).fileName() == QStringLiteral("env") ? QStringLiteral("*") : resolved;
}

BundlePaths canonicalPaths(const QString& bundlePath)
{
    BundlePaths p;
    p.bundle = QFileInfo(bundlePath).canonicalFilePath();
    if (const auto bundle = Bundle::open(bundlePath)) {
        p.executable = QFileInfo(bundle->executablePath()).canonicalFilePath();
        if (!p.executable.isEmpty())
            p.interpreter = interpreterOf(p.executable);
    }
    return p;
}

bool runsBundle(pid_t pid, const BundlePaths& p)
{
    const QString exe = executableOf(pid);
    if (exe.isEmpty())
        return false;  // gone, a kernel thread, a zombie or another user's
    if (!p.interpreter.isEmpty() && p.interpreter != u'*' && exe != p.interpreter &&
        !exe.startsWith(p.bundle + u'/'))
        return false;  // not the script's interpreter: an editor, a viewer, ...
    return processRunsBundle(exe, commandLineOf(pid), p.bundle,
                             p.interpreter.isEmpty() ? QString() : p.executable);
}

}  // namespace

bool processRunsBundle(const QString& exe, const QByteArray& commandLine,
                       const QString& canonicalBundle, const QString& canonicalExecutable)
{
    if (canonicalBundle.isEmpty())
        return false;
    if (exe.startsWith(canonicalBundle + u'/'))
        return true;
    if (canonicalExecutable.isEmpty())
        return false;
    const QList<QByteArray> args = commandLine.split('\0');
    for (int i = 1; i < std::min<int>(int(args.size()), kScriptArgumentPositions); ++i) {
        const QString arg = QFile::decodeName(args.at(i));
        if (QDir::isAbsolutePath(arg) && QDir::cleanPath(arg) == canonicalExecutable)
            return true;
    }
    return false;
}

bool isCopyOfBundle(pid_t pid, const QString& bundlePath)
{
    return runsBundle(pid, canonicalPaths(bundlePath));
}

QList<pid_t> runningCopiesOfBundle(const QString& bundlePath)
{
    const BundlePaths p = canonicalPaths(bundlePath);
    if (p.bundle.isEmpty())
        return {};
    QList<QPair<std::uint64_t, pid_t>> found;  // start time, pid
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return {};
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || !runsBundle(pid_t(pid), p))
            continue;
        if (const auto stat = proc::readStat(pid_t(pid)))
            found.append({stat->startTicks, pid_t(pid)});
    }
    ::closedir(proc);
    std::sort(found.begin(), found.end());
    QList<pid_t> pids;
    for (const auto& [start, pid] : found)
        pids.append(pid);
    return pids;
}

}  // namespace corvane::registry
