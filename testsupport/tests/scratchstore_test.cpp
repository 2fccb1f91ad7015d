// The scratch store on local data or (built with QUORVALE_TEST_FIREBIRD) on the
// server: what a test reads through it, and that its going leaves nothing behind for
// the next test, neither the settings it lent the process nor the server database.
#include "platform/data/alias.h"
#include "testsupport/scratchstore.h"
#include "testsupport/testserver.h"
#include "xmllib/strs.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cmath>

class ScratchStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        if (kFirebird)
            REQUIRE_TEST_SERVER();
    }

    void itsGoingPutsBackWhatItLent()
    {
        qputenv("VORN_ENGINE_CONFIG", "/before/engine.ini");
        qunsetenv("XDG_CONFIG_HOME");
        AppFolder = "/before/bin/app/";
        QString root, dataFile;
        vorndata::ServerLogin login;
        {
            TScratchStore store(kFirebird);
            root = store.Root;
            login = store.Login();
            QCOMPARE(qEnvironmentVariable("VORN_ENGINE_CONFIG"), store.ConfigFile);
            QCOMPARE(qEnvironmentVariable("XDG_CONFIG_HOME"), store.Root + "/config");
            QCOMPARE(QDir::cleanPath(QString::fromStdString(AppFolder) + "../../DATA"), QDir::cleanPath(store.DataFolder));
            store.CreateTable("NEXTORD", "NewKey DOUBLE PRECISION");
            dataFile = kFirebird ? store.DataFolder + "DEZAZAV.GDB" : store.DataFolder + "NEXTORD.DB";
            QVERIFY(QFile::exists(dataFile));
            QVERIFY(Session.IsAlias("DBDEMOS"));
        }
        QCOMPARE(qEnvironmentVariable("VORN_ENGINE_CONFIG"), QString("/before/engine.ini"));
        QVERIFY(!qEnvironmentVariableIsSet("XDG_CONFIG_HOME"));
        QCOMPARE(AppFolder, std::string("/before/bin/app/"));
        QVERIFY(!QFile::exists(dataFile));
        QVERIFY(!QFileInfo::exists(root));
        if (kFirebird)
            QVERIFY(!vorndata::ServerDatabaseExists(login));
        qunsetenv("VORN_ENGINE_CONFIG");
    }

    void aMissingRowIsNeitherAValueNorANumber()
    {
        TScratchStore store(kFirebird);
        store.CreateTable("PARTS", "PartNo DOUBLE PRECISION NOT NULL PRIMARY KEY, OnOrder DOUBLE PRECISION");
        store.Exec("INSERT INTO PARTS (PartNo, OnOrder) VALUES (1, 0)");
        store.Exec("INSERT INTO PARTS (PartNo) VALUES (2)");
        QCOMPARE(store.Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {1.0}), 0.0);
        QCOMPARE(store.Number("SELECT OnOrder FROM PARTS WHERE PartNo = 2"), 0.0); // null
        QVERIFY(store.Value("SELECT OnOrder FROM PARTS WHERE PartNo = 2").isNull());
        QVERIFY(std::isnan(store.Number("SELECT OnOrder FROM PARTS WHERE PartNo = 3")));
        QVERIFY(store.Value("SELECT OnOrder FROM PARTS WHERE PartNo = 3").isNull());
        QCOMPARE(store.Rows("SELECT PartNo FROM PARTS ORDER BY PartNo").size(), 2);
    }

    void anotherAliasNamesTheSameData()
    {
        TScratchStore store(kFirebird);
        store.CreateTable("NEXTORD", "NewKey DOUBLE PRECISION");
        store.Exec("INSERT INTO NEXTORD (NewKey) VALUES (1006)");
        store.WriteConfig(store.AliasLines("OTHER"));
        QVERIFY(!Session.IsAlias("DBDEMOS"));
        TDatabase db;
        db.AliasName = "OTHER";
        db.Open(); // the server's login comes with the alias
        QCOMPARE(db.IsSQLBased(), kFirebird);
        db.EnsureTablesOf("SELECT NewKey FROM NEXTORD");
        QCOMPARE(db.Runner().Select("SELECT NewKey FROM NEXTORD", {}).value(0).value(0).toDouble(), 1006.0);
    }
};

QTEST_GUILESS_MAIN(ScratchStoreTest)
#include "scratchstore_test.moc"
