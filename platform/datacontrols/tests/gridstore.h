// What the grid's tests lay on a scratch store (testsupport/scratchstore.h): a table
// of numbered lines made in one statement, and a table that counts the records its
// cursor reads from storage.
#pragma once

#include "platform/data/table.h"
#include "testsupport/scratchstore.h"

// A table that counts what it reads: rows by key and by offset, and the counts asked.
class TCountingTable : public TTable {
public:
    using TTable::TTable;
    qint64 RowsRead = 0;
    int Counts = 0;

protected:
    QVector<QVector<QVariant>> FetchRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count) override
    {
        auto rows = TTable::FetchRows(key, forward, inclusive, count);
        RowsRead += rows.size();
        return rows;
    }
    QVector<QVector<QVariant>> RowsAtOffset(qint64 offset, int count) override
    {
        auto rows = TTable::RowsAtOffset(offset, count);
        RowsRead += rows.size();
        return rows;
    }
    qint64 CountRows() override
    {
        ++Counts;
        return TTable::CountRows();
    }
};

// LINES: No 1..count, Name "Row <No>", Qty No % 50 + 1, Price No * 1.5.
inline void CreateLines(TScratchStore& store, int count)
{
    store.CreateTable("LINES", "No DOUBLE PRECISION NOT NULL PRIMARY KEY, Name VARCHAR(20), Qty INTEGER, "
                               "Price DOUBLE PRECISION");
    store.Exec("INSERT INTO LINES SELECT i, 'Row ' || i, i % 50 + 1, i * 1.5 FROM "
               "(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) SELECT i FROM n)",
               {count});
}
