#include "platform/datacontrols/dbcombobox.h"

#include "platform/datacontrols/controlkeys.h"
#include "platform/widgets/application.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

TDBComboBox::TDBComboBox(QWidget* Parent)
    : QComboBox(Parent)
    , FFont(new TFont(this))
{
    setEditable(true);
    // Typed text is the user's: not added to the list, not completed from it.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnEditingChange = [this] { EditingChange(); };
    FDataLink.OnActiveChange = [this] { EditingChange(); };
    FDataLink.OnUpdateData = [this] { Field()->SetText(currentText()); };
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        FDataLink.Modified();
        Changed();
    });
    connect(this, &QComboBox::activated, this, &TDBComboBox::Chosen);
    EditingChange();
}

void TDBComboBox::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

QStringList TDBComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

void TDBComboBox::SetItems(const QStringList& Value)
{
    const QString shown = currentText();
    clear();
    addItems(Value);
    // The field's text stands, whether or not the new list offers it.
    setCurrentIndex(findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
    setEditText(shown);
}

void TDBComboBox::SetReadOnly(bool Value)
{
    FDataLink.ReadOnly = Value;
    EditingChange();
}

void TDBComboBox::EditingChange()
{
    lineEdit()->setReadOnly(!FDataLink.Editing());
}

void TDBComboBox::DataChange()
{
    if (!isVisible()) {
        FStale = true;
        return;
    }
    FStale = false;
    const TField* field = Field();
    QString shown;
    if (field)
        shown = FFocused && FDataLink.CanModify() ? field->Text() : field->DisplayText();
    if (shown == currentText())
        return;
    setCurrentIndex(findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
    setEditText(shown);
}

void TDBComboBox::Chosen(int Index)
{
    const QString text = itemText(Index);
    const bool written = Application->Guard([&] {
        if (!FDataLink.Edit())
            return;
        Field()->SetText(text);
        Changed();
    });
    // Whatever was not taken, the field's own value shows again.
    if (!written || Field() == nullptr || Field()->Text() != text)
        FDataLink.Reset();
}

void TDBComboBox::Changed()
{
    if (OnChange)
        Application->Guard([this] { OnChange(this); });
}

bool TDBComboBox::WriteText()
{
    if (Application->Guard([this] { FDataLink.UpdateRecord(); }))
        return true;
    lineEdit()->selectAll();
    return false;
}

void TDBComboBox::keyPressEvent(QKeyEvent* Event)
{
    std::unique_ptr<QKeyEvent> replaced;
    if (!RunKeyPress(OnKeyPress, this, Event, replaced)) {
        Event->accept();
        return;
    }
    QKeyEvent* key = replaced ? replaced.get() : Event;
    const QChar typed = KeyPressChar(key);
    if (typed == QChar(27) && FDataLink.IsModified()) {
        FDataLink.Reset();
        lineEdit()->selectAll();
        Event->accept();
        return;
    }
    if (!FDataLink.TypedKey(key, [this] { return WriteText(); })) {
        Event->accept();
        return;
    }
    QComboBox::keyPressEvent(key);
    Event->setAccepted(key->isAccepted());
}

void TDBComboBox::focusInEvent(QFocusEvent* Event)
{
    FFocused = true;
    if (!FDataLink.IsModified())
        DataChange();
    QComboBox::focusInEvent(Event);
}

void TDBComboBox::focusOutEvent(QFocusEvent* Event)
{
    QComboBox::focusOutEvent(Event);
    if (!LeavesOrEnters(Event))
        return;
    if (!WriteText()) {
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            lineEdit()->selectAll();
        });
        return;
    }
    FFocused = false;
    DataChange();
}

void TDBComboBox::showEvent(QShowEvent* Event)
{
    QComboBox::showEvent(Event);
    if (FStale)
        DataChange();
}

void TDBComboBox::wheelEvent(QWheelEvent* Event)
{
    // Scrolling the window past a combo must not change the record.
    if (!hasFocus()) {
        Event->ignore();
        return;
    }
    QComboBox::wheelEvent(Event);
}
