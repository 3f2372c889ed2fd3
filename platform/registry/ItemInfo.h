// Item information and display names of files, folders and applications.
//
// Flags (RegistryTypes.h, namespace item):
//   kIsPlainFile      anything that is not a folder
//   kIsContainer      a folder (packages and applications included)
//   kIsPackage        a folder with a package extension (".app", ".bundle",
//                     ".framework", ".plugin", ...), any case
//   kIsApplication    a package named "*.app", or a desktop entry of
//                     Type=Application (a plain file, not a package)
//   kExtensionIsHidden  application packages (their ".app" is not shown)
//   kIsNativeApp and the two private bits 0x04000000 and 0x10000000
//                     an application package whose executable this platform
//                     recognises: Mach-O (thin or universal), ELF, or a
//                     script starting with "#!"
//   kAppIsScriptable  NSAppleScriptEnabled is true in the information dictionary
//   kIsSymlink        the URL names a symbolic link (the other flags describe
//                     what it points to)
//   kIsInvisible      the name starts with '.'
//   kIsVolume         the root of a mounted file system
// Never set here: kIsAliasFile, kIsClassicApp, kAppPrefersNative,
// kAppPrefersClassic.
//
// Asking about an application package registers it for the life of the
// process (ApplicationRegistry.h). Thread-safe.
#pragma once

#include "platform/foundation/StatusCodes.h"
#include "platform/registry/RegistryTypes.h"

#include <QString>
#include <QUrl>

namespace corvane::registry {

struct ItemInfo {
    ItemInfoFlags flags = 0;
    QString extension;  // without the dot; empty when there is none or it was not asked for
};

// The information the request asks for: any of kBasicFlagsOnly,
// kAppTypeFlags and kAllFlags gives flags (kBasicFlagsOnly alone leaves out
// kIsNativeApp, kAppIsScriptable and the private bits); kExtension gives the
// extension. Returns paramErr for a URL that is not a file URL and fnfErr
// (or the status of the failed look-up) when there is no such item; *info is
// set on success only.
OSStatus itemInfoForURL(const QUrl& url, RequestedInfo which, ItemInfo* info);

// The name to show for a file, folder or application: its file name, with
// ".app" hidden for application packages ("Text Edit.app" -> "Text Edit");
// a desktop entry's localized Name. Returns paramErr for a URL that is not a
// file URL, fnfErr when there is no such item; *name is set on success only.
OSStatus displayNameForURL(const QUrl& url, QString* name);

// Whether a bundle's main executable is one this platform recognises (see
// kIsNativeApp above).
bool hasRecognisedExecutable(const QString& bundlePath);

}  // namespace corvane::registry
