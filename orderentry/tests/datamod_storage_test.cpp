// The data module's connection and datasets on local data: what opens at creation,
// the cascades, the links, the queries, the data folder and switching storage with
// its two errors.
#include "orderentry/tests/datamod_fixture.h"

#include <QApplication>
#include <QCursor>

#include <memory>

class DataModStorageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> store;
    std::unique_ptr<TVornData> vd;

    QList<TDataSet*> AllDataSets() const
    {
        return {vd->NextCust, vd->Parts, vd->PartsQuery, vd->Vendors, vd->Orders, vd->CustByOrd, vd->Items,
                vd->NextOrd, vd->Emps, vd->LastItemQuery, vd->Cust, vd->CustQuery, vd->OrdByCust,
                vd->CustByComp, vd->CustByLastInvQuery, vd->OrdersByDateQuery};
    }
    QStringList ActiveNames() const
    {
        QStringList names;
        for (TDataSet* ds : AllDataSets())
            if (ds->Active())
                names << ds->objectName();
        return names;
    }
    // Every answer is refused: switching storage must never ask.
    void ExpectError(const std::function<void()>& action, const QString& message)
    {
        try {
            action();
        } catch (const Exception& e) {
            QCOMPARE(QString::fromStdString(e.Message), message);
            return;
        }
        QFAIL(qPrintable("no error: " + message));
    }

