#include "platform/datacontrols/image.h"

TImage::TImage(QWidget* Parent)
    : QLabel(Parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TImage::SetCenter(bool Value)
{
    setAlignment(Value ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
}
