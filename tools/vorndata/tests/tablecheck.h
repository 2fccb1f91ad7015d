// Checks shared by the local and the server tests. They read through an open
// connection in which each order table is reachable by its bare name, and report
// through QTest: after calling one, return when QTest::currentTestFailed().
#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace tablecheck {

// Written out here, apart from the tool's own definitions, so a wrong column in
// the tool is caught rather than copied.
struct Column {
    QString name;
    char kind;  // F double, I integer, S string, D timestamp, B Boolean 0/1
    int size;   // strings only
};
struct Table {
    QString name;
    QList<Column> columns;
    QStringList primaryKey;
    QStringList orderedBy;  // each needs an index starting with it
};
const QList<Table>& ExpectedTables();

// Every row of every table, ordered by key, as text; numbers and dates normalised
// so that SQLite and Firebird contents compare equal.
QString Dump(const QSqlDatabase& db);

// Row counts, referential sanity, totals, dates, counters and string sizes.
void CheckSampleContent(const QSqlDatabase& db, QDate today, int orders);

}  // namespace tablecheck
