#pragma once
// Field types of the record-set layer and the engine's own storage types.

#include <QtGlobal>

namespace vistelle {

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftLargeint, ftWideString
};

// The engine's type codes as the table image stores them (0 never occurs in a file read back).
enum class EngineType : quint8 {
    Unknown = 0, SmallInt, Integer, Boolean, Double, Currency, Date, Time, DateTime, AutoInc,
    SmallStr, String, Blob, Memo, FmtMemo, Graphic
};

inline bool isBlobFamily(EngineType t)
{
    return t == EngineType::Blob || t == EngineType::Memo || t == EngineType::FmtMemo || t == EngineType::Graphic;
}

// String and the BLOB family hold a reference in the row image, the others a fixed slot.
inline bool isVariable(EngineType t) { return t == EngineType::String || isBlobFamily(t); }

inline bool isNumericEngineType(EngineType t)
{
    return t == EngineType::SmallInt || t == EngineType::Integer || t == EngineType::Double
        || t == EngineType::Currency || t == EngineType::AutoInc;
}

// The field type a descriptor of this engine type is read back as.
TFieldType fieldTypeOf(EngineType t);

inline bool isNumericFieldType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftFloat || t == ftCurrency
        || t == ftBCD || t == ftAutoInc || t == ftLargeint;
}

} // namespace vistelle
