// The customer list, latest last invoice first: one detail of two lines per customer
// of VornData's CustByLastInvQuery. VornData must exist when it is made; its elements
// bind to the query's fields by name.
#pragma once

#include "orderentry/report_parts.h"

#include "platform/reports/report.h"

class TCustomerByInvoiceReport : public TReport {
public:
    explicit TCustomerByInvoiceReport(QObject* Owner = nullptr);
    ~TCustomerByInvoiceReport() override;

    TRBand* PageHeaderBand1;
    TRLabel* QRLabel1;
    TRLabel* QRLabel2;
    TRLabel* QRLabel3;
    TRBand* ColumnHeaderBand1;
    TRLabel* QRLabel5;
    TRLabel* QRLabel7;
    TRLabel* QRLabel4;
    TRLabel* QRLabel6;
    TRLabel* QRLabel8;
    TRLabel* QRLabel9;
    TRBand* DetailBand1;
    TRDBText* QRDBText2;
    TRDBText* QRDBText3;
    TRDBText* QRDBText1;
    TRExpr* QRExpr1;
    TRDBText* QRDBText4;
    TRDBText* QRDBText5;

    // The last invoice's day in the short date format, without its time; a customer
    // never invoiced gets an empty cell, not the day-0 date.
    void QRDBText1Print(TRCustomLabel* Sender, QString& Value);

    // Opens the query (running it again when it was closed), runs the list to Output
    // and closes the query, whatever happened.
    void Produce(TReportOutput Output, const QString& PdfFile = QString());
};

extern TCustomerByInvoiceReport* CustomerByInvoiceReport;
