// Bounded reads of /proc text files, whose size the kernel reports as 0 so
// the ordinary file readers cannot be used on them.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>
#include <cstddef>
#include <optional>

namespace corvane::windowserver {

// Reads at most maxBytes of /proc/<pid>/<name> (e.g. "comm", "cmdline").
// Nothing when the process is gone or the file cannot be read (errno says
// why); a longer file is cut at maxBytes.
std::optional<QByteArray> readProcText(pid_t pid, const char* name, std::size_t maxBytes);

// The target of /proc/<pid>/<name> (e.g. "exe"); empty when it cannot be
// read (another user's process, a kernel thread, a process that is gone).
QString readProcLink(pid_t pid, const char* name);

}  // namespace corvane::windowserver
