// The About box: the logo, the product name and its version, closed with OK.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_About.h"

class TAboutBox : public TForm, public Ui::TAboutBox {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* Parent = nullptr);
};

extern TAboutBox* AboutBox;
