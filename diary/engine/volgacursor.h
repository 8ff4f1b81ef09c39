#pragma once
// The row store of one open table: descriptors, the descriptor section as read, the rows in
// stored order and the notes text.

#include "diary/engine/rowlist.h"

#include <QList>

namespace vistelle {

class TVolgaCursor {
public:
    // Gives the descriptor its place in the row image. False when the row would grow beyond
    // the largest row width.
    bool addField(TVolgaField field);

    const QList<TVolgaField>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const; // -1 when absent; names compare without regard to case
    int rowWidth() const { return m_rowWidth; }

    RowImage blankImage() const { return RowImage(m_fixedWidth, m_refCount); }
    TVolgaRow& appendRow(RowImage image, TRowStatus status);
    TVolgaRow& appendBlankRow(TRowStatus status);
    RowList& rows() { return m_rows; }
    const RowList& rows() const { return m_rows; }

    QByteArray descriptorSection;   // written back unchanged on every save
    // The image the rows were read from. Texts read from it refer into it instead of being
    // copied; values handed out of the engine are always copies.
    QByteArray source;
    qint32 mapWidth = 0;            // the field count F of the image: map bytes per row
    bool hasNotes = false;
    QByteArray notes;
    bool partialOpen = false;
    qsizetype deadRows = 0;         // rows deleted or discarded since the store was filled

private:
    QList<TVolgaField> m_fields;
    RowList m_rows;
    int m_fixedWidth = 0;
    int m_refCount = 0;
    int m_rowWidth = 0;
};

} // namespace vistelle
