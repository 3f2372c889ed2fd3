// Real child processes for tests: started from an argument vector (never a
// shell line), waited for until they say "ready", and killed and reaped when
// the test is done with them.
#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <memory>

namespace corvane::fixtures {

class ChildProcess {
public:
    // Starts program with arguments and waits (up to timeoutMs) for its first
    // line of output, "ready". Nothing when it cannot start or does not
    // become ready in time.
    static std::unique_ptr<ChildProcess> start(const QString& program,
                                               const QStringList& arguments = {},
                                               int timeoutMs = 10000);
    // The load child (tests/processes/LoadChild.cpp) with arguments.
    static std::unique_ptr<ChildProcess> load(const QStringList& arguments = {});

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Kills it with SIGKILL; reaps it unless keepZombie, so that it stays a
    // zombie until the destructor reaps it.
    void kill(bool keepZombie = false);
    // Waits until it has become a zombie (it exited by itself) without
    // reaping it; false after timeoutMs.
    bool waitUntilZombie(int timeoutMs = 10000) const;

private:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}

    pid_t pid_ = -1;
    bool reaped_ = false;
};

// The path of the load child program.
QString loadChildProgram();

}  // namespace corvane::fixtures
