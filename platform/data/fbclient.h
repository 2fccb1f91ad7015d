// Direct use of the Firebird client library, for what the QIBASE driver cannot ask
// for: creating a server database, table reservations (NO WAIT, protected write)
// and the statements that must run inside such a reservation.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// Creates an empty dialect-3 database; serverName is "host:path", "host/port:path" or a
// bare path on the local server. Fails with EDatabaseError naming the server's reason.
void CreateServerDatabase(const QString& serverName, const QString& user, const QString& password);

// Removes a database created above (scratch databases of tests and tools).
void DropServerDatabase(const QString& serverName, const QString& user, const QString& password);

// The server a bare database path names: this machine on Firebird's standard port
// unless set otherwise (the tests point it at the server they run).
void SetLocalServer(const QString& host, int port);
void LocalServer(QString& host, int& port);

// Splits "host:path" / "host/port:path" into host and port (3050 when not given); a
// bare path means the local server.
void SplitServerName(const QString& serverName, QString& host, int& port, QString& path);

// Every address host resolves to (IPv4 and IPv6), numeric, in the resolver's order.
QStringList ResolveHost(const QString& host);

// The first of these numeric addresses, tried in the order given, that accepts a TCP
// connection on port within about a second each; written as a connection string wants
// it ("127.0.0.1", "[::1]"). Empty when none does.
QString FirstAnsweringAddress(const QStringList& addresses, int port);

// FirstAnsweringAddress over everything host resolves to, so "localhost" reaches a
// server on either loopback whichever the hosts file lists first.
QString AnsweringAddress(const QString& host, int port);

// True when some address of host accepts a TCP connection on port.
bool ServerAnswers(const QString& host, int port = 3050);

// serverName as the client library is given it: "address/port:path" with the address
// that answered, so the connection goes where the check found the server. Fails with
// EDatabaseError "The database server is not running on host:port" when none answers.
QString ReachableServerName(const QString& serverName);

// A transaction started on an existing attachment (the QIBASE driver's handle). With a
// lock table it reserves that table for protected write and fails at once if anyone
// else holds it. Rolls back when destroyed uncommitted.
class TFbTransaction {
public:
    // dbHandle is the isc_db_handle* that QSqlDriver::handle() holds for QIBASE.
    TFbTransaction(void* dbHandle, const QString& lockTable = QString());
    ~TFbTransaction();
    TFbTransaction(const TFbTransaction&) = delete;
    TFbTransaction& operator=(const TFbTransaction&) = delete;

    // Values are bound as parameters ('?' placeholders), never spliced into the text.
    QVector<QVector<QVariant>> Select(const QString& sql, const QVariantList& params,
                                      QStringList* columnNames = nullptr);
    int Execute(const QString& sql, const QVariantList& params);
    void Commit();
    void Rollback();
    bool Active() const { return FTrans != 0; }

private:
    int Run(const QString& sql, const QVariantList& params, QVector<QVector<QVariant>>* rows,
            QStringList* columnNames);
    void* FDb;
    unsigned int FTrans = 0;
};
