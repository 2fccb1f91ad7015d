// The order history: one detail of two lines per order of VornData's
// OrdersByDateQuery, by sale date, under a heading naming the range. VornData must
// exist when it is made; its elements bind to the query's fields by name.
#pragma once

#include "orderentry/report_parts.h"

#include "platform/core/datetime.h"

class TOrdersByDateReport : public TReport {
public:
    explicit TOrdersByDateReport(QObject* Owner = nullptr);
    ~TOrdersByDateReport() override;

    TRBand* PageHeaderBand1;
    TRLabel* QRLabel1;
    TRLabel* QRLabel2;
    TRLabel* QRLabel3;
    TRLabel* FromToHeading;
    TRBand* ColumnHeaderBand1;
    TRLabel* QRLabel4;
    TRLabel* QRLabel5;
    TRLabel* QRLabel6;
    TRLabel* QRLabel7;
    TRLabel* QRLabel8;
    TRLabel* QRLabel9;
    TRLabel* QRLabel10;
    TRLabel* QRLabel11;
    TRLabel* QRLabel12;
    TRBand* DetailBand1;
    TRDBText* QRDBText1;
    TRDBText* QRDBText2;
    TRDBText* QRDBText3;
    TRDBText* QRDBText4;
    TRDBText* QRDBText5;
    TRDBText* QRDBText6;
    TRDBText* QRDBText7;
    TRDBText* QRDBText8;
    TRDBText* QRDBText9;

    // Runs the query for the sale dates FromDate to ToDate (both days whole, whatever
    // time they carry), names the range in FromToHeading, runs the history to Output
    // and closes the query, whatever happened.
    void Produce(TDateTime FromDate, TDateTime ToDate, TReportOutput Output, const QString& PdfFile = QString());
};

extern TOrdersByDateReport* OrdersByDateReport;
