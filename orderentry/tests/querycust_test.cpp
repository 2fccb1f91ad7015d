// The date-range dialog as a clerk uses it, in the short date format the browser sets:
// the range it starts with, which ranges OK accepts (an empty To always, equal dates,
// From not after To) and which it refuses with the dialog left open, and the calendar
// buttons, which open only on a date they can read.
#include "orderentry/querycust_dlg.h"
#include "orderentry/tests/order_fixture.h"

#include "platform/core/formatsettings.h"
#include "platform/widgets/application.h"

class QueryCustTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;
    std::string FSavedFormat;

    static TQueryCustDlg* Dlg() { return QueryCustDlg; }

    static void Retype(const QString& Text)
    {
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(edit);
        edit->selectAll();
        if (Text.isEmpty())
            Press(Qt::Key_Delete);
        Type(Text);
    }

    // Shows the dialog, types From and To, presses OK. Returns the result it closed
    // with, or mrNone when it stayed open (it is then cancelled).
    TModalResult Enter(const QString& From, const QString& To)
    {
        TModalResult result = mrNone;
        bool stayed = false;
        WhileModal(Dlg(), [&] { result = Dlg()->ShowModal(); }, [&] {
            Retype(From);
            Press(Qt::Key_Tab);
            Retype(To);
            QTest::mouseClick(Dlg()->OkBtn, Qt::LeftButton);
            stayed = Dlg()->isVisible();
            if (stayed)
                QTest::mouseClick(Dlg()->CancelBtn, Qt::LeftButton);
        });
        return stayed ? mrNone : result;
    }

    // Runs Click; the calendar, if it opens, is closed with Cancel. True when it opened.
    static bool CalendarOpens(const std::function<void()>& Click)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (BrDateForm->isVisible()) {
                opened = true;
                BrDateForm->CancelBtn->click();
            }
        });
        Click();
        QCoreApplication::processEvents();
        return opened;
    }

