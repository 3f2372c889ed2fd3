#include "platform/session/RegistryConnection.h"

#include "platform/registry/Launching.h"

namespace corvane::session {

RegistryConnection::RegistryConnection(RunningApplications& apps)
{
    for (const registry::LaunchRecord& r : registry::launchedApplications())
        apps.noteLaunched(r.serial, r.applicationPath);
    registry::setLaunchObserver(
        [&apps](const registry::LaunchRecord& r) { apps.noteLaunched(r.serial, r.applicationPath); });
    registry::setActivator([&apps](pid_t pid) {
        const SerialNumber serial = SerialNumber::forProcess(pid);
        return serial.isValid() && apps.activate(serial) == status::noErr;
    });
}

RegistryConnection::~RegistryConnection()
{
    registry::setLaunchObserver({});
    registry::setActivator({});
}

}  // namespace corvane::session
