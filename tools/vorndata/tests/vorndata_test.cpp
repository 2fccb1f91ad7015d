// The order database in a folder of table files: layout, keys, indexes, content,
// determinism, refusal to overwrite, and the command line.
#include "platform/data/alias.h"
#include "tools/orderdata/builder.h"
#include "tools/vorndata/cmdline.h"
#include "platform/data/database.h"
#include "platform/data/query.h"
#include "tools/vorndata/tests/tablecheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <algorithm>

using namespace vorndata;

namespace {

const QDate Today(2024, 5, 17);

BuildOptions Options(int orders = 300, std::uint32_t seed = DefaultSeed)
{
    BuildOptions options;
    options.orders = orders;
    options.seed = seed;
    options.today = Today;
    return options;
}

// A connection that sees the folder the way the engine does: every table file
// attached under its table's name.
class FolderConnection {
public:
    explicit FolderConnection(const QString& folder)
        : FName(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", FName);
        db.setDatabaseName(":memory:");
        db.open();
        QSqlQuery query(db);
        for (const tablecheck::Table& table : tablecheck::ExpectedTables()) {
            query.prepare(QString("ATTACH DATABASE ? AS %1").arg(table.name));
            query.addBindValue(QDir(folder).filePath(table.name + ".DB"));
            FOk = query.exec() && FOk;
        }
    }
    ~FolderConnection()
    {
        QSqlDatabase::database(FName, false).close();
        QSqlDatabase::removeDatabase(FName);
    }
    bool Ok() const { return FOk; }
    QSqlDatabase Db() const { return QSqlDatabase::database(FName, false); }

private:
    QString FName;
    bool FOk = true;
};

// One table file opened alone.
class FileConnection {
public:
    explicit FileConnection(const QString& path) : FName(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", FName);
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        db.open();
    }
    ~FileConnection()
    {
        QSqlDatabase::database(FName, false).close();
        QSqlDatabase::removeDatabase(FName);
    }
    QList<QStringList> Rows(const QString& sql) const
    {
        QSqlQuery query(QSqlDatabase::database(FName, false));
        QList<QStringList> rows;
        if (!query.exec(sql))
            rows << QStringList{"ERROR", query.lastError().text()};
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i).toString();
            rows << row;
        }
        return rows;
    }

private:
    QString FName;
};

QString DumpFolder(const QString& folder)
{
    FolderConnection connection(folder);
    return connection.Ok() ? tablecheck::Dump(connection.Db()) : QString("cannot attach");
}

