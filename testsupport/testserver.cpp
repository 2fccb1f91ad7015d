// Defaults are those of a shared server set up by scripts/firebird-server, so a
// developer's own server keeps serving the tests when no private one is named.
#include "testsupport/testserver.h"

#include "platform/data/fbclient.h"

#include <QDir>

namespace {

QString Setting(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

} // namespace

QString TestServerHost()
{
    return Setting("QUORVALE_FB_HOST", "127.0.0.1");
}

int TestServerPort()
{
    bool ok = false;
    const int port = Setting("QUORVALE_FB_PORT", "3050").toInt(&ok);
    return ok ? port : -1;
}

QString TestServerUser()
{
    return "SYSDBA";
}

QString TestServerPassword()
{
    return Setting("QUORVALE_FB_PASSWORD", "keelboard");
}

QString TestServerFolder()
{
    return QDir::cleanPath(Setting("QUORVALE_FB_DATA", "/tmp"));
}

QString TestServerDatabase(const QString& fileName)
{
    return QString("%1/%2:%3/%4").arg(TestServerHost()).arg(TestServerPort()).arg(TestServerFolder(), fileName);
}

QString TestServerLogin()
{
    return "USER NAME=" + TestServerUser() + "\nPASSWORD=" + TestServerPassword() + "\n";
}

QString TestServerMissing()
{
    const QString where = QString("%1:%2").arg(TestServerHost()).arg(TestServerPort());
    if (TestServerPort() <= 0)
        return "QUORVALE_FB_PORT is not a port number: " + qEnvironmentVariable("QUORVALE_FB_PORT");
    if (ServerAnswers(TestServerHost(), TestServerPort()))
        return QString();
    return "No Firebird server answers on " + where
        + "; run the tests through scripts/test-server (a private server for the run) or start a shared one "
          "with scripts/firebird-server";
}

bool TestServerRequired()
{
    return !qEnvironmentVariableIsEmpty("CI");
}

TTestServerAsLocal::TTestServerAsLocal()
{
    LocalServer(FHost, FPort);
    SetLocalServer(TestServerHost(), TestServerPort());
}

TTestServerAsLocal::~TTestServerAsLocal()
{
    SetLocalServer(FHost, FPort);
}
