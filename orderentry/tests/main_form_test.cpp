// The main window on local sample data: its size and place, buttons and menus, the
// date order fix-up, the report writer's connection file, storage switching with its
// failures, stay on top, the Remote Data item and help.
#include "orderentry/About.h"
#include "orderentry/DataMod.h"
#include "orderentry/Main.h"
#include "orderentry/Startup.h"
#include "orderentry/tests/main_fixture.h"

#include "platform/data/alias.h"
#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "platform/widgets/helpwindow.h"
#include "platform/widgets/messages.h"
#include "platform/widgets/printers.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTcpServer>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <memory>
#include <sys/stat.h>
#include "testsupport/ordinaryuser.h"

#include <unistd.h>

namespace {

const QString Title = "Quorvale Order Entry";

// Entries of a menu as "Name|Text", a separator as "Name|-", a submenu as "Name>".
QStringList Entries(QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            entries << action->menu()->objectName() + ">";
        else if (action->isSeparator())
            entries << action->objectName() + "|-";
        else
            entries << action->objectName() + "|" + action->text();
    }
    return entries;
}

THelpWindow* HelpWindowShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = dynamic_cast<THelpWindow*>(w); help && help->isVisible())
            return help;
    return nullptr;
}

// A port on which nothing listens: taken from the system, then given back.
quint16 SilentPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    quint16 port = server.serverPort();
    server.close();
    return port;
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FBox;

    void ShowMain()
    {
        MainForm->show();
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
    }

