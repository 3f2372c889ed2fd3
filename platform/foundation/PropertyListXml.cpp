#include "platform/foundation/PropertyListXml.h"

#include <QXmlStreamReader>

#include <cmath>
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

class Reader {
public:
    Reader(const QByteArray& bytes, int maxDepth) : xml_(bytes), maxDepth_(maxDepth) {}

    std::optional<Value> run(QString* error)
    {
        while (!xml_.atEnd() && error_.isEmpty()) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::StartElement:
                startElement();
                break;
            case QXmlStreamReader::EndElement:
                endElement();
                break;
            case QXmlStreamReader::Characters:
                if (!xml_.isWhitespace())
                    fail(QStringLiteral("text outside a value"));
                break;
            default:
                break;
            }
        }
        if (error_.isEmpty() && xml_.hasError())
            error_ = QStringLiteral("malformed XML property list: %1 (line %2)")
                         .arg(xml_.errorString())
                         .arg(xml_.lineNumber());
        if (error_.isEmpty() && (!result_ || !frames_.empty()))
            error_ = QStringLiteral("XML property list holds no complete value");
        if (!error_.isEmpty()) {
            if (error)
                *error = error_;
            return std::nullopt;
        }
        return result_;
    }

private:
    void fail(const QString& why)
    {
        if (error_.isEmpty())
            error_ = QStringLiteral("XML property list: %1 (line %2)").arg(why).arg(xml_.lineNumber());
    }

    void startElement()
    {
        const QStringView name = xml_.name();
        if (name == u"plist") {
            if (sawPlist_ || result_ || !frames_.empty())
                fail(QStringLiteral("misplaced <plist>"));
            sawPlist_ = true;
        } else if (name == u"array" || name == u"dict") {
            if (static_cast<int>(frames_.size()) >= maxDepth_) {
                error_ = QStringLiteral("property list nested deeper than %1 levels").arg(maxDepth_);
                return;
            }
            frames_.push_back(Frame{name == u"dict", {}, {}, std::nullopt});
        } else if (name == u"key") {
            readKey();
        } else {
            readScalar(name.toString());
        }
    }

    void endElement()
    {
        const QStringView name = xml_.name();
        if (name != u"array" && name != u"dict")
            return;  // </plist>; scalars and keys consume their own end
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        if (frame.key)
            return fail(QStringLiteral("a key without a value"));
        deliver(frame.isDictionary ? Value(std::move(frame.dictionary)) : Value(std::move(frame.array)));
    }

    void readKey()
    {
        if (frames_.empty() || !frames_.back().isDictionary || frames_.back().key)
            return fail(QStringLiteral("a key outside a dictionary"));
        frames_.back().key = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    }

    void readScalar(const QString& name)
    {
        const QString text = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (xml_.hasError())
            return;
        std::optional<Value> value;
        if (name == QStringLiteral("string")) {
            value = Value(text);
        } else if (name == QStringLiteral("integer")) {
            if (auto i = parseInteger(text))
                value = Value(*i);
        } else if (name == QStringLiteral("real")) {
            if (auto d = parseReal(text))
                value = Value(*d);
        } else if (name == QStringLiteral("true") || name == QStringLiteral("false")) {
            if (text.trimmed().isEmpty())
                value = Value(name == QStringLiteral("true"));
        } else if (name == QStringLiteral("date")) {
            if (auto d = parseDate(text.trimmed()))
                value = Value(Date{*d});
        } else if (name == QStringLiteral("data")) {
            if (auto bytes = parseData(text))
                value = Value(*bytes);
        } else {
            return fail(QStringLiteral("unknown element <%1>").arg(name));
        }
        if (!value)
            return fail(QStringLiteral("a <%1> that does not parse").arg(name));
        deliver(std::move(*value));
    }

    void deliver(Value value)
    {
        if (frames_.empty()) {
            if (result_)
                return fail(QStringLiteral("more than one value"));
            result_ = std::move(value);
            return;
        }
        Frame& top = frames_.back();
        if (!top.isDictionary) {
            top.array.append(std::move(value));
            return;
        }
        if (!top.key)
            return fail(QStringLiteral("a dictionary value without a key"));
        top.dictionary.insert(*top.key, std::move(value));
        top.key.reset();
    }

    QXmlStreamReader xml_;
    int maxDepth_;
    std::vector<Frame> frames_;
    std::optional<Value> result_;
    bool sawPlist_ = false;
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
    return Reader(bytes, maxDepth).run(error);
}

}  // namespace corvane::plist::xml
