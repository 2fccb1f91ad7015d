// Switching the main window to remote data on a Firebird server and back, on the
// tests' server (testsupport/testserver.h); skips without one unless CI is set.
#include "orderentry/DataMod.h"
#include "orderentry/Main.h"
#include "orderentry/Startup.h"
#include "orderentry/tests/main_fixture.h"

#include "platform/widgets/application.h"
#include "platform/widgets/messages.h"
#include "testsupport/testserver.h"

#include <QTest>

#include <memory>

class MainStorageFbTest : public QObject {
    Q_OBJECT

    // Local sample data and the server database side by side in one data folder.
    std::unique_ptr<TScratchStore> FBox;
    QString FRemoteAlias;

private slots:
    void initTestCase()
    {
        REQUIRE_TEST_SERVER();
        try {
            FBox = MainSampleStore(true);
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        FRemoteAlias = FBox->AliasLines("DEZAZAV");
        Application->Title = "Quorvale Order Entry";
    }

    void cleanupTestCase()
    {
        FreeApplicationObjects();
        FBox.reset();
    }

    void init()
    {
        FBox->WriteConfig(LocalAlias(*FBox, FRemoteAlias));
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
        FBox->WriteConfig(FRemoteAlias);
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
