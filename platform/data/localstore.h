// Local data ("PARADOX" aliases): a folder holding one SQLite file per table, named
// like the table with ".DB" ("ORDERS.DB"), each holding ONE table of that name
// ("ORDERS"). A connection attaches the files it needs under the table's name, so the
// unqualified table names of the SQL texts resolve. Dates are ISO-8601 text
// ("2026-12-09 13:45:30", DateTimeToStoredText), so any SQLite tool reads them and text
// order is date order.
#pragma once

#include "platform/core/datetime.h"

#include <QSet>
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

// The main database of a local connection: an empty SQLite file in the data folder
// itself, ".quorvale-<pid>-<n>-<host>.main", one per connection of a process. A commit
// over several table files is atomic only through the super-journal SQLite writes
// beside the main database: a table's journal whose super-journal is gone counts as
// committed. In a temporary folder, which is emptied at boot, a crash during a commit
// followed by a reboot would leave some tables written and others rolled back.
QString LocalMainFile(const QString& folder, int connection);
// Main files of this process's open connections: never touched by the clean-up below.
QSet<QString>& LocalMainFilesInUse();
// Finishes what connections of ended processes on this host left in the folder: each
// table journal their super-journals name is rolled back by opening its table with
// SQLite (the super-journal must still exist then, or the half-commit would stay), and
// only then are their main files and super-journals removed. What cannot be resolved
// yet (a table held by a running program) is left for the next open.
void RecoverLocalFolder(const QString& folder);
