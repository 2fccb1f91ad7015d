// The batch command line: its arguments read strictly, with a clear message for each
// way of getting them wrong; and whole runs, each in a program of its own, writing the
// three reports to PDF on local sample data, refusing bad arguments and a report
// without pages with a non-zero exit and a message, and never writing a file then.
#include "orderentry/report_batch.h"
#include "orderentry/tests/reports_fixture.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct TRun {
    int ExitCode = -1;
    QString Errors;
};

// Vornapp run with Arguments, in the C locale (month-first dates with four-digit
// years) and with no display to show anything on.
TRun RunVornapp(const QStringList& Arguments)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    env.insert("LC_ALL", "C");
    program.setProcessEnvironment(env);
    program.start(VORNAPP_PROGRAM, Arguments);
    TRun run;
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
        return run;
    }
    run.ExitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    // The platform's own notes (a missing runtime folder) are not the program's.
    for (const QString& line : QString::fromLocal8Bit(program.readAllStandardError()).split('\n'))
        if (!line.isEmpty() && !line.startsWith("QStandardPaths:"))
            run.Errors += line + '\n';
    return run;
}

} // namespace

class ReportBatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    QTemporaryDir FOut;

    // The message of the refusal of Arguments; empty when they were accepted.
    static QString Refusal(const QStringList& Arguments)
    {
        try {
            ParseReportArguments(Arguments);
        } catch (const EReportArguments& e) {
            return QString::fromStdString(e.Message);
        }
        return QString();
    }

