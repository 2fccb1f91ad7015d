#include "platform/datacontrols/dblookupcombo.h"

#include "platform/datacontrols/controlkeys.h"
#include "platform/datacontrols/lookuplistview.h"
#include "platform/widgets/application.h"

#include <QFrame>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>

TDBLookupComboBox::TDBLookupComboBox(QWidget* Parent)
    : QComboBox(Parent)
    , FFont(new TFont(this))
{
    addItem(QString());
    FDataLink.OnDataChange = [this] { ShowText(); };
    FLookup.OnListChange = [this] {
        ShowText();
        if (ListVisible())
            FListView->ListChanged();
    };

    FPopup = new QFrame(this, Qt::Popup);
    FPopup->setFrameShape(QFrame::Box);
    FPopup->setLineWidth(1);
    // A click on the combo that closes the list must not open it again.
    FPopup->setAttribute(Qt::WA_NoMouseReplay);
    FListView = new TLookupListView(&FLookup, FPopup);
    FListView->setFrameShape(QFrame::NoFrame);
    FListView->HotTrack = true;
    FListView->OnChoose = [this] { CloseUp(true); };
    auto* layout = new QVBoxLayout(FPopup);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FListView);
}

TDBLookupComboBox::~TDBLookupComboBox()
{
    // The list view reads FLookup, which goes before the children would.
    delete FPopup;
}

void TDBLookupComboBox::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

void TDBLookupComboBox::SetListSourceObject(QObject* Value)
{
    SetListSource(dynamic_cast<TDataSource*>(Value));
}

QVariant TDBLookupComboBox::KeyValue() const
{
    if (FDataLink.FieldName().isEmpty())
        return FKeyValue;
    const TField* field = FDataLink.Field();
    return field ? field->Value() : QVariant();
}

void TDBLookupComboBox::SetKeyValue(const QVariant& Value)
{
    FKeyValue = Value;
    ShowText();
}

bool TDBLookupComboBox::CanModify() const
{
    return FDataLink.FieldName().isEmpty() ? !FDataLink.ReadOnly : FDataLink.CanModify();
}

void TDBLookupComboBox::ShowText()
{
    if (!isVisible()) {
        FStale = true;
        return;
    }
    FStale = false;
    setItemText(0, FLookup.TextOf(KeyValue()));
}

void TDBLookupComboBox::SelectKeyValue(const QVariant& Key)
{
    // Choosing the record already chosen changes nothing: writing the same customer
    // again would still run the rules that follow a change of customer.
    if (Key.isNull() || SameKey(Key, KeyValue()))
        return;
    if (FDataLink.FieldName().isEmpty()) {
        FKeyValue = Key;
    } else {
        TField* field = FDataLink.Field();
        if (!field || !FDataLink.Edit())
            return;
        field->SetValue(Key);
    }
    ShowText();
    if (OnClick)
        OnClick(this);
}

bool TDBLookupComboBox::ListVisible() const
{
    return FPopup->isVisible();
}

void TDBLookupComboBox::DropDown()
{
    if (ListVisible() || !FLookup.Active())
        return;
    const QVariant key = KeyValue();
    Application->Guard([&] {
        TDataSet* ds = FLookup.DataSet();
        if (!FLookup.LocateKey(key) && ds->State() == dsBrowse)
            ds->First();
    });
    FSearchText.clear();
    FListView->setFont(font());
    FListView->SetSelectedKey(key);
    FListView->ListChanged();
    const int height = FDropDownRows * FListView->RowHeight() + 2 * FPopup->frameWidth();
    FPopup->resize(width(), height);
    QPoint at = mapToGlobal(QPoint(0, this->height()));
    // Above the combo when the screen ends below it.
    if (const QScreen* s = screen(); s && at.y() + height > s->availableGeometry().bottom())
        at = mapToGlobal(QPoint(0, -height));
    FPopup->move(at);
    FPopup->show();
    FListView->setFocus(Qt::PopupFocusReason);
}

void TDBLookupComboBox::CloseUp(bool Accept)
{
    if (!ListVisible())
        return;
    const QVariant key = FListView->SelectedKey();
    FPopup->hide();
    if (Accept && CanModify())
        Application->Guard([&] { SelectKeyValue(key); });
}

void TDBLookupComboBox::Search(QChar Key)
{
    const QString text = FSearchText + Key;
    Application->Guard([&] {
        if (!FLookup.LocateText(text))
            return;
        FSearchText = text;
        SelectKeyValue(FLookup.CurrentKey());
    });
}

void TDBLookupComboBox::keyPressEvent(QKeyEvent* Event)
{
    std::unique_ptr<QKeyEvent> replaced;
    if (!RunKeyPress(OnKeyPress, this, Event, replaced)) {
        Event->accept();
        return;
    }
    QKeyEvent* key = replaced ? replaced.get() : Event;
    const bool alt = key->modifiers() & Qt::AltModifier;
    if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !alt) {
        // The record before or after the chosen one; the first when none is chosen.
        const bool up = key->key() == Qt::Key_Up;
        if (CanModify())
            Application->Guard([&] {
                TDataSet* ds = FLookup.DataSet();
                if (!ds || ds->State() != dsBrowse)
                    return;
                if (!FLookup.LocateKey(KeyValue()))
                    ds->First();
                else if (up)
                    ds->Prior();
                else
                    ds->Next();
                SelectKeyValue(FLookup.CurrentKey());
            });
        FSearchText.clear();
        Event->accept();
        return;
    }
    if (key->key() == Qt::Key_Backspace) {
        FSearchText.clear();
        Event->accept();
        return;
    }
    if (key->key() == Qt::Key_Escape)
        FSearchText.clear();
    if (IsTypedChar(key)) {
        if (CanModify())
            Search(KeyPressChar(key));
        Event->accept();
        return;
    }
    QComboBox::keyPressEvent(key);
    Event->setAccepted(key->isAccepted());
}

void TDBLookupComboBox::wheelEvent(QWheelEvent* Event)
{
    // The wheel scrolls the window, never the chosen record.
    Event->ignore();
}

void TDBLookupComboBox::focusInEvent(QFocusEvent* Event)
{
    FSearchText.clear();
    QComboBox::focusInEvent(Event);
}

void TDBLookupComboBox::focusOutEvent(QFocusEvent* Event)
{
    FSearchText.clear();
    QComboBox::focusOutEvent(Event);
}

void TDBLookupComboBox::showEvent(QShowEvent* Event)
{
    QComboBox::showEvent(Event);
    if (FStale)
        ShowText();
}
