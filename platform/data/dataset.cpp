// The dataset's state machine: which call moves it from which state to which, and the
// events it fires on the way. The window of records and the cache of changes it
// drives keep their own rules (record_window.h, update_cache.h).
//
// call                  from                to           events, in order
// Open                  dsInactive          dsBrowse     BeforeOpen, AfterOpen, AfterScroll
//                                                        (fields are made in dsOpening between)
// Close                 any but dsInactive  dsInactive   BeforeClose, AfterClose (an edit and
//                                                        unapplied changes are dropped)
// Edit                  dsBrowse            dsEdit       BeforeEdit, AfterEdit; with no record
//                                                        it inserts instead
// Insert, Append        dsBrowse            dsInsert     BeforeInsert, BeforeScroll, OnNewRecord,
//                                                        AfterInsert, AfterScroll
// UpdateRecord          dsEdit, dsInsert,   unchanged    deUpdateRecord to the controls, which
//                       dsSetKey                         write what is being typed
// Post                  dsEdit, dsInsert    dsBrowse     UpdateRecord, BeforePost, OnPostError
//                                                        on a failed write, AfterPost
// Cancel                dsEdit, dsInsert    dsBrowse     BeforeCancel, AfterCancel
//                       dsSetKey            dsBrowse     none
// Delete                dsBrowse            dsBrowse     BeforeDelete, BeforeScroll, OnDeleteError
//                                                        on a failed write, AfterDelete,
//                                                        AfterScroll; in dsInsert it cancels;
//                                                        "Record not found" when posting took
//                                                        the record out of the view
// SetKey                dsBrowse            dsSetKey     none
// GotoKey               dsSetKey            dsBrowse     then as Locate
// First, Last, MoveBy,  dsBrowse            dsBrowse     BeforeScroll, AfterScroll (none when
// Locate, GotoBookmark,                                  MoveBy is at an end or Locate finds
// SetRecNo                                               nothing)
// calculating fields    any                 dsCalcFields OnCalcFields, then back where it was
// ApplyUpdates          dsBrowse            dsBrowse     OnUpdateError per failed change
// CancelUpdates         dsEdit, dsInsert    dsBrowse     as Cancel
//
// Insert, Delete, SetKey, Refresh, the moves and ApplyUpdates first post a modified
// edit or cancel an unmodified one (CheckBrowseMode), after the detail datasets have
// done the same. Before* may refuse by raising (EAbort is the silent refusal) and
// leaves the state unchanged. Data sources hear of every state change and every change
// of the data. dsFilter, dsNewValue, dsOldValue, dsCurValue, dsBlockRead and
// dsInternalCalc are never entered; they keep their places in TDataSetState.
#include "platform/data/dataset.h"

#include "platform/data/database.h"
#include "platform/data/dataset_p.h"
#include "platform/data/datasource.h"
#include "platform/data/key_values.h"

#include <algorithm>

void DatabaseError(const QString& message, const QObject* component)
{
    if (component && !component->objectName().isEmpty())
        throw EDatabaseError((component->objectName() + ": " + message).toStdString());
    throw EDatabaseError(message.toStdString());
}

// ---- the window's reading through the storage hooks ----

QVector<QVector<QVariant>> TDataSetPrivate::ReadRows(const QVector<QVariant>* key, bool forward, bool inclusive,
                                                     int count)
{
    // Lookups of the records read before may be stale by now.
    LookupCache.clear();
    if (q->FFilterNone)
        return {};
    return q->FetchRows(key, forward, inclusive, count);
}

bool TDataSetPrivate::InView(const QVector<QVariant>& values) const
{
    return q->MatchesFilter(values);
}

TRecord TDataSetPrivate::MakeRecord(const QVector<QVariant>& values, int entry)
{
    return q->MakeRec(values, entry);
}

int TDataSetPrivate::PageSize() const
{
    return q->PageSize;
}

TDataSet::TDataSet(QObject* owner)
    : QObject(owner), d(std::make_unique<TDataSetPrivate>(this))
{
}

