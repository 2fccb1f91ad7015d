#include "orderentry/About.h"

#include <QLabel>

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setFixedSize(304, 210);
    // The product's labels are black whatever text colour the desktop uses.
    for (QLabel* label : {ProductName, Version}) {
        QPalette black = label->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(black);
    }
    SetButtonModalResult(Button1, mrOk);
    SetCancelButton(Button1);
    OnShow = [this](TObject*) { CenterOnScreen(); };
}
