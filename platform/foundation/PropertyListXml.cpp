#include "platform/foundation/PropertyListXml.h"


#include <QByteArrayView>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace corvane::plist::xml {

namespace {

// A container being read: an array, or a dictionary with the key read last.
struct Frame {
    bool isDictionary = false;
    Array array;
    Dictionary dictionary;
    std::optional<QString> key;
};

std::optional<Integer> parseInteger(const QString& raw)
{
    const QString text = raw.trimmed();
    const bool negative = text.startsWith(u'-');
    const QString digits = (negative || text.startsWith(u'+')) ? text.mid(1) : text;
    const bool hex = digits.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    const QString body = hex ? digits.mid(2) : digits;
    if (body.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qulonglong magnitude = body.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || body.startsWith(u'+') || body.startsWith(u'-'))
        return std::nullopt;
    if (!negative)
        return Integer::fromUnsigned(magnitude);
    constexpr qulonglong kMinMagnitude = qulonglong(std::numeric_limits<std::int64_t>::max()) + 1;
    if (magnitude > kMinMagnitude)
        return std::nullopt;
    return Integer::fromSigned(magnitude == kMinMagnitude ? std::numeric_limits<std::int64_t>::min()
                                                         : -static_cast<std::int64_t>(magnitude));
}

std::optional<double> parseReal(const QString& raw)
{
    const QString text = raw.trimmed().toLower();
    if (text == QStringLiteral("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QStringLiteral("+infinity") || text == QStringLiteral("infinity") || text == QStringLiteral("inf") ||
        text == QStringLiteral("+inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QStringLiteral("-infinity") || text == QStringLiteral("-inf"))
        return -std::numeric_limits<double>::infinity();
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? std::optional(v) : std::nullopt;
}

std::optional<QByteArray> parseData(const QString& raw)
{
    QByteArray compact;
    compact.reserve(raw.size());
    for (QChar c : raw) {
        if (!c.isSpace())
            compact.append(static_cast<char>(c.unicode() < 128 ? c.unicode() : '!'));
    }
    const auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? std::optional(decoded.decoded) : std::nullopt;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// A tokenizer for the subset of XML that property lists use, working on the
// UTF-8 bytes: declarations, comments and processing instructions are
// skipped, the five predefined entities and character references are
// decoded, CDATA sections are kept verbatim. Internal entity declarations are
// refused, so nothing expands beyond the input.
class Reader {
public:
    Reader(const QByteArray& bytes, int maxDepth) : s_(bytes.constData()), n_(bytes.size()), maxDepth_(maxDepth) {}

    std::optional<Value> run(QString* error)
    {
        // XML has no NUL character; a string holding one could not be written back.
        if (std::memchr(s_, 0, static_cast<size_t>(n_)))
            error_ = QStringLiteral("XML property list holds a NUL byte");
        while (error_.isEmpty() && skipToMarkup())
            markup();
        if (error_.isEmpty() && (!result_ || !frames_.empty() || plistOpen_))
            error_ = QStringLiteral("XML property list holds no complete value");
        if (!error_.isEmpty()) {
            if (error)
                *error = error_;
            return std::nullopt;
        }
        return result_;
    }

private:
    bool fail(const QString& why)
    {
        if (error_.isEmpty())
            error_ = QStringLiteral("XML property list: %1 at byte %2").arg(why).arg(pos_);
        return false;
    }

    bool startsWith(const char* text) const
    {
        const qsizetype len = static_cast<qsizetype>(std::strlen(text));
        return n_ - pos_ >= len && std::memcmp(s_ + pos_, text, static_cast<size_t>(len)) == 0;
    }

    // Moves past the next occurrence of terminator.
    bool skipPast(const char* terminator)
    {
        const qsizetype len = static_cast<qsizetype>(std::strlen(terminator));
        for (qsizetype i = pos_; i + len <= n_; ++i) {
            if (std::memcmp(s_ + i, terminator, static_cast<size_t>(len)) == 0) {
                pos_ = i + len;
                return true;
            }
        }
        return fail(QStringLiteral("unterminated markup"));
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    // Skips white space between elements; false at the end or on stray text.
    bool skipToMarkup()
    {
        while (pos_ < n_ && isSpace(s_[pos_]))
            ++pos_;
        if (pos_ == n_)
            return false;
        if (s_[pos_] != '<')
            return fail(QStringLiteral("text outside a value"));
        return true;
    }

    void markup()
    {
        if (startsWith("<?"))
            skipPast("?>");
        else if (startsWith("<!--"))
            skipPast("-->");
        else if (startsWith("<!DOCTYPE"))
            skipDoctype();
        else if (startsWith("</"))
            endTag();
        else if (startsWith("<!"))
            fail(QStringLiteral("unexpected markup"));
        else
            startTag();
    }

    void skipDoctype()
    {
        for (qsizetype i = pos_; i < n_; ++i) {
            if (s_[i] == '[')
                return void(fail(QStringLiteral("a document type with declarations of its own")));
            if (s_[i] == '>') {
                pos_ = i + 1;
                return;
            }
        }
        fail(QStringLiteral("unterminated document type"));
    }

    // Reads a tag name at pos_; empty when there is none.
    QByteArrayView name()
    {
        const qsizetype start = pos_;
        while (pos_ < n_ && !isSpace(s_[pos_]) && s_[pos_] != '>' && s_[pos_] != '/')
            ++pos_;
        return QByteArrayView(s_ + start, pos_ - start);
    }

    // Skips attributes up to the tag's end; returns whether it closed itself.
    std::optional<bool> tagEnd()
    {
        char quote = 0;
        for (; pos_ < n_; ++pos_) {
            const char c = s_[pos_];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                const bool empty = s_[pos_ - 1] == '/';
                ++pos_;
                return empty;
            }
        }
        fail(QStringLiteral("unterminated tag"));
        return std::nullopt;
    }

    void startTag()
    {
        ++pos_;
        const QByteArrayView tag = name();
        const auto selfClosing = tagEnd();
        if (!selfClosing)
            return;
        if (tag == "plist") {
            if (plistOpen_ || result_ || !frames_.empty())
                return void(fail(QStringLiteral("misplaced <plist>")));
            plistOpen_ = !*selfClosing;
        } else if (tag == "array" || tag == "dict") {
            if (static_cast<int>(frames_.size()) >= maxDepth_) {
                error_ = QStringLiteral("property list nested deeper than %1 levels").arg(maxDepth_);
                return;
            }
            frames_.push_back(Frame{tag == "dict", {}, {}, std::nullopt});
            if (*selfClosing)
                closeContainer();
        } else {
            QString text;
            if (!*selfClosing && !elementText(tag, text))
                return;
            scalar(tag, text);
        }
    }

    void endTag()
    {
        pos_ += 2;
        const QByteArrayView tag = name();
        if (!tagEnd())
            return;
        if (tag == "plist" && plistOpen_ && frames_.empty()) {
            plistOpen_ = false;
            return;
        }
        if (frames_.empty() || tag != (frames_.back().isDictionary ? "dict" : "array"))
            return void(fail(QStringLiteral("mismatched </%1>").arg(QString::fromUtf8(tag.toByteArray()))));
        closeContainer();
    }

    void closeContainer()
    {
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        if (frame.key)
            return void(fail(QStringLiteral("a key without a value")));
        deliver(frame.isDictionary ? Value(std::move(frame.dictionary)) : Value(std::move(frame.array)));
    }

    // Reads the text of a scalar element up to its end tag.
    bool elementText(QByteArrayView tag, QString& text)
    {
        // Most elements hold plain text straight up to their end tag.
        const qsizetype textStart = pos_;
        qsizetype end = pos_;
        while (end < n_ && s_[end] != '<' && s_[end] != '&')
            ++end;
        if (end + 2 + tag.size() < n_ && s_[end] == '<' && s_[end + 1] == '/' &&
            QByteArrayView(s_ + end + 2, tag.size()) == tag && s_[end + 2 + tag.size()] == '>') {
            text = QString::fromUtf8(s_ + textStart, end - textStart);
            pos_ = end + 3 + tag.size();
            return true;
        }
        QByteArray utf8;
        while (pos_ < n_) {
            const char c = s_[pos_];
            if (c == '&') {
                if (!entity(utf8))
                    return false;
            } else if (c != '<') {
                const qsizetype start = pos_;
                while (pos_ < n_ && s_[pos_] != '<' && s_[pos_] != '&')
                    ++pos_;
                utf8.append(s_ + start, pos_ - start);
            } else if (startsWith("<![CDATA[")) {
                const qsizetype start = pos_ + 9;
                if (!skipPast("]]>"))
                    return false;
                utf8.append(s_ + start, pos_ - 3 - start);
            } else if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return false;
            } else if (startsWith("</")) {
                pos_ += 2;
                if (name() != tag || !tagEnd())
                    return fail(QStringLiteral("mismatched end of <%1>").arg(QString::fromUtf8(tag.toByteArray())));
                text = QString::fromUtf8(utf8);
                return true;
            } else {
                return fail(QStringLiteral("an element inside <%1>").arg(QString::fromUtf8(tag.toByteArray())));
            }
        }
        return fail(QStringLiteral("unterminated <%1>").arg(QString::fromUtf8(tag.toByteArray())));
    }

    bool entity(QByteArray& out)
    {
        const qsizetype end = QByteArrayView(s_ + pos_, n_ - pos_).indexOf(';');
        if (end < 2 || end > 12)
            return fail(QStringLiteral("a malformed entity reference"));
        const QByteArray ref(s_ + pos_ + 1, end - 1);
        pos_ += end + 1;
        static const struct { const char* name; char value; } kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& e : kNamed) {
            if (ref == e.name) {
                out.append(e.value);
                return true;
            }
        }
        bool ok = false;
        const uint code = ref.startsWith("#x") ? ref.mid(2).toUInt(&ok, 16)
                          : ref.startsWith('#') ? ref.mid(1).toUInt(&ok, 10)
                                                : 0;
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return fail(QStringLiteral("an unknown or invalid entity &%1;").arg(QString::fromUtf8(ref)));
        const char32_t c = code;
        out.append(QString::fromUcs4(&c, 1).toUtf8());
        return true;
    }

    void scalar(QByteArrayView tag, const QString& text)
    {
        std::optional<Value> value;
        if (tag == "key") {
            if (frames_.empty() || !frames_.back().isDictionary || frames_.back().key)
                return void(fail(QStringLiteral("a key outside a dictionary")));
            frames_.back().key = text;
            return;
        }
        if (tag == "string") {
            value = Value(text);
        } else if (tag == "integer") {
            if (auto i = parseInteger(text))
                value = Value(*i);
        } else if (tag == "real") {
            if (auto d = parseReal(text))
                value = Value(*d);
        } else if (tag == "true" || tag == "false") {
            if (text.trimmed().isEmpty())
                value = Value(tag == "true");
        } else if (tag == "date") {
            if (auto d = parseDate(text.trimmed()))
                value = Value(Date{*d});
        } else if (tag == "data") {
            if (auto bytes = parseData(text))
                value = Value(*bytes);
        } else {
            return void(fail(QStringLiteral("unknown element <%1>").arg(QString::fromUtf8(tag.toByteArray()))));
        }
        if (!value)
            return void(fail(QStringLiteral("a <%1> that does not parse").arg(QString::fromUtf8(tag.toByteArray()))));
        deliver(std::move(*value));
    }

    void deliver(Value value)
    {
        if (frames_.empty()) {
            if (result_)
                return void(fail(QStringLiteral("more than one value")));
            result_ = std::move(value);
            return;
        }
        Frame& top = frames_.back();
        if (!top.isDictionary) {
            top.array.append(std::move(value));
            return;
        }
        if (!top.key)
            return void(fail(QStringLiteral("a dictionary value without a key")));
        top.dictionary.insert(*top.key, std::move(value));
        top.key.reset();
    }

    const char* s_;
    qsizetype n_;
    qsizetype pos_ = 0;
    int maxDepth_;
    std::vector<Frame> frames_;
    std::optional<Value> result_;
    bool plistOpen_ = false;
    QString error_;
};

}  // namespace

std::optional<double> parseDate(const QString& text)
{
    // YYYY-MM-DDTHH:MM:SS[.fff]Z
    if (text.size() < 20 || !text.endsWith(u'Z') || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' ||
        text[13] != u':' || text[16] != u':')
        return std::nullopt;
    bool ok[6] = {};
    const int year = text.mid(0, 4).toInt(&ok[0]);
    const int month = text.mid(5, 2).toInt(&ok[1]);
    const int day = text.mid(8, 2).toInt(&ok[2]);
    const int hour = text.mid(11, 2).toInt(&ok[3]);
    const int minute = text.mid(14, 2).toInt(&ok[4]);
    const int second = text.mid(17, 2).toInt(&ok[5]);
    for (bool b : ok) {
        if (!b)
            return std::nullopt;
    }
    double fraction = 0;
    const QString rest = text.mid(19, text.size() - 20);
    if (!rest.isEmpty()) {
        bool fractionOk = false;
        fraction = QString(QStringLiteral("0") + rest).toDouble(&fractionOk);
        if (!fractionOk || !rest.startsWith(u'.'))
            return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const double unixSeconds = static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second + fraction;
    return unixSeconds - 978307200.0;
}

std::optional<Value> read(const QByteArray& bytes, int maxDepth, QString* error)
{
    // The tokenizer reads UTF-8; a document in UTF-16 (with its byte order
    // mark) is converted first.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                                bytes.size() / 2);
        QByteArray utf8 = text.toUtf8();
        utf8.replace("encoding=\"UTF-16\"", "encoding=\"UTF-8\"");
        return Reader(utf8, maxDepth).run(error);
    }
    const qsizetype bom = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return Reader(bom ? bytes.mid(bom) : bytes, maxDepth).run(error);
}

}  // namespace corvane::plist::xml
