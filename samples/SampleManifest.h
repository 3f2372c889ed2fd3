// The manifest of the sample Applications folder: one JSON entry per bundle
// with what was written and the survey outcome expected for it.
//
//   { "systemVersion": "10.9.5", "minimumVersionList": null,
//     "architectureSettings": null,
//     "bundles": [ { "path": "Harbor Mail.app", "name": "Harbor Mail",
//                    "identifier": "com.harborsoft.mail" (null when absent),
//                    "version": "1740", "shortVersion": "4.2.1",
//                    "architectures": ["i386", "x86_64"],
//                    "executable": "mach-o" | "elf" | "script",
//                    "runnable": false, "infoPlist": "xml" | "binary",
//                    "iconFile": "HarborMail.icns",
//                    "listed": true, "mode": "x86_64", "why": "..." }, ... ] }
//
// "mode" is present for listed bundles only.
#pragma once

#include <QJsonDocument>
#include <QString>

namespace corvane::samples {

QJsonDocument sampleManifest();

// Writes the manifest to file (replacing it atomically), creating the
// file's folder when missing. Returns false with error set on failure.
bool writeSampleManifest(const QString& file, QString* error);

}  // namespace corvane::samples
