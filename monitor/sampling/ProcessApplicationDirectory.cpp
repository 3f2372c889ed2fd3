#include "monitor/sampling/ProcessApplicationDirectory.h"

#include "platform/bundles/Bundle.h"
#include "platform/processes/ProcStat.h"
#include "platform/processes/ProcessTable.h"
#include "platform/registry/LauncherIdentity.h"

#include <QFile>
#include <QFileInfo>

namespace corvane::sampling {

ProcessApplicationDirectory::ProcessApplicationDirectory(proc::ProcessTable& table) : table_(table)
{
}

std::optional<ApplicationInformation> ProcessApplicationDirectory::applicationInformation(
    const SerialNumber& serial) const
{
    if (!serial.isRunning())
        return std::nullopt;
    ApplicationInformation info;
    info.pid = serial.pid();
    info.serialNumber = serial;
    proc::QueryError why;
    if (const auto path = table_.executablePath(info.pid, why))
        info.executablePath = QFile::decodeName(*path);
    if (info.executablePath) {
        if (const QString bundle = registry::bundleOfExecutable(*info.executablePath); !bundle.isEmpty())
            info.bundlePath = bundle;
    }
    if (info.bundlePath) {
        info.displayName = QFileInfo(*info.bundlePath).fileName();
        if (const auto bundle = Bundle::open(*info.bundlePath)) {
            const QString id = bundle->identifier();
            if (!id.isEmpty())
                info.bundleIdentifierLowerCase = id.toLower();
        }
    } else if (info.executablePath) {
        info.displayName = QFileInfo(*info.executablePath).fileName();
    } else if (const auto stat = proc::readStat(info.pid)) {
        info.displayName = QString::fromUtf8(stat->name);  // a kernel thread, or another user's
    }
    // It may have ended while it was looked at.
    if (!serial.isRunning())
        return std::nullopt;
    return info;
}

}  // namespace corvane::sampling
