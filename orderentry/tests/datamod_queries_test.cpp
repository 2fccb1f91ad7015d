// The data module's date-range queries on data built by the order-database builder,
// on local data or (built with QUORVALE_TEST_FIREBIRD) on the Firebird server: a range
// whose first and last days hold records lists those records, because the builder and
// the engine store dates in one form. The expected rows are worked out here from the
// stored rows.
#include "orderentry/tests/datamod_fixture.h"

#include <algorithm>
#include <memory>

class DataModQueriesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> store;
    std::unique_ptr<TVornData> vd;

    // Number and date of every stored row of the table, as the builder wrote them.
    QVector<QPair<double, TDateTime>> Dated(const QString& numberColumn, const QString& dateColumn,
                                            const QString& table)
    {
        QVector<QPair<double, TDateTime>> rows;
        for (const auto& r : store->Rows("SELECT " + numberColumn + ", " + dateColumn + " FROM " + table))
            if (!r[1].isNull())
                rows << qMakePair(r[0].toDouble(), FromStorage(r[1], ftDateTime).toDouble());
        return rows;
    }
    static QVector<double> Within(const QVector<QPair<double, TDateTime>>& rows, TDateTime from, TDateTime to)
    {
        QVector<double> nos;
        for (const auto& r : rows)
            if (r.second >= from && r.second <= to)
                nos << r.first;
        std::sort(nos.begin(), nos.end());
        return nos;
    }

private slots:
    void init()
    {
        if (kFirebird)
            REQUIRE_TEST_SERVER();
        store = std::make_unique<TScratchStore>(kFirebird);
        LayOrderData(*store, 300);
        vd = std::make_unique<TVornData>();
    }
    void cleanup()
    {
        vd.reset();
        store.reset();
    }

    void theOrderHistoryListsTheOrdersOfItsFirstAndLastDay()
    {
        const auto orders = Dated("OrderNo", "SaleDate", "ORDERS");
        TDateTime from = -1;
        for (const auto& o : orders)
            if (o.first == 1001)
                from = o.second;
        QVERIFY(from >= 0);
        // The last sale day within thirty days of order 1001's, so both ends hold orders.
        TDateTime to = from;
        for (const auto& o : orders)
            if (o.second <= from + 30)
                to = std::max(to, o.second);
        QVERIFY2(to > from, "the sample data has no second sale day within thirty days");
        vd->OrdersByDateQuery->ParamByName("FromDate")->SetAsDateTime(from);
        vd->OrdersByDateQuery->ParamByName("ToDate")->SetAsDateTime(to);
        vd->OrdersByDateQuery->Open();
        QVector<double> listed;
        TDateTime previous = from;
        for (vd->OrdersByDateQuery->First(); !vd->OrdersByDateQuery->Eof(); vd->OrdersByDateQuery->Next()) {
            listed << vd->OrdersByDateQueryOrderNo->AsFloat();
            QVERIFY(vd->OrdersByDateQuerySaleDate->AsDateTime() >= previous);
            previous = vd->OrdersByDateQuerySaleDate->AsDateTime();
            QCOMPARE(vd->OrdersByDateQueryCompany->AsString(),
                     vd->Cust->Lookup("CustNo", vd->OrdersByDateQueryCustNo->Value(), "Company").toString());
        }
        QVERIFY(listed.contains(1001));
        QCOMPARE(previous, to);
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, Within(orders, from, to));
        QCOMPARE(vd->OrdersByDateQuery->RecordCount(), int(listed.size()));
        // A one-day range: that day's orders, none of the next.
        vd->OrdersByDateQuery->Close();
        vd->OrdersByDateQuery->ParamByName("ToDate")->SetAsDateTime(from);
        vd->OrdersByDateQuery->Open();
        QCOMPARE(vd->OrdersByDateQuery->RecordCount(), int(Within(orders, from, from).size()));
        QCOMPARE(vd->OrdersByDateQuerySaleDate->AsDateTime(), from);
    }

    void theCustomerQueryListsTheCustomersOfItsFirstAndLastDay()
    {
        // Only the builder's customers: the fixture's own rows were written by the engine.
        QVector<QPair<double, TDateTime>> customers;
        for (const auto& c : Dated("CustNo", "LastInvoiceDate", "CUSTOMER"))
            if (c.first < kCustTaxed)
                customers << c;
        QVERIFY(customers.size() >= 2);
        std::sort(customers.begin(), customers.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        const auto first = customers[customers.size() / 3], last = customers[customers.size() * 2 / 3];
        QVERIFY(first.second < last.second);
        vd->CustQuery->ParamByName("FromDate")->SetAsDateTime(first.second);
        vd->CustQuery->ParamByName("ToDate")->SetAsDateTime(last.second);
        vd->CustQuery->Open();
        QVector<double> listed;
        for (vd->CustQuery->First(); !vd->CustQuery->Eof(); vd->CustQuery->Next())
            listed << vd->CustQueryCustNo->AsFloat();
        QVERIFY(listed.contains(first.first));
        QVERIFY(listed.contains(last.first));
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, Within(Dated("CustNo", "LastInvoiceDate", "CUSTOMER"), first.second, last.second));
        // The browser shows the orders of a listed customer.
        vd->CustMasterSrc->SetDataSet(vd->CustQuery);
        QVERIFY(vd->CustQuery->Locate("CustNo", first.first));
        QCOMPARE(double(vd->OrdByCust->RecordCount()),
                 store->Number("SELECT COUNT(*) FROM ORDERS WHERE CustNo = ?", {first.first}));
        vd->CustMasterSrc->SetDataSet(vd->Cust);
    }

    void theNewestInvoicesComeFirst()
    {
        TDataSet* q = vd->CustByLastInvQuery;
        q->First();
        QVector<double> nos;
        TDateTime previous = 1e9;
        bool sawEmpty = false;
        for (; !q->Eof(); q->Next()) {
            nos << vd->CustByLastInvQueryCustNo->AsFloat();
            if (vd->CustByLastInvQueryLastInvoiceDate->IsNull()) {
                sawEmpty = true; // customers never invoiced come last
                continue;
            }
            QVERIFY(!sawEmpty);
            QVERIFY(vd->CustByLastInvQueryLastInvoiceDate->AsDateTime() <= previous);
            previous = vd->CustByLastInvQueryLastInvoiceDate->AsDateTime();
        }
        QVERIFY(sawEmpty); // customer 9002 has no invoice
        std::sort(nos.begin(), nos.end());
        QVector<double> all;
        for (const auto& r : store->Rows("SELECT CustNo FROM CUSTOMER ORDER BY CustNo"))
            all << r[0].toDouble();
        QCOMPARE(nos, all);
    }
};

QTEST_MAIN(DataModQueriesTest)
#include "datamod_queries_test.moc"
