#include "diary/exchange/diarylayout.h"
#include "diary/engine/volgatable.h"

namespace vistelle {

void defineDiaryFields(TVolgaTable& table)
{
    table.FieldDefs().Add(QStringLiteral("date"), ftDateTime, 0, false);
    table.FieldDefs().Add(QStringLiteral("event"), ftMemo, 0, false);
}

void createDiary(TVolgaTable& table, const QString& fileName)
{
    table.setTableName(fileName);
    defineDiaryFields(table);
    table.CreateTable();
    table.Open();
}

} // namespace vistelle
