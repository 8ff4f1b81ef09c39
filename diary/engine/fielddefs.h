#pragma once
// Field definitions of a table: the input of CreateTable, rebuilt from the file by Open.

#include "diary/engine/fieldtypes.h"

#include <QList>
#include <QString>

namespace vistelle {

struct TFieldDef {
    QString name;
    TFieldType dataType = ftUnknown;
    int size = 0;
    bool required = false;
};

class TFieldDefs {
public:
    // A String size must lie in 0 … 32767: "Invalid field size".
    void Add(const QString& name, TFieldType dataType, int size = 0, bool required = false);
    void Clear() { m_items.clear(); }
    int Count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const TFieldDef& operator[](int i) const { return m_items[i]; }
    const QList<TFieldDef>& items() const { return m_items; }

private:
    QList<TFieldDef> m_items;
};

} // namespace vistelle
