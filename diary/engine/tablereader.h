#pragma once
// Reads a table image (layout: tablefile_format.md) into a row store. The writer is TableWriter.
// Every count and length is checked against the bytes that remain before anything is reserved.

#include "core/error.h"
#include "diary/engine/volgacursor.h"

#include <functional>

namespace vistelle {

// A reason why an image cannot be read; the dataset reports it after "Error opening table: ".
class TableReadError : public Error {
public:
    using Error::Error;
};

class TableReader {
public:
    TableReader(const QByteArray& image, TVolgaCursor& cursor, std::function<void(int)> progress = {});

    // Fills the (empty) row store. Throws TableReadError with the reason, or Error with the
    // list error of a record count that cannot be reserved.
    void read();

private:
    [[noreturn]] void fail(const QString& reason) const;
    qint64 remaining() const { return m_size - m_pos; }
    qint32 int32At(qint64 pos) const;
    void readErrorImage() const;
    void parseDescriptors(const QByteArray& section, qint32 count);
    void parseDescriptor(const QByteArray& text);
    void readNotes(qint32 mapWidth);
    void checkRecordCount(qint32 count) const;
    void readRows(qint32 count, qint32 mapWidth);
    bool readRow(qint32 mapWidth, qint64 recNo);
    inline bool readValue(const TVolgaField& f, int entry, RowImage& image, qint64 recNo);
    inline bool readReference(const TVolgaField& f, RowImage& image, qint64 recNo);

    const char* m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    TVolgaCursor& m_cursor;
    std::function<void(int)> m_progress;
};

} // namespace vistelle
