// The report engine over a scratch local table, written to PDF and read back with
// pdftotext: the bands in their order and on every page, page breaks, child bands,
// no records giving no pages, BeforePrint, element places and alignment, OnPrint,
// fields' display rules, the standard functions, running totals, faults found before
// anything is written, the dataset's cursor after a run, and the printer.
#include "platform/reports/report.h"

#include "platform/core/formatsettings.h"
#include "platform/data/query.h"
#include "platform/reports/expression.h"
#include "platform/reports/tests/report_fixture.h"
#include "platform/widgets/printers.h"

#include <QFile>
#include <QPrinter>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The sum of Qty (No % 50 + 1) over the records First..Last.
int QtySum(int first, int last)
{
    int sum = 0;
    for (int no = first; no <= last; ++no)
        sum += no % 50 + 1;
    return sum;
}

} // namespace

class TReportTest : public QObject {
    Q_OBJECT

    TLinesFixture F;

    QVector<QStringList> Run(TReport& report, const QString& name = "report.pdf")
    {
        const QString file = F.File(name);
        report.ExportToPdf(file);
        return PdfPageLines(file);
    }

private slots:
    void cleanup() { F.TearDown(); }

    // ---- bands ----

    void theBandsPrintInTheirOrder()
    {
        F.Setup(5);
        auto report = MakeLinesReport(F.Lines.get());
        const QVector<QStringList> pages = Run(*report);
        QCOMPARE(report->PageCount(), 1);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0], QStringList({"HEADER 1", "COLUMNS"}) + RowLines(1, 5) + QStringList{"SUMMARY"});
    }

    void aBandThatDoesNotFitStartsAPageWithTheHeaders()
    {
        F.Setup(100);
        auto report = MakeLinesReport(F.Lines.get());
        const QVector<QStringList> pages = Run(*report);
        // 22 details fit below the headers: 22, 22, 22, 22 and 12 with the summary.
        QCOMPARE(report->PageCount(), 5);
        QCOMPARE(pages.size(), 5);
        for (int page = 1; page <= 5; ++page) {
            QStringList expected = QStringList{QString("HEADER %1").arg(page), "COLUMNS"}
                + RowLines(22 * (page - 1) + 1, std::min(22 * page, 100));
            if (page == 5)
                expected << "SUMMARY";
            QCOMPARE(pages[page - 1], expected);
        }
    }

    void theSummaryMovesToAPageOfItsOwnWhenTheLastPageIsFull()
    {
        F.Setup(22);
        auto report = MakeLinesReport(F.Lines.get());
        const QVector<QStringList> pages = Run(*report);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0], QStringList({"HEADER 1", "COLUMNS"}) + RowLines(1, 22));
        QCOMPARE(pages[1], QStringList({"HEADER 2", "COLUMNS", "SUMMARY"}));
        QCOMPARE(report->PageCount(), 2);
    }

    void childBandsPrintRightAfterTheirParent()
    {
        F.Setup(3);
        auto report = MakeLinesReport(F.Lines.get());
        auto* underHeader = new TRBand(FindBand(*report, "Header"));
        underHeader->Height = 8;
        AddLabel(underHeader, "UNDER HEADER");
        auto* child = new TRBand(FindBand(*report, "Detail"));
        child->Height = 8;
        AddLabel(child, "child of");
        AddField(child, "No", 30);
        auto* grandchild = new TRBand(child);
        grandchild->Height = 8;
        AddLabel(grandchild, "grandchild");
        auto* secondChild = new TRBand(FindBand(*report, "Detail"));
        secondChild->Height = 8;
        AddLabel(secondChild, "second child");
        auto* afterSummary = new TRBand(FindBand(*report, "Summary"));
        afterSummary->Height = 8;
        AddLabel(afterSummary, "AFTER SUMMARY");
        QCOMPARE(child->ParentBand(), FindBand(*report, "Detail"));
        QCOMPARE(child->BandType(), rbChild);

        QStringList expected{"HEADER 1", "UNDER HEADER", "COLUMNS"};
        for (int no = 1; no <= 3; ++no)
            expected << QString("Row %1").arg(no) << QString("child of %1").arg(no) << "grandchild" << "second child";
        expected << "SUMMARY" << "AFTER SUMMARY";
        QCOMPARE(Run(*report).value(0), expected);

        // A child band deleted by hand prints no more.
        delete grandchild;
        expected.removeAll("grandchild");
        QCOMPARE(Run(*report).value(0), expected);
    }

    void aChildThatDoesNotFitContinuesOnTheNextPage()
    {
        F.Setup(22);
        auto report = MakeLinesReport(F.Lines.get());
        FindBand(*report, "Summary")->Height = 5;
        auto* child = new TRBand(FindBand(*report, "Detail"));
        child->Height = 8;
        AddLabel(child, "child");
        // 10 + 8 mm per record: 12 records take 216 of the 229.4 mm; the 13th's detail
        // fits, its child does not.
        const QVector<QStringList> pages = Run(*report);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0].count("child"), 12);
        QCOMPARE(pages[0].last(), QString("Row 13"));
        QCOMPARE(pages[1].mid(0, 4), QStringList({"HEADER 2", "COLUMNS", "child", "Row 14"}));
        QCOMPARE(pages[1].last(), QString("SUMMARY"));
    }

    void aBandTallerThanThePagePrintsOncePerPageAndTheRunEnds()
    {
        F.Setup(3);
        auto report = MakeLinesReport(F.Lines.get());
        FindBand(*report, "Detail")->Height = 300;
        const QVector<QStringList> pages = Run(*report);
        QCOMPARE(report->PageCount(), 4);
        for (int no = 1; no <= 3; ++no)
            QCOMPARE(pages.value(no - 1), QStringList({QString("HEADER %1").arg(no), "COLUMNS", QString("Row %1").arg(no)}));
        QCOMPARE(pages.value(3), QStringList({"HEADER 4", "COLUMNS", "SUMMARY"}));
    }

    void aReportWithoutRecordsHasNoPages()
    {
        F.Setup(0);
        auto report = MakeLinesReport(F.Lines.get());
        const QString fresh = F.File("fresh.pdf");
        report->ExportToPdf(fresh);
        QCOMPARE(report->PageCount(), 0);
        QVERIFY(!QFile::exists(fresh));
        // A file already there is not replaced by nothing.
        const QString old = F.File("old.pdf");
        WriteAll(old, "the last report");
        report->ExportToPdf(old);
        QCOMPARE(ReadAll(old), QByteArray("the last report"));
    }

    void beforePrintRunsFirstAndMayCancel()
    {
        F.Setup(3);
        auto report = MakeLinesReport(F.Lines.get());
        TRLabel* heading = AddLabel(FindBand(*report, "Header"), "heading", 0, 10);
        int calls = 0;
        bool allow = false;
        report->BeforePrint = [&](TReport* sender, bool& printReport) {
            ++calls;
            QCOMPARE(sender, report.get());
            QVERIFY(printReport);
            printReport = allow;
            heading->Caption = "set before the run";
        };
        const QString file = F.File("cancelled.pdf");
        report->ExportToPdf(file);
        QCOMPARE(calls, 1);
        QCOMPARE(report->PageCount(), 0);
        QVERIFY(!QFile::exists(file));

        allow = true;
        const QVector<QStringList> pages = Run(*report);
        QCOMPARE(calls, 2);
        QCOMPARE(report->PageCount(), 1);
        QVERIFY(pages.value(0).contains("set before the run"));
    }

    // ---- elements ----

    void elementsStandWhereTheyAreTold()
    {
        F.Setup(1);
        TReport report;
        report.DataSet = F.Lines.get();
        report.Margins = QMarginsF(15, 12, 25, 10);
        auto* header = new TRBand(&report, rbPageHeader);
        header->Height = 40;
        AddLabel(header, "Lft", 20, 0)->Width = 50;
        TRLabel* right = AddLabel(header, "Rgt", 20, 8);
        right->Width = 50;
        right->Alignment = taRightJustify;
        TRLabel* centre = AddLabel(header, "Ctr", 20, 16);
        centre->Width = 50;
        centre->Alignment = taCenter;
        TRLabel* band = AddLabel(header, "Mid", 0, 24);
        band->AlignToBand = true;
        band->Alignment = taCenter;
        TRLabel* edge = AddLabel(header, "Edge", 0, 32);
        edge->AlignToBand = true;
        edge->Alignment = taRightJustify;
        // Without a width a text starts at Left whatever its alignment.
        TRLabel* free = AddLabel(header, "Free", 120, 0);
        free->Alignment = taRightJustify;
        auto* detail = new TRBand(&report, rbDetail);
        detail->Height = 10;
        AddField(detail, "Name", 60, 2);

        const QString file = F.File("places.pdf");
        report.ExportToPdf(file);
        const QVector<TPdfWord> words = PdfWords(file);
        auto word = [&](const QString& text) {
            const TPdfWord* w = FindWord(words, text);
            if (!w)
                qWarning("no word %s", qPrintable(text));
            return w ? *w : TPdfWord{0, text, -1, -1, -1, -1};
        };
        // Glyphs stand a little inside their advance: half a millimetre of slack.
        const double slack = 0.5;
        QVERIFY(qAbs(word("Lft").Left - 35) < slack);
        QVERIFY(qAbs(word("Rgt").Right - 85) < slack);
        QVERIFY(qAbs(word("Ctr").Centre() - 60) < slack);
        QVERIFY(qAbs(word("Mid").Centre() - (15 + (215.9 - 40) / 2)) < slack);
        QVERIFY(qAbs(word("Edge").Right - (215.9 - 25)) < slack);
        QVERIFY(qAbs(word("Free").Left - 135) < slack);
        // Tops: the band's top plus the element's; the detail comes below the 40 mm header.
        QVERIFY(word("Lft").Top >= 12 - slack && word("Lft").Top < 12 + 2);
        QVERIFY(word("Rgt").Top >= 20 - slack && word("Rgt").Top < 20 + 2);
        QVERIFY(qAbs(word("Row").Left - 75) < slack);
        QVERIFY(word("Row").Top >= 54 - slack && word("Row").Top < 54 + 2);
    }

    void fontsComeFromTheElementThenTheBandThenTheReport()
    {
        F.Setup(2);
        TReport report;
        report.DataSet = F.Lines.get();
        report.Font = QFont("DejaVu Sans", 10);
        auto* header = new TRBand(&report, rbPageHeader);
        header->Height = 30;
        header->Font.setPointSize(20);
        AddLabel(header, "Twenty");
        AddLabel(header, "Thirty", 60)->Font.setPointSize(30);
        AddLabel(header, "Again", 120);
        auto* detail = new TRBand(&report, rbDetail);
        detail->Height = 200; // a page each
        AddField(detail, "Name");
        const QString file = F.File("fonts.pdf");
        report.ExportToPdf(file);
        const QVector<TPdfWord> words = PdfWords(file);
        auto height = [&](const QString& text, int page = 0) {
            const TPdfWord* w = FindWord(words, text, page);
            return w ? w->Bottom - w->Top : -1;
        };
        const double ten = height("Row");
        QVERIFY(ten > 0);
        QVERIFY(qAbs(height("Twenty") / ten - 2) < 0.1);
        QVERIFY(qAbs(height("Thirty") / ten - 3) < 0.1);
        QVERIFY(qAbs(height("Again") / ten - 2) < 0.1);
        // The second page has the same fonts.
        QCOMPARE(FindWord(words, "Twenty", 2) ? FindWord(words, "Twenty", 2)->Page : 0, 2);
        QVERIFY(qAbs(height("Twenty", 2) - height("Twenty", 1)) < 0.01);
        QVERIFY(qAbs(height("Row", 2) - ten) < 0.01);
    }

    void thePaperAndItsOrientationAreTheReports()
    {
        F.Setup(40);
        auto report = MakeLinesReport(F.Lines.get());
        report->PageSize = QPageSize(QPageSize::A4);
        report->Orientation = QPageLayout::Landscape;
        TRLabel* edge = AddLabel(FindBand(*report, "Columns"), "Edge");
        edge->AlignToBand = true;
        edge->Alignment = taRightJustify;
        const QString file = F.File("landscape.pdf");
        report->ExportToPdf(file);
        // 210 - 20 - 30 = 160 mm below the headers: 16 details a page.
        QCOMPARE(report->PageCount(), 3);
        const TPdfWord* w = FindWord(PdfWords(file), "Edge");
        QVERIFY(w);
        QVERIFY(qAbs(w->Right - 287) < 0.5);
        QCOMPARE(PdfPageLines(file).value(1).value(2), QString("Row 17"));
    }

    void onPrintMayReplaceWhatAnElementPrints()
    {
        F.Setup(4);
        auto report = MakeLinesReport(F.Lines.get());
        auto* name = FindBand(*report, "Detail")->findChild<TRDBText*>();
        QStringList seen;
        name->OnPrint = [&](TRCustomLabel* sender, QString& value) {
            QCOMPARE(sender, name);
            seen << value;
            if (F.Lines->FieldByName("No")->AsInteger() % 2 == 0)
                value = "even " + value;
        };
        TRLabel* summary = FindBand(*report, "Summary")->findChild<TRLabel*>();
        summary->OnPrint = [](TRCustomLabel*, QString& value) { value += " replaced"; };
        QCOMPARE(Run(*report).value(0),
                 QStringList({"HEADER 1", "COLUMNS", "Row 1", "even Row 2", "Row 3", "even Row 4", "SUMMARY replaced"}));
        QCOMPARE(seen, RowLines(1, 4));
    }

    void fieldsPrintWithTheirDisplayRules()
    {
        F.Setup(0);
        F.Lines->Close();
        new TFloatField(F.Lines.get(), "No");
        new TStringField(F.Lines.get(), "Name", 20);
        TField* qty = new TIntegerField(F.Lines.get(), "Qty");
        qty->DisplayFormat = "0.00%";
        new TCurrencyField(F.Lines.get(), "Price");
        F.Lines->Open();
        F.Store->Exec("INSERT INTO LINES VALUES (1, 'One', 8, 1234.5)");
        F.Store->Exec("INSERT INTO LINES VALUES (2, NULL, NULL, NULL)");
        F.Lines->Refresh();
        // A second dataset, named in a field text and in an expression.
        TTable other;
        other.setObjectName("Other");
        other.SetDatabase(F.Db.get());
        other.TableName = "LINES";
        other.IndexFieldNames = "No";
        other.Open();
        other.Last();

        TReport report;
        report.DataSet = F.Lines.get();
        report.AllDataSets = {&other};
        auto* detail = new TRBand(&report, rbDetail);
        detail->Height = 8;
        AddField(detail, "Qty", 0);
        AddField(detail, "Price", 40);
        AddLabel(detail, "|", 80);
        AddField(detail, "No", 90)->DataSet = &other;
        AddExpr(detail, "Other.No + No", 110);
        const QVector<QStringList> pages = Run(report);
        QCOMPARE(pages.value(0).value(0), QString("%1 %2 | 2 3").arg(FormatFloat("0.00%", 8), FormatCurrency(1234.5)));
        // Empty fields print nothing.
        QCOMPARE(pages.value(0).value(1), QString("| 2 4"));
        QCOMPARE(other.FieldByName("No")->AsInteger(), 2);
    }

    void theStandardFunctionsAnswer()
    {
        F.Setup(30);
        auto report = MakeLinesReport(F.Lines.get());
        report->ReportTitle = "Numbered Lines";
        AddExpr(FindBand(*report, "Columns"), "REPORTTITLE", 40);
        AddExpr(FindBand(*report, "Summary"), "COLUMNNUMBER", 40);
        AddLabel(FindBand(*report, "Summary"), "page", 60);
        AddExpr(FindBand(*report, "Summary"), "PageNumber", 75);
        const QVector<QStringList> pages = Run(*report);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0].value(0), QString("HEADER 1"));
        QCOMPARE(pages[0].value(1), QString("COLUMNS Numbered Lines"));
        QCOMPARE(pages[1].value(0), QString("HEADER 2"));
        QCOMPARE(pages[1].last(), QString("SUMMARY 1 page 2"));
    }

    void runningTotalsCountEachPrintedRecordOnce()
    {
        F.Setup(50);
        auto report = MakeLinesReport(F.Lines.get());
        // At the top of each page: the records of the pages before.
        AddExpr(FindBand(*report, "Header"), "SUM(Qty)", 60);
        AddExpr(FindBand(*report, "Summary"), "SUM(Qty)", 40);
        // A record with a child band still counts once.
        auto* child = new TRBand(FindBand(*report, "Detail"));
        child->Height = 0;
        QVector<QStringList> pages = Run(*report);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages[0].value(0), QString("HEADER 1 0"));
        QCOMPARE(pages[1].value(0), QString("HEADER 2 %1").arg(QtySum(1, 22)));
        QCOMPARE(pages[2].value(0), QString("HEADER 3 %1").arg(QtySum(1, 44)));
        QCOMPARE(pages[2].last(), QString("SUMMARY %1").arg(QtySum(1, 50)));
        // A second run starts from zero.
        pages = Run(*report, "again.pdf");
        QCOMPARE(pages.value(2).last(), QString("SUMMARY %1").arg(QtySum(1, 50)));
    }

    void aQueryIsReadPageAfterPageInItsOrder()
    {
        F.Setup(1500);
        TQuery query;
        query.SetDatabase(F.Db.get());
        query.SQL = QStringList{"select Name, :Tag as Tag from LINES", "where No >= :FromNo and No <= :ToNo",
                                "order by Qty, No"};
        query.ParamByName("Tag")->SetAsString("tagged");
        query.ParamByName("FromNo")->SetAsInteger(101);
        query.ParamByName("ToNo")->SetAsInteger(1400);
        TReport report;
        report.DataSet = &query;
        auto* detail = new TRBand(&report, rbDetail);
        detail->Height = 5;
        AddField(detail, "Name");
        AddField(detail, "Tag", 50);
        QStringList printed;
        for (const QStringList& page : Run(report))
            printed << page;
        // Qty is No % 50 + 1: by Qty, then by No within one Qty.
        QStringList expected;
        for (int qty = 1; qty <= 50; ++qty)
            for (int no = 101; no <= 1400; ++no)
                if (no % 50 + 1 == qty)
                    expected << QString("Row %1 tagged").arg(no);
        QCOMPARE(printed.size(), 1300);
        QCOMPARE(printed, expected);
        QVERIFY(!query.Active());
    }

    // ---- faults and the dataset ----

    void aFaultyElementStopsTheRunBeforeAnythingIsWritten()
    {
        F.Setup(30);
        auto report = MakeLinesReport(F.Lines.get());
        const QString file = F.File("faulty.pdf");
        WriteAll(file, "the last report");
        TRExpr* bad = AddExpr(FindBand(*report, "Summary"), "Name +", 40);
        QVERIFY_THROWS_EXCEPTION(EExpressionError, report->ExportToPdf(file));
        bad->Expression = "Name";
        TRDBText* field = AddField(FindBand(*report, "Detail"), "Nope", 40);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, report->ExportToPdf(file));
        QCOMPARE(ReadAll(file), QByteArray("the last report"));
        QVERIFY(!F.Lines->ControlsDisabled());

        // A fault on the 25th record, on the second page: the old file stays whole.
        field->DataField = "Qty";
        bad->Expression = "if(No = 25, Name + 1, Name)";
        TRExpr* late = AddExpr(FindBand(*report, "Detail"), "if(No = 25, Name + 1, Name)", 80);
        QVERIFY_THROWS_EXCEPTION(EExpressionError, report->ExportToPdf(file));
        QCOMPARE(ReadAll(file), QByteArray("the last report"));
        QVERIFY(!F.Lines->ControlsDisabled());

        late->Expression = "Name";
        bad->Expression = "Name";
        report->ExportToPdf(file);
        QCOMPARE(report->PageCount(), 2);
        QVERIFY(ReadAll(file).startsWith("%PDF"));
    }

    void aFileThatCannotBeWrittenIsReported()
    {
        F.Setup(3);
        auto report = MakeLinesReport(F.Lines.get());
        QVERIFY_THROWS_EXCEPTION(EFCreateError, report->ExportToPdf(F.File("no/such/folder/report.pdf")));
    }

    void theRunLeavesTheCursorWhereItWas()
    {
        F.Setup(30);
        auto report = MakeLinesReport(F.Lines.get());
        F.Lines->Locate("No", 7);
        Run(*report);
        QCOMPARE(F.Lines->FieldByName("No")->AsInteger(), 7);
        QVERIFY(!F.Lines->ControlsDisabled());
        // A closed dataset is opened for the run and closed again.
        F.Lines->Close();
        const QVector<QStringList> pages = Run(*report, "closed.pdf");
        QCOMPARE(pages.size(), 2);
        QVERIFY(!F.Lines->Active());
    }

    void printGoesToTheCurrentPrinterInTheReportsPaper()
    {
        F.Setup(30);
        auto report = MakeLinesReport(F.Lines.get());
        QPrinter& printer = *Printer();
        const QString file = F.File("printed.pdf");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A5));
        printer.setPageOrientation(QPageLayout::Landscape);
        report->Print();
        QCOMPARE(report->PageCount(), 2);
        const QVector<QStringList> pages = PdfPageLines(file);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[1].mid(0, 3), QStringList({"HEADER 2", "COLUMNS", "Row 23"}));
        // The user's set-up stays the printer's.
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A5);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        printer.setOutputFileName(QString());
    }
};

QTEST_MAIN(TReportTest)
#include "report_test.moc"
