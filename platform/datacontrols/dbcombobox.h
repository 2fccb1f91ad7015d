// A combo box bound to one field, offering fixed Items while letting the user type any
// text. Choosing an item writes it to the field at once; typed text is written as an
// edit's is (on leaving, Enter, or before the record is posted or left), through the
// field's rules, with refusals in the error box and the text kept for mending.
#pragma once

#include "platform/datacontrols/fielddatalink.h"
#include "platform/datacontrols/font.h"
#include "platform/datacontrols/keypress.h"
#include "platform/core/object.h"

#include <QComboBox>
#include <QStringList>

#include <functional>

class TDBComboBox : public QComboBox, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
    Q_PROPERTY(QObject* DataSource READ DataSource WRITE SetDataSourceObject)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)

public:
    explicit TDBComboBox(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    QStringList Items() const;
    void SetItems(const QStringList& Value);
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSource(Value); }
    void SetDataSourceObject(QObject* Value);
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& Value) { FDataLink.SetFieldName(Value); }
    TField* Field() const { return FDataLink.Field(); }
    bool ReadOnly() const { return FDataLink.ReadOnly; }
    void SetReadOnly(bool Value);

    TKeyPressEvent OnKeyPress;
    // After the user changed the text or chose an item.
    std::function<void(TObject* Sender)> OnChange;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    void DataChange();
    void EditingChange();
    void Chosen(int Index);
    bool WriteText();
    void Changed();

    TFieldDataLink FDataLink;
    TFont* FFont;
    bool FFocused = false;
    bool FStale = false;
};
