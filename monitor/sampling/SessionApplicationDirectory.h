// The application directory of a desktop session: the running applications
// the session knows (owners of top-level windows, and what the registry
// launched) with the facts it holds of them, and its front application.
#pragma once

#include "monitor/sampling/ApplicationDirectory.h"

namespace corvane::session {
class RunningApplications;
}

namespace corvane::sampling {

class SessionApplicationDirectory : public ApplicationDirectory {
public:
    // apps is not owned and must outlive the directory; main thread only.
    explicit SessionApplicationDirectory(session::RunningApplications& apps) : apps_(apps) {}

    std::optional<ApplicationInformation> applicationInformation(
        const SerialNumber& serial) const override;
    std::optional<SerialNumber> frontApplication() const override;

private:
    session::RunningApplications& apps_;
};

}  // namespace corvane::sampling