TDataSet::~TDataSet()
{
    try {
        Close();
    } catch (...) {
    }
    for (auto copy = d->Sources; TDataSource* s : copy)
        s->SetDataSet(nullptr);
    if (d->Database)
        d->Database->UnregisterDataSet(this);
    d->Fields.clear();
    d->OwnedFields.clear();
}

TDatabase* TDataSet::Database() const
{
    if (d->Database)
        return d->Database;
    return TDatabase::Find(DatabaseName);
}

void TDataSet::SetDatabase(TDatabase* db)
{
    d->Database = db;
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
    d->Database = db;
    FState = dsOpening;
    try {
        d->Window.Clear();
        d->Cache.Clear();
        InternalOpen();
        d->Window.SetOrder({FOrderCols, FOrderDesc});
        d->Cache.SetKeyColumns(FKeyCols);
        if (d->Fields.empty())
            CreateDefaultFields();
        BindFields();
        FState = dsBrowse;
        ++d->Generation;
        d->LookupCache.clear();
        d->Window.Reset();
    } catch (...) {
        FState = dsInactive;
        try {
            InternalClose();
        } catch (...) {
        }
        d->Window.Clear();
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
    d->EditRec = TRecord();
    d->Modified = false;
    d->Window.Clear();
    d->Cache.Clear();
    d->LookupCache.clear();
    ++d->Generation;
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

void TDataSet::EnsureFresh() const
{
    if (FState != dsInactive && d->Window.Stale())
        d->Window.Reset();
}

QVector<QVariant> TDataSet::OrderKey(const QVector<QVariant>& values) const
{
    return d->Window.Order().Key(values);
}

int TDataSet::CompareKeys(const QVector<QVariant>& a, const QVector<QVariant>& b) const
{
    return d->Window.Order().Compare(a, b);
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
    d->Window.MarkStale();
    DataEvent(deDataSetChange);
}

// ---- navigation ----

bool TDataSet::IsEmpty() const
{
    EnsureFresh();
    return !Active() || (d->Window.Empty() && FState != dsInsert);
}

void TDataSet::First()
{
    EnsureFresh();
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    d->Window.First();
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
    d->Window.Last();
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
    TRecordWindow& w = d->Window;
    if (distance == 0 || (distance > 0 && w.Eof()) || (distance < 0 && w.Bof()) || w.Empty()) {
        if (w.Empty())
            w.SetBofEof(true, true);
        return 0;
    }
    if (BeforeScroll)
        BeforeScroll(this);
    const int moved = w.MoveBy(distance);
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
    return moved;
}

bool TDataSet::Bof() const
{
    EnsureFresh();
    return d->Window.Bof();
}

bool TDataSet::Eof() const
{
    EnsureFresh();
    return d->Window.Eof();
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::RecordCount()
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    qint64 n = FFilterNone ? 0 : CountRows();
    for (const auto& [id, e] : d->Cache.Entries()) {
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
    const TRecordWindow& w = d->Window;
    if (!Active() || w.Cur() < 0)
        return 0;
    if (w.AtStart())
        return w.Cur() + 1;
    // Rows before the window's start, then the place inside it.
    qint64 before = 0;
    const QVector<QVariant> front = OrderKey(w.At(0).Values);
    QVector<QVariant> key = front;
    for (;;) {
        auto rows = FetchRows(&key, false, false, 1000);
        for (const auto& r : rows)
            if (!d->Cache.Hides(r))
                ++before;
        if (rows.size() < 1000)
            break;
        key = OrderKey(rows.last());
    }
    for (const auto& [id, e] : d->Cache.Entries())
        if (e.Kind != ukDelete && MatchesFilter(e.NewValues)
            && CompareKeys(OrderKey(e.NewValues), front) < 0)
            ++before;
    return int(before) + w.Cur() + 1;
}

void TDataSet::SetRecNo(int recNo)
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    CheckBrowseMode();
    if (!d->Cache.Empty()) {
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
    TRecord r;
    r.Values = rows.first();
    d->Window.PlaceAt(r, false);
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
    for (auto copy = d->Sources; TDataSource* s : copy)
        s->Notify(deCheckBrowseMode, nullptr, false);
    if (FState == dsEdit || FState == dsInsert) {
        if (d->Modified)
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
    if (!d->Window.Current()) {
        Insert();
        return;
    }
    if (BeforeEdit)
        BeforeEdit(this);
    d->EditRec = *d->Window.Current();
    d->EditOriginal = d->EditRec;
    d->Modified = false;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    if (AfterEdit)
        AfterEdit(this);
}

bool TDataSet::Modified() const
{
    return d->Modified;
}

// A new record takes its place in the order when it is posted.
void TDataSet::Insert() { BeginInsert(); }
void TDataSet::Append() { BeginInsert(); }

void TDataSet::BeginInsert()
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
    d->EditRec = TRecord();
    d->EditRec.Values = QVector<QVariant>(FColumns.size());
    // A detail record belongs to its master from the start.
    for (int i = 0; i < FFilterCols.size(); ++i)
        d->EditRec.Values[FFilterCols[i]] = FFilterValues.value(i);
    d->EditRec.Calc = QVector<QVariant>(d->CalcCount);
    d->EditOriginal = d->EditRec;
    d->Modified = false;
    SetState(dsInsert);
    try {
        if (OnNewRecord)
            OnNewRecord(this);
        CalculateFields(d->EditRec);
    } catch (...) {
        d->EditRec = TRecord();
        d->Modified = false;
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
        throw;
    }
    d->Modified = false;
    d->Window.SetBofEof(false, false);
    DataEvent(deDataSetChange);
    if (AfterInsert)
        AfterInsert(this);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::UpdateRecord()
{
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError("Dataset not in edit or insert mode", this);
    // Only controls write here; while they are disabled they show nothing to write.
    if (d->DisableCount > 0)
        return;
    for (auto copy = d->Sources; TDataSource* s : copy)
        s->Notify(deUpdateRecord, nullptr, true);
}

void TDataSet::Post()
{
    if (FState != dsEdit && FState != dsInsert)
        return;
    UpdateRecord();
    if (BeforePost)
        BeforePost(this);
    for (TField* f : d->Fields)
        if (f->FFieldKind == fkData && f->Required && f->IsNull())
            DatabaseError(QString("Field '%1' must have a value").arg(f->DisplayName()));
    bool inserting = FState == dsInsert;
    QVector<QVariant> newValues = d->EditRec.Values;
    int entry = -1;
    for (;;) {
        // A retry writes what the error handler may have corrected.
        newValues = d->EditRec.Values;
        try {
            if (d->CachedUpdates) {
                if (inserting)
                    entry = d->Cache.Add(ukInsert, {}, newValues, -1);
                else
                    entry = d->Cache.Add(ukModify, d->EditOriginal.Values, newValues, d->EditRec.Entry);
            } else {
                WriteNow(inserting ? ukInsert : ukModify, d->EditOriginal.Values, newValues);
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
    d->Modified = false;
    d->EditRec = TRecord();
    FState = dsBrowse;
    d->Window.PlaceAt(TRecord{newValues, {}, entry}, false);
    NotifyState();
    DataEvent(deDataSetChange);
    if (AfterPost)
        AfterPost(this);
}

void TDataSet::Cancel()
{
    if (FState == dsSetKey) {
        d->EditRec = TRecord();
        SetState(dsBrowse);
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        return;
    if (BeforeCancel)
        BeforeCancel(this);
    d->EditRec = TRecord();
    d->Modified = false;
    SetState(dsBrowse);
    if (d->Window.Empty())
        d->Window.SetBofEof(true, true);
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
    if (!d->Window.Current())
        DatabaseError("Cannot perform this operation on an empty dataset", this);
    if (!CanModify())
        DatabaseError("Cannot modify a read-only dataset", this);
    // The record to delete is the one shown, as a pending edit of it is posted.
    const QByteArray target = d->Cache.Identity(FState == dsEdit ? d->EditRec.Values : d->Window.Current()->Values);
    CheckBrowseMode();
    // Posted, it may have left this view (a line moved to another order); the record
    // that took its place is not the one to delete.
    if (!d->Window.Current() || d->Cache.Identity(d->Window.Current()->Values) != target)
        DatabaseError("Record not found", this);
    if (BeforeDelete)
        BeforeDelete(this);
    if (BeforeScroll)
        BeforeScroll(this);
    for (;;) {
        try {
            const TRecord rec = *d->Window.Current();
            if (d->CachedUpdates)
                d->Cache.Add(ukDelete, rec.Values, {}, rec.Entry);
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
        d->EditRec = TRecord();
        d->Modified = false;
        SetState(dsBrowse);
    }
    // The next record takes the deleted one's place; the one before when none follows.
    d->Window.RemoveCurrent();
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
    if (const TRecord* cur = ActiveRec()) {
        TRecord r = *cur;
        d->Window.PlaceAt(r, true);
    } else {
        d->Window.Reset();
    }
    DataEvent(deDataSetChange);
}

// ---- controls ----

bool TDataSet::ControlsDisabled() const
{
    return d->DisableCount > 0;
}

void TDataSet::DisableControls()
{
    if (d->DisableCount++ == 0)
        d->DisableState = FState;
}

void TDataSet::EnableControls()
{
    if (d->DisableCount == 0)
        return;
    if (--d->DisableCount != 0)
        return;
    // Controls missed every notice meanwhile: a state they did not see, then the data.
    if (FState != d->DisableState)
        for (auto copy = d->Sources; TDataSource* s : copy)
            s->Notify(deStateChange, nullptr, true);
    if (d->PendingDataChange) {
        d->PendingDataChange = false;
        for (auto copy = d->Sources; TDataSource* s : copy)
            s->Notify(deDataSetChange, nullptr, true);
    }
}

void TDataSet::DataEvent(int event, TField* field)
{
    ++d->Generation;
    bool controls = d->DisableCount == 0;
    if (!controls)
        d->PendingDataChange = true;
    for (auto copy = d->Sources; TDataSource* s : copy)
        s->Notify(event, field, controls);
}

void TDataSet::NotifyState()
{
    ++d->Generation;
    for (auto copy = d->Sources; TDataSource* s : copy)
        s->Notify(deStateChange, nullptr, d->DisableCount == 0);
}

// ---- cached updates ----

bool TDataSet::CachedUpdates() const
{
    return d->CachedUpdates;
}

bool TDataSet::UpdatesPending() const
{
    return !d->Cache.Empty();
}

void TDataSet::SetCachedUpdates(bool on)
{
    if (on == d->CachedUpdates)
        return;
    if (Active() && !on && UpdatesPending())
        DatabaseError("Cannot turn off cached updates while updates are pending", this);
    d->CachedUpdates = on;
}

void TDataSet::WriteNow(TUpdateKind kind, const QVector<QVariant>& oldValues, const QVector<QVariant>& newValues)
{
    WriteChange(*Runner(), kind, oldValues, newValues);
}

void TDataSet::ApplyCache(TSqlRunner& runner)
{
    for (int id : d->Cache.Pending()) {
        // A copy: the error handler runs in between and may change the cache.
        const TCacheEntry* found = d->Cache.Find(id);
        if (!found)
            continue;
        const TCacheEntry e = *found;
        for (;;) {
            try {
                WriteChange(runner, e.Kind, e.OldValues, e.NewValues);
                d->Cache.MarkApplied(id);
                break;
            } catch (EDatabaseError& err) {
                TUpdateAction action = uaFail;
                if (OnUpdateError) {
                    // Fields read the failing record while the handler runs.
                    TRecord rec = MakeRec(e.Kind == ukDelete ? e.OldValues : e.NewValues, id);
                    const TRecord* saved = d->CalcRec;
                    d->CalcRec = &rec;
                    try {
                        OnUpdateError(this, err, e.Kind, action);
                    } catch (...) {
                        d->CalcRec = saved;
                        throw;
                    }
                    d->CalcRec = saved;
                }
                if (action == uaSkip) {
                    d->Cache.MarkSkipped(id);
                    break;
                }
                if (action == uaApplied) {
                    d->Cache.MarkApplied(id);
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
    d->Cache.ResetApplyMarks();
}

void TDataSet::CommitUpdates()
{
    // Skipped changes are discarded too: the user chose to drop them.
    d->Cache.Clear();
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
    d->Cache.Clear();
    if (Active())
        Refresh();
}
