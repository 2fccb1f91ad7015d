// The program's start: the splash first and painted, then the data module, then the
// windows in their fixed order, the splash gone before the event loop; and a start
// whose database cannot be opened reports it and shows no window.
#include "About.h"
#include "DataMod.h"
#include "Main.h"
#include "Splash.h"
#include "main_fixture.h"

#include "application.h"
#include "messages.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <memory>

namespace {

TSplashForm* SplashShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* splash = qobject_cast<TSplashForm*>(w); splash && splash->isVisible())
            return splash;
    return nullptr;
}

QStringList ComponentNames()
{
    QStringList names;
    for (QObject* o : ApplicationComponents())
        names << o->objectName();
    return names;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainSandbox> FBox;

private slots:
    void initTestCase()
    {
        FBox = std::make_unique<TMainSandbox>();
        QVERIFY2(FBox->Valid(), "the sample data could not be built");
    }

    void cleanup()
    {
        OnStartupStep = nullptr;
        FreeApplicationObjects();
    }

    void cleanupTestCase() { FBox.reset(); }

    void startCreatesEverythingInOrder()
    {
        FBox->SetEngineConfig(FBox->LocalAlias());
        FBox->ForgetReportConnection();
        QStringList steps;
        bool splashPaintedFirst = false;
        bool dataBeforeMain = false;
        OnStartupStep = [&](const QString& step) {
            steps << step;
            if (step == "VornData") {
                TSplashForm* splash = SplashShown();
                splashPaintedFirst = splash && splash->Painted() && splash->Label2->text() == "Loading...";
            }
            if (step == "MainForm")
                dataBeforeMain = VornData && VornData->Database->Connected() && MainForm &&
                                 !MainForm->isVisible() && !AboutBox;
        };
        TMessageRecorder messages;

        QVERIFY(StartOrderEntry());

        QCOMPARE(steps, QStringList({"Splash", "VornData", "MainForm", "AboutBox", "SplashGone"}));
        QVERIFY(splashPaintedFirst);
        QVERIFY(dataBeforeMain);
        QVERIFY(messages.Requests.empty());
        QCOMPARE(ComponentNames(), QStringList({"VornData", "MainForm", "AboutBox"}));
        QCOMPARE(Application->Title, QString("Quorvale Order Entry"));
        QCOMPARE(Application->HelpFile, QString("VORNAPP.HLP"));
        QVERIFY(!SplashShown());
        QVERIFY(QApplication::topLevelWidgets().size() > 0);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        // The main window's creation registered the database it started with.
        QVERIFY(TMainSandbox::ReadReportConnection().contains("DataFilePath=" + FBox->DataFolder()));
    }

    void startWithoutItsDatabaseEndsBeforeAnyWindow()
    {
        FBox->SetEngineConfig(QString());
        QStringList steps;
        OnStartupStep = [&](const QString& step) { steps << step; };
        TMessageRecorder messages;

        QVERIFY(!StartOrderEntry());

        QCOMPARE(messages.Requests.size(), size_t(1));
        QCOMPARE(messages.Requests[0].Type, mtError);
        QVERIFY2(messages.Requests[0].Text.contains("DBDEMOS"), qPrintable(messages.Requests[0].Text));
        QCOMPARE(steps, QStringList({"Splash", "SplashGone"}));
        QVERIFY(!MainForm);
        QVERIFY(!SplashShown());
    }

    void startErrorIsShownAfterTheSplashHasGone()
    {
        FBox->SetEngineConfig(QString());
        bool splashAtError = true;
        TMessageResponderScope responder([&](const TMessageRequest&) {
            splashAtError = SplashShown() != nullptr;
            return mrOk;
        });

        QVERIFY(!StartOrderEntry());
        QVERIFY(!splashAtError);
    }

    void unwritableConnectionFileEndsTheStart()
    {
        FBox->SetEngineConfig(FBox->LocalAlias());
        FBox->ForgetReportConnection();
        // A folder in the file's place: nothing can be written there.
        QVERIFY(QDir().mkpath(TMainForm::ReportConnectionFileName()));
        TMessageRecorder messages;

        const bool started = StartOrderEntry();

        QDir(TMainForm::ReportConnectionFileName()).removeRecursively();
        QVERIFY(!started);
        QCOMPARE(messages.Requests.size(), size_t(1));
        QVERIFY2(messages.Requests[0].Text.startsWith("Unable to write to "), qPrintable(messages.Requests[0].Text));
        QVERIFY(messages.Requests[0].Text.endsWith("RPTSMITH.CON"));
        QVERIFY(!MainForm);
    }

    void splashTextsFitTheirLabels()
    {
        // Whatever fonts this machine gives the splash, its texts are not cut off.
        TSplashForm splash;
        QCOMPARE(splash.size(), QSize(168, 178));
        QVERIFY(splash.Label1->fontMetrics().horizontalAdvance(splash.Label1->text()) <= splash.Label1->width());
        QVERIFY(splash.Label1->fontMetrics().height() <= splash.Label1->height());
        QVERIFY(splash.Label2->fontMetrics().horizontalAdvance(splash.Label2->text()) <= splash.Label2->width());
        QVERIFY(splash.Label2->fontMetrics().height() <= splash.Label2->height());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
