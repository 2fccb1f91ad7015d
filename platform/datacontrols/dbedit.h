// An edit bound to one field. It shows the field's display text, and its edit text
// while it has the focus; the first key that changes it puts the record in edit.
// What the user typed is written through the field's rules when the edit is left,
// on Enter, and before the record is posted or left; a refused value is shown in the
// application's error box, nothing is written, and the typed text stays for mending.
// Escape undoes the typing. A read-only edit (or one on a field that cannot change)
// shows the field only; with TabStop off, Tab passes it by.
#pragma once

#include "platform/datacontrols/fielddatalink.h"
#include "platform/datacontrols/font.h"
#include "platform/datacontrols/keypress.h"
#include "platform/core/object.h"

#include <QColor>
#include <QLineEdit>

#include <functional>

class TDBEdit : public QLineEdit, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QObject* DataSource READ DataSource WRITE SetDataSourceObject)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)

public:
    explicit TDBEdit(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSource(Value); }
    void SetDataSourceObject(QObject* Value);
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& Value) { FDataLink.SetFieldName(Value); }
    TField* Field() const { return FDataLink.Field(); }
    bool ReadOnly() const { return FDataLink.ReadOnly; }
    void SetReadOnly(bool Value);
    // 0: as long as the field holds (its size for text fields).
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    // The background; invalid: the style's.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& Value);
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void SetTabStop(bool Value) { setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus); }

    // The user's text is still waiting to be written.
    bool Modified() const { return FDataLink.IsModified(); }

    // Raised with the character a key types, before the edit takes it.
    TKeyPressEvent OnKeyPress;
    std::function<void(TObject* Sender)> OnDblClick;
    // After the user changed the text.
    std::function<void(TObject* Sender)> OnChange;
    std::function<void(TObject* Sender)> OnEnter;
    std::function<void(TObject* Sender)> OnExit;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void DataChange();
    void EditingChange();
    void ActiveChange();
    // Writes the user's text; false when the field refused it (the error was shown).
    bool WriteText();

    TFieldDataLink FDataLink;
    TFont* FFont;
    int FMaxLength = 0;
    QColor FColor;
    bool FFocused = false;
    // A hidden edit reads its field when it is shown again.
    bool FStale = false;
};
