// The plain edits: a one-line edit and a memo of lines, not bound to any field.
// OnChange follows every change of the text, the program's as well as the user's,
// so a handler that enables a button by the text is never out of step with it.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/datacontrols/keypress.h"
#include "platform/core/object.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

#include <functional>

class TEdit : public QLineEdit, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)

public:
    explicit TEdit(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    // 0: no limit.
    int MaxLength() const;
    void SetMaxLength(int Value);

    std::function<void(TObject* Sender)> OnChange;
    TKeyPressEvent OnKeyPress;
    std::function<void(TObject* Sender)> OnDblClick;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    TFont* FFont;
};

class TMemo : public QPlainTextEdit, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)

public:
    explicit TMemo(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    // The text's lines; the empty line after a final line break is not one.
    QStringList Lines() const;
    void SetLines(const QStringList& Value);

    std::function<void(TObject* Sender)> OnChange;
    TKeyPressEvent OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    TFont* FFont;
};
