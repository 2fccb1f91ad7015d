// The three reports as the main window runs them, on local sample data with known rows,
// printed to a PDF file and read back as text: their titles and headings, one detail
// per record in the report's order, the customer list's address and last-invoice
// cells, the order history's range with both end days and its heading, the invoice
// addressed to its order's customer with FormatNumeric totals and no tax, no pages
// where there is nothing to print; the Reports button's Print and View, the menu items
// printing without preview, and Cancel printing nothing.
#include "orderentry/Main.h"
#include "orderentry/customer_report.h"
#include "orderentry/invoice_report.h"
#include "orderentry/orders_report.h"
#include "orderentry/pickorderno_dlg.h"
#include "orderentry/pickrpt_dlg.h"
#include "orderentry/querycust_dlg.h"
#include "orderentry/tests/reports_fixture.h"

#include "platform/core/formatsettings.h"
#include "platform/data/field.h"
#include "platform/reports/preview.h"

#include <QRadioButton>
#include <QTemporaryDir>

class ReportsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;
    std::unique_ptr<QTemporaryDir> FOut;
    QString FPdf;
    int FPreviews = 0;
    QString FPreviewPage;

    static QString ShortDate(TDateTime Day)
    {
        return FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), Day);
    }

    // The printed text, once the printer's file is there; the file is then removed so
    // that the next run starts from nothing.
    QString Printed()
    {
        const QString text = PdfText(FPdf);
        QFile::remove(FPdf);
        return text;
    }

    // The order history of From to To, printed through the date-range dialog.
    QString PrintHistory(TDateTime From, TDateTime To)
    {
        WhileModal(QueryCustDlg, [] { MainForm->PrintOrderHistory(false); }, [&] {
            QueryCustDlg->SetFromDate(From);
            QueryCustDlg->SetToDate(To);
            QueryCustDlg->OkBtn->click();
        });
        return Printed();
    }

    // Chooses one of the last orders (9301 to 9304) in the picker's list with the keys.
    static void ChooseOrder(int OrderNo)
    {
        Press(Qt::Key_End);
        for (int i = OrderNo; i < 9304; ++i)
            Press(Qt::Key_Up);
        QCOMPARE(VornData->OrdersOrderNo->AsFloat(), double(OrderNo));
    }

    // The invoice of OrderNo, chosen in the picker as a clerk does, through the menu item.
    QString PrintInvoiceOf(int OrderNo)
    {
        WhileModal(PickOrderNoDlg, [] { MainForm->Ui::TMainForm::PrintInvoice->trigger(); }, [&] {
            ChooseOrder(OrderNo);
            PickOrderNoDlg->OKBtn->click();
        });
        return Printed();
    }

    // The customer numbers at the ends of the lines of Text that end in one (the
    // second line of each customer's detail), in the order printed.
    static QList<double> CustomerNumbersPrinted(const QString& Text, const QSet<double>& Known)
    {
        QList<double> printed;
        static const QRegularExpression lastNumber("(^|\\s)(\\d+)$");
        for (const QString& line : TextLines(Text)) {
            const QRegularExpressionMatch m = lastNumber.match(line);
            if (m.hasMatch() && Known.contains(m.captured(2).toDouble()))
                printed << m.captured(2).toDouble();
        }
        return printed;
    }

    // The line of Text that ends with the customer number CustNo.
    static QString CustomerLine(const QString& Text, int CustNo)
    {
        for (const QString& line : TextLines(Text))
            if (line == QString::number(CustNo) || line.endsWith(" " + QString::number(CustNo)))
                return line;
        return QString();
    }

    static QString LineWith(const QString& Text, const QString& Part)
    {
        for (const QString& line : TextLines(Text))
            if (Words(line).contains(Part))
                return Words(line);
        return QString();
    }

