#include "platform/datacontrols/edit.h"

#include "platform/widgets/application.h"

#include <QKeyEvent>

namespace {

// QLineEdit's own "no limit".
constexpr int NoLimit = 32767;

} // namespace

TEdit::TEdit(QWidget* Parent)
    : QLineEdit(Parent)
    , FFont(new TFont(this))
{
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            Application->Guard([this] { OnChange(this); });
    });
}

int TEdit::MaxLength() const
{
    return maxLength() >= NoLimit ? 0 : maxLength();
}

void TEdit::SetMaxLength(int Value)
{
    setMaxLength(Value <= 0 ? NoLimit : Value);
}

void TEdit::keyPressEvent(QKeyEvent* Event)
{
    std::unique_ptr<QKeyEvent> replaced;
    if (!RunKeyPress(OnKeyPress, this, Event, replaced)) {
        Event->accept();
        return;
    }
    QLineEdit::keyPressEvent(replaced ? replaced.get() : Event);
}

void TEdit::mouseDoubleClickEvent(QMouseEvent* Event)
{
    QLineEdit::mouseDoubleClickEvent(Event);
    if (OnDblClick)
        Application->Guard([this] { OnDblClick(this); });
}

TMemo::TMemo(QWidget* Parent)
    : QPlainTextEdit(Parent)
    , FFont(new TFont(this))
{
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (OnChange)
            Application->Guard([this] { OnChange(this); });
    });
}

QStringList TMemo::Lines() const
{
    const QString text = toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TMemo::SetLines(const QStringList& Value)
{
    setPlainText(Value.join(QLatin1Char('\n')));
}

void TMemo::keyPressEvent(QKeyEvent* Event)
{
    std::unique_ptr<QKeyEvent> replaced;
    if (!RunKeyPress(OnKeyPress, this, Event, replaced)) {
        Event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(replaced ? replaced.get() : Event);
}