private slots:
    void initTestCase()
    {
        FStore = std::make_unique<TScratchStore>(false);
        try {
            LayReportData(*FStore);
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        QVERIFY(FOut.isValid());
    }

    void cleanupTestCase()
    {
        FStore.reset();
    }

    void eachReportIsWrittenWithoutADisplay()
    {
        const QString customers = FOut.filePath("customers.pdf");
        TRun run = RunVornapp({"--report", "customers", "--pdf", customers});
        QCOMPARE(run.Errors, QString());
        QCOMPARE(run.ExitCode, 0);
        QString text = PdfText(customers);
        QVERIFY(PageCount(text) >= 2);
        QVERIFY(text.contains("Customer List"));
        QVERIFY(Words(text).contains("2/1/2019 3 Tide Ave Box 9 9103"));

        // Dates in ISO form or in the short date format.
        const QString orders = FOut.filePath("orders.pdf");
        run = RunVornapp({"--report", "orders", "--from", "2015-03-01", "--to=3/31/2015", "--pdf", orders});
        QCOMPARE(run.Errors, QString());
        QCOMPARE(run.ExitCode, 0);
        text = PdfText(orders);
        QCOMPARE(PageCount(text), 1);
        QVERIFY(text.contains("From '3/1/2015' To '3/31/2015'"));
        QStringList orderNos;
        for (const QString& line : TextLines(text))
            if (line.contains(" UPS "))
                orderNos << Words(line).section(' ', 0, 0);
        QCOMPARE(orderNos, QStringList({"9202", "9203", "9201", "9205"}));

        const QString invoice = FOut.filePath("invoice.pdf");
        run = RunVornapp({"--report", "invoice", "--order", "9301", "--pdf", invoice});
        QCOMPARE(run.Errors, QString());
        QCOMPARE(run.ExitCode, 0);
        text = PdfText(invoice);
        QCOMPARE(PageCount(text), 1);
        QCOMPARE(TextLines(text).at(3), QString("Full Address Divers"));
        QCOMPARE(Words(TextLines(text).last()), QString("Total $1,244.75"));
    }

    void runsWithoutPagesFailAndWriteNothing()
    {
        // A file already there stays as it was.
        const QString file = FOut.filePath("kept.pdf");
        QVERIFY(WriteAll(file, "kept"));
        TRun run = RunVornapp({"--report", "invoice", "--order", "9303", "--pdf", file});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Errors, "Vornapp: Order 9303 has no lines to invoice. Nothing was written to " + file + ".\n");
        run = RunVornapp({"--report", "orders", "--from", "1990-01-01", "--to", "1990-12-31", "--pdf", file});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Errors,
                 "Vornapp: No orders were sold from 1/1/1990 to 12/31/1990. Nothing was written to " + file + ".\n");
        run = RunVornapp({"--report", "invoice", "--order", "4242", "--pdf", file});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Errors, "Vornapp: Order 4242 does not exist. Nothing was written to " + file + ".\n");
        run = RunVornapp({"--report", "invoice", "--order", "9304", "--pdf", file});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Errors, "Vornapp: Customer 9999 of order 9304 does not exist. Nothing was written to " + file
                                 + ".\n");
        QCOMPARE(ReadAll(file), QByteArray("kept"));
    }

    void badArgumentsAndUnwritableFilesFail()
    {
        const QString file = FOut.filePath("never.pdf");
        TRun run = RunVornapp({"--report", "orders", "--from", "2015-03-31", "--to", "2015-03-01", "--pdf", file});
        QCOMPARE(run.ExitCode, 2);
        QCOMPARE(run.Errors, "Vornapp: \"TO\" date cannot be less than \"FROM\" date\n" + ReportBatchUsage());
        run = RunVornapp({"--report", "customers"});
        QCOMPARE(run.ExitCode, 2);
        QVERIFY(run.Errors.startsWith("Vornapp: --pdf FILE is missing"));
        QVERIFY(!QFile::exists(file));

        const QString nowhere = FOut.filePath("no/such/folder/x.pdf");
        run = RunVornapp({"--report", "customers", "--pdf", nowhere});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Errors.startsWith("Vornapp: ") && run.Errors.contains(nowhere), qPrintable(run.Errors));
    }

    void dataThatCannotBeOpenedFails()
    {
        FStore->WriteConfig(QString());
        const TRun run = RunVornapp({"--report", "customers", "--pdf", FOut.filePath("c.pdf")});
        FStore->WriteConfig(FStore->AliasLines());
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Errors.startsWith("Vornapp: ") && run.Errors.contains("Nothing was written"),
                 qPrintable(run.Errors));
        QVERIFY(!QFile::exists(FOut.filePath("c.pdf")));
    }

    void batchOptionsMakeABatchRun()
    {
        QVERIFY(!IsReportBatch({}));
        // Other arguments are ignored, as they always were.
        QVERIFY(!IsReportBatch({"-style", "fusion", "somefile"}));
        QVERIFY(IsReportBatch({"--report", "customers"}));
        QVERIFY(IsReportBatch({"--pdf=x.pdf"}));
        QVERIFY(IsReportBatch({"stray", "--order", "3"}));
    }

    void eachReportReadsItsArguments()
    {
        TReportBatchArgs a = ParseReportArguments({"--report", "customers", "--pdf", "c.pdf"});
        QCOMPARE(a.Report, brCustomers);
        QCOMPARE(a.PdfFile, QString("c.pdf"));

        a = ParseReportArguments({"--report=orders", "--from", "2024-01-31", "--to=2024-02-29", "--pdf", "o.pdf"});
        QCOMPARE(a.Report, brOrders);
        QCOMPARE(a.FromDate, EncodeDate(2024, 1, 31));
        QCOMPARE(a.ToDate, EncodeDate(2024, 2, 29));
        QCOMPARE(a.PdfFile, QString("o.pdf"));

        a = ParseReportArguments({"--pdf", "i.pdf", "--order", "1005", "--report", "invoice"});
        QCOMPARE(a.Report, brInvoice);
        QCOMPARE(a.OrderNo, 1005.0);
    }

    void orderHistoryRangeDefaultsAsTheDialogOffersIt()
    {
        TReportBatchArgs a = ParseReportArguments({"--report", "orders", "--pdf", "o.pdf"});
        QCOMPARE(a.FromDate, EncodeDate(1995, 1, 1));
        QCOMPARE(a.ToDate, Date());
        a = ParseReportArguments({"--report", "orders", "--to", "2000-06-01", "--pdf", "o.pdf"});
        QCOMPARE(a.FromDate, EncodeDate(1995, 1, 1));
        QCOMPARE(a.ToDate, EncodeDate(2000, 6, 1));
        // One day is a range of its own.
        a = ParseReportArguments({"--report", "orders", "--from", "2000-06-01", "--to", "2000-06-01", "--pdf", "o"});
        QCOMPARE(a.FromDate, a.ToDate);
    }

    void badArgumentsAreRefusedWithTheirReason()
    {
        QCOMPARE(Refusal({"--pdf", "x.pdf"}), QString("--report is missing: customers, orders or invoice"));
        QCOMPARE(Refusal({"--report", "invoices", "--pdf", "x.pdf"}),
                 QString("Unknown report 'invoices': customers, orders or invoice"));
        QCOMPARE(Refusal({"--report", "customers"}), QString("--pdf FILE is missing: the file to write the report to"));
        QCOMPARE(Refusal({"--report", "customers", "--pdf"}), QString("--pdf needs a value"));
        QCOMPARE(Refusal({"--report", "customers", "--pdf="}), QString("--pdf needs a value"));
        QCOMPARE(Refusal({"--report", "--pdf", "x.pdf"}), QString("--report needs a value"));
        QCOMPARE(Refusal({"--report", "customers", "--pdf", "x.pdf", "--colour"}), QString("Unknown argument '--colour'"));
        QCOMPARE(Refusal({"--report", "customers", "extra", "--pdf", "x.pdf"}), QString("Unknown argument 'extra'"));
        QCOMPARE(Refusal({"--report", "customers", "--report", "orders", "--pdf", "x"}),
                 QString("--report is given twice"));
        QCOMPARE(Refusal({"--report", "customers", "--from", "2024-01-01", "--pdf", "x"}),
                 QString("--from and --to belong to the orders report"));
        QCOMPARE(Refusal({"--report", "orders", "--order", "3", "--pdf", "x"}),
                 QString("--order belongs to the invoice report"));
        QCOMPARE(Refusal({"--report", "invoice", "--pdf", "x"}),
                 QString("--order N is missing: the number of the order to invoice"));
        QCOMPARE(Refusal({"--report", "invoice", "--order", "12a", "--pdf", "x"}),
                 QString("--order: '12a' is not an order number"));
        QCOMPARE(Refusal({"--report", "invoice", "--order", "inf", "--pdf", "x"}),
                 QString("--order: 'inf' is not an order number"));
    }

    void badDatesAndReversedRangesAreRefused()
    {
        QCOMPARE(Refusal({"--report", "orders", "--from", "2024-02-30", "--pdf", "x"}),
                 QString("--from: '2024-02-30' is not a date (YYYY-MM-DD or the short date format)"));
        QCOMPARE(Refusal({"--report", "orders", "--to", "yesterday", "--pdf", "x"}),
                 QString("--to: 'yesterday' is not a date (YYYY-MM-DD or the short date format)"));
        QCOMPARE(Refusal({"--report", "orders", "--from", "2024-03-02", "--to", "2024-03-01", "--pdf", "x"}),
                 QString("\"TO\" date cannot be less than \"FROM\" date"));
    }
};

QTEST_MAIN(ReportBatchTest)
#include "report_batch_test.moc"
