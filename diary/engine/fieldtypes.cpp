#include "diary/engine/fieldtypes.h"
#include "diary/engine/tablefile_format.h"

namespace vistelle {

TFieldType fieldTypeOf(EngineType t)
{
    switch (t) {
    case EngineType::SmallInt: return ftSmallint;
    case EngineType::Integer: return ftInteger;
    case EngineType::Boolean: return ftBoolean;
    case EngineType::Double: return ftFloat;
    case EngineType::Currency: return ftCurrency;
    case EngineType::Date: return ftDate;
    case EngineType::Time: return ftTime;
    case EngineType::DateTime: return ftDateTime;
    case EngineType::AutoInc: return ftAutoInc;
    case EngineType::SmallStr:
    case EngineType::String: return ftString;
    case EngineType::Blob: return ftBlob;
    case EngineType::Memo: return ftMemo;
    case EngineType::FmtMemo: return ftFmtMemo;
    case EngineType::Graphic: return ftGraphic;
    case EngineType::Unknown: break;
    }
    return ftUnknown;
}

namespace tablefile {

namespace {
struct LetterOf { EngineType type; char letter; };
constexpr LetterOf letters[] = {
    {EngineType::SmallInt, 'l'}, {EngineType::Integer, 'i'}, {EngineType::Boolean, 'b'},
    {EngineType::Double, 'f'}, {EngineType::Currency, 'c'}, {EngineType::Date, 'd'},
    {EngineType::Time, 'v'}, {EngineType::DateTime, 't'}, {EngineType::AutoInc, 'a'},
    {EngineType::String, 's'}, {EngineType::Blob, 'o'}, {EngineType::Memo, 'm'},
    {EngineType::FmtMemo, 'r'}, {EngineType::Graphic, 'g'},
};
} // namespace

char typeLetter(EngineType t)
{
    for (const LetterOf& l : letters)
        if (l.type == t) return l.letter;
    return 0;
}

EngineType typeOfLetter(char letter)
{
    for (const LetterOf& l : letters)
        if (l.letter == letter) return l.type;
    return EngineType::Unknown;
}

int fixedWidth(EngineType t)
{
    switch (t) {
    case EngineType::SmallInt:
    case EngineType::Boolean: return 2;
    case EngineType::Integer:
    case EngineType::Date:
    case EngineType::Time:
    case EngineType::AutoInc: return 4;
    case EngineType::Double:
    case EngineType::Currency:
    case EngineType::DateTime: return 8;
    default: return 0;
    }
}

} // namespace tablefile
} // namespace vistelle
