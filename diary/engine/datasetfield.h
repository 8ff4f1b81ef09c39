#pragma once
// A field object of an open dataset: name, type and the flags that govern writing it.

#include "diary/engine/fieldtypes.h"

#include <QString>

namespace vistelle {

class TDatasetField {
public:
    TDatasetField(QString name, TFieldType dataType, int size, int descriptor)
        : m_name(std::move(name)), m_dataType(dataType), m_size(size), m_descriptor(descriptor) {}

    const QString& FieldName() const { return m_name; }
    const QString& DisplayName() const { return m_name; }
    TFieldType DataType() const { return m_dataType; }
    int Size() const { return m_size; }
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on) { m_readOnly = on; }
    const QString& DisplayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format) { m_displayFormat = format; }
    bool rightAligned() const { return isNumericFieldType(m_dataType); }
    int descriptor() const { return m_descriptor; } // index of the field's descriptor

private:
    QString m_name;
    TFieldType m_dataType;
    int m_size;
    int m_descriptor;
    bool m_readOnly = false;
    QString m_displayFormat;
};

} // namespace vistelle
