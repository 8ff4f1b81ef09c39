#pragma once
// Writes a row store as a table image (layout: tablefile_format.md). The reader is TableReader.

#include "diary/engine/fielddefs.h"
#include "diary/engine/volgacursor.h"

#include <functional>

namespace vistelle {

class TableWriter {
public:
    TableWriter(const TVolgaCursor& cursor, std::function<void(int)> progress = {});

    // Appends the image to `out`; returns its length. Deleted and discarded rows are skipped.
    qint64 write(QByteArray& out) const;

    // The descriptor section CreateTable builds from field definitions.
    static QByteArray descriptorSection(const TFieldDefs& defs);
    // A whole image with the section of `defs` and no rows.
    static QByteArray emptyImage(const TFieldDefs& defs);

private:
    qsizetype sizeBound() const;
    char* writeRow(const TVolgaRow& row, char* p) const;
    static int writeValue(const TVolgaField& f, const RowImage& image, char*& p);

    const TVolgaCursor& m_cursor;
    std::function<void(int)> m_progress;
};

} // namespace vistelle
