// The order-entry rules on local data or (built with QUORVALE_TEST_FIREBIRD) on the
// Firebird server, grouped by rule: an order's whole life, numbering, defaults,
// totals, on-order stock, last invoice dates, customer change, validations, the
// questions before deleting and cancelling, closing with pending edits, failed
// applies, and the server's login and switching between the storages.
#include "orderentry/tests/datamod_fixture.h"

#include "platform/data/table.h"

#include <memory>

class DataModRulesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> store;
    std::unique_ptr<TVornData> vd;

    void NewOrder(double custNo = kCustTaxed)
    {
        vd->Orders->Insert();
        vd->OrdersCustNo->SetAsFloat(custNo);
        vd->OrdersEmpNo->SetAsInteger(kEmp);
    }
    void AddLine(double partNo, int qty, double discount = 0)
    {
        vd->Items->Append();
        vd->ItemsPartNo->SetAsFloat(partNo);
        vd->ItemsQty->SetAsInteger(qty);
        vd->ItemsDiscount->SetAsFloat(discount);
        vd->Items->Post();
    }
    // OnOrder of a part as the program sees it (cache included).
    double OnOrder(double partNo) { return vd->Parts->Lookup("PartNo", partNo, "OnOrder").toDouble(); }
    double StoredOnOrder(double partNo) { return store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {partNo}); }
    double NextOrdStored() { return store->Number("SELECT NewKey FROM NEXTORD"); }
    double Count(const QString& table, double orderNo)
    {
        return store->Number("SELECT COUNT(*) FROM " + table + " WHERE OrderNo = ?", {orderNo});
    }
    QList<double> ItemNos()
    {
        QList<double> nos;
        vd->Items->First();
        while (!vd->Items->Eof()) {
            nos << vd->ItemsItemNo->AsFloat();
            vd->Items->Next();
        }
        return nos;
    }
    // Posts a new order for the customer with the given lines and returns its number.
    double StoredOrder(const QList<QPair<double, int>>& lines, double custNo = kCustTaxed)
    {
        NewOrder(custNo);
        for (const auto& l : lines)
            AddLine(l.first, l.second);
        const double no = vd->OrdersOrderNo->AsFloat();
        vd->Orders->Post();
        return no;
    }

