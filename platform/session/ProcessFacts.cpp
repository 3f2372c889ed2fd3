#include "platform/session/ProcessFacts.h"

#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/windowserver/ProcText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace corvane::session {

namespace {

constexpr std::size_t kMaxCommandLine = 64 * 1024;

// The first two arguments of the process's command line.
QStringList firstArguments(pid_t pid)
{
    const auto cmdline = windowserver::readProcText(pid, "cmdline", kMaxCommandLine);
    if (!cmdline)
        return {};
    QStringList arguments;
    for (const QByteArray& part : cmdline->split('\0')) {
        if (arguments.size() == 2)
            break;
        arguments.append(QFile::decodeName(part));
    }
    return arguments;
}

QString withoutAppExtension(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".app")) ? fileName.chopped(4) : fileName;
}

std::int32_t runningArchitecture(pid_t pid, const QString& bundlePath)
{
    const auto running = readExecutableInfo(QStringLiteral("/proc/%1/exe").arg(pid)).architectures;
    if (running.size() == 1)
        return running.front();
    if (bundlePath.isEmpty())
        return 0;
    const auto bundle = Bundle::open(bundlePath);
    const auto declared = bundle ? bundle->executableArchitectures() : std::vector<std::int32_t>{};
    return declared.size() == 1 ? declared.front() : 0;
}

}  // namespace

QString bundleOfExecutable(const QString& executablePath)
{
    if (executablePath.isEmpty() || !executablePath.startsWith(QLatin1Char('/')))
        return {};
    const QString macos = QFileInfo(executablePath).path();
    if (QFileInfo(macos).fileName() != QLatin1String("MacOS"))
        return {};
    const QString contents = QFileInfo(macos).path();
    if (QFileInfo(contents).fileName() != QLatin1String("Contents"))
        return {};
    const QString bundle = QFileInfo(contents).path();
    if (bundle == QLatin1String("/") || QFileInfo(bundle).suffix().isEmpty())
        return {};
    return bundle;
}

QString bundleOfProcess(pid_t pid, const QString& executablePath)
{
    if (QString bundle = bundleOfExecutable(executablePath); !bundle.isEmpty())
        return bundle;
    // An interpreter running a bundle's script: "/bin/sh /x/Y.app/Contents/MacOS/Y".
    for (const QString& argument : firstArguments(pid)) {
        const QString bundle = bundleOfExecutable(QDir::cleanPath(argument));
        if (!bundle.isEmpty() && QFileInfo(argument).isFile())
            return bundle;
    }
    return {};
}

std::optional<ProcessFacts> readProcessFacts(pid_t pid, const QString& knownBundlePath)
{
    const auto comm = windowserver::readProcText(pid, "comm", 256);
    if (!comm)
        return std::nullopt;
    ProcessFacts facts;
    facts.pid = pid;
    facts.executablePath = windowserver::readProcLink(pid, "exe");
    facts.bundlePath = knownBundlePath.isEmpty() ? bundleOfProcess(pid, facts.executablePath)
                                                 : QDir::cleanPath(knownBundlePath);
    if (!facts.bundlePath.isEmpty()) {
        facts.displayName = withoutAppExtension(QFileInfo(facts.bundlePath).fileName());
        if (const auto bundle = Bundle::open(facts.bundlePath))
            facts.bundleIdentifier = bundle->identifier();
    } else if (!facts.executablePath.isEmpty()) {
        QString path = facts.executablePath;
        if (path.endsWith(QLatin1String(" (deleted)")))
            path.chop(10);
        facts.displayName = QFileInfo(path).fileName();
    }
    if (facts.displayName.isEmpty())
        facts.displayName = QString::fromUtf8(comm->trimmed());
    facts.architecture = runningArchitecture(pid, facts.bundlePath);
    return facts;
}

std::vector<pid_t> processesRunningFromBundle(const QString& bundlePath)
{
    const QString wanted = QFileInfo(bundlePath).canonicalFilePath();
    if (wanted.isEmpty())
        return {};
    std::vector<pid_t> found;
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const pid_t pid = static_cast<pid_t>(entry.toInt(&isNumber));
        if (!isNumber || pid <= 0)
            continue;
        const QString executable = windowserver::readProcLink(pid, "exe");
        if (executable.isEmpty())
            continue;  // another user's process, a kernel thread, or gone
        const QString bundle = bundleOfProcess(pid, executable);
        if (!bundle.isEmpty() && QFileInfo(bundle).canonicalFilePath() == wanted)
            found.push_back(pid);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace corvane::session
