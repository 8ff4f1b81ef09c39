#pragma once
// An in-memory stream bound to one BLOB-family field of the current record. Reading gets a
// copy of the field's bytes; written bytes replace the field's block when the stream closes.

#include <QByteArray>

namespace vistelle {

class TVolgaDataset;
class TDatasetField;

class TVolgaBlobStream {
public:
    enum Mode { bmRead, bmWrite };

    // Opening for writing refuses a record that is not being edited or inserted and a
    // read-only field, with the messages of a field write.
    TVolgaBlobStream(TVolgaDataset& dataset, const TDatasetField& field, Mode mode);
    ~TVolgaBlobStream();
    TVolgaBlobStream(const TVolgaBlobStream&) = delete;
    TVolgaBlobStream& operator=(const TVolgaBlobStream&) = delete;

    const QByteArray& data() const { return m_data; }
    void write(const QByteArray& bytes);
    void close();

private:
    TVolgaDataset& m_dataset;
    const TDatasetField& m_field;
    Mode m_mode;
    bool m_written = false;
    bool m_closed = false;
    QByteArray m_data;
};

} // namespace vistelle