private slots:
    void init()
    {
        store = std::make_unique<TScratchStore>(false);
        LayOrderData(*store);
        vd = std::make_unique<TVornData>();
    }
    void cleanup()
    {
        vd.reset();
        store.reset();
    }

    void creationConnectsAndOpensTheStartingDataSets()
    {
        QCOMPARE(VornData, vd.get());
        QVERIFY(vd->Database->Connected());
        QCOMPARE(ActiveNames(), (QStringList{"Parts", "Vendors", "Orders", "CustByOrd", "Items", "Emps", "Cust",
                                             "OrdByCust", "CustByComp", "CustByLastInvQuery"}));
        // Datasets without fields of their own show every column of their table.
        QVERIFY(vd->Vendors->FindField("VendorName"));
        QVERIFY(vd->CustByComp->FindField("Contact"));
        QCOMPARE(vd->Orders->FieldCount(), 24);
        QCOMPARE(vd->OrdersByDateQuery->FieldCount(), 22);
        // Only one module is the program's.
        TVornData second;
        QCOMPARE(VornData, vd.get());
        vd.reset();
        QCOMPARE(VornData, nullptr);
    }

    void aConnectionThatCannotOpenEndsCreation()
    {
        vd.reset();
        store->WriteConfig("[DBDEMOS]\nDRIVER=PARADOX\nPATH=" + store->Root + "/nowhere\n");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, CreateVornData());
        QCOMPARE(VornData, nullptr);
    }

    void aMistypedDriverEndsCreationNamingIt()
    {
        vd.reset();
        store->WriteConfig("[DBDEMOS]\nDRIVER=PARDOX\nPATH=" + store->DataFolder + "\n");
        ExpectError([] { std::unique_ptr<TVornData> created(CreateVornData()); },
                    "Cannot open alias DBDEMOS: unknown driver PARDOX (the drivers are PARADOX and INTRBASE)");
        QCOMPARE(VornData, nullptr);
    }

    void theDataFolderLiesTwoLevelsAboveTheProgram()
    {
        AppFolder = "/A/B/C/";
        QCOMPARE(vd->DataFolder(), QDir::toNativeSeparators("/A/DATA/"));
        AppFolder = "/A/B/C";
        QCOMPARE(vd->DataFolder(), QDir::toNativeSeparators("/A/DATA/"));
        store->PlaceProgram();
        QCOMPARE(QDir(vd->DataFolder()).canonicalPath(), QDir(store->DataFolder).canonicalPath());
        QVERIFY(vd->DataFolder().endsWith(QDir::separator()));
    }

    void theOpeningCascadesBringInWhatEachDataSetNeeds()
    {
        vd->SwitchAlias("DBDEMOS");
        QVERIFY(ActiveNames().isEmpty());
        vd->Items->Open();
        QCOMPARE(ActiveNames(), (QStringList{"Parts", "Vendors", "Items"}));
        vd->Items->Close();
        vd->Parts->Close();
        vd->Vendors->Close();
        vd->Orders->Open();
        QCOMPARE(ActiveNames(), (QStringList{"Parts", "Vendors", "Orders", "CustByOrd", "Items", "Emps", "Cust",
                                             "OrdByCust", "CustByComp"}));
        vd->Orders->Close();
        QCOMPARE(ActiveNames(), (QStringList{"Parts", "Vendors", "Cust", "OrdByCust", "CustByComp"}));
    }

    void detailsFollowTheirMasters()
    {
        const double orderNo = store->Number("SELECT MIN(OrderNo) FROM ORDERS");
        const double custNo = store->Number("SELECT CustNo FROM ORDERS WHERE OrderNo = ?", {orderNo});
        QVERIFY(vd->Orders->Locate("OrderNo", orderNo));
        QCOMPARE(vd->CustByOrdCustNo->AsFloat(), custNo);
        int lines = 0;
        for (vd->Items->First(); !vd->Items->Eof(); vd->Items->Next()) {
            QCOMPARE(vd->ItemsOrderNo->AsFloat(), orderNo);
            ++lines;
        }
        QCOMPARE(double(lines), store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}));
        // The customer's orders follow whichever dataset CustMasterSrc shows.
        QVERIFY(vd->Cust->Locate("CustNo", custNo));
        QCOMPARE(double(vd->OrdByCust->RecordCount()), store->Number("SELECT COUNT(*) FROM ORDERS WHERE CustNo = ?", {custNo}));
        vd->CustQuery->ParamByName("FromDate")->SetAsDateTime(EncodeDate(2020, 2, 1));
        vd->CustQuery->ParamByName("ToDate")->SetAsDateTime(EncodeDate(2020, 4, 1));
        vd->CustQuery->Open();
        QCOMPARE(vd->CustQuery->RecordCount(), 1);
        QCOMPARE(vd->CustQueryCustNo->AsFloat(), kCustTaxed);
        vd->CustMasterSrc->SetDataSet(vd->CustQuery);
        vd->OrdByCust->First();
        QVERIFY(vd->OrdByCust->Eof());
        store->Exec("INSERT INTO ORDERS (OrderNo, CustNo, EmpNo, ItemsTotal, TaxRate, Freight, AmountPaid) "
                    "VALUES (99001, 9001, 9001, 200, 5, 1, 0)");
        vd->OrdByCust->Refresh();
        QCOMPARE(vd->OrdByCustOrderNo->AsFloat(), 99001.0);
        QCOMPARE(vd->OrdByCustAmountDue->AsFloat(), 211.0);
        vd->CustMasterSrc->SetDataSet(vd->Cust);
        QCOMPARE(vd->OrdByCustCustNo->AsFloat(), custNo);
    }

    void theReportQueriesSelectAndOrderTheirRows()
    {
        double previous = 1e9;
        for (vd->CustByLastInvQuery->First(); !vd->CustByLastInvQuery->Eof(); vd->CustByLastInvQuery->Next()) {
            const double d = vd->CustByLastInvQueryLastInvoiceDate->AsDateTime();
            QVERIFY(d <= previous);
            previous = d;
        }
        const TDateTime from = EncodeDate(2000, 1, 1), to = Date();
        vd->OrdersByDateQuery->ParamByName("FromDate")->SetAsDateTime(from);
        vd->OrdersByDateQuery->ParamByName("ToDate")->SetAsDateTime(to);
        vd->OrdersByDateQuery->Open();
        QCOMPARE(double(vd->OrdersByDateQuery->RecordCount()), store->Number("SELECT COUNT(*) FROM ORDERS WHERE SaleDate IS NOT NULL"));
        previous = 0;
        for (vd->OrdersByDateQuery->First(); !vd->OrdersByDateQuery->Eof(); vd->OrdersByDateQuery->Next()) {
            QVERIFY(vd->OrdersByDateQuerySaleDate->AsDateTime() >= previous);
            previous = vd->OrdersByDateQuerySaleDate->AsDateTime();
            const QVariant company = vd->Cust->Lookup("CustNo", vd->OrdersByDateQueryCustNo->Value(), "Company");
            QCOMPARE(vd->OrdersByDateQueryCompany->AsString(), company.toString());
            QVERIFY(!company.toString().isEmpty());
        }
    }

    void switchingClosesEverythingAndRestoresTheCursor()
    {
        QVERIFY(qobject_cast<QGuiApplication*>(QCoreApplication::instance()));
        vd->OpenLocalData();
        QVERIFY(vd->Database->Connected());
        QVERIFY(ActiveNames().isEmpty());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        // A connection that fails leaves it closed under the new alias, cursor restored.
        store->WriteConfig("[DBDEMOS]\nDRIVER=PARADOX\nPATH=" + store->DataFolder + "\n[BROKEN]\nDRIVER=PARADOX\nPATH="
                           + store->Root + "/gone\n");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, vd->SwitchAlias("BROKEN"));
        QVERIFY(!vd->Database->Connected());
        QCOMPARE(vd->Database->AliasName, QString("BROKEN"));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        vd->OpenLocalData();
        vd->Orders->Open();
        QVERIFY(vd->Items->Active());
    }

    void localDataWithTheAliasDefinedNeverSearchesTheFolder()
    {
        AppFolder = "/nonexistent/a/b/";
        vd->OpenLocalData();
        QVERIFY(vd->Database->Connected());
        QCOMPARE(vd->Database->LocalFolder(), QDir(store->DataFolder).absolutePath());
    }

    void localDataWithoutTheAliasUsesTheDataFolderForThisRunOnly()
    {
        store->WriteConfig("; nothing defined\n");
        store->PlaceProgram(false);
        ExpectError([&] { vd->OpenLocalData(); }, "Cannot locate Paradox data files");
        QVERIFY(!Session.IsAlias("DBDEMOS"));
        QVERIFY(vd->Database->Connected());
        QVERIFY(vd->Orders->Active());
        store->PlaceProgram();
        vd->OpenLocalData();
        QVERIFY(Session.IsAlias("DBDEMOS"));
        QCOMPARE(ParamValue(Session.GetAliasParams("DBDEMOS"), "PATH"), vd->DataFolder());
        QCOMPARE(vd->Database->LocalFolder(), QDir(store->DataFolder).absolutePath());
        QFile config(store->ConfigFile);
        QVERIFY(config.open(QIODevice::ReadOnly));
        QCOMPARE(config.readAll(), QByteArray("; nothing defined\n"));
    }

    void remoteDataWithoutItsFileIsRefusedAndNothingChanges()
    {
        ExpectError([&] { vd->OpenRemoteData(); }, "Cannot locate Interbase data file: DEZAZAV.GDB");
        QVERIFY(!Session.IsAlias("DEZAZAV"));
        QVERIFY(vd->Database->Connected());
        QCOMPARE(vd->Database->AliasName, QString("DBDEMOS"));
        QVERIFY(vd->Orders->Active());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(DataModStorageTest)
#include "datamod_storage_test.moc"
