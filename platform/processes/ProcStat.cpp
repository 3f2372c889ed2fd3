#include "platform/processes/ProcStat.h"

#include "platform/processes/ProcFiles.h"

#include <array>
#include <cerrno>
#include <charconv>

namespace corvane::proc {

namespace {

// Splits the text after the name into space-separated fields.
class FieldCursor {
public:
    explicit FieldCursor(QByteArrayView rest) : p_(rest.data()), end_(rest.data() + rest.size()) {}

    QByteArrayView next()
    {
        while (p_ < end_ && *p_ == ' ')
            ++p_;
        const char* start = p_;
        while (p_ < end_ && *p_ != ' ' && *p_ != '\n')
            ++p_;
        return QByteArrayView(start, p_ - start);
    }

private:
    const char* p_;
    const char* end_;
};

template <typename T>
bool toNumber(QByteArrayView field, T& out)
{
    if (field.isEmpty())
        return false;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), out);
    return ec == std::errc() && end == field.data() + field.size();
}

constexpr int kMostFieldsCounted = 64;

int countFields(QByteArrayView text, qsizetype open, qsizetype close)
{
    if (open < 1 || close < open)
        return open >= 1 ? 1 : 0;
    FieldCursor cursor(text.sliced(close + 1));
    int n = 2;
    while (n < kMostFieldsCounted && !cursor.next().isEmpty())
        ++n;
    return n;
}

}  // namespace

namespace {

std::optional<StatFields> parseFields(QByteArrayView text, qsizetype open, qsizetype close)
{
    if (open < 1 || close < open)
        return std::nullopt;
    StatFields f;
    if (!toNumber(text.first(open - 1), f.pid))
        return std::nullopt;
    f.name = text.sliced(open + 1, close - open - 1).toByteArray();

    // Fields from 3 (state) on, numbered as proc(5) numbers them.
    FieldCursor cursor(text.sliced(close + 1));
    std::array<QByteArrayView, kStatFieldsNeeded + 1> fields{};
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

}  // namespace

std::optional<StatFields> parseStat(QByteArrayView text, int* fieldsFound)
{
    const qsizetype open = text.indexOf('(');
    const qsizetype close = text.lastIndexOf(')');
    auto fields = parseFields(text, open, close);
    // Counting every field costs as much as parsing; only a refused line needs it.
    if (!fields && fieldsFound)
        *fieldsFound = countFields(text, open, close);
    return fields;
}

StatReading parseStatRecord(QByteArrayView record)
{
    StatReading result;
    if (record.isEmpty()) {
        result.error = ESRCH;
        return result;
    }
    result.fields = parseStat(record, &result.fieldsFound);
    if (!result.fields)
        result.error = EBADMSG;
    return result;
}

StatReading readStatFile(const char* path, int directoryFd)
{
    std::array<char, kStatRecordBytes> buffer;
    const ReadOutcome read = readProcFile(path, buffer.data(), buffer.size(), directoryFd);
    if (!read.ok()) {
        StatReading failed;
        failed.error = read.error;
        return failed;
    }
    return parseStatRecord(QByteArrayView(buffer.data(), read.size));
}

std::optional<StatFields> readStat(pid_t pid, pid_t tid)
{
    ProcPath path(QByteArrayLiteral("/proc"));
    const StatReading r =
        readStatFile(tid > 0 ? path.forThread(pid, tid, "/stat") : path.forProcess(pid, "/stat"));
    if (!r.fields)
        errno = r.error == EBADMSG ? EINVAL : r.error;
    return r.fields;
}

}  // namespace corvane::proc
