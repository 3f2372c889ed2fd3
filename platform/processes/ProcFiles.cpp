#include "platform/processes/ProcFiles.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <limits>

namespace corvane::proc {

static_assert(kWorkingDirectory == AT_FDCWD);

ReadOutcome readProcFile(const char* path, char* buffer, std::size_t capacity, int directoryFd)
{
    if (!path)
        return {-1, ENAMETOOLONG};
    const int fd = ::openat(directoryFd, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return {-1, errno};
    ssize_t n;
    do {
        n = ::read(fd, buffer, capacity);
    } while (n < 0 && errno == EINTR);
    const int readError = errno;
    ::close(fd);
    if (n < 0)
        return {-1, readError};
    return {static_cast<qsizetype>(n), 0};
}

const char* ProcPath::finish(int written)
{
    return written > 0 && static_cast<std::size_t>(written) < sizeof buffer_ ? buffer_ : nullptr;
}

const char* ProcPath::forProcess(pid_t pid, const char* suffix)
{
    return finish(
        std::snprintf(buffer_, sizeof buffer_, "%s/%d%s", root_.constData(), pid, suffix));
}

const char* ProcPath::forThread(pid_t pid, pid_t tid, const char* suffix)
{
    return finish(std::snprintf(buffer_, sizeof buffer_, "%s/%d/task/%d%s", root_.constData(), pid,
                                tid, suffix));
}

const char* ProcPath::forRoot(const char* suffix)
{
    return finish(std::snprintf(buffer_, sizeof buffer_, "%s%s", root_.constData(), suffix));
}

namespace {

// The text after "key" at the start of a line, up to the end of that line.
std::optional<QByteArrayView> lineValue(QByteArrayView text, QByteArrayView key)
{
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(from, end - from);
        if (line.startsWith(key))
            return line.sliced(key.size());
        from = end + 1;
    }
    return std::nullopt;
}

QByteArrayView skipBlanks(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    return v;
}

// The leading decimal number of v and what follows it.
template <typename T>
std::optional<T> leadingNumber(QByteArrayView& v)
{
    T out{};
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    if (ec != std::errc() || end == v.data())
        return std::nullopt;
    v = v.sliced(end - v.data());
    return out;
}

}  // namespace

std::optional<std::uint64_t> parseMemTotal(QByteArrayView meminfo)
{
    auto value = lineValue(meminfo, "MemTotal:");
    if (!value)
        return std::nullopt;
    QByteArrayView rest = skipBlanks(*value);
    const auto kilobytes = leadingNumber<std::uint64_t>(rest);
    if (!kilobytes || skipBlanks(rest) != QByteArrayView("kB"))
        return std::nullopt;
    if (*kilobytes > std::numeric_limits<std::uint64_t>::max() / 1024)
        return std::nullopt;
    return *kilobytes * 1024;
}

std::optional<uid_t> parseEffectiveUid(QByteArrayView status)
{
    auto value = lineValue(status, "Uid:");
    if (!value)
        return std::nullopt;
    QByteArrayView rest = skipBlanks(*value);
    if (!leadingNumber<uid_t>(rest))  // the real user
        return std::nullopt;
    rest = skipBlanks(rest);
    return leadingNumber<uid_t>(rest);
}

WordSize wordSizeFromElfIdentification(QByteArrayView head)
{
    if (head.size() < 5 || head[0] != '\x7f' || head[1] != 'E' || head[2] != 'L' || head[3] != 'F')
        return WordSize::Unknown;
    switch (head[4]) {
    case 1:
        return WordSize::Bits32;
    case 2:
        return WordSize::Bits64;
    default:
        return WordSize::Unknown;
    }
}

std::optional<pid_t> identifierFromName(const char* name)
{
    if (!name || name[0] < '1' || name[0] > '9')
        return std::nullopt;
    const char* end = name;
    while (*end)
        ++end;
    pid_t id = 0;
    const auto [last, ec] = std::from_chars(name, end, id);
    if (ec != std::errc() || last != end)
        return std::nullopt;
    return id;
}

}  // namespace corvane::proc
