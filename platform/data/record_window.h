// TRecordWindow: the records of a dataset held in memory, a run of the dataset's order
// read from storage a page at a time, with the cache of changes laid over every page.
// The view is the rows the source reads (already filtered by a master link) less the
// stored rows the cache hides, plus the cached inserts and edits the source keeps in
// view. The order ends with a row's identity, so keys are unique within the view.
//
// What stays true between calls:
//  1. The records are in the view's order; on an equal key a cached record comes
//     before a stored one.
//  2. The window is contiguous: no record of the view lies between two neighbours.
//  3. AtStart: no record of the view comes before the first; AtEnd: none comes after
//     the last.
//  4. Cur is -1 when the window is empty, otherwise the index of one of its records.
//  5. No stored row that the cache hides is held, and no cached change twice.
//  6. A stale window is empty; the dataset reads it anew from the start on first use.
//  7. Moving keeps the window bounded: past 16 pages, it keeps 8 on either side of Cur.
#pragma once

#include "platform/data/update_cache.h"

#include <QVariant>
#include <QVector>

#include <deque>

// A record as the dataset holds it.
struct TRecord {
    QVector<QVariant> Values;
    QVector<QVariant> Calc;
    int Entry = -1; // cache entry id laid over this record, or -1
};

// The dataset's order: the order columns' values, compared column by column.
struct TRecordOrder {
    QVector<int> Columns;
    QVector<bool> Desc; // per column: descending (missing: ascending)

    QVector<QVariant> Key(const QVector<QVariant>& values) const;
    int Compare(const QVector<QVariant>& a, const QVector<QVariant>& b) const;
};

// What the window reads through: the dataset's storage hooks.
class TRecordSource {
public:
    virtual ~TRecordSource() = default;
    // Rows of the view strictly after (forward) or before (backward, nearest first)
    // key, or at it too when inclusive; from the start or end when key is null.
    virtual QVector<QVector<QVariant>> ReadRows(const QVector<QVariant>* key, bool forward, bool inclusive,
                                                int count) = 0;
    // Whether a cached record belongs to the view (the master's lines).
    virtual bool InView(const QVector<QVariant>& values) const = 0;
    // The record the window holds for these values, calculated fields included.
    virtual TRecord MakeRecord(const QVector<QVariant>& values, int entry) = 0;
    // Rows read per round trip.
    virtual int PageSize() const = 0;
};

class TRecordWindow {
public:
    TRecordWindow(TRecordSource& source, const TUpdateCache& cache) : FSource(source), FCache(cache) {}

    void SetOrder(const TRecordOrder& order) { FOrder = order; }
    const TRecordOrder& Order() const { return FOrder; }

    bool Empty() const { return FRecs.empty(); }
    int Size() const { return int(FRecs.size()); }
    const TRecord& At(int index) const { return FRecs[index]; }
    int Cur() const { return FCur; }
    const TRecord* Current() const { return FCur >= 0 && FCur < Size() ? &FRecs[FCur] : nullptr; }
    bool AtStart() const { return FAtStart; }
    bool AtEnd() const { return FAtEnd; }
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    // An insert in progress is neither before the first record nor after the last.
    void SetBofEof(bool bof, bool eof) { FBof = bof; FEof = eof; }
    bool Stale() const { return FStale; }

    // Holds nothing, as a closed dataset.
    void Clear();
    // Holds nothing until read anew (the master moved).
    void MarkStale();
    // Reads the first page.
    void Reset();
    // Reads the next page beyond the end (forward) or start, or from startKey; false
    // when no record was added.
    bool Fetch(bool forward, const QVector<QVariant>* startKey = nullptr, bool inclusive = false);
    // Makes rec's position the window. A known record (not reread) becomes the window
    // by itself; otherwise the window is read from its key on and shows it, or the
    // record that follows it, or the last one when none follows.
    void PlaceAt(const TRecord& rec, bool reread);
    void First();
    void Last();
    // Moves Cur, reading pages as needed; returns the distance moved.
    int MoveBy(int distance);
    // Drops the current record; the next one takes its place, the one before when
    // none follows.
    void RemoveCurrent();

private:
    TRecordSource& FSource;
    const TUpdateCache& FCache;
    TRecordOrder FOrder;
    std::deque<TRecord> FRecs;
    int FCur = -1;
    bool FAtStart = false, FAtEnd = false;
    bool FBof = true, FEof = true;
    bool FStale = false;
    int FFetchCount = 50; // grows to the page size as reading goes on
};
