// Joins the application registry to the running applications of the
// session: what the registry launches counts as running (and is announced)
// at once, and a launch that finds a copy already running brings that copy's
// windows forward through the session.
#pragma once

#include "platform/session/RunningApplications.h"

namespace corvane::session {

// While it exists, the registry's activator and launch observer use apps;
// applications the registry launched before it was made are noted too.
// apps must outlive it. One connection at a time.
class RegistryConnection {
public:
    explicit RegistryConnection(RunningApplications& apps);
    ~RegistryConnection();
    RegistryConnection(const RegistryConnection&) = delete;
    RegistryConnection& operator=(const RegistryConnection&) = delete;
};

}  // namespace corvane::session
