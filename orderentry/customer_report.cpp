#include "orderentry/customer_report.h"

#include "orderentry/DataMod.h"

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "platform/data/field.h"

#include <QScopeGuard>

#include <cmath>

TCustomerByInvoiceReport* CustomerByInvoiceReport = nullptr;

TCustomerByInvoiceReport::TCustomerByInvoiceReport(QObject* Owner)
    : TReport(Owner)
{
    if (!VornData)
        throw Exception("The data module must exist before the customer list");
    SetLetterPage(*this, 12.7);
    ReportTitle = QStringLiteral("Customer List");
    DataSet = VornData->CustByLastInvQuery;

    PageHeaderBand1 = NewBand(this, rbPageHeader, "PageHeaderBand1", 21.8, Qt::white);
    QRLabel1 = NewLabel(PageHeaderBand1, "QRLabel1", 0, 8.6, "V.O.R.N.");
    QRLabel1->Font = PointFont(36, true, true);
    QRLabel2 = NewLabel(PageHeaderBand1, "QRLabel2", 0, 2.3, "Customer List");
    QRLabel2->Font = PointFont(16, true);
    CentreInBand(QRLabel2);
    QRLabel3 = NewLabel(PageHeaderBand1, "QRLabel3", 0, 7.9, "By Last Invoice");
    QRLabel3->Font = PointFont(12);
    CentreInBand(QRLabel3);

    ColumnHeaderBand1 = NewBand(this, rbColumnHeader, "ColumnHeaderBand1", 11.6, QColor());
    SetHeadingLook(ColumnHeaderBand1);
    QRLabel5 = NewLabel(ColumnHeaderBand1, "QRLabel5", 27.1, 0.3, "Customer");
    QRLabel7 = NewLabel(ColumnHeaderBand1, "QRLabel7", 127.7, 0.3, "Phone");
    QRLabel4 = NewLabel(ColumnHeaderBand1, "QRLabel4", 1.7, 5.3, "Last Invoice");
    QRLabel6 = NewLabel(ColumnHeaderBand1, "QRLabel6", 27.1, 5.3, "Address");
    QRLabel8 = NewLabel(ColumnHeaderBand1, "QRLabel8", 127.7, 5.3, "FAX");
    QRLabel9 = NewLabel(ColumnHeaderBand1, "QRLabel9", 163.0, 5.3, "Customer No.");

    DetailBand1 = NewBand(this, rbDetail, "DetailBand1", 11.6, Qt::white);
    DetailBand1->Font = PointFont(10);
    QRDBText2 = NewDBText(DetailBand1, "QRDBText2", 27.1, 1.0, "Company");
    QRDBText2->Font = PointFont(12, true);
    QRDBText3 = NewDBText(DetailBand1, "QRDBText3", 127.7, 1.7, "Phone");
    QRDBText1 = NewDBText(DetailBand1, "QRDBText1", 2.0, 6.6, "LastInvoiceDate");
    SetWidth(QRDBText1, 22.8, taCenter);
    QRDBText1->OnPrint = [this](TRCustomLabel* Sender, QString& Value) { QRDBText1Print(Sender, Value); };
    QRExpr1 = NewExpr(DetailBand1, "QRExpr1", 27.1, 6.6,
                      "Addr1 + if(Addr2 <> '',' ' + Addr2, '') + if(City <> '',', ' + City, '')");
    QRDBText4 = NewDBText(DetailBand1, "QRDBText4", 127.7, 6.6, "FAX");
    // Right-aligned on the right edge of its designed text ("CustNo", 10 point), under
    // the end of its heading.
    QRDBText5 = NewDBText(DetailBand1, "QRDBText5", 174.3, 6.6, "CustNo");
    SetWidth(QRDBText5, 11.5, taRightJustify);
}

TCustomerByInvoiceReport::~TCustomerByInvoiceReport()
{
    if (CustomerByInvoiceReport == this)
        CustomerByInvoiceReport = nullptr;
}

void TCustomerByInvoiceReport::QRDBText1Print(TRCustomLabel*, QString& Value)
{
    const TField* field = VornData->CustByLastInvQueryLastInvoiceDate;
    // Day 0 is what an empty date reads as: nobody was invoiced on 30 December 1899.
    const TDateTime day = std::floor(field->AsDateTime());
    Value = field->IsNull() || day == 0
                ? QString()
                : FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), day);
}

void TCustomerByInvoiceReport::Produce(TReportOutput Output, const QString& PdfFile)
{
    TQuery* query = VornData->CustByLastInvQuery;
    const auto closeQuery = qScopeGuard([query] { query->Close(); });
    query->Open();
    RunReport(*this, Output, PdfFile);
}
