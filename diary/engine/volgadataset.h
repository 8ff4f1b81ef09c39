#pragma once
// The dataset of the table engine: a row view over the row store, the current record, the
// states browse, edit and insert, key search and ordering. Everything lives in memory.

#include "diary/engine/datasetfield.h"
#include "diary/engine/keybuffer.h"
#include "diary/engine/variant.h"
#include "diary/engine/volgacursor.h"
#include "core/savefile.h"

#include <QByteArrayView>
#include <QFlags>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vistelle {

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
enum TVolgaSortOption { vsoCaseInsensitive = 1, vsoDescendSort = 2 };
Q_DECLARE_FLAGS(TVolgaSortOptions, TVolgaSortOption)
// savAutoBackup copies the old file to the extension ".~d" first; savSlowMode changes nothing:
// every save writes the whole image through a temporary file.
enum TVolgaSaveOption { savAutoBackup = 1, savSlowMode = 2 };
Q_DECLARE_FLAGS(TVolgaSaveOptions, TVolgaSaveOption)

class TVolgaDataset {
public:
    TVolgaDataset();
    virtual ~TVolgaDataset();
    TVolgaDataset(const TVolgaDataset&) = delete;
    TVolgaDataset& operator=(const TVolgaDataset&) = delete;

    void Open();
    void Close();
    bool Active() const { return m_state != dsInactive; }
    TDataSetState State() const { return m_state; }

    bool Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options = {});
    Variant Lookup(const QString& keyFields, const Variant& keyValues, const QString& resultFields);
    void AppendRecord(const QList<Variant>& values);
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void SetFieldValue(const QString& field, const Variant& value);
    Variant GetFieldValue(const QString& field) const;
    // The bytes of a String or BLOB-family field of the current record where they lie,
    // without a copy: valid until the current record changes. GetFieldValue gives the same
    // bytes (a String cut at its declared size). False for a field of another type, which
    // holds no bytes of its own.
    bool peekBytes(const QString& field, QByteArrayView& bytes) const;
    void First();
    void Next();
    bool Eof() const { return m_eof; }

    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on);
    QString IndexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString& names);
    TVolgaSortOptions SortOptions() const { return m_sortOptions; }
    void setSortOptions(TVolgaSortOptions options);
    TVolgaSaveOptions SaveOptions() const { return m_saveOptions; }
    void setSaveOptions(TVolgaSaveOptions options) { m_saveOptions = options; }
    static QString Version() { return QStringLiteral("VolgaDB Engine v5.2"); }

    // Writes the row store to the file; pending changes are not written. "Cannot create file %s".
    void SaveToFile(const QString& fileName);
    // The bytes SaveToFile writes: the row store as it stands. A buffer handed over is
    // reused for them (a repeated save then touches no fresh memory).
    QByteArray saveImage(QByteArray buffer = {});
    // The file the rows were last read from or written to, as it was read or written
    // (taken from the open file): !exists() when the rows came from elsewhere.
    const FileStamp& fileStamp() const { return m_fileStamp; }
    // Hands the stamp over and forgets it (a stamp keeps its file open).
    FileStamp takeFileStamp() { return std::exchange(m_fileStamp, {}); }

    TDatasetField* FindField(const QString& name) const;
    TDatasetField& FieldByName(const QString& name) const; // "Field '%s' not found"
    int FieldCount() const { return int(m_fields.size()); }

    // Rows of the view, the 1-based number of the current row (0 when none).
    int RecordCount() const { return int(m_view.size()); }
    int RecNo() const { return m_pos >= 0 && m_pos < qsizetype(m_view.size()) ? int(m_pos) + 1 : 0; }
    // Rows of the store in stored order, deleted ones included.
    int storeRowCount() const { return m_cursor ? int(m_cursor->rows().size()) : 0; }
    TRowStatus rowStatus(int storeIndex) const { return m_cursor->rows()[size_t(storeIndex)].status; }
    bool viewOrdered() const { return m_viewOrdered; }
    // Grows with every change of the rows (an open, a close, a post, a delete), so that
    // what is derived from them knows when to look again.
    quint64 rowsVersion() const { return m_rowsVersion; }
    const TVolgaCursor* cursor() const { return m_cursor.get(); }
    // The row store itself, for a table that shows the rows of this dataset (lmClone).
    std::shared_ptr<TVolgaCursor> sharedRowStore() const { return m_cursor; }

    std::function<void(TVolgaDataset* sender, int percent)> OnCallback;

protected:
    FileStamp m_fileStamp;
    // Fills m_cursor with the rows to show; throws on failure.
    virtual void loadRows() = 0;
    // Writes counted changes back to where the rows came from.
    virtual void applyUpdates() = 0;
    // Lets go of the row store when the component goes.
    virtual void releaseStore() = 0;

    std::function<void(int)> progressCallback();

    std::shared_ptr<TVolgaCursor> m_cursor;

private:
    friend class TVolgaBlobStream;

    void checkActive() const;
    void checkCanModify() const;
    void finishPending();
    void postRecord();
    void dropRecord();
    void createFields();
    void rebuildView(bool keepCurrent);
    void loadCurrentRecord();
    qsizetype findKey(const QString& keyFields, const Variant& keyValues, TLocateOptions options);
    void fillKeyTexts(const Variant& keyValues);
    qsizetype findByValues(const Variant& keyValues, TLocateOptions options) const;
    bool keysChangedSinceBackup(const TVolgaRow& row) const;
    const TVolgaField& descriptorOf(const TDatasetField& field) const;
    void writeField(const TDatasetField& field, const Variant& value);
    void markFieldWritten() { m_recordModified = true; }
    RowImage& editRecord() { return m_record; }

    std::vector<std::unique_ptr<TDatasetField>> m_fields;
    std::vector<TVolgaRow*> m_view;
    qsizetype m_pos = -1;
    bool m_eof = true;
    bool m_viewOrdered = false;
    TDataSetState m_state = dsInactive;
    RowImage m_record;
    TVolgaRow* m_recordRow = nullptr;
    bool m_recordModified = false;
    std::array<KeyBuffer, 4> m_keys;
    bool m_readOnly = false;
    QString m_indexFieldNames;
    TVolgaSortOptions m_sortOptions;
    TVolgaSaveOptions m_saveOptions;
    quint64 m_rowsVersion = 0;
};

} // namespace vistelle

Q_DECLARE_OPERATORS_FOR_FLAGS(vistelle::TLocateOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(vistelle::TVolgaSortOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(vistelle::TVolgaSaveOptions)
