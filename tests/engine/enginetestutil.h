#pragma once
// Helpers shared by the engine tests: files in a temporary folder, hex fixtures, a diary table.

#include "diary/engine/volgatable.h"
#include "core/datetime.h"
#include "core/error.h"
#include "core/regional.h"

#include <functional>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace enginetest {

inline QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// The diary's two fields, created empty at `path`, and opened.
inline void createDiary(vistelle::TVolgaTable& table, const QString& path)
{
    table.setTableName(path);
    table.FieldDefs().Add("date", vistelle::ftDateTime, 0, false);
    table.FieldDefs().Add("event", vistelle::ftMemo, 0, false);
    table.CreateTable();
    table.Open();
}

inline void openFile(vistelle::TVolgaTable& table, const QString& path)
{
    table.setTableName(path);
    table.Open();
}

inline QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const vistelle::Error& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

inline vistelle::Variant day(int y, int m, int d) { return vistelle::Variant::fromDateTime(vistelle::encodeDate(y, m, d)); }

// The one-entry diary: 1 January 2009, "abc".
inline const char* OneEntryDiary =
    "3A000000 53 01000000 02000000 18000000"
    "5858582E 64617465 20 74 12 5858582E 6576656E74 20 6D 12 14"
    "08 04 00004068D3D0CC42 03000000 616263";
inline const char* EmptyDiary =
    "29000000 53 00000000 02000000 18000000"
    "5858582E 64617465 20 74 12 5858582E 6576656E74 20 6D 12 14";

} // namespace enginetest
