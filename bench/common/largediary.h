#pragma once
// The diary the benchmarks measure with: 100 years, one entry of 200 characters a day,
// as a long-time user's diary.dat holds them.

#include "diary/engine/volgatable.h"
#include "diary/exchange/diarylayout.h"

#include <QByteArray>
#include <QString>

namespace vistelle::bench {

inline constexpr int Entries = 36500;
inline const TDateTime FirstDate = encodeDate(1950, 1, 1);

inline QByteArray entryText(int i)
{
    QByteArray text = "Day " + QByteArray::number(i) + ": walked along the river, met friends for lunch, "
                      "read two chapters in the evening and wrote these lines before going to sleep. ";
    while (text.size() < 200) text += "Quiet day. ";
    return text.left(200);
}

// Creates fileName with the entries and leaves table open on it.
inline void writeLargeDiary(TVolgaTable& table, const QString& fileName)
{
    createDiary(table, fileName);
    for (int i = 0; i < Entries; ++i) table.AppendRecord({Variant::fromDateTime(FirstDate + i), Variant(entryText(i))});
    table.SaveToFile(fileName);
}

} // namespace vistelle::bench
