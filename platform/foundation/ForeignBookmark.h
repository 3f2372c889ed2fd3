// Paths stored in the bookmark and alias formats that the other desktop
// system writes into settings files, so that settings exported there apply to
// the same applications here. Only the stored POSIX path is read; nothing is
// resolved through volume or file identifiers of that system.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane {

// The absolute path in a "book" bookmark (its path-components entry) or in a
// version 2 or 3 alias record (its POSIX path tags); nothing for anything
// else, including truncated or inconsistent data.
std::optional<QString> pathFromForeignBookmark(const QByteArray& data);

}  // namespace corvane
