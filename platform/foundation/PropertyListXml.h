// The XML property-list reader. It builds values straight from a streaming
// XML parser, without recursion, so nesting, size and content are bounded by
// the limits given and nothing in the input can crash or exhaust the stack.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane::plist::xml {

// Parses an XML property list: a <plist> element holding one value, or a
// bare value element. Nothing, with error set, when the document is not
// well formed, holds an unknown element or a value that does not parse, or
// nests containers deeper than maxDepth.
std::optional<Value> read(const QByteArray& bytes, int maxDepth, QString* error);

// Seconds since 2001-01-01T00:00:00Z for an ISO 8601 date of the form
// YYYY-MM-DDTHH:MM:SS[.fraction]Z; nothing for anything else.
std::optional<double> parseDate(const QString& text);

}  // namespace corvane::plist::xml
