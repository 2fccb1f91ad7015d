// Table files of local data. The main connection is never opened on a table file
// itself: every table is attached, so a table file held exclusively by another
// connection is only touched when a statement needs it.
#include "localstore.h"

#include "exceptions.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

#include <cmath>

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

QString DateTimeToIsoText(TDateTime value)
{
    double days = std::floor(value);
    qint64 ms = qRound64((value - days) * 86400000.0);
    if (ms >= 86400000) {
        days += 1;
        ms -= 86400000;
    }
    QDate d = QDate(1899, 12, 30).addDays(qint64(days));
    QTime t = QTime(0, 0).addMSecs(int(ms));
    return d.toString("yyyy-MM-dd") + "T" + t.toString("HH:mm:ss.zzz");
}

QVariant IsoTextToDateTime(const QString& text)
{
    // The text this engine writes is read digit by digit: dates are read on every page.
    auto digits = [&](int from, int count, int& out) {
        out = 0;
        for (int i = from; i < from + count; ++i) {
            QChar c = text[i];
            if (c < '0' || c > '9')
                return false;
            out = out * 10 + (c.unicode() - '0');
        }
        return true;
    };
    int yy, mo, dd, hh, mi, sec, ms;
    if (text.size() == 23 && text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':'
        && text[16] == ':' && text[19] == '.' && digits(0, 4, yy) && digits(5, 2, mo) && digits(8, 2, dd)
        && digits(11, 2, hh) && digits(14, 2, mi) && digits(17, 2, sec) && digits(20, 3, ms)) {
        TDateTime date, time;
        if (TryEncodeDate(yy, mo, dd, date) && TryEncodeTime(hh, mi, sec, ms, time))
            return date + time;
    }
    QString s = text.trimmed();
    if (s.isEmpty())
        return QVariant();
    QDate d = QDate::fromString(s.left(10), "yyyy-MM-dd");
    if (!d.isValid())
        return QVariant();
    QTime t(0, 0);
    if (s.size() > 11) {
        QString rest = s.mid(11);
        t = QTime::fromString(rest, rest.size() > 8 ? "HH:mm:ss.zzz" : (rest.size() > 5 ? "HH:mm:ss" : "HH:mm"));
        if (!t.isValid())
            t = QTime(0, 0);
    }
    return double(QDate(1899, 12, 30).daysTo(d)) + t.msecsSinceStartOfDay() / 86400000.0;
}
