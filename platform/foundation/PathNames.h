// Last path component and extension of a path held as UTF-16 code units.
// They work on raw, unterminated buffers, never write them, allocate nothing
// and touch no file system. Only '/', '.' and ':' (after an ASCII letter, a
// drive prefix) have meaning.
#pragma once

#include <cstddef>

namespace corvane {

using CFIndex = std::ptrdiff_t;
using UniChar = char16_t;

// Index at which the last path component begins, or 0. A trailing '/' stays
// part of the last component.
CFIndex CFStartOfLastPathComponent(const UniChar* characters, CFIndex length);

// Index of the '.' that begins the extension, or 0 when there is none.
CFIndex CFStartOfPathExtension(const UniChar* characters, CFIndex length);

// Number of code units left once the extension is removed.
CFIndex CFLengthAfterDeletingPathExtension(const UniChar* characters, CFIndex length);

}  // namespace corvane
