#include "platform/datacontrols/dbtext.h"

TDBText::TDBText(QWidget* Parent)
    : QLabel(Parent)
    , FFont(new TFont(this))
{
    FDataLink.OnDataChange = [this] { DataChange(); };
    setTextFormat(Qt::PlainText);
}

void TDBText::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

void TDBText::DataChange()
{
    // A hidden text reads its field when it is shown again.
    if (!isVisible()) {
        FStale = true;
        return;
    }
    FStale = false;
    const TField* field = Field();
    setAlignment(FieldAlignment(field) | Qt::AlignVCenter);
    setText(field ? field->DisplayText() : QString());
}

void TDBText::showEvent(QShowEvent* Event)
{
    QLabel::showEvent(Event);
    if (FStale)
        DataChange();
}
