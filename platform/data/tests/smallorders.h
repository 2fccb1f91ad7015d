// The engine's tests work on a few order tables with a little data, laid in a
// scratch store (testsupport/scratchstore.h) under the alias "TESTDATA".
#pragma once

#include "platform/data/database.h"
#include "testsupport/scratchstore.h"

#include <QList>
#include <QPair>

#include <functional>
#include <memory>

// ORDERS, ITEMS, PARTS, CUSTOMER, EMPLOYEE, NEXTORD with a little data.
inline void LaySmallOrders(TScratchStore& store, int orders = 5)
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
    for (const auto& t : tables)
        store.CreateTable(t.first, t.second);
    TDatabase db;
    store.Open(db, "SETUP");
    db.StartTransaction();
    for (int i = 1; i <= orders; ++i)
        store.Exec(db, "INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, EmpNo, ItemsTotal, TaxRate, Freight, AmountPaid) "
                       "VALUES (?, ?, ?, ?, 0, 0, 0, 0)",
                   {1000.0 + i, double(i % 3 + 1), store.Date(40000.0 + i), 1});
    for (int i = 1; i <= 3; ++i)
        store.Exec(db, "INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty, Discount) VALUES (1001, ?, ?, ?, 0)",
                   {double(i), 100.0 + i, i});
    store.Exec(db, "INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty, Discount) VALUES (1002, 1, 101, 7, 10)");
    for (int i = 1; i <= 3; ++i)
        store.Exec(db, "INSERT INTO PARTS (PartNo, Description, OnHand, OnOrder, ListPrice) VALUES (?, ?, 10, 0, ?)",
                   {100.0 + i, QString("Part %1").arg(i), 10.0 * i});
    store.Exec(db, "INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (1, 'Kauai Dive Shoppe', 8.5)");
    store.Exec(db, "INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (2, 'Unisco', 0)");
    store.Exec(db, "INSERT INTO CUSTOMER (CustNo, Company) VALUES (3, 'Sight Diver')");
    store.Exec(db, "INSERT INTO EMPLOYEE (EmpNo, LastName, FirstName) VALUES (1, 'Nelson', 'Robert')");
    store.Exec(db, "INSERT INTO NEXTORD (NewKey) VALUES (1006)");
    db.Commit();
    db.Close();
}

// A new scratch store in store with the small tables, then what more lays, and the
// connection "TEST" on it.
inline std::unique_ptr<TDatabase> OpenSmallOrders(std::unique_ptr<TScratchStore>& store, bool firebird,
                                                  const std::function<void()>& more = {})
{
    store = std::make_unique<TScratchStore>(firebird, "TESTDATA");
    LaySmallOrders(*store);
    if (more)
        more();
    auto db = std::make_unique<TDatabase>();
    store->Open(*db, "TEST");
    return db;
}
