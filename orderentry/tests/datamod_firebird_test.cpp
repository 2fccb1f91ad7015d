// The data module on the Firebird server: an order's life (new with lines, post,
// edit, cancel, delete), the held counter table, and switching between local data and
// the server database found in the data folder.
#include "orderentry/tests/datamod_fixture.h"

#include "platform/data/table.h"

#include <memory>

class DataModFirebirdTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DataModStore> store;
    std::unique_ptr<TVornData> vd;
    std::string savedAppFolder;

    void AddLine(double partNo, int qty, double discount = 0)
    {
        vd->Items->Append();
        vd->ItemsPartNo->SetAsFloat(partNo);
        vd->ItemsQty->SetAsInteger(qty);
        vd->ItemsDiscount->SetAsFloat(discount);
        vd->Items->Post();
    }
    double Count(const QString& table, double orderNo)
    {
        return store->Number("SELECT COUNT(*) FROM " + table + " WHERE OrderNo = ?", {orderNo});
    }

private slots:
    void init()
    {
        REQUIRE_TEST_SERVER();
        savedAppFolder = AppFolder;
        store = std::make_unique<DataModStore>(true);
        AppFolder = store->AppDir.toStdString();
    }
    void cleanup()
    {
        vd.reset();
        store.reset();
        AppFolder = savedAppFolder;
    }

    void anOrderFromEntryToDeletion()
    {
        vd = std::make_unique<TVornData>();
        QVERIFY(vd->Database->IsSQLBased());
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

    void aHeldCounterRefusesANewOrderAtOnce()
    {
        vd = std::make_unique<TVornData>();
        const double next = store->Number("SELECT NewKey FROM NEXTORD");
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
            QVERIFY2(QString::fromStdString(e.Message).contains("in use"), e.what());
        }
        QCOMPARE(vd->Orders->State(), dsBrowse);
        held.Close();
        vd->Orders->Insert();
        QCOMPARE(vd->OrdersOrderNo->AsFloat(), next);
        vd->Orders->Cancel();
        QCOMPARE(store->Number("SELECT NewKey FROM NEXTORD"), next + 1);
    }

    void aLoginInTheServerAliasWinsOverTheBuiltInOne()
    {
        vd = std::make_unique<TVornData>(); // the fixture's alias holds the server's login
        QVERIFY(vd->Database->IsSQLBased());
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
        // Local tables beside the server file in the same data folder.
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

QTEST_MAIN(DataModFirebirdTest)
#include "datamod_firebird_test.moc"