private slots:
    void init()
    {
        try {
            FStore = OrderFormStore();
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        FUser = std::make_unique<TMessageRecorder>(std::vector<TModalResult>{}, mrOk);
        FSavedFormat = FormatSettings.ShortDateFormat;
        FormatSettings.ShortDateFormat = "M/d/yyyy";
        CreateApplicationObjects();
        QVERIFY(QueryCustDlg && BrDateForm);
        // As the main window sets it before the browser opens.
        FormatSettings.ShortDateFormat = "mm/dd/yy";
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!QueryCustDlg);
        FormatSettings.ShortDateFormat = FSavedFormat;
        FUser.reset();
        FStore.reset();
    }

    void startsOnTheFirstOf1995UntilToday()
    {
        QCOMPARE(Dlg()->windowTitle(), QString("Specify Date Range"));
        QCOMPARE(Dlg()->Msglab->text(), QString("Customers with LastInvoiceDate ranging:"));
        QCOMPARE(Dlg()->FromLabel->buddy(), static_cast<QWidget*>(Dlg()->FromEdit));
        QCOMPARE(Dlg()->ToLabel->buddy(), static_cast<QWidget*>(Dlg()->ToEdit));
        QCOMPARE(Dlg()->PopupCalBtnFrom->toolTip(), QString("Browse calendar"));
        QCOMPARE(Dlg()->PopupCalToBtn->toolTip(), QString("Browse calendar"));
        // Written in the format of the creation, read in the browser's.
        QCOMPARE(Dlg()->FromEdit->text(), QString("1/1/1995"));
        QCOMPARE(Dlg()->FromDate(), EncodeDate(1995, 1, 1));
        QCOMPARE(Dlg()->ToDate(), Date());
        bool focused = false;
        QVERIFY(WhileModal(Dlg(), [] { Dlg()->ShowModal(); }, [&] {
            focused = QApplication::focusWidget() == Dlg()->FromEdit;
            Press(Qt::Key_Escape);
        }));
        QVERIFY(focused);
        QCOMPARE(Dlg()->ModalResult(), mrCancel);
    }

    void datesReadAndWriteInTheShortDateFormat()
    {
        Dlg()->SetFromDate(EncodeDate(2024, 5, 17));
        QCOMPARE(Dlg()->FromEdit->text(), QString("05/17/24"));
        QCOMPARE(Dlg()->FromDate(), EncodeDate(2024, 5, 17));
        FormatSettings.ShortDateFormat = "dd/mm/yy";
        Dlg()->SetToDate(EncodeDate(2024, 5, 7));
        QCOMPARE(Dlg()->ToEdit->text(), QString("07/05/24"));
        QCOMPARE(Dlg()->ToDate(), EncodeDate(2024, 5, 7));
        // Empty reads as 0, and 0 writes as empty, so it reads back the same.
        Dlg()->ToEdit->setText("  ");
        QCOMPARE(Dlg()->ToDate(), 0.0);
        Dlg()->SetFromDate(0);
        QCOMPARE(Dlg()->FromEdit->text(), QString());
        QCOMPARE(Dlg()->FromDate(), 0.0);
        Dlg()->ToEdit->setText("31/02/24");
        QVERIFY_THROWS_EXCEPTION(EConvertError, Dlg()->ToDate());
    }

    void okAcceptsOnlyARangeItCanRead_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString later = "\"TO\" date cannot be less than \"FROM\" date";
        const QString invalid = "  Invalid date specified";
        QTest::newRow("a year") << "01/01/95" << "12/31/95" << "";
        QTest::newRow("one day") << "06/01/95" << "06/01/95" << "";
        QTest::newRow("from after to") << "06/02/95" << "06/01/95" << later;
        QTest::newRow("a year after") << "06/01/96" << "06/01/95" << later;
        QTest::newRow("empty to") << "06/02/95" << "" << "";
        QTest::newRow("empty to, from not a date") << "soon" << "" << "";
        QTest::newRow("empty from") << "" << "06/01/95" << "";
        QTest::newRow("to not a date") << "01/01/95" << "june" << invalid;
        QTest::newRow("from not a date") << "first" << "06/01/95" << invalid;
        QTest::newRow("no such day") << "02/30/95" << "03/01/95" << invalid;
        QTest::newRow("four-digit years") << "1/1/1995" << "12/31/1995" << "";
    }

    void okAcceptsOnlyARangeItCanRead()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        const TModalResult result = Enter(from, to);
        if (message.isEmpty()) {
            QCOMPARE(result, mrOk);
            QCOMPARE(FUser->Texts(), QStringList());
        } else {
            QCOMPARE(result, mrNone);
            QCOMPARE(FUser->Texts(), QStringList({message}));
        }
        // What was typed stays for the next time.
        QCOMPARE(Dlg()->FromEdit->text(), from);
        QCOMPARE(Dlg()->ToEdit->text(), to);
    }

    void enterPressesOk()
    {
        TModalResult result = mrNone;
        QVERIFY(WhileModal(Dlg(), [&] { result = Dlg()->ShowModal(); }, [] {
            Retype("03/04/95");
            Press(Qt::Key_Return);
            QTRY_VERIFY(!Dlg()->isVisible());
        }));
        QCOMPARE(result, mrOk);
        QCOMPARE(Dlg()->FromDate(), EncodeDate(1995, 3, 4));
    }

    void calendarButtonsPickIntoTheirEdit()
    {
        Dlg()->FromEdit->setText("06/01/95");
        Dlg()->ToEdit->setText("07/01/95");
        QVERIFY(WhileModal(Dlg(), [] { Dlg()->ShowModal(); }, [] {
            QVERIFY(WhileModal(BrDateForm, [] { QTest::mouseClick(Dlg()->PopupCalBtnFrom, Qt::LeftButton); }, [] {
                QCOMPARE(BrDateForm->Date(), EncodeDate(1995, 6, 1));
                Press(Qt::Key_Right);
                Press(Qt::Key_Return);
            }));
            QCOMPARE(Dlg()->FromEdit->text(), QString("06/02/95"));
            // Cancel leaves the edit alone.
            QVERIFY(WhileModal(BrDateForm, [] { QTest::mouseClick(Dlg()->PopupCalToBtn, Qt::LeftButton); }, [] {
                QCOMPARE(BrDateForm->Date(), EncodeDate(1995, 7, 1));
                Press(Qt::Key_Right);
                Press(Qt::Key_Escape);
            }));
            QCOMPARE(Dlg()->ToEdit->text(), QString("07/01/95"));
            QTest::mouseClick(Dlg()->OkBtn, Qt::LeftButton);
        }));
        QCOMPARE(Dlg()->ModalResult(), mrOk);
        QCOMPARE(FUser->Texts(), QStringList());
    }

    void calendarButtonOnAFieldThatIsNoDateReportsIt()
    {
        Dlg()->FromEdit->setText("tomorrow");
        Dlg()->ToEdit->setText("");
        QVERIFY(!CalendarOpens([] { Dlg()->PopupCalBtnFrom->click(); }));
        QVERIFY(!CalendarOpens([] { Dlg()->PopupCalToBtn->click(); }));
        QCOMPARE(FUser->Texts(), QStringList({"'tomorrow' is not a valid date", "'' is not a valid date"}));
        QCOMPARE(FUser->Requests[0].Type, mtError);
        QCOMPARE(Dlg()->FromEdit->text(), QString("tomorrow"));
        // With a date it opens.
        Dlg()->ToEdit->setText("07/01/95");
        QVERIFY(CalendarOpens([] { Dlg()->PopupCalToBtn->click(); }));
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    QueryCustTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "querycust_test.moc"
