// Texts and shapes drawing themselves on a band. A text is one line: its top is at Top,
// its baseline one ascent below; only the alignment needs the text's width.
#include "platform/reports/elements.h"

#include "platform/data/dataset.h"
#include "platform/reports/band.h"
#include "platform/reports/expression.h"
#include "platform/reports/page_drawer.h"
#include "platform/reports/report.h"

#include <QFontMetricsF>
#include <QPainter>

TRElement::TRElement(TRBand* Band)
    : QObject(Band), FBand(Band)
{
    Band->FElements.append(this);
}

TRElement::~TRElement()
{
    FBand->FElements.removeOne(this);
}

void TRElement::Prepare(const TRPrintContext&) {}

// Measuring a font for a device is dear; a long report prints each text many times.
struct TRCustomLabel::TLook {
    QFont Base, Own;
    int DpiX = 0, DpiY = 0;
    QFont Font;
    QFontMetricsF Metrics{QFont()};
};

TRCustomLabel::TRCustomLabel(TRBand* Band)
    : TRElement(Band)
{
}

TRCustomLabel::~TRCustomLabel() = default;

void TRCustomLabel::Print(TRPrintContext& Context)
{
    QString value = Text(Context);
    if (OnPrint)
        OnPrint(this, value);
    QPainter& painter = *Context.Painter;
    QPaintDevice* device = painter.device();
    if (!FLook)
        FLook = std::make_unique<TLook>();
    TLook& look = *FLook;
    if (look.DpiX != device->logicalDpiX() || look.DpiY != device->logicalDpiY() || !(look.Base == Context.Font)
        || !(look.Own == Font)) {
        look.Base = Context.Font;
        look.Own = Font;
        look.DpiX = device->logicalDpiX();
        look.DpiY = device->logicalDpiY();
        look.Font = Font.resolve(Context.Font);
        // Fully specified: a painter fills what a font leaves unset from the device's.
        look.Font.setResolveMask(QFont::AllPropertiesResolved);
        look.Metrics = QFontMetricsF(look.Font, device);
        if (Context.PainterFont == &look.Font)
            Context.PainterFont = nullptr;
    }
    if (Context.PainterFont != &look.Font) {
        painter.setFont(look.Font);
        Context.PainterFont = &look.Font;
    }
    const QColor& color = FontColor.isValid() ? FontColor : Context.FontColor;
    if (color != Context.PainterPen) {
        painter.setPen(color);
        Context.PainterPen = color;
    }
    const QFontMetricsF& metrics = look.Metrics;

    const QRectF& band = Context.BandRect;
    const double left = AlignToBand ? band.left() : band.left() + Context.Dots(Left);
    const double width = AlignToBand ? band.width() : Context.Dots(Width);
    const double top = band.top() + Context.Dots(Top);
    double x = left;
    double textWidth = 0;
    if (width > 0 && Alignment != taLeftJustify) {
        textWidth = metrics.horizontalAdvance(value);
        x = Alignment == taRightJustify ? left + width - textWidth : left + (width - textWidth) / 2;
    }
    if (Color.isValid()) {
        if (width <= 0)
            textWidth = metrics.horizontalAdvance(value);
        const double height = Height > 0 ? Context.Dots(Height) : metrics.height();
        painter.fillRect(width > 0 ? QRectF(left, top, width, height) : QRectF(x, top, textWidth, height), Color);
    }
    painter.drawText(QPointF(x, top + metrics.ascent()), value);
}

QString TRLabel::Text(const TRPrintContext&) const
{
    return Caption;
}

void TRDBText::Prepare(const TRPrintContext& Context)
{
    TDataSet* dataSet = DataSet ? DataSet : Context.Report->DataSet;
    FField = dataSet->FieldByName(DataField);
}

QString TRDBText::Text(const TRPrintContext&) const
{
    return FField->DisplayText();
}

TRExpr::TRExpr(TRBand* Band)
    : TRCustomLabel(Band)
{
}

TRExpr::~TRExpr() = default;

void TRExpr::Prepare(const TRPrintContext&)
{
    FParsed = std::make_unique<TReportExpression>(Expression);
}

QString TRExpr::Text(const TRPrintContext& Context) const
{
    return TReportExpression::AsText(FParsed->Evaluate(Context.Scope));
}

void TRShape::Print(TRPrintContext& Context)
{
    QPainter& painter = *Context.Painter;
    const QRectF& band = Context.BandRect;
    const QRectF r(band.left() + Context.Dots(Left), band.top() + Context.Dots(Top), Context.Dots(Width),
                   Context.Dots(Height));
    const QPen pen(PenColor, Context.Dots(PenWidth));
    Context.PainterPen = QColor(); // the pen is the shape's now
    switch (Shape) {
    case rsRectangle:
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
        break;
    case rsFilledRectangle:
        painter.fillRect(r, Color);
        break;
    case rsHorizontalLine:
        painter.setPen(pen);
        painter.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        break;
    }
}
