// The dataset state machine, the window of records over the storage's order, and the
// cache of changes laid over it. Events run in the order callers rely on: Before*
// may refuse by raising (EAbort is the silent refusal) and leaves the state unchanged.
#include "platform/data/dataset.h"

#include "platform/data/database.h"
#include "platform/data/datasource.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

void DatabaseError(const QString& message, const QObject* component)
{
    if (component && !component->objectName().isEmpty())
        throw EDatabaseError((component->objectName() + ": " + message).toStdString());
    throw EDatabaseError(message.toStdString());
}

namespace {

// One key value as identities and lookup keys write it: numbers of any width are one
// value, and null is apart from every text.
void WriteKeyValue(QDataStream& s, const QVariant& v)
{
    if (v.isNull())
        s << QString("\x01null");
    else if (v.typeId() == QMetaType::QString)
        s << v.toString();
    else
        s << v.toDouble();
}

int CompareValues(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    auto numeric = [](const QVariant& v) {
        int t = v.typeId();
        return t == QMetaType::Double || t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Bool
            || t == QMetaType::Float || t == QMetaType::UInt || t == QMetaType::ULongLong;
    };
    if (numeric(a) && numeric(b)) {
        double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return QString::compare(a.toString(), b.toString(), Qt::CaseSensitive) < 0 ? -1
        : (a.toString() == b.toString() ? 0 : 1);
}

bool MatchValue(const QVariant& stored, const QVariant& wanted, TLocateOptions options)
{
    if (wanted.isNull() || stored.isNull())
        return wanted.isNull() && stored.isNull();
    if (wanted.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QString) {
        QString s = stored.toString(), w = wanted.toString();
        Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (options & loPartialKey)
            return s.startsWith(w, cs);
        return s.compare(w, cs) == 0;
    }
    return CompareValues(stored, wanted) == 0;
}

} // namespace

TDataSet::TDataSet(QObject* owner)
    : QObject(owner)
{
}

TDataSet::~TDataSet()
{
    try {
        Close();
    } catch (...) {
    }
    for (auto copy = FSources; TDataSource* s : copy)
        s->SetDataSet(nullptr);
    if (FDatabase)
        FDatabase->UnregisterDataSet(this);
    FFields.clear();
    FOwnedFields.clear();
}

TDatabase* TDataSet::Database() const
{
    if (FDatabase)
        return FDatabase;
    return TDatabase::Find(DatabaseName);
}

TField* TDataSet::FindField(const QString& name) const
{
    for (TField* f : FFields)
        if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        DatabaseError("Field '" + name + "' not found", this);
    return f;
}

// ---- open and close ----

void TDataSet::Open()
{
    if (Active())
        return;
    if (BeforeOpen)
        BeforeOpen(this);
    TDatabase* db = Database();
    if (!db)
        DatabaseError("Database '" + DatabaseName + "' not found", this);
    if (!db->Connected())
        db->Open();
    db->RegisterDataSet(this);
    FDatabase = db;
    FState = dsOpening;
    try {
        FWin.clear();
        FCache.clear();
        FCacheByIdentity.clear();
        InternalOpen();
        if (FFields.empty())
            CreateDefaultFields();
        BindFields();
        FState = dsBrowse;
        ++FGeneration;
        FLookupCache.clear();
        ResetWindow();
    } catch (...) {
        FState = dsInactive;
        try {
            InternalClose();
        } catch (...) {
        }
        FWin.clear();
        DestroyFields();
        throw;
    }
    NotifyState();
    DataEvent(deDataSetChange);
    if (AfterOpen)
        AfterOpen(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    if (BeforeClose)
        BeforeClose(this);
    // Unapplied changes are dropped with the cursor, as when the program ends.
    FState = dsInactive;
    FEditRec = TRec();
    FModified = false;
    FWin.clear();
    FCur = -1;
    FCache.clear();
    FCacheByIdentity.clear();
    FLookupCache.clear();
    ++FGeneration;
    try {
        InternalClose();
    } catch (...) {
        DestroyFields();
        NotifyState();
        DataEvent(deDataSetChange);
        throw;
    }
    DestroyFields();
    NotifyState();
    DataEvent(deDataSetChange);
    if (AfterClose)
        AfterClose(this);
}

void TDataSet::CreateDefaultFields()
{
    const int visible = FVisibleColumns < 0 ? int(FColumns.size()) : FVisibleColumns;
    for (int i = 0; i < visible; ++i) {
        if (FColumns[i].compare("rowid", Qt::CaseInsensitive) == 0)
            continue;
        TField* f = new TField(this, FColumns[i], FColumnTypes[i] == ftUnknown ? ftString : FColumnTypes[i],
                               FColumnTypes[i] == ftString ? FColumnSizes.value(i, 20) : 0);
        f->FDefault = true;
    }
}

void TDataSet::DestroyFields()
{
    auto isDefault = [](TField* f) { return f->FDefault; };
    FFields.erase(std::remove_if(FFields.begin(), FFields.end(), isDefault), FFields.end());
    FOwnedFields.erase(std::remove_if(FOwnedFields.begin(), FOwnedFields.end(),
                                      [](const std::unique_ptr<TField>& f) { return f->FDefault; }),
                       FOwnedFields.end());
}

void TDataSet::SetColumns(const QStringList& names, const QVector<TFieldType>& types, const QVector<int>& sizes)
{
    FColumns = names;
    FColumnTypes = types;
    FColumnSizes = sizes;
    FVisibleColumns = -1;
}

int TDataSet::ColumnIndex(const QString& name) const
{
    const int visible = FVisibleColumns < 0 ? int(FColumns.size()) : FVisibleColumns;
    for (int i = 0; i < visible; ++i)
        if (FColumns[i].compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVector<int> TDataSet::ColumnList(const QString& names) const
{
    QVector<int> cols;
    for (const QString& n : names.split(';', Qt::SkipEmptyParts)) {
        int c = ColumnIndex(n);
        if (c < 0)
            DatabaseError("Field '" + n.trimmed() + "' not found", this);
        cols << c;
    }
    return cols;
}

void TDataSet::BindFields()
{
    FCalcCount = 0;
    for (TField* f : FFields) {
        if (f->FFieldKind == fkData) {
            f->FSlot = ColumnIndex(f->FieldName);
            if (f->FSlot < 0)
                DatabaseError("Field '" + f->FieldName + "' not found", this);
        } else {
            f->FSlot = FCalcCount++;
        }
    }
}

// ---- records and the window ----

TDataSet::TRec TDataSet::MakeRec(const QVector<QVariant>& values, int entry)
{
    TRec r;
    r.Values = values;
    r.Entry = entry;
    CalculateFields(r);
    return r;
}

void TDataSet::CalculateFields(TRec& rec)
{
    rec.Calc = QVector<QVariant>(FCalcCount);
    if (FCalcCount == 0)
        return;
    const TRec* savedRec = FCalcRec;
    TDataSetState saved = FState;
    FCalcRec = &rec;
    FState = dsCalcFields;
    try {
        for (TField* f : FFields)
            if (f->FFieldKind == fkLookup && f->LookupDataSet && f->LookupDataSet->Active())
                rec.Calc[f->FSlot] = LookupResult(f);
        if (OnCalcFields)
            OnCalcFields(this);
    } catch (...) {
        FCalcRec = savedRec;
        FState = saved;
        throw;
    }
    FCalcRec = savedRec;
    FState = saved;
}

void TDataSet::EnsureFresh() const
{
    if (!FStale || FState == dsInactive)
        return;
    auto* self = const_cast<TDataSet*>(this);
    self->FStale = false;
    self->ResetWindow();
}

const TDataSet::TRec* TDataSet::ActiveRec() const
{
    EnsureFresh();
    if (FCalcRec)
        return FCalcRec;
    if (FState == dsEdit || FState == dsInsert || FState == dsSetKey)
        return &FEditRec;
    if (FCur >= 0 && FCur < int(FWin.size()))
        return &FWin[FCur];
    return nullptr;
}

TDataSet::TRec* TDataSet::ActiveRecMutable()
{
    return const_cast<TRec*>(ActiveRec());
}

QVector<QVariant> TDataSet::OrderKey(const QVector<QVariant>& values) const
{
    QVector<QVariant> key;
    key.reserve(FOrderCols.size());
    for (int c : FOrderCols)
        key << values.value(c);
    return key;
}

int TDataSet::CompareKeys(const QVector<QVariant>& a, const QVector<QVariant>& b) const
{
    for (int i = 0; i < a.size() && i < b.size(); ++i)
        if (int c = CompareValues(a[i], b[i]))
            return FOrderDesc.value(i) ? -c : c;
    return 0;
}

QByteArray TDataSet::Identity(const QVector<QVariant>& values) const
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    for (int c : FKeyCols)
        WriteKeyValue(s, values.value(c));
    return out;
}

bool TDataSet::MatchesFilter(const QVector<QVariant>& values) const
{
    if (FFilterNone)
        return false;
    for (int i = 0; i < FFilterCols.size(); ++i)
        if (CompareValues(values.value(FFilterCols[i]), FFilterValues.value(i)) != 0
            || FFilterValues.value(i).isNull())
            return false;
    return true;
}

QVector<QVector<QVariant>> TDataSet::FetchRows(const QVector<QVariant>*, bool, bool, int) { return {}; }
QVector<QVector<QVariant>> TDataSet::FindRows(const QVector<int>&, const QVariantList&, TLocateOptions,
                                              const QVector<QVariant>*, int) { return {}; }
qint64 TDataSet::CountRows() { return 0; }
QVector<QVector<QVariant>> TDataSet::RowsAtOffset(qint64, int) { return {}; }
void TDataSet::WriteChange(TSqlRunner&, TUpdateKind, const QVector<QVariant>&, const QVector<QVariant>&)
{
    DatabaseError("Cannot modify a read-only dataset", this);
}
TSqlRunner* TDataSet::Runner() { return &Database()->Runner(); }

// Reads the next page beyond the window's end (or start), or from the given key.
// Stored rows that a cached change replaces are skipped; cached rows that fall in the
// page's range are merged in by key.
bool TDataSet::FetchMore(bool forward, const QVector<QVariant>* startKey, bool inclusive)
{
    if (!startKey && (forward ? FWinAtEnd : FWinAtStart))
        return false;
    // Lookups of the records read before may be stale by now.
    FLookupCache.clear();
    QVector<QVariant> k;
    const QVector<QVariant>* key = nullptr;
    if (startKey) {
        k = *startKey;
        key = &k;
    } else if (!FWin.empty()) {
        k = OrderKey(forward ? FWin.back().Values : FWin.front().Values);
        key = &k;
    }
    for (;;) {
        const int count = std::max(1, std::min(FFetchCount, PageSize));
        FFetchCount = std::min(PageSize, count * 2);
        QVector<QVector<QVariant>> rows = FFilterNone ? QVector<QVector<QVariant>>() : FetchRows(key, forward, inclusive, count);
        bool exhausted = rows.size() < count;
        QVector<QVariant> limit = exhausted ? QVector<QVariant>() : OrderKey(rows.last());
        std::vector<std::pair<QVector<QVariant>, int>> got;
        for (const auto& r : rows)
            if (FCacheByIdentity.empty() || !FCacheByIdentity.count(Identity(r)))
                got.emplace_back(r, -1);
        for (const auto& [id, e] : FCache) {
            if (e.Kind == ukDelete || !MatchesFilter(e.NewValues))
                continue;
            QVector<QVariant> vk = OrderKey(e.NewValues);
            int dir = forward ? 1 : -1;
            if (key && CompareKeys(vk, *key) * dir < (inclusive ? 0 : 1))
                continue;
            if (!exhausted && CompareKeys(vk, limit) * dir > 0)
                continue;
            got.emplace_back(e.NewValues, id);
        }
        if (!FCache.empty() && !got.empty())
            std::stable_sort(got.begin(), got.end(), [&](const auto& a, const auto& b) {
                int c = CompareKeys(OrderKey(a.first), OrderKey(b.first));
                if (c == 0) // a cached record comes before a stored one of the same key
                    return forward ? (a.second >= 0 && b.second < 0) : (a.second < 0 && b.second >= 0);
                return forward ? c < 0 : c > 0;
            });
        for (const auto& [values, entry] : got) {
            if (forward)
                FWin.push_back(MakeRec(values, entry));
            else {
                FWin.push_front(MakeRec(values, entry));
                ++FCur;
                if (FEditPos >= 0)
                    ++FEditPos;
            }
        }
        if (exhausted)
            (forward ? FWinAtEnd : FWinAtStart) = true;
        if (!got.empty() || exhausted)
            return !got.empty();
        k = limit;
        key = &k;
        inclusive = false;
    }
}

void TDataSet::ResetWindow()
{
    FStale = false;
    FFetchCount = PageSize;
    FWin.clear();
    FCur = -1;
    FWinAtStart = true;
    FWinAtEnd = false;
    FetchMore(true);
    FCur = FWin.empty() ? -1 : 0;
    FBof = true;
    FEof = FWin.empty();
}

// Makes rec's position the window: reads onwards from its key, so the window shows it
// (or, when it is no longer in this view, the record that follows it).
void TDataSet::PlaceAt(const TRec& rec, bool reread)
{
    FStale = false;
    // Moving on from a single known record reads small pages first.
    FFetchCount = std::min(PageSize, 4);
    QVector<QVariant> key = OrderKey(rec.Values);
    if (!reread && MatchesFilter(rec.Values)) {
        // The record is known: the window starts as just this record and grows on demand.
        FWin.clear();
        FWin.push_back(MakeRec(rec.Values, rec.Entry));
        FCur = 0;
        FWinAtStart = FWinAtEnd = false;
        FBof = FEof = false;
        return;
    }
    FWin.clear();
    FCur = -1;
    FWinAtStart = FWinAtEnd = false;
    FetchMore(true, &key, true);
    if (FWin.empty()) {
        // Nothing at or after it: the last record of the view.
        FWinAtEnd = true;
        FetchMore(false);
    }
    FCur = FWin.empty() ? -1 : (FWinAtEnd && CompareKeys(OrderKey(FWin.front().Values), key) < 0 ? int(FWin.size()) - 1 : 0);
    FBof = FEof = FWin.empty();
}

void TDataSet::Resync(const QVector<QVariant>& values, int entry)
{
    TRec r;
    r.Values = values;
    r.Entry = entry;
    PlaceAt(r, false);
}

void TDataSet::MasterChanged(const QVector<QVariant>& values, bool none)
{
    if (!Active())
        return;
    if (none == FFilterNone && !none && values.size() == FFilterValues.size()) {
        bool same = true;
        for (int i = 0; i < values.size(); ++i)
            same = same && CompareValues(values[i], FFilterValues[i]) == 0 && values[i].isNull() == FFilterValues[i].isNull();
        if (same)
            return;
    } else if (none && FFilterNone)
        return;
    CheckBrowseMode();
    FFilterValues = values;
    FFilterNone = none;
    for (const QVariant& v : values)
        if (v.isNull())
            FFilterNone = true;
    FWin.clear();
    FCur = -1;
    FStale = true;
    DataEvent(deDataSetChange);
}

// ---- navigation ----

bool TDataSet::IsEmpty() const
{
    EnsureFresh();
    return !Active() || (FWin.empty() && FState != dsInsert);
}

void TDataSet::First()
{
    EnsureFresh();
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    if (FWinAtStart && !FWin.empty())
        FCur = 0;
    else
        ResetWindow();
    FBof = true;
    FEof = FWin.empty();
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::Last()
{
    EnsureFresh();
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    if (!FWinAtEnd) {
        FWin.clear();
        FCur = -1;
        FWinAtEnd = true;
        FWinAtStart = false;
        FetchMore(false);
    }
    FCur = int(FWin.size()) - 1;
    FEof = true;
    FBof = FWin.empty();
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}

int TDataSet::MoveBy(int distance)
{
    EnsureFresh();
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (distance == 0 || (distance > 0 && FEof) || (distance < 0 && FBof) || FWin.empty()) {
        if (FWin.empty())
            FBof = FEof = true;
        return 0;
    }
    if (BeforeScroll)
        BeforeScroll(this);
    FBof = FEof = false;
    int moved = 0;
    while (moved != distance) {
        bool forward = distance > 0;
        if (forward) {
            if (FCur + 1 >= int(FWin.size()) && !FetchMore(true)) {
                FEof = true;
                break;
            }
            ++FCur;
            ++moved;
        } else {
            if (FCur == 0 && !FetchMore(false)) {
                FBof = true;
                break;
            }
            --FCur;
            --moved;
        }
    }
    // Keep memory bounded when scrolling through a large table.
    const int keep = PageSize * 8;
    if (int(FWin.size()) > keep * 2) {
        while (FCur > keep) {
            FWin.pop_front();
            --FCur;
            FWinAtStart = false;
        }
        while (int(FWin.size()) - FCur > keep) {
            FWin.pop_back();
            FWinAtEnd = false;
        }
    }
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
    return moved;
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::RecordCount()
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    qint64 n = FFilterNone ? 0 : CountRows();
    for (const auto& [id, e] : FCache) {
        if (e.Kind != ukInsert && MatchesFilter(e.OldValues))
            --n;
        if (e.Kind != ukDelete && MatchesFilter(e.NewValues))
            ++n;
    }
    return int(n);
}

int TDataSet::RecNo()
{
    EnsureFresh();
    if (!Active() || FCur < 0)
        return 0;
    if (FWinAtStart)
        return FCur + 1;
    // Rows before the window's start, then the place inside it.
    qint64 before = 0;
    QVector<QVariant> key = OrderKey(FWin.front().Values);
    for (;;) {
        auto rows = FetchRows(&key, false, false, 1000);
        for (const auto& r : rows)
            if (!FCacheByIdentity.count(Identity(r)))
                ++before;
        if (rows.size() < 1000)
            break;
        key = OrderKey(rows.last());
    }
    for (const auto& [id, e] : FCache)
        if (e.Kind != ukDelete && MatchesFilter(e.NewValues)
            && CompareKeys(OrderKey(e.NewValues), OrderKey(FWin.front().Values)) < 0)
            ++before;
    return int(before) + FCur + 1;
}

void TDataSet::SetRecNo(int recNo)
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (!FCache.empty()) {
        First();
        MoveBy(recNo - 1);
        return;
    }
    auto rows = RowsAtOffset(std::max(recNo - 1, 0), 1);
    if (rows.isEmpty()) {
        Last();
        return;
    }
    if (BeforeScroll)
        BeforeScroll(this);
    TRec r;
    r.Values = rows.first();
    PlaceAt(r, false);
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}

// ---- editing ----

bool TDataSet::CanModify() const
{
    return Active() && !FReadOnly;
}

void TDataSet::SetState(TDataSetState s)
{
    if (FState == s)
        return;
    FState = s;
    NotifyState();
}

void TDataSet::CheckBrowseMode()
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    // Details post their pending records first: if one refuses, this dataset stays put
    // rather than moving away from lines still being entered under it.
    for (auto copy = FSources; TDataSource* s : copy)
        s->Notify(deCheckBrowseMode, nullptr, false);
    if (FState == dsEdit || FState == dsInsert) {
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Edit()
{
    EnsureFresh();
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    if (!CanModify())
        DatabaseError("Cannot modify a read-only dataset", this);
    if (FWin.empty() || FCur < 0) {
        Insert();
        return;
    }
    if (BeforeEdit)
        BeforeEdit(this);
    FEditRec = FWin[FCur];
    FEditOriginal = FEditRec;
    FModified = false;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    if (AfterEdit)
        AfterEdit(this);
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::BeginInsertAppend(bool append)
{
    EnsureFresh();
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    if (!CanModify())
        DatabaseError("Cannot modify a read-only dataset", this);
    // The handler sees the record still in progress, so it can ask before it is posted.
    if (BeforeInsert)
        BeforeInsert(this);
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    FEditRec = TRec();
    FEditRec.Values = QVector<QVariant>(FColumns.size());
    // A detail record belongs to its master from the start.
    for (int i = 0; i < FFilterCols.size(); ++i)
        FEditRec.Values[FFilterCols[i]] = FFilterValues.value(i);
    FEditRec.Calc = QVector<QVariant>(FCalcCount);
    FEditOriginal = FEditRec;
    FEditPos = append ? int(FWin.size()) : std::max(FCur, 0);
    FModified = false;
    SetState(dsInsert);
    try {
        if (OnNewRecord)
            OnNewRecord(this);
        CalculateFields(FEditRec);
    } catch (...) {
        FEditRec = TRec();
        FModified = false;
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
        throw;
    }
    FModified = false;
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    if (AfterInsert)
        AfterInsert(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::Post()
{
    if (FState != dsEdit && FState != dsInsert)
        return;
    if (BeforePost)
        BeforePost(this);
    for (TField* f : FFields)
        if (f->FFieldKind == fkData && f->Required && f->IsNull())
            DatabaseError(QString("Field '%1' must have a value").arg(f->DisplayName()));
    bool inserting = FState == dsInsert;
    QVector<QVariant> newValues = FEditRec.Values;
    int entry = -1;
    for (;;) {
        // A retry writes what the error handler may have corrected.
        newValues = FEditRec.Values;
        try {
            if (FCachedUpdates) {
                if (inserting)
                    entry = AddChange(ukInsert, {}, newValues, -1);
                else
                    entry = AddChange(ukModify, FEditOriginal.Values, newValues, FEditRec.Entry);
            } else {
                WriteNow(inserting ? ukInsert : ukModify, FEditOriginal.Values, newValues);
            }
            break;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (OnPostError)
                OnPostError(this, e, action);
            if (action == daAbort)
                Abort();
            if (action != daRetry)
                throw;
        }
    }
    FModified = false;
    FEditRec = TRec();
    FState = dsBrowse;
    Resync(newValues, entry);
    NotifyState();
    DataEvent(deDataSetChange);
    if (AfterPost)
        AfterPost(this);
}

void TDataSet::Cancel()
{
    if (FState == dsSetKey) {
        FEditRec = TRec();
        SetState(dsBrowse);
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        return;
    if (BeforeCancel)
        BeforeCancel(this);
    FEditRec = TRec();
    FModified = false;
    SetState(dsBrowse);
    if (FWin.empty())
        FBof = FEof = true;
    DataEvent(deDataSetChange);
    if (AfterCancel)
        AfterCancel(this);
}

void TDataSet::Delete()
{
    EnsureFresh();
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FWin.empty() || FCur < 0)
        DatabaseError("Cannot perform this operation on an empty dataset", this);
    if (!CanModify())
        DatabaseError("Cannot modify a read-only dataset", this);
    CheckBrowseMode();
    if (BeforeDelete)
        BeforeDelete(this);
    if (BeforeScroll)
        BeforeScroll(this);
    for (;;) {
        try {
            const TRec rec = FWin[FCur];
            if (FCachedUpdates)
                AddChange(ukDelete, rec.Values, {}, rec.Entry);
            else
                WriteNow(ukDelete, rec.Values, {});
            break;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (OnDeleteError)
                OnDeleteError(this, e, action);
            if (action == daAbort)
                Abort();
            if (action != daRetry)
                throw;
        }
    }
    // A BeforeDelete handler may have put the record in edit; once it is gone there is
    // nothing left to edit, and a later cancel of that edit must not run.
    if (FState != dsBrowse) {
        FEditRec = TRec();
        FModified = false;
        SetState(dsBrowse);
    }
    // The next record takes the deleted one's place; the one before when none follows.
    const QVector<QVariant> gone = OrderKey(FWin[FCur].Values);
    FWin.erase(FWin.begin() + FCur);
    if (FCur >= int(FWin.size())) {
        if (FWin.empty()) {
            FCur = -1;
            if (FetchMore(true, &gone, false)) {
                FCur = 0;
            } else {
                FWinAtEnd = true;
                FetchMore(false, &gone, false);
                FCur = int(FWin.size()) - 1;
            }
        } else if (!FetchMore(true)) {
            FCur = int(FWin.size()) - 1;
        }
    }
    FBof = FEof = FWin.empty();
    DataEvent(deDataSetChange);
    if (AfterDelete)
        AfterDelete(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::Refresh()
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (const TRec* cur = ActiveRec()) {
        TRec r = *cur;
        PlaceAt(r, true);
    } else {
        ResetWindow();
    }
    DataEvent(deDataSetChange);
}

// ---- field values ----

QVariant TDataSet::FieldValue(const TField* field) const
{
    const TRec* rec = ActiveRec();
    if (!rec || field->FSlot < 0)
        return QVariant();
    const QVector<QVariant>& v = field->FFieldKind == fkData ? rec->Values : rec->Calc;
    return field->FSlot < v.size() ? v[field->FSlot] : QVariant();
}

QVariant TDataSet::FieldOldValue(const TField* field) const
{
    if (field->FFieldKind != fkData || field->FSlot < 0)
        return FieldValue(field);
    const TRec* rec = ActiveRec();
    if (!rec)
        return QVariant();
    int entry = rec->Entry;
    if (FState == dsEdit && rec == &FEditRec)
        entry = FEditOriginal.Entry;
    auto it = FCache.find(entry);
    if (it != FCache.end())
        return it->second.Kind == ukInsert ? QVariant() : it->second.OldValues.value(field->FSlot);
    if (FState == dsEdit && rec == &FEditRec)
        return FEditOriginal.Values.value(field->FSlot);
    if (FState == dsInsert && rec == &FEditRec)
        return QVariant();
    return rec->Values.value(field->FSlot);
}

void TDataSet::SetFieldValue(TField* field, const QVariant& value)
{
    if (FState == dsCalcFields && FCalcRec) {
        if (field->FFieldKind == fkData)
            DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
        const_cast<TRec*>(FCalcRec)->Calc[field->FSlot] = field->Convert(value);
        return;
    }
    if (FState == dsSetKey) {
        if (field->FFieldKind != fkData)
            DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
        FEditRec.Values[field->FSlot] = field->Convert(value);
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        DatabaseError("Dataset not in edit or insert mode", this);
    if (field->ReadOnly || field->FFieldKind == fkLookup)
        DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    QVariant v = field->Convert(value);
    if (!v.isNull() && (field->MinValue != 0 || field->MaxValue != 0)
        && (field->DataType() == ftFloat || field->DataType() == ftCurrency || field->DataType() == ftInteger)) {
        double x = v.toDouble();
        if (x < field->MinValue || x > field->MaxValue)
            throw EDatabaseError(QString::asprintf("%g is not a valid value for field '%s'. The allowed range is %g to %g",
                                                   x, field->DisplayName().toUtf8().constData(), field->MinValue,
                                                   field->MaxValue).toStdString());
    }
    QVector<QVariant>& buf = field->FFieldKind == fkData ? FEditRec.Values : FEditRec.Calc;
    QVariant old = buf[field->FSlot];
    buf[field->FSlot] = v;
    if (field->OnValidate) {
        try {
            field->OnValidate(field);
        } catch (...) {
            buf[field->FSlot] = old;
            throw;
        }
    }
    FModified = true;
    if (field->FFieldKind == fkData)
        CalculateFields(FEditRec);
    if (field->OnChange)
        field->OnChange(field);
    DataEvent(deFieldChange, field);
}

// ---- locate, lookup, bookmarks ----

bool TDataSet::RowMatches(const QVector<QVariant>& row, const QVector<int>& columns, const QVariantList& values,
                          TLocateOptions options)
{
    for (int i = 0; i < columns.size(); ++i)
        if (!MatchValue(row.value(columns[i]), values.value(i), options))
            return false;
    return true;
}

bool TDataSet::FindRec(const QVector<int>& columns, const QVariantList& values, TLocateOptions options, TRec& found)
{
    // A record read anew looks its lookups up anew.
    FLookupCache.clear();
    auto matches = [&](const QVector<QVariant>& row) { return RowMatches(row, columns, values, options); };
    bool have = false;
    if (!FFilterNone) {
        QVector<QVariant> after;
        bool useAfter = false;
        for (;;) {
            const int n = FCacheByIdentity.empty() ? 1 : 16;
            auto rows = FindRows(columns, values, options, useAfter ? &after : nullptr, n);
            for (const auto& r : rows)
                if (!FCacheByIdentity.count(Identity(r))) {
                    found.Values = r;
                    found.Entry = -1;
                    have = true;
                    break;
                }
            if (have || rows.size() < n)
                break;
            after = OrderKey(rows.last());
            useAfter = true;
        }
    }
    for (const auto& [id, e] : FCache) {
        if (e.Kind == ukDelete || !MatchesFilter(e.NewValues) || !matches(e.NewValues))
            continue;
        // On an equal key the cached record wins: it is the newer one.
        if (!have || CompareKeys(OrderKey(e.NewValues), OrderKey(found.Values)) <= 0) {
            found.Values = e.NewValues;
            found.Entry = id;
            have = true;
        }
    }
    return have;
}

static QVariantList ConvertKeys(TDataSet* ds, const QString& fields, const QVariantList& values)
{
    QVariantList out;
    const QStringList names = fields.split(';', Qt::SkipEmptyParts);
    if (names.size() != values.size())
        throw EDatabaseError("Number of key values does not match the key fields");
    for (int i = 0; i < names.size(); ++i) {
        TField* f = ds->FindField(names[i].trimmed());
        out << (f && f->DataType() != ftString && !values[i].isNull() ? f->Convert(values[i]) : values[i]);
    }
    return out;
}

bool TDataSet::Locate(const QString& keyFields, const QVariantList& keyValues, TLocateOptions options)
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    QVariantList values = ConvertKeys(this, keyFields, keyValues);
    TRec found;
    if (!FindRec(ColumnList(keyFields), values, options, found))
        return false;
    if (BeforeScroll)
        BeforeScroll(this);
    PlaceAt(found, false);
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
    return true;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariantList& keyValues, const QString& resultFields)
{
    TRec rec;
    if (!LookupRec(keyFields, keyValues, rec))
        return QVariant();
    return ResultOf(rec, resultFields);
}

QVariant TDataSet::LookupResult(const TField* field)
{
    TDataSet* target = field->LookupDataSet;
    QVariantList keys;
    QByteArray id;
    {
        QDataStream s(&id, QIODevice::WriteOnly);
        s << field->LookupKeyFields.toUpper();
        for (const QString& k : field->KeyFields.split(';', Qt::SkipEmptyParts)) {
            QVariant v = FieldByName(k.trimmed())->Value();
            WriteKeyValue(s, v);
            keys << v;
        }
    }
    // The record is copied out: reading it may read the storage, which empties caches.
    std::optional<TRec> found;
    TLookupCache& cache = FLookupCache[target];
    if (cache.Generation != target->FGeneration) {
        cache.Found.clear();
        cache.Generation = target->FGeneration;
    }
    if (auto it = cache.Found.find(id); it != cache.Found.end()) {
        found = it->second;
    } else {
        if (TRec rec; target->LookupRec(field->LookupKeyFields, keys, rec))
            found = std::move(rec);
        TLookupCache& fresh = FLookupCache[target];
        if (fresh.Generation != target->FGeneration || fresh.Found.size() >= 256) {
            fresh.Found.clear();
            fresh.Generation = target->FGeneration;
        }
        fresh.Found.emplace(id, found);
    }
    return found ? target->ResultOf(*found, field->LookupResultField) : QVariant();
}

bool TDataSet::LookupRec(const QString& keyFields, const QVariantList& keyValues, TRec& found)
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    QVariantList values = ConvertKeys(this, keyFields, keyValues);
    if (!FindRec(ColumnList(keyFields), values, 0, found))
        return false;
    found = MakeRec(found.Values, found.Entry);
    return true;
}

QVariant TDataSet::ResultOf(const TRec& rec, const QString& resultFields)
{
    const TRec* saved = FCalcRec;
    FCalcRec = &rec;
    QVariantList results;
    try {
        for (const QString& n : resultFields.split(';', Qt::SkipEmptyParts))
            results << FieldByName(n.trimmed())->Value();
    } catch (...) {
        FCalcRec = saved;
        throw;
    }
    FCalcRec = saved;
    if (results.size() == 1)
        return results.first();
    return results;
}

void TDataSet::SetKey()
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    if (KeyFieldNames().isEmpty())
        DatabaseError("No index field names to search on", this);
    CheckBrowseMode();
    FEditRec = TRec();
    FEditRec.Values = QVector<QVariant>(FColumns.size());
    FEditRec.Calc = QVector<QVariant>(FCalcCount);
    SetState(dsSetKey);
}

bool TDataSet::GotoKey()
{
    if (FState != dsSetKey)
        DatabaseError("Dataset not in set key mode", this);
    // The key fields that were given, in index order; the rest are not searched on.
    QStringList names;
    QVariantList values;
    for (const QString& n : KeyFieldNames().split(';', Qt::SkipEmptyParts)) {
        int c = ColumnIndex(n);
        if (c < 0 || FEditRec.Values.value(c).isNull())
            break;
        names << n.trimmed();
        values << FEditRec.Values.value(c);
    }
    FEditRec = TRec();
    SetState(dsBrowse);
    if (names.isEmpty())
        return false;
    return Locate(names.join(';'), values);
}

bool TDataSet::FindKey(const QVariantList& keyValues)
{
    SetKey();
    const QStringList names = KeyFieldNames().split(';', Qt::SkipEmptyParts);
    try {
        for (int i = 0; i < keyValues.size() && i < names.size(); ++i)
            FieldByName(names[i].trimmed())->SetValue(keyValues[i]);
    } catch (...) {
        Cancel();
        throw;
    }
    return GotoKey();
}

TBookmark TDataSet::GetBookmark() const
{
    const TRec* r = ActiveRec();
    if (!r || FState == dsInsert)
        return TBookmark();
    return TBookmark{OrderKey(r->Values)};
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark)
{
    if (!Active() || !bookmark.IsValid())
        return false;
    for (const auto& [id, e] : FCache)
        if (e.Kind != ukDelete && MatchesFilter(e.NewValues) && CompareKeys(OrderKey(e.NewValues), bookmark.Key) == 0)
            return true;
    auto rows = FetchRows(&bookmark.Key, true, true, 1);
    return !rows.isEmpty() && CompareKeys(OrderKey(rows.first()), bookmark.Key) == 0
        && !FCacheByIdentity.count(Identity(rows.first()));
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (!BookmarkValid(bookmark))
        DatabaseError("Record not found", this);
    if (BeforeScroll)
        BeforeScroll(this);
    TRec r;
    r.Values = QVector<QVariant>(FColumns.size());
    for (int i = 0; i < FOrderCols.size(); ++i)
        r.Values[FOrderCols[i]] = bookmark.Key.value(i);
    PlaceAt(r, true);
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}

// ---- controls ----

void TDataSet::DisableControls()
{
    if (FDisableCount++ == 0)
        FDisableState = FState;
}

void TDataSet::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (--FDisableCount != 0)
        return;
    // Controls missed every notice meanwhile: a state they did not see, then the data.
    if (FState != FDisableState)
        for (auto copy = FSources; TDataSource* s : copy)
            s->Notify(deStateChange, nullptr, true);
    if (FPendingDataChange) {
        FPendingDataChange = false;
        for (auto copy = FSources; TDataSource* s : copy)
            s->Notify(deDataSetChange, nullptr, true);
    }
}

void TDataSet::DataEvent(int event, TField* field)
{
    ++FGeneration;
    bool controls = FDisableCount == 0;
    if (!controls)
        FPendingDataChange = true;
    for (auto copy = FSources; TDataSource* s : copy)
        s->Notify(event, field, controls);
}

void TDataSet::NotifyState()
{
    ++FGeneration;
    for (auto copy = FSources; TDataSource* s : copy)
        s->Notify(deStateChange, nullptr, FDisableCount == 0);
}

// ---- cached updates ----

void TDataSet::SetCachedUpdates(bool on)
{
    if (on == FCachedUpdates)
        return;
    if (Active() && !on && UpdatesPending())
        DatabaseError("Cannot turn off cached updates while updates are pending", this);
    FCachedUpdates = on;
}

int TDataSet::AddChange(TUpdateKind kind, const QVector<QVariant>& oldValues, const QVector<QVariant>& newValues, int entry)
{
    ++FSeq;
    auto it = FCache.find(entry);
    if (it != FCache.end()) {
        TCacheEntry& e = it->second;
        if (kind == ukModify) {
            e.NewValues = newValues;
        } else if (kind == ukDelete) {
            if (e.Kind == ukInsert) {
                FCache.erase(it);
                return -1;
            }
            e.Kind = ukDelete;
            e.NewValues.clear();
        }
        return entry;
    }
    int id = FNextEntry++;
    TCacheEntry e;
    e.Kind = kind;
    e.OldValues = oldValues;
    e.NewValues = newValues;
    e.Seq = FSeq;
    FCache[id] = e;
    if (kind != ukInsert)
        FCacheByIdentity[Identity(oldValues)] = id;
    return id;
}

void TDataSet::WriteNow(TUpdateKind kind, const QVector<QVariant>& oldValues, const QVector<QVariant>& newValues)
{
    WriteChange(*Runner(), kind, oldValues, newValues);
}

void TDataSet::ApplyCache(TSqlRunner& runner)
{
    for (auto& [id, e] : FCache) {
        if (e.Applied || e.Skipped)
            continue;
        for (;;) {
            try {
                WriteChange(runner, e.Kind, e.OldValues, e.NewValues);
                e.Applied = true;
                break;
            } catch (EDatabaseError& err) {
                TUpdateAction action = uaFail;
                if (OnUpdateError) {
                    // Fields read the failing record while the handler runs.
                    TRec rec = MakeRec(e.Kind == ukDelete ? e.OldValues : e.NewValues, id);
                    const TRec* saved = FCalcRec;
                    FCalcRec = &rec;
                    try {
                        OnUpdateError(this, err, e.Kind, action);
                    } catch (...) {
                        FCalcRec = saved;
                        throw;
                    }
                    FCalcRec = saved;
                }
                if (action == uaSkip) {
                    e.Skipped = true;
                    break;
                }
                if (action == uaApplied) {
                    e.Applied = true;
                    break;
                }
                if (action == uaAbort)
                    Abort();
                if (action != uaRetry)
                    throw;
            }
        }
    }
}

void TDataSet::ResetApplyMarks()
{
    for (auto& [id, e] : FCache)
        e.Applied = e.Skipped = false;
}

void TDataSet::CommitUpdates()
{
    // Skipped changes are discarded too: the user chose to drop them.
    FCache.clear();
    FCacheByIdentity.clear();
    if (Active() && FState == dsBrowse)
        Refresh();
}

void TDataSet::ApplyUpdates()
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    Database()->ApplyUpdates({this});
}

void TDataSet::CancelUpdates()
{
    if (FState == dsEdit || FState == dsInsert)
        Cancel();
    FCache.clear();
    FCacheByIdentity.clear();
    if (Active())
        Refresh();
}