private slots:
    void init()
    {
        FStore = std::make_unique<TScratchStore>(false);
        try {
            LayReportData(*FStore);
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(AppFolder)));
        FUser = std::make_unique<TMessageRecorder>(std::vector<TModalResult>{}, mrCancel);
        FOut = std::make_unique<QTemporaryDir>();
        FPdf = FOut->filePath("printed.pdf");
        PrintToPdf(FPdf);
        FPreviews = 0;
        SetPreviewRunner([this](TRPreview& Preview) {
            ++FPreviews;
            FPreviewPage = Preview.PageText();
        });
        CreateApplicationObjects();
        QVERIFY(PickRpt && CustomerByInvoiceReport && OrdersByDateReport && InvoiceByOrderNoReport && PickOrderNoDlg);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!CustomerByInvoiceReport && !OrdersByDateReport && !InvoiceByOrderNoReport);
        SetPreviewRunner(nullptr);
        FOut.reset();
        FUser.reset();
        FStore.reset();
    }

    void customerListHasOneDetailPerCustomerLatestInvoiceFirst()
    {
        // The customers in the query's order, with their last invoice dates.
        QList<double> expected;
        QSet<double> known;
        QList<TDateTime> dates;
        TQuery* query = VornData->CustByLastInvQuery;
        query->First();
        const QString firstCompany = Words(VornData->CustByLastInvQueryCompany->AsString() + " "
                                           + VornData->CustByLastInvQueryPhone->AsString());
        for (; !query->Eof(); query->Next()) {
            expected << VornData->CustByLastInvQueryCustNo->AsFloat();
            dates << VornData->CustByLastInvQueryLastInvoiceDate->AsDateTime();
        }
        known = QSet<double>(expected.begin(), expected.end());
        QVERIFY(expected.size() > 20);
        for (int i = 1; i < dates.size(); ++i)
            QVERIFY2(dates[i] <= dates[i - 1], "the query lists the latest invoice first");

        MainForm->PrintCustList->trigger();
        const QString text = Printed();
        QCOMPARE(FPreviews, 0);
        QVERIFY(PageCount(text) >= 2);
        QCOMPARE(CustomerNumbersPrinted(text, known), expected);
        const QStringList lines = TextLines(text);
        QCOMPARE(lines.count("Customer List"), PageCount(text));
        QCOMPARE(lines.count("By Last Invoice"), PageCount(text));
        // The column headings, a line of each page's header.
        QCOMPARE(Words(lines.at(2)), QString("V.O.R.N. Customer Phone"));
        QCOMPARE(Words(lines.at(3)), QString("Last Invoice Address FAX Customer No."));
        // The first detail: the company and phone, then the rest of the customer.
        QCOMPARE(Words(lines.at(4)), firstCompany);
        // The list closed its query.
        QVERIFY(!VornData->CustByLastInvQuery->Active());
    }

    void textSizesFollowTheLayout()
    {
        MainForm->CustomerReport(MainForm);
        // Word heights grow with the point size: the title 36, the company 12 bold,
        // the column headings 11 bold, the detail's other texts 10.
        const auto height = [this](const QString& Word) {
            const QList<double> heights = WordHeights(FPdf, Word);
            return heights.isEmpty() ? 0.0 : heights.first();
        };
        const double title = height("V.O.R.N."), company = height("Full"), heading = height("Phone"),
                     detail = height("941-555-0101");
        QVERIFY(detail > 0);
        QVERIFY2(title > 3 * detail, qPrintable(QString("title %1, detail %2").arg(title).arg(detail)));
        QVERIFY2(company > 1.1 * detail, qPrintable(QString("company %1, detail %2").arg(company).arg(detail)));
        QVERIFY2(heading > 1.05 * detail && heading < company,
                 qPrintable(QString("heading %1, detail %2, company %3").arg(heading).arg(detail).arg(company)));
        // Ten points are about 11.6 points high in these fonts (ascent and descent).
        QVERIFY2(detail > 10.5, qPrintable(QString("detail %1").arg(detail)));
        Printed();
    }

    void addressAndLastInvoiceCellsOfTheCustomerList()
    {
        MainForm->CustomerReport(MainForm);
        const QString text = Printed();
        // Every part of the address; the invoice's day alone, without its time.
        QCOMPARE(Words(CustomerLine(text, 9101)),
                 ShortDate(EncodeDate(2021, 6, 15)) + " 1 Reef Rd Suite 5, Port Ellery 941-555-0102 9101");
        QCOMPARE(Words(LineWith(text, "Full Address Divers")), QString("Full Address Divers 941-555-0101"));
        // Addr1 only; never invoiced: an empty cell, not the day-0 date.
        QCOMPARE(Words(CustomerLine(text, 9102)), QString("2 Kelp St 9102"));
        QVERIFY(!text.contains("1899"));
        // Addr1 and Addr2 without a City: no comma.
        QCOMPARE(Words(CustomerLine(text, 9103)), ShortDate(EncodeDate(2019, 2, 1)) + " 3 Tide Ave Box 9 9103");
    }

    void eachCustomerListRunsItsQueryAgain()
    {
        MainForm->CustomerReport(MainForm);
        QVERIFY(!Printed().contains("Newcomer Marine"));
        QVERIFY(!VornData->CustByLastInvQuery->Active());
        FStore->Exec("INSERT INTO CUSTOMER (CustNo, Company, Addr1, LastInvoiceDate) VALUES "
                     "(9104, 'Newcomer Marine', '4 Wave Rd', ?)",
                     {FStore->Date(EncodeDate(2099, 1, 1))});
        MainForm->CustomerReport(MainForm);
        const QStringList lines = TextLines(Printed());
        // The latest invoice of all: the first detail.
        QCOMPARE(Words(lines.at(4)), QString("Newcomer Marine"));
        QCOMPARE(Words(lines.at(5)), ShortDate(EncodeDate(2099, 1, 1)) + " 4 Wave Rd 9104");
    }

    void orderHistoryListsTheRangeWithBothEndDays()
    {
        QString caption;
        WhileModal(QueryCustDlg, [] { MainForm->OrderReport(MainForm); }, [&] {
            caption = QueryCustDlg->Msglab->text();
            QueryCustDlg->SetFromDate(EncodeDate(2015, 3, 1));
            QueryCustDlg->SetToDate(EncodeDate(2015, 3, 31));
            QueryCustDlg->OkBtn->click();
        });
        QCOMPARE(caption, QString("Print all orders ranging:"));
        const QString text = Printed();
        QCOMPARE(FPreviews, 0);
        QCOMPARE(PageCount(text), 1);
        const QStringList lines = TextLines(text);
        QCOMPARE(lines.at(0), QString("Order History"));
        QCOMPARE(lines.at(1), QString("By Date"));
        QCOMPARE(lines.at(2), QString("V.O.R.N."));
        QCOMPARE(lines.at(3), QString("From '%1' To '%2'")
                                  .arg(ShortDate(EncodeDate(2015, 3, 1)), ShortDate(EncodeDate(2015, 3, 31))));
        QCOMPARE(Words(lines.at(4)), QString("Order Date Customer"));
        QCOMPARE(Words(lines.at(5)),
                 QString("Order No. Customer No. Ship Date Ship VIA Terms Pay Meth. Items Total"));
        // By sale date: the first day's order, the tenth's, the last day's two (one of
        // them sold at 9:15); nothing of the days around the range.
        const auto second = [](double orderNo, double custNo, TDateTime shipped, const QString& total) {
            return QString("%1 %2 %3 UPS net 30 Check %4").arg(orderNo).arg(custNo).arg(
                FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), shipped), total);
        };
        QCOMPARE(lines.size(), 14);
        QCOMPARE(Words(lines.at(6)), ShortDate(EncodeDate(2015, 3, 1)) + " Full Address Divers");
        QCOMPARE(Words(lines.at(7)), second(9202, 9101, EncodeDate(2015, 3, 5), "$1,234.50"));
        QCOMPARE(Words(lines.at(8)), ShortDate(EncodeDate(2015, 3, 10)) + " Lone Street Scuba");
        QCOMPARE(Words(lines.at(9)), second(9203, 9102, EncodeDate(2015, 3, 14), "$3.00"));
        QCOMPARE(Words(lines.at(10)), ShortDate(EncodeDate(2015, 3, 31)) + " No City Aquatics");
        QCOMPARE(Words(lines.at(11)), second(9201, 9103, EncodeDate(2015, 4, 4), "$2.00"));
        // Its dates print with their time, wider than their cells: only the order's
        // place is checked.
        QVERIFY(Words(lines.at(12)).endsWith("9:15:00 AM Full Address Divers"));
        QVERIFY(Words(lines.at(13)).startsWith("9205 9101 "));
        QVERIFY(Words(lines.at(13)).endsWith(" UPS net 30 Check $5.00"));
        QVERIFY(!VornData->OrdersByDateQuery->Active());
    }

    void oneDayRangeAndEmptyRange()
    {
        // One day is a range of its own: the orders of that day.
        const QString day = PrintHistory(EncodeDate(2015, 3, 10), EncodeDate(2015, 3, 10));
        QCOMPARE(PageCount(day), 1);
        QVERIFY(day.contains("Lone Street Scuba"));
        QVERIFY(!day.contains("Full Address Divers") && !day.contains("No City Aquatics"));
        // A range without orders prints no page at all.
        QVERIFY(PrintHistory(EncodeDate(1990, 1, 1), EncodeDate(1990, 12, 31)).isEmpty());
        QCOMPARE(OrdersByDateReport->PageCount(), 0);
        QVERIFY(!QFile::exists(FPdf));
        // The heading names the range of the last run.
        QCOMPARE(OrdersByDateReport->FromToHeading->Caption,
                 QString("From '%1' To '%2'").arg(ShortDate(EncodeDate(1990, 1, 1)), ShortDate(EncodeDate(1990, 12, 31))));
    }

    void orderHistoryOffersTheDialogsRangeAndRefillsAnEmptyFromDate()
    {
        TDateTime from = -1, to = -1;
        WhileModal(QueryCustDlg, [] { MainForm->PrintOrderHistory(false); }, [&] {
            from = QueryCustDlg->FromDate();
            to = QueryCustDlg->ToDate();
            // Both boxes emptied: from the start of all orders to today.
            QueryCustDlg->FromEdit->clear();
            QueryCustDlg->ToEdit->clear();
            QueryCustDlg->OkBtn->click();
        });
        QCOMPARE(from, EncodeDate(1995, 1, 1));
        QCOMPARE(to, Date());
        QCOMPARE(OrdersByDateReport->FromToHeading->Caption,
                 QString("From '%1' To '%2'").arg(ShortDate(0), ShortDate(Date())));
        const QString all = Printed();
        QVERIFY(all.contains("Full Address Divers") && all.contains("Lone Street Scuba"));
        // Chosen again, the emptied boxes are filled as at the start.
        WhileModal(QueryCustDlg, [] { MainForm->PrintOrderHistory(false); }, [&] {
            from = QueryCustDlg->FromDate();
            to = QueryCustDlg->ToDate();
            QueryCustDlg->CancelBtn->click();
        });
        QCOMPARE(from, EncodeDate(1995, 1, 1));
        QCOMPARE(to, Date());
        // Text that is no date, left by a cancelled dialog, is shown as it was (the
        // dialog refuses it on OK) instead of stopping the report.
        QueryCustDlg->FromEdit->setText("junk");
        QString shown;
        QVERIFY(WhileModal(QueryCustDlg, [] { MainForm->PrintOrderHistory(false); }, [&] {
            shown = QueryCustDlg->FromEdit->text();
            QueryCustDlg->CancelBtn->click();
        }));
        QCOMPARE(shown, QString("junk"));
        QVERIFY(FUser->Requests.empty());
    }

    void invoiceIsAddressedToTheOrdersCustomerWithoutTax()
    {
        // Another customer is current: the invoice still goes to the order's.
        VornData->Cust->Open();
        QVERIFY(VornData->Cust->Locate("CustNo", kCustOther));
        const QString text = PrintInvoiceOf(9301);
        QCOMPARE(FPreviews, 0);
        QCOMPARE(PageCount(text), 1);
        const QStringList lines = TextLines(text);
        QCOMPARE(lines.at(0), QString("Invoice"));
        QCOMPARE(lines.at(1), QString("V.O.R.N."));
        QCOMPARE(lines.at(2), QString("Send To:"));
        QCOMPARE(lines.at(3), QString("Full Address Divers"));
        QCOMPARE(lines.at(4), QString("1 Reef Rd Suite 5"));
        QCOMPARE(lines.at(5), QString("Port Ellery, FL 33000"));
        QCOMPARE(lines.at(6), QString("US"));
        QCOMPARE(Words(lines.at(7)), QString("Order No. Cust. No. Sales Person Sale Date Ship Date Ship VIA"));
        QCOMPARE(Words(lines.at(8)), QString("9301 9101 Lowe, Ada %1 %2 UPS")
                                         .arg(ShortDate(EncodeDate(2016, 5, 2)), ShortDate(EncodeDate(2016, 5, 6))));
        QCOMPARE(Words(lines.at(9)), QString("Part No. Description Quanity List Price Discount Extended Price"));
        QCOMPARE(Words(lines.at(10)), QString("9001 Test regulator 123 $10.00 0.00% $1,230.00"));
        QCOMPARE(Words(lines.at(11)), QString("9002 Test fin 1 $4.50 0.00% $4.50"));
        QCOMPARE(Words(lines.at(12)), QString("Sub Total $1,234.50"));
        QCOMPARE(Words(lines.at(13)), QString("Freight $10.25"));
        // Lines and freight, without the 8.25 % tax of the order.
        QCOMPARE(Words(lines.at(14)), QString("Total $1,244.75"));
        QCOMPARE(lines.size(), 15);
        // The chosen order stays current, and Cust is on its customer.
        QCOMPARE(VornData->OrdersOrderNo->AsFloat(), 9301.0);
        QCOMPARE(VornData->CustCustNo->AsFloat(), 9101.0);
    }

    void invoiceTotalsBelowOneDollarAndOrdersWithoutLines()
    {
        const QString small = PrintInvoiceOf(9302);
        QCOMPARE(LineWith(small, "Sub Total"), QString("Sub Total $.50"));
        QCOMPARE(LineWith(small, "Freight"), QString("Freight $0.00"));
        QCOMPARE(Words(TextLines(small).last()), QString("Total $.50"));
        // Addressed to customer 9102, whose empty address parts print as nothing.
        QCOMPARE(TextLines(small).at(3), QString("Lone Street Scuba"));
        QCOMPARE(TextLines(small).at(4), QString("2 Kelp St"));
        // An order without lines: no page.
        QVERIFY(PrintInvoiceOf(9303).isEmpty());
        QCOMPARE(InvoiceByOrderNoReport->PageCount(), 0);
        QVERIFY(FUser->Requests.empty());
    }

    void invoiceOfAnOrderWhoseCustomerIsGoneIsRefused()
    {
        VornData->Cust->Open();
        QVERIFY(VornData->Cust->Locate("CustNo", kCustOther));
        QVERIFY(PrintInvoiceOf(9304).isEmpty());
        QCOMPARE(FUser->Texts(), QStringList({"Customer 9999 of order 9304 does not exist"}));
        // Addressed to nobody else either: the current customer did not move.
        QCOMPARE(VornData->CustCustNo->AsFloat(), kCustOther);
    }

    void cancelPrintsNothing()
    {
        WhileModal(QueryCustDlg, [] { MainForm->OrderReport(MainForm); }, [] { Press(Qt::Key_Escape); });
        WhileModal(PickOrderNoDlg, [] { MainForm->InvoiceReport(MainForm); }, [] { Press(Qt::Key_Escape); });
        WhileModal(PickRpt, [] { MainForm->ReportBtn->click(); }, [] { PickRpt->CloseBtn->click(); });
        QVERIFY(!QFile::exists(FPdf));
        QCOMPARE(FPreviews, 0);
        QVERIFY(!VornData->OrdersByDateQuery->Active());
    }

    void reportsButtonPrintsOrPreviewsTheChosenReport()
    {
        // View: the preview, and nothing on the printer.
        WhileModal(PickRpt, [] { MainForm->ReportBtn->click(); }, [] {
            PickRpt->ReportType->Button(0)->click();
            PickRpt->ViewBtn->click();
        });
        QCOMPARE(FPreviews, 1);
        QVERIFY(FPreviewPage.startsWith("Page 1 of "));
        QVERIFY(!QFile::exists(FPdf));
        QVERIFY(!VornData->CustByLastInvQuery->Active());

        // Print: the chosen report on the printer, no preview.
        WhileModal(PickRpt, [] { MainForm->ReportBtn->click(); }, [] {
            PickRpt->ReportType->Button(1)->click();
            WhenShown(QueryCustDlg, [] {
                QueryCustDlg->SetFromDate(EncodeDate(2015, 3, 1));
                QueryCustDlg->SetToDate(EncodeDate(2015, 3, 31));
                QueryCustDlg->OkBtn->click();
            });
            PickRpt->OKBtn->click();
        });
        QCOMPARE(FPreviews, 1);
        const QString history = Printed();
        QVERIFY(history.contains("Order History"));
        QVERIFY(history.contains("Lone Street Scuba"));

        // The invoice, viewed: the order picked in the picker is the one previewed.
        WhileModal(PickRpt, [] { MainForm->ReportBtn->click(); }, [] {
            PickRpt->ReportType->Button(2)->click();
            WhenShown(PickOrderNoDlg, [] {
                ChooseOrder(9302);
                PickOrderNoDlg->OKBtn->click();
            });
            PickRpt->ViewBtn->click();
        });
        QCOMPARE(FPreviews, 2);
        QCOMPARE(FPreviewPage, QString("Page 1 of 1"));
        QCOMPARE(VornData->OrdersOrderNo->AsFloat(), 9302.0);
        QVERIFY(!QFile::exists(FPdf));
    }
};

QTEST_MAIN(ReportsTest)
#include "reports_test.moc"
