// What sampling asks of the desktop session and the application registry:
// the facts the registry holds about a running application, named by its
// serial number, and which application is frontmost. The session and
// registry services implement it; ProcessApplicationDirectory answers from
// /proc alone; tests give their own.
#pragma once

#include "platform/processes/SerialNumber.h"

#include <QString>

#include <sys/types.h>
#include <optional>

namespace corvane::sampling {

// The registry's information about one running application.
struct ApplicationInformation {
    pid_t pid = 0;
    // As the registry names it; a bundle's name may still carry ".app",
    // which sampling drops. Empty when the registry gives none.
    QString displayName;
    std::optional<QString> executablePath;
    std::optional<QString> bundlePath;
    SerialNumber serialNumber;
    std::optional<QString> bundleIdentifierLowerCase;
};

class ApplicationDirectory {
public:
    virtual ~ApplicationDirectory() = default;

    // The information for the application with that serial number; nothing
    // when no running application has it (it has quit, or it was never
    // registered).
    virtual std::optional<ApplicationInformation> applicationInformation(
        const SerialNumber& serial) const = 0;

    // The serial number of the frontmost application; nothing when there is
    // none (no desktop session, or nothing has focus).
    virtual std::optional<SerialNumber> frontApplication() const = 0;
};

}  // namespace corvane::sampling
