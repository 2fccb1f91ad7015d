#include "orderentry/Splash.h"

TSplashForm::TSplashForm(QWidget* Parent)
    : TForm(Parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setupUi(this);
    setFixedSize(168, 178);
    CenterOnScreen();
}

void TSplashForm::paintEvent(QPaintEvent* Event)
{
    TForm::paintEvent(Event);
    FPainted = true;
}
