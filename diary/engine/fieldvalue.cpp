#include "diary/engine/fieldvalue.h"
#include "diary/engine/tablefile_format.h"
#include "core/error.h"
#include "core/numbers.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace vistelle::fieldvalue {

using tablefile::MSecsPerDay;
using tablefile::StoredDateDelta;

namespace {

// Whole milliseconds of a date value split into signed days and the time of day.
void splitDateTime(TDateTime value, double& days, double& msOfDay)
{
    const double ms = std::nearbyint(value * MSecsPerDay);
    days = std::copysign(std::trunc(std::fabs(ms) / MSecsPerDay), ms);
    msOfDay = std::fmod(std::fabs(ms), MSecsPerDay);
}

qint32 checkedInt32(double v, const TVolgaField& f)
{
    if (!(v >= -2147483648.0 && v <= 2147483647.0))
        raise(fmt("%s is not a valid value for field '%s'", QString::number(v, 'g', 15), f.name));
    return qint32(v);
}

void putInt(char* slot, const TVolgaField& f, qint64 v)
{
    if (f.type == EngineType::SmallInt) {
        if (v < -32768 || v > 32767)
            raise(fmt("%d is not a valid value for field '%s'. The allowed range is %d to %d", v, f.name, -32768, 32767));
        qToLittleEndian(qint16(v), slot);
        return;
    }
    if (v < INT32_MIN || v > INT32_MAX)
        raise(fmt("%d is not a valid value for field '%s'. The allowed range is %d to %d", v, f.name, INT32_MIN, INT32_MAX));
    qToLittleEndian(qint32(v), slot);
}

void putDateTime(char* slot, const TVolgaField& f, TDateTime v)
{
    if (!std::isfinite(v)) raise(fmt("%s is not a valid value for field '%s'", QString::number(v), f.name));
    double days = 0, ms = 0;
    splitDateTime(v, days, ms);
    if (f.type == EngineType::Date) qToLittleEndian(checkedInt32(days + StoredDateDelta, f), slot);
    else if (f.type == EngineType::Time) qToLittleEndian(qint32(ms), slot);
    else qToLittleEndian(storedFromDateTime(v), slot);
}

void putText(RowImage& image, const TVolgaField& f, const QByteArray& text)
{
    if (f.type == EngineType::SmallStr) {
        const qsizetype n = qMin<qsizetype>(text.size(), f.size);
        std::memset(image.slot(f), 0, f.width);
        std::memcpy(image.slot(f), text.constData(), size_t(n));
    } else if (f.type == EngineType::String) {
        image.reference(f) = text.left(stringCapacity(f));
    } else {
        image.reference(f) = text;
    }
}

bool isTrueKey(const QByteArray& text)
{
    const QByteArray t = text.toUpper();
    return t == "TRUE" || t == "YES" || t == "T" || t == "1" || text == "\xC4\xC0";
}

} // namespace

QByteArray detached(const QByteArray& bytes) { return QByteArray(bytes.constData(), bytes.size()); }

double storedFromDateTime(TDateTime value)
{
    double days = 0, ms = 0;
    splitDateTime(value, days, ms);
    return (days + StoredDateDelta) * MSecsPerDay + ms;
}

TDateTime dateTimeFromStored(double stored)
{
    const double days = std::trunc(stored / MSecsPerDay) - StoredDateDelta;
    const double fraction = std::fmod(stored, MSecsPerDay) / MSecsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

int stringCapacity(const TVolgaField& f) { return qMin<int>(f.size, tablefile::MaxStringLength); }

Variant read(const RowImage& image, const TVolgaField& f)
{
    const char* slot = isVariable(f.type) ? nullptr : image.slot(f);
    switch (f.type) {
    case EngineType::SmallInt: return qint64(qFromLittleEndian<qint16>(slot));
    case EngineType::Integer:
    case EngineType::AutoInc: return qint64(qFromLittleEndian<qint32>(slot));
    case EngineType::Boolean: return qFromLittleEndian<quint16>(slot) != 0;
    case EngineType::Double:
    case EngineType::Currency: return qFromLittleEndian<double>(slot);
    case EngineType::Date:
        if (image.isBlank(f)) return Variant::null();
        return Variant::fromDateTime(double(qFromLittleEndian<qint32>(slot)) - StoredDateDelta);
    case EngineType::Time: return Variant::fromDateTime(qFromLittleEndian<qint32>(slot) / MSecsPerDay);
    case EngineType::DateTime:
        if (image.isBlank(f)) return Variant::null();
        return Variant::fromDateTime(dateTimeFromStored(qFromLittleEndian<double>(slot)));
    case EngineType::SmallStr: {
        const qsizetype n = qstrnlen(slot, f.width);
        return n == 0 ? Variant::null() : Variant(QByteArray(slot, n));
    }
    case EngineType::String: {
        const QByteArray& text = image.reference(f);
        return text.isEmpty() ? Variant::null() : Variant(QByteArray(text.constData(), qMin<qsizetype>(text.size(), qMax<int>(f.size, 0))));
    }
    case EngineType::Blob:
    case EngineType::Memo:
    case EngineType::FmtMemo:
    case EngineType::Graphic: return detached(image.reference(f));
    case EngineType::Unknown: break;
    }
    return Variant::null();
}

void write(RowImage& image, const TVolgaField& f, const Variant& value)
{
    if (value.isNullOrUnassigned()) {
        image.clearField(f);
        return;
    }
    char* slot = isVariable(f.type) ? nullptr : image.slot(f);
    switch (f.type) {
    case EngineType::SmallInt:
    case EngineType::Integer:
    case EngineType::AutoInc: putInt(slot, f, value.toInt()); break;
    case EngineType::Boolean: qToLittleEndian(quint16(value.toBool() ? 0xFFFF : 0), slot); break;
    case EngineType::Double:
    case EngineType::Currency: qToLittleEndian(value.toDouble(), slot); break;
    case EngineType::Date:
    case EngineType::Time:
    case EngineType::DateTime: putDateTime(slot, f, value.toDateTime()); break;
    case EngineType::SmallStr:
    case EngineType::String:
    case EngineType::Blob:
    case EngineType::Memo:
    case EngineType::FmtMemo:
    case EngineType::Graphic: putText(image, f, value.toBytes()); break;
    case EngineType::Unknown: break;
    }
}

void parseKey(RowImage& image, const TVolgaField& f, const QByteArray& text)
{
    image.clearField(f);
    if (text.isEmpty()) return;
    char* slot = isVariable(f.type) ? nullptr : image.slot(f);
    switch (f.type) {
    case EngineType::SmallInt:
    case EngineType::Integer:
    case EngineType::AutoInc: {
        int v = 0;
        if (!tryStrToInt(QString::fromLatin1(text), v)) return;
        if (f.type == EngineType::SmallInt) qToLittleEndian(qint16(v), slot);
        else qToLittleEndian(qint32(v), slot);
        break;
    }
    case EngineType::Boolean: qToLittleEndian(quint16(isTrueKey(text) ? 0xFFFF : 0), slot); break;
    case EngineType::Double:
    case EngineType::Currency: {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (ok) qToLittleEndian(v, slot);
        break;
    }
    case EngineType::Date:
    case EngineType::Time:
    case EngineType::DateTime: {
        TDateTime v = 0;
        if (tryStrToDateTime(QString::fromLatin1(text), v)) putDateTime(slot, f, v);
        break;
    }
    case EngineType::SmallStr:
    case EngineType::String: putText(image, f, text); break;
    default: break;
    }
}

} // namespace vistelle::fieldvalue
