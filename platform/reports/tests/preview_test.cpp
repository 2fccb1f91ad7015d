// The preview window, headless: it opens on page 1 before the rest is laid out, its
// buttons move between pages and keep "Page n of m" true, fit and zoom size the page,
// running totals are right in whatever order pages are shown, print and Save as PDF
// write the whole report, a report without records shows no pages, and the dataset is
// back where it was when the window closes.
#include "platform/reports/preview.h"

#include "platform/reports/expression.h"
#include "platform/reports/tests/report_fixture.h"
#include "platform/widgets/messages.h"
#include "platform/widgets/printers.h"

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QScrollArea>
#include <QToolButton>
#include <QtTest>

#include <map>

namespace {

QToolButton* Button(TRPreview& preview, const char* name)
{
    auto* b = preview.findChild<QToolButton*>(name);
    if (!b)
        qWarning("no button %s", name);
    return b;
}

void Click(TRPreview& preview, const char* name)
{
    QToolButton* b = Button(preview, name);
    QVERIFY(b && b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
}

QString Indicator(TRPreview& preview)
{
    return preview.findChild<QLabel*>("PageLabel")->text();
}

// Lets the background layout run to the end.
void Settle(TRPreview& preview)
{
    for (int i = 0; i < 1000 && !preview.PageCountKnown(); ++i)
        QCoreApplication::processEvents();
}

// Runs Runner on the preview of Report, as the user would work the window.
void WithPreview(TReport& report, const std::function<void(TRPreview&)>& runner)
{
    bool ran = false;
    TPreviewRunner previous = SetPreviewRunner([&](TRPreview& preview) {
        ran = true;
        runner(preview);
    });
    try {
        report.Preview();
    } catch (...) {
        SetPreviewRunner(previous);
        throw;
    }
    SetPreviewRunner(previous);
    QVERIFY(ran);
}

} // namespace

class TPreviewTest : public QObject {
    Q_OBJECT

    TLinesFixture F;
    // A box nobody expects fails the test instead of waiting.
    std::unique_ptr<TMessageRecorder> Unexpected;

private slots:
    void init() { Unexpected = std::make_unique<TMessageRecorder>(); }
    void cleanup()
    {
        const QStringList texts = Unexpected->Texts();
        Unexpected.reset();
        F.TearDown();
        QCOMPARE(texts, QStringList());
    }

    void itOpensOnPageOneBeforeTheRestIsLaidOut()
    {
        F.Setup(2000); // 91 pages
        auto report = MakeLinesReport(F.Lines.get());
        WithPreview(*report, [&](TRPreview& preview) {
            QVERIFY(preview.isVisible());
            QCOMPARE(preview.PageNo(), 1);
            QVERIFY(!preview.PageCountKnown());
            QVERIFY(preview.PageCount() < 91);
            QCOMPARE(Indicator(preview), QString("Page 1 of %1+").arg(preview.PageCount()));
            QVERIFY(!Button(preview, "PriorButton")->isEnabled());
            QVERIFY(Button(preview, "NextButton")->isEnabled());
            Settle(preview);
            QCOMPARE(preview.PageCount(), 91);
            QCOMPARE(Indicator(preview), QString("Page 1 of 91"));
        });
        QCOMPARE(report->PageCount(), 91);
    }

    void theButtonsMoveBetweenPages()
    {
        F.Setup(100); // 5 pages
        auto report = MakeLinesReport(F.Lines.get());
        QStringList shown; // the first record of each page drawn
        auto* name = FindBand(*report, "Detail")->findChild<TRDBText*>();
        bool first = true;
        FindBand(*report, "Header")->findChild<TRExpr*>()->OnPrint = [&](TRCustomLabel*, QString&) { first = true; };
        name->OnPrint = [&](TRCustomLabel*, QString& value) {
            if (first)
                shown << value;
            first = false;
        };
        WithPreview(*report, [&](TRPreview& preview) {
            Click(preview, "NextButton");
            QCOMPARE(preview.PageNo(), 2);
            QVERIFY(Indicator(preview).startsWith("Page 2 of "));
            QVERIFY(Button(preview, "PriorButton")->isEnabled());
            Click(preview, "LastButton");
            QCOMPARE(preview.PageNo(), 5);
            QCOMPARE(Indicator(preview), QString("Page 5 of 5"));
            QVERIFY(!Button(preview, "NextButton")->isEnabled());
            QVERIFY(!Button(preview, "LastButton")->isEnabled());
            Click(preview, "PriorButton");
            QCOMPARE(Indicator(preview), QString("Page 4 of 5"));
            Click(preview, "FirstButton");
            QCOMPARE(Indicator(preview), QString("Page 1 of 5"));
            QVERIFY(!Button(preview, "FirstButton")->isEnabled());
            // Past the ends nothing moves.
            preview.PriorPage();
            QCOMPARE(preview.PageNo(), 1);
            preview.GoToPage(9);
            QCOMPARE(preview.PageNo(), 1);
            preview.GoToPage(3);
            QCOMPARE(Indicator(preview), QString("Page 3 of 5"));
        });
        QCOMPARE(shown, QStringList({"Row 1", "Row 23", "Row 89", "Row 67", "Row 1", "Row 45"}));
    }

