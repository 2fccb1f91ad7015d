#include "platform/datacontrols/buttons.h"

#include "platform/widgets/application.h"

TButton::TButton(QWidget* Parent)
    : QPushButton(Parent)
    , FFont(new TFont(this))
{
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            Application->Guard([this] { OnClick(this); });
    });
}

TBitBtn::TBitBtn(QWidget* Parent)
    : TButton(Parent)
{
}

TCheckBox::TCheckBox(QWidget* Parent)
    : QCheckBox(Parent)
    , FFont(new TFont(this))
{
    connect(this, &QCheckBox::toggled, this, [this] {
        if (OnClick)
            Application->Guard([this] { OnClick(this); });
    });
}
