#include "platform/registry/LauncherIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include <unistd.h>
#include <optional>

namespace corvane::registry {

namespace {

const QString kLauncherPid = QStringLiteral("CORVANE_LAUNCHER_PID");
const QString kLauncherStart = QStringLiteral("CORVANE_LAUNCHER_START");
const QString kLauncherBundle = QStringLiteral("CORVANE_LAUNCHER_BUNDLE");
const QString kLaunchFlags = QStringLiteral("CORVANE_LAUNCH_FLAGS");
const QString kLauncherSignature = QStringLiteral("CORVANE_LAUNCHER_SIGNATURE");
const QString kLaunchedExecutable = QStringLiteral("CORVANE_LAUNCHED_EXECUTABLE");

const QStringList& allVariables()
{
    static const QStringList names{kLauncherPid,
                                   kLauncherStart,
                                   kLauncherBundle,
                                   kLaunchFlags,
                                   kLauncherSignature,
                                   kLaunchedExecutable,
                                   QString(kLaunchedPidVariable)};
    return names;
}

std::optional<std::uint32_t> number(const QProcessEnvironment& env, const QString& name)
{
    bool ok = false;
    const std::uint32_t value = env.value(name).trimmed().toUInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString ownExecutable()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

}  // namespace

LauncherIdentity launcherIdentityFromEnvironment(const QProcessEnvironment& env, pid_t pid,
                                                 const QString& executablePath)
{
    LauncherIdentity identity;
    if (env.value(kLauncherSignature) == kLoginWindowSignature) {
        const QString meant = QFileInfo(env.value(kLaunchedExecutable)).canonicalFilePath();
        if (!meant.isEmpty() && meant == QFileInfo(executablePath).canonicalFilePath())
            identity.kind = LauncherIdentity::Kind::LoginWindow;
        return identity;
    }
    const auto launched = number(env, kLaunchedPidVariable);
    const auto launcherPid = number(env, kLauncherPid);
    const auto launcherStart = number(env, kLauncherStart);
    if (!launched || pid_t(*launched) != pid || !launcherPid || *launcherPid == 0 || !launcherStart)
        return identity;
    identity.kind = LauncherIdentity::Kind::Process;
    identity.launcher = SerialNumber{*launcherStart, *launcherPid};
    identity.launcherBundlePath = env.value(kLauncherBundle);
    identity.flags = number(env, kLaunchFlags).value_or(0);
    return identity;
}

LauncherIdentity takeLauncherIdentity()
{
    static QMutex mutex;
    static std::optional<LauncherIdentity> taken;
    const QMutexLocker lock(&mutex);
    if (!taken) {
        taken = launcherIdentityFromEnvironment(QProcessEnvironment::systemEnvironment(),
                                                ::getpid(), ownExecutable());
        for (const QString& name : allVariables())
            qunsetenv(name.toLatin1().constData());
    }
    return *taken;
}

QStringList launcherEnvironment(LaunchFlags flags)
{
    const SerialNumber self = SerialNumber::forProcess(::getpid());
    QStringList vars{
        kLauncherPid + u'=' + QString::number(self.low),
        kLauncherStart + u'=' + QString::number(self.high),
        kLaunchFlags + u'=' + QString::number(flags),
    };
    const QString bundle = mainBundlePath();
    if (!bundle.isEmpty())
        vars.append(kLauncherBundle + u'=' + bundle);
    return vars;
}

QStringList childEnvironment(const QStringList& additions)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : allVariables())
        env.remove(name);
    QStringList result = env.toStringList();
    result += additions;
    return result;
}

QStringList loginItemEnvironment(const QString& executablePath)
{
    return {kLauncherSignature + u'=' + kLoginWindowSignature,
            kLaunchedExecutable + u'=' + executablePath};
}

QString bundleOfExecutable(const QString& executablePath)
{
    const QString folder = QFileInfo(executablePath).absolutePath();  // .../X.app/Contents/MacOS
    if (QFileInfo(folder).fileName() != QStringLiteral("MacOS"))
        return {};
    const QString contents = QFileInfo(folder).absolutePath();
    if (QFileInfo(contents).fileName() != QStringLiteral("Contents"))
        return {};
    const QString bundle = QFileInfo(contents).absolutePath();
    const QString name = QFileInfo(bundle).fileName();
    if (name.size() <= 4 || !name.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive))
        return {};
    return QDir::cleanPath(bundle);
}

QString mainBundlePath()
{
    return bundleOfExecutable(ownExecutable());
}

}  // namespace corvane::registry
