// The engine against one storage: local table files, or (built with
// QUORVALE_TEST_FIREBIRD) a scratch database on the tests' Firebird server.
#include "platform/data/alias.h"
#include "platform/data/database.h"
#include "platform/data/datasource.h"
#include "platform/data/fbclient.h"
#include "platform/data/localstore.h"
#include "platform/core/formatsettings.h"
#include "platform/data/query.h"
#include "platform/data/table.h"
#include "platform/data/tests/smallorders.h"
#include "testsupport/testserver.h"

#include <QProcess>
#include <QtTest>

#include <functional>
#include <unistd.h>

#include <memory>

class EngineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> store;
    std::unique_ptr<TDatabase> db;

    TTable* NewTable(const QString& name, const QString& index = QString())
    {
        auto* t = new TTable(db.get());
        t->DatabaseName = "TEST";
        t->TableName = name;
        t->IndexFieldNames = index;
        return t;
    }
    QString Helper() const { return QCoreApplication::applicationDirPath() + "/engine_test_helper"; }

private slots:
    void init()
    {
        if (kFirebird)
            REQUIRE_TEST_SERVER();
        db = OpenSmallOrders(store, kFirebird);
    }
    void cleanup()
    {
        db.reset();
        store.reset();
    }

    void aliasesComeFromTheConfigurationAndRunTimeOnes()
    {
        QVERIFY(Session.IsAlias("TESTDATA"));
        QVERIFY(Session.IsAlias("testdata"));
        QVERIFY(!Session.IsAlias("DBDEMOS"));
        QByteArray before;
        {
            QFile f(store->ConfigFile);
            QVERIFY(f.open(QIODevice::ReadOnly));
            before = f.readAll();
        }
        Session.AddStandardAlias("DBDEMOS", "/some/folder", "PARADOX");
        Session.AddAlias("DEZAZAV", "INTRBASE", {"SERVER NAME=localhost:/x/DEZAZAV.GDB", "USER NAME=SYSDBA"});
        QCOMPARE(ParamValue(Session.GetAliasParams("DBDEMOS"), "PATH"), QString("/some/folder"));
        QCOMPARE(ParamValue(Session.GetAliasParams("DEZAZAV"), "SERVER NAME"), QString("localhost:/x/DEZAZAV.GDB"));
        QCOMPARE(ParamValue(Session.GetAliasParams("DEZAZAV"), "USER NAME"), QString("SYSDBA"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Session.AddAlias("DBDEMOS", "PARADOX", {}));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Session.GetAliasParams("NOSUCH"));
        QFile f(store->ConfigFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before); // run-time aliases are never written
        Session.Reset();
        QVERIFY(!Session.IsAlias("DBDEMOS"));
    }

    void connectionErrorsAreClear()
    {
        Session.AddStandardAlias("NOFOLDER", store->Root + "/missing");
        TDatabase d;
        d.AliasName = "NOFOLDER";
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, d.Open());
        QVERIFY(!d.Connected());
        // Nothing listens on this port.
        Session.AddAlias("NOSERVER", "INTRBASE", {"SERVER NAME=127.0.0.1/1:/tmp/none.fdb"});
        d.AliasName = "NOSERVER";
        try {
            d.Open();
            QFAIL("opened without a server");
        } catch (const EDatabaseError& e) {
            QVERIFY2(QString::fromStdString(e.Message).contains("not running"), e.what());
        }
        TTable* t = NewTable("NOSUCHTABLE");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->Open());
        QVERIFY(!t->Active());
    }

    void aSiteLoginInTheServerAliasWinsOverTheProgramsOwn()
    {
        if (!kFirebird)
            QSKIP("local data has no login");
        const QString right = TestServerPassword();
        QFile config(store->ConfigFile);
        QVERIFY(config.open(QIODevice::ReadOnly | QIODevice::Text));
        const QByteArray testData = config.readAll();
        config.close();
        auto connects = [&](const QString& aliasLines, const QStringList& programLogin) {
            QFile f(store->ConfigFile);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
                return false;
            f.write(testData + "\n[SITE]\nDRIVER=INTRBASE\nSERVER NAME=" + store->ServerName.toUtf8() + "\n"
                    + aliasLines.toUtf8());
            f.close();
            Session.Reset();
            TDatabase d;
            d.AliasName = "SITE";
            d.Params = programLogin;
            try {
                d.Open();
            } catch (const EDatabaseError&) {
                return false;
            }
            return d.Connected();
        };
        const QStringList builtIn{"USER NAME=" + TestServerUser(), "PASSWORD=" + right};
        const QStringList wrongBuiltIn{"USER NAME=NOBODY", "PASSWORD=not-the-password"};
        QVERIFY(connects("", builtIn));
        QVERIFY(!connects("", wrongBuiltIn));
        QVERIFY(connects("USER NAME=" + TestServerUser() + "\nPASSWORD=" + right + "\n", wrongBuiltIn));
        // Each entry on its own: the alias's one is taken, the program's fills the gap.
        QVERIFY(connects("PASSWORD=" + right + "\n", {"USER NAME=" + TestServerUser(), "PASSWORD=wrong"}));
        QVERIFY(connects("USER NAME=" + TestServerUser() + "\n", {"USER NAME=NOBODY", "PASSWORD=" + right}));
        QVERIFY(!connects("PASSWORD=not-the-password\n", builtIn));
        QVERIFY(!connects("USER NAME=NOBODY\n", builtIn));
    }

    void localhostReachesTheServerOnWhicheverLoopbackItListens()
    {
        if (!kFirebird)
            QSKIP("a server matter");
        const QString host = TestServerHost();
        if (host != "127.0.0.1" && host != "::1" && host != "localhost")
            QSKIP("the tests' server is not on this machine");
        // The server name as a site writes it; its hosts file may list ::1 first.
        QString serverHost, path;
        int port;
        SplitServerName(store->ServerName, serverHost, port, path);
        Session.AddAlias("VIALOCALHOST", "INTRBASE",
                         {QString("SERVER NAME=localhost/%1:%2").arg(port).arg(path), "USER NAME=" + TestServerUser()});
        TDatabase d;
        d.DatabaseName = "LOCALHOST";
        d.AliasName = "VIALOCALHOST";
        d.Params = {"PASSWORD=" + TestServerPassword()};
        d.Open();
        QVERIFY(d.Connected());
        QCOMPARE(d.Runner().Select("SELECT COUNT(*) FROM ORDERS", {}).first().first().toInt(), 5);
    }

    void closingTheDatabaseClosesItsDataSets()
    {
        TTable* orders = NewTable("ORDERS");
        TTable* items = NewTable("ITEMS");
        orders->Open();
        items->Open();
        QVERIFY(db->IsSQLBased() == kFirebird);
        db->Close();
        QVERIFY(!orders->Active());
        QVERIFY(!items->Active());
        QCOMPARE(orders->State(), dsInactive);
    }

    void navigationCrossesPagesInBothDirections()
    {
        TTable* t = NewTable("ORDERS", "CustNo");
        t->PageSize = 2;
        t->Open();
        QVERIFY(t->Bof());
        QVector<double> forward;
        for (; !t->Eof(); t->Next())
            forward << t->FieldByName("OrderNo")->AsFloat();
        // By CustNo, then by the key, so equal customers keep a stable order.
        QCOMPARE(forward, (QVector<double>{1003, 1001, 1004, 1002, 1005}));
        QVector<double> backward;
        for (t->Last(); !t->Bof(); t->Prior())
            backward << t->FieldByName("OrderNo")->AsFloat();
        std::reverse(backward.begin(), backward.end());
        QCOMPARE(backward, forward);
        QCOMPARE(t->RecordCount(), 5);
        t->SetRecNo(4);
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1002.0);
        QCOMPARE(t->RecNo(), 4);
        QCOMPARE(t->MoveBy(10), 1);
        QVERIFY(t->Eof());
        t->Close();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->Next());
    }

    void defaultFieldsHaveTheColumnTypes()
    {
        TTable* t = NewTable("ORDERS");
        t->Open();
        QCOMPARE(t->FieldByName("OrderNo")->DataType(), ftFloat);
        QCOMPARE(t->FieldByName("EmpNo")->DataType(), ftInteger);
        QCOMPARE(t->FieldByName("SaleDate")->DataType(), ftDateTime);
        QCOMPARE(t->FieldByName("ShipVIA")->DataType(), ftString);
        QCOMPARE(t->FieldByName("ShipVIA")->Size(), 7);
        QCOMPARE(t->FieldByName("SaleDate")->AsDateTime(), 40001.0);
        QVERIFY(t->FieldByName("ShipDate")->IsNull());
        QCOMPARE(t->FieldByName("ShipDate")->AsDateTime(), 0.0);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->FieldByName("Nothing"));
        QVERIFY(t->FindField("Nothing") == nullptr);
    }

    void persistentFieldsBindByNameAndRefuseMissingColumns()
    {
        auto* t = NewTable("ORDERS");
        new TFloatField(t, "OrderNo");
        new TFloatField(t, "NoSuchColumn");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->Open());
        QVERIFY(!t->Active());
    }

    void eventsRunInOrderAroundEachOperation()
    {
        TTable* t = NewTable("ORDERS");
        QStringList log;
        auto ev = [&](const char* name) { return [&log, name](TDataSet*) { log << name; }; };
        t->BeforeOpen = ev("BeforeOpen"); t->AfterOpen = ev("AfterOpen");
        t->BeforeClose = ev("BeforeClose"); t->AfterClose = ev("AfterClose");
        t->BeforeInsert = ev("BeforeInsert"); t->AfterInsert = ev("AfterInsert");
        t->BeforeEdit = ev("BeforeEdit"); t->AfterEdit = ev("AfterEdit");
        t->BeforePost = ev("BeforePost"); t->AfterPost = ev("AfterPost");
        t->BeforeCancel = ev("BeforeCancel"); t->AfterCancel = ev("AfterCancel");
        t->BeforeDelete = ev("BeforeDelete"); t->AfterDelete = ev("AfterDelete");
        t->BeforeScroll = ev("BeforeScroll"); t->AfterScroll = ev("AfterScroll");
        t->OnNewRecord = [&](TDataSet* ds) {
            log << "OnNewRecord";
            QCOMPARE(ds->State(), dsInsert);
            ds->FieldByName("OrderNo")->SetAsFloat(2000);
        };
        t->Open();
        QCOMPARE(log, (QStringList{"BeforeOpen", "AfterOpen", "AfterScroll"}));
        log.clear();
        t->Insert();
        QCOMPARE(log, (QStringList{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
        log.clear();
        t->FieldByName("CustNo")->SetAsFloat(1);
        t->Post();
        QCOMPARE(log, (QStringList{"BeforePost", "AfterPost"}));
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 2000.0);
        log.clear();
        t->Edit();
        t->Cancel();
        QCOMPARE(log, (QStringList{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
        log.clear();
        t->Delete();
        QCOMPARE(log, (QStringList{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
        log.clear();
        t->Next();
        QCOMPARE(log, (QStringList{"BeforeScroll", "AfterScroll"}));
        log.clear();
        t->Close();
        QCOMPARE(log, (QStringList{"BeforeClose", "AfterClose"}));
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = 2000"), 0.0);
    }

    void aVetoLeavesTheStateAsItWas()
    {
        TTable* t = NewTable("ORDERS");
        t->Open();
        t->BeforeEdit = [](TDataSet*) { Abort(); };
        QVERIFY_THROWS_EXCEPTION(EAbort, t->Edit());
        QCOMPARE(t->State(), dsBrowse);
        // A failing new-record rule creates no record.
        t->OnNewRecord = [](TDataSet*) { throw EDatabaseError("Table NEXTORD is in use"); };
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->Insert());
        QCOMPARE(t->State(), dsBrowse);
        QCOMPARE(t->RecordCount(), 5);
    }

    void postsWriteAtOnceWithoutACache()
    {
        TTable* t = NewTable("ORDERS");
        t->Open();
        QVERIFY(t->Locate("OrderNo", 1003.0));
        t->Edit();
        t->FieldByName("Freight")->SetAsFloat(12.5);
        QCOMPARE(t->FieldByName("Freight")->OldValue().toDouble(), 0.0);
        QCOMPARE(t->FieldByName("Freight")->NewValue().toDouble(), 12.5);
        t->Post();
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 1003"), 12.5);
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1003.0);
        t->Append();
        t->FieldByName("OrderNo")->SetAsFloat(999);
        t->FieldByName("SaleDate")->SetAsDateTime(EncodeDate(2004, 3, 5) + 0.5);
        t->Post();
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 999.0);
        t->First();
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 999.0);
        QCOMPARE(t->FieldByName("SaleDate")->AsDateTime(), EncodeDate(2004, 3, 5) + 0.5);
        if (!kFirebird) {
            // Local dates are ISO text that any SQLite tool reads, in the form the
            // order-database builder writes too.
            auto rows = store->Rows("SELECT SaleDate FROM ORDERS WHERE OrderNo = 999");
            QCOMPARE(rows.first().first().toString(), QString("2004-03-05 12:00:00"));
        }
        t->Delete();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS"), 5.0);
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1001.0);
    }

    void fieldRulesRefuseBadValues()
    {
        auto* t = NewTable("ORDERS");
        new TFloatField(t, "OrderNo");
        auto* cust = new TFloatField(t, "CustNo");
        cust->Required = true;
        auto* emp = new TIntegerField(t, "EmpNo");
        emp->Required = true;
        emp->DisplayLabel = "Employee";
        auto* rate = new TFloatField(t, "TaxRate");
        rate->MaxValue = 100;
        auto* freight = new TCurrencyField(t, "Freight");
        freight->OnValidate = [](TField* f) {
            if (f->AsFloat() < 0)
                throw Exception("Freight cannot be less than zero");
        };
        QStringList changes;
        freight->OnChange = [&](TField* f) { changes << f->AsString(); };
        t->Open();
        t->Insert();
        t->FieldByName("OrderNo")->SetAsFloat(3000);
        try {
            t->Post();
            QFAIL("posted without a customer");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Message, std::string("Field 'CustNo' must have a value"));
        }
        QCOMPARE(t->State(), dsInsert); // the record stays in edit
        cust->SetAsFloat(1);
        try {
            t->Post();
            QFAIL("posted without an employee");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Message, std::string("Field 'Employee' must have a value"));
        }
        emp->SetAsInteger(1);
        rate->SetAsFloat(100);
        rate->SetAsFloat(0);
        try {
            rate->SetAsFloat(100.01);
            QFAIL("accepted 100.01");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Message, std::string("100.01 is not a valid value for field 'TaxRate'. The allowed range is 0 to 100"));
        }
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, rate->SetAsFloat(-0.01));
        QCOMPARE(rate->AsFloat(), 0.0); // keeps its old value
        freight->SetAsFloat(5);
        QVERIFY_THROWS_EXCEPTION(Exception, freight->SetAsFloat(-0.01));
        QCOMPARE(freight->AsFloat(), 5.0);
        QCOMPARE(changes, QStringList{"5"});
        QVERIFY_THROWS_EXCEPTION(EConvertError, emp->SetAsString("abc"));
        t->Post();
        QCOMPARE(store->Number("SELECT EmpNo FROM ORDERS WHERE OrderNo = 3000"), 1.0);
        // Outside edit nothing can be assigned.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, freight->SetAsFloat(1));
    }

    void anEmptyTextIsNoValue()
    {
        auto* t = NewTable("PARTS", "PartNo");
        new TFloatField(t, "PartNo");
        auto* description = new TStringField(t, "Description", 30);
        description->Required = true;
        t->Open();
        t->Insert();
        t->FieldByName("PartNo")->SetAsFloat(900);
        description->SetAsString("");
        QVERIFY(description->IsNull());
        try {
            t->Post();
            QFAIL("posted an empty description");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Message, std::string("Field 'Description' must have a value"));
        }
        QCOMPARE(t->State(), dsInsert);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM PARTS WHERE PartNo = 900"), 0.0);
        // A blank is text.
        description->SetAsString(" ");
        QVERIFY(!description->IsNull());
        t->Post();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM PARTS WHERE PartNo = 900 AND Description = ' '"), 1.0);
        // Emptied, an optional text is stored as no value.
        description->Required = false;
        t->Edit();
        description->SetValue(QString(""));
        t->Post();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM PARTS WHERE PartNo = 900 AND Description IS NULL"), 1.0);
    }

    void displayTextsFollowFormats()
    {
        FormatSettings.ShortDateFormat = "M/d/yyyy";
        auto* t = NewTable("ORDERS");
        new TFloatField(t, "OrderNo");
        auto* rate = new TFloatField(t, "TaxRate");
        rate->DisplayFormat = "0.00%;(0.00%);0%";
        auto* total = new TCurrencyField(t, "ItemsTotal");
        auto* sale = new TDateTimeField(t, "SaleDate");
        sale->DisplayFormat = "DDDDD";
        auto* back = new TBooleanField(t, "BackOrd", fkCalculated);
        back->DisplayValues = "Yes;No";
        t->OnCalcFields = [&](TDataSet*) { back->SetAsBoolean(rate->AsFloat() > 0); };
        t->Open();
        t->Edit();
        rate->SetAsFloat(8.25);
        QCOMPARE(rate->DisplayText(), QString("8.25%"));
        QCOMPARE(back->DisplayText(), QString("Yes"));
        rate->SetAsFloat(0);
        QCOMPARE(rate->DisplayText(), QString("0%"));
        QCOMPARE(back->DisplayText(), QString("No"));
        total->SetAsFloat(1234.5);
        QCOMPARE(total->DisplayText(), QString("$1,234.50"));
        total->SetAsFloat(-3.256);
        QCOMPARE(total->DisplayText(), QString("($3.26)"));
        QCOMPARE(total->AsFloat(), -3.256); // only the display rounds
        sale->SetAsDateTime(EncodeDate(2004, 3, 5));
        QCOMPARE(sale->DisplayText(), QString("3/5/2004"));
        sale->SetAsString("12/31/1999");
        QCOMPARE(sale->AsDateTime(), EncodeDate(1999, 12, 31));
        t->Cancel();
        QCOMPARE(FormatFloat("0.00%;(0.00%);0%", -8.25), QString("(8.25%)"));
        QCOMPARE(FormatFloat("0.00%", 7), QString("7.00%"));
        QCOMPARE(FormatFloat("#,##0.00", 1234567.891), QString("1,234,567.89"));
    }

    void calculatedFieldsFollowReadsAndChanges()
    {
        auto* t = NewTable("ITEMS", "OrderNo");
        new TFloatField(t, "OrderNo");
        new TFloatField(t, "ItemNo");
        auto* part = new TFloatField(t, "PartNo");
        auto* qty = new TIntegerField(t, "Qty");
        auto* disc = new TFloatField(t, "Discount");
        auto* price = new TCurrencyField(t, "SellPrice", fkLookup);
        auto* ext = new TCurrencyField(t, "ExtPrice", fkCalculated);
        auto* parts = NewTable("PARTS");
        price->LookupDataSet = parts;
        price->KeyFields = "PartNo";
        price->LookupKeyFields = "PartNo";
        price->LookupResultField = "ListPrice";
        int calcs = 0;
        t->OnCalcFields = [&](TDataSet* ds) {
            ++calcs;
            QCOMPARE(ds->State(), dsCalcFields);
            ext->SetAsFloat(qty->AsInteger() * price->AsFloat() * (100 - disc->AsFloat()) / 100);
        };
        parts->Open();
        t->Open();
        QVERIFY(calcs > 0);
        QVERIFY(t->Locate("OrderNo;ItemNo", QVariantList{1002.0, 1.0}));
        QCOMPARE(price->AsFloat(), 10.0);
        QCOMPARE(ext->AsFloat(), 63.0); // 7 x 10 less 10 %
        t->Edit();
        int before = calcs;
        qty->SetAsInteger(3);
        QVERIFY(calcs > before);
        QCOMPARE(ext->AsFloat(), 27.0);
        part->SetAsFloat(103);
        QCOMPARE(price->AsFloat(), 30.0); // the lookup follows its key
        QCOMPARE(ext->AsFloat(), 81.0);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, price->SetAsFloat(1)); // not stored
        t->Cancel();
        QCOMPARE(ext->AsFloat(), 63.0);
        // Lookup reads calculated results of the other dataset without moving it.
        parts->First();
        QCOMPARE(parts->Lookup("PartNo", 102.0, "Description").toString(), QString("Part 2"));
        QCOMPARE(parts->FieldByName("PartNo")->AsFloat(), 101.0);
        QVERIFY(parts->Lookup("PartNo", 555.0, "Description").isNull());
    }

    void locateFindsExactPartialAndCaseInsensitiveKeys()
    {
        TTable* c = NewTable("CUSTOMER", "Company");
        c->Open();
        QVERIFY(c->Locate("CustNo", 3.0));
        QCOMPARE(c->FieldByName("Company")->AsString(), QString("Sight Diver"));
        QVERIFY(!c->Locate("CustNo", 77.0));
        QCOMPARE(c->FieldByName("CustNo")->AsFloat(), 3.0); // stays where it was
        QVERIFY(!c->Locate("Company", "uni"));
        QVERIFY(!c->Locate("Company", "uni", loPartialKey));
        QVERIFY(c->Locate("Company", "uni", loCaseInsensitive | loPartialKey));
        QCOMPARE(c->FieldByName("CustNo")->AsFloat(), 2.0);
        QVERIFY(c->Locate("Company", "KAUAI DIVE SHOPPE", loCaseInsensitive));
        QCOMPARE(c->FieldByName("CustNo")->AsFloat(), 1.0);
        // Text that looks like SQL is just a value.
        QVERIFY(!c->Locate("Company", "x' OR '1'='1", loPartialKey));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c->Locate("Company) OR (1=1", "x"));
        c->Next();
        QCOMPARE(c->FieldByName("CustNo")->AsFloat(), 3.0); // moves on in Company order
    }

    void keySearchUsesTheOrderingColumns()
    {
        TTable* items = NewTable("ITEMS", "OrderNo;ItemNo");
        items->Open();
        items->SetKey();
        QCOMPARE(items->State(), dsSetKey);
        items->FieldByName("OrderNo")->SetAsFloat(1001);
        items->FieldByName("ItemNo")->SetAsFloat(3);
        QVERIFY(items->GotoKey());
        QCOMPARE(items->State(), dsBrowse);
        QCOMPARE(items->FieldByName("Qty")->AsInteger(), 3);
        QVERIFY(items->FindKey({1002.0}));
        QCOMPARE(items->FieldByName("Qty")->AsInteger(), 7);
        QVERIFY(!items->FindKey({1001.0, 9.0}));
        QCOMPARE(items->FieldByName("Qty")->AsInteger(), 7); // stays
        items->SetKey();
        items->Cancel();
        QCOMPARE(items->State(), dsBrowse);
        QCOMPARE(items->FieldByName("Qty")->AsInteger(), 7);
    }

    void bookmarksReturnToTheRecord()
    {
        TTable* t = NewTable("ORDERS", "CustNo");
        t->PageSize = 2;
        t->Open();
        t->MoveBy(3);
        TBookmark b = t->GetBookmark();
        double no = t->FieldByName("OrderNo")->AsFloat();
        t->First();
        QVERIFY(t->BookmarkValid(b));
        t->GotoBookmark(b);
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), no);
        t->Next();
        t->Prior();
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), no);
        t->GotoBookmark(b);
        t->Delete();
        QVERIFY(!t->BookmarkValid(b));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->GotoBookmark(b));
        t->FreeBookmark(b);
        QVERIFY(!b.IsValid());
    }

    void dataSourcesFollowStateAndData()
    {
        TTable* t = NewTable("ORDERS");
        TDataSource src;
        src.SetDataSet(t);
        QList<TDataSetState> states;
        QList<TField*> changes;
        src.OnStateChange = [&](TDataSource* s) { states << s->State(); };
        src.OnDataChange = [&](TDataSource*, TField* f) { changes << f; };
        t->Open();
        QCOMPARE(states.last(), dsBrowse);
        t->Edit();
        QCOMPARE(states.last(), dsEdit);
        changes.clear();
        t->FieldByName("Freight")->SetAsFloat(1);
        QCOMPARE(changes, QList<TField*>{t->FieldByName("Freight")});
        t->Cancel();
        changes.clear();
        t->DisableControls();
        t->Next();
        t->Next();
        QVERIFY(changes.isEmpty());
        t->EnableControls();
        QCOMPARE(changes, QList<TField*>{nullptr});
        src.Enabled = false;
        QCOMPARE(src.State(), dsInactive);
        changes.clear();
        t->Next();
        QVERIFY(changes.isEmpty());
    }

    void controlsSeeAStateChangedWhileTheyWereDisabled()
    {
        TTable* t = NewTable("ORDERS");
        TDataSource src;
        src.SetDataSet(t);
        QList<TDataSetState> states;
        src.OnStateChange = [&](TDataSource* s) { states << s->State(); };
        t->Open();
        states.clear();
        t->DisableControls();
        t->Edit();
        QVERIFY(states.isEmpty());
        t->EnableControls();
        QCOMPARE(states, QList<TDataSetState>{dsEdit});
        // Back where it started: nothing to tell.
        states.clear();
        t->DisableControls();
        t->Cancel();
        t->Edit();
        t->EnableControls();
        QVERIFY(states.isEmpty());
        t->Cancel();
    }

    void aMasterStaysWhileItsDetailCannotPost()
    {
        TTable* orders = NewTable("ORDERS", "OrderNo");
        TDataSource src;
        src.SetDataSet(orders);
        TTable* items = NewTable("ITEMS", "OrderNo");
        items->SetMasterSource(&src);
        items->MasterFields = "OrderNo";
        items->SetCachedUpdates(true);
        new TFloatField(items, "OrderNo");
        new TFloatField(items, "ItemNo");
        auto* part = new TFloatField(items, "PartNo");
        new TIntegerField(items, "Qty");
        new TFloatField(items, "Discount");
        part->Required = true;
        orders->Open();
        items->Open();
        items->Insert();
        items->FieldByName("ItemNo")->SetAsFloat(9);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, orders->Next());
        // Neither moved: the line is still being entered under its own order.
        QCOMPARE(orders->FieldByName("OrderNo")->AsFloat(), 1001.0);
        QCOMPARE(items->State(), dsInsert);
        QCOMPARE(items->FieldByName("OrderNo")->AsFloat(), 1001.0);
        part->SetAsFloat(101);
        orders->Next();
        QCOMPARE(items->State(), dsBrowse);
        QCOMPARE(items->RecordCount(), 1);
        QCOMPARE(items->FieldByName("Qty")->AsInteger(), 7);
        orders->Prior();
        QCOMPARE(items->RecordCount(), 4);
        QVERIFY(items->Locate("ItemNo", 9.0));
    }

    void cachedChangesAreLaidOverTheStoredRows()
    {
        TTable* t = NewTable("ORDERS");
        t->SetCachedUpdates(true);
        t->PageSize = 2;
        t->Open();
        QVERIFY(t->Locate("OrderNo", 1002.0));
        t->Edit();
        t->FieldByName("Freight")->SetAsFloat(7);
        t->Post();
        QVERIFY(t->Locate("OrderNo", 1004.0));
        t->Delete();
        t->Insert();
        t->FieldByName("OrderNo")->SetAsFloat(1003.5);
        t->Post();
        t->Insert();
        t->FieldByName("OrderNo")->SetAsFloat(2000);
        t->Post();
        QVERIFY(t->UpdatesPending());
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS"), 5.0);
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 1002"), 0.0);
        QVector<double> seen;
        for (t->First(); !t->Eof(); t->Next())
            seen << t->FieldByName("OrderNo")->AsFloat();
        QCOMPARE(seen, (QVector<double>{1001, 1002, 1003, 1003.5, 1005, 2000}));
        QCOMPARE(t->RecordCount(), 6);
        QVERIFY(t->Locate("OrderNo", 1003.5));
        QVERIFY(!t->Locate("OrderNo", 1004.0));
        QVERIFY(t->Locate("OrderNo", 1002.0));
        QCOMPARE(t->FieldByName("Freight")->AsFloat(), 7.0);
        QCOMPARE(t->FieldByName("Freight")->OldValue().toDouble(), 0.0);
        // Editing a cached insert changes that insert, not a second one.
        QVERIFY(t->Locate("OrderNo", 2000.0));
        t->Edit();
        t->FieldByName("Freight")->SetAsFloat(3);
        t->Post();
        QCOMPARE(t->RecordCount(), 6);
        t->ApplyUpdates();
        QVERIFY(!t->UpdatesPending());
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS"), 6.0);
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 1002"), 7.0);
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 2000"), 3.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = 1004"), 0.0);
    }

    void cancelUpdatesDiscardsAndRereads()
    {
        TTable* t = NewTable("ORDERS");
        t->SetCachedUpdates(true);
        t->Open();
        t->Edit();
        t->FieldByName("Freight")->SetAsFloat(9);
        t->Post();
        t->Insert();
        t->FieldByName("OrderNo")->SetAsFloat(5000);
        t->FieldByName("Freight")->SetAsFloat(1);
        t->CancelUpdates(); // also cancels the pending insert
        QCOMPARE(t->State(), dsBrowse);
        QVERIFY(!t->UpdatesPending());
        QCOMPARE(t->RecordCount(), 5);
        t->First();
        QCOMPARE(t->FieldByName("Freight")->AsFloat(), 0.0);
    }

    void aFailedApplyRollsBackAndKeepsEveryCache()
    {
        TTable* orders = NewTable("ORDERS");
        TTable* items = NewTable("ITEMS");
        orders->SetCachedUpdates(true);
        items->SetCachedUpdates(true);
        orders->Open();
        items->Open();
        orders->Edit();
        orders->FieldByName("Freight")->SetAsFloat(4);
        orders->Post();
        items->Insert();
        items->FieldByName("OrderNo")->SetAsFloat(1005);
        items->FieldByName("ItemNo")->SetAsFloat(1);
        items->Post();
        items->Insert();
        items->FieldByName("OrderNo")->SetAsFloat(1001); // the key exists: the apply fails
        items->FieldByName("ItemNo")->SetAsFloat(2);
        items->Post();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, db->ApplyUpdates({orders, items}));
        QVERIFY(!db->InTransaction());
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 1001"), 0.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = 1005"), 0.0);
        QVERIFY(orders->UpdatesPending());
        QVERIFY(items->UpdatesPending());
        // Dropping the bad line lets the same caches apply.
        QVERIFY(items->Locate("OrderNo;ItemNo", QVariantList{1001.0, 2.0}));
        QCOMPARE(items->FieldByName("Qty")->IsNull(), true); // the cached insert, not the stored line
        items->Delete();
        db->ApplyUpdates({orders, items});
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 1001"), 4.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = 1005"), 1.0);
        QCOMPARE(store->Number("SELECT Qty FROM ITEMS WHERE OrderNo = 1001 AND ItemNo = 2"), 2.0);
        QVERIFY(!orders->UpdatesPending() && !items->UpdatesPending());
    }

    void updateErrorsCanSkipOrAbort()
    {
        TTable* parts = NewTable("PARTS");
        parts->SetCachedUpdates(true);
        parts->Open();
        QVERIFY(parts->Locate("PartNo", 101.0));
        parts->Edit();
        parts->FieldByName("OnOrder")->SetAsFloat(5);
        parts->Post();
        QVERIFY(parts->Locate("PartNo", 102.0));
        parts->Edit();
        parts->FieldByName("OnOrder")->SetAsFloat(6);
        parts->Post();
        // Another program deletes part 101 meanwhile.
        {
            TDatabase other;
            store->Open(other, "OTHER");
            other.EnsureTables({"PARTS"});
            other.Runner().Execute("DELETE FROM PARTS WHERE PartNo = 101", {});
        }
        QStringList seen;
        parts->OnUpdateError = [&](TDataSet* ds, EDatabaseError& e, TUpdateKind kind, TUpdateAction& action) {
            seen << QString("%1 %2 %3").arg(QString::fromStdString(e.Message)).arg(kind)
                        .arg(ds->Fields(0)->AsFloat());
            action = uaAbort;
        };
        QVERIFY_THROWS_EXCEPTION(EAbort, parts->ApplyUpdates());
        QCOMPARE(seen, QStringList{"Record changed by another user 0 101"});
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 102"), 0.0);
        QVERIFY(parts->UpdatesPending());
        parts->OnUpdateError = [](TDataSet*, EDatabaseError&, TUpdateKind, TUpdateAction& action) { action = uaSkip; };
        parts->ApplyUpdates();
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 102"), 6.0);
        QVERIFY(!parts->UpdatesPending()); // the skipped edit is discarded
    }

    // What another program wrote since this one read is never written over: an edit
    // requires the columns it changes, a delete every column, to hold what was read.
    void changesOfAnotherUserAreUpdateErrors()
    {
        TTable* parts = NewTable("PARTS");
        TTable* orders = NewTable("ORDERS");
        for (TTable* t : {parts, orders})
            t->SetCachedUpdates(true);
        QStringList seen;
        for (TTable* t : {parts, orders})
            t->OnUpdateError = [&](TDataSet* ds, EDatabaseError& e, TUpdateKind kind, TUpdateAction& action) {
                seen << QString("%1 %2 %3").arg(QString::fromStdString(e.Message)).arg(kind).arg(ds->Fields(0)->AsFloat());
                action = uaSkip;
            };
        parts->Open();
        orders->Open();
        auto edit = [](TTable* t, double key, const char* field, double value) {
            QVERIFY(t->Locate(t->Fields(0)->FieldName, key));
            t->Edit();
            t->FieldByName(field)->SetAsFloat(value);
            t->Post();
        };
        auto remove = [](TTable* t, double key) {
            QVERIFY(t->Locate(t->Fields(0)->FieldName, key));
            t->Delete();
        };
        edit(parts, 101, "OnOrder", 2);
        edit(parts, 102, "OnOrder", 2);
        remove(parts, 103);
        remove(orders, 1004);
        edit(orders, 1005, "Freight", 9);
        // Another program, meanwhile.
        {
            TDatabase other;
            store->Open(other, "OTHER");
            store->Exec(other, "UPDATE PARTS SET OnOrder = 5 WHERE PartNo = 101");
            store->Exec(other, "UPDATE PARTS SET Description = 'Renamed' WHERE PartNo = 102");
            store->Exec(other, "UPDATE PARTS SET OnHand = 11 WHERE PartNo = 103");
            store->Exec(other, "DELETE FROM ORDERS WHERE OrderNo IN (1004, 1005)");
        }
        db->ApplyUpdates({parts, orders});
        QCOMPARE(seen, (QStringList{"Record changed by another user 0 101", "Record changed by another user 2 103",
                                    "Record changed by another user 2 1004", "Record changed by another user 0 1005"}));
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 101"), 5.0);
        // A column the edit did not change is the other program's to keep.
        QCOMPARE(store->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 102"), 2.0);
        QCOMPARE(store->Rows("SELECT Description FROM PARTS WHERE PartNo = 102").value(0).value(0).toString(),
                 QString("Renamed"));
        QCOMPARE(store->Number("SELECT OnHand FROM PARTS WHERE PartNo = 103"), 11.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= 1004"), 0.0);
    }

    void unchangedValuesCompareAsStoredWhateverTheirForm()
    {
        // Values as other programs store them: a date in another text form (local data)
        // or with tenths of a millisecond (server), a float that is no short decimal.
        const double odd = 0.1 + 0.2;
        if (kFirebird) {
            store->Exec(*db, "UPDATE ORDERS SET SaleDate = CAST('2004-03-05 12:00:00.1234' AS TIMESTAMP), Freight = ? "
                             "WHERE OrderNo IN (1001, 1002)", {odd});
        } else {
            store->Exec(*db, "UPDATE ORDERS SET SaleDate = '2004-03-05 12:00:00', Freight = ? WHERE OrderNo = 1001", {odd});
            store->Exec(*db, "UPDATE ORDERS SET SaleDate = '2004-03-05T12:00:00.000', Freight = ? WHERE OrderNo = 1002",
                        {odd});
        }
        TTable* orders = NewTable("ORDERS");
        orders->SetCachedUpdates(true);
        QStringList errors;
        orders->OnUpdateError = [&](TDataSet* ds, EDatabaseError& e, TUpdateKind, TUpdateAction& action) {
            errors << QString("%1 %2").arg(QString::fromStdString(e.Message)).arg(ds->Fields(0)->AsFloat());
            action = uaSkip;
        };
        orders->Open();
        for (double no : {1001.0, 1002.0}) {
            QVERIFY(orders->Locate("OrderNo", no));
            QCOMPARE(orders->FieldByName("SaleDate")->AsDateTime(), EncodeDate(2004, 3, 5) + 0.5 + (kFirebird ? 0.123 / 86400 : 0));
            QCOMPARE(orders->FieldByName("Freight")->AsFloat(), odd);
            QVERIFY(orders->FieldByName("ShipDate")->IsNull());
        }
        QVERIFY(orders->Locate("OrderNo", 1001.0));
        orders->Edit();
        orders->FieldByName("SaleDate")->SetAsDateTime(EncodeDate(2004, 3, 6));
        orders->FieldByName("Freight")->SetAsFloat(1);
        orders->FieldByName("ShipDate")->SetAsDateTime(EncodeDate(2004, 3, 7));
        orders->Post();
        QVERIFY(orders->Locate("OrderNo", 1002.0));
        orders->Delete();
        orders->ApplyUpdates();
        QCOMPARE(errors, QStringList());
        QCOMPARE(store->Number("SELECT Freight FROM ORDERS WHERE OrderNo = 1001"), 1.0);
        QCOMPARE(FromStorage(store->Rows("SELECT ShipDate FROM ORDERS WHERE OrderNo = 1001").value(0).value(0), ftDateTime)
                     .toDouble(),
                 EncodeDate(2004, 3, 7));
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = 1002"), 0.0);
        // An empty value another program filled in meanwhile is a change like any other.
        QVERIFY(orders->Locate("OrderNo", 1003.0));
        orders->Edit();
        orders->FieldByName("ShipDate")->SetAsDateTime(EncodeDate(2004, 3, 8));
        orders->Post();
        store->Exec(*db, "UPDATE ORDERS SET ShipDate = ? WHERE OrderNo = 1003",
                    {ToStorage(EncodeDate(2004, 3, 9), ftDateTime, db->Dialect())});
        orders->ApplyUpdates();
        QCOMPARE(errors, QStringList{"Record changed by another user 1003"});
    }

    void detailsFollowTheirMaster()
    {
        TTable* orders = NewTable("ORDERS", "OrderNo");
        TDataSource src;
        src.SetDataSet(orders);
        TTable* items = NewTable("ITEMS", "OrderNo");
        items->SetMasterSource(&src);
        items->MasterFields = "OrderNo";
        items->SetCachedUpdates(true);
        orders->SetCachedUpdates(true);
        orders->Open();
        items->Open();
        QCOMPARE(items->RecordCount(), 3);
        QVector<double> nos;
        for (items->First(); !items->Eof(); items->Next())
            nos << items->FieldByName("ItemNo")->AsFloat();
        QCOMPARE(nos, (QVector<double>{1, 2, 3}));
        orders->Next();
        QCOMPARE(items->RecordCount(), 1);
        QCOMPARE(items->FieldByName("Qty")->AsInteger(), 7);
        orders->Next();
        QVERIFY(items->IsEmpty());
        // A new order's lines belong to it from the start and show under it.
        orders->Insert();
        orders->FieldByName("OrderNo")->SetAsFloat(4000);
        QVERIFY(items->IsEmpty());
        items->Insert();
        QCOMPARE(items->FieldByName("OrderNo")->AsFloat(), 4000.0);
        items->FieldByName("ItemNo")->SetAsFloat(1);
        items->Post();
        QCOMPARE(items->RecordCount(), 1);
        orders->Post();
        db->ApplyUpdates({orders, items});
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = 4000"), 1.0);
        QVERIFY(orders->Locate("OrderNo", 1001.0));
        QCOMPARE(items->RecordCount(), 3);
        orders->Close();
        QVERIFY(items->IsEmpty());
    }

    void queriesTakeParametersAndTheMasterValue()
    {
        TQuery q;
        q.DatabaseName = "TEST";
        q.SQL = QStringList{"select * from orders", "where ", "    (SaleDate >= :FromDate) and",
                            "    (SaleDate <= :ToDate)", "order by ", "  SaleDate descending"};
        QCOMPARE(q.ParamCount(), 2);
        q.ParamByName("FromDate")->SetAsDateTime(40002);
        q.ParamByName("ToDate")->SetAsDateTime(40004);
        q.Open();
        QCOMPARE(q.RecordCount(), 3);
        QCOMPARE(q.FieldByName("OrderNo")->AsFloat(), 1004.0);
        QVERIFY(!q.CanModify());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Edit());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.ParamByName("Nothing"));
        q.Close();

        TTable* orders = NewTable("ORDERS", "OrderNo");
        TDataSource src;
        src.SetDataSet(orders);
        TQuery last;
        last.DatabaseName = "TEST";
        last.SQL = QStringList{"select max(ItemNo)  from Items", "  where OrderNo = :OrderNo"};
        last.SetDataSource(&src);
        orders->Open();
        last.Open();
        QCOMPARE(last.Fields(0)->AsFloat(), 3.0);
        orders->Next();
        QCOMPARE(last.Fields(0)->AsFloat(), 1.0); // an open query follows its master
        orders->Next();
        QVERIFY(last.Fields(0)->IsNull());
    }

    void longWalksKeepTheOrderAcrossManyPages()
    {
        db->StartTransaction();
        QVERIFY(db->InTransaction());
        for (int i = 0; i < 600; ++i)
            store->Exec(*db, "INSERT INTO ORDERS (OrderNo, CustNo) VALUES (?, ?)", {10000.0 + i, double(i % 7)});
        db->Commit();
        QVERIFY(!db->InTransaction());
        TTable* t = NewTable("ORDERS", "CustNo");
        t->PageSize = 7;
        t->Open();
        QVector<QPair<double, double>> seen;
        for (; !t->Eof(); t->Next())
            seen << qMakePair(t->FieldByName("CustNo")->AsFloat(), t->FieldByName("OrderNo")->AsFloat());
        QCOMPARE(seen.size(), 605);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QVERIFY(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
        int back = 0;
        double lastCust = 1e9, lastNo = 1e9;
        for (t->Last(); !t->Bof(); t->Prior(), ++back) {
            QPair<double, double> cur(t->FieldByName("CustNo")->AsFloat(), t->FieldByName("OrderNo")->AsFloat());
            QVERIFY(cur < qMakePair(lastCust, lastNo));
            lastCust = cur.first;
            lastNo = cur.second;
        }
        QCOMPARE(back, 605);
        t->SetRecNo(300);
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), seen[299].second);
        QCOMPARE(t->RecNo(), 300);
        QCOMPARE(t->MoveBy(-299), -299);
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), seen[0].second);
        db->StartTransaction();
        store->Exec(*db, "DELETE FROM ORDERS WHERE OrderNo >= 10000");
        db->Rollback();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS"), 605.0);
    }

    void deletingALocatedRecordMovesToTheNextOne()
    {
        TTable* t = NewTable("ORDERS");
        t->Open();
        QVERIFY(t->Locate("OrderNo", 1003.0));
        t->Delete();
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1004.0);
        QVERIFY(t->Locate("OrderNo", 1005.0));
        t->Delete(); // the last one: the one before takes its place
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1004.0);
        t->Next();
        QVERIFY(t->Eof());
        QCOMPARE(t->RecordCount(), 3);
    }

    void aDeleteNeverTakesTheRecordThatTookTheEditedOnesPlace()
    {
        TTable* orders = NewTable("ORDERS", "OrderNo");
        TDataSource src;
        src.SetDataSet(orders);
        TTable* items = NewTable("ITEMS", "OrderNo");
        items->SetMasterSource(&src);
        items->MasterFields = "OrderNo";
        orders->Open();
        items->Open();
        QCOMPARE(items->FieldByName("ItemNo")->AsFloat(), 1.0);
        // The line is moved to another order while being edited; deleting posts that
        // first, and the line is no longer here to delete.
        items->Edit();
        items->FieldByName("OrderNo")->SetAsFloat(1003);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, items->Delete());
        QCOMPARE(items->State(), dsBrowse);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = 1001"), 2.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo = 1003 AND ItemNo = 1"), 1.0);
        // The same under the order's only line: nothing is left in the view.
        orders->Next();
        items->Edit();
        items->FieldByName("OrderNo")->SetAsFloat(1004);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, items->Delete());
        QVERIFY(items->IsEmpty());
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS"), 4.0);
        // An edit that keeps the line in view is posted and the line deleted.
        orders->First();
        items->Edit();
        items->FieldByName("Qty")->SetAsInteger(9);
        items->Delete();
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS"), 3.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE Qty = 9"), 0.0);
    }

    void visitingRecordsReadsAroundTheCurrentOneWithoutMoving()
    {
        TTable* t = NewTable("ORDERS", "OrderNo");
        t->PageSize = 2; // the visit reads pages beyond the window both ways
        int scrolls = 0;
        t->AfterScroll = [&](TDataSet*) { ++scrolls; };
        t->Open();
        t->MoveBy(2);
        scrolls = 0;
        QVector<QPair<int, double>> seen;
        const int visited = t->VisitRecords(-5, 9, [&](int offset) {
            seen.append({offset, t->FieldByName("OrderNo")->AsFloat()});
        });
        QCOMPARE(visited, 5);
        QCOMPARE(seen, (QVector<QPair<int, double>>{{-2, 1001}, {-1, 1002}, {0, 1003}, {1, 1004}, {2, 1005}}));
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1003.0);
        QCOMPARE(scrolls, 0);
        t->Next();
        QCOMPARE(t->FieldByName("OrderNo")->AsFloat(), 1004.0);
        // Only in browse: an edit's record is the one being edited.
        t->Edit();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->VisitRecords(0, 1, [](int) {}));
        t->Cancel();
    }

    void postErrorsCanBeRetriedOrAborted()
    {
        TTable* t = NewTable("ORDERS");
        t->Open();
        int calls = 0;
        t->OnPostError = [&](TDataSet* ds, EDatabaseError&, TDataAction& action) {
            if (++calls == 1) {
                ds->FieldByName("OrderNo")->SetAsFloat(7777); // fix the key and try again
                action = daRetry;
            } else
                action = daAbort;
        };
        t->Insert();
        t->FieldByName("OrderNo")->SetAsFloat(1001);
        t->Post();
        QCOMPARE(calls, 1);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = 7777"), 1.0);
        t->Insert();
        t->FieldByName("OrderNo")->SetAsFloat(1002);
        QVERIFY_THROWS_EXCEPTION(EAbort, t->Post());
        QCOMPARE(t->State(), dsInsert);
        t->Cancel();
    }

    void detailControlsSeeTheNewMastersLines()
    {
        TTable* orders = NewTable("ORDERS", "OrderNo");
        auto src = std::make_unique<TDataSource>();
        src->SetDataSet(orders);
        TTable* items = NewTable("ITEMS", "OrderNo");
        items->SetMasterSource(src.get());
        items->MasterFields = "OrderNo";
        TDataSource itemsSrc;
        itemsSrc.SetDataSet(items);
        QList<double> shown;
        itemsSrc.OnDataChange = [&](TDataSource* s, TField*) {
            if (!s->DataSet()->IsEmpty())
                shown << s->DataSet()->FieldByName("Qty")->AsFloat();
        };
        orders->Open();
        items->Open();
        shown.clear();
        orders->Next();
        QCOMPARE(shown, QList<double>{7});
        QVERIFY(items->Locate("ItemNo", 1.0));
        // The master's source goes away first: the detail forgets it.
        src.reset();
        QVERIFY(items->MasterSource() == nullptr);
        items->Close();
        items->Open();
        QCOMPARE(items->RecordCount(), 4);
    }

    void queriesRunAgainOnRefresh()
    {
        TQuery q;
        q.DatabaseName = "TEST";
        q.SQL = QStringList{"select * from parts", " where (parts.OnOrder > parts.OnHand)", ""};
        q.Open();
        QVERIFY(q.IsEmpty());
        store->Exec(*db, "UPDATE PARTS SET OnOrder = 20 WHERE PartNo = 102");
        q.Refresh();
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldByName("PartNo")->AsFloat(), 102.0);
        q.Close();
        q.SQL = QStringList{"update parts set OnHand = :Hand where PartNo = :No"};
        q.ParamByName("Hand")->SetAsFloat(99);
        q.ParamByName("No")->SetAsFloat(101);
        QCOMPARE(q.ExecSQL(), 1);
        QCOMPARE(store->Number("SELECT OnHand FROM PARTS WHERE PartNo = 101"), 99.0);
    }

    void exclusiveOpenFailsAtOnceWhenHeld()
    {
        TTable* a = NewTable("NEXTORD");
        a->Exclusive = true;
        a->Open();
        TDatabase other;
        store->Open(other, "OTHER");
        TTable b;
        b.SetDatabase(&other);
        b.TableName = "NEXTORD";
        b.Exclusive = true;
        QElapsedTimer timer;
        timer.start();
        try {
            b.Open();
            QFAIL("opened a held table");
        } catch (const EDatabaseError& e) {
            // Nothing of the driver's words: the user can only wait or ask the other user.
            QCOMPARE(QString::fromStdString(e.Message), QString("Table NEXTORD is in use by another user."));
        }
        QVERIFY(!b.Active());
        // Numbering through the held table is written when it closes.
        a->Edit();
        QCOMPARE(a->FieldByName("NewKey")->AsFloat(), 1006.0);
        a->FieldByName("NewKey")->SetAsFloat(1007);
        a->Post();
        a->Close();
        b.Open();
        QCOMPARE(b.FieldByName("NewKey")->AsFloat(), 1007.0);
        b.Close();
    }

    void exclusiveOpenFailsWhileAnotherProcessHoldsIt()
    {
        QProcess holder;
        holder.start(Helper(), {"hold", store->ConfigFile, "NEXTORD"});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("HELD"));
        TTable* t = NewTable("NEXTORD");
        t->Exclusive = true;
        try {
            t->Open();
            QFAIL("opened a table another program holds");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message), QString("Table NEXTORD is in use by another user."));
        }
        // The other tables stay usable meanwhile.
        TTable* orders = NewTable("ORDERS");
        orders->Open();
        QCOMPARE(orders->RecordCount(), 5);
        TQuery q;
        q.DatabaseName = "TEST";
        q.SQL = QStringList{"select count(*) from orders"};
        q.Open();
        QCOMPARE(q.Fields(0)->AsInteger(), 5);
        holder.closeWriteChannel(); // the holder lets go and ends
        QVERIFY(holder.waitForFinished(30000));
        QCOMPARE(holder.exitCode(), 0);
        t->Open();
        QVERIFY(t->Active());
        t->Close();
    }

    void killingAnApplyHalfWayLosesAndCommitsNothing()
    {
        // One apply that completes, then one killed while its transaction is open.
        QProcess first;
        first.start(Helper(), {"apply", store->ConfigFile, "100", "0"});
        QVERIFY(first.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= 100000"), 100.0);

        QProcess victim;
        victim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        victim.start(Helper(), {"apply", store->ConfigFile, "2000", "1"});
        QVERIFY(victim.waitForStarted());
        QByteArray out;
        while (!out.contains("MIDAPPLY") && victim.waitForReadyRead(60000))
            out += victim.readAll();
        QVERIFY2(out.contains("MIDAPPLY"), out.constData());
        victim.kill();
        QVERIFY(victim.waitForFinished(30000));

        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= 100000"), 100.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo >= 100000"), 300.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= 200000"), 0.0);
    }

    void killingAnApplyAtAnyMomentIsAllOrNothing()
    {
        QProcess victim;
        victim.start(Helper(), {"apply", store->ConfigFile, "3000", "2"});
        QVERIFY(victim.waitForStarted());
        QByteArray out;
        while (!out.contains("APPLYING") && victim.waitForReadyRead(60000))
            out += victim.readAll();
        QVERIFY2(out.contains("APPLYING"), out.constData());
        victim.kill(); // wherever it is: writing, committing or done
        victim.waitForFinished(30000);
        double orders = store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= 100000");
        double items = store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo >= 100000");
        QVERIFY2((orders == 0 && items == 0) || (orders == 3000 && items == 9000),
                 qPrintable(QString("%1 orders, %2 lines").arg(orders).arg(items)));
    }

    // Killed in the middle of a commit over ORDERS and ITEMS, with the temporary folder
    // then emptied as a reboot does: the next open finds neither the orders nor their lines.
    void aCrashDuringACommitAndARebootLeaveNothingHalfCommitted()
    {
        if (kFirebird)
            QSKIP("local data: the server's commit is atomic on its own");
        const QString tmp = store->Root + "/tmp";
        QVERIFY(QDir().mkpath(tmp));
        QProcess victim;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", tmp);
        victim.setProcessEnvironment(env);
        victim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        victim.start(Helper(), {"apply", store->ConfigFile, "300", "3"});
        QVERIFY(victim.waitForStarted());
        QByteArray out;
        while (!out.contains("MIDCOMMIT") && victim.waitForReadyRead(60000))
            out += victim.readAll();
        QVERIFY2(out.contains("MIDCOMMIT"), out.constData());
        // ORDERS.DB holds the new orders now, ITEMS.DB not yet their lines.
        victim.kill();
        QVERIFY(victim.waitForFinished(30000));
        QVERIFY(QDir(tmp).removeRecursively());
        QVERIFY(QDir().mkpath(tmp));

        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo >= 100000"), 0.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS WHERE OrderNo >= 100000"), 0.0);
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ORDERS"), 5.0);
        // Nothing of the ended program is left to roll back: its main file and super-journal
        // are gone, and a table journal whose header was never synced (ITEMS.DB's) is not
        // hot, so SQLite ignores it and reuses it on the next write.
        db.reset();
        const QStringList left = QDir(store->DataFolder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : left) {
            QVERIFY2(!name.startsWith(".quorvale-"), qPrintable(left.join(", ")));
            if (name.endsWith("-journal")) {
                QFile journal(QDir(store->DataFolder).filePath(name));
                QVERIFY(journal.open(QIODevice::ReadOnly));
                QCOMPARE(journal.read(1), QByteArray(1, '\0'));
            }
        }
        QCOMPARE(store->Number("SELECT COUNT(*) FROM ITEMS"), 4.0);
    }

    void theMainDatabaseLivesInTheDataFolderWhileTheConnectionIsOpen()
    {
        if (kFirebird)
            QSKIP("local data only");
        const QDir folder(store->DataFolder);
        auto scratch = [&] { return folder.entryList({".quorvale-*"}, QDir::Files | QDir::Hidden | QDir::System); };
        const QString self = QString::number(QCoreApplication::applicationPid());
        QCOMPARE(scratch().size(), 1);
        QVERIFY2(scratch().first().startsWith(".quorvale-" + self + "-"), qPrintable(scratch().first()));
        QVERIFY(!QFileInfo::exists(QDir(QDir::tempPath()).filePath(scratch().first())));
        // Left behind: by an ended program of this machine (with a super-journal whose
        // table journal is long gone), by a running one, and by another machine.
        QProcess ended;
        ended.start("true");
        QVERIFY(ended.waitForStarted());
        const qint64 endedPid = ended.processId();
        QVERIFY(endedPid > 1);
        QVERIFY(ended.waitForFinished());
        const QString prefix = ".quorvale-" + self + "-99999-";
        const QString hostTail = QFileInfo(LocalMainFile(store->DataFolder, 99999)).fileName().mid(prefix.size());
        auto leave = [&](const QString& name, const QByteArray& content = QByteArray()) {
            QFile f(folder.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        };
        const QString deadMain = QString(".quorvale-%1-1-").arg(endedPid) + hostTail;
        leave(deadMain);
        leave(deadMain + "-mj0A1B2C93F", (folder.filePath("ITEMS.DB") + "-journal").toUtf8() + '\0');
        const QString runningMain = ".quorvale-1-1-" + hostTail; // init runs as long as the machine
        leave(runningMain);
        const QString otherHost = QString(".quorvale-%1-1-elsewhere.example.main").arg(endedPid);
        leave(otherHost);

        TDatabase second;
        store->Open(second, "SECOND");
        QStringList now = scratch();
        QVERIFY2(!now.contains(deadMain) && !now.contains(deadMain + "-mj0A1B2C93F"), qPrintable(now.join(", ")));
        QVERIFY(now.contains(runningMain));
        QVERIFY(now.contains(otherHost));
        QCOMPARE(now.size(), 4); // two connections of this program, and the two left alone
        second.Close();
        db->Close();
        QCOMPARE(scratch(), (QStringList{runningMain, otherHost}));
    }

    // A folder that refuses new files (read-only media, or permissions) is read as
    // usual; every write is refused at once, naming the folder.
    void aReadOnlyDataFolderIsReadAndRefusesChanges()
    {
        if (kFirebird)
            QSKIP("local data only");
        db.reset();
        // Root may create files anywhere, except in a folder marked immutable.
        const bool root = geteuid() == 0;
        auto setReadOnly = [&](bool on) {
            if (root)
                return QProcess::execute("chattr", {on ? "+i" : "-i", store->DataFolder}) == 0;
            return QFile::setPermissions(store->DataFolder, on ? QFile::ReadOwner | QFile::ExeOwner
                                                           : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        if (!setReadOnly(true))
            QSKIP("this file system cannot make a folder read-only for this user");
        struct Restore {
            std::function<void()> Undo;
            ~Restore() { Undo(); }
        } restore{[&] { setReadOnly(false); }};
        if (QFile probe(store->DataFolder + "probe"); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("the folder still takes new files");
        }
        TDatabase ro;
        store->Open(ro, "READONLY");
        QVERIFY(ro.ReadOnlyData());
        TTable orders;
        orders.SetDatabase(&ro);
        orders.TableName = "ORDERS";
        orders.Open();
        QCOMPARE(orders.RecordCount(), 5);
        QCOMPARE(orders.FieldByName("OrderNo")->AsFloat(), 1001.0);
        const QString refused = "Cannot save changes: the data folder " + QDir::toNativeSeparators(QDir(store->DataFolder).absolutePath())
            + " cannot be written (";
        auto expectRefused = [&](const std::function<void()>& write) {
            try {
                write();
                QFAIL("wrote to a read-only folder");
            } catch (const EDatabaseError& e) {
                QVERIFY2(QString::fromStdString(e.Message).startsWith(refused), e.what());
            }
        };
        orders.Edit();
        orders.FieldByName("Freight")->SetAsFloat(3);
        expectRefused([&] { orders.Post(); });
        orders.Cancel();
        orders.SetCachedUpdates(true);
        orders.Edit();
        orders.FieldByName("Freight")->SetAsFloat(3);
        orders.Post();
        expectRefused([&] { orders.ApplyUpdates(); });
        TTable counter;
        counter.SetDatabase(&ro);
        counter.TableName = "NEXTORD";
        counter.Exclusive = true;
        expectRefused([&] { counter.Open(); });
        orders.CancelUpdates();
        QCOMPARE(orders.FieldByName("Freight")->AsFloat(), 0.0);
        ro.Close();
        QCOMPARE(QDir(store->DataFolder).entryList({".quorvale-*"}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(EngineTest)
#include "engine_test.moc"