QString SqliteType(const tablecheck::Column& column)
{
    switch (column.kind) {
    case 'F': return "DOUBLE PRECISION";
    case 'I': return "INTEGER";
    case 'S': return QString("VARCHAR(%1)").arg(column.size);
    case 'D': return "TIMESTAMP";
    case 'B': return "INTEGER";
    }
    return "?";
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ProgramRun {
    int exitCode;
    QString out, err;
};

ProgramRun RunProgram(const QStringList& arguments)
{
    QProcess process;
    process.start(VORNDATA_EXE, arguments);
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

}  // namespace

class VornDataTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(FBuilt.isValid());
        BuildLocal(FBuilt.path(), Options());
        // The command line reads the engine configuration: this machine's must not count.
        qputenv("VORN_ENGINE_CONFIG", QDir(FConfig.path()).filePath("engine.ini").toUtf8());
    }

    void rulesArithmetic()
    {
        QCOMPARE(ExtPrice(3, 10, 10), 27.0);
        QCOMPARE(AmountDue(100, 8.25, 10, 50), 68.25);
        QCOMPARE(AmountDue(0, 0, 0, 0), 0.0);
    }

    void oneFileHoldingOneTablePerTable()
    {
        const QStringList files = QDir(FBuilt.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files, QStringList({"CUSTOMER.DB", "EMPLOYEE.DB", "ITEMS.DB", "NEXTCUST.DB", "NEXTORD.DB",
                                     "ORDERS.DB", "PARTS.DB", "VENDORS.DB"}));
        for (const tablecheck::Table& table : tablecheck::ExpectedTables()) {
            FileConnection file(QDir(FBuilt.path()).filePath(table.name + ".DB"));
            QCOMPARE(file.Rows("SELECT name FROM sqlite_master WHERE type = 'table'"),
                     QList<QStringList>{QStringList{table.name}});
        }
    }

    void columnsTypesAndPrimaryKeys()
    {
        for (const tablecheck::Table& table : tablecheck::ExpectedTables()) {
            FileConnection file(QDir(FBuilt.path()).filePath(table.name + ".DB"));
            const QList<QStringList> info = file.Rows(QString("SELECT name, type, pk FROM pragma_table_info('%1')").arg(table.name));
            QCOMPARE(info.size(), table.columns.size());
            QStringList key(table.primaryKey.size());
            for (int i = 0; i < info.size(); ++i) {
                QCOMPARE(info[i][0], table.columns[i].name);
                QCOMPARE(info[i][1], SqliteType(table.columns[i]));
                const int pk = info[i][2].toInt();
                if (pk > 0) {
                    QVERIFY2(pk <= key.size(), qPrintable(table.name + "." + info[i][0]));
                    key[pk - 1] = info[i][0];
                }
            }
            QCOMPARE(key, table.primaryKey);
        }
    }

    void indexesServeTheOrderings()
    {
        for (const tablecheck::Table& table : tablecheck::ExpectedTables()) {
            FileConnection file(QDir(FBuilt.path()).filePath(table.name + ".DB"));
            QStringList leading;
            for (const QStringList& index : file.Rows(QString("SELECT name FROM pragma_index_list('%1')").arg(table.name))) {
                const QList<QStringList> columns =
                    file.Rows(QString("SELECT name FROM pragma_index_info('%1') ORDER BY seqno").arg(index[0]));
                QVERIFY(!columns.isEmpty());
                leading << columns[0][0];
            }
            // A single INTEGER key is SQLite's row id: the table itself is ordered by it.
            const QList<QStringList> rowId = file.Rows(QString("SELECT name FROM pragma_table_info('%1') "
                                                               "WHERE pk = 1 AND type = 'INTEGER' AND "
                                                               "(SELECT COUNT(*) FROM pragma_table_info('%1') WHERE pk > 0) = 1")
                                                           .arg(table.name));
            if (!rowId.isEmpty())
                leading << rowId[0][0];
            for (const QString& column : table.orderedBy)
                QVERIFY2(leading.contains(column), qPrintable(table.name + " has no index on " + column));
        }
    }

    void sampleContentIsConsistent()
    {
        FolderConnection connection(FBuilt.path());
        QVERIFY(connection.Ok());
        tablecheck::CheckSampleContent(connection.Db(), Today, 300);
    }

    void datesAreTheEnginesOwnText()
    {
        // Every stored date reads and writes back unchanged through the engine.
        const QList<QPair<QString, QString>> dated = {{"ORDERS", "SaleDate"}, {"ORDERS", "ShipDate"},
                                                      {"CUSTOMER", "LastInvoiceDate"}, {"EMPLOYEE", "HireDate"}};
        for (const auto& [table, column] : dated) {
            FileConnection file(QDir(FBuilt.path()).filePath(table + ".DB"));
            const QList<QStringList> rows = file.Rows(QString("SELECT %1 FROM %2 WHERE %1 IS NOT NULL").arg(column, table));
            QVERIFY(!rows.isEmpty());
            for (const QStringList& row : rows) {
                const QVariant value = FromStorage(row[0], ftDateTime);
                QVERIFY2(!value.isNull(), qPrintable(table + "." + column + ": " + row[0]));
                QCOMPARE(ToStorage(value, ftDateTime, dlSqlite).toString(), row[0]);
            }
        }
        // So the engine's range on one stored day finds that day's orders.
        Session.AddStandardAlias("BUILTDATES", FBuilt.path());
        auto forget = qScopeGuard([] { Session.Reset(); });
        TDatabase db;
        db.AliasName = "BUILTDATES";
        db.Open();
        TQuery day;
        day.SetDatabase(&db);
        day.SQL = QStringList{"select OrderNo, SaleDate from orders where SaleDate >= :FromDate and SaleDate <= :ToDate"};
        FileConnection orders(QDir(FBuilt.path()).filePath("ORDERS.DB"));
        const QString stored = orders.Rows("SELECT SaleDate FROM ORDERS WHERE OrderNo = 1001").value(0).value(0);
        const TDateTime sale = FromStorage(stored, ftDateTime).toDouble();
        day.ParamByName("FromDate")->SetAsDateTime(sale);
        day.ParamByName("ToDate")->SetAsDateTime(sale);
        day.Open();
        QVERIFY(day.Locate("OrderNo", 1001.0));
        QCOMPARE(double(day.RecordCount()),
                 orders.Rows(QString("SELECT COUNT(*) FROM ORDERS WHERE SaleDate = '%1'").arg(stored)).value(0).value(0).toDouble());
    }

    void largerDataSetsStayConsistent()
    {
        QTemporaryDir dir;
        QList<std::int64_t> reported;
        BuildOptions options = Options(12000, 7);
        options.progress = [&reported](std::int64_t done, std::int64_t total) {
            QCOMPARE(total, std::int64_t(12000));
            reported << done;
        };
        const BuildResult result = BuildLocal(dir.path(), options);
        QCOMPARE(result.orders, std::int64_t(12000));
        QVERIFY(result.items >= 12000 && result.items <= 6 * 12000);
        QVERIFY(reported.size() >= 2);
        QCOMPARE(reported.last(), std::int64_t(12000));
        QVERIFY(std::is_sorted(reported.begin(), reported.end()));

        FolderConnection connection(dir.path());
        QVERIFY(connection.Ok());
        tablecheck::CheckSampleContent(connection.Db(), Today, 12000);
    }

    void noOrdersStillCountsFromTheStart()
    {
        QTemporaryDir dir;
        const BuildResult result = BuildLocal(dir.path(), Options(0));
        QCOMPARE(result.orders, std::int64_t(0));
        FolderConnection connection(dir.path());
        tablecheck::CheckSampleContent(connection.Db(), Today, 0);
    }

    void sameSeedGivesSameData()
    {
        QTemporaryDir again, other;
        BuildLocal(again.path(), Options());
        BuildLocal(other.path(), Options(300, DefaultSeed + 1));
        const QString first = DumpFolder(FBuilt.path());
        QVERIFY(first.count('\n') > 300);
        QCOMPARE(DumpFolder(again.path()), first);
        QVERIFY(DumpFolder(other.path()) != first);
    }

    void refusesToReplaceWithoutForce()
    {
        QTemporaryDir dir;
        BuildLocal(dir.path(), Options(50));
        const QString orders = QDir(dir.path()).filePath("ORDERS.DB");
        const QByteArray before = FileBytes(orders);
        QVERIFY(!before.isEmpty());
        try {
            BuildLocal(dir.path(), Options(80));
            QFAIL("an existing database was replaced without --force");
        } catch (const BuildError& e) {
            QVERIFY2(e.Message().contains("--force"), qPrintable(e.Message()));
            QVERIFY2(e.Message().contains("ORDERS.DB"), qPrintable(e.Message()));
        }
        QCOMPARE(FileBytes(orders), before);

        BuildOptions force = Options(80);
        force.force = true;
        QCOMPARE(BuildLocal(dir.path(), force).orders, std::int64_t(80));
        FolderConnection connection(dir.path());
        tablecheck::CheckSampleContent(connection.Db(), Today, 80);
        QVERIFY(QDir(dir.path()).entryList({"*.partial"}, QDir::Files).isEmpty());
    }

    void oneExistingTableIsEnoughToRefuse()
    {
        QTemporaryDir dir;
        QFile stray(QDir(dir.path()).filePath("NEXTORD.DB"));
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.write("keep me");
        stray.close();
        QVERIFY_THROWS_EXCEPTION(BuildError, BuildLocal(dir.path(), Options(10)));
        QCOMPARE(FileBytes(stray.fileName()), QByteArray("keep me"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"NEXTORD.DB"});
    }

    void unusableFolderIsReported()
    {
        QTemporaryDir dir;
        const QString file = QDir(dir.path()).filePath("plain-file");
        QFile plain(file);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        for (const QString& folder : {file, file + "/below"}) {
            try {
                BuildLocal(folder, Options(10));
                QFAIL(qPrintable("no error for " + folder));
            } catch (const BuildError& e) {
                QVERIFY2(e.Message().contains(QDir::toNativeSeparators(folder)) || e.Message().contains("folder"),
                         qPrintable(e.Message()));
            }
        }
    }

    void unreachableServerIsReported()
    {
        ServerLogin login;
        login.serverName = "127.0.0.1/1:/tmp/none.fdb";  // nothing listens on port 1
        try {
            BuildServer(login, Options(10));
            QFAIL("no error without a server");
        } catch (const BuildError& e) {
            QVERIFY2(e.Message().contains("no Firebird server answers on 127.0.0.1:1"), qPrintable(e.Message()));
        }
    }

    void acceptsOnlyServerDatabaseNamesThatNameTheirHost()
    {
        // The engine reads the parts (its own tests); the tool refuses what names no host.
        for (const char* good : {"localhost:/var/lib/DEZAZAV.GDB", "db.example/3051:/data/X.GDB",
                                  "[::1]/3057:/data/X.GDB", "h:/x.fdb"})
            QVERIFY2(NamesServerDatabase(good), good);
        for (const char* bad : {"/var/lib/DEZAZAV.GDB", "localhost:", "localhost/99999:/x", "localhost/0:/x",
                                "C:\\DATA\\X.GDB"})
            QVERIFY2(!NamesServerDatabase(bad), bad);
        CommandLine line;
        QString error;
        QVERIFY(!ParseCommandLine({"--server", "/var/lib/DEZAZAV.GDB"}, &line, &error));
        QVERIFY2(error.contains("is not HOST:PATH"), qPrintable(error));
    }

    void parsesGoodCommandLines()
    {
        CommandLine line;
        QString error;
        QVERIFY(ParseCommandLine({"--local", "data", "--orders", "1000000", "--force", "--seed=5", "--today",
                                  "2023-01-31"},
                                 &line, &error));
        QCOMPARE(line.target, CommandLine::Target::Local);
        QCOMPARE(line.folder, QString("data"));
        QCOMPARE(line.options.orders, std::int64_t(1000000));
        QCOMPARE(line.options.seed, std::uint32_t(5));
        QCOMPARE(line.options.today, QDate(2023, 1, 31));
        QVERIFY(line.options.force);

        QVERIFY(ParseCommandLine({"--server", "localhost:/d/DEZAZAV.GDB", "--user", "ALICE", "--password", "pw"},
                                 &line, &error));
        QCOMPARE(line.target, CommandLine::Target::Server);
        QCOMPARE(line.login.serverName, QString("localhost:/d/DEZAZAV.GDB"));
        QCOMPARE(line.login.user, QString("ALICE"));
        QCOMPARE(line.login.password, QString("pw"));
        QCOMPARE(line.options.orders, std::int64_t(300));
        QVERIFY(!line.options.force);

        QVERIFY(ParseCommandLine({"--server", "h:/x.fdb"}, &line, &error));
        QCOMPARE(line.login.user, QString("SYSDBA"));
        QCOMPARE(line.login.password, QString("keelboard"));
    }

    void theServerLoginComesFromTheServerAliasUnlessGiven()
    {
        const QString configFile = QDir(FConfig.path()).filePath("engine.ini");
        const auto forget = qScopeGuard([&configFile] {
            QFile::remove(configFile);
            Session.Reset();
        });
        auto configure = [&configFile](const QString& text) {
            QFile file(configFile);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
            file.write(text.toUtf8());
            file.close();
            Session.Reset();
        };
        auto login = [](const QStringList& arguments) {
            CommandLine line;
            QString error;
            if (!ParseCommandLine(arguments, &line, &error))
                return "error: " + error;
            return line.login.user + "/" + line.login.password;
        };
        configure("[DEZAZAV]\nDRIVER=INTRBASE\nSERVER NAME=h:/x.fdb\nUSER NAME=CLERK\nPASSWORD=site secret\n");
        QCOMPARE(login({"--server", "h:/x.fdb"}), QString("CLERK/site secret"));
        QCOMPARE(login({"--server", "h:/x.fdb", "--password", "pw"}), QString("CLERK/pw"));
        QCOMPARE(login({"--server", "h:/x.fdb", "--user", "ALICE"}), QString("ALICE/site secret"));
        QCOMPARE(login({"--user", "ALICE", "--password", "pw", "--server", "h:/x.fdb"}), QString("ALICE/pw"));
        configure("[DEZAZAV]\nDRIVER=INTRBASE\nSERVER NAME=h:/x.fdb\nPASSWORD=site secret\n");
        QCOMPARE(login({"--server", "h:/x.fdb"}), QString("SYSDBA/site secret"));
        configure("[OTHER]\nDRIVER=INTRBASE\nSERVER NAME=h:/x.fdb\nPASSWORD=site secret\n"
                  "[DEZAZAV]\nDRIVER=PARADOX\nPATH=/d\nPASSWORD=not a server's\n");
        QCOMPARE(login({"--server", "h:/x.fdb"}), QString("SYSDBA/keelboard"));
        configure("");
        QCOMPARE(login({"--server", "h:/x.fdb"}), QString("SYSDBA/keelboard"));
    }

    void refusesBadCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << "--local DIR or --server";
        QTest::newRow("both") << QStringList{"--local", "d", "--server", "h:/x"} << "not both";
        QTest::newRow("no folder") << QStringList{"--local"} << "--local needs a folder";
        QTest::newRow("orders text") << QStringList{"--local", "d", "--orders", "many"} << "'many'";
        QTest::newRow("orders negative") << QStringList{"--local", "d", "--orders", "-3"} << "--orders";
        QTest::newRow("orders missing") << QStringList{"--local", "d", "--orders"} << "--orders needs";
        QTest::newRow("bad date") << QStringList{"--local", "d", "--today", "2024-02-30"} << "--today";
        QTest::newRow("no host") << QStringList{"--server", "/var/x.fdb"} << "HOST:PATH";
        QTest::newRow("unknown") << QStringList{"--local", "d", "--colour"} << "unknown option --colour";
        QTest::newRow("stray") << QStringList{"--local", "d", "extra"} << "'extra'";
        QTest::newRow("login local") << QStringList{"--local", "d", "--user", "u"} << "--server only";
    }

    void refusesBadCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        CommandLine line;
        QString error;
        QVERIFY(!ParseCommandLine(arguments, &line, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    void programExitCodes()
    {
        QTemporaryDir dir;
        const QString folder = QDir(dir.path()).filePath("data");

        ProgramRun run = RunProgram({});
        QCOMPARE(run.exitCode, int(ExitUsage));
        QVERIFY2(run.err.contains("Usage: vorndata"), qPrintable(run.err));

        run = RunProgram({"--local", folder, "--orders", "20", "--today", "2024-05-17"});
        QCOMPARE(run.exitCode, int(ExitOk));
        QVERIFY2(run.out.contains("20 orders"), qPrintable(run.out));
        QVERIFY(QFile::exists(QDir(folder).filePath("ORDERS.DB")));

        run = RunProgram({"--local", folder, "--orders", "20"});
        QCOMPARE(run.exitCode, int(ExitFailed));
        QVERIFY2(run.err.contains("--force"), qPrintable(run.err));

        run = RunProgram({"--local", folder, "--orders", "20000", "--force"});
        QCOMPARE(run.exitCode, int(ExitOk));
        QVERIFY2(run.err.contains("orders: 20000 of 20000 (100%)"), qPrintable(run.err));
    }

private:
    QTemporaryDir FBuilt;
    QTemporaryDir FConfig;
};

QTEST_GUILESS_MAIN(VornDataTest)
#include "vorndata_test.moc"
