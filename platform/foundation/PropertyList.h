// Property-list values: the tree of dictionaries, arrays and scalars that
// information dictionaries, preference files and settings exports hold.
//
// A Value is a small value type with implicit sharing: copying one is cheap
// (containers share their storage until one copy is changed), and copies may
// be handed between threads. Besides the eight property-list types a Value can
// be the null marker, a distinct value that means "requested but not
// available"; it is never confused with an absent entry, which lookups report
// as a null pointer.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

namespace corvane::plist {

// The kind of a value. Declared ahead of the container aliases that share
// two of its names.
enum class Kind { Null, Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

class Value;
using Array = QList<Value>;
// Keys are compared as UTF-16 code units; iteration is in key order, so
// written files are deterministic.
using Dictionary = QMap<QString, Value>;

// An integer as property lists hold it: 64-bit signed, or unsigned when the
// value does not fit in 63 bits (the binary format's 16-byte integers).
struct Integer {
    std::uint64_t bits = 0;
    bool isUnsigned = false;  // true only for values above INT64_MAX

    static Integer fromSigned(std::int64_t v) { return {static_cast<std::uint64_t>(v), false}; }
    static Integer fromUnsigned(std::uint64_t v);
    std::int64_t toSigned() const { return static_cast<std::int64_t>(bits); }
    bool fitsSigned() const { return !isUnsigned; }
    bool operator==(const Integer&) const = default;
};

// A date as seconds since 2001-01-01 00:00:00 UTC, the property-list epoch.
struct Date {
    double secondsSinceReference = 0;

    static Date fromDateTime(const QDateTime& t);
    QDateTime toDateTime() const;  // UTC, millisecond precision
    bool operator==(const Date&) const = default;
};

struct NullMarker {
    bool operator==(const NullMarker&) const = default;
};

class Value {
public:
    using Kind = plist::Kind;

    Value() = default;  // the null marker
    Value(bool b) : data_(b) {}
    Value(int i) : data_(Integer::fromSigned(i)) {}
    Value(std::int64_t i) : data_(Integer::fromSigned(i)) {}
    Value(Integer i) : data_(i) {}
    Value(double d) : data_(d) {}
    Value(const QString& s) : data_(s) {}
    Value(const char*) = delete;  // say QStringLiteral: the encoding must be explicit
    Value(const QByteArray& bytes) : data_(bytes) {}
    Value(Date d) : data_(d) {}
    Value(const Array& a) : data_(a) {}
    Value(const Dictionary& d) : data_(d) {}

    static Value null() { return Value(); }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isBoolean() const { return kind() == Kind::Boolean; }
    bool isInteger() const { return kind() == Kind::Integer; }
    bool isReal() const { return kind() == Kind::Real; }
    bool isNumber() const { return isBoolean() || isInteger() || isReal(); }
    bool isString() const { return kind() == Kind::String; }
    bool isData() const { return kind() == Kind::Data; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }

    // Typed access. Each returns a null pointer when the value is of another kind.
    const bool* boolean() const { return std::get_if<bool>(&data_); }
    const Integer* integer() const { return std::get_if<Integer>(&data_); }
    const double* real() const { return std::get_if<double>(&data_); }
    const QString* string() const { return std::get_if<QString>(&data_); }
    const QByteArray* data() const { return std::get_if<QByteArray>(&data_); }
    const Date* date() const { return std::get_if<Date>(&data_); }
    const Array* array() const { return std::get_if<Array>(&data_); }
    const Dictionary* dictionary() const { return std::get_if<Dictionary>(&data_); }
    Array* array() { return std::get_if<Array>(&data_); }
    Dictionary* dictionary() { return std::get_if<Dictionary>(&data_); }

    // Convenience readers with a fallback for values of another kind.
    QString toString(const QString& fallback = {}) const;
    std::int64_t toInt64(std::int64_t fallback = 0) const;  // integers, reals, booleans

    // Dictionary lookup: the entry, or a null pointer when this is not a
    // dictionary or has no such key.
    const Value* find(const QString& key) const;
    const Value* find(QLatin1StringView key) const { return find(QString(key)); }

    // Whether the value can be read as a boolean the way numbers and strings
    // of the desktop framework can: booleans, integers and reals (non-zero is
    // true) and strings (see boolValueOfString).
    bool answersBoolValue() const;
    bool boolValue() const;

    // Nesting depth: 1 for scalars and empty containers, one more per level.
    int depth() const;

    bool operator==(const Value& other) const { return data_ == other.data_; }

private:
    std::variant<NullMarker, bool, Integer, double, QString, QByteArray, Date, Array, Dictionary>
        data_;
};

// The boolean a string answers: leading white space and an optional sign with
// zeros are skipped, then 'Y', 'y', 'T', 't' or a digit 1-9 is true; anything
// else (including nothing) is false.
bool boolValueOfString(const QString& s);

// A readable one-line description, for diagnostics and test failures.
QString describe(const Value& v);

}  // namespace corvane::plist
