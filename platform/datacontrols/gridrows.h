// The page of records a grid shows, read through the dataset's cursor around its
// current record and kept as the texts of the grid's fields. Only the rows on the
// page are ever read, so a grid over a million rows holds a screenful.
//
// What must stay true: reading a page moves nothing (the dataset visits the records
// around its current one), so nobody sees it, and it happens only in browse state.
#pragma once

#include "platform/data/dataset.h"

#include <QString>
#include <QStringList>
#include <QVector>

struct TGridRow {
    TBookmark Mark;
    QStringList Texts; // one per field, as the field displays it
};

class TGridRows {
public:
    // Reads up to Count records with the current one at row Active, or as near to it
    // as the ends of the dataset allow (a page near the end is filled from above).
    // Fields may hold nulls (columns without a field show nothing).
    void Read(TDataSet* DataSet, const QVector<TField*>& Fields, int Count, int Active);
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

private:
    QVector<TGridRow> FRows;
    int FActive = -1;
    bool FAtStart = false, FAtEnd = false;
};
