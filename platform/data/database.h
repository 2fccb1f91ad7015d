// TDatabase: a connection under an alias. "PARADOX" aliases open local data (a folder of
// SQLite table files attached into one connection whose main file is an empty file of
// its own in that folder, so a transaction over several tables commits atomically
// through SQLite's super-journal, which must outlive a crash: see LocalMainFile);
// "INTRBASE" aliases open a Firebird server database through QIBASE; any other driver
// name is refused. Closing the connection closes every dataset on it.
#pragma once

#include "platform/data/field.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

class TDataSet;

enum TDialect { dlSqlite, dlFirebird };
enum TTransIsolation { tiDirtyRead, tiReadCommitted, tiRepeatableRead };

// Runs SQL with '?' placeholders; values are always bound.
class TSqlRunner {
public:
    virtual ~TSqlRunner() = default;
    virtual QVector<QVector<QVariant>> Select(const QString& sql, const QVariantList& params,
                                              QStringList* columnNames = nullptr) = 0;
    virtual int Execute(const QString& sql, const QVariantList& params) = 0;
};

class TDatabase : public QObject {
public:
    explicit TDatabase(QObject* owner = nullptr);
    ~TDatabase() override;

    QString DatabaseName;
    QString AliasName;
    // "USER NAME=...", "PASSWORD=...": the login unless the alias names its own, so a
    // site sets its password in the engine configuration without rebuilding.
    QStringList Params;
    bool LoginPrompt = false;
    TTransIsolation TransIsolation = tiReadCommitted;

    void Open();
    void Close();
    bool Connected() const { return FOpen; }
    void SetConnected(bool on) { on ? Open() : Close(); }
    bool IsSQLBased() const { return FDialect == dlFirebird; }
    TDialect Dialect() const { return FDialect; }
    // The folder of local data, empty for a server.
    QString LocalFolder() const { return FFolder; }
    // Local data in a folder that refuses new files (read-only media or permissions):
    // it is read as usual, and every write fails at once with a message saying so.
    bool ReadOnlyData() const { return !FReadOnlyReason.isEmpty(); }
    void CheckWritable() const;

    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return FInTransaction; }

    // Start; apply each dataset's cache in the given order; commit; then empty the
    // caches. On any failure: roll back, keep every cache as it was, and raise.
    void ApplyUpdates(const std::vector<TDataSet*>& dataSets);

    int DataSetCount() const { return int(FDataSets.size()); }
    TDataSet* DataSets(int i) const { return FDataSets.at(i); }

    // The open database with that DatabaseName, or null.
    static TDatabase* Find(const QString& databaseName);

    // Engine internals used by the datasets.
    TSqlRunner& Runner();
    QSqlDatabase& Connection() { return FDb; }
    // Makes the tables reachable by their unqualified names (local data attaches files).
    void EnsureTables(const QStringList& tables);
    // Attaches whichever table files of the folder the SQL text names.
    void EnsureTablesOf(const QString& sql);
    void RegisterDataSet(TDataSet* ds);
    void UnregisterDataSet(TDataSet* ds);

private:
    QSqlDatabase FDb;
    QString FConnName;
    int FConnNo = 0;
    QString FMainFile;
    QString FReadOnlyReason;
    QString FFolder;
    QStringList FFolderTables;
    QSet<QString> FAttached;
    TDialect FDialect = dlSqlite;
    bool FOpen = false;
    bool FInTransaction = false;
    std::unique_ptr<TSqlRunner> FRunner;
    std::vector<TDataSet*> FDataSets;
};

std::unique_ptr<TSqlRunner> MakeQSqlRunner(QSqlDatabase db);
std::unique_ptr<TSqlRunner> MakeFbRunner(class TFbTransaction* tr);

// SQL text as the data module writes it, adapted to the engine: ":Name" parameters
// become '?' (their names, in order, go to paramNames), and SQLite reads "descending"
// as DESC. Quoted text and comments are left alone.
QString AdaptSql(const QString& sql, TDialect dialect, QStringList* paramNames);
// " LIMIT n" / " ROWS n" style tail.
QString LimitClause(TDialect dialect, int count, qint64 offset = 0);
// Plain identifiers only reach SQL text; anything else fails with EDatabaseError.
QString CheckName(const QString& name);

// Canonical field values (double days for dates) to and from what the engine stores.
QVariant ToStorage(const QVariant& value, TFieldType type, TDialect dialect);
QVariant FromStorage(const QVariant& value, TFieldType type);
// Field type from a declared column type ("VARCHAR(30)", "DOUBLE PRECISION", ...).
TFieldType TypeFromDecl(const QString& decl, int* size);
