#include "platform/datacontrols/speedbutton.h"

#include "platform/widgets/application.h"

TSpeedButton::TSpeedButton(QWidget* Parent)
    : QToolButton(Parent)
    , FFont(new TFont(this))
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    UpdateStyle();
    connect(this, &QToolButton::clicked, this, [this] {
        if (OnClick)
            Application->Guard([this] { OnClick(this); });
    });
}

void TSpeedButton::SetCaption(const QString& Value)
{
    setText(Value);
    UpdateStyle();
}

void TSpeedButton::SetGlyph(const QIcon& Value)
{
    setIcon(Value);
    UpdateStyle();
}

void TSpeedButton::SetGroupIndex(int Value)
{
    FGroupIndex = Value;
    setCheckable(Value != 0);
    if (Value == 0)
        setChecked(false);
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    FAllowAllUp = Value;
    for (TSpeedButton* button : Group())
        button->FAllowAllUp = Value;
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0 || Value == Down())
        return;
    if (!Value && !FAllowAllUp)
        return;
    setChecked(Value);
    if (Value)
        for (TSpeedButton* button : Group())
            if (button != this)
                button->setChecked(false);
}

void TSpeedButton::showEvent(QShowEvent* Event)
{
    // Text and icon set by Qt's own setters (a .ui file) are seen here.
    UpdateStyle();
    QToolButton::showEvent(Event);
}

void TSpeedButton::nextCheckState()
{
    // A click decides Down by the group's rules, not by Qt's plain toggle.
    SetDown(!Down());
}

QList<TSpeedButton*> TSpeedButton::Group() const
{
    QList<TSpeedButton*> group;
    if (FGroupIndex == 0 || !parentWidget())
        return group;
    for (TSpeedButton* button : parentWidget()->findChildren<TSpeedButton*>(Qt::FindDirectChildrenOnly))
        if (button->FGroupIndex == FGroupIndex)
            group.append(button);
    return group;
}

void TSpeedButton::UpdateStyle()
{
    // A glyph alone fills the button; with a caption the caption stands beside it.
    if (text().isEmpty())
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    else if (icon().isNull())
        setToolButtonStyle(Qt::ToolButtonTextOnly);
    else
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}
