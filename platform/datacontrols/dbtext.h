// A text showing one field's display text, placed as the field aligns it; the user
// cannot change it.
#pragma once

#include "platform/datacontrols/fielddatalink.h"
#include "platform/datacontrols/font.h"
#include "platform/core/object.h"

#include <QLabel>

class TDBText : public QLabel, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QObject* DataSource READ DataSource WRITE SetDataSourceObject)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)

public:
    explicit TDBText(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSource(Value); }
    void SetDataSourceObject(QObject* Value);
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& Value) { FDataLink.SetFieldName(Value); }
    TField* Field() const { return FDataLink.Field(); }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void DataChange();

    TFieldDataLink FDataLink;
    TFont* FFont;
    bool FStale = false;
};
