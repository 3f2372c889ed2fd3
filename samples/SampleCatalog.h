// The catalog of the sample Applications folder: every bundle the generator
// writes, what goes into it, and the survey outcome expected for it.
//
// The expectations are worked out by hand from the classification rules for
// a system whose version is 10.9.5, with no system minimum-version list and
// no per-application architecture settings. They are the oracle the survey
// engine's tests check against, so they are written down here and never
// computed.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace corvane::samples {

// The system the expectations assume.
inline constexpr QLatin1StringView kAssumedSystemVersion{"10.9.5"};

// The reasons a bundle is listed or left out, one short phrase per rule.
namespace why {
inline constexpr QLatin1StringView kNoDeclarations{"universal, no declarations"};
inline constexpr QLatin1StringView kNoDeclarationsWithPowerPC{
    "universal with a PowerPC slice, no declarations"};
inline constexpr QLatin1StringView kNoIdentifier{"no bundle identifier"};
inline constexpr QLatin1StringView kPriorityFirstI386{"LSArchitecturePriority first i386"};
inline constexpr QLatin1StringView kPriorityFirstX86_64{"LSArchitecturePriority first x86_64"};
inline constexpr QLatin1StringView kPriorityFirstOther{
    "LSArchitecturePriority first neither i386 nor x86_64"};
inline constexpr QLatin1StringView kNativeI386First{
    "LSRequiresNativeExecution with i386 before x86_64 in LSArchitecturePriority"};
inline constexpr QLatin1StringView kNativeX86_64First{
    "LSRequiresNativeExecution with x86_64 before i386 in LSArchitecturePriority"};
inline constexpr QLatin1StringView kNativeWithoutPriority{
    "LSRequiresNativeExecution without LSArchitecturePriority"};
inline constexpr QLatin1StringView kPrefersPPCWithSlice{"LSPrefersPPC with a PowerPC slice"};
inline constexpr QLatin1StringView kPrefersPPCWithoutSlice{"LSPrefersPPC without a PowerPC slice"};
inline constexpr QLatin1StringView kPrefersPPCUnderNative{
    "LSPrefersPPC ignored under LSRequiresNativeExecution"};
inline constexpr QLatin1StringView kMinimumAbove{"LSMinimumSystemVersion above the system version"};
inline constexpr QLatin1StringView kMinimumNotAbove{
    "LSMinimumSystemVersion at or below the system version"};
inline constexpr QLatin1StringView kMinimumEmpty{"empty LSMinimumSystemVersion is ignored"};
inline constexpr QLatin1StringView kMinimumX86_64Above{
    "LSMinimumSystemVersionByArchitecture x86_64 above the system version"};
inline constexpr QLatin1StringView kMinimumX86_64NotAbove{
    "LSMinimumSystemVersionByArchitecture x86_64 at or below the system version"};
inline constexpr QLatin1StringView kMinimumWithoutX86_64{
    "LSMinimumSystemVersionByArchitecture without x86_64 is ignored"};
inline constexpr QLatin1StringView kJavaMainClass{"Java application with MainClass"};
inline constexpr QLatin1StringView kJavaWithoutMainClass{"Java dictionary without MainClass"};
inline constexpr QLatin1StringView kStoreIdentifier{"store identifier"};
inline constexpr QLatin1StringView kNoX86_64Slice{"no x86_64 slice"};
inline constexpr QLatin1StringView kNoI386Slice{"no i386 slice"};
inline constexpr QLatin1StringView kElfWithoutI386{"ELF x86_64 executable, no i386 slice"};
inline constexpr QLatin1StringView kScriptWithoutArchitectures{
    "script executable, no architectures"};
}  // namespace why

enum class ProgramKind {
    MachO,   // a Mach-O file with the catalog's slices
    Elf,     // the native sample program (x86_64), runnable here
    Script,  // a shell script that prints a line and exits 0
};

enum class InfoFormat { Xml, Binary };

enum class LaunchMode { I386, X86_64 };

struct Expectation {
    bool listed = false;
    LaunchMode mode = LaunchMode::X86_64;  // meaningful only when listed
    QString why;
};

struct SampleBundle {
    QString path;                             // relative to the output folder, '/'-separated
    QString identifier;                       // CFBundleIdentifier; empty: the key is left out
    QString shortVersion;                     // CFBundleShortVersionString
    QString version;                          // CFBundleVersion
    QString copyright;                        // NSHumanReadableCopyright
    QString iconFile;                         // CFBundleIconFile, with or without ".icns"
    std::vector<std::int32_t> architectures;  // CPU types, in file order
    ProgramKind program = ProgramKind::MachO;
    InfoFormat infoFormat = InfoFormat::Xml;
    plist::Dictionary declarations;  // further Info.plist keys (LS*, Java)
    Expectation expected;

    QString fileName() const;      // the last path component, "Name.app"
    QString displayName() const;   // the file name without ".app"
    QString iconFileName() const;  // the icon's file name in Resources
    bool runnable() const { return program != ProgramKind::MachO; }
};

// The whole catalog, parents listed before the bundles nested inside them.
const std::vector<SampleBundle>& sampleCatalog();

// "i386" or "x86_64".
QString launchModeName(LaunchMode mode);

}  // namespace corvane::samples