    void runningTotalsAreRightInWhateverOrderPagesAreShown()
    {
        F.Setup(100);
        auto report = MakeLinesReport(F.Lines.get());
        // A second detail band: 18 mm a record, 12 records a page, and each page but the
        // first starts with the second band of a record whose first printed before.
        auto* more = new TRBand(report.get(), rbDetail);
        more->Height = 8;
        AddLabel(more, "more");
        // The page header shows the total of the records printed before it.
        std::map<int, QString>* totals = nullptr;
        int page = 0;
        FindBand(*report, "Header")->findChild<TRExpr*>()->OnPrint = [&](TRCustomLabel*, QString& value) {
            page = value.toInt();
        };
        AddExpr(FindBand(*report, "Header"), "SUM(Price)", 60)->OnPrint = [&](TRCustomLabel*, QString& value) {
            QVERIFY(!totals->count(page) || (*totals)[page] == value);
            (*totals)[page] = value;
        };
        std::map<int, QString> inOrder, shown;
        totals = &inOrder;
        report->ExportToPdf(F.File("in order.pdf"));
        QCOMPARE(int(inOrder.size()), 9);
        double before2 = 0;
        for (int no = 1; no <= 12; ++no)
            before2 += no * 1.5;
        QCOMPARE(inOrder[2], TReportExpression::AsText(before2));

        totals = &shown;
        WithPreview(*report, [&](TRPreview& preview) {
            preview.GoToPage(4);
            preview.GoToPage(2);
            Settle(preview);
            preview.LastPage();
            preview.GoToPage(3);
            preview.FirstPage();
            for (int p = 9; p >= 2; --p)
                preview.GoToPage(p);
        });
        QCOMPARE(shown, inOrder);
    }

    void fitAndZoomSizeThePage()
    {
        F.Setup(30);
        auto report = MakeLinesReport(F.Lines.get());
        WithPreview(*report, [&](TRPreview& preview) {
            preview.resize(700, 600);
            QCoreApplication::processEvents();
            auto* area = preview.findChild<QScrollArea*>("PageArea");
            const QSize room = area->maximumViewportSize();
            const QSize page = area->widget()->size();
            // Fit page is where it opens: the whole page with its gap in the area. The page
            // is drawn at whole dots per inch, so it may fall short by one per inch of paper.
            QVERIFY(page.width() <= room.width() && page.height() <= room.height());
            QVERIFY(page.height() >= room.height() - 12);
            const double fitPage = preview.Zoom();

            Click(preview, "FitWidthButton");
            QVERIFY(preview.Zoom() > fitPage);
            QCoreApplication::processEvents();
            const int width = area->widget()->width();
            QVERIFY(width <= area->viewport()->width() && width >= area->viewport()->width() - 9);
            // The width stays fitted as the window grows.
            preview.resize(900, 600);
            QCoreApplication::processEvents();
            QVERIFY(area->widget()->width() <= area->viewport()->width());
            QVERIFY(area->widget()->width() >= area->viewport()->width() - 9);

            const double before = preview.Zoom();
            Click(preview, "ZoomInButton");
            QVERIFY(qAbs(preview.Zoom() - before * 1.25) < 1e-9);
            Click(preview, "ZoomOutButton");
            Click(preview, "ZoomOutButton");
            QVERIFY(preview.Zoom() < before);
            // A zoom chosen by hand is kept when the window changes.
            const double chosen = preview.Zoom();
            preview.resize(800, 700);
            QCoreApplication::processEvents();
            QCOMPARE(preview.Zoom(), chosen);
            Click(preview, "FitPageButton");
            QVERIFY(area->widget()->height() <= area->maximumViewportSize().height());
        });
    }

