#include "diary/engine/volgablobstream.h"
#include "diary/engine/volgadataset.h"
#include "diary/engine/fieldvalue.h"
#include "core/error.h"

namespace vistelle {

TVolgaBlobStream::TVolgaBlobStream(TVolgaDataset& dataset, const TDatasetField& field, Mode mode)
    : m_dataset(dataset), m_field(field), m_mode(mode)
{
    if (mode == bmRead) {
        m_data = fieldvalue::detached(dataset.m_record.reference(dataset.descriptorOf(field)));
        return;
    }
    if (dataset.m_state != dsEdit && dataset.m_state != dsInsert)
        raise(QStringLiteral("Table is not in edit or insert mode"));
    if (field.ReadOnly()) raise(fmt("Field '%s' is read only!", field.DisplayName()));
}

TVolgaBlobStream::~TVolgaBlobStream()
{
    if (!m_closed && m_written) {
        try { close(); } catch (...) {}
    }
}

void TVolgaBlobStream::write(const QByteArray& bytes)
{
    m_data.append(bytes);
    m_written = true;
}

// Written bytes replace the field's block (none for 0 bytes) and mark the record changed.
void TVolgaBlobStream::close()
{
    if (m_closed) return;
    m_closed = true;
    if (m_mode != bmWrite || !m_written) return;
    m_dataset.editRecord().reference(m_dataset.descriptorOf(m_field)) = m_data;
    m_dataset.markFieldWritten();
}

} // namespace vistelle
