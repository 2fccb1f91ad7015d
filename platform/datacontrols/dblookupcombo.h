// A combo box that stores a key and shows the record it stands for: bound to the
// order's CustNo, it shows the customer's company and stores the customer's number.
// The drop-down lists the list source's records in that dataset's order, starting at
// the record of the current key; a click or Enter there chooses. Typed letters find
// the first record whose list text begins with them (a list field stored as text),
// Up and Down choose the record before or after; each choice is written to the data
// field at once, through the field's rules.
#pragma once

#include "platform/datacontrols/fielddatalink.h"
#include "platform/datacontrols/font.h"
#include "platform/datacontrols/keypress.h"
#include "platform/datacontrols/lookuplist.h"
#include "platform/core/object.h"

#include <QComboBox>
#include <QVariant>

#include <functional>

class QFrame;
class TLookupListView;

class TDBLookupComboBox : public QComboBox, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QObject* DataSource READ DataSource WRITE SetDataSourceObject)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(QObject* ListSource READ ListSource WRITE SetListSourceObject)
    Q_PROPERTY(QString KeyField READ KeyField WRITE SetKeyField)
    Q_PROPERTY(QString ListField READ ListField WRITE SetListField)
    Q_PROPERTY(int DropDownRows READ DropDownRows WRITE SetDropDownRows)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)

public:
    explicit TDBLookupComboBox(QWidget* Parent = nullptr);
    ~TDBLookupComboBox() override;

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSource(Value); }
    void SetDataSourceObject(QObject* Value);
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& Value) { FDataLink.SetFieldName(Value); }
    TField* Field() const { return FDataLink.Field(); }
    TDataSource* ListSource() const { return FLookup.ListSource(); }
    void SetListSource(TDataSource* Value) { FLookup.SetListSource(Value); }
    void SetListSourceObject(QObject* Value);
    QString KeyField() const { return FLookup.KeyField(); }
    void SetKeyField(const QString& Value) { FLookup.SetKeyField(Value); }
    QString ListField() const { return FLookup.ListField(); }
    void SetListField(const QString& Value) { FLookup.SetListField(Value); }
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int Value) { FDropDownRows = std::max(1, Value); }
    bool ReadOnly() const { return FDataLink.ReadOnly; }
    void SetReadOnly(bool Value) { FDataLink.ReadOnly = Value; }

    // The key: the data field's value when there is a data field.
    QVariant KeyValue() const;
    void SetKeyValue(const QVariant& Value);
    // What the combo shows for its key.
    QString Text() const { return itemText(0); }

    bool ListVisible() const;
    // The drop-down's list, while it exists (for looking at what it offers).
    TLookupListView* ListView() const { return FListView; }
    void DropDown();
    // Closes the drop-down; with Accept its selected record is chosen.
    void CloseUp(bool Accept);

    void showPopup() override { DropDown(); }
    void hidePopup() override { CloseUp(false); }

    TKeyPressEvent OnKeyPress;
    // After the user chose a record.
    std::function<void(TObject* Sender)> OnClick;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Writes the key to the data field (or keeps it), as the user's choice.
    void SelectKeyValue(const QVariant& Key);
    bool CanModify() const;
    void ShowText();
    void Search(QChar Key);

    TLookupList FLookup;
    TFieldDataLink FDataLink;
    TFont* FFont;
    QVariant FKeyValue;
    QString FSearchText;
    int FDropDownRows = 7;
    QFrame* FPopup = nullptr;
    TLookupListView* FListView = nullptr;
    bool FStale = false;
};