    void printAndSaveWriteTheWholeReport()
    {
        F.Setup(100);
        auto report = MakeLinesReport(F.Lines.get());
        const QString saved = F.File("saved");
        const QString printed = F.File("printed.pdf");
        QPrinter& printer = *Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        WithPreview(*report, [&](TRPreview& preview) {
            preview.GoToPage(3);
            int asked = 0;
            preview.OnAskFileName = [&](TRPreview* sender) {
                ++asked;
                return sender == &preview ? saved : QString();
            };
            Click(preview, "SaveButton");
            QCOMPARE(asked, 1);
            Click(preview, "PrintButton");
            // The page shown stays.
            QCOMPARE(Indicator(preview), QString("Page 3 of 5"));
        });
        printer.setOutputFileName(QString());
        for (const QString& file : {saved + ".pdf", printed}) {
            const QVector<QStringList> pages = PdfPageLines(file);
            QCOMPARE(pages.size(), 5);
            QCOMPARE(pages[0].mid(0, 3), QStringList({"HEADER 1", "COLUMNS", "Row 1"}));
            QCOMPARE(pages[4].last(), QString("SUMMARY"));
        }
    }

    void aReportWithoutRecordsShowsNoPages()
    {
        F.Setup(0);
        auto report = MakeLinesReport(F.Lines.get());
        WithPreview(*report, [&](TRPreview& preview) {
            QCOMPARE(preview.PageNo(), 0);
            QCOMPARE(Indicator(preview), QString("No pages"));
            for (const char* name : {"FirstButton", "NextButton", "LastButton", "PrintButton", "SaveButton"})
                QVERIFY(!Button(preview, name)->isEnabled());
            QVERIFY(Button(preview, "CloseButton")->isEnabled());
        });
        QCOMPARE(report->PageCount(), 0);
    }

    void closingPutsTheDatasetBack()
    {
        F.Setup(100);
        auto report = MakeLinesReport(F.Lines.get());
        F.Lines->Locate("No", 42);
        bool cancelled = false;
        report->BeforePrint = [&](TReport*, bool& go) { go = !cancelled; };
        WithPreview(*report, [&](TRPreview& preview) {
            QVERIFY(F.Lines->ControlsDisabled());
            preview.LastPage();
            // Escape closes the window, as Close does.
            preview.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&preview));
            QTest::keyClick(&preview, Qt::Key_Escape);
            QVERIFY(!preview.isVisible());
        });
        QVERIFY(!F.Lines->ControlsDisabled());
        QCOMPARE(F.Lines->FieldByName("No")->AsInteger(), 42);

        // A cancelled run shows nothing.
        cancelled = true;
        bool shown = false;
        TPreviewRunner previous = SetPreviewRunner([&](TRPreview&) { shown = true; });
        report->Preview();
        SetPreviewRunner(previous);
        QVERIFY(!shown);
        QCOMPARE(report->PageCount(), 0);
    }

    void aFaultWhileLayingOutIsShownOnce()
    {
        F.Setup(100);
        auto report = MakeLinesReport(F.Lines.get());
        // Totals are summed while laying out: the 60th record fails on the third page.
        AddExpr(FindBand(*report, "Summary"), "SUM(if(No = 60, Name + 1, Qty))", 60);
        WithPreview(*report, [&](TRPreview& preview) {
            Settle(preview);
            for (int i = 0; i < 20; ++i)
                QCoreApplication::processEvents();
            QCOMPARE(Unexpected->Requests.size(), size_t(1));
            QVERIFY(Unexpected->Requests[0].Text.contains("Name + 1"));
            QCOMPARE(Unexpected->Requests[0].Type, mtError);
            Unexpected->Requests.clear();
            // The pages before the fault still show.
            QCOMPARE(preview.PageCount(), 2);
            QCOMPARE(Indicator(preview), QString("Page 1 of 2+"));
            Click(preview, "NextButton");
            QCOMPARE(preview.PageNo(), 2);
        });
    }
};

QTEST_MAIN(TPreviewTest)
#include "preview_test.moc"
