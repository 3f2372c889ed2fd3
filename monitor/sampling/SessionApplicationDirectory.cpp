#include "monitor/sampling/SessionApplicationDirectory.h"

#include "platform/session/RunningApplications.h"

namespace corvane::sampling {

std::optional<ApplicationInformation> SessionApplicationDirectory::applicationInformation(
    const SerialNumber& serial) const
{
    const auto app = apps_.application(serial);
    if (!app)
        return std::nullopt;
    const session::ProcessFacts& facts = app->facts;
    ApplicationInformation info;
    info.pid = facts.pid;
    info.serialNumber = app->serialNumber;
    info.displayName = facts.displayName;
    if (!facts.executablePath.isEmpty())
        info.executablePath = facts.executablePath;
    if (!facts.bundlePath.isEmpty())
        info.bundlePath = facts.bundlePath;
    if (!facts.bundleIdentifier.isEmpty())
        info.bundleIdentifierLowerCase = facts.bundleIdentifier.toLower();
    return info;
}

std::optional<SerialNumber> SessionApplicationDirectory::frontApplication() const
{
    const SerialNumber front = apps_.frontApplication();
    return front.isValid() ? std::optional(front) : std::nullopt;
}

}  // namespace corvane::sampling
