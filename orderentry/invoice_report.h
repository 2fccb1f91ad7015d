// The invoice of the current order of VornData's Orders: its lines (Items, which
// follows Orders) as details, the order under a "Send To" block, and a summary of the
// lines' total, freight and their sum, without tax. VornData must exist when it is made.
#pragma once

#include "orderentry/report_parts.h"

class TInvoiceByOrderNoReport : public TReport {
public:
    explicit TInvoiceByOrderNoReport(QObject* Owner = nullptr);
    ~TInvoiceByOrderNoReport() override;

    TRBand* PageHeaderBand1;
    TRLabel* QRLabel1;
    TRLabel* QRLabel2;
    TRShape* QRShape1;
    TRLabel* QRLabel3;
    TRDBText* QRDBText2;
    TRExpr* QRExpr2;
    TRExpr* QRExpr3;
    TRDBText* QRDBText4;
    TRBand* ChildBand1;
    TRLabel* QRLabel10;
    TRLabel* QRLabel11;
    TRLabel* QRLabel12;
    TRLabel* QRLabel13;
    TRLabel* QRLabel14;
    TRLabel* QRLabel15;
    TRBand* ChildBand2;
    TRDBText* QRDBText5;
    TRDBText* QRDBText6;
    TRDBText* QRDBText7;
    TRDBText* QRDBText8;
    TRDBText* QRDBText9;
    TRDBText* QRDBText10;
    TRBand* ColumnHeaderBand1;
    TRLabel* QRLabel16;
    TRLabel* QRLabel17;
    TRLabel* QRLabel18;
    TRLabel* QRLabel19;
    TRLabel* QRLabel20;
    TRLabel* QRLabel21;
    TRBand* DetailBand1;
    TRDBText* QRDBText16;
    TRDBText* QRDBText17;
    TRDBText* QRDBText18;
    TRDBText* QRDBText19;
    TRDBText* QRDBText20;
    TRDBText* QRDBText21;
    TRBand* SummaryBand1;
    TRLabel* QRLabel5;
    TRExpr* QRExpr1;
    TRLabel* QRLabel6;
    TRDBText* QRDBText15;
    TRShape* QRShape2;
    TRLabel* QRLabel9;
    TRExpr* QRExpr5;

    // Before each run: Cust and Orders join the datasets the expressions name, and
    // Cust moves to the customer of the current order, so the invoice is always
    // addressed to the customer who placed it (whichever customer was current before;
    // Cust stays there, as it does after the order was posted). An order whose
    // customer does not exist raises EDatabaseError and nothing prints.
    void InvoiceByOrderNoReportBeforePrint(TReport* Sender, bool& PrintReport);

    // Runs the invoice of the current order to Output.
    void Produce(TReportOutput Output, const QString& PdfFile = QString());
};

extern TInvoiceByOrderNoReport* InvoiceByOrderNoReport;
