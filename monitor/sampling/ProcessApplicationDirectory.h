// An application directory that answers from /proc alone, for where no
// desktop session is running (the probe, headless tests): any running
// process is an application, its serial number is its own
// (SerialNumber::forProcess), its bundle is the ".app" folder that encloses
// its executable (<bundle>.app/Contents/MacOS/<name>), with the identifier
// from that bundle's Info.plist. There is no frontmost application.
#pragma once

#include "monitor/sampling/ApplicationDirectory.h"

namespace corvane::proc {
class ProcessTable;
}

namespace corvane::sampling {

class ProcessApplicationDirectory : public ApplicationDirectory {
public:
    // The table is not owned and must outlive the directory.
    explicit ProcessApplicationDirectory(proc::ProcessTable& table);

    std::optional<ApplicationInformation> applicationInformation(
        const SerialNumber& serial) const override;
    std::optional<SerialNumber> frontApplication() const override { return std::nullopt; }

private:
    proc::ProcessTable& table_;
};

}  // namespace corvane::sampling
