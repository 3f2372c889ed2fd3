// Readable GoogleTest output for Qt strings.
#pragma once

#include "platform/ui/IndexSet.h"

#include <QString>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QUrl& u, std::ostream* os)
{
    *os << '<' << u.toString().toStdString() << '>';
}

namespace corvane::ui {

inline void PrintTo(const IndexSet& set, std::ostream* os)
{
    *os << '{';
    for (int i : set)
        *os << (i == set.firstIndex() ? "" : ", ") << i;
    *os << '}';
}

}  // namespace corvane::ui
