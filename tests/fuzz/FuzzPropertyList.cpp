// Fuzzes the property-list reader. Whatever parses must also serialize, and
// its binary form must parse back to the same value.
#include "platform/foundation/PropertyListIO.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvane::plist;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<qsizetype>(size));
    const ReadResult first = parse(bytes);
    if (!first)
        return 0;
    const auto binary = serialize(*first.value, Format::Binary);
    if (!binary)
        std::abort();  // everything read is writable
    // Compared by their serialized forms, which also holds for NaN values.
    const ReadResult second = parse(*binary);
    if (!second || serialize(*second.value, Format::Binary) != binary)
        std::abort();
    (void)serialize(*first.value, Format::Xml);
    return 0;
}
