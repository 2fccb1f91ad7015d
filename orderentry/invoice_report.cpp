#include "orderentry/invoice_report.h"

#include "orderentry/DataMod.h"

#include "platform/core/exceptions.h"
#include "platform/data/field.h"

TInvoiceByOrderNoReport* InvoiceByOrderNoReport = nullptr;

TInvoiceByOrderNoReport::TInvoiceByOrderNoReport(QObject* Owner)
    : TReport(Owner)
{
    if (!VornData)
        throw Exception("The data module must exist before the invoice");
    SetLetterPage(*this, 10);
    ReportTitle = QStringLiteral("Invoice");
    DataSet = VornData->Items;
    TTable* cust = VornData->Cust;
    TTable* orders = VornData->Orders;
    BeforePrint = [this](TReport* Sender, bool& PrintReport) { InvoiceByOrderNoReportBeforePrint(Sender, PrintReport); };

    PageHeaderBand1 = NewBand(this, rbPageHeader, "PageHeaderBand1", 49.9, Qt::white);
    QRLabel1 = NewLabel(PageHeaderBand1, "QRLabel1", 0, 6.3, "V.O.R.N.");
    QRLabel1->Font = PointFont(36, true, true);
    QRLabel2 = NewLabel(PageHeaderBand1, "QRLabel2", 0, 1.3, "Invoice");
    QRLabel2->Font = PointFont(18, true);
    CentreInBand(QRLabel2);
    QRShape1 = new TRShape(PageHeaderBand1);
    QRShape1->setObjectName("QRShape1");
    QRShape1->Shape = rsFilledRectangle;
    QRShape1->Color = Qt::blue;
    QRShape1->Left = 0.3;
    QRShape1->Top = 21.2;
    QRShape1->Width = 75.4;
    QRShape1->Height = 6.9;
    QRLabel3 = NewLabel(PageHeaderBand1, "QRLabel3", 3.6, 22.2, "Send To:");
    QRLabel3->Font = PointFont(11, true);
    QRLabel3->FontColor = Qt::white;
    QRDBText2 = NewDBText(PageHeaderBand1, "QRDBText2", 4.0, 29.1, "Company", cust);
    QRDBText2->Font = PointFont(10);
    QRExpr2 = NewExpr(PageHeaderBand1, "QRExpr2", 4.0, 34.1, "Cust.Addr1 + ' ' + Cust.Addr2");
    QRExpr3 = NewExpr(PageHeaderBand1, "QRExpr3", 4.0, 39.0, "Cust.City + ', ' + Cust.State + ' ' + Cust.Zip");
    QRDBText4 = NewDBText(PageHeaderBand1, "QRDBText4", 4.0, 44.0, "Country", cust);

    ChildBand1 = NewChildBand(PageHeaderBand1, "ChildBand1", 6.9, QColor());
    SetHeadingLook(ChildBand1);
    QRLabel10 = NewLabel(ChildBand1, "QRLabel10", 1.7, 1.0, "Order No.");
    QRLabel11 = NewLabel(ChildBand1, "QRLabel11", 24.8, 1.0, "Cust. No.");
    QRLabel12 = NewLabel(ChildBand1, "QRLabel12", 45.0, 1.0, "Sales Person");
    QRLabel13 = NewLabel(ChildBand1, "QRLabel13", 91.3, 1.0, "Sale Date");
    QRLabel14 = NewLabel(ChildBand1, "QRLabel14", 117.7, 1.0, "Ship Date");
    QRLabel15 = NewLabel(ChildBand1, "QRLabel15", 144.5, 1.0, "Ship VIA");

    ChildBand2 = NewChildBand(ChildBand1, "ChildBand2", 6.9, Qt::white);
    ChildBand2->Font = PointFont(10);
    QRDBText5 = NewDBText(ChildBand2, "QRDBText5", 1.8, 1.3, "OrderNo", orders);
    SetWidth(QRDBText5, 17.6, taRightJustify);
    QRDBText6 = NewDBText(ChildBand2, "QRDBText6", 24.7, 1.3, "CustNo", orders);
    SetWidth(QRDBText6, 16.3, taRightJustify);
    QRDBText7 = NewDBText(ChildBand2, "QRDBText7", 46.0, 1.3, "SalesPerson", orders);
    QRDBText8 = NewDBText(ChildBand2, "QRDBText8", 91.3, 1.3, "SaleDate", orders);
    QRDBText9 = NewDBText(ChildBand2, "QRDBText9", 117.7, 1.3, "ShipDate", orders);
    SetWidth(QRDBText9, 14.1, taCenter);
    QRDBText10 = NewDBText(ChildBand2, "QRDBText10", 144.6, 1.3, "ShipVIA", orders);
    SetWidth(QRDBText10, 12.3, taLeftJustify);

    ColumnHeaderBand1 = NewBand(this, rbColumnHeader, "ColumnHeaderBand1", 6.9, QColor());
    SetHeadingLook(ColumnHeaderBand1);
    QRLabel16 = NewLabel(ColumnHeaderBand1, "QRLabel16", 1.7, 1.0, "Part No.");
    QRLabel17 = NewLabel(ColumnHeaderBand1, "QRLabel17", 24.8, 1.0, "Description");
    QRLabel18 = NewLabel(ColumnHeaderBand1, "QRLabel18", 91.3, 1.0, "Quanity");
    QRLabel19 = NewLabel(ColumnHeaderBand1, "QRLabel19", 117.7, 1.0, "List Price");
    QRLabel20 = NewLabel(ColumnHeaderBand1, "QRLabel20", 144.5, 1.0, "Discount");
    QRLabel21 = NewLabel(ColumnHeaderBand1, "QRLabel21", 166.7, 1.0, "Extended Price");

    DetailBand1 = NewBand(this, rbDetail, "DetailBand1", 6.9, Qt::white);
    DetailBand1->Font = PointFont(10);
    QRDBText16 = NewDBText(DetailBand1, "QRDBText16", 1.3, 1.3, "PartNo");
    SetWidth(QRDBText16, 15.9, taRightJustify);
    QRDBText17 = NewDBText(DetailBand1, "QRDBText17", 24.8, 1.3, "Description");
    QRDBText18 = NewDBText(DetailBand1, "QRDBText18", 88.6, 1.3, "Qty");
    SetWidth(QRDBText18, 16.2, taRightJustify);
    QRDBText19 = NewDBText(DetailBand1, "QRDBText19", 119.5, 1.3, "SellPrice");
    SetWidth(QRDBText19, 15.9, taRightJustify);
    QRDBText20 = NewDBText(DetailBand1, "QRDBText20", 147.2, 1.3, "Discount");
    SetWidth(QRDBText20, 13.9, taRightJustify);
    QRDBText21 = NewDBText(DetailBand1, "QRDBText21", 168.5, 1.3, "ExtPrice");
    SetWidth(QRDBText21, 26.0, taRightJustify);

    SummaryBand1 = NewBand(this, rbSummary, "SummaryBand1", 21.5, Qt::white);
    SummaryBand1->Font = PointFont(10);
    QRLabel5 = NewLabel(SummaryBand1, "QRLabel5", 139.2, 1.7, "Sub Total");
    QRLabel5->Alignment = taRightJustify;
    QRExpr1 = NewExpr(SummaryBand1, "QRExpr1", 157.8, 1.7, "FormatNumeric('$##,###,###.00', SUM(Items.ExtPrice))");
    SetWidth(QRExpr1, 36.7, taRightJustify);
    QRLabel6 = NewLabel(SummaryBand1, "QRLabel6", 143.2, 6.3, "Freight");
    QRLabel6->Alignment = taRightJustify;
    QRDBText15 = NewDBText(SummaryBand1, "QRDBText15", 157.8, 6.6, "Freight", orders);
    SetWidth(QRDBText15, 36.7, taRightJustify);
    QRShape2 = new TRShape(SummaryBand1);
    QRShape2->setObjectName("QRShape2");
    QRShape2->Shape = rsHorizontalLine;
    QRShape2->Left = 161.1;
    QRShape2->Top = 10.3;
    QRShape2->Width = 34.1;
    QRShape2->Height = 1.0;
    QRLabel9 = NewLabel(SummaryBand1, "QRLabel9", 146.8, 13.2, "Total");
    QRLabel9->Alignment = taRightJustify;
    QRExpr5 = NewExpr(SummaryBand1, "QRExpr5", 157.8, 13.2,
                      "FormatNumeric('$##,###,###.00', SUM(Items.ExtPrice) + Orders.Freight)");
    SetWidth(QRExpr5, 36.7, taRightJustify);
}

