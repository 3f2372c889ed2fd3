// Showing files and folders selected in the desktop's file manager.
//
// The file manager is asked over the session bus
// (org.freedesktop.FileManager1.ShowItems, which starts a file manager that
// offers it when none runs). When no file manager answers (no session bus,
// no such service, an error, or no reply within kRevealTimeoutMs), the
// folders that hold the items are opened instead, each once, with the
// registry's default application for folders.
//
// Asynchronous: the call returns at once and the outcome arrives later on the
// calling thread, which must run a Qt event loop (a QCoreApplication must
// exist).
#pragma once

#include <QList>
#include <QUrl>

#include <functional>

namespace corvane::files {

inline constexpr int kRevealTimeoutMs = 10'000;

enum class RevealOutcome {
    NothingToShow,       // no file URL among the items
    ShownByFileManager,  // the file manager accepted them
    OpenedFolders,       // the fallback opened the folders holding them
    Failed,              // neither worked
};

// Shows the file URLs among items selected; other URLs are ignored. done,
// when given, receives the outcome.
void revealInFileManager(const QList<QUrl>& items, std::function<void(RevealOutcome)> done = {});

// The fallback alone, synchronously: opens each distinct folder holding one
// of the items. Returns whether at least one folder was opened.
bool openContainingFolders(const QList<QUrl>& items);

}  // namespace corvane::files
