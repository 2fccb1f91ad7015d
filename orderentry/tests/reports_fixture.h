// What the reports' tests share: the order form's sample data with known customers,
// orders and lines added for the reports, the printer pointed at a PDF file, the text of
// a PDF as pdftotext lays it out, and answering a dialog that the code under test
// shows modally while it is already inside another one.
#pragma once

#include "orderentry/tests/order_fixture.h"

#include "platform/widgets/printers.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

// Customers: 9101 with every address part and an invoice at 14:30 on 15 June 2021;
// 9102 with Addr1 only and never invoiced; 9103 with Addr1 and Addr2 but no City,
// invoiced 1 February 2019. Part 9003 lists at 0.50.
// Orders of March 2015, out of the sample data's years: 9201 (31 March, customer 9103),
// 9202 (1 March, customer 9101, items total 1234.5), 9203 (10 March, customer 9102),
// 9205 (31 March at 9:15, customer 9101); around them 9200 (28 February) and 9204
// (1 April). Invoices: 9301 for customer 9101,
// lines 123 x part 9001 at 10 and 1 x part 9002 at 4.50 (1234.50), freight 10.25, tax
// rate 8.25; 9302 for customer 9102, one line of part 9003 (0.50), no freight; 9303
// for 9103 without lines; 9304 for a customer 9999 that does not exist, one line.
inline void LayReportData(TScratchStore& store)
{
    LayOrderData(store);
    store.Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
               "VALUES (9003, 'Test o-ring', 1, 50, 0, 0.1, 0.5)");
    store.Exec("INSERT INTO CUSTOMER (CustNo, Company, Addr1, Addr2, City, State, Zip, Country, Phone, FAX, TaxRate, "
               "LastInvoiceDate) VALUES (9101, 'Full Address Divers', '1 Reef Rd', 'Suite 5', 'Port Ellery', 'FL', "
               "'33000', 'US', '941-555-0101', '941-555-0102', 8.25, ?)",
               {store.Date(EncodeDate(2021, 6, 15) + EncodeTime(14, 30, 0, 0))});
    store.Exec("INSERT INTO CUSTOMER (CustNo, Company, Addr1) VALUES (9102, 'Lone Street Scuba', '2 Kelp St')");
    store.Exec("INSERT INTO CUSTOMER (CustNo, Company, Addr1, Addr2, LastInvoiceDate) "
               "VALUES (9103, 'No City Aquatics', '3 Tide Ave', 'Box 9', ?)",
               {store.Date(EncodeDate(2019, 2, 1))});
    auto order = [&store](double orderNo, double custNo, TDateTime sold, double itemsTotal, double freight) {
        store.Exec("INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, ShipDate, EmpNo, ShipVIA, Terms, PaymentMethod, "
                   "ItemsTotal, TaxRate, Freight, AmountPaid) VALUES (?, ?, ?, ?, 9001, 'UPS', 'net 30', 'Check', ?, "
                   "8.25, ?, 0)",
                   {orderNo, custNo, store.Date(sold), store.Date(sold + 4), itemsTotal, freight});
    };
    order(9200, 9101, EncodeDate(2015, 2, 28), 1, 0);
    order(9201, 9103, EncodeDate(2015, 3, 31), 2, 0);
    order(9202, 9101, EncodeDate(2015, 3, 1), 1234.5, 0);
    order(9203, 9102, EncodeDate(2015, 3, 10), 3, 0);
    order(9204, 9101, EncodeDate(2015, 4, 1), 4, 0);
    order(9205, 9101, EncodeDate(2015, 3, 31) + EncodeTime(9, 15, 0, 0), 5, 0);
    order(9301, 9101, EncodeDate(2016, 5, 2), 1234.5, 10.25);
    order(9302, 9102, EncodeDate(2016, 5, 3), 0.5, 0);
    order(9303, 9103, EncodeDate(2016, 5, 4), 0, 0);
    order(9304, 9999, EncodeDate(2016, 5, 5), 10, 0);
    auto line = [&store](double orderNo, double itemNo, double partNo, int qty) {
        store.Exec("INSERT INTO ITEMS (OrderNo, ItemNo, PartNo, Qty, Discount) VALUES (?, ?, ?, ?, 0)",
                   {orderNo, itemNo, partNo, qty});
    };
    line(9301, 1, 9001, 123);
    line(9301, 2, 9002, 1);
    line(9302, 1, 9003, 1);
    line(9304, 1, 9001, 1);
}

// The printer writes File as a PDF.
inline void PrintToPdf(const QString& File)
{
    Printer()->setOutputFormat(QPrinter::PdfFormat);
    Printer()->setOutputFileName(File);
}

// The text of a PDF as `pdftotext -layout` lays it out, each page ended by a form feed;
// empty when the file is missing.
inline QString PdfText(const QString& File)
{
    if (!QFile::exists(File))
        return QString();
    QProcess process;
    process.start("pdftotext", {"-layout", File, "-"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("pdftotext failed on %s: %s", qPrintable(File), process.readAllStandardError().constData());
    // Typographic ligatures ("fi" drawn as one glyph) read back as their letters.
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// The heights in points of the words of a PDF's first page that are exactly Word, from
// `pdftotext -bbox`: a word's height follows its font size.
inline QList<double> WordHeights(const QString& File, const QString& Word)
{
    QProcess process;
    process.start("pdftotext", {"-bbox", "-f", "1", "-l", "1", File, "-"});
    process.waitForFinished(30000);
    static const QRegularExpression box("<word xMin=\"[^\"]*\" yMin=\"([^\"]*)\" xMax=\"[^\"]*\" "
                                        "yMax=\"([^\"]*)\">([^<]*)</word>");
    QList<double> heights;
    const QString xml = QString::fromUtf8(process.readAllStandardOutput());
    for (QRegularExpressionMatchIterator i = box.globalMatch(xml); i.hasNext();) {
        const QRegularExpressionMatch m = i.next();
        if (m.captured(3) == Word)
            heights << m.captured(2).toDouble() - m.captured(1).toDouble();
    }
    return heights;
}

inline int PageCount(const QString& Text)
{
    return int(Text.count(QLatin1Char('\f')));
}

// The lines of Text, blanks at either end removed and empty lines left out.
inline QStringList TextLines(const QString& Text)
{
    QStringList lines;
    for (const QString& line : Text.split(QRegularExpression("[\n\f]")))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines;
}

// Blanks between words as one blank, so that the columns compare as words.
inline QString Words(const QString& Line)
{
    return Line.simplified();
}

// Runs Steps on Form once the code under test shows it, from the event loop; for a
// dialog shown while another one is modal. Hides a form the steps left open.
inline void WhenShown(TForm* Form, const std::function<void()>& Steps)
{
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, [timer, Form, Steps] {
        timer->deleteLater();
        if (!QTest::qWaitFor([Form] { return Form->isVisible(); }, 5000)) {
            qWarning("%s was never shown", qPrintable(Form->objectName()));
            return;
        }
        if (QTest::qWaitForWindowActive(Form))
            Steps();
        if (Form->isVisible())
            Form->hide();
    });
    timer->start(0);
}
