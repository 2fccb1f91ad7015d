// Queries read through the paged cursor on one storage: local table files, or (built
// with QUORVALE_TEST_FIREBIRD) a scratch database on the tests' Firebird server. The
// pages are kept small so every walk crosses many of them; the expected rows are
// worked out here from the stored rows.
#include "platform/data/database.h"
#include "platform/data/datasource.h"
#include "platform/data/query.h"
#include "platform/data/table.h"
#include "platform/data/tests/smallorders.h"
#include "testsupport/testserver.h"

#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// A customer table that counts its look-ups by value.
class CountingTable : public TTable {
public:
    using TTable::TTable;
    int Finds = 0;

protected:
    QVector<QVector<QVariant>> FindRows(const QVector<int>& columns, const QVariantList& values, TLocateOptions options,
                                        const QVector<QVariant>* after, int count) override
    {
        ++Finds;
        return TTable::FindRows(columns, values, options, after, count);
    }
};

struct Row {
    double OrderNo;
    double CustNo;
    QVariant SaleDate; // null or days
};

} // namespace

class QueryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> store;
    std::unique_ptr<TDatabase> db;

    TQuery* NewQuery(const QStringList& sql, int pageSize)
    {
        auto* q = new TQuery(db.get());
        q->DatabaseName = "TEST";
        q->SQL = sql;
        q->PageSize = pageSize;
        return q;
    }

    // Orders 2001..2045 beside the five of the scratch data: seven sale days, so
    // many orders share one, every ninth without a sale date, customers 1 to 3.
    void AddOrders()
    {
        TDatabase w;
        store->Open(w, "WRITE");
        w.StartTransaction();
        for (int i = 1; i <= 45; ++i) {
            QVariant sale = i % 9 == 0 ? QVariant() : ToStorage(41000.0 + i % 7, ftDateTime, w.Dialect());
            store->Exec(w, "INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, EmpNo, ShipVIA) VALUES (?, ?, ?, 1, ?)",
                        {2000.0 + i, double(i % 3 + 1), sale, i % 5 == 0 ? QVariant("Fed Ex") : QVariant("UPS")});
        }
        w.Commit();
    }

    QVector<Row> StoredOrders()
    {
        QVector<Row> rows;
        for (const auto& r : store->Rows("SELECT OrderNo, CustNo, SaleDate FROM ORDERS"))
            rows << Row{r[0].toDouble(), r[1].toDouble(), FromStorage(r[2], ftDateTime)};
        return rows;
    }

    static QVector<double> Walk(TDataSet* q)
    {
        QVector<double> nos;
        for (q->First(); !q->Eof(); q->Next())
            nos << q->FieldByName("OrderNo")->AsFloat();
        return nos;
    }
    static QVector<double> WalkBack(TDataSet* q)
    {
        QVector<double> nos;
        for (q->Last(); !q->Bof(); q->Prior())
            nos << q->FieldByName("OrderNo")->AsFloat();
        std::reverse(nos.begin(), nos.end());
        return nos;
    }
    static QVector<double> Sorted(QVector<double> v)
    {
        std::sort(v.begin(), v.end());
        return v;
    }
    QVector<double> AllOrderNos()
    {
        QVector<double> nos;
        for (const Row& r : StoredOrders())
            nos << r.OrderNo;
        return nos;
    }
    // Sale days of the orders in the given sequence; null as -1 (before any day).
    QVector<double> SaleDays(const QVector<double>& nos)
    {
        QVector<Row> stored = StoredOrders();
        QVector<double> days;
        for (double no : nos)
            for (const Row& r : stored)
                if (r.OrderNo == no)
                    days << (r.SaleDate.isNull() ? -1.0 : r.SaleDate.toDouble());
        return days;
    }

