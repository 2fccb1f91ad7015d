// Scratch order data for the engine's tests: a temporary folder of table files, or a
// scratch database on the tests' Firebird server (testsupport/testserver.h), with an
// engine configuration file naming it under the alias "TESTDATA".
#pragma once

#include "platform/data/alias.h"
#include "platform/data/database.h"
#include "platform/data/fbclient.h"
#include "platform/data/localstore.h"
#include "platform/data/query.h"
#include "testsupport/testserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <atomic>
#include <memory>

struct TestStore {
    bool Firebird = false;
    QTemporaryDir Dir;
    QString ConfigFile;
    QString Folder;
    QString ServerName;

    explicit TestStore(bool firebird) : Firebird(firebird)
    {
        ConfigFile = Dir.filePath("engine.ini");
        Folder = Dir.filePath("data");
        QDir().mkpath(Folder);
        QFile f(ConfigFile);
        f.open(QIODevice::WriteOnly | QIODevice::Text);
        QTextStream out(&f);
        if (firebird) {
            static std::atomic<int> n{0};
            ServerName = TestServerDatabase(
                QString("quorvale-test-%1-%2.fdb").arg(QCoreApplication::applicationPid()).arg(++n));
            out << "[TESTDATA]\nDRIVER=INTRBASE\nSERVER NAME=" << ServerName << "\nUSER NAME=SYSDBA\n";
        } else {
            out << "; scratch data\n[TESTDATA]\nDRIVER=PARADOX\nPATH=" << Folder << "\n";
        }
        f.close();
        qputenv("VORN_ENGINE_CONFIG", ConfigFile.toUtf8());
        Session.Reset();
    }

    ~TestStore()
    {
        if (Firebird && Created) {
            try {
                DropServerDatabase(ServerName, TestServerUser(), TestServerPassword());
            } catch (...) {
            }
        }
    }

    bool Created = false;

    void Open(TDatabase& db, const QString& name = "TEST")
    {
        db.DatabaseName = name;
        db.AliasName = "TESTDATA";
        db.Params = QStringList{"USER NAME=" + TestServerUser(), "PASSWORD=" + TestServerPassword()};
        db.Open();
    }

    void Exec(TDatabase& db, const QString& sql, const QVariantList& params = {})
    {
        db.EnsureTablesOf(sql);
        db.Runner().Execute(sql, params);
    }

    // ORDERS, ITEMS, PARTS, CUSTOMER, EMPLOYEE, NEXTORD with a little data.
    void CreateTables(int orders = 5)
    {
        const QList<QPair<QString, QString>> tables = {
            {"ORDERS", "OrderNo DOUBLE PRECISION NOT NULL PRIMARY KEY, CustNo DOUBLE PRECISION, SaleDate TIMESTAMP, "
                       "ShipDate TIMESTAMP, EmpNo INTEGER, ShipVIA VARCHAR(7), Terms VARCHAR(6), "
                       "ItemsTotal DOUBLE PRECISION, TaxRate DOUBLE PRECISION, Freight DOUBLE PRECISION, "
                       "AmountPaid DOUBLE PRECISION"},
            {"ITEMS", "OrderNo DOUBLE PRECISION NOT NULL, ItemNo DOUBLE PRECISION NOT NULL, PartNo DOUBLE PRECISION, "
                      "Qty INTEGER, Discount DOUBLE PRECISION, PRIMARY KEY (OrderNo, ItemNo)"},
            {"PARTS", "PartNo DOUBLE PRECISION NOT NULL PRIMARY KEY, Description VARCHAR(30), OnHand DOUBLE PRECISION, "
                      "OnOrder DOUBLE PRECISION, ListPrice DOUBLE PRECISION"},
            {"CUSTOMER", "CustNo DOUBLE PRECISION NOT NULL PRIMARY KEY, Company VARCHAR(30), TaxRate DOUBLE PRECISION, "
                         "LastInvoiceDate TIMESTAMP"},
            {"EMPLOYEE", "EmpNo INTEGER NOT NULL PRIMARY KEY, LastName VARCHAR(20), FirstName VARCHAR(15)"},
            {"NEXTORD", "NewKey DOUBLE PRECISION"},
        };
        if (Firebird) {
            CreateServerDatabase(ServerName, TestServerUser(), TestServerPassword());
            Created = true;
            TDatabase db;
            Open(db, "SETUP");
            for (const auto& t : tables)
                Exec(db, "CREATE TABLE " + t.first + " (" + t.second + ")");
            db.Close();
        } else {
            for (const auto& t : tables)
                CreateLocalTable(Folder, t.first, t.second);
        }
        TDatabase db;
        Open(db, "SETUP");
        db.StartTransaction();
        const TDialect d = db.Dialect();
        for (int i = 1; i <= orders; ++i)
            Exec(db, "INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, EmpNo, ItemsTotal, TaxRate, Freight, AmountPaid) "
                     "VALUES (?, ?, ?, ?, 0, 0, 0, 0)",
                 {1000.0 + i, double(i % 3 + 1), ToStorage(40000.0 + i, ftDateTime, d), 1});
        for (int i = 1; i <= 3; ++i)
            Exec(db, "INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty, Discount) VALUES (1001, ?, ?, ?, 0)",
                 {double(i), 100.0 + i, i});
        Exec(db, "INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty, Discount) VALUES (1002, 1, 101, 7, 10)");
        for (int i = 1; i <= 3; ++i)
            Exec(db, "INSERT INTO PARTS (PartNo, Description, OnHand, OnOrder, ListPrice) VALUES (?, ?, 10, 0, ?)",
                 {100.0 + i, QString("Part %1").arg(i), 10.0 * i});
        Exec(db, "INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (1, 'Kauai Dive Shoppe', 8.5)");
        Exec(db, "INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (2, 'Unisco', 0)");
        Exec(db, "INSERT INTO CUSTOMER (CustNo, Company) VALUES (3, 'Sight Diver')");
        Exec(db, "INSERT INTO EMPLOYEE (EmpNo, LastName, FirstName) VALUES (1, 'Nelson', 'Robert')");
        Exec(db, "INSERT INTO NEXTORD (NewKey) VALUES (1006)");
        db.Commit();
        db.Close();
    }

    // Rows of a statement through a fresh connection, as another program sees them.
    QVector<QVector<QVariant>> Read(const QString& sql, const QVariantList& params = {})
    {
        TDatabase db;
        Open(db, "CHECK");
        db.EnsureTablesOf(sql);
        auto rows = db.Runner().Select(sql, params);
        db.Close();
        return rows;
    }
    double Scalar(const QString& sql, const QVariantList& params = {})
    {
        auto rows = Read(sql, params);
        return rows.isEmpty() ? -1 : rows.first().value(0).toDouble();
    }
};
