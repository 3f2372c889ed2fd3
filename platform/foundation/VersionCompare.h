// Comparison of version strings: digit runs compare by numeric value, every
// other character by its UTF-16 code unit; no case folding, no locale.
// "10.10" > "10.9", "10.6.8" > "10.6", equal strings are equal.
#pragma once

#include <QString>

namespace corvane {

// Returns -1, 0 or 1.
int compareVersions(const QString& first, const QString& second);

}  // namespace corvane
