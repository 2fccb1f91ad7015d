#include "orderentry/beep.h"

#include <QApplication>

std::function<void()> OnBeep;

void Beep()
{
    if (OnBeep)
        OnBeep();
    else
        QApplication::beep();
}
