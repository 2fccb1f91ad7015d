#include "orderentry/orders_report.h"

#include "orderentry/DataMod.h"

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "platform/data/field.h"

#include <QScopeGuard>

#include <cmath>

TOrdersByDateReport* OrdersByDateReport = nullptr;

TOrdersByDateReport::TOrdersByDateReport(QObject* Owner)
    : TReport(Owner)
{
    if (!VornData)
        throw Exception("The data module must exist before the order history");
    SetLetterPage(*this, 10);
    ReportTitle = QStringLiteral("Order History");
    DataSet = VornData->OrdersByDateQuery;

    PageHeaderBand1 = NewBand(this, rbPageHeader, "PageHeaderBand1", 23.5, Qt::white);
    QRLabel1 = NewLabel(PageHeaderBand1, "QRLabel1", 0, 9.8, "V.O.R.N.");
    QRLabel1->Font = PointFont(36, true, true);
    QRLabel2 = NewLabel(PageHeaderBand1, "QRLabel2", 0, 1.3, "Order History");
    QRLabel2->Font = PointFont(16, true);
    CentreInBand(QRLabel2);
    QRLabel3 = NewLabel(PageHeaderBand1, "QRLabel3", 0, 6.9, "By Date");
    QRLabel3->Font = PointFont(12);
    CentreInBand(QRLabel3);
    FromToHeading = NewLabel(PageHeaderBand1, "FromToHeading", 0, 11.6, "FromToHeadingLabel");
    FromToHeading->Font = PointFont(10);
    CentreInBand(FromToHeading);

    ColumnHeaderBand1 = NewBand(this, rbColumnHeader, "ColumnHeaderBand1", 11.6, QColor());
    SetHeadingLook(ColumnHeaderBand1);
    QRLabel4 = NewLabel(ColumnHeaderBand1, "QRLabel4", 1.6, 0.3, "Order Date");
    QRLabel5 = NewLabel(ColumnHeaderBand1, "QRLabel5", 24.6, 0.5, "Customer");
    QRLabel6 = NewLabel(ColumnHeaderBand1, "QRLabel6", 1.6, 5.3, "Order No.");
    QRLabel7 = NewLabel(ColumnHeaderBand1, "QRLabel7", 24.6, 5.3, "Customer No.");
    QRLabel8 = NewLabel(ColumnHeaderBand1, "QRLabel8", 96.6, 5.3, "Ship Date");
    QRLabel9 = NewLabel(ColumnHeaderBand1, "QRLabel9", 117.7, 5.3, "Ship VIA");
    QRLabel10 = NewLabel(ColumnHeaderBand1, "QRLabel10", 136.8, 5.3, "Terms");
    QRLabel11 = NewLabel(ColumnHeaderBand1, "QRLabel11", 153.5, 5.3, "Pay Meth.");
    QRLabel12 = NewLabel(ColumnHeaderBand1, "QRLabel12", 173.6, 5.3, "Items Total");

    DetailBand1 = NewBand(this, rbDetail, "DetailBand1", 11.6, Qt::white);
    DetailBand1->Font = PointFont(10);
    QRDBText1 = NewDBText(DetailBand1, "QRDBText1", 2.1, 1.9, "SaleDate");
    SetWidth(QRDBText1, 20.1, taRightJustify);
    QRDBText2 = NewDBText(DetailBand1, "QRDBText2", 24.9, 0.8, "Company");
    QRDBText2->Font = PointFont(12, true);
    QRDBText3 = NewDBText(DetailBand1, "QRDBText3", 2.1, 6.3, "OrderNo");
    SetWidth(QRDBText3, 20.1, taRightJustify);
    QRDBText4 = NewDBText(DetailBand1, "QRDBText4", 24.9, 6.3, "CustNo");
    QRDBText5 = NewDBText(DetailBand1, "QRDBText5", 99.0, 6.3, "ShipDate");
    SetWidth(QRDBText5, 16.1, taRightJustify);
    QRDBText6 = NewDBText(DetailBand1, "QRDBText6", 117.7, 6.3, "ShipVIA");
    SetWidth(QRDBText6, 15.9, taLeftJustify);
    QRDBText7 = NewDBText(DetailBand1, "QRDBText7", 136.8, 6.3, "Terms");
    QRDBText8 = NewDBText(DetailBand1, "QRDBText8", 153.5, 6.3, "PaymentMethod");
    SetWidth(QRDBText8, 19.1, taLeftJustify);
    QRDBText9 = NewDBText(DetailBand1, "QRDBText9", 176.2, 6.3, "ItemsTotal");
    SetWidth(QRDBText9, 17.7, taRightJustify);
}

TOrdersByDateReport::~TOrdersByDateReport()
{
    if (OrdersByDateReport == this)
        OrdersByDateReport = nullptr;
}

void TOrdersByDateReport::Produce(TDateTime FromDate, TDateTime ToDate, TReportOutput Output, const QString& PdfFile)
{
    TQuery* query = VornData->OrdersByDateQuery;
    const auto closeQuery = qScopeGuard([query] { query->Close(); });
    query->Close();
    const TDateTime fromDay = std::floor(FromDate), toDay = std::floor(ToDate);
    query->ParamByName("FromDate")->SetAsDateTime(fromDay);
    // Up to the last moment of the to-date, so that its orders are in even when they
    // carry a time of day.
    query->ParamByName("ToDate")->SetAsDateTime(toDay + EncodeTime(23, 59, 59, 999));
    query->Open();
    const QString shortDate = QString::fromStdString(FormatSettings.ShortDateFormat);
    FromToHeading->Caption =
        QString("From '%1' To '%2'").arg(FormatDateTime(shortDate, fromDay), FormatDateTime(shortDate, toDay));
    RunReport(*this, Output, PdfFile);
}
