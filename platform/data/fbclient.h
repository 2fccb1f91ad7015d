// Direct use of the Firebird client library, for what the QIBASE driver cannot ask
// for: creating a server database, table reservations (NO WAIT, protected write)
// and the statements that must run inside such a reservation.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// Creates an empty dialect-3 database; serverName is "host:path" (or a bare path for
// a local attachment). Fails with EDatabaseError naming the server's reason.
void CreateServerDatabase(const QString& serverName, const QString& user, const QString& password);

// Removes a database created above (scratch databases of tests and tools).
void DropServerDatabase(const QString& serverName, const QString& user, const QString& password);

// True when something accepts a TCP connection on host:port within about a second.
bool ServerAnswers(const QString& host, int port = 3050);

// Splits "host:path" / "host/port:path" into host and port; a bare path means the local
// host on the default port.
void SplitServerName(const QString& serverName, QString& host, int& port, QString& path);

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
