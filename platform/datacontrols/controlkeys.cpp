#include "platform/datacontrols/controlkeys.h"

#include "platform/datacontrols/keypress.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>

bool IsTypedChar(const QKeyEvent* Event)
{
    if (Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QChar typed = KeyPressChar(Event);
    return !typed.isNull() && typed.unicode() >= 32 && typed.unicode() != 127;
}

bool ChangesText(const QKeyEvent* Event)
{
    if (IsTypedChar(Event))
        return true;
    if (Event->key() == Qt::Key_Backspace || Event->key() == Qt::Key_Delete)
        return true;
    return Event->matches(QKeySequence::Paste) || Event->matches(QKeySequence::Cut)
        || Event->matches(QKeySequence::Undo) || Event->matches(QKeySequence::Redo);
}

bool LeavesOrEnters(const QFocusEvent* Event)
{
    return Event->reason() != Qt::ActiveWindowFocusReason && Event->reason() != Qt::PopupFocusReason;
}