private slots:
    void initTestCase()
    {
        try {
            FBox = MainSampleStore();
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        Application->Title = Title;
    }

    void init()
    {
        FBox->WriteConfig(LocalAlias(*FBox));
        FBox->PlaceProgram(true);
        ForgetReportConnection();
        CreateApplicationObjects();
        QVERIFY(MainForm);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!MainForm && !VornData && !AboutBox);
        QVERIFY(ApplicationComponents().isEmpty());
    }

    void cleanupTestCase() { FBox.reset(); }

    void windowIsSizedToItsButtonsAtTheTopLeft()
    {
        ShowMain();
        QCOMPARE(MainForm->windowTitle(), Title);
        QCOMPARE(MainForm->HelpContext(), 1);
        QVERIFY(MainForm->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(MainForm->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(MainForm->minimumSize(), MainForm->maximumSize());

        const QList<QToolButton*> buttons = {MainForm->OrderBtn, MainForm->BrowseBtn, MainForm->PartsBtn,
                                             MainForm->ReportBtn, MainForm->HelpBtn, MainForm->CloseBtn};
        int left = 1;
        for (QToolButton* b : buttons) {
            QCOMPARE(b->parentWidget(), MainForm->MainPanel);
            QCOMPARE(b->geometry(), QRect(left, 1, 66, 45));
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            left += 65;
        }

        // The bar fills the window under the menu bar; the window is no larger.
        const QRect closeBtn = MainForm->CloseBtn->geometry();
        const int barWidth = closeBtn.x() + closeBtn.width() + 1;
        const int barHeight = closeBtn.y() + closeBtn.height();
        QCOMPARE(barWidth, 393);
        QCOMPARE(barHeight, 46);
        const QRect menu = MainForm->MainMenu->geometry();
        QCOMPARE(menu.topLeft(), QPoint(0, 0));
        QCOMPARE(menu.width(), barWidth);
        QVERIFY(menu.height() >= MainForm->MainMenu->fontMetrics().height());
        QCOMPARE(MainForm->MainPanel->geometry(), QRect(0, menu.height(), barWidth, barHeight));
        QCOMPARE(MainForm->size(), QSize(barWidth, menu.height() + barHeight));

        // Every caption fits its button in the window's font.
        for (QToolButton* b : buttons) {
            QString shown = b->text().remove('&');
            QVERIFY2(b->fontMetrics().horizontalAdvance(shown) < b->width(), qPrintable(shown));
        }

        QCOMPARE(MainForm->pos(), MainForm->screen()->geometry().topLeft());
        MainForm->close();
    }

    void menusHoldTheirItemsInOrder()
    {
        QStringList top;
        for (QAction* a : MainForm->MainMenu->actions())
            top << a->menu()->objectName() + "|" + a->text();
        QCOMPARE(top, QStringList({"FileMenu|&File", "ViewMenu|&View", "HelpMenu|&Help"}));

        QCOMPARE(Entries(MainForm->FileMenu),
                 QStringList({"FileNewOrder|&New Order...", "N5|-", "FilePrintReport>",
                              "FilePrinterSetup|Printer Setup...", "N4|-", "FileExit|E&xit"}));
        QCOMPARE(MainForm->FilePrintReport->title(), QString("Print &Report"));
        QCOMPARE(Entries(MainForm->FilePrintReport),
                 QStringList({"PrintCustList|&Customer List", "PrintOrders|&Order History...",
                              "PrintInvoice|&Invoice"}));
        QCOMPARE(Entries(MainForm->ViewMenu),
                 QStringList({"ViewOrders|&Orders...", "ViewPartsInventory|&Parts/Inventory...", "N7|-",
                              "ViewStayOnTop|&Stay On Top", "N1|-", "ViewLocal|&Local Data (Paradox Data)",
                              "ViewRemote|&Remote Data (Local Interbase) "}));
        QCOMPARE(Entries(MainForm->HelpMenu), QStringList({"HelpContents|&Contents", "N6|-", "HelpAbout|&About..."}));

        QVERIFY(MainForm->ViewStayOnTop->isCheckable());
        QVERIFY(!MainForm->ViewStayOnTop->isChecked());
        QVERIFY(MainForm->ViewLocal->isCheckable() && MainForm->ViewLocal->isChecked());
        QVERIFY(MainForm->ViewRemote->isCheckable() && !MainForm->ViewRemote->isChecked());
        QActionGroup* group = MainForm->ViewLocal->actionGroup();
        QVERIFY(group && group->isExclusive());
        QCOMPARE(MainForm->ViewRemote->actionGroup(), group);
    }

    void dateOrderFollowsTheFirstLetter_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("d/M/yyyy") << "d/M/yyyy" << 1 << "dd/mm/yy";
        QTest::newRow("M/d/yy") << "M/d/yy" << 0 << "mm/dd/yy";
        QTest::newRow("yyyy-MM-dd") << "yyyy-MM-dd" << 2 << "yy/mm/dd";
        QTest::newRow("no letters") << "#/#/#" << 0 << "mm/dd/yy";
        QTest::newRow("empty") << "" << 0 << "mm/dd/yy";
        QTest::newRow("lower case after others") << "..-y.m.d" << 2 << "yy/mm/dd";
    }

    void dateOrderFollowsTheFirstLetter()
    {
        QFETCH(QString, format);
        QFETCH(int, order);
        QFETCH(QString, fixed);
        QCOMPARE(TMainForm::DateOrder(format), order);

        const std::string saved = FormatSettings.ShortDateFormat;
        FormatSettings.ShortDateFormat = format.toStdString();
        MainForm->BrowseBtn->click();
        QCOMPARE(QString::fromStdString(FormatSettings.ShortDateFormat), fixed);
        // Once fixed, browsing again keeps the same order.
        MainForm->ViewOrders->trigger();
        QCOMPARE(QString::fromStdString(FormatSettings.ShortDateFormat), fixed);
        FormatSettings.ShortDateFormat = saved;
    }

    void connectionFileListsTheLocalDatabase_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("names");
        QTest::newRow("two names") << "[ConnectNamesSection]\nConnectNames=A,B\n" << "A,B,VORNAPP";
        QTest::newRow("no file") << QString() << "VORNAPP";
        QTest::newRow("empty list") << "[ConnectNamesSection]\nConnectNames=\n" << "VORNAPP";
        QTest::newRow("already there")
            << "[ConnectNamesSection]\nConnectNames=A,VORNAPP,B\n\n[VORNAPP]\nType=1\nDataFilePath=old\nServer=X\n"
            << "A,VORNAPP,B";
        QTest::newRow("longer name only") << "[ConnectNamesSection]\nConnectNames=VORNAPP2\n" << "VORNAPP2,VORNAPP";
    }

    void connectionFileListsTheLocalDatabase()
    {
        QFETCH(QString, before);
        QFETCH(QString, names);
        FreeApplicationObjects();
        ForgetReportConnection();
        if (!before.isNull()) {
            QFile file(TMainForm::ReportConnectionFileName());
            QDir().mkpath(QFileInfo(file).absolutePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(("; written by hand\n[Other]\nList=x,y,z\n\n" + before).toUtf8());
        }
        CreateApplicationObjects();

        QSettings ini(TMainForm::ReportConnectionFileName(), QSettings::IniFormat);
        // QSettings reads a comma list as a list; joined back it is the text written.
        QCOMPARE(ini.value("ConnectNamesSection/ConnectNames").toStringList().join(','), names);
        QCOMPARE(ini.value("VORNAPP/Type").toString(), QString("61"));
        QCOMPARE(ini.value("VORNAPP/DataFilePath").toString(), FBox->DataFolder);
        QCOMPARE(ini.value("VORNAPP/Server").toString(), QString("PARADOX"));
        QVERIFY(!ini.contains("DEZAZAV/Type"));

        const QString text = ReadReportConnection();
        QVERIFY2(text.contains("ConnectNames=" + names + "\n"), qPrintable(text));
        QCOMPARE(text.count("[VORNAPP]"), 1);
        QCOMPARE(text.count("Type="), 1);
        if (!before.isNull())
            QVERIFY2(text.startsWith("; written by hand\n[Other]\nList=x,y,z\n"), qPrintable(text));
    }

    void unwritableConnectionFileIsReportedAndTheWindowStays()
    {
        // The file only serves the external report writer: the main window is made all
        // the same, and the failure is shown at once outside the program's start.
        FreeApplicationObjects();
        ForgetReportConnection();
        QVERIFY(QDir().mkpath(TMainForm::ReportConnectionFileName()));
        TMessageRecorder messages({}, mrOk);

        CreateApplicationObjects();

        QDir(TMainForm::ReportConnectionFileName()).removeRecursively();
        QVERIFY(MainForm && AboutBox);
        QCOMPARE(messages.Requests.size(), size_t(1));
        QCOMPARE(messages.Requests[0].Type, mtError);
        QCOMPARE(messages.Requests[0].Text,
                 "Unable to write to " + QDir::toNativeSeparators(TMainForm::ReportConnectionFileName()));
        // Only a file error is passed over: without its data module the window is not made.
        FreeApplicationObjects();
        QVERIFY_THROWS_EXCEPTION(Exception, TMainForm(nullptr));
    }

    void connectionFileKeepsItsBytes()
    {
        // Names and values are 8-bit text: bytes that are not UTF-8 stay as they were.
        FreeApplicationObjects();
        ForgetReportConnection();
        QFile file(TMainForm::ReportConnectionFileName());
        QDir().mkpath(QFileInfo(file).absolutePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Other]\nOwner=Andr\xe9\n\n[ConnectNamesSection]\nConnectNames=Caf\xe9,Voil\xc3\xa0\n");
        file.close();
        CreateApplicationObjects();

        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.startsWith("[Other]\nOwner=Andr\xe9\n"), bytes.constData());
        QVERIFY2(bytes.contains("\nConnectNames=Caf\xe9,Voil\xc3\xa0,VORNAPP\n"), bytes.constData());
        QVERIFY2(bytes.contains("\nDataFilePath=" + FBox->DataFolder.toLocal8Bit() + "\n"), bytes.constData());
        file.close();

        // A value is written in the program's 8-bit encoding, and read back whole.
        const QString folder = QString::fromUtf8("/d/Voil\xc3\xa0");
        MainForm->WriteReportConnection(folder);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray again = file.readAll();
        QVERIFY2(again.contains("\nDataFilePath=" + folder.toLocal8Bit() + "\n"), again.constData());
        QVERIFY2(again.startsWith("[Other]\nOwner=Andr\xe9\n"), again.constData());
        QCOMPARE(again.count("VORNAPP"), 2);
    }

    void connectionFileIsNeverRewrittenFromNothing()
    {
        const QString fileName = TMainForm::ReportConnectionFileName();
        const QString shown = QDir::toNativeSeparators(fileName);
        const QByteArray before = "[ConnectNamesSection]\nConnectNames=A,B\n\n[A]\nType=1\n";
        {
            QFile file(fileName);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(before);
        }
        auto bytes = [&] {
            QFile file(fileName);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        };

        // A value with a line break would write lines of its own into the file.
        try {
            MainForm->WriteReportConnection("/d/x\n[Other]\nType=1");
            QFAIL("wrote a line break into the connection file");
        } catch (const EFCreateError& e) {
            QCOMPARE(QString::fromStdString(e.Message), "Unable to write to " + shown);
        }
        QCOMPARE(bytes(), before);

        // A file that cannot be read is left alone: written from nothing, it would lose
        // every other connection it lists.
        const QByteArray root = FBox->Root.toLocal8Bit(), folder = QFileInfo(fileName).absolutePath().toLocal8Bit();
        const QFile::Permissions rootPermissions = QFile::permissions(FBox->Root);
        const QFile::Permissions folderPermissions = QFile::permissions(QFileInfo(fileName).absolutePath());
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(FBox->Root, rootPermissions);
            QFile::setPermissions(QFileInfo(fileName).absolutePath(), folderPermissions);
            QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
        });
        QVERIFY(::chmod(root.constData(), 0711) == 0 && ::chmod(folder.constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(fileName).constData(), 0222) == 0);
        {
            AsOrdinaryUser user;
            if (!user.Ok())
                QSKIP("no other user to act as");
            try {
                MainForm->WriteReportConnection(FBox->DataFolder);
                QFAIL("rewrote a connection file it could not read");
            } catch (const EFOpenError& e) {
                QCOMPARE(QString::fromStdString(e.Message), "Unable to read " + shown);
            }
        }
        QVERIFY(::chmod(QFile::encodeName(fileName).constData(), 0644) == 0);
        QCOMPARE(bytes(), before);
    }

    void localDataSwitchClosesOtherWindows()
    {
        ShowMain();
        AboutBox->Show();
        QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
        TMessageRecorder messages;

        MainForm->ViewLocal->trigger();

        QVERIFY(messages.Requests.empty());
        QVERIFY(!AboutBox->isVisible());
        QVERIFY(MainForm->isVisible());
        QCOMPARE(MainForm->windowTitle(), Title + " (Paradox Data)");
        QVERIFY(MainForm->ViewLocal->isChecked());
        QVERIFY(!MainForm->ViewRemote->isChecked());
        QVERIFY(VornData->Database->Connected());
        QCOMPARE(VornData->Database->AliasName, QString("DBDEMOS"));
        QVERIFY(!VornData->Orders->Active());
        MainForm->close();
    }

    void switchStopsWhenAWindowRefusesToClose()
    {
        TForm holder;
        holder.setObjectName("Holder");
        bool asked = false;
        holder.OnCloseQuery = [&](TObject*, bool& canClose) {
            asked = true;
            canClose = false;
        };
        ApplicationComponents().append(&holder);
        holder.show();
        TMessageRecorder messages;
        VornData->Orders->Open();

        // A switch that would otherwise succeed.
        MainForm->ViewLocal->trigger();

        ApplicationComponents().removeAll(&holder);
        QVERIFY(asked);
        QVERIFY(holder.isVisible());
        QVERIFY(messages.Requests.empty());
        QCOMPARE(MainForm->windowTitle(), Title);
        QVERIFY(MainForm->ViewLocal->isChecked());
        QVERIFY(!MainForm->ViewRemote->isChecked());
        // The window that kept its edits still has its data.
        QCOMPARE(VornData->Database->AliasName, QString("DBDEMOS"));
        QVERIFY(VornData->Orders->Active());
        holder.OnCloseQuery = nullptr;
        holder.close();
    }

    void missingLocalDataIsReported()
    {
        FBox->WriteConfig(QString());
        FBox->PlaceProgram(false);
        TMessageRecorder messages;

        MainForm->ViewLocal->trigger();

        QCOMPARE(messages.Requests.size(), size_t(1));
        QCOMPARE(messages.Requests[0].Text, QString("Cannot locate Paradox data files"));
        QCOMPARE(messages.Requests[0].Type, mtError);
        QCOMPARE(MainForm->windowTitle(), Title);
        QVERIFY(!Session.IsAlias("DBDEMOS"));
        QVERIFY(VornData->Database->Connected());
    }

    void missingRemoteDataIsReported()
    {
        FBox->WriteConfig(LocalAlias(*FBox));
        FBox->PlaceProgram(true);
        MainForm->ViewLocal->trigger();
        QCOMPARE(MainForm->windowTitle(), Title + " (Paradox Data)");
        TMessageRecorder messages;

        MainForm->ViewRemote->trigger();

        QCOMPARE(messages.Requests.size(), size_t(1));
        QCOMPARE(messages.Requests[0].Text, QString("Cannot locate Interbase data file: DEZAZAV.GDB"));
        QCOMPARE(MainForm->windowTitle(), Title + " (Paradox Data)");
        QVERIFY(MainForm->ViewLocal->isChecked());
        QVERIFY(!MainForm->ViewRemote->isChecked());
        QVERIFY(!Session.IsAlias("DEZAZAV"));
    }

    void stayOnTopToggles()
    {
        ShowMain();
        const QPoint place = MainForm->pos();
        MainForm->ViewStayOnTop->trigger();
        QVERIFY(MainForm->ViewStayOnTop->isChecked());
        QCOMPARE(MainForm->FormStyle(), fsStayOnTop);
        QVERIFY(MainForm->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(MainForm->isVisible());
        QCOMPARE(MainForm->pos(), place);

        MainForm->ViewStayOnTop->trigger();
        QVERIFY(!MainForm->ViewStayOnTop->isChecked());
        QCOMPARE(MainForm->FormStyle(), fsNormal);
        QVERIFY(!(MainForm->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(MainForm->isVisible());
        MainForm->close();
    }

    void remoteDataNeedsAnAnsweringServer()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 silent = SilentPort();
        auto remoteAlias = [](quint16 port) {
            return QString("[DEZAZAV]\nDRIVER=INTRBASE\nSERVER NAME=127.0.0.1/%1:/srv/DEZAZAV.GDB\nUSER NAME=SYSDBA\n")
                .arg(port);
        };
        ShowMain();

        FBox->WriteConfig(LocalAlias(*FBox, remoteAlias(silent)));
        for (int opening = 0; opening < 2; ++opening) {
            MainForm->ViewMenu->popup(MainForm->mapToGlobal(QPoint(0, 0)));
            QVERIFY(!MainForm->ViewRemote->isEnabled());
            MainForm->ViewMenu->close();
        }

        FBox->WriteConfig(LocalAlias(*FBox, remoteAlias(server.serverPort())));
        MainForm->ViewMenu->popup(MainForm->mapToGlobal(QPoint(0, 0)));
        QVERIFY(MainForm->ViewRemote->isEnabled());
        MainForm->ViewMenu->close();
        MainForm->close();
    }

    void helpShowsTheContentsAndEveryContext()
    {
        Application->HelpFile = VORNAPP_HELP_FILE;
        MainForm->HelpBtn->click();
        THelpWindow* help = HelpWindowShown();
        QVERIFY(help);
        QCOMPARE(help->FileName(), QFileInfo(VORNAPP_HELP_FILE).absoluteFilePath());
        QVERIFY(help->Browser()->toPlainText().contains("Contents"));
        for (int context = 1; context <= 6; ++context)
            QVERIFY2(help->HasAnchor(THelpWindow::ContextAnchor(context)), qPrintable(QString::number(context)));

        // The main window's end tells the help system it is no longer needed.
        FreeApplicationObjects();
        QVERIFY(!HelpWindowShown());
        CreateApplicationObjects();
    }

    void menuItemsReachTheirActions()
    {
        int setups = 0;
        TPrinterSetupRunner previous = SetPrinterSetupRunner([&](QPrinter&) {
            ++setups;
            return true;
        });
        MainForm->FilePrinterSetup->trigger();
        SetPrinterSetupRunner(previous);
        QCOMPARE(setups, 1);

        ShowMain();
        MainForm->FileExit->trigger();
        QVERIFY(!MainForm->isVisible());
        ShowMain();
        MainForm->CloseBtn->click();
        QVERIFY(!MainForm->isVisible());
    }


    void buttonAcceleratorsComeBeforeTheMenus()
    {
        Application->HelpFile = VORNAPP_HELP_FILE;
        ShowMain();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        // Alt+H is the Help button's and the Help menu's; the button takes it, every time.
        for (int press = 0; press < 2; ++press) {
            QTest::keyClick(MainForm, Qt::Key_H, Qt::AltModifier);
            QVERIFY(HelpWindowShown());
            QVERIFY(!MainForm->HelpMenu->isVisible());
            Application->HelpClose();
            MainForm->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(MainForm));
        }
        // A letter no button has still opens its menu.
        QTest::keyClick(MainForm, Qt::Key_V, Qt::AltModifier);
        QVERIFY(MainForm->ViewMenu->isVisible());
        MainForm->ViewMenu->close();
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        QTest::keyClick(MainForm, Qt::Key_O, Qt::AltModifier);
        QVERIFY(!MainForm->isVisible());
    }

    void aboutBoxLabelsAreBlackOnAnyDesktop()
    {
        // A desktop with light text (a dark theme) does not change the product's labels.
        struct TRestorePalette {
            QPalette Saved = QApplication::palette();
            ~TRestorePalette() { QApplication::setPalette(Saved); }
        } restore;
        QPalette light = restore.Saved;
        light.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(light);
        TAboutBox box;
        QCOMPARE(box.ProductName->text(), QString("VORN"));
        QCOMPARE(box.Version->text(), QString("Version 3.0"));
        for (QLabel* label : {box.ProductName, box.Version}) {
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
            QVERIFY(label->font().bold());
            QCOMPARE(label->font().pointSize(), 8);
        }
    }

    void aboutBoxClosesWithOkEitherWay()
    {
        QCOMPARE(AboutBox->size(), QSize(304, 210));
        AboutBox->Show();
        QVERIFY(QTest::qWaitForWindowActive(AboutBox));
        QTest::keyClick(AboutBox, Qt::Key_Escape);
        QVERIFY(!AboutBox->isVisible());
        QCOMPARE(AboutBox->ModalResult(), mrOk);
        AboutBox->Show();
        QVERIFY(QTest::qWaitForWindowActive(AboutBox));
        QTest::keyClick(AboutBox, Qt::Key_Return);
        QVERIFY(!AboutBox->isVisible());
        QCOMPARE(AboutBox->ModalResult(), mrOk);
    }
};

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
