#include "platform/registry/Launching.h"

#include "platform/bundles/Bundle.h"
#include "platform/bundles/ExecutableArchitectures.h"
#include "platform/foundation/FileIO.h"
#include "platform/registry/ApplicationRegistry.h"
#include "platform/registry/DesktopLaunch.h"
#include "platform/registry/DocumentHandlers.h"
#include "platform/registry/LauncherIdentity.h"
#include "platform/registry/ProcessSpawn.h"
#include "platform/registry/RunningCopies.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>

namespace corvane::registry {

namespace {

constexpr qsizetype kMaxLaunchRecords = 1024;

QMutex stateMutex;
Activator& activatorSlot()
{
    static Activator activator;  // guarded by stateMutex
    return activator;
}
LaunchObserver& observerSlot()
{
    static LaunchObserver observer;  // guarded by stateMutex
    return observer;
}
QList<LaunchRecord>& records()
{
    static QList<LaunchRecord> list;  // guarded by stateMutex
    return list;
}

bool activate(pid_t pid)
{
    Activator activator;
    {
        const QMutexLocker lock(&stateMutex);
        activator = activatorSlot();
    }
    if (!activator)
        return true;  // no desktop session service yet: the copy counts as found
    return activator(pid);
}

void record(const LaunchRecord& r)
{
    LaunchObserver observer;
    {
        const QMutexLocker lock(&stateMutex);
        records().append(r);
        if (records().size() > kMaxLaunchRecords)
            records().removeFirst();
        observer = observerSlot();
    }
    if (observer)
        observer(r);
}

// The status for an exec that failed with err; the file exists when a
// missing interpreter or loader caused the ENOENT.
OSStatus execStatus(int err, const QString& program)
{
    switch (err) {
    case ENOEXEC:
    case ELIBBAD:
        return status::kLSExecutableIncorrectFormat;
    case ENOENT:
        return QFileInfo::exists(program) ? status::kLSExecutableIncorrectFormat
                                          : status::kLSNoExecutableErr;
    case EACCES:
    case EPERM:
        return status::permErr;
    default:
        return statusFromErrno(err);
    }
}

OSStatus spawn(const QString& program, const QStringList& arguments, const QString& workingDir,
               const LaunchParameters& p, const QString& applicationPath, SerialNumber* launched)
{
    SpawnRequest request;
    request.program = program;
    request.arguments = arguments;
    request.workingDirectory = workingDir.isEmpty() ? QDir::homePath() : workingDir;
    request.environment = childEnvironment(launcherEnvironment(p.flags) + p.environment);
    request.ownPidVariable = QString(kLaunchedPidVariable).toLatin1();
    const SpawnResult result = spawnDetached(request);
    if (!result.started())
        return execStatus(result.error, program);
    record({result.serial, applicationPath, p.flags});
    if (launched)
        *launched = result.serial;
    return status::noErr;
}

bool isApplicationPackageName(const QString& name)
{
    return name.size() > 4 && name.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive);
}

// Arguments for a bundle: document paths or addresses, then the extra ones.
QStringList documentArguments(const QList<QUrl>& documents)
{
    QStringList args;
    for (const QUrl& url : documents)
        args.append(url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded));
    return args;
}

OSStatus launchBundle(const QString& path, const QList<QUrl>& documents, const LaunchParameters& p,
                      SerialNumber* launched)
{
    if (!isApplicationPackageName(QFileInfo(path).fileName()))
        return status::kLSNotAnApplicationErr;
    const bool withParameters = !(p.flags & launch::kNoParams);
    const bool hasDocuments = withParameters && !documents.isEmpty();
    if (!(p.flags & launch::kNewInstance) && !hasDocuments) {
        const QList<pid_t> copies = runningCopiesOfBundle(path);
        if (!copies.isEmpty()) {
            if (!(p.flags & launch::kDontSwitch) && !activate(copies.first()))
                qWarning("%s: the running copy could not be brought forward", qPrintable(path));
            if (launched)
                *launched = SerialNumber::forProcess(copies.first());
            return status::noErr;
        }
    }
    const auto bundle = Bundle::open(path);
    const QString exe = bundle ? bundle->executablePath() : QString();
    if (exe.isEmpty())
        return status::kLSNoExecutableErr;
    const ExecutableKind kind = readExecutableInfo(exe).kind;
    if (kind == ExecutableKind::MachOThin || kind == ExecutableKind::MachOUniversal)
        return status::kLSExecutableIncorrectFormat;
    const QStringList args =
        withParameters ? documentArguments(documents) + p.arguments : QStringList();
    const OSStatus s = spawn(exe, args, {}, p, path, launched);
    if (s == status::noErr)
        registerApplication(path, true);
    return s;
}

