#include "platform/registry/ProcessSpawn.h"

#include "platform/foundation/FileIO.h"

#include <QMutex>

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <vector>

namespace corvane::registry {

namespace {

// What the intermediate and the new process write to the status pipe.
struct Message {
    int pid;    // the new process, or -1 with error set
    int error;  // errno of a failed fork or exec
};

// Everything the child needs, prepared before fork: after fork only
// async-signal-safe calls may run.
struct PreparedExec {
    QByteArray program;
    QByteArray workingDirectory;
    std::vector<QByteArray> storage;
    std::vector<char*> argv;
    std::vector<char*> envp;
    char* pidSlot = nullptr;  // digits of the own process id go here
    int pidSlotSize = 0;
};

char* pointerTo(QByteArray& bytes)
{
    return bytes.data();
}

PreparedExec prepare(const SpawnRequest& r)
{
    PreparedExec p;
    p.program = nativePath(r.program);
    p.workingDirectory =
        r.workingDirectory.isEmpty() ? QByteArray("/") : nativePath(r.workingDirectory);
    p.storage.reserve(size_t(r.arguments.size() + r.environment.size() + 3));
    p.storage.push_back(r.argv0.isEmpty() ? p.program : nativePath(r.argv0));
    for (const QString& a : r.arguments)
        p.storage.push_back(a.toUtf8());
    const size_t argc = p.storage.size();
    for (const QString& e : r.environment)
        p.storage.push_back(e.toUtf8());
    if (!r.ownPidVariable.isEmpty())
        p.storage.push_back(r.ownPidVariable + '=' + QByteArray(20, '\0'));
    for (size_t i = 0; i < p.storage.size(); ++i)
        (i < argc ? p.argv : p.envp).push_back(pointerTo(p.storage[i]));
    p.argv.push_back(nullptr);
    p.envp.push_back(nullptr);
    if (!r.ownPidVariable.isEmpty()) {
        p.pidSlot = p.storage.back().data() + r.ownPidVariable.size() + 1;
        p.pidSlotSize = 20;
    }
    return p;
}

// Async-signal-safe decimal formatting into the reserved slot.
void writePid(char* slot, int size, pid_t pid)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = char('0' + pid % 10);
        pid /= 10;
    } while (pid > 0 && n < size - 1);
    for (int i = 0; i < n; ++i)
        slot[i] = digits[n - 1 - i];
    slot[n] = '\0';
}

void writeMessage(int fd, Message m)
{
    while (::write(fd, &m, sizeof m) < 0 && errno == EINTR) {
    }
}

// Reads one message; false at end of file (the exec succeeded).
bool readMessage(int fd, Message* m)
{
    size_t done = 0;
    auto* bytes = reinterpret_cast<char*>(m);
    while (done < sizeof *m) {
        const ssize_t n = ::read(fd, bytes + done, sizeof *m - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

[[noreturn]] void runChild(PreparedExec& p, int statusFd, int goFd)
{
    ::setsid();
    char c;
    while (::read(goFd, &c, 1) < 0 && errno == EINTR) {
    }
    ::close(goFd);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig)
        ::signal(sig, SIG_DFL);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (null > 2)
            ::close(null);
    }
    // Every other descriptor closes at exec; the status pipe with them.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < 4096; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    if (::chdir(p.workingDirectory.constData()) != 0 && ::chdir("/") != 0) {
        // nowhere to go: stay where the launcher was
    }
    if (p.pidSlot)
        writePid(p.pidSlot, p.pidSlotSize, ::getpid());
    ::execve(p.program.constData(), p.argv.data(), p.envp.data());
    writeMessage(statusFd, {-1, errno});
    ::_exit(127);
}

}  // namespace

SpawnResult spawnDetached(const SpawnRequest& request)
{
    // One spawn at a time: a second one forking meanwhile would carry this
    // one's pipe ends until its own exec and delay both.
    static QMutex spawnMutex;
    const QMutexLocker lock(&spawnMutex);
    SpawnResult result;
    PreparedExec prepared = prepare(request);
    int statusPipe[2];
    int goPipe[2];
    if (::pipe2(statusPipe, O_CLOEXEC) != 0) {
        result.error = errno;
        return result;
    }
    if (::pipe2(goPipe, O_CLOEXEC) != 0) {
        result.error = errno;
        ::close(statusPipe[0]);
        ::close(statusPipe[1]);
        return result;
    }
    const pid_t middle = ::fork();
    if (middle == 0) {
        ::close(statusPipe[0]);
        ::close(goPipe[1]);
        const pid_t child = ::fork();
        if (child == 0)
            runChild(prepared, statusPipe[1], goPipe[0]);
        writeMessage(statusPipe[1], child > 0 ? Message{child, 0} : Message{-1, errno});
        ::_exit(0);
    }
    const int forkError = errno;
    ::close(statusPipe[1]);
    ::close(goPipe[0]);
    Message first{-1, forkError};
    if (middle > 0) {
        if (!readMessage(statusPipe[0], &first))
            first = {-1, ECHILD};
        while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (first.pid > 0) {
        result.pid = first.pid;
        result.serial = SerialNumber::forProcess(first.pid);  // it waits for the go
    }
    ::close(goPipe[1]);  // go
    Message execFailure{};
    if (first.pid <= 0)
        result.error = first.error != 0 ? first.error : ECHILD;
    else if (readMessage(statusPipe[0], &execFailure))
        result.error = execFailure.error != 0 ? execFailure.error : ENOEXEC;
    ::close(statusPipe[0]);
    return result;
}

}  // namespace corvane::registry
