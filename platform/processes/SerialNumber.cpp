#include "platform/processes/SerialNumber.h"

#include "platform/processes/ProcStat.h"

namespace corvane {

SerialNumber SerialNumber::forProcess(pid_t pid)
{
    if (pid <= 0)
        return {};
    const auto stat = proc::readStat(pid);
    if (!stat)
        return {};
    return {static_cast<std::uint32_t>(stat->startTicks), static_cast<std::uint32_t>(pid)};
}

bool SerialNumber::isRunning() const
{
    if (!isValid())
        return false;
    // A zombie has ended; only its parent has not collected it yet.
    const auto stat = proc::readStat(pid());
    return stat && stat->state != 'Z' && static_cast<std::uint32_t>(stat->startTicks) == high;
}

}  // namespace corvane
