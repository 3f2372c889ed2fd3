#include "platform/foundation/PropertyListGuard.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace corvane::plist::guard {

namespace {

// ---- binary ---------------------------------------------------------------

constexpr qsizetype kTrailerSize = 32;
constexpr qsizetype kHeaderSize = 8;

class BinaryChecker {
public:
    BinaryChecker(const QByteArray& bytes, int maxDepth, std::uint64_t maxNodes)
        : data_(reinterpret_cast<const std::uint8_t*>(bytes.constData())),
          size_(static_cast<std::uint64_t>(bytes.size())),
          maxDepth_(maxDepth),
          maxNodes_(maxNodes)
    {
    }

    QString run()
    {
        if (QString e = readTrailer(); !e.isEmpty())
            return e;
        return walk();
    }

private:
    std::uint64_t readBigEndian(std::uint64_t pos, unsigned width) const
    {
        std::uint64_t v = 0;
        for (unsigned i = 0; i < width; ++i)
            v = (v << 8) | data_[pos + i];
        return v;
    }

    QString readTrailer()
    {
        if (size_ < static_cast<std::uint64_t>(kHeaderSize + kTrailerSize + 1))
            return QStringLiteral("binary property list too short");
        const std::uint64_t t = size_ - kTrailerSize;
        offsetSize_ = data_[t + 6];
        refSize_ = data_[t + 7];
        objectCount_ = readBigEndian(t + 8, 8);
        topObject_ = readBigEndian(t + 16, 8);
        tableOffset_ = readBigEndian(t + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
            return QStringLiteral("binary property list: bad integer sizes in trailer");
        if (objectCount_ == 0 || topObject_ >= objectCount_)
            return QStringLiteral("binary property list: top object %1 outside %2 objects")
                .arg(topObject_)
                .arg(objectCount_);
        if (tableOffset_ < kHeaderSize || tableOffset_ > t)
            return QStringLiteral("binary property list: offset table at %1 outside the file")
                .arg(tableOffset_);
        if (objectCount_ > (t - tableOffset_) / offsetSize_)
            return QStringLiteral("binary property list: %1 offsets do not fit the table")
                .arg(objectCount_);
        return {};
    }

    // Offset of object i, or 0 when it points outside the object area.
    std::uint64_t offsetOf(std::uint64_t i) const
    {
        const std::uint64_t off = readBigEndian(tableOffset_ + i * offsetSize_, offsetSize_);
        return (off >= kHeaderSize && off < tableOffset_) ? off : 0;
    }

    struct Container {
        std::uint64_t refsAt = 0;  // position of the first reference
        std::uint64_t refCount = 0;
    };

    // Decodes the object at off when it is a container; returns false with an
    // error when its extent does not fit, true otherwise (isContainer tells).
    bool container(std::uint64_t off, Container& c, bool& isContainer, QString& error) const
    {
        const std::uint8_t marker = data_[off];
        const unsigned type = marker >> 4;
        isContainer = type == 0xA || type == 0xC || type == 0xD;
        if (!isContainer)
            return true;
        std::uint64_t pos = off + 1;
        std::uint64_t count = marker & 0x0F;
        if (count == 0x0F && !extendedCount(pos, count)) {
            error = QStringLiteral("binary property list: bad container count at %1").arg(off);
            return false;
        }
        const std::uint64_t perEntry = type == 0xD ? 2 : 1;
        const std::uint64_t room = (tableOffset_ - pos) / refSize_;
        if (count > room / perEntry) {
            error = QStringLiteral("binary property list: container at %1 claims %2 entries")
                        .arg(off)
                        .arg(count);
            return false;
        }
        c.refsAt = pos;
        c.refCount = count * perEntry;
        return true;
    }

    // libplist aborts on strings and keys that hold a NUL character, so such
    // lists are refused here. Also refuses strings that run out of the object
    // area.
    bool stringIsClean(std::uint64_t off, QString& error) const
    {
        const std::uint8_t marker = data_[off];
        const unsigned type = marker >> 4;
        if (type != 0x5 && type != 0x6)
            return true;
        std::uint64_t pos = off + 1;
        std::uint64_t count = marker & 0x0F;
        if (count == 0x0F && !extendedCount(pos, count))
            count = ~0ull;
        const std::uint64_t unit = type == 0x6 ? 2 : 1;
        if (count > (tableOffset_ - pos) / unit) {
            error =
                QStringLiteral("binary property list: string at %1 runs past its area").arg(off);
            return false;
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            const bool nul = unit == 1 ? data_[pos + i] == 0
                                       : (data_[pos + 2 * i] | data_[pos + 2 * i + 1]) == 0;
            if (nul) {
                error = QStringLiteral("binary property list: string at %1 holds a NUL character")
                            .arg(off);
                return false;
            }
        }
        return true;
    }

    // Reads a count stored as an integer object after a marker whose low
    // nibble is 0xF; moves pos past it.
    bool extendedCount(std::uint64_t& pos, std::uint64_t& count) const
    {
        if (pos >= tableOffset_ || (data_[pos] >> 4) != 0x1)
            return false;
        const unsigned width = 1u << (data_[pos] & 0x0F);
        if (width > 8 || pos + 1 + width > tableOffset_)
            return false;
        count = readBigEndian(pos + 1, width);
        pos += 1 + width;
        return true;
    }

    struct Frame {
        std::uint64_t object;
        Container c;
        std::uint64_t next = 0;
        int deepestChild = 0;
        std::uint64_t nodes = 1;  // this container and everything below it
    };

    // What is known of an object once its walk has finished.
    struct Extent {
        std::int32_t depth = 0;   // 0 unseen, -1 open
        std::uint64_t nodes = 0;  // the nodes a parser makes for it, shared parts counted each time
    };

    // Depth-first walk from the top object with memoized results: every
    // container is expanded once. A parser that expands shared objects anew
    // for every reference makes as many nodes as the tree has paths, which a
    // small file can push to astronomical numbers; that count is bounded too.
    QString walk()
    {
        extents_.assign(objectCount_, Extent{});
        std::vector<Frame> stack;
        QString error;
        if (!push(topObject_, stack, error))
            return error;
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next == f.c.refCount) {
                extents_[f.object] = {f.deepestChild + 1, f.nodes};
                const Extent finished = extents_[f.object];
                stack.pop_back();
                if (!stack.empty() && !addChild(stack.back(), finished, error))
                    return error;
                continue;
            }
            const std::uint64_t child = readBigEndian(f.c.refsAt + f.next * refSize_, refSize_);
            ++f.next;
            if (child >= objectCount_)
                return QStringLiteral("binary property list: reference to missing object %1")
                    .arg(child);
            const Extent known = extents_[child];
            if (known.depth == -1)
                return QStringLiteral("binary property list: object %1 contains itself").arg(child);
            if (known.depth > 0) {
                if (!addChild(f, known, error))
                    return error;
                continue;
            }
            if (!push(child, stack, error))
                return error;
        }
        return {};
    }

