// Switching the main window to remote data on a Firebird server and back, on the
// tests' server (testsupport/testserver.h); skips without one unless CI is set.
#include "orderentry/DataMod.h"
#include "orderentry/Main.h"
#include "orderentry/Startup.h"
#include "orderentry/tests/main_fixture.h"

#include "platform/data/alias.h"
#include "platform/widgets/application.h"
#include "tools/orderdata/builder.h"
#include "platform/data/fbclient.h"
#include "platform/widgets/messages.h"
#include "testsupport/testserver.h"

#include <QTest>

#include <memory>
#include <unistd.h>

class MainStorageFbTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainSandbox> FBox;
    vorndata::ServerLogin FLogin;
    QString FRemoteAlias;

private slots:
    void initTestCase()
    {
        REQUIRE_TEST_SERVER();
        FBox = std::make_unique<TMainSandbox>();
        QVERIFY2(FBox->Valid(), "the sample data could not be built");
        FLogin.serverName = TestServerDatabase(QString("vornapp-main-test-%1.fdb").arg(getpid()));
        FLogin.user = TestServerUser();
        FLogin.password = TestServerPassword();
        vorndata::BuildOptions options;
        options.orders = 10;
        options.today = QDate(2024, 5, 17);
        try {
            vorndata::BuildServer(FLogin, options);
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        FRemoteAlias = QString("[DEZAZAV]\nDRIVER=INTRBASE\nSERVER NAME=%1\n").arg(FLogin.serverName) + TestServerLogin();
        Application->Title = "Quorvale Order Entry";
    }

    void cleanupTestCase()
    {
        FreeApplicationObjects();
        if (!FLogin.serverName.isEmpty()) {
            try {
                vorndata::DropServerDatabase(FLogin);
            } catch (const std::exception& e) {
                qWarning("%s", e.what());
            }
        }
        FBox.reset();
    }

    void init()
    {
        FBox->SetEngineConfig(FBox->LocalAlias(FRemoteAlias));
        CreateApplicationObjects();
    }

    void cleanup() { FreeApplicationObjects(); }

    void switchesToRemoteDataAndBack()
    {
        TMessageRecorder messages;
        MainForm->ViewMenu->popup(QPoint(0, 0));
        QVERIFY(MainForm->ViewRemote->isEnabled());
        MainForm->ViewMenu->close();

        MainForm->ViewRemote->trigger();
        QVERIFY2(messages.Requests.empty(), messages.Requests.empty() ? "" : qPrintable(messages.Requests[0].Text));
        QCOMPARE(MainForm->windowTitle(), QString("Quorvale Order Entry (Local Interbase)"));
        QVERIFY(MainForm->ViewRemote->isChecked());
        QVERIFY(!MainForm->ViewLocal->isChecked());
        QVERIFY(VornData->Database->Connected());
        QVERIFY(VornData->Database->IsSQLBased());
        QVERIFY(!VornData->Orders->Active());
        // The remote data is there to be read.
        VornData->Orders->Open();
        QVERIFY(VornData->Orders->RecordCount() > 0);

        MainForm->ViewLocal->trigger();
        QVERIFY(messages.Requests.empty());
        QCOMPARE(MainForm->windowTitle(), QString("Quorvale Order Entry (Paradox Data)"));
        QVERIFY(MainForm->ViewLocal->isChecked());
        QVERIFY(!VornData->Database->IsSQLBased());
    }

    void localFailureAfterRemoteKeepsTheRemoteTick()
    {
        MainForm->ViewRemote->trigger();
        QCOMPARE(MainForm->windowTitle(), QString("Quorvale Order Entry (Local Interbase)"));
        FBox->SetEngineConfig(FRemoteAlias);
        FBox->PlaceProgram(false);
        TMessageRecorder messages;

        MainForm->ViewLocal->trigger();

        FBox->PlaceProgram(true);
        QCOMPARE(messages.Requests.size(), size_t(1));
        QCOMPARE(messages.Requests[0].Text, QString("Cannot locate Paradox data files"));
        QCOMPARE(MainForm->windowTitle(), QString("Quorvale Order Entry (Local Interbase)"));
        QVERIFY(MainForm->ViewRemote->isChecked());
        QVERIFY(!MainForm->ViewLocal->isChecked());
    }
};

QTEST_MAIN(MainStorageFbTest)
#include "main_storage_fb_test.moc"
