#include "platform/foundation/PropertyList.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane::plist {

namespace {
// 2001-01-01T00:00:00Z in seconds since the Unix epoch.
constexpr std::int64_t kReferenceEpoch = 978307200;
}  // namespace

Integer Integer::fromUnsigned(std::uint64_t v)
{
    return {v, v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())};
}

Date Date::fromDateTime(const QDateTime& t)
{
    const double ms = static_cast<double>(t.toMSecsSinceEpoch());
    return {ms / 1000.0 - static_cast<double>(kReferenceEpoch)};
}

QDateTime Date::toDateTime() const
{
    const double ms = (secondsSinceReference + static_cast<double>(kReferenceEpoch)) * 1000.0;
    // Clamp to what QDateTime can hold; property-list dates are doubles and
    // may be anything.
    constexpr double kLimit = 8.0e15;
    const double clamped = std::isnan(ms) ? 0.0 : std::clamp(ms, -kLimit, kLimit);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(clamped)), Qt::UTC);
}

QString Value::toString(const QString& fallback) const
{
    const QString* s = string();
    return s ? *s : fallback;
}

std::int64_t Value::toInt64(std::int64_t fallback) const
{
    if (const Integer* i = integer())
        return i->toSigned();
    if (const bool* b = boolean())
        return *b ? 1 : 0;
    if (const double* d = real()) {
        if (std::isnan(*d))
            return fallback;
        constexpr double kMax = 9.2e18;
        return static_cast<std::int64_t>(std::clamp(*d, -kMax, kMax));
    }
    return fallback;
}

const Value* Value::find(const QString& key) const
{
    const Dictionary* d = dictionary();
    if (!d)
        return nullptr;
    auto it = d->constFind(key);
    return it == d->constEnd() ? nullptr : &*it;
}

bool Value::answersBoolValue() const
{
    return isNumber() || isString();
}

bool Value::boolValue() const
{
    if (const bool* b = boolean())
        return *b;
    if (const Integer* i = integer())
        return i->bits != 0;
    if (const double* d = real())
        return *d != 0.0;
    if (const QString* s = string())
        return boolValueOfString(*s);
    return false;
}

int Value::depth() const
{
    // Iterative, so that a deep tree built in code cannot overflow the stack.
    int deepest = 0;
    QList<std::pair<const Value*, int>> pending{{this, 1}};
    while (!pending.isEmpty()) {
        auto [v, level] = pending.takeLast();
        deepest = std::max(deepest, level);
        if (const Array* a = v->array()) {
            for (const Value& child : *a)
                pending.append({&child, level + 1});
        } else if (const Dictionary* d = v->dictionary()) {
            for (const Value& child : *d)
                pending.append({&child, level + 1});
        }
    }
    return deepest;
}

bool boolValueOfString(const QString& s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && s.at(i).isSpace())
        ++i;
    if (i < n && (s.at(i) == u'+' || s.at(i) == u'-'))
        ++i;
    while (i < n && s.at(i) == u'0')
        ++i;
    if (i == n)
        return false;
    const char16_t c = s.at(i).unicode();
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

QString describe(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null:
        return QStringLiteral("<null>");
    case Value::Kind::Boolean:
        return *v.boolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Kind::Integer: {
        const Integer i = *v.integer();
        return i.isUnsigned ? QString::number(i.bits) : QString::number(i.toSigned());
    }
    case Value::Kind::Real:
        return QString::number(*v.real(), 'g', 17);
    case Value::Kind::String:
        return u'"' + *v.string() + u'"';
    case Value::Kind::Data:
        return u'<' + QString::fromLatin1(v.data()->left(32).toHex()) +
               (v.data()->size() > 32 ? QStringLiteral("…>") : QStringLiteral(">"));
    case Value::Kind::Date:
        return v.date()->toDateTime().toString(Qt::ISODateWithMs);
    case Value::Kind::Array: {
        QStringList parts;
        for (const Value& e : *v.array())
            parts << describe(e);
        return u'(' + parts.join(QStringLiteral(", ")) + u')';
    }
    case Value::Kind::Dictionary: {
        QStringList parts;
        const Dictionary& d = *v.dictionary();
        for (auto it = d.begin(); it != d.end(); ++it)
            parts << it.key() + QStringLiteral(" = ") + describe(it.value());
        return u'{' + parts.join(QStringLiteral("; ")) + u'}';
    }
    }
    return {};
}

}  // namespace corvane::plist
