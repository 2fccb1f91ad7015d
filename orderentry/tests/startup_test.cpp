// The program's start: the user's formats from the locale, the splash first and
// painted, then the data module, then the windows in their fixed order, the splash gone
// before the event loop; a start whose database cannot be opened reports it and shows
// no window, one whose report writer's file cannot be written reports it and goes on.
// And its end: SIGTERM or SIGHUP closes the main window as the user would, and the
// program ends cleanly, its scratch files gone.
#include "orderentry/About.h"
#include "orderentry/DataMod.h"
#include "orderentry/Main.h"
#include "orderentry/Splash.h"
#include "orderentry/order_form.h"
#include "orderentry/Startup.h"
#include "orderentry/tests/main_fixture.h"

#include "platform/widgets/application.h"
#include "platform/core/datetime.h"
#include "platform/data/field.h"
#include "platform/core/formatsettings.h"
#include "platform/widgets/messages.h"
#include "xmllib/strs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

TSplashForm* SplashShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* splash = qobject_cast<TSplashForm*>(w); splash && splash->isVisible())
            return splash;
    return nullptr;
}

// The application's objects in the order the start creates them.
const QStringList kComponents = {"VornData", "MainForm", "BrPartsForm", "QueryCustDlg", "EdPartsForm",
                                 "BrCustOrdForm", "EdCustForm", "EdOrderForm", "SearchDlg", "BrDateForm",
                                 "AboutBox", "PickRpt", "CustomerByInvoiceReport", "OrdersByDateReport",
                                 "InvoiceByOrderNoReport", "PickOrderNoDlg"};

QStringList ComponentNames()
{
    QStringList names;
    for (QObject* o : ApplicationComponents())
        names << o->objectName();
    return names;
}