TInvoiceByOrderNoReport::~TInvoiceByOrderNoReport()
{
    if (InvoiceByOrderNoReport == this)
        InvoiceByOrderNoReport = nullptr;
}

void TInvoiceByOrderNoReport::InvoiceByOrderNoReportBeforePrint(TReport*, bool& PrintReport)
{
    for (TDataSet* dataSet : {static_cast<TDataSet*>(VornData->Cust), static_cast<TDataSet*>(VornData->Orders)})
        if (!AllDataSets.contains(dataSet))
            AllDataSets.append(dataSet);

    TTable* orders = VornData->Orders;
    TTable* cust = VornData->Cust;
    // Without a current order there are no lines to invoice: no pages.
    if (!orders->Active() || orders->IsEmpty()) {
        PrintReport = false;
        return;
    }
    cust->Open();
    const QVariant custNo = VornData->OrdersCustNo->Value();
    if (custNo.isNull() || !cust->Locate("CustNo", custNo))
        throw EDatabaseError(QString("Customer %1 of order %2 does not exist")
                                 .arg(VornData->OrdersCustNo->AsString(), VornData->OrdersOrderNo->AsString())
                                 .toStdString());
}

void TInvoiceByOrderNoReport::Produce(TReportOutput Output, const QString& PdfFile)
{
    RunReport(*this, Output, PdfFile);
}
