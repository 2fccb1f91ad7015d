// Direct use of the Firebird client library, for what the QIBASE driver cannot ask
// for: creating, probing and dropping a server database, table reservations (NO WAIT,
// protected write) and the statements that must run inside such a reservation; and
// the server names every part of the system reads. Only this unit includes ibase.h.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <string>

// Creates an empty dialect-3 database; serverName is "host:path", "host/port:path" or a
// bare path on the local server. Fails with EDatabaseError naming the server's reason.
void CreateServerDatabase(const QString& serverName, const QString& user, const QString& password);

// Removes a database created above (scratch databases of tests and tools).
void DropServerDatabase(const QString& serverName, const QString& user, const QString& password);

// Whether the database exists: attaches and detaches. False only for a missing file;
// any other failure (a refused login, an unreadable name) is an EDatabaseError.
bool ServerDatabaseExists(const QString& serverName, const QString& user, const QString& password);

// The server a bare database path names: this machine on Firebird's standard port
// unless set otherwise (the tests point it at the server they run).
void SetLocalServer(const QString& host, int port);
void LocalServer(QString& host, int& port);

// Splits "host:path", "host/port:path", "[ipv6]:path" or "[ipv6]/port:path" into host
// (without brackets), port (3050 when not given) and path. A bare path, or a Windows
// one ("C:\DATA\X.GDB"), means the local server. False when the name
// cannot be a database's: an empty host or path, an unclosed bracket, a port that is
// not a number from 1 to 65535; the parts are then filled as far as they could be read.
bool SplitServerName(const QString& serverName, QString& host, int& port, QString& path);

// True when serverName begins with a host ("host:path"), false for a bare path.
bool NamesServerHost(const QString& serverName);

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
// EDatabaseError "The database server is not running on host:port" when none answers,
// and at once when SplitServerName refuses the name.
QString ReachableServerName(const QString& serverName);

// A parameter block as the client library reads it (database DPB, transaction TPB): a
// version byte, then items. Tags are the library's isc_dpb_* / isc_tpb_* constants.
class TFbParameterBlock {
public:
    explicit TFbParameterBlock(char version) : FBytes(1, version) {}
    // A tag on its own (isc_tpb_write).
    TFbParameterBlock& Flag(char tag);
    // A tag, a one-byte length and the bytes; a length byte says at most 255, so a
    // longer value is cut there rather than spill into the next item.
    TFbParameterBlock& String(char tag, const QByteArray& value);
    // A tag, length 4 and a little-endian number (page size, dialect).
    TFbParameterBlock& Number(char tag, quint32 value);
    const std::string& Bytes() const { return FBytes; }

private:
    std::string FBytes;
};

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
