#pragma once
// Reading and writing diary.dat through the table engine, rows kept as stored: the date
// value and the entry's bytes (Windows-1252 for every text that fits it).

#include "core/datetime.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vistelle::e2e {

struct DiaryRow {
    TDateTime date = 0;
    QByteArray text;
    bool operator==(const DiaryRow&) const = default;
};

// Every row in file order; throws vistelle::Error when the file cannot be opened.
QList<DiaryRow> readDiary(const QString& fileName);
// A diary holding exactly these rows, in this order.
void writeDiary(const QString& fileName, const QList<DiaryRow>& rows);
// Entries for count consecutive days from 1 Jan 2000, each text a few hundred bytes.
QList<DiaryRow> largeDiary(int count);

QByteArray fileBytes(const QString& fileName);
bool writeFileBytes(const QString& fileName, const QByteArray& bytes);

inline TDateTime settingsDate() { return encodeDate(5050, 7, 6); }

} // namespace vistelle::e2e
