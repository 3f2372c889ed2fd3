#include "tests/registry/RegistryTestSupport.h"

#include "platform/processes/ProcStat.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <signal.h>

namespace corvane::registry::test {

namespace {

const QList<QByteArray> kIsolatedVariables{
    "HOME",
    "XDG_CONFIG_HOME",
    "XDG_CONFIG_DIRS",
    "XDG_DATA_HOME",
    "XDG_DATA_DIRS",
    "XDG_CURRENT_DESKTOP",
    "CORVANE_APPLICATION_PATH",
    "CORVANE_TEST_RECORD_DIR",
    "CORVANE_TEST_RECORD_LINGER",
    "CORVANE_CF_VERSION",
    "CORVANE_WITHOUT_URL_PREFERENCE_CALLS",
};

std::optional<Record> parseRecord(const QByteArray& text)
{
    Record r;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == "pid")
            r.pid = value.toInt();
        else if (key == "ppid")
            r.parent = value.toInt();
        else if (key == "sid")
            r.session = value.toInt();
        else if (key == "cwd")
            r.workingDirectory = value;
        else if (key == "arg")
            r.arguments.append(value.split(u'\x01').join(u'\n'));
        else if (key == "env")
            r.corvaneEnvironment.insert(value.section(u'=', 0, 0), value.section(u'=', 1));
        else if (key == "fd")
            r.openDescriptors.append(value);
        else if (key == "stdin")
            r.standardInput = value;
    }
    if (r.pid == 0)
        return std::nullopt;
    return r;
}

}  // namespace

TemporaryDesktop::TemporaryDesktop()
    : root_(QDir::tempPath() + QStringLiteral("/registry ‘desk’ \"top\" é XXXXXX"))
{
    for (const QByteArray& name : kIsolatedVariables)
        saved_.insert(name, qEnvironmentVariableIsSet(name.constData())
                                ? std::optional(qgetenv(name.constData()))
                                : std::nullopt);
    for (const QString& folder : {home(), configHome(), dataHome(), userApplications(),
                                  systemApplications(), applications(), recordFolder()})
        QDir().mkpath(folder);
    QFile::link(QStringLiteral("/usr/share/mime"), systemData() + QStringLiteral("/mime"));
    const auto set = [](const char* name, const QString& value) {
        qputenv(name, QFile::encodeName(value));
    };
    set("HOME", home());
    set("XDG_CONFIG_HOME", configHome());
    set("XDG_CONFIG_DIRS", root() + QStringLiteral("/etc xdg"));
    set("XDG_DATA_HOME", dataHome());
    set("XDG_DATA_DIRS", systemData());
    set("CORVANE_APPLICATION_PATH", applications());
    set("CORVANE_TEST_RECORD_DIR", recordFolder());
    for (const char* name : {"XDG_CURRENT_DESKTOP", "CORVANE_TEST_RECORD_LINGER",
                             "CORVANE_CF_VERSION", "CORVANE_WITHOUT_URL_PREFERENCE_CALLS"})
        qunsetenv(name);
}

TemporaryDesktop::~TemporaryDesktop()
{
    for (auto it = saved_.cbegin(); it != saved_.cend(); ++it) {
        if (it.value())
            qputenv(it.key().constData(), *it.value());
        else
            qunsetenv(it.key().constData());
    }
}

QString TemporaryDesktop::home() const
{
    return root() + QStringLiteral("/home dir");
}
QString TemporaryDesktop::configHome() const
{
    return home() + QStringLiteral("/.config");
}
QString TemporaryDesktop::dataHome() const
{
    return home() + QStringLiteral("/.local/share");
}
QString TemporaryDesktop::systemData() const
{
    return root() + QStringLiteral("/usr share");
}
QString TemporaryDesktop::applications() const
{
    return root() + QStringLiteral("/Applications");
}
QString TemporaryDesktop::userApplications() const
{
    return dataHome() + QStringLiteral("/applications");
}
QString TemporaryDesktop::systemApplications() const
{
    return systemData() + QStringLiteral("/applications");
}
QString TemporaryDesktop::recordFolder() const
{
    return root() + QStringLiteral("/records");
}

QString TemporaryDesktop::writeEntry(const QString& folder, const QString& fileName,
                                     const QString& text) const
{
    const QString path = folder + u'/' + fileName;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(text.toUtf8());
    return path;
}

void TemporaryDesktop::writeMimeApps(const QString& text) const
{
    writeEntry(configHome(), QStringLiteral("mimeapps.list"), text);
}

QString recorderProgram()
{
    return QStringLiteral(CORVANE_TEST_RECORDER);
}

QByteArray recorderBytes()
{
    QFile f(recorderProgram());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString launcherProgram()
{
    return QStringLiteral(CORVANE_TEST_LAUNCHER);
}

QString recorderEntry(const QString& name, const QString& execArguments, const QString& extraLines)
{
    QString program = recorderProgram();
    program.replace(u'\\', QStringLiteral("\\\\"));
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\" %3\n%4")
        .arg(name, program, execArguments, extraLines);
}

std::optional<Record> waitForRecord(const QString& folder, pid_t pid, int timeoutMs)
{
    const QString path = folder + QStringLiteral("/record-%1.txt").arg(pid);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            return parseRecord(f.readAll());
        QThread::msleep(20);
    }
    return std::nullopt;
}

QList<Record> waitForRecords(const QString& folder, int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QList<Record> records;
    do {
        records.clear();
        const QDir dir(folder);
        for (const QString& name : dir.entryList({QStringLiteral("record-*.txt")}, QDir::Files)) {
            QFile f(dir.filePath(name));
            if (f.open(QIODevice::ReadOnly)) {
                if (const auto r = parseRecord(f.readAll()))
                    records.append(*r);
            }
        }
        if (records.size() >= count)
            break;
        QThread::msleep(20);
    } while (timer.elapsed() < timeoutMs);
    return records;
}

void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "registry-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

bool spinUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

bool waitForExit(pid_t pid, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const auto stat = proc::readStat(pid);
        if (!stat || stat->state == 'Z')
            return true;
        QThread::msleep(20);
    }
    return false;
}

void terminate(pid_t pid)
{
    if (pid > 0 && ::kill(pid, SIGTERM) == 0)
        waitForExit(pid, 5000);
}

}  // namespace corvane::registry::test
