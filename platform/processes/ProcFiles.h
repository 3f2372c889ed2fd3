// Small, bounded reads of /proc files and the parsers of the few records the
// process table needs besides stat lines (meminfo, status, ELF identification).
// Parsers take text, so fixtures test them; readers only open and read.
//
// Every reader here opens without following a FIFO into a blocking read
// (O_NONBLOCK) and reads once into the caller's buffer, so a hostile or
// vanishing file gives a short or empty result, never a hang or an
// unbounded allocation.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace corvane::proc {

// AT_FDCWD, without including <fcntl.h> here.
inline constexpr int kWorkingDirectory = -100;

// The outcome of reading one file: the number of bytes read (0 or more), or
// -1 with the error number of the failed open or read.
struct ReadOutcome {
    qsizetype size = -1;
    int error = 0;
    bool ok() const { return size >= 0; }
};

// Reads at most capacity bytes of the file at path (NUL-terminated) into
// buffer, with one read call: /proc generates records whole, so one read
// sees a consistent record. Never blocks on FIFOs. A relative path is taken
// from the open directory directoryFd (AT_FDCWD: the working directory).
ReadOutcome readProcFile(const char* path, char* buffer, std::size_t capacity,
                         int directoryFd = kWorkingDirectory);

// Builds paths under a proc root ("/proc" or a test fixture's folder) into a
// fixed buffer. format() returns nullptr when the path would not fit.
class ProcPath {
public:
    explicit ProcPath(const QByteArray& root) : root_(root) {}
    // root + "/" + pid + suffix; suffix is empty or begins with '/'.
    const char* forProcess(pid_t pid, const char* suffix);
    // root + "/" + pid + "/task/" + tid + suffix.
    const char* forThread(pid_t pid, pid_t tid, const char* suffix);
    // root + suffix; suffix begins with '/'.
    const char* forRoot(const char* suffix);

private:
    const char* finish(int written);

    QByteArray root_;
    char buffer_[4200];
};

// MemTotal of a /proc/meminfo text, in bytes; nothing when the line is
// missing or not a number of kB that fits 64 bits.
std::optional<std::uint64_t> parseMemTotal(QByteArrayView meminfo);

// The effective user of a /proc/<pid>/status text (second number of the
// "Uid:" line); nothing when the line is missing or malformed.
std::optional<uid_t> parseEffectiveUid(QByteArrayView status);

// Word size an executable's first bytes announce: the ELF class (EI_CLASS).
enum class WordSize { Unknown, Bits32, Bits64 };
WordSize wordSizeFromElfIdentification(QByteArrayView head);

// Whether a directory entry's name is a process or thread identifier: all
// digits, no sign, no leading zero, and within pid_t.
std::optional<pid_t> identifierFromName(const char* name);

}  // namespace corvane::proc
