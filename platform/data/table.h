// TTable: a stored table read a page at a time in the order of IndexFieldNames plus
// the table's primary key (rowid in local tables without one). Exclusive opening takes
// the table at once or fails: local data through a separate connection holding an
// exclusive SQLite transaction on the table's file, a server through a NO WAIT
// transaction reserving the table for protected write. While held, every statement on
// the table runs inside that reservation and is committed when the table closes.
#pragma once

#include "platform/data/database.h"
#include "platform/data/dataset.h"
#include "platform/data/datasource.h"

#include <memory>

class TFbTransaction;

class TTable : public TDataSet {
public:
    explicit TTable(QObject* owner = nullptr);
    ~TTable() override;

    QString TableName;
    bool Exclusive = false;
    bool ReadOnly = false;
    // Columns separated by ';'.
    QString IndexFieldNames;
    // Master-detail: the detail's columns (the first of IndexFieldNames, or the same
    // names) equal MasterFields of the master's current record.
    void SetMasterSource(TDataSource* source);
    TDataSource* MasterSource() const { return FMasterSource; }
    QString MasterFields;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    QVector<QVector<QVariant>> FetchRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count) override;
    QVector<QVector<QVariant>> FindRows(const QVector<int>& columns, const QVariantList& values, TLocateOptions options,
                                        const QVector<QVariant>* after, int count) override;
    qint64 CountRows() override;
    QVector<QVector<QVariant>> RowsAtOffset(qint64 offset, int count) override;
    void WriteChange(TSqlRunner& runner, TUpdateKind kind, const QVector<QVariant>& oldValues,
                     const QVector<QVariant>& newValues) override;
    TSqlRunner* Runner() override;
    QString KeyFieldNames() const override { return IndexFieldNames; }

private:
    class MasterLink;
    void ReadMaster(QVector<QVariant>& values, bool& none) const;
    QString SelectList() const;
    QString Where(QVariantList& params, const QString& extra = QString()) const;
    QString OrderBy(bool forward) const;
    QString Seek(const QVector<QVariant>& key, bool forward, bool inclusive, QVariantList& params) const;
    QVector<QVector<QVariant>> Read(const QString& sql, const QVariantList& params);
    QVariant Stored(int column, const QVariant& v) const;
    // A condition true while the column still holds the value as it was read.
    QString StillHolds(int column, const QVariant& v, QVariantList& params) const;
    void ReadColumns();

    TDataSource* FMasterSource = nullptr;
    std::unique_ptr<MasterLink> FLink;
    TDialect FDialect = dlSqlite;
    QString FConnName;
    std::unique_ptr<TFbTransaction> FFbLock;
    unsigned int FDbHandle = 0;
    std::unique_ptr<TSqlRunner> FOwnRunner;
};