private slots:
    void init()
    {
        if (kFirebird)
            REQUIRE_TEST_SERVER();
        db = OpenSmallOrders(store, kFirebird, [this] { AddOrders(); });
    }
    void cleanup()
    {
        db.reset();
        store.reset();
    }

    void aQueryReadsItsRowsAsTheCursorReachesThem()
    {
        TQuery* q = NewQuery({"select * from orders", "where SaleDate >= :FromDate", "order by SaleDate"}, 4);
        q->ParamByName("FromDate")->SetAsDateTime(41002);
        q->Open();
        QCOMPARE(q->FieldByName("SaleDate")->AsDateTime(), 41002.0);
        // Written after the open, at the end of the order: a query that read its whole
        // result at open would never show it.
        store->Exec(*db, "INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, EmpNo) VALUES (2100, 1, ?, 1)",
                    {ToStorage(41009.0, ftDateTime, db->Dialect())});
        QVector<double> expected;
        for (const Row& r : StoredOrders())
            if (!r.SaleDate.isNull() && r.SaleDate.toDouble() >= 41002)
                expected << r.OrderNo;
        const QVector<double> forward = Walk(q);
        QCOMPARE(Sorted(forward), Sorted(expected)); // each row once, across pages
        QCOMPARE(forward.last(), 2100.0);
        const QVector<double> days = SaleDays(forward);
        QVERIFY(std::is_sorted(days.begin(), days.end()));
        // Orders of one day keep one order, whichever way the pages are read.
        QCOMPARE(WalkBack(q), forward);
        QCOMPARE(q->RecordCount(), int(expected.size()));
        for (int k : {1, 5, 9, 14, int(forward.size())}) {
            q->SetRecNo(k);
            QCOMPARE(q->FieldByName("OrderNo")->AsFloat(), forward[k - 1]);
            QCOMPARE(q->RecNo(), k);
        }
        q->First();
        QCOMPARE(q->MoveBy(6), 6);
        QCOMPARE(q->FieldByName("OrderNo")->AsFloat(), forward[6]);
        QCOMPARE(q->MoveBy(-4), -4);
        QCOMPARE(q->FieldByName("OrderNo")->AsFloat(), forward[2]);
        // Refresh reads again from where the cursor stands.
        q->Refresh();
        QCOMPARE(q->FieldByName("OrderNo")->AsFloat(), forward[2]);
    }

    void ascendingOrdersPutEmptyDatesFirst()
    {
        // Pages of two: page ends fall on orders without a date.
        TQuery* q = NewQuery({"select OrderNo, SaleDate from orders order by SaleDate"}, 2);
        q->Open();
        QVERIFY(q->FieldByName("SaleDate")->IsNull());
        const QVector<double> forward = Walk(q);
        QCOMPARE(Sorted(forward), Sorted(AllOrderNos()));
        const QVector<double> days = SaleDays(forward);
        QVERIFY(std::is_sorted(days.begin(), days.end()));
        QCOMPARE(days.count(-1.0), 5);
        QCOMPARE(WalkBack(q), forward);
    }

    void descendingOrdersPutEmptyDatesLast()
    {
        // The module's own word "descending"; local data reads it as DESC.
        TQuery* q = NewQuery({"select OrderNo, SaleDate from orders", "order by SaleDate descending, OrderNo"}, 3);
        q->Open();
        QVector<Row> stored = StoredOrders();
        std::sort(stored.begin(), stored.end(), [](const Row& a, const Row& b) {
            if (a.SaleDate.isNull() != b.SaleDate.isNull())
                return b.SaleDate.isNull();
            if (!a.SaleDate.isNull() && a.SaleDate.toDouble() != b.SaleDate.toDouble())
                return a.SaleDate.toDouble() > b.SaleDate.toDouble();
            return a.OrderNo < b.OrderNo;
        });
        QVector<double> expected;
        for (const Row& r : stored)
            expected << r.OrderNo;
        QCOMPARE(Walk(q), expected);
        QCOMPARE(WalkBack(q), expected);
        QVERIFY(!q->FieldByName("SaleDate")->IsNull());
        q->Last();
        QVERIFY(q->FieldByName("SaleDate")->IsNull());
        // A bookmark on an empty date returns to it.
        q->Prior();
        const double marked = q->FieldByName("OrderNo")->AsFloat();
        TBookmark mark = q->GetBookmark();
        q->First();
        q->GotoBookmark(mark);
        QCOMPARE(q->FieldByName("OrderNo")->AsFloat(), marked);
        q->Next();
        QCOMPARE(q->FieldByName("OrderNo")->AsFloat(), expected.last());

        // The last row gone meanwhile, a refresh stays at the end of the order.
        TQuery* dated = NewQuery({"select OrderNo, SaleDate from orders where SaleDate is not null",
                                  "order by SaleDate descending"},
                                 3);
        dated->Open();
        dated->Last();
        const double gone = dated->FieldByName("OrderNo")->AsFloat();
        dated->Prior();
        const double before = dated->FieldByName("OrderNo")->AsFloat();
        dated->Next();
        store->Exec(*db, "DELETE FROM ORDERS WHERE OrderNo = ?", {gone});
        dated->Refresh();
        QCOMPARE(dated->FieldByName("OrderNo")->AsFloat(), before);
        dated->Next();
        QVERIFY(dated->Eof());
    }

    void mixedDirectionsAndAnAliasedTable()
    {
        TQuery* q = NewQuery({"select o.OrderNo, o.CustNo, o.SaleDate from orders o",
                              "where o.CustNo <> :Skip", "order by o.CustNo desc, o.SaleDate"},
                             2);
        q->ParamByName("Skip")->SetAsFloat(2);
        q->Open();
        const QVector<double> forward = Walk(q);
        QVector<double> expected;
        for (const Row& r : StoredOrders())
            if (r.CustNo != 2)
                expected << r.OrderNo;
        QCOMPARE(Sorted(forward), Sorted(expected));
        QCOMPARE(WalkBack(q), forward);
        // Customer 3 first, then 1; within each, empty dates first, then by day.
        QVector<Row> stored = StoredOrders();
        double lastCust = 1e9, lastDay = -2;
        for (double no : forward) {
            const Row r = *std::find_if(stored.begin(), stored.end(), [&](const Row& s) { return s.OrderNo == no; });
            const double day = r.SaleDate.isNull() ? -1 : r.SaleDate.toDouble();
            if (r.CustNo != lastCust) {
                QVERIFY(r.CustNo < lastCust);
                lastCust = r.CustNo;
                lastDay = -2;
            }
            QVERIFY(day >= lastDay);
            lastDay = day;
        }
    }

    void groupedAndJoinedResultsArePagedByPosition()
    {
        TQuery* q = NewQuery({"select CustNo, count(*) as N from orders", "group by CustNo", "order by CustNo"}, 2);
        q->Open();
        QVector<double> custs, counts;
        for (q->First(); !q->Eof(); q->Next()) {
            custs << q->FieldByName("CustNo")->AsFloat();
            counts << q->FieldByName("N")->AsFloat();
        }
        QCOMPARE(custs, (QVector<double>{1, 2, 3}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(counts[i], store->Number("SELECT COUNT(*) FROM ORDERS WHERE CustNo = ?", {custs[i]}));
        QVector<double> back;
        for (q->Last(); !q->Bof(); q->Prior())
            back.prepend(q->FieldByName("CustNo")->AsFloat());
        QCOMPARE(back, custs);
        QCOMPARE(q->RecordCount(), 3);
        QVERIFY(q->Locate("CustNo", 2));
        QCOMPARE(q->FieldByName("N")->AsFloat(), counts[1]);
        QCOMPARE(q->RecNo(), 2);

        TQuery* j = NewQuery({"select i.OrderNo, i.ItemNo, p.Description from items i",
                              "join parts p on p.PartNo = i.PartNo", "order by i.OrderNo, i.ItemNo"},
                             3);
        j->Open();
        QStringList seen;
        for (j->First(); !j->Eof(); j->Next())
            seen << QString("%1/%2 %3").arg(j->FieldByName("OrderNo")->AsFloat()).arg(j->FieldByName("ItemNo")->AsFloat())
                        .arg(j->FieldByName("Description")->AsString());
        QCOMPARE(seen, (QStringList{"1001/1 Part 1", "1001/2 Part 2", "1001/3 Part 3", "1002/1 Part 1"}));
        j->Last();
        QCOMPARE(j->FieldByName("OrderNo")->AsFloat(), 1002.0);
        j->SetRecNo(2);
        QCOMPARE(j->FieldByName("ItemNo")->AsFloat(), 2.0);
    }

    void locateAndLookupSearchTheResult()
    {
        TQuery* q = NewQuery({"select * from orders where CustNo = :Cust order by SaleDate"}, 3);
        q->ParamByName("Cust")->SetAsFloat(2);
        q->Open();
        // Only rows of the result are found.
        QVERIFY(!q->Locate("OrderNo", 2002.0)); // customer 3
        QVERIFY(q->Locate("OrderNo", 2037.0));
        QCOMPARE(q->FieldByName("CustNo")->AsFloat(), 2.0);
        QVERIFY(q->Locate("ShipVIA", QString("fed"), loPartialKey | loCaseInsensitive));
        QCOMPARE(q->FieldByName("ShipVIA")->AsString(), QString("Fed Ex"));
        const double firstFedEx = q->FieldByName("OrderNo")->AsFloat();
        // The first in the query's order.
        QVector<double> fedEx;
        for (q->First(); !q->Eof(); q->Next())
            if (q->FieldByName("ShipVIA")->AsString() == "Fed Ex")
                fedEx << q->FieldByName("OrderNo")->AsFloat();
        QCOMPARE(firstFedEx, fedEx.first());
        QCOMPARE(q->Lookup("OrderNo", 2040.0, "ShipVIA").toString(), QString("Fed Ex"));
        QVERIFY(q->Lookup("OrderNo", 2041.0, "ShipVIA").isNull()); // customer 3
        // The cursor moves on from a located row through the following pages.
        QVERIFY(q->Locate("OrderNo", fedEx.first()));
        int after = 0;
        for (; !q->Eof(); q->Next())
            ++after;
        QVERIFY(after > q->PageSize);
    }

    void lookupFieldsAskOncePerKeyAndSeeChanges()
    {
        CountingTable cust(db.get());
        cust.DatabaseName = "TEST";
        cust.TableName = "CUSTOMER";
        cust.SetCachedUpdates(true);
        cust.Open();
        TQuery* q = NewQuery({"select * from orders order by OrderNo"}, 60);
        new TFloatField(q, "OrderNo");
        new TFloatField(q, "CustNo");
        TField* company = new TStringField(q, "Company", 30, fkLookup);
        company->KeyFields = "CustNo";
        company->LookupDataSet = &cust;
        company->LookupKeyFields = "CustNo";
        company->LookupResultField = "Company";
        cust.Finds = 0;
        q->Open();
        // Fifty orders of three customers: one look-up each.
        QCOMPARE(cust.Finds, 3);
        QCOMPARE(q->FieldByName("CustNo")->AsFloat(), 2.0);
        QCOMPARE(company->AsString(), QString("Unisco"));
        QVERIFY(q->Locate("OrderNo", 1003.0));
        QCOMPARE(company->AsString(), QString("Kauai Dive Shoppe"));

        // A change of the looked-up record is seen by the next look-up.
        TTable* orders = new TTable(db.get());
        orders->DatabaseName = "TEST";
        orders->TableName = "ORDERS";
        orders->IndexFieldNames = "OrderNo";
        orders->SetCachedUpdates(true);
        new TFloatField(orders, "OrderNo");
        new TFloatField(orders, "CustNo");
        TField* name = new TStringField(orders, "Company", 30, fkLookup);
        name->KeyFields = "CustNo";
        name->LookupDataSet = &cust;
        name->LookupKeyFields = "CustNo";
        name->LookupResultField = "Company";
        orders->Open();
        QVERIFY(orders->Locate("OrderNo", 2001.0));
        QCOMPARE(name->AsString(), QString("Unisco"));
        QVERIFY(cust.Locate("CustNo", 2.0));
        cust.Edit();
        cust.FieldByName("Company")->SetAsString("Unisco Marine");
        cust.Post();
        orders->Edit();
        orders->FieldByName("CustNo")->SetAsFloat(2);
        QCOMPARE(name->AsString(), QString("Unisco Marine"));
        orders->FieldByName("CustNo")->SetAsFloat(1);
        QCOMPARE(name->AsString(), QString("Kauai Dive Shoppe"));
        orders->FieldByName("CustNo")->SetAsFloat(77);
        QVERIFY(name->IsNull());
        orders->FieldByName("CustNo")->Clear();
        QVERIFY(name->IsNull());
        orders->Cancel();
        // Read again, the query sees the cached name too.
        QVERIFY(q->Locate("OrderNo", 2001.0));
        q->Refresh();
        QCOMPARE(company->AsString(), QString("Unisco Marine"));
        // Nor are changes another program makes kept from the next read.
        store->Exec(*db, "UPDATE CUSTOMER SET Company = 'Kauai Divers' WHERE CustNo = 1");
        QVERIFY(q->Locate("OrderNo", 1003.0));
        QCOMPARE(company->AsString(), QString("Kauai Divers"));
        store->Exec(*db, "UPDATE CUSTOMER SET Company = 'Kauai Dive Co' WHERE CustNo = 1");
        q->Refresh();
        QCOMPARE(company->AsString(), QString("Kauai Dive Co"));
    }
};

QTEST_GUILESS_MAIN(QueryTest)
#include "query_test.moc"
