// The only painting the row editors do: value cells, drop-down items and the
// check-box glyph of boolean rows, drawn with QPainter and the application style.
#include "xsdins.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>

QColor ColorToQColor(TColor Color)
{
    if ((Color & 0xFF000000) == 0xFF000000) {
        // A system colour: the low byte is the platform's colour index.
        const QPalette Palette = QApplication::palette();
        switch (Color & 0xFF) {
        case 5: return Palette.color(QPalette::Base);
        case 8: return Palette.color(QPalette::WindowText);
        case 13: return Palette.color(QPalette::Highlight);
        case 14: return Palette.color(QPalette::HighlightedText);
        case 16: return Palette.color(QPalette::Dark);
        default: return Palette.color(QPalette::Button);
        }
    }
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

namespace {

void DrawClippedText(QPainter* Canvas, const QRect& Rect, const std::string& Text)
{
    Canvas->save();
    Canvas->setClipRect(Rect, Qt::IntersectClip);
    Canvas->fillRect(Rect, Canvas->brush());
    const QRect TextRect(Rect.left() + 1, Rect.top() + 1, std::max(Rect.width() - 1, 0), std::max(Rect.height() - 1, 0));
    Canvas->drawText(TextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QString::fromLocal8Bit(Text.c_str()));
    Canvas->restore();
}

void DrawBooleanCell(QPainter* Canvas, const QRect& Rect, bool Ticked, bool Down)
{
    Canvas->fillRect(Rect, Canvas->brush());
    DrawCheck(Canvas, QRect(Rect.left(), Rect.top(), 20, Rect.height()), Ticked ? 1 : 0, true, true, Down, true);
}

} // namespace

void DrawCheck(QPainter* DC, const QRect& Rect, int State, bool Enabled, bool Flat, bool Down, bool FaceFrame)
{
    QRect Box = Rect;
    if (Rect.width() > Rect.height()) {
        Box.setLeft(Rect.left() + (Rect.width() - Rect.height()) / 2);
        Box.setWidth(Rect.height());
    } else if (Rect.height() > Rect.width()) {
        Box.setTop(Rect.top() + (Rect.height() - Rect.width()) / 2);
        Box.setHeight(Rect.width());
    }

    QStyleOptionButton Option;
    Option.state = State == 1 ? QStyle::State_On : State == 2 ? QStyle::State_NoChange : QStyle::State_Off;
    if (Enabled)
        Option.state |= QStyle::State_Enabled;
    if (Down)
        Option.state |= QStyle::State_Sunken;
    Option.palette = QApplication::palette();

    DC->save();
    if (Flat) {
        // The style's own 3D border is clipped away and replaced by a flat frame.
        DC->setClipRect(Box.adjusted(1, 1, -1, -1), Qt::IntersectClip);
        Box.adjust(-1, -1, 1, 1);
    }
    Option.rect = Box;
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &Option, DC, nullptr);
    DC->restore();

    if (Flat) {
        Box.adjust(1, 1, -1, -1);
        const QColor Frame = Option.palette.color(FaceFrame ? QPalette::Button : QPalette::Dark);
        DC->fillRect(QRect(Box.left(), Box.top(), Box.width(), 1), Frame);
        DC->fillRect(QRect(Box.left(), Box.bottom(), Box.width(), 1), Frame);
        DC->fillRect(QRect(Box.left(), Box.top(), 1, Box.height()), Frame);
        DC->fillRect(QRect(Box.right(), Box.top(), 1, Box.height()), Frame);
    }
}

void TXMLPropEditor::DrawValue(QPainter* Canvas, const QRect& Rect, bool)
{
    DrawClippedText(Canvas, Rect, GetValue());
}

void TXMLPropEditor::DrawListValue(const std::string& Value, QPainter* Canvas, const QRect& Rect, bool)
{
    DrawClippedText(Canvas, Rect, Value);
}

void TXSDSchemaEditor::DrawValue(QPainter* Canvas, const QRect& Rect, bool Selected)
{
    if (IsBoolean())
        DrawBooleanCell(Canvas, Rect, GetValue() == "true", false);
    else
        TXMLPropEditor::DrawValue(Canvas, Rect, Selected);
}

void TXSDSchemaEditor::DrawListValue(const std::string& Value, QPainter* Canvas, const QRect& Rect, bool Selected)
{
    if (IsBoolean())
        DrawBooleanCell(Canvas, Rect, Value == "true", Selected);
    else
        TXMLPropEditor::DrawListValue(Value, Canvas, Rect, Selected);
}
