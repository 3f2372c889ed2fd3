// The key table of the process information dictionary and of the value
// arrays that fill it: slot i of a value array belongs to key i.
//
//   0 kLSPIDKey                        process identifier (qint32)
//   1 kLSDisplayNameKey                display name (QString)
//   2 kLSExecutablePathKey             executable path (QString)
//   3 "NSApplicationIcon"              icon (QImage)
//   4 "currentProcessType"             word size, "64" or "32"
//   5 "currentProcessCPU"              CPU load, "%.1f" percent of one processor
//   6 "currentProcessMEM"              resident memory, "%.1f" percent of physical memory
//   7 kLSBundlePathKey                 bundle path (QString)
//   8 kLSASNKey                        serial number (corvane::SerialNumber)
//   9 kLSBundleIdentifierLowerCaseKey  bundle identifier in lower case (QString)
//  10 "currentProcessCPUN"             process list entries only; always the null marker
//  11 "currentProcessMEMN"             process list entries only; always the null marker
//
// A value that is the null marker (corvane::nullMarkerVariant()) means the
// fact is not available: no bundle, not a registered application, a word
// size that could not be read.
#pragma once

#include <QString>

#include <array>

namespace corvane::sampling {

inline const QString kLSPIDKey = QStringLiteral("LSPID");
inline const QString kLSDisplayNameKey = QStringLiteral("LSDisplayName");
inline const QString kLSExecutablePathKey = QStringLiteral("LSExecutablePath");
inline const QString kApplicationIconKey = QStringLiteral("NSApplicationIcon");
inline const QString kCurrentProcessTypeKey = QStringLiteral("currentProcessType");
inline const QString kCurrentProcessCPUKey = QStringLiteral("currentProcessCPU");
inline const QString kCurrentProcessMEMKey = QStringLiteral("currentProcessMEM");
inline const QString kLSBundlePathKey = QStringLiteral("LSBundlePath");
inline const QString kLSASNKey = QStringLiteral("LSASN");
inline const QString kLSBundleIdentifierLowerCaseKey =
    QStringLiteral("LSBundleIdentifierLowerCase");
inline const QString kCurrentProcessCPUNKey = QStringLiteral("currentProcessCPUN");
inline const QString kCurrentProcessMEMNKey = QStringLiteral("currentProcessMEMN");

enum Slot : int {
    kPIDSlot = 0,
    kDisplayNameSlot = 1,
    kExecutablePathSlot = 2,
    kIconSlot = 3,
    kTypeSlot = 4,
    kCPUSlot = 5,
    kMEMSlot = 6,
    kBundlePathSlot = 7,
    kASNSlot = 8,
    kBundleIdentifierLowerCaseSlot = 9,
    kCPUNSlot = 10,
    kMEMNSlot = 11,
};

// A value array of the process information dictionary, and of a process
// list entry.
inline constexpr int kValueArraySlots = 10;
inline constexpr int kProcessListSlots = 12;

// The keys in slot order.
inline const std::array<QString, kProcessListSlots>& processKeyTable()
{
    static const std::array<QString, kProcessListSlots> table = {
        kLSPIDKey,
        kLSDisplayNameKey,
        kLSExecutablePathKey,
        kApplicationIconKey,
        kCurrentProcessTypeKey,
        kCurrentProcessCPUKey,
        kCurrentProcessMEMKey,
        kLSBundlePathKey,
        kLSASNKey,
        kLSBundleIdentifierLowerCaseKey,
        kCurrentProcessCPUNKey,
        kCurrentProcessMEMNKey,
    };
    return table;
}

}  // namespace corvane::sampling
