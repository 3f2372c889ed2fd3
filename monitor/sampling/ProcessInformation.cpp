#include "monitor/sampling/ProcessInformation.h"

#include "monitor/sampling/ProcessKeys.h"
#include "platform/bundles/BundleIcon.h"
#include "platform/foundation/NullMarker.h"
#include "platform/foundation/PathNames.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

namespace corvane::sampling {

namespace {

// Sizes of thread lists grow in steps of 32 identifiers.
constexpr std::int64_t kThreadListStep = 32;
constexpr std::int64_t kThreadListSlack = 10;

bool isEmpty(const ValueArray& values, int slot)
{
    return !values[slot].isValid();
}

const QString& wordSizeText(proc::WordSize size)
{
    static const QString bits64 = QStringLiteral("64");
    static const QString bits32 = QStringLiteral("32");
    return size == proc::WordSize::Bits64 ? bits64 : bits32;
}

QString percentText(double value)
{
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%.1f", value);
    return QString::fromLatin1(text, std::clamp(n, 0, static_cast<int>(sizeof text) - 1));
}

}  // namespace

const char* programName()
{
    return program_invocation_short_name;
}

QString displayNameWithoutApplicationExtension(const QString& name)
{
    const CFIndex start = CFStartOfPathExtension(QStringView(name).utf16(), name.size());
    if (start > 0) {
        const QStringView extension = QStringView(name).sliced(start);
        if (extension == u".app" || extension == u".service")
            return name.first(start);
    }
    return name;
}

std::optional<QString> processNameFromPath(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const CFIndex start = CFStartOfLastPathComponent(QStringView(path).utf16(), path.size());
    if (start <= 0 || start >= path.size())
        return std::nullopt;
    return path.sliced(start);
}

ProcessSampler::ProcessSampler(proc::ProcessTable& table, const ApplicationDirectory* directory)
    : table_(table), directory_(directory)
{
}

ProcessSampler::Step ProcessSampler::identifyBySerial(const SerialNumber& serial, std::int32_t& pid,
                                                      ValueArray& values)
{
    const auto info = directory_ ? directory_->applicationInformation(serial) : std::nullopt;
    if (!info)
        return Step::Fail;
    pid = info->pid;
    if (!info->displayName.isEmpty())
        values[kDisplayNameSlot] = displayNameWithoutApplicationExtension(info->displayName);
    if (info->bundlePath)
        values[kBundlePathSlot] = *info->bundlePath;
    if (info->executablePath)
        values[kExecutablePathSlot] = *info->executablePath;
    values[kASNSlot] =
        QVariant::fromValue(info->serialNumber.isValid() ? info->serialNumber : serial);
    if (info->bundleIdentifierLowerCase)
        values[kBundleIdentifierLowerCaseSlot] = *info->bundleIdentifierLowerCase;
    return Step::Continue;
}

ProcessSampler::Step ProcessSampler::identifyByPID(std::int32_t pid, ValueArray& values)
{
    proc::QueryError why;
    const auto path = table_.executablePath(pid, why);
    if (!path)
        return why.error == ESRCH ? Step::Fail : Step::Continue;
    // The whole path is used, however long: a name taken from a cut copy of
    // a long path would be some folder's name.
    const QString text = QFile::decodeName(*path);
    if (const auto name = processNameFromPath(text)) {
        values[kExecutablePathSlot] = text;
        values[kDisplayNameSlot] = *name;
    }
    return Step::Continue;
}

void ProcessSampler::fillIcon(ValueArray& values)
{
    const QVariant& bundlePath = values[kBundlePathSlot];
    const QImage icon = bundlePath.typeId() == QMetaType::QString
                            ? iconForApplicationPath(bundlePath.toString())
                            : genericIcon(GenericIcon::Executable);
    if (!icon.isNull())
        values[kIconSlot] = icon;
}

void ProcessSampler::reportShortRecord(const char* query, std::int32_t pid, int expected, int found)
{
    std::fprintf(diagnostics_, "%s: PID %d: proc_pidinfo(%s);\n", programName(), pid, query);
    std::fprintf(diagnostics_, "      too few bytes; expected %ld, got %d\n",
                 static_cast<long>(expected), found);
}

bool ProcessSampler::sumThreadUsage(std::int32_t pid, std::int64_t threadCount, std::int64_t& sum)
{
    // The list holds room for the threads counted plus a few started since,
    // in steps of 32; a count no real process can have is refused.
    const std::int64_t needed = threadCount + kThreadListSlack;
    const std::int64_t capacity =
        needed <= 0 ? 0 : (needed + kThreadListStep - 1) / kThreadListStep * kThreadListStep;
    const auto refuse = [&] {
        std::fprintf(diagnostics_, "%s: can't allocate space for %lld Threads\n", programName(),
                     static_cast<long long>(capacity));
        return false;
    };
    if (capacity > kMostThreadsListed + kThreadListStep)
        return refuse();
    proc::QueryError why;
    std::optional<std::vector<pid_t>> threads;
    try {
        threads = table_.threadList(pid, static_cast<std::size_t>(capacity), why);
    } catch (const std::bad_alloc&) {
        return refuse();
    }
    if (!threads && why.error == ESRCH)
        return false;
    sum = 0;
    for (pid_t tid : threads.value_or(std::vector<pid_t>{})) {
        const auto usage = table_.threadUsage(pid, tid, why);
        if (usage) {
            sum += *usage;
        } else if (why.error == ESRCH || why.error == EINVAL) {
            return false;
        } else if (why.error == EBADMSG) {
            reportShortRecord("PROC_PIDTHREADINFO", pid, why.expectedFields, why.foundFields);
            return false;
        }
        // Any other failure: the thread counts nothing.
    }
    return true;
}

std::int32_t ProcessSampler::measure(std::int32_t pid, ValueArray& values)
{
    proc::QueryError why;
    const auto task = table_.taskInfo(pid, !isEmpty(values, kTypeSlot), why);
    if (!task) {
        if (why.error == EBADMSG)
            reportShortRecord("PROC_PIDTASKALLINFO", pid, why.expectedFields, why.foundFields);
        return 1;
    }
    if (!isEmpty(values, kTypeSlot) && task->wordSize != proc::WordSize::Unknown)
        values[kTypeSlot] = wordSizeText(task->wordSize);

    std::int64_t sum = 0;
    if (!sumThreadUsage(pid, task->threadCount, sum))
        return 1;
    const double cpu = static_cast<double>(sum) * 100.0;
    values[kCPUSlot] = percentText(cpu / 1000.0);

    const std::uint64_t physical = table_.physicalMemory();
    if (physical > 0) {
        // The resident size goes through single precision, as the figure
        // always has; it changes nothing at one decimal.
        const double resident = static_cast<float>(task->residentBytes);
        values[kMEMSlot] = percentText(resident * 100.0 / static_cast<double>(physical));
    }
    return 0;
}

std::int32_t ProcessSampler::CopyProcessInformationDictionaryForPID(
    std::int32_t pid, ValueArray& values, const std::optional<SerialNumber>& serial)
{
    if (values.size() < kValueArraySlots)
        return 1;
    if (!isEmpty(values, kPIDSlot) || !isEmpty(values, kDisplayNameSlot) ||
        !isEmpty(values, kExecutablePathSlot)) {
        const Step step =
            serial ? identifyBySerial(*serial, pid, values) : identifyByPID(pid, values);
        if (step == Step::Fail)
            return 1;
        values[kPIDSlot] = QVariant::fromValue<qint32>(pid);
    }
    if (!isEmpty(values, kIconSlot))
        fillIcon(values);
    if (isEmpty(values, kCPUSlot) || isEmpty(values, kMEMSlot))
        return 0;
    return measure(pid, values);
}

std::int32_t ProcessSampler::SetInfoForPID(std::int32_t pid,
                                           const std::optional<SerialNumber>& serial,
                                           ui::ObservableDictionary& dictionary, bool full)
{
    ValueArray values(kValueArraySlots);
    values[kCPUSlot] = nullMarkerVariant();
    values[kMEMSlot] = nullMarkerVariant();
    if (full)
        values.fill(nullMarkerVariant());
    if (CopyProcessInformationDictionaryForPID(pid, values, full ? serial : std::nullopt) != 0)
        return 1;
    const auto& keys = processKeyTable();
    for (int slot = 0; slot < kValueArraySlots; ++slot)
        if (values[slot].isValid())
            dictionary.setValue(keys[slot], values[slot]);
    return 0;
}

std::int32_t currentProcessPID(const ui::ObservableDictionary& dictionary)
{
    const QVariant v = dictionary.value(kLSPIDKey);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return static_cast<std::int32_t>(v.toLongLong());
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = v.toDouble();
        return d > -2147483649.0 && d < 2147483648.0 ? static_cast<std::int32_t>(d) : 0;
    }
    default:
        return 0;
    }
}

}  // namespace corvane::sampling
