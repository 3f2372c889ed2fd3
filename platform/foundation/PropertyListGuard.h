// The pre-parse check that keeps hostile binary property lists away from
// libplist's recursive parser. It walks the input without recursion and in
// time linear in its size.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace corvane::plist::guard {

// Verifies that a binary property list's trailer, offset table and object
// references are consistent, that no object contains itself, and that no
// chain of containers is deeper than maxDepth. Returns an empty string when
// the input may be parsed, else the reason it may not. Objects referenced
// from several places count once per reference towards maxNodes, as a parser
// that copies them makes that many values.
QString checkBinary(const QByteArray& bytes, int maxDepth, std::uint64_t maxNodes);

}  // namespace corvane::plist::guard
