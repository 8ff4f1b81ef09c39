#pragma once
// A table of the engine: its rows come from a file (lmFile), from field definitions alone
// (lmClear), from another open dataset (lmClone) or from bytes handed over (lmStream).

#include "diary/engine/fielddefs.h"
#include "diary/engine/volgadataset.h"
#include "core/readahead.h"

#include <functional>

namespace vistelle {

enum TLoadMode { lmClear, lmFile, lmClone, lmStream };

class TVolgaTable : public TVolgaDataset {
public:
    TVolgaTable() = default;
    ~TVolgaTable() override;

    // A different name closes the table and picks lmFile (lmClear for an empty name).
    void setTableName(const QString& name);
    QString TableName() const { return m_tableName; }
    void setLoadMode(TLoadMode mode);
    TLoadMode LoadMode() const { return m_loadMode; }
    void setCloneDS(TVolgaDataset* source) { m_cloneSource = source; }
    void setLoadStream(const QByteArray& image) { m_stream = image; }

    TFieldDefs& FieldDefs() { return m_fieldDefs; }
    const TFieldDefs& FieldDefs() const { return m_fieldDefs; }

    // What a file read with lmFile holds is turned into the table image by this, when set
    // (a protected diary unsealed with its key); it throws what the open is to report.
    std::function<QByteArray(QByteArray fileBytes)> imageOfFile;

    // Builds an empty table from FieldDefs and writes it to TableName; the table stays closed.
    void CreateTable();

    // The file read ahead at start-up together with its rows: an Open of the same file
    // that finds it unchanged on disk takes them instead of reading it again. With
    // imageOf, the rows are those of the image it makes of the file's bytes, and an Open
    // whose imageOfFile is set takes them too.
    static ReadAhead::File readAheadFile(const QString& fileName,
                                         std::function<QByteArray(QByteArray fileBytes)> imageOf = {});

protected:
    void loadRows() override;
    void applyUpdates() override;
    void releaseStore() override;

private:
    bool loadReadAhead();
    void loadImage(const QByteArray& image);
    // The rows of a table image; throws the error its Open reports.
    static std::shared_ptr<TVolgaCursor> parseImage(const QByteArray& image, std::function<void(int)> progress);
    QByteArray readTableFile();
    void rebuildFieldDefs();

    QString m_tableName;
    TLoadMode m_loadMode = lmClear;
    TFieldDefs m_fieldDefs;
    TVolgaDataset* m_cloneSource = nullptr;
    QByteArray m_stream;
};

} // namespace vistelle
