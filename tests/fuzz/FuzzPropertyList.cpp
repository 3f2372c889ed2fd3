// Fuzzes the property-list reader. Whatever parses must also serialize, and
// its binary form must parse back to the same value.
#include "platform/foundation/PropertyListIO.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace corvane::plist;

bool sameReal(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Equality in which NaN equals NaN. (Serialized bytes are no oracle: the
// writer may number shared objects differently from run to run.)
bool same(const Value& a, const Value& b)
{
    if (a.kind() != b.kind())
        return false;
    if (a.isReal())
        return sameReal(*a.real(), *b.real());
    if (a.isDate())
        return sameReal(a.date()->secondsSinceReference, b.date()->secondsSinceReference);
    if (const Array* x = a.array()) {
        const Array& y = *b.array();
        if (x->size() != y.size())
            return false;
        for (qsizetype i = 0; i < x->size(); ++i) {
            if (!same(x->at(i), y.at(i)))
                return false;
        }
        return true;
    }
    if (const Dictionary* x = a.dictionary()) {
        const Dictionary& y = *b.dictionary();
        if (x->keys() != y.keys())
            return false;
        for (auto it = x->begin(); it != x->end(); ++it) {
            if (!same(it.value(), y.value(it.key())))
                return false;
        }
        return true;
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ReadResult first = parse(bytes);
    if (!first)
        return 0;
    const auto binary = serialize(*first.value, Format::Binary);
    if (!binary)
        std::abort();  // everything read is writable
    const ReadResult second = parse(*binary);
    if (!second || !same(*second.value, *first.value))
        std::abort();
    (void)serialize(*first.value, Format::Xml);
    return 0;
}
