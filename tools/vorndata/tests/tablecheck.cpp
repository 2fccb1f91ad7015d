#include "tools/vorndata/tests/tablecheck.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <cmath>
#include <map>

namespace tablecheck {

namespace {

using Rows = QList<QVariantList>;

Rows Select(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    Rows rows;
    if (!query.exec(sql)) {
        QTest::qFail(qPrintable(QString("%1: %2").arg(sql, query.lastError().text())), __FILE__, __LINE__);
        return rows;
    }
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

double Number(const QSqlDatabase& db, const QString& sql)
{
    const Rows rows = Select(db, sql);
    return rows.isEmpty() ? std::nan("") : rows[0][0].toDouble();
}

// Dates come back as QDateTime from Firebird and as text from SQLite; text must
// be exactly 'YYYY-MM-DD HH:MM:SS'.
QDateTime ToDateTime(const QVariant& value, bool* ok)
{
    *ok = true;
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return QDateTime(dt.date(), dt.time(), Qt::UTC);
    }
    QDateTime parsed = QDateTime::fromString(value.toString(), "yyyy-MM-dd HH:mm:ss");
    parsed.setTimeSpec(Qt::UTC);
    *ok = parsed.isValid();
    return parsed;
}

QString Text(const QVariant& value, char kind)
{
    if (value.isNull())
        return "NULL";
    if (kind == 'D') {
        bool ok = false;
        const QDateTime dt = ToDateTime(value, &ok);
        return ok ? dt.toString("yyyy-MM-dd HH:mm:ss") : "BAD:" + value.toString();
    }
    if (kind == 'S')
        return "'" + value.toString() + "'";
    return QString::number(value.toDouble(), 'g', 17);
}

QString Columns(const Table& table)
{
    QStringList names;
    for (const Column& c : table.columns)
        names << c.name;
    return names.join(", ");
}

}  // namespace

const QList<Table>& ExpectedTables()
{
    static const QList<Table> tables{
        {"CUSTOMER",
         {{"CustNo", 'F', 0}, {"Company", 'S', 30}, {"Addr1", 'S', 30}, {"Addr2", 'S', 30},
          {"City", 'S', 15}, {"State", 'S', 20}, {"Zip", 'S', 10}, {"Country", 'S', 20},
          {"Phone", 'S', 15}, {"FAX", 'S', 15}, {"TaxRate", 'F', 0}, {"Contact", 'S', 20},
          {"LastInvoiceDate", 'D', 0}},
         {"CustNo"},
         {"CustNo", "Company", "LastInvoiceDate"}},
        {"ORDERS",
         {{"OrderNo", 'F', 0},      {"CustNo", 'F', 0},        {"SaleDate", 'D', 0},
          {"ShipDate", 'D', 0},     {"EmpNo", 'I', 0},         {"ShipToContact", 'S', 20},
          {"ShipToAddr1", 'S', 30}, {"ShipToAddr2", 'S', 30},  {"ShipToCity", 'S', 15},
          {"ShipToState", 'S', 20}, {"ShipToZip", 'S', 10},    {"ShipToCountry", 'S', 20},
          {"ShipToPhone", 'S', 15}, {"ShipVIA", 'S', 7},       {"PO", 'S', 15},
          {"Terms", 'S', 6},        {"PaymentMethod", 'S', 7}, {"ItemsTotal", 'F', 0},
          {"TaxRate", 'F', 0},      {"Freight", 'F', 0},       {"AmountPaid", 'F', 0}},
         {"OrderNo"},
         {"OrderNo", "CustNo", "SaleDate"}},
        {"ITEMS",
         {{"OrderNo", 'F', 0}, {"ItemNo", 'F', 0}, {"PartNo", 'F', 0}, {"Qty", 'I', 0}, {"Discount", 'F', 0}},
         {"OrderNo", "ItemNo"},
         {"OrderNo"}},
        {"PARTS",
         {{"PartNo", 'F', 0}, {"Description", 'S', 30}, {"VendorNo", 'F', 0}, {"OnHand", 'F', 0},
          {"OnOrder", 'F', 0}, {"Cost", 'F', 0}, {"ListPrice", 'F', 0}},
         {"PartNo"},
         {"PartNo"}},
        {"VENDORS",
         {{"VendorNo", 'F', 0}, {"VendorName", 'S', 20}, {"Address1", 'S', 30}, {"City", 'S', 20},
          {"State", 'S', 20}, {"Zip", 'S', 10}, {"Country", 'S', 15}, {"Phone", 'S', 15},
          {"Preferred", 'B', 0}},
         {"VendorNo"},
         {"VendorNo"}},
        {"EMPLOYEE",
         {{"EmpNo", 'I', 0}, {"LastName", 'S', 20}, {"FirstName", 'S', 15}, {"PhoneExt", 'S', 4},
          {"HireDate", 'D', 0}, {"Salary", 'F', 0}},
         {"EmpNo"},
         {"EmpNo"}},
        {"NEXTORD", {{"NewKey", 'F', 0}}, {"NewKey"}, {}},
        {"NEXTCUST", {{"NewCust", 'F', 0}}, {"NewCust"}, {}},
    };
    return tables;
}

QString Dump(const QSqlDatabase& db)
{
    QString dump;
    for (const Table& table : ExpectedTables()) {
        dump += "[" + table.name + "]\n";
        const Rows rows = Select(db, QString("SELECT %1 FROM %2 ORDER BY %3")
                                         .arg(Columns(table), table.name, table.primaryKey.join(", ")));
        for (const QVariantList& row : rows) {
            QStringList cells;
            for (int i = 0; i < row.size(); ++i)
                cells << Text(row[i], table.columns[i].kind);
            dump += cells.join("|") + "\n";
        }
    }
    return dump;
}

void CheckSampleContent(const QSqlDatabase& db, QDate today, int orders)
{
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM CUSTOMER"), 60.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM VENDORS"), 8.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM PARTS"), 40.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM EMPLOYEE"), 12.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ORDERS"), double(orders));
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM NEXTORD"), 1.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM NEXTCUST"), 1.0);

    // Links between the tables.
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ORDERS o WHERE NOT EXISTS "
                        "(SELECT 1 FROM CUSTOMER c WHERE c.CustNo = o.CustNo)"), 0.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ORDERS o WHERE NOT EXISTS "
                        "(SELECT 1 FROM EMPLOYEE e WHERE e.EmpNo = o.EmpNo)"), 0.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ITEMS i WHERE NOT EXISTS "
                        "(SELECT 1 FROM PARTS p WHERE p.PartNo = i.PartNo)"), 0.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ITEMS i WHERE NOT EXISTS "
                        "(SELECT 1 FROM ORDERS o WHERE o.OrderNo = i.OrderNo)"), 0.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM PARTS p WHERE NOT EXISTS "
                        "(SELECT 1 FROM VENDORS v WHERE v.VendorNo = p.VendorNo)"), 0.0);
    // Each order has 1 to 6 lines numbered 1..n, and the tax rate of its customer.
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ORDERS o WHERE "
                        "(SELECT COUNT(*) FROM ITEMS i WHERE i.OrderNo = o.OrderNo) NOT BETWEEN 1 AND 6 OR "
                        "(SELECT MAX(ItemNo) FROM ITEMS i WHERE i.OrderNo = o.OrderNo) <> "
                        "(SELECT COUNT(*) FROM ITEMS i WHERE i.OrderNo = o.OrderNo) OR "
                        "(SELECT MIN(ItemNo) FROM ITEMS i WHERE i.OrderNo = o.OrderNo) <> 1"), 0.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ORDERS o JOIN CUSTOMER c ON c.CustNo = o.CustNo "
                        "WHERE o.TaxRate <> c.TaxRate"), 0.0);
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM ITEMS WHERE Qty < 1 OR Discount < 0 OR Discount > 100"), 0.0);

    // Counters stand above the highest numbers.
    const double maxOrder = Number(db, "SELECT COALESCE(MAX(OrderNo), 0) FROM ORDERS");
    const double maxCust = Number(db, "SELECT MAX(CustNo) FROM CUSTOMER");
    QVERIFY(Number(db, "SELECT NewKey FROM NEXTORD") > maxOrder);
    QVERIFY(Number(db, "SELECT NewCust FROM NEXTCUST") > maxCust);

    // Some parts back-ordered, not all.
    const double backOrdered = Number(db, "SELECT COUNT(*) FROM PARTS WHERE OnOrder > OnHand");
    QVERIFY2(backOrdered >= 1 && backOrdered < 40, qPrintable(QString::number(backOrdered)));
    QCOMPARE(Number(db, "SELECT COUNT(*) FROM PARTS WHERE Cost > ListPrice OR ListPrice <= 0"), 0.0);

    // Items totals as the order-entry rules sum them; payments never above the amount due.
    std::map<double, double> prices;
    for (const QVariantList& row : Select(db, "SELECT PartNo, ListPrice FROM PARTS"))
        prices[row[0].toDouble()] = row[1].toDouble();
    std::map<double, long double> sums;
    for (const QVariantList& row : Select(db, "SELECT OrderNo, PartNo, Qty, Discount FROM ITEMS ORDER BY OrderNo, ItemNo"))
        sums[row[0].toDouble()] += (row[2].toInt() * prices[row[1].toDouble()]) * (100.0L - row[3].toDouble()) / 100.0L;
    const Rows orderRows = Select(db, "SELECT OrderNo, ItemsTotal, TaxRate, Freight, AmountPaid, SaleDate, ShipDate, CustNo "
                                      "FROM ORDERS ORDER BY OrderNo");
    if (QTest::currentTestFailed())
        return;
    const QDateTime first(today.addYears(-3), QTime(0, 0), Qt::UTC);
    const QDateTime last(today, QTime(0, 0), Qt::UTC);
    QDateTime previousSale;
    std::map<double, QDateTime> lastShipped;
    for (const QVariantList& row : orderRows) {
        const double orderNo = row[0].toDouble();
        const double itemsTotal = row[1].toDouble();
        QVERIFY2(std::fabs(itemsTotal - static_cast<double>(sums[orderNo])) <= 1e-9 * std::max(1.0, itemsTotal),
                 qPrintable(QString("order %1: ItemsTotal %2, lines sum to %3")
                                .arg(orderNo).arg(itemsTotal, 0, 'f', 6).arg(double(sums[orderNo]), 0, 'f', 6)));
        const double due = itemsTotal * (1 + row[2].toDouble() / 100) + row[3].toDouble();
        QVERIFY2(row[4].toDouble() >= 0 && row[4].toDouble() <= due + 1e-6, qPrintable(QString::number(orderNo)));
        QVERIFY(row[3].toDouble() >= 0);

        bool saleOk = false, shipOk = false;
        const QDateTime sale = ToDateTime(row[5], &saleOk);
        const QDateTime ship = ToDateTime(row[6], &shipOk);
        QVERIFY2(saleOk && shipOk, qPrintable(QString("order %1: dates %2, %3").arg(orderNo)
                                                  .arg(row[5].toString(), row[6].toString())));
        QVERIFY2(sale.isValid() && sale >= first && sale <= last,
                 qPrintable(QString("order %1 sold %2").arg(orderNo).arg(sale.toString(Qt::ISODate))));
        QVERIFY(!previousSale.isValid() || sale >= previousSale);
        previousSale = sale;
        if (ship.isValid()) {
            QVERIFY(ship >= sale && ship <= last);
            QDateTime& latest = lastShipped[row[7].toDouble()];
            if (!latest.isValid() || ship > latest)
                latest = ship;
        }
    }

    // A customer's last invoice date is the latest ship date of its orders.
    int withInvoice = 0;
    for (const QVariantList& row : Select(db, "SELECT CustNo, LastInvoiceDate FROM CUSTOMER")) {
        bool ok = false;
        const QDateTime invoice = ToDateTime(row[1], &ok);
        QVERIFY(ok);
        QCOMPARE(invoice, lastShipped[row[0].toDouble()]);
        withInvoice += invoice.isValid() ? 1 : 0;
    }
    if (orders >= 100)
        QVERIFY2(withInvoice > 0 && withInvoice < 60, qPrintable(QString::number(withInvoice)));

    // Texts fit their columns; keys and required texts are never empty.
    for (const Table& table : ExpectedTables()) {
        const Rows rows = Select(db, QString("SELECT %1 FROM %2").arg(Columns(table), table.name));
        for (const QVariantList& row : rows) {
            for (int i = 0; i < row.size(); ++i) {
                const Column& column = table.columns[i];
                if (column.kind == 'S')
                    QVERIFY2(row[i].toString().size() <= column.size,
                             qPrintable(QString("%1.%2 = '%3'").arg(table.name, column.name, row[i].toString())));
                if (table.primaryKey.contains(column.name) || column.name == "Company"
                    || column.name == "Description")
                    QVERIFY2(!row[i].isNull(), qPrintable(table.name + "." + column.name));
            }
        }
    }
}

}  // namespace tablecheck