private slots:
    void init()
    {
        if (kFirebird)
            REQUIRE_TEST_SERVER();
        store = std::make_unique<TScratchStore>(kFirebird);
        LayOrderData(*store);
        vd = std::make_unique<TVornData>();
    }
    void cleanup()
    {
        vd.reset();
        store.reset();
    }

    // ---- an order's life ----

    void anOrderFromEntryToDeletion()
    {
        QCOMPARE(vd->Database->IsSQLBased(), kFirebird);
        QuietUser quiet;
        const double next = store->Number("SELECT NewKey FROM NEXTORD");
        const double a0 = store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {kPartA});

        // New order with lines, posted: everything in one apply.
        vd->Orders->Insert();
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        QCOMPARE(orderNo, next);
        QCOMPARE(store->Number("SELECT NewKey FROM NEXTORD"), next + 1);
        vd->OrdersCustNo->SetAsFloat(kCustTaxed);
        vd->OrdersEmpNo->SetAsInteger(kEmp);
        vd->OrdersShipDate->SetAsDateTime(EncodeDate(2021, 5, 4) + 0.5);
        AddLine(kPartA, 3, 10);
        AddLine(kPartB, 2);
        QCOMPARE(vd->OrdersItemsTotal->AsFloat(), 36.0);
        QCOMPARE(vd->OrdersTaxTotal->AsFloat(), 2.97);
        vd->Orders->Post();
        QCOMPARE(Count("ORDERS", orderNo), 1.0);
        QCOMPARE(Count("ITEMS", orderNo), 2.0);
        QCOMPARE(store->Number("SELECT ItemsTotal FROM ORDERS WHERE OrderNo = ?", {orderNo}), 36.0);
        QCOMPARE(store->Number("SELECT TaxRate FROM ORDERS WHERE OrderNo = ?", {orderNo}), 8.25);
        QCOMPARE(store->Value("SELECT Terms FROM ORDERS WHERE OrderNo = ?", {orderNo}).toString(), QString("net 30"));
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {kPartA}), a0 + 3);
        QCOMPARE(FromStorage(store->Value("SELECT LastInvoiceDate FROM CUSTOMER WHERE CustNo = ?", {kCustTaxed}), ftDateTime)
                     .toDouble(),
                 EncodeDate(2021, 5, 4) + 0.5);
        QVERIFY(!vd->Orders->UpdatesPending() && !vd->Items->UpdatesPending() && !vd->Parts->UpdatesPending());

        // Edited: the first line takes the next number, its quantity change reaches Parts.
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        vd->Items->First();
        vd->Items->Edit();
        vd->ItemsQty->SetAsInteger(5);
        vd->Items->Post();
        QCOMPARE(vd->ItemsItemNo->AsFloat(), 3.0);
        vd->Orders->Post();
        QCOMPARE(store->Number("SELECT Qty FROM ITEMS WHERE OrderNo = ? AND ItemNo = 3", {orderNo}), 5.0);
        QCOMPARE(store->Number("SELECT ItemsTotal FROM ORDERS WHERE OrderNo = ?", {orderNo}), 54.0);
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {kPartA}), a0 + 5);

        // Cancelled new order: nothing stored, its number stays used.
        vd->Orders->Insert();
        const double cancelled = vd->OrdersOrderNo->AsFloat();
        vd->OrdersCustNo->SetAsFloat(kCustBare);
        vd->OrdersEmpNo->SetAsInteger(kEmp);
        AddLine(kPartA, 1);
        {
            TMessageRecorder user({mrYes});
            vd->Orders->Cancel();
            QCOMPARE(user.Requests.size(), size_t(1));
        }
        QCOMPARE(Count("ORDERS", cancelled), 0.0);
        QCOMPARE(Count("ITEMS", cancelled), 0.0);
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {kPartA}), a0 + 5);
        QCOMPARE(store->Number("SELECT NewKey FROM NEXTORD"), next + 2);

        // Deleted: order and lines gone in one apply.
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        {
            TMessageRecorder user({mrYes});
            vd->Orders->Delete();
            QCOMPARE(user.Requests.size(), size_t(1));
        }
        QCOMPARE(Count("ORDERS", orderNo), 0.0);
        QCOMPARE(Count("ITEMS", orderNo), 0.0);
    }

    // ---- numbering ----

    void aNewOrderTakesTheNextNumberAndItsDefaults()
    {
        QuietUser user;
        const double next = NextOrdStored();
        vd->Orders->Insert();
        QCOMPARE(vd->OrdersOrderNo->AsFloat(), next);
        QCOMPARE(NextOrdStored(), next + 1);
        QCOMPARE(vd->OrdersSaleDate->AsDateTime(), Date());
        QCOMPARE(vd->OrdersShipVIA->AsString(), QString("UPS"));
        QCOMPARE(vd->OrdersTerms->AsString(), QString("net 30"));
        QCOMPARE(vd->OrdersPaymentMethod->AsString(), QString("Check"));
        for (TField* f : std::initializer_list<TField*>{vd->OrdersItemsTotal, vd->OrdersTaxRate, vd->OrdersFreight, vd->OrdersAmountPaid}) {
            QVERIFY2(!f->IsNull(), qPrintable(f->FieldName));
            QCOMPARE(f->AsFloat(), 0.0);
        }
        QCOMPARE(vd->OrdersTaxTotal->AsFloat(), 0.0);
        QCOMPARE(vd->OrdersAmountDue->AsFloat(), 0.0);
        QCOMPARE(vd->OrdersSalesPerson->AsString(), QString());
        vd->OrdersEmpNo->SetAsInteger(kEmp);
        QCOMPARE(vd->OrdersSalesPerson->AsString(), QString("Lowe, Ada"));
        // A cancelled order keeps its number used up.
        vd->Orders->Cancel();
        QCOMPARE(NextOrdStored(), next + 1);
        vd->Orders->Insert();
        QCOMPARE(vd->OrdersOrderNo->AsFloat(), next + 1);
        QVERIFY(user.Recorder.Requests.empty());
    }

    void aHeldCounterCreatesNoOrderAndTakesNoNumber()
    {
        const double next = NextOrdStored();
        TDatabase other;
        store->Open(other);
        TTable held;
        held.SetDatabase(&other);
        held.TableName = "NEXTORD";
        held.Exclusive = true;
        held.Open();
        try {
            vd->Orders->Insert();
            QFAIL("took a number from a held table");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message), QString("Table NEXTORD is in use by another user."));
        }
        QCOMPARE(vd->Orders->State(), dsBrowse);
        QVERIFY(!vd->NextOrd->Active());
        held.Close();
        QCOMPARE(NextOrdStored(), next);
        vd->Orders->Insert();
        QCOMPARE(vd->OrdersOrderNo->AsFloat(), next);
        vd->Orders->Cancel();
        QCOMPARE(NextOrdStored(), next + 1);
    }

    void aNewCustomerIsNumberedAnEditedOneIsNot()
    {
        const double next = store->Number("SELECT NewCust FROM NEXTCUST");
        vd->Cust->Insert();
        vd->CustCompany->SetAsString("Fresh Water Gear");
        vd->Cust->Post();
        QCOMPARE(vd->CustCustNo->AsFloat(), next);
        QCOMPARE(store->Number("SELECT NewCust FROM NEXTCUST"), next + 1);
        QVERIFY(vd->Cust->Locate("CustNo", kCustOther));
        vd->Cust->Edit();
        vd->CustPhone->SetAsString("555-0100");
        vd->Cust->Post();
        QCOMPARE(vd->CustCustNo->AsFloat(), kCustOther);
        QCOMPARE(store->Number("SELECT NewCust FROM NEXTCUST"), next + 1);
    }

    void aCustomerWithoutCompanyTakesNoNumber()
    {
        const double next = store->Number("SELECT NewCust FROM NEXTCUST");
        vd->Cust->Insert();
        try {
            vd->Cust->Post();
            QFAIL("posted a customer without a company");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message), QString("Field 'Company' must have a value"));
        }
        QCOMPARE(vd->Cust->State(), dsInsert);
        QCOMPARE(store->Number("SELECT NewCust FROM NEXTCUST"), next);
    }

    void aCustomerWithAnEmptyCompanyTakesNoNumber()
    {
        const double next = store->Number("SELECT NewCust FROM NEXTCUST");
        const double customers = store->Number("SELECT COUNT(*) FROM CUSTOMER");
        vd->Cust->Insert();
        vd->CustCompany->SetAsString("");
        vd->CustPhone->SetAsString("555-0199");
        try {
            vd->Cust->Post();
            QFAIL("posted a customer with an empty company");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message), QString("Field 'Company' must have a value"));
        }
        QCOMPARE(vd->Cust->State(), dsInsert);
        QVERIFY(vd->CustCustNo->IsNull());
        QCOMPARE(store->Number("SELECT NewCust FROM NEXTCUST"), next);
        // Named after all, it is numbered and stored.
        vd->CustCompany->SetAsString("Blank Reef Ltd");
        vd->Cust->Post();
        QCOMPARE(vd->CustCustNo->AsFloat(), next);
        vd->Cust->ApplyUpdates();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM CUSTOMER"), customers + 1);
        QCOMPARE(store->Value("SELECT Company FROM CUSTOMER WHERE CustNo = ?", {next}).toString(), QString("Blank Reef Ltd"));
    }

    void linesAreNumberedInPostingOrderAndRenumberedOnEdit()
    {
        NewOrder();
        AddLine(kPartA, 1);
        AddLine(kPartB, 1);
        AddLine(kPartA, 2);
        QCOMPARE(ItemNos(), (QList<double>{1, 2, 3}));
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        vd->Orders->Post();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 3.0);

        // Editing line 1 of a stored order gives it the number after the highest stored.
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        vd->Items->First();
        QCOMPARE(vd->ItemsItemNo->AsFloat(), 1.0);
        vd->Items->Edit();
        QCOMPARE(vd->Orders->State(), dsEdit);
        vd->ItemsQty->SetAsInteger(4);
        vd->Items->Post();
        QCOMPARE(ItemNos(), (QList<double>{2, 3, 4}));
        // A new line of the same edit continues from there.
        AddLine(kPartB, 1);
        QCOMPARE(ItemNos(), (QList<double>{2, 3, 4, 5}));
        vd->Orders->Post();
        QCOMPARE(store->Number("SELECT MAX(ItemNo) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 5.0);
        QCOMPARE(store->Number("SELECT Qty FROM ITEMS WHERE OrderNo = ? AND ItemNo = 4", {orderNo}), 4.0);
    }

    void aStartedOrderAsksBeforeANewOne()
    {
        TMessageRecorder user({mrNo, mrYes});
        NewOrder();
        const double first = vd->OrdersOrderNo->AsFloat();
        QVERIFY_THROWS_EXCEPTION(EAbort, vd->OrdersBeforeInsert(vd->Orders));
        QCOMPARE(vd->Orders->State(), dsInsert);
        vd->OrdersBeforeInsert(vd->Orders);
        QCOMPARE(user.Requests.size(), size_t(2));
        QCOMPARE(user.Requests[0].Text, QString("An order is being processed.  Save changes and start a new one?"));
        QCOMPARE(user.Requests[0].Buttons, mbYesNoCancel);
        QCOMPARE(user.Requests[0].Type, mtConfirmation);
        QCOMPARE(vd->Orders->State(), dsBrowse);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {first}), 1.0);
    }

    void insertingAnotherOrderAsksBeforeFinishingTheOneInProgress()
    {
        NewOrder();
        const double first = vd->OrdersOrderNo->AsFloat();
        const double next = NextOrdStored();
        {
            TMessageRecorder user({mrNo});
            QVERIFY_THROWS_EXCEPTION(EAbort, vd->Orders->Insert());
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, QString("An order is being processed.  Save changes and start a new one?"));
        }
        // Refused: the order stays as it was, unposted, and no number is taken.
        QCOMPARE(vd->Orders->State(), dsInsert);
        QCOMPARE(vd->OrdersOrderNo->AsFloat(), first);
        QCOMPARE(NextOrdStored(), next);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {first}), 0.0);
        {
            TMessageRecorder user({mrYes});
            vd->Orders->Insert();
            QCOMPARE(user.Requests.size(), size_t(1));
        }
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {first}), 1.0);
        QCOMPARE(vd->Orders->State(), dsInsert);
        QCOMPARE(vd->OrdersOrderNo->AsFloat(), next);
    }

    // ---- totals and arithmetic ----

    void extendedPricesAddUpToTheItemsTotal()
    {
        NewOrder();
        AddLine(kPartA, 3, 10);
        QCOMPARE(vd->ItemsSellPrice->AsFloat(), 10.0);
        QCOMPARE(vd->ItemsDescription->AsString(), QString("Test regulator"));
        QCOMPARE(vd->ItemsExtPrice->AsFloat(), 27.0);
        QCOMPARE(vd->OrdersItemsTotal->AsFloat(), 27.0);
        AddLine(kPartB, 2, 50);
        QCOMPARE(vd->ItemsExtPrice->AsFloat(), 4.5);
        QCOMPARE(vd->OrdersItemsTotal->AsFloat(), 31.5);
        // The remembered line is current again after the walk.
        QCOMPARE(vd->ItemsPartNo->AsFloat(), kPartB);
        vd->Items->First();
        vd->Items->Delete();
        QCOMPARE(vd->OrdersItemsTotal->AsFloat(), 4.5);
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        vd->Orders->Post();
        QCOMPARE(store->Number("SELECT ItemsTotal FROM ORDERS WHERE OrderNo = ?", {orderNo}), 4.5);
    }

    void taxTotalAndAmountDue()
    {
        NewOrder();
        vd->OrdersItemsTotal->SetAsFloat(100);
        vd->OrdersTaxRate->SetAsFloat(8.25);
        vd->OrdersFreight->SetAsFloat(10);
        vd->OrdersAmountPaid->SetAsFloat(50);
        QCOMPARE(vd->OrdersTaxTotal->AsFloat(), 8.25);
        QCOMPARE(vd->OrdersAmountDue->AsFloat(), 68.25);
        QCOMPARE(vd->OrdersTaxRate->DisplayText(), QString("8.25%"));
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        vd->Orders->Post();
        // The customer's orders compute the same amount in one chain.
        QVERIFY(vd->Cust->Locate("CustNo", kCustTaxed));
        QVERIFY(vd->OrdByCust->Locate("OrderNo", orderNo));
        QCOMPARE(vd->OrdByCustAmountDue->AsFloat(), 68.25);
        // Money is not rounded to cents.
        vd->Orders->Edit();
        vd->OrdersItemsTotal->SetAsFloat(10.125);
        vd->OrdersTaxRate->SetAsFloat(0);
        vd->OrdersFreight->SetAsFloat(0);
        vd->OrdersAmountPaid->SetAsFloat(0);
        QCOMPARE(vd->OrdersAmountDue->AsFloat(), 10.125);
    }

    void taxRatesShowAsStoredPercentages()
    {
        const double orderNo = store->Number("SELECT MIN(OrderNo) FROM ORDERS");
        store->Exec("UPDATE ORDERS SET TaxRate = -8.25 WHERE OrderNo = ?", {orderNo});
        vd->Orders->Refresh();
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        QCOMPARE(vd->OrdersTaxRate->DisplayText(), QString("(8.25%)"));
        store->Exec("UPDATE ORDERS SET TaxRate = 0 WHERE OrderNo = ?", {orderNo});
        vd->Orders->Refresh();
        QCOMPARE(vd->OrdersTaxRate->DisplayText(), QString("0%"));
    }

    void backOrderedPartsAndFullNames()
    {
        QVERIFY(vd->Parts->Locate("PartNo", kPartA));
        QCOMPARE(vd->PartsBackOrd->DisplayText(), QString("No"));
        store->Exec("UPDATE PARTS SET OnOrder = 30 WHERE PartNo = ?", {kPartA});
        vd->Parts->Refresh();
        QCOMPARE(vd->PartsBackOrd->DisplayText(), QString("Yes"));
        vd->PartsQuery->Open();
        int seen = 0;
        bool sawA = false;
        for (vd->PartsQuery->First(); !vd->PartsQuery->Eof(); vd->PartsQuery->Next()) {
            QCOMPARE(vd->PartsQueryBackOrd->DisplayText(), QString("Yes"));
            sawA = sawA || vd->PartsQueryPartNo->AsFloat() == kPartA;
            ++seen;
        }
        QVERIFY(sawA);
        QCOMPARE(double(seen), store->Number("SELECT COUNT(*) FROM PARTS WHERE OnOrder > OnHand"));
        QVERIFY(vd->Emps->Locate("EmpNo", kEmp));
        QCOMPARE(vd->EmpsFullName->AsString(), QString("Lowe, Ada"));
    }

    // ---- on-order quantities ----

    void postedLinesKeepOnOrderInStep()
    {
        QuietUser user;
        const double a0 = OnOrder(kPartA), b0 = OnOrder(kPartB);
        NewOrder();
        AddLine(kPartA, 5);
        QCOMPARE(OnOrder(kPartA), a0 + 5);
        vd->Items->Edit();
        vd->ItemsQty->SetAsInteger(3);
        vd->Items->Post();
        QCOMPARE(OnOrder(kPartA), a0 + 3);
        vd->Items->Edit();
        vd->ItemsPartNo->SetAsFloat(kPartB);
        vd->Items->Post();
        QCOMPARE(OnOrder(kPartA), a0);
        QCOMPARE(OnOrder(kPartB), b0 + 3);
        // Posting a line unchanged changes nothing.
        vd->Items->Edit();
        vd->Items->Post();
        QCOMPARE(OnOrder(kPartA), a0);
        QCOMPARE(OnOrder(kPartB), b0 + 3);
        QCOMPARE(StoredOnOrder(kPartB), b0);
        vd->Orders->Post();
        QCOMPARE(StoredOnOrder(kPartA), a0);
        QCOMPARE(StoredOnOrder(kPartB), b0 + 3);
        // Deleting a line leaves OnOrder alone.
        vd->Items->First();
        vd->Items->Delete();
        vd->Orders->Post();
        QCOMPARE(StoredOnOrder(kPartB), b0 + 3);
        QVERIFY(user.Recorder.Requests.empty());
    }

    void aFailedOnOrderUpdateIsReportedAndProcessingGoesOn()
    {
        TMessageRecorder user;
        vd->AdjustOnOrder(5, 123456);
        QCOMPARE(user.Requests.size(), size_t(1));
        QCOMPARE(user.Requests[0].Text, QString("Error updating parts table for PartNo: 123456"));
        QCOMPARE(vd->Parts->State(), dsBrowse);
        // Nothing to do for no part or no quantity, and nothing to report.
        vd->AdjustOnOrder(0, kPartA);
        vd->AdjustOnOrder(5, 0);
        QCOMPARE(user.Requests.size(), size_t(1));
        QVERIFY(!vd->Parts->UpdatesPending());
    }

    // ---- last invoice date ----

    void postingStampsALaterShipDateOnTheCustomer()
    {
        QuietUser user;
        const TDateTime last = EncodeDate(2020, 3, 1);
        auto stored = [&](double custNo) {
            return FromStorage(store->Value("SELECT LastInvoiceDate FROM CUSTOMER WHERE CustNo = ?", {custNo}), ftDateTime);
        };
        StoredOrder({}); // no ship date
        QCOMPARE(stored(kCustTaxed).toDouble(), last);
        NewOrder();
        vd->OrdersShipDate->SetAsDateTime(last);
        vd->Orders->Post();
        QCOMPARE(stored(kCustTaxed).toDouble(), last);
        NewOrder();
        vd->OrdersShipDate->SetAsDateTime(last - 30);
        vd->Orders->Post();
        QCOMPARE(stored(kCustTaxed).toDouble(), last);
        NewOrder();
        vd->OrdersShipDate->SetAsDateTime(last + 1.5);
        vd->Orders->Post();
        QCOMPARE(stored(kCustTaxed).toDouble(), last + 1.5);
        QVERIFY(!vd->Cust->UpdatesPending());
        // A customer who never had an invoice takes any ship date.
        QVERIFY(stored(kCustBare).isNull());
        NewOrder(kCustBare);
        vd->OrdersShipDate->SetAsDateTime(EncodeDate(1999, 1, 1));
        vd->Orders->Post();
        QCOMPARE(stored(kCustBare).toDouble(), EncodeDate(1999, 1, 1));
    }

    // ---- customer change ----

    void anotherCustomerClearsShipToAndTakesItsTaxRate()
    {
        NewOrder(kCustOther);
        QCOMPARE(vd->OrdersTaxRate->AsFloat(), 5.0);
        for (TField* f : std::initializer_list<TField*>{vd->OrdersShipToContact, vd->OrdersShipToPhone, vd->OrdersShipToAddr1, vd->OrdersShipToAddr2,
                          vd->OrdersShipToCity, vd->OrdersShipToState, vd->OrdersShipToZip, vd->OrdersShipToCountry})
            f->SetAsString("x");
        vd->OrdersShipVIA->SetAsString("FedEx");
        vd->OrdersPO->SetAsString("PO-7");
        vd->OrdersCustNo->SetAsFloat(kCustTaxed);
        for (TField* f : std::initializer_list<TField*>{vd->OrdersShipToContact, vd->OrdersShipToPhone, vd->OrdersShipToAddr1, vd->OrdersShipToAddr2,
                          vd->OrdersShipToCity, vd->OrdersShipToState, vd->OrdersShipToZip, vd->OrdersShipToCountry})
            QVERIFY2(f->AsString().isEmpty(), qPrintable(f->FieldName));
        QCOMPARE(vd->OrdersShipVIA->AsString(), QString("FedEx"));
        QCOMPARE(vd->OrdersPO->AsString(), QString("PO-7"));
        QCOMPARE(vd->OrdersTaxRate->AsFloat(), 8.25);
        QCOMPARE(vd->CustByOrdCompany->AsString(), QString("Taxed Dive Shop"));
        // Cust did not move.
        const double custBefore = vd->CustCustNo->AsFloat();
        vd->OrdersCustNo->SetAsFloat(kCustBare);
        QCOMPARE(vd->OrdersTaxRate->AsFloat(), 8.25);
        QCOMPARE(vd->CustByOrdCompany->AsString(), QString("Bare Reef Supply"));
        QCOMPARE(vd->CustCustNo->AsFloat(), custBefore);
    }

    // ---- validations ----

    void badValuesAreRefusedAndTheOldValueStays()
    {
        NewOrder();
        auto refused = [](const std::function<void()>& assign, const QString& message) {
            try {
                assign();
            } catch (const Exception& e) {
                QCOMPARE(QString::fromStdString(e.Message), message);
                return;
            }
            QFAIL(qPrintable("accepted: " + message));
        };
        vd->OrdersSaleDate->SetAsDateTime(Date() + 0.9999);
        vd->OrdersSaleDate->SetAsDateTime(Date() - 3);
        refused([&] { vd->OrdersSaleDate->SetAsDateTime(Date() + 1); }, "Cannot enter a future date");
        QCOMPARE(vd->OrdersSaleDate->AsDateTime(), Date() - 3);
        vd->OrdersFreight->SetAsFloat(0);
        vd->OrdersFreight->SetAsFloat(12.5);
        refused([&] { vd->OrdersFreight->SetAsFloat(-0.01); }, "Freight cannot be less than zero");
        QCOMPARE(vd->OrdersFreight->AsFloat(), 12.5);
        vd->OrdersTaxRate->SetAsFloat(100);
        refused([&] { vd->OrdersTaxRate->SetAsFloat(100.01); },
                "100.01 is not a valid value for field 'TaxRate'. The allowed range is 0 to 100");
        refused([&] { vd->OrdersTaxRate->SetAsFloat(-0.01); },
                "-0.01 is not a valid value for field 'TaxRate'. The allowed range is 0 to 100");
        QCOMPARE(vd->OrdersTaxRate->AsFloat(), 100.0);

        vd->Items->Append();
        vd->ItemsQty->SetAsInteger(1);
        refused([&] { vd->ItemsQty->SetAsInteger(0); }, "Must specify quantity");
        QCOMPARE(vd->ItemsQty->AsInteger(), 1);
        refused([&] { vd->ItemsPartNo->SetAsFloat(123456); }, "You must specify a valid PartNo");
        QVERIFY(vd->ItemsPartNo->IsNull());
        vd->ItemsPartNo->SetAsFloat(kPartB);
        QCOMPARE(vd->PartsPartNo->AsFloat(), kPartB); // validating moved Parts to the part
        refused([&] { vd->ItemsPartNo->Clear(); }, "You must specify a valid PartNo");
        vd->ItemsDiscount->SetAsFloat(0);
        refused([&] { vd->ItemsDiscount->SetAsFloat(100.5); },
                "100.5 is not a valid value for field 'Discount'. The allowed range is 0 to 100");
        vd->Items->Post();
    }

    void requiredFieldsStopThePost()
    {
        vd->Orders->Insert();
        vd->OrdersEmpNo->SetAsInteger(kEmp);
        try {
            vd->Orders->Post();
            QFAIL("posted an order without a customer");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message), QString("Field 'CustNo' must have a value"));
        }
        QCOMPARE(vd->Orders->State(), dsInsert);
    }

    // ---- delete and cancel ----

    void cancellingANewOrderAsksOnlyWhenItHasLines()
    {
        {
            TMessageRecorder user;
            NewOrder();
            vd->Orders->Cancel();
            QVERIFY(user.Requests.empty());
            QCOMPARE(vd->Orders->State(), dsBrowse);
        }
        const double a0 = OnOrder(kPartA);
        NewOrder();
        AddLine(kPartA, 2);
        {
            TMessageRecorder user({mrNo});
            QVERIFY_THROWS_EXCEPTION(EAbort, vd->Orders->Cancel());
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, QString("Cancel order being inserted and delete all line items?"));
            QCOMPARE(user.Requests[0].Buttons, mbYesNoCancel);
            QCOMPARE(vd->Orders->State(), dsInsert);
            QVERIFY(!vd->Items->IsEmpty());
        }
        {
            TMessageRecorder user({mrYes});
            vd->Orders->Cancel();
            QCOMPARE(user.Requests.size(), size_t(1));
        }
        QCOMPARE(vd->Orders->State(), dsBrowse);
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Items, vd->Parts, vd->Cust})
            QVERIFY2(!ds->UpdatesPending(), qPrintable(ds->objectName()));
        QCOMPARE(OnOrder(kPartA), a0);
    }

    void cancellingAnEditOfAStoredOrderWithLinesAsksNothing()
    {
        double orderNo;
        {
            QuietUser quiet;
            orderNo = StoredOrder({{kPartA, 2}, {kPartB, 1}});
        }
        const double a = StoredOnOrder(kPartA);
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        QVERIFY(!vd->Items->IsEmpty());
        TMessageRecorder user({}, mrYes); // so that a wrong question still lets the cancel go on
        vd->Orders->Edit();
        vd->OrdersFreight->SetAsFloat(7);
        vd->Orders->Cancel();
        QVERIFY(user.Requests.empty());
        QCOMPARE(vd->Orders->State(), dsBrowse);
        QCOMPARE(vd->OrdersFreight->AsFloat(), 0.0);
        // A changed line puts the order in edit too; cancelling drops the line's change
        // and its on-order adjustment, without a question.
        vd->Items->First();
        vd->Items->Edit();
        vd->ItemsQty->SetAsInteger(9);
        vd->Items->Post();
        QCOMPARE(vd->Orders->State(), dsEdit);
        QCOMPARE(OnOrder(kPartA), a + 7);
        vd->Orders->Cancel();
        QVERIFY(user.Requests.empty());
        QCOMPARE(vd->Orders->State(), dsBrowse);
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Items, vd->Parts, vd->Cust})
            QVERIFY2(!ds->UpdatesPending(), qPrintable(ds->objectName()));
        QCOMPARE(OnOrder(kPartA), a);
        QCOMPARE(store->Number("SELECT SUM(Qty) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 3.0);
        QCOMPARE(StoredOnOrder(kPartA), a);
    }

    void cancelEditsDiscardsEverythingWithoutAsking()
    {
        TMessageRecorder user;
        const double a0 = OnOrder(kPartA);
        // An unapplied customer edit made elsewhere goes too.
        QVERIFY(vd->Cust->Locate("CustNo", kCustOther));
        vd->Cust->Edit();
        vd->CustPhone->SetAsString("555-0199");
        vd->Cust->Post();
        NewOrder();
        AddLine(kPartA, 2);
        AddLine(kPartB, 1);
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        vd->OrdersAfterCancel(vd->Orders);
        QVERIFY(user.Requests.empty());
        QCOMPARE(vd->Orders->State(), dsBrowse);
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Items, vd->Parts, vd->Cust})
            QVERIFY2(!ds->UpdatesPending(), qPrintable(ds->objectName()));
        QCOMPARE(OnOrder(kPartA), a0);
        QVERIFY(vd->Cust->Locate("CustNo", kCustOther));
        QCOMPARE(vd->CustPhone->AsString(), store->Value("SELECT Phone FROM CUSTOMER WHERE CustNo = 9003").toString());
        QVERIFY(!vd->Orders->Locate("OrderNo", orderNo));
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {orderNo}), 0.0);
    }

    void deletingAnOrderAsksOnceAndRemovesItsLines()
    {
        QuietUser quiet;
        const double orderNo = StoredOrder({{kPartA, 2}, {kPartB, 1}, {kPartA, 1}});
        const double other = StoredOrder({{kPartB, 4}});
        const double a = StoredOnOrder(kPartA);
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        {
            TMessageRecorder user({mrNo});
            QVERIFY_THROWS_EXCEPTION(EAbort, vd->Orders->Delete());
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, QString("Delete order and line items?"));
            QCOMPARE(user.Requests[0].Buttons, mbYesNoCancel);
        }
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 3.0);
        {
            TMessageRecorder user({mrYes});
            vd->Orders->Delete();
            QCOMPARE(user.Requests.size(), size_t(1));
        }
        QCOMPARE(vd->Orders->State(), dsBrowse);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {orderNo}), 0.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 0.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {other}), 1.0);
        QCOMPARE(StoredOnOrder(kPartA), a);
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Items, vd->Parts, vd->Cust})
            QVERIFY2(!ds->UpdatesPending(), qPrintable(ds->objectName()));
    }

    void aLineStillBeingEnteredIsPostedWithTheOrder()
    {
        NewOrder();
        AddLine(kPartA, 1);
        vd->Items->Append();
        vd->ItemsPartNo->SetAsFloat(kPartB);
        vd->ItemsQty->SetAsInteger(2);
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        vd->Orders->Post();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 2.0);
        QCOMPARE(store->Number("SELECT ItemsTotal FROM ORDERS WHERE OrderNo = ?", {orderNo}), 19.0);
    }

    // ---- closing with pending edits ----

    void nothingPendingClosesWithoutAQuestion()
    {
        TMessageRecorder user;
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Cust, vd->Parts}) {
            QVERIFY(vd->ResolvePendingEdits(ds, true));
            QVERIFY(vd->ResolvePendingEdits(ds, false));
        }
        QVERIFY(user.Requests.empty());
    }

    void pendingEditsAreWrittenOrDiscardedOnRequest()
    {
        auto editPhone = [&](const QString& phone) {
            QVERIFY(vd->Cust->Locate("CustNo", kCustOther));
            vd->Cust->Edit();
            vd->CustPhone->SetAsString(phone);
            vd->Cust->Post();
        };
        auto storedPhone = [&] { return store->Value("SELECT Phone FROM CUSTOMER WHERE CustNo = 9003").toString(); };
        editPhone("555-0101");
        {
            TMessageRecorder user({mrCancel});
            QVERIFY(!vd->ResolvePendingEdits(vd->Cust, false));
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, QString("Unsaved changes, exit anyway?"));
            QCOMPARE(user.Requests[0].Buttons, (TMsgDlgButtons{mbYes, mbCancel}));
            QVERIFY(vd->Cust->UpdatesPending());
        }
        {
            TMessageRecorder user({mrYes});
            QVERIFY(vd->ResolvePendingEdits(vd->Cust, false));
            QVERIFY(!vd->Cust->UpdatesPending());
            QVERIFY(storedPhone() != "555-0101");
        }
        editPhone("555-0102");
        {
            TMessageRecorder user;
            // An edit still open counts as pending, and is posted before the apply.
            vd->Cust->Edit();
            vd->CustContact->SetAsString("Meg");
            QVERIFY(vd->ResolvePendingEdits(vd->Cust, true));
            QVERIFY(user.Requests.empty());
        }
        QCOMPARE(storedPhone(), QString("555-0102"));
        QCOMPARE(store->Value("SELECT Contact FROM CUSTOMER WHERE CustNo = 9003").toString(), QString("Meg"));
        QVERIFY(!vd->Cust->UpdatesPending());
    }

    // ---- failed applies ----

    void aFailedApplyRollsBackAndKeepsTheCaches()
    {
        QuietUser quiet;
        const double a0 = StoredOnOrder(kPartA);
        NewOrder();
        AddLine(kPartA, 2);
        vd->OrdersShipDate->SetAsDateTime(EncodeDate(2021, 6, 1));
        const double orderNo = vd->OrdersOrderNo->AsFloat();
        // Another program stored an order under the same number meanwhile.
        store->Exec("INSERT INTO ORDERS (OrderNo, CustNo, EmpNo) VALUES (?, 9002, 9001)", {orderNo});
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, vd->Orders->Post());
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 0.0);
        QCOMPARE(StoredOnOrder(kPartA), a0);
        QCOMPARE(store->Value("SELECT CustNo FROM ORDERS WHERE OrderNo = ?", {orderNo}).toDouble(), kCustBare);
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Items, vd->Parts, vd->Cust})
            QVERIFY2(ds->UpdatesPending(), qPrintable(ds->objectName()));
        QCOMPARE(OnOrder(kPartA), a0 + 2);
        // Once the obstacle is gone the same caches apply.
        store->Exec("DELETE FROM ORDERS WHERE OrderNo = ?", {orderNo});
        QVERIFY(vd->ResolvePendingEdits(vd->Orders, true));
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 1.0);
        QCOMPARE(StoredOnOrder(kPartA), a0 + 2);
    }

    void aPartThatCannotBeWrittenIsSkippedOrAbandoned()
    {
        QVERIFY(vd->Parts->Locate("PartNo", kPartA));
        vd->Parts->Edit();
        vd->PartsOnHand->SetAsFloat(77);
        vd->Parts->Post();
        QVERIFY(vd->Parts->Locate("PartNo", kPartB));
        vd->Parts->Edit();
        vd->PartsOnHand->SetAsFloat(88);
        vd->Parts->Post();
        store->Exec("DELETE FROM PARTS WHERE PartNo = ?", {kPartA});
        const QString question = "Record changed by another user.\r\n"
                                 "Discard the edits to PartNo 9001 and continue updating?";
        {
            TMessageRecorder user({mrCancel});
            QVERIFY_THROWS_EXCEPTION(EAbort, vd->ResolvePendingEdits(vd->Parts, true));
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, question);
            QCOMPARE(user.Requests[0].Buttons, (TMsgDlgButtons{mbYes, mbCancel}));
            QCOMPARE(user.Requests[0].Type, mtConfirmation);
        }
        QVERIFY(vd->Parts->UpdatesPending());
        QCOMPARE(store->Number("SELECT OnHand FROM PARTS WHERE PartNo = ?", {kPartB}), 5.0);
        {
            TMessageRecorder user({mrYes});
            QVERIFY(vd->ResolvePendingEdits(vd->Parts, true));
            QCOMPARE(user.Requests.size(), size_t(1));
        }
        QCOMPARE(store->Number("SELECT OnHand FROM PARTS WHERE PartNo = ?", {kPartB}), 88.0);
        QVERIFY(!vd->Parts->UpdatesPending());
    }

    // ---- the server's login, and switching storage ----

    void aLoginInTheServerAliasWinsOverTheBuiltInOne()
    {
        if (!kFirebird)
            QSKIP("local data has no login");
        QVERIFY(vd->Database->IsSQLBased()); // the store's alias holds the server's login
        const QString aliases = QString("[RIGHT]\nDRIVER=INTRBASE\nSERVER NAME=%1\nPASSWORD=%2\n"
                                        "[WRONG]\nDRIVER=INTRBASE\nSERVER NAME=%1\nPASSWORD=not-the-password\n")
                                    .arg(store->ServerName, TestServerPassword());
        store->WriteConfig(aliases);
        vd->Database->Params = QStringList{"USER NAME=sysdba", "PASSWORD=not-the-password"};
        vd->SwitchAlias("RIGHT");
        QVERIFY(vd->Database->Connected());
        vd->Database->Params = QStringList{"USER NAME=sysdba", "PASSWORD=" + TestServerPassword()};
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, vd->SwitchAlias("WRONG"));
        QVERIFY(!vd->Database->Connected());
    }

    void switchingBetweenLocalDataAndTheServer()
    {
        if (!kFirebird)
            QSKIP("needs a server database beside the local tables");
        // Local tables beside the server file in the same data folder.
        vd.reset();
        vorndata::BuildOptions options;
        options.orders = 3;
        vorndata::BuildLocal(store->DataFolder, options);
        store->WriteConfig("[DBDEMOS]\nDRIVER=PARADOX\nPATH=" + store->DataFolder + "\n");
        vd = std::make_unique<TVornData>();
        QVERIFY(!vd->Database->IsSQLBased());
        QVERIFY(!Session.IsAlias("DEZAZAV"));
        // The alias the data module adds names the file on this machine's server, where the
        // built-in login applies; stand the tests' server and its password in for them.
        QCOMPARE(vd->Database->Params, (QStringList{"USER NAME=sysdba", "PASSWORD=keelboard"}));
        TTestServerAsLocal testServer;
        vd->Database->Params = QStringList{"USER NAME=sysdba", "PASSWORD=" + TestServerPassword()};

        vd->OpenRemoteData();
        QVERIFY(vd->Database->Connected());
        QVERIFY(vd->Database->IsSQLBased());
        QCOMPARE(vd->Database->AliasName, QString("DEZAZAV"));
        QCOMPARE(ParamValue(Session.GetAliasParams("DEZAZAV"), "SERVER NAME"), vd->DataFolder() + "DEZAZAV.GDB");
        QCOMPARE(ParamValue(Session.GetAliasParams("DEZAZAV"), "USER NAME"), QString("SYSDBA"));
        for (TDataSet* ds : std::initializer_list<TDataSet*>{vd->Orders, vd->Parts, vd->Cust, vd->CustByLastInvQuery})
            QVERIFY2(!ds->Active(), qPrintable(ds->objectName()));
        vd->Orders->Open();
        QVERIFY(vd->Cust->Locate("CustNo", kCustTaxed)); // a row only the server holds

        vd->OpenLocalData();
        QVERIFY(!vd->Database->IsSQLBased());
        vd->Cust->Open();
        QVERIFY(!vd->Cust->Locate("CustNo", kCustTaxed));

        // The alias is kept for the run: the second time the file is not looked for.
        AppFolder = "/nonexistent/a/b/";
        vd->OpenRemoteData();
        QVERIFY(vd->Database->IsSQLBased());
        vd->Cust->Open();
        QVERIFY(vd->Cust->Locate("CustNo", kCustTaxed));
    }
};

QTEST_MAIN(DataModRulesTest)
#include "datamod_rules_test.moc"
