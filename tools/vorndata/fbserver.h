// Firebird server chores that SQL over an open connection cannot do: telling
// whether a database exists, creating and dropping it. The engine's client calls
// (fbclient.h) do the work; failures become BuildError. ServerAnswers comes from there.
#pragma once

#include "fbclient.h"

#include <QString>

namespace vorndata {

struct ServerLogin {
    QString serverName;  // "host:/path/FILE.GDB" or "host/port:/path/FILE.GDB"
    QString user = "SYSDBA";
    QString password = "keelboard";
};

// Splits "host[/port]:path"; false when no host or path is given.
bool SplitServerName(const QString& serverName, QString* host, int* port, QString* path);

// The database name the client library is given: the host replaced by its address that
// answers (IPv4 or IPv6). Throws BuildError when no address of the host answers.
QString ConnectionName(const ServerLogin& login);

// Whether the database exists: attaches and detaches. Throws BuildError on any
// failure other than a missing file (wrong password, server unreachable).
bool ServerDatabaseExists(const ServerLogin& login);

// Creates the database (UTF8, 8 KiB pages); throws BuildError with the server's text.
void CreateServerDatabase(const ServerLogin& login);

// Drops the database file; throws BuildError with the server's text.
void DropServerDatabase(const ServerLogin& login);

}  // namespace vorndata
