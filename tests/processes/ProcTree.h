// Fixture proc trees: folders laid out like /proc (<pid>/stat,
// <pid>/task/<tid>/stat, <pid>/exe, <pid>/status, meminfo) holding whatever a
// test writes, for the records a live kernel never produces (cut lines,
// hostile numbers, special files where records belong).
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>
#include <cstdint>

namespace corvane::fixtures {

struct StatRecordFields {
    pid_t pid = 0;
    QByteArray name = "task";
    char state = 'S';
    std::uint64_t userTicks = 0;
    std::uint64_t systemTicks = 0;
    std::int64_t threads = 1;
    std::uint64_t startTicks = 0;
    std::int64_t residentPages = 0;
};

// A stat line as the kernel writes it, all 52 fields.
QByteArray statLine(const StatRecordFields& record);

class ProcTree {
public:
    ProcTree();
    bool isValid() const { return dir_.isValid(); }
    QByteArray root() const;

    // <pid>/stat, and <pid>/task/<pid>/stat for the main thread (the record
    // the table reads for the process's figures).
    void writeProcess(const StatRecordFields& record);
    // <pid>/task/<record.pid>/stat.
    void writeThread(pid_t pid, const StatRecordFields& record);
    void writeMeminfo(std::uint64_t totalKiB);
    // Writes bytes at a path relative to the root, creating folders.
    void writeFile(const QString& relative, const QByteArray& bytes);
    // A symbolic link at relative pointing at target.
    void link(const QString& relative, const QString& target);
    void makeFolder(const QString& relative);
    void remove(const QString& relative);
    QString path(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

}  // namespace corvane::fixtures
