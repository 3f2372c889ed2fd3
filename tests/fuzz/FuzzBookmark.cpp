// Fuzzes bookmark data: our own dictionary form and the foreign bookmark and
// alias formats.
#include "platform/foundation/FileReference.h"
#include "platform/foundation/ForeignBookmark.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)corvane::pathFromForeignBookmark(bytes);
    if (const auto ref = corvane::referenceFromBookmarkData(bytes))
        (void)ref->lastKnownPath();
    return 0;
}
