// Local data ("PARADOX" aliases): a folder holding one SQLite file per table, named
// like the table with ".DB" ("ORDERS.DB"), each holding ONE table of that name
// ("ORDERS"). A connection attaches the files it needs under the table's name, so the
// unqualified table names of the SQL texts resolve. Dates are ISO-8601 text
// ("2026-12-09T13:45:30.250"), so any SQLite tool reads them and text order is date order.
#pragma once

#include "datetime.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// "<folder>/<TABLE>.DB"; the table name is upper-cased for the file.
QString LocalTableFile(const QString& folder, const QString& tableName);
// Table names (upper case, without ".DB") of the table files in the folder.
QStringList LocalTables(const QString& folder);
// Creates (or replaces) the table file with "CREATE TABLE <name> (<columnsDdl>)".
void CreateLocalTable(const QString& folder, const QString& tableName, const QString& columnsDdl);
// Attaches the table's file to the connection under the table's name unless it is
// attached already. Fails with EDatabaseError when the file does not exist.
void AttachLocalTable(QSqlDatabase& db, const QString& folder, const QString& tableName);
// Attaches every table file of the folder.
void AttachLocalFolder(QSqlDatabase& db, const QString& folder);

QString DateTimeToIsoText(TDateTime value);
// Accepts the text written above, a date alone, or a blank/invalid text (null).
QVariant IsoTextToDateTime(const QString& text);
