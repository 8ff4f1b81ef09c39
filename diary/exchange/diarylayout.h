#pragma once
// A diary as the window makes a new one: a table of two fields, `date` (date-time) and
// `event` (memo), one row a date.

#include <QString>

namespace vistelle {

class TVolgaTable;

// Gives a closed table the diary's two field definitions.
void defineDiaryFields(TVolgaTable& table);

// Writes an empty diary to fileName at once and opens the table on it.
void createDiary(TVolgaTable& table, const QString& fileName);

} // namespace vistelle
