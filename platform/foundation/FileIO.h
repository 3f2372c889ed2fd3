// Small, careful file primitives shared by every reader and writer of user
// data: bounded reads that never block on special files, and atomic writes.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane {

// Reads the whole of a regular file, refusing anything larger than maxBytes.
// Symbolic links are followed; FIFOs, devices, sockets and folders are
// refused without blocking. On failure returns nothing and, when error is
// given, sets it to a short reason naming the path.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes,
                                          QString* error = nullptr);

// Reads at most maxBytes from the start of a regular file (less when the file
// is shorter). Same refusals as readRegularFile. fileSize receives the size
// the file had when it was opened.
std::optional<QByteArray> readFileHead(const QString& path, qint64 maxBytes,
                                       qint64* fileSize = nullptr, QString* error = nullptr);

// Replaces the file at path with bytes, atomically: readers see either the
// old or the new content, never a mixture, and a crash leaves the old file.
// The data is written to a temporary file in the same folder, flushed to
// disk and renamed over the target. mode applies to a newly created file.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         int mode = 0644);

// The path as the file system spells it (UTF-8 on these systems).
QByteArray nativePath(const QString& path);

}  // namespace corvane
