// Whether a server database exists, asked of the Firebird client library directly
// because only its status codes tell a missing file from a refused login.
#include "fbserver.h"

#include "builder.h"
#include "exceptions.h"

#include <ibase.h>

#include <string>

namespace vorndata {

namespace {

QString StatusText(const ISC_STATUS* status)
{
    QStringList lines;
    char buffer[1024];
    const ISC_STATUS* cursor = status;
    while (fb_interpret(buffer, sizeof buffer, &cursor) > 0)
        lines << QString::fromLocal8Bit(buffer);
    return lines.join("; ");
}

std::string ParameterBlock(const ServerLogin& login)
{
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    auto add = [&dpb](char tag, const QByteArray& value) {
        dpb += tag;
        dpb += static_cast<char>(value.size());
        dpb += value.toStdString();
    };
    add(isc_dpb_user_name, login.user.toUtf8());
    add(isc_dpb_password, login.password.toUtf8());
    add(isc_dpb_lc_ctype, "UTF8");
    return dpb;
}

[[noreturn]] void Fail(const QString& what, const ServerLogin& login, const ISC_STATUS* status)
{
    throw BuildError(QString("%1 %2: %3").arg(what, login.serverName, StatusText(status)));
}

// Attaches to the database; returns 0 and leaves `status` set on failure.
isc_db_handle Attach(const ServerLogin& login, ISC_STATUS* status)
{
    isc_db_handle handle = 0;
    const QByteArray name = ConnectionName(login).toLocal8Bit();
    const std::string dpb = ParameterBlock(login);
    isc_attach_database(status, 0, name.constData(), &handle, static_cast<short>(dpb.size()), dpb.data());
    return status[0] == 1 && status[1] ? 0 : handle;
}

}  // namespace

bool SplitServerName(const QString& serverName, QString* host, int* port, QString* path)
{
    const qsizetype colon = serverName.indexOf(':');
    if (colon <= 0 || colon == serverName.size() - 1)
        return false;
    QString hostPart = serverName.left(colon);
    int portNumber = 3050;
    const qsizetype slash = hostPart.indexOf('/');
    if (slash >= 0) {
        bool ok = false;
        portNumber = hostPart.mid(slash + 1).toInt(&ok);
        if (!ok || portNumber <= 0 || portNumber > 65535)
            return false;
        hostPart = hostPart.left(slash);
    }
    if (hostPart.isEmpty())
        return false;
    if (host)
        *host = hostPart;
    if (port)
        *port = portNumber;
    if (path)
        *path = serverName.mid(colon + 1);
    return true;
}

QString ConnectionName(const ServerLogin& login)
{
    try {
        return ::ReachableServerName(login.serverName);
    } catch (const EDatabaseError& e) {
        throw BuildError(QString::fromStdString(e.Message));
    }
}

bool ServerDatabaseExists(const ServerLogin& login)
{
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = Attach(login, status);
    if (handle) {
        isc_detach_database(status, &handle);
        return true;
    }
    // A missing file is reported as an I/O error on open.
    for (const ISC_STATUS* s = status; s[0] != isc_arg_end; s += 2) {
        if (s[0] == isc_arg_gds && s[1] == isc_io_error)
            return false;
    }
    Fail("cannot open", login, status);
}

void CreateServerDatabase(const ServerLogin& login)
{
    try {
        ::CreateServerDatabase(login.serverName, login.user, login.password);
    } catch (const EDatabaseError& e) {
        throw BuildError(QString::fromStdString(e.Message));
    }
}

void DropServerDatabase(const ServerLogin& login)
{
    try {
        ::DropServerDatabase(login.serverName, login.user, login.password);
    } catch (const EDatabaseError& e) {
        throw BuildError(QString::fromStdString(e.Message));
    }
}

}  // namespace vorndata