OSStatus launchDesktopEntry(const QString& path, const QList<QUrl>& documents,
                            const LaunchParameters& p, QList<SerialNumber>* launched)
{
    const auto entry = DesktopEntry::readFile(path);
    if (!entry)
        return status::kLSNotAnApplicationErr;
    QList<DesktopCommand> commands;
    const QList<QUrl> passed = (p.flags & launch::kNoParams) ? QList<QUrl>() : documents;
    if (const OSStatus s = desktopCommands(*entry, passed, &commands); s != status::noErr)
        return s;
    for (const DesktopCommand& c : commands) {
        SerialNumber serial;
        if (const OSStatus s = spawn(c.program, c.arguments, c.workingDirectory, p, path, &serial);
            s != status::noErr)
            return s;
        if (launched)
            launched->append(serial);
    }
    return status::noErr;
}

// Launches the application of p with the documents.
OSStatus launchWith(const LaunchParameters& p, const QList<QUrl>& documents,
                    QList<SerialNumber>* launched)
{
    if (!p.application.isLocalFile() || p.application.toLocalFile().isEmpty())
        return status::paramErr;
    const QString path = QDir::cleanPath(QFileInfo(p.application.toLocalFile()).absoluteFilePath());
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return statusFromErrno(errno);
    if (S_ISREG(st.st_mode) && path.endsWith(QStringLiteral(".desktop")))
        return launchDesktopEntry(path, documents, p, launched);
    if (!S_ISDIR(st.st_mode))
        return status::kLSNotAnApplicationErr;
    SerialNumber serial;
    const OSStatus s = launchBundle(path, documents, p, &serial);
    if (s == status::noErr && launched)
        launched->append(serial);
    return s;
}

}  // namespace

OSStatus openApplication(const LaunchParameters& parameters, SerialNumber* launched)
{
    QList<SerialNumber> serials;
    const OSStatus s = launchWith(parameters, {}, &serials);
    if (s == status::noErr && launched)
        *launched = serials.value(0);
    return s;
}

OSStatus openURLsWithRole(const QList<QUrl>& documents, RolesMask roles,
                          const LaunchParameters& parameters, QList<SerialNumber>* launched)
{
    if (!parameters.application.isEmpty())
        return launchWith(parameters, documents, launched);
    // Each document with its own default application, one launch per application.
    OSStatus first = status::noErr;
    QList<QPair<QUrl, QList<QUrl>>> groups;
    for (const QUrl& doc : documents) {
        QUrl app;
        if (const OSStatus s = defaultApplicationForURL(doc, roles, &app); s != status::noErr) {
            first = first == status::noErr ? s : first;
            continue;
        }
        // An application package is its own default: it starts, and is not
        // handed itself as a document.
        const bool isItself = doc.isLocalFile() &&
                              QDir::cleanPath(app.toLocalFile()) ==
                                  QDir::cleanPath(QFileInfo(doc.toLocalFile()).absoluteFilePath());
        const QList<QUrl> passed = isItself ? QList<QUrl>() : QList<QUrl>{doc};
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const auto& g) { return g.first == app; });
        if (it == groups.end())
            groups.append({app, passed});
        else
            it->second += passed;
    }
    for (const auto& [app, docs] : groups) {
        LaunchParameters p = parameters;
        p.application = app;
        const OSStatus s = launchWith(p, docs, launched);
        first = first == status::noErr ? s : first;
    }
    return first;
}

void setActivator(Activator activator)
{
    const QMutexLocker lock(&stateMutex);
    activatorSlot() = std::move(activator);
}

QList<LaunchRecord> launchedApplications()
{
    const QMutexLocker lock(&stateMutex);
    records().removeIf([](const LaunchRecord& r) { return !r.serial.isRunning(); });
    return records();
}

void setLaunchObserver(LaunchObserver observer)
{
    const QMutexLocker lock(&stateMutex);
    observerSlot() = std::move(observer);
}

}  // namespace corvane::registry
