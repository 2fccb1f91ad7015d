#include "About.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setFixedSize(304, 210);
    SetButtonModalResult(Button1, mrOk);
    SetCancelButton(Button1);
    OnShow = [this](TObject*) { CenterOnScreen(); };
}
