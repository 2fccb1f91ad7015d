// Fields of a dataset: data fields bound to a column, calculated fields filled by the
// dataset's OnCalcFields, lookup fields read from another dataset by key. A field holds
// no value of its own: it reads and writes the dataset's active record, so the same
// field object serves browsing, editing and calculation.
#pragma once

#include "platform/core/datetime.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class TDataSet;
class TField;

enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftCurrency, ftDateTime, ftBoolean };
enum TFieldKind { fkData, fkCalculated, fkLookup };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TFieldNotifyEvent = std::function<void(TField*)>;

class TField {
public:
    TField(TDataSet* dataSet, const QString& fieldName, TFieldType dataType, int size = 0, TFieldKind kind = fkData);
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return FDataSet; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    bool Calculated() const { return FFieldKind == fkCalculated; }
    bool Lookup() const { return FFieldKind == fkLookup; }
    int Size() const { return FSize; }
    int Index() const;

    QString FieldName;
    // The column of the source this field was defined from ("ORDERS.DB".OrderNo).
    QString Origin;
    QString DisplayLabel;
    QString DisplayName() const { return DisplayLabel.isEmpty() ? FieldName : DisplayLabel; }
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { FDisplayWidth = width; }
    TAlignment Alignment;
    bool Visible = true;
    bool ReadOnly = false;
    bool Required = false;
    // Numeric fields: both 0 means unlimited.
    double MinValue = 0;
    double MaxValue = 0;
    // Floats: "0.00%", "0.00%;(0.00%);0%", "#,##0.00"; dates: "DDDDD", "mm/dd/yyyy", ...
    QString DisplayFormat;
    QString EditFormat;
    // Floats shown as money when no format is set (TCurrencyField sets it).
    bool Currency = false;
    // Booleans: "Yes;No" (true text; false text).
    QString DisplayValues;

    // Lookup fields: KeyFields of this dataset matched against LookupKeyFields of
    // LookupDataSet; the result is LookupResultField of the record found.
    TDataSet* LookupDataSet = nullptr;
    QString LookupKeyFields;
    QString LookupResultField;
    QString KeyFields;

    // Called with the new value in place; raising refuses it and the old value stays.
    TFieldNotifyEvent OnValidate;
    TFieldNotifyEvent OnChange;

    QVariant Value() const;
    void SetValue(const QVariant& value);
    QVariant AsVariant() const { return Value(); }
    void SetAsVariant(const QVariant& v) { SetValue(v); }
    bool IsNull() const { return Value().isNull(); }
    void Clear() { SetValue(QVariant()); }

    // Null reads as "", 0, 0.0, false.
    QString AsString() const;
    void SetAsString(const QString& text);
    int AsInteger() const;
    void SetAsInteger(int v) { SetValue(v); }
    double AsFloat() const;
    void SetAsFloat(double v) { SetValue(v); }
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double v) { SetValue(v); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime v) { SetValue(v); }
    bool AsBoolean() const;
    void SetAsBoolean(bool v) { SetValue(v); }

    // The value before the current edit (the stored one for a cached change).
    QVariant OldValue() const;
    QVariant NewValue() const { return Value(); }

    QString DisplayText() const;
    // The text an edit control shows and accepts.
    QString Text() const;
    void SetText(const QString& text) { SetAsString(text); }

    // Converts a value to the field's canonical form (double, int, QString, bool,
    // double days for dates); fails with EDatabaseError / EConvertError.
    QVariant Convert(const QVariant& value) const;

private:
    friend class TDataSet;
    TDataSet* FDataSet;
    TFieldType FDataType;
    TFieldKind FFieldKind;
    int FSize;
    int FDisplayWidth = 0;
    // Slot in the record: the column for data fields, the calculated slot otherwise.
    int FSlot = -1;
    bool FDefault = false;
};

class TStringField : public TField {
public:
    TStringField(TDataSet* ds, const QString& name, int size = 20, TFieldKind kind = fkData)
        : TField(ds, name, ftString, size, kind) {}
};
class TIntegerField : public TField {
public:
    TIntegerField(TDataSet* ds, const QString& name, TFieldKind kind = fkData)
        : TField(ds, name, ftInteger, 0, kind) {}
};
class TFloatField : public TField {
public:
    TFloatField(TDataSet* ds, const QString& name, TFieldKind kind = fkData)
        : TField(ds, name, ftFloat, 0, kind) {}
protected:
    TFloatField(TDataSet* ds, const QString& name, TFieldType type, TFieldKind kind)
        : TField(ds, name, type, 0, kind) {}
};
class TCurrencyField : public TFloatField {
public:
    TCurrencyField(TDataSet* ds, const QString& name, TFieldKind kind = fkData)
        : TFloatField(ds, name, ftCurrency, kind) { Currency = true; }
};
class TDateTimeField : public TField {
public:
    TDateTimeField(TDataSet* ds, const QString& name, TFieldKind kind = fkData)
        : TField(ds, name, ftDateTime, 0, kind) {}
};
class TBooleanField : public TField {
public:
    TBooleanField(TDataSet* ds, const QString& name, TFieldKind kind = fkData)
        : TField(ds, name, ftBoolean, 0, kind) {}
};

// Number and date formatting as display formats write them.
QString FormatFloat(const QString& format, double value);
QString FormatCurrency(double value);
// Tokens d dd ddd dddd ddddd M MM MMM MMMM yy yyyy h hh n nn m mm s ss z zzz AMPM am/pm "text".
QString FormatDateTime(const QString& format, TDateTime value);
QString DateTimeToStr(TDateTime value);
// Reads a date (and optional time) written in the short date format.
TDateTime StrToDateTime(const QString& text);
