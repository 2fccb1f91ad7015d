// Table definitions of the order database. The orderings the program asks for
// (customers by Company, orders by CustNo, lines by OrderNo, ...) each have an index
// or are served by a primary key, so a million-row table opens by seeking.
#include "tools/orderdata/schema.h"

#include <stdexcept>

namespace vorndata {

namespace {

using T = ColumnType;

QList<TableDef> MakeTables()
{
    QList<TableDef> tables;

    tables.append({"CUSTOMER",
                   {{"CustNo", T::Float},
                    {"Company", T::String, 30},
                    {"Addr1", T::String, 30},
                    {"Addr2", T::String, 30},
                    {"City", T::String, 15},
                    {"State", T::String, 20},
                    {"Zip", T::String, 10},
                    {"Country", T::String, 20},
                    {"Phone", T::String, 15},
                    {"FAX", T::String, 15},
                    {"TaxRate", T::Float},
                    {"Contact", T::String, 20},
                    {"LastInvoiceDate", T::DateTime}},
                   {"CustNo"},
                   {{"CUSTOMER_COMPANY", {"Company"}},
                    {"CUSTOMER_LASTINVOICEDATE", {"LastInvoiceDate"}}}});

    tables.append({"ORDERS",
                   {{"OrderNo", T::Float},
                    {"CustNo", T::Float},
                    {"SaleDate", T::DateTime},
                    {"ShipDate", T::DateTime},
                    {"EmpNo", T::Integer},
                    {"ShipToContact", T::String, 20},
                    {"ShipToAddr1", T::String, 30},
                    {"ShipToAddr2", T::String, 30},
                    {"ShipToCity", T::String, 15},
                    {"ShipToState", T::String, 20},
                    {"ShipToZip", T::String, 10},
                    {"ShipToCountry", T::String, 20},
                    {"ShipToPhone", T::String, 15},
                    {"ShipVIA", T::String, 7},
                    {"PO", T::String, 15},
                    {"Terms", T::String, 6},
                    {"PaymentMethod", T::String, 7},
                    {"ItemsTotal", T::Currency},
                    {"TaxRate", T::Float},
                    {"Freight", T::Currency},
                    {"AmountPaid", T::Currency}},
                   {"OrderNo"},
                   // Each ends with the key: a browser orders ties by it, so the index
                   // alone serves a customer's orders or a date range from either end.
                   {{"ORDERS_CUSTNO", {"CustNo", "OrderNo"}}, {"ORDERS_SALEDATE", {"SaleDate", "OrderNo"}}}});

    // The primary key (OrderNo, ItemNo) also serves the ordering by OrderNo.
    tables.append({"ITEMS",
                   {{"OrderNo", T::Float},
                    {"ItemNo", T::Float},
                    {"PartNo", T::Float},
                    {"Qty", T::Integer},
                    {"Discount", T::Float}},
                   {"OrderNo", "ItemNo"},
                   {{"ITEMS_PARTNO", {"PartNo"}}}});

    tables.append({"PARTS",
                   {{"PartNo", T::Float},
                    {"Description", T::String, 30},
                    {"VendorNo", T::Float},
                    {"OnHand", T::Float},
                    {"OnOrder", T::Float},
                    {"Cost", T::Currency},
                    {"ListPrice", T::Currency}},
                   {"PartNo"},
                   {{"PARTS_VENDORNO", {"VendorNo"}}}});

    tables.append({"VENDORS",
                   {{"VendorNo", T::Float},
                    {"VendorName", T::String, 20},
                    {"Address1", T::String, 30},
                    {"City", T::String, 20},
                    {"State", T::String, 20},
                    {"Zip", T::String, 10},
                    {"Country", T::String, 15},
                    {"Phone", T::String, 15},
                    {"Preferred", T::Boolean}},
                   {"VendorNo"},
                   {}});

    tables.append({"EMPLOYEE",
                   {{"EmpNo", T::Integer},
                    {"LastName", T::String, 20},
                    {"FirstName", T::String, 15},
                    {"PhoneExt", T::String, 4},
                    {"HireDate", T::DateTime},
                    {"Salary", T::Float}},
                   {"EmpNo"},
                   {}});

    // One-row counters; the key lets an edit find its row again.
    tables.append({"NEXTORD", {{"NewKey", T::Float}}, {"NewKey"}, {}});
    tables.append({"NEXTCUST", {{"NewCust", T::Float}}, {"NewCust"}, {}});
    return tables;
}

}  // namespace

const ColumnDef* TableDef::Column(const QString& columnName) const
{
    for (const ColumnDef& column : columns) {
        if (column.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

const QList<TableDef>& OrderTables()
{
    static const QList<TableDef> tables = MakeTables();
    return tables;
}

const TableDef& OrderTable(const QString& name)
{
    for (const TableDef& table : OrderTables()) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return table;
    }
    throw std::invalid_argument("no order table named " + name.toStdString());
}

QString LocalFileName(const QString& tableName)
{
    return tableName.toUpper() + ".DB";
}

QString ColumnSqlType(const ColumnDef& column, Dialect dialect)
{
    switch (column.type) {
    case ColumnType::Float:
    case ColumnType::Currency:
        return "DOUBLE PRECISION";
    case ColumnType::Integer:
        return "INTEGER";
    case ColumnType::DateTime:
        return "TIMESTAMP";
    case ColumnType::String:
        return QString("VARCHAR(%1)").arg(column.size);
    case ColumnType::Boolean:
        return dialect == Dialect::Firebird ? "SMALLINT" : "INTEGER";
    }
    return {};
}

QStringList CreateStatements(const TableDef& table, Dialect dialect)
{
    const QString schema = dialect == Dialect::Sqlite ? table.name + "." : QString();
    QStringList columns;
    for (const ColumnDef& column : table.columns) {
        QString text = column.name + " " + ColumnSqlType(column, dialect);
        if (table.primaryKey.contains(column.name))
            text += " NOT NULL";  // Firebird refuses a key over nullable columns
        columns << text;
    }
    columns << QString("CONSTRAINT PK_%1 PRIMARY KEY (%2)").arg(table.name, table.primaryKey.join(", "));

    QStringList statements;
    statements << QString("CREATE TABLE %1%2 (%3)").arg(schema, table.name, columns.join(", "));
    for (const IndexDef& index : table.indexes) {
        statements << QString("CREATE INDEX %1%2 ON %3 (%4)")
                          .arg(schema, index.name, table.name, index.columns.join(", "));
    }
    return statements;
}

QString InsertStatement(const TableDef& table)
{
    QStringList names;
    QStringList marks;
    for (const ColumnDef& column : table.columns) {
        names << column.name;
        marks << "?";
    }
    return QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table.name, names.join(", "), marks.join(", "));
}

}  // namespace vorndata
