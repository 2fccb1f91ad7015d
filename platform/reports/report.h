// TReport: a banded report defined in code. It reads its dataset from the first record
// to the last through the dataset's paged cursor and draws page by page, so memory
// does not grow with the number of records; a dataset without records gives no pages.
// Every output (printer, PDF, preview) draws through the same page drawing. A run
// moves the dataset's cursor with the controls disabled and puts it back afterwards.
//
//   TReport report;
//   report.DataSet = orders;
//   auto* detail = new TRBand(&report, rbDetail);
//   auto* no = new TRDBText(detail);
//   no->DataField = "OrderNo";
//   report.ExportToPdf("orders.pdf");
#pragma once

#include "platform/reports/band.h"
#include "platform/reports/elements.h"

#include <QFont>
#include <QList>
#include <QMarginsF>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <functional>

class TDataSet;

class TReport : public QObject {
    Q_OBJECT

public:
    explicit TReport(QObject* Owner = nullptr);
    ~TReport() override;

    // What the standard function REPORTTITLE gives.
    QString ReportTitle;
    QPageSize PageSize{QPageSize::Letter};
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    // Millimetres: left, top, right, bottom.
    QMarginsF Margins{10, 10, 10, 10};
    // The base font of every element; bands and elements override parts of it.
    QFont Font{"Arial", 10};
    // The detail band prints once per record of it.
    TDataSet* DataSet = nullptr;
    // Extra datasets whose fields expressions name as Dataset.Field (by objectName()).
    QList<TDataSet*> AllDataSets;

    // Before each run, before anything is read or printed; clearing PrintReport
    // cancels the run: nothing prints and PageCount is 0.
    std::function<void(TReport* Sender, bool& PrintReport)> BeforePrint;

    // Page headers, column headers, details and summaries in the order made (child
    // bands are with their parents).
    const QList<TRBand*>& Bands() const { return FBands; }

    // Prints on the current printer (platform/widgets/printers.h). Throws Exception
    // when the printer cannot start; a run that fails part way aborts the print job.
    void Print();
    // Shows the report in the preview window (preview.h) and returns when it closes.
    void Preview();
    // Writes the report to a PDF file; the file is replaced only by a complete report,
    // and left alone when there are no pages. Throws EFCreateError when it cannot be
    // written.
    void ExportToPdf(const QString& FileName);
    // Pages of the last run; after a preview, the pages laid out when it closed.
    int PageCount() const { return FPageCount; }

private:
    friend class TRBand;
    // Asks BeforePrint; false when the run is cancelled.
    bool StartRun();
    QList<TRBand*> FBands;
    int FPageCount = 0;
};
