// Connections, transactions, the apply of several caches in one transaction, and the
// dialect step between the data module's SQL and each engine.
#include "platform/data/database.h"

#include "platform/data/alias.h"
#include "platform/data/dataset.h"
#include "platform/data/dataset_p.h"
#include "platform/data/fbclient.h"
#include "platform/data/localstore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>
#include <map>
#include <cmath>

namespace {

std::vector<TDatabase*>& AllDatabases()
{
    static std::vector<TDatabase*> all;
    return all;
}

class QSqlRunner : public TSqlRunner {
public:
    QSqlRunner(QSqlDatabase db, bool keepStatements) : FDb(db), FKeep(keepStatements) {}
    // SQLite statements are kept prepared: paging and locating repeat a few texts.
    QSqlQuery& Run(const QString& sql, const QVariantList& params)
    {
        auto it = FStatements.find(sql);
        if (it == FStatements.end() || !FKeep) {
            if (FStatements.size() > 64 || !FKeep)
                FStatements.clear();
            auto q = std::make_unique<QSqlQuery>(FDb);
            q->setForwardOnly(true);
            if (!q->prepare(sql))
                throw EDatabaseError(q->lastError().text().toStdString());
            it = FStatements.emplace(sql, std::move(q)).first;
        }
        QSqlQuery& q = *it->second;
        for (int i = 0; i < params.size(); ++i)
            q.bindValue(i, params[i]);
        if (!q.exec()) {
            QString err = q.lastError().text();
            q.finish();
            throw EDatabaseError(err.toStdString());
        }
        return q;
    }
    QVector<QVector<QVariant>> Select(const QString& sql, const QVariantList& params, QStringList* names) override
    {
        QSqlQuery& q = Run(sql, params);
        QSqlRecord r = q.record();
        if (names)
            for (int i = 0; i < r.count(); ++i)
                names->append(r.fieldName(i));
        QVector<QVector<QVariant>> rows;
        while (q.next()) {
            QVector<QVariant> row(r.count());
            for (int i = 0; i < r.count(); ++i)
                row[i] = q.value(i);
            rows.append(row);
        }
        q.finish();
        return rows;
    }
    int Execute(const QString& sql, const QVariantList& params) override
    {
        QSqlQuery& q = Run(sql, params);
        int n = q.numRowsAffected();
        q.finish();
        return n;
    }
    QSqlDatabase FDb;
    bool FKeep;
    std::map<QString, std::unique_ptr<QSqlQuery>> FStatements;
};

class FbRunner : public TSqlRunner {
public:
    explicit FbRunner(TFbTransaction* tr) : FTr(tr) {}
    QVector<QVector<QVariant>> Select(const QString& sql, const QVariantList& params, QStringList* names) override
    {
        return FTr->Select(sql, params, names);
    }
    int Execute(const QString& sql, const QVariantList& params) override { return FTr->Execute(sql, params); }
    TFbTransaction* FTr;
};

} // namespace

std::unique_ptr<TSqlRunner> MakeQSqlRunner(QSqlDatabase db)
{
    return std::make_unique<QSqlRunner>(db, db.driverName() == "QSQLITE");
}
std::unique_ptr<TSqlRunner> MakeFbRunner(TFbTransaction* tr) { return std::make_unique<FbRunner>(tr); }

TDatabase::TDatabase(QObject* owner)
    : QObject(owner)
{
    static std::atomic<int> counter{0};
    FConnNo = ++counter;
    FConnName = QString("quorvale-db-%1-%2").arg(QCoreApplication::applicationPid()).arg(FConnNo);
    AllDatabases().push_back(this);
}

TDatabase::~TDatabase()
{
    try {
        Close();
    } catch (...) {
    }
    auto& all = AllDatabases();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    for (TDataSet* ds : FDataSets)
        if (ds->d->Database == this)
            ds->d->Database = nullptr;
}

TDatabase* TDatabase::Find(const QString& databaseName)
{
    for (TDatabase* db : AllDatabases())
        if (db->DatabaseName.compare(databaseName, Qt::CaseInsensitive) == 0)
            return db;
    return nullptr;
}

