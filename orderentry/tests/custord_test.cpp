// The customers' browser and the customer form on the builder's sample data, used as a
// clerk uses them: a range of last-invoice dates lists exactly the customers that plain
// SQL on the same files finds, both ends included; a range that matches nobody falls
// back to all customers with the message and the button up; the navigator follows the
// grid last focused; double-clicks open the order and the customer forms on the row,
// and the grids show what was saved; the customer form asks before dropping changes
// and before printing.
#include "orderentry/Main.h"
#include "orderentry/custord_form.h"
#include "orderentry/edcust_form.h"
#include "orderentry/querycust_dlg.h"
#include "orderentry/tests/order_fixture.h"

#include "platform/core/formatsettings.h"
#include "platform/data/field.h"
#include "platform/datacontrols/dbgrid.h"
#include "platform/datacontrols/dbnavigator.h"
#include "platform/widgets/application.h"
#include "platform/widgets/printers.h"

#include <QPrinter>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>

class CustOrdTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;
    std::string FSavedFormat;

    static TBrCustOrdForm* Form() { return BrCustOrdForm; }

    // What plain SQL finds in one table file of the store, first column of each row.
    QVector<QVariant> Plain(const QString& Table, const QString& Sql) const
    {
        QVector<QVariant> values;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "plain");
            db.setDatabaseName(FStore->DataFolder + Table + ".DB");
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            if (!db.open())
                qFatal("%s cannot be read", qPrintable(Table));
            QSqlQuery query(db);
            if (!query.exec(Sql))
                qFatal("%s", qPrintable(query.lastError().text()));
            while (query.next())
                values << query.value(0);
        }
        QSqlDatabase::removeDatabase("plain");
        return values;
    }

    // The customers plain SQL finds with a last invoice from the day From to the day To.
    QVector<double> InvoicedBetween(TDateTime From, TDateTime To) const
    {
        QVector<double> numbers;
        for (const QVariant& v : Plain("CUSTOMER", QString("SELECT CustNo FROM CUSTOMER WHERE LastInvoiceDate >= '%1' "
                                                          "AND LastInvoiceDate < '%2'")
                                                      .arg(FormatDateTime("yyyy-mm-dd", From),
                                                           FormatDateTime("yyyy-mm-dd", To + 1))))
            numbers << v.toDouble();
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    // The customers the browser lists, through the source of its customer grid.
    static QVector<double> Listed()
    {
        TDataSet* customers = VornData->CustMasterSrc->DataSet();
        QVector<double> numbers;
        for (customers->First(); !customers->Eof(); customers->Next())
            numbers << customers->FieldByName("CustNo")->AsFloat();
        customers->First();
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    // A date as a clerk types it while the browser is open.
    static QString Typed(TDateTime Day) { return FormatDateTime("mm/dd/yy", Day); }

    static void Retype(const QString& Text)
    {
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(edit);
        edit->selectAll();
        if (Text.isEmpty())
            Press(Qt::Key_Delete);
        Type(Text);
    }

    // Define Query: the range typed into the dialog and confirmed with OK.
    static void DefineRange(const QString& From, const QString& To)
    {
        QVERIFY(WhileModal(QueryCustDlg, [] { QTest::mouseClick(Form()->DefineBtn, Qt::LeftButton); }, [&] {
            Retype(From);
            Press(Qt::Key_Tab);
            Retype(To);
            QTest::mouseClick(QueryCustDlg->OkBtn, Qt::LeftButton);
        }));
    }

    // The browser opened from the main window's Browse button, as a clerk opens it.
    static void OpenBrowser()
    {
        MainForm->show();
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        QTest::mouseClick(MainForm->BrowseBtn, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(Form()));
    }

    static int ColumnOf(TDBGrid* Grid, const QString& FieldName)
    {
        for (int i = 0; i < Grid->Columns()->Count(); ++i)
            if (Grid->Columns()->Items(i)->FieldName() == FieldName)
                return i;
        return -1;
    }

    // The grid as painted now: it reads its page when it paints.
    static TDBGrid* Painted(TDBGrid* Grid)
    {
        Grid->viewport()->repaint();
        return Grid;
    }

    static void DoubleClick(TDBGrid* Grid, int Row)
    {
        Painted(Grid);
        QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, Grid->CellRect(Row, 0).center());
    }

    // The order form, if Click opens it, is closed at once. True when it opened.
    static bool OrderFormOpens(const std::function<void()>& Click)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (EdOrderForm->isVisible()) {
                opened = true;
                EdOrderForm->hide();
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
            FStore = std::make_unique<TScratchStore>(false);
            LayOrderData(*FStore, 200);
            QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(AppFolder)));
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        FUser = std::make_unique<TMessageRecorder>(std::vector<TModalResult>{}, mrOk);
        FSavedFormat = FormatSettings.ShortDateFormat;
        FormatSettings.ShortDateFormat = "M/d/yyyy";
        CreateApplicationObjects();
        QVERIFY(BrCustOrdForm && QueryCustDlg && EdCustForm);
        OpenBrowser();
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!BrCustOrdForm && !QueryCustDlg && !EdCustForm);
        FormatSettings.ShortDateFormat = FSavedFormat;
        FUser.reset();
        FStore.reset();
    }

    void opensOnAllCustomersWithTheCustomerGridFocused()
    {
        QCOMPARE(Form()->windowTitle(), QString("Orders By Customer"));
        QCOMPARE(QString::fromStdString(FormatSettings.ShortDateFormat), QString("mm/dd/yy"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form()->CustGrid));
        QCOMPARE(Form()->CurrentSource, VornData->CustMasterSrc);
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->Cust));
        QVERIFY(!Form()->ActivateBtn->Down());
        QVERIFY(Form()->CustGrid->ReadOnly());
        QVERIFY(Form()->CustGrid->Options() & dgRowSelect);
        QCOMPARE(Form()->CustGrid->Columns()->Count(), 4);
        QCOMPARE(Form()->CustGrid->Columns()->Items(3)->FieldName(), QString("LastInvoiceDate"));
        QCOMPARE(Listed().size(), Plain("CUSTOMER", "SELECT count(*) FROM CUSTOMER")[0].toInt());
        // The first customer's row and its orders.
        VornData->Cust->First();
        QCOMPARE(Painted(Form()->CustGrid)->CellText(0, 0), VornData->CustCustNo->DisplayText());
        QCOMPARE(VornData->OrdByCust->RecordCount(),
                 Plain("ORDERS", QString("SELECT count(*) FROM ORDERS WHERE CustNo = %1").arg(VornData->CustCustNo->AsFloat()))[0].toInt());
    }

    void rangeUntilTodayListsExactlyTheInvoicedCustomers()
    {
        // Define Query alone does not narrow the list while the button is up.
        DefineRange("01/01/95", Typed(Date()));
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->Cust));
        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        QVERIFY(Form()->ActivateBtn->Down());
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->CustQuery));
        const QVector<double> expected = InvoicedBetween(EncodeDate(1995, 1, 1), Date());
        const int all = Plain("CUSTOMER", "SELECT count(*) FROM CUSTOMER")[0].toInt();
        QVERIFY(!expected.isEmpty() && expected.size() < all);
        QCOMPARE(Listed(), expected);
        QCOMPARE(Painted(Form()->CustGrid)->CellText(0, 0), VornData->CustQueryCustNo->DisplayText());
        QCOMPARE(FUser->Texts(), QStringList());
        // The orders grid follows the listed customer.
        const double buyer =
            Plain("ORDERS", "SELECT CustNo FROM ORDERS GROUP BY CustNo ORDER BY count(*) DESC, CustNo LIMIT 1")[0].toDouble();
        QVERIFY(VornData->CustQuery->Locate("CustNo", buyer));
        QCOMPARE(VornData->OrdByCustCustNo->AsFloat(), buyer);
        QCOMPARE(VornData->OrdByCust->RecordCount(),
                 Plain("ORDERS", QString("SELECT count(*) FROM ORDERS WHERE CustNo = %1").arg(buyer))[0].toInt());
        // Up again: all customers.
        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        QVERIFY(!Form()->ActivateBtn->Down());
        QCOMPARE(Listed().size(), all);
    }

    void customersInvoicedOnTheFromDayAndOnTheToDayAreListed()
    {
        QVector<QDate> days;
        for (const QVariant& v : Plain("CUSTOMER", "SELECT DISTINCT substr(LastInvoiceDate, 1, 10) FROM CUSTOMER "
                                                   "WHERE LastInvoiceDate IS NOT NULL ORDER BY 1"))
            days << QDate::fromString(v.toString(), Qt::ISODate);
        QVERIFY2(days.size() >= 4, "the sample data has too few invoice days");
        const QDate fromDay = days[1], toDay = days[days.size() - 2];
        const TDateTime from = EncodeDate(fromDay.year(), fromDay.month(), fromDay.day());
        const TDateTime to = EncodeDate(toDay.year(), toDay.month(), toDay.day());
        const QVector<double> onFrom = InvoicedBetween(from, from), onTo = InvoicedBetween(to, to);
        QVERIFY(!onFrom.isEmpty() && !onTo.isEmpty());

        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        DefineRange(Typed(from), Typed(to));
        QVERIFY(Form()->ActivateBtn->Down());
        const QVector<double> listed = Listed();
        QCOMPARE(listed, InvoicedBetween(from, to));
        for (double no : onFrom + onTo)
            QVERIFY2(listed.contains(no), qPrintable(QString::number(no)));
        // The days outside are not.
        for (double no : InvoicedBetween(EncodeDate(1995, 1, 1), from - 1) + InvoicedBetween(to + 1, Date()))
            QVERIFY2(!listed.contains(no), qPrintable(QString::number(no)));

        // An invoice stamped during the To day is in the range too.
        FStore->Exec("UPDATE CUSTOMER SET LastInvoiceDate = ? WHERE CustNo = ?",
                     {FStore->Date(to + EncodeTime(15, 30, 0, 0)), onTo.first()});
        DefineRange(Typed(from), Typed(to));
        QVERIFY(Listed().contains(onTo.first()));
        QCOMPARE(FUser->Texts(), QStringList());
    }

    void rangeWithNobodyFallsBackToAllCustomers()
    {
        const int all = Plain("CUSTOMER", "SELECT count(*) FROM CUSTOMER")[0].toInt();
        QVERIFY(InvoicedBetween(EncodeDate(1995, 1, 1), EncodeDate(1995, 12, 31)).isEmpty());
        const QString noMatch = "No matching records in the specified date range.";

        // From a query that listed customers.
        DefineRange("01/01/95", Typed(Date()));
        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->CustQuery));
        DefineRange("01/01/95", "12/31/95");
        QCOMPARE(FUser->Texts(), QStringList({noMatch}));
        QVERIFY(!Form()->ActivateBtn->Down());
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->Cust));
        QCOMPARE(Listed().size(), all);
        QCOMPARE(Painted(Form()->CustGrid)->CellText(0, 0), VornData->CustCustNo->DisplayText());

        // Pressing the button on that range.
        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        QCOMPARE(FUser->Texts(), QStringList({noMatch, noMatch}));
        QVERIFY(!Form()->ActivateBtn->Down());
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->Cust));

        // An empty To is accepted by the dialog and is the day 0 here: nobody.
        DefineRange("01/01/95", Typed(Date()));
        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        QVERIFY(Form()->ActivateBtn->Down());
        DefineRange("01/01/95", "");
        QCOMPARE(FUser->Texts(), QStringList({noMatch, noMatch, noMatch}));
        QVERIFY(!Form()->ActivateBtn->Down());
        QCOMPARE(Listed().size(), all);
    }

    void navigatorFollowsTheGridLastFocused()
    {
        TBrCustOrdForm* f = Form();
        // The customer with the most orders, so there is somewhere to move.
        const double custNo =
            Plain("ORDERS", "SELECT CustNo FROM ORDERS GROUP BY CustNo ORDER BY count(*) DESC, CustNo LIMIT 1")[0].toDouble();
        QVERIFY(VornData->Cust->Locate("CustNo", custNo));
        QCOMPARE(f->Navigator->DataSource(), VornData->CustMasterSrc);
        QVERIFY(f->CustGrid->Options() & dgAlwaysShowSelection);
        QVERIFY(!(f->OrdersGrid->Options() & dgAlwaysShowSelection));

        Press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->OrdersGrid));
        QCOMPARE(f->CurrentSource, VornData->OrdByCustSrc);
        QCOMPARE(f->Navigator->DataSource(), VornData->OrdByCustSrc);
        QVERIFY(f->OrdersGrid->Options() & dgAlwaysShowSelection);
        QVERIFY(!(f->CustGrid->Options() & dgAlwaysShowSelection));
        const double firstOrder = VornData->OrdByCustOrderNo->AsFloat();
        f->Navigator->Button(TDBNavigator::nbNext)->click();
        QVERIFY(VornData->OrdByCustOrderNo->AsFloat() != firstOrder);
        QCOMPARE(VornData->CustCustNo->AsFloat(), custNo);

        // Leaving the grids for a button keeps the navigator where it was.
        Press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->EditBtn));
        QCOMPARE(f->Navigator->DataSource(), VornData->OrdByCustSrc);

        QTest::mouseClick(f->CustGrid->viewport(), Qt::LeftButton, {}, f->CustGrid->CellRect(0, 1).center());
        QCOMPARE(f->Navigator->DataSource(), VornData->CustMasterSrc);
        QVERIFY(f->CustGrid->Options() & dgAlwaysShowSelection);
        QVERIFY(!(f->OrdersGrid->Options() & dgAlwaysShowSelection));
        f->Navigator->Button(TDBNavigator::nbLast)->click();
        VornData->Cust->Next();
        QVERIFY(VornData->Cust->Eof());
    }

    void doubleClickedOrderOpensAndTheGridShowsItsSavedValues()
    {
        TBrCustOrdForm* f = Form();
        const double custNo =
            Plain("ORDERS", "SELECT CustNo FROM ORDERS GROUP BY CustNo ORDER BY count(*) DESC, CustNo LIMIT 1")[0].toDouble();
        QVERIFY(VornData->Cust->Locate("CustNo", custNo));
        const int paidColumn = ColumnOf(f->OrdersGrid, "AmountPaid");
        QVERIFY(paidColumn >= 0);
        const double orderNo = Painted(f->OrdersGrid)->CellText(1, 0).toDouble();
        QVERIFY(orderNo > 0);
        QVERIFY(Painted(f->OrdersGrid)->CellText(1, paidColumn) != FormatCurrency(12.34));

        double opened = 0;
        QVERIFY(WhileModal(EdOrderForm, [&] { DoubleClick(f->OrdersGrid, 1); }, [&] {
            opened = VornData->OrdersOrderNo->AsFloat();
            EdOrderForm->AmountPaidEdit->setFocus();
            Retype("12.34");
            QTest::mouseClick(EdOrderForm->PostBtn, Qt::LeftButton);
            QTest::mouseClick(EdOrderForm->CloseBtn, Qt::LeftButton);
        }));
        QCOMPARE(opened, orderNo);
        QCOMPARE(FStore->Number("SELECT AmountPaid FROM ORDERS WHERE OrderNo = ?", {orderNo}), 12.34);
        QCOMPARE(Painted(f->OrdersGrid)->CellText(1, 0).toDouble(), orderNo);
        QCOMPARE(Painted(f->OrdersGrid)->CellText(1, paidColumn), FormatCurrency(12.34));
        QCOMPARE(FUser->Texts(), QStringList());
    }

    void editWithoutAnOrderOpensNothing()
    {
        // Customer 9002 never ordered.
        QVERIFY(VornData->Cust->Locate("CustNo", kCustBare));
        QVERIFY(VornData->OrdByCust->IsEmpty());
        Press(Qt::Key_Tab);
        QCOMPARE(Form()->CurrentSource, VornData->OrdByCustSrc);
        QVERIFY(!OrderFormOpens([] { QTest::mouseClick(Form()->EditBtn, Qt::LeftButton); }));
        QVERIFY(!OrderFormOpens([] { DoubleClick(Form()->OrdersGrid, 0); }));
        QCOMPARE(FUser->Texts(), QStringList());
    }

    void customerFormAsksBeforeDroppingChanges()
    {
        TBrCustOrdForm* f = Form();
        const double custNo = VornData->CustCustNo->AsFloat();
        const QString company = VornData->CustCompany->AsString();
        const QString stored = QString("SELECT Company FROM CUSTOMER WHERE CustNo = %1").arg(custNo);
        FUser->Answers = {mrCancel, mrYes};
        bool keptOpen = false;
        QVERIFY(WhileModal(EdCustForm, [] { QTest::mouseClick(Form()->EditBtn, Qt::LeftButton); }, [&] {
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(EdCustForm->DBEdName));
            QCOMPARE(EdCustForm->DBEdName->text(), company);
            QCOMPARE(EdCustForm->DBEdCustNo->text(), VornData->CustCustNo->DisplayText());
            QVERIFY(!EdCustForm->DBEdCustNo->isEnabled() && EdCustForm->DBEdCustNo->ReadOnly());
            // Silver, with the number readable on it.
            const QPalette number = EdCustForm->DBEdCustNo->palette();
            QCOMPARE(number.color(QPalette::Disabled, QPalette::Base), QColor(192, 192, 192));
            QCOMPARE(number.color(QPalette::Disabled, QPalette::Text), QColor(Qt::black));
            Retype("Changed Company");
            QTest::mouseClick(EdCustForm->CancelButton, Qt::LeftButton);
            keptOpen = EdCustForm->isVisible() && EdCustForm->DBEdName->text() == "Changed Company";
            QTest::mouseClick(EdCustForm->CancelButton, Qt::LeftButton);
        }));
        QVERIFY(keptOpen);
        QCOMPARE(FUser->Texts(), QStringList({"Unsaved changes, exit anyway?", "Unsaved changes, exit anyway?"}));
        QCOMPARE(FUser->Requests[0].Buttons, TMsgDlgButtons({mbYes, mbCancel}));
        QCOMPARE(Plain("CUSTOMER", stored)[0].toString(), company);
        QCOMPARE(VornData->CustCompany->AsString(), company);
        QCOMPARE(Painted(f->CustGrid)->CellText(f->CustGrid->Row(), 1), company);

        // A double-click opens it too; OK writes without a question.
        QVERIFY(WhileModal(EdCustForm, [&] { DoubleClick(f->CustGrid, f->CustGrid->Row()); }, [&] {
            QCOMPARE(EdCustForm->DBEdName->text(), company);
            Retype("Renamed Company");
            QTest::mouseClick(EdCustForm->OKButton, Qt::LeftButton);
        }));
        QCOMPARE(FUser->Texts().size(), 2);
        QCOMPARE(Plain("CUSTOMER", stored)[0].toString(), QString("Renamed Company"));
        QCOMPARE(Painted(f->CustGrid)->CellText(f->CustGrid->Row(), 1), QString("Renamed Company"));
    }

    void customerEditedFromTheQueryShowsInIt()
    {
        TBrCustOrdForm* f = Form();
        QTest::mouseClick(f->ActivateBtn, Qt::LeftButton);
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->CustQuery));
        const double custNo = VornData->CustQueryCustNo->AsFloat();
        QVERIFY(WhileModal(EdCustForm, [&] { DoubleClick(f->CustGrid, f->CustGrid->Row()); }, [&] {
            QCOMPARE(VornData->CustCustNo->AsFloat(), custNo);
            Retype("Queried Company");
            QTest::mouseClick(EdCustForm->OKButton, Qt::LeftButton);
        }));
        QCOMPARE(VornData->CustQueryCustNo->AsFloat(), custNo);
        QCOMPARE(Painted(f->CustGrid)->CellText(f->CustGrid->Row(), 1), QString("Queried Company"));
    }

    void customerFormAsksBeforePrinting()
    {
        QTemporaryDir folder;
        const QString pdf = folder.filePath("customer.pdf");
        Printer()->setOutputFormat(QPrinter::PdfFormat);
        Printer()->setOutputFileName(pdf);
        QVERIFY(WhileModal(EdCustForm, [] { QTest::mouseClick(Form()->EditBtn, Qt::LeftButton); }, [&] {
            QCOMPARE(EdCustForm->PrintBtn->toolTip(), QString("Print form image"));
            FUser->Otherwise = mrNo;
            QTest::mouseClick(EdCustForm->PrintBtn, Qt::LeftButton);
            QVERIFY(!QFile::exists(pdf));
            FUser->Otherwise = mrYes;
            QTest::mouseClick(EdCustForm->PrintBtn, Qt::LeftButton);
            QVERIFY(QFileInfo(pdf).size() > 0);
            QTest::mouseClick(EdCustForm->CancelButton, Qt::LeftButton);
        }));
        QCOMPARE(FUser->Texts(), QStringList({"   Print this form?", "   Print this form?"}));
        QCOMPARE(FUser->Requests[0].Type, mtConfirmation);
        QCOMPARE(FUser->Requests[0].Buttons, mbYesNo);
        Printer()->setOutputFileName(QString());
    }

    void rangeIsAskedAgainAfterAStorageSwitch()
    {
        DefineRange("01/01/95", Typed(Date()));
        QTest::mouseClick(Form()->ActivateBtn, Qt::LeftButton);
        const QVector<double> expected = Listed();
        // The switch closes the browser and every dataset.
        MainForm->ViewLocalClick(MainForm);
        QVERIFY(!Form()->isVisible());
        QVERIFY(!VornData->CustQuery->Active());
        OpenBrowser();
        QVERIFY(Form()->ActivateBtn->Down());
        QCOMPARE(VornData->CustMasterSrc->DataSet(), static_cast<TDataSet*>(VornData->CustQuery));
        QCOMPARE(Listed(), expected);
        QCOMPARE(FUser->Texts(), QStringList());
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    CustOrdTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "custord_test.moc"
