#include "platform/foundation/PropertyListIO.h"

#include "platform/foundation/FileIO.h"
#include "platform/foundation/PropertyListGuard.h"
#include "platform/foundation/PropertyListXml.h"

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace corvane::plist {

namespace {

struct PlistFree {
    void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

struct MallocFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using MallocPtr = std::unique_ptr<T, MallocFree>;

constexpr char kBinaryMagic[] = "bplist00";

// libplist 2.2 keeps a node's full value internally but hands dates out as
// 32-bit seconds and integers without their sign. Its binary writer, run on
// the single node, shows the stored form: the marker byte after the 8-byte
// header tells an integer's width, and a date's 8 bytes are its double.
QByteArray nodeAsBinary(plist_t node)
{
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &out, &length);
    MallocPtr<char> owner(out);
    return out ? QByteArray(out, static_cast<qsizetype>(length)) : QByteArray();
}

std::uint64_t bigEndian(const QByteArray& b, qsizetype at, int width)
{
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | static_cast<std::uint8_t>(b.at(at + i));
    return v;
}

Integer integerOf(plist_t node)
{
    uint64_t bits = 0;
    plist_get_uint_val(node, &bits);
    if (bits <= static_cast<std::uint64_t>(INT64_MAX))
        return Integer::fromSigned(static_cast<std::int64_t>(bits));
    // Above INT64_MAX: a 16-byte integer is unsigned, an 8-byte one negative.
    const QByteArray bin = nodeAsBinary(node);
    const bool sixteen = bin.size() > 8 && static_cast<std::uint8_t>(bin.at(8)) == 0x14;
    return sixteen ? Integer::fromUnsigned(bits)
                   : Integer::fromSigned(static_cast<std::int64_t>(bits));
}

Date dateOf(plist_t node)
{
    const QByteArray bin = nodeAsBinary(node);
    if (bin.size() >= 17 && static_cast<std::uint8_t>(bin.at(8)) == 0x33) {
        const std::uint64_t bits = bigEndian(bin, 9, 8);
        double seconds = 0;
        std::memcpy(&seconds, &bits, sizeof seconds);
        return {seconds};
    }
    int32_t sec = 0;
    int32_t usec = 0;
    plist_get_date_val(node, &sec, &usec);
    return {sec + usec / 1e6};
}

QString stringOf(plist_t node, bool key)
{
    char* s = nullptr;
    key ? plist_get_key_val(node, &s) : plist_get_string_val(node, &s);
    MallocPtr<char> owner(s);
    return s ? QString::fromUtf8(s) : QString();
}

// depth counts the containers around node; no container may lie deeper than
// maxDepth (the guards have checked this already; this keeps it so).
std::optional<Value> toValue(plist_t node, int depth, int maxDepth)
{
    const plist_type type = plist_get_node_type(node);
    if ((type == PLIST_ARRAY || type == PLIST_DICT) && depth > maxDepth)
        return std::nullopt;
    switch (type) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(b != 0);
    }
    case PLIST_UINT:
        return Value(integerOf(node));
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(d);
    }
    case PLIST_STRING:
        return Value(stringOf(node, false));
    case PLIST_KEY:
        return Value(stringOf(node, true));
    case PLIST_DATE:
        return Value(dateOf(node));
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        MallocPtr<char> owner(bytes);
        return Value(bytes ? QByteArray(bytes, static_cast<qsizetype>(length)) : QByteArray());
    }
    case PLIST_UID: {
        // Keyed-archive references read as {CF$UID = n}, as the XML form spells them.
        uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        return Value(Dictionary{{QStringLiteral("CF$UID"), Value(Integer::fromUnsigned(uid))}});
    }
    case PLIST_ARRAY: {
        Array array;
        const uint32_t n = plist_array_get_size(node);
        array.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            auto child = toValue(plist_array_get_item(node, i), depth + 1, maxDepth);
            if (!child)
                return std::nullopt;
            array.append(std::move(*child));
        }
        return Value(array);
    }
    case PLIST_DICT: {
        Dictionary dict;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        MallocPtr<void> iterOwner(it);
        while (true) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            MallocPtr<char> keyOwner(key);
            if (!item)
                break;
            auto child = toValue(item, depth + 1, maxDepth);
            if (!child)
                return std::nullopt;
            dict.insert(key ? QString::fromUtf8(key) : QString(), std::move(*child));
        }
        return Value(dict);
    }
    case PLIST_NONE:
        break;
    }
    return std::nullopt;
}

// A one-object binary property list holding the object bytes given; parsed by
// libplist, it yields a node with exactly that stored form.
PlistPtr nodeFromObjectBytes(const QByteArray& object)
{
    QByteArray b(kBinaryMagic, 8);
    b += object;
    const auto tableOffset = static_cast<std::uint8_t>(b.size());
    b += char(8);  // offset table: the object starts after the header
    QByteArray trailer(32, '\0');
    trailer[6] = 1;   // offset size
    trailer[7] = 1;   // reference size
    trailer[15] = 1;  // one object
    trailer[31] = static_cast<char>(tableOffset);
    b += trailer;
    plist_t node = nullptr;
    plist_from_bin(b.constData(), static_cast<uint32_t>(b.size()), &node);
    return PlistPtr(node);
}

