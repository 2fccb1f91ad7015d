// The database engine against the same work written directly on QSqlQuery, on local
// data of 1,000,000 orders and 3,000,000 lines generated into a temporary folder.
// Prints the figures side by side; the targets are: open + first 30 under 100 ms,
// locate / detail follow / apply at most 1.5 times the direct time, peak memory under
// 150 MB.
#include "alias.h"
#include "database.h"
#include "datasource.h"
#include "localstore.h"
#include "table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

const char* kOrdersDdl =
    "OrderNo DOUBLE PRECISION NOT NULL PRIMARY KEY, CustNo DOUBLE PRECISION, SaleDate TIMESTAMP, "
    "ShipDate TIMESTAMP, EmpNo INTEGER, ShipToContact VARCHAR(20), ShipToAddr1 VARCHAR(30), "
    "ShipToAddr2 VARCHAR(30), ShipToCity VARCHAR(15), ShipToState VARCHAR(20), ShipToZip VARCHAR(10), "
    "ShipToCountry VARCHAR(20), ShipToPhone VARCHAR(15), ShipVIA VARCHAR(7), PO VARCHAR(15), "
    "Terms VARCHAR(6), PaymentMethod VARCHAR(7), ItemsTotal DOUBLE PRECISION, TaxRate DOUBLE PRECISION, "
    "Freight DOUBLE PRECISION, AmountPaid DOUBLE PRECISION";
const char* kItemsDdl =
    "OrderNo DOUBLE PRECISION NOT NULL, ItemNo DOUBLE PRECISION NOT NULL, PartNo DOUBLE PRECISION, "
    "Qty INTEGER, Discount DOUBLE PRECISION, PRIMARY KEY (OrderNo, ItemNo)";

void Fill(const QString& folder, int orders)
{
    CreateLocalTable(folder, "ORDERS", kOrdersDdl);
    CreateLocalTable(folder, "ITEMS", kItemsDdl);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
        db.setDatabaseName(LocalTableFile(folder, "ORDERS"));
        db.open();
        QSqlQuery q(db);
        q.exec("PRAGMA journal_mode=OFF");
        q.exec("PRAGMA synchronous=OFF");
        q.exec("ATTACH DATABASE '" + LocalTableFile(folder, "ITEMS") + "' AS ITEMS");
        q.exec("BEGIN");
        QSqlQuery o(db), it(db);
        o.prepare("INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, EmpNo, ShipToContact, ShipVIA, Terms, "
                  "PaymentMethod, ItemsTotal, TaxRate, Freight, AmountPaid) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
        it.prepare("INSERT INTO ITEMS.ITEMS (OrderNo, ItemNo, PartNo, Qty, Discount) VALUES (?,?,?,?,?)");
        for (int i = 0; i < orders; ++i) {
            double no = 1001 + i;
            o.addBindValue(no);
            o.addBindValue(double(1000 + i % 5000));
            o.addBindValue(ToStorage(36000 + i % 9000, ftDateTime, dlSqlite));
            o.addBindValue(i % 40 + 1);
            o.addBindValue(QString("Contact %1").arg(i % 977));
            o.addBindValue(QString("UPS"));
            o.addBindValue(QString("net 30"));
            o.addBindValue(QString("Check"));
            o.addBindValue(100.0 + i % 1000);
            o.addBindValue(8.25);
            o.addBindValue(10.0);
            o.addBindValue(0.0);
            o.exec();
            for (int j = 1; j <= 3; ++j) {
                it.addBindValue(no);
                it.addBindValue(double(j));
                it.addBindValue(double(1000 + (i * 3 + j) % 200));
                it.addBindValue(j);
                it.addBindValue(0.0);
                it.exec();
            }
        }
        q.exec("COMMIT");
        db.close();
    }
    QSqlDatabase::removeDatabase("fill");
}

double PeakMb()
{
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

double Ms(QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// Commits wait for the disk; the median keeps one slow flush from deciding the figure.
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

constexpr int kApplies = 31;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int orders = argc > 1 ? atoi(argv[1]) : 1000000;
    const int rounds = 200;
    QTemporaryDir dir;
    const QString folder = dir.filePath("data");
    QDir().mkpath(folder);
    QElapsedTimer t;
    t.start();
    Fill(folder, orders);
    std::printf("generated %d orders and %d lines in %.1f s\n", orders, orders * 3, Ms(t) / 1000);

    QFile cfg(dir.filePath("engine.ini"));
    cfg.open(QIODevice::WriteOnly);
    QTextStream(&cfg) << "[BENCH]\nDRIVER=PARADOX\nPATH=" << folder << "\n";
    cfg.close();
    qputenv("VORN_ENGINE_CONFIG", dir.filePath("engine.ini").toUtf8());
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(1001, 1000 + orders);
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
            ordersT.FieldByName("OrderNo")->SetAsFloat(5000000 + a);
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

    // ---- the same work on QSqlQuery ----
    double rOpen, rLocate, rDetail, rApply;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(dir.filePath("raw-main.sqlite"));
        db.open();
        QSqlQuery q(db);
        q.exec("ATTACH DATABASE '" + LocalTableFile(folder, "ORDERS") + "' AS ORDERS");
        q.exec("ATTACH DATABASE '" + LocalTableFile(folder, "ITEMS") + "' AS ITEMS");
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

        QSqlQuery io(db), ii(db);
        io.prepare("INSERT INTO ORDERS (OrderNo, CustNo, SaleDate) VALUES (?, ?, ?)");
        ii.prepare("INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty) VALUES (?, ?, ?, ?)");
        std::vector<double> times;
        for (int a = 0; a < kApplies; ++a) {
            t.restart();
            db.transaction();
            io.addBindValue(6000000.0 + a);
            io.addBindValue(1001.0);
            io.addBindValue(ToStorage(40000, ftDateTime, dlSqlite));
            io.exec();
            for (int j = 1; j <= 10; ++j) {
                ii.addBindValue(6000000.0 + a);
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
    std::printf("peak memory: %.1f MB\n", PeakMb());
    std::printf("(checksum %g)\n", checksum);
    return 0;
}
