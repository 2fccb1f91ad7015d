// TUpdateCache: the changes a dataset holds until they are applied. Each change is an
// entry under an id that the record carrying it keeps; each edit and delete is also
// found by the identity (the key columns) of the stored row it replaces, so pages read
// from storage leave that row out.
//
// What stays true between calls:
//  1. A record has at most one entry: a change to a record that carries an entry
//     updates that entry instead of adding another.
//  2. An insert edited stays an insert with the new values; an insert deleted
//     vanishes (there is nothing to write); an edit deleted becomes a delete.
//  3. The old values of an edit or delete are the row as stored before any cached
//     change; later changes of the same record never alter them.
//  4. Every edit and delete, and nothing else, is found by the identity of its old
//     values; inserts hide no stored row.
//  5. Ids grow and are never reused, not even after Clear, so a record read before
//     a clear never names an entry made after it.
//  6. Entries are applied in the order of their ids, the order they were first made.
//     The applied and skipped marks are set only while applying; after a failed apply
//     they are reset, so the next apply writes every entry again.
#pragma once

#include "platform/data/dataset.h"

#include <QByteArray>
#include <QVariant>
#include <QVector>

#include <map>
#include <vector>

struct TCacheEntry {
    TUpdateKind Kind = ukModify;
    QVector<QVariant> OldValues; // as stored, for modify and delete
    QVector<QVariant> NewValues; // for insert and modify
    bool Applied = false;
    bool Skipped = false;
};

class TUpdateCache {
public:
    // The columns that identify a stored row; set when the dataset opens.
    void SetKeyColumns(const QVector<int>& columns) { FKeyColumns = columns; }
    QByteArray Identity(const QVector<QVariant>& values) const;

    bool Empty() const { return FEntries.empty(); }
    void Clear();

    // Records a change of the record carrying entry (-1: none yet). Returns the entry
    // the record carries afterwards, -1 when the change left nothing to write.
    int Add(TUpdateKind kind, const QVector<QVariant>& oldValues, const QVector<QVariant>& newValues, int entry);
    const TCacheEntry* Find(int entry) const;
    // Whether a cached edit or delete replaces this stored row.
    bool Hides(const QVector<QVariant>& row) const;
    bool HidesRows() const { return !FByIdentity.empty(); }
    const std::map<int, TCacheEntry>& Entries() const { return FEntries; }

    // Ids not yet applied or skipped, in the order they are applied.
    std::vector<int> Pending() const;
    void MarkApplied(int entry);
    void MarkSkipped(int entry);
    void ResetApplyMarks();

private:
    QVector<int> FKeyColumns;
    std::map<int, TCacheEntry> FEntries;      // by id
    std::map<QByteArray, int> FByIdentity;    // stored rows that a change hides
    int FNextId = 1;
};
