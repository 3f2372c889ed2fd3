// File packages: folders the desktop shows as single items (applications,
// bundles, frameworks, plug-ins, documents stored as folders).
#pragma once

#include <QString>

namespace corvane::files {

// Whether path is a folder whose extension is one of the package types
// (app, bundle, framework, plugin, kext, ... compared without regard to case).
bool isFilePackage(const QString& path);

// Whether an extension (without the dot) names a package type.
bool isPackageExtension(const QString& extension);

}  // namespace corvane::files
