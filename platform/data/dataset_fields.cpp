// A dataset's columns and fields: default fields from the source's columns, calculated
// and lookup values, and the values fields read and write in each state.
#include "platform/data/dataset.h"

#include "platform/data/dataset_p.h"

#include <algorithm>

int TDataSet::FieldCount() const
{
    return int(d->Fields.size());
}

TField* TDataSet::Fields(int index) const
{
    return d->Fields.at(index);
}

TField* TDataSet::FindField(const QString& name) const
{
    for (TField* f : d->Fields)
        if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        DatabaseError("Field '" + name + "' not found", this);
    return f;
}

void TDataSet::CreateDefaultFields()
{
    const int visible = FVisibleColumns < 0 ? int(FColumns.size()) : FVisibleColumns;
    for (int i = 0; i < visible; ++i) {
        if (FColumns[i].compare("rowid", Qt::CaseInsensitive) == 0)
            continue;
        TField* f = new TField(this, FColumns[i], FColumnTypes[i] == ftUnknown ? ftString : FColumnTypes[i],
                               FColumnTypes[i] == ftString ? FColumnSizes.value(i, 20) : 0);
        f->FDefault = true;
    }
}

void TDataSet::DestroyFields()
{
    auto isDefault = [](TField* f) { return f->FDefault; };
    d->Fields.erase(std::remove_if(d->Fields.begin(), d->Fields.end(), isDefault), d->Fields.end());
    d->OwnedFields.erase(std::remove_if(d->OwnedFields.begin(), d->OwnedFields.end(),
                                      [](const std::unique_ptr<TField>& f) { return f->FDefault; }),
                       d->OwnedFields.end());
}

void TDataSet::SetColumns(const QStringList& names, const QVector<TFieldType>& types, const QVector<int>& sizes)
{
    FColumns = names;
    FColumnTypes = types;
    FColumnSizes = sizes;
    FVisibleColumns = -1;
}

int TDataSet::ColumnIndex(const QString& name) const
{
    const int visible = FVisibleColumns < 0 ? int(FColumns.size()) : FVisibleColumns;
    for (int i = 0; i < visible; ++i)
        if (FColumns[i].compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVector<int> TDataSet::ColumnList(const QString& names) const
{
    QVector<int> cols;
    for (const QString& n : names.split(';', Qt::SkipEmptyParts)) {
        int c = ColumnIndex(n);
        if (c < 0)
            DatabaseError("Field '" + n.trimmed() + "' not found", this);
        cols << c;
    }
    return cols;
}

void TDataSet::BindFields()
{
    d->CalcCount = 0;
    for (TField* f : d->Fields) {
        if (f->FFieldKind == fkData) {
            f->FSlot = ColumnIndex(f->FieldName);
            if (f->FSlot < 0)
                DatabaseError("Field '" + f->FieldName + "' not found", this);
        } else {
            f->FSlot = d->CalcCount++;
        }
    }
}

TRecord TDataSet::MakeRec(const QVector<QVariant>& values, int entry)
{
    TRecord r;
    r.Values = values;
    r.Entry = entry;
    CalculateFields(r);
    return r;
}

void TDataSet::CalculateFields(TRecord& rec)
{
    rec.Calc = QVector<QVariant>(d->CalcCount);
    if (d->CalcCount == 0)
        return;
    const TRecord* savedRec = d->CalcRec;
    TDataSetState saved = FState;
    d->CalcRec = &rec;
    FState = dsCalcFields;
    try {
        for (TField* f : d->Fields)
            if (f->FFieldKind == fkLookup && f->LookupDataSet && f->LookupDataSet->Active())
                rec.Calc[f->FSlot] = LookupResult(f);
        if (OnCalcFields)
            OnCalcFields(this);
    } catch (...) {
        d->CalcRec = savedRec;
        FState = saved;
        throw;
    }
    d->CalcRec = savedRec;
    FState = saved;
}

const TRecord* TDataSet::ActiveRec() const
{
    EnsureFresh();
    if (d->CalcRec)
        return d->CalcRec;
    if (FState == dsEdit || FState == dsInsert || FState == dsSetKey)
        return &d->EditRec;
    return d->Window.Current();
}

QVariant TDataSet::FieldValue(const TField* field) const
{
    const TRecord* rec = ActiveRec();
    if (!rec || field->FSlot < 0)
        return QVariant();
    const QVector<QVariant>& v = field->FFieldKind == fkData ? rec->Values : rec->Calc;
    return field->FSlot < v.size() ? v[field->FSlot] : QVariant();
}

QVariant TDataSet::FieldOldValue(const TField* field) const
{
    if (field->FFieldKind != fkData || field->FSlot < 0)
        return FieldValue(field);
    const TRecord* rec = ActiveRec();
    if (!rec)
        return QVariant();
    int entry = rec->Entry;
    if (FState == dsEdit && rec == &d->EditRec)
        entry = d->EditOriginal.Entry;
    if (const TCacheEntry* e = d->Cache.Find(entry))
        return e->Kind == ukInsert ? QVariant() : e->OldValues.value(field->FSlot);
    if (FState == dsEdit && rec == &d->EditRec)
        return d->EditOriginal.Values.value(field->FSlot);
    if (FState == dsInsert && rec == &d->EditRec)
        return QVariant();
    return rec->Values.value(field->FSlot);
}

void TDataSet::SetFieldValue(TField* field, const QVariant& value)
{
    if (FState == dsCalcFields && d->CalcRec) {
        if (field->FFieldKind == fkData)
            DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
        const_cast<TRecord*>(d->CalcRec)->Calc[field->FSlot] = field->Convert(value);
        return;
    }
    if (FState == dsSetKey) {
        if (field->FFieldKind != fkData)
            DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
        d->EditRec.Values[field->FSlot] = field->Convert(value);
        return;
    }
    if (FState != dsEdit && FState != dsInsert)
        DatabaseError("Dataset not in edit or insert mode", this);
    if (field->ReadOnly || field->FFieldKind == fkLookup)
        DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    QVariant v = field->Convert(value);
    if (!v.isNull() && (field->MinValue != 0 || field->MaxValue != 0)
        && (field->DataType() == ftFloat || field->DataType() == ftCurrency || field->DataType() == ftInteger)) {
        double x = v.toDouble();
        if (x < field->MinValue || x > field->MaxValue)
            throw EDatabaseError(QString::asprintf("%g is not a valid value for field '%s'. The allowed range is %g to %g",
                                                   x, field->DisplayName().toUtf8().constData(), field->MinValue,
                                                   field->MaxValue).toStdString());
    }
    QVector<QVariant>& buf = field->FFieldKind == fkData ? d->EditRec.Values : d->EditRec.Calc;
    QVariant old = buf[field->FSlot];
    buf[field->FSlot] = v;
    if (field->OnValidate) {
        try {
            field->OnValidate(field);
        } catch (...) {
            buf[field->FSlot] = old;
            throw;
        }
    }
    d->Modified = true;
    if (field->FFieldKind == fkData)
        CalculateFields(d->EditRec);
    if (field->OnChange)
        field->OnChange(field);
    DataEvent(deFieldChange, field);
}
