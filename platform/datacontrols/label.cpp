#include "platform/datacontrols/label.h"

#include <QEvent>
#include <QLayout>

TLabel::TLabel(QWidget* Parent)
    : QLabel(Parent)
    , FFont(new TFont(this))
{
    // A label's text starts at its top left corner, wherever its height ends.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::SetCaption(const QString& Value)
{
    setText(Value);
    FitText();
}

void TLabel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    FitText();
}

void TLabel::SetFocusControl(QObject* Value)
{
    setBuddy(qobject_cast<QWidget*>(Value));
}

void TLabel::changeEvent(QEvent* Event)
{
    QLabel::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        FitText();
}

void TLabel::showEvent(QShowEvent* Event)
{
    // uic sets the text with Qt's own setter, after the font: fitted here.
    FitText();
    QLabel::showEvent(Event);
}

void TLabel::FitText()
{
    // A label in a layout is sized by the layout.
    if (FAutoSize && !(parentWidget() && parentWidget()->layout()))
        resize(sizeHint());
}
