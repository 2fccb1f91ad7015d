// The order database on a Firebird server: created in a scratch store on the tests'
// server (testsupport/scratchstore.h) that is dropped afterwards; skips without the
// server unless CI is set.
#include "platform/data/alias.h"
#include "tools/orderdata/builder.h"
#include "tools/vorndata/cmdline.h"
#include "tools/vorndata/tests/tablecheck.h"
#include "testsupport/scratchstore.h"
#include "testsupport/testserver.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

#include <memory>

using namespace vorndata;

namespace {

const QDate Today(2024, 5, 17);

BuildOptions Options(int orders = 300)
{
    BuildOptions options;
    options.orders = orders;
    options.today = Today;
    return options;
}

class ServerConnection {
public:
    explicit ServerConnection(const ServerLogin& login) : FName(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QIBASE", FName);
        db.setDatabaseName(login.serverName);
        db.setUserName(login.user);
        db.setPassword(login.password);
        if (!db.open())
            FError = db.lastError().text();
    }
    ~ServerConnection()
    {
        QSqlDatabase::database(FName, false).close();
        QSqlDatabase::removeDatabase(FName);
    }
    QString Error() const { return FError; }
    QSqlDatabase Db() const { return QSqlDatabase::database(FName, false); }
    QStringList Column(const QString& sql) const
    {
        QSqlQuery query(Db());
        QStringList values;
        if (!query.exec(sql))
            values << "ERROR " + query.lastError().text();
        while (query.next())
            values << query.value(0).toString().trimmed();
        return values;
    }

private:
    QString FName;
    QString FError;
};

QString FirebirdType(const tablecheck::Column& column)
{
    switch (column.kind) {
    case 'F': return "27";  // DOUBLE PRECISION
    case 'I': return "8";   // INTEGER
    case 'S': return QString("37/%1").arg(column.size);  // VARCHAR(n)
    case 'D': return "35";  // TIMESTAMP
    case 'B': return "7";   // SMALLINT
    }
    return "?";
}

}  // namespace

class VornDataFirebirdTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        REQUIRE_TEST_SERVER();
        FStore = std::make_unique<TScratchStore>(true);
        FLogin = FStore->Login();
    }

    void cleanup() { FStore.reset(); }

    void createsTheDatabaseWithTablesKeysAndIndexes()
    {
        QVERIFY(!ServerDatabaseExists(FLogin));
        const BuildResult result = BuildServer(FLogin, Options());
        QVERIFY(result.databaseCreated);
        QCOMPARE(result.orders, std::int64_t(300));

        ServerConnection server(FLogin);
        QVERIFY2(server.Error().isEmpty(), qPrintable(server.Error()));
        for (const tablecheck::Table& table : tablecheck::ExpectedTables()) {
            QStringList expected;
            for (const tablecheck::Column& column : table.columns)
                expected << column.name.toUpper() + " " + FirebirdType(column);
            const QStringList columns = server.Column(QString(
                "SELECT TRIM(rf.RDB$FIELD_NAME) || ' ' || f.RDB$FIELD_TYPE || "
                "CASE WHEN f.RDB$FIELD_TYPE = 37 THEN '/' || f.RDB$CHARACTER_LENGTH ELSE '' END "
                "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                "WHERE rf.RDB$RELATION_NAME = '%1' ORDER BY rf.RDB$FIELD_POSITION").arg(table.name));
            QCOMPARE(columns, expected);

            QStringList key;
            for (const QString& column : table.primaryKey)
                key << column.toUpper();
            QCOMPARE(server.Column(QString(
                         "SELECT s.RDB$FIELD_NAME FROM RDB$RELATION_CONSTRAINTS c "
                         "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                         "WHERE c.RDB$RELATION_NAME = '%1' AND c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
                         "ORDER BY s.RDB$FIELD_POSITION").arg(table.name)),
                     key);

            const QStringList leading = server.Column(QString(
                "SELECT s.RDB$FIELD_NAME FROM RDB$INDICES i "
                "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                "WHERE i.RDB$RELATION_NAME = '%1' AND s.RDB$FIELD_POSITION = 0").arg(table.name));
            for (const QString& column : table.orderedBy)
                QVERIFY2(leading.contains(column.toUpper()), qPrintable(table.name + " has no index on " + column));
        }
    }

    void sampleContentIsConsistentAndMatchesLocalData()
    {
        BuildServer(FLogin, Options());
        ServerConnection server(FLogin);
        QVERIFY2(server.Error().isEmpty(), qPrintable(server.Error()));
        tablecheck::CheckSampleContent(server.Db(), Today, 300);
        if (QTest::currentTestFailed())
            return;

        // The same data as local tables beside the server's file.
        BuildLocal(FStore->DataFolder, Options());
        const QString name = QUuid::createUuid().toString();
        QString local;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(":memory:");
            QVERIFY(db.open());
            QSqlQuery query(db);
            for (const tablecheck::Table& table : tablecheck::ExpectedTables())
                QVERIFY(query.exec(QString("ATTACH DATABASE '%1' AS %2")
                                       .arg(QDir(FStore->DataFolder).filePath(table.name + ".DB"), table.name)));
            local = tablecheck::Dump(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        QCOMPARE(tablecheck::Dump(server.Db()), local);
    }

    void keepsExistingTablesUnlessForced()
    {
        BuildServer(FLogin, Options(40));
        QString before;
        {
            ServerConnection server(FLogin);
            before = tablecheck::Dump(server.Db());
        }
        try {
            BuildServer(FLogin, Options(60));
            QFAIL("existing tables were replaced without --force");
        } catch (const BuildError& e) {
            QVERIFY2(e.Message().contains("--force"), qPrintable(e.Message()));
        }
        {
            ServerConnection server(FLogin);
            QCOMPARE(tablecheck::Dump(server.Db()), before);
        }

        BuildOptions force = Options(60);
        force.force = true;
        const BuildResult result = BuildServer(FLogin, force);
        QVERIFY(!result.databaseCreated);
        ServerConnection server(FLogin);
        tablecheck::CheckSampleContent(server.Db(), Today, 60);
    }

    void wrongPasswordIsReported()
    {
        ServerLogin wrong = FLogin;
        wrong.password = "not-the-password";
        try {
            BuildServer(wrong, Options(10));
            QFAIL("no error for a wrong password");
        } catch (const BuildError& e) {
            QVERIFY2(e.Message().contains("password", Qt::CaseInsensitive), qPrintable(e.Message()));
        }
        QVERIFY(!ServerDatabaseExists(FLogin));
    }

    void theSitesLoginInTheServerAliasServesTheCommandLine()
    {
        FStore->WriteConfig(FStore->AliasLines("DEZAZAV"));
        CommandLine line;
        QString error;
        const bool parsed = ParseCommandLine({"--server", FLogin.serverName, "--orders", "5"}, &line, &error);
        QVERIFY2(parsed, qPrintable(error));
        QCOMPARE(line.login.password, TestServerPassword());
        line.options.today = Today;
        QVERIFY(BuildServer(line.login, line.options).databaseCreated);
        QVERIFY(ServerDatabaseExists(FLogin));
    }

private:
    std::unique_ptr<TScratchStore> FStore;
    ServerLogin FLogin;
};

QTEST_GUILESS_MAIN(VornDataFirebirdTest)
#include "vorndata_firebird_test.moc"
