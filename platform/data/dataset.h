// TDataSet: a cursor with fields, a state, events and a cache of changes. Records are
// read a page at a time (tables and queries seek on their ordering, which always ends
// with a row's identity so the order is total); the cache of inserts, edits and
// deletes is laid over what is read. The window of records (record_window.h) and the
// cache (update_cache.h) keep their own rules; the dataset moves between states and
// fires the events (dataset.cpp). What it holds in memory is in dataset_p.h.
#pragma once

#include "platform/core/exceptions.h"
#include "platform/data/field.h"

#include <QObject>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

class TDatabase;
class TDataSource;
class TSqlRunner;
struct TDataSetPrivate;
struct TRecord;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
    dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateAction { uaFail, uaAbort, uaSkip, uaRetry, uaApplied };
enum TDataAction { daFail, daAbort, daRetry };
enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

// A record's place in the dataset's order; survives edits of other records.
struct TBookmark {
    QVector<QVariant> Key;
    bool IsValid() const { return !Key.isEmpty(); }
};

using TDataSetNotifyEvent = std::function<void(TDataSet*)>;
using TDataSetErrorEvent = std::function<void(TDataSet*, EDatabaseError&, TDataAction&)>;
using TUpdateErrorEvent = std::function<void(TDataSet*, EDatabaseError&, TUpdateKind, TUpdateAction&)>;

class TDataSet : public QObject {
public:
    explicit TDataSet(QObject* owner = nullptr);
    ~TDataSet() override;

    // The connection: set directly, or by DatabaseName among the open TDatabase objects.
    TDatabase* Database() const;
    void SetDatabase(TDatabase* db);
    QString DatabaseName;

    void Open();
    void Close();
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return FState; }

    int FieldCount() const;
    TField* Fields(int index) const;
    TField* FindField(const QString& name) const;
    // Fails with "Field '%s' not found".
    TField* FieldByName(const QString& name) const;

    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Bof() const;
    bool Eof() const;
    bool IsEmpty() const;
    // Counted by the database on request (count(*)), cached changes included.
    int RecordCount();
    // 1-based position; setting it reads that row with OFFSET.
    int RecNo();
    void SetRecNo(int recNo);

    void Insert();
    void Append();
    void Edit();
    void Post();
    // Has the data-aware controls write what they hold of the record being edited
    // (Post does it first, so a value still being typed is posted too).
    void UpdateRecord();
    void Cancel();
    void Delete();
    void Refresh();
    bool Modified() const;
    bool CanModify() const;
    // Posts a modified edit, cancels an unmodified one.
    void CheckBrowseMode();

    // Fields are ';'-separated; values one per field.
    bool Locate(const QString& keyFields, const QVariantList& keyValues, TLocateOptions options = 0);
    bool Locate(const QString& keyField, const QVariant& keyValue, TLocateOptions options = 0)
    {
        return Locate(keyField, QVariantList{keyValue}, options);
    }
    // The result field(s) of the matching record without moving; null when none.
    QVariant Lookup(const QString& keyFields, const QVariantList& keyValues, const QString& resultFields);
    QVariant Lookup(const QString& keyField, const QVariant& keyValue, const QString& resultFields)
    {
        return Lookup(keyField, QVariantList{keyValue}, resultFields);
    }

    // Key search on the ordering columns: SetKey, assign the key fields, GotoKey.
    void SetKey();
    bool GotoKey();
    bool FindKey(const QVariantList& keyValues);

    // Makes each record from From to From + Count - 1, counted from the current one
    // (-1 is the one before it), the record the fields read in turn and calls Visit
    // with its offset; records beyond the ends are not visited. The cursor does not
    // move: no events, no data source hears of it, a detail does not follow. Browse
    // only. Returns how many were visited.
    int VisitRecords(int From, int Count, const std::function<void(int Offset)>& Visit);

    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.Key.clear(); }
    bool BookmarkValid(const TBookmark& bookmark);

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // Cached updates: posts are held until applied; they are laid over what is read.
    bool CachedUpdates() const;
    void SetCachedUpdates(bool on);
    bool UpdatesPending() const;
    // Applies this dataset's cache alone in one transaction, then empties it.
    void ApplyUpdates();
    void CommitUpdates();
    // Discards the cache (cancelling a pending edit) and re-reads.
    void CancelUpdates();

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;
    TUpdateErrorEvent OnUpdateError;

    // Records read per round trip.
    int PageSize = 50;

