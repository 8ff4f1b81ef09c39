#pragma once
// A field or key value as the record-set layer passes it around. Texts stay bytes.

#include "core/datetime.h"

#include <QByteArray>
#include <QList>
#include <variant>

namespace vistelle {

class Variant {
public:
    enum class Kind { Unassigned, Null, Integer, Float, DateTime, Boolean, Text, Array };

    Variant() = default; // unassigned
    Variant(int v) : m_value(qint64(v)) {}
    Variant(qint64 v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(bool v) : m_value(v) {}
    Variant(const QByteArray& v) : m_value(v) {}
    Variant(const char* v) : m_value(QByteArray(v)) {}
    Variant(const QList<Variant>& items) : m_value(items) {}

    static Variant null();
    static Variant fromDateTime(TDateTime v);

    Kind kind() const { return Kind(m_value.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isUnassigned() const { return kind() == Kind::Unassigned; }
    bool isNullOrUnassigned() const { return isNull() || isUnassigned(); }

    // Conversions, as a field's typed accessors give them: Null and Unassigned read as 0, false
    // or the empty text; a text that does not convert raises the usual conversion message.
    qint64 toInt() const;
    double toDouble() const;
    TDateTime toDateTime() const;
    bool toBool() const;
    QByteArray toBytes() const; // a date as short date (and time of day when not zero)
    QList<Variant> toArray() const;

    bool operator==(const Variant& other) const { return m_value == other.m_value; }

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    struct DateTimeValue {
        TDateTime value;
        bool operator==(const DateTimeValue&) const = default;
    };
    std::variant<std::monostate, NullTag, qint64, double, DateTimeValue, bool, QByteArray, QList<Variant>> m_value;
};

} // namespace vistelle
