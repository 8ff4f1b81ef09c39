#pragma once
// What the window's reader of a table image passes over without a word: bytes after the
// last row, and a last row cut short inside a later field (kept with what was there). The
// image is walked again the way the reader walks it (diary/engine/tablefile_format.md).

#include <QByteArray>
#include <QList>

namespace vistelle {
struct TVolgaField;
}

namespace vistelle::cli {

struct TableSlack {
    qint64 bytesAfterLastRow = 0;
    bool lastRowCutShort = false;
    qint64 declaredRows = 0;
};

// image: one the reader has read without error into a table with these fields.
TableSlack tableSlack(const QByteArray& image, const QList<TVolgaField>& fields);

} // namespace vistelle::cli
