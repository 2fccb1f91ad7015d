#include "platform/datacontrols/combobox.h"

#include "platform/widgets/application.h"

#include <QLineEdit>

TComboBox::TComboBox(QWidget* Parent)
    : QComboBox(Parent)
    , FFont(new TFont(this))
{
    // Typed text must stay text: it is never added to the entries.
    setInsertPolicy(QComboBox::NoInsert);
    setEditable(true);
    ConnectEdit();
    connect(this, &QComboBox::activated, this, &TComboBox::Changed);
}

void TComboBox::SetText(const QString& Value)
{
    if (isEditable())
        setEditText(Value);
    else
        setCurrentIndex(findText(Value));
}

QStringList TComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

int TComboBox::ItemIndex() const
{
    // Typed text that differs from the entry chosen before is no entry at all.
    const int index = currentIndex();
    return index >= 0 && currentText() == itemText(index) ? index : -1;
}

void TComboBox::SetItems(const QStringList& Value)
{
    const int index = qMax(ItemIndex(), FPendingIndex);
    FPendingIndex = -1;
    const QString text = currentText();
    clear();
    addItems(Value);
    if (index >= 0 || !isEditable()) {
        SetItemIndex(index);
    } else {
        setCurrentIndex(-1);
        setEditText(text);
    }
}

void TComboBox::SetItemIndex(int Value)
{
    // uic sets the index before the items, which are translatable text.
    FPendingIndex = count() == 0 ? Value : -1;
    setCurrentIndex(Value < count() ? Value : -1);
    if (currentIndex() < 0 && isEditable())
        setEditText(QString());
}

void TComboBox::SetStyle(TComboBoxStyle Value)
{
    if (Value == Style())
        return;
    const QString text = currentText();
    setEditable(Value == csDropDown);
    if (Value == csDropDown) {
        ConnectEdit();
        setEditText(text);
    }
}

void TComboBox::ConnectEdit()
{
    // Each change of style makes a new line edit.
    connect(lineEdit(), &QLineEdit::textEdited, this, &TComboBox::Changed);
}

void TComboBox::Changed()
{
    if (OnChange)
        Application->Guard([this] { OnChange(this); });
}