void TDatabase::Open()
{
    if (FOpen)
        return;
    if (AliasName.isEmpty())
        throw EDatabaseError("No alias named for database " + DatabaseName.toStdString());
    QString driver = Session.GetAliasDriverName(AliasName);
    QStringList aliasParams = Session.GetAliasParams(AliasName);
    if (driver != "PARADOX" && driver != "INTRBASE")
        throw EDatabaseError(
            (driver.isEmpty() ? "Cannot open alias " + AliasName + ": it names no driver (PARADOX or INTRBASE)"
                              : "Cannot open alias " + AliasName + ": unknown driver " + driver
                                    + " (the drivers are PARADOX and INTRBASE)")
                .toStdString());
    if (driver == "PARADOX") {
        QString folder = ParamValue(aliasParams, "PATH");
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            throw EDatabaseError("Data folder not found: " + folder.toStdString());
        FDialect = dlSqlite;
        FFolder = QDir(folder).absolutePath();
        FFolderTables = LocalTables(FFolder);
        RecoverLocalFolder(FFolder);
        // A real file, not ":memory:": only then does SQLite commit a transaction over
        // several attached files atomically. A folder that refuses it is read-only data.
        FMainFile = LocalMainFile(FFolder, FConnNo);
        QFile::remove(FMainFile);
        QFile probe(FMainFile);
        if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            probe.close();
            LocalMainFilesInUse().insert(FMainFile);
            FReadOnlyReason.clear();
        } else {
            FReadOnlyReason = probe.errorString().isEmpty() ? QString("read-only") : probe.errorString();
            FMainFile.clear();
        }
        FDb = QSqlDatabase::addDatabase("QSQLITE", FConnName);
        FDb.setDatabaseName(FMainFile.isEmpty() ? QString(":memory:") : FMainFile);
        bool opened = FDb.open();
        QString err = FDb.lastError().text();
        if (opened && ReadOnlyData()) {
            // Belt and braces: nothing may start writing the table files half-way.
            QSqlQuery q(FDb);
            opened = q.exec("PRAGMA query_only = 1");
            err = q.lastError().text();
        }
        if (!opened) {
            FDb = QSqlDatabase();
            QSqlDatabase::removeDatabase(FConnName);
            if (!FMainFile.isEmpty()) {
                QFile::remove(FMainFile);
                LocalMainFilesInUse().remove(FMainFile);
                FMainFile.clear();
            }
            throw EDatabaseError("Cannot open local data: " + err.toStdString());
        }
    } else {
        FDialect = dlFirebird;
        FFolder.clear();
        FReadOnlyReason.clear();
        QString serverName = ParamValue(aliasParams, "SERVER NAME");
        // A site's own login in its alias wins over the program's built-in one.
        QString user = ParamValue(aliasParams, "USER NAME");
        if (user.isEmpty())
            user = ParamValue(Params, "USER NAME");
        QString password = ParamValue(aliasParams, "PASSWORD");
        if (password.isEmpty())
            password = ParamValue(Params, "PASSWORD");
        const QString connectTo = ReachableServerName(serverName);
        FDb = QSqlDatabase::addDatabase("QIBASE", FConnName);
        FDb.setDatabaseName(connectTo);
        FDb.setUserName(user);
        FDb.setPassword(password);
        FDb.setConnectOptions("ISC_DPB_LC_CTYPE=UTF8");
        if (!FDb.open()) {
            QString err = FDb.lastError().text();
            FDb = QSqlDatabase();
            QSqlDatabase::removeDatabase(FConnName);
            throw EDatabaseError("Cannot connect to " + serverName.toStdString() + ": " + err.toStdString());
        }
    }
    FRunner = MakeQSqlRunner(FDb);
    FOpen = true;
}

