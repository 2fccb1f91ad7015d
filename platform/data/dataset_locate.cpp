// Finding records: Locate and Lookup (through the cache of changes), lookup fields,
// the key search of SetKey/GotoKey, and bookmarks.
#include "platform/data/dataset.h"

#include "platform/data/dataset_p.h"
#include "platform/data/key_values.h"

#include <QDataStream>
#include <QIODevice>

namespace {

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

bool TDataSet::RowMatches(const QVector<QVariant>& row, const QVector<int>& columns, const QVariantList& values,
                          TLocateOptions options)
{
    for (int i = 0; i < columns.size(); ++i)
        if (!MatchValue(row.value(columns[i]), values.value(i), options))
            return false;
    return true;
}

bool TDataSet::FindRec(const QVector<int>& columns, const QVariantList& values, TLocateOptions options, TRecord& found)
{
    // A record read anew looks its lookups up anew.
    d->LookupCache.clear();
    auto matches = [&](const QVector<QVariant>& row) { return RowMatches(row, columns, values, options); };
    bool have = false;
    if (!FFilterNone) {
        QVector<QVariant> after;
        bool useAfter = false;
        for (;;) {
            const int n = d->Cache.HidesRows() ? 16 : 1;
            auto rows = FindRows(columns, values, options, useAfter ? &after : nullptr, n);
            for (const auto& r : rows)
                if (!d->Cache.Hides(r)) {
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
    for (const auto& [id, e] : d->Cache.Entries()) {
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
    TRecord found;
    if (!FindRec(ColumnList(keyFields), values, options, found))
        return false;
    if (BeforeScroll)
        BeforeScroll(this);
    d->Window.PlaceAt(found, false);
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
    return true;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariantList& keyValues, const QString& resultFields)
{
    TRecord rec;
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
    std::optional<TRecord> found;
    TDataSetPrivate::TLookupCache& cache = d->LookupCache[target];
    if (cache.Generation != target->d->Generation) {
        cache.Found.clear();
        cache.Generation = target->d->Generation;
    }
    if (auto it = cache.Found.find(id); it != cache.Found.end()) {
        found = it->second;
    } else {
        if (TRecord rec; target->LookupRec(field->LookupKeyFields, keys, rec))
            found = std::move(rec);
        TDataSetPrivate::TLookupCache& fresh = d->LookupCache[target];
        if (fresh.Generation != target->d->Generation || fresh.Found.size() >= 256) {
            fresh.Found.clear();
            fresh.Generation = target->d->Generation;
        }
        fresh.Found.emplace(id, found);
    }
    return found ? target->ResultOf(*found, field->LookupResultField) : QVariant();
}

bool TDataSet::LookupRec(const QString& keyFields, const QVariantList& keyValues, TRecord& found)
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset", this);
    QVariantList values = ConvertKeys(this, keyFields, keyValues);
    if (!FindRec(ColumnList(keyFields), values, 0, found))
        return false;
    found = MakeRec(found.Values, found.Entry);
    return true;
}

QVariant TDataSet::ResultOf(const TRecord& rec, const QString& resultFields)
{
    const TRecord* saved = d->CalcRec;
    d->CalcRec = &rec;
    QVariantList results;
    try {
        for (const QString& n : resultFields.split(';', Qt::SkipEmptyParts))
            results << FieldByName(n.trimmed())->Value();
    } catch (...) {
        d->CalcRec = saved;
        throw;
    }
    d->CalcRec = saved;
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
    d->EditRec = TRecord();
    d->EditRec.Values = QVector<QVariant>(FColumns.size());
    d->EditRec.Calc = QVector<QVariant>(d->CalcCount);
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
        if (c < 0 || d->EditRec.Values.value(c).isNull())
            break;
        names << n.trimmed();
        values << d->EditRec.Values.value(c);
    }
    d->EditRec = TRecord();
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

int TDataSet::VisitRecords(int From, int Count, const std::function<void(int Offset)>& Visit)
{
    if (FState != dsBrowse)
        DatabaseError("Dataset not in browse mode", this);
    EnsureFresh();
    TRecordWindow& window = d->Window;
    int visited = 0;
    for (int offset = From; offset < From + Count; ++offset) {
        if (window.Empty())
            break;
        // Reading a page before the window shifts the current record's index.
        while (window.Cur() + offset < 0 && window.Fetch(false)) {
        }
        while (window.Cur() + offset >= window.Size() && window.Fetch(true)) {
        }
        const int index = window.Cur() + offset;
        if (index < 0)
            continue;
        if (index >= window.Size())
            break;
        const TRecord* saved = d->CalcRec;
        d->CalcRec = &window.At(index);
        try {
            Visit(offset);
        } catch (...) {
            d->CalcRec = saved;
            throw;
        }
        d->CalcRec = saved;
        ++visited;
    }
    return visited;
}

TBookmark TDataSet::GetBookmark() const
{
    const TRecord* r = ActiveRec();
    if (!r || FState == dsInsert)
        return TBookmark();
    return TBookmark{OrderKey(r->Values)};
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark)
{
    if (!Active() || !bookmark.IsValid())
        return false;
    for (const auto& [id, e] : d->Cache.Entries())
        if (e.Kind != ukDelete && MatchesFilter(e.NewValues) && CompareKeys(OrderKey(e.NewValues), bookmark.Key) == 0)
            return true;
    auto rows = FetchRows(&bookmark.Key, true, true, 1);
    return !rows.isEmpty() && CompareKeys(OrderKey(rows.first()), bookmark.Key) == 0
        && !d->Cache.Hides(rows.first());
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
    TRecord r;
    r.Values = QVector<QVariant>(FColumns.size());
    for (int i = 0; i < FOrderCols.size(); ++i)
        r.Values[FOrderCols[i]] = bookmark.Key.value(i);
    d->Window.PlaceAt(r, true);
    DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}