QByteArray bigEndianBytes(std::uint64_t v, int width)
{
    QByteArray b(width, '\0');
    for (int i = width - 1; i >= 0; --i, v >>= 8)
        b[i] = static_cast<char>(v & 0xFF);
    return b;
}

PlistPtr refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return nullptr;
}

PlistPtr toNode(const Value& value, QString* error)
{
    switch (value.kind()) {
    case Value::Kind::Null:
        return refuse(error, QStringLiteral("the null marker cannot be written to a property list"));
    case Value::Kind::Boolean:
        return PlistPtr(plist_new_bool(*value.boolean() ? 1 : 0));
    case Value::Kind::Integer: {
        const Integer i = *value.integer();
        if (!i.isUnsigned)
            return PlistPtr(plist_new_uint(i.bits));
        return nodeFromObjectBytes(char(0x14) + bigEndianBytes(0, 8) + bigEndianBytes(i.bits, 8));
    }
    case Value::Kind::Real:
        return PlistPtr(plist_new_real(*value.real()));
    case Value::Kind::String: {
        if (value.string()->contains(QChar(0)))
            return refuse(error, QStringLiteral("a string holding a NUL character cannot be written"));
        const QByteArray utf8 = value.string()->toUtf8();
        return PlistPtr(plist_new_string(utf8.constData()));
    }
    case Value::Kind::Data: {
        const QByteArray& d = *value.data();
        return PlistPtr(plist_new_data(d.constData(), static_cast<uint64_t>(d.size())));
    }
    case Value::Kind::Date: {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value.date()->secondsSinceReference, sizeof bits);
        return nodeFromObjectBytes(char(0x33) + bigEndianBytes(bits, 8));
    }
    case Value::Kind::Array: {
        PlistPtr array(plist_new_array());
        for (const Value& e : *value.array()) {
            PlistPtr child = toNode(e, error);
            if (!child)
                return nullptr;
            plist_array_append_item(array.get(), child.release());
        }
        return array;
    }
    case Value::Kind::Dictionary: {
        PlistPtr dict(plist_new_dict());
        const Dictionary& d = *value.dictionary();
        for (auto it = d.begin(); it != d.end(); ++it) {
            if (it.key().contains(QChar(0)))
                return refuse(error, QStringLiteral("a key holding a NUL character cannot be written"));
            PlistPtr child = toNode(it.value(), error);
            if (!child)
                return nullptr;
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), child.release());
        }
        return dict;
    }
    }
    return nullptr;
}

ReadResult failure(const QString& error, Format format)
{
    ReadResult r;
    r.error = error;
    r.format = format;
    return r;
}

}  // namespace

bool looksBinary(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArrayView(kBinaryMagic, 6));
}

ReadResult parse(const QByteArray& bytes, const Limits& limits)
{
    const Format format = looksBinary(bytes) ? Format::Binary : Format::Xml;
    if (bytes.isEmpty())
        return failure(QStringLiteral("empty property list"), format);
    if (bytes.size() > limits.maxBytes)
        return failure(QStringLiteral("property list larger than %1 bytes").arg(limits.maxBytes),
                       format);

    if (format == Format::Xml) {
        ReadResult r;
        r.format = format;
        r.value = xml::read(bytes, limits.maxDepth, &r.error);
        return r;
    }

    const QString refusal = guard::checkBinary(bytes, limits.maxDepth, limits.maxValues);
    if (!refusal.isEmpty())
        return failure(refusal, format);

    plist_t root = nullptr;
    plist_from_bin(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    if (!root)
        return failure(QStringLiteral("malformed binary property list"), format);

    ReadResult r;
    r.format = format;
    r.value = toValue(root, 1, limits.maxDepth);
    if (!r.value)
        r.error = QStringLiteral("property list nested deeper than %1 levels").arg(limits.maxDepth);
    return r;
}

ReadResult readFile(const QString& path, const Limits& limits)
{
    QString error;
    const auto bytes = readRegularFile(path, limits.maxBytes, &error);
    if (!bytes)
        return failure(error, Format::Xml);
    ReadResult r = parse(*bytes, limits);
    if (!r)
        r.error = path + QStringLiteral(": ") + r.error;
    return r;
}

std::optional<QByteArray> serialize(const Value& value, Format format, QString* error,
                                    const Limits& limits)
{
    if (value.depth() > limits.maxDepth + 1) {  // depth() counts the scalar level too
        if (error)
            *error =
                QStringLiteral("property list nested deeper than %1 levels").arg(limits.maxDepth);
        return std::nullopt;
    }
    PlistPtr root = toNode(value, error);
    if (!root)
        return std::nullopt;
    char* out = nullptr;
    uint32_t length = 0;
    if (format == Format::Binary)
        plist_to_bin(root.get(), &out, &length);
    else
        plist_to_xml(root.get(), &out, &length);
    MallocPtr<char> owner(out);
    if (!out) {
        if (error)
            *error = QStringLiteral("the property list could not be serialized");
        return std::nullopt;
    }
    return QByteArray(out, static_cast<qsizetype>(length));
}

bool writeFile(const QString& path, const Value& value, Format format, QString* error)
{
    const auto bytes = serialize(value, format, error);
    return bytes && writeFileAtomically(path, *bytes, error);
}

}  // namespace corvane::plist
