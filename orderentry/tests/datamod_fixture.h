// The data module's tests work on the order database the builder makes, in a scratch
// store (testsupport/scratchstore.h) under the alias "DBDEMOS" whose login, on the
// server, wins over the data module's own. A few rows with known values are added so
// that the rules can be checked exactly.
#pragma once

#include "orderentry/DataMod.h"
#include "platform/data/alias.h"
#include "platform/widgets/messages.h"
#include "testsupport/scratchstore.h"
#include "testsupport/testserver.h"
#include "xmllib/strs.h"

#include <QDir>
#include <QtTest>

// Known rows: parts 9001 (list price 10) and 9002 (list price 4.5), customers 9001
// (tax rate 8.25, last invoice 1 Mar 2020), 9002 (no tax rate, no last invoice) and
// 9003 (tax rate 5); employee 9001 "Lowe, Ada".
constexpr double kPartA = 9001, kPartB = 9002;
constexpr double kCustTaxed = 9001, kCustBare = 9002, kCustOther = 9003;
constexpr int kEmp = 9001;

// The builder's sample data with the known rows, on the store's storage.
inline void LayOrderData(TScratchStore& store, int orders = 12)
{
    vorndata::BuildOptions options;
    options.orders = orders;
    store.Build(options);
    store.Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
               "VALUES (9001, 'Test regulator', 1, 20, 0, 6, 10)");
    store.Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
               "VALUES (9002, 'Test fin', 1, 5, 3, 2, 4.5)");
    store.Exec("INSERT INTO CUSTOMER (CustNo, Company, TaxRate, LastInvoiceDate) VALUES (9001, 'Taxed Dive Shop', 8.25, ?)",
               {store.Date(EncodeDate(2020, 3, 1))});
    store.Exec("INSERT INTO CUSTOMER (CustNo, Company) VALUES (9002, 'Bare Reef Supply')");
    store.Exec("INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (9003, 'Other Coast Divers', 5)");
    store.Exec("INSERT INTO EMPLOYEE (EmpNo, LastName, FirstName) VALUES (9001, 'Lowe', 'Ada')");
}

// Answers every question with No and records it, unless a test installs its own.
struct QuietUser {
    TMessageRecorder Recorder{{}, mrNo};
};
