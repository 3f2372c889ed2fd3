// The numbers the application registry's callers pass and receive: item
// information flags and requests, document-handler roles and launch flags.
// Their values are the registry's own, so callers can keep writing masks such
// as 0x14000086 or launch flags 0x80001 as they always have.
#pragma once

#include <cstdint>

namespace corvane::registry {

// Flags of an item's information (itemInfoForURL).
using ItemInfoFlags = std::uint32_t;
namespace item {
inline constexpr ItemInfoFlags kIsPlainFile = 0x00000001;
inline constexpr ItemInfoFlags kIsPackage = 0x00000002;
inline constexpr ItemInfoFlags kIsApplication = 0x00000004;
inline constexpr ItemInfoFlags kIsContainer = 0x00000008;
inline constexpr ItemInfoFlags kIsAliasFile = 0x00000010;
inline constexpr ItemInfoFlags kIsSymlink = 0x00000020;
inline constexpr ItemInfoFlags kIsInvisible = 0x00000040;
inline constexpr ItemInfoFlags kIsNativeApp = 0x00000080;
inline constexpr ItemInfoFlags kIsClassicApp = 0x00000100;
inline constexpr ItemInfoFlags kAppPrefersNative = 0x00000200;
inline constexpr ItemInfoFlags kAppPrefersClassic = 0x00000400;
inline constexpr ItemInfoFlags kAppIsScriptable = 0x00000800;
inline constexpr ItemInfoFlags kIsVolume = 0x00001000;
inline constexpr ItemInfoFlags kExtensionIsHidden = 0x00100000;
// The two private bits every runnable application package carries.
inline constexpr ItemInfoFlags kPrivateNativeCode = 0x04000000;
inline constexpr ItemInfoFlags kPrivateRegistered = 0x10000000;
// What the survey asks of a candidate: a native application package.
inline constexpr ItemInfoFlags kNativeApplicationPackageMask = 0x14000086;
}  // namespace item

// What an item-information request asks for.
using RequestedInfo = std::uint32_t;
namespace request {
inline constexpr RequestedInfo kExtension = 0x00000001;
inline constexpr RequestedInfo kTypeCreator = 0x00000002;
inline constexpr RequestedInfo kBasicFlagsOnly = 0x00000004;
inline constexpr RequestedInfo kAppTypeFlags = 0x00000008;
inline constexpr RequestedInfo kAllFlags = 0x00000010;
inline constexpr RequestedInfo kIconAndKind = 0x00000020;
inline constexpr RequestedInfo kExtensionFlagsOnly = 0x00000040;
inline constexpr RequestedInfo kAllInfo = 0xFFFFFFFF;
}  // namespace request

// The roles in which an application may handle a document.
using RolesMask = std::uint32_t;
namespace roles {
inline constexpr RolesMask kNone = 0x00000001;
inline constexpr RolesMask kViewer = 0x00000002;
inline constexpr RolesMask kEditor = 0x00000004;
inline constexpr RolesMask kShell = 0x00000008;
inline constexpr RolesMask kAll = 0xFFFFFFFF;
}  // namespace roles

// Launch flags. Only those named in the launching contract change anything
// here; the others are accepted and ignored.
using LaunchFlags = std::uint32_t;
namespace launch {
inline constexpr LaunchFlags kDefaults = 0x00000001;
inline constexpr LaunchFlags kAndPrint = 0x00000002;
inline constexpr LaunchFlags kAndDisplayErrors = 0x00000040;
inline constexpr LaunchFlags kDontAddToRecents = 0x00000100;
inline constexpr LaunchFlags kDontSwitch = 0x00000200;  // keep the launcher in front
inline constexpr LaunchFlags kNoParams = 0x00000800;    // pass no documents or arguments
inline constexpr LaunchFlags kAsync = 0x00010000;
inline constexpr LaunchFlags kNewInstance = 0x00080000;  // even when a copy already runs
inline constexpr LaunchFlags kAndHide = 0x00100000;
inline constexpr LaunchFlags kAndHideOthers = 0x00200000;
}  // namespace launch

}  // namespace corvane::registry
