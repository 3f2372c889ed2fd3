#include "platform/processes/ProcStat.h"

#include <fcntl.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>

namespace corvane::proc {

namespace {

// Splits the text after the name into space-separated fields.
class FieldCursor {
public:
    explicit FieldCursor(QByteArrayView rest) : rest_(rest) {}

    QByteArrayView next()
    {
        qsizetype i = 0;
        while (i < rest_.size() && rest_[i] == ' ')
            ++i;
        qsizetype j = i;
        while (j < rest_.size() && rest_[j] != ' ' && rest_[j] != '\n')
            ++j;
        const QByteArrayView field = rest_.sliced(i, j - i);
        rest_ = rest_.sliced(j);
        return field;
    }

private:
    QByteArrayView rest_;
};

template <typename T>
bool toNumber(QByteArrayView field, T& out)
{
    if (field.isEmpty())
        return false;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), out);
    return ec == std::errc() && end == field.data() + field.size();
}

}  // namespace

std::optional<StatFields> parseStat(QByteArrayView text)
{
    const qsizetype open = text.indexOf('(');
    const qsizetype close = text.lastIndexOf(')');
    if (open < 1 || close < open)
        return std::nullopt;
    StatFields f;
    if (!toNumber(text.first(open - 1), f.pid))
        return std::nullopt;
    f.name = text.sliced(open + 1, close - open - 1).toByteArray();

    // Fields from 3 (state) on, numbered as proc(5) numbers them.
    FieldCursor cursor(text.sliced(close + 1));
    std::array<QByteArrayView, 25> fields{};
    for (size_t n = 3; n < fields.size(); ++n) {
        fields[n] = cursor.next();
        if (fields[n].isEmpty())
            return std::nullopt;
    }
    if (fields[3].size() != 1)
        return std::nullopt;
    f.state = fields[3][0];
    const bool ok = toNumber(fields[4], f.parent) && toNumber(fields[14], f.userTicks) &&
                    toNumber(fields[15], f.systemTicks) && toNumber(fields[20], f.threadCount) &&
                    toNumber(fields[22], f.startTicks) && toNumber(fields[24], f.residentPages);
    return ok ? std::optional(f) : std::nullopt;
}

std::optional<StatFields> readStat(pid_t pid, pid_t tid)
{
    // The line fits this buffer: the name is at most 64 bytes, the 50-odd
    // numbers at most 20 digits each.
    std::array<char, 2048> buffer;
    char path[64];
    if (tid > 0)
        std::snprintf(path, sizeof path, "/proc/%d/task/%d/stat", pid, tid);
    else
        std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    ssize_t n;
    do {
        n = ::read(fd, buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    const int readError = errno;
    ::close(fd);
    if (n <= 0) {
        errno = n < 0 ? readError : ESRCH;
        return std::nullopt;
    }
    auto fields = parseStat(QByteArrayView(buffer.data(), n));
    if (!fields) {
        errno = EINVAL;
        return std::nullopt;
    }
    return fields;
}

}  // namespace corvane::proc
