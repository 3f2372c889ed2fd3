#include "platform/foundation/ForeignBookmark.h"

#include <QStringList>

#include <cstdint>

namespace corvane {

namespace {

// ---- "book" bookmarks: little-endian, offsets relative to the data area ----

constexpr std::uint32_t kTocMagic = 0xFFFFFFFE;
constexpr std::uint32_t kPathComponentsKey = 0x1004;
constexpr std::uint32_t kTypeString = 0x0101;
constexpr std::uint32_t kTypeArray = 0x0601;
constexpr int kMaxTocs = 64;

class BookReader {
public:
    explicit BookReader(const QByteArray& data) : d_(data) {}

    std::optional<QString> path()
    {
        if (!d_.startsWith("book") || !u32(12, base_) || base_ >= size())
            return std::nullopt;
        std::uint32_t tocOffset = 0;
        if (!u32(base_, tocOffset))
            return std::nullopt;
        for (int n = 0; n < kMaxTocs && tocOffset != 0; ++n) {
            std::uint32_t next = 0;
            if (auto p = pathInToc(tocOffset, next))
                return p;
            if (next == tocOffset)
                break;
            tocOffset = next;
        }
        return std::nullopt;
    }

private:
    std::uint64_t size() const { return static_cast<std::uint64_t>(d_.size()); }

    bool u32(std::uint64_t at, std::uint32_t& out) const
    {
        if (at + 4 > size())
            return false;
        out = 0;
        for (int i = 3; i >= 0; --i)
            out = (out << 8) | static_cast<std::uint8_t>(d_.at(static_cast<qsizetype>(at) + i));
        return true;
    }

    std::optional<QString> pathInToc(std::uint32_t tocOffset, std::uint32_t& next) const
    {
        const std::uint64_t toc = base_ + std::uint64_t(tocOffset);
        std::uint32_t magic = 0;
        std::uint32_t count = 0;
        if (!u32(toc + 4, magic) || magic != kTocMagic || !u32(toc + 12, next) ||
            !u32(toc + 16, count))
            return std::nullopt;
        if (count > (size() - std::min(size(), toc + 20)) / 12)
            return std::nullopt;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t key = 0;
            std::uint32_t offset = 0;
            const std::uint64_t entry = toc + 20 + std::uint64_t(i) * 12;
            if (!u32(entry, key) || !u32(entry + 4, offset))
                return std::nullopt;
            if ((key & 0x7FFFFFFF) == kPathComponentsKey)
                return pathFromComponents(offset);
        }
        return std::nullopt;
    }

    std::optional<QString> pathFromComponents(std::uint32_t offset) const
    {
        std::uint32_t length = 0;
        std::uint32_t type = 0;
        const std::uint64_t item = base_ + std::uint64_t(offset);
        if (!u32(item, length) || !u32(item + 4, type) || type != kTypeArray ||
            item + 8 + length > size())
            return std::nullopt;
        QStringList parts;
        for (std::uint32_t i = 0; i + 4 <= length; i += 4) {
            std::uint32_t partOffset = 0;
            u32(item + 8 + i, partOffset);
            auto part = stringAt(partOffset);
            if (!part)
                return std::nullopt;
            parts << *part;
        }
        return u'/' + parts.join(u'/');
    }

    std::optional<QString> stringAt(std::uint32_t offset) const
    {
        std::uint32_t length = 0;
        std::uint32_t type = 0;
        const std::uint64_t item = base_ + std::uint64_t(offset);
        if (!u32(item, length) || !u32(item + 4, type) || type != kTypeString ||
            item + 8 + length > size())
            return std::nullopt;
        return QString::fromUtf8(d_.constData() + item + 8, static_cast<qsizetype>(length));
    }

    const QByteArray& d_;
    std::uint32_t base_ = 0;
};

// ---- alias records: big-endian, a fixed part then tagged entries ----------

constexpr std::int16_t kTagPosixPath = 18;
constexpr std::int16_t kTagPosixMountPoint = 19;
constexpr std::int16_t kTagEnd = -1;

std::optional<QString> pathFromAlias(const QByteArray& d)
{
    if (d.size() < 8)
        return std::nullopt;
    const auto be16 = [&](qsizetype at) {
        return static_cast<std::uint16_t>((static_cast<std::uint8_t>(d.at(at)) << 8) |
                                          static_cast<std::uint8_t>(d.at(at + 1)));
    };
    const std::uint16_t recordSize = be16(4);
    const std::uint16_t version = be16(6);
    if (recordSize > d.size() || (version != 2 && version != 3))
        return std::nullopt;
    qsizetype pos = version == 2 ? 150 : 58;
    QString path;
    QString mountPoint;
    while (pos + 4 <= recordSize) {
        const auto tag = static_cast<std::int16_t>(be16(pos));
        const std::uint16_t length = be16(pos + 2);
        if (tag == kTagEnd)
            break;
        if (pos + 4 + length > recordSize)
            return std::nullopt;
        const QString text = QString::fromUtf8(d.constData() + pos + 4, length);
        if (tag == kTagPosixPath)
            path = text;
        else if (tag == kTagPosixMountPoint)
            mountPoint = text;
        pos += 4 + length + (length & 1);
    }
    if (!path.startsWith(u'/'))
        return std::nullopt;
    if (mountPoint.isEmpty() || mountPoint == u'/')
        return path;
    return mountPoint + path;
}

}  // namespace

std::optional<QString> pathFromForeignBookmark(const QByteArray& data)
{
    if (data.startsWith("book"))
        return BookReader(data).path();
    return pathFromAlias(data);
}

}  // namespace corvane
