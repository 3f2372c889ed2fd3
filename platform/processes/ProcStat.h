// Parsing of /proc/<pid>/stat and /proc/<pid>/task/<tid>/stat lines. The
// parser takes text, so fixtures test it; readers only open and read.
#pragma once

#include "platform/processes/ProcFiles.h"

#include <QByteArray>
#include <QByteArrayView>

#include <sys/types.h>
#include <cstdint>
#include <optional>

namespace corvane::proc {

struct StatFields {
    pid_t pid = 0;
    QByteArray name;  // the command name between the parentheses
    char state = '?';
    pid_t parent = 0;
    std::uint64_t userTicks = 0;    // utime, in clock ticks
    std::uint64_t systemTicks = 0;  // stime, in clock ticks
    std::int64_t threadCount = 0;
    std::uint64_t startTicks = 0;  // start time after boot, in clock ticks
    std::int64_t residentPages = 0;
};

// The number of leading fields (numbered from 1, as proc(5) numbers them) a
// line must hold for parseStat to read every member of StatFields.
inline constexpr int kStatFieldsNeeded = 24;

// Parses one stat line. The name may hold spaces and parentheses: it ends at
// the last ')'. Returns nothing when the line is cut short or a field is not
// a number. Then fieldsFound, when given, receives the number of fields the
// line holds (the identifier and the name count as fields 1 and 2; counting
// stops at 64), so a caller can say how short a cut line was.
std::optional<StatFields> parseStat(QByteArrayView text, int* fieldsFound = nullptr);

// The result of reading one stat file: the fields, or the error number of the
// failed read (ENOENT or ESRCH for a vanished process or thread), or EBADMSG
// for a line that could not be parsed, with the number of fields it held.
struct StatReading {
    std::optional<StatFields> fields;
    int error = 0;
    int fieldsFound = 0;
};

// A stat record fits this many bytes: the name is at most 64 bytes, the 52
// numbers at most 20 digits each.
inline constexpr std::size_t kStatRecordBytes = 2048;

// Parses a record as read: an empty one is a task that ended while its file
// was open (ESRCH); one that does not parse is EBADMSG.
StatReading parseStatRecord(QByteArrayView record);

// Reads and parses the stat file at path (any proc root); a relative path is
// taken from the open directory directoryFd.
StatReading readStatFile(const char* path, int directoryFd = kWorkingDirectory);

// Reads and parses /proc/<pid>/stat (or a thread's, when tid is given).
// Nothing when the process is gone or the line cannot be parsed; errno is
// left as the failed read set it (ENOENT or ESRCH for a vanished process).
std::optional<StatFields> readStat(pid_t pid, pid_t tid = 0);

}  // namespace corvane::proc
