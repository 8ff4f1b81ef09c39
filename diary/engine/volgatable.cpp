#include "diary/engine/volgatable.h"
#include "diary/engine/tablereader.h"
#include "diary/engine/tablewriter.h"
#include "core/error.h"
#include "core/readahead.h"
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
    case lmFile:
        if (!loadReadAhead()) loadImage(imageOfFile ? imageOfFile(readTableFile()) : readTableFile());
        break;
    case lmStream:
        m_fileStamp = {};
        loadImage(m_stream);
        break;
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

QByteArray TVolgaTable::readTableFile()
{
    if (!QFileInfo::exists(m_tableName)) raise(fmt("Error opening file %s", m_tableName));
    QFile file(m_tableName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt("Cannot open file %s", m_tableName));
    // The very file read: another program writing the name meanwhile makes another stamp.
    m_fileStamp = FileStamp::ofDescriptor(file.handle());
    QByteArray data = readWholeFile(file);
    if (file.error() != QFileDevice::NoError) raise(fmt("Cannot open file %s", m_tableName));
    return data;
}

namespace {

// The rows of a table file, or the error its reading met, made where the file was read ahead.
struct ParsedTable {
    std::shared_ptr<TVolgaCursor> cursor;
    QString error;
    bool throughImageOf = false; // made of the image the file's form gave
};

} // namespace

ReadAhead::File TVolgaTable::readAheadFile(const QString& fileName,
                                           std::function<QByteArray(QByteArray fileBytes)> imageOf)
{
    return {fileName, [imageOf = std::move(imageOf)](QByteArray& bytes) -> std::any {
                auto parsed = std::make_shared<ParsedTable>();
                parsed->throughImageOf = bool(imageOf);
                try {
                    parsed->cursor = parseImage(imageOf ? imageOf(std::move(bytes)) : bytes, {});
                } catch (const Error& e) {
                    parsed->error = e.message();
                } catch (...) {
                    return {}; // read again where it is opened, and failing there as it would
                }
                return std::shared_ptr<const ParsedTable>(std::move(parsed));
            }};
}

// Opens from what was read ahead for the file, when it is still the file on disk.
bool TVolgaTable::loadReadAhead()
{
    std::optional<ReadAhead::Read> ahead = ReadAhead::take(m_tableName);
    if (!ahead) return false;
    m_fileStamp = ahead->stamp;
    const auto* parsed = std::any_cast<std::shared_ptr<const ParsedTable>>(&ahead->digest);
    if (!parsed && ahead->bytes.isEmpty()) return false; // taken by a digest that failed: read again
    // A table that reports its progress is read here, where the progress is shown.
    if (!parsed || OnCallback || (imageOfFile && !(*parsed)->throughImageOf)) {
        loadImage(imageOfFile ? imageOfFile(std::move(ahead->bytes)) : ahead->bytes);
        return true;
    }
    m_cursor.reset();
    if (!(*parsed)->cursor) raise((*parsed)->error);
    m_cursor = (*parsed)->cursor;
    return true;
}

// Reads an image into a fresh row store; on failure no row store is kept.
void TVolgaTable::loadImage(const QByteArray& image)
{
    m_cursor.reset();
    m_cursor = parseImage(image, progressCallback());
}

std::shared_ptr<TVolgaCursor> TVolgaTable::parseImage(const QByteArray& image, std::function<void(int)> progress)
{
    auto cursor = std::make_shared<TVolgaCursor>();
    try {
        TableReader(image, *cursor, std::move(progress)).read();
    } catch (const TableReadError& e) {
        raise(QStringLiteral("Error opening table: ") + e.message());
    }
    return cursor;
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
