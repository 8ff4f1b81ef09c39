#include "diary/engine/variant.h"
#include "core/error.h"
#include "core/numbers.h"

#include <cmath>

namespace vistelle {

namespace {

const char* kindName(Variant::Kind k)
{
    static const char* names[] = {"Unassigned", "Null", "Integer", "Float", "DateTime", "Boolean", "Text", "Array"};
    return names[int(k)];
}

[[noreturn]] void cannotConvert(Variant::Kind from, const char* to)
{
    raise(fmt("Could not convert a value of kind %s into %s", kindName(from), to));
}

// Rounds to the nearest integer, ties to even, refusing values that do not fit.
qint64 roundToInt(double v)
{
    const double r = std::nearbyint(v);
    if (!(r >= -9.2e18 && r <= 9.2e18)) raise(fmt("'%s' is not a valid integer value", QString::number(v)));
    return qint64(r);
}

// Short date, and the time of day when it is not zero; only dates of years 1 to 9999 have one.
QByteArray dateText(TDateTime v)
{
    if (!(v > MinDateDays - 1 && v < MaxDateDays + 1))
        raise(fmt("%s is not a valid date value", QString::number(v, 'g', 15)));
    return dateTimeToStr(v).toLatin1();
}

} // namespace

Variant Variant::null()
{
    Variant v;
    v.m_value = NullTag{};
    return v;
}

Variant Variant::fromDateTime(TDateTime value)
{
    Variant v;
    v.m_value = DateTimeValue{value};
    return v;
}

qint64 Variant::toInt() const
{
    switch (kind()) {
    case Kind::Integer: return std::get<qint64>(m_value);
    case Kind::Float: return roundToInt(std::get<double>(m_value));
    case Kind::DateTime: return roundToInt(std::get<DateTimeValue>(m_value).value);
    case Kind::Boolean: return std::get<bool>(m_value) ? -1 : 0;
    case Kind::Text: return strToInt(QString::fromLatin1(std::get<QByteArray>(m_value)));
    case Kind::Null:
    case Kind::Unassigned: return 0;
    default: cannotConvert(kind(), "Integer");
    }
}

double Variant::toDouble() const
{
    switch (kind()) {
    case Kind::Integer: return double(std::get<qint64>(m_value));
    case Kind::Float: return std::get<double>(m_value);
    case Kind::DateTime: return std::get<DateTimeValue>(m_value).value;
    case Kind::Boolean: return std::get<bool>(m_value) ? -1.0 : 0.0;
    case Kind::Text: {
        const QByteArray& text = std::get<QByteArray>(m_value);
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok) raise(fmt("'%s' is not a valid floating point value", QString::fromLatin1(text)));
        return v;
    }
    case Kind::Null:
    case Kind::Unassigned: return 0.0;
    default: cannotConvert(kind(), "Float");
    }
}

TDateTime Variant::toDateTime() const
{
    if (kind() == Kind::Text) {
        const QString text = QString::fromLatin1(std::get<QByteArray>(m_value));
        TDateTime v = 0;
        if (!tryStrToDateTime(text, v)) raise(fmt("'%s' is not a valid date", text));
        return v;
    }
    if (kind() == Kind::Array) cannotConvert(kind(), "DateTime");
    return toDouble();
}

bool Variant::toBool() const
{
    switch (kind()) {
    case Kind::Boolean: return std::get<bool>(m_value);
    case Kind::Integer: return std::get<qint64>(m_value) != 0;
    case Kind::Float: return std::get<double>(m_value) != 0.0;
    case Kind::Text: {
        const QByteArray t = std::get<QByteArray>(m_value).trimmed().toUpper();
        if (t == "TRUE") return true;
        if (t == "FALSE") return false;
        return toInt() != 0;
    }
    case Kind::Null:
    case Kind::Unassigned: return false;
    default: cannotConvert(kind(), "Boolean");
    }
}

QByteArray Variant::toBytes() const
{
    switch (kind()) {
    case Kind::Integer: return QByteArray::number(std::get<qint64>(m_value));
    case Kind::Float: return QByteArray::number(std::get<double>(m_value), 'g', 15);
    case Kind::DateTime: return dateText(std::get<DateTimeValue>(m_value).value);
    case Kind::Boolean: return std::get<bool>(m_value) ? "True" : "False";
    case Kind::Text: return std::get<QByteArray>(m_value);
    case Kind::Array: cannotConvert(kind(), "Text");
    default: return QByteArray();
    }
}

QList<Variant> Variant::toArray() const
{
    if (kind() == Kind::Array) return std::get<QList<Variant>>(m_value);
    return {*this};
}

} // namespace vistelle
