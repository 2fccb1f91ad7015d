#include "orderentry/report_parts.h"

void RunReport(TReport& Report, TReportOutput Output, const QString& PdfFile)
{
    switch (Output) {
    case roPrint: Report.Print(); break;
    case roPreview: Report.Preview(); break;
    case roPdf: Report.ExportToPdf(PdfFile); break;
    }
}

void SetLetterPage(TReport& Report, double MarginMm)
{
    Report.PageSize = QPageSize(QPageSize::Letter);
    Report.Orientation = QPageLayout::Portrait;
    Report.Margins = QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm);
    Report.Font = QFont(QStringLiteral("Arial"), 10);
}

QFont PointFont(int PointSize, bool Bold, bool Italic)
{
    QFont font;
    font.setPointSize(PointSize);
    if (Bold)
        font.setBold(true);
    if (Italic)
        font.setItalic(true);
    return font;
}

TRBand* NewBand(TReport* Report, TRBandType Type, const QString& Name, double Height, const QColor& Color)
{
    auto* band = new TRBand(Report, Type);
    band->setObjectName(Name);
    band->Height = Height;
    band->Color = Color;
    return band;
}

TRBand* NewChildBand(TRBand* Parent, const QString& Name, double Height, const QColor& Color)
{
    auto* band = new TRBand(Parent);
    band->setObjectName(Name);
    band->Height = Height;
    band->Color = Color;
    return band;
}

void SetHeadingLook(TRBand* Band)
{
    Band->Color = Qt::blue;
    Band->Font = PointFont(11, true);
    Band->FontColor = Qt::white;
}

namespace {

template <typename T>
T* Place(T* Text, const QString& Name, double Left, double Top)
{
    Text->setObjectName(Name);
    Text->Left = Left;
    Text->Top = Top;
    return Text;
}

} // namespace

TRLabel* NewLabel(TRBand* Band, const QString& Name, double Left, double Top, const QString& Caption)
{
    auto* label = Place(new TRLabel(Band), Name, Left, Top);
    label->Caption = Caption;
    return label;
}

TRDBText* NewDBText(TRBand* Band, const QString& Name, double Left, double Top, const QString& Field,
                    TDataSet* DataSet)
{
    auto* text = Place(new TRDBText(Band), Name, Left, Top);
    text->DataSet = DataSet;
    text->DataField = Field;
    return text;
}

TRExpr* NewExpr(TRBand* Band, const QString& Name, double Left, double Top, const QString& Expression)
{
    auto* expr = Place(new TRExpr(Band), Name, Left, Top);
    expr->Expression = Expression;
    return expr;
}

void SetWidth(TRCustomLabel* Text, double Width, TAlignment Alignment)
{
    Text->Width = Width;
    Text->Alignment = Alignment;
}

void CentreInBand(TRCustomLabel* Text)
{
    Text->AlignToBand = true;
    Text->Alignment = taCenter;
}
