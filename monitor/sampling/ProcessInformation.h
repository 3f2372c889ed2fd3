// The facts of one process in the process information dictionary: identity
// (identifier, name, executable, bundle, serial number, bundle identifier),
// icon, word size, CPU load and memory share.
//
// Value arrays. CopyProcessInformationDictionaryForPID fills a caller's array
// of kValueArraySlots (or kProcessListSlots) QVariants, slot i belonging to
// key i of the key table (ProcessKeys.h). Each slot is in one of three
// states:
//   empty (an invalid QVariant)  not requested; left alone
//   the null marker              requested; a requested slot the call cannot
//                                fill keeps the null marker, which then means
//                                "not available" wherever it is stored
//   any other value              filled by the call
// The call works in groups, looking at the group's request slots:
//   identity  when slot 0, 1 or 2 is requested; fills what it can of 0, 1, 2,
//             7, 8, 9
//   icon      when slot 3 is requested
//   measures  only when both 5 and 6 are requested; fills 5 and 6, and 4 when
//             4 is requested too
// The values are the caller's; arrays are plain values, nothing to release.
//
// Results are 0 (success) and 1 (failure: the process has gone, one of its
// threads ended during the sample, the registry knows no such serial number,
// or a record was malformed). On failure some slots may already be filled.
// Malformed records, and a thread count no buffer could hold, are reported on
// the diagnostic stream (standard error by default), each line beginning
// with the program's name and a colon; an ended or refused process is not.
//
// Main thread only, like the dictionary and the process table.
#pragma once

#include "monitor/sampling/ApplicationDirectory.h"
#include "platform/processes/SerialNumber.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <cstdio>
#include <optional>

namespace corvane::proc {
class ProcessTable;
}
namespace corvane::ui {
class ObservableDictionary;
}

namespace corvane::sampling {

using ValueArray = QList<QVariant>;

// A thread count beyond this cannot be a real one (the kernel's own limit on
// process identifiers): sampling refuses to size a thread list for it.
inline constexpr std::int64_t kMostThreadsListed = 4194304;

class ProcessSampler {
public:
    // Neither the table nor the directory is owned; both must outlive the
    // sampler. Without a directory, serial numbers identify nothing.
    ProcessSampler(proc::ProcessTable& table, const ApplicationDirectory* directory);

    // Where diagnostics go (not owned); standard error by default.
    void setDiagnosticStream(std::FILE* stream) { diagnostics_ = stream; }

    // Fills the requested slots of values for the process pid, or, when a
    // serial number is given and identity is requested, for the process the
    // directory reports under that serial number. Arrays shorter than
    // kValueArraySlots are refused (1).
    std::int32_t CopyProcessInformationDictionaryForPID(std::int32_t pid, ValueArray& values,
                                                        const std::optional<SerialNumber>& serial);

    // Samples the process and stores the results in dictionary: all ten keys
    // when full (identified by serial when one is given, else by pid), or
    // only "currentProcessCPU" and "currentProcessMEM" (by pid). Returns 0
    // when the dictionary was updated, 1 when sampling failed; the dictionary
    // is then untouched. Observers hear only of keys whose value changed.
    std::int32_t SetInfoForPID(std::int32_t pid, const std::optional<SerialNumber>& serial,
                               ui::ObservableDictionary& dictionary, bool full);

private:
    enum class Step { Continue, Fail };
    Step identifyBySerial(const SerialNumber& serial, std::int32_t& pid, ValueArray& values);
    Step identifyByPID(std::int32_t pid, ValueArray& values);
    void fillIcon(ValueArray& values);
    std::int32_t measure(std::int32_t pid, ValueArray& values);
    bool sumThreadUsage(std::int32_t pid, std::int64_t threadCount, std::int64_t& sum);
    void reportShortRecord(const char* query, std::int32_t pid, int expected, int found);

    proc::ProcessTable& table_;
    const ApplicationDirectory* directory_;
    std::FILE* diagnostics_ = stderr;
};

// The process identifier stored under kLSPIDKey, or 0 when there is none or
// it is not a number.
std::int32_t currentProcessPID(const ui::ObservableDictionary& dictionary);

// A registry display name without the extension ".app" or ".service" (exact,
// case-sensitive); any other name whole.
QString displayNameWithoutApplicationExtension(const QString& name);

// The last component of an executable path, extension kept; nothing when the
// path has no usable last component.
std::optional<QString> processNameFromPath(const QString& path);

// The name the program's diagnostics begin with.
const char* programName();

}  // namespace corvane::sampling
