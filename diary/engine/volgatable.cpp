#include "diary/engine/volgatable.h"
#include "diary/engine/tablereader.h"
#include "diary/engine/tablewriter.h"
#include "core/error.h"
#include "core/wholefile.h"

#include <QFile>
#include <QFileInfo>

namespace vistelle {

TVolgaTable::~TVolgaTable() { releaseStore(); }

void TVolgaTable::setTableName(const QString& name)
{
    if (name == m_tableName) return;
    Close();
    m_tableName = name;
    m_loadMode = name.isEmpty() ? lmClear : lmFile;
}

void TVolgaTable::setLoadMode(TLoadMode mode)
{
    if (mode == m_loadMode) return;
    Close();
    m_loadMode = mode;
}

void TVolgaTable::CreateTable()
{
    if (Active()) raise(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (m_fieldDefs.isEmpty()) raise(QStringLiteral("Error creating table (no field descriptions)"));
    loadImage(TableWriter::emptyImage(m_fieldDefs));
    if (m_tableName.isEmpty()) raise(fmt("Error opening file %s", m_tableName));
    SaveToFile(m_tableName);
}

void TVolgaTable::loadRows()
{
    switch (m_loadMode) {
    case lmFile: loadImage(readTableFile()); break;
    case lmStream: loadImage(m_stream); break;
    case lmClear:
        if (m_fieldDefs.isEmpty()) raise(QStringLiteral("Error creating table (no field descriptions)"));
        loadImage(TableWriter::emptyImage(m_fieldDefs));
        break;
    case lmClone:
        if (!m_cloneSource || !m_cloneSource->Active() || !m_cloneSource->cursor())
            raise(QStringLiteral("Cannot perform this operation on a closed dataset"));
        m_cursor = m_cloneSource->sharedRowStore();
        break;
    }
    rebuildFieldDefs();
}

QByteArray TVolgaTable::readTableFile() const
{
    if (!QFileInfo::exists(m_tableName)) raise(fmt("Error opening file %s", m_tableName));
    QFile file(m_tableName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt("Cannot open file %s", m_tableName));
    QByteArray data = readWholeFile(file);
    if (file.error() != QFileDevice::NoError) raise(fmt("Cannot open file %s", m_tableName));
    return data;
}

// Reads an image into a fresh row store; on failure no row store is kept.
void TVolgaTable::loadImage(const QByteArray& image)
{
    m_cursor.reset();
    auto cursor = std::make_shared<TVolgaCursor>();
    try {
        TableReader(image, *cursor, progressCallback()).read();
    } catch (const TableReadError& e) {
        raise(QStringLiteral("Error opening table: ") + e.message());
    }
    m_cursor = std::move(cursor);
}

void TVolgaTable::rebuildFieldDefs()
{
    m_fieldDefs.Clear();
    for (const TVolgaField& f : m_cursor->fields())
        m_fieldDefs.Add(f.name, fieldTypeOf(f.type), f.size, false);
}

void TVolgaTable::applyUpdates()
{
    if (m_loadMode == lmFile) SaveToFile(m_tableName);
}

void TVolgaTable::releaseStore()
{
    Close();
    m_cursor.reset();
}

} // namespace vistelle
