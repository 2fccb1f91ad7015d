#include "platform/datacontrols/panels.h"

#include <QPainter>
#include <qdrawutil.h>

TPanel::TPanel(QWidget* Parent)
    : QWidget(Parent)
    , FFont(new TFont(this))
{
    UpdateMargins();
}

void TPanel::SetCaption(const QString& Value)
{
    FCaption = Value;
    update();
}

void TPanel::SetBevelOuter(TBevelCut Value)
{
    FBevelOuter = Value;
    UpdateMargins();
}

void TPanel::SetBevelInner(TBevelCut Value)
{
    FBevelInner = Value;
    UpdateMargins();
}

void TPanel::SetBevelWidth(int Value)
{
    FBevelWidth = qMax(1, Value);
    UpdateMargins();
}

void TPanel::SetBorderWidth(int Value)
{
    FBorderWidth = qMax(0, Value);
    UpdateMargins();
}

void TPanel::UpdateMargins()
{
    int margin = FBorderWidth;
    if (FBevelOuter != bvNone)
        margin += FBevelWidth;
    if (FBevelInner != bvNone)
        margin += FBevelWidth;
    setContentsMargins(margin, margin, margin, margin);
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect area = rect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        qDrawShadePanel(&painter, area, palette(), cut == bvLowered, FBevelWidth);
        area.adjust(FBevelWidth, FBevelWidth, -FBevelWidth, -FBevelWidth);
    };
    bevel(FBevelOuter);
    area.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    bevel(FBevelInner);
    if (!FCaption.isEmpty()) {
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(area, Qt::AlignCenter | Qt::TextShowMnemonic, FCaption);
    }
}

TGroupBox::TGroupBox(QWidget* Parent)
    : QGroupBox(Parent)
    , FFont(new TFont(this))
{
}

TBevel::TBevel(QWidget* Parent)
    : QWidget(Parent)
{
    // Nothing to click: a bevel drawn over controls must not take their mouse.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TBevel::SetShape(TBevelShape Value)
{
    FShape = Value;
    update();
}

void TBevel::SetStyle(TBevelStyle Value)
{
    FStyle = Value;
    update();
}

void TBevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    // A lowered edge is dark where the light falls on it, a raised one light.
    const QColor first = FStyle == bsLowered ? dark : light;
    const QColor second = FStyle == bsLowered ? light : dark;
    const int right = width() - 1;
    const int bottom = height() - 1;
    auto frame = [&](QRect box, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
    };
    auto line = [&](QPoint from, QPoint to, QPoint step) {
        painter.setPen(first);
        painter.drawLine(from, to);
        painter.setPen(second);
        painter.drawLine(from + step, to + step);
    };
    switch (FShape) {
    case bsBox:
        frame(rect(), first, second);
        break;
    case bsFrame:
        // An etched frame: a box in the first colour over one in the second, a pixel lower right.
        frame(QRect(1, 1, width() - 1, height() - 1), second, second);
        frame(QRect(0, 0, width() - 1, height() - 1), first, first);
        break;
    case bsTopLine:
        line({0, 0}, {right, 0}, {0, 1});
        break;
    case bsBottomLine:
        line({0, bottom - 1}, {right, bottom - 1}, {0, 1});
        break;
    case bsLeftLine:
        line({0, 0}, {0, bottom}, {1, 0});
        break;
    case bsRightLine:
        line({right - 1, 0}, {right - 1, bottom}, {1, 0});
        break;
    case bsSpacer:
        break;
    }
}
