#include "platform/datacontrols/dblookuplistbox.h"

#include <QScopeGuard>

TDBLookupListBox::TDBLookupListBox(QWidget* Parent)
    // The view keeps the list's address only; it reads it once shown.
    : TLookupListView(&FLookup, Parent)
    , FFont(new TFont(this))
{
    FLookup.OnListChange = [this] { ListChanged(); };
    FDataLink.OnDataChange = [this] { DataChange(); };
    OnSelect = [this](const QVariant& Key) { Choose(Key); };
}

void TDBLookupListBox::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

void TDBLookupListBox::SetListSourceObject(QObject* Value)
{
    SetListSource(dynamic_cast<TDataSource*>(Value));
}

QVariant TDBLookupListBox::KeyValue() const
{
    if (FDataLink.FieldName().isEmpty())
        return FKeyValue;
    const TField* field = FDataLink.Field();
    return field ? field->Value() : QVariant();
}

void TDBLookupListBox::SetKeyValue(const QVariant& Value)
{
    FKeyValue = Value;
    SetSelectedKey(KeyValue());
}

void TDBLookupListBox::Choose(const QVariant& Key)
{
    if (FDataLink.FieldName().isEmpty()) {
        FKeyValue = Key;
    } else {
        // What the field holds is what is selected, whether or not it took the key.
        const auto showField = qScopeGuard([this] { SetSelectedKey(KeyValue()); });
        TField* field = FDataLink.Field();
        if (field && FDataLink.Edit())
            field->SetValue(Key);
    }
    if (OnClick)
        OnClick(this);
}

void TDBLookupListBox::DataChange()
{
    SetSelectedKey(KeyValue());
}

void TDBLookupListBox::showEvent(QShowEvent* Event)
{
    TLookupListView::showEvent(Event);
    ListChanged();
}
