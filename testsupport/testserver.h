// The Firebird server the server-side tests (label "firebird") run against, named in
// one place: the environment scripts/test-server sets when it starts a private server
// for a run (QUORVALE_FB_HOST, QUORVALE_FB_PORT, QUORVALE_FB_PASSWORD, QUORVALE_FB_DATA),
// else a developer's shared server on 127.0.0.1:3050 whose SYSDBA logs in with
// keelboard (scripts/firebird-server).
#pragma once

#include <QString>
#include <QtTest>

QString TestServerHost();
int TestServerPort();
QString TestServerUser();
QString TestServerPassword();

// A folder the server may create databases in and the tests may look into: the
// private server's data folder, or /tmp for a shared server, which runs as a user of
// its own.
QString TestServerFolder();

// "host/port:<TestServerFolder>/fileName": a SERVER NAME, or vorndata's --server.
QString TestServerDatabase(const QString& fileName);

// The lines of an alias that log in to the server: "USER NAME=...\nPASSWORD=...\n".
QString TestServerLogin();

// Empty when the server answers; otherwise why a test that needs it cannot run.
QString TestServerMissing();

// Set CI, a missing server fails the tests that need it; elsewhere they skip.
bool TestServerRequired();

// For its lifetime a database path without a host names the tests' server, as it
// names this machine's standard server in the programs.
class TTestServerAsLocal {
public:
    TTestServerAsLocal();
    ~TTestServerAsLocal();
    TTestServerAsLocal(const TTestServerAsLocal&) = delete;
    TTestServerAsLocal& operator=(const TTestServerAsLocal&) = delete;

private:
    QString FHost;
    int FPort = 0;
};

// QSKIP and QFAIL end only the test function they are written in, hence a macro.
#define REQUIRE_TEST_SERVER()                                                                                      \
    do {                                                                                                           \
        const QString missing_ = TestServerMissing();                                                              \
        if (!missing_.isEmpty()) {                                                                                 \
            if (TestServerRequired())                                                                              \
                QFAIL(qPrintable(missing_ + " (required when CI is set)"));                                        \
            QSKIP(qPrintable(missing_));                                                                           \
        }                                                                                                          \
    } while (0)
