// Vornapp's batch use: one report written to a PDF file, without any window.
//   Vornapp --report customers --pdf FILE
//   Vornapp --report orders [--from DATE] [--to DATE] --pdf FILE
//   Vornapp --report invoice --order N --pdf FILE
// Dates are YYYY-MM-DD or in the user's short date format; an absent range end is what
// the date-range dialog offers (1 January 1995, today). What must stay true: a run
// never asks anything (no window, no message box), every failure is one clear line on
// the error output with a non-zero exit, and a run without pages writes no file.
#pragma once

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"

#include <QString>
#include <QStringList>

class QTextStream;

// Arguments that do not make a valid batch run; the message says which and why.
class EReportArguments : public Exception {
public:
    using Exception::Exception;
};

enum TBatchReport { brCustomers, brOrders, brInvoice };

struct TReportBatchArgs {
    TBatchReport Report = brCustomers;
    // The order history's range (brOrders).
    TDateTime FromDate = 0;
    TDateTime ToDate = 0;
    // The invoiced order (brInvoice).
    double OrderNo = 0;
    QString PdfFile;
};

// True when the arguments (without the program's name) ask for a batch report: any of
// the batch options is among them. Other arguments alone start the program as usual.
bool IsReportBatch(const QStringList& Arguments);

// Reads the arguments (without the program's name); throws EReportArguments.
TReportBatchArgs ParseReportArguments(const QStringList& Arguments);

// The usage lines shown with an argument error.
QString ReportBatchUsage();

// Parses, opens the data as the program does at its start, writes the report and
// closes everything again. Returns the exit code: 0 written, 2 bad arguments, 1 any
// other failure (data, no pages, the file); says why on Errors.
int RunReportBatch(const QStringList& Arguments, QTextStream& Errors);
