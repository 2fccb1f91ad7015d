// The server side of building the order database: the login vorndata uses, and the
// engine's server calls (platform/data/fbclient.h) as the builder wants them, with
// failures as BuildError. ServerAnswers comes from there.
#pragma once

#include "platform/data/fbclient.h"

#include <QString>

namespace vorndata {

struct ServerLogin {
    QString serverName;  // "host:/path/FILE.GDB" or "host/port:/path/FILE.GDB"
    QString user = "SYSDBA";
    QString password = "keelboard";
};

// Whether the name is one vorndata can build: the engine's reading, with the host named
// (a bare path does not count, since the tool always names its server: HOST:PATH).
bool NamesServerDatabase(const QString& serverName);

// The database name the client library is given: the host replaced by its address that
// answers (IPv4 or IPv6). Throws BuildError when no address of the host answers.
QString ConnectionName(const ServerLogin& login);

// Whether the database exists. Throws BuildError on any failure other than a missing
// file (wrong password, server unreachable).
bool ServerDatabaseExists(const ServerLogin& login);

// Creates the database (UTF8, 8 KiB pages); throws BuildError with the server's text.
void CreateServerDatabase(const ServerLogin& login);

// Drops the database file; throws BuildError with the server's text.
void DropServerDatabase(const ServerLogin& login);

}  // namespace vorndata
