#include "diaryfile.h"
#include "diary/exchange/diarylayout.h"

#include "diary/engine/volgatable.h"

#include <QFile>

namespace vistelle::e2e {

QList<DiaryRow> readDiary(const QString& fileName)
{
    TVolgaTable table;
    table.setTableName(fileName);
    table.Open();
    QList<DiaryRow> rows;
    for (table.First(); !table.Eof(); table.Next())
        rows << DiaryRow{table.GetFieldValue(QStringLiteral("date")).toDateTime(),
                         table.GetFieldValue(QStringLiteral("event")).toBytes()};
    return rows;
}

void writeDiary(const QString& fileName, const QList<DiaryRow>& rows)
{
    TVolgaTable table;
    createDiary(table, fileName);
    for (const DiaryRow& r : rows) table.AppendRecord({Variant::fromDateTime(r.date), Variant(r.text)});
    table.SaveToFile(fileName);
}

QList<DiaryRow> largeDiary(int count)
{
    QList<DiaryRow> rows;
    rows.reserve(count);
    const TDateTime first = encodeDate(2000, 1, 1);
    const QByteArray filler = QByteArrayLiteral(
        "Walked along the river before work, then a long meeting about the spring catalogue. "
        "Evening: soup, two chapters of the novel and an early night.\r\nShopping: bread, apples, tea.");
    for (int i = 0; i < count; ++i)
        rows << DiaryRow{first + i, QByteArray("Day ") + QByteArray::number(i) + QByteArrayLiteral(": ") + filler};
    return rows;
}

QByteArray fileBytes(const QString& fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFileBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile f(fileName);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace vistelle::e2e
