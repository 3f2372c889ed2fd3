// Serial numbers of running applications: which process, started when. The
// pair tells a process apart from a later one that reuses its identifier.
#pragma once

#include <QHashFunctions>
#include <QMetaType>

#include <sys/types.h>
#include <cstdint>

namespace corvane {

struct SerialNumber {
    std::uint32_t high = 0;  // the process's start time after boot, in clock ticks (low 32 bits)
    std::uint32_t low = 0;   // the process identifier

    // The serial number of the running process pid; an invalid one when
    // there is no such process.
    static SerialNumber forProcess(pid_t pid);

    bool isValid() const { return low != 0; }
    pid_t pid() const { return static_cast<pid_t>(low); }
    // Whether the process it names is still the one running under its
    // identifier (a zombie, ended but not yet collected, is not).
    bool isRunning() const;

    bool operator==(const SerialNumber&) const = default;
};

inline size_t qHash(const SerialNumber& s, size_t seed = 0)
{
    return qHashMulti(seed, s.high, s.low);
}

}  // namespace corvane

Q_DECLARE_METATYPE(corvane::SerialNumber)
