// A list of the records of a list source. Choosing a record (a click, a movement key,
// the wheel, typing the start of its text) moves the list source's dataset to it, so a
// list over the very dataset it chooses from (the order-number picker over the orders)
// makes the chosen record current. With a data field as well, the chosen key is
// written to that field, as a lookup combo writes it.
#pragma once

#include "platform/datacontrols/fielddatalink.h"
#include "platform/datacontrols/font.h"
#include "platform/datacontrols/lookuplistview.h"
#include "platform/core/object.h"

#include <functional>

class TDBLookupListBox : public TLookupListView, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QObject* DataSource READ DataSource WRITE SetDataSourceObject)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(QObject* ListSource READ ListSource WRITE SetListSourceObject)
    Q_PROPERTY(QString KeyField READ KeyField WRITE SetKeyField)
    Q_PROPERTY(QString ListField READ ListField WRITE SetListField)

public:
    explicit TDBLookupListBox(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSource(Value); }
    void SetDataSourceObject(QObject* Value);
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& Value) { FDataLink.SetFieldName(Value); }
    TDataSource* ListSource() const { return FLookup.ListSource(); }
    void SetListSource(TDataSource* Value) { FLookup.SetListSource(Value); }
    void SetListSourceObject(QObject* Value);
    QString KeyField() const { return FLookup.KeyField(); }
    void SetKeyField(const QString& Value) { FLookup.SetKeyField(Value); }
    QString ListField() const { return FLookup.ListField(); }
    void SetListField(const QString& Value) { FLookup.SetListField(Value); }

    // The chosen key: the data field's value when there is one.
    QVariant KeyValue() const;
    void SetKeyValue(const QVariant& Value);

    // After the user chose a record.
    std::function<void(TObject* Sender)> OnClick;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void Choose(const QVariant& Key);
    void DataChange();

    TLookupList FLookup;
    TFieldDataLink FDataLink;
    TFont* FFont;
    QVariant FKeyValue;
};
