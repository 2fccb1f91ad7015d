// TQuery: an SQL text with named parameters, read a page at a time like a table, so a
// query over a million rows opens by reading its first page. A select from one table
// pages by seeking on its ORDER BY plus the row's identity (SQLite's rowid, the
// table's primary key on a server), which keeps the order total; any other statement
// (joins, aggregates, unions) pages by position. A parameter named like a field of
// the DataSource's dataset takes that field's value each time the query opens, and
// an open query follows its master.
#pragma once

#include "platform/data/dataset.h"
#include "platform/data/datasource.h"

#include <memory>

class TParam {
public:
    QString Name;
    TFieldType DataType = ftUnknown;
    QVariant Value;
    void SetAsFloat(double v) { DataType = ftFloat; Value = v; }
    void SetAsInteger(int v) { DataType = ftInteger; Value = v; }
    void SetAsString(const QString& v) { DataType = ftString; Value = v; }
    void SetAsDateTime(TDateTime v) { DataType = ftDateTime; Value = v; }
    void SetAsBoolean(bool v) { DataType = ftBoolean; Value = v; }
    void Clear() { Value = QVariant(); }
    bool IsNull() const { return Value.isNull(); }
};

class TQuery : public TDataSet {
public:
    explicit TQuery(QObject* owner = nullptr);
    ~TQuery() override;

    // Lines are joined with line breaks.
    QStringList SQL;
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return FDataSource; }

    // Parameters in order of appearance, created from the text on first use.
    int ParamCount();
    TParam* Params(int index);
    // Fails with "Parameter 'X' not found".
    TParam* ParamByName(const QString& name);
    TParam* FindParam(const QString& name);
    // Runs a statement that returns no rows; returns the rows affected.
    int ExecSQL();

protected:
    void InternalOpen() override;
    void InternalClose() override;
    QVector<QVector<QVariant>> FetchRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count) override;
    QVector<QVector<QVariant>> FindRows(const QVector<int>& columns, const QVariantList& values, TLocateOptions options,
                                        const QVector<QVariant>* after, int count) override;
    qint64 CountRows() override;
    QVector<QVector<QVariant>> RowsAtOffset(qint64 offset, int count) override;

private:
    class MasterLink;
    class Paging; // how the open statement is read page by page (query.cpp)
    QVector<QVector<QVariant>> Read(const QString& sql, const QVariantList& params, qint64 firstPosition = -1);
    std::unique_ptr<Paging> FPaging;
    void SyncParams();
    QString BindParams(QVariantList& values);
    TDataSource* FDataSource = nullptr;
    std::unique_ptr<MasterLink> FLink;
    QList<TParam> FParams;
    QString FParamsFor;
    QVariantList FLastValues;
};
