// Reading and writing property lists in the XML and binary formats.
//
// Binary lists are parsed by libplist, behind a guard for what it does not
// survive: the input's tables, references, nesting depth, expanded size and
// strings are checked before libplist sees it (it recurses without a limit,
// copies shared objects and aborts on strings holding NUL). Integers keep
// their sign (libplist 2.2 holds them as unsigned) and dates their full range
// and fractions (libplist 2.2 hands them out as 32-bit seconds). XML lists are
// read by a streaming reader of our own, bounded the same way and about twice
// as fast as libplist's. Both formats are written by libplist.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane::plist {

enum class Format { Xml, Binary };

struct Limits {
    qint64 maxBytes = 64 * 1024 * 1024;
    int maxDepth = 512;  // containers nested inside each other
    // Values a binary list may expand to (shared objects count once per use).
    std::uint64_t maxValues = 4'000'000;
};

struct ReadResult {
    std::optional<Value> value;   // present on success
    QString error;                // a short reason on failure
    Format format = Format::Xml;  // the format the input was in

    explicit operator bool() const { return value.has_value(); }
};

// Parses a property list of either format (detected from the bytes).
ReadResult parse(const QByteArray& bytes, const Limits& limits = {});

// Reads and parses a regular file; special files are refused without blocking.
ReadResult readFile(const QString& path, const Limits& limits = {});

// Serializes a value. Fails (nothing returned, error set) for values that a
// property list cannot hold: the null marker, strings or keys holding a NUL
// character, or nesting deeper than limits.maxDepth. The XML format keeps
// dates to the whole second.
std::optional<QByteArray> serialize(const Value& value, Format format, QString* error = nullptr,
                                    const Limits& limits = {});

// Serializes and replaces the file at path atomically.
bool writeFile(const QString& path, const Value& value, Format format, QString* error = nullptr);

// True when the bytes start like a binary property list.
bool looksBinary(const QByteArray& bytes);

}  // namespace corvane::plist
