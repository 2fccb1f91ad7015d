// The engine reports server failures as EDatabaseError; a build reports BuildError, which
// the program prints and turns into its exit code.
#include "tools/orderdata/fbserver.h"

#include "tools/orderdata/builder.h"
#include "platform/core/exceptions.h"

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

bool NamesServerDatabase(const QString& serverName)
{
    QString host, path;
    int port = 0;
    return NamesServerHost(serverName) && SplitServerName(serverName, host, port, path);
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
