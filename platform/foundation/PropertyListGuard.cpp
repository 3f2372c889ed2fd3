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

// ---- XML ------------------------------------------------------------------

class XmlChecker {
public:
    XmlChecker(const QByteArray& bytes, int maxDepth)
        : text_(bytes.constData()), size_(bytes.size()), maxDepth_(maxDepth)
    {
    }

    QString run()
    {
        // libplist aborts on strings holding a NUL character: refuse raw NUL
        // bytes and character references to U+0000.
        if (std::memchr(text_, 0, static_cast<size_t>(size_)))
            return QStringLiteral("XML property list holds a NUL byte");
        if (hasNulReference())
            return QStringLiteral("XML property list holds a reference to a NUL character");
        qsizetype pos = 0;
        while (true) {
            const char* lt = static_cast<const char*>(
                std::memchr(text_ + pos, '<', static_cast<size_t>(size_ - pos)));
            if (!lt)
                break;
            pos = lt - text_;
            QString error;
            pos = markup(pos, error);
            if (!error.isEmpty())
                return error;
        }
        if (!open_.empty())
            return QStringLiteral("XML property list: element left open");
        return {};
    }

private:
    // Finds "&#" followed by a decimal or hexadecimal number of value 0.
    bool hasNulReference() const
    {
        for (qsizetype i = 0; i + 2 < size_; ++i) {
            if (text_[i] != '&' || text_[i + 1] != '#')
                continue;
            qsizetype j = i + 2;
            const bool hex = j < size_ && (text_[j] == 'x' || text_[j] == 'X');
            if (hex)
                ++j;
            const qsizetype digits = j;
            while (j < size_ && text_[j] == '0')
                ++j;
            if (j > digits && j < size_ && text_[j] == ';')
                return true;
        }
        return false;
    }

    bool startsWith(qsizetype pos, const char* s) const
    {
        const qsizetype n = static_cast<qsizetype>(std::strlen(s));
        return size_ - pos >= n && std::memcmp(text_ + pos, s, static_cast<size_t>(n)) == 0;
    }

    qsizetype find(qsizetype from, const char* s) const
    {
        const qsizetype n = static_cast<qsizetype>(std::strlen(s));
        for (qsizetype i = from; i + n <= size_; ++i) {
            if (std::memcmp(text_ + i, s, static_cast<size_t>(n)) == 0)
                return i;
        }
        return -1;
    }

    // The end of a tag ('>' outside quoted attribute values), or -1.
    qsizetype tagEnd(qsizetype from) const
    {
        char quote = 0;
        for (qsizetype i = from; i < size_; ++i) {
            const char c = text_[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return i;
            }
        }
        return -1;
    }

    // The end of a declaration such as <!DOCTYPE ... [ ... ]>.
    qsizetype declarationEnd(qsizetype from) const
    {
        int brackets = 0;
        char quote = 0;
        for (qsizetype i = from; i < size_; ++i) {
            const char c = text_[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                return i;
            }
        }
        return -1;
    }

    static bool endsName(char c)
    {
        return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
    }

    qsizetype nameEnd(qsizetype from) const
    {
        qsizetype i = from;
        while (i < size_ && !endsName(text_[i]))
            ++i;
        return i;
    }

    // Handles the markup starting at pos ('<'); returns where scanning goes on.
    qsizetype markup(qsizetype pos, QString& error)
    {
        const auto skipPast = [&](const char* terminator) -> qsizetype {
            const qsizetype end = find(pos, terminator);
            if (end < 0) {
                error = QStringLiteral("XML property list: unterminated markup");
                return size_;
            }
            return end + static_cast<qsizetype>(std::strlen(terminator));
        };
        if (startsWith(pos, "<!--"))
            return skipPast("-->");
        if (startsWith(pos, "<![CDATA["))
            return skipPast("]]>");
        if (startsWith(pos, "<?"))
            return skipPast("?>");
        if (startsWith(pos, "<!")) {
            const qsizetype end = declarationEnd(pos + 2);
            if (end < 0)
                error = QStringLiteral("XML property list: unterminated declaration");
            return end < 0 ? size_ : end + 1;
        }
        const bool closing = startsWith(pos, "</");
        const qsizetype nameStart = pos + (closing ? 2 : 1);
        const qsizetype nameStop = nameEnd(nameStart);
        const qsizetype end = tagEnd(nameStop);
        if (end < 0 || nameStop == nameStart) {
            error = QStringLiteral("XML property list: malformed tag at byte %1").arg(pos);
            return size_;
        }
        const Name name{nameStart, nameStop - nameStart};
        if (closing) {
            if (open_.empty() || !sameName(open_.back(), name)) {
                error =
                    QStringLiteral("XML property list: mismatched closing tag at byte %1").arg(pos);
                return size_;
            }
            open_.pop_back();
        } else if (text_[end - 1] != '/') {
            // Allow the <plist> wrapper and a scalar element inside the innermost container.
            if (static_cast<int>(open_.size()) >= maxDepth_ + 2) {
                error = QStringLiteral("property list nested deeper than %1 levels").arg(maxDepth_);
                return size_;
            }
            open_.push_back(name);
        }
        return end + 1;
    }

    struct Name {
        qsizetype at;
        qsizetype length;
    };

    bool sameName(const Name& a, const Name& b) const
    {
        return a.length == b.length &&
               std::memcmp(text_ + a.at, text_ + b.at, static_cast<size_t>(a.length)) == 0;
    }

    const char* text_;
    qsizetype size_;
    int maxDepth_;
    std::vector<Name> open_;
};

}  // namespace

QString checkBinary(const QByteArray& bytes, int maxDepth, std::uint64_t maxNodes)
{
    return BinaryChecker(bytes, maxDepth, maxNodes).run();
}

QString checkXml(const QByteArray& bytes, int maxDepth)
{
    return XmlChecker(bytes, maxDepth).run();
}

}  // namespace corvane::plist::guard
