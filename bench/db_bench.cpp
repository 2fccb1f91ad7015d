// The database engine against the same work written directly on QSqlQuery, on the
// order database that vorndata builds (1,000,000 orders and their lines by default).
// Prints the figures side by side; the targets are: open + first 30 under 100 ms for
// a table and for the one-year order history query (with its customer lookup),
// locate / detail follow / apply at most 1.5 times the direct time, memory flat while
// a query is read (its window of pages, not its result), peak memory under 150 MB.
//
//   db_bench [ORDERS [FOLDER]]
//
// FOLDER keeps the database between runs (building a million orders takes a while):
// when it already holds ORDERS.DB it is used as it is, else it is built there. Without
// it the database is built in a temporary folder and removed afterwards.
#include "platform/data/alias.h"
#include "bench/bench_figures.h"
#include "bench/bench_orders.h"
#include "platform/data/database.h"
#include "platform/data/datasource.h"
#include "platform/data/localstore.h"
#include "platform/data/query.h"
#include "platform/data/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

// Commits wait for the disk: the applies are timed many times and the median kept.
constexpr int kApplies = 31;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = 200;
    TBenchOrders data;
    if (!data.Prepare(argc, argv, "db_bench"))
        return 2;
    const QString folder = data.Folder;
    QElapsedTimer t;
    // Orders a run adds get numbers above every stored one, so a kept folder serves again.
    double lastOrderNo = 0;
    TDateTime lastSale = 0;
    {
        TDatabase db;
        db.AliasName = "BENCH";
        db.Open();
        db.EnsureTables({"ORDERS"});
        auto row = db.Runner().Select("SELECT MAX(OrderNo), MAX(SaleDate), COUNT(*) FROM ORDERS", {}).value(0);
        lastOrderNo = row.value(0).toDouble();
        lastSale = FromStorage(row.value(1), ftDateTime).toDouble();
        std::printf("%lld orders in %s\n", row.value(2).toLongLong(), qPrintable(folder));
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(1001, int(lastOrderNo));
    std::vector<double> keys(rounds);
    for (double& k : keys)
        k = pick(rng);

    // ---- the engine ----
    double eOpen, eLocate, eDetail, eApply, checksum = 0;
    {
        TDatabase db;
        db.DatabaseName = "BENCH";
        db.AliasName = "BENCH";
        db.Open();
        TTable ordersT, itemsT;
        ordersT.SetDatabase(&db);
        ordersT.TableName = "ORDERS";
        ordersT.IndexFieldNames = "OrderNo";
        ordersT.SetCachedUpdates(true);
        TDataSource src;
        src.SetDataSet(&ordersT);
        itemsT.SetDatabase(&db);
        itemsT.TableName = "ITEMS";
        itemsT.IndexFieldNames = "OrderNo";
        itemsT.MasterFields = "OrderNo";
        itemsT.SetMasterSource(&src);
        itemsT.SetCachedUpdates(true);

        t.restart();
        ordersT.Open();
        for (int i = 0; i < 30 && !ordersT.Eof(); ++i, ordersT.Next())
            for (int f = 0; f < ordersT.FieldCount(); ++f)
                checksum += ordersT.Fields(f)->AsString().size();
        eOpen = Ms(t);

        for (double k : keys) // both sides start with the same pages cached
            ordersT.Locate("OrderNo", k + 1);
        t.restart();
        for (double k : keys)
            if (!ordersT.Locate("OrderNo", k))
                std::printf("engine: %g not found\n", k);
        eLocate = Ms(t) / rounds;
        itemsT.Open();

        t.restart();
        for (double k : keys) {
            ordersT.Locate("OrderNo", k);
            ordersT.Next();
            for (itemsT.First(); !itemsT.Eof(); itemsT.Next())
                checksum += itemsT.FieldByName("Qty")->AsInteger();
        }
        eDetail = Ms(t) / rounds;

        std::vector<double> times;
        for (int a = 0; a < kApplies; ++a) {
            t.restart();
            ordersT.Append();
            ordersT.FieldByName("OrderNo")->SetAsFloat(lastOrderNo + 1 + a);
            ordersT.FieldByName("CustNo")->SetAsFloat(1001);
            ordersT.FieldByName("SaleDate")->SetAsDateTime(40000);
            ordersT.Post();
            for (int j = 1; j <= 10; ++j) {
                itemsT.Append();
                itemsT.FieldByName("ItemNo")->SetAsFloat(j);
                itemsT.FieldByName("PartNo")->SetAsFloat(1000 + j);
                itemsT.FieldByName("Qty")->SetAsInteger(j);
                itemsT.Post();
            }
            db.ApplyUpdates({&ordersT, &itemsT});
            times.push_back(Ms(t));
        }
        eApply = Median(times);
    }

    // ---- the order history of the last year: a query with a lookup field ----
    // The data module's OrdersByDateQuery with its Company looked up in the customers.
    const QStringList historySql = {"select * from orders", "where ", "    (SaleDate >= :FromDate) and",
                                    "    (SaleDate <= :ToDate)", "order by ", "  SaleDate"};
    double eQuery, eQueryMb, eWalk, eWalkMb, eNewest;
    int walked = 0;
    {
        TDatabase db;
        db.DatabaseName = "BENCH";
        db.AliasName = "BENCH";
        db.Open();
        TTable cust;
        cust.SetDatabase(&db);
        cust.TableName = "CUSTOMER";
        cust.SetCachedUpdates(true);
        cust.Open();
        TQuery history;
        history.SetDatabase(&db);
        history.SQL = historySql;
        new TFloatField(&history, "OrderNo");
        new TFloatField(&history, "CustNo");
        new TDateTimeField(&history, "SaleDate");
        new TDateTimeField(&history, "ShipDate");
        new TCurrencyField(&history, "ItemsTotal");
        new TCurrencyField(&history, "AmountPaid");
        TField* company = new TStringField(&history, "Company", 40, fkLookup);
        company->KeyFields = "CustNo";
        company->LookupDataSet = &cust;
        company->LookupKeyFields = "CustNo";
        company->LookupResultField = "Company";
        history.ParamByName("FromDate")->SetAsDateTime(lastSale - 365);
        history.ParamByName("ToDate")->SetAsDateTime(lastSale);

        const double before = ResidentMb();
        t.restart();
        history.Open();
        for (int i = 0; i < 30 && !history.Eof(); ++i, history.Next())
            for (int f = 0; f < history.FieldCount(); ++f)
                checksum += history.Fields(f)->AsString().size();
        eQuery = Ms(t);
        eQueryMb = ResidentMb() - before;

        // Reading on keeps a window of pages, so memory stays where the open left it.
        t.restart();
        for (; walked < 20000 && !history.Eof(); ++walked, history.Next())
            checksum += company->AsString().size() + history.FieldByName("ItemsTotal")->AsFloat();
        eWalk = Ms(t);
        eWalkMb = ResidentMb() - before;
        history.Close();

        TQuery newest;
        newest.SetDatabase(&db);
        newest.SQL = QStringList{"select * from customer", "order by", "LastInvoiceDate descending"};
        t.restart();
        newest.Open();
        for (int i = 0; i < 30 && !newest.Eof(); ++i, newest.Next())
            checksum += newest.FieldByName("Company")->AsString().size();
        eNewest = Ms(t);
    }

    // ---- the same work on QSqlQuery ----
    double rOpen, rLocate, rDetail, rApply, rQuery;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(data.Dir.filePath("raw-main.sqlite"));
        db.open();
        QSqlQuery q(db);
        q.exec("ATTACH DATABASE '" + LocalTableFile(folder, "ORDERS") + "' AS ORDERS");
        q.exec("ATTACH DATABASE '" + LocalTableFile(folder, "ITEMS") + "' AS ITEMS");
        q.exec("ATTACH DATABASE '" + LocalTableFile(folder, "CUSTOMER") + "' AS CUSTOMER");
        t.restart();
        {
            QSqlQuery s(db);
            s.exec("SELECT * FROM ORDERS ORDER BY OrderNo LIMIT 30");
            while (s.next())
                for (int f = 0; f < 21; ++f)
                    checksum += s.value(f).toString().size();
        }
        rOpen = Ms(t);

        QSqlQuery loc(db);
        loc.prepare("SELECT * FROM ORDERS WHERE OrderNo = ?");
        for (double k : keys) {
            loc.addBindValue(k + 1);
            loc.exec();
            loc.next();
            loc.finish();
        }
        t.restart();
        for (double k : keys) {
            loc.addBindValue(k);
            loc.exec();
            if (!loc.next())
                std::printf("raw: %g not found\n", k);
            // The record's values, as the engine's fields hold them.
            for (int f = 0; f < 21; ++f)
                checksum += loc.value(f).isNull();
            loc.finish();
        }
        rLocate = Ms(t) / rounds;

        QSqlQuery next(db), lines(db);
        next.prepare("SELECT * FROM ORDERS WHERE OrderNo > ? ORDER BY OrderNo LIMIT 1");
        lines.prepare("SELECT * FROM ITEMS WHERE OrderNo = ? ORDER BY OrderNo, ItemNo");
        t.restart();
        for (double k : keys) {
            loc.addBindValue(k);
            loc.exec();
            loc.next();
            loc.finish();
            next.addBindValue(k);
            next.exec();
            double n = next.next() ? next.value(0).toDouble() : k;
            next.finish();
            lines.addBindValue(n);
            lines.exec();
            while (lines.next())
                checksum += lines.value(3).toInt();
            lines.finish();
        }
        rDetail = Ms(t) / rounds;

        t.restart();
        {
            QSqlQuery s(db), c(db);
            s.prepare("SELECT * FROM ORDERS WHERE SaleDate >= ? AND SaleDate <= ? ORDER BY SaleDate LIMIT 30");
            s.addBindValue(ToStorage(lastSale - 365, ftDateTime, dlSqlite));
            s.addBindValue(ToStorage(lastSale, ftDateTime, dlSqlite));
            s.exec();
            c.prepare("SELECT Company FROM CUSTOMER WHERE CustNo = ?");
            while (s.next()) {
                for (int f = 0; f < 21; ++f)
                    checksum += s.value(f).toString().size();
                c.addBindValue(s.value(1));
                c.exec();
                if (c.next())
                    checksum += c.value(0).toString().size();
                c.finish();
            }
        }
        rQuery = Ms(t);

        QSqlQuery io(db), ii(db);
        io.prepare("INSERT INTO ORDERS (OrderNo, CustNo, SaleDate) VALUES (?, ?, ?)");
        ii.prepare("INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty) VALUES (?, ?, ?, ?)");
        std::vector<double> times;
        for (int a = 0; a < kApplies; ++a) {
            t.restart();
            db.transaction();
            io.addBindValue(lastOrderNo + 1 + kApplies + a);
            io.addBindValue(1001.0);
            io.addBindValue(ToStorage(40000, ftDateTime, dlSqlite));
            io.exec();
            for (int j = 1; j <= 10; ++j) {
                ii.addBindValue(lastOrderNo + 1 + kApplies + a);
                ii.addBindValue(double(j));
                ii.addBindValue(1000.0 + j);
                ii.addBindValue(j);
                ii.exec();
            }
            db.commit();
            times.push_back(Ms(t));
        }
        rApply = Median(times);
    }
    QSqlDatabase::removeDatabase("raw");

    std::printf("\n%-44s %12s %12s %8s\n", "work (ms)", "engine", "QSqlQuery", "ratio");
    auto row = [](const char* what, double e, double r) {
        std::printf("%-44s %12.3f %12.3f %8.2f\n", what, e, r, r > 0 ? e / r : 0);
    };
    row("open ORDERS by OrderNo, read first 30", eOpen, rOpen);
    row("locate an OrderNo (mean)", eLocate, rLocate);
    row("move master one record, read its lines", eDetail, rDetail);
    row("post an order with 10 lines and apply (median)", eApply, rApply);
    row("open one year's order history, read first 30", eQuery, rQuery);
    std::printf("%-44s %12.3f\n", "open customers by last invoice, read first 30", eNewest);
    std::printf("memory added by the open order history: %.1f MB; after reading %d of its rows: %.1f MB (%.0f ms)\n",
                eQueryMb, walked, eWalkMb, eWalk);
    std::printf("peak memory: %.1f MB\n", PeakMb());
    std::printf("(checksum %g)\n", checksum);
    return 0;
}
