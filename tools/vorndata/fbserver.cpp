// The engine reports server failures as EDatabaseError; a build reports BuildError, which
// the program prints and turns into its exit code.
#include "fbserver.h"

#include "builder.h"
#include "exceptions.h"

namespace vorndata {

namespace {

template <typename Call>
auto AsBuildError(Call call)
{
    try {
        return call();
    } catch (const EDatabaseError& e) {
        throw BuildError(QString::fromStdString(e.Message));
    }
}

}  // namespace

bool SplitServerName(const QString& serverName, QString* host, int* port, QString* path)
{
    QString hostPart, pathPart;
    int portNumber = 0;
    if (!NamesServerHost(serverName) || !::SplitServerName(serverName, hostPart, portNumber, pathPart))
        return false;
    if (host)
        *host = hostPart;
    if (port)
        *port = portNumber;
    if (path)
        *path = pathPart;
    return true;
}

QString ConnectionName(const ServerLogin& login)
{
    return AsBuildError([&] { return ::ReachableServerName(login.serverName); });
}

bool ServerDatabaseExists(const ServerLogin& login)
{
    return AsBuildError([&] { return ::ServerDatabaseExists(login.serverName, login.user, login.password); });
}

void CreateServerDatabase(const ServerLogin& login)
{
    AsBuildError([&] { ::CreateServerDatabase(login.serverName, login.user, login.password); });
}

void DropServerDatabase(const ServerLogin& login)
{
    AsBuildError([&] { ::DropServerDatabase(login.serverName, login.user, login.password); });
}

}  // namespace vorndata
