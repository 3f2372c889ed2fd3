#include "platform/windowserver/ProcText.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace corvane::windowserver {

std::optional<QByteArray> readProcText(pid_t pid, const char* name, std::size_t maxBytes)
{
    if (pid <= 0)
        return std::nullopt;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/%s", static_cast<int>(pid), name);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(maxBytes), Qt::Uninitialized);
    std::size_t done = 0;
    bool failed = false;
    while (done < maxBytes) {
        const ssize_t n = ::read(fd, bytes.data() + done, maxBytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failed = true;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (failed)
        return std::nullopt;
    bytes.truncate(static_cast<qsizetype>(done));
    return bytes;
}

QString readProcLink(pid_t pid, const char* name)
{
    if (pid <= 0)
        return {};
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/%s", static_cast<int>(pid), name);
    char target[4096];
    const ssize_t n = ::readlink(path, target, sizeof target);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof target)
        return {};
    return QFile::decodeName(QByteArray(target, static_cast<qsizetype>(n)));
}

}  // namespace corvane::windowserver
