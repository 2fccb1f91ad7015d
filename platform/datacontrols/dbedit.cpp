#include "platform/datacontrols/dbedit.h"

#include "platform/datacontrols/controlkeys.h"
#include "platform/widgets/application.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

TDBEdit::TDBEdit(QWidget* Parent)
    : QLineEdit(Parent)
    , FFont(new TFont(this))
{
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnEditingChange = [this] { EditingChange(); };
    FDataLink.OnActiveChange = [this] { ActiveChange(); };
    FDataLink.OnUpdateData = [this] { Field()->SetText(text()); };
    connect(this, &QLineEdit::textEdited, this, [this] {
        FDataLink.Modified();
        if (OnChange)
            Application->Guard([this] { OnChange(this); });
    });
    setReadOnly(true);
}

void TDBEdit::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

void TDBEdit::SetReadOnly(bool Value)
{
    FDataLink.ReadOnly = Value;
    EditingChange();
}

void TDBEdit::SetMaxLength(int Value)
{
    FMaxLength = std::max(Value, 0);
    ActiveChange();
}

void TDBEdit::SetColor(const QColor& Value)
{
    FColor = Value;
    QPalette p = palette();
    p.setColor(QPalette::Base, Value.isValid() ? Value : QApplication::palette(this).color(QPalette::Base));
    setPalette(p);
}

void TDBEdit::ActiveChange()
{
    const TField* field = Field();
    int length = FMaxLength;
    if (length == 0 && field && field->DataType() == ftString && field->Size() > 0)
        length = field->Size();
    setMaxLength(length > 0 ? length : 32767);
    setAlignment(FieldAlignment(field) | Qt::AlignVCenter);
    EditingChange();
}

void TDBEdit::EditingChange()
{
    setReadOnly(!FDataLink.Editing());
}

void TDBEdit::DataChange()
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
    // Setting the same text again would move the cursor away from where the user is typing.
    if (shown != text())
        setText(shown);
}

bool TDBEdit::WriteText()
{
    if (Application->Guard([this] { FDataLink.UpdateRecord(); }))
        return true;
    selectAll();
    return false;
}

void TDBEdit::keyPressEvent(QKeyEvent* Event)
{
    std::unique_ptr<QKeyEvent> replaced;
    if (!RunKeyPress(OnKeyPress, this, Event, replaced)) {
        Event->accept();
        return;
    }
    QKeyEvent* key = replaced ? replaced.get() : Event;
    const QChar typed = KeyPressChar(key);
    if (typed == QChar(27)) {
        // Undoes the typing; with nothing typed the window's cancel button has it.
        if (!FDataLink.IsModified()) {
            Event->ignore();
            return;
        }
        FDataLink.Reset();
        selectAll();
        Event->accept();
        return;
    }
    if (!FDataLink.TypedKey(key, [this] { return WriteText(); })) {
        Event->accept();
        return;
    }
    QLineEdit::keyPressEvent(key);
    Event->setAccepted(key->isAccepted());
}

void TDBEdit::focusInEvent(QFocusEvent* Event)
{
    FFocused = true;
    if (!FDataLink.IsModified())
        DataChange();
    QLineEdit::focusInEvent(Event);
    if (OnEnter && LeavesOrEnters(Event))
        Application->Guard([this] { OnEnter(this); });
}

void TDBEdit::focusOutEvent(QFocusEvent* Event)
{
    QLineEdit::focusOutEvent(Event);
    // Another window coming to the front (the error box itself) is not leaving the edit.
    if (!LeavesOrEnters(Event))
        return;
    if (!WriteText()) {
        // The text stays for mending, and so does the focus.
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
        return;
    }
    FFocused = false;
    DataChange();
    if (OnExit)
        Application->Guard([this] { OnExit(this); });
}

void TDBEdit::mouseDoubleClickEvent(QMouseEvent* Event)
{
    QLineEdit::mouseDoubleClickEvent(Event);
    if (OnDblClick)
        Application->Guard([this] { OnDblClick(this); });
}

void TDBEdit::showEvent(QShowEvent* Event)
{
    QLineEdit::showEvent(Event);
    if (FStale)
        DataChange();
}