protected:
    // Storage hooks of the concrete datasets.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    // Rows strictly after (forward) or before (backward, nearest first) a key of the
    // order; from the start or end when key is null. Filtered by the master link.
    virtual QVector<QVector<QVariant>> FetchRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count);
    // First row in order matching the condition (same filter), after key when given.
    virtual QVector<QVector<QVariant>> FindRows(const QVector<int>& columns, const QVariantList& values,
                                                TLocateOptions options, const QVector<QVariant>* after, int count);
    virtual qint64 CountRows();
    virtual QVector<QVector<QVariant>> RowsAtOffset(qint64 offset, int count);
    virtual void WriteChange(TSqlRunner& runner, TUpdateKind kind, const QVector<QVariant>& oldValues,
                             const QVector<QVariant>& newValues);
    virtual TSqlRunner* Runner();
    // The columns SetKey/GotoKey search on (';'-separated).
    virtual QString KeyFieldNames() const { return QString(); }
    // Post writes immediately (no cache) and the storage is reread afterwards.
    bool FReadOnly = false;

    // Set by InternalOpen; the order and key columns are taken over as the dataset
    // opens. Columns of the source; data fields bind to them by name. Columns from
    // FVisibleColumns on (when not -1) only carry the order and get no default field.
    QStringList FColumns;
    QVector<TFieldType> FColumnTypes;
    QVector<int> FColumnSizes;
    int FVisibleColumns = -1;
    QVector<int> FOrderCols; // total order: ordering columns then key columns
    QVector<bool> FOrderDesc; // per entry of FOrderCols: descending (missing: ascending)
    QVector<int> FKeyCols;   // identity of a stored row
    // The master link: rows whose FFilterCols hold FFilterValues.
    QVector<int> FFilterCols;
    QVector<QVariant> FFilterValues;
    bool FFilterNone = false; // master has no current record: nothing matches

    void SetColumns(const QStringList& names, const QVector<TFieldType>& types, const QVector<int>& sizes);
    QVector<int> ColumnList(const QString& names) const;
    // The master moved; the records of the new master are read on first use.
    void MasterChanged(const QVector<QVariant>& values, bool none);
    QVector<QVariant> OrderKey(const QVector<QVariant>& values) const;
    int CompareKeys(const QVector<QVariant>& a, const QVector<QVariant>& b) const;
    // Whether the row's columns hold the values, as Locate compares them.
    static bool RowMatches(const QVector<QVariant>& row, const QVector<int>& columns, const QVariantList& values,
                           TLocateOptions options);

private:
    friend class TField;
    friend class TDatabase;
    friend class TDataSource;
    friend struct TDataSetPrivate;

    void SetState(TDataSetState s);
    void DataEvent(int event, TField* field = nullptr);
    void NotifyState();
    // Reads the window anew when the master moved since it was read.
    void EnsureFresh() const;

    int ColumnIndex(const QString& name) const;
    void BindFields();
    void CreateDefaultFields();
    void DestroyFields();
    TRecord MakeRec(const QVector<QVariant>& values, int entry);
    void CalculateFields(TRecord& rec);
    const TRecord* ActiveRec() const;
    QVariant FieldValue(const TField* field) const;
    QVariant FieldOldValue(const TField* field) const;
    void SetFieldValue(TField* field, const QVariant& value);

    void BeginInsert();
    bool MatchesFilter(const QVector<QVariant>& values) const;
    bool FindRec(const QVector<int>& columns, const QVariantList& values, TLocateOptions options, TRecord& found);
    // A lookup field's result for the current calculation, through the cache below.
    QVariant LookupResult(const TField* field);
    // The matching record's field values; false when none matches.
    bool LookupRec(const QString& keyFields, const QVariantList& keyValues, TRecord& found);
    QVariant ResultOf(const TRecord& rec, const QString& resultFields);

    void WriteNow(TUpdateKind kind, const QVector<QVariant>& oldValues, const QVector<QVariant>& newValues);
    // Writes the cache through the runner, marking what was applied or skipped.
    void ApplyCache(TSqlRunner& runner);
    void ResetApplyMarks();

    TDataSetState FState = dsInactive;
    std::unique_ptr<TDataSetPrivate> d;
};

// Dataset events that data sources pass on.
// deCheckBrowseMode goes to detail links only: the master is about to move or post.
// deUpdateRecord asks the controls for what they hold and have not written yet.
enum {
    deFieldChange = 1, deRecordChange, deDataSetChange, deDataSetScroll, deStateChange, deCheckBrowseMode,
    deUpdateRecord
};

// Raises EDatabaseError with the dataset's name in front when it has one.
[[noreturn]] void DatabaseError(const QString& message, const QObject* component = nullptr);
