// Starting a program detached from the caller: the new process runs in a
// session of its own, is not the caller's child (nothing is left to reap),
// and keeps running when the caller ends. Its standard input, output and
// error are /dev/null, no other descriptor of the caller leaks into it, and
// its signal mask and dispositions are the defaults.
//
// The caller learns whether the program really started: spawnDetached
// returns after the new process has executed the program, or with the error
// that kept it from doing so. No shell is involved; the arguments reach the
// program exactly as given.
#pragma once

#include "platform/processes/SerialNumber.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace corvane::registry {

struct SpawnRequest {
    QString program;           // absolute path of the file to execute
    QString argv0;             // argv[0]; the program's path when empty
    QStringList arguments;     // argv[1...]
    QStringList environment;   // the whole environment, "NAME=value" each
    QString workingDirectory;  // "/" when empty or missing
    // When set, the variable NAME=<the new process's own id> is added to its
    // environment, so the program can tell variables meant for it from ones
    // it inherited from an ancestor.
    QByteArray ownPidVariable;
};

struct SpawnResult {
    int error = 0;        // 0 when the program runs; else the errno of the failed fork or exec
    pid_t pid = 0;        // the new process (also when exec failed: it has ended)
    SerialNumber serial;  // taken before the program started, so it is valid even for
                          // programs that end at once
    bool started() const { return error == 0; }
};

// Blocks until the exec succeeded or failed. Safe to call from any thread.
SpawnResult spawnDetached(const SpawnRequest& request);

}  // namespace corvane::registry
