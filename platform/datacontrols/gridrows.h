// The page of records a grid shows, read through the dataset's cursor around its
// current record and kept as the texts of the grid's fields. Only the rows on the
// page are ever read, so a grid over a million rows holds a screenful.
//
// The dataset offers no way to read a record next to the current one without moving
// to it, so a page is read by walking the cursor over it and back to where it stood.
// What must stay true: the walk is seen by nobody. It runs only in browse state (a
// move would post an edit), on the grid's own source switched off (detail datasets
// and the source's controls hear nothing), without the dataset's scroll events, and
// ends on the record it started from, with Bof and Eof set if they were; other grids on
// the same dataset ignore what they hear while it runs (Walking).
#pragma once

#include "platform/data/dataset.h"

#include <QString>
#include <QStringList>
#include <QVector>

class TDataSource;

struct TGridRow {
    TBookmark Mark;
    QStringList Texts; // one per field, as the field displays it
};

class TGridRows {
public:
    // Reads up to Count records with the current one at row Active, or as near to it
    // as the ends of the dataset allow (a page near the end is filled from above).
    // Fields may hold nulls (columns without a field show nothing).
    void Read(TDataSet* DataSet, TDataSource* Source, const QVector<TField*>& Fields, int Count, int Active);
    void Clear();

    int Count() const { return int(FRows.size()); }
    const TGridRow& Row(int Index) const { return FRows.at(Index); }
    // The row of the current record; -1 when the page is empty.
    int Active() const { return FActive; }
    void SetActive(int Row) { FActive = Row; }
    // The page starts at the first record, or ends at the last one.
    bool AtStart() const { return FAtStart; }
    bool AtEnd() const { return FAtEnd; }
    // The row holding the record of that bookmark; -1 when it is not on the page.
    int Find(const TBookmark& Mark) const;

    // A row for a record being inserted: placed at Row, the rows below move down and
    // the last one drops off when the page would grow beyond Limit.
    void InsertBlank(int Row, int Limit);

    // The texts of the dataset's current record.
    static QStringList TextsOf(const QVector<TField*>& Fields);
    // True while some grid walks that dataset.
    static bool Walking(const TDataSet* DataSet);

private:
    QVector<TGridRow> FRows;
    int FActive = -1;
    bool FAtStart = false, FAtEnd = false;
};
