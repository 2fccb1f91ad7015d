// The only painting the row editors do: value cells, drop-down items and the
// check-box glyph of boolean rows, drawn with QPainter and the application style;
// and the one pair of conversions between stored bytes and shown text that every
// part of the inspector uses. A cell is handed only the text it can show.
#include "xsdins.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>

#include <cstring>

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

// Qt 6 takes the locale's 8-bit encoding on Unix to be UTF-8; this is its strict
// form (no overlong forms, surrogates or code points past U+10FFFF), checked
// without decoding so that a value of megabytes costs one pass over its bytes.
bool IsLocalText(std::string_view Bytes)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes.data());
    const auto* End = P + Bytes.size();
    while (P < End) {
        if (End - P >= 8) {
            uint64_t Word;
            std::memcpy(&Word, P, 8);
            if ((Word & 0x8080808080808080ULL) == 0) {
                P += 8;
                continue;
            }
        }
        const unsigned char C = *P;
        if (C < 0x80) {
            ++P;
            continue;
        }
        int Follow;
        uint32_t Code, Least;
        if (C >= 0xC2 && C <= 0xDF) {
            Follow = 1, Code = C & 0x1F, Least = 0x80;
        } else if ((C & 0xF0) == 0xE0) {
            Follow = 2, Code = C & 0x0F, Least = 0x800;
        } else if (C >= 0xF0 && C <= 0xF4) {
            Follow = 3, Code = C & 0x07, Least = 0x10000;
        } else {
            return false;
        }
        if (End - P <= Follow)
            return false;
        for (int I = 1; I <= Follow; ++I) {
            if ((P[I] & 0xC0) != 0x80)
                return false;
            Code = Code << 6 | (P[I] & 0x3F);
        }
        if (Code < Least || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return false;
        P += Follow + 1;
    }
    return true;
}

QString BytesToText(std::string_view Bytes, bool ByteWise)
{
    const auto Size = static_cast<qsizetype>(Bytes.size());
    return ByteWise ? QString::fromLatin1(Bytes.data(), Size) : QString::fromUtf8(Bytes.data(), Size);
}

std::string TextToBytes(const QString& Text, bool ByteWise)
{
    if (!ByteWise)
        return Text.toUtf8().toStdString();
    std::string Result;
    Result.reserve(static_cast<size_t>(Text.size()));
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C.unicode() < 256) {
            Result += static_cast<char>(C.unicode());
            continue;
        }
        const qsizetype Length = C.isHighSurrogate() && I + 1 < Text.size() && Text[I + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray Typed = Text.mid(I, Length).toUtf8();
        Result.append(Typed.constData(), static_cast<size_t>(Typed.size()));
        I += Length - 1;
    }
    return Result;
}

size_t TextHeadSize(std::string_view Bytes, bool ByteWise, size_t MaxChars)
{
    if (ByteWise)
        return std::min(Bytes.size(), MaxChars);
    size_t Pos = 0;
    for (size_t Count = 0; Pos < Bytes.size() && Count < MaxChars; ++Count) {
        ++Pos;
        while (Pos < Bytes.size() && (static_cast<unsigned char>(Bytes[Pos]) & 0xC0) == 0x80)
            ++Pos;
    }
    return Pos;
}

QString VisibleText(std::string_view Bytes, int Width)
{
    const bool ByteWise = !IsLocalText(Bytes);
    const size_t Chars = static_cast<size_t>(std::max(Width, 0)) + 1;
    return BytesToText(Bytes.substr(0, TextHeadSize(Bytes, ByteWise, Chars)), ByteWise);
}

namespace {

void DrawClippedText(QPainter* Canvas, const QRect& Rect, const std::string& Text)
{
    Canvas->save();
    Canvas->setClipRect(Rect, Qt::IntersectClip);
    Canvas->fillRect(Rect, Canvas->brush());
    const QRect TextRect(Rect.left() + 1, Rect.top() + 1, std::max(Rect.width() - 1, 0), std::max(Rect.height() - 1, 0));
    Canvas->drawText(TextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, VisibleText(Text, TextRect.width()));
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
        const auto Outline = [DC](const QRect& R, const QColor& Colour) {
            DC->fillRect(QRect(R.left(), R.top(), R.width(), 1), Colour);
            DC->fillRect(QRect(R.left(), R.bottom(), R.width(), 1), Colour);
            DC->fillRect(QRect(R.left(), R.top(), 1, R.height()), Colour);
            DC->fillRect(QRect(R.right(), R.top(), 1, R.height()), Colour);
        };
        Outline(Box, Option.palette.color(FaceFrame ? QPalette::Button : QPalette::Dark));
        // The edge of the box itself. The platform's glyph kept its inner dark edge
        // inside the clip; a Qt style draws its whole outline where the clip cuts it
        // away, and an unticked box would be white on white, framed in a face colour
        // barely darker than white.
        if (Box.width() > 2 && Box.height() > 2)
            Outline(Box.adjusted(1, 1, -1, -1), Option.palette.color(Enabled ? QPalette::Shadow : QPalette::Dark));
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