// Everything in Folder, hidden files included.
QStringList Entries(const QString& Folder)
{
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The argument that makes this test program the child of startTakesTheUsersFormats.
const char* const ShowStartFormatsArgument = "--show-start-formats";

// The child's part of startTakesTheUsersFormats: starts as the program does, under the
// locale its environment names, and prints the formats it took, then a date and an
// amount shown with them, before and after browsing orders switched to two-digit years.
int ShowStartFormats()
{
    TMessageRecorder messages({}, mrOk);
    QTextStream out(stdout);
    if (!StartOrderEntry()) {
        for (const TMessageRequest& request : messages.Requests)
            out << "MESSAGE " << request.Text << '\n';
        return 1;
    }
    const TFormatSettings& s = FormatSettings;
    out << "FORMATS "
        << QStringList({QString::fromStdString(s.ShortDateFormat), QString(QLatin1Char(s.DateSeparator)),
                        QString(QLatin1Char(s.DecimalSeparator)), QString(QLatin1Char(s.ThousandSeparator)),
                        QString::fromStdString(s.CurrencyString)})
               .join(QLatin1Char('|'))
        << '\n';
    const TDateTime day = EncodeDate(2024, 5, 17);
    out << "DATE " << DateTimeToStr(day) << '\n';
    out << "MONEY " << FormatCurrency(1234.5) << '\n';
    MainForm->BrowseCustOrd(MainForm);
    out << "BROWSING " << QString::fromStdString(FormatSettings.ShortDateFormat) << '\n';
    out << "DATE " << DateTimeToStr(day) << '\n';
    // What is shown reads back as the same day, as a typed date would.
    out << "READ " << (StrToDateTime(DateTimeToStr(day)) == day ? "same day" : "another day") << '\n';
    for (const TMessageRequest& request : messages.Requests)
        out << "MESSAGE " << request.Text << '\n';
    out.flush();
    FreeApplicationObjects();
    return 0;
}

// Sends Signal once the main window of a run is shown; stops a run that the signal does
// not end, so a failing case cannot hang the suite.
class TSignalAtMainWindow : public QObject {
public:
    explicit TSignalAtMainWindow(int Signal) : FSignal(Signal)
    {
        connect(&FPoll, &QTimer::timeout, this, [this] {
            if (!Sent && MainForm && MainForm->isVisible()) {
                Sent = true;
                if (OnSending)
                    OnSending();
                ::raise(FSignal);
            } else if (Sent && Then) {
                Then();
            }
        });
        FPoll.start(20);
        FSafety.setSingleShot(true);
        connect(&FSafety, &QTimer::timeout, this, [] { QCoreApplication::exit(99); });
        FSafety.start(60000);
    }

    bool Sent = false;
    std::function<void()> OnSending;
    // Called on every poll after the signal was sent.
    std::function<void()> Then;

private:
    int FSignal;
    QTimer FPoll;
    QTimer FSafety;
};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FBox;
    TFormatSettings FSavedFormats;

private slots:
    void initTestCase()
    {
        try {
            FBox = MainSampleStore();
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
    }

    void init() { FSavedFormats = FormatSettings; }

    void cleanup()
    {
        OnStartupStep = nullptr;
        FreeApplicationObjects();
        // The start took this machine's formats; the next case starts from the same ones.
        FormatSettings = FSavedFormats;
    }

    void cleanupTestCase() { FBox.reset(); }

    void startCreatesEverythingInOrder()
    {
        FBox->WriteConfig(LocalAlias(*FBox));
        ForgetReportConnection();
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

        QCOMPARE(steps, QStringList({"Splash"}) + kComponents + QStringList({"SplashGone"}));
        QVERIFY(splashPaintedFirst);
        QVERIFY(dataBeforeMain);
        QVERIFY(messages.Requests.empty());
        QCOMPARE(ComponentNames(), kComponents);
        QCOMPARE(Application->Title, QString("Quorvale Order Entry"));
        QCOMPARE(Application->HelpFile, QString("VORNAPP.HLP"));
        QVERIFY(!SplashShown());
        QVERIFY(QApplication::topLevelWidgets().size() > 0);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        // The main window's creation registered the database it started with.
        QVERIFY(ReadReportConnection().contains("DataFilePath=" + FBox->DataFolder));
    }

    void startWithoutItsDatabaseEndsBeforeAnyWindow()
    {
        FBox->WriteConfig(QString());
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
        FBox->WriteConfig(QString());
        bool splashAtError = true;
        TMessageResponderScope responder([&](const TMessageRequest&) {
            splashAtError = SplashShown() != nullptr;
            return mrOk;
        });

        QVERIFY(!StartOrderEntry());
        QVERIFY(!splashAtError);
    }

    void unwritableConnectionFileIsReportedAndTheStartGoesOn()
    {
        FBox->WriteConfig(LocalAlias(*FBox));
        ForgetReportConnection();
        // A folder in the file's place: nothing can be written there.
        QVERIFY(QDir().mkpath(TMainForm::ReportConnectionFileName()));
        QStringList steps;
        OnStartupStep = [&](const QString& step) { steps << step; };
        QList<TMessageRequest> messages;
        QStringList stepsAtMessage;
        TMessageResponderScope responder([&](const TMessageRequest& request) {
            messages << request;
            stepsAtMessage = steps;
            return mrOk;
        });

        const bool started = StartOrderEntry();

        QDir(TMainForm::ReportConnectionFileName()).removeRecursively();
        QVERIFY(started);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Type, mtError);
        QVERIFY2(messages[0].Text.startsWith("Unable to write to "), qPrintable(messages[0].Text));
        QVERIFY(messages[0].Text.endsWith("RPTSMITH.CON"));
        // Shown once the splash had gone, and the start went on to its end.
        QCOMPARE(stepsAtMessage, QStringList({"Splash"}) + kComponents + QStringList({"SplashGone"}));
        QCOMPARE(ComponentNames(), kComponents);
        QVERIFY(MainForm && !MainForm->isVisible());
        QVERIFY(VornData->Database->Connected());
    }

    void unreadableLanguageFileIsReportedAndTheStartGoesOn()
    {
        FBox->WriteConfig(LocalAlias(*FBox));
        FBox->PlaceProgram(true);
        const QString folder = QFile::decodeName(QByteArray::fromStdString(AppFolder));
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + "lang.xml");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Language><TEdOrderForm Caption=\"Auftrag\"");
        file.close();
        QStringList steps;
        OnStartupStep = [&](const QString& step) { steps << step; };
        QList<TMessageRequest> messages;
        QStringList stepsAtMessage;
        TMessageResponderScope responder([&](const TMessageRequest& request) {
            messages << request;
            stepsAtMessage = steps;
            return mrOk;
        });

        const bool started = StartOrderEntry();

        QDir(folder).removeRecursively();
        QVERIFY(started);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].Text.contains(folder + "lang.xml.bak"), qPrintable(messages[0].Text));
        // Shown once the splash had gone; the order form started untranslated.
        QCOMPARE(stepsAtMessage.last(), QString("SplashGone"));
        QVERIFY(EdOrderForm);
        QCOMPARE(EdOrderForm->windowTitle(), QString("9"));
    }

    void readOnlySettingsFolderIsReportedAndTheStartGoesOn()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only folders; the folder-in-the-file's-place case covers this");
        FBox->WriteConfig(LocalAlias(*FBox));
        ForgetReportConnection();
        const QString fileName = TMainForm::ReportConnectionFileName();
        const QString folder = QFileInfo(fileName).absolutePath();
        QVERIFY(QDir().mkpath(folder));
        {
            QFile file(fileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[ConnectNamesSection]\nConnectNames=A\n");
        }
        // The file is read-only too: a writable one is written in place (the next case).
        QVERIFY(QFile::setPermissions(fileName, QFile::ReadOwner));
        const QFile::Permissions writable = QFile::permissions(folder);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        TMessageRecorder messages({}, mrOk);

        const bool started = StartOrderEntry();

        QFile::setPermissions(folder, writable);
        QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(started);
        QCOMPARE(messages.Requests.size(), size_t(1));
        QVERIFY2(messages.Requests[0].Text.startsWith("Unable to write to "), qPrintable(messages.Requests[0].Text));
        QCOMPARE(ReadReportConnection(), QString("[ConnectNamesSection]\nConnectNames=A\n"));
        QVERIFY(MainForm);
    }

    void readOnlySettingsFolderStillTakesAWritableFile()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only folders");
        FBox->WriteConfig(LocalAlias(*FBox));
        ForgetReportConnection();
        const QString fileName = TMainForm::ReportConnectionFileName();
        const QString folder = QFileInfo(fileName).absolutePath();
        QVERIFY(QDir().mkpath(folder));
        {
            QFile file(fileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("; kept\n[ConnectNamesSection]\nConnectNames=A\n");
        }
        const QFile::Permissions writable = QFile::permissions(folder);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        TMessageRecorder messages({}, mrOk);

        const bool started = StartOrderEntry();

        const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QFile::setPermissions(folder, writable);
        QVERIFY(started);
        QVERIFY(messages.Requests.empty());
        QCOMPARE(ReadReportConnection(),
                 "; kept\n[ConnectNamesSection]\nConnectNames=A,VORNAPP\n\n[VORNAPP]\nType=61\nDataFilePath=" +
                     FBox->DataFolder + "\nServer=PARADOX\n");
        QCOMPARE(files, QStringList({"RPTSMITH.CON"}));
    }

    void startTakesTheUsersFormats_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("output");
        QTest::newRow("day first: en_GB through LC_ALL")
            << QStringList({"LC_ALL=en_GB.UTF-8", "LANG=en_US.UTF-8"})
            << QStringList({QString::fromUtf8("FORMATS dd/MM/yyyy|/|.|,|£"), "DATE 17/05/2024",
                            QString::fromUtf8("MONEY £1,234.50"), "BROWSING dd/mm/yy", "DATE 17/05/24",
                            "READ same day"});
        QTest::newRow("month first: en_US through LANG")
            << QStringList({"LANG=en_US.UTF-8"})
            << QStringList({"FORMATS M/d/yy|/|.|,|$", "DATE 5/17/24", "MONEY $1,234.50", "BROWSING mm/dd/yy",
                            "DATE 05/17/24", "READ same day"});
        QTest::newRow("de_DE dates through LC_TIME under en_US")
            << QStringList({"LANG=en_US.UTF-8", "LC_TIME=de_DE.UTF-8"})
            << QStringList({"FORMATS dd/MM/yy|.|.|,|$", "DATE 17.05.24", "MONEY $1,234.50", "BROWSING dd/mm/yy",
                            "DATE 17.05.24", "READ same day"});
        QTest::newRow("de_DE throughout")
            << QStringList({"LANG=de_DE.UTF-8"})
            << QStringList({QString::fromUtf8("FORMATS dd/MM/yy|.|,|.|€"), "DATE 17.05.24",
                            QString::fromUtf8("MONEY 1.234,50 €"), "BROWSING dd/mm/yy", "DATE 17.05.24",
                            "READ same day"});
        // What CI has: month first and dollars, as the platform's defaults.
        QTest::newRow("C locale through LC_ALL")
            << QStringList({"LC_ALL=C", "LANG=en_GB.UTF-8"})
            << QStringList({"FORMATS M/d/yyyy|/|.|,|$", "DATE 5/17/2024", "MONEY $1,234.50", "BROWSING mm/dd/yy",
                            "DATE 05/17/24", "READ same day"});
        QTest::newRow("POSIX through LANG")
            << QStringList({"LANG=POSIX"})
            << QStringList({"FORMATS M/d/yyyy|/|.|,|$", "DATE 5/17/2024", "MONEY $1,234.50", "BROWSING mm/dd/yy",
                            "DATE 05/17/24", "READ same day"});
    }

    void startTakesTheUsersFormats()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, output);
        FBox->WriteConfig(LocalAlias(*FBox));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LC_MONETARY", "LC_MESSAGES", "LANG", "LANGUAGE"})
            env.remove(QString::fromLatin1(name));
        for (const QString& setting : environment)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(ShowStartFormatsArgument)});
        QVERIFY(child.waitForFinished(120000));
        const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(errors));
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts), output);
    }

    void sessionEndClosesTheMainWindow_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM (shutdown)") << int(SIGTERM);
        QTest::newRow("SIGHUP (logout)") << int(SIGHUP);
    }

    void sessionEndClosesTheMainWindow()
    {
        QFETCH(int, signal);
        FBox->WriteConfig(LocalAlias(*FBox));
        // The scratch files of the connection go to a temporary folder of this case alone.
        const QString temp = FBox->Root + "/temp-" + QString::number(signal);
        QVERIFY(QDir().mkpath(temp));
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.toLocal8Bit());
        const QStringList dataBefore = Entries(FBox->DataFolder);

        int asked = 0;
        OnStartupStep = [&](const QString& step) {
            if (step == "SplashGone")
                MainForm->OnCloseQuery = [&](TObject*, bool&) { ++asked; };
        };
        QStringList scratchWhileRunning;
        TSignalAtMainWindow sender(signal);
        sender.OnSending = [&] {
            scratchWhileRunning = Entries(temp);
            for (const QString& name : Entries(FBox->DataFolder))
                if (!dataBefore.contains(name))
                    scratchWhileRunning << name;
        };
        TMessageRecorder messages;

        const int result = RunOrderEntry();

        qputenv("TMPDIR", savedTemp);
        QVERIFY(sender.Sent);
        QCOMPARE(result, 0);
        // The close box's way: the close query was asked, the loop ended, all was freed.
        QCOMPARE(asked, 1);
        QVERIFY(!MainForm && !VornData);
        QVERIFY(ApplicationComponents().isEmpty());
        QVERIFY(messages.Requests.empty());
        // The connection had its scratch file, and closed it cleanly.
        QVERIFY(!scratchWhileRunning.isEmpty());
        QCOMPARE(Entries(temp), QStringList());
        QCOMPARE(Entries(FBox->DataFolder), dataBefore);
        // The signals have their default action again.
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        QVERIFY(current.sa_handler == SIG_DFL);
    }

    void sessionEndAsksAsTheCloseBoxDoes()
    {
        // The close query refuses once, as a user keeping pending work would: the
        // program runs on until the next signal.
        FBox->WriteConfig(LocalAlias(*FBox));
        int asked = 0;
        OnStartupStep = [&](const QString& step) {
            if (step == "SplashGone")
                MainForm->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
        };
        bool ranOn = false, second = false;
        TSignalAtMainWindow sender(SIGTERM);
        sender.Then = [&] {
            if (asked == 1 && !second) {
                ranOn = MainForm && MainForm->isVisible();
                second = true;
                ::raise(SIGHUP);
            }
        };

        const int result = RunOrderEntry();

        QCOMPARE(result, 0);
        QVERIFY(ranOn);
        QCOMPARE(asked, 2);
        QVERIFY(!MainForm);
    }

    void sessionEndAsksAboutAnOrderBeingEntered()
    {
        // A new order open in the order form: the end of the session closes the form as
        // its close box would, so the clerk is asked; "no" keeps the program and the
        // order, the next end with "yes" drops the order and ends the program.
        FBox->WriteConfig(LocalAlias(*FBox));
        // The order form writes its language file beside the program when it closes.
        QVERIFY(QDir().mkpath(QString::fromStdString(AppFolder)));
        const double ordersBefore = FBox->Number("SELECT COUNT(*) FROM ORDERS");
        QStringList asked;
        TModalResult answer = mrCancel;
        TMessageResponderScope responder([&](const TMessageRequest& request) {
            asked << request.Text;
            return answer;
        });
        bool ranOn = false;
        QTimer open, signal;
        open.setSingleShot(true);
        connect(&open, &QTimer::timeout, [] { EdOrderForm->EnterNewOrder(); });
        int phase = 0;
        connect(&signal, &QTimer::timeout, [&] {
            if (phase == 0 && MainForm && MainForm->isVisible()) {
                phase = 1;
                open.start(0);
            } else if (phase == 1 && EdOrderForm && EdOrderForm->isVisible()
                       && VornData->Orders->State() == dsInsert) {
                phase = 2;
                ::raise(SIGTERM);
            } else if (phase == 2 && asked.size() == 1) {
                phase = 3;
                ranOn = EdOrderForm->isVisible() && MainForm->isVisible()
                    && VornData->Orders->State() == dsInsert;
                answer = mrYes;
                ::raise(SIGHUP);
            }
        });
        signal.start(20);
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        safety.start(60000);

        const int result = RunOrderEntry();

        QCOMPARE(result, 0);
        QVERIFY(ranOn);
        QCOMPARE(asked, QStringList({"Unsaved changes, exit anyway?", "Unsaved changes, exit anyway?"}));
        QCOMPARE(FBox->Number("SELECT COUNT(*) FROM ORDERS"), ordersBefore);
        QVERIFY(!MainForm);
    }

    void sessionEndDuringTheStartEndsTheProgram()
    {
        // A signal while the windows are still being made: the start runs to its end
        // and the program ends then, everything freed, instead of running on.
        FBox->WriteConfig(LocalAlias(*FBox));
        OnStartupStep = [&](const QString& step) {
            if (step == "MainForm")
                ::raise(SIGTERM);
        };
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        safety.start(60000);
        TMessageRecorder messages;

        const int result = RunOrderEntry();

        QCOMPARE(result, 0);
        QVERIFY(!MainForm && !VornData);
        QVERIFY(ApplicationComponents().isEmpty());
        QVERIFY(messages.Requests.empty());
    }

    void signalEndsTheProgramCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM (shutdown)") << int(SIGTERM);
        QTest::newRow("SIGHUP (logout)") << int(SIGHUP);
    }

    void signalEndsTheProgramCleanly()
    {
        QFETCH(int, signal);
        FBox->WriteConfig(LocalAlias(*FBox));
        ForgetReportConnection();
        QTemporaryDir run(FBox->Root + "/run-XXXXXX");
        QVERIFY(run.isValid());
        const QString temp = run.filePath("temp"), runtime = run.filePath("runtime");
        QVERIFY(QDir().mkpath(temp) && QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QStringList dataBefore = Entries(FBox->DataFolder);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TMPDIR", temp);
        env.insert("XDG_RUNTIME_DIR", runtime);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(VORNAPP_PROGRAM), {});
        QVERIFY(program.waitForStarted());
        // The main window's creation writes the connection file: by then the signals
        // are caught and the connection with its scratch file is open.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(TMainForm::ReportConnectionFileName()) ||
                                     program.state() == QProcess::NotRunning,
                                 60000);
        QVERIFY2(program.state() == QProcess::Running, program.readAllStandardError().constData());
        QStringList scratch = Entries(temp);
        for (const QString& name : Entries(FBox->DataFolder))
            if (!dataBefore.contains(name))
                scratch << name;
        QVERIFY(!scratch.isEmpty());

        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);

        QVERIFY(program.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(program.exitStatus() == QProcess::NormalExit, qPrintable(errors));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(Entries(temp), QStringList());
        QCOMPARE(Entries(FBox->DataFolder), dataBefore);
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

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], ShowStartFormatsArgument) == 0)
        return ShowStartFormats();
    app.setAttribute(Qt::AA_Use96Dpi, true);
    StartupTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"
