// Scratch order databases for the data module's tests: the sample database in a
// temporary folder laid out as the program expects it (<root>/DATA beside
// <root>/bin/app, the executable's folder), or a scratch database on the tests'
// Firebird server (testsupport/testserver.h); an engine configuration naming it under
// the alias "DBDEMOS", with the server's login, which wins over the data module's own.
// A few rows with known values are added so that the rules can be checked exactly.
#pragma once

#include "orderentry/DataMod.h"
#include "platform/data/alias.h"
#include "tools/orderdata/builder.h"
#include "platform/data/fbclient.h"
#include "platform/data/localstore.h"
#include "platform/widgets/messages.h"
#include "xmllib/strs.h"
#include "testsupport/testserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <atomic>
#include <memory>

// Known rows: parts 9001 (list price 10) and 9002 (list price 4.5), customers 9001
// (tax rate 8.25, last invoice 1 Mar 2020), 9002 (no tax rate, no last invoice) and
// 9003 (tax rate 5); employee 9001 "Lowe, Ada".
constexpr double kPartA = 9001, kPartB = 9002;
constexpr double kCustTaxed = 9001, kCustBare = 9002, kCustOther = 9003;
constexpr int kEmp = 9001;

struct DataModStore {
    bool Firebird;
    // Server data lies where both the server and the tests reach the files.
    QTemporaryDir Dir;
    QString Root;       // <root>: holds DATA and bin/app
    QString DataFolder; // <root>/DATA
    QString AppDir;     // <root>/bin/app/ : where DataFolder is found from
    QString ConfigFile;
    QString ServerName; // host:path of the server database
    bool Created = false;

    explicit DataModStore(bool firebird, int orders = 12)
        : Firebird(firebird), Dir((firebird ? TestServerFolder() : QDir::tempPath()) + "/datamod-XXXXXX")
    {
        Root = Dir.path();
        DataFolder = Root + "/DATA";
        AppDir = Root + "/bin/app/";
        QDir().mkpath(DataFolder);
        QDir().mkpath(AppDir);
        vorndata::BuildOptions options;
        options.orders = orders;
        if (firebird) {
            // The server writes the database file; a shared one runs as a user of its own.
            const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
            QFile::setPermissions(Root, open);
            QFile::setPermissions(DataFolder, open);
            ServerName = QString("%1/%2:%3/DEZAZAV.GDB").arg(TestServerHost()).arg(TestServerPort()).arg(DataFolder);
            vorndata::ServerLogin login;
            login.serverName = ServerName;
            login.user = TestServerUser();
            login.password = TestServerPassword();
            vorndata::BuildServer(login, options);
            Created = true;
        } else {
            vorndata::BuildLocal(DataFolder, options);
        }
        ConfigFile = Root + "/engine.ini";
        WriteConfig(firebird ? "[DBDEMOS]\nDRIVER=INTRBASE\nSERVER NAME=" + ServerName + "\n" + TestServerLogin()
                             : "[DBDEMOS]\nDRIVER=PARADOX\nPATH=" + DataFolder + "\n");
        AddKnownRows();
    }

    ~DataModStore()
    {
        qunsetenv("VORN_ENGINE_CONFIG");
        Session.Reset();
        if (Created) {
            try {
                DropServerDatabase(ServerName, TestServerUser(), TestServerPassword());
            } catch (...) {
            }
        }
    }

    void WriteConfig(const QString& text)
    {
        QFile f(ConfigFile);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate));
        f.write(text.toUtf8());
        f.close();
        qputenv("VORN_ENGINE_CONFIG", ConfigFile.toUtf8());
        Session.Reset();
    }

    // A connection of its own under "DBDEMOS", as another program sees the data.
    void Open(TDatabase& db)
    {
        db.DatabaseName = "CHECK";
        db.AliasName = "DBDEMOS";
        db.Params = QStringList{"USER NAME=" + TestServerUser(), "PASSWORD=" + TestServerPassword()};
        db.Open();
    }

    void Exec(const QString& sql, const QVariantList& params = {})
    {
        TDatabase db;
        Open(db);
        db.EnsureTablesOf(sql);
        db.Runner().Execute(sql, params);
        db.Close();
    }

    QVector<QVector<QVariant>> Rows(const QString& sql, const QVariantList& params = {})
    {
        TDatabase db;
        Open(db);
        db.EnsureTablesOf(sql);
        auto rows = db.Runner().Select(sql, params);
        db.Close();
        return rows;
    }

    // The first column of the first row, null when there is no row.
    QVariant Value(const QString& sql, const QVariantList& params = {})
    {
        auto rows = Rows(sql, params);
        return rows.isEmpty() ? QVariant() : rows.first().value(0);
    }
    double Number(const QString& sql, const QVariantList& params = {}) { return Value(sql, params).toDouble(); }

    QVariant Date(TDateTime d) const { return ToStorage(d, ftDateTime, Firebird ? dlFirebird : dlSqlite); }

    void AddKnownRows()
    {
        Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
             "VALUES (9001, 'Test regulator', 1, 20, 0, 6, 10)");
        Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
             "VALUES (9002, 'Test fin', 1, 5, 3, 2, 4.5)");
        Exec("INSERT INTO CUSTOMER (CustNo, Company, TaxRate, LastInvoiceDate) VALUES (9001, 'Taxed Dive Shop', 8.25, ?)",
             {Date(EncodeDate(2020, 3, 1))});
        Exec("INSERT INTO CUSTOMER (CustNo, Company) VALUES (9002, 'Bare Reef Supply')");
        Exec("INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (9003, 'Other Coast Divers', 5)");
        Exec("INSERT INTO EMPLOYEE (EmpNo, LastName, FirstName) VALUES (9001, 'Lowe', 'Ada')");
    }
};

// Answers every question with No and records it, unless a test installs its own.
struct QuietUser {
    TMessageRecorder Recorder{{}, mrNo};
};
