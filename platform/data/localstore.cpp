// Table files of local data. The main connection is never opened on a table file
// itself: every table is attached, so a table file held exclusively by another
// connection is only touched when a statement needs it.
#include "platform/data/localstore.h"

#include "platform/core/exceptions.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTime>

#include <atomic>
#include <cerrno>
#include <cmath>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

QString LocalTableFile(const QString& folder, const QString& tableName)
{
    return QDir(folder).filePath(tableName.toUpper() + ".DB");
}

QStringList LocalTables(const QString& folder)
{
    QStringList names;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& f : files)
        if (f.suffix().compare("DB", Qt::CaseInsensitive) == 0)
            names << f.completeBaseName().toUpper();
    return names;
}

void CreateLocalTable(const QString& folder, const QString& tableName, const QString& columnsDdl)
{
    QString file = LocalTableFile(folder, tableName);
    QFile::remove(file);
    const QString conn = "quorvale-create-" + QString::number(quintptr(&file));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", conn);
        db.setDatabaseName(file);
        if (!db.open())
            throw EDatabaseError("Cannot create table file " + file.toStdString() + ": " + db.lastError().text().toStdString());
        QSqlQuery q(db);
        if (!q.exec("CREATE TABLE " + tableName.toUpper() + " (" + columnsDdl + ")"))
            throw EDatabaseError("Cannot create table " + tableName.toStdString() + ": " + q.lastError().text().toStdString());
    }
    QSqlDatabase::removeDatabase(conn);
}

void AttachLocalTable(QSqlDatabase& db, const QString& folder, const QString& tableName)
{
    QString schema = tableName.toUpper();
    QSqlQuery q(db);
    q.exec("PRAGMA database_list");
    while (q.next())
        if (q.value(1).toString().compare(schema, Qt::CaseInsensitive) == 0)
            return;
    QString file = LocalTableFile(folder, tableName);
    if (!QFileInfo::exists(file))
        throw EDatabaseError("Table does not exist: " + file.toStdString());
    // The schema name is checked to be a plain name by the callers; the path is bound.
    QSqlQuery attach(db);
    attach.prepare("ATTACH DATABASE ? AS " + schema);
    attach.addBindValue(file);
    if (!attach.exec())
        throw EDatabaseError("Cannot open table " + file.toStdString() + ": " + attach.lastError().text().toStdString());
}

void AttachLocalFolder(QSqlDatabase& db, const QString& folder)
{
    for (const QString& t : LocalTables(folder))
        AttachLocalTable(db, folder, t);
}

// ---- main databases of local connections ----

namespace {

QString HostTag()
{
    QString host = QSysInfo::machineHostName();
    host.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
    return host.isEmpty() ? QString("localhost") : host;
}

bool ProcessRuns(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true; // not known here: never cleaned up
#endif
}

// Opening a table file with SQLite and reading it plays its hot journal back; SQLite
// then removes the super-journal once no other table's journal needs it.
void ReadTableFile(const QString& file)
{
    static std::atomic<int> counter{0};
    const QString conn = QString("quorvale-recover-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", conn);
        db.setDatabaseName(file);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=1000");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT count(*) FROM sqlite_master"))
                q.next();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

// The child journals a super-journal names: full paths, each ended by a NUL.
QStringList ChildJournals(const QString& superJournal)
{
    QFile f(superJournal);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList names;
    for (const QByteArray& part : f.readAll().split('\0'))
        if (!part.isEmpty())
            names << QString::fromUtf8(part);
    return names;
}

// True when nothing of the ended connection's commits is left to roll back.
bool RecoverMainFile(const QDir& dir, const QString& mainName)
{
    bool resolved = true;
    const QStringList supers = dir.entryList({mainName + "-mj*"}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& superName : supers) {
        const QString superPath = dir.filePath(superName);
        const QStringList children = ChildJournals(superPath);
        const QString suffix = "-journal";
        for (const QString& journal : children) {
            const QString table = journal.left(journal.size() - suffix.size());
            if (journal.endsWith(suffix) && QFileInfo::exists(journal) && QFileInfo::exists(table))
                ReadTableFile(table);
        }
        if (!QFileInfo::exists(superPath))
            continue;
        // A journal still there belongs to a running program's transaction, or could not
        // be played back yet: the super-journal stays, so that it is rolled back later.
        bool needed = false;
        for (const QString& journal : children)
            needed = needed || QFileInfo::exists(journal);
        if (needed)
            resolved = false;
        else
            QFile::remove(superPath);
    }
    return resolved;
}

} // namespace

QString LocalMainFile(const QString& folder, int connection)
{
    return QDir(folder).filePath(
        QString(".quorvale-%1-%2-%3.main").arg(QCoreApplication::applicationPid()).arg(connection).arg(HostTag()));
}

QSet<QString>& LocalMainFilesInUse()
{
    static QSet<QString> inUse;
    return inUse;
}

void RecoverLocalFolder(const QString& folder)
{
    // The main file itself, or a super-journal left beside it ("<main>-mj1A2B3C4D").
    static const QRegularExpression pattern("^(\\.quorvale-(\\d+)-(\\d+)-(.+)\\.main)(-mj[0-9A-Fa-f]+)?$");
    const QDir dir(folder);
    const QString host = HostTag();
    const qint64 self = QCoreApplication::applicationPid();
    QStringList names;
    for (const QString& entry : dir.entryList({".quorvale-*"}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = pattern.match(entry);
        if (m.hasMatch() && !names.contains(m.captured(1)))
            names << m.captured(1);
    }
    for (const QString& name : names) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.captured(4) != host)
            continue; // another machine's: its processes cannot be seen from here
        const QString path = dir.filePath(name);
        const qint64 pid = m.captured(2).toLongLong();
        if (LocalMainFilesInUse().contains(path) || (pid != self && ProcessRuns(pid)))
            continue;
        if (RecoverMainFile(dir, name)) {
            QFile::remove(path + "-journal");
            QFile::remove(path);
        }
    }
}
