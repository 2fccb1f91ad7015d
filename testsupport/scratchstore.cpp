#include "testsupport/scratchstore.h"

#include "platform/data/alias.h"
#include "platform/data/fbclient.h"
#include "platform/data/localstore.h"
#include "testsupport/testserver.h"
#include "xmllib/strs.h"

#include <QDir>
#include <QFile>

#include <limits>
#include <stdexcept>

namespace {

const QString kServerFile = "DEZAZAV.GDB";

std::optional<QByteArray> Saved(const char* name)
{
    if (!qEnvironmentVariableIsSet(name))
        return std::nullopt;
    return qgetenv(name);
}

void Restore(const char* name, const std::optional<QByteArray>& value)
{
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

} // namespace

TScratchStore::TScratchStore(bool server, const QString& alias)
    : Server(server), Alias(alias), FDir((server ? TestServerFolder() : QDir::tempPath()) + "/scratch-XXXXXX")
{
    if (!FDir.isValid())
        throw std::runtime_error(("no scratch folder: " + FDir.errorString()).toStdString());
    Root = FDir.path();
    DataFolder = Root + "/DATA/";
    ConfigFile = Root + "/engine.ini";
    QDir().mkpath(DataFolder);
    QDir().mkpath(Root + "/config");
    if (server) {
        // The server writes the database file; a shared one runs as a user of its own.
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
            | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QFile::setPermissions(Root, open);
        QFile::setPermissions(DataFolder, open);
        ServerName = QString("%1/%2:%3").arg(TestServerHost()).arg(TestServerPort()).arg(DataFolder + kServerFile);
    }
    FSavedProgramFolder = AppFolder;
    FSavedConfig = Saved("VORN_ENGINE_CONFIG");
    FSavedSettings = Saved("XDG_CONFIG_HOME");
    // Programs running side by side never share a settings file.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Root + "/config"));
    qputenv("VORN_ENGINE_CONFIG", QFile::encodeName(ConfigFile));
    WriteConfig(AliasLines());
    PlaceProgram(true);
}

TScratchStore::~TScratchStore()
{
    AppFolder = FSavedProgramFolder;
    Restore("VORN_ENGINE_CONFIG", FSavedConfig);
    Restore("XDG_CONFIG_HOME", FSavedSettings);
    Session.Reset();
    if (Server && QFile::exists(DataFolder + kServerFile)) {
        try {
            DropServerDatabase(ServerName, TestServerUser(), TestServerPassword());
        } catch (const std::exception& e) {
            qWarning("scratch database %s left: %s", qPrintable(ServerName), e.what());
        }
    }
}

vorndata::BuildResult TScratchStore::Build(const vorndata::BuildOptions& options)
{
    return Server ? vorndata::BuildServer(Login(), options) : vorndata::BuildLocal(DataFolder, options);
}

void TScratchStore::CreateTable(const QString& name, const QString& columns)
{
    if (!Server) {
        CreateLocalTable(DataFolder, name, columns);
        return;
    }
    if (!QFile::exists(DataFolder + kServerFile))
        CreateServerDatabase(ServerName, TestServerUser(), TestServerPassword());
    Exec("CREATE TABLE " + name + " (" + columns + ")");
}

vorndata::ServerLogin TScratchStore::Login() const
{
    vorndata::ServerLogin login;
    login.serverName = ServerName;
    login.user = TestServerUser();
    login.password = TestServerPassword();
    return login;
}

QString TScratchStore::AliasLines(const QString& name) const
{
    if (Server)
        return "[" + name + "]\nDRIVER=INTRBASE\nSERVER NAME=" + ServerName + "\n" + TestServerLogin();
    return "[" + name + "]\nDRIVER=PARADOX\nPATH=" + DataFolder + "\n";
}

void TScratchStore::WriteConfig(const QString& text)
{
    QFile f(ConfigFile);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
        throw std::runtime_error(("cannot write " + ConfigFile + ": " + f.errorString()).toStdString());
    f.write(text.toUtf8());
    f.close();
    Session.Reset();
}

void TScratchStore::PlaceProgram(bool besideData)
{
    // The data folder is two levels above the program's folder, then "DATA".
    AppFolder = QFile::encodeName(Root + (besideData ? "/bin/app/" : "/nodata/bin/app/")).toStdString();
}

void TScratchStore::Open(TDatabase& db, const QString& name) const
{
    db.DatabaseName = name;
    db.AliasName = Alias;
    db.Params = QStringList{"USER NAME=" + TestServerUser(), "PASSWORD=" + TestServerPassword()};
    db.Open();
}

void TScratchStore::Exec(TDatabase& db, const QString& sql, const QVariantList& params)
{
    db.EnsureTablesOf(sql);
    db.Runner().Execute(sql, params);
}

void TScratchStore::Exec(const QString& sql, const QVariantList& params) const
{
    TDatabase db;
    Open(db);
    Exec(db, sql, params);
    db.Close();
}

QVector<QVector<QVariant>> TScratchStore::Rows(const QString& sql, const QVariantList& params) const
{
    TDatabase db;
    Open(db);
    db.EnsureTablesOf(sql);
    auto rows = db.Runner().Select(sql, params);
    db.Close();
    return rows;
}

QVariant TScratchStore::Value(const QString& sql, const QVariantList& params) const
{
    const auto rows = Rows(sql, params);
    return rows.isEmpty() ? QVariant() : rows.first().value(0);
}

double TScratchStore::Number(const QString& sql, const QVariantList& params) const
{
    const auto rows = Rows(sql, params);
    return rows.isEmpty() ? std::numeric_limits<double>::quiet_NaN() : rows.first().value(0).toDouble();
}

QVariant TScratchStore::Date(TDateTime d) const
{
    return ToStorage(d, ftDateTime, Server ? dlFirebird : dlSqlite);
}