void TDatabase::Close()
{
    if (!FOpen)
        return;
    for (auto copy = FDataSets; TDataSet* ds : copy)
        ds->Close();
    if (FInTransaction) {
        FDb.rollback();
        FInTransaction = false;
    }
    FRunner.reset();
    FAttached.clear();
    FDb.close();
    FDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(FConnName);
    if (!FMainFile.isEmpty()) {
        QFile::remove(FMainFile);
        LocalMainFilesInUse().remove(FMainFile);
    }
    FMainFile.clear();
    FReadOnlyReason.clear();
    FOpen = false;
}

void TDatabase::CheckWritable() const
{
    if (FOpen && ReadOnlyData())
        throw EDatabaseError(("Cannot save changes: the data folder " + QDir::toNativeSeparators(FFolder)
                              + " cannot be written (" + FReadOnlyReason + ")")
                                 .toStdString());
}

TSqlRunner& TDatabase::Runner()
{
    if (!FOpen)
        throw EDatabaseError("Database " + DatabaseName.toStdString() + " is not open");
    return *FRunner;
}

void TDatabase::EnsureTables(const QStringList& tables)
{
    if (FDialect != dlSqlite)
        return;
    for (const QString& t : tables) {
        QString name = CheckName(t).toUpper();
        if (FAttached.contains(name))
            continue;
        AttachLocalTable(FDb, FFolder, name);
        FAttached.insert(name);
    }
}

void TDatabase::EnsureTablesOf(const QString& sql)
{
    if (FDialect != dlSqlite)
        return;
    static const QRegularExpression word("[A-Za-z_][A-Za-z0-9_$]*");
    QStringList wanted;
    for (auto it = word.globalMatch(sql); it.hasNext();) {
        QString w = it.next().captured().toUpper();
        if (FFolderTables.contains(w) && !wanted.contains(w))
            wanted << w;
    }
    EnsureTables(wanted);
}

void TDatabase::RegisterDataSet(TDataSet* ds)
{
    if (std::find(FDataSets.begin(), FDataSets.end(), ds) == FDataSets.end())
        FDataSets.push_back(ds);
}

void TDatabase::UnregisterDataSet(TDataSet* ds)
{
    FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), ds), FDataSets.end());
}

void TDatabase::StartTransaction()
{
    if (!FOpen)
        throw EDatabaseError("Database " + DatabaseName.toStdString() + " is not open");
    if (FInTransaction)
        throw EDatabaseError("A transaction is already active");
    CheckWritable();
    if (!FDb.transaction())
        throw EDatabaseError("Cannot start a transaction: " + FDb.lastError().text().toStdString());
    FInTransaction = true;
}

void TDatabase::Commit()
{
    if (!FInTransaction)
        throw EDatabaseError("No transaction is active");
    if (!FDb.commit())
        throw EDatabaseError("Commit failed: " + FDb.lastError().text().toStdString());
    FInTransaction = false;
}

void TDatabase::Rollback()
{
    if (!FInTransaction)
        throw EDatabaseError("No transaction is active");
    FInTransaction = false;
    if (!FDb.rollback())
        throw EDatabaseError("Rollback failed: " + FDb.lastError().text().toStdString());
}

void TDatabase::ApplyUpdates(const std::vector<TDataSet*>& dataSets)
{
    // One transaction covers only this connection's datasets.
    for (TDataSet* ds : dataSets)
        if (ds->Active() && ds->Database() != this)
            throw EDatabaseError("Dataset " + ds->objectName().toStdString() + " belongs to another database");
    for (TDataSet* ds : dataSets)
        if (ds->Active())
            ds->CheckBrowseMode();
    StartTransaction();
    try {
        for (TDataSet* ds : dataSets)
            if (ds->Active() && ds->UpdatesPending())
                ds->ApplyCache(Runner());
        Commit();
    } catch (...) {
        if (FInTransaction) {
            try {
                Rollback();
            } catch (...) {
            }
        }
        for (TDataSet* ds : dataSets)
            ds->ResetApplyMarks();
        throw;
    }
    for (TDataSet* ds : dataSets)
        if (ds->Active())
            ds->CommitUpdates();
}

// ---- dialect ----

