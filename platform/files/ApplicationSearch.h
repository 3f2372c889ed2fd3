// Finding application bundles below a folder or in a whole volume: every
// folder whose name is one or more characters followed by exactly ".app",
// including bundles inside other bundles, inside packages and inside hidden
// folders.
//
// The search reads directory entries in large batches straight from the
// kernel and never stats an entry whose type the directory already gives. It
// never follows symbolic links, never crosses into another mounted file
// system, skips folders it cannot read (or that vanish while it runs), and
// cannot loop. It reads the first levels on the calling thread, then walks
// the sub-trees below them on one thread per processor; the results come in
// no particular order.
#pragma once

#include "platform/foundation/StatusCodes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace corvane::files {

struct SearchProgress {
    std::uint64_t foldersRead = 0;
    std::uint64_t bundlesFound = 0;
};

struct SearchOptions {
    // Called every few thousand folders, for a progress display; always on
    // the calling thread.
    std::function<void(const SearchProgress&)> progress;
    // Folders nested deeper than this below the root are not read.
    int maxDepth = 1024;
};

struct SearchResult {
    OSStatus status = status::noErr;  // for the root; unreadable sub-folders are skipped
    SearchProgress totals;
};

// Appends the absolute path of every application bundle below root (root
// itself excluded) to found. The status is noErr, or describes why root
// itself could not be read (fnfErr, dirNFErr, afpAccessDenied, ...).
SearchResult findApplicationBundles(const QString& root, QStringList& found,
                                    const SearchOptions& options = {});

// Whether a folder name qualifies: at least one character, then ".app".
bool isApplicationBundleName(const char* name, std::size_t length);

}  // namespace corvane::files
