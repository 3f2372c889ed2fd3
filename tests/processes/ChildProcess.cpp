#include "tests/processes/ChildProcess.h"

#include "platform/foundation/FileIO.h"

#include <QElapsedTimer>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <vector>

extern char** environ;

namespace corvane::fixtures {

namespace {

bool readReadyLine(int fd, int timeoutMs)
{
    QByteArray line;
    QElapsedTimer clock;
    clock.start();
    while (!line.contains('\n')) {
        const int left = timeoutMs - static_cast<int>(clock.elapsed());
        if (left <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0)
            return false;
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        line.append(buffer, n);
    }
    return line.startsWith("ready");
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const QString& program,
                                                  const QStringList& arguments, int timeoutMs)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return nullptr;
    std::vector<QByteArray> storage{nativePath(program)};
    for (const QString& a : arguments)
        storage.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return nullptr;
    }
    std::unique_ptr<ChildProcess> child(new ChildProcess(pid));
    const bool ready = readReadyLine(pipeFds[0], timeoutMs);
    ::close(pipeFds[0]);
    if (!ready)
        return nullptr;  // the destructor kills it
    return child;
}

std::unique_ptr<ChildProcess> ChildProcess::load(const QStringList& arguments)
{
    return start(loadChildProgram(), arguments);
}

ChildProcess::~ChildProcess()
{
    kill();
}

void ChildProcess::kill(bool keepZombie)
{
    if (reaped_ || pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    if (keepZombie) {
        waitUntilZombie();
        return;
    }
    ::waitpid(pid_, nullptr, 0);
    reaped_ = true;
}

bool ChildProcess::waitUntilZombie(int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_)
            return true;
        QThread::msleep(5);
    }
    return false;
}

QString loadChildProgram()
{
    return QStringLiteral(CORVANE_LOAD_CHILD);
}

}  // namespace corvane::fixtures
