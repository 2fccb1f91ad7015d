#include "platform/datacontrols/keypress.h"

#include "platform/widgets/application.h"

#include <QKeyEvent>

QChar KeyPressChar(const QKeyEvent* Event)
{
    switch (Event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(Event->modifiers().testFlag(Qt::ControlModifier) ? 10 : 13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Backspace:
        return QChar(8);
    default:
        break;
    }
    const QString text = Event->text();
    return text.size() == 1 ? text.at(0) : QChar();
}

bool RunKeyPress(const TKeyPressEvent& Handler, TObject* Sender, const QKeyEvent* Event,
                 std::unique_ptr<QKeyEvent>& Replaced)
{
    Replaced.reset();
    const QChar typed = KeyPressChar(Event);
    if (!Handler || typed.isNull())
        return true;
    QChar key = typed;
    if (!Application->Guard([&] { Handler(Sender, key); }))
        return false;
    if (key.isNull())
        return false;
    if (key != typed)
        Replaced = std::make_unique<QKeyEvent>(Event->type(), 0, Event->modifiers() & ~Qt::ControlModifier,
                                               QString(key));
    return true;
}
