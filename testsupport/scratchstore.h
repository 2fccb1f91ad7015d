// A scratch order database for one test, on local data or on the tests' Firebird
// server, in a temporary folder laid out as the programs expect it:
//   <root>/DATA/        the data: the tables as files, or the server's DEZAZAV.GDB
//   <root>/bin/app/     where the program is placed, so its data folder is DATA
//   <root>/engine.ini   the engine configuration, naming DATA under one alias
//   <root>/config/      the settings folder
// While the store lives the process (and every program it starts) reads that
// configuration and those settings. Its going drops the server database and puts
// back the configuration, settings folder and program folder it found.
#pragma once

#include "platform/data/database.h"
#include "tools/orderdata/builder.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVector>

#include <optional>
#include <string>

// A test program built with QUORVALE_TEST_FIREBIRD runs its cases on the server.
#ifdef QUORVALE_TEST_FIREBIRD
inline constexpr bool kFirebird = true;
#else
inline constexpr bool kFirebird = false;
#endif

class TScratchStore {
public:
    // Server data needs the server: REQUIRE_TEST_SERVER() first (testsupport/testserver.h).
    explicit TScratchStore(bool server, const QString& alias = "DBDEMOS");
    ~TScratchStore();
    TScratchStore(const TScratchStore&) = delete;
    TScratchStore& operator=(const TScratchStore&) = delete;

    const bool Server;
    const QString Alias;
    QString Root;
    QString DataFolder; // with a trailing separator, as the program names its folders
    QString ConfigFile;
    QString ServerName; // server data: "host/port:<DATA>/DEZAZAV.GDB"

    // The order database with the builder's sample data; throws as the builder does.
    vorndata::BuildResult Build(const vorndata::BuildOptions& options);
    // An empty table, for tests that lay rows of their own.
    void CreateTable(const QString& name, const QString& columns);
    // The server login, for the builder.
    vorndata::ServerLogin Login() const;

    // The alias naming this store's data: "[name]" lines, with the server's login.
    QString AliasLines(const QString& name) const;
    QString AliasLines() const { return AliasLines(Alias); }
    // Writes the engine configuration and makes the engine read it again.
    void WriteConfig(const QString& text);

    // Places the program where its data folder is DATA (as at the start), or where
    // it is a folder that does not exist.
    void PlaceProgram(bool besideData = true);

    // A connection under the alias, with the server's login.
    void Open(TDatabase& db, const QString& name = "CHECK") const;
    // Through a connection of its own, as another program sees the data.
    void Exec(const QString& sql, const QVariantList& params = {}) const;
    QVector<QVector<QVariant>> Rows(const QString& sql, const QVariantList& params = {}) const;
    // The first column of the first row, null when there is no row.
    QVariant Value(const QString& sql, const QVariantList& params = {}) const;
    // NaN when there is no row, so that a lost row never passes for a zero.
    double Number(const QString& sql, const QVariantList& params = {}) const;
    // A date as this storage holds it.
    QVariant Date(TDateTime d) const;

    // Through a connection the test holds, within its transaction.
    static void Exec(TDatabase& db, const QString& sql, const QVariantList& params = {});

private:
    QTemporaryDir FDir;
    std::string FSavedProgramFolder;
    std::optional<QByteArray> FSavedConfig, FSavedSettings;
};
