#include "platform/datacontrols/font.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

TFont::TFont(QWidget* Control)
    : QObject(Control)
    , FControl(Control)
{
}

TFont::TFont(QObject* Owner)
    : QObject(Owner)
    , FFont(QGuiApplication::font())
{
}

QString TFont::Name() const
{
    return QtFont().family();
}

void TFont::SetName(const QString& Value)
{
    QFont font = QtFont();
    font.setFamily(Value);
    Changed(font, Color());
}

int TFont::Size() const
{
    const QFont font = QtFont();
    if (font.pointSizeF() > 0)
        return qRound(font.pointSizeF());
    // A font sized in pixels: points at the usual 96 pixels per inch.
    return qRound(font.pixelSize() * 72.0 / 96.0);
}

void TFont::SetSize(int Value)
{
    if (Value <= 0)
        return;
    QFont font = QtFont();
    font.setPointSize(Value);
    Changed(font, Color());
}

TFont::TFontStyles TFont::Style() const
{
    const QFont font = QtFont();
    TFontStyles style;
    style.setFlag(fsBold, font.bold());
    style.setFlag(fsItalic, font.italic());
    style.setFlag(fsUnderline, font.underline());
    style.setFlag(fsStrikeOut, font.strikeOut());
    return style;
}

void TFont::SetStyle(TFontStyles Value)
{
    QFont font = QtFont();
    font.setBold(Value.testFlag(fsBold));
    font.setItalic(Value.testFlag(fsItalic));
    font.setUnderline(Value.testFlag(fsUnderline));
    font.setStrikeOut(Value.testFlag(fsStrikeOut));
    Changed(font, Color());
}

QColor TFont::Color() const
{
    if (FControl)
        return FControl->palette().color(QPalette::Active, FControl->foregroundRole());
    return FColor;
}

void TFont::SetColor(const QColor& Value)
{
    Changed(QtFont(), Value);
}

QFont TFont::QtFont() const
{
    return FControl ? FControl->font() : FFont;
}

void TFont::SetQtFont(const QFont& Value)
{
    Changed(Value, Color());
}

void TFont::Assign(const TFont& Source)
{
    Changed(Source.QtFont(), Source.Color());
}

void TFont::Changed(const QFont& Font, const QColor& Color)
{
    if (FControl) {
        // The font keeps what its owner left unset following the parent; the colour
        // is set only when it changes, or the text would stop following the parent's.
        FControl->setFont(Font);
        if (Color != this->Color()) {
            // Only the enabled look takes the colour: a disabled control stays grey.
            QPalette palette = FControl->palette();
            palette.setColor(QPalette::Active, FControl->foregroundRole(), Color);
            palette.setColor(QPalette::Inactive, FControl->foregroundRole(), Color);
            FControl->setPalette(palette);
        }
    } else {
        FFont = Font;
        FColor = Color;
    }
    if (OnChange)
        OnChange(this);
}
