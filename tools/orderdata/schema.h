// The eight tables of the order database, as both storages hold them.
//
// Local storage keeps one SQLite file per table ("ORDERS.DB" holds the table ORDERS);
// the server keeps all of them in one Firebird database. Column names and sizes are
// the same in both; only the type words differ (see ColumnSqlType).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vorndata {

enum class Dialect { Sqlite, Firebird };

enum class ColumnType {
    Float,     // also order, customer, part, item and vendor numbers
    Integer,
    Currency,  // a double; never rounded to cents
    DateTime,  // Firebird TIMESTAMP; SQLite text 'YYYY-MM-DD HH:MM:SS'
    String,    // VARCHAR(size)
    Boolean,   // 0 or 1
};

struct ColumnDef {
    QString name;
    ColumnType type;
    int size = 0;  // strings only
};

struct IndexDef {
    QString name;  // unique within a Firebird database, so prefixed by the table
    QStringList columns;
};

struct TableDef {
    QString name;
    QList<ColumnDef> columns;
    QStringList primaryKey;
    QList<IndexDef> indexes;

    const ColumnDef* Column(const QString& columnName) const;
};

// CUSTOMER, ORDERS, ITEMS, PARTS, VENDORS, EMPLOYEE, NEXTORD, NEXTCUST.
const QList<TableDef>& OrderTables();
const TableDef& OrderTable(const QString& name);

// The file that holds a table in local storage: "ORDERS" -> "ORDERS.DB".
QString LocalFileName(const QString& tableName);

QString ColumnSqlType(const ColumnDef& column, Dialect dialect);

// CREATE TABLE followed by CREATE INDEX statements. In SQLite the table is created
// in the attached schema of the same name as the table.
QStringList CreateStatements(const TableDef& table, Dialect dialect);

// "INSERT INTO T (a, b) VALUES (?, ?)" over every column in declaration order.
QString InsertStatement(const TableDef& table);

}  // namespace vorndata
