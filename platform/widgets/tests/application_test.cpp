// The end of a session caught as signals: SIGTERM and SIGHUP reach the handler on the
// event loop, never inside the signal itself; a failing handler is reported and the
// program goes on; giving up the handler gives the signals back their default action.
#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "platform/widgets/messages.h"

#include <QtTest>

#include <csignal>

namespace {

bool Ignored(int Signal)
{
    struct sigaction current {};
    ::sigaction(Signal, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

bool Default(int Signal)
{
    struct sigaction current {};
    ::sigaction(Signal, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CatchTerminationSignals(nullptr); }

    void terminationSignalsReachTheHandlerOnTheEventLoop_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM (shutdown)") << int(SIGTERM);
        QTest::newRow("SIGHUP (logout)") << int(SIGHUP);
    }

    void terminationSignalsReachTheHandlerOnTheEventLoop()
    {
        QFETCH(int, signal);
        if (Ignored(signal))
            QSKIP("the signal was ignored when this test started (nohup): it stays ignored");
        QList<int> received;
        CatchTerminationSignals([&](int number) { received << number; });

        QCOMPARE(::raise(signal), 0);
        // The signal handler only wrote to the pipe: nothing has run yet.
        QVERIFY(received.isEmpty());
        QTRY_COMPARE(received, QList<int>({signal}));

        // A second signal is heard as well.
        QCOMPARE(::raise(signal), 0);
        QTRY_COMPARE(received, QList<int>({signal, signal}));
    }

    void bothSignalsInARowAreHeardInTurn()
    {
        if (Ignored(SIGTERM) || Ignored(SIGHUP))
            QSKIP("a signal was ignored when this test started (nohup)");
        QList<int> received;
        CatchTerminationSignals([&](int number) { received << number; });
        QCOMPARE(::raise(SIGHUP), 0);
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(received, QList<int>({SIGHUP, SIGTERM}));
    }

    void aFailingHandlerIsReportedAndTheProgramGoesOn()
    {
        TMessageRecorder recorder({}, mrOk);
        int calls = 0;
        CatchTerminationSignals([&](int) {
            ++calls;
            throw Exception("Cannot close now");
        });
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(calls, 1);
        QCOMPARE(recorder.Requests.size(), size_t(1));
        QCOMPARE(recorder.Requests[0].Text, QString("Cannot close now"));
        QCOMPARE(recorder.Requests[0].Type, mtError);
        // Still listening.
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(calls, 2);
    }

    void aNewHandlerReplacesTheOld()
    {
        int first = 0, second = 0;
        CatchTerminationSignals([&](int) { ++first; });
        CatchTerminationSignals([&](int) { ++second; });
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(second, 1);
        QCOMPARE(first, 0);
    }

    void noHandlerGivesTheDefaultActionBack()
    {
        CatchTerminationSignals([](int) {});
        QVERIFY(!Default(SIGTERM));
        if (!Ignored(SIGHUP))
            QVERIFY(!Default(SIGHUP));
        CatchTerminationSignals(nullptr);
        QVERIFY(Default(SIGTERM));
        QVERIFY(Default(SIGHUP) || Ignored(SIGHUP));
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