QString AdaptSql(const QString& sql, TDialect dialect, QStringList* paramNames)
{
    QString out;
    out.reserve(sql.size());
    int i = 0, n = int(sql.size());
    auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == '_' || c == '$'; };
    while (i < n) {
        QChar c = sql[i];
        if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < n && !(sql[j] == c && !(j + 1 < n && sql[j + 1] == c)))
                j += (sql[j] == c) ? 2 : 1;
            out += sql.mid(i, j + 1 - i);
            i = j + 1;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            int j = sql.indexOf('\n', i);
            if (j < 0)
                j = n;
            out += sql.mid(i, j - i);
            i = j;
        } else if (c == ':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == '_')) {
            int j = i + 1;
            while (j < n && isWord(sql[j]))
                ++j;
            if (paramNames)
                paramNames->append(sql.mid(i + 1, j - i - 1));
            out += '?';
            i = j;
        } else if (isWord(c)) {
            int j = i;
            while (j < n && isWord(sql[j]))
                ++j;
            QString w = sql.mid(i, j - i);
            if (dialect == dlSqlite && w.compare("descending", Qt::CaseInsensitive) == 0)
                out += "DESC";
            else if (dialect == dlSqlite && w.compare("ascending", Qt::CaseInsensitive) == 0)
                out += "ASC";
            else
                out += w;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString LimitClause(TDialect dialect, int count, qint64 offset)
{
    if (dialect == dlSqlite)
        return QString(" LIMIT %1 OFFSET %2").arg(count).arg(offset);
    return QString(" OFFSET %1 ROWS FETCH NEXT %2 ROWS ONLY").arg(offset).arg(count);
}

QString CheckName(const QString& name)
{
    static const QRegularExpression plain("^[A-Za-z_][A-Za-z0-9_$]*$");
    if (!plain.match(name).hasMatch())
        throw EDatabaseError("Invalid name: '" + name.toStdString() + "'");
    return name;
}

QVariant ToStorage(const QVariant& value, TFieldType type, TDialect dialect)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case ftDateTime: {
        double v = value.toDouble();
        if (dialect == dlSqlite)
            return QString::fromStdString(DateTimeToStoredText(v));
        double days = std::floor(v);
        qint64 ms = qRound64((v - days) * 86400000.0);
        return QDateTime(QDate(1899, 12, 30).addDays(qint64(days)), QTime(0, 0)).addMSecs(ms);
    }
    case ftBoolean:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

QVariant FromStorage(const QVariant& value, TFieldType type)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case ftDateTime:
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
            QDateTime dt = value.toDateTime();
            return double(QDate(1899, 12, 30).daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
        }
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
            return value.toDouble();
        if (TDateTime v; StoredTextToDateTime(value.toString().toStdString(), v))
            return v;
        return QVariant();
    case ftFloat:
    case ftCurrency:
        return value.toDouble();
    case ftInteger:
        return value.toInt();
    case ftBoolean:
        if (value.typeId() == QMetaType::QString)
            return value.toString().compare("true", Qt::CaseInsensitive) == 0 || value.toString() == "1";
        return value.toBool();
    case ftString:
        return value.toString();
    default:
        return value;
    }
}

TFieldType TypeFromDecl(const QString& decl, int* size)
{
    QString d = decl.toUpper();
    if (size) {
        static const QRegularExpression n("\\((\\d+)");
        auto m = n.match(d);
        *size = m.hasMatch() ? m.captured(1).toInt() : 20;
    }
    if (d.contains("TIMESTAMP") || d.contains("DATE") || d.contains("TIME"))
        return ftDateTime;
    if (d.contains("BOOL"))
        return ftBoolean;
    if (d.contains("CHAR") || d.contains("TEXT") || d.contains("CLOB"))
        return ftString;
    if (d.contains("DOUBLE") || d.contains("FLOAT") || d.contains("REAL") || d.contains("NUMERIC") || d.contains("DECIMAL"))
        return ftFloat;
    if (d.contains("INT"))
        return ftInteger;
    return ftString;
}