    bool addChild(Frame& parent, const Extent& child, QString& error) const
    {
        parent.deepestChild = std::max(parent.deepestChild, static_cast<int>(child.depth));
        parent.nodes += std::min(child.nodes, maxNodes_ + 1);
        if (parent.nodes > maxNodes_) {
            error = QStringLiteral("binary property list expands to more than %1 values")
                        .arg(maxNodes_);
            return false;
        }
        return true;
    }

    bool push(std::uint64_t object, std::vector<Frame>& stack, QString& error)
    {
        const std::uint64_t off = offsetOf(object);
        if (off == 0) {
            error =
                QStringLiteral("binary property list: object %1 lies outside the file").arg(object);
            return false;
        }
        Frame f{object, {}, 0, 0, 1};
        bool isContainer = false;
        if (!container(off, f.c, isContainer, error) || !stringIsClean(off, error))
            return false;
        if (!isContainer) {
            extents_[object] = {1, 1};
            return stack.empty() || addChild(stack.back(), extents_[object], error);
        }
        if (static_cast<int>(stack.size()) >= maxDepth_) {
            error = QStringLiteral("property list nested deeper than %1 levels").arg(maxDepth_);
            return false;
        }
        extents_[object].depth = -1;
        stack.push_back(f);
        return true;
    }

    const std::uint8_t* data_;
    std::uint64_t size_;
    int maxDepth_;
    std::uint64_t maxNodes_;
    std::vector<Extent> extents_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t topObject_ = 0;
    std::uint64_t tableOffset_ = 0;
};

}  // namespace

QString checkBinary(const QByteArray& bytes, int maxDepth, std::uint64_t maxNodes)
{
    return BinaryChecker(bytes, maxDepth, maxNodes).run();
}

}  // namespace corvane::plist::guard
