// Fuzzes the executable-header reader with the input as the head of a file
// and, separately, as a file of a size the input's last bytes choose.
#include "platform/bundles/ExecutableArchitectures.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray head =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto whole = corvane::parseExecutableHeader(head, size);
    // A file never has more slices than its header has room for.
    if (whole.architectures.size() > size / 20 + 1)
        std::abort();

    std::uint64_t claimed = 0;
    if (size >= 8)
        std::memcpy(&claimed, data + size - 8, 8);
    (void)corvane::parseExecutableHeader(head, claimed);
    return 0;
}
